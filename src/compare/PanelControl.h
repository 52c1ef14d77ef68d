#pragma once
// One control of the comparison window as its rules see it: place and size in
// twips, shown or not, enabled, its text, list index or check value. The
// window's rules change these; the window copies them onto its widgets and
// copies what the user types back. The text and visibility are properties and
// setFocus a slot, so the services' blank check works on it as on a widget.
#include <QObject>
#include <QString>
#include <QStringList>

namespace compare {

class PanelControl : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)
    Q_PROPERTY(bool visible READ isVisible WRITE setVisible)
public:
    PanelControl(const QString& name, double left, double top, double width, double height, QObject* parent = nullptr)
        : QObject(parent), Left(left), Top(top), Width(width), Height(height)
    {
        setObjectName(name);
    }

    double Left, Top, Width, Height;
    bool Visible = true;
    bool Enabled = true;
    QString Text;
    int ListIndex = -1; // combo boxes: -1 when nothing is selected
    int Value = 0;      // check boxes: 1 checked
    bool Masked = false; // text shown as "*"

    QStringList Items;   // combo boxes: the list; the text is the selected item

    QString text() const
    {
        if (Items.isEmpty())
            return Text;
        return ListIndex >= 0 && ListIndex < Items.size() ? Items.at(ListIndex) : QString();
    }
    void setText(const QString& t) { Text = t; }
    bool isVisible() const { return Visible; }
    void setVisible(bool v) { Visible = v; }

public slots:
    void setFocus() { emit focusRequested(); }

signals:
    void focusRequested();
};

} // namespace compare
