#pragma once
// MaxText: a single-line text box that is a plain text field or a numeric
// field. In numeric mode it filters what is typed, turns "." and "," into the
// locale's decimal mark, shows the number formatted with Formato while it
// has no focus and bare while it has, keeps the number as a double and
// reports Change only when that number changes. Enter moves to the next
// control in both modes.
#include "messages/TranslatableControls.h"

#include <QChar>
#include <QFont>
#include <QLineEdit>
#include <QString>
#include <QWidget>
#include <cstdint>

namespace controls {
class PropertyBag;
}

// The typing and number rules of the box, apart from the widget.
namespace MaxTextRules {

// What a character typed into a numeric box does.
struct Typed {
    enum Action { Pass, Cancel, Rewrite } action = Pass;
    QChar key;          // Pass: the character the box receives
    QString text;       // Rewrite: the new text
    int caret = 0;      // Rewrite: the caret after it
    bool raiseKeyPress = false;
    short keyAscii = 0; // the code KeyPress carries
};
// text and caret are what the box holds once any selection is deleted;
// mark is the locale's decimal mark.
Typed numericKey(const QString& text, int caret, QChar key, QChar mark);

// The number as the box shows it while focused and as SQL takes it: "##0"
// for a whole number, else "##0.####" (locale marks).
QString editForm(double value);
// The number for SQL: the edit form with a point for the decimal mark.
QString sqlNumber(double value);

} // namespace MaxTextRules

class MaxText;

// The inner box: it hands typed keys, input-method text and focus changes to
// its MaxText before (keys) or after (focus) its own handling.
class MaxTextBox : public QLineEdit {
    Q_OBJECT
public:
    explicit MaxTextBox(MaxText* owner);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    friend class MaxText;
    void baseKeyPress(QKeyEvent* event) { QLineEdit::keyPressEvent(event); }
    MaxText* owner_;
};

class MaxText : public QWidget, public TranslatableText {
    Q_OBJECT
    // The services read and set a box's text by property.
    Q_PROPERTY(QString text READ Text WRITE setText)
public:
    static constexpr double MinimumHeight = 315;

    explicit MaxText(QWidget* parent = nullptr);

    QString Formato() const { return formato_; }
    void setFormato(const QString& value);
    std::uint32_t BackColor() const { return backColor_; }
    void setBackColor(std::uint32_t color);
    std::int32_t Tipo() const { return tipo_; }
    void setTipo(std::int32_t value);
    QString Text() const override;
    void setText(const QString& value) override;
    // 0 left, 1 right, 2 centred.
    std::int32_t Alignment() const;
    void setAlignment(std::int32_t value);
    QFont Font() const;
    void SetFont(const QFont& font);
    QString SQLText() const;
    bool Locked() const;
    void setLocked(bool value);
    std::int16_t MaxLength() const;
    void setMaxLength(std::int16_t value);
    std::int32_t SelStart() const;
    void setSelStart(std::int32_t value);
    std::int32_t SelLength() const;
    void setSelLength(std::int32_t value);
    QString SelText() const;
    void setSelText(const QString& value);
    double UnformattedValue() const { return unformattedValue_; }
    void setUnformattedValue(double value) { unformattedValue_ = value; }
    bool Enabled() const { return isEnabled(); }
    // Also recolours the background: window colour, or light 3-D when disabled.
    void setEnabled(bool value);

    QLineEdit* Casilla() const { return casilla_; }

    void WriteProperties(controls::PropertyBag& bag) const;
    void ReadProperties(const controls::PropertyBag& bag);

signals:
    void KeyDown(short& KeyCode, short& Shift);
    void KeyPress(short& KeyAscii);
    void Change();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class MaxTextBox;
    bool numeric() const { return tipo_ == 1; }
    void ApplyFormat();
    void casillaKeyPress(QKeyEvent* event);
    void casillaInputMethod(QInputMethodEvent* event);
    void casillaGotFocus();
    void casillaLostFocus();
    void casillaChange();
    // Runs one typed character through the rules; true when the box should
    // take `key` (possibly replaced).
    bool typeCharacter(QChar& key);
    void applyBackColor();

    MaxTextBox* casilla_;
    QString formato_;
    std::int32_t tipo_ = 0;
    double unformattedValue_ = 0;
    std::uint32_t backColor_ = 0x80000005;
};
