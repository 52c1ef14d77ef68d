#pragma once
// Keystroke synthesis: a text in the keystroke notation ("+", "^", "%" for
// Shift, Ctrl and Alt around the next item, "(...)" groups, "{NAME n}" named
// keys with a repeat count, "~" for Enter) becomes the key records of one
// batch, which are then delivered in order to the focused widget as if typed.
#include <QString>
#include <cstdint>
#include <vector>

namespace MSendInput {

// One key event, as the operating system's input record carries it.
struct KeyRecord {
    enum Flags : std::uint32_t { Extended = 1, KeyUp = 2, Unicode = 4 };
    std::uint16_t vk = 0;    // virtual-key code; 0 for Unicode input
    std::uint16_t scan = 0;  // scan code (key up), or the character of Unicode input
    std::uint32_t flags = 0;
    bool operator==(const KeyRecord&) const = default;
};

// What the notation needs of the keyboard in use.
class KeyboardLayout {
public:
    virtual ~KeyboardLayout() = default;
    // Low byte: the virtual key that types the character; high byte: 1 Shift,
    // 2 Ctrl, 4 Alt needed with it. -1 when no key of the layout gives it.
    virtual std::int16_t vkKeyScan(char16_t ch) const;
    // The scan code of a virtual key (0 when it has none).
    virtual std::uint16_t scanCode(std::uint16_t vk) const;
    virtual bool capsLockOn() const { return false; }
    // The character a key types with or without Shift ("" for keys that type none).
    virtual QString keyText(std::uint16_t vk, bool shift) const;
};

// The layout in force (a US keyboard unless a test installs another).
const KeyboardLayout& keyboardLayout();
// Installs a layout (nullptr: the default); the caller keeps it alive.
void setKeyboardLayout(const KeyboardLayout* layout);

// The key records of one call. A text that needs more records than the
// buffer holds raises SubscriptOutOfRange; a repeat count beyond 32 bits Overflow.
std::vector<KeyRecord> ParseKeys(const QString& keys, const KeyboardLayout& layout = keyboardLayout());

// Delivers the records, in order, to the application's focused widget;
// mnemonics and shortcuts fire as they would from the keyboard.
void DeliverKeys(const std::vector<KeyRecord>& records);

// Types the keys into the focused widget. The wait flag has no use here.
void SendKeys(const QString& keys, bool wait = false);

// Virtual-key codes the notation uses.
enum VirtualKey : std::uint16_t {
    VK_BACK = 8, VK_TAB = 9, VK_RETURN = 13, VK_SHIFT = 16, VK_CONTROL = 17, VK_MENU = 18,
    VK_PAUSE = 19, VK_CAPITAL = 20, VK_ESCAPE = 27, VK_SPACE = 32, VK_PRIOR = 33, VK_NEXT = 34,
    VK_END = 35, VK_HOME = 36, VK_LEFT = 37, VK_UP = 38, VK_RIGHT = 39, VK_DOWN = 40,
    VK_SELECT = 41, VK_PRINT = 42, VK_SNAPSHOT = 44, VK_INSERT = 45, VK_DELETE = 46, VK_HELP = 47,
    VK_F1 = 112, VK_F16 = 127, VK_NUMLOCK = 144, VK_SCROLL = 145,
};

} // namespace MSendInput
