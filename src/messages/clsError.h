#pragma once
// clsError: the message object. One per run; the main window creates it and
// hands it to every window, control and class. Every question, notice and
// error report goes through MsgBox and its dialog; every text on its way to
// the screen goes through Translate; windows are translated by TransMe.
#include "core/ByRef.h"
#include "core/Collection.h"
#include "core/Error.h"
#include "core/MessageReporter.h"
#include "core/Object.h"
#include "core/Variant.h"

#include <QPointer>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class QObject;
class QWidget;
class clsDO;
class frmMsgBox;
class TranslationStore;

// Stands in for the dialog in tests of code that shows messages: while one
// is set, MsgBox shows nothing, keeps each call with its texts as they would
// have been shown, and answers from the queue (then defaultAnswer).
class MsgBoxRecorder {
public:
    struct Call {
        QString body; // with its leading line break, as shown
        std::int32_t style = 0;
        QString title;
        QString subTitle;
    };
    std::vector<Call> calls;
    std::vector<std::int32_t> answers;
    std::int32_t defaultAnswer = 1;
    // The "No volver a preguntar" box as the answer leaves it.
    bool dontAskAgain = false;
};

class clsError : public MessageReporter {
public:
    clsError();
    ~clsError() override;
    clsError(const clsError&) = delete;
    clsError& operator=(const clsError&) = delete;

    QString typeName() const override { return QStringLiteral("clsError"); }

    // The host window; its caption becomes the dialog's window caption, and
    // while it is set the error reports of the classes are shown.
    QPointer<QWidget> Parent;

    // --- message dialog

    // Shows the message dialog and answers the code of the button pressed:
    // 1 OK, 2 Cancel, 3 Abort (also the close box), 4 Retry, 5 Ignore, 6 Yes,
    // 7 No (also Esc where there is no Cancel button, and any call made while
    // this object already shows a message). The texts are translated first;
    // variables passed in receive the texts as shown (the body with a leading
    // line break). myStyle: 16 critical, 32 question, 64 information icon;
    // low bits 0 OK, 1 OK/Cancel, 2 Abort/Retry/Ignore, 3 Yes/No/Cancel, 4-7 Yes/No.
    std::int32_t MsgBox(ByRef<QString> myBody, std::int32_t myStyle, ByRef<QString> myMainTitle,
                        ByRef<QString> mySubTitle = QString(), bool bShowDontAskAgain = false) override;

    // The dialog's event sink ("Click" from "cmd" with the button's code,
    // "KeyPress" from "Form" with the key code).
    bool TakeEventsPpal(const QString& WhichEvent, const QString& WhichControl,
                        const Variant& OptionalParameter = Variant());

    // Silent mode: simple notices go to the message buffer instead of a dialog.
    bool Silent() const { return silent_; }
    void setSilent(bool value) { silent_ = value; }
    // The "No volver a preguntar" box at the last button click.
    bool DontAskAgain() const { return dontAskAgain_; }
    void setDontAskAgain(bool value) { dontAskAgain_ = value; }

    // The dialog of the last call (closed once it answered); null before the first.
    frmMsgBox* Dialog() const;

    // Installs a recorder in place of the dialog (nullptr: the dialog again).
    void setRecorder(std::shared_ptr<MsgBoxRecorder> recorder) { recorder_ = std::move(recorder); }

    // --- error reports and message buffer

    // The report of the classes' error handlers. Titulo "Seguridad" shows
    // Procedimiento as a plain notice; any other title shows "Error en" the
    // procedure and the component in upper case. TipoMensaje outside 0 to 255
    // raises Overflow.
    void MostrarError(const QString& Procedimiento, const QString& Componente, std::int32_t TipoMensaje,
                      const QString& Titulo) override;

    QString MultiMsg() const { return multiMsg_; }
    void setMultiMsg(const QString& value) { multiMsg_ = value; }
    bool AddMultiMsg(const QString& WhichMsg);
    // Shows the buffer in one dialog; 1 without a dialog when it is blank.
    std::int32_t ShowMultiMsg(std::int32_t myStyle, const QString& myMainTitle, const QString& mySubTitle);
    bool EmptyMultiMsg();
    bool ExistsMultiMsg();

    // --- text translation

    // The data-access object of the translation database.
    void setNesko(std::shared_ptr<clsDO> nesko);
    // Any other store of translations (tests).
    void setTranslationStore(std::shared_ptr<TranslationStore> store);
    // The services object; kept for the host only. Not owned.
    void setSCR(ObjectPtr scr) { scr_ = scr; }
    ObjectPtr SCR() const { return scr_.lock(); }

    // "Original" (no translation) or "Language1" to "Language5". Any other
    // name is taken as "Original". Setting a language loads its translations
    // into the cache.
    QString Language() const { return language_; }
    void setLanguage(const QString& name);

    // The text in the current language, BraceBlock values kept as they are
    // and their braces and tag removed. With CreateNew a text the database
    // does not know yet is added to it with sOwner as its owner.
    QString Translate(const QString& OriginalString, bool CreateNew = true, const QString& sOwner = QString());
    // From the current language back to the Spanish text.
    QString UnDoTranslate(const QString& OriginalString);

    // --- window translation

    // Translates a window's caption and controls once (the window's Tag
    // becomes "Translated"). A control that fails is skipped; the first
    // failure is reported once the walk is over.
    void TransMe(QWidget* MiForm, bool CreateNew = true);
    // Translates the controls of every section of a report (a TranslatableReport).
    void TransReport(QObject* MiReport, bool CreateNew = true);
    // Translates one control; MiForm's name is the first part of the owner text.
    void TransControl(QObject* MiForm, QObject* MiControl, bool CreateNew = true);
    // Stops every running timer of a window, letting an event under way finish.
    void DisableAllTimers(QObject* MiForm);

protected:
    // Text measures in twips, in the message dialog's font.
    virtual double textWidthTwips(const QString& text) const;
    virtual double textHeightTwips(const QString& text) const;

private:
    struct Block {
        QString value;
        QString marker;
    };
    static QString stripBlocks(const QString& text);
    static QString splitBlocks(const QString& text, std::vector<Block>& blocks);
    static QString joinBlocks(QString skeleton, const std::vector<Block>& blocks);
    bool findInCache(QString& text) const;
    TranslationStore& store() const;
    void translateOneControl(QObject* form, QObject* control, bool createNew);

    bool busy_ = false;
    std::int32_t result_ = 3;
    QPointer<frmMsgBox> dialog_;
    bool dontAskAgain_ = false;
    bool silent_ = false;
    QString multiMsg_;
    std::shared_ptr<MsgBoxRecorder> recorder_;
    std::shared_ptr<TranslationStore> store_;
    std::weak_ptr<Object> scr_;
    QString language_;
    CollectionPtr cache_;
};

using clsErrorPtr = std::shared_ptr<clsError>;

// The report every window and control handler gives: through the message
// object when there is one (the TraceTag, a line break, "Error: " and the
// description, style 16, title "Error"), else through the system message box
// with the tag's bare names.
void ReportError(clsError* msg, const QString& traceTag, const Error& error);
inline void ReportError(const clsErrorPtr& msg, const QString& traceTag, const Error& error)
{
    ReportError(msg.get(), traceTag, error);
}
