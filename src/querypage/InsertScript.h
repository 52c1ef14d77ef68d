#pragma once
// The INSERT script of a result: one "INSERT INTO <table> ... VALUES(...)"
// line per row, each value written as an SQL literal by the type of the
// table field its result column names. The rules here know nothing of the
// page: the statement's clean-up, the table it reads, the column list, the
// literals, the file's name and folder, and the text itself.
#include "core/Variant.h"
#include "data/clsDO_sqltext.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QIODevice;

namespace db {
class ResultFile;
}

namespace insertscript {

// The statement as the script runs it: outside literals and names, " as " and
// " As " become " AS ", line breaks and tabs blanks, " DISTINCT " and
// " distinct " one blank, "(NOLOCK)" goes, runs of blanks collapse.
QString normalise(const QString& statement);

// The text after the first "FROM " outside literals (any case) up to its first
// blank, a trailing "," dropped; "" when there is none.
QString tableName(const QString& statement);

// "<table>_YYYYMMDD_hhnnss.txt"; "/" and control characters of the name become "_".
QString fileName(const QString& table, const QDateTime& at);

// The type word the page's value formatter passes for a FieldTypeCode.
QString typeWord(int fieldTypeCode);

struct Field {
    QString name; // bare field name
    int type;     // FieldTypeCode
};

// What each line starts with and the type of each result column.
struct Layout {
    QString head; // "INSERT INTO T VALUES(" or "INSERT INTO T (B, A) VALUES("
    std::vector<int> types;
};

// Each result column typed by the table field of its name (without regard to
// case). The column list is left out when the result is the table's fields in
// table order. Raises Error when a result column names no field of the table.
Layout layout(const QString& table, const QStringList& resultColumns, const std::vector<Field>& tableFields);

// One value as an SQL literal by its field's type: Null and type 12 NULL;
// text quoted with its quotes doubled (type 8, and text of any untyped field);
// booleans 1 / 0; whole numbers as such; decimals with "." and at least two
// places; a date alone through the dialect's date literal, a date with a time
// of day through the date-time literal the write-back writes. Raises Error for
// a value that cannot be written (binary data, text that is no number or date
// for such a field).
QString literal(const sqltext::Dialect& dialect, const Variant& value, int fieldType);

// The script of every row of a read result, UTF-8 with CR LF, written to out
// a block at a time. progress(row, rows) is called at most ten times a second
// and always after the last row; `rows` is the result's count. Returns the
// rows written, or -1 when out refuses a write. Raises Error at the first
// value that cannot be written.
qint64 script(db::ResultFile& rows, const Layout& layout, const sqltext::Dialect& dialect, QIODevice& out,
              const std::function<void(qint64 row, qint64 rows)>& progress);

// "<program folder>/Scripts/": the scripts folder when none is set, and what
// the settings dialog proposes, so the folder shown is the folder used.
QString defaultFolder(const QString& programFolder);

// The scripts folder: the setting when it names an existing folder, else
// defaultFolder (writeBack true: it must be created and stored).
struct Folder {
    QString path;
    bool writeBack = false;
};
Folder folder(const QString& setting, const QString& programFolder);

} // namespace insertscript
