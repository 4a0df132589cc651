// The file layer on POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <system_error>

#include "engine/file_layer.h"
#include "engine/interrupts.h"
#include "engine/source_mapping.h"
#include "engine/system_files.h"

namespace fs = std::filesystem;

namespace engine {
namespace {

[[noreturn]] void fail(const fs::path& path, int error) {
    throw FileError(path, std::generic_category().message(error));
}

// Whether outputs are created unnamed: where the system has O_TMPFILE and /proc to give such a
// file its name without privileges, unless SEGMENT_REPLACE_NAMED_OUTPUTS is set (for tests of
// the named way).
bool unnamedOutputs() {
#ifdef O_TMPFILE
    static const bool proc = ::access("/proc/self/fd", X_OK) == 0;
    return proc && std::getenv("SEGMENT_REPLACE_NAMED_OUTPUTS") == nullptr;
#else
    return false;
#endif
}

// The process's file mode creation mask, as /proc tells it, read once; none where it does not.
std::optional<mode_t> creationMask() {
    static const std::optional<mode_t> mask = []() -> std::optional<mode_t> {
        std::FILE* status = std::fopen("/proc/self/status", "re");
        if (status == nullptr) return std::nullopt;
        char line[256];
        unsigned value = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, status) != nullptr)
            found = std::sscanf(line, "Umask: %o", &value) == 1;
        std::fclose(status);
        return found ? std::optional<mode_t>(static_cast<mode_t>(value)) : std::nullopt;
    }();
    return mask;
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
        // Opened without waiting: a FIFO would wait for a writer, freezing the window. What is
        // not a regular file is refused before anything is read; a regular file ignores the flag.
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        if (fd_ < 0) fail(path, errno);
        struct stat opened;
        const int code = ::fstat(fd_, &opened) != 0 ? errno : 0;
        if (code != 0 || !S_ISREG(opened.st_mode)) {
            ::close(fd_);
            if (code != 0) fail(path, code);
            throw FileError(path,
                            S_ISDIR(opened.st_mode) ? "Is a directory" : "Not a regular file");
        }
        size_ = static_cast<std::uint64_t>(opened.st_size);
        opened_ = opened;
        mapping_.emplace(fd_, size_);
        permissions_.mode = opened.st_mode & 0777;
        permissions_.owner = opened.st_uid;
        permissions_.group = opened.st_gid;
    }
    ~SystemInput() override {
        mapping_.reset();
        ::close(fd_);
    }
    SystemInput(const SystemInput&) = delete;
    SystemInput& operator=(const SystemInput&) = delete;

    std::uint64_t size() const override { return size_; }
    Permissions permissions() const override { return permissions_; }

    // No further than the size the file had: a source that grew is not read past it, and one
    // read to its end needs no read that finds nothing.
    std::size_t read(char* buffer, std::size_t capacity) override {
        const std::size_t wanted =
            offset_ < size_
                ? static_cast<std::size_t>(std::min<std::uint64_t>(capacity, size_ - offset_))
                : 0;
        const std::size_t got = readFully(fd_, buffer, wanted, path_);
        if (offset_ == 0) readWhole_ = got == size_ && !mapping_->bytes().data();
        offset_ += got;
        return got;
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

    std::string_view mapped() const override { return mapping_->bytes(); }
    void release(std::uint64_t from, std::uint64_t to) override { mapping_->release(from, to); }

    void checkUnchanged() const override {
        // Read whole by one call, the source gave one state of itself, whatever came after.
        if (readWhole_) return;
        struct stat now;
        if (::fstat(fd_, &now) != 0) fail(path_, errno);
        if (mapping_->faulted() || now.st_size != opened_.st_size ||
            now.st_mtim.tv_sec != opened_.st_mtim.tv_sec ||
            now.st_mtim.tv_nsec != opened_.st_mtim.tv_nsec) {
            throw FileError(path_, "The file was changed while it was being read");
        }
    }

private:
    fs::path path_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::uint64_t offset_ = 0;  // where read() goes on
    bool readWhole_ = false;    // by its first read
    struct stat opened_ {};
    std::optional<detail::SourceMapping> mapping_;
    Permissions permissions_;
};

class SystemOutput final : public OutputFile {
public:
    SystemOutput(const fs::path& finalPath, Permissions permissions)
        : finalPath_(finalPath), permissions_(permissions) {
        // The file lives in the folder of the final one, so the last move stays in one folder.
        // Unnamed, it leaves nothing behind even when the process is killed outright.
#ifdef O_TMPFILE
        if (unnamedOutputs()) {
            const fs::path folder = finalPath.has_parent_path() ? finalPath.parent_path() : ".";
            // No other user can reach a file without a name, so it is made with its final
            // mode at once; the mask may only take bits away, which a change of mode mends.
            const auto mode = static_cast<mode_t>(permissions_.mode & 0777);
            fd_ = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
            if (const std::optional<mode_t> mask = creationMask(); fd_ >= 0 && mask)
                createdMode_ = mode & ~*mask;
            if (fd_ >= 0) return;
            // Not on this file system, or not in this kernel: a named file then.
            if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) fail(finalPath_, errno);
        }
#endif
        // Created only if no file of that name exists, so it never clobbers one.
        for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
            tempPath_ = nameBeside(finalPath_);
            fd_ = ::open(tempPath_.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
            if (fd_ < 0 && errno != EEXIST) fail(finalPath_, errno);
        }
        if (fd_ < 0) fail(finalPath_, EEXIST);
        if (!name_->created()) abandon();
    }
    ~SystemOutput() override {
        if (fd_ >= 0) ::close(fd_);
        if (!committed_ && name_) ::unlink(tempPath_.c_str());
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

    void writePieces(const Piece* pieces, std::size_t count) override {
        constexpr std::size_t kMost = 256;  // iovec entries a call
        iovec vectors[kMost];
        while (count > 0) {
            const std::size_t n = std::min(count, kMost);
            for (std::size_t i = 0; i < n; ++i)
                vectors[i] = {const_cast<char*>(pieces[i].data), pieces[i].size};
            for (std::size_t first = 0; first < n;) {
                const ssize_t put = ::writev(fd_, vectors + first, static_cast<int>(n - first));
                if (put < 0 && errno == EINTR) continue;
                if (put < 0) fail(finalPath_, errno);
                // A short write goes on where it stopped.
                auto left = static_cast<std::size_t>(put);
                while (first < n && left >= vectors[first].iov_len)
                    left -= vectors[first++].iov_len;
                if (first < n) {
                    vectors[first].iov_base = static_cast<char*>(vectors[first].iov_base) + left;
                    vectors[first].iov_len -= left;
                }
            }
            pieces += n;
            count -= n;
        }
    }

    void commit() override {
        if (commitWhereFree()) return;
        if (!permissionsTaken_) takePermissions();
        if (!name_) linkUnderTemporaryName();
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) fail(finalPath_, errno);
        if (::rename(tempPath_.c_str(), finalPath_.c_str()) != 0) fail(finalPath_, errno);
        committed_ = true;
        name_.reset();
    }

    // An unnamed file takes its final name at once where none is there: a step fewer than a
    // temporary name and a move.
    bool commitWhereFree() override {
        if (name_ || triedFinalPath_) return false;
        triedFinalPath_ = true;
        takePermissions();
        return linkedAtFinalPath();
    }

private:
    // A random name in the folder of `path`, registered so that an ending process removes it.
    fs::path nameBeside(const fs::path& path) {
        fs::path name = path;
        name.replace_filename(detail::temporaryName());
        name_.reset();
        name_.emplace(name);
        return name;
    }

    // The process is ending: the file the handler may have missed is gone, and so is this one.
    [[noreturn]] void abandon() {
        ::close(fd_);
        fd_ = -1;
        name_.reset();
        throw FileError(finalPath_, "Interrupted");
    }

    void takePermissions() {
        permissionsTaken_ = true;
        std::uint32_t mode = permissions_.mode & 0777;
        const auto none = static_cast<uid_t>(-1);
        const auto group = static_cast<gid_t>(permissions_.group);
        // The owner only where the system lets (as root); else the group where the owner may.
        const bool given = permissions_.owner >= 0 &&
                           ::fchown(fd_, static_cast<uid_t>(permissions_.owner), group) == 0;
        if (!given && permissions_.group >= 0 && ::fchown(fd_, none, group) != 0) {
            // Not the owner's to give: the creator's group then gets no more than others.
            struct stat status;
            if (::fstat(fd_, &status) != 0 || status.st_gid != group)
                mode = (mode & ~std::uint32_t{070}) | ((mode & 07) << 3);
        }
        // A file system without modes keeps the file as private as it was created.
        if (createdMode_ != mode) ::fchmod(fd_, static_cast<mode_t>(mode));
    }

    // Gives the unnamed file the name `path`, where none is there; errno tells why not.
    // Straight from its descriptor where the system lets this process (as root, or since Linux
    // 6.10 for a file it opened itself), which spares a walk through /proc; else through /proc.
    bool linkTo(const fs::path& path) const {
#ifdef AT_EMPTY_PATH
        static std::atomic<bool> straight{true};
        if (straight && ::linkat(fd_, "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) == 0) return true;
        if (straight && errno != ENOENT && errno != EPERM && errno != EINVAL) return false;
#endif
        char self[40];
        std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd_);
        if (::linkat(AT_FDCWD, self, AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) != 0) return false;
#ifdef AT_EMPTY_PATH
        straight = false;  // refused straight, linked through /proc: not worth a call again
#endif
        return true;
    }

    // Where nothing is at the final path, the unnamed file takes that name at once, complete.
    // False, changing nothing, otherwise.
    bool linkedAtFinalPath() {
        if (!linkTo(finalPath_)) return false;
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) {
            const int error = errno;
            ::unlink(finalPath_.c_str());
            fail(finalPath_, error);
        }
        committed_ = true;
        return true;
    }

    // A name can only be linked to a file where none is, so the file gets a temporary one
    // first and is then moved over whatever is at the final path.
    void linkUnderTemporaryName() {
        for (int attempt = 0; attempt < 100; ++attempt) {
            tempPath_ = nameBeside(finalPath_);
            if (linkTo(tempPath_)) {
                if (!name_->created()) abandon();
                return;
            }
            if (errno == EEXIST) continue;
            const int error = errno;
            name_.reset();
            fail(finalPath_, error);
        }
        name_.reset();
        fail(finalPath_, EEXIST);
    }

    fs::path finalPath_;
    Permissions permissions_;
    fs::path tempPath_;
    std::optional<detail::TemporaryName> name_;  // while the file has a name of its own
    int fd_ = -1;
    std::optional<std::uint32_t> createdMode_;  // where known
    bool permissionsTaken_ = false;
    bool triedFinalPath_ = false;
    bool committed_ = false;
};

class SystemFiles final : public FileLayer {
public:
    std::unique_ptr<InputFile> openInput(const fs::path& path) override {
        return std::make_unique<SystemInput>(path);
    }
    std::unique_ptr<OutputFile> createOutput(const fs::path& finalPath,
                                             const InputFile& source) override {
        return std::make_unique<SystemOutput>(finalPath, source.permissions());
    }

    void backUp(const fs::path& source, const fs::path& backup) override {
        // A hard link under a temporary name, then moved over any earlier backup.
        for (int attempt = 0; attempt < 100; ++attempt) {
            fs::path temporary = backup;
            temporary.replace_filename(detail::temporaryName());
            detail::TemporaryName name(temporary);
            if (::link(source.c_str(), temporary.c_str()) != 0) {
                if (errno == EEXIST) continue;
                // A file system without hard links gets a copy, made as any output is.
                if (errno != EPERM && errno != EXDEV && errno != EMLINK && errno != ENOTSUP &&
                    errno != EOPNOTSUPP) {
                    fail(backup, errno);
                }
                break;
            }
            if (!name.created()) throw FileError(backup, "Interrupted");
            if (::rename(temporary.c_str(), backup.c_str()) != 0) {
                const int error = errno;
                ::unlink(temporary.c_str());
                fail(backup, error);
            }
            return;
        }
        SystemInput input(source);
        SystemOutput output(backup, input.permissions());
        const std::unique_ptr<char[]> buffer(new char[kCopyBlock]);
        while (const std::size_t got = input.read(buffer.get(), kCopyBlock))
            output.write(buffer.get(), got);
        output.commit();
    }

private:
    static constexpr std::size_t kCopyBlock = std::size_t{1} << 20;
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
