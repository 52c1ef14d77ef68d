#include "clsError.h"

#include "MSendInput.h"
#include "TranslationStore.h"
#include "frmMsgBox.h"
#include "messages/BoxPlacement.h"

#include "core/Dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace {
const QString kCrLf = QStringLiteral("\r\n");
const QString kSource = QStringLiteral("Tevrak.clsError");

// The button sets of the style word, in the order they are tested.
enum class ButtonSet { YesNo, YesNoCancel, AbortRetryIgnore, OkCancel, Ok };

ButtonSet buttonSet(std::int32_t style)
{
    if (style & 4)
        return ButtonSet::YesNo;
    if ((style & 3) == 3)
        return ButtonSet::YesNoCancel;
    if (style & 2)
        return ButtonSet::AbortRetryIgnore;
    if (style & 1)
        return ButtonSet::OkCancel;
    return ButtonSet::Ok;
}

struct ButtonLayout {
    const char* caption; // nullptr: hidden
    int code;
};

// Captions and codes of cmd(0), cmd(1), cmd(2) and the default button.
struct SetLayout {
    ButtonLayout buttons[3];
    int defaultButton;
};

SetLayout setLayout(ButtonSet set)
{
    switch (set) {
    case ButtonSet::YesNo:
        return {{{nullptr, 0}, {"&Si", 6}, {"&No", 7}}, 1};
    case ButtonSet::YesNoCancel:
        return {{{"&Si", 6}, {"&No", 7}, {"&Cancelar", 2}}, 1};
    case ButtonSet::AbortRetryIgnore:
        return {{{"&Abortar", 3}, {"&Reintentar", 4}, {"&Ignorar", 5}}, 0};
    case ButtonSet::OkCancel:
        return {{{nullptr, 0}, {"&Aceptar", 1}, {"&Cancelar", 2}}, 1};
    case ButtonSet::Ok:
        break;
    }
    return {{{nullptr, 0}, {nullptr, 0}, {"&Aceptar", 1}}, 2};
}

// Each step of the dialog set-up that fails is skipped; the message still shows.
template <class F>
void step(F&& f)
{
    try {
        f();
    } catch (...) {
    }
}
} // namespace

clsError::clsError() = default;

clsError::~clsError()
{
    delete dialog_.data();
}

frmMsgBox* clsError::Dialog() const { return dialog_.data(); }

std::int32_t clsError::MsgBox(ByRef<QString> myBody, std::int32_t myStyle, ByRef<QString> myMainTitle,
                              ByRef<QString> mySubTitle, bool bShowDontAskAgain)
{
    if (busy_)
        return 7;
    busy_ = true;

    step([&] { *myBody = Translate(*myBody, true, QString()); });
    step([&] { *myMainTitle = Translate(*myMainTitle, true, QString()); });
    if (mySubTitle->isEmpty())
        *mySubTitle = QStringLiteral("Por favor, lea la siguiente descripción:");
    step([&] { *mySubTitle = Translate(*mySubTitle, true, QString()); });

    QApplication::setOverrideCursor(Qt::ArrowCursor);

    frmMsgBox* dialog = nullptr;
    step([&] {
        if (recorder_)
            return;
        delete dialog_.data();
        dialog = new frmMsgBox(boxplacement::owner(Parent));
        dialog->setAttribute(Qt::WA_DeleteOnClose, false);
        dialog_ = dialog;
        dialog->Parent = this;
    });
    result_ = 3;

    const ButtonSet set = buttonSet(myStyle);
    *myBody = kCrLf + *myBody;
    if (dialog) {
        step([&] { dialog->chkDontAskAgain->hide(); });
        step([&] { dialog->txtBody->setPlainText(QString(*myBody).replace(kCrLf, QStringLiteral("\n"))); });
        step([&] {
            if (Parent)
                dialog->setWindowTitle(Parent->windowTitle());
        });
        step([&] {
            if ((myStyle & 16) == 16) {
                dialog->imgCritical->show();
                dialog->tmrError->start();
            } else if ((myStyle & 64) == 64) {
                dialog->imgInformation->show();
            } else if ((myStyle & 32) == 32) {
                dialog->imgQuestion->show();
                if (bShowDontAskAgain)
                    dialog->chkDontAskAgain->show();
            } else {
                dialog->imgError->show();
            }
        });
        const SetLayout layout = setLayout(set);
        for (int i = 0; i < 3; ++i) {
            QPushButton* button = dialog->cmd[i];
            const ButtonLayout& b = layout.buttons[i];
            if (!b.caption) {
                button->hide();
                continue;
            }
            button->show();
            button->setDefault(i == layout.defaultButton);
            const QString caption = QString::fromUtf8(b.caption);
            button->setText(caption);
            step([&] { button->setText(Translate(caption, true, QStringLiteral("frmMsgBox"))); });
            button->setProperty("Tag", QString::number(b.code));
        }
        step([&] { dialog->lblMainTitle->setText(*myMainTitle); });
        step([&] { dialog->lblSubTitle->setText(*mySubTitle); });
    }

    const bool plainNotice = set == ButtonSet::Ok || set == ButtonSet::OkCancel;
    if (silent_ && plainNotice) {
        step([&] {
            if (!multiMsg_.contains(*myBody))
                AddMultiMsg(*myBody);
        });
    } else if (recorder_) {
        recorder_->calls.push_back({*myBody, myStyle, *myMainTitle, *mySubTitle});
        if (recorder_->answers.empty()) {
            result_ = recorder_->defaultAnswer;
        } else {
            result_ = recorder_->answers.front();
            recorder_->answers.erase(recorder_->answers.begin());
        }
        dontAskAgain_ = recorder_->dontAskAgain;
    } else if (dialog) {
        step([&] {
            dialog->cmd[2]->setFocus();
            dialog->exec();
        });
    }

    const std::int32_t result = result_;
    QApplication::restoreOverrideCursor();
    QCoreApplication::processEvents();
    busy_ = false;
    return result;
}

bool clsError::TakeEventsPpal(const QString& WhichEvent, const QString& WhichControl,
                              const Variant& OptionalParameter)
{
    try {
        if (WhichEvent == QLatin1String("Click") && WhichControl == QLatin1String("cmd")) {
            dontAskAgain_ = dialog_ && dialog_->chkDontAskAgain->isChecked();
            result_ = OptionalParameter.toLong();
        } else if (WhichEvent == QLatin1String("KeyPress") && WhichControl == QLatin1String("Form")) {
            const std::int32_t key = OptionalParameter.toLong();
            if (key == 27) {
                // Esc cancels where there is a Cancel button; elsewhere it answers No.
                bool hasCancel = false;
                if (dialog_)
                    for (QPushButton* b : dialog_->cmd)
                        hasCancel = hasCancel || (!b->isHidden() && b->property("Tag").toString() == QLatin1String("2"));
                result_ = hasCancel ? 2 : 7;
            } else if (key > 0 && key < 0x10000) {
                const QChar typed{char16_t(key)};
                if (QStringLiteral("YNOCIR").contains(typed.toUpper()))
                    MSendInput::SendKeys(QStringLiteral("%") + typed, false);
            }
        }
        return true;
    } catch (const Error& e) {
        MostrarError(QStringLiteral("Función TakeEventsPpal") + kCrLf + QStringLiteral("Error: ") + e.description,
                     kSource, 16, QStringLiteral("Error"));
        return false;
    }
}

void clsError::MostrarError(const QString& Procedimiento, const QString& Componente, std::int32_t TipoMensaje,
                            const QString& Titulo)
{
    if (TipoMensaje < 0 || TipoMensaje > 255)
        raise(Error::Overflow, QStringLiteral("Overflow"), kSource);
    const std::int32_t style = TipoMensaje;
    if (Titulo == QLatin1String("Seguridad")) {
        MsgBox(Procedimiento, style, Titulo, QString(), false);
    } else if (Parent) {
        // The procedure and the component travel as BraceBlocks: only the
        // words around them are translated.
        const QString body = QStringLiteral("Error en {1") + Procedimiento + kCrLf + QStringLiteral("}Componente: {2") +
                             Componente.toUpper() + QStringLiteral("}");
        MsgBox(body, style, Titulo, QStringLiteral("Informe de este mensaje al Departamento Técnico"), false);
    }
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

bool clsError::AddMultiMsg(const QString& WhichMsg)
{
    try {
        multiMsg_ = multiMsg_ + Translate(WhichMsg, true, QString()) + kCrLf;
        return true;
    } catch (const Error&) {
        MostrarError(QStringLiteral("Función AddMultiMsg"), kSource, 16, QStringLiteral("Error"));
        return false;
    }
}

std::int32_t clsError::ShowMultiMsg(std::int32_t myStyle, const QString& myMainTitle, const QString& mySubTitle)
{
    // The lines were translated as they came in: only their BraceBlock
    // markers are to go. The language comes back on every path.
    struct LanguageKept {
        QString& language;
        const QString saved;
        ~LanguageKept() { language = saved; }
    };
    std::int32_t result = 0;
    try {
        const LanguageKept kept{language_, language_};
        language_ = QStringLiteral("Original");
        // While another message is open nothing can be shown: the lines wait
        // for the next call instead of being lost.
        const bool canShow = !busy_;
        if (!multiMsg_.trimmed().isEmpty()) {
            QString title = myMainTitle;
            QString subTitle = mySubTitle;
            result = MsgBox(multiMsg_, myStyle, title, subTitle, false);
        } else {
            result = 1;
        }
        if (!silent_ && canShow)
            multiMsg_.clear();
    } catch (const Error&) {
        MostrarError(QStringLiteral("Función ShowMultiMsg"), kSource, 16, QStringLiteral("Error"));
        return 0;
    }
    return result;
}

bool clsError::EmptyMultiMsg()
{
    if (!silent_)
        multiMsg_.clear();
    return true;
}

bool clsError::ExistsMultiMsg() { return !multiMsg_.isEmpty(); }

void ReportError(clsError* msg, const QString& traceTag, const Error& error)
{
    const QString tail = QStringLiteral("\r\nError: ") + error.description;
    if (msg) {
        msg->MsgBox(traceTag + tail, 16, QStringLiteral("Error"));
        return;
    }
    // Without a message object the system box shows the bare names.
    QString bare = traceTag;
    if (bare.startsWith(u'{') && bare.size() >= 2)
        bare = bare.mid(2);
    if (bare.endsWith(u'}'))
        bare.chop(1);
    SystemMsgBox(bare + tail, 16, QStringLiteral("Error"));
}
