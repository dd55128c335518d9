// CChartViewUI: a pie or a histogram of named values. Its attributes are
// compared with letter case: "view" ("pie" or "histpgram"), "shadowimage",
// "shadowimageheight", "pillarimage", "pillarimagewidth", "showhtml",
// "showtext" ("true" sets, anything else clears) and "font" (a font id).
#pragma once

#include <QString>
#include <QWidget>
#include <vector>

namespace ui {

class CChartViewUI : public QWidget {
    Q_OBJECT
  public:
    static constexpr const char* kClassName = "ChartView";
    enum View { kPie = 0, kHistogram = 1 };

    struct Item {
        QString name;
        double value = 0;
    };

    explicit CChartViewUI(QWidget* parent = nullptr);

    bool SetAttribute(const QString& name, const QString& value);

    void AddItem(const QString& name, double value);
    void ClearItems();
    const std::vector<Item>& Items() const { return items_; }
    int ViewKind() const { return view_; }
    const QString& ShadowImage() const { return shadowImage_; }
    const QString& PillarImage() const { return pillarImage_; }
    int PillarImageWidth() const { return pillarWidth_; }
    bool ShowText() const { return showText_; }
    bool ShowHtml() const { return showHtml_; }
    // The font table's number for the names; -1 for the control's own font.
    int FontNumber() const { return font_; }

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void PaintPie(QPainter& p);
    void PaintHistogram(QPainter& p);
    void DrawName(QPainter& p, const QRect& box, const QString& name, int flags);
    QFont ChartFont() const;
    // Draws an image string; one that cannot be loaded is dropped so that
    // later paints do not try it again.
    void DrawOrDrop(QPainter& p, const QRect& box, QString& image);

    std::vector<Item> items_;
    int view_ = kPie;
    QString shadowImage_;
    int shadowHeight_ = 0;
    QString pillarImage_;
    int pillarWidth_ = 0;
    bool showHtml_ = false;
    bool showText_ = true;
    int font_ = -1;
};

}  // namespace ui
