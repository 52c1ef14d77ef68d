#pragma once
// What an export may run: the result of one SELECT, nothing else. The text is
// the user's, read through the project's one quote-aware scanner
// (data/SqlScan.h): literals, quoted and bracketed names and "--" comments
// are never looked into.
#include <QString>
#include <optional>

namespace exportsql {

// The message of a text that is not one SELECT.
QString refusalText();

// The one statement of the text, trimmed and without the ";" that ends it,
// when it starts with SELECT and has no INTO word; nothing for anything else
// (several statements, another kind, SELECT ... INTO, no statement).
std::optional<QString> singleSelect(const QString& text);

} // namespace exportsql
