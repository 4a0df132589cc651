#include "cli/platform.h"

#include <clocale>
#include <csignal>
#include <cstdlib>
#include <cwchar>

#include "cli/escape.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// windows.h comes first: shellapi.h needs its types.
#include <shellapi.h>
#else
#include <langinfo.h>
#include <unistd.h>
#endif

namespace cli {
namespace {

std::atomic<bool>* interruptFlag = nullptr;

extern "C" void onInterrupt(int) {
    interruptFlag->store(true);
    std::signal(SIGINT, SIG_DFL);
}

}  // namespace

#ifdef _WIN32

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

#else

void setUpConsole() {
    std::setlocale(LC_ALL, "");
}

std::vector<std::string> commandLine(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::filesystem::path pathFromText(const std::string& text) {
    return std::filesystem::path(text);
}

std::string textFromPath(const std::filesystem::path& path) {
    return path.native();
}

std::optional<std::string> textToUtf8(const std::string& text) {
    if (isUtf8(text)) return text;
    // Another multi-byte or 8-bit encoding: through wide characters to UTF-8.
    std::string out;
    std::mbstate_t state{};
    const char* at = text.data();
    const char* const end = at + text.size();
    while (at < end) {
        wchar_t wide = 0;
        const std::size_t used =
            std::mbrtowc(&wide, at, static_cast<std::size_t>(end - at), &state);
        if (used == static_cast<std::size_t>(-1) || used == static_cast<std::size_t>(-2)) {
            return std::nullopt;
        }
        const auto cp = static_cast<char32_t>(wide);
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
        at += used == 0 ? 1 : used;  // 0: a NUL character
    }
    return out;
}

bool isTerminal(std::FILE* stream) {
    return ::isatty(::fileno(stream)) != 0;
}

bool terminalIsUtf8() {
    const std::string codeset = nl_langinfo(CODESET);
    return codeset == "UTF-8" || codeset == "utf8";
}

#endif

void stopOnInterrupt(std::atomic<bool>& flag) {
    interruptFlag = &flag;
    std::signal(SIGINT, onInterrupt);
}

}  // namespace cli
