#include "ui/framework/skin.h"

#include <QFileInfo>
#include <QXmlStreamReader>

#include "platform/debug_output.h"
#include "platform/file_io.h"

namespace ui {
namespace {

constexpr size_t kMaxSkinFileBytes = 8u * 1024u * 1024u;

QString Normalise(const QString& name) {
    QString path = name;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path;
}

}  // namespace

bool IsSafeRelativePath(const QString& relative) {
    if (relative.isEmpty() || relative.startsWith(QLatin1Char('/')) || relative.contains(QChar(0)))
        return false;
    const QStringList parts = relative.split(QLatin1Char('/'));
    for (const QString& part : parts) {
        if (part == QLatin1String(".."))
            return false;
    }
    return true;
}

Skin& Skin::Instance() {
    static Skin skin;
    return skin;
}

void Skin::SetResourcePath(const QString& folder) {
    path_ = folder;
    if (!path_.isEmpty() && !path_.endsWith(QLatin1Char('/')))
        path_ += QLatin1Char('/');
}

bool Skin::LoadResourceIndex(const QString& fileName) {
    QByteArray bytes;
    if (!ReadFile(fileName, bytes)) {
        platform::DebugOutputF("skin: resource index %s not readable", qPrintable(fileName));
        return false;
    }
    QHash<QString, QString> index;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() != QLatin1String("Layout") && xml.name() != QLatin1String("File"))
            continue;
        const QString name = xml.attributes().value(QLatin1String("name")).toString();
        const QString file = Normalise(xml.attributes().value(QLatin1String("file")).toString());
        if (name.isEmpty() || !IsSafeRelativePath(file))
            continue;
        index.insert(name.toLower(), file);
    }
    if (xml.hasError()) {
        platform::DebugOutputF("skin: resource index %s malformed: %s", qPrintable(fileName),
                               qPrintable(xml.errorString()));
        return false;
    }
    for (auto it = index.cbegin(); it != index.cend(); ++it)
        index_.insert(it.key(), it.value());
    return true;
}

void Skin::Release() {
    index_.clear();
}

QString Skin::LayoutPath(const QString& resource) const {
    QString relative = index_.value(resource.toLower());
    if (relative.isEmpty()) {
        relative = Normalise(resource);
        if (relative.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive))
            relative = relative.left(relative.size() - 4) + QLatin1String(".ui");
    }
    return FilePath(relative);
}

QString Skin::FilePath(const QString& relative) const {
    const QString normalised = Normalise(relative);
    if (path_.isEmpty() || !IsSafeRelativePath(normalised))
        return QString();
    const QString full = path_ + normalised;
    return QFileInfo(full).isFile() ? full : QString();
}

bool Skin::ReadFile(const QString& relative, QByteArray& bytes) const {
    const QString full = FilePath(relative);
    if (full.isEmpty())
        return false;
    std::string content;
    if (platform::ReadRegularFile(full.toStdString(), content, kMaxSkinFileBytes) !=
        platform::ReadResult::Ok)
        return false;
    bytes = QByteArray(content.data(), static_cast<qsizetype>(content.size()));
    return true;
}

}  // namespace ui
