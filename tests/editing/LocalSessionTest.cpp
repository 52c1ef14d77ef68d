// Editing sessions against a real local database file.
#include "editing/EditingFixture.h"

// Deletions go first, then the insertion, then the updates: an engine refusal at the
// last statement, or an UPDATE that matches two rows, leaves the file as it was and
// keeps every edit; mended, the same edits go through.
TEST_F(Local, ASessionLeavesExactlyTheExpectedRowsOrNoneAtAll)
{
    ejecutar({"CREATE TABLE Pedidos (Codigo LONG NOT NULL, Cliente TEXT(50), Importe DOUBLE NOT NULL, Pagado LOGICAL)"});
    for (int i = 1; i <= 5; ++i)
        ejecutar({QString("INSERT INTO Pedidos VALUES (%1, 'C%1', %1.5, FALSE)").arg(i)});
    const QString todas = "SELECT Codigo, Cliente, Importe, Pagado FROM Pedidos ORDER BY Codigo, Cliente";
    const QStringList antes = filas(todas);
    auto ot = abrir();
    cargar(ot, {}, {"#3", "#5"});
    const QString nuevo = ot->NuevoRegistro();
    poner(ot,
          {{"Pedidos.Codigo", "10"}, {"Pedidos.Cliente", "Diez"}, {"Pedidos.Importe", "0"}, {"Pedidos.Pagado", "S"}});
    EXPECT_EQ(ot->ModoEdicion(nuevo), "A");
    cargar(ot, {"#2"});
    poner(ot, {{"Pedidos.Cliente", "Dos"}, {"Pedidos.Importe", ""}}); // NULL: refused

    EXPECT_FALSE(ot->ActualizarBBDD());
    EXPECT_EQ(filas(todas), antes);
    EXPECT_EQ(ot->RegistrosEditados(), 4);
    EXPECT_FALSE(dialogos->calls.empty());

    ot->setValorCampo("Pedidos.Importe", Variant("20,25"), Variant("#2"));
    ejecutar({"INSERT INTO Pedidos VALUES (2, 'Gemelo', 0, TRUE)"}); // someone else adds a twin
    EXPECT_FALSE(ot->ActualizarBBDD());
    EXPECT_EQ(filas(todas).size(), 6);
    EXPECT_EQ(modos(ot, {"#2", "#3", nuevo}), "M,B,A");

    ejecutar({"DELETE FROM Pedidos WHERE Cliente = 'Gemelo'"});
    dialogos->calls.clear();
    ASSERT_TRUE(ot->ActualizarBBDD());
    EXPECT_EQ(filas(todas), (QStringList{"1|C1|1,5|Falso", "2|Dos|20,25|Falso", "4|C4|4,5|Falso", "10|Diez|0|Verdadero"}));
    EXPECT_TRUE(dialogos->calls.empty());
}

// Keys holding the separator, a null key, an auto-numbered column left out of the
// INSERT, rows that share a key text, and keys written as the grid shows them.
TEST_F(Local, EachRecordTargetsItsOwnRowWhateverItsKey)
{
    ejecutar({"CREATE TABLE Claves (Clave TEXT(20) NOT NULL PRIMARY KEY, Valor LONG)",
              "INSERT INTO Claves VALUES ('A#1', 1)", "INSERT INTO Claves VALUES ('A', 2)",
              "INSERT INTO Claves VALUES ('1', 3)"});
    auto ot = abrir("Claves", {"Claves.Clave"});
    cargar(ot, {"#A#1"});
    ot->setValorCampo("Claves.Valor", Variant("9"));
    cargar(ot, {}, {"#A"});
    ASSERT_TRUE(ot->ActualizarBBDD());
    EXPECT_EQ(filas("SELECT Clave, Valor FROM Claves ORDER BY Valor"), (QStringList{"1|3", "A#1|9"}));

    ejecutar({"CREATE TABLE Marcas (Nombre TEXT(20), Valor LONG)", "INSERT INTO Marcas VALUES (NULL, 1)",
              "INSERT INTO Marcas VALUES ('', 2)", "INSERT INTO Marcas VALUES ('b', 3)"});
    auto marcas = abrir("Marcas", {"Marcas.Nombre"}, "Valor <> 2");
    ASSERT_EQ(marcas->Count(), 2);
    ASSERT_TRUE(marcas->BorrarRegistro(Variant("#")));
    ASSERT_TRUE(marcas->BorrarRegistro(Variant("#b")));
    ASSERT_TRUE(marcas->ActualizarBBDD());
    EXPECT_EQ(filas("SELECT Nombre, Valor FROM Marcas"), QStringList{"|2"});

    ejecutar({"CREATE TABLE Notas (Id COUNTER PRIMARY KEY, Texto TEXT(20))",
              "INSERT INTO Notas (Texto) VALUES ('primera')"});
    auto notas = abrir("Notas", {"Notas.Id"});
    notas->NuevoRegistro();
    notas->setValorCampo("Notas.Texto", Variant("segunda"));
    ASSERT_TRUE(notas->ActualizarBBDD());
    EXPECT_EQ(filas("SELECT Id, Texto FROM Notas ORDER BY Id"), (QStringList{"1|primera", "2|segunda"}));

    ejecutar({"CREATE TABLE Pares (Uno TEXT(20), Dos TEXT(20), Valor LONG)", "INSERT INTO Pares VALUES ('A', 'B#C', 1)",
              "INSERT INTO Pares VALUES ('A#B', 'C', 2)", "INSERT INTO Pares VALUES ('X', 'Y', 3)"});
    auto pares = abrir("Pares", {"Pares.Uno", "Pares.Dos"});
    // "#A#B#C" is the key text of both rows: neither is held, so neither can be edited by mistake.
    EXPECT_FALSE(pares->ExisteRegistro(Variant("#A#B#C")));
    EXPECT_EQ(pares->Count(), 0);
    cargar(pares, {"#X#Y"});
    pares->setValorCampo("Pares.Valor", Variant("9"));
    ASSERT_TRUE(pares->ActualizarBBDD());
    EXPECT_EQ(filas("SELECT Valor FROM Pares ORDER BY Valor"), (QStringList{"1", "2", "9"}));

    ejecutar({"CREATE TABLE Tarifas (Desde DATETIME NOT NULL, Tipo DOUBLE NOT NULL, Activa LOGICAL, "
              "Precio CURRENCY, PRIMARY KEY (Desde, Tipo, Activa))",
              "INSERT INTO Tarifas VALUES (#12/25/2024#, 1234.5, TRUE, 3)",
              "INSERT INTO Tarifas VALUES (#02/03/2025 10:30:15#, 0.25, FALSE, 4)"});
    auto tarifas = abrir("Tarifas", {"Tarifas.Desde", "Tarifas.Tipo", "Tarifas.Activa"});
    // The grid shows each value as its text; its row key is "#" before each key cell.
    for (const QString& fila : filas("SELECT Desde, Tipo, Activa FROM Tarifas")) {
        const QString clave = '#' + fila.split('|').join('#');
        ASSERT_TRUE(tarifas->ExisteRegistro(Variant(clave))) << clave.toStdString();
        EXPECT_EQ(tarifas->RegistroActual(), clave);
        tarifas->setValorCampo("Tarifas.Precio", Variant("9"));
    }
    EXPECT_EQ(tarifas->TodosLosRegistros().array()->at(0), Variant("#25/12/2024#1234,5#Verdadero"));
    ASSERT_TRUE(tarifas->ActualizarBBDD());
    EXPECT_EQ(filas("SELECT Precio FROM Tarifas"), (QStringList{"9", "9"}));
}

TEST_F(Local, WritesDatesAndDateTimesTheEngineReadsBack)
{
    ejecutar({"CREATE TABLE Citas (Id LONG NOT NULL PRIMARY KEY, Dia DATETIME, Hora DATETIME)",
              "INSERT INTO Citas VALUES (1, NULL, NULL)"});
    auto ot = abrir("Citas", {"Citas.Id"});
    cargar(ot, {"#1"});
    poner(ot, {{"Citas.Dia", "25/12/2024"}, {"Citas.Hora", "03/02/2025 10:30:15"}});
    ASSERT_TRUE(ot->ActualizarBBDD());
    EXPECT_EQ(filas("SELECT Id, Dia, Hora FROM Citas"), QStringList{"1|25/12/2024|03/02/2025 10:30:15"});

    // A date-time read back formats like the value the grid shows, so it marks nothing.
    auto otra = abrir("Citas", {"Citas.Id"});
    cargar(otra, {"#1"});
    poner(otra, {{"Citas.Hora", "03/02/2025 10:30:15"}, {"Citas.Dia", "25/12/2024"}});
    EXPECT_EQ(otra->ModoEdicion("#1"), QString());
}
