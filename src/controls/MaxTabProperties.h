#pragma once
// MaxTabProperties: the property page of the tab strip. There is no form
// designer here; a host (or a test) hands it the selected strips, and it
// writes the tab count and current tab to the first one at once and the
// captions on Apply.
#include <QList>
#include <QPointer>
#include <QWidget>
#include <map>

class MaxTab;
class QLabel;
class QLineEdit;
class QPushButton;

class MaxTabProperties : public QWidget {
    Q_OBJECT
public:
    explicit MaxTabProperties(QWidget* parent = nullptr);

    // What showing the page for a designer's selection does; only the first
    // strip is read and written.
    void setSelectedControls(const QList<MaxTab*>& controls);
    bool changed() const { return changed_; }
    void Apply();

    QLineEdit* txtTabs() const { return txtTabs_; }
    QLineEdit* txtCurrentTab() const { return txtCurrentTab_; }
    QPushButton* cmdToLeft() const { return cmdToLeft_; }
    QPushButton* cmdToRight() const { return cmdToRight_; }
    // Caption row n (from 1); nullptr when there is none.
    QLineEdit* txtTabCaption(int n) const;
    QLabel* lblTabCaption(int n) const;
    int captionRows() const { return int(rows_.size()); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Row {
        QLabel* label;
        QLineEdit* text;
    };
    void txtTabs_Change();
    void txtCurrentTab_Change();
    void cmdToLeft_Click();
    void cmdToRight_Click();
    Row addRow(int n);
    MaxTab* control() const;

    QLineEdit* txtTabs_;
    QLineEdit* txtCurrentTab_;
    QPushButton* cmdToLeft_;
    QPushButton* cmdToRight_;
    std::map<int, Row> rows_;
    QList<QPointer<MaxTab>> selected_;
    bool changed_ = false;
};
