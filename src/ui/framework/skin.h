// The skin folder: layouts (Qt Designer .ui files), images, style sheets and
// language files, found through a resource index that maps names such as
// "XML_MAIN" to files. Layout names may also be given as the relative paths
// the program uses ("XML\DeviceXml\mousedevice.xml"): separators become '/'
// and ".xml" becomes ".ui".
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

namespace ui {

class Skin {
  public:
    static Skin& Instance();

    // The skin folder, with a trailing '/'.
    void SetResourcePath(const QString& folder);
    const QString& ResourcePath() const { return path_; }

    // Reads the resource index (an XML file in the skin folder:
    // <Res><Layout name="XML_MAIN" file="main.ui"/>...</Res>). False when it
    // is missing or malformed; the names loaded so far stay.
    bool LoadResourceIndex(const QString& fileName);
    void Release();

    // The full path of a layout or other skin file; empty when the name is
    // unusable (absolute, leaves the skin folder) or the file is absent.
    QString LayoutPath(const QString& resource) const;
    QString FilePath(const QString& relative) const;
    // Reads a skin file whole; false when it is missing or not a regular file.
    bool ReadFile(const QString& relative, QByteArray& bytes) const;

  private:
    QString path_;
    QHash<QString, QString> index_;  // lower-cased resource name -> relative file
};

// True for a relative path that stays inside the folder it is joined to.
bool IsSafeRelativePath(const QString& relative);

}  // namespace ui
