#include "cli/file_list.h"

namespace cli {

void readFileList(std::istream& list, bool nulSeparated, std::vector<std::string>& names) {
    std::string name;
    while (std::getline(list, name, nulSeparated ? '\0' : '\n')) {
#ifdef _WIN32
        if (!nulSeparated && !name.empty() && name.back() == '\r') name.pop_back();
#endif
        if (!name.empty()) names.push_back(std::move(name));
    }
}

}  // namespace cli
