#include "profile/json_access.h"

#include <cmath>
#include <limits>

namespace profile::json {
namespace {

const Json::Value& NullValue() {
    static const Json::Value kNull;
    return kNull;
}

}  // namespace

const Json::Value& Member(const Json::Value& object, const char* key) {
    if (!object.isObject()) {
        return NullValue();
    }
    const Json::Value* found = object.find(key, key + std::char_traits<char>::length(key));
    return found != nullptr ? *found : NullValue();
}

const Json::Value& Item(const Json::Value& array, int64_t index) {
    if (!array.isArray() || index < 0 || index >= static_cast<int64_t>(array.size())) {
        return NullValue();
    }
    return array[static_cast<Json::ArrayIndex>(index)];
}

int64_t Size(const Json::Value& value) {
    return value.isArray() ? static_cast<int64_t>(value.size()) : 0;
}

std::optional<int64_t> Int(const Json::Value& value) {
    switch (value.type()) {
        case Json::intValue:
            return value.asInt64();
        case Json::uintValue:
            return static_cast<int64_t>(value.asUInt64());
        case Json::booleanValue:
            return value.asBool() ? 1 : 0;
        case Json::realValue: {
            const double d = value.asDouble();
            // 2^63 is exactly representable; anything at or beyond it is out of range.
            if (std::isfinite(d) && d == std::floor(d) && d >= -9223372036854775808.0 &&
                d < 9223372036854775808.0) {
                return static_cast<int64_t>(d);
            }
            return std::nullopt;
        }
        default:
            return std::nullopt;
    }
}

std::optional<bool> Bool(const Json::Value& value) {
    switch (value.type()) {
        case Json::booleanValue:
            return value.asBool();
        case Json::intValue:
        case Json::uintValue:
        case Json::realValue:
            return value.asDouble() != 0.0;
        default:
            return std::nullopt;
    }
}

std::optional<std::string> String(const Json::Value& value) {
    if (!value.isString()) {
        return std::nullopt;
    }
    return value.asString();
}

Json::Value& AsObject(Json::Value& value) {
    if (!value.isObject()) {
        value = Json::Value(Json::objectValue);
    }
    return value;
}

Json::Value& AsArray(Json::Value& value) {
    if (!value.isArray()) {
        value = Json::Value(Json::arrayValue);
    }
    return value;
}

Json::Value& MemberRef(Json::Value& object, const char* key) {
    return AsObject(object)[key];
}

Json::Value& ItemRef(Json::Value& array, uint32_t index) {
    return AsArray(array)[static_cast<Json::ArrayIndex>(index)];
}

}  // namespace profile::json
