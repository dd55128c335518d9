#include "ui/framework/control_factory.h"

#include <QWidget>

#include "ui/framework/layout_loader.h"

namespace ui {

ControlFactory& ControlFactory::Instance() {
    static ControlFactory factory;
    return factory;
}

void ControlFactory::RegisterControl(const QString& className, Creator creator) {
    if (className.isEmpty() || !creator)
        return;
    const QString key = className.toLower();
    if (!creators_.contains(key))
        order_.append(className);
    creators_.insert(key, std::move(creator));
}

void ControlFactory::RegisterPlaceholder(const QString& className, const QString& baseClass) {
    RegisterControl(className, [className, baseClass](QWidget* parent) -> QWidget* {
        QWidget* w = CreateBuiltInWidget(baseClass, parent);
        if (w == nullptr)
            w = new QWidget(parent);
        w->setProperty("controlClass", className);
        w->setProperty("controlPlaceholder", true);
        return w;
    });
}

bool ControlFactory::IsRegistered(const QString& className) const {
    return creators_.contains(className.toLower());
}

QWidget* ControlFactory::Create(const QString& className, QWidget* parent) const {
    auto it = creators_.constFind(className.toLower());
    if (it == creators_.cend())
        return nullptr;
    QWidget* w = it.value()(parent);
    if (w != nullptr && !w->property("controlClass").isValid())
        w->setProperty("controlClass", className);
    return w;
}

void ControlFactory::Clear() {
    creators_.clear();
    order_.clear();
}

QWidget* CreateBuiltInWidget(const QString& className, QWidget* parent) {
    if (!LayoutLoader::IsBuiltInClass(className))
        return nullptr;
    LayoutLoader loader;
    return loader.QUiLoader::createWidget(className, parent);
}

}  // namespace ui
