#pragma once
// Drives the modal message dialog from inside its own event loop.
#include "messages/clsError.h"
#include "messages/frmMsgBox.h"

#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

// Acts on the dialog of the next MsgBox once it is shown (and closes what is left open).
inline void whenShown(clsError& msg, const std::function<void(frmMsgBox*)>& act)
{
    QTimer::singleShot(0, [&msg, act] {
        frmMsgBox* d = msg.Dialog();
        ASSERT_NE(d, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowActive(d));
        act(d);
        // Whatever the action left open is closed, so a failing test cannot hang.
        QTimer::singleShot(0, d, [d] { d->close(); });
    });
}

// Runs MsgBox and acts on the dialog once it is shown.
inline int answer(clsError& msg, std::int32_t style, const std::function<void(frmMsgBox*)>& act,
                  bool showDontAskAgain = false, QString body = "Cuerpo", QString title = "Titulo")
{
    whenShown(msg, act);
    QString sub;
    return msg.MsgBox(body, style, title, sub, showDontAskAgain);
}
