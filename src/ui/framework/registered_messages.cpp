#include "ui/framework/registered_messages.h"

#include <cctype>
#include <mutex>
#include <unordered_map>

namespace ui {
namespace {

constexpr uint32_t kRangeSize = kRegisteredMessageLast - kRegisteredMessageFirst + 1;

std::string Fold(std::string_view name) {
    std::string key(name);
    for (char& c : key)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

struct Registry {
    std::mutex mutex;
    std::unordered_map<std::string, uint32_t> byName;    // folded name -> number
    std::unordered_map<uint32_t, std::string> byNumber;  // number -> name as first given
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

}  // namespace

uint32_t RegisterWindowMessage(std::string_view name) {
    if (name.empty())
        return 0;
    const std::string key = Fold(name);
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    if (auto it = r.byName.find(key); it != r.byName.end())
        return it->second;
    if (r.byNumber.size() >= kRangeSize)
        return 0;
    // FNV-1a of the folded name picks the first candidate; collisions probe on.
    uint32_t hash = 2166136261u;
    for (unsigned char c : key) {
        hash ^= c;
        hash *= 16777619u;
    }
    uint32_t offset = hash % kRangeSize;
    while (r.byNumber.count(kRegisteredMessageFirst + offset) != 0)
        offset = (offset + 1) % kRangeSize;
    const uint32_t number = kRegisteredMessageFirst + offset;
    r.byName.emplace(key, number);
    r.byNumber.emplace(number, std::string(name));
    return number;
}

uint32_t FindRegisteredMessage(std::string_view name) {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    auto it = r.byName.find(Fold(name));
    return it == r.byName.end() ? 0 : it->second;
}

std::string RegisteredMessageName(uint32_t message) {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    auto it = r.byNumber.find(message);
    return it == r.byNumber.end() ? std::string() : it->second;
}

}  // namespace ui
