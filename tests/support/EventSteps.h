#pragma once
// Steps of the event loop a test takes itself, so that what it sees never
// depends on how fast the machine is: the events already queued delivered
// without giving any timer a turn, a timer's tick run when the test says so,
// and a window's activation, which the offscreen platform queues as the
// window is shown.
#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QTimer>
#include <QWidget>
#include <algorithm>

namespace steps {

// Delivers the posted events and the window system's (geometry, exposure,
// activation), and whatever those post in turn, until none is left. No timer
// runs: the flag keeps timers out on every dispatcher, X11's name or not.
inline void settle()
{
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    while (dispatcher->processEvents(QEventLoop::X11ExcludeTimers)) {
    }
}

// One tick of the timer, run now as its timeout would run it.
inline void tick(QTimer& timer) { QMetaObject::invokeMethod(&timer, "timeout", Qt::DirectConnection); }

// Ticks the owner's own running timers until none runs. False when one still
// runs after `most` ticks: it never stops, or waits for a clock the test did
// not move.
inline bool runTimers(const QObject& owner, int most = 100000)
{
    for (int i = 0; i < most; ++i) {
        const auto timers = owner.findChildren<QTimer*>(Qt::FindDirectChildrenOnly);
        const auto running = std::find_if(timers.begin(), timers.end(), [](const QTimer* t) { return t->isActive(); });
        if (running == timers.end())
            return true;
        tick(**running);
    }
    return false;
}

// Shows the window and hands it the activation the platform queued for it.
inline bool showActive(QWidget& window)
{
    window.show();
    window.activateWindow();
    settle();
    return window.isActiveWindow();
}

// A mnemonic puts its button down and clicks it on the button's own timer a
// moment later: this lets that click come. Only a button that is down has a
// click to come, so no time limit decides what the test sees.
inline void finishClicks(const QWidget& window)
{
    const auto down = [&window] {
        const auto buttons = window.findChildren<QAbstractButton*>();
        return std::any_of(buttons.begin(), buttons.end(), [](const QAbstractButton* b) { return b->isDown(); });
    };
    while (down())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

} // namespace steps
