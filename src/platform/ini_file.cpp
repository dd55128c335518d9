#include "platform/ini_file.h"

#include <vector>

#include "platform/file_io.h"

namespace platform {

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view s) {
    const size_t first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
    a = Trim(a);
    b = Trim(b);
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

bool HasAny(std::string_view s, std::string_view chars) {
    return s.find_first_of(chars) != std::string_view::npos;
}

const std::string_view kLineBreaks("\r\n\0", 3);

// A line with its own line end, so unchanged lines are copied byte for byte.
struct Line {
    std::string body;
    std::string_view end;
    bool added = false;
};

std::vector<Line> SplitLines(std::string_view text) {
    std::vector<Line> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t stop = text.find('\n', pos);
        const size_t next = stop == std::string_view::npos ? text.size() : stop + 1;
        if (stop == std::string_view::npos)
            stop = text.size();
        size_t bodyEnd = stop;
        if (bodyEnd > pos && text[bodyEnd - 1] == '\r')
            --bodyEnd;
        lines.push_back({std::string(text.substr(pos, bodyEnd - pos)),
                         text.substr(bodyEnd, next - bodyEnd), false});
        pos = next;
    }
    return lines;
}

// The section a "[name]" line opens, or nullopt for any other line.
std::optional<std::string_view> SectionOf(std::string_view body) {
    body = Trim(body);
    if (body.empty() || body.front() != '[')
        return std::nullopt;
    const size_t close = body.find(']');
    return close == std::string_view::npos ? body.substr(1) : body.substr(1, close - 1);
}

// The key of a "key=value" line, or nullopt.
std::optional<std::string_view> KeyOf(std::string_view body) {
    const size_t eq = body.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    const std::string_view name = Trim(body.substr(0, eq));
    if (name.empty() || name.front() == ';')
        return std::nullopt;
    return name;
}

}  // namespace

std::optional<std::string> SetIniString(std::string_view text, std::string_view section,
                                        std::optional<std::string_view> key,
                                        std::optional<std::string_view> value) {
    if (Trim(section).empty() || HasAny(section, kLineBreaks) || HasAny(section, "[]")) {
        return std::nullopt;
    }
    if (key && (Trim(*key).empty() || HasAny(*key, kLineBreaks) || HasAny(*key, "=[") ||
                Trim(*key).front() == ';')) {
        return std::nullopt;
    }
    if (value && HasAny(*value, kLineBreaks))
        return std::nullopt;

    std::vector<Line> lines = SplitLines(text);
    size_t first = 0;
    while (first < lines.size()) {
        const auto opened = SectionOf(lines[first].body);
        if (opened && SameName(*opened, section))
            break;
        ++first;
    }
    std::string entry;
    if (key && value)
        entry = std::string(Trim(*key)) + "=" + std::string(*value);
    if (first == lines.size()) {
        if (!key || !value)
            return std::string(text);
        std::string out(text);
        if (!out.empty() && out.back() != '\n')
            out += "\r\n";
        return out + "[" + std::string(Trim(section)) + "]\r\n" + entry + "\r\n";
    }
    size_t stop = first + 1;
    while (stop < lines.size() && !SectionOf(lines[stop].body))
        ++stop;

    if (!key) {
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(first),
                    lines.begin() + static_cast<std::ptrdiff_t>(stop));
    } else {
        size_t at = first + 1;
        while (at < stop) {
            const auto name = KeyOf(lines[at].body);
            if (name && SameName(*name, *key))
                break;
            ++at;
        }
        if (at < stop) {
            if (value) {
                lines[at].body = entry;
            } else {
                lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
            }
        } else if (value) {
            size_t last = first;
            for (size_t i = first + 1; i < stop; ++i) {
                if (!Trim(lines[i].body).empty())
                    last = i;
            }
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last + 1),
                         Line{entry, {}, true});
        }
    }
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) {
        out.append(lines[i].body);
        // A line that gains a successor, or a new line, needs a line end.
        out.append(lines[i].end.empty() && (i + 1 < lines.size() || lines[i].added)
                       ? std::string_view("\r\n")
                       : lines[i].end);
    }
    return out;
}

bool WriteIniString(const std::string& path, std::string_view section,
                    std::optional<std::string_view> key, std::optional<std::string_view> value) {
    std::string text;
    const ReadResult read = ReadRegularFile(path, text);
    if (read != ReadResult::Ok && read != ReadResult::Missing)
        return false;
    if (read == ReadResult::Missing)
        text.clear();
    const auto changed = SetIniString(text, section, key, value);
    if (!changed)
        return false;
    if (*changed == text && read == ReadResult::Ok)
        return true;
    return WriteFileAtomically(path, *changed);
}

}  // namespace platform
