#include "engine/file_layer.h"

#include <random>

#include "engine/system_files.h"

namespace engine {

std::string readableReason(std::string message) {
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.')) {
        message.pop_back();
    }
    if (!message.empty() && message[0] >= 'a' && message[0] <= 'z') message[0] -= 'a' - 'A';
    return message;
}

namespace detail {

std::string temporaryName() {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> pick(0, sizeof kLetters - 2);
    std::string name = ".sr";
    for (int i = 0; i < 8; ++i) name += kLetters[pick(random)];
    return name;
}

}  // namespace detail
}  // namespace engine
