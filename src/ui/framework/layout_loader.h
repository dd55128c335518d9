// Builds widget trees from .ui layouts. Qt's own classes are built as usual;
// any other class name goes first to the window's CreateControl callback,
// then to the control factory. Designer plug-ins are never loaded.
#pragma once

#include <QList>
#include <QPointer>
#include <QUiLoader>
#include <QWidget>
#include <functional>

namespace ui {

// Set on widgets a creator other than Qt's (or a placeholder) made.
inline constexpr const char* kCustomControlProperty = "customControl";

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
    Callback callback_;
    QList<QPointer<QWidget>> created_;
};

}  // namespace ui
