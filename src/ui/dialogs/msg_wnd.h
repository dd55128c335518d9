// The message window ("XML_MSG"): every confirmation, warning and error the
// program shows. ShowMessage runs it modally over its owner and returns 1 for
// the confirm button (or Return) and 0 for cancel, the close button, Escape
// and a close by the window manager.
#pragma once

#include <functional>

#include "ui/framework/window.h"

namespace ui {

inline constexpr int kMessageInfo = 0;      // OK only
inline constexpr int kMessageQuestion = 1;  // OK and Cancel

class CMsgWnd : public Window {
    Q_OBJECT
  public:
    CMsgWnd();

    // An empty title or text leaves the layout's own text in place.
    void SetTitle(const QString& title);
    // `isId`: the text is a text id shown in the current language; else it
    // is shown as plain text.
    void SetText(const QString& text, bool isId);
    // One of the seven scales; any other value writes "MSG_WND DPI SET
    // ERROR" and takes 96. Scales this window only.
    void SetDpi(int dpi);
    // kMessageInfo or kMessageQuestion; other values change nothing.
    void SetButtons(int mode);
    int Dpi() const { return dpi_; }

  protected:
    QString GetSkinFile() const override { return QStringLiteral("XML_MSG"); }
    void InitWindow() override;
    void Notify(const Notification& notification) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QWidget* closeBtn_ = nullptr;
    int dpi_ = 96;
};

int ShowMessage(QWidget* parent, const QString& title, const QString& text, int dpi, bool textIsId,
                int buttons);

// Tests and headless callers: while set, ShowMessage builds the window as
// usual, hands it to the answerer instead of running the modal loop, and
// returns the answer. An empty function restores the modal window.
using MessageAnswerer = std::function<int(CMsgWnd& window)>;
void SetMessageAnswerer(MessageAnswerer answerer);

}  // namespace ui
