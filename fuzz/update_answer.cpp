// Fuzzes the update server's answer: any body, for a hexadecimal and a
// decimal row, gives a row result within the limits the list relies on
// (bounded texts, a known state, an offer only with a well-formed version).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "update/update_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string body(reinterpret_cast<const char*>(data), size);
    update::UpdateTargetTable table = update::DefaultTargetTable();
    table[update::kKeyboardRow].currentVersion = 0x0105;
    table[update::kAppRow].currentVersion = 102;
    for (const int row : {update::kKeyboardRow, update::kAppRow}) {
        const update::UpdateTarget& target = table[static_cast<size_t>(row)];
        update::ServerAnswer answer;
        const update::AnswerKind kind = update::ParseAnswer(body, target.Hex(), answer);
        if (kind == update::AnswerKind::Offer &&
            !update::ParseServerVersion(answer.version, target.Hex())) {
            std::abort();
        }
        const update::UpdateInfo info =
            update::DecideRow(target, {update::HttpOutcome::Answered, 200, body});
        if (info.status != update::kStateUpToDate && info.status != update::kStateUpdateAvailable) {
            std::abort();
        }
        if (kind == update::AnswerKind::Invalid && !info.unreachable)
            std::abort();
        if (info.unreachable && info.status != update::kStateUpToDate)
            std::abort();
        if (info.path.size() > update::kMaxAnswerString ||
            info.versionName.size() > update::kMaxAnswerString ||
            info.newText.size() > update::kMaxAnswerString + 1) {
            std::abort();
        }
    }
    return 0;
}
