#include "pages/key_save_flow.h"

namespace pages {
namespace {

constexpr const char* kNotConnected = "message_text_7";
constexpr const char* kMacroBytesOver = "message_text_16";
constexpr const char* kMacroEventsOver = "message_text_26";
constexpr const char* kWriteFailed = "keyset_save_failed_text";
constexpr int kUnitBytes = 128;
constexpr int kMaxMacroEvents = 250;
constexpr int kNoAnswer = -1;

KeySaveOutcome Message(KeySaveResult result, const char* id) {
    KeySaveOutcome o;
    o.result = result;
    o.messageId = id;
    return o;
}

KeySaveOutcome WithNumber(KeySaveResult result, const char* id, int number) {
    KeySaveOutcome o = Message(result, id);
    o.number = number;
    o.hasNumber = true;
    return o;
}

}  // namespace

KeySaveOutcome RunKeySave(const KeySaveSteps& steps) {
    const int macros = steps.sendMacros ? steps.sendMacros() : 0;
    if (macros == kNoAnswer)
        return Message(KeySaveResult::NotConnected, kNotConnected);
    if (macros < 0)
        return WithNumber(KeySaveResult::WriteFailed, kWriteFailed, macros);
    if (macros > 0) {
        // What did not fit: bytes beyond the capacity count in 4-byte events.
        const int capacity = kUnitBytes * (steps.macroUnits ? steps.macroUnits() : 0);
        if (macros > capacity)
            return WithNumber(KeySaveResult::MacroTooLarge, kMacroBytesOver,
                              (macros - capacity) / 4 + 1);
        return WithNumber(KeySaveResult::MacroTooLarge, kMacroEventsOver, macros - kMaxMacroEvents);
    }
    const int keys = steps.sendKeyTable ? steps.sendKeyTable() : 0;
    if (keys == 1) {
        if (steps.saveProfile)
            steps.saveProfile();
        return {KeySaveResult::Saved, {}, 0, false};
    }
    if (keys == 0)
        return Message(KeySaveResult::NotConnected, kNotConnected);
    return WithNumber(KeySaveResult::WriteFailed, kWriteFailed, keys);
}

std::string FormatMessage(const std::string& text, int number) {
    const auto at = text.find("%d");
    if (at == std::string::npos)
        return text;
    std::string out = text;
    out.replace(at, 2, std::to_string(number));
    return out;
}

}  // namespace pages
