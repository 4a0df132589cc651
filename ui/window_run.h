// The window's replace run over the engine's: the captions and enabled states around it and the
// selection of the file at work. The window logic shows it on its controls.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "engine/engine.h"

namespace ui {

// The window as a replace run sees it; its observer calls (the texts, the yield with the stop
// flag, the bar) are those of every pass.
class RunWindow : public engine::Observer {
public:
    virtual void setReplaceCaption(std::string_view caption) = 0;
    virtual void setReplaceEnabled(bool enabled) = 0;
    virtual void setStopEnabled(bool enabled) = 0;
    // Writes the stop flag (the run clears it when it begins and when it ends).
    virtual void setStopFlag(bool stop) = 0;
    // Shows list entry `index` as selected (and visible) or not.
    virtual void selectEntry(int index, bool on) = 0;
    // Puts the bar back to 0, its range kept.
    virtual void clearProgress() = 0;
    // A file that could not be processed, with the reason in words ("Permission denied").
    virtual void reportFailure(const std::filesystem::path& file, const std::string& reason) = 0;
};

// Whether the list's entries are files: not when it holds only its placeholder, or nothing.
bool holdsFiles(const std::vector<std::string>& entries);

// One press of Replace over the list's entries and the folder label's text (UTF-8): a pass over
// every file in list order until done or stopped, with the entry at work selected. The buttons,
// the stop flag and the bar are put back however the run ends.
void replaceRun(RunWindow& window, const std::vector<std::string>& entries,
                const std::string& folder, engine::FileLayer& files = engine::systemFiles());

}  // namespace ui
