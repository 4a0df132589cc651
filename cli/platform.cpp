#include "cli/platform.h"

#include <algorithm>
#include <clocale>
#include <csignal>
#include <cstdlib>

#include "cli/glob.h"
#include "engine/engine.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// windows.h comes first: shellapi.h needs its types.
#include <shellapi.h>
#else
#include <langinfo.h>
#include <unistd.h>

#include "engine/interrupts.h"
#endif

namespace cli {

#ifdef _WIN32

namespace {

std::atomic<bool>* interruptFlag = nullptr;

extern "C" void onInterrupt(int) {
    interruptFlag->store(true);
    std::signal(SIGINT, SIG_DFL);
}

}  // namespace

UINT consoleCodePage = 0;

void restoreConsole() {
    SetConsoleOutputCP(consoleCodePage);
}

void setUpConsole() {
    std::setlocale(LC_ALL, "");
    // The console keeps its code page after the program: it gets its own back at the end.
    consoleCodePage = GetConsoleOutputCP();
    if (consoleCodePage != 0 && SetConsoleOutputCP(CP_UTF8)) std::atexit(restoreConsole);
    _setmode(_fileno(stdin), _O_BINARY);
}

std::vector<std::string> commandLine(int, char**) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide != nullptr && i < count; ++i) {
        const int bytes =
            WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string text(static_cast<std::size_t>(bytes > 0 ? bytes : 1), '\0');
        WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, text.data(), bytes, nullptr, nullptr);
        text.resize(text.size() - 1);  // the terminating NUL
        arguments.push_back(std::move(text));
    }
    LocalFree(wide);
    return arguments;
}

std::filesystem::path pathFromText(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

namespace {

// Whether the long name itself matches: FindFirstFileW matches short 8.3 names too, so that
// "*.htm" finds "page.html" by its short name PAGE~1.HTM. Letter case is ignored, as there.
bool longNameMatches(std::wstring pattern, std::wstring name) {
    CharUpperBuffW(pattern.data(), static_cast<DWORD>(pattern.size()));
    CharUpperBuffW(name.data(), static_cast<DWORD>(name.size()));
    std::string glob;
    for (const char c : textFromPath(std::filesystem::path(pattern))) {
        glob += c == '[' ? std::string("[[]") : std::string(1, c);  // no sets in Windows patterns
    }
    return globMatches(glob, textFromPath(std::filesystem::path(name)));
}

}  // namespace

std::vector<std::string> expandWildcards(const std::vector<std::string>& files) {
    std::vector<std::string> expanded;
    for (const std::string& file : files) {
        const std::size_t nameAt = file.find_last_of("\\/:") + 1;  // 0 without a folder
        if (file.find_first_of("*?", nameAt) == std::string::npos) {
            expanded.push_back(file);
            continue;
        }
        const std::wstring pattern = pathFromText(file.substr(nameAt)).native();
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found;
        const HANDLE search = FindFirstFileW(pathFromText(file).c_str(), &found);
        for (bool more = search != INVALID_HANDLE_VALUE; more;
             more = FindNextFileW(search, &found)) {
            const std::wstring_view name = found.cFileName;
            if (name != L"." && name != L".." && longNameMatches(pattern, std::wstring(name)))
                names.emplace_back(name);
        }
        if (search != INVALID_HANDLE_VALUE) FindClose(search);
        if (names.empty()) expanded.push_back(file);
        // In the order Explorer and dir give: letter case ignored.
        std::ranges::sort(names, [](const std::wstring& a, const std::wstring& b) {
            return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                        static_cast<int>(b.size()), TRUE) == CSTR_LESS_THAN;
        });
        for (const std::wstring& name : names) {
            expanded.push_back(file.substr(0, nameAt) + textFromPath(std::filesystem::path(name)));
        }
    }
    return expanded;
}

std::string textFromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::optional<std::string> textToUtf8(const std::string& text) {
    return text;  // commandLine() made it UTF-8
}

bool isTerminal(std::FILE* stream) {
    return _isatty(_fileno(stream)) != 0;
}

bool terminalIsUtf8() {
    return true;  // setUpConsole() set the console's code page
}

void stopOnInterrupt(std::atomic<bool>& flag) {
    interruptFlag = &flag;
    std::signal(SIGINT, onInterrupt);
}

int interruptedStatus() {
    return 128 + SIGINT;
}

#else

void setUpConsole() {
    std::setlocale(LC_ALL, "");
}

std::vector<std::string> commandLine(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::vector<std::string> expandWildcards(const std::vector<std::string>& files) {
    return files;  // the shell did it
}

std::filesystem::path pathFromText(const std::string& text) {
    return std::filesystem::path(text);
}

std::string textFromPath(const std::filesystem::path& path) {
    return path.native();
}

std::optional<std::string> textToUtf8(const std::string& text) {
    return engine::localeTextToUtf8(text);
}

bool isTerminal(std::FILE* stream) {
    return ::isatty(::fileno(stream)) != 0;
}

bool terminalIsUtf8() {
    const std::string codeset = nl_langinfo(CODESET);
    return codeset == "UTF-8" || codeset == "utf8";
}

void stopOnInterrupt(std::atomic<bool>& flag) {
    engine::catchInterrupts(&flag);
}

int interruptedStatus() {
    const int signal = engine::firstInterrupt();
    return 128 + (signal != 0 ? signal : SIGINT);
}

#endif

}  // namespace cli
