// The report of a run: one entry per file in list order and a total, as lines of text on
// standard error or as one JSON document on standard output.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/engine.h"

namespace cli {

struct FileResult {
    enum class Status { done, failed, stopped, skipped };
    Status status = Status::done;
    std::string source, output;      // as shown: UTF-8 on Windows, the name's bytes elsewhere
    engine::PassStats stats;         // done and stopped files
    std::string failedFile, reason;  // failed files: the file concerned and why; skipped: why
    std::string diff;                // the file's diff with its headers, or empty
};

struct Totals {
    std::int64_t files = 0, done = 0, failed = 0, stopped = 0, skipped = 0, notStarted = 0;
    std::int64_t lines = 0, segments = 0, replacements = 0;
    void add(const FileResult& result);
};

class Report {
public:
    virtual ~Report() = default;
    virtual void file(const FileResult& result) = 0;
    virtual void finish(const Totals& totals) = 0;
};

// Text lines on `err` (diffs on `out`); `quiet` keeps the failures only.
class TextReport final : public Report {
public:
    TextReport(std::FILE* out, std::FILE* err, bool quiet, bool dryRun, bool utf8Terminal);
    void file(const FileResult& result) override;
    void finish(const Totals& totals) override;

private:
    void writeLine(std::string line);
    std::FILE* out_;
    std::FILE* err_;
    bool quiet_, dryRun_, utf8Terminal_;
};

// One JSON document on `out`, written as the files come; `quiet` lists the failures only.
class JsonReport final : public Report {
public:
    JsonReport(std::FILE* out, bool quiet, bool dryRun);
    void file(const FileResult& result) override;
    void finish(const Totals& totals) override;

private:
    std::FILE* out_;
    bool quiet_;
    bool first_ = true;
};

// "3 lines, 1 segment, 0 replacements".
std::string countsText(const engine::PassStats& stats);

}  // namespace cli
