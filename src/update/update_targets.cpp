#include "update/update_targets.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "device/device_models.h"
#include "profile/json_access.h"
#include "profile/json_file_store.h"

#ifndef QX70_PROGRAM_VERSION
#define QX70_PROGRAM_VERSION "0.0.0"
#endif

namespace update {

namespace {

bool AllDigits(std::string_view text, bool hex) {
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (!(hex ? std::isxdigit(u) : std::isdigit(u)))
            return false;
    }
    return true;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// A string member: absent reads as empty; another type or an over-long text
// makes the answer invalid.
bool ReadString(const Json::Value& object, const char* key, std::string& out) {
    const Json::Value& value = profile::json::Member(object, key);
    if (value.isNull())
        return true;
    if (!value.isString())
        return false;
    std::optional<std::string> text = profile::json::String(value);
    if (!text || text->size() > kMaxAnswerString)
        return false;
    out = *text;
    return true;
}

}  // namespace

UpdateTargetTable DefaultTargetTable() {
    // The identifiers the update server knows the rows by.
    UpdateTargetTable table{};
    table[kKeyboardRow] = {1, 1, 0, "QX70", "KB01", "FW", "KB", ""};
    table[kMouseRow] = {1, 1, 0, "QX70", "MS01", "FW", "MS", ""};
    table[kMousePadRow] = {2, 1, 0, "QX70", "PD01", "FW", "PAD", ""};
    table[kAppRow] = {0, 1, 0, "QX70", "ALL", "AP", "AP", "V" + ProgramDisplayVersion()};
    return table;
}

uint32_t DisplayVersionNumber(std::string_view dotted) {
    std::string digits;
    for (char c : dotted) {
        if (c != '.')
            digits += c;
    }
    return ParseServerVersion(digits, false).value_or(0);
}

std::string ProgramDisplayVersion() {
    const char* env = std::getenv("QX70_DISPLAY_VERSION");
    if (env != nullptr && *env != '\0')
        return env;
    return QX70_PROGRAM_VERSION;
}

void FillCurrentVersions(UpdateTargetTable& table, const std::vector<DeviceVersion>& devices,
                         const std::string& appDisplayVersion) {
    for (UpdateTarget& row : table) {
        row.currentVersion = 0;
        row.keyNumber = 1;
    }
    for (const DeviceVersion& device : devices) {
        // A headset falls on the application row, which is filled below.
        const int index = device::FindDeviceModel(device.vendorId, device.productId,
                                                  device.deviceType, device.variant);
        if (index < 0 || index >= kAppRow)
            continue;
        UpdateTarget& row = table[static_cast<size_t>(index)];
        if (!device.open)
            continue;
        row.currentVersion = device.release;
        if (device.viaReceiver)
            row.keyNumber = -1;
    }
    table[kAppRow].currentVersion = DisplayVersionNumber(appDisplayVersion);
}

std::string AppKey(const UpdateTarget& target) {
    if (target.currentVersion == 0)
        return "NULL";
    return target.vendorWord + "_" + std::to_string(target.versionFormat) + "_" + target.boardCode +
           "_" + target.typeCode + "_" + std::to_string(target.keyNumber);
}

std::string RequestBody(const UpdateTarget& target) {
    char version[16];
    std::snprintf(version, sizeof version, target.Hex() ? "%x" : "%u", target.currentVersion);
    std::string body = "app_key=" + AppKey(target) + "&version=" + version;
    // The server expects the C string's terminator as part of the body.
    body.push_back('\0');
    return body;
}

std::string VersionText(const UpdateTarget& target, uint32_t version) {
    char text[16];
    std::snprintf(text, sizeof text, target.Hex() ? "V%04x" : "V%u", version);
    return text;
}

std::optional<uint32_t> ParseServerVersion(std::string_view text, bool hex) {
    const size_t maxDigits = hex ? 8 : 9;
    if (text.empty() || text.size() > maxDigits || !AllDigits(text, hex))
        return std::nullopt;
    return static_cast<uint32_t>(std::strtoul(std::string(text).c_str(), nullptr, hex ? 16 : 10));
}

AnswerKind ParseAnswer(std::string_view text, bool hexVersion, ServerAnswer& out) {
    out = ServerAnswer{};
    while (!text.empty() && text.back() == '\0')
        text.remove_suffix(1);
    Json::Value root;
    if (!profile::ParseJsonText(text, root) || !root.isObject())
        return AnswerKind::Invalid;
    ServerAnswer answer;
    if (!ReadString(root, "path", answer.path) || !ReadString(root, "name", answer.name) ||
        !ReadString(root, "version_name", answer.versionName) ||
        !ReadString(root, "version", answer.version)) {
        return AnswerKind::Invalid;
    }
    const Json::Value& id = profile::json::Member(root, "device_id");
    if (!id.isNull()) {
        if (!id.isIntegral() || id.isBool())
            return AnswerKind::Invalid;
        std::optional<int64_t> value = profile::json::Int(id);
        if (!value)
            return AnswerKind::Invalid;
        answer.deviceId = *value;
    }
    if (answer.name.empty()) {
        out = answer;
        return AnswerKind::NoOffer;
    }
    if (!ParseServerVersion(answer.version, hexVersion))
        return AnswerKind::Invalid;
    out = answer;
    return AnswerKind::Offer;
}

UpdateInfo DecideRow(const UpdateTarget& target, const HttpReply& reply) {
    UpdateInfo info;
    info.name = target.displayCode;
    info.currentText = VersionText(target, target.currentVersion);
    info.status = kStateUpToDate;

    const bool answered =
        reply.outcome == HttpOutcome::Answered && reply.status >= 200 && reply.status < 300;
    ServerAnswer answer;
    const AnswerKind kind =
        answered ? ParseAnswer(reply.body, target.Hex(), answer) : AnswerKind::Invalid;
    if (kind == AnswerKind::Invalid || EqualsIgnoringCase(answer.name, kNoLinkServer)) {
        info.unreachable = true;
        return info;
    }
    info.deviceId = answer.deviceId;
    info.path = answer.path;
    info.versionName = answer.versionName;
    if (kind == AnswerKind::NoOffer)
        return info;

    const uint32_t server = ParseServerVersion(answer.version, target.Hex()).value_or(0);
    // A row without a version (no device, or its channel closed) has nothing
    // to update: an offer for it must not read as an update for the user.
    if (target.currentVersion != 0 && target.currentVersion < server) {
        info.status = kStateUpdateAvailable;
        info.newText = "V" + (target.Hex() ? answer.version : answer.versionName);
    }
    return info;
}

OverallState OverallAfterCheck(const std::vector<UpdateInfo>& rows) {
    bool allUnreachable = true;
    for (const UpdateInfo& row : rows) {
        if (row.status == kStateUpdateAvailable)
            return OverallState::HaveUpdate;
        if (!row.unreachable)
            allUnreachable = false;
    }
    return allUnreachable ? OverallState::NotReached : OverallState::UpToDate;
}

}  // namespace update
