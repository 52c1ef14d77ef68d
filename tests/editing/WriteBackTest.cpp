// The write-back on the recording backend: exact statements and their order,
// one transaction, exact row counts, and what a failure leaves behind.
#include "editing/EditingFixture.h"

using Answer = db::RecordingBackend::Answer;
using Kind = db::RecordingBackend::EventKind;

namespace {

// Loads #3, #5 and #8; marks #3 and #8 for deletion, edits #5 (Importe, then
// Cliente after a new record was added) and fills a new record.
clsMultiTablaPtr sesion(Grabado& g, clsMultiTablaPtr ot)
{
    for (const char* k : {"#3", "#5", "#8"})
        EXPECT_TRUE(ot->ExisteRegistro(Variant(k))) << k;
    EXPECT_TRUE(ot->BorrarRegistro(Variant("#3")));
    EXPECT_TRUE(ot->BorrarRegistro(Variant("#8")));
    EXPECT_TRUE(ot->ExisteRegistro(Variant("#5")));
    ot->setValorCampo("Pedidos.Importe", Variant("7,25"));
    const QString nuevo = ot->NuevoRegistro();
    ot->setValorCampo("Pedidos.Codigo", Variant("9"), Variant(nuevo));
    ot->setValorCampo("Pedidos.Cliente", Variant("Eva"), Variant(nuevo));
    ot->setValorCampo("Pedidos.Importe", Variant("1234,5"), Variant(nuevo));
    ot->setValorCampo("Pedidos.Pagado", Variant("S"), Variant(nuevo));
    ot->setValorCampo("Pedidos.Cliente", Variant("O'Brien"), Variant("#5"));
    (void)g;
    return ot;
}

} // namespace

TEST_F(Grabado, WritesDeletionsThenInsertionsAndUpdatesInOneTransaction)
{
    respuestaPedido(3, "Ana", 1.0, false);
    respuestaPedido(5, "Luis", 2.0, false);
    respuestaPedido(8, "Eva", 3.0, true);
    rec->answerRegex("^DELETE ", Answer::affected(2));
    rec->answerRegex("^(UPDATE|INSERT) ", Answer::affected(1));
    auto ot = sesion(*this, abrir());
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
    for (const auto& [serie, numero] : {std::pair{"A", 12}, std::pair{"B", 7}}) {
        Answer a;
        a.fields = {campo("Serie", db::adVarWChar), campo("Numero", db::adInteger), campo("Total", db::adDouble)};
        a.rows = {{Variant(serie), Variant(std::int32_t(numero)), Variant(1.0)}};
        rec->answer(QString("SELECT Facturas.* FROM Facturas WHERE Facturas.Serie = '%1' AND Facturas.Numero = %2")
                        .arg(QString::fromUtf8(serie))
                        .arg(numero),
                    a);
    }
    rec->answerRegex("^DELETE ", Answer::affected(1));
    auto ot = abrir("Facturas", {"Facturas.Serie", "Facturas.Numero"});
    ASSERT_TRUE(ot->ExisteRegistro(Variant("#A#12")));
    ASSERT_TRUE(ot->ExisteRegistro(Variant("#B#7")));
    EXPECT_EQ(ot->KeyRegistro(1), "#A#12");
    ASSERT_TRUE(ot->BorrarRegistro(Variant("#A#12")));
    ASSERT_TRUE(ot->BorrarRegistro(Variant("#B#7")));
    ASSERT_TRUE(ot->ActualizarBBDD());
    EXPECT_EQ(escrituras(), (QStringList{"DELETE FROM Facturas WHERE Serie = 'A' AND Numero = 12",
                                         "DELETE FROM Facturas WHERE Serie = 'B' AND Numero = 7"}));
}

TEST_F(Grabado, AFailureAtTheSecondStatementRollsEverythingBackAndKeepsTheEdits)
{
    respuestaPedido(3, "Ana", 1.0, false);
    respuestaPedido(5, "Luis", 2.0, false);
    respuestaPedido(8, "Eva", 3.0, true);
    rec->answerRegex("^DELETE ", Answer::affected(2));
    rec->answerRegex("^INSERT ", Answer::failure(Error::DatabaseError, "clave duplicada"));
    auto ot = sesion(*this, abrir());
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

TEST_F(Grabado, AnUpdateThatTouchesTwoRowsIsRolledBack)
{
    respuestaPedido(5, "Luis", 2.0, false);
    rec->answerRegex("^UPDATE ", Answer::affected(2));
    auto ot = abrir();
    ASSERT_TRUE(ot->ExisteRegistro(Variant("#5")));
    ot->setValorCampo("Pedidos.Cliente", Variant("Otro"));
    rec->clearLog();
    EXPECT_FALSE(ot->ActualizarBBDD());
    EXPECT_EQ(cuenta(Kind::Rollback), 1);
    EXPECT_EQ(cuenta(Kind::Commit), 0);
    EXPECT_EQ(ot->ModoEdicion("#5"), "M");
    ASSERT_EQ(dialogos->calls.size(), 1u);
    EXPECT_TRUE(dialogos->calls[0].prompt.contains("ha afectado a 2 registros"));
}

TEST_F(Grabado, ADeleteThatMissesARowIsRolledBack)
{
    respuestaPedido(3, "Ana", 1.0, false);
    respuestaPedido(8, "Eva", 3.0, true);
    rec->answerRegex("^DELETE ", Answer::affected(1)); // one of the two was gone
    auto ot = abrir();
    ASSERT_TRUE(ot->ExisteRegistro(Variant("#3")));
    ASSERT_TRUE(ot->ExisteRegistro(Variant("#8")));
    ot->BorrarRegistro(Variant("#3"));
    ot->BorrarRegistro(Variant("#8"));
    EXPECT_FALSE(ot->ActualizarBBDD());
    EXPECT_EQ(cuenta(Kind::Rollback), 1);
    EXPECT_EQ(ot->RegistrosEditados(), 2);
}

TEST_F(Grabado, AValueThatDoesNotConvertStopsBeforeAnythingIsSent)
{
    respuestaPedido(3, "Ana", 1.0, false);
    respuestaPedido(5, "Luis", 2.0, false);
    auto ot = abrir();
    ASSERT_TRUE(ot->ExisteRegistro(Variant("#3")));
    ot->BorrarRegistro(Variant("#3"));
    ASSERT_TRUE(ot->ExisteRegistro(Variant("#5")));
    ot->setValorCampo("Pedidos.Importe", Variant("doce"));
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
    Answer estructura;
    estructura.fields = {campo("Order ID", db::adInteger), campo("Unit Price", db::adCurrency)};
    rec->answer("SELECT * FROM [Order Details] WHERE 1 = 2", estructura);
    Answer fila = estructura;
    fila.rows = {{Variant(std::int32_t(1)), Variant(Currency::fromScaled(20000))}};
    rec->answer("SELECT [Order Details].* FROM [Order Details] WHERE [Order Details].[Order ID] = 1", fila);
    rec->answerRegex("^SELECT \\[Order Details\\]\\.\\* ", estructura);
    rec->answerRegex("^UPDATE ", Answer::affected(1));
    auto ot = abrir("[Order Details]", {"[Order Details].Order ID"});
    ASSERT_TRUE(ot->ExisteRegistro(Variant("#1")));
    ot->setValorCampo("[Order Details].Unit Price", Variant("2"));
    EXPECT_EQ(ot->ModoEdicion("#1"), QString()); // 2 is what it holds
    ot->setValorCampo("[Order Details].Unit Price", Variant("3,5"));
    ASSERT_TRUE(ot->ActualizarBBDD());
    EXPECT_EQ(escrituras(), QStringList{"UPDATE [Order Details] SET [Unit Price] = 3.5 WHERE [Order ID] = 1"});
}
