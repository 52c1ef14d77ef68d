#pragma once
// The services object's own reversible scrambling of short texts: each
// character code of the single-byte code page has the bits named by the key's
// digits inverted. It hides a text from a casual look and nothing more.
#include <QString>
#include <array>
#include <cstdint>
#include <functional>

namespace Scrambling {

using Digits = std::array<std::int16_t, 3>;

// Code of a character in the single-byte code page (Windows-1252); characters
// outside it read as "?".
int ansiCode(QChar c);
QChar ansiChar(int code);

// Inverts bit d of every character code for each digit d of the list, from the
// first; a digit above 7 ends the list for that character.
QString TransformarTexto(const QString& text, const Digits& digits);

// Three different digits from 1 to 7. The draw is injectable so tests can fix it.
using Draw = std::function<int()>; // returns 1..7
void GenerateNumber(std::int16_t& iUno, std::int16_t& iDos, std::int16_t& iTres, const Draw& draw = {});

// EncriptDecript: with a three-digit key, transforms with that key and returns
// the result as it is. With an empty key, draws keys until the result holds
// neither a character of code 0 nor a single quote, and leaves the key drawn in
// sKey (a text no key can give that way, after many draws, gives ""). Any
// other key length, or a key character that is not a digit, gives "".
QString EncriptDecript(QString& sKey, const QString& sToEncriptDecript, const Draw& draw = {});

} // namespace Scrambling
