// The replacement engine: the segment rewrite of one line, the pass that copies one file
// through it, and the run over every chosen file. Standard C++ only; everything it needs of
// the window is declared here as the host interfaces below.
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

// The four texts of the window, in UTF-8; each pass converts them to its file's encoding. The
// views stay valid until the host's next yield(). A host that keeps `version` above 0 and
// changes it whenever a text changes spares the pass comparing the texts on every line; 0 means
// "compare them".
struct Texts {
    std::string_view startMarker;
    std::string_view stopMarker;
    std::string_view searchText;
    std::string_view replacementText;
    std::uint64_t version = 0;
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
    // A file that could not be processed, with the reason in words ("Permission denied").
    virtual void reportFailure(const std::filesystem::path& file, const std::string& reason) = 0;

    // What a pass did, once it has written its output (completed or stopped, not failed).
    virtual void fileDone(const PassStats& /*stats*/) {}
    // Asked once per pass: whether lineRewritten() is wanted for every line.
    virtual bool wantsLines() const { return false; }
    // Every line before and after its rewrite, without its end: UTF-8 for UTF-8 and UTF-16
    // files, the file's own bytes otherwise.
    virtual void lineRewritten(std::string_view /*before*/, std::string_view /*after*/) {}
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

// Every chosen file, identified once on disk (device and inode, or the Windows file index) and
// by its path as written, so that an output can be checked against all of them at once.
class ChosenFiles {
public:
    ChosenFiles();
    explicit ChosenFiles(const std::vector<std::filesystem::path>& sources);
    ChosenFiles(ChosenFiles&&) noexcept;
    ChosenFiles& operator=(ChosenFiles&&) noexcept;
    ~ChosenFiles();
    void add(const std::filesystem::path& source);
    // Whether writing `path` would replace one of the chosen files.
    bool contains(const std::filesystem::path& path) const;

private:
    struct Index;
    std::unique_ptr<Index> index_;
};

// The failure reason for an output that would replace a chosen file.
std::string overwriteReason(const std::filesystem::path& output);

// Copies `source` into outputPath(outputBase), rewriting every line with the host's texts.
// Whatever fails in the work on the file (reading, writing, memory) is reported to the host
// and leaves no partial output; the pass then counts as completed, so that a run goes on with
// the next entry. What the host itself throws is passed on.
PassResult pass(const std::filesystem::path& source, const std::filesystem::path& outputBase,
                int entryIndex, PassHost& host);
PassResult pass(const std::filesystem::path& source, const std::filesystem::path& outputBase,
                int entryIndex, PassHost& host, FileLayer& files);
// The same, with the output checked against every file in `chosen` (which should hold the
// source) rather than against the source alone: what a run over many files does.
PassResult pass(const std::filesystem::path& source, const std::filesystem::path& outputBase,
                int entryIndex, PassHost& host, FileLayer& files, const ChosenFiles& chosen);

// One press of Replace: a pass over every chosen file, in list order, until done or stopped.
void run(RunHost& host);
void run(RunHost& host, FileLayer& files);

}  // namespace engine
