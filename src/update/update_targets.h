// The things the update check asks about, the request each one sends, and
// how an answer of the update server turns into the row's state.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "update/http_client.h"

namespace update {

enum TargetRow : int { kKeyboardRow = 0, kMouseRow = 1, kMousePadRow = 2, kAppRow = 3 };
inline constexpr int kTargetRows = 4;

struct UpdateTarget {
    int versionFormat = 0;        // non-zero: hexadecimal versions; zero: decimal
    int keyNumber = 1;            // -1 when the device is reached through the receiver
    uint32_t currentVersion = 0;  // 0: not present
    std::string vendorWord;
    std::string boardCode;
    std::string typeCode;
    std::string displayCode;
    std::string displayVersion;  // decimal rows: shown before an answer arrives

    bool Hex() const { return versionFormat != 0; }
};

using UpdateTargetTable = std::array<UpdateTarget, kTargetRows>;

// The table with every current version 0.
UpdateTargetTable DefaultTargetTable();

// One device of the device selector as the UI thread saw it, copied for the
// worker. Its row is its position in the device model table.
struct DeviceVersion {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t deviceType = 0;
    uint16_t variant = 0;
    bool open = false;  // its report channel is open
    bool viaReceiver = false;
    uint16_t release = 0;  // wired: the HID release; via the receiver: its firmware
};

// The installed version as a number: dots removed, the rest decimal
// ("1.0.2" gives 102); 0 when it is not 1 to 9 digits.
uint32_t DisplayVersionNumber(std::string_view dotted);
// The program's own version: $QX70_DISPLAY_VERSION when set, else the
// version it was built as.
std::string ProgramDisplayVersion();

// Fills the current versions: every row 0, then the devices (a closed one
// keeps 0), then the application row from `appDisplayVersion`.
void FillCurrentVersions(UpdateTargetTable& table, const std::vector<DeviceVersion>& devices,
                         const std::string& appDisplayVersion);

// "<vendor>_<format>_<board>_<type>_<key>", or "NULL" when not present.
std::string AppKey(const UpdateTarget& target);
// The form sent for a row, with its terminating NUL byte included.
std::string RequestBody(const UpdateTarget& target);
// "V%04x" (hexadecimal rows) or "V%d".
std::string VersionText(const UpdateTarget& target, uint32_t version);

// Reads a server version: 1 to 8 hexadecimal or 1 to 9 decimal digits.
std::optional<uint32_t> ParseServerVersion(std::string_view text, bool hex);

inline constexpr size_t kMaxAnswerString = 256;

struct ServerAnswer {
    std::string path;
    std::string name;
    std::string versionName;
    std::string version;
    int64_t deviceId = 0;
};

enum class AnswerKind {
    Invalid,  // not a JSON object, a member of the wrong type or too long
    NoOffer,  // an object without a name (or an empty one): up to date
    Offer,    // a name and a well-formed version
};

// Parses the server's answer body (trailing NUL bytes are ignored).
AnswerKind ParseAnswer(std::string_view text, bool hexVersion, ServerAnswer& out);

// Item states of a list row; the check sets only these two.
inline constexpr int kStateUpdateAvailable = 1;
inline constexpr int kStateUpToDate = 7;

struct UpdateInfo {
    int status = kStateUpToDate;
    bool unreachable = false;
    int64_t deviceId = 0;
    std::string name;  // the row's display code
    std::string currentText;
    std::string versionName;
    std::string newText;  // empty when up to date
    std::string path;     // the server's download address; never fetched here
};

// What the client brought back for one row.
struct HttpReply {
    HttpOutcome outcome = HttpOutcome::NotSent;
    long status = 0;
    std::string body;
};

// The row's result. Anything but a 2xx answer holding a JSON object counts
// as not reached, never as up to date.
UpdateInfo DecideRow(const UpdateTarget& target, const HttpReply& reply);

enum class OverallState {
    Checking = 0,
    HaveUpdate = 1,
    NotReached = 2,
    Updating = 3,
    UpToDate = 4,
};

// 1 when some row has an update, else 2 when no row was reached, else 4.
OverallState OverallAfterCheck(const std::vector<UpdateInfo>& rows);

}  // namespace update
