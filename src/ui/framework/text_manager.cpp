#include "ui/framework/text_manager.h"

#include <algorithm>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QXmlStreamReader>

#include "platform/debug_output.h"
#include "ui/framework/skin.h"

namespace ui {
namespace {

constexpr const char* kTextIdProperty = "textId";
constexpr const char* kToolTipIdProperty = "toolTipId";
constexpr int kComboTextIdRole = Qt::UserRole + 100;
constexpr qsizetype kMaxTextLength = 64 * 1024;

void ApplyOne(const TextManager& texts, QWidget* w) {
    const QVariant id = w->property(kTextIdProperty);
    if (id.isValid() && !id.toString().isEmpty()) {
        const QString text = texts.Text(id.toString());
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            button->setText(text);
        else if (auto* label = qobject_cast<QLabel*>(w))
            label->setText(text);
        else if (auto* edit = qobject_cast<QLineEdit*>(w))
            edit->setText(text);
        else if (auto* group = qobject_cast<QGroupBox*>(w))
            group->setTitle(text);
        else if (w->isWindow())
            w->setWindowTitle(text);
        else
            w->setProperty("text", text);
    }
    const QVariant tip = w->property(kToolTipIdProperty);
    if (tip.isValid() && !tip.toString().isEmpty())
        w->setToolTip(texts.Text(tip.toString()));
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        for (int i = 0; i < combo->count(); ++i) {
            const QString itemId = combo->itemData(i, kComboTextIdRole).toString();
            if (!itemId.isEmpty())
                combo->setItemText(i, texts.Text(itemId));
        }
    }
}

}  // namespace

TextManager& TextManager::Instance() {
    static TextManager manager;
    return manager;
}

bool TextManager::LoadLanguage(const QString& fileName) {
    QByteArray bytes;
    if (!Skin::Instance().ReadFile(fileName, bytes)) {
        platform::DebugOutputF("language file %s not readable", qPrintable(fileName));
        return false;
    }
    QHash<QString, QString> loaded;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("Text"))
            continue;
        const QString id = xml.attributes().value(QLatin1String("id")).toString();
        const QString text = xml.readElementText(QXmlStreamReader::SkipChildElements);
        if (id.isEmpty() || text.size() > kMaxTextLength)
            continue;
        loaded.insert(id, text);
    }
    if (xml.hasError()) {
        platform::DebugOutputF("language file %s malformed: %s", qPrintable(fileName),
                               qPrintable(xml.errorString()));
        return false;
    }
    for (auto it = loaded.cbegin(); it != loaded.cend(); ++it)
        texts_.insert(it.key(), it.value());
    return true;
}

QString TextManager::Text(const QString& id) const {
    return texts_.value(id, id);
}

void TextManager::ReloadText() const {
    for (QWidget* top : QApplication::topLevelWidgets())
        ApplyTexts(top);
}

void TextManager::ApplyTexts(QWidget* root) const {
    if (root == nullptr)
        return;
    ApplyOne(*this, root);
    for (QWidget* child : root->findChildren<QWidget*>())
        ApplyOne(*this, child);
}

void SetTextId(QWidget* control, const QString& id) {
    if (control == nullptr)
        return;
    control->setProperty(kTextIdProperty, id);
    ApplyOne(TextManager::Instance(), control);
}

void AddComboTextItem(QComboBox* combo, const QString& id, const QVariant& data) {
    if (combo == nullptr)
        return;
    combo->addItem(TextManager::Instance().Text(id), data);
    combo->setItemData(combo->count() - 1, id, kComboTextIdRole);
}

void InsertComboTextItem(QComboBox* combo, int index, const QString& id, const QVariant& data) {
    if (combo == nullptr)
        return;
    index = std::clamp(index, 0, combo->count());
    combo->insertItem(index, TextManager::Instance().Text(id), data);
    combo->setItemData(index, id, kComboTextIdRole);
}

}  // namespace ui
