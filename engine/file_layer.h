// The engine's access to files: binary, buffered by the caller, and replaceable in tests so that
// failures and huge sizes can be simulated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace engine {

// A system's message as a reason: first letter capital, no closing full stop or line break.
std::string readableReason(std::string message);

// A file operation that failed; what() is the reason in words, path() the file concerned.
class FileError : public std::runtime_error {
public:
    FileError(std::filesystem::path path, const std::string& reason)
        : std::runtime_error(readableReason(reason)), path_(std::move(path)) {}
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Who may use a file, as POSIX tells it: the owner's, the group's and others' bits, the owner
// and the group. An output takes its source's, as far as the system lets it.
struct Permissions {
    std::uint32_t mode = 0600;
    std::int64_t owner = -1;  // -1: the creator
    std::int64_t group = -1;  // -1: the creator's
};

// A source opened for reading.
class InputFile {
public:
    virtual ~InputFile() = default;
    // As the file was when it was opened; private to the owner where the system has none.
    virtual Permissions permissions() const { return {}; }
    static constexpr std::uint64_t kUnknownSize = UINT64_MAX;
    // Size in bytes when it was opened; kUnknownSize for a stream.
    virtual std::uint64_t size() const = 0;
    // Reads up to `capacity` bytes; 0 at the end of the file. Throws FileError.
    virtual std::size_t read(char* buffer, std::size_t capacity) = 0;
    // Reads up to `capacity` bytes from `offset` on, through the same open file, without moving
    // where read() goes on: a look ahead that sees the very file being read. Throws FileError.
    virtual std::size_t readAt(std::uint64_t offset, char* buffer, std::size_t capacity) = 0;
    // The whole file mapped into memory, to be read in place of read(); empty where it is not
    // (a stream, a small file, a system without mappings).
    virtual std::string_view mapped() const { return {}; }
    // Lets the system take back the memory of the mapped bytes in [from, to), which stay
    // readable.
    virtual void release(std::uint64_t /*from*/, std::uint64_t /*to*/) {}
    // Throws FileError when the file was changed while it was read (its size, its time of last
    // change, or a mapped page that could no longer be read), rather than let bytes it never
    // held pass for its contents.
    virtual void checkUnchanged() const {}
};

// An output being written in the folder of its final path, unnamed where the system allows it
// (Linux's O_TMPFILE), otherwise under a short temporary name (a dot, "sr" and random letters),
// so that any name the folder can hold can be written. It is private to its owner until commit()
// gives it its source's permissions. Destroying it before commit() removes the temporary file
// and leaves any file at the final path as it was.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    // Throws FileError.
    virtual void write(const char* data, std::size_t size) = 0;
    // Writes `count` pieces in order, as write() would one after the other, where the system
    // can in one call.
    struct Piece {
        const char* data;
        std::size_t size;
    };
    virtual void writePieces(const Piece* pieces, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) write(pieces[i].data, pieces[i].size);
    }
    // Flushes, closes and moves the file to its final path. Throws FileError.
    virtual void commit() = 0;
    // Commits only where no file is at the final path, which the system tells in the same step:
    // false, changing nothing, where one is or where the system cannot tell. So a caller need
    // look at what it would replace only when something is there. Throws FileError.
    virtual bool commitWhereFree() { return false; }
};

class FileLayer {
public:
    virtual ~FileLayer() = default;
    // Throws FileError when the file cannot be opened, or is not a regular file.
    virtual std::unique_ptr<InputFile> openInput(const std::filesystem::path& path) = 0;
    // Creates a temporary file in the folder of `finalPath` for an output of `source`. Throws
    // FileError.
    virtual std::unique_ptr<OutputFile> createOutput(const std::filesystem::path& finalPath,
                                                     const InputFile& source) = 0;
    // Makes `backup` the same file as `source` (a hard link, or a copy where there can be none),
    // replacing any file there only once it is complete; `source` is left as it is. Throws
    // FileError.
    virtual void backUp(const std::filesystem::path& source,
                        const std::filesystem::path& backup) = 0;
};

// The real file system.
FileLayer& systemFiles();

}  // namespace engine
