#pragma once
// What window translation reads and writes on the system's own controls.
// The grid, the typed text box, the tab strip and the query page implement
// these next to their QWidget base; window translation finds them by
// dynamic_cast and never looks inside them otherwise.
//
// The host's Tag of any control (and of a window) is the dynamic property
// "Tag"; "Translatable" asks for a control's contents to be translated,
// "Translated" marks a window that was translated already.
#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>

inline QString controlTag(const QObject* control)
{
    return control ? control->property("Tag").toString() : QString();
}

inline void setControlTag(QObject* control, const QString& tag)
{
    if (control)
        control->setProperty("Tag", tag);
}

// The editable grid: only its header row is translated.
class TranslatableGrid {
public:
    virtual ~TranslatableGrid() = default;
    virtual int FixedRows() const = 0;
    virtual int Cols() const = 0;
    // Row and column from 0; outside the grid raises the grid's error.
    virtual QString TextMatrix(int row, int col) const = 0;
    virtual void setTextMatrix(int row, int col, const QString& text) = 0;
};

// The typed text box.
class TranslatableText {
public:
    virtual ~TranslatableText() = default;
    virtual QString Text() const = 0;
    virtual void setText(const QString& text) = 0;
};

// The tab strip: tabs numbered from 1 to Tabs().
class TranslatableTabStrip {
public:
    virtual ~TranslatableTabStrip() = default;
    virtual int Tabs() const = 0;
    virtual QString TabCaption(int tab) const = 0;
    virtual void setTabCaption(int tab, const QString& caption) = 0;
};

// The query page: its own buttons, labels, grid and tabs are not controls of
// the window that hosts it, so it lists them itself.
class TranslatableQueryPage {
public:
    virtual ~TranslatableQueryPage() = default;
    virtual QList<QObject*> ChildControls() const = 0;
};

// A report: the controls of each of its sections, section by section (its
// objectName is the first part of the owner texts).
class TranslatableReport {
public:
    virtual ~TranslatableReport() = default;
    virtual QList<QList<QObject*>> SectionControls() const = 0;
};
