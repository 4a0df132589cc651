// What differs between Windows and the rest: the command line's encoding, terminals, Ctrl-C.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// Takes the user's locale (letter case, code page), readies the console for UTF-8 output on
// Windows and binary standard input and output everywhere, and has writes to a closed pipe fail
// rather than end the program.
void setUpConsole();

// The arguments after the program name: UTF-8 on Windows, the bytes as given elsewhere.
std::vector<std::string> commandLine(int argc, char** argv);

// The FILE operands with "*" or "?" in their last name expanded on Windows, where no shell
// does it: the names found in the operand's folder, sorted, or the operand itself when none
// matches, so that its failure is reported. Elsewhere the operands as they are.
std::vector<std::string> expandWildcards(const std::vector<std::string>& files);

// A file name from the command line or a list, and back for the report.
std::filesystem::path pathFromText(const std::string& text);
std::string textFromPath(const std::filesystem::path& path);

// A text from the command line in UTF-8, as the engine takes it; nothing when it is not valid
// in the terminal's encoding.
std::optional<std::string> textToUtf8(const std::string& text);

bool isTerminal(std::FILE* stream);
// Whether the terminal shows UTF-8; when not, only ASCII is shown as it is.
bool terminalIsUtf8();

// Whether colour escapes show as colours there (a terminal, not a dumb one).
bool showsColor(std::FILE* stream);

// Ctrl-C (and elsewhere than on Windows SIGTERM and SIGHUP) sets `flag`; a second one ends the
// program at once, leaving no temporary file on POSIX systems. A reader of standard output or
// error that goes away sets it too.
void stopOnInterrupt(std::atomic<bool>& flag);

// The exit status of a run that an interrupt stopped: 128 + the signal's number.
int interruptedStatus();

// Standard output or standard error, written whole and unbuffered, from any thread. When its
// reader has gone away (a closed pipe), the run stops as it does on Ctrl-C and nothing more is
// written to either; any other failure is kept for the exit status.
class Stream {
public:
    explicit Stream(std::FILE* file, const char* name);
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;
    // False once nothing more can be written here.
    bool write(std::string_view bytes);
    // "cannot write to standard output: <the system's reason>", or empty when all went well.
    std::string failure() const;

private:
    int fd_;
    const char* name_;
    int error_ = 0;
};
Stream& standardOutput();
Stream& standardError();

// Whether a reader of standard output or error has gone away; the exit status is then 141,
// as for a program ended by SIGPIPE.
bool readerGone();
constexpr int kReaderGoneStatus = 141;

// A new file that no one else sees and that is gone when closed, for bytes that wait; null
// when the system gives none.
std::FILE* temporaryFile();
// Moves to byte `offset` of `file`, past 2 GiB too.
bool seekFile(std::FILE* file, std::uint64_t offset);

}  // namespace cli
