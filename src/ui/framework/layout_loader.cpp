#include "ui/framework/layout_loader.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QMetaProperty>
#include <QSet>
#include <QXmlStreamReader>

#include "platform/debug_output.h"
#include "ui/framework/control_factory.h"
#include "ui/framework/skin.h"

namespace ui {
namespace {

// At a <property>: the text of its <string> value (isText set), and the
// reader left at the property's end.
QString PropertyText(QXmlStreamReader& xml, bool& isText) {
    isText = false;
    QString text;
    while (xml.readNextStartElement()) {
        if (!isText && xml.name() == u"string") {
            text = xml.readElementText();
            isText = true;
        } else {
            xml.skipCurrentElement();
        }
    }
    return text;
}

}  // namespace

LayoutAttributeEvent::LayoutAttributeEvent(QString name, QString value)
    : QEvent(EventType()), name_(std::move(name)), value_(std::move(value)) {}

QEvent::Type LayoutAttributeEvent::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

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
        return nullptr;
    }
    DeliverShadowedAttributes(bytes);
    return root;
}

void LayoutLoader::DeliverShadowedAttributes(const QByteArray& layout) {
    // Only the program's own controls take attributes Qt does not know; a
    // name used twice in one layout means its first control.
    QHash<QString, QWidget*> controls;
    for (const QPointer<QWidget>& w : created_) {
        if (w && w->property(kCustomControlProperty).toBool() &&
            !controls.contains(w->objectName()))
            controls.insert(w->objectName(), w);
    }
    if (controls.isEmpty())
        return;

    struct Pending {
        QPointer<QWidget> control;
        QString name;
        QString value;
    };
    QList<Pending> pending;
    // The open elements; for a <widget>, the control it built (or null).
    struct Open {
        bool widget;
        QWidget* control;
    };
    QList<Open> open;
    QXmlStreamReader xml(layout);
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            if (!open.isEmpty())
                open.removeLast();
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        QWidget* owner = !open.isEmpty() && open.last().widget ? open.last().control : nullptr;
        if (xml.name() == u"property" && owner != nullptr) {
            const QString name = xml.attributes().value(QLatin1String("name")).toString();
            bool isText = false;
            const QString value = PropertyText(xml, isText);
            const QMetaObject* meta = owner->metaObject();
            const int index = meta->indexOfProperty(name.toLatin1().constData());
            if (isText && index >= 0 && meta->property(index).metaType().id() != QMetaType::QString)
                pending.append({owner, name, value});
            continue;
        }
        const bool widget = xml.name() == u"widget";
        open.append({widget, widget ? controls.value(
                                          xml.attributes().value(QLatin1String("name")).toString())
                                    : nullptr});
    }
    for (const Pending& p : pending) {
        if (p.control) {
            LayoutAttributeEvent event(p.name, p.value);
            QCoreApplication::sendEvent(p.control, &event);
        }
    }
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
