// Table rebuilds on a real local database file: every row survives the
// change, and a failure injected at any step leaves the rows where the
// outcome of that step says they are.
#include "DataTestSupport.h"

#include "core/ValueText.h"
#include "data/clsField.h"
#include "platform/db/LocalFile.h"
#include "support/PlainReader.h"

#include <QFile>

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
        db_.exec(fill());
        db_.point(o_);
    }
    virtual QStringList fill()
    {
        return {QStringLiteral("CREATE TABLE Clientes ([Id] COUNTER, [Nombre] TEXT(50), [Cod] LONG, [Precio] DOUBLE, "
                               "CONSTRAINT PK_Clientes PRIMARY KEY ([Id]))"),
                u"INSERT INTO Clientes (Nombre, Cod, Precio) VALUES ('Ana', 7, 1.5)"_s,
                u"INSERT INTO Clientes (Nombre, Cod, Precio) VALUES (NULL, 8, 2.25)"_s,
                u"INSERT INTO Clientes (Nombre, Cod, Precio) VALUES ('O''Brien', 9, NULL)"_s};
    }

    CollectionPtr layout(const QString& table, std::initializer_list<ColumnDef> columns)
    {
        auto c = newCollection();
        for (const ColumnDef& s : columns) {
            auto f = std::make_shared<clsField>();
            const QString stored = QString::fromUtf8(s.stored);
            f->setFieldName(stored.isEmpty() ? QString::fromUtf8(s.name) : stored);
            f->setNewFieldName(QString::fromUtf8(s.name));
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
        return layout(table, {{"Id", "Id", 3, 0, false, true, true}, {"Nombre", "Cliente", 8, 80, false}, {"Cod", "Cod", 8, 10},
                              {"Precio", "Precio", 5},
                              {"", "Activo", 11, 0, false},
                              {"", "Alta", 7, 0, false, false, false, "31/12/2020"}});
    }

    // Row texts of a table ordered by its first column, "-" when it is missing.
    QStringList rows(const QString& table, const QString& columns = u"*"_s)
    {
        // A table-valued function of the engine is named as it is.
        const QString from = table.contains(QLatin1Char('(')) ? table : QLatin1Char('[') + table + QLatin1Char(']');
        return db_.rows(u"SELECT "_s + columns + u" FROM "_s + from + u" ORDER BY 1"_s);
    }

    // The usual change of the fixture's table, kept or moved to `target`.
    QString modify(const QString& target = kT) { return o_.ModifyTable(kT, target, changed(kT)); }

    // Where a table stands: "O" its original rows, "N" the three rows in a new layout, "-" missing.
    QString state(const QString& table)
    {
        const QStringList all = rows(table);
        if (all == QStringList{u"-"_s})
            return u"-"_s;
        if (rows(table, u"Id, Nombre, Cod, Precio"_s) == QStringList{"1|Ana|7|1,5", "2|NULL|8|2,25", "3|O'Brien|9|NULL"})
            return u"O"_s;
        return all.size() == 3 ? u"N"_s : all.join(QLatin1Char(';'));
    }

    static inline const QString kT = u"Clientes"_s;
    LocalDb db_;
    clsDO o_;
};

} // namespace

// Rebuilt under the same name, every row keeps its values and its number: a
// NULL text becomes empty in the column made NOT NULL, the gap of a deleted
// row stays and the next row is numbered after the highest.
TEST_F(RebuildLocalTest, SameNameKeepsEveryRowAndNumberThroughRenameTypeChangeAndNewNotNullColumns)
{
    ValueText::setLocale(QLocale(QLocale::Spanish, QLocale::Spain));
    db_.exec({u"DELETE FROM Clientes WHERE Id = 2"_s, u"INSERT INTO Clientes (Nombre, Cod, Precio) VALUES (NULL, 8, 2.25)"_s});
    EXPECT_EQ(modify(), QString());
    EXPECT_EQ(rows(kT, u"Id, Cliente, Cod, Precio, Activo"_s),
              (QStringList{"1|Ana|7|1,5|Falso", "3|O'Brien|9|NULL|Falso", "4||8|2,25|Falso"}));
    EXPECT_EQ(state(u"Clientes_OLD"_s), "-");
    const QStringList alta = rows(kT, u"Id, Alta"_s);
    ASSERT_EQ(alta.size(), 3);
    EXPECT_TRUE(alta[0].startsWith(u"1|31/12/2020"_s));
    db_.exec({u"INSERT INTO Clientes (Cliente, Activo, Alta) VALUES ('Luz', 1, #2021-01-01#)"_s});
    EXPECT_EQ(rows(kT, u"Id, Cliente"_s).last(), u"5|Luz"_s);

    const CollectionPtr fields = sub(tableItem(o_, kT), "Fields");
    EXPECT_FALSE(at(sub(fields, "Cliente"), "Nullable").toBool());
    EXPECT_EQ(at(sub(fields, "Cod"), "Type").toInt(), 8);
    EXPECT_TRUE(at(sub(fields, "Id"), "AutoIncrease").toBool());
}

TEST_F(RebuildLocalTest, NewNameMovesTheRowsAndAnAutoNumberedColumnIsNumbered)
{
    auto cols = layout(kT, {{"Nombre", "Nombre", 8, 50}, {"Cod", "Cod", 3}, {"", "Num", 3, 0, false, true, true}});
    EXPECT_EQ(o_.ModifyTable(kT, u"Cuentas"_s, cols), QString());
    EXPECT_EQ(state(kT), "-");
    EXPECT_EQ(rows(u"Cuentas"_s, u"Cod, Nombre, Num"_s), (QStringList{"7|Ana|1", "8|NULL|2", "9|O'Brien|3"}));
}

TEST_F(RebuildLocalTest, NoBackupTableIsNeededAndOddColumnNamesAreCopied)
{
    db_.exec({u"CREATE TABLE Clientes_OLD ([Id] LONG, [Nota] TEXT(20))"_s,
              u"INSERT INTO Clientes_OLD VALUES (1, 'solo aqui')"_s});
    EXPECT_EQ(modify(), QString());
    EXPECT_EQ(state(kT), "N");
    EXPECT_EQ(rows(u"Clientes_OLD"_s), QStringList{"1|solo aqui"});

    db_.exec({u"DELETE FROM Clientes"_s});
    EXPECT_EQ(modify(), QString());
    EXPECT_EQ(rows(kT, u"Cliente"_s), QStringList{});
    EXPECT_EQ(rows(u"Clientes_OLD"_s), QStringList{"1|solo aqui"});

    // Column names with blanks or reserved words are copied.
    db_.exec({u"CREATE TABLE [Mis Datos] ([Fecha Alta] TEXT(20), [Order] LONG, [Desc] TEXT(5))"_s,
              u"INSERT INTO [Mis Datos] VALUES ('hoy', 1, NULL)"_s,
              u"INSERT INTO [Mis Datos] VALUES ('ayer', 2, 'x')"_s});
    const QString t = u"Mis Datos"_s;
    EXPECT_EQ(o_.ModifyTable(t, t, layout(t, {{"Fecha Alta", "Fecha Alta", 8, 30},
                                        {"Order", "Numero Orden", 3, 0, false, false, true},
                                        {"Desc", "Desc", 8, 5, false},
                                        {"", "Group", 8, 10}})),
              QString());
    EXPECT_EQ(rows(t, u"[Numero Orden], [Fecha Alta], [Desc], [Group]"_s), (QStringList{"1|hoy||NULL", "2|ayer|x|NULL"}));
    EXPECT_EQ(state(t + u"_OLD"_s), "-");
    ASSERT_EQ(tableKey(o_, t)->Count(), 1);

    // Emptied, the table is dropped and created again under the same name.
    db_.exec({u"DELETE FROM [Mis Datos]"_s});
    EXPECT_EQ(o_.ModifyTable(t, t, layout(t, {{"Fecha Alta", "Fecha Alta", 8, 30}, {"Numero Orden", "Numero Orden", 3, 0, false, false, true}})),
              QString());
    EXPECT_EQ(rows(t), QStringList{});
    EXPECT_EQ(valuesOf(tableKey(o_, t)), QStringList{"Numero Orden"});
}

TEST_F(RebuildLocalTest, AFailedRebuildChangesNothing)
{
    // The new name is taken: the rename fails and the table stays as it was.
    db_.exec({u"CREATE TABLE Cuentas ([X] LONG)"_s});
    EXPECT_EQ(modify(u"Cuentas"_s), u"No se pudo crear la tabla Cuentas."_s);
    EXPECT_EQ(state(kT), "O");
    EXPECT_EQ(rows(u"Cuentas"_s), QStringList{});

    // Rows that already break a declared reference: the check before the commit refuses the change.
    db_.exec({u"CREATE TABLE Pedidos ([Id] LONG, [Cliente] LONG REFERENCES Clientes (Id))"_s,
              u"PRAGMA foreign_keys = OFF"_s, u"INSERT INTO Pedidos VALUES (1, 99)"_s});
    const QString t = u"Pedidos"_s;
    EXPECT_EQ(o_.ModifyTable(t, t, layout(t, {{"Id", "Id", 3}, {"Cliente", "Cliente", 3}, {"", "Nota", 8, 20}})),
              u"No se pudo crear la tabla Pedidos."_s);
    EXPECT_EQ(rows(t), QStringList{"1|99"});
    EXPECT_EQ(state(kT), "O");
}

TEST_F(RebuildLocalTest, IndexesAddedAndRemovedOnTheLocalEngine)
{
    auto indexes = [&] { return show(Variant(tableIndexes(o_, kT))); };
    EXPECT_TRUE(o_.AddNewIndex(kT, u"IX_Cod"_s, false, true, false, u"Cod#Nombre"_s));
    const QString key = u"PK_Clientes={IndexName=PK_Clientes IsPrimaryKey=1 IsUnique=1 IsNullable=1 IndexFields={Id=Id}}"_s;
    EXPECT_EQ(indexes(), u'{' + key + u" IX_Cod={IndexName=IX_Cod IsPrimaryKey=0 IsUnique=1 IsNullable=0 IndexFields={Cod=Cod Nombre=Nombre}}}"_s);
    EXPECT_TRUE(o_.RemoveIndex(kT, u"IX_Cod"_s, false).toBool());
    EXPECT_EQ(indexes(), u'{' + key + u'}');
    EXPECT_FALSE(o_.RemoveIndex(kT, u"IX_Cod"_s, false).toBool());

    // The primary key goes by its constraint and comes back under PK_ and the table name.
    EXPECT_TRUE(o_.RemoveIndex(kT, u"PK_Clientes"_s, true).toBool());
    EXPECT_EQ(indexes(), "{}");
    EXPECT_EQ(valuesOf(tableKey(o_, kT)), QStringList{});
    EXPECT_TRUE(o_.AddNewIndex(kT, u"Clave"_s, true, false, false, u"Cod"_s));
    EXPECT_EQ(indexes(), "{PK_Clientes={IndexName=PK_Clientes IsPrimaryKey=1 IsUnique=1 IsNullable=1 IndexFields={Cod=Cod}}}");
    EXPECT_EQ(valuesOf(tableKey(o_, kT)), QStringList{"Cod"});
    EXPECT_EQ(state(kT), "O");
}

// A file another tool wrote: declared references and indexes made by hand.
class ConstraintsKeptTest : public RebuildLocalTest {
protected:
    QStringList fill() override
    {
        return {u"CREATE TABLE Artist (ArtistId INTEGER PRIMARY KEY, Name TEXT(120))"_s,
                u"CREATE UNIQUE INDEX IX_ArtistName ON Artist (Name)"_s,
                QStringLiteral("CREATE TABLE Album (AlbumId INTEGER PRIMARY KEY, Title TEXT(160) NOT NULL, "
                               "ArtistId INTEGER NOT NULL, FOREIGN KEY (ArtistId) REFERENCES Artist (ArtistId) "
                               "ON DELETE NO ACTION ON UPDATE CASCADE)"),
                u"CREATE INDEX IFK_AlbumArtistId ON Album (ArtistId)"_s,
                u"CREATE INDEX IX_AlbumTitle ON Album (Title DESC)"_s,
                u"CREATE TRIGGER Album_Title AFTER UPDATE OF Title ON Album BEGIN SELECT 1; END"_s,
                u"INSERT INTO Artist VALUES (1, 'AC/DC')"_s, u"INSERT INTO Artist VALUES (2, 'Accept')"_s,
                u"INSERT INTO Album VALUES (1, 'For Those About To Rock', 1)"_s,
                u"INSERT INTO Album VALUES (2, 'Balls to the Wall', 2)"_s,
                u"INSERT INTO Album VALUES (3, 'Let There Be Rock', 1)"_s};
    }
    // Texts beyond ASCII, some differing only in the case of such a letter.
    void addTextsBeyondAscii()
    {
        db_.exec({u"INSERT INTO Artist VALUES (3, 'Ñu')"_s, u"INSERT INTO Artist VALUES (4, 'ÉXITO')"_s,
                  u"INSERT INTO Artist VALUES (5, 'éxito')"_s, u"INSERT INTO Artist VALUES (6, 'Mägo de Oz')"_s,
                  u"INSERT INTO Album VALUES (4, 'Ñu en directo', 3)"_s});
    }
    QByteArray bytes() const
    {
        QFile f(db_.path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Everything the engine keeps about the file's tables, one text a line.
    QStringList schema()
    {
        QStringList out = db_.rows(QStringLiteral("SELECT type || ' ' || name || ' ' || tbl_name FROM sqlite_master "
                                               "WHERE name NOT LIKE 'sqlite%' ORDER BY 1"));
        for (const char* t : {"Artist", "Album"}) {
            out << QLatin1String(t) + u" keys:"_s
                       + rows(u"pragma_foreign_key_list('"_s + QLatin1String(t) + u"')"_s,
                              u"\"table\", \"from\", \"to\", on_update, on_delete"_s)
                             .join(QLatin1Char(';'));
        }
        return out;
    }
};

TEST_F(ConstraintsKeptTest, AddedAndRenamedColumnsAndTablesKeepReferencesIndexesTriggersAndRows)
{
    const QStringList before = schema();
    ASSERT_TRUE(before.contains(u"Album keys:Artist|ArtistId|ArtistId|CASCADE|NO ACTION"_s));
    const QStringList artists = rows(u"Artist"_s), albums = rows(u"Album"_s);
    const QString album = u"Album"_s, artist = u"Artist"_s;
    EXPECT_EQ(o_.ModifyTable(album, album, layout(album, {{"AlbumId", "AlbumId", 3, 0, false, true, true}, {"Title", "Title", 8, 160, false},
                                                          {"ArtistId", "ArtistId", 3, 0, false}, {"", "Notes", 8, 50}})),
              QString());
    EXPECT_EQ(o_.ModifyTable(artist, artist, layout(artist, {{"ArtistId", "ArtistId", 3, 0, false, true, true},
                                                             {"Name", "Name", 8, 120}, {"", "Country", 8, 40}})),
              QString());
    EXPECT_EQ(schema(), before);
    EXPECT_EQ(plainReaderFaults(db_.path), QStringList{});
    EXPECT_EQ(rows(artist, u"ArtistId, Name"_s), artists);
    EXPECT_EQ(rows(album, u"AlbumId, Title, ArtistId"_s), albums);
    EXPECT_EQ(rows(artist, u"Country"_s), (QStringList{"NULL", "NULL"})) << "a new column is Null in old rows";
    EXPECT_EQ(rows(album, u"Notes"_s), (QStringList{"NULL", "NULL", "NULL"}));

    // The references are enforced after the rebuild as before it.
    EXPECT_THROW(db_.exec({u"DELETE FROM Artist WHERE ArtistId = 1"_s}), Error);
    EXPECT_THROW(db_.exec({u"INSERT INTO Album (AlbumId, Title, ArtistId) VALUES (9, 'x', 77)"_s}), Error);
    EXPECT_EQ(rows(artist).size(), 2);

    // Renamed columns and a renamed table keep their references too.
    EXPECT_EQ(o_.ModifyTable(album, u"Albums"_s, layout(album, {{"AlbumId", "AlbumId", 3, 0, false, true, true},
                                                                {"Title", "Name", 8, 160, false}, {"ArtistId", "Artist", 3, 0, false}})),
              QString());
    EXPECT_EQ(rows(u"pragma_foreign_key_list('Albums')"_s, u"\"table\", \"from\", \"to\""_s), QStringList{"Artist|Artist|ArtistId"});
    EXPECT_EQ(db_.rows(u"SELECT name || ' ' || tbl_name FROM sqlite_master WHERE name NOT LIKE 'sqlite%' ORDER BY 1"_s),
              (QStringList{"Album_Title Albums", "Albums Albums", "Artist Artist", "IFK_AlbumArtistId Albums",
                           "IX_AlbumTitle Albums", "IX_ArtistName Artist"}));
    EXPECT_EQ(plainReaderFaults(db_.path), QStringList{});
    EXPECT_EQ(rows(u"Albums"_s, u"AlbumId, Artist"_s), (QStringList{"1|1", "2|2", "3|1"}));
}

// After every way Velmora writes a local file, another program reading it with
// nothing of Velmora's finds it sound and its indexes find every row.
TEST_F(ConstraintsKeptTest, EveryWritePathLeavesAFileAnyOtherReaderFindsSound)
{
    auto sound = [&](const char* path, const QString& file = QString()) {
        EXPECT_EQ(plainReaderFaults(file.isEmpty() ? db_.path : file), QStringList{}) << path;
    };
    addTextsBeyondAscii();
    sound("statements of the fixture");
    for (const QString& sql : {u"UPDATE Artist SET Name = 'ÑU' WHERE ArtistId = 3"_s, u"INSERT INTO Artist VALUES (7, 'Ángeles')"_s,
                               u"CREATE INDEX IX_Título ON Album (Title)"_s, u"DELETE FROM Album WHERE AlbumId = 2"_s})
        EXPECT_TRUE(o_.Execute(sql)) << sql.toStdString();
    EXPECT_EQ(rows(u"Artist"_s, u"Name"_s).filter(u"ñu"_s, Qt::CaseInsensitive), QStringList{u"ÑU"_s});
    sound("statements");

    const QString artist = u"Artist"_s;
    EXPECT_EQ(o_.ModifyTable(artist, artist, layout(artist, {{"ArtistId", "ArtistId", 3, 0, false, true, true},
                                                             {"Name", "Name", 8, 120}, {"", "País", 8, 40}})),
              QString());
    sound("ModifyTable");

    const QString genre = u"Género"_s;
    EXPECT_EQ(o_.CreateTable(genre, layout(genre, {{"", "GéneroId", 3, 0, false, true, true}, {"", "Descripción", 8, 50}})), QString());
    EXPECT_TRUE(o_.Execute(u"INSERT INTO [Género] ([Descripción]) SELECT Name FROM Artist"_s));
    sound("CreateTable");

    EXPECT_TRUE(o_.AddNewIndex(genre, u"IX_Descripción"_s, false, true, false, u"Descripción"_s));
    EXPECT_TRUE(o_.RemoveIndex(u"Album"_s, u"IX_AlbumTitle"_s, false).toBool());
    sound("AddNewIndex and RemoveIndex");

    o_.OpenTransaction();
    EXPECT_TRUE(o_.Execute(u"UPDATE [Género] SET [Descripción] = 'Éxitos del año' WHERE [GéneroId] = 4"_s));
    o_.CloseTransaction();
    sound("write-back");

    EXPECT_TRUE(o_.Execute(u"SELECT * INTO [Artistas Ñ] FROM Artist WHERE Name LIKE 'é%'"_s));
    EXPECT_TRUE(o_.Execute(u"CREATE UNIQUE INDEX IX_Copia ON [Artistas Ñ] (Name)"_s));
    EXPECT_EQ(rows(u"Artistas Ñ"_s, u"Name"_s), (QStringList{"ÉXITO", "éxito"}));
    sound("SELECT INTO");

    const QString compacted = db_.dir.filePath(u"compacted.accdb"_s);
    db::CompactDatabase(db_.path, compacted);
    sound("compaction", compacted);
}

// A key other tables refer to stays, with the reason; an unreferenced one goes
// and comes back keeping rows, indexes and references; a new reference the
// rows break is refused naming them. A refusal leaves the file as it was.
TEST_F(ConstraintsKeptTest, KeyChangesTakeTheOneRebuildAndARefusalChangesNothing)
{
    addTextsBeyondAscii();
    const QByteArray before = bytes();
    const QString refused = raised([&] { o_.RemoveIndex(u"Artist"_s, u"PrimaryKey"_s, true); });
    EXPECT_TRUE(refused.contains(u"'Album' hace referencia"_s)) << refused.toStdString();
    EXPECT_EQ(raised([&] { o_.AddNewIndex(u"Artist"_s, u"PrimaryKey"_s, true, false, false, u"Name"_s); }), refused);
    const QString broken = raised([&] {
        o_.Execute(u"ALTER TABLE Artist ADD CONSTRAINT FK_X FOREIGN KEY (ArtistId) REFERENCES Album (AlbumId)"_s);
    });
    EXPECT_TRUE(broken.contains(u"'Artist'"_s) && broken.contains(u"Filas: 5, 6."_s)) << broken.toStdString();
    EXPECT_TRUE(bytes() == before);

    const QStringList albums = rows(u"Album"_s), kept = schema().filter(QRegularExpression(u"^index | keys:"_s));
    EXPECT_TRUE(o_.RemoveIndex(u"Album"_s, u"PrimaryKey"_s, true).toBool());
    EXPECT_EQ(valuesOf(tableKey(o_, u"Album"_s)), QStringList{});
    EXPECT_TRUE(o_.AddNewIndex(u"Album"_s, u"Clave"_s, true, false, false, u"AlbumId"_s));
    EXPECT_EQ(valuesOf(tableKey(o_, u"Album"_s)), QStringList{"AlbumId"});
    EXPECT_EQ(rows(u"Album"_s, u"AlbumId, Title, ArtistId"_s), albums);
    EXPECT_EQ(schema().filter(QRegularExpression(u"^index | keys:"_s)), kept);
    EXPECT_EQ(plainReaderFaults(db_.path), QStringList{});
    EXPECT_THROW(db_.exec({u"INSERT INTO Album (AlbumId, Title, ArtistId) VALUES (1, 'x', 1)"_s}), Error);
    EXPECT_THROW(db_.exec({u"INSERT INTO Album (AlbumId, Title, ArtistId) VALUES (9, 'x', 77)"_s}), Error);
}
