// What differs between Windows and the rest: the command line's encoding, terminals, Ctrl-C.
#pragma once

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace cli {

// Takes the user's locale (letter case, code page) and readies the console for UTF-8 output
// on Windows and binary standard input everywhere.
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

// Ctrl-C (and elsewhere than on Windows SIGTERM and SIGHUP) sets `flag`; a second one ends the
// program at once, leaving no temporary file on POSIX systems.
void stopOnInterrupt(std::atomic<bool>& flag);

// The exit status of a run that an interrupt stopped: 128 + the signal's number.
int interruptedStatus();

}  // namespace cli
