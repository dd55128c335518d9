#include "platform/settings_store.h"

#include <json/json.h>

#include <limits>
#include <memory>
#include <sstream>

#include "platform/debug_output.h"
#include "platform/file_io.h"
#include "platform/paths.h"

namespace platform {
namespace {

// Reads the settings object; a missing file is an empty object, a file that
// cannot be parsed is reported through `damaged`.
Json::Value Load(const std::string& path, bool& damaged) {
    damaged = false;
    std::string text;
    const ReadResult r = ReadRegularFile(path, text, 1024 * 1024);
    if (r == ReadResult::Missing) {
        return Json::Value(Json::objectValue);
    }
    Json::Value root;
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    builder["stackLimit"] = 64;
    std::string errors;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    bool parsed = false;
    if (r == ReadResult::Ok) {
        try {
            parsed = reader->parse(text.data(), text.data() + text.size(), &root, &errors);
        } catch (const std::exception&) {
            parsed = false;
        }
    }
    if (!parsed || !root.isObject()) {
        damaged = true;
        return Json::Value(Json::objectValue);
    }
    return root;
}

}  // namespace

SettingsStore::SettingsStore(std::string path) : path_(std::move(path)) {
    if (path_.empty()) {
        const std::string folder = UserConfigFolder();
        path_ = folder.empty() ? std::string() : folder + "settings.json";
    }
}

std::optional<int> SettingsStore::GetInt(const std::string& name) const {
    std::lock_guard lock(mutex_);
    bool damaged = false;
    const Json::Value root = Load(path_, damaged);
    const Json::Value& v = root[name];
    if (v.isInt()) {
        return v.asInt();
    }
    return std::nullopt;
}

std::optional<std::string> SettingsStore::GetString(const std::string& name) const {
    std::lock_guard lock(mutex_);
    bool damaged = false;
    const Json::Value root = Load(path_, damaged);
    const Json::Value& v = root[name];
    if (v.isString()) {
        return v.asString();
    }
    return std::nullopt;
}

template <typename Fn>
bool SettingsStore::Update(Fn&& change) {
    std::lock_guard lock(mutex_);
    if (path_.empty()) {
        return false;
    }
    bool damaged = false;
    Json::Value root = Load(path_, damaged);
    if (damaged) {
        // Defaults are never written over a file nobody could keep.
        if (!KeepBackup(path_)) {
            DebugOutput("settings file damaged and could not be kept; not rewritten");
            return false;
        }
        DebugOutput("settings file damaged, kept as .bak");
    }
    change(root);
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "   ";
    return WriteFileAtomically(path_, Json::writeString(writer, root) + "\n");
}

bool SettingsStore::SetInt(const std::string& name, int value) {
    return Update([&](Json::Value& root) { root[name] = value; });
}

bool SettingsStore::SetString(const std::string& name, const std::string& value) {
    return Update([&](Json::Value& root) { root[name] = value; });
}

}  // namespace platform
