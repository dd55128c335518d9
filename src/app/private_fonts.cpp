#include "app/private_fonts.h"

#include <QByteArray>
#include <QFontDatabase>
#include <climits>

#include "platform/file_io.h"

namespace app {
namespace {

constexpr size_t kMaxFontBytes = 64u * 1024u * 1024u;

}  // namespace

const std::vector<std::string>& PrivateFontFiles() {
    static const std::vector<std::string> files = {
        "Font/Simplified_Chinese.ttf",
        "Font/Strivo-Regular.otf",
        "Font/NotoSansThai-Regular.ttf",
        "Font/NotoSansCJKtc-Regular.otf",
    };
    return files;
}

int PrivateFonts::LoadAll(const std::string& programFolder) {
    int loaded = 0;
    for (const std::string& file : PrivateFontFiles()) {
        if (Load(programFolder + file))
            ++loaded;
    }
    return loaded;
}

bool PrivateFonts::Load(const std::string& path) {
    if (path.size() >= PATH_MAX)
        return false;
    std::string bytes;
    if (platform::ReadRegularFile(path, bytes, kMaxFontBytes) != platform::ReadResult::Ok)
        return false;
    const int id = QFontDatabase::addApplicationFontFromData(
        QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (id < 0)
        return false;
    ids_.push_back(id);
    return true;
}

void PrivateFonts::UnloadAll() {
    while (!ids_.empty()) {
        QFontDatabase::removeApplicationFont(ids_.back());
        ids_.pop_back();
    }
}

}  // namespace app
