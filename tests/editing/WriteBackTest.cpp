// The write-back on the recording backend: exact statements and their order,
// one transaction, exact row counts, and what a failure leaves behind.
#include "editing/EditingFixture.h"

using Answer = db::RecordingBackend::Answer;
using Kind = db::RecordingBackend::EventKind;

namespace {

// Orders #3, #5 and #8 can be read.
class Devolucion : public Grabado {
protected:
    void SetUp() override
    {
        Grabado::SetUp();
        respuestaPedido(3, "Ana", 1.0, false);
        respuestaPedido(5, "Luis", 2.0, false);
        respuestaPedido(8, "Eva", 3.0, true);
    }
    // Marks #3 and #8 for deletion, edits #5 (Importe, then Cliente after a new
    // record was added) and fills a new record.
    clsMultiTablaPtr sesion()
    {
        auto ot = abrir();
        cargar(ot, {"#5"}, {"#3", "#8"});
        cargar(ot, {"#5"});
        ot->setValorCampo("Pedidos.Importe", Variant("7,25"));
        poner(ot,
              {{"Pedidos.Codigo", "9"},
               {"Pedidos.Cliente", "Eva"},
               {"Pedidos.Importe", "1234,5"},
               {"Pedidos.Pagado", "S"}},
              Variant(ot->NuevoRegistro()));
        ot->setValorCampo("Pedidos.Cliente", Variant("O'Brien"), Variant("#5"));
        return ot;
    }
};

} // namespace

TEST_F(Devolucion, WritesDeletionsThenInsertionsAndUpdatesInOneTransaction)
{
    rec->answerRegex("^DELETE ", Answer::affected(2));
    rec->answerRegex("^(UPDATE|INSERT) ", Answer::affected(1));
    auto ot = sesion();
    ASSERT_EQ(ot->RegistrosEditados(), 4);

    rec->clearLog();
    ASSERT_TRUE(ot->ActualizarBBDD());
    EXPECT_EQ(escrituras(),
              (QStringList{
                  "DELETE FROM Pedidos WHERE Codigo IN (3,8)",
                  "INSERT INTO Pedidos (Codigo, Cliente, Importe, Pagado, Fecha) VALUES (9,'Eva',1234.5,1,NULL)",
                  "UPDATE Pedidos SET Importe = 7.25, Cliente = 'O''Brien' WHERE Codigo = 5",
              }));
    EXPECT_EQ(cuenta(Kind::Begin), 1);
    EXPECT_EQ(cuenta(Kind::Commit), 1);
    EXPECT_EQ(cuenta(Kind::Rollback), 0);
    EXPECT_EQ(ot->RegistrosEditados(), 0);
    EXPECT_EQ(ot->ModoEdicion("#3"), QString());
    EXPECT_EQ(ot->Count(), 2); // #5 and the new record stay held, the deleted ones go
    EXPECT_EQ(ot->CuantosBloqueos(), 0);
    EXPECT_TRUE(dialogos->calls.empty());
}

TEST_F(Grabado, DeletesByEachKeyFieldWhenTheKeyHasSeveral)
{
    for (const auto& [serie, numero] : {std::pair{"A", 12}, std::pair{"B", 7}})
        rec->answer(QString("SELECT Facturas.* FROM Facturas WHERE Facturas.Serie = '%1' AND Facturas.Numero = %2")
                        .arg(serie)
                        .arg(numero),
                    respuesta({campo("Serie", db::adVarWChar), campo("Numero", db::adInteger)},
                              {{serie, std::int32_t(numero)}}));
    rec->answerRegex("^DELETE ", Answer::affected(1));
    auto ot = abrir("Facturas", {"Facturas.Serie", "Facturas.Numero"});
    cargar(ot, {"#A#12", "#B#7"});
    EXPECT_EQ(ot->KeyRegistro(1), "#A#12");
    cargar(ot, {}, {"#A#12", "#B#7"});
    ASSERT_TRUE(ot->ActualizarBBDD());
    EXPECT_EQ(escrituras(), (QStringList{"DELETE FROM Facturas WHERE Serie = 'A' AND Numero = 12",
                                         "DELETE FROM Facturas WHERE Serie = 'B' AND Numero = 7"}));
}

TEST_F(Devolucion, AFailureAtTheSecondStatementRollsEverythingBackAndKeepsTheEdits)
{
    rec->answerRegex("^DELETE ", Answer::affected(2));
    rec->answerRegex("^INSERT ", Answer::failure(Error::DatabaseError, "clave duplicada"));
    auto ot = sesion();
    rec->clearLog();
    EXPECT_FALSE(ot->ActualizarBBDD());
    EXPECT_EQ(escrituras().size(), 2);
    EXPECT_EQ(cuenta(Kind::Rollback), 1);
    EXPECT_EQ(cuenta(Kind::Commit), 0);
    EXPECT_EQ(ot->RegistrosEditados(), 4);
    EXPECT_EQ(ot->ModoEdicion("#3"), "B");
    EXPECT_EQ(ot->ModoEdicion("#5"), "M");
    EXPECT_EQ(ot->Count(), 4); // nothing dropped from the held rows
    ASSERT_FALSE(dialogos->calls.empty());
    EXPECT_TRUE(dialogos->calls.back().prompt.contains("clave duplicada"));
    EXPECT_EQ(dialogos->calls.back().style, 16);
}

// An UPDATE that touches two rows, or a DELETE of two that finds one gone, undoes it all.
TEST_F(Devolucion, ARowCountOtherThanTheRecordsTargetedRollsBack)
{
    rec->answerRegex("^UPDATE ", Answer::affected(2));
    rec->answerRegex("^DELETE ", Answer::affected(1));
    for (const bool borrar : {false, true}) {
        auto ot = abrir();
        cargar(ot, borrar ? QStringList{} : QStringList{"#5"}, borrar ? QStringList{"#3", "#8"} : QStringList{});
        if (!borrar)
            ot->setValorCampo("Pedidos.Cliente", Variant("Otro"));
        rec->clearLog();
        dialogos->calls.clear();
        EXPECT_FALSE(ot->ActualizarBBDD());
        EXPECT_EQ(cuenta(Kind::Rollback), 1);
        EXPECT_EQ(cuenta(Kind::Commit), 0);
        EXPECT_EQ(ot->RegistrosEditados(), borrar ? 2 : 1);
        ASSERT_EQ(dialogos->calls.size(), 1u);
        EXPECT_TRUE(borrar || dialogos->calls[0].prompt.contains("ha afectado a 2 registros"));
    }
}

TEST_F(Devolucion, AValueThatDoesNotConvertStopsBeforeAnythingIsSent)
{
    auto ot = abrir();
    cargar(ot, {"#5"}, {"#3"});
    poner(ot, {{"Pedidos.Importe", "doce"}}, Variant("#5"));
    EXPECT_EQ(ot->ModoEdicion("#5"), "M");
    rec->clearLog();
    EXPECT_FALSE(ot->ActualizarBBDD());
    EXPECT_TRUE(escrituras().isEmpty());
    EXPECT_EQ(cuenta(Kind::Begin), 0);
    EXPECT_EQ(ot->RegistrosEditados(), 2);
    ASSERT_EQ(dialogos->calls.size(), 1u);
    EXPECT_TRUE(dialogos->calls[0].prompt.startsWith("No se ha guardado ningún cambio"));
    EXPECT_TRUE(dialogos->calls[0].prompt.contains("doce"));
}

TEST_F(Grabado, QuotesColumnNamesThatAreNoPlainWords)
{
    const std::vector<db::FieldInfo> campos = {campo("Order ID", db::adInteger), campo("Unit Price", db::adCurrency)};
    rec->answer("SELECT [Order Details].* FROM [Order Details] WHERE [Order Details].[Order ID] = 1",
                respuesta(campos, {{std::int32_t(1), Currency::fromScaled(20000)}}));
    tabla("[Order Details]", campos);
    rec->answerRegex("^UPDATE ", Answer::affected(1));
    auto ot = abrir("[Order Details]", {"[Order Details].Order ID"});
    cargar(ot, {"#1"});
    ot->setValorCampo("[Order Details].Unit Price", Variant("2"));
    EXPECT_EQ(ot->ModoEdicion("#1"), QString()); // 2 is what it holds
    ot->setValorCampo("[Order Details].Unit Price", Variant("3,5"));
    ASSERT_TRUE(ot->ActualizarBBDD());
    EXPECT_EQ(escrituras(), QStringList{"UPDATE [Order Details] SET [Unit Price] = 3.5 WHERE [Order ID] = 1"});
}
