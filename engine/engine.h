// The replacement engine: the segment rewrite of one line, the pass that copies one file
// through it, and the run over a list of files. Standard C++ only; what a pass needs of whoever
// drives it is the observer below.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

// 1-based byte position within a line; 0 means "not found".
using Position = std::int64_t;

// find, replaceFirst and rewrite work on text in the C library's present locale (its bytes,
// with its letter case); a pass decides each file's encoding for itself.

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

// The four texts, in UTF-8; each pass converts them to its file's encoding. The views stay valid
// until the observer's next stopRequested(). An observer that keeps `version` above 0 and
// changes it whenever a text changes spares the pass comparing the texts on every line; 0 means
// "compare them". Texts match whatever their letter case unless `caseSensitive`.
struct Texts {
    std::string_view startMarker;
    std::string_view stopMarker;
    std::string_view searchText;
    std::string_view replacementText;
    std::uint64_t version = 0;
    bool caseSensitive = false;
};

// `text` in the C library's present locale (as a terminal types it), written in UTF-8 as
// Texts wants it; valid UTF-8 that the locale cannot read is taken as it is; otherwise nothing.
std::optional<std::string> localeTextToUtf8(std::string_view text);

// Names the code page of 8-bit files that are not UTF-8, instead of the locale's: a Windows
// code page by its number, as "1252", "cp1252" or "windows-1252" (in any letter case). An empty
// name goes back to the locale's. False, changing nothing, for a name not known. Passes under
// way keep the page they began with.
bool setCodePage(std::string_view name);

// How a pass read a file: UTF-32 or UTF-16 by its byte-order mark, UTF-16 also by NUL high
// bytes without one, UTF-8 by its mark or by valid non-ASCII bytes, otherwise an 8-bit code
// page: the one named with setCodePage(), else the C library's locale's or, under a UTF-8
// locale, the Windows code page of its language (Windows-1252 for English and the other Western
// languages, and for "C").
enum class TextEncoding { codePage, utf8, utf16le, utf16be, utf32le, utf32be };

// What a pass did to one file.
struct PassStats {
    TextEncoding encoding = TextEncoding::codePage;
    std::int64_t lines = 0;
    std::int64_t segments = 0;      // start...stop stretches found
    std::int64_t replacements = 0;  // segments in which the search text was replaced
};

// A line before and after its rewrite, without its end: UTF-8 for UTF-8 and UTF-16 files, the
// file's own bytes otherwise. Each end is the one it has in its file: the source's is empty for
// a last line without one. `mark` is a UTF-8 file's byte-order mark, given with its first line.
struct RewrittenLine {
    std::string_view before, after;
    std::string_view beforeEnd, afterEnd;
    std::string_view mark = {};
};

// What a pass needs of whoever drives it: the window, the command line, a benchmark.
class Observer {
public:
    virtual ~Observer() = default;
    // The present texts, taken again for every line.
    virtual Texts texts() const = 0;
    // Asked before every line; the pass stops there when it is true. This is the yield point: a
    // window handles its pending input here first.
    virtual bool stopRequested() { return false; }
    // The bytes of the file done and its total, for a bar: (0, total) once the file is open,
    // then after its byte-order mark and after every line. The total is the size, and two more
    // for the end that an open last line is given; -1 for a stream of unknown size.
    virtual void progress(std::int64_t /*done*/, std::int64_t /*total*/) {}
    // Asked once per pass: whether lineRewritten() is wanted for every line.
    virtual bool wantsLines() const { return false; }
    // Every line, in order.
    virtual void lineRewritten(const RewrittenLine& /*line*/) {}
    // Asked once per pass, before an output is made: whether a source that looks binary (a NUL
    // byte in its first 8 KiB, with no UTF-16 or UTF-32 mark and not UTF-16 without one) is
    // skipped rather than copied.
    virtual bool skipsBinary() const { return false; }
};

class FileLayer;
FileLayer& systemFiles();

// The output written for `source`: the same folder, with "_new." for every "." in the file
// name, or "_new" appended to a name without a dot. Folder names are left alone.
std::filesystem::path outputPath(const std::filesystem::path& source);

namespace detail {
struct FileIdentity;
}

// Every chosen file, identified once on disk (device and inode, or the Windows file index) and
// by its path as written, so that an output can be checked against all of them at once.
class ChosenFiles {
public:
    ChosenFiles();
    explicit ChosenFiles(const std::vector<std::filesystem::path>& sources);
    ChosenFiles(ChosenFiles&&) noexcept;
    ChosenFiles& operator=(ChosenFiles&&) noexcept;
    ~ChosenFiles();
    // Adds a file; false when it was chosen already (by its path, or as the same file).
    bool add(const std::filesystem::path& source);
    // Adds the files in order, looking them up on disk on up to `threads` threads at once; for
    // each, whether it was new.
    std::vector<bool> add(const std::vector<const std::filesystem::path*>& sources,
                          unsigned threads);
    // Whether writing `path` would replace one of the chosen files.
    bool contains(const std::filesystem::path& path) const;
    // The same by the path as written alone, without asking the system: where nothing is at
    // `path`, this is the whole answer.
    bool containsByName(const std::filesystem::path& path) const;

private:
    struct Index;
    bool insert(const std::filesystem::path& source, const detail::FileIdentity* id);
    std::unique_ptr<Index> index_;
};

// The failure reason for an output that would replace a chosen file.
std::string overwriteReason(const std::filesystem::path& output);

// One file of a run, and the output it is copied to: an output that is the source itself
// rewrites it in place.
struct FileJob {
    std::filesystem::path source, output;
    bool changedOnly = false;           // an output only where something was replaced
    std::filesystem::path backup = {};  // in place: where the original is kept first, if anywhere
};

// What became of one file.
struct FileReport {
    enum class Outcome { completed, stopped, failed, skipped };
    Outcome outcome = Outcome::completed;
    PassStats stats;                   // completed and stopped files: what was written
    bool written = false;              // whether the output took its final name
    std::filesystem::path failedFile;  // failed ones: the file concerned (source or output)
    std::string reason;                // and why, in the system's words; skipped ones: "binary"
};

// Copies job.source into job.output, rewriting every line with the observer's texts; an output
// (or backup) that is one of `chosen` (or, without it, the source) is refused, except the source
// itself in place. Whatever fails in the work on the file (reading, writing, memory) is its
// failure and leaves no partial output; what the observer throws is passed on. A stopped pass
// writes the lines done, except over its own source.
FileReport passFile(const FileJob& job, Observer& observer, FileLayer& files = systemFiles(),
                    const ChosenFiles* chosen = nullptr);

// The files of a run and every chosen file, so that no output can replace one of them.
struct RunPlan {
    RunPlan() = default;
    explicit RunPlan(const std::vector<std::filesystem::path>& sources);
    std::vector<FileJob> jobs;
    ChosenFiles chosen;
};

// A single name is a file's full path; several are names in `folder`, joined to it as text with
// the platform's separator (a drive root such as "C:\" gets a second one). Outputs land beside
// their sources.
RunPlan planRun(const std::vector<std::filesystem::path>& names,
                const std::filesystem::path& folder);

// What a run needs of whoever drives it, beyond each pass's observer.
class RunObserver {
public:
    virtual ~RunObserver() = default;
    // The observer of the pass of plan.jobs[index], asked right before it starts on the thread
    // that does it (worker 0 on the calling thread); none (nullptr) starts no further file.
    virtual Observer* fileStarting(std::size_t index, unsigned worker) = 0;
    // Each started file's report, in list order, on the calling thread.
    virtual void fileDone(std::size_t /*index*/, const FileReport& /*report*/) {}
    // With workers, when the calling thread has reported every file done so far: whether it
    // should wait for the next one (false: it looks again at once).
    virtual bool waiting() { return true; }
};

// A run: the plan's files in list order until done, or stopped by a pass or by fileStarting().
// With no workers the passes are made on the calling thread, and what an observer throws ends
// the run; with workers they share the files, and such a throw fails that file alone. Returns
// the started files' reports, in list order: the files after them were never started.
std::vector<FileReport> run(const RunPlan& plan, RunObserver& observer, unsigned workers = 0,
                            FileLayer& files = systemFiles());

}  // namespace engine
