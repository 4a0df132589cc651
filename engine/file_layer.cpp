#include "engine/file_layer.h"

#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace engine {
namespace {

std::string reasonFor(int error) {
    return std::generic_category().message(error);
}

[[noreturn]] void fail(const fs::path& path, int error) {
    throw FileError(path, reasonFor(error));
}

std::FILE* openForReading(const fs::path& path) {
#ifdef _WIN32
    return _wfopen(path.c_str(), L"rb");
#else
    return std::fopen(path.c_str(), "rb");
#endif
}

// Creates `path` only if no file of that name exists, so a temporary name never clobbers one.
std::FILE* createExclusive(const fs::path& path) {
#ifdef _WIN32
    int fd = -1;
    if (_wsopen_s(&fd, path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _SH_DENYNO,
                  _S_IREAD | _S_IWRITE) != 0) {
        return nullptr;
    }
    std::FILE* file = _fdopen(fd, "wb");
    if (file == nullptr) _close(fd);
#else
    const int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) ::close(fd);
#endif
    return file;
}

#ifdef _WIN32
// The system's words for an error, in UTF-8 like every other text the hosts get.
std::string windowsMessage(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0) return "Error " + std::to_string(error);
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0,
                                         nullptr, nullptr);
    std::string message(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), message.data(), size, nullptr,
                        nullptr);
    LocalFree(text);
    return message;
}
#endif

// Moves `from` over `to`, replacing a file that is there.
void replaceFile(const fs::path& from, const fs::path& to) {
#ifdef _WIN32
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        throw FileError(to, windowsMessage(GetLastError()));
    }
#else
    std::error_code error;
    fs::rename(from, to, error);
    if (error) throw FileError(to, error.message());
#endif
}

// ".sr" and eight random letters and digits.
std::string temporaryName() {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> pick(0, sizeof kLetters - 2);
    std::string name = ".sr";
    for (int i = 0; i < 8; ++i) name += kLetters[pick(random)];
    return name;
}

class SystemInput final : public InputFile {
public:
    explicit SystemInput(const fs::path& path) : path_(path) {
        // Checked before opening: opening a FIFO would wait for a writer, freezing the window.
        std::error_code error;
        const fs::file_status status = fs::status(path, error);
        if (fs::is_directory(status)) throw FileError(path, "Is a directory");
        if (fs::exists(status) && !fs::is_regular_file(status)) {
            throw FileError(path, "Not a regular file");
        }
        file_ = openForReading(path);
        if (file_ == nullptr) fail(path, errno);
        std::setvbuf(file_, nullptr, _IONBF, 0);  // the caller reads in large blocks
        size_ = fs::file_size(path, error);
        if (error) {
            std::fclose(file_);
            throw FileError(path, error.message());
        }
    }
    ~SystemInput() override { std::fclose(file_); }
    SystemInput(const SystemInput&) = delete;
    SystemInput& operator=(const SystemInput&) = delete;

    std::uint64_t size() const override { return size_; }

    std::size_t read(char* buffer, std::size_t capacity) override {
        const std::size_t count = std::fread(buffer, 1, capacity, file_);
        if (count < capacity && std::ferror(file_)) fail(path_, errno);
        return count;
    }

private:
    fs::path path_;
    std::FILE* file_ = nullptr;
    std::uint64_t size_ = 0;
};

class SystemOutput final : public OutputFile {
public:
    explicit SystemOutput(const fs::path& finalPath) : finalPath_(finalPath) {
        // The temporary file lives beside the final one, so the last move stays in one folder.
        for (int attempt = 0; attempt < 100 && file_ == nullptr; ++attempt) {
            tempPath_ = finalPath;
            tempPath_.replace_filename(temporaryName());
            file_ = createExclusive(tempPath_);
            if (file_ == nullptr && errno != EEXIST) fail(finalPath_, errno);
        }
        if (file_ == nullptr) fail(finalPath_, EEXIST);
        std::setvbuf(file_, nullptr, _IONBF, 0);  // the caller writes in large blocks
    }
    ~SystemOutput() override {
        if (file_ != nullptr) std::fclose(file_);
        if (!committed_) {
            std::error_code ignored;
            fs::remove(tempPath_, ignored);
        }
    }
    SystemOutput(const SystemOutput&) = delete;
    SystemOutput& operator=(const SystemOutput&) = delete;

    void write(const char* data, std::size_t size) override {
        if (std::fwrite(data, 1, size, file_) != size) fail(finalPath_, errno);
    }

    void commit() override {
        std::FILE* file = file_;
        file_ = nullptr;
        if (std::fclose(file) != 0) fail(finalPath_, errno);
        replaceFile(tempPath_, finalPath_);
        committed_ = true;
    }

private:
    fs::path finalPath_;
    fs::path tempPath_;
    std::FILE* file_ = nullptr;
    bool committed_ = false;
};

class SystemFiles final : public FileLayer {
public:
    std::unique_ptr<InputFile> openInput(const fs::path& path) override {
        return std::make_unique<SystemInput>(path);
    }
    std::unique_ptr<OutputFile> createOutput(const fs::path& finalPath) override {
        return std::make_unique<SystemOutput>(finalPath);
    }
};

}  // namespace

std::string readableReason(std::string message) {
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.')) {
        message.pop_back();
    }
    if (!message.empty() && message[0] >= 'a' && message[0] <= 'z') message[0] -= 'a' - 'A';
    return message;
}

FileLayer& systemFiles() {
    static SystemFiles files;
    return files;
}

}  // namespace engine
