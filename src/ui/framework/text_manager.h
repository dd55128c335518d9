// Text ids: a control whose "textId" property is set shows the text the
// loaded language files give for that id. Language files live in the skin
// folder: <Language><Text id="...">text</Text>...</Language>. Loading a file
// adds its texts and replaces those of the ids it holds.
#pragma once

#include <QHash>
#include <QString>
#include <QVariant>

class QWidget;
class QComboBox;

namespace ui {

class TextManager {
  public:
    static TextManager& Instance();

    void SetLanguage(const QString& name) { language_ = name; }
    const QString& Language() const { return language_; }
    // False when the file is missing or malformed; the texts stay as they were.
    bool LoadLanguage(const QString& fileName);
    void Clear() { texts_.clear(); }

    // The text of an id; the id itself when no file gives it.
    QString Text(const QString& id) const;
    bool Has(const QString& id) const { return texts_.contains(id); }

    // Re-applies every text id of every widget of the program.
    void ReloadText() const;
    // Re-applies the text ids of one widget and its descendants.
    void ApplyTexts(QWidget* root) const;

  private:
    QString language_;
    QHash<QString, QString> texts_;
};

// Gives a control a text id (and shows its text). Null control: nothing.
void SetTextId(QWidget* control, const QString& id);
// Adds a combo item whose caption is a text id.
void AddComboTextItem(QComboBox* combo, const QString& id, const QVariant& data = {});
// Inserts one at `index` (appended when beyond the end).
void InsertComboTextItem(QComboBox* combo, int index, const QString& id, const QVariant& data = {});

}  // namespace ui
