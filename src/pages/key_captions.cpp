#include "pages/key_captions.h"

#include <algorithm>
#include <initializer_list>

#include "pages/key_tables.h"

namespace pages {
namespace {

constexpr uint8_t kTypeMove = 0x11;
constexpr uint8_t kTypeWheel = 0x12;
constexpr uint8_t kTypeFire = 0x14;
constexpr uint8_t kTypeKey = 0x20;
constexpr uint8_t kDirectionBit = 0x80;
constexpr size_t kLeftModifierRows = 4;

std::optional<size_t> ExactRow(const profile::KeyAssignment& a) {
    return FindKeyRowByCode(a.type, a.code1, a.code2);
}

const char* ItemCaption(const profile::KeyAssignment& a) {
    for (size_t i = 0; i < kItemListCount; ++i) {
        const auto list = static_cast<ItemList>(i);
        if (const auto found = FindItem(list, a.type, a.code1, a.code2))
            return Items(list)[*found].caption;
    }
    return nullptr;
}

// A key with one or more modifiers held: the left modifier's name stands for
// either side, as the key page's modifier options do.
std::vector<std::string> ModifiedKey(const profile::KeyAssignment& a) {
    const auto key = FindKeyRowByCode(kTypeKey, 0, a.code2, kFirstPlainKeyRow);
    if (!key)
        return {};
    std::vector<std::string> ids;
    for (size_t bit = 0; bit < 8; ++bit) {
        if ((a.code1 & (1u << bit)) == 0)
            continue;
        const size_t row = bit % kLeftModifierRows;
        const std::string id = KeyTable()[row].caption;
        if (std::find(ids.begin(), ids.end(), id) == ids.end())
            ids.push_back(id);
    }
    ids.emplace_back(KeyTable()[*key].caption);
    return ids;
}

}  // namespace

std::vector<std::string> CaptionIdsOf(const profile::KeyAssignment& a) {
    // Ctrl shortcuts share code1 0x10 with the right Ctrl bit: the shortcut
    // list is the one that names them.
    if (a.type == kTypeKey && a.code1 > 0x08 && a.code2 != 0) {
        if (const char* c = ItemCaption(a))
            return {c};
    }
    if (const auto row = ExactRow(a))
        return {KeyTable()[*row].caption};
    switch (a.type) {
        case kTypeMove:
            return {(a.code2 & kDirectionBit) != 0 ? kSwingRightCaption : kSwingLeftCaption};
        case kTypeWheel:
            return {(a.code2 & kDirectionBit) != 0 ? kWheelDownCaption : kWheelUpCaption};
        case kTypeFire:
            return {kFireCaption};
        case kTypeKey:
            if (a.code2 != 0)
                return ModifiedKey(a);
            break;
        default:
            break;
    }
    if (const char* c = ItemCaption(a))
        return {c};
    return {};
}

std::vector<std::string> AllCaptionIds() {
    std::vector<std::string> ids;
    const auto add = [&](const char* id) {
        if (std::find(ids.begin(), ids.end(), id) == ids.end())
            ids.emplace_back(id);
    };
    for (const auto& row : KeyTable())
        add(row.caption);
    for (size_t i = 0; i < kItemListCount; ++i) {
        for (const auto& item : Items(static_cast<ItemList>(i)))
            add(item.caption);
    }
    for (const char* c :
         {kFireCaption, kSwingLeftCaption, kSwingRightCaption, kWheelUpCaption, kWheelDownCaption})
        add(c);
    return ids;
}

}  // namespace pages
