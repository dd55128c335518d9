// The control factory: layouts name custom control classes, and the factory
// creates them by class name (compared without case). A class can be
// registered before it is built: it then creates a plain widget of its base
// kind ("QWidget", "QPushButton", ...) that carries the class name in its
// "controlClass" property (and "controlPlaceholder" = true), so layouts and
// lookups work unchanged. A placeholder reports notifications like the Qt
// class it is; a real custom control raises its pointer and focus
// notifications itself (the window only relays the Qt signals it has).
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace ui {

class ControlFactory {
  public:
    using Creator = std::function<QWidget*(QWidget* parent)>;

    static ControlFactory& Instance();

    // Registers (or replaces) the creator of a class.
    void RegisterControl(const QString& className, Creator creator);
    // Registers a class not built yet: it creates a placeholder of `baseClass`.
    void RegisterPlaceholder(const QString& className, const QString& baseClass);
    bool IsRegistered(const QString& className) const;
    // Registered names in registration order.
    QStringList RegisteredClasses() const { return order_; }
    // Null when the class is not registered or its creator failed.
    QWidget* Create(const QString& className, QWidget* parent) const;
    void Clear();

  private:
    QHash<QString, Creator> creators_;  // lower-cased class name -> creator
    QStringList order_;
};

// Creates one of Qt's own widget classes by name (null when unknown).
QWidget* CreateBuiltInWidget(const QString& className, QWidget* parent);

}  // namespace ui
