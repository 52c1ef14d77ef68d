#include "messages/clsError.h"
#include "messages/frmMsgBox.h"

#include "DialogDriver.h"
#include "FakeTranslationStore.h"

#include "core/Dialogs.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {
struct Shown {
    QString body, title, subTitle, icon;
    bool shown = false;
};
} // namespace

TEST(MostrarError, ShowsProcedureAndComponentWhileTheHostIsSet)
{
    clsError msg;
    QWidget host;
    msg.Parent = &host;
    Shown shown;
    whenShown(msg, [&](frmMsgBox* d) {
        shown = {d->txtBody->toPlainText(), d->lblMainTitle->text(), d->lblSubTitle->text(),
                 d->imgCritical->isHidden() ? "" : "critical", true};
        d->cmd[2]->click();
    });
    QApplication::setOverrideCursor(Qt::WaitCursor);
    msg.MostrarError(QString::fromUtf8("Función AddMultiMsg"), "Tevrak.clsError", 16, "Error");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ASSERT_TRUE(shown.shown);
    EXPECT_EQ(shown.body, QString::fromUtf8("\nError en Función AddMultiMsg\nComponente: TEVRAK.CLSERROR"));
    EXPECT_EQ(shown.title, "Error");
    EXPECT_EQ(shown.subTitle, QString::fromUtf8("Informe de este mensaje al Departamento Técnico"));
    EXPECT_EQ(shown.icon, "critical");
}

TEST(MostrarError, WithoutHostOnlySecurityNoticesShow)
{
    clsError msg;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    msg.MostrarError(QString::fromUtf8("Función X"), "Holtane.clsTablas ", 16, "Error");
    EXPECT_EQ(msg.Dialog(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    Shown shown;
    whenShown(msg, [&](frmMsgBox* d) {
        shown = {d->txtBody->toPlainText(), d->lblMainTitle->text(), d->lblSubTitle->text(),
                 d->imgInformation->isHidden() ? "" : "information", true};
        d->cmd[2]->click();
    });
    msg.MostrarError(QString::fromUtf8("No dispone de permisos para esta operación"), "Quillet12.clsMultiTabla", 64,
                     "Seguridad");
    ASSERT_TRUE(shown.shown);
    EXPECT_EQ(shown.body, QString::fromUtf8("\nNo dispone de permisos para esta operación"));
    EXPECT_EQ(shown.title, "Seguridad");
    EXPECT_EQ(shown.subTitle, QString::fromUtf8("Por favor, lea la siguiente descripción:"));
    EXPECT_EQ(shown.icon, "information");

    try {
        msg.MostrarError("x", "y", 256, "Seguridad");
        FAIL() << "no overflow";
    } catch (const Error& e) {
        EXPECT_EQ(e.number, Error::Overflow);
    }
}

TEST(MessageBuffer, CollectsAndShowsLinesTogether)
{
    clsError msg;
    EXPECT_FALSE(msg.ExistsMultiMsg());
    msg.AddMultiMsg("A");
    msg.AddMultiMsg("B {1x}");
    EXPECT_EQ(msg.MultiMsg(), "A\r\nB x\r\n");
    EXPECT_TRUE(msg.ExistsMultiMsg());
    QString body;
    whenShown(msg, [&](frmMsgBox* d) {
        body = d->txtBody->toPlainText();
        d->cmd[2]->click();
    });
    EXPECT_EQ(msg.ShowMultiMsg(64, "Aviso", ""), 1);
    EXPECT_EQ(body, "\nA\nB x\n");
    EXPECT_FALSE(msg.ExistsMultiMsg());

    // Blanks: no dialog, answer 1, emptied.
    msg.setMultiMsg("   ");
    EXPECT_TRUE(msg.ExistsMultiMsg());
    EXPECT_EQ(msg.ShowMultiMsg(64, "Aviso", ""), 1);
    EXPECT_EQ(msg.MultiMsg(), "");
}

TEST(MessageBuffer, SilentModeNeverEmptiesIt)
{
    clsError msg;
    msg.setSilent(true);
    msg.AddMultiMsg("A");
    msg.AddMultiMsg("B");
    EXPECT_EQ(msg.ShowMultiMsg(64, "Aviso", ""), 3);
    EXPECT_EQ(msg.MultiMsg(), "\r\nA\r\nB\r\n");
    EXPECT_EQ(msg.ShowMultiMsg(64, "Aviso", ""), 3);
    EXPECT_EQ(msg.MultiMsg(), "\r\n\r\nA\r\nB\r\n");
    msg.EmptyMultiMsg();
    EXPECT_TRUE(msg.ExistsMultiMsg());
    msg.setSilent(false);
    msg.EmptyMultiMsg();
    EXPECT_FALSE(msg.ExistsMultiMsg());
}

TEST(MessageBuffer, LinesWaitWhileAnotherMessageIsOpen)
{
    clsError msg;
    int inner = -1;
    QString left;
    whenShown(msg, [&](frmMsgBox* d) {
        msg.AddMultiMsg("A");
        inner = msg.ShowMultiMsg(64, "Aviso", "");
        left = msg.MultiMsg();
        d->cmd[2]->click();
    });
    msg.MsgBox("Primero", 0, "Aviso");
    EXPECT_EQ(inner, 7);
    EXPECT_EQ(left, "A\r\n");
    QString body;
    whenShown(msg, [&](frmMsgBox* d) {
        body = d->txtBody->toPlainText();
        d->cmd[2]->click();
    });
    EXPECT_EQ(msg.ShowMultiMsg(64, "Aviso", ""), 1);
    EXPECT_EQ(body, "\nA\n");
    EXPECT_FALSE(msg.ExistsMultiMsg());
}

TEST(MessageBuffer, ShownLinesAreNotTranslatedAgainAndTheLanguageComesBack)
{
    clsError msg;
    auto store = std::make_shared<FakeTranslationStore>();
    store->addRow("Hola {1}", 2, "Hello {1}");
    msg.setTranslationStore(store);
    msg.setLanguage("Language2");
    msg.AddMultiMsg("Hola {1Ana}");
    EXPECT_EQ(msg.MultiMsg(), "Hello Ana\r\n");
    const int before = store->queries;
    QString body;
    whenShown(msg, [&](frmMsgBox* d) {
        body = d->txtBody->toPlainText();
        d->cmd[2]->click();
    });
    msg.ShowMultiMsg(64, "", "");
    EXPECT_EQ(body, "\nHello Ana\n");
    // Title and subtitle translated in "Original" mode: no query at all.
    EXPECT_EQ(store->queries, before);
    EXPECT_EQ(msg.Language(), "Language2");
}

TEST(ReportError, ThroughTheMessageObjectOrTheSystemBox)
{
    const Error boom(5, "boom");
    {
        ScopedRecordingDialogs rec;
        ReportError(nullptr, TraceTag("frmMain", "Form_Load"), boom);
        ASSERT_EQ(rec->calls.size(), 1u);
        EXPECT_EQ(rec->calls[0].prompt, "FRMMAIN.FORM_LOAD\r\nError: boom");
        EXPECT_EQ(rec->calls[0].style, 16);
        EXPECT_EQ(rec->calls[0].title, "Error");
        ReportError(nullptr, "{1FRMSETTINGS.BttSalir_MOUSEUP}", boom);
        EXPECT_EQ(rec->calls[1].prompt, "FRMSETTINGS.BttSalir_MOUSEUP\r\nError: boom");
    }
    clsError msg;
    QString body, title;
    whenShown(msg, [&](frmMsgBox* d) {
        body = d->txtBody->toPlainText();
        title = d->lblMainTitle->text();
        EXPECT_FALSE(d->imgCritical->isHidden());
        d->cmd[2]->click();
    });
    ReportError(&msg, "{1MAXSQL.VALIDATEALL}", boom);
    EXPECT_EQ(body, "\nMAXSQL.VALIDATEALL\nError: boom");
    EXPECT_EQ(title, "Error");
}

TEST(MsgBoxRecorder, TakesThePlaceOfTheDialog)
{
    clsError msg;
    auto rec = std::make_shared<MsgBoxRecorder>();
    rec->answers = {6};
    rec->dontAskAgain = true;
    msg.setRecorder(rec);
    EXPECT_EQ(msg.MsgBox(QString::fromUtf8("¿Borrar {1Clientes}?"), 36, "Aviso"), 6);
    EXPECT_EQ(msg.MsgBox("Hecho", 64, "Aviso", "Sub"), 1);
    EXPECT_EQ(msg.Dialog(), nullptr);
    EXPECT_TRUE(msg.DontAskAgain());
    ASSERT_EQ(rec->calls.size(), 2u);
    EXPECT_EQ(rec->calls[0].body, QString::fromUtf8("\r\n¿Borrar Clientes?"));
    EXPECT_EQ(rec->calls[0].style, 36);
    EXPECT_EQ(rec->calls[0].subTitle, QString::fromUtf8("Por favor, lea la siguiente descripción:"));
    EXPECT_EQ(rec->calls[1].subTitle, "Sub");
    // Silent mode still keeps plain notices back.
    msg.setSilent(true);
    EXPECT_EQ(msg.MsgBox("Nota", 0, "Aviso"), 3);
    EXPECT_EQ(rec->calls.size(), 2u);
    EXPECT_EQ(msg.MultiMsg(), "\r\nNota\r\n");
}
