// The replacement engine: the segment rewrite of one line, the pass that copies one file
// through it, and the run over every chosen file. Standard C++ only; everything it needs of
// the window is declared here as the host interfaces below.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace engine {

// 1-based byte position within a line; 0 means "not found".
using Position = std::int64_t;

// Position of the first case-insensitive occurrence of `needle` that starts at or after `from`,
// or 0. An empty haystack, or a `from` past its end, gives 0; an empty needle gives `from` itself.
Position find(std::string_view haystack, std::string_view needle, Position from);

// `text` with its first case-insensitive occurrence of `search` replaced by `replacement`.
// An empty or absent `search` leaves the text unchanged.
std::string replaceFirst(std::string_view text, std::string_view search,
                         std::string_view replacement);

// Rewrites every segment of `line` that runs from a start-marker hit through the stop-marker
// hit that follows it: the first hit of `searchText` inside it becomes `replacementText`.
// Text outside the segments is copied unchanged; an empty stop marker closes no segment.
std::string rewrite(std::string_view line, std::string_view startMarker,
                    std::string_view stopMarker, std::string_view searchText,
                    std::string_view replacementText);

// The four texts of the window, as bytes in its 8-bit encoding. The views stay valid until the
// host's next yield().
struct Texts {
    std::string_view startMarker;
    std::string_view stopMarker;
    std::string_view searchText;
    std::string_view replacementText;
};

// What a file pass needs of the window.
class PassHost {
public:
    virtual ~PassHost() = default;

    // Shows list entry `index` as selected (and visible) or not.
    virtual void selectEntry(int index, bool on) = 0;
    virtual void setProgressValue(std::int64_t value) = 0;
    virtual void setProgressMin(std::int64_t value) = 0;
    virtual void setProgressMax(std::int64_t value) = 0;
    // Lets the window handle pending input and painting; called once per line.
    virtual void yield() = 0;
    // The stop flag, read right after every yield.
    virtual bool stopRequested() const = 0;
    // The present texts, taken again for every line.
    virtual Texts currentTexts() const = 0;
    // A file that could not be processed, with the reason in words.
    virtual void reportFailure(const std::filesystem::path& file, const std::string& reason) = 0;
};

// What a replace run needs of the window, beyond what a pass needs.
class RunHost : public PassHost {
public:
    virtual void setReplaceCaption(std::string_view caption) = 0;
    virtual void setReplaceEnabled(bool enabled) = 0;
    virtual void setStopEnabled(bool enabled) = 0;
    // Writes the stop flag (the run clears it when it begins and when it ends).
    virtual void setStopFlag(bool stop) = 0;
    // False when the list holds only its placeholder, or nothing.
    virtual bool hasChosenFiles() const = 0;
    virtual int entryCount() const = 0;
    virtual std::filesystem::path entryText(int index) const = 0;
    virtual std::filesystem::path directoryText() const = 0;
};

enum class PassResult { completed, stopped };

class FileLayer;

// The output written for `outputBase`: the same folder, with "_new." for every "." in the file
// name, or "_new" appended to a name without a dot. Folder names are left alone.
std::filesystem::path outputPath(const std::filesystem::path& outputBase);

// Copies `source` into outputPath(outputBase), rewriting every line with the host's texts.
// A file failure is reported to the host and leaves no partial output; the pass then counts
// as completed, so that a run goes on with the next entry.
PassResult pass(const std::filesystem::path& source, const std::filesystem::path& outputBase,
                int entryIndex, PassHost& host);
PassResult pass(const std::filesystem::path& source, const std::filesystem::path& outputBase,
                int entryIndex, PassHost& host, FileLayer& files);

// One press of Replace: a pass over every chosen file, in list order, until done or stopped.
void run(RunHost& host);
void run(RunHost& host, FileLayer& files);

}  // namespace engine
