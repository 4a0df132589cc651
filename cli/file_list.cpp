#include "cli/file_list.h"

#include <cerrno>
#include <fstream>
#include <iostream>
#include <system_error>

#include "cli/options.h"
#include "cli/platform.h"
#include "engine/file_layer.h"

namespace cli {
namespace {

void readNames(std::istream& list, bool nulSeparated, std::vector<std::string>& names) {
    std::string name;
    while (std::getline(list, name, nulSeparated ? '\0' : '\n')) {
        if (!nulSeparated && name.find('\0') != std::string::npos) {
            throw UsageError("the list holds NUL bytes: use -0");
        }
        if (!nulSeparated && !name.empty() && name.back() == '\r') name.pop_back();
        if (!name.empty()) names.push_back(std::move(name));
    }
}

[[noreturn]] void unreadable(const std::string& list, std::errc error) {
    throw UsageError("cannot read the list '" + list +
                     "': " + engine::readableReason(std::make_error_code(error).message()));
}

}  // namespace

void readFileList(const std::string& list, bool nulSeparated, std::vector<std::string>& names) {
    if (list == "-") {
        readNames(std::cin, nulSeparated, names);
        if (std::cin.bad()) unreadable(list, std::errc::io_error);
        return;
    }
    const std::filesystem::path path = pathFromText(list);
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) unreadable(list, std::errc::is_a_directory);
    errno = 0;
    std::ifstream file(path, std::ios::binary);
    if (!file) unreadable(list, errno != 0 ? std::errc(errno) : std::errc::io_error);
    readNames(file, nulSeparated, names);
    if (file.bad()) unreadable(list, errno != 0 ? std::errc(errno) : std::errc::io_error);
}

}  // namespace cli
