// Builds widget trees from .ui layouts. Qt's own classes are built as usual;
// any other class name goes first to the window's CreateControl callback,
// then to the control factory. Designer plug-ins are never loaded.
#pragma once

#include <QEvent>
#include <QList>
#include <QPointer>
#include <QString>
#include <QUiLoader>
#include <QWidget>
#include <functional>

namespace ui {

// Set on widgets a creator other than Qt's (or a placeholder) made.
inline constexpr const char* kCustomControlProperty = "customControl";

// A layout attribute whose name is also one of Qt's own widget properties of
// another type (the skin's cursor="hand" where QWidget's "cursor" wants a
// QCursor): Qt's loader cannot apply it and it would be lost, so the loader
// sends it to the program's own control after the layout is built. A control
// that knows the name applies it; the others ignore the event.
class LayoutAttributeEvent : public QEvent {
  public:
    LayoutAttributeEvent(QString name, QString value);
    static QEvent::Type EventType();
    const QString& Name() const { return name_; }
    const QString& Value() const { return value_; }

  private:
    QString name_;
    QString value_;
};

class LayoutLoader : public QUiLoader {
    Q_OBJECT
  public:
    using Callback = std::function<QWidget*(const QString& className, QWidget* parent)>;

    explicit LayoutLoader(Callback callback = {});

    // Builds the layout named by `resource` (index name or relative path)
    // under `parent`. Null when the file is missing or cannot be built.
    QWidget* Build(const QString& resource, QWidget* parent);

    // Every widget the last Build created itself (not the inner parts of
    // composite widgets), in creation order.
    const QList<QPointer<QWidget>>& Created() const { return created_; }

    QWidget* createWidget(const QString& className, QWidget* parent = nullptr,
                          const QString& name = QString()) override;

    static bool IsBuiltInClass(const QString& className);

  private:
    // Sends the program's own controls the text attributes of `layout` that
    // name one of Qt's properties of another type.
    void DeliverShadowedAttributes(const QByteArray& layout);

    Callback callback_;
    QList<QPointer<QWidget>> created_;
};

}  // namespace ui
