#pragma once
// MaxTab: a strip of tabs drawn with single lines, the current tab raised and
// open towards the base line. The labels and lines are a model in twips that
// the widget paints and tests read; widths follow the captions measured in
// the control's own font, not a style's tab sizes.
#include "messages/TranslatableControls.h"

#include <QFont>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <map>

namespace controls {
class PropertyBag;
}

class MaxTab : public QWidget, public TranslatableTabStrip {
    Q_OBJECT
public:
    // One tab label, in twips relative to the control.
    struct TabLabel {
        double Left = 30, Top = 90, Width = 675, Height = 240;
        QString Caption = QStringLiteral("Tab ");
        bool Enabled = true;
        bool Visible = false;
        QFont Font;
    };
    struct Line {
        double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
        bool Visible = false;
    };

    // The tab error: the object-error base plus 666.
    static constexpr long TabErrorNumber = -2147220838;
    static constexpr double MinimumHeight = 315;
    static constexpr double BaseLine = 300;

    explicit MaxTab(QWidget* parent = nullptr);

    std::uint32_t BackColor() const { return backColor_; }
    void setBackColor(std::uint32_t color);
    // The template label's font: tabs created afterwards take it.
    QFont Font() const;
    void SetFont(const QFont& font);

    int Tabs() const override { return tabs_; }
    void setTabs(int value);
    int CurrentTab() const { return currentTab_; }
    void setCurrentTab(int value);
    QString TabCaption(int index) const override;
    void setTabCaption(int index, const QString& caption) override;
    QString AllCaptions() const { return allCaptions_; }
    void setAllCaptions(const QString& value);
    // These three do not check the index: a tab without a label raises.
    bool TabEnabled(int index) const;
    void setTabEnabled(int index, bool value);
    std::int32_t TabLeft(int index) const;
    std::int32_t TabWidth(int index) const;
    bool Enabled() const { return isEnabled(); }
    bool IgnoreNextClick() const { return ignoreNextClick_; }
    void setIgnoreNextClick(bool value) { ignoreNextClick_ = value; }

    // A control placed for the first time (the constructor runs this).
    void InitProperties();
    void WriteProperties(controls::PropertyBag& bag) const;
    void ReadProperties(const controls::PropertyBag& bag);

    // The drawn elements, for painting and for tests.
    const std::map<int, TabLabel>& lblTab() const { return labels_; }
    const std::map<int, Line>& LineLeft() const { return lineLeft_; }
    const std::map<int, Line>& LineTop() const { return lineTop_; }
    const std::map<int, Line>& LineRight() const { return lineRight_; }
    const Line& LineBefore() const { return lineBefore_; }
    const Line& LineAfter() const { return lineAfter_; }
    // The highest label number in use.
    int labelCount() const;
    // The label under a point in twips (0: none, or a disabled tab or strip).
    int labelAt(double x, double y) const;

signals:
    void TabChange();
    void MouseUp(short& Button, short& Shift, float& X, float& Y);
    // Tabs, CurrentTab and AllCaptions mark their property changed.
    void PropertyChanged(const QString& name);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    [[noreturn]] static void raiseTabError();
    const TabLabel& labelOf(int index) const;
    double widthTwips() const;
    double captionWidth(const QString& caption) const;
    void SelectTab(int& n);
    void LayoutTabs();
    void AddTab(const QString& Caption);
    void RemoveTab(int n);
    void RemoveAllTabs();
    void RebuildTabs();
    void JoinCaptions();
    void clickTab(int index);

    int tabs_ = 3;
    int currentTab_ = 1;
    QString allCaptions_;
    bool ignoreNextClick_ = false;
    std::uint32_t backColor_ = 0x8000000F;
    std::map<int, TabLabel> labels_;
    std::map<int, Line> lineLeft_, lineTop_, lineRight_;
    Line lineBefore_, lineAfter_;
    int pressedLabel_ = 0;
};
