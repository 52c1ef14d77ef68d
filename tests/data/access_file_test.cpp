// The data-access object on connection types 1 and 2 to files written by the
// Windows Access engine: the table list, one table, and the same rows through
// the "Recordset" and "BiDimArray" forms of Query.
#include "DataTestSupport.h"

#include "support/AccessTestFiles.h"

using namespace datatest;

TEST(AccessEngineFile, TableListAndBothQueryFormsGiveWhatMdbToolsGives)
{
    const QString why = accesstest::missing();
    if (!why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    QTemporaryDir dir;
    ASSERT_TRUE(accesstest::copyInto(dir));
    const struct { const char* file; std::int16_t type; } cases[] = {{accesstest::MdbFile, 1}, {accesstest::AccdbFile, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = dir.filePath(QLatin1String(c.file));
        clsDO o;
        o.setConnectionType(c.type);
        o.StartObject(QString(), path, QString(), QString());
        QString s, d, u, p;
        const CollectionPtr list = o.TableList(s, d, u, p);
        ASSERT_TRUE(list);
        EXPECT_EQ(keysOf(list), accesstest::tables(path));

        for (QString table : accesstest::tables(path)) {
            SCOPED_TRACE(table.toStdString());
            const auto exported = accesstest::exportTable(path, table);
            ASSERT_FALSE(exported.empty());
            QStringList header;
            for (const auto& h : exported[0])
                header << h.value_or(QString());

            const CollectionPtr item = o.TableList(s, d, u, p, table);
            ASSERT_TRUE(item);
            QStringList fields = keysOf(sub(item, "Fields"));
            QStringList sorted = header;
            std::sort(sorted.begin(), sorted.end()); // character-code order, as the item keeps them
            EXPECT_EQ(fields, sorted);
            EXPECT_FALSE(item->Exists(QStringLiteral("Key"))) << "no primary key and no unique index";

            QString sql = QStringLiteral("SELECT * FROM [%1]").arg(table);
            const auto rs = o.Query(sql, s, d, u, p, QStringLiteral("Recordset")).as<db::Recordset>();
            ASSERT_TRUE(rs);
            const qint64 rows = accesstest::count(path, table);
            ASSERT_EQ(rs->RecordCount(), rows);
            const Variant grid = o.Query(sql, s, d, u, p, QStringLiteral("BiDimArray"));
            ASSERT_TRUE(grid.isArray());
            const VArrayPtr a = grid.array();
            ASSERT_EQ(a->count(1), rs->FieldCount());
            ASSERT_EQ(a->count(2), rows);
            for (qint64 r = 0; !rs->Eof(); rs->MoveNext(), ++r)
                for (int f = 0; f < rs->FieldCount(); ++f)
                    EXPECT_EQ(a->at(f, int(r)), rs->value(f)) << "record " << r << " field " << f;
        }
    }
}
