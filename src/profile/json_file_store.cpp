#include "profile/json_file_store.h"

#include <json/reader.h>
#include <json/writer.h>

#include <cerrno>
#include <memory>
#include <sstream>

#include "platform/debug_output.h"
#include "platform/file_io.h"

namespace profile {

bool ParseJsonText(std::string_view text, Json::Value& out) {
    out = Json::Value();
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    if (text.empty()) {
        return false;
    }
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    builder["allowComments"] = true;
    builder["stackLimit"] = kMaxJsonDepth;
    builder["failIfExtra"] = false;
    Json::Value root;
    try {
        const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
        std::string errors;
        if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors)) {
            return false;
        }
    } catch (const std::exception&) {
        // The reader throws when the nesting limit is exceeded.
        return false;
    }
    if (!root.isObject()) {
        return false;
    }
    out.swap(root);
    return true;
}

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The \uXXXX escape at text[i] (i at the backslash), or -1.
long EscapedUnit(const std::string& text, size_t i) {
    if (i + 6 > text.size() || text[i] != '\\' || text[i + 1] != 'u') {
        return -1;
    }
    long value = 0;
    for (size_t k = i + 2; k < i + 6; ++k) {
        const int digit = HexValue(text[k]);
        if (digit < 0) {
            return -1;
        }
        value = value * 16 + digit;
    }
    return value;
}

void AppendUtf8(std::string& out, unsigned long cp) {
    if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The writer escapes every non-ASCII character; the files keep text as UTF-8
// (names in Chinese stay readable and match what earlier versions wrote).
// Also turns LF into CR LF.
std::string Finish(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            const long unit = EscapedUnit(text, i);
            if (unit >= 0x80 && !(unit >= 0xDC00 && unit <= 0xDFFF)) {
                if (unit >= 0xD800 && unit <= 0xDBFF) {
                    const long low = EscapedUnit(text, i + 6);
                    if (low >= 0xDC00 && low <= 0xDFFF) {
                        AppendUtf8(out, 0x10000 +
                                            ((static_cast<unsigned long>(unit) - 0xD800) << 10) +
                                            (static_cast<unsigned long>(low) - 0xDC00));
                        i += 11;
                        continue;
                    }
                } else {
                    AppendUtf8(out, static_cast<unsigned long>(unit));
                    i += 5;
                    continue;
                }
            }
            // Any other escape is copied whole, so an escaped backslash is
            // never taken for the start of another escape.
            out += c;
            out += text[++i];
            continue;
        }
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
    return out;
}

}  // namespace

std::string StyledJsonText(const Json::Value& document) {
    Json::StyledWriter writer;
    return Finish(writer.write(document) + "\n");
}

namespace {

JsonStatus ReadText(const std::string& path, std::string& text) {
    const platform::ReadResult result = platform::ReadRegularFile(path, text);
    const int error = result == platform::ReadResult::Ok ? 0 : errno;
    platform::DebugOutputF("readjsonFile 错误吗：：%d\n", error);
    switch (result) {
        case platform::ReadResult::Ok:
            return JsonStatus::Ok;
        case platform::ReadResult::Missing:
            return JsonStatus::Missing;
        default:
            text.clear();
            return JsonStatus::Unusable;
    }
}

}  // namespace

std::string JsonFileStore::readjsonFile(const std::string& path) const {
    std::string text;
    ReadText(path, text);
    return text;
}

Json::Value JsonFileStore::ParseJsonFile(const std::string& path) const {
    Json::Value out;
    ParseJsonFile(path, out);
    return out;
}

JsonStatus JsonFileStore::ParseJsonFile(const std::string& path, Json::Value& out) const {
    out = Json::Value();
    std::string text;
    JsonStatus status = ReadText(path, text);
    if (status == JsonStatus::Ok && text.empty()) {
        status = JsonStatus::Invalid;
    }
    if (status != JsonStatus::Ok) {
        platform::DebugOutput(path);
        return status;
    }
    return ParseJsonText(text, out) ? JsonStatus::Ok : JsonStatus::Invalid;
}

bool JsonFileStore::WriteJsonFile(const std::string& path, const Json::Value& document) const {
    std::string text;
    try {
        text = StyledJsonText(document);
    } catch (const std::exception&) {
        return false;
    }
    if (!platform::WriteFileAtomically(path, text)) {
        platform::DebugOutputF("WriteJsonFile failed: %s\n", path.c_str());
        return false;
    }
    return true;
}

bool ParseOrKeepBackup(const std::string& path, Json::Value& out, JsonStatus& status) {
    status = JsonFileStore().ParseJsonFile(path, out);
    if (status != JsonStatus::Unusable && status != JsonStatus::Invalid) {
        return true;
    }
    if (!platform::KeepBackup(path)) {
        platform::DebugOutputF("could not keep %s as .bak; it is not replaced\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace profile
