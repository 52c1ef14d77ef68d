#pragma once
// A plain tab strip with the members the main window drives, standing in
// for the tab-strip control until that control joins the build.
#include "messages/TranslatableControls.h"

#include <QStringList>
#include <QWidget>

class TabStripStandIn : public QWidget, public TranslatableTabStrip {
    Q_OBJECT
public:
    explicit TabStripStandIn(QWidget* parent = nullptr);

    int Tabs() const override { return int(captions_.size()); }
    void setTabs(int tabs);
    int CurrentTab() const { return current_; }
    void setCurrentTab(int tab);
    QString TabCaption(int tab) const override;
    void setTabCaption(int tab, const QString& caption) override;
    int TabLeft(int tab) const;
    int TabWidth(int tab) const;
    bool IgnoreNextClick() const { return ignoreNextClick_; }
    void setIgnoreNextClick(bool value) { ignoreNextClick_ = value; }

signals:
    void TabChange();
    void MouseUp(int Button, int Shift, float X, float Y);

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    int tabAt(double xTwips) const;
    QStringList captions_;
    int current_ = 1;
    bool ignoreNextClick_ = false;
};
