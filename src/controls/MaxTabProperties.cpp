#include "MaxTabProperties.h"

#include "controls/ControlSupport.h"
#include "controls/MaxTab.h"
#include "core/Error.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

namespace {
const QString Owner = QStringLiteral("MaxTabProperties");

// A number box holds digits only: its text as a number (0 when empty).
int boxNumber(const QLineEdit* box)
{
    const QString text = box->text();
    if (text.isEmpty())
        return 0;
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value > 32767)
        raise(Error::Overflow, QStringLiteral("Desbordamiento"));
    return value;
}

template <class W>
W* place(W* widget, const QString& name, double left, double top, double width, double height)
{
    widget->setObjectName(name);
    controls::setTwipsGeometry(widget, left, top, width, height);
    return widget;
}
} // namespace

MaxTabProperties::MaxTabProperties(QWidget* parent) : QWidget(parent)
{
    setObjectName(Owner);
    setWindowTitle(QStringLiteral("Propiedades MaxTab"));
    controls::setTwipsGeometry(this, 0, 0, 3960, 4425);
    setFixedSize(size());

    // The two labels widen to their text where this platform's font is wider; they never narrow.
    auto* lblTabs = place(new QLabel(QStringLiteral("Número de Solapas"), this), QStringLiteral("lblTabs"), 240, 480, 1545, 225);
    lblTabs->resize(std::max(lblTabs->width(), lblTabs->sizeHint().width()), lblTabs->height());
    txtTabs_ = place(new QLineEdit(this), QStringLiteral("txtTabs"), 2970, 450, 525, 285);
    auto* lblCurrentTab =
        place(new QLabel(QStringLiteral("Solapa Actual"), this), QStringLiteral("lblCurrentTab"), 240, 870, 1545, 225);
    lblCurrentTab->resize(std::max(lblCurrentTab->width(), lblCurrentTab->sizeHint().width()), lblCurrentTab->height());
    txtCurrentTab_ = place(new QLineEdit(this), QStringLiteral("txtCurrentTab"), 2970, 840, 525, 285);
    addRow(1);
    rows_.at(1).text->setText(QStringLiteral("Tab 1"));
    cmdToLeft_ = place(new QPushButton(QStringLiteral("<"), this), QStringLiteral("cmdToLeft"), 2700, 840, 285, 255);
    cmdToRight_ =
        place(new QPushButton(QStringLiteral(">"), this), QStringLiteral("cmdToRight"), 3510, 840, 255, 255);

    // Tab order as the page lists its controls.
    setTabOrder(txtTabs_, txtCurrentTab_);
    setTabOrder(txtCurrentTab_, rows_.at(1).text);
    setTabOrder(rows_.at(1).text, cmdToLeft_);
    setTabOrder(cmdToLeft_, cmdToRight_);

    txtTabs_->installEventFilter(this);
    txtCurrentTab_->installEventFilter(this);
    auto trapped = [this](const QString& procedure, void (MaxTabProperties::*handler)()) {
        return [this, procedure, handler] { controls::trapHandler(nullptr, Owner, procedure, [&] { (this->*handler)(); }); };
    };
    connect(txtTabs_, &QLineEdit::textChanged, this,
            trapped(QStringLiteral("txtTabs_Change"), &MaxTabProperties::txtTabs_Change));
    connect(txtCurrentTab_, &QLineEdit::textChanged, this,
            trapped(QStringLiteral("txtCurrentTab_Change"), &MaxTabProperties::txtCurrentTab_Change));
    connect(cmdToLeft_, &QPushButton::clicked, this,
            trapped(QStringLiteral("cmdToLeft_Click"), &MaxTabProperties::cmdToLeft_Click));
    connect(cmdToRight_, &QPushButton::clicked, this,
            trapped(QStringLiteral("cmdToRight_Click"), &MaxTabProperties::cmdToRight_Click));
    changed_ = false; // the design text of row 1 is no edit
}

MaxTabProperties::Row MaxTabProperties::addRow(int n)
{
    Row row;
    if (n == 1) {
        row.label = place(new QLabel(this), QStringLiteral("lblTabCaption"), 240, 1440, 1485, 225);
        row.text = place(new QLineEdit(this), QStringLiteral("txtTabCaption"), 1830, 1440, 1665, 285);
    } else {
        const Row& first = rows_.at(1);
        const Row& previous = rows_.at(n - 1);
        const int top = previous.text->y() + previous.text->height() + controls::pixelRectFromTwips(0, 0, 0, 60).height();
        row.text = new QLineEdit(this);
        row.text->setObjectName(QStringLiteral("txtTabCaption"));
        row.text->setGeometry(first.text->x(), top, first.text->width(), first.text->height());
        row.label = new QLabel(this);
        row.label->setObjectName(QStringLiteral("lblTabCaption"));
        row.label->setGeometry(first.label->x(), top, first.label->width(), first.label->height());
        setTabOrder(previous.text, row.text);
    }
    row.label->setText(QStringLiteral("Texto Solapa ") + QString::number(n));
    row.label->setProperty("Index", n);
    row.text->setProperty("Index", n);
    connect(row.text, &QLineEdit::textChanged, this, [this] { changed_ = true; });
    row.label->show();
    row.text->show();
    rows_[n] = row;
    return row;
}

QLineEdit* MaxTabProperties::txtTabCaption(int n) const
{
    const auto it = rows_.find(n);
    return it == rows_.end() ? nullptr : it->second.text;
}

QLabel* MaxTabProperties::lblTabCaption(int n) const
{
    const auto it = rows_.find(n);
    return it == rows_.end() ? nullptr : it->second.label;
}

MaxTab* MaxTabProperties::control() const
{
    return selected_.isEmpty() ? nullptr : selected_.first().data();
}

void MaxTabProperties::setSelectedControls(const QList<MaxTab*>& controls)
{
    selected_.clear();
    for (MaxTab* c : controls)
        selected_.append(c);
    MaxTab* strip = control();
    if (!strip)
        return;
    txtTabs_->setText(QString::number(strip->Tabs()));
    txtCurrentTab_->setText(QString::number(strip->CurrentTab()));
}

void MaxTabProperties::txtTabs_Change()
{
    MaxTab* strip = control();
    if (!txtTabs_->text().isEmpty()) {
        const int count = boxNumber(txtTabs_);
        for (auto it = rows_.begin(); it != rows_.end();) {
            if (it->first > 1) {
                delete it->second.label;
                delete it->second.text;
                it = rows_.erase(it);
            } else {
                ++it;
            }
        }
        for (int n = 1; n <= count; ++n) {
            if (n > 1)
                addRow(n);
            const QString caption = strip && n <= strip->Tabs() ? strip->TabCaption(n)
                                                                : QStringLiteral("Tab ") + QString::number(n);
            rows_.at(n).text->setText(caption);
            rows_.at(n).label->setText(QStringLiteral("Texto Solapa ") + QString::number(n));
        }
        if (!txtCurrentTab_->text().isEmpty() && count < boxNumber(txtCurrentTab_))
            txtCurrentTab_->setText(txtTabs_->text());
    }
    changed_ = true;
    // An empty box leaves the strip as it is.
    if (strip && !txtTabs_->text().isEmpty())
        strip->setTabs(boxNumber(txtTabs_));
}

void MaxTabProperties::txtCurrentTab_Change()
{
    if (boxNumber(txtTabs_) < boxNumber(txtCurrentTab_))
        txtCurrentTab_->setText(txtTabs_->text());
    changed_ = true;
    MaxTab* strip = control();
    if (strip && !txtCurrentTab_->text().isEmpty())
        strip->setCurrentTab(boxNumber(txtCurrentTab_));
}

void MaxTabProperties::cmdToLeft_Click()
{
    const int current = boxNumber(txtCurrentTab_);
    if (current > 1)
        txtCurrentTab_->setText(QString::number(current - 1));
}

void MaxTabProperties::cmdToRight_Click()
{
    const int current = boxNumber(txtCurrentTab_);
    if (current < boxNumber(txtTabs_))
        txtCurrentTab_->setText(QString::number(current + 1));
}

void MaxTabProperties::Apply()
{
    MaxTab* strip = control();
    if (!strip)
        return;
    QString captions = QStringLiteral("Tab ");
    for (const auto& [n, row] : rows_)
        captions += QLatin1Char('|') + row.text->text();
    if (!txtTabs_->text().isEmpty())
        strip->setTabs(boxNumber(txtTabs_));
    if (!txtCurrentTab_->text().isEmpty())
        strip->setCurrentTab(boxNumber(txtCurrentTab_));
    strip->setAllCaptions(captions);
    changed_ = false;
}

bool MaxTabProperties::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == txtTabs_ || watched == txtCurrentTab_) && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Only digits are typed; Backspace, other characters, paste and cut
        // are discarded. Keys that type nothing (arrows, Delete) work.
        if (key->matches(QKeySequence::Paste) || key->matches(QKeySequence::Cut))
            return true;
        const QString text = key->text();
        if (!text.isEmpty() || key->key() == Qt::Key_Backspace)
            return !(text.size() == 1 && text.at(0) >= QLatin1Char('0') && text.at(0) <= QLatin1Char('9'));
    }
    return QWidget::eventFilter(watched, event);
}
