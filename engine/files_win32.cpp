// The file layer on Windows: the Win32 API itself, so that every failure reads as the system
// words it ("The process cannot access the file because it is being used by another process").
#include <windows.h>

#include <algorithm>

#include "engine/file_layer.h"
#include "engine/system_files.h"

namespace fs = std::filesystem;

namespace engine {
namespace {

// The system's words for an error, in UTF-8 like every other text the engine gives.
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

[[noreturn]] void fail(const fs::path& path, DWORD error = GetLastError()) {
    throw FileError(path, windowsMessage(error));
}

// Reads or writes in pieces a DWORD can count.
constexpr std::size_t kPiece = std::size_t{1} << 30;

// Reads at `offset` until `capacity` bytes or the end of the file.
std::size_t readFully(HANDLE file, std::uint64_t offset, char* buffer, std::size_t capacity,
                      const fs::path& path) {
    std::size_t done = 0;
    while (done < capacity) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset + done);
        at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
        DWORD got = 0;
        const auto want = static_cast<DWORD>(std::min(capacity - done, kPiece));
        if (!ReadFile(file, buffer + done, want, &got, &at)) {
            const DWORD error = GetLastError();
            if (error == ERROR_HANDLE_EOF) break;
            fail(path, error);
        }
        if (got == 0) break;
        done += got;
    }
    return done;
}

class SystemInput final : public InputFile {
public:
    explicit SystemInput(const fs::path& path) : path_(path) {
        std::error_code error;
        if (fs::is_directory(path, error)) throw FileError(path, "Is a directory");
        // Others may read and write it meanwhile, as they may while an editor has it open.
        file_ = CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (file_ == INVALID_HANDLE_VALUE) fail(path);
        if (GetFileType(file_) != FILE_TYPE_DISK) {
            CloseHandle(file_);
            throw FileError(path, "Not a regular file");
        }
        if (!GetFileInformationByHandle(file_, &opened_)) {
            const DWORD code = GetLastError();
            CloseHandle(file_);
            fail(path, code);
        }
        size_ = std::uint64_t{opened_.nFileSizeHigh} << 32 | opened_.nFileSizeLow;
    }
    ~SystemInput() override { CloseHandle(file_); }
    SystemInput(const SystemInput&) = delete;
    SystemInput& operator=(const SystemInput&) = delete;

    std::uint64_t size() const override { return size_; }

    // No further than the size the file had. readAt() moves a synchronous handle's own
    // position: read() keeps its own instead.
    std::size_t read(char* buffer, std::size_t capacity) override {
        const std::size_t wanted =
            position_ < size_
                ? static_cast<std::size_t>(std::min<std::uint64_t>(capacity, size_ - position_))
                : 0;
        const std::size_t got = readFully(file_, position_, buffer, wanted, path_);
        if (position_ == 0) readWhole_ = got == size_;
        position_ += got;
        return got;
    }

    std::size_t readAt(std::uint64_t offset, char* buffer, std::size_t capacity) override {
        return readFully(file_, offset, buffer, capacity, path_);
    }

    // Another program may write the file while it is read: its size or its time of last write
    // tells, as on other systems. Read whole by one call, it gave one state of itself.
    void checkUnchanged() const override {
        if (readWhole_) return;
        BY_HANDLE_FILE_INFORMATION now;
        if (!GetFileInformationByHandle(file_, &now)) fail(path_);
        if (now.nFileSizeHigh != opened_.nFileSizeHigh ||
            now.nFileSizeLow != opened_.nFileSizeLow ||
            CompareFileTime(&now.ftLastWriteTime, &opened_.ftLastWriteTime) != 0) {
            throw FileError(path_, "The file was changed while it was being read");
        }
    }

private:
    fs::path path_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    BY_HANDLE_FILE_INFORMATION opened_{};
    std::uint64_t size_ = 0;
    std::uint64_t position_ = 0;
    bool readWhole_ = false;  // by its first read
};

class SystemOutput final : public OutputFile {
public:
    explicit SystemOutput(const fs::path& finalPath) : finalPath_(finalPath) {
        // The temporary file lives beside the final one, so the last move stays in one folder.
        // It is created only if no file of that name exists, so it never clobbers one.
        for (int attempt = 0; attempt < 100 && file_ == INVALID_HANDLE_VALUE; ++attempt) {
            tempPath_ = finalPath;
            tempPath_.replace_filename(detail::temporaryName());
            file_ = CreateFileW(tempPath_.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file_ == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) {
                fail(finalPath_);
            }
        }
        if (file_ == INVALID_HANDLE_VALUE) fail(finalPath_, ERROR_FILE_EXISTS);
        // Marked for deletion while it is written, the file goes with its handle however the
        // process ends, even killed outright; where the file system refuses, by name below.
        deletePending_ = markDeleted(true);
    }
    ~SystemOutput() override {
        if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
        if (!committed_ && !deletePending_) DeleteFileW(tempPath_.c_str());
    }
    SystemOutput(const SystemOutput&) = delete;
    SystemOutput& operator=(const SystemOutput&) = delete;

    void write(const char* data, std::size_t size) override {
        while (size > 0) {
            DWORD put = 0;
            const auto piece = static_cast<DWORD>(std::min(size, kPiece));
            if (!WriteFile(file_, data, piece, &put, nullptr)) fail(finalPath_);
            data += put;
            size -= put;
        }
    }

    void commit() override {
        if (deletePending_ && !markDeleted(false)) fail(finalPath_);
        deletePending_ = false;
        const HANDLE file = file_;
        file_ = INVALID_HANDLE_VALUE;
        if (!CloseHandle(file)) fail(finalPath_);
        if (!MoveFileExW(tempPath_.c_str(), finalPath_.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            fail(finalPath_);
        }
        committed_ = true;
    }

private:
    bool markDeleted(bool deleted) {
        FILE_DISPOSITION_INFO disposition{static_cast<BOOLEAN>(deleted)};
        return SetFileInformationByHandle(file_, FileDispositionInfo, &disposition,
                                          sizeof disposition) != 0;
    }

    fs::path finalPath_;
    fs::path tempPath_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    bool deletePending_ = false;
    bool committed_ = false;
};

class SystemFiles final : public FileLayer {
public:
    std::unique_ptr<InputFile> openInput(const fs::path& path) override {
        return std::make_unique<SystemInput>(path);
    }
    std::unique_ptr<OutputFile> createOutput(const fs::path& finalPath, const InputFile&) override {
        return std::make_unique<SystemOutput>(finalPath);
    }

    void backUp(const fs::path& source, const fs::path& backup) override {
        // A hard link (or, where there can be none, a copy) under a temporary name, then moved
        // over any earlier backup.
        fs::path temporary = backup;
        temporary.replace_filename(detail::temporaryName());
        if (!CreateHardLinkW(temporary.c_str(), source.c_str(), nullptr) &&
            !CopyFileW(source.c_str(), temporary.c_str(), TRUE)) {
            fail(backup);
        }
        if (!MoveFileExW(temporary.c_str(), backup.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            const DWORD error = GetLastError();
            DeleteFileW(temporary.c_str());
            fail(backup, error);
        }
    }
};

}  // namespace

FileLayer& systemFiles() {
    static SystemFiles files;
    return files;
}

namespace detail {

bool identify(const fs::path& path, FileIdentity& id) {
    const HANDLE handle =
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    if (!known) return false;
    id.volume = info.dwVolumeSerialNumber;
    id.file = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    return true;
}

}  // namespace detail
}  // namespace engine
