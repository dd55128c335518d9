#include "pages/control_name.h"

#include <limits>

namespace pages {
namespace {

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

int LeadingNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulated as a negative number so INT_MIN fits.
    constexpr int kMin = std::numeric_limits<int>::min();
    constexpr int kMax = std::numeric_limits<int>::max();
    int value = 0;
    bool saturated = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        if (saturated)
            continue;
        if (value < (kMin + digit) / 10) {
            saturated = true;
            continue;
        }
        value = value * 10 - digit;
    }
    if (saturated)
        return negative ? kMin : kMax;
    if (!negative)
        return value == kMin ? kMax : -value;
    return value;
}

IndexedName SplitControlName(std::string_view name) {
    IndexedName out;
    const size_t underscore = name.rfind('_');
    if (underscore == std::string_view::npos)
        return out;
    out.indexed = true;
    out.prefix = name.substr(0, underscore + 1);
    out.index = LeadingNumber(name.substr(underscore + 1));
    return out;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

}  // namespace pages
