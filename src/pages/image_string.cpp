#include "pages/image_string.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "pages/control_name.h"

namespace pages {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// "l,t,r,b"; missing numbers are 0, each read like atoi.
IntRect ParseRect(std::string_view v) {
    int parts[4] = {0, 0, 0, 0};
    for (int& part : parts) {
        const size_t comma = v.find(',');
        part = LeadingNumber(v.substr(0, comma));
        if (comma == std::string_view::npos)
            break;
        v.remove_prefix(comma + 1);
    }
    return {parts[0], parts[1], parts[2], parts[3]};
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "#AARRGGBB" or "0x..." as hex, else decimal; stops at 32 bits.
uint32_t ParseColour(std::string_view v) {
    v = Trim(v);
    int base = 10;
    if (!v.empty() && v.front() == '#') {
        v.remove_prefix(1);
        base = 16;
    } else if (v.size() >= 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X')) {
        v.remove_prefix(2);
        base = 16;
    }
    uint64_t value = 0;
    for (char c : v) {
        const int d = HexDigit(c);
        if (d < 0 || d >= base)
            break;
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
        if (value > UINT32_MAX)
            return UINT32_MAX;
    }
    return static_cast<uint32_t>(value);
}

bool IsTrue(std::string_view v) {
    return EqualsIgnoringCase(Trim(v), "true");
}

void Apply(ImageString& out, std::string_view key, std::string_view value) {
    if (EqualsIgnoringCase(key, "file")) {
        out.file = std::string(value);
        out.fromResource = false;
    } else if (EqualsIgnoringCase(key, "res")) {
        // A file given as well keeps priority, wherever it stands.
        if (out.file.empty() || out.fromResource) {
            out.file = std::string(value);
            out.fromResource = true;
        }
    } else if (EqualsIgnoringCase(key, "restype")) {
        out.resType = std::string(value);
    } else if (EqualsIgnoringCase(key, "dest")) {
        out.dest = ParseRect(value);
        out.hasDest = true;
    } else if (EqualsIgnoringCase(key, "source")) {
        out.source = ParseRect(value);
    } else if (EqualsIgnoringCase(key, "corner")) {
        out.corner = ParseRect(value);
    } else if (EqualsIgnoringCase(key, "mask")) {
        out.mask = ParseColour(value);
        out.hasMask = true;
    } else if (EqualsIgnoringCase(key, "fade")) {
        out.fade = std::clamp(LeadingNumber(value), 0, 255);
    } else if (EqualsIgnoringCase(key, "hole")) {
        out.hole = IsTrue(value);
    } else if (EqualsIgnoringCase(key, "xtiled")) {
        out.xTiled = IsTrue(value);
    } else if (EqualsIgnoringCase(key, "ytiled")) {
        out.yTiled = IsTrue(value);
    } else if (EqualsIgnoringCase(key, "hsl")) {
        out.hsl = IsTrue(value);
    }
    // Unknown keys are skipped so that newer skins still draw.
}

int Saturate(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

}  // namespace

int ScaleToDpi(int v, int dpi) {
    const int64_t p = static_cast<int64_t>(v) * dpi;
    // Round half away from zero so that -x scales like x.
    const int64_t q = p >= 0 ? (p + 48) / 96 : -((-p + 48) / 96);
    return Saturate(q);
}

ImageString ParseImageString(std::string_view text) {
    ImageString out;
    text = Trim(text);
    if (text.find('=') == std::string_view::npos) {
        out.file = std::string(text);
        return out;
    }
    size_t pos = 0;
    while (true) {
        while (pos < text.size() && IsBlank(text[pos]))
            ++pos;
        if (pos >= text.size())
            break;
        const size_t keyStart = pos;
        while (pos < text.size() && text[pos] != '=' && !IsBlank(text[pos]))
            ++pos;
        const std::string_view key = text.substr(keyStart, pos - keyStart);
        while (pos < text.size() && IsBlank(text[pos]))
            ++pos;
        if (pos >= text.size() || text[pos] != '=') {
            out.wellFormed = false;
            break;
        }
        ++pos;
        while (pos < text.size() && IsBlank(text[pos]))
            ++pos;
        if (pos >= text.size() || (text[pos] != '\'' && text[pos] != '"')) {
            out.wellFormed = false;
            break;
        }
        const char quote = text[pos++];
        const size_t close = text.find(quote, pos);
        if (close == std::string_view::npos) {
            out.wellFormed = false;
            break;
        }
        Apply(out, key, text.substr(pos, close - pos));
        pos = close + 1;
    }
    return out;
}

std::vector<ImagePiece> LayoutImage(const ImageString& parsed, const IntRect& control,
                                    int pictureWidth, int pictureHeight, int dpi) {
    std::vector<ImagePiece> pieces;
    if (pictureWidth <= 0 || pictureHeight <= 0 || dpi <= 0)
        return pieces;

    IntRect src =
        parsed.source.IsZero() ? IntRect{0, 0, pictureWidth, pictureHeight} : parsed.source;
    src.left = std::max(src.left, 0);
    src.top = std::max(src.top, 0);
    src.right = std::min(src.right, pictureWidth);
    src.bottom = std::min(src.bottom, pictureHeight);
    if (src.IsEmpty())
        return pieces;

    IntRect dst = control;
    if (parsed.hasDest) {
        const auto offset = [dpi](int base, int v) {
            return Saturate(static_cast<int64_t>(base) + ScaleToDpi(v, dpi));
        };
        // Dest narrows the control; it never draws outside it.
        dst = {std::max(control.left, offset(control.left, parsed.dest.left)),
               std::max(control.top, offset(control.top, parsed.dest.top)),
               std::min(control.right, offset(control.left, parsed.dest.right)),
               std::min(control.bottom, offset(control.top, parsed.dest.bottom))};
    }
    if (dst.IsEmpty())
        return pieces;

    const auto fit = [](int a, int b, int room, int& outA, int& outB) {
        outA = std::clamp(a, 0, room);
        outB = std::clamp(b, 0, room - outA);
    };
    int sl = 0, sr = 0, st = 0, sb = 0;
    fit(parsed.corner.left, parsed.corner.right, src.Width(), sl, sr);
    fit(parsed.corner.top, parsed.corner.bottom, src.Height(), st, sb);
    int dl = 0, dr = 0, dt = 0, db = 0;
    fit(ScaleToDpi(sl, dpi), ScaleToDpi(sr, dpi), dst.Width(), dl, dr);
    fit(ScaleToDpi(st, dpi), ScaleToDpi(sb, dpi), dst.Height(), dt, db);

    if (sl == 0 && sr == 0 && st == 0 && sb == 0) {
        pieces.push_back({src, dst, parsed.xTiled, parsed.yTiled});
        return pieces;
    }
    const int sx[4] = {src.left, src.left + sl, src.right - sr, src.right};
    const int sy[4] = {src.top, src.top + st, src.bottom - sb, src.bottom};
    const int dx[4] = {dst.left, dst.left + dl, dst.right - dr, dst.right};
    const int dy[4] = {dst.top, dst.top + dt, dst.bottom - db, dst.bottom};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            const bool centre = row == 1 && col == 1;
            if (centre && parsed.hole)
                continue;
            ImagePiece piece{{sx[col], sy[row], sx[col + 1], sy[row + 1]},
                             {dx[col], dy[row], dx[col + 1], dy[row + 1]},
                             centre && parsed.xTiled,
                             centre && parsed.yTiled};
            if (piece.source.IsEmpty() || piece.dest.IsEmpty())
                continue;
            pieces.push_back(piece);
        }
    }
    return pieces;
}

}  // namespace pages
