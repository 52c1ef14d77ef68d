#include "mainwindow/frmEdit.h"

#include "controls/ControlSupport.h"
#include "core/Screen.h"
#include "querypage/CommentLines.h"
#include "controls/PushButton.h"
#include "querypage/modCommons.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QFrame>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QTimer>

namespace {

QString toCrLf(QString text) { return text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\n', QLatin1String("\r\n")); }
QString toLf(QString text) { return text.replace(QLatin1String("\r\n"), QLatin1String("\n")); }

QPlainTextEdit* sqlBox(QWidget* parent, const char* name)
{
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::Monospace);
    f.setPointSizeF(9.75);
    box->setFont(f);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    return box;
}

qint64 monotonicMs()
{
    static QElapsedTimer started = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return started.elapsed();
}

} // namespace

frmEdit::frmEdit(QWidget* parent)
    : DialogFrame(QStringLiteral("frmEdit"), QStringLiteral("Editor de consultas SQL"), 11640, 8040, false, parent)
{
    const QString none;
    BttAceptar = addButton("BttAceptar", "Aceptar", 90, 855, QStyle::SP_DialogApplyButton, "BttAceptar_MouseUp",
                           [this] { BttAceptar_MouseUp(); });
    BttLimpiar = addButton("BttLimpiar", "Vaciar", 960, 795, QStyle::SP_DialogResetButton, "BttLimpiar_MouseUp",
                           [this] { BttLimpiar_MouseUp(); });
    BttComment = addButton("BttComment", "Comentar", 1770, 795, QStyle::SP_FileDialogContentsView,
                           "BttComment_MouseUp", [this] { BttComment_MouseUp(); });
    BttUncomment = addButton("BttUncomment", "Habilitar", 2580, 795, QStyle::SP_FileDialogListView,
                             "BttUncomment_MouseUp", [this] { BttUncomment_MouseUp(); });
    BttIdentar = addButton("BttIdentar", "Identar", 3390, 795, QStyle::SP_FileDialogDetailedView,
                           "BttIdentar_MouseUp", [this] { BttIdentar_MouseUp(); });
    BttCopiar = addButton("BttCopiar", "Copiar", 4200, 795, QStyle::SP_DialogSaveButton, "BttCopiar_MouseUp",
                          [this] { BttCopiar_MouseUp(); });
    BttSalir = addButton("BttSalir", "Salir", 10770, 795, QStyle::SP_DialogCloseButton, none,
                         [this] { BttSalir_MouseUp(); }, SalirTag);
    addLines(17070);

    txtSQL = sqlBox(this, "txtSQL");
    controls::setTwipsGeometry(txtSQL, 90, 1050, 11445, 6885);

    tmrCheckEditable = new QTimer(this);
    tmrCheckEditable->setObjectName(QStringLiteral("tmrCheckEditable"));
    tmrCheckEditable->setSingleShot(true);
    connect(tmrCheckEditable, &QTimer::timeout, this,
            [this] { guarded(QStringLiteral("tmrCheckEditable_Timer"), [this] { tmrCheckEditable_Timer(); }); });
    connect(txtSQL, &QPlainTextEdit::textChanged, this,
            [this] { guarded(QStringLiteral("txtSQL_Change"), [this] { txtSQL_Change(); }); });

    const QRect least = controls::pixelRectFromTwips(0, 0, EditRules::MinimumWidth, EditRules::MinimumHeight);
    setMinimumSize(least.size());
}

void frmEdit::setFrameMeasures(double captionHeight, double frameWidth, double frameHeight)
{
    captionHeight_ = captionHeight;
    frameWidth_ = frameWidth;
    frameHeight_ = frameHeight;
}

qint64 frmEdit::now() const { return clock_ ? clock_() : monotonicMs(); }

QString frmEdit::Identar(const QString& text, std::int16_t level)
{
    QString out;
    guarded(QStringLiteral("Identar"), [&] { out = EditRules::Identar(text, level); });
    return out;
}

void frmEdit::BttAceptar_MouseUp() { hide(); }

void frmEdit::BttSalir_MouseUp()
{
    txtSQL->setPlainText(QStringLiteral("{ignore}"));
    hide();
}

void frmEdit::BttLimpiar_MouseUp() { txtSQL->setPlainText(QString()); }

void frmEdit::BttCopiar_MouseUp()
{
    const QString text = txtSQL->toPlainText();
    if (text.trimmed().isEmpty()) {
        message(QStringLiteral("No hay texto para copiar al portapapeles"), 64, MessageTitle);
        return;
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
    message(QStringLiteral("El texto se ha copiado al portapapeles"), 64, MessageTitle);
}

void frmEdit::changeLines(bool commentThem)
{
    const QTextCursor cursor = txtSQL->textCursor();
    const int start = cursor.selectionStart();
    const int length = cursor.selectionEnd() - start;
    const QString text = txtSQL->toPlainText();
    const QString changed =
        commentThem ? commentlines::comment(text, start, length) : commentlines::uncomment(text, start, length);
    delay_.setLastSeen(changed); // so the change handler starts no timer
    txtSQL->setPlainText(changed);
    colour();
}

void frmEdit::BttComment_MouseUp() { changeLines(true); }
void frmEdit::BttUncomment_MouseUp() { changeLines(false); }

void frmEdit::BttIdentar_MouseUp()
{
    const QString kept = txtSQL->toPlainText();
    const QString formatted = toLf(Identar(toCrLf(kept), 0));
    if (formatted.isEmpty() && !kept.isEmpty())
        return; // the failure was reported; the text stays as it was
    delay_.setLastSeen(QString()); // the coming change starts the colouring delay
    modCommons::ResetColour(txtSQL);
    txtSQL->setPlainText(formatted);
    if (message(QStringLiteral("¿Desea aplicar estos cambios?"), 36, MessageTitle) == 7)
        txtSQL->setPlainText(kept);
}

void frmEdit::txtSQL_Change()
{
    if (delay_.changed(txtSQL->toPlainText(), now()))
        tmrCheckEditable->start(int(EditRules::ColouringDelay::Delay));
}

void frmEdit::tmrCheckEditable_Timer()
{
    qint64 remaining = 0;
    if (delay_.tick(now(), &remaining)) {
        tmrCheckEditable->stop();
        colour();
    } else if (delay_.armed()) {
        tmrCheckEditable->start(int(qMax<qint64>(1, remaining)));
    }
}

void frmEdit::colour()
{
    ++colourings_;
    modCommons::HighlightKeywords(txtSQL);
}

void frmEdit::resizeEvent(QResizeEvent* event)
{
    DialogFrame::resizeEvent(event);
    guarded(QStringLiteral("Form_Resize"), [this] { Form_Resize(); });
}

void frmEdit::showEvent(QShowEvent* event)
{
    DialogFrame::showEvent(event);
    guarded(QStringLiteral("Form_Resize"), [this] { Form_Resize(); });
}

void frmEdit::Form_Resize()
{
    const double tpp = Screen::twipsPerPixel();
    EditRules::ResizeInput in;
    in.Width = width() * tpp + 2 * frameWidth_;
    in.Height = height() * tpp + captionHeight_ + 2 * frameHeight_;
    in.Visible = isVisible();
    in.Minimised = isMinimized();
    in.CaptionHeight = captionHeight_;
    in.FrameWidth = frameWidth_;
    in.FrameHeight = frameHeight_;
    const EditRules::ResizeResult r = EditRules::resize(in);
    if (!r.Placed)
        return;
    const QRectF text = controls::twipsGeometry(txtSQL);
    controls::setTwipsGeometry(txtSQL, text.left(), text.top(), r.TextWidth, r.TextHeight);
    const QRectF salir = controls::twipsGeometry(BttSalir);
    controls::setTwipsGeometry(BttSalir, r.SalirLeft, salir.top(), salir.width(), salir.height());
    setLinesEnd(r.LineX2);
}
