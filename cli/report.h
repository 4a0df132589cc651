// The report of a run: one entry per file in list order and a total, as lines of text on
// standard error or as one JSON document on standard output.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "cli/platform.h"
#include "cli/spool.h"
#include "engine/engine.h"

namespace cli {

struct FileResult {
    // unchanged: nothing was replaced, and no output written for it.
    enum class Status { done, unchanged, failed, stopped, skipped };
    Status status = Status::done;
    std::string source, output;      // as shown: UTF-8 on Windows, the name's bytes elsewhere
    engine::PassStats stats;         // done, unchanged and stopped files
    std::string failedFile, reason;  // failed files: the file concerned and why; skipped: why
    // The file's diff with its headers, handed over in pieces; empty when there is none.
    std::function<void(const Sink&)> diff;
};

struct Totals {
    std::int64_t files = 0, done = 0, changed = 0, unchanged = 0, failed = 0, stopped = 0,
                 skipped = 0, notStarted = 0;
    std::int64_t lines = 0, segments = 0, replacements = 0;
    void add(const FileResult& result);
};

class Report {
public:
    virtual ~Report() = default;
    virtual void file(const FileResult& result) = 0;
    virtual void finish(const Totals& totals) = 0;
};

// Text lines on `err`; `quiet` keeps the failures only, and the total when there are any.
class TextReport final : public Report {
public:
    TextReport(Stream& err, bool quiet, bool dryRun, bool utf8Terminal);
    void file(const FileResult& result) override;
    void finish(const Totals& totals) override;

private:
    void writeLine(std::string line);
    Stream& err_;
    bool quiet_, dryRun_, utf8Terminal_;
};

// One JSON document on `out`, written as the files come; `quiet` lists the failures only.
class JsonReport final : public Report {
public:
    JsonReport(Stream& out, bool quiet, bool dryRun);
    void file(const FileResult& result) override;
    void finish(const Totals& totals) override;

private:
    Stream& out_;
    bool quiet_;
    bool first_ = true;
};

// "3 lines, 1 segment, 0 replacements".
std::string countsText(const engine::PassStats& stats);

}  // namespace cli
