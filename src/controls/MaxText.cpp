#include "MaxText.h"

#include "controls/ControlSupport.h"
#include "core/Error.h"
#include "core/Screen.h"
#include "core/ValueText.h"
#include "messages/MSendInput.h"
#include "platform/keys/KeyEvents.h"

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <cmath>

namespace {
constexpr std::uint32_t WindowBackground = 0x80000005;
constexpr std::uint32_t Light3D = 0x80000016;
const QString DefaultFormato = QStringLiteral("#,##0.00");
} // namespace

// --- rules

namespace MaxTextRules {

Typed numericKey(const QString& text, int caret, QChar key, QChar mark)
{
    Typed t;
    const char16_t c = key.unicode();
    if ((c >= u'0' && c <= u'9') || c == 8) {
        t.key = key;
        t.raiseKeyPress = true;
        t.keyAscii = short(c);
        return t;
    }
    if (c == u'-') {
        if (text.isEmpty() || (!text.contains(QLatin1Char('-')) && caret == 0)) {
            t.key = key;
            t.raiseKeyPress = true;
            t.keyAscii = short(c);
        } else {
            t.action = Typed::Cancel;
        }
        return t;
    }
    if (c == u'.' || c == u',') {
        if (text.contains(mark)) {
            t.action = Typed::Cancel;
        } else if (caret == 0) {
            t.action = Typed::Rewrite;
            t.text = QStringLiteral("0") + mark + text;
            t.caret = 2;
        } else if (text.startsWith(QLatin1Char('-')) && caret == 1) {
            t.action = Typed::Rewrite;
            t.text = QStringLiteral("-0") + mark + text.mid(1);
            t.caret = 3;
        } else {
            t.key = mark;
            t.raiseKeyPress = true;
            t.keyAscii = short(mark.unicode());
        }
        return t;
    }
    // Letters, blanks, other signs and control characters (copy, paste...).
    t.action = Typed::Cancel;
    t.raiseKeyPress = true;
    t.keyAscii = 0;
    return t;
}

QString editForm(double value)
{
    // Whole numbers of any size keep every digit; only fractions are cut to four places.
    return ValueText::format(value, value == std::floor(value) ? QStringLiteral("##0") : QStringLiteral("##0.####"));
}

QString sqlNumber(double value)
{
    return editForm(value).replace(ValueText::decimalSeparator(), QLatin1Char('.'));
}

} // namespace MaxTextRules

// --- the inner box

MaxTextBox::MaxTextBox(MaxText* owner) : QLineEdit(owner), owner_(owner) {}

void MaxTextBox::keyPressEvent(QKeyEvent* event)
{
    controls::trapHandler(nullptr, owner_->objectName(), QStringLiteral("Casilla_KeyPress"),
                          [&] { owner_->casillaKeyPress(event); });
}

void MaxTextBox::inputMethodEvent(QInputMethodEvent* event)
{
    controls::trapHandler(nullptr, owner_->objectName(), QStringLiteral("Casilla_KeyPress"),
                          [&] { owner_->casillaInputMethod(event); });
}

void MaxTextBox::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    owner_->casillaGotFocus();
}

void MaxTextBox::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    controls::trapHandler(nullptr, owner_->objectName(), QStringLiteral("Casilla_LostFocus"),
                          [&] { owner_->casillaLostFocus(); });
}

// --- the control

MaxText::MaxText(QWidget* parent) : QWidget(parent), casilla_(new MaxTextBox(this))
{
    setObjectName(QStringLiteral("MaxText"));
    casilla_->setObjectName(QStringLiteral("Casilla"));
    setFocusProxy(casilla_);
    setFocusPolicy(casilla_->focusPolicy());
    setMinimumHeight(Screen::pixelsFromTwips(MinimumHeight));
    casilla_->setGeometry(rect());
    connect(casilla_, &QLineEdit::textChanged, this, [this] {
        controls::trapHandler(nullptr, objectName(), QStringLiteral("Casilla_Change"), [this] { casillaChange(); });
    });
}

void MaxText::setFormato(const QString& value)
{
    formato_ = value;
    ApplyFormat();
}

void MaxText::setBackColor(std::uint32_t color)
{
    backColor_ = color;
    applyBackColor();
}

void MaxText::applyBackColor()
{
    QPalette pal = casilla_->palette();
    const QColor color = controls::resolveColor(backColor_);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        pal.setColor(group, QPalette::Base, color);
    casilla_->setPalette(pal);
}

void MaxText::setTipo(std::int32_t value)
{
    tipo_ = value;
    if (numeric() && !ValueText::isNumeric(casilla_->text()))
        casilla_->setText(QString());
}

QString MaxText::Text() const
{
    return casilla_->text();
}

void MaxText::setText(const QString& value)
{
    casilla_->setText(value);
    if (numeric() && !ValueText::isNumeric(casilla_->text()))
        casilla_->setText(QString());
}

std::int32_t MaxText::Alignment() const
{
    const Qt::Alignment a = casilla_->alignment();
    if (a & Qt::AlignRight)
        return 1;
    if (a & Qt::AlignHCenter)
        return 2;
    return 0;
}

void MaxText::setAlignment(std::int32_t value)
{
    const Qt::Alignment h = value == 1 ? Qt::AlignRight : value == 2 ? Qt::AlignHCenter : Qt::AlignLeft;
    casilla_->setAlignment(h | Qt::AlignVCenter);
}

QFont MaxText::Font() const
{
    return casilla_->font();
}

void MaxText::SetFont(const QFont& font)
{
    casilla_->setFont(font);
}

QString MaxText::SQLText() const
{
    const QString text = casilla_->text();
    if (text.isEmpty())
        return QString();
    if (!numeric())
        return QString(text).replace(QLatin1Char('\''), QStringLiteral("''"));
    const auto number = ValueText::parseNumber(text);
    if (!number)
        ::raise(Error::TypeMismatch, QStringLiteral("No coinciden los tipos"));
    return MaxTextRules::sqlNumber(*number);
}

bool MaxText::Locked() const
{
    return casilla_->isReadOnly();
}

void MaxText::setLocked(bool value)
{
    casilla_->setReadOnly(value);
}

std::int16_t MaxText::MaxLength() const
{
    const int length = casilla_->maxLength();
    return length >= 32767 ? 0 : std::int16_t(length);
}

void MaxText::setMaxLength(std::int16_t value)
{
    casilla_->setMaxLength(value <= 0 ? 32767 : value);
}

std::int32_t MaxText::SelStart() const
{
    return casilla_->hasSelectedText() ? casilla_->selectionStart() : casilla_->cursorPosition();
}

void MaxText::setSelStart(std::int32_t value)
{
    casilla_->deselect();
    casilla_->setCursorPosition(value);
}

std::int32_t MaxText::SelLength() const
{
    return casilla_->selectionLength();
}

void MaxText::setSelLength(std::int32_t value)
{
    const int start = SelStart();
    if (value <= 0)
        casilla_->setCursorPosition(start);
    else
        casilla_->setSelection(start, value);
}

QString MaxText::SelText() const
{
    return casilla_->selectedText();
}

void MaxText::setSelText(const QString& value)
{
    casilla_->insert(value);
}

// --- behaviour

void MaxText::ApplyFormat()
{
    if (!numeric() || casilla_->text().isEmpty())
        return;
    const auto number = ValueText::parseNumber(casilla_->text());
    casilla_->setText(ValueText::format(number ? *number : unformattedValue_, formato_));
}

bool MaxText::typeCharacter(QChar& key)
{
    if (!numeric()) {
        short code = short(key.unicode());
        emit KeyPress(code);
        if (code == 0)
            return false;
        key = QChar(char16_t(code));
        return true;
    }
    // A selection is replaced by what is typed, so the rules look at what
    // remains of the text once it is gone.
    QString remaining = casilla_->text();
    int caret = casilla_->cursorPosition();
    if (casilla_->hasSelectedText()) {
        caret = casilla_->selectionStart();
        remaining.remove(caret, casilla_->selectionLength());
    }
    const MaxTextRules::Typed t =
        MaxTextRules::numericKey(remaining, caret, key, ValueText::decimalSeparator());
    if (t.action == MaxTextRules::Typed::Rewrite) {
        casilla_->setText(t.text);
        casilla_->setCursorPosition(t.caret);
        return false;
    }
    short code = t.keyAscii;
    if (t.raiseKeyPress)
        emit KeyPress(code);
    if (t.action == MaxTextRules::Typed::Cancel || code == 0)
        return false;
    key = QChar(char16_t(code));
    return true;
}

void MaxText::casillaKeyPress(QKeyEvent* event)
{
    const keys::KeyStroke stroke = keys::fromKeyEvent(*event);
    short keyCode = short(stroke.KeyCode), shift = short(stroke.Shift);
    emit KeyDown(keyCode, shift);

    if (stroke.KeyAscii == 13) {
        event->accept();
        MSendInput::SendKeys(QStringLiteral("\t"), false);
        return;
    }
    if (stroke.KeyAscii == 0) {
        // Keys that type nothing (arrows, Delete, Home...) work as always.
        casilla_->baseKeyPress(event);
        return;
    }
    QChar key(char16_t(stroke.KeyAscii));
    const QChar typed = key;
    if (!typeCharacter(key)) {
        event->accept();
        return;
    }
    if (key == typed) {
        casilla_->baseKeyPress(event);
        return;
    }
    QKeyEvent replaced(event->type(), event->key(), event->modifiers(), QString(key), event->isAutoRepeat(),
                       ushort(event->count()));
    casilla_->baseKeyPress(&replaced);
}

void MaxText::casillaInputMethod(QInputMethodEvent* event)
{
    if (!numeric() || event->commitString().isEmpty()) {
        casilla_->QLineEdit::inputMethodEvent(event);
        return;
    }
    // Composed text in a numeric box goes through the typing rules one character at a time.
    const QString commit = event->commitString();
    QInputMethodEvent preeditOnly(event->preeditString(), event->attributes());
    casilla_->QLineEdit::inputMethodEvent(&preeditOnly);
    for (QChar c : commit) {
        if (typeCharacter(c))
            casilla_->insert(QString(c));
    }
}

void MaxText::casillaGotFocus()
{
    // Each step on its own; a failing one is skipped.
    if (casilla_->text().isEmpty())
        return;
    controls::ignoreErrors([&] {
        if (!numeric())
            return;
        if (const auto number = ValueText::parseNumber(casilla_->text())) {
            casilla_->setText(MaxTextRules::editForm(*number));
            casilla_->setCursorPosition(0);
        }
    });
    controls::ignoreErrors([&] {
        const int length = int(casilla_->text().size());
        if (casilla_->cursorPosition() != length)
            casilla_->setSelection(length, -length); // all selected, caret at 0
    });
}

void MaxText::casillaLostFocus()
{
    ApplyFormat();
}

void MaxText::casillaChange()
{
    if (!numeric()) {
        emit Change();
        return;
    }
    const QString text = casilla_->text();
    if (text.isEmpty()) {
        if (unformattedValue_ != 0) {
            unformattedValue_ = 0;
            emit Change();
        }
        return;
    }
    const auto number = ValueText::parseNumber(text);
    if (number && *number != unformattedValue_) {
        unformattedValue_ = *number;
        emit Change();
    }
}

void MaxText::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    casilla_->setGeometry(rect());
}

void MaxText::setEnabled(bool value)
{
    QWidget::setEnabled(value);
    // Any background set before is dropped.
    backColor_ = value ? WindowBackground : Light3D;
    applyBackColor();
}

// --- saved properties

void MaxText::WriteProperties(controls::PropertyBag& bag) const
{
    bag.WriteProperty(QStringLiteral("Alignment"), Alignment(), 0);
    bag.WriteProperty(QStringLiteral("BackColor"), qint64(backColor_), QVariant());
    bag.WriteProperty(QStringLiteral("Font"), Font(), QVariant());
    bag.WriteProperty(QStringLiteral("Formato"), formato_, DefaultFormato);
    bag.WriteProperty(QStringLiteral("Locked"), Locked(), false);
    bag.WriteProperty(QStringLiteral("MaxLength"), int(MaxLength()), 0);
    bag.WriteProperty(QStringLiteral("Text"), Text(), QString());
    bag.WriteProperty(QStringLiteral("Tipo"), tipo_, 0);
    bag.WriteProperty(QStringLiteral("Enabled"), isEnabled(), true);
}

void MaxText::ReadProperties(const controls::PropertyBag& bag)
{
    controls::readProperty(bag, QStringLiteral("Alignment"), 0, [&](const QVariant& v) { setAlignment(v.toInt()); });
    controls::readProperty(bag, QStringLiteral("BackColor"), QVariant(), [&](const QVariant& v) {
        if (v.isValid())
            setBackColor(std::uint32_t(v.toLongLong()));
    });
    controls::readProperty(bag, QStringLiteral("Font"), QVariant(), [&](const QVariant& v) {
        if (v.isValid())
            SetFont(v.value<QFont>());
    });
    controls::readProperty(bag, QStringLiteral("Formato"), DefaultFormato,
                           [&](const QVariant& v) { formato_ = v.toString(); });
    controls::readProperty(bag, QStringLiteral("Locked"), false, [&](const QVariant& v) { setLocked(v.toBool()); });
    controls::readProperty(bag, QStringLiteral("MaxLength"), 0,
                           [&](const QVariant& v) { setMaxLength(std::int16_t(v.toInt())); });
    // The text goes in under the type the box had; the type follows.
    controls::readProperty(bag, QStringLiteral("Text"), QString(),
                           [&](const QVariant& v) { casilla_->setText(v.toString()); });
    controls::readProperty(bag, QStringLiteral("Tipo"), 0, [&](const QVariant& v) { tipo_ = v.toInt(); });
    // Loading switches the box without recolouring it.
    controls::readProperty(bag, QStringLiteral("Enabled"), true,
                           [&](const QVariant& v) { QWidget::setEnabled(v.toBool()); });
}
