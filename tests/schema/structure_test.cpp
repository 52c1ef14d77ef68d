// The table structure window and the field dialog it opens.
#include "SchemaTestSupport.h"
#include "../messages/FakeTranslationStore.h"
#include "messages/TranslationText.h"
#include "schema/frmNewField.h"
#include "schema/frmTableProperties.h"
#include "support/EventSteps.h"

#include <QApplication>
#include <QTest>

using namespace schematest;

namespace {

class StructureTest : public SchemaWindowTest {
protected:
    // Adds a field through the scripted field dialog (at a position when one is given).
    void addField(frmTableProperties& w, const QString& name, int type, bool nulls, int position = -1)
    {
        runner.then<frmNewField>([=](frmNewField& d) {
            d.setFieldName(name);
            d.setDataType(std::int16_t(type));
            d.setAllowNull(nulls);
            if (position >= 0)
                d.setFieldPosition(position);
            d.BttAceptar_MouseUp();
        });
        w.BttAñadir_MouseUp();
    }
    void newTable(frmTableProperties& w, bool withFields = true)
    {
        connect(w);
        w.setEditionMode("A");
        w.ensureLoaded();
        w.txtTableName->setText("T");
        if (withFields)
            addFields(w);
    }
    void addFields(frmTableProperties& w)
    {
        addField(w, "A", 3, false);
        addField(w, "B", 8, true);
        w.toggleMark(1);
        box->answers = {6};
        w.BttKey_MouseUp();
    }
    void openTable(frmTableProperties& w, const QString& name)
    {
        connect(w);
        w.setEditionMode("M");
        w.setCurrentTable(table(name));
        w.ensureLoaded();
    }
    void rename(frmTableProperties& w, const QString& from, const QString& to)
    {
        w.fgrFields->setRow(rowOf(*w.fgrFields, from, 3));
        w.txtFieldName->setText(to);
    }
    QStringList rowsOfT()
    {
        QString sql = "SELECT * FROM T ORDER BY A", s = srv, d = bbdd, u = uid, p = pwd;
        // The values only: a renamed column changes the title line.
        return zolt->Query(sql, s, d, u, p, "CSV").toString().split(QRegularExpression("[\r\n]+"), Qt::SkipEmptyParts).mid(1);
    }
    const QStringList kTableWithRows{
        "CREATE TABLE T (A INTEGER NOT NULL, B TEXT(20), D TEXT(5), CONSTRAINT PK_T PRIMARY KEY (A), UNIQUE (D))",
        "CREATE INDEX IX ON T (B)", "INSERT INTO T (A, B, D) VALUES (1, 'uno', 'x')",
        "INSERT INTO T (A, B, D) VALUES (2, 'dos', 'y')"};
    // The field dialog for a new field after five, shown and active when asked.
    void open(frmNewField& d, bool shown = false)
    {
        give(d);
        d.setEditionMode("A");
        d.setPreviousFieldsCount(5);
        if (!shown)
            return;
        ASSERT_TRUE(steps::showActive(d));
    }
};

} // namespace

TEST_F(StructureTest, NewTableOnSqlServerNeedsAFieldAndIsCreatedWithItsKey)
{
    recorded(0);
    frmTableProperties w;
    newTable(w, false);
    rec->clearLog();
    w.BttAceptar_MouseUp();
    EXPECT_EQ(messages(), QStringList{"64|Estructura de Tabla|Para crear una tabla debe tener definido algún campo."});
    EXPECT_TRUE(rec->statements().isEmpty());
    addFields(w);
    EXPECT_EQ(w.fgrFields->TextMatrix(1, 3), "     A");
    EXPECT_TRUE(hasPicture(*w.fgrFields, 1, 3));
    EXPECT_FALSE(w.BttIndexes->isVisibleTo(&w));
    EXPECT_EQ(w.BttAñadir->objectName(), "BttAñadir"); // names are data: the translation owners
    rec->clearLog();
    w.BttAceptar_MouseUp();
    EXPECT_EQ(statementsLike("CREATE"),
              QStringList{"CREATE TABLE [T] ([A] INT NOT NULL, [B] NVARCHAR(50), CONSTRAINT PK_T PRIMARY KEY ([A]))"});
    EXPECT_EQ(w.result(), 1);
}

TEST_F(StructureTest, NewTableOnALocalFileHasThatKey)
{
    local({});
    frmTableProperties w;
    newTable(w);
    w.BttAceptar_MouseUp();
    ASSERT_EQ(w.result(), 1) << messages().join("\n").toStdString();
    const CollectionPtr pk = tableIndexes("T")->Item(Variant(1)).as<Collection>();
    EXPECT_TRUE(datatest::at(pk, "IsPrimaryKey").toBool());
    EXPECT_EQ(datatest::valuesOf(datatest::sub(pk, "IndexFields")), QStringList{"A"});
}

TEST_F(StructureTest, FieldsMoveAddAndAreGuardedByTheirIndexes)
{
    local(kTableWithRows);
    frmTableProperties w;
    openTable(w, "T");
    EXPECT_EQ(column(*w.fgrFields, 3), (QStringList{"     A", "     B", "     D"}));
    w.fgrFields->setRow(2);
    w.txtFieldPosition->setText("0"); // the numeric box lets no lone "-" through; below 1 means first
    EXPECT_EQ(column(*w.fgrFields, 3), (QStringList{"     B", "     A", "     D"}));
    w.txtFieldPosition->setText("3");
    EXPECT_EQ(column(*w.fgrFields, 3), (QStringList{"     A", "     D", "     B"}));
    EXPECT_EQ(w.fgrFields->Row(), 3);
    EXPECT_EQ(w.CurrentField()->NewFieldName(), "B");

    w.toggleMark(3);
    EXPECT_TRUE(w.BttEliminar->isVisibleTo(&w));
    w.BttEliminar_MouseUp();
    EXPECT_EQ(messages().last(), "64|Estructura de Tabla|El campo B no se puede eliminar porque está incluido en el "
                                 "índice IX. Para eliminarlo debe quitarlo previamente de dicho índice.");

    addField(w, "E", 3, true, 0);
    EXPECT_EQ(column(*w.fgrFields, 3).first(), "     E");
    EXPECT_FALSE(w.BttIndexes->isVisibleTo(&w));
}

TEST_F(StructureTest, BadNamesOrATypelessConnectionAreRefusedAndARenameKeepsTheRowsAndTheIndex)
{
    local(kTableWithRows);
    const QStringList before = rowsOfT();
    ASSERT_EQ(before.size(), 2);
    const QString tail = "\r\n\r\nSe anula el guardado de la tabla.";
    const QStringList expected{"64|Estructura de Tabla|El campo de la posición 2 no tiene nombre." + tail,
                               "64|Estructura de Tabla|Hay más de un campo con el nombre a." + tail,
                               "64|Estructura de Tabla|Este tipo de conexión no permite crear ni modificar tablas." + tail,
                               "64|Estructura de Tabla|La tabla T se ha guardado, pero no se han podido volver a crear "
                               "los índices sqlite_autoindex_T_1."};
    // The refusals come before the rebuild; the last, a good rename, rebuilds: both keep the rows.
    for (int i = 0; i < 4; ++i) {
        frmTableProperties w;
        openTable(w, "T");
        if (i == 2)
            zolt->setConnectionType(3);
        else
            rename(w, "B", QStringList{"  ", "a", "", "C"}[i]);
        box->calls.clear();
        w.BttAceptar_MouseUp();
        zolt->setConnectionType(2);
        EXPECT_EQ(messages(), QStringList{expected[i]});
        EXPECT_EQ(w.result(), i == 3 ? 1 : 0);
        EXPECT_EQ(rowsOfT(), before);
        EXPECT_EQ(tableNames(), QStringList{"T"});
    }
    const CollectionPtr ix = datatest::sub(tableIndexes("T"), "IX");
    ASSERT_TRUE(ix);
    EXPECT_EQ(datatest::valuesOf(datatest::sub(ix, "IndexFields")), QStringList{"C"});
}

// The rebuild and the indexes put back are one change: when the last index
// cannot be made again, the table stays as it was (its columns, rows and
// every index) and the window stays open.
TEST_F(StructureTest, AnIndexThatCannotBeMadeAgainLeavesTheOldTableWhole)
{
    // A partial unique index comes back whole, which the rows refuse.
    local({"CREATE TABLE T (A INTEGER NOT NULL, B TEXT(20), D TEXT(5), CONSTRAINT PK_T PRIMARY KEY (A))",
           "CREATE INDEX IX ON T (B)", "INSERT INTO T (A, B, D) VALUES (1, 'uno', 'x')",
           "INSERT INTO T (A, B, D) VALUES (2, 'dos', 'x')", "CREATE UNIQUE INDEX UX ON T (D) WHERE D <> 'x'"});
    const QString schemaSql = "SELECT type, name, sql FROM sqlite_master ORDER BY name";
    const QStringList schema = file.rows(schemaSql), rows = rowsOfT();
    ASSERT_EQ(rows.size(), 2);
    frmTableProperties w;
    openTable(w, "T");
    rename(w, "B", "C");
    box->calls.clear();
    w.BttAceptar_MouseUp();
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].startsWith("64|Estructura de Tabla|No se ha podido volver a crear el índice UX, por lo que "
                                         "no se ha guardado ningún cambio de la tabla T.\r\n\r\n"))
        << messages()[0].toStdString();
    EXPECT_EQ(w.result(), 0);
    EXPECT_EQ(std::pair(file.rows(schemaSql), rowsOfT()), std::pair(schema, rows));
    EXPECT_FALSE(zolt->TransactionOpen());
}

// A rebuild that raises halfway (the table went behind the window's back) is
// reported, undone, and leaves no transaction open on the connection.
TEST_F(StructureTest, ARebuildThatRaisesIsReportedAndItsTransactionUndone)
{
    local(kTableWithRows);
    frmTableProperties w;
    openTable(w, "T");
    rename(w, "B", "C");
    file.exec({"ALTER TABLE T RENAME TO T2"});
    box->calls.clear();
    w.BttAceptar_MouseUp();
    EXPECT_EQ(std::tuple(messages().size(), w.result(), zolt->TransactionOpen()), std::tuple(1, 0, false))
        << messages().join('\n').toStdString();
    // The connection is free again: the next statement is not inside the lost change.
    file.exec({"ALTER TABLE T2 RENAME TO T"});
    EXPECT_EQ(rowsOfT().size(), 2);
}

// The field dialog on its own, with the same fixture.
using FieldDialogTest = StructureTest;

TEST_F(FieldDialogTest, BlanksInTheNameAreAskedAbout)
{
    // The question's style and title are pinned with its translation below.
    const struct {
        int answer;
        QString name;
        bool cancelled;
    } cases[] = {{6, "mi_campo", false}, {7, "mi campo", false}, {2, "mi campo", true}};
    for (const auto& c : cases) {
        box->calls.clear();
        frmNewField d;
        open(d, true);
        d.setFieldPosition(6);
        d.setFieldName(" mi campo ");
        d.setDataType(8);
        d.txtFieldPosition->setFocus();
        box->answers = {c.answer};
        d.BttAceptar_MouseUp();
        ASSERT_EQ(box->calls.size(), 1u);
        EXPECT_TRUE(box->calls[0].body.contains("Si responde que SI se usará mi_campo\r\n"));
        EXPECT_EQ(d.FieldName(), c.name);
        EXPECT_EQ(d.Cancelled(), c.cancelled);
        if (c.cancelled) { // Cancel: back to the name
            EXPECT_EQ(QApplication::focusWidget(), d.txtFieldName->Casilla());
        }
    }
}

TEST_F(FieldDialogTest, PositionBeyondTheLastIsAskedBelowOneIsFirstAndTheTypeSetsLengthAndNulls)
{
    frmNewField d;
    open(d);
    d.setFieldName("N");
    d.setDataType(3);
    EXPECT_EQ(d.FieldLenght(), 4);
    d.setFieldPosition(6);
    d.BttAceptar_MouseUp();
    EXPECT_TRUE(box->calls.empty());
    EXPECT_FALSE(d.Cancelled());

    d.close();
    EXPECT_TRUE(d.Cancelled());
    d.setFieldPosition(7);
    box->answers = {7};
    d.BttAceptar_MouseUp();
    EXPECT_EQ(messages(), QStringList{"36|Nuevo Campo|La posición del campo no puede superar en más de una unidad el "
                                      "número de campos actual, que son 5.\r\n\r\n¿Desea insertarlo en última posición?"});
    EXPECT_TRUE(d.Cancelled());
    box->answers = {6};
    d.BttAceptar_MouseUp();
    EXPECT_FALSE(d.Cancelled());

    d.setFieldPosition(0);
    d.BttAceptar_MouseUp();
    EXPECT_EQ(d.FieldPosition(), 1);

    // A text's length and a counter's nulls follow the type list, on a fresh dialog.
    frmNewField e;
    e.setEditionMode("A");
    e.setDataType(8);
    EXPECT_EQ(e.txtFieldLenght->Text(), "50");
    e.txtFieldLenght->setText("120");
    e.EvaluateFieldType();
    EXPECT_EQ(e.FieldLenght(), 120);
    // A length the opener writes shows as a number and outlives evaluating the same type.
    e.setFieldLenght(255);
    EXPECT_EQ(e.txtFieldLenght->Text(), "255");
    e.EvaluateFieldType();
    EXPECT_EQ(e.FieldLenght(), 255);
    e.setAllowNull(true);
    e.setDataType(3);
    EXPECT_EQ(std::tuple(e.AllowNull(), e.chkNullAllowed->isEnabled(), e.chkAutoIncreased->isEnabled()), std::tuple(true, true, true));
    e.chkAutoIncreased->click();
    EXPECT_EQ(std::tuple(e.AutoIncrease(), e.AllowNull(), e.chkNullAllowed->isEnabled()), std::tuple(true, false, false));
    e.chkAutoIncreased->click();
    EXPECT_EQ(std::tuple(e.chkNullAllowed->isEnabled(), e.AllowNull()), std::tuple(true, false));
}

TEST_F(StructureTest, APressOnTheCheckColumnOfADataRowMarksIt)
{
    local(kTableWithRows);
    frmTableProperties w;
    openTable(w, "T");
    w.show();
    QTableView* view = w.fgrFields->innerGrid();
    auto press = [&](int row, int col) {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(row - 1, col)).center());
    };
    press(2, 2);
    EXPECT_EQ(column(*w.fgrFields, 0), (QStringList{"Unchecked", "Checked", "Unchecked"}));
    EXPECT_EQ(w.CurrentField()->FieldName(), "B");
    EXPECT_TRUE(w.BttEliminar->isVisibleTo(&w));
    press(3, 3); // the name column shows the field and marks nothing
    EXPECT_EQ(column(*w.fgrFields, 0), (QStringList{"Unchecked", "Checked", "Unchecked"}));
    EXPECT_EQ(w.CurrentField()->FieldName(), "D");
    press(2, 2);
    EXPECT_EQ(column(*w.fgrFields, 0), (QStringList{"Unchecked", "Unchecked", "Unchecked"}));
    EXPECT_FALSE(w.BttEliminar->isVisibleTo(&w));
}

TEST_F(FieldDialogTest, ABlankBoxIsNamedAndTakesTheFocus)
{
    struct Case {
        QString name, position;
        int type;
        QString message;
    };
    const QList<Case> cases{{"", "1", 3, "El nombre del campo"},
                            {"N", "", 3, "La posición del campo"},
                            {"N", "1", -1, "El tipo de dato"},
                            {"N", "1", 8, "La longitud del campo"}};
    for (const Case& c : cases) {
        box->calls.clear();
        frmNewField d;
        open(d, true);
        d.setFieldName(c.name);
        d.txtFieldPosition->setText(c.position);
        if (c.type >= 0)
            d.setDataType(std::int16_t(c.type));
        if (c.type == 8)
            d.txtFieldLenght->setText("");
        d.BttAceptar_MouseUp();
        EXPECT_EQ(messages(), QStringList{"64|Aviso|" + c.message + " no puede estar en blanco"});
        EXPECT_TRUE(d.Cancelled());
        QWidget* blank = c.type < 0 ? static_cast<QWidget*>(d.cboFieldDataType)
                         : c.message.startsWith("El nombre") ? d.txtFieldName->Casilla()
                         : c.message.startsWith("La pos")    ? d.txtFieldPosition->Casilla()
                                                             : d.txtFieldLenght->Casilla();
        EXPECT_EQ(QApplication::focusWidget(), blank) << c.message.toStdString();
    }
}

TEST_F(FieldDialogTest, TheQuestionsCarryTheNameAndTheCountAsValuesTranslationKeeps)
{
    // Translated through their fixed text alone: a value outside its block would miss the translation.
    auto store = std::make_shared<FakeTranslationStore>();
    const QString blanks =
        "Se han detectado espacios dentro del nombre del campo. Se recomienda usar nombres sin espacios para facilitar el "
        "mantenimiento y posteriores consultas.\r\n\r\n¿Desea sustituir los espacios por el carácter guión "
        "bajo?\r\n\r\nSi responde que SI se usará {1}\r\nSi responde que NO se guardará como está\r\nSi responde "
        "CANCEL se anulará el guardado y podrá modificarlo";
    store->huge.push_back({TranslationText::hugeKey(blanks), blanks, "Use {1}?", "", "", "", "", "test"});
    store->addRow("La posición del campo no puede superar en más de una unidad el número de campos actual, que son "
                  "{1}.\r\n\r\n¿Desea insertarlo en última posición?",
                  1, "Only {1} fields. Last?");
    msg->setTranslationStore(store);
    msg->setLanguage("Language1");
    frmNewField d;
    open(d);
    d.setFieldName("mi campo");
    d.setDataType(3);
    d.setFieldPosition(7);
    box->answers = {7, 7};
    d.BttAceptar_MouseUp();
    EXPECT_EQ(messages(), (QStringList{"35|Nuevo Campo|Use mi_campo?", "36|Nuevo Campo|Only 5 fields. Last?"}));
}

// The field dialog sees the keys typed in its controls first, and takes only
// Enter and Esc: a name typed in its box stays there, Enter there adds the
// field, and Esc leaves from any control, the number boxes included.
TEST_F(StructureTest, EnterInTheFieldDialogsNameBoxAddsTheFieldAndEscLeavesFromAnyControl)
{
    frmTableProperties w;
    newTable(w, false);
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        runner.then<frmNewField>([key](frmNewField& d) {
            d.setDataType(3);
            QWidget* name = d.txtFieldName->focusProxy();
            QTest::keyClicks(name, "C");
            QTest::keyClick(name, key);
        });
        w.BttAñadir_MouseUp();
    }
    EXPECT_EQ(column(*w.fgrFields, 3), QStringList{"C"});
    // The structure window takes only Esc: typing and Enter stay the boxes' own.
    w.show();
    QWidget* name = w.txtFieldName->focusProxy();
    QTest::keyClicks(name, "X");
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(std::tuple(column(*w.fgrFields, 3), w.isVisible()), std::tuple(QStringList{"CX"}, true));
    QTest::keyClick(w.txtFieldPosition->focusProxy(), Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());

    const auto opened = [this](frmNewField& d) {
        open(d);
        d.setDataType(8); // every control enabled
        d.show();
    };
    frmNewField first;
    opened(first);
    const qsizetype controls = keyTargets(first).size();
    EXPECT_GE(controls, 10);
    for (qsizetype i = 0; i < controls; ++i) {
        frmNewField d;
        opened(d);
        QWidget* target = keyTargets(d)[i];
        QTest::keyClick(target, Qt::Key_Escape);
        EXPECT_EQ(std::tuple(d.isVisible(), d.Cancelled()), std::tuple(false, true))
            << target->parentWidget()->objectName().toStdString();
    }
}
