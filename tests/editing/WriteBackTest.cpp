// The write-back on the recording backend: exact statements and their order,
// one transaction, exact row counts, and what a failure leaves behind.
#include "editing/EditingFixture.h"

using Answer = db::RecordingBackend::Answer;

TEST_F(Grabado, WritesDeletionsThenInsertionsAndUpdatesInOneTransaction)
{
    rec->answerRegex("^DELETE ", Answer::affected(2));
    rec->answerRegex("^(UPDATE|INSERT) ", Answer::affected(1));
    auto ot = sesion();
    ASSERT_EQ(ot->RegistrosEditados(), 4);

    rec->clearLog();
    ASSERT_TRUE(ot->ActualizarBBDD());
    EXPECT_EQ(escrituras(),
              (QStringList{"DELETE FROM Pedidos WHERE Codigo IN (3,8)",
                           "INSERT INTO Pedidos (Codigo, Cliente, Importe, Pagado, Fecha) VALUES (9,'Eva',1234.5,1,NULL)",
                           "UPDATE Pedidos SET Importe = 7.25, Cliente = 'O''Brien' WHERE Codigo = 5"}));
    EXPECT_EQ(transacciones(), "1/1/0");
    EXPECT_EQ(ot->RegistrosEditados(), 0);
    EXPECT_EQ(ot->ModoEdicion("#3"), QString());
    EXPECT_EQ(ot->Count(), 2); // #5 and the new record stay held, the deleted ones go
    EXPECT_EQ(ot->CuantosBloqueos(), 0);
    EXPECT_TRUE(dialogos->calls.empty());
}

// A failing statement (the INSERT, second), a row count other than the records
// targeted (an UPDATE that touches two rows, a DELETE of two that finds one gone)
// or a value that does not convert (nothing is sent then) undoes it all, keeps
// every edit and tells why.
TEST_F(Grabado, AnythingThatFailsUndoesItAllAndKeepsTheEdits)
{
    rec->answer("DELETE FROM Pedidos WHERE Codigo IN (3,5)", Answer::affected(1));
    rec->answerRegex("^DELETE ", Answer::affected(2));
    rec->answerRegex("^INSERT ", Answer::failure(Error::DatabaseError, "clave duplicada"));
    rec->answerRegex("^UPDATE ", Answer::affected(2));
    auto editar = [&](const QStringList& claves, const QStringList& borrar, const char* importe) {
        auto ot = abrir();
        cargar(ot, claves, borrar);
        if (*importe)
            ot->setValorCampo("Pedidos.Importe", Variant(importe), Variant("#5"));
        return ot;
    };
    const struct {
        clsMultiTablaPtr ot;
        int escritas;
        const char* transacciones;
        const char* modos; // of #3, #5, #8
        int retenidos;
        QStringList aviso;
    } casos[] = {
        {sesion(), 2, "1/0/1", "B,M,B", 4, {"clave duplicada"}},
        {editar({"#5"}, {}, "8"), 1, "1/0/1", ",M,", 1, {"ha afectado a 2 registros"}},
        {editar({}, {"#3", "#5"}, ""), 1, "1/0/1", "B,B,", 2, {}},
        {editar({"#5"}, {"#3"}, "doce"), 0, "0/0/0", "B,M,", 2, {"No se ha guardado ningún cambio", "doce"}},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.modos);
        rec->clearLog();
        dialogos->calls.clear();
        const int editados = c.ot->RegistrosEditados();
        EXPECT_FALSE(c.ot->ActualizarBBDD());
        EXPECT_EQ(escrituras().size(), c.escritas);
        EXPECT_EQ(transacciones(), c.transacciones);
        EXPECT_EQ(c.ot->RegistrosEditados(), editados);
        EXPECT_EQ(modos(c.ot, {"#3", "#5", "#8"}), c.modos);
        EXPECT_EQ(c.ot->Count(), c.retenidos); // nothing dropped from the held rows
        ASSERT_EQ(dialogos->calls.size(), 1u);
        EXPECT_EQ(dialogos->calls[0].style, 16);
        for (const QString& t : c.aviso)
            EXPECT_TRUE(dialogos->calls[0].prompt.contains(t)) << dialogos->calls[0].prompt.toStdString();
    }
}
