#pragma once
// What every control and window stands on: system colours, the saved
// properties of a control, the trap around each event handler, the guards
// that switch drawing back on and take the hourglass away on every path, and
// twips geometry.
#include "core/Error.h"
#include "messages/clsError.h"

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QColor>
#include <cstdint>
#include <functional>
#include <utility>

class QWidget;

namespace controls {

// &HBBGGRR, or &H80000000 + index of a system colour resolved through the
// application palette (5 window background = Base, 8 window text = Text,
// 22 light 3-D edge = Midlight, ...).
QColor resolveColor(std::uint32_t oleColor);
// A colour back to &HBBGGRR.
std::uint32_t oleColorOf(const QColor& color);

// The saved design-time properties of one control: ordered keys, QVariant
// values. A value equal to its default is left out when written, and the
// default stands in for a missing key when read.
class PropertyBag {
public:
    void WriteProperty(const QString& key, const QVariant& value, const QVariant& defaultValue = QVariant());
    QVariant ReadProperty(const QString& key, const QVariant& defaultValue = QVariant()) const;
    QStringList keys() const;
    bool contains(const QString& key) const;

private:
    QList<std::pair<QString, QVariant>> entries_;
};

// Reads one key into a control's field: apply gets the value (or the
// default); a value apply refuses (throws) is skipped. Returns false then.
template <class F>
bool readProperty(const PropertyBag& bag, const QString& key, const QVariant& defaultValue, F&& apply)
{
    return trap([&] { apply(bag.ReadProperty(key, defaultValue)); }, [](const Error&) {});
}

// The trap of every slot, event handler and timer tick: runs body; an Error
// or std::exception is reported once through ReportError with the TraceTag
// of control and procedure (the system message box when msg is null) and
// goes no further. Returns false when it caught. trapTagged takes a TraceTag
// written out whole, for the handlers whose tag is not the upper-case rule.
template <class F>
bool trapTagged(clsError* msg, const QString& traceTag, F&& body)
{
    return trap(std::function<void()>(std::forward<F>(body)), [&](const Error& e) {
        try {
            ReportError(msg, traceTag, e);
        } catch (...) {
            // A report that fails itself must not reach the event loop either.
        }
    });
}

template <class F>
bool trapHandler(clsError* msg, const QString& control, const QString& procedure, F&& body)
{
    return trapTagged(msg, TraceTag(control, procedure), std::forward<F>(body));
}

template <class F>
bool trapHandler(const clsErrorPtr& msg, const QString& control, const QString& procedure, F&& body)
{
    return trapHandler(msg.get(), control, procedure, std::forward<F>(body));
}

// Where the system ignores a handler's errors.
template <class F>
bool ignoreErrors(F&& body)
{
    return trap(std::function<void()>(std::forward<F>(body)), [](const Error&) {});
}

// Switches a control's drawing off (setRedraw(false)) and back on when it
// goes, whatever way the scope is left.
class RedrawGuard {
public:
    template <class Control>
    explicit RedrawGuard(Control& control) : set_([&control](bool on) { control.setRedraw(on); })
    {
        set_(false);
    }
    explicit RedrawGuard(std::function<void(bool)> setRedraw);
    ~RedrawGuard();
    RedrawGuard(const RedrawGuard&) = delete;
    RedrawGuard& operator=(const RedrawGuard&) = delete;

private:
    std::function<void(bool)> set_;
};

// The hourglass: the override cursor Qt::WaitCursor while alive. Guards nest;
// the cursor goes back when the last one goes.
class WaitCursor {
public:
    explicit WaitCursor(Qt::CursorShape shape = Qt::WaitCursor);
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    bool set_ = false;
};

// Twips to pixels at the logical DPI in force (Screen).
QRect pixelRectFromTwips(double left, double top, double width, double height);
void setTwipsGeometry(QWidget* w, double left, double top, double width, double height);
// The widget's geometry back in twips (left, top, width, height).
QRectF twipsGeometry(const QWidget* w);
// Takes the screen's logical DPI into Screen (once the application exists).
void applyScreenDpi();

} // namespace controls
