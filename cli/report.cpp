#include "cli/report.h"

#include <algorithm>

#include "cli/escape.h"

namespace cli {
namespace {

std::string counted(std::int64_t n, const char* noun) {
    return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

const char* encodingName(engine::TextEncoding encoding) {
    switch (encoding) {
        case engine::TextEncoding::utf8:
            return "utf-8";
        case engine::TextEncoding::utf16le:
            return "utf-16le";
        case engine::TextEncoding::utf16be:
            return "utf-16be";
        case engine::TextEncoding::utf32le:
            return "utf-32le";
        case engine::TextEncoding::utf32be:
            return "utf-32be";
        case engine::TextEncoding::codePage:
            break;
    }
    return "code page";
}

const char* statusName(FileResult::Status status) {
    switch (status) {
        case FileResult::Status::failed:
            return "failed";
        case FileResult::Status::stopped:
            return "stopped";
        case FileResult::Status::skipped:
            return "skipped";
        case FileResult::Status::done:
            break;
    }
    return "done";
}

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    appendJsonString(out, text);
    return out + "\"";
}

// A file name: a string when it is valid UTF-8, otherwise its bytes in base64 as
// {"bytes": "..."}, which no string can be mistaken for.
std::string jsonName(std::string_view name) {
    if (isUtf8(name)) return jsonString(name);
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out = "{\"bytes\": \"";
    for (std::size_t i = 0; i < name.size(); i += 3) {
        const std::size_t count = std::min<std::size_t>(3, name.size() - i);
        std::uint32_t bits = 0;
        for (std::size_t k = 0; k < 3; ++k)
            bits = bits << 8 | (k < count ? static_cast<unsigned char>(name[i + k]) : 0u);
        for (std::size_t k = 0; k < 4; ++k)
            out += k <= count ? kDigits[bits >> (18 - 6 * k) & 63] : '=';
    }
    return out + "\"}";
}

}  // namespace

std::string countsText(const engine::PassStats& stats) {
    return counted(stats.lines, "line") + ", " + counted(stats.segments, "segment") + ", " +
           counted(stats.replacements, "replacement");
}

void Totals::add(const FileResult& result) {
    ++files;
    switch (result.status) {
        case FileResult::Status::done:
            ++done;
            break;
        case FileResult::Status::failed:
            ++failed;
            return;
        case FileResult::Status::stopped:
            ++stopped;
            break;
        case FileResult::Status::skipped:
            ++skipped;
            return;
    }
    lines += result.stats.lines;
    segments += result.stats.segments;
    replacements += result.stats.replacements;
}

TextReport::TextReport(std::FILE* out, std::FILE* err, bool quiet, bool dryRun, bool utf8Terminal)
    : out_(out), err_(err), quiet_(quiet), dryRun_(dryRun), utf8Terminal_(utf8Terminal) {}

void TextReport::writeLine(std::string line) {
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), err_);
}

void TextReport::file(const FileResult& result) {
    if (!result.diff.empty()) {
        std::fwrite(result.diff.data(), 1, result.diff.size(), out_);
        std::fflush(out_);
    }
    std::string line;
    switch (result.status) {
        case FileResult::Status::failed:
            appendForTerminal(line, result.failedFile, utf8Terminal_);
            writeLine(line + ": failed: " + result.reason);
            return;
        case FileResult::Status::stopped:
            if (quiet_) return;
            appendForTerminal(line, result.output, utf8Terminal_);
            writeLine(line + ": stopped after " + countsText(result.stats));
            return;
        case FileResult::Status::skipped:
            if (quiet_) return;
            appendForTerminal(line, result.source, utf8Terminal_);
            writeLine(line + ": skipped: " + result.reason);
            return;
        case FileResult::Status::done:
            if (quiet_) return;
            appendForTerminal(line, result.output, utf8Terminal_);
            writeLine(line + (dryRun_ ? " (dry run): " : ": ") + countsText(result.stats));
    }
}

void TextReport::finish(const Totals& totals) {
    if (quiet_) return;
    std::string line = counted(totals.files, "file") + ": " + std::to_string(totals.done) +
                       (dryRun_ ? " would be written" : " done") + ", " +
                       std::to_string(totals.failed) + " failed";
    if (totals.skipped > 0) line += ", " + std::to_string(totals.skipped) + " skipped";
    if (totals.stopped > 0 || totals.notStarted > 0) {
        line += ", " + std::to_string(totals.stopped) + " stopped, " +
                std::to_string(totals.notStarted) + " not started";
    }
    engine::PassStats sum;
    sum.lines = totals.lines;
    sum.segments = totals.segments;
    sum.replacements = totals.replacements;
    writeLine(line + "; " + countsText(sum));
}

JsonReport::JsonReport(std::FILE* out, bool quiet, bool dryRun) : out_(out), quiet_(quiet) {
    const std::string head =
        std::string("{\"dryRun\": ") + (dryRun ? "true" : "false") + ", \"files\": [";
    std::fwrite(head.data(), 1, head.size(), out_);
}

void JsonReport::file(const FileResult& result) {
    if (quiet_ && result.status != FileResult::Status::failed) return;
    std::string entry = first_ ? "\n  {" : ",\n  {";
    first_ = false;
    entry += "\"source\": " + jsonName(result.source) + ", \"output\": " + jsonName(result.output) +
             ", \"status\": \"" + statusName(result.status) + "\"";
    if (result.status == FileResult::Status::failed) {
        entry += ", \"file\": " + jsonName(result.failedFile) +
                 ", \"reason\": " + jsonString(result.reason);
    } else if (result.status == FileResult::Status::skipped) {
        entry += ", \"reason\": " + jsonString(result.reason);
    } else {
        entry += std::string(", \"encoding\": \"") + encodingName(result.stats.encoding) +
                 "\", \"lines\": " + std::to_string(result.stats.lines) +
                 ", \"segments\": " + std::to_string(result.stats.segments) +
                 ", \"replacements\": " + std::to_string(result.stats.replacements);
    }
    if (!result.diff.empty()) entry += ", \"diff\": " + jsonString(result.diff);
    entry += "}";
    std::fwrite(entry.data(), 1, entry.size(), out_);
}

void JsonReport::finish(const Totals& t) {
    const std::string tail =
        std::string(first_ ? "" : "\n") + "], \"total\": {\"files\": " + std::to_string(t.files) +
        ", \"done\": " + std::to_string(t.done) + ", \"failed\": " + std::to_string(t.failed) +
        ", \"stopped\": " + std::to_string(t.stopped) +
        ", \"skipped\": " + std::to_string(t.skipped) +
        ", \"notStarted\": " + std::to_string(t.notStarted) +
        ", \"lines\": " + std::to_string(t.lines) +
        ", \"segments\": " + std::to_string(t.segments) +
        ", \"replacements\": " + std::to_string(t.replacements) + "}}\n";
    std::fwrite(tail.data(), 1, tail.size(), out_);
    std::fflush(out_);
}

}  // namespace cli
