// Writing the key page's table to the keyboard: the macros the keys use go
// first, then the key table; the profile is saved only when both arrived.
// The steps are the device's; this decides what the user is told.
#pragma once

#include <functional>
#include <string>

namespace pages {

struct KeySaveSteps {
    // The macro download: 0 when written (or nothing to write), -1 when the
    // device did not take it, another negative transfer code, or the size
    // (bytes) / event count of what did not fit.
    std::function<int()> sendMacros;
    // The key table write: 1 written, 0 nothing sent (no device, no
    // answer), below 0 the transfer's failure code.
    std::function<int()> sendKeyTable;
    // The device's macro capacity figure: 128-byte units.
    std::function<int()> macroUnits;
    std::function<void()> saveProfile;
};

enum class KeySaveResult {
    Saved,          // profile saved, the three buttons go off
    NotConnected,   // nothing saved, the edit stays
    WriteFailed,    // the device refused a transfer; nothing saved, the edit stays
    MacroTooLarge,  // the key's macro does not fit: the key returns to its own function
};

struct KeySaveOutcome {
    KeySaveResult result = KeySaveResult::NotConnected;
    // Language-file id of the message; empty for Saved.
    std::string messageId;
    // The number the message text shows in place of its "%d"; unused without.
    int number = 0;
    bool hasNumber = false;
};

KeySaveOutcome RunKeySave(const KeySaveSteps& steps);

// The steps of a keyboard object (the device's key list, the macros its keys
// use, its info block's capacity, its profile). A template so this module
// needs no device code.
template <typename Keyboard>
KeySaveSteps KeySaveStepsOf(Keyboard& k) {
    return {[&k] { return k.SendMacros(k.CollectMacroRefs()); },
            [&k] { return k.SendKeyAssignments(k.KeyList()); },
            [&k] { return k.InfoBlock().MacroCapacity() / 128; }, [&k] { k.SaveProfile(); }};
}

// The message text with its first "%d" replaced by the number. A language
// text is never used as a format: any other '%' stays as it is.
std::string FormatMessage(const std::string& text, int number);

}  // namespace pages
