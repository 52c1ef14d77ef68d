#pragma once
// An in-memory translation database that answers the statements text
// translation writes, and keeps every statement for the test to read.
#include "messages/TranslationStore.h"

#include <QRegularExpression>
#include <QStringList>
#include <vector>

class FakeTranslationStore : public TranslationStore {
public:
    // Original, Language1..5, owner (Translate); OriginalCode, Original, Language1..5, owner (TranslateHuge).
    std::vector<QStringList> translate;
    std::vector<QStringList> huge;
    QStringList statements;
    int queries = 0;
    bool failQueries = false;

    void addRow(const QString& original, int language, const QString& text)
    {
        QStringList row{original, "", "", "", "", "", "test"};
        row[language] = text;
        translate.push_back(row);
    }

    CollectionPtr queryCollection(const QString& sql) override
    {
        statements << sql;
        ++queries;
        if (failQueries)
            raise(-2147467259, "no database");
        static const QRegularExpression all(R"(^SELECT Original, Language(\d) FROM \[Translate\]$)");
        constexpr auto dotAll = QRegularExpression::DotMatchesEverythingOption;
        static const QRegularExpression one(R"(^SELECT Language(\d) FROM \[Translate\] WHERE Original = '(.*)'$)", dotAll);
        static const QRegularExpression big(R"(^SELECT Language(\d) FROM TranslateHuge WHERE OriginalCode = '(.*)'$)", dotAll);
        static const QRegularExpression back(R"(^SELECT Original FROM \[(\w+)\] WHERE Language(\d) = '(.*)'$)", dotAll);
        auto result = newCollection();
        auto addRecord = [&](const QStringList& values, const QString& key) {
            auto record = newCollection();
            for (const QString& v : values)
                record->Add(Variant(v));
            result->Add(Variant(record), "#" + key);
        };
        if (auto m = all.match(sql); m.hasMatch()) {
            for (const auto& row : translate)
                addRecord({row[0], row[m.captured(1).toInt()]}, row[0]);
        } else if (auto m = one.match(sql); m.hasMatch()) {
            const QString wanted = literal(m.captured(2));
            for (const auto& row : translate)
                if (row[0].compare(wanted, Qt::CaseInsensitive) == 0)
                    addRecord({row[m.captured(1).toInt()]}, row[m.captured(1).toInt()]);
        } else if (auto m = big.match(sql); m.hasMatch()) {
            const QString wanted = literal(m.captured(2));
            for (const auto& row : huge)
                if (row[0].compare(wanted, Qt::CaseInsensitive) == 0)
                    addRecord({row[1 + m.captured(1).toInt()]}, row[1 + m.captured(1).toInt()]);
        } else if (auto m = back.match(sql); m.hasMatch()) {
            const bool isHuge = m.captured(1) == "TranslateHuge";
            const int col = m.captured(2).toInt() + (isHuge ? 1 : 0);
            const QString wanted = literal(m.captured(3));
            for (const auto& row : isHuge ? huge : translate)
                if (row[col].compare(wanted, Qt::CaseInsensitive) == 0)
                    addRecord({row[isHuge ? 1 : 0]}, row[isHuge ? 1 : 0]);
        } else {
            raise(-2147467259, "Syntax error in " + sql);
        }
        return result->Count() ? result : nullptr;
    }

    int columnCount(const QString& table) override { return table == "TranslateHuge" ? 8 : 7; }

    bool execute(const QString& sql) override
    {
        statements << sql;
        static const QRegularExpression insert(R"(^INSERT INTO \[?(\w+)\]? VALUES\((.*)\)$)",
                                               QRegularExpression::DotMatchesEverythingOption);
        const auto m = insert.match(sql);
        if (!m.hasMatch())
            raise(-2147467259, "Syntax error in " + sql);
        const QStringList values = literals(m.captured(2));
        const bool isHuge = m.captured(1) == "TranslateHuge";
        if (values.size() != columnCount(m.captured(1)))
            raise(-2147467259, "Number of query values and destination fields are not the same.");
        (isHuge ? huge : translate).push_back(values);
        return true;
    }

    QStringList inserts() const { return statements.filter(QRegularExpression("^INSERT")); }

    // The text of an SQL string literal's inside; a lone quote means the statement was malformed.
    static QString literal(const QString& inside)
    {
        QString out;
        for (qsizetype i = 0; i < inside.size(); ++i) {
            if (inside[i] == '\'') {
                if (i + 1 < inside.size() && inside[i + 1] == '\'') {
                    out += '\'';
                    ++i;
                    continue;
                }
                raise(-2147467259, "Syntax error (missing operator)");
            }
            out += inside[i];
        }
        return out;
    }

    // The values of a VALUES list of string literals.
    static QStringList literals(const QString& list)
    {
        QStringList out;
        qsizetype i = 0;
        while (i < list.size()) {
            while (i < list.size() && (list[i] == ' ' || list[i] == ','))
                ++i;
            if (i >= list.size())
                break;
            if (list[i] != '\'')
                raise(-2147467259, "Syntax error in VALUES");
            ++i;
            QString value;
            for (;;) {
                if (i >= list.size())
                    raise(-2147467259, "Unterminated literal");
                if (list[i] == '\'') {
                    if (i + 1 < list.size() && list[i + 1] == '\'') {
                        value += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += list[i++];
            }
            out << value;
        }
        return out;
    }
};
