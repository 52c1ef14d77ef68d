#pragma once
// Key events as the controls and their hosts see them: a key code (the
// virtual-key numbers of MSendInput::VirtualKey), a shift state and the
// character typed. A press raises KeyDown(KeyCode, Shift) and then, when a
// character was typed and no KeyDown handler zeroed the key code,
// KeyPress(KeyAscii); a release raises KeyUp.
#include <QList>
#include <QString>
#include <Qt>
#include <functional>

class QKeyEvent;

namespace keys {

enum ShiftBits { ShiftMask = 1, CtrlMask = 2, AltMask = 4 };

struct KeyStroke {
    int KeyCode = 0;  // virtual-key number; 0 for a key that has none
    int Shift = 0;    // 1 Shift, 2 Ctrl, 4 Alt, added together
    int KeyAscii = 0; // the character typed (Ctrl+letter 1-26); 0 when nothing is typed
};

KeyStroke fromKeyEvent(const QKeyEvent& e);
int shiftState(Qt::KeyboardModifiers m);
// The virtual-key number of a Qt key (keypad keys with keypad = true).
int keyCodeOf(int qtKey, bool keypad = false);

// The characters of an input-method commit (dead-key accents, composed
// characters), one KeyAscii each.
QList<int> keyAsciiOfCommit(const QString& commitString);

// Raises one press: keyDown with the stroke's code and shift, then keyPress
// when the stroke types a character and keyDown left a non-zero code alone.
// Returns true when keyDown zeroed the code (the press was taken).
bool dispatchPress(const KeyStroke& stroke, const std::function<void(int& keyCode, int& shift)>& keyDown,
                   const std::function<void(int& keyAscii)>& keyPress);

} // namespace keys
