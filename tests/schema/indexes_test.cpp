// The index list window and the index dialog it opens.
#include "SchemaTestSupport.h"
#include "schema/frmIndex.h"
#include "schema/frmIndexes.h"

#include <QTest>

using namespace schematest;

namespace {

const QString kIndexesOfT = QString(datatest::kSqlServerIndexes).replace("OBJECT_ID('Pedidos')", "OBJECT_ID('T')");

CollectionPtr tableItem(const QStringList& fields, const QStringList& key)
{
    auto t = newCollection();
    t->Add(Variant("T"), "Name");
    t->Add(Variant(namedItems(fields)), "Fields");
    auto k = newCollection();
    for (const QString& n : key)
        k->Add(Variant(n), n);
    t->Add(Variant(k), "Key");
    return t;
}

class IndexesTest : public SchemaWindowTest {
protected:
    void open(frmIndexes& w, const CollectionPtr& table)
    {
        connect(w);
        w.setCurrentTable(table);
        w.ensureLoaded();
    }
    // Moves the named fields into the dialog's index, one Agregar each.
    static void add(frmIndex& d, const QStringList& names)
    {
        for (const QString& n : names) {
            d.fgrAvailableFields->setRow(rowOf(*d.fgrAvailableFields, n));
            d.BttAddField_MouseUp();
        }
    }
    // Scripts the index dialog to make a unique index of the named fields.
    void uniqueIndex(const QString& name, const QStringList& fields)
    {
        runner.then<frmIndex>([=](frmIndex& d) {
            d.setIndexName(name);
            d.setIsUnique(true);
            add(d, fields);
            d.BttAceptar_MouseUp();
        });
    }
    void sqlServerIndexes(datatest::Rows rows)
    {
        recorded(0);
        rec->answerRows(kIndexesOfT, datatest::kSqlServerIndexColumns, std::move(rows));
    }
};

datatest::Rows twoIndexes()
{
    return {{Variant("IX"), Variant("Nombre"), Variant(false), Variant(false), Variant(std::int32_t(1))},
            {Variant("PK_T"), Variant("Id"), Variant(true), Variant(true), Variant(std::int32_t(1))}};
}

} // namespace

TEST_F(IndexesTest, WithoutIndexesOrFieldsNothingIsSelectedAndNothingSent)
{
    sqlServerIndexes({});
    frmIndexes w;
    open(w, tableItem({"Id", "Nombre"}, {}));
    EXPECT_EQ(w.fgrIndexes->Rows(), 1);
    EXPECT_EQ(w.fgrIndexFields->Rows(), 1);
    box->defaultAnswer = 6;
    w.BttEliminar_MouseUp();
    w.BttModificar_MouseUp();
    EXPECT_EQ(messages(), (QStringList{"64|Indices de la Tabla|No se ha seleccionado ningún índice para eliminar",
                                       "64|Indices de la Tabla|No se ha seleccionado ningún índice para editar"}));
    for (const QString& s : rec->statements())
        EXPECT_EQ(s, kIndexesOfT);

    // The index dialog needs a field and knows whether the table has a key.
    box->calls.clear();
    frmIndex d;
    give(d);
    d.setIndexFields(newCollection());
    d.setCurrentTable(tableItem({"Id"}, {}));
    d.setEditionMode("A");
    d.setIndexName("IX");
    EXPECT_TRUE(d.chkIndexKey->isEnabled());
    EXPECT_EQ(d.windowTitle(), "Indice (IX)"); // the marker is replaced in the translated caption
    d.BttAceptar_MouseUp();
    EXPECT_EQ(messages(), QStringList{"64|Indice|Debe seleccionar al menos un campo para el índice."});
    EXPECT_TRUE(d.Cancelled());

    frmIndex keyed;
    give(keyed);
    keyed.setCurrentTable(tableItem({"Id"}, {"Id"}));
    keyed.setEditionMode("A");
    EXPECT_FALSE(keyed.chkIndexKey->isEnabled());
}

TEST_F(IndexesTest, CancelledDialogsChangeNothingAndDeleteDropsTheIndexOrTheKeyConstraintAfterAYes)
{
    sqlServerIndexes(twoIndexes());
    frmIndexes w;
    open(w, tableItem({"Id", "Nombre", "Apellido"}, {"Id"}));
    EXPECT_EQ(column(*w.fgrIndexes, 1), (QStringList{"IX", "PK_T"}));
    EXPECT_EQ(column(*w.fgrIndexFields, 1), QStringList{"Nombre"});
    runner.then<frmIndex>([](frmIndex& d) {
        add(d, {"Apellido"});
        d.close();
    });
    w.BttModificar_MouseUp();
    EXPECT_EQ(datatest::valuesOf(datatest::sub(w.SelectedIndex(), "IndexFields")), QStringList{"Nombre"});
    runner.then<frmIndex>([](frmIndex& d) { d.BttSalir_MouseUp(); });
    w.BttNuevo_MouseUp();
    EXPECT_EQ(messages(), (QStringList{"64|Indices de la Tabla|No se han recibido datos.\r\n\r\nSe cancela la "
                                       "modificación del índice.",
                                       "64|Indices de la Tabla|No se han recibido datos.\r\n\r\nSe cancela la creación "
                                       "del nuevo índice."}));
    EXPECT_TRUE(statementsLike("CREATE").isEmpty());

    box->answers = {7};
    w.BttEliminar_MouseUp();
    EXPECT_TRUE(statementsLike("DROP").isEmpty());
    box->answers = {6, 6};
    w.BttEliminar_MouseUp();
    w.fgrIndexes->setRow(2);
    EXPECT_TRUE(w.chkIndexKey->isChecked());
    w.BttEliminar_MouseUp();
    QStringList sent = statementsLike("DROP");
    sent << statementsLike("ALTER");
    EXPECT_EQ(sent, (QStringList{"DROP INDEX IX ON [T]", "ALTER TABLE [T] \r\nDROP CONSTRAINT PK_T"}));
}

TEST_F(IndexesTest, NewIndexGoesInFieldOrderByCharacterCodesAndIsCurrentAfterTheReload)
{
    // The list before: matched as a pattern, so that the exact answer given once the index exists wins.
    recorded(0);
    rec->answerRegex("^" + QRegularExpression::escape(kIndexesOfT) + "$",
                     db::RecordingBackend::Answer::table(datatest::kSqlServerIndexColumns, twoIndexes()));
    frmIndexes w;
    open(w, tableItem({"Id", "Nombre", "Apellido"}, {}));
    runner.then<frmIndex>([this](frmIndex& d) {
        EXPECT_FALSE(d.chkIndexKey->isEnabled()); // PK_T is in the list window's indexes
        d.setIndexName("IX_N");
        d.setIsUnique(true);
        add(d, {"Nombre", "Apellido"});
        d.BttAceptar_MouseUp();
        datatest::Rows rows = twoIndexes();
        rows.insert(rows.begin() + 1, {Variant("IX_N"), Variant("Apellido"), Variant(false), Variant(true), Variant(std::int32_t(1))});
        rows.insert(rows.begin() + 2, {Variant("IX_N"), Variant("Nombre"), Variant(false), Variant(true), Variant(std::int32_t(2))});
        rec->answerRows(kIndexesOfT, datatest::kSqlServerIndexColumns, rows);
    });
    w.BttNuevo_MouseUp();
    EXPECT_EQ(statementsLike("CREATE"), QStringList{"CREATE UNIQUE INDEX IX_N \r\nON [T] (Apellido, Nombre)"});
    EXPECT_EQ(column(*w.fgrIndexes, 1), (QStringList{"IX", "IX_N", "PK_T"}));
    EXPECT_EQ(w.fgrIndexes->Row(), 2);
    EXPECT_EQ(datatest::at(w.SelectedIndex(), "IndexName").toString(), "IX_N");
    EXPECT_EQ(column(*w.fgrIndexFields, 1), (QStringList{"Apellido", "Nombre"}));
    EXPECT_TRUE(w.chkIndexUnique->isChecked());
}

TEST_F(IndexesTest, FailuresOnALocalFileAreToldAndAFailedChangeIsUndone)
{
    local({"CREATE TABLE T (A INTEGER, B INTEGER)", "INSERT INTO T (A, B) VALUES (1, 1)",
           "INSERT INTO T (A, B) VALUES (1, 2)"});
    frmIndexes w;
    open(w, table("T"));
    uniqueIndex("IX_A", {"A"});
    w.BttNuevo_MouseUp();
    // The engine's reason under the window's own words.
    EXPECT_EQ(messages(), QStringList{"64|Indices de la Tabla|No se ha podido crear el índice IX_A.\r\n\r\nUNIQUE "
                                      "constraint failed: T.A"});

    uniqueIndex("IX", {"A", "B"});
    w.BttNuevo_MouseUp();
    ASSERT_TRUE(w.SelectedIndex());
    EXPECT_EQ(datatest::at(w.SelectedIndex(), "IndexName").toString(), "IX");

    box->calls.clear();
    runner.then<frmIndex>([](frmIndex& d) {
        d.fgrIndexFields->setRow(rowOf(*d.fgrIndexFields, "B"));
        d.BttRemoveField_MouseUp();
        d.BttAceptar_MouseUp();
    });
    w.BttModificar_MouseUp();
    EXPECT_EQ(messages(), QStringList{"64|Indices de la Tabla|No se ha podido modificar el índice IX. Se ha restaurado "
                                      "su definición anterior.\r\n\r\nUNIQUE constraint failed: T.A"});
    const CollectionPtr ix = datatest::sub(tableIndexes("T"), "IX");
    ASSERT_TRUE(ix);
    EXPECT_EQ(datatest::valuesOf(datatest::sub(ix, "IndexFields")), (QStringList{"A", "B"}));
    EXPECT_TRUE(datatest::at(ix, "IsUnique").toBool());
}

// The engine's reason reaches the window: a key another table refers to can
// neither be changed nor deleted, and the list still shows it afterwards.
TEST_F(IndexesTest, AKeyAnotherTableRefersToIsKeptAndTheEnginesReasonIsTold)
{
    local({"CREATE TABLE Artist (ArtistId INTEGER PRIMARY KEY, Name TEXT(120))",
           "CREATE TABLE Album (AlbumId INTEGER PRIMARY KEY, ArtistId INTEGER NOT NULL, "
           "FOREIGN KEY (ArtistId) REFERENCES Artist (ArtistId))",
           "INSERT INTO Artist VALUES (1, 'AC/DC')", "INSERT INTO Album VALUES (1, 1)"});
    frmIndexes w;
    open(w, table("Artist"));
    ASSERT_TRUE(w.SelectedIndex());
    const QString key = datatest::at(w.SelectedIndex(), "IndexName").toString();
    ASSERT_TRUE(datatest::at(w.SelectedIndex(), "IsPrimaryKey").toBool());

    runner.then<frmIndex>([](frmIndex& d) {
        add(d, {"Name"});
        d.BttAceptar_MouseUp();
    });
    w.BttModificar_MouseUp();
    box->answers = {6};
    w.BttEliminar_MouseUp();
    const QStringList told = messages();
    ASSERT_EQ(told.size(), 3) << told.join('\n').toStdString();
    for (const auto& [at, verb] : {std::pair{0, "crear"}, {2, "eliminar"}})
        EXPECT_TRUE(told[at].startsWith(QString("64|Indices de la Tabla|No se ha podido %1 el índice %2.\r\n\r\n").arg(QLatin1String(verb), key)) &&
                    told[at].contains("'Album' hace referencia"))
            << told[at].toStdString();
    EXPECT_EQ(column(*w.fgrIndexes, 1), QStringList{key});
    EXPECT_EQ(datatest::valuesOf(datatest::sub(datatest::sub(tableIndexes("Artist"), key), "IndexFields")),
              QStringList{"ArtistId"});
}

// The dialog sees the keys typed in its controls first, and takes only Enter
// and Esc: a name typed in its box stays there, Enter there creates the
// index, Esc there leaves without one.
TEST_F(IndexesTest, EnterInTheNameBoxCreatesTheIndexAndEscLeaves)
{
    local({"CREATE TABLE T (A INTEGER, B INTEGER)"});
    frmIndexes w;
    open(w, table("T"));
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        runner.then<frmIndex>([key](frmIndex& d) {
            add(d, {"B"});
            QWidget* name = d.txtIndexName->focusProxy();
            QTest::keyClicks(name, "IX_B");
            QTest::keyClick(name, key);
        });
        w.BttNuevo_MouseUp();
    }
    EXPECT_EQ(messages(), QStringList{"64|Indices de la Tabla|No se han recibido datos.\r\n\r\nSe cancela la creación "
                                      "del nuevo índice."});
    const CollectionPtr ix = datatest::sub(tableIndexes("T"), "IX_B");
    ASSERT_TRUE(ix);
    EXPECT_EQ(datatest::valuesOf(datatest::sub(ix, "IndexFields")), QStringList{"B"});
}
