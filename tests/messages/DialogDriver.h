#pragma once
// Drives the modal message dialog from inside its own event loop.
#include "messages/clsError.h"
#include "messages/frmMsgBox.h"
#include "support/EventSteps.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

// Runs MsgBox and acts on the dialog once it is shown and active (then closes what the action left open, so a
// failing test cannot hang). The action starts before any timer of the dialog has had a turn.
inline int answer(clsError& msg, std::int32_t style, const std::function<void(frmMsgBox*)>& act, bool dontAsk = false)
{
    QTimer::singleShot(0, [&msg, act] {
        frmMsgBox* d = msg.Dialog();
        ASSERT_NE(d, nullptr);
        steps::settle();
        ASSERT_TRUE(d->isActiveWindow());
        act(d);
        QTimer::singleShot(0, d, [d] { d->close(); });
    });
    QString body = "Cuerpo", title = "Titulo", sub;
    return msg.MsgBox(body, style, title, sub, dontAsk);
}

inline QString shownIcon(frmMsgBox* d)
{
    QString s;
    for (QLabel* l : {d->imgCritical, d->imgQuestion, d->imgInformation, d->imgError})
        if (!l->isHidden())
            s += l->objectName();
    return s;
}

// What the messages shown during a call showed: the last one's texts and icon, and how many there were.
struct Shown {
    QString body, title, subTitle, icon;
    int count = 0;
    QStringList texts() const { return {body, title, subTitle, icon}; }
};

// Runs call, answering every message it shows with cmd(2).
inline Shown shownBy(clsError& msg, const std::function<void()>& call)
{
    Shown s;
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [&] {
        frmMsgBox* d = msg.Dialog();
        if (!d || !d->isVisible())
            return;
        s = {d->txtBody->toPlainText(), d->lblMainTitle->text(), d->lblSubTitle->text(), shownIcon(d), s.count + 1};
        d->cmd[2]->click();
    });
    answerer.start(10);
    call();
    return s;
}
