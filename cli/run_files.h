// A replace run over a list of files on several threads, reported in list order.
#pragma once

#include <atomic>
#include <filesystem>
#include <vector>

#include "cli/progress.h"
#include "cli/report.h"
#include "cli/walk.h"
#include "engine/engine.h"
#include "engine/file_layer.h"

namespace cli {

struct RunSettings {
    std::vector<ListedFile> files;
    engine::Texts texts;
    engine::FileLayer* fileLayer = nullptr;
    unsigned jobs = 1;
    int diffContext = -1;  // below 0: no diff
    bool skipBinary = true;
    bool utf8Terminal = false;
    ProgressLine* progress = nullptr;  // drawn by the reporting thread when given
};

// Passes every file that `stop` does not prevent and reports each to `report` in list order; a
// file listed again (by any path to it) is skipped. The totals count the files never started as
// well.
Totals runFiles(const RunSettings& settings, Report& report, const std::atomic<bool>& stop);

}  // namespace cli
