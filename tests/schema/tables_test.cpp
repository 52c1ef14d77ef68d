// The table list window on a local file and, for the other engines, on exact statements.
#include "SchemaTestSupport.h"
#include "schema/frmIndexes.h"
#include "schema/frmNewField.h"
#include "schema/frmTableProperties.h"
#include "schema/frmTables.h"

using namespace schematest;

namespace {

class TableListTest : public SchemaWindowTest {
protected:
    void open(frmTables& w)
    {
        connect(w);
        w.clock = [this] { return now; };
        w.ensureLoaded();
    }
    void search(frmTables& w, const QString& text)
    {
        w.txtSearch->setText(text);
        now = now.addMSecs(999);
        w.tmrSearch_Timer();
        now = now.addMSecs(1);
        w.tmrSearch_Timer();
    }
    void selectTable(frmTables& w, const QString& name)
    {
        const int row = rowOf(*w.fgrTables, name);
        ASSERT_GT(row, 0) << name.toStdString();
        w.fgrTables->setRow(row);
    }
    // The tables listed, the statement sent for the first and the drops it gets.
    QStringList listSendAndDropTheFirst()
    {
        frmTables w;
        open(w);
        QStringList out = column(*w.fgrTables, 1);
        w.fgrTables->setRow(1);
        box->defaultAnswer = 6;
        w.BttAceptar_MouseUp();
        rec->clearLog();
        w.BttEliminar_MouseUp();
        return out << w.sql() << statementsLike("DROP");
    }
    QDateTime now = QDateTime(QDate(2024, 5, 1), QTime(10, 0));
};

const QStringList kThreeTables{
    "CREATE TABLE CLIENTES (A INTEGER NOT NULL, B TEXT(10) NOT NULL, C TEXT(20), CONSTRAINT PK_CLIENTES PRIMARY KEY (A, B))",
    "CREATE TABLE Clientes2 (X INTEGER)", "CREATE TABLE Pedidos (P INTEGER)"};

} // namespace

// The four connection texts each schema window is given read back as written
// and are the values its data-access calls use.
TEST_F(TableListTest, ConnectionTextsReadBackAsWritten)
{
    frmTables w;
    frmTableProperties structure;
    frmIndexes indexes;
    for (schema::ConnectionInputs* c : std::initializer_list<schema::ConnectionInputs*>{&w, &structure, &indexes}) {
        c->setSRV("srv");
        c->setBBDD("Ventas");
        c->setuID("ana");
        c->setPWD("pw");
        EXPECT_EQ(QStringList({c->SRV(), c->BBDD(), c->uID(), c->PWD()}), QStringList({"srv", "Ventas", "ana", "pw"}));
        EXPECT_EQ(c->Connection, (ConnectionValues{0, 0, "srv", "Ventas", "ana", "pw"}));
    }
}

TEST_F(TableListTest, SearchWaitsForAQuietSecondAndAnEmptyListActsOnNothing)
{
    local(kThreeTables);
    frmTables w;
    open(w);
    EXPECT_EQ(column(*w.fgrTables, 1), (QStringList{"CLIENTES", "Clientes2", "Pedidos"}));
    EXPECT_EQ(w.fgrFields->Rows(), 31);

    w.txtSearch->setText("cli");
    EXPECT_TRUE(w.tmrSearch->isActive());
    EXPECT_EQ(w.tmrSearch->interval(), 300);
    now = now.addMSecs(999);
    w.tmrSearch_Timer();
    EXPECT_EQ(w.fgrTables->Rows(), 4);
    now = now.addMSecs(1);
    w.tmrSearch_Timer();
    EXPECT_FALSE(w.tmrSearch->isActive());
    EXPECT_EQ(column(*w.fgrTables, 1), (QStringList{"CLIENTES", "Clientes2"}));

    search(w, "zzz");
    EXPECT_EQ(w.fgrTables->Rows(), 1);
    EXPECT_EQ(w.fgrFields->Rows(), 1);
    box->defaultAnswer = 6;
    w.BttAceptar_MouseUp();
    emit w.fgrTables->DblClick();
    w.BttEliminar_MouseUp();
    w.BttModificar_MouseUp();
    EXPECT_EQ(std::tuple(box->calls.empty(), runner->shown.isEmpty(), w.Cancelled()), std::tuple(true, true, true));
    EXPECT_EQ(tableNames(), (QStringList{"CLIENTES", "Clientes2", "Pedidos"}));
}

TEST_F(TableListTest, SendsTheFirstRowsWithTheKeyInColumnOrderAndDropsAfterAYes)
{
    local(kThreeTables);
    frmTables w;
    open(w);
    selectTable(w, "CLIENTES");
    EXPECT_EQ(column(*w.fgrFields, 1).mid(0, 3), (QStringList{"A", "B", "C"}));
    EXPECT_EQ(w.fgrFields->TextMatrix(2, 2), "Texto");
    EXPECT_EQ(w.fgrFields->TextMatrix(3, 5), "SI");
    EXPECT_EQ(std::tuple(hasPicture(*w.fgrFields, 1, 0), hasPicture(*w.fgrFields, 2, 0), hasPicture(*w.fgrFields, 3, 0)), std::tuple(true, true, false));
    // The fields are read once per table: a column added since is not shown.
    file.exec({"ALTER TABLE CLIENTES ADD COLUMN D INTEGER"});
    selectTable(w, "Pedidos");
    selectTable(w, "CLIENTES");
    w.cboOrder->setCurrentIndex(0);
    EXPECT_EQ(column(*w.fgrFields, 1).mid(0, 4), (QStringList{"A", "B", "C", ""}));

    box->answers = {7};
    w.BttAceptar_MouseUp();
    EXPECT_TRUE(w.Cancelled());
    box->answers = {6};
    w.BttAceptar_MouseUp();
    EXPECT_EQ(messages().last(), "36|Tablas de la Base de Datos|¿Desea enviar a la pantalla principal la siguiente "
                                 "sentencia de consulta sobre la tabla seleccionada?\r\n\r\nSELECT TOP 100 * FROM "
                                 "[CLIENTES]");
    EXPECT_FALSE(w.Cancelled());
    EXPECT_EQ(w.sql(), "SELECT TOP 100 * FROM [CLIENTES]");
    EXPECT_EQ(w.KeyFields(), "A,\r\nB");

    // A drop asks first, then drops and refilters on the next tick.
    search(w, "cli");
    selectTable(w, "CLIENTES");
    box->answers = {7};
    w.BttEliminar_MouseUp();
    EXPECT_EQ(tableNames().size(), 3);
    box->answers = {6};
    w.BttEliminar_MouseUp();
    EXPECT_EQ(messages().last(), "36|Borrado de Tabla|Ha solicitado eliminar la tabla seleccionada.\r\n\r\n¿Desea "
                                 "seguir adelante con la operación?");
    EXPECT_EQ(tableNames(), (QStringList{"Clientes2", "Pedidos"}));
    EXPECT_TRUE(w.tmrSearch->isActive());
    w.tmrSearch_Timer();
    EXPECT_EQ(column(*w.fgrTables, 1), (QStringList{"Clientes2"}));
    // The close box leaves as Salir, whatever was accepted before.
    w.show();
    w.close();
    EXPECT_EQ(std::tuple(w.isHidden(), w.Cancelled()), std::tuple(true, true));
}

// SQL Server brackets names with their closing bracket doubled; Oracle sends them bare.
TEST_F(TableListTest, NamesAreQuotedAsTheEngineWants)
{
    recorded(1);
    db::TableInfo t;
    t.name = "a]b";
    t.type = "TABLE";
    t.columns.resize(1);
    t.columns[0].name = "X";
    rec->setTables({t});
    EXPECT_EQ(listSendAndDropTheFirst(), (QStringList{"a]b", "SELECT TOP 100 * FROM [a]]b]", "DROP TABLE [a]]b]"}));

    db::RecordingBackend::uninstall();
    recorded(3, 2);
    rec->answerRows("SELECT DISTINCT TABLE_NAME FROM USER_TABLES WHERE TABLE_NAME NOT LIKE '%.%' ORDER BY 1",
                    {"TABLE_NAME"}, datatest::Rows{{Variant("CLIENTES")}});
    EXPECT_EQ(listSendAndDropTheFirst(),
              (QStringList{"CLIENTES", "SELECT * FROM CLIENTES WHERE ROWNUM <= 100", "DROP TABLE CLIENTES"}));
}

TEST_F(TableListTest, NewAndModifyGoThroughTheStructureWindowAndTheListIsReadAgain)
{
    local(kThreeTables);
    frmTables w;
    open(w);
    search(w, "e"); // CLIENTES, Clientes2, Pedidos
    runner.then<frmTableProperties>([](frmTableProperties& s) {
        EXPECT_EQ(s.EditionMode(), "A");
        EXPECT_EQ(s.windowTitle(), "Estructura de Tabla (Nueva)");
        s.txtTableName->setText("Envios");
        s.BttAñadir_MouseUp(); // the field dialog is the next step
        s.BttAceptar_MouseUp();
    });
    runner.then<frmNewField>([](frmNewField& d) {
        d.setFieldName("Id");
        d.setDataType(3);
        d.BttAceptar_MouseUp();
    });
    w.BttNueva_MouseUp();
    EXPECT_EQ(runner->shown, (QStringList{"frmTableProperties", "frmNewField"}));
    EXPECT_EQ(tableNames(), (QStringList{"CLIENTES", "Clientes2", "Envios", "Pedidos"}));
    EXPECT_TRUE(w.tmrSearch->isActive());
    w.tmrSearch_Timer(); // within one tick, filtered as before
    EXPECT_EQ(column(*w.fgrTables, 1), (QStringList{"CLIENTES", "Clientes2", "Envios", "Pedidos"}));

    selectTable(w, "CLIENTES");
    runner.then<frmTableProperties>([](frmTableProperties& s) {
        EXPECT_EQ(s.EditionMode(), "M");
        s.fgrFields->setRow(3);
        s.txtFieldName->setText("Z");
        s.BttAceptar_MouseUp();
    });
    w.BttModificar_MouseUp();
    w.tmrSearch_Timer();
    EXPECT_EQ(w.fgrTables->TextMatrix(w.fgrTables->Row(), 1), "CLIENTES");
    EXPECT_EQ(column(*w.fgrFields, 1).mid(0, 3), (QStringList{"A", "B", "Z"}));
    EXPECT_EQ(w.KeyFields(), "A,\r\nB");
    EXPECT_TRUE(box->calls.empty()) << messages().join("\n").toStdString();
}
