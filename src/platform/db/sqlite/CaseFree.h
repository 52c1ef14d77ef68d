#pragma once
// Text without regard to case across Unicode, for the comparisons the Access
// dialect marks on the local engine (its NOCASE folds ASCII only). One rule
// serves the dialect, which decides what to mark, and the collation and LIKE
// that judge it, so both sides of a comparison are folded alike.
#include <QStringView>

#include <optional>

namespace db::sqlite {

// Whether the text holds a character beyond ASCII that has a case: upper,
// lower or title case, or one that folding changes (including characters
// outside the Basic Multilingual Plane).
bool hasCaseBeyondAscii(QStringView text);

// Orders two texts by their characters folded to one case (accents count).
int compareCaseFree(QStringView a, QStringView b);

// LIKE as the engine reads it: '%' any run, '_' any one character, the escape
// (matched exactly as written) makes the character after it literal, and an
// escape of '%' or '_' takes that wildcard's meaning away. Characters compare
// folded to one case. An escape at the very end matches nothing.
bool likeCaseFree(QStringView text, QStringView pattern, std::optional<char32_t> escape = std::nullopt);

} // namespace db::sqlite
