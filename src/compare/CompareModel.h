#pragma once
// The comparison's result model: the state words of every record, the keys
// records are kept under, the type names of difference texts, where a table
// found only in the compared database goes, and the progress texts of a run.
#include "core/Collection.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

class clsError;

namespace compare {

// ComparisonState words; compared exactly, letter case included.
inline const QString StateNone = QStringLiteral("None");
inline const QString StateEqual = QStringLiteral("Equal");
inline const QString StateDifferent = QStringLiteral("Different");
inline const QString StateOnlyCurrent = QStringLiteral("OnlyCurrent");
inline const QString StateOnlyCompared = QStringLiteral("OnlyCompared");

// A table and a view may share a name: records are kept by kind and name.
enum class Kind { Table, View };
QString RecordKey(Kind kind, const QString& name);

// The type name of a FieldTypeCode ("" for a code it does not know).
QString DataTypeName(std::int16_t code);

// The 1-based place before which a record of that name goes: before the first
// record whose "TableName" sorts after it, in code-unit order (every capital
// before every small letter); count + 1 when none does.
std::int32_t FindInsertPosition(const Collection& records, const QString& name);
// The same over the records' names in collection order (the merge keeps them).
std::int32_t FindInsertPosition(const QStringList& names, const QString& name);

// The progress lines of a run. Each is translated once when the run starts
// (the name goes in as {1}, the step and the total as {2} and {3} afterwards),
// so names holding braces read as written and a run asks the translation
// database at most once per line.
enum class Line { TableCurrent, TableCompared, ViewCurrent, ViewCompared, ComparingFields, ComparingIndexes, LoadingIndexes };
inline constexpr int LineCount = 7;
// The Spanish skeleton of a line ("Tabla {1} Actual ({2} de {3})").
QString lineSkeleton(Line line);

// The texts of one run in the language in force.
struct RunTexts {
    std::array<QString, LineCount> lines;
    QString table;          // "Tabla"
    QString view;           // "Vista"
    QString onlyCurrent;    // "Solo en BBDD actual"
    QString onlyCompared;   // "Solo en BBDD comparada"

    // Untranslated texts (no message object).
    RunTexts();
    // Asks the message object once for each text.
    static RunTexts translated(clsError* msg);

    // A line with its name, step and total put in.
    QString line(Line which, const QString& name, std::int32_t step, std::int32_t total) const;
};

// The owners under which the texts are registered.
inline const QString OwnerWindow = QStringLiteral("frmCompare");
inline const QString OwnerProgress = QStringLiteral("Comparador de Bases de Datos");

// Reading records: the item of a keyed collection, or nothing.
CollectionPtr sub(const Collection& c, const QString& key);
QString textItem(const Collection& c, const QString& key);

} // namespace compare
