#pragma once
// Translation of the Access dialect that Velmora writes into SQLite's. It is
// conservative: a statement in SQLite's own dialect comes through unchanged,
// and nothing inside string literals, [brackets], "quotes" or comments is touched.
//
//   SELECT [DISTINCT] TOP n ...  -> SELECT [DISTINCT] ... LIMIT n   (at any nesting depth)
//   SELECT list INTO t FROM ...  -> a statement of kind SelectInto (the backend creates t)
//   a & b                        -> a || b
//   #12/25/2024#, #2024-12-25 10:00#      -> '2024-12-25 00:00:00' ...
//   FORMAT(x, 'pattern')         -> access_format(x, 'pattern')  (printf-style format() untouched)
//   CREATE TABLE / ALTER TABLE ADD: the Access type words keep their names where SQLite's
//   affinity serves them (TEXT(n), LONGTEXT, CURRENCY, DATETIME, ...), MEMO becomes LONGTEXT,
//   COUNTER/AUTOINCREMENT number themselves, text columns compare without regard to case.
//   DROP INDEX i ON t            -> DROP INDEX i
#include <QString>
#include <QStringList>
#include <vector>

namespace db::sqlite {

struct Statement {
    enum Kind { Plain, SelectInto, CreateTable, AddConstraint, DropConstraint };
    Kind kind = Plain;
    QString sql;        // SQLite text (for SelectInto: the SELECT without its INTO clause)
    QString target;     // SelectInto: the new table's name, as written (brackets removed)
    // CreateTable: columns declared COUNTER that cannot be the row id; the backend
    // numbers them with a trigger.
    QString table;
    QStringList counters;
    // AddConstraint: the constraint as written ("CONSTRAINT PK_t PRIMARY KEY ([a], [b])");
    // AddConstraint / DropConstraint: its name. The engine has no such ALTER TABLE:
    // the backend rebuilds the table.
    QString constraint;
    QString constraintName;
};

// Splits a batch at top-level semicolons and translates each statement.
std::vector<Statement> translate(const QString& sql);

// From a stored CREATE VIEW statement: the SELECT after its AS.
QString viewBody(const QString& createViewSql);
// From a stored CREATE TABLE statement: the name of its PRIMARY KEY constraint ("" when unnamed).
QString primaryKeyConstraintName(const QString& createTableSql);
// A stored CREATE TABLE statement with another table name and one more table
// constraint (constraint empty: none added) or without the named constraint
// (dropName; a primary key declared on a column counts under any name given as
// primaryKeyName). Returns "" when the constraint to drop is not there.
QString rewriteTableDefinition(const QString& createTableSql, const QString& newName, const QString& addConstraint,
                               const QString& dropName, const QString& primaryKeyName);
// A stored CREATE TABLE statement with another type word for a column ("" when the column is not there).
QString retypeColumn(const QString& createTableSql, const QString& column, const QString& type);
// One result column of a SELECT as written: its expression without the alias,
// and, when the expression is one call of a function, the function's name and
// its argument text.
struct SelectItem {
    QString expression;
    QString function;
    QString argument;
};
// The result columns of the outermost SELECT of a statement (in the engine's
// dialect) and its text from the FROM on; empty when it is no plain SELECT.
std::vector<SelectItem> selectItems(const QString& sql, QString* fromOn = nullptr);

// Name without its [brackets], "quotes" or `backticks`.
QString unquoteName(const QString& name);
// Name in "quotes" ('"' doubled inside), as the engine reads any name.
QString quoteName(const QString& name);

} // namespace db::sqlite
