#pragma once
// An in-memory translation database that answers the statements text
// translation writes, and keeps every statement for the test to read.
// Statements it cannot read (a lone quote in a literal, a wrong number of
// values) fail as the database would.
#include "messages/TranslationStore.h"

#include <QRegularExpression>

class FakeTranslationStore : public TranslationStore {
public:
    // Rows in column order (see columns()).
    std::vector<QStringList> translate, huge;
    QStringList statements;
    int queries = 0;
    bool failQueries = false;

    void addRow(const QString& original, int language, const QString& text)
    {
        QStringList row{original, "", "", "", "", "", "test"};
        row[language] = text;
        translate.push_back(row);
    }

    static QStringList columns(const QString& table)
    {
        const QStringList names{"Original", "Language1", "Language2", "Language3", "Language4", "Language5", "Owner"};
        return table == "TranslateHuge" ? QStringList{"OriginalCode"} + names : names;
    }

    CollectionPtr queryCollection(const QString& sql) override
    {
        statements << sql;
        ++queries;
        if (failQueries)
            raise(-2147467259, "no database");
        static const QRegularExpression select(
            R"(^SELECT ((?:\w+, )*\w+) FROM \[?(Translate|TranslateHuge)\]?(?: WHERE (\w+) = '((?:[^']|'')*)')?$)",
            QRegularExpression::DotMatchesEverythingOption);
        const auto m = select.match(sql);
        if (!m.hasMatch())
            raise(-2147467259, "Syntax error in " + sql);
        const QStringList names = columns(m.captured(2));
        auto column = [&](const QString& name) {
            if (!names.contains(name))
                raise(-2147467259, "Unknown column " + name);
            return names.indexOf(name);
        };
        const QStringList wanted = m.captured(1).split(", ");
        auto result = newCollection();
        for (const auto& row : m.captured(2) == "TranslateHuge" ? huge : translate) {
            if (m.hasCaptured(3) &&
                row[column(m.captured(3))].compare(unquote(m.captured(4)), Qt::CaseInsensitive) != 0)
                continue;
            auto record = newCollection();
            for (const QString& name : wanted)
                record->Add(Variant(row[column(name)]));
            result->Add(Variant(record), "#" + row[column(wanted[0])]);
        }
        return result->Count() ? result : nullptr;
    }

    int columnCount(const QString& table) override { return int(columns(table).size()); }

    bool execute(const QString& sql) override
    {
        statements << sql;
        static const QRegularExpression insert(R"(^INSERT INTO \[?(\w+)\]? VALUES\(('(?:[^']|'')*'(?:, '(?:[^']|'')*')*)\)$)",
                                               QRegularExpression::DotMatchesEverythingOption);
        static const QRegularExpression literal(R"('((?:[^']|'')*)')", QRegularExpression::DotMatchesEverythingOption);
        const auto m = insert.match(sql);
        if (!m.hasMatch())
            raise(-2147467259, "Syntax error in " + sql);
        QStringList values;
        for (auto it = literal.globalMatch(m.captured(2)); it.hasNext();)
            values << unquote(it.next().captured(1));
        if (values.size() != columnCount(m.captured(1)))
            raise(-2147467259, "Number of query values and destination fields are not the same.");
        (m.captured(1) == "TranslateHuge" ? huge : translate).push_back(values);
        return true;
    }

    QStringList inserts() const { return statements.filter(QRegularExpression("^INSERT")); }

    static QString unquote(QString inside) { return inside.replace("''", "'"); }
};
