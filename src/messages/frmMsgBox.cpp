#include "frmMsgBox.h"

#include "clsError.h"
#include "messages/BoxPlacement.h"

#include "core/Screen.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTimer>

namespace {
int px(double twips) { return Screen::pixelsFromTwips(twips); }

QRect twipsRect(double left, double top, double width, double height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

QLabel* icon(QWidget* parent, const char* name, QStyle::StandardPixmap pixmap)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(twipsRect(180, 120, 480, 480));
    label->setPixmap(parent->style()->standardIcon(pixmap).pixmap(32, 32));
    label->setAlignment(Qt::AlignCenter);
    label->hide();
    return label;
}

QFrame* line(QWidget* parent, const char* name, double y, const QColor& colour)
{
    auto* frame = new QFrame(parent);
    frame->setObjectName(QString::fromLatin1(name));
    frame->setGeometry(QRect(0, px(y), px(6600), 1));
    frame->setAutoFillBackground(true);
    QPalette p = frame->palette();
    p.setColor(QPalette::Window, colour);
    frame->setPalette(p);
    return frame;
}
} // namespace

QFont frmMsgBox::dialogFont()
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(8.25);
    return font;
}

frmMsgBox::frmMsgBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmMsgBox"));
    setWindowTitle(QStringLiteral("Ventana de Mensajes"));
    setWindowFlags((windowFlags() | Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) &
                   ~(Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                     Qt::WindowContextHelpButtonHint));
    setFont(dialogFont());
    setFixedSize(px(6330), px(4440));

    lblWhiteBG = new QLabel(this);
    lblWhiteBG->setObjectName(QStringLiteral("lblWhiteBG"));
    lblWhiteBG->setGeometry(twipsRect(0, 0, 6705, 795));
    lblWhiteBG->setAutoFillBackground(true);
    QPalette white = lblWhiteBG->palette();
    white.setColor(QPalette::Window, Qt::white);
    lblWhiteBG->setPalette(white);

    Line1 = line(this, "Line1", 780, palette().color(QPalette::Dark));
    Line2 = line(this, "Line2", 795, palette().color(QPalette::Light));

    imgCritical = icon(this, "imgCritical", QStyle::SP_MessageBoxCritical);
    imgQuestion = icon(this, "imgQuestion", QStyle::SP_MessageBoxQuestion);
    imgInformation = icon(this, "imgInformation", QStyle::SP_MessageBoxInformation);
    imgError = icon(this, "imgError", QStyle::SP_MessageBoxWarning);

    lblMainTitle = new QLabel(this);
    lblMainTitle->setObjectName(QStringLiteral("lblMainTitle"));
    // The titles end inside the window and the main one above the sub title.
    lblMainTitle->setGeometry(twipsRect(870, 120, 5370, 330));
    QFont titleFont(QStringLiteral("Tahoma"));
    titleFont.setPointSize(12);
    titleFont.setBold(true);
    lblMainTitle->setFont(titleFont);
    setMainTitleColor(Qt::black);

    lblSubTitle = new QLabel(this);
    lblSubTitle->setObjectName(QStringLiteral("lblSubTitle"));
    lblSubTitle->setGeometry(twipsRect(900, 450, 5340, 195));
    QPalette grey = lblSubTitle->palette();
    grey.setColor(QPalette::WindowText, QColor(64, 64, 64));
    lblSubTitle->setPalette(grey);

    txtBody = new QPlainTextEdit(this);
    txtBody->setObjectName(QStringLiteral("txtBody"));
    txtBody->setGeometry(twipsRect(210, 990, 5895, 2565));
    txtBody->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtBody->setReadOnly(true);

    pnlButtons = new QWidget(this);
    pnlButtons->setObjectName(QStringLiteral("pnlButtons"));
    pnlButtons->setGeometry(twipsRect(0, 3810, 6945, 555));
    auto* line3 = line(pnlButtons, "Line3", 0, palette().color(QPalette::Dark));
    auto* line4 = line(pnlButtons, "Line4", 15, palette().color(QPalette::Light));
    Q_UNUSED(line3);
    Q_UNUSED(line4);

    chkDontAskAgain = new QCheckBox(QStringLiteral("No volver a preguntar"), pnlButtons);
    chkDontAskAgain->setObjectName(QStringLiteral("chkDontAskAgain"));
    chkDontAskAgain->setGeometry(twipsRect(270, 180, 2415, 285));

    const double lefts[3] = {2910, 3990, 5070};
    for (int i = 0; i < 3; ++i) {
        cmd[i] = new QPushButton(pnlButtons);
        cmd[i]->setObjectName(QStringLiteral("cmd(%1)").arg(i));
        cmd[i]->setGeometry(twipsRect(lefts[i], 120, 1035, 405));
        cmd[i]->setAutoDefault(true);
        connect(cmd[i], &QPushButton::clicked, this, [this, i] { cmd_Click(i); });
    }
    // cmd(2) comes first in the tab order, so it holds the focus when the dialog opens.
    setTabOrder(cmd[2], cmd[1]);
    setTabOrder(cmd[1], cmd[0]);
    setTabOrder(cmd[0], chkDontAskAgain);
    setTabOrder(chkDontAskAgain, txtBody);
    txtBody->setFocusPolicy(Qt::ClickFocus);

    tmrError = new QTimer(this);
    tmrError->setObjectName(QStringLiteral("tmrError"));
    tmrError->setInterval(250);
    connect(tmrError, &QTimer::timeout, this, [this] { tmrError_Timer(); });

    // The form sees every key before its controls.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

frmMsgBox::~frmMsgBox() = default;

void frmMsgBox::setMainTitleColor(const QColor& color)
{
    titleColor_ = color;
    QPalette p = lblMainTitle->palette();
    p.setColor(QPalette::WindowText, color);
    lblMainTitle->setPalette(p);
}

void frmMsgBox::cmd_Click(int index)
{
    if (Parent)
        Parent->TakeEventsPpal(QStringLiteral("Click"), QStringLiteral("cmd"), Variant(cmd[index]->property("Tag").toString()));
    accept();
}

void frmMsgBox::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        boxplacement::place(*this);
}

void frmMsgBox::tmrError_Timer()
{
    setMainTitleColor(titleColor_ != QColor(Qt::black) ? QColor(Qt::black) : QColor(255, 0, 0));
}

bool frmMsgBox::Form_KeyPress(int keyAscii)
{
    if (Parent)
        Parent->TakeEventsPpal(QStringLiteral("KeyPress"), QStringLiteral("Form"), Variant(std::int32_t(keyAscii)));
    if (keyAscii == 27) {
        reject();
        return true;
    }
    return false;
}

bool frmMsgBox::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    // Only the first receiver of a key sees it here; a key passed on to the
    // parent widgets is not a second key press.
    QWidget* focus = QApplication::focusWidget();
    const bool firstReceiver = watched == focus || (watched == this && (!focus || !isAncestorOf(focus)));
    if (!firstReceiver)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & Qt::AltModifier)
        return false;
    int keyAscii = 0;
    if (key->key() == Qt::Key_Escape)
        keyAscii = 27;
    else if (!key->text().isEmpty())
        keyAscii = key->text().at(0).unicode();
    if (keyAscii == 0)
        return false;
    return Form_KeyPress(keyAscii);
}
