// Typed reads over Json::Value that never throw. A value of the wrong type
// reads as missing, so a hand-edited or hostile file can only make settings
// fall back to their defaults. Every reader in the program uses these instead
// of Json::Value's as*() (which throw or convert silently).
#pragma once

#include <json/value.h>

#include <cstdint>
#include <optional>
#include <string>

namespace profile::json {

// The member `key` of `object`, or a null value when `object` is not an
// object or lacks the key.
const Json::Value& Member(const Json::Value& object, const char* key);
// Item `index` of `array`, or a null value when out of range or not an array.
const Json::Value& Item(const Json::Value& array, int64_t index);
// Number of items when `value` is an array, else 0.
int64_t Size(const Json::Value& value);

// An integer: JSON integers, integral reals in range, and booleans (0/1).
// Integers above the signed 64-bit range keep their low 64 bits.
std::optional<int64_t> Int(const Json::Value& value);
// A flag: booleans, and numbers (non-zero is true).
std::optional<bool> Bool(const Json::Value& value);
std::optional<std::string> String(const Json::Value& value);

inline int64_t IntOr(const Json::Value& value, int64_t fallback) {
    return Int(value).value_or(fallback);
}
inline bool BoolOr(const Json::Value& value, bool fallback) {
    return Bool(value).value_or(fallback);
}
inline std::string StringOr(const Json::Value& value, const std::string& fallback = {}) {
    return String(value).value_or(fallback);
}
inline uint8_t Byte(const Json::Value& value) {
    return static_cast<uint8_t>(IntOr(value, 0) & 0xFF);
}
inline uint16_t Word(const Json::Value& value) {
    return static_cast<uint16_t>(IntOr(value, 0) & 0xFFFF);
}
inline int32_t Int32(const Json::Value& value) {
    return static_cast<int32_t>(static_cast<uint32_t>(IntOr(value, 0) & 0xFFFFFFFF));
}

// Writable access: turns `value` into an object (or array) when it is not
// one, so later operator[] calls cannot throw.
Json::Value& AsObject(Json::Value& value);
Json::Value& AsArray(Json::Value& value);
// The member `key` of `object` (made an object first).
Json::Value& MemberRef(Json::Value& object, const char* key);
// Item `index` of `array` (made an array first); the array grows to index + 1.
// Callers bound `index` before calling.
Json::Value& ItemRef(Json::Value& array, uint32_t index);

}  // namespace profile::json
