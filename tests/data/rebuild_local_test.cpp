// Table rebuilds on a real local database file: every row survives the
// change, and a failure injected at any step leaves the rows where the
// outcome of that step says they are.
#include "DataTestSupport.h"

#include "core/Error.h"
#include "core/ValueText.h"
#include "data/clsField.h"

#include <gtest/gtest.h>

using namespace datatest;

namespace {


struct ColumnDef {
    const char* stored; // "" for a new column
    const char* name;
    int type;
    int length = 0;
    bool allowNull = true;
    bool autoIncrease = false;
    bool key = false;
    const char* defaultValue = "";
};

class RebuildLocalTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(db_.dir.isValid());
        db::Catalog::Create(db_.connectionString());
        db_.exec({QStringLiteral("CREATE TABLE Clientes ([Id] COUNTER, [Nombre] TEXT(50), [Cod] LONG, [Precio] DOUBLE, "
                                 "CONSTRAINT PK_Clientes PRIMARY KEY ([Id]))"),
                  QStringLiteral("INSERT INTO Clientes (Nombre, Cod, Precio) VALUES ('Ana', 7, 1.5)"),
                  QStringLiteral("INSERT INTO Clientes (Nombre, Cod, Precio) VALUES (NULL, 8, 2.25)"),
                  QStringLiteral("INSERT INTO Clientes (Nombre, Cod, Precio) VALUES ('O''Brien', 9, NULL)")});
        db_.point(o_);
    }

    CollectionPtr layout(const QString& table, std::initializer_list<ColumnDef> columns)
    {
        auto c = newCollection();
        for (const ColumnDef& s : columns) {
            auto f = std::make_shared<clsField>();
            const QString stored = QLatin1String(s.stored);
            f->setFieldName(stored.isEmpty() ? QLatin1String(s.name) : stored);
            f->setNewFieldName(QLatin1String(s.name));
            f->setDataType(std::int16_t(s.type));
            f->setLenght(s.length);
            f->setAllowNull(true);
            f->setNewAllowNull(s.allowNull);
            f->setAllowZeroLenght(true);
            f->setAutoIncrease(s.autoIncrease);
            f->setIsKey(s.key);
            f->setDefaultValue(QLatin1String(s.defaultValue));
            f->setKeyCode(table + QLatin1Char('.') + f->FieldName());
            c->Add(Variant(f), f->KeyCode());
        }
        return c;
    }

    // The usual change: a rename, a type change, a column made NOT NULL and a new NOT NULL column.
    CollectionPtr changed(const QString& table)
    {
        return layout(table, {{"Id", "Id", 3, 0, false, true, true},
                              {"Nombre", "Cliente", 8, 80, false},
                              {"Cod", "Cod", 8, 10},
                              {"Precio", "Precio", 5},
                              {"", "Activo", 11, 0, false},
                              {"", "Alta", 7, 0, false, false, false, "31/12/2020"}});
    }

    // Row texts of a table ordered by its first column, "-" when it is missing.
    QStringList rows(const QString& table, const QString& columns = QStringLiteral("*"))
    {
        // A table-valued function of the engine is named as it is.
        const QString from = table.contains(QLatin1Char('(')) ? table : QLatin1Char('[') + table + QLatin1Char(']');
        return query(QStringLiteral("SELECT ") + columns + QStringLiteral(" FROM ") + from + QStringLiteral(" ORDER BY 1"));
    }

    QStringList query(const QString& sql)
    {
        QStringList out;
        auto conn = std::make_shared<db::Connection>();
        conn->Open(db_.connectionString());
        try {
            db::Recordset rs;
            rs.Open(sql, conn, db::adOpenStatic);
            while (!rs.Eof()) {
                QStringList cells;
                for (int i = 0; i < rs.FieldCount(); ++i)
                    cells << (rs.value(i).isNull() ? QStringLiteral("NULL") : rs.value(i).toString());
                out << cells.join(QLatin1Char('|'));
                rs.MoveNext();
            }
        } catch (const Error&) {
            out = QStringList{QStringLiteral("-")};
        }
        conn->Close();
        return out;
    }

    static const QStringList& original()
    {
        static const QStringList r = {"1|Ana|7|1,5", "2|NULL|8|2,25", "3|O'Brien|9|NULL"};
        return r;
    }

    // The usual change of the fixture's table, kept or moved to `target`.
    QString modify(const QString& target = kT) { return o_.ModifyTable(kT, target, changed(kT)); }

    // Where a table stands: "O" its original rows, "N" the three rows in a new layout, "-" missing.
    QString state(const QString& table)
    {
        const QStringList all = rows(table);
        if (all == QStringList{QStringLiteral("-")})
            return QStringLiteral("-");
        if (rows(table, QStringLiteral("Id, Nombre, Cod, Precio")) == original())
            return QStringLiteral("O");
        return all.size() == 3 ? QStringLiteral("N") : all.join(QLatin1Char(';'));
    }

    static inline const QString kT = QStringLiteral("Clientes");
    LocalDb db_;
    clsDO o_;
};

} // namespace

TEST_F(RebuildLocalTest, SameNameKeepsEveryRowThroughRenameTypeChangeAndNewNotNullColumns)
{
    ValueText::setLocale(QLocale(QLocale::Spanish, QLocale::Spain));
    EXPECT_EQ(modify(), QString());
    EXPECT_EQ(rows(kT, QStringLiteral("Id, Cliente, Cod, Precio, Activo")),
              (QStringList{"1|Ana|7|1,5|Falso", "2||8|2,25|Falso", "3|O'Brien|9|NULL|Falso"}));
    EXPECT_EQ(state(QStringLiteral("Clientes_OLD")), "-");
    const QStringList alta = rows(kT, QStringLiteral("Id, Alta"));
    ASSERT_EQ(alta.size(), 3);
    EXPECT_TRUE(alta[0].startsWith(QStringLiteral("1|31/12/2020")));

    QString s, d, u, p, t = kT;
    const CollectionPtr fields = sub(o_.TableList(s, d, u, p, t), "Fields");
    EXPECT_FALSE(at(sub(fields, "Cliente"), "Nullable").toBool());
    EXPECT_EQ(at(sub(fields, "Cod"), "Type").toInt(), 8);
    EXPECT_TRUE(at(sub(fields, "Id"), "AutoIncrease").toBool());
}

TEST_F(RebuildLocalTest, NumbersOfAnAutoNumberedColumnSurviveTheRebuild)
{
    db_.exec({QStringLiteral("DELETE FROM Clientes WHERE Id = 2"),
              QStringLiteral("INSERT INTO Clientes (Nombre, Cod, Precio) VALUES ('Eva', 10, 3)")});
    ASSERT_EQ(rows(kT, QStringLiteral("Id, Nombre")), (QStringList{"1|Ana", "3|O'Brien", "4|Eva"}));
    EXPECT_EQ(modify(), QString());
    EXPECT_EQ(rows(kT, QStringLiteral("Id, Cliente")), (QStringList{"1|Ana", "3|O'Brien", "4|Eva"}));
    db_.exec({QStringLiteral("INSERT INTO Clientes (Cliente, Activo, Alta) VALUES ('Luz', 1, #2021-01-01#)")});
    EXPECT_EQ(rows(kT, QStringLiteral("Id, Cliente")).last(), QStringLiteral("5|Luz"));
}

TEST_F(RebuildLocalTest, NewNameMovesTheRowsAndAnAutoNumberedColumnIsNumbered)
{
    auto cols = layout(kT, {{"Nombre", "Nombre", 8, 50}, {"Cod", "Cod", 3}, {"", "Num", 3, 0, false, true, true}});
    EXPECT_EQ(o_.ModifyTable(kT, QStringLiteral("Cuentas"), cols), QString());
    EXPECT_EQ(state(kT), "-");
    EXPECT_EQ(rows(QStringLiteral("Cuentas"), QStringLiteral("Cod, Nombre, Num")),
              (QStringList{"7|Ana|1", "8|NULL|2", "9|O'Brien|3"}));
}

TEST_F(RebuildLocalTest, NoBackupTableIsNeededAndAnotherUnderItsNameStays)
{
    db_.exec({QStringLiteral("CREATE TABLE Clientes_OLD ([Id] LONG, [Nota] TEXT(20))"),
              QStringLiteral("INSERT INTO Clientes_OLD VALUES (1, 'solo aqui')")});
    EXPECT_EQ(modify(), QString());
    EXPECT_EQ(state(kT), "N");
    EXPECT_EQ(rows(QStringLiteral("Clientes_OLD")), QStringList{"1|solo aqui"});

    db_.exec({QStringLiteral("DELETE FROM Clientes")});
    EXPECT_EQ(modify(), QString());
    EXPECT_EQ(rows(kT, QStringLiteral("Cliente")), QStringList{});
    EXPECT_EQ(rows(QStringLiteral("Clientes_OLD")), QStringList{"1|solo aqui"});
}

TEST_F(RebuildLocalTest, ColumnNamesWithBlanksOrReservedWordsAreCopied)
{
    db_.exec({QStringLiteral("CREATE TABLE [Mis Datos] ([Fecha Alta] TEXT(20), [Order] LONG, [Desc] TEXT(5))"),
              QStringLiteral("INSERT INTO [Mis Datos] VALUES ('hoy', 1, NULL)"),
              QStringLiteral("INSERT INTO [Mis Datos] VALUES ('ayer', 2, 'x')")});
    const QString t = QStringLiteral("Mis Datos");
    EXPECT_EQ(o_.ModifyTable(t, t,
                             layout(t, {{"Fecha Alta", "Fecha Alta", 8, 30},
                                        {"Order", "Numero Orden", 3, 0, false, false, true},
                                        {"Desc", "Desc", 8, 5, false},
                                        {"", "Group", 8, 10}})),
              QString());
    EXPECT_EQ(rows(t, QStringLiteral("[Numero Orden], [Fecha Alta], [Desc], [Group]")),
              (QStringList{"1|hoy||NULL", "2|ayer|x|NULL"}));
    EXPECT_EQ(state(t + QStringLiteral("_OLD")), "-");
    QString sv, d, u, p, table = t;
    ASSERT_EQ(o_.TableKey(sv, d, u, p, table)->Count(), 1);

    // Emptied, the table is dropped and created again under the same name.
    db_.exec({QStringLiteral("DELETE FROM [Mis Datos]")});
    EXPECT_EQ(o_.ModifyTable(t, t, layout(t, {{"Fecha Alta", "Fecha Alta", 8, 30}, {"Numero Orden", "Numero Orden", 3, 0, false, false, true}})),
              QString());
    EXPECT_EQ(rows(t), QStringList{});
    EXPECT_EQ(valuesOf(o_.TableKey(sv, d, u, p, table)), QStringList{"Numero Orden"});
}

TEST_F(RebuildLocalTest, AFailedRebuildChangesNothing)
{
    // The new name is taken: the rename fails and the table stays as it was.
    db_.exec({QStringLiteral("CREATE TABLE Cuentas ([X] LONG)")});
    EXPECT_EQ(modify(QStringLiteral("Cuentas")), QStringLiteral("No se pudo crear la tabla Cuentas."));
    EXPECT_EQ(state(kT), "O");
    EXPECT_EQ(rows(QStringLiteral("Cuentas")), QStringList{});

    // Rows that already break a declared reference: the check before the commit refuses the change.
    db_.exec({QStringLiteral("CREATE TABLE Pedidos ([Id] LONG, [Cliente] LONG REFERENCES Clientes (Id))"),
              QStringLiteral("PRAGMA foreign_keys = OFF"), QStringLiteral("INSERT INTO Pedidos VALUES (1, 99)")});
    const QString t = QStringLiteral("Pedidos");
    EXPECT_EQ(o_.ModifyTable(t, t, layout(t, {{"Id", "Id", 3}, {"Cliente", "Cliente", 3}, {"", "Nota", 8, 20}})),
              QStringLiteral("No se pudo crear la tabla Pedidos."));
    EXPECT_EQ(rows(t), QStringList{"1|99"});
    EXPECT_EQ(state(kT), "O");
}

TEST_F(RebuildLocalTest, IndexesAddedAndRemovedOnTheLocalEngine)
{
    EXPECT_TRUE(o_.AddNewIndex(kT, QStringLiteral("IX_Cod"), false, true, false, QStringLiteral("Cod#Nombre")));
    QString s, d, u, p, t = kT;
    CollectionPtr indexes = o_.TableIndexes(s, d, u, p, t);
    ASSERT_TRUE(indexes && indexes->Exists(QStringLiteral("IX_Cod")));
    EXPECT_TRUE(at(sub(indexes, "IX_Cod"), "IsUnique").toBool());
    EXPECT_TRUE(o_.RemoveIndex(kT, QStringLiteral("IX_Cod"), false).toBool());
    EXPECT_FALSE(o_.TableIndexes(s, d, u, p, t)->Exists(QStringLiteral("IX_Cod")));
    EXPECT_FALSE(o_.RemoveIndex(kT, QStringLiteral("IX_Cod"), false).toBool());

    // The primary key goes by its constraint and comes back under PK_ and the table name.
    EXPECT_TRUE(o_.RemoveIndex(kT, QStringLiteral("PK_Clientes"), true).toBool());
    EXPECT_EQ(o_.TableKey(s, d, u, p, t)->Count(), 0);
    EXPECT_TRUE(o_.AddNewIndex(kT, QStringLiteral("Clave"), true, false, false, QStringLiteral("Cod")));
    EXPECT_EQ(valuesOf(o_.TableKey(s, d, u, p, t)), QStringList{"Cod"});
    EXPECT_TRUE(o_.TableIndexes(s, d, u, p, t)->Exists(QStringLiteral("PK_Clientes")));
    EXPECT_EQ(state(kT), "O");
}

// A file another tool wrote: declared references and indexes made by hand.
class ConstraintsKeptTest : public RebuildLocalTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(db_.dir.isValid());
        db::Catalog::Create(db_.connectionString());
        db_.exec({QStringLiteral("CREATE TABLE Artist (ArtistId INTEGER PRIMARY KEY, Name TEXT(120))"),
                  QStringLiteral("CREATE UNIQUE INDEX IX_ArtistName ON Artist (Name)"),
                  QStringLiteral("CREATE TABLE Album (AlbumId INTEGER PRIMARY KEY, Title TEXT(160) NOT NULL, "
                                 "ArtistId INTEGER NOT NULL, FOREIGN KEY (ArtistId) REFERENCES Artist (ArtistId) "
                                 "ON DELETE NO ACTION ON UPDATE CASCADE)"),
                  QStringLiteral("CREATE INDEX IFK_AlbumArtistId ON Album (ArtistId)"),
                  QStringLiteral("CREATE INDEX IX_AlbumTitle ON Album (Title DESC)"),
                  QStringLiteral("CREATE TRIGGER Album_Title AFTER UPDATE OF Title ON Album BEGIN SELECT 1; END"),
                  QStringLiteral("INSERT INTO Artist VALUES (1, 'AC/DC')"), QStringLiteral("INSERT INTO Artist VALUES (2, 'Accept')"),
                  QStringLiteral("INSERT INTO Album VALUES (1, 'For Those About To Rock', 1)"),
                  QStringLiteral("INSERT INTO Album VALUES (2, 'Balls to the Wall', 2)"),
                  QStringLiteral("INSERT INTO Album VALUES (3, 'Let There Be Rock', 1)")});
        db_.point(o_);
    }

    // Everything the engine keeps about the file's tables, one text a line.
    QStringList schema()
    {
        QStringList out = query(QStringLiteral("SELECT type || ' ' || name || ' ' || tbl_name FROM sqlite_master "
                                               "WHERE name NOT LIKE 'sqlite%' ORDER BY 1"));
        for (const char* t : {"Artist", "Album"}) {
            out << QLatin1String(t) + QStringLiteral(" keys:")
                       + rows(QStringLiteral("pragma_foreign_key_list('") + QLatin1String(t) + QStringLiteral("')"),
                              QStringLiteral("\"table\", \"from\", \"to\", on_update, on_delete"))
                             .join(QLatin1Char(';'));
        }
        return out;
    }

    QStringList checks()
    {
        return rows(QStringLiteral("pragma_foreign_key_check")) + rows(QStringLiteral("pragma_integrity_check"));
    }
};

TEST_F(ConstraintsKeptTest, AddingAColumnKeepsReferencesIndexesTriggersAndRows)
{
    const QStringList before = schema();
    ASSERT_TRUE(before.contains(QStringLiteral("Album keys:Artist|ArtistId|ArtistId|CASCADE|NO ACTION")));
    const QStringList artists = rows(QStringLiteral("Artist")), albums = rows(QStringLiteral("Album"));
    const QString album = QStringLiteral("Album"), artist = QStringLiteral("Artist");
    EXPECT_EQ(o_.ModifyTable(album, album,
                             layout(album, {{"AlbumId", "AlbumId", 3, 0, false, true, true},
                                            {"Title", "Title", 8, 160, false},
                                            {"ArtistId", "ArtistId", 3, 0, false},
                                            {"", "Notes", 8, 50}})),
              QString());
    EXPECT_EQ(o_.ModifyTable(artist, artist,
                             layout(artist, {{"ArtistId", "ArtistId", 3, 0, false, true, true},
                                             {"Name", "Name", 8, 120},
                                             {"", "Country", 8, 40}})),
              QString());
    EXPECT_EQ(schema(), before);
    EXPECT_EQ(checks(), QStringList{"ok"});
    EXPECT_EQ(rows(artist, QStringLiteral("ArtistId, Name")), artists);
    EXPECT_EQ(rows(album, QStringLiteral("AlbumId, Title, ArtistId")), albums);
    EXPECT_EQ(rows(artist, QStringLiteral("Country")), (QStringList{"NULL", "NULL"})) << "a new column is Null in old rows";
    EXPECT_EQ(rows(album, QStringLiteral("Notes")), (QStringList{"NULL", "NULL", "NULL"}));

    // The references are enforced after the rebuild as before it.
    EXPECT_THROW(db_.exec({QStringLiteral("DELETE FROM Artist WHERE ArtistId = 1")}), Error);
    EXPECT_THROW(db_.exec({QStringLiteral("INSERT INTO Album (AlbumId, Title, ArtistId) VALUES (9, 'x', 77)")}), Error);
    EXPECT_EQ(rows(artist).size(), 2);
}

TEST_F(ConstraintsKeptTest, RenamedColumnsAndTablesKeepTheirReferences)
{
    const QString album = QStringLiteral("Album");
    EXPECT_EQ(o_.ModifyTable(album, QStringLiteral("Albums"),
                             layout(album, {{"AlbumId", "AlbumId", 3, 0, false, true, true},
                                            {"Title", "Name", 8, 160, false},
                                            {"ArtistId", "Artist", 3, 0, false}})),
              QString());
    EXPECT_EQ(rows(QStringLiteral("pragma_foreign_key_list('Albums')"), QStringLiteral("\"table\", \"from\", \"to\"")),
              QStringList{"Artist|Artist|ArtistId"});
    EXPECT_EQ(query(QStringLiteral("SELECT name || ' ' || tbl_name FROM sqlite_master WHERE name NOT LIKE 'sqlite%' ORDER BY 1")),
              (QStringList{"Album_Title Albums", "Albums Albums", "Artist Artist", "IFK_AlbumArtistId Albums",
                           "IX_AlbumTitle Albums", "IX_ArtistName Artist"}));
    EXPECT_EQ(checks(), QStringList{"ok"});
    EXPECT_EQ(rows(QStringLiteral("Albums"), QStringLiteral("AlbumId, Artist")), (QStringList{"1|1", "2|2", "3|1"}));
}
