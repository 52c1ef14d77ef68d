#include "DialogDriver.h"
#include "FakeTranslationStore.h"
#include "core/Dialogs.h"

#include <QApplication>
#include <gtest/gtest.h>

TEST(MostrarError, WithoutHostOnlySecurityNoticesShowWithItTheReportsToo)
{
    clsError msg;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    msg.MostrarError(QString::fromUtf8("Función X"), "Holtane.clsTablas ", 16, "Error");
    EXPECT_EQ(msg.Dialog(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    Shown s = shownBy(msg, [&] {
        msg.MostrarError(QString::fromUtf8("No dispone de permisos para esta operación"), "Quillet12.clsMultiTabla",
                         64, "Seguridad");
    });
    EXPECT_EQ(s.texts(), (QStringList{QString::fromUtf8("\nNo dispone de permisos para esta operación"), "Seguridad",
                                      QString::fromUtf8("Por favor, lea la siguiente descripción:"),
                                      "imgInformation"}));

    QWidget host;
    msg.Parent = &host;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    s = shownBy(msg, [&] { msg.MostrarError(QString::fromUtf8("Función AddMultiMsg"), "Tevrak.clsError", 16, "Error"); });
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(s.texts(), (QStringList{QString::fromUtf8("\nError en Función AddMultiMsg\nComponente: TEVRAK.CLSERROR"),
                                      "Error", QString::fromUtf8("Informe de este mensaje al Departamento Técnico"),
                                      "imgCritical"}));
    EXPECT_EQ([&] { try { msg.MostrarError("x", "y", 256, "Seguridad"); } catch (const Error& e) { return e.number; }
                    return decltype(Error::number)(0); }(), Error::Overflow);
}

TEST(MessageBuffer, CollectsLinesShowsThemTogetherOnceNoOtherMessageIsOpenSilentlyOrTranslatedOnce)
{
    clsError msg;
    EXPECT_FALSE(msg.ExistsMultiMsg());
    msg.AddMultiMsg("A");
    msg.AddMultiMsg("B {1x}");
    EXPECT_EQ(msg.MultiMsg(), "A\r\nB x\r\n");
    Shown s = shownBy(msg, [&] { EXPECT_EQ(msg.ShowMultiMsg(64, "Aviso", ""), 1); });
    EXPECT_EQ(s.body, "\nA\nB x\n");
    EXPECT_FALSE(msg.ExistsMultiMsg());

    // Blanks: no dialog, answer 1, emptied.
    msg.setMultiMsg("   ");
    EXPECT_TRUE(msg.ExistsMultiMsg());
    EXPECT_EQ(msg.ShowMultiMsg(64, "Aviso", ""), 1);
    EXPECT_EQ(msg.MultiMsg(), "");

    // While another message is open the lines wait for the next call.
    int inner = -1;
    QString left;
    answer(msg, 0, [&](frmMsgBox* d) {
        msg.AddMultiMsg("A");
        inner = msg.ShowMultiMsg(64, "Aviso", "");
        left = msg.MultiMsg();
        d->cmd[2]->click();
    });
    EXPECT_EQ((QStringList{QString::number(inner), left}), (QStringList{"7", "A\r\n"}));
    s = shownBy(msg, [&] { EXPECT_EQ(msg.ShowMultiMsg(64, "Aviso", ""), 1); });
    EXPECT_EQ(s.body, "\nA\n");
    EXPECT_FALSE(msg.ExistsMultiMsg());
    clsError silent;
    silent.setSilent(true);
    EXPECT_EQ(silent.MsgBox("Aviso {1uno}", 0, "T") + silent.MsgBox("Aviso {1uno}", 1, "T"), 6);
    EXPECT_EQ(silent.MultiMsg(), "\r\nAviso uno\r\n");
    // Questions are still asked.
    EXPECT_EQ(answer(silent, 4, [](frmMsgBox* d) { d->cmd[2]->click(); }), 7);
    EXPECT_EQ(answer(silent, 2, [](frmMsgBox* d) { d->cmd[0]->click(); }), 3);

    clsError buffered;
    buffered.setSilent(true);
    buffered.AddMultiMsg("A");
    buffered.AddMultiMsg("B");
    EXPECT_EQ(buffered.ShowMultiMsg(64, "Aviso", "") + buffered.ShowMultiMsg(64, "Aviso", ""), 6);
    EXPECT_EQ(buffered.MultiMsg(), "\r\n\r\nA\r\nB\r\n") << "each silent show adds a line break, empties nothing";
    buffered.EmptyMultiMsg();
    EXPECT_TRUE(buffered.ExistsMultiMsg()) << "silent mode keeps the lines";
    buffered.setSilent(false);
    buffered.EmptyMultiMsg();
    EXPECT_FALSE(buffered.ExistsMultiMsg());
    clsError translated;
    auto store = std::make_shared<FakeTranslationStore>();
    store->addRow("Hola {1}", 2, "Hello {1}");
    translated.setTranslationStore(store);
    translated.setLanguage("Language2");
    translated.AddMultiMsg("Hola {1Ana}");
    EXPECT_EQ(translated.MultiMsg(), "Hello Ana\r\n");
    const auto before = store->statements.size();
    EXPECT_EQ(shownBy(translated, [&] { translated.ShowMultiMsg(64, "", ""); }).body, "\nHello Ana\n");
    // Title and subtitle translated in "Original" mode: no query at all.
    EXPECT_EQ(store->statements.size(), before);
    EXPECT_EQ(translated.Language(), "Language2");
}

TEST(ReportError, ThroughTheMessageObjectOrTheSystemBoxAndARecorderTakesThePlaceOfTheDialog)
{
    const Error boom(5, "boom");
    {
        ScopedRecordingDialogs rec;
        ReportError(nullptr, TraceTag("frmMain", "Form_Load"), boom);
        ReportError(nullptr, "{1FRMSETTINGS.BttSalir_MOUSEUP}", boom);
        ASSERT_EQ(rec->calls.size(), 2u);
        EXPECT_EQ((QStringList{rec->calls[0].prompt, QString::number(rec->calls[0].style), rec->calls[0].title,
                               rec->calls[1].prompt}),
                  (QStringList{"FRMMAIN.FORM_LOAD\r\nError: boom", "16", "Error",
                               "FRMSETTINGS.BttSalir_MOUSEUP\r\nError: boom"}));
    }
    clsError msg;
    const Shown s = shownBy(msg, [&] { ReportError(&msg, "{1MAXSQL.VALIDATEALL}", boom); });
    EXPECT_EQ((QStringList{s.body, s.title, s.icon}), (QStringList{"\nMAXSQL.VALIDATEALL\nError: boom", "Error", "imgCritical"}));
    clsError recorded;
    auto recorder = std::make_shared<MsgBoxRecorder>();
    recorder->answers = {6};
    recorder->dontAskAgain = true;
    recorded.setRecorder(recorder);
    // The caller's variables receive the texts as shown.
    QString body = QString::fromUtf8("¿Borrar {1Clientes}?"), title = "Aviso", sub;
    EXPECT_EQ(recorded.MsgBox(body, 36, title, sub), 6);
    EXPECT_EQ((QStringList{body, sub}),
              (QStringList{"\r\n¿Borrar Clientes?", QString::fromUtf8("Por favor, lea la siguiente descripción:")}));
    EXPECT_EQ(recorded.MsgBox("Hecho", 64, "Aviso", "Sub"), 1);
    EXPECT_EQ(recorded.Dialog(), nullptr);
    EXPECT_TRUE(recorded.DontAskAgain());
    ASSERT_EQ(recorder->calls.size(), 2u);
    EXPECT_EQ((QStringList{recorder->calls[0].body, QString::number(recorder->calls[0].style), recorder->calls[0].subTitle,
                           recorder->calls[1].subTitle}),
              (QStringList{body, "36", sub, "Sub"}));
    // Silent mode still keeps plain notices back.
    recorded.setSilent(true);
    EXPECT_EQ(recorded.MsgBox("Nota", 0, "Aviso"), 3);
    EXPECT_EQ(recorder->calls.size(), 2u);
}

