// Writes the OPTIONS section of the man page given as its argument from the option table, so
// that --help and the man page never disagree: cmake --build <folder> --target man-page.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "cli/options.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: write-man-page FILE.1\n", stderr);
        return 2;
    }
    std::string page;
    {
        std::ifstream in(argv[1], std::ios::binary);
        page.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const std::size_t begin = page.find(".SH OPTIONS\n");
    const std::size_t end = page.find("\n.SH ", begin);
    if (begin == std::string::npos || end == std::string::npos) {
        std::fprintf(stderr, "write-man-page: %s has no OPTIONS section followed by another\n",
                     argv[1]);
        return 1;
    }
    page.replace(begin, end + 1 - begin, cli::manOptions());
    std::ofstream(argv[1], std::ios::binary) << page;
    return 0;
}
