#include "copy.h"

#include <cstdio>
#include <stdexcept>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace bench {

void plainCopy(const std::filesystem::path& from, const std::filesystem::path& to) {
    // One block for every copy, so that a copy of a small file costs no allocation.
    static std::vector<char> block(std::size_t{1} << 20);
#ifdef _WIN32
    const int in = _wopen(from.c_str(), _O_RDONLY | _O_BINARY);
    const int out = _wopen(to.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, 0666);
    int n = 0;
    while (in >= 0 && out >= 0 && (n = _read(in, block.data(), 1u << 20)) > 0)
        _write(out, block.data(), n);
    _close(in), _close(out);
#else
    const int in = ::open(from.c_str(), O_RDONLY);
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (in < 0 || out < 0) throw std::runtime_error("cannot copy " + from.string());
    ssize_t n = 0;
    while ((n = ::read(in, block.data(), block.size())) > 0) {
        if (::write(out, block.data(), static_cast<std::size_t>(n)) != n) break;
    }
    ::close(in);
    ::close(out);
#endif
}

void removeFile(const std::filesystem::path& path) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

long peakKilobytes() {
#ifdef _WIN32
    return 0;
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
#endif
}

}  // namespace bench
