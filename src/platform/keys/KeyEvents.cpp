#include "KeyEvents.h"

#include <QKeyEvent>
#include <array>
#include <utility>

namespace keys {
namespace {

// Keys whose virtual-key number is not their character.
constexpr std::array<std::pair<int, int>, 52> kKeyCodes{{
    {Qt::Key_Backspace, 8},   {Qt::Key_Tab, 9},         {Qt::Key_Backtab, 9},       {Qt::Key_Clear, 12},
    {Qt::Key_Return, 13},     {Qt::Key_Enter, 13},      {Qt::Key_Shift, 16},        {Qt::Key_Control, 17},
    {Qt::Key_Alt, 18},        {Qt::Key_Pause, 19},      {Qt::Key_CapsLock, 20},     {Qt::Key_Escape, 27},
    {Qt::Key_Space, 32},      {Qt::Key_PageUp, 33},     {Qt::Key_PageDown, 34},     {Qt::Key_End, 35},
    {Qt::Key_Home, 36},       {Qt::Key_Left, 37},       {Qt::Key_Up, 38},           {Qt::Key_Right, 39},
    {Qt::Key_Down, 40},       {Qt::Key_Select, 41},     {Qt::Key_Print, 42},        {Qt::Key_Execute, 43},
    {Qt::Key_Insert, 45},     {Qt::Key_Delete, 46},     {Qt::Key_Help, 47},         {Qt::Key_Meta, 91},
    {Qt::Key_Menu, 93},       {Qt::Key_NumLock, 144},   {Qt::Key_ScrollLock, 145},  {Qt::Key_Semicolon, 186},
    {Qt::Key_Colon, 186},     {Qt::Key_Equal, 187},     {Qt::Key_Plus, 187},        {Qt::Key_Comma, 188},
    {Qt::Key_Less, 188},      {Qt::Key_Minus, 189},     {Qt::Key_Underscore, 189},  {Qt::Key_Period, 190},
    {Qt::Key_Greater, 190},   {Qt::Key_Slash, 191},     {Qt::Key_Question, 191},    {Qt::Key_QuoteLeft, 192},
    {Qt::Key_Ntilde, 192},    {Qt::Key_BracketLeft, 219}, {Qt::Key_BraceLeft, 219}, {Qt::Key_Backslash, 220},
    {Qt::Key_Bar, 220},       {Qt::Key_BracketRight, 221}, {Qt::Key_Apostrophe, 222}, {Qt::Key_QuoteDbl, 222},
}};

// Shifted digits on the common layout: the key is the digit's.
constexpr std::array<std::pair<int, int>, 10> kShiftedDigits{{
    {Qt::Key_ParenRight, '0'}, {Qt::Key_Exclam, '1'}, {Qt::Key_At, '2'}, {Qt::Key_NumberSign, '3'},
    {Qt::Key_Dollar, '4'}, {Qt::Key_Percent, '5'}, {Qt::Key_AsciiCircum, '6'}, {Qt::Key_Ampersand, '7'},
    {Qt::Key_Asterisk, '8'}, {Qt::Key_ParenLeft, '9'},
}};

int keypadCode(int qtKey)
{
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return 96 + (qtKey - Qt::Key_0); // VK_NUMPAD0..9
    switch (qtKey) {
    case Qt::Key_Asterisk: return 106;
    case Qt::Key_Plus: return 107;
    case Qt::Key_Minus: return 109;
    case Qt::Key_Period:
    case Qt::Key_Comma: return 110;
    case Qt::Key_Slash: return 111;
    default: return 0;
    }
}

// Keys that type nothing even when the platform sends a character with them.
bool typesNothing(int keyCode)
{
    return keyCode == 46 || (keyCode >= 33 && keyCode <= 40) || keyCode == 45 || (keyCode >= 112 && keyCode <= 135);
}

} // namespace

int shiftState(Qt::KeyboardModifiers m)
{
    int s = 0;
    if (m & Qt::ShiftModifier)
        s |= ShiftMask;
    if (m & Qt::ControlModifier)
        s |= CtrlMask;
    if (m & Qt::AltModifier)
        s |= AltMask;
    return s;
}

int keyCodeOf(int qtKey, bool keypad)
{
    if (keypad)
        if (int k = keypadCode(qtKey))
            return k;
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qtKey; // the letter's capital, the digit's character
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 112 + (qtKey - Qt::Key_F1);
    for (const auto& [key, code] : kKeyCodes)
        if (key == qtKey)
            return code;
    for (const auto& [key, code] : kShiftedDigits)
        if (key == qtKey)
            return code;
    return 0;
}

KeyStroke fromKeyEvent(const QKeyEvent& e)
{
    KeyStroke s;
    const int key = e.key();
    s.Shift = shiftState(e.modifiers());
    s.KeyCode = keyCodeOf(key, e.modifiers() & Qt::KeypadModifier);
    if (key == Qt::Key_Backtab)
        s.Shift |= ShiftMask;

    if (s.Shift & AltMask)
        s.KeyAscii = 0; // Alt+key is a menu key, not a character
    else if ((s.Shift & CtrlMask) && key >= Qt::Key_A && key <= Qt::Key_Z)
        s.KeyAscii = key - Qt::Key_A + 1;
    else if (key == Qt::Key_Return || key == Qt::Key_Enter)
        s.KeyAscii = 13;
    else if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
        s.KeyAscii = 9;
    else if (key == Qt::Key_Backspace)
        s.KeyAscii = 8;
    else if (key == Qt::Key_Escape)
        s.KeyAscii = 27;
    else if (typesNothing(s.KeyCode) || (s.Shift & CtrlMask))
        s.KeyAscii = 0;
    else if (e.text().size() == 1 && e.text().at(0).unicode() >= 32 && e.text().at(0).unicode() != 127)
        s.KeyAscii = e.text().at(0).unicode();
    else if (e.text().size() == 2 && e.text().at(0).isHighSurrogate())
        s.KeyAscii = int(e.text().toUcs4().value(0));
    return s;
}

QList<int> keyAsciiOfCommit(const QString& commitString)
{
    QList<int> out;
    for (char32_t c : commitString.toUcs4())
        out.append(int(c));
    return out;
}

bool dispatchPress(const KeyStroke& stroke, const std::function<void(int& keyCode, int& shift)>& keyDown,
                   const std::function<void(int& keyAscii)>& keyPress)
{
    int keyCode = stroke.KeyCode;
    int shift = stroke.Shift;
    if (keyDown)
        keyDown(keyCode, shift);
    const bool taken = stroke.KeyCode != 0 && keyCode == 0;
    if (!taken && stroke.KeyAscii != 0 && keyPress) {
        int ascii = stroke.KeyAscii;
        keyPress(ascii);
    }
    return taken;
}

} // namespace keys
