#include "MSendInput.h"

#include "core/Error.h"
#include "core/ValueText.h"

#include <QApplication>
#include <QHash>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QSet>
#include <QWidget>
#include <cmath>
#include <limits>

// Lets a synthesised key press fire a shortcut or mnemonic first, exactly as
// a key from the keyboard would (QtGui exports it for its own test library).
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k, Qt::KeyboardModifiers mods,
                                               const QString& text, bool autorep, ushort count);

namespace MSendInput {

namespace {

// ---- the default keyboard: a US layout

struct OemKey {
    char16_t plain;
    char16_t shifted;
    std::uint16_t vk;
};
constexpr OemKey kOemKeys[] = {
    {u';', u':', 0xBA}, {u'=', u'+', 0xBB}, {u',', u'<', 0xBC}, {u'-', u'_', 0xBD},  {u'.', u'>', 0xBE},
    {u'/', u'?', 0xBF}, {u'`', u'~', 0xC0}, {u'[', u'{', 0xDB}, {u'\\', u'|', 0xDC}, {u']', u'}', 0xDD},
    {u'\'', u'"', 0xDE},
};
constexpr char16_t kShiftedDigits[] = u")!@#$%^&*(";

const KeyboardLayout*& installedLayout()
{
    static const KeyboardLayout* layout = nullptr;
    return layout;
}

// ---- the key-name table, built once

struct KeyNames {
    QHash<QString, std::uint16_t> codes;
    QSet<QString> extended;
};

const KeyNames& keyNames()
{
    static const KeyNames names = [] {
        KeyNames n;
        auto add = [&n](const char* name, std::uint16_t code, bool ext) {
            n.codes.insert(QString::fromLatin1(name), code);
            if (ext)
                n.extended.insert(QString::fromLatin1(name));
        };
        add("BACKSPACE", VK_BACK, false);
        add("BS", VK_BACK, false);
        add("BKSP", VK_BACK, false);
        add("BREAK", VK_PAUSE, true);
        add("CAPSLOCK", VK_CAPITAL, false);
        add("DELETE", VK_DELETE, true);
        add("DEL", VK_DELETE, true);
        add("DOWN", VK_DOWN, true);
        add("END", VK_END, true);
        add("ENTER", VK_RETURN, false);
        add("ESC", VK_ESCAPE, false);
        add("HELP", VK_HELP, false);
        add("HOME", VK_HOME, true);
        add("INS", VK_INSERT, true);
        add("INSERT", VK_INSERT, true);
        add("LEFT", VK_LEFT, true);
        add("NUMLOCK", VK_NUMLOCK, true);
        add("PGDN", VK_NEXT, true);
        add("PGUP", VK_PRIOR, true);
        add("PAUSE", VK_PAUSE, false);
        add("PRINT", VK_PRINT, true);
        add("PRTSC", VK_SNAPSHOT, true);
        add("PRTSCN", VK_SNAPSHOT, true);
        add("PRINTSCRN", VK_SNAPSHOT, true);
        add("PRINTSCREEN", VK_SNAPSHOT, true);
        add("RIGHT", VK_RIGHT, true);
        add("SCROLLLOCK", VK_SCROLL, false);
        add("SELECT", VK_SELECT, false);
        add("TAB", VK_TAB, false);
        add("UP", VK_UP, true);
        for (int f = 1; f <= 16; ++f)
            add(qPrintable(QStringLiteral("F%1").arg(f)), std::uint16_t(VK_F1 + f - 1), false);
        return n;
    }();
    return names;
}

// The leading number of a text, as the runtime's Val reads it ("3", " 2.5", "7x").
double leadingNumber(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*([+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?)"));
    const auto m = number.match(text);
    return m.hasMatch() ? m.captured(1).toDouble() : 0.0;
}

class Parser {
public:
    Parser(const QString& text, const KeyboardLayout& layout) : text_(text), layout_(layout)
    {
        buffer_.resize(512);
    }

    std::vector<KeyRecord> run()
    {
        while (pos_ < text_.size()) {
            parseNextChar();
            // The buffer grows only between top-level items; an item always
            // starts with at least 24 free records.
            if (count_ >= highestIndex() - 24)
                buffer_.resize(buffer_.size() + 511);
        }
        buffer_.resize(count_);
        return std::move(buffer_);
    }

private:
    int highestIndex() const { return int(buffer_.size()) - 1; }

    void add(std::uint16_t vk, std::uint16_t scan, std::uint32_t flags)
    {
        if (count_ > highestIndex())
            raise(Error::SubscriptOutOfRange, QStringLiteral("Subscript out of range"),
                  QStringLiteral("MSendInput"));
        buffer_[count_++] = KeyRecord{vk, scan, flags};
    }

    // pos_ is the 1-based position of the character last read.
    void parseNextChar()
    {
        if (pos_ >= text_.size())
            return; // a modifier at the very end applies to nothing
        ++pos_;
        const QChar c = text_.at(pos_ - 1);
        switch (c.unicode()) {
        case u'+':
        case u'^':
        case u'%':
            parseModifier(c);
            break;
        case u'(':
            parseGroup();
            break;
        case u'{':
            parseBraceKey();
            break;
        default:
            parsePlainChar(c);
            break;
        }
    }

    void parseModifier(QChar c)
    {
        std::uint16_t vk = VK_SHIFT;
        int bit = 1;
        if (c == u'^') {
            vk = VK_CONTROL;
            bit = 2;
        } else if (c == u'%') {
            vk = VK_MENU;
            bit = 4;
        }
        add(vk, 0, 0);
        modifiers_ |= bit;
        parseNextChar();
        add(vk, 0, KeyRecord::KeyUp);
        modifiers_ &= ~bit;
    }

    void parseGroup()
    {
        const int close = int(text_.indexOf(u')', pos_ - 1)) + 1; // 1-based, 0 when none
        if (close == 0 || close == pos_ + 1)
            return;
        for (int i = pos_ + 1; i < close; ++i)
            parsePlainChar(text_.at(i - 1));
        pos_ = close;
    }

    void parseBraceKey()
    {
        // A "}" right after the "{" is the key itself, closed by the next one.
        const int close = int(text_.indexOf(u'}', pos_ + 1)) + 1;
        if (close == 0)
            return;
        const QString inner = text_.mid(pos_, close - pos_ - 1);
        const QStringList parts = inner.split(u' ');
        QString key = parts.value(0);
        if (key.isEmpty() && !inner.isEmpty())
            key = inner.left(1);
        long long repeat = 1;
        if (parts.size() > 1) {
            const double n = ValueText::roundHalfEven(leadingNumber(parts.at(1)));
            if (n > double(std::numeric_limits<std::int32_t>::max()) ||
                n < double(std::numeric_limits<std::int32_t>::min()))
                raise(Error::Overflow, QStringLiteral("Overflow"), QStringLiteral("MSendInput"));
            repeat = std::max<long long>(1, (long long)n);
        }
        pos_ = close;
        if (key.isEmpty())
            return;

        const KeyNames& names = keyNames();
        const QString upper = key.toUpper();
        if (names.codes.contains(upper)) {
            const std::uint16_t vk = names.codes.value(upper);
            const bool ext = names.extended.contains(upper);
            for (long long i = 0; i < repeat; ++i)
                addKeyStroke(vk, false, ext, false);
            return;
        }
        const QChar ch = key.at(0);
        const std::int16_t scan = ch.unicode() < 256 ? layout_.vkKeyScan(ch.unicode()) : std::int16_t(-1);
        if (scan == -1) {
            for (long long i = 0; i < repeat; ++i)
                addUnicodeChar(ch.unicode());
            return;
        }
        const int high = (scan >> 8) & 0xFF;
        for (long long i = 0; i < repeat; ++i)
            addKeyStroke(std::uint16_t(scan & 0xFF), (high & 1) != 0, false, (high & 6) != 0);
    }

    void parsePlainChar(QChar c)
    {
        const char16_t code = c.unicode();
        if (code >= 256) {
            addUnicodeChar(code);
            return;
        }
        std::int16_t scan = 0;
        if (code == u'~') {
            scan = VK_RETURN;
        } else {
            scan = layout_.vkKeyScan(code);
            if (scan == -1) {
                addUnicodeChar(code);
                return;
            }
        }
        const int high = (scan >> 8) & 0xFF;
        bool shift = (high & 1) != 0;
        if (layout_.capsLockOn() && ((code >= u'A' && code <= u'Z') || (code >= u'a' && code <= u'z')))
            shift = !shift;
        addKeyStroke(std::uint16_t(scan & 0xFF), shift, false, (high & 6) != 0);
    }

    void addKeyStroke(std::uint16_t vk, bool shift, bool extended, bool ctrlAlt)
    {
        const bool pressShift = shift && !(modifiers_ & 1);
        if (pressShift)
            add(VK_SHIFT, 0, 0);
        if (ctrlAlt) {
            add(VK_CONTROL, 0, 0);
            add(VK_MENU, 0, 0);
        }
        add(vk, 0, extended ? std::uint32_t(KeyRecord::Extended) : 0u);
        add(vk, layout_.scanCode(vk), KeyRecord::KeyUp);
        if (ctrlAlt) {
            add(VK_CONTROL, 0, KeyRecord::KeyUp);
            add(VK_MENU, 0, KeyRecord::KeyUp);
        }
        if (pressShift)
            add(VK_SHIFT, 0, KeyRecord::KeyUp);
    }

    void addUnicodeChar(char16_t code)
    {
        add(0, code, KeyRecord::Unicode);
        add(0, code, KeyRecord::Unicode | KeyRecord::KeyUp);
    }

    const QString& text_;
    const KeyboardLayout& layout_;
    std::vector<KeyRecord> buffer_;
    int count_ = 0;
    int pos_ = 0;
    int modifiers_ = 0;
};

// ---- delivery

int qtKey(std::uint16_t vk, const QString& text)
{
    if (vk >= 'A' && vk <= 'Z')
        return Qt::Key_A + (vk - 'A');
    if (vk >= '0' && vk <= '9')
        return Qt::Key_0 + (vk - '0');
    if (vk >= VK_F1 && vk <= VK_F16)
        return Qt::Key_F1 + (vk - VK_F1);
    switch (vk) {
    case VK_BACK: return Qt::Key_Backspace;
    case VK_TAB: return Qt::Key_Tab;
    case VK_RETURN: return Qt::Key_Return;
    case VK_SHIFT: return Qt::Key_Shift;
    case VK_CONTROL: return Qt::Key_Control;
    case VK_MENU: return Qt::Key_Alt;
    case VK_PAUSE: return Qt::Key_Pause;
    case VK_CAPITAL: return Qt::Key_CapsLock;
    case VK_ESCAPE: return Qt::Key_Escape;
    case VK_SPACE: return Qt::Key_Space;
    case VK_PRIOR: return Qt::Key_PageUp;
    case VK_NEXT: return Qt::Key_PageDown;
    case VK_END: return Qt::Key_End;
    case VK_HOME: return Qt::Key_Home;
    case VK_LEFT: return Qt::Key_Left;
    case VK_UP: return Qt::Key_Up;
    case VK_RIGHT: return Qt::Key_Right;
    case VK_DOWN: return Qt::Key_Down;
    case VK_SELECT: return Qt::Key_Select;
    case VK_PRINT:
    case VK_SNAPSHOT: return Qt::Key_Print;
    case VK_INSERT: return Qt::Key_Insert;
    case VK_DELETE: return Qt::Key_Delete;
    case VK_HELP: return Qt::Key_Help;
    case VK_NUMLOCK: return Qt::Key_NumLock;
    case VK_SCROLL: return Qt::Key_ScrollLock;
    default: break;
    }
    if (!text.isEmpty())
        return int(text.at(0).toUpper().unicode());
    return Qt::Key_unknown;
}

void sendKey(QEvent::Type type, int key, Qt::KeyboardModifiers mods, const QString& text)
{
    static ulong timestamp = 0;
    ++timestamp;
    QWidget* target = QApplication::focusWidget();
    if (!target)
        target = QApplication::activeWindow();
    if (!target)
        return;
    if (type == QEvent::KeyPress) {
        if (qt_sendShortcutOverrideEvent(target, timestamp, key, mods, text, false, 1))
            return;
        // A mnemonic answers Alt and its letter whatever the Shift key does.
        if ((mods & Qt::AltModifier) && (mods & Qt::ShiftModifier) && key >= Qt::Key_A && key <= Qt::Key_Z &&
            qt_sendShortcutOverrideEvent(target, timestamp, key, mods & ~Qt::ShiftModifier, text, false, 1))
            return;
    }
    QKeyEvent event(type, key, mods, text);
    QApplication::sendEvent(target, &event);
}

} // namespace

// ---- KeyboardLayout

std::int16_t KeyboardLayout::vkKeyScan(char16_t ch) const
{
    if (ch >= u'a' && ch <= u'z')
        return std::int16_t('A' + (ch - u'a'));
    if (ch >= u'A' && ch <= u'Z')
        return std::int16_t(0x100 | ch);
    if (ch >= u'0' && ch <= u'9')
        return std::int16_t(ch);
    for (int d = 0; d < 10; ++d)
        if (kShiftedDigits[d] == ch)
            return std::int16_t(0x100 | ('0' + d));
    for (const OemKey& k : kOemKeys) {
        if (k.plain == ch)
            return std::int16_t(k.vk);
        if (k.shifted == ch)
            return std::int16_t(0x100 | k.vk);
    }
    switch (ch) {
    case u' ': return VK_SPACE;
    case u'\t': return VK_TAB;
    case u'\r': return VK_RETURN;
    case u'\b': return VK_BACK;
    case 27: return VK_ESCAPE;
    default: return -1;
    }
}

std::uint16_t KeyboardLayout::scanCode(std::uint16_t vk) const
{
    // Scan codes of a PC keyboard (set 1).
    static const QHash<std::uint16_t, std::uint16_t> codes = [] {
        QHash<std::uint16_t, std::uint16_t> c;
        const char* rows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
        const std::uint16_t starts[] = {0x10, 0x1E, 0x2C};
        for (int r = 0; r < 3; ++r)
            for (int i = 0; rows[r][i]; ++i)
                c.insert(std::uint16_t(rows[r][i]), std::uint16_t(starts[r] + i));
        for (int d = 1; d <= 9; ++d)
            c.insert(std::uint16_t('0' + d), std::uint16_t(0x01 + d));
        c.insert('0', 0x0B);
        const std::pair<std::uint16_t, std::uint16_t> others[] = {
            {VK_ESCAPE, 0x01}, {0xBD, 0x0C}, {0xBB, 0x0D}, {VK_BACK, 0x0E}, {VK_TAB, 0x0F}, {0xDB, 0x1A},
            {0xDD, 0x1B}, {VK_RETURN, 0x1C}, {VK_CONTROL, 0x1D}, {0xBA, 0x27}, {0xDE, 0x28}, {0xC0, 0x29},
            {VK_SHIFT, 0x2A}, {0xDC, 0x2B}, {0xBC, 0x33}, {0xBE, 0x34}, {0xBF, 0x35}, {VK_MENU, 0x38},
            {VK_SPACE, 0x39}, {VK_CAPITAL, 0x3A}, {VK_NUMLOCK, 0x45}, {VK_SCROLL, 0x46}, {VK_HOME, 0x47},
            {VK_UP, 0x48}, {VK_PRIOR, 0x49}, {VK_LEFT, 0x4B}, {VK_RIGHT, 0x4D}, {VK_END, 0x4F},
            {VK_DOWN, 0x50}, {VK_NEXT, 0x51}, {VK_INSERT, 0x52}, {VK_DELETE, 0x53}, {VK_SNAPSHOT, 0x54},
            {VK_PAUSE, 0x45},
        };
        for (const auto& [vk, sc] : others)
            c.insert(vk, sc);
        for (int f = 0; f < 10; ++f)
            c.insert(std::uint16_t(VK_F1 + f), std::uint16_t(0x3B + f));
        c.insert(std::uint16_t(VK_F1 + 10), 0x57);
        c.insert(std::uint16_t(VK_F1 + 11), 0x58);
        for (int f = 12; f < 16; ++f)
            c.insert(std::uint16_t(VK_F1 + f), std::uint16_t(0x64 + f - 12));
        return c;
    }();
    return codes.value(vk, 0);
}

QString KeyboardLayout::keyText(std::uint16_t vk, bool shift) const
{
    if (vk >= 'A' && vk <= 'Z')
        return QString(QChar(shift ? vk : vk + 32));
    if (vk >= '0' && vk <= '9')
        return QString(QChar(shift ? kShiftedDigits[vk - '0'] : char16_t(vk)));
    for (const OemKey& k : kOemKeys)
        if (k.vk == vk)
            return QString(QChar(shift ? k.shifted : k.plain));
    switch (vk) {
    case VK_SPACE: return QStringLiteral(" ");
    case VK_TAB: return QStringLiteral("\t");
    case VK_RETURN: return QStringLiteral("\r");
    case VK_BACK: return QStringLiteral("\b");
    case VK_ESCAPE: return QString(QChar(27));
    default: return QString();
    }
}

const KeyboardLayout& keyboardLayout()
{
    static const KeyboardLayout usLayout;
    const KeyboardLayout* installed = installedLayout();
    return installed ? *installed : usLayout;
}

void setKeyboardLayout(const KeyboardLayout* layout) { installedLayout() = layout; }

std::vector<KeyRecord> ParseKeys(const QString& keys, const KeyboardLayout& layout)
{
    Parser parser(keys, layout);
    return parser.run();
}

void DeliverKeys(const std::vector<KeyRecord>& records)
{
    const KeyboardLayout& layout = keyboardLayout();
    bool shift = false, ctrl = false, alt = false;
    for (const KeyRecord& r : records) {
        const bool up = (r.flags & KeyRecord::KeyUp) != 0;
        const QEvent::Type type = up ? QEvent::KeyRelease : QEvent::KeyPress;
        if (r.flags & KeyRecord::Unicode) {
            const QString text(QChar(r.scan));
            sendKey(type, int(QChar(r.scan).toUpper().unicode()), Qt::NoModifier, text);
            continue;
        }
        if (r.vk == VK_SHIFT)
            shift = !up;
        else if (r.vk == VK_CONTROL)
            ctrl = !up;
        else if (r.vk == VK_MENU)
            alt = !up;
        Qt::KeyboardModifiers mods;
        if (shift)
            mods |= Qt::ShiftModifier;
        if (ctrl)
            mods |= Qt::ControlModifier;
        if (alt)
            mods |= Qt::AltModifier;
        if (r.vk == VK_SHIFT || r.vk == VK_CONTROL || r.vk == VK_MENU) {
            sendKey(type, qtKey(r.vk, QString()), mods, QString());
            continue;
        }
        bool shifted = shift;
        if (layout.capsLockOn() && r.vk >= 'A' && r.vk <= 'Z')
            shifted = !shifted;
        // Ctrl or Alt alone make a command, not a character; both together are the AltGr layer.
        QString text = (ctrl != alt) ? QString() : layout.keyText(r.vk, shifted);
        int key = qtKey(r.vk, layout.keyText(r.vk, shifted));
        if (key == Qt::Key_Tab && shift)
            key = Qt::Key_Backtab;
        sendKey(type, key, mods, text);
    }
}

void SendKeys(const QString& keys, bool)
{
    const std::vector<KeyRecord> records = ParseKeys(keys);
    if (records.empty())
        return;
    DeliverKeys(records);
}

} // namespace MSendInput
