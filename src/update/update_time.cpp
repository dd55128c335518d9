#include "update/update_time.h"

#include <cctype>
#include <cstdio>
#include <ctime>

#include "platform/paths.h"
#include "profile/json_access.h"
#include "profile/json_file_store.h"

namespace update {

namespace {

bool IsCheckDate(const std::string& text) {
    int year = 0, month = 0, day = 0;
    char tail = 0;
    if (text.size() > 16 ||
        std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &tail) != 3) {
        return false;
    }
    return year >= 1900 && month >= 1 && month <= 12 && day >= 1 && day <= 31 &&
           FormatCheckDate(year, month, day) == text;
}

}  // namespace

std::string FormatCheckDate(int year, int month, int day) {
    return std::to_string(year) + "-" + std::to_string(month) + "-" + std::to_string(day);
}

std::string TodayCheckDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr)
        return {};
    return FormatCheckDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

std::string UpdateTimePath() {
    const std::string folder = platform::UserDataFolder();
    return folder.empty() ? std::string() : folder + "updatetime.config";
}

std::optional<std::string> ReadCheckDate(const std::string& path) {
    Json::Value root;
    if (profile::JsonFileStore().ParseJsonFile(path, root) != profile::JsonStatus::Ok) {
        return std::nullopt;
    }
    std::optional<std::string> value = profile::json::String(
        profile::json::Member(profile::json::Member(root, "updatelasttime"), "value"));
    if (!value || !IsCheckDate(*value))
        return std::nullopt;
    return value;
}

bool WriteCheckDate(const std::string& path, const std::string& date) {
    if (path.empty())
        return false;
    Json::Value old;
    profile::JsonStatus status = profile::JsonStatus::Missing;
    if (!profile::ParseOrKeepBackup(path, old, status))
        return false;
    Json::Value root(Json::objectValue);
    profile::json::MemberRef(profile::json::MemberRef(root, "updatelasttime"), "value") = date;
    return profile::JsonFileStore().WriteJsonFile(path, root);
}

}  // namespace update
