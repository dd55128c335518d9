#include "hid/hid_path.h"

#include <cctype>
#include <cstdio>

namespace hid {

namespace {

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = Lower(c);
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

}  // namespace

std::string MakeCollectionPath(std::string_view node, uint16_t vendorId, uint16_t productId,
                               int interfaceNumber, size_t collectionIndex,
                               size_t collectionCount) {
    char tail[64];
    int n = std::snprintf(tail, sizeof tail, "#vid_%04x&pid_%04x", vendorId, productId);
    std::string path(node);
    path.append(tail, static_cast<size_t>(n));
    if (interfaceNumber >= 0) {
        n = std::snprintf(tail, sizeof tail, "&mi_%02x", static_cast<unsigned>(interfaceNumber));
        path.append(tail, static_cast<size_t>(n));
    }
    if (collectionCount > 1) {
        n = std::snprintf(tail, sizeof tail, "&col%02zx", collectionIndex + 1);
        path.append(tail, static_cast<size_t>(n));
    }
    return path;
}

uint32_t HexAfterMarker(std::string_view path, std::string_view marker) {
    if (marker.empty() || marker.size() > path.size()) {
        return 0;
    }
    for (size_t i = 0; i + marker.size() <= path.size(); ++i) {
        bool match = true;
        for (size_t k = 0; k < marker.size(); ++k) {
            if (Lower(path[i + k]) != Lower(marker[k])) {
                match = false;
                break;
            }
        }
        if (!match) {
            continue;
        }
        size_t p = i + marker.size();
        while (p < path.size() && std::isspace(static_cast<unsigned char>(path[p]))) {
            ++p;
        }
        if (p + 1 < path.size() && path[p] == '0' && Lower(path[p + 1]) == 'x' &&
            p + 2 < path.size() && HexDigit(path[p + 2]) >= 0) {
            p += 2;
        }
        uint32_t value = 0;
        for (int digits = 0; p < path.size() && digits < 8; ++p, ++digits) {
            const int d = HexDigit(path[p]);
            if (d < 0) {
                break;
            }
            value = value << 4 | static_cast<uint32_t>(d);
        }
        return value;
    }
    return 0;
}

std::string_view PathNode(std::string_view path) {
    const size_t hash = path.find('#');
    return hash == std::string_view::npos ? path : path.substr(0, hash);
}

bool SamePathIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace hid
