#include "ui/framework/layout_loader.h"

#include <QBuffer>
#include <QDir>
#include <QSet>

#include "platform/debug_output.h"
#include "ui/framework/control_factory.h"
#include "ui/framework/skin.h"

namespace ui {

LayoutLoader::LayoutLoader(Callback callback) : callback_(std::move(callback)) {
    clearPluginPaths();
}

bool LayoutLoader::IsBuiltInClass(const QString& className) {
    static const QSet<QString> builtIn = [] {
        QUiLoader loader;
        loader.clearPluginPaths();
        const QStringList names = loader.availableWidgets();
        return QSet<QString>(names.begin(), names.end());
    }();
    return builtIn.contains(className);
}

QWidget* LayoutLoader::Build(const QString& resource, QWidget* parent) {
    created_.clear();
    const QString path = Skin::Instance().LayoutPath(resource);
    QByteArray bytes;
    if (path.isEmpty() ||
        !Skin::Instance().ReadFile(path.mid(Skin::Instance().ResourcePath().size()), bytes)) {
        platform::DebugOutputF("layout %s not found", qPrintable(resource));
        return nullptr;
    }
    // Images a layout names are relative to the skin folder.
    setWorkingDirectory(QDir(Skin::Instance().ResourcePath()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QWidget* root = load(&buffer, parent);
    if (root == nullptr) {
        platform::DebugOutputF("layout %s not built: %s", qPrintable(resource),
                               qPrintable(errorString()));
    }
    return root;
}

QWidget* LayoutLoader::createWidget(const QString& className, QWidget* parent,
                                    const QString& name) {
    QWidget* w = nullptr;
    if (!IsBuiltInClass(className)) {
        if (callback_)
            w = callback_(className, parent);
        if (w == nullptr)
            w = ControlFactory::Instance().Create(className, parent);
        if (w == nullptr) {
            platform::DebugOutputF("layout: unknown control class %s", qPrintable(className));
            return nullptr;
        }
        // A real custom control reports its own pointer and focus events.
        if (!w->property("controlPlaceholder").toBool())
            w->setProperty(kCustomControlProperty, true);
    } else {
        w = QUiLoader::createWidget(className, parent, name);
    }
    if (w != nullptr) {
        w->setObjectName(name);
        created_.append(w);
    }
    return w;
}

}  // namespace ui
