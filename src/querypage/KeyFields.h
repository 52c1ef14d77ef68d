#pragma once
// The rules behind a result's key fields, free of widgets: the type word of a
// column, the key text as the key box gives it, the resolution of that text
// against the table's structure (positions, qualified names, locked grid
// columns), the statement that tests the key for repeated values, and the
// layout of the new-key dialog.
#include "pagedialogs/PageDialogs.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace keyfields {

// The grid's type word for a FieldTypeCode; "" for codes the grid does not check.
QString typeWord(int fieldTypeCode);

// The key box's text as a key text: trimmed, without line breaks, tabs, blanks and brackets.
QString keyText(const QString& boxText);

// The qualified name of the n-th (1-based) structure item; "" for 0 or past the end.
QString KeyFieldAt(const QStringList& structureNames, int position);
// The 1-based position, as text, of the first item named `name` (upper case,
// brackets ignored on both sides); "" when none.
QString FieldIndexByName(const QStringList& structureNames, const QString& name);

struct Resolution {
    bool ok = false;
    QString positions; // 1-based structure positions, "," between them
    QString list;      // qualified names, "," between them
    QString locked;    // 0-based grid columns, "," between them
};
// Resolves a key text (positions or names, "," between them; names without a
// table are qualified with tableName).
Resolution resolve(const QString& keyText, const QStringList& structureNames, const QString& tableName);

// The statement that finds key values held by more than one row.
QString repeatedKeyStatement(const QString& keyList, const QString& tableName);

// The rows of the new-key dialog for the keys of a table (qualified names and
// 1-based positions in key order, the grid's type words): captions, type
// words, the Max + 1 button (rows after the first whose type word is a whole
// number or none) and the twips of every control. measure gives a caption's
// width in twips. Returns the dialog's height in twips.
int newKeyLayout(const QStringList& keyNames, const QStringList& keyPositions, const QStringList& types,
                 const QString& tableName, const std::function<double(const QString&)>& measure,
                 std::vector<NewKeyDialog::KeyField>& rows);

} // namespace keyfields
