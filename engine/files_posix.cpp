// The file layer on POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "engine/file_layer.h"
#include "engine/system_files.h"

namespace fs = std::filesystem;

namespace engine {
namespace {

[[noreturn]] void fail(const fs::path& path, int error) {
    throw FileError(path, std::generic_category().message(error));
}

// Whole reads and writes, carried on past interruptions and short transfers.
std::size_t readFully(int fd, char* buffer, std::size_t capacity, const fs::path& path) {
    std::size_t done = 0;
    while (done < capacity) {
        const ssize_t got = ::read(fd, buffer + done, capacity - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) fail(path, errno);
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
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
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) fail(path, errno);
        struct stat opened;
        if (::fstat(fd_, &opened) != 0) {
            const int code = errno;
            ::close(fd_);
            fail(path, code);
        }
        size_ = static_cast<std::uint64_t>(opened.st_size);
    }
    ~SystemInput() override { ::close(fd_); }
    SystemInput(const SystemInput&) = delete;
    SystemInput& operator=(const SystemInput&) = delete;

    std::uint64_t size() const override { return size_; }

    std::size_t read(char* buffer, std::size_t capacity) override {
        return readFully(fd_, buffer, capacity, path_);
    }

    std::size_t readAt(std::uint64_t offset, char* buffer, std::size_t capacity) override {
        std::size_t done = 0;
        while (done < capacity) {
            const ssize_t got =
                ::pread(fd_, buffer + done, capacity - done, static_cast<off_t>(offset + done));
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) fail(path_, errno);
            if (got == 0) break;
            done += static_cast<std::size_t>(got);
        }
        return done;
    }

private:
    fs::path path_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

class SystemOutput final : public OutputFile {
public:
    explicit SystemOutput(const fs::path& finalPath) : finalPath_(finalPath) {
        // The temporary file lives beside the final one, so the last move stays in one folder.
        // It is created only if no file of that name exists, so it never clobbers one.
        for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
            tempPath_ = finalPath;
            tempPath_.replace_filename(detail::temporaryName());
            fd_ = ::open(tempPath_.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
            if (fd_ < 0 && errno != EEXIST) fail(finalPath_, errno);
        }
        if (fd_ < 0) fail(finalPath_, EEXIST);
    }
    ~SystemOutput() override {
        if (fd_ >= 0) ::close(fd_);
        if (!committed_) ::unlink(tempPath_.c_str());
    }
    SystemOutput(const SystemOutput&) = delete;
    SystemOutput& operator=(const SystemOutput&) = delete;

    void write(const char* data, std::size_t size) override {
        while (size > 0) {
            const ssize_t put = ::write(fd_, data, size);
            if (put < 0 && errno == EINTR) continue;
            if (put < 0) fail(finalPath_, errno);
            data += put;
            size -= static_cast<std::size_t>(put);
        }
    }

    void commit() override {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) fail(finalPath_, errno);
        if (::rename(tempPath_.c_str(), finalPath_.c_str()) != 0) fail(finalPath_, errno);
        committed_ = true;
    }

private:
    fs::path finalPath_;
    fs::path tempPath_;
    int fd_ = -1;
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

FileLayer& systemFiles() {
    static SystemFiles files;
    return files;
}

namespace detail {

bool identify(const fs::path& path, FileIdentity& id) {
    struct stat status;
    if (::stat(path.c_str(), &status) != 0) return false;
    id.volume = static_cast<std::uint64_t>(status.st_dev);
    id.file = static_cast<std::uint64_t>(status.st_ino);
    return true;
}

}  // namespace detail
}  // namespace engine
