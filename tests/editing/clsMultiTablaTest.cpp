// The record set itself: loading, keys, edit states, value literals, blocks,
// linked tables and locks, on the recording backend.
#include "editing/EditingFixture.h"

#include "core/Collection.h"
#include "core/ValueText.h"


TEST_F(Grabado, LoadsEmptyWithTheFalseFilterResolvesKeysAndRefusesWhatItCannotLoad)
{
    auto ot = abrir();
    EXPECT_TRUE(rec->statements().contains("SELECT Pedidos.* FROM Pedidos WHERE  0 = 1"));
    EXPECT_EQ(ot->Count(), 0);
    EXPECT_EQ(ot->TodosLosRegistros(), Variant(QString()));
    EXPECT_EQ(ot->ClaveTabla(), "Pedidos.Codigo");
    EXPECT_EQ(ot->Campos(), "Pedidos.Codigo, Pedidos.Cliente, Pedidos.Importe, Pedidos.Pagado, Pedidos.Fecha");
    EXPECT_EQ(ot->PosicionCampo("pedidos.importe"), 3);
    EXPECT_EQ(ot->PosicionCampo("Importe"), 0); // bare names are external fields only
    EXPECT_EQ(ot->NombreCampo(2), "Pedidos.Cliente");

    // Without a key list the first field is the key; without a table, or fields, nothing loads.
    auto iniciar = [&](const clsMultiTablaPtr& o, const QString& tabla, const QString& titulo) {
        return o->Iniciar(nullptr, dao, nullptr, tablas, " 0 = 1", true, "Ejercicio", tabla, "Edición Registros",
                          titulo);
    };
    auto sinClave = std::make_shared<clsMultiTabla>();
    ASSERT_TRUE(iniciar(sinClave, "Pedidos", "Pedidos"));
    EXPECT_EQ(sinClave->ClaveTabla(), "Pedidos.Codigo");
    rec->clearLog();
    EXPECT_FALSE(iniciar(std::make_shared<clsMultiTabla>(), QString(), "Pedidos"));
    ASSERT_EQ(dialogos->calls.size(), 1u);
    EXPECT_EQ(dialogos->calls[0].prompt.count('\r'), 6);
    EXPECT_EQ(dialogos->calls[0].title, "Aviso");
    EXPECT_TRUE(rec->statements().isEmpty());
    rec->answer("SELECT * FROM [Vacia] WHERE 1 = 2", db::RecordingBackend::Answer{});
    EXPECT_FALSE(iniciar(std::make_shared<clsMultiTabla>(), "Vacia", "Vacia"));
}

TEST_F(Grabado, PullsRowsInOnFirstTouchAndAnswersTrueOnlyForACurrentRecord)
{
    respuestaPedido(3, "Ana", 10.5, true);
    auto ot = abrir();
    EXPECT_TRUE(ot->ExisteRegistro(Variant("#3")));
    EXPECT_TRUE(rec->statements().contains("SELECT Pedidos.* FROM Pedidos WHERE Pedidos.Codigo = 3"));
    EXPECT_EQ(ot->RegistroActual(), "#3");
    EXPECT_EQ(ot->ValorCampo("Pedidos.Cliente"), Variant("Ana"));
    EXPECT_EQ(ot->KeyRegistro(1), "#3");
    EXPECT_EQ(ot->PosicionRegistro("#3"), 1);

    // A second touch is answered from the held rows.
    rec->clearLog();
    EXPECT_TRUE(ot->ExisteRegistro(Variant("#3")));
    EXPECT_TRUE(rec->statements().isEmpty());

    // No row matches: false, and the current record stays.
    EXPECT_FALSE(ot->ExisteRegistro(Variant("#77")));
    EXPECT_EQ(ot->RegistroActual(), "#3");
    EXPECT_EQ(ot->BuscarRegistro(Variant("#77")), QString());
    // A search by value of another field scans the held rows.
    EXPECT_EQ(ot->BuscarRegistro(Variant("Ana"), Variant("Pedidos.Cliente")), "#3");
}

TEST_F(Grabado, FollowsTheLockPermissionAndEditStateRules)
{
    respuestaPedido(3, "Ana", 10.5, true);
    respuestaPedido(4, "Luis", 2.0, false);
    auto ot = abrir();
    cargar(ot, {"#4", "#3"});

    tablas->CodigoUsuario = 7;
    EXPECT_TRUE(ot->BloquearRegistro("#3"));
    EXPECT_FALSE(ot->RegistroNoBloqueado("#3"));
    EXPECT_TRUE(ot->RegistroNoBloqueado("#4"));
    EXPECT_TRUE(ot->DesbloquearRegistro("#3"));
    EXPECT_EQ(ot->CuantosBloqueos(), 0);
    // "TODOS" with removal keeps only the locks of other users.
    EXPECT_TRUE(ot->BloquearRegistro("#3"));
    tablas->CodigoUsuario = 8;
    EXPECT_TRUE(ot->BloquearRegistro("#4"));
    rec->clearLog();
    EXPECT_FALSE(ot->DesbloquearRegistro("TODOS", true));
    EXPECT_EQ(ot->CuantosBloqueos(), 1);
    EXPECT_FALSE(ot->RegistroNoBloqueado("#3"));
    EXPECT_EQ(ot->UltimaSentencia(), "DELETE FROM Bloqueos WHERE NombreTabla = 'Pedidos' AND CodigoUsuario = 8");
    EXPECT_TRUE(rec->statements().isEmpty()); // statements on the lock table are never sent
    // An empty edit list writes nothing and releases the locks.
    EXPECT_TRUE(ot->ActualizarBBDD());
    EXPECT_EQ(ot->CuantosBloqueos(), 0);
    EXPECT_TRUE(rec->statements().isEmpty());
    EXPECT_EQ(transacciones(), "0/0/0");

    // With only opening allowed nothing changes: a missing permission is told once, a forbidden deletion every time.
    tablas->DisableSecurity = false;
    tablas->HistoricalAccess = true;
    EXPECT_EQ(ot->NuevoRegistro(), QString());
    ot->setValorCampo("Pedidos.Cliente", Variant("Eva"));
    EXPECT_EQ(ot->NuevoRegistro(), QString());
    EXPECT_FALSE(ot->BorrarRegistro(Variant("#3")));
    EXPECT_FALSE(ot->BorrarRegistro(Variant("#3")));
    EXPECT_EQ(ot->ValorCampo("Pedidos.Cliente"), Variant("Ana"));
    QStringList avisos;
    for (const auto& c : dialogos->calls)
        avisos << c.title + ": " + c.prompt;
    const QString borrado = "Seguridad: Borrado de Registro: No dispone de permisos para esta operación";
    EXPECT_EQ(avisos, (QStringList{"Seguridad: No dispone de permisos para esta operación", borrado, borrado}));
    tablas->DisableSecurity = true;

    // A value that writes the same literal as the stored one marks nothing.
    poner(ot, {{"Pedidos.Cliente", "Ana"}, {"Pedidos.Importe", "10,5"}, {"Pedidos.Pagado", "Verdadero"}});
    EXPECT_EQ(ot->ModoEdicion("#3"), QString());
    EXPECT_EQ(ot->RegistrosEditados(), 0);

    // Edited fields are listed once each, in the order first edited.
    poner(ot, {{"Pedidos.Importe", "12"}, {"Pedidos.Cliente", "Eva"}, {"Pedidos.Importe", "13"}});
    EXPECT_EQ(ot->ModoEdicion("#3"), "M");
    const CollectionPtr editados = ot->CamposEditados("#3");
    ASSERT_EQ(editados->Count(), 2);
    EXPECT_EQ(editados->KeyAt(1), "Pedidos.Importe");
    EXPECT_EQ(editados->Item(Variant(std::int32_t(1))).as<Collection>()->Item(Variant("Position")),
              Variant(std::int16_t(3)));
    EXPECT_EQ(editados->KeyAt(2), "Pedidos.Cliente");
    EXPECT_EQ(ot->ValorCampo("Pedidos.Importe", Variant("#3")), Variant("13"));
    // An edited record holds its lock, so it cannot be marked for deletion.
    EXPECT_FALSE(ot->BorrarRegistro(Variant("#3")));
    EXPECT_EQ(ot->ModoEdicion("#3"), "M");

    // A new record stays "A" when edited; deleting it drops it.
    const QString nuevo = ot->NuevoRegistro();
    EXPECT_TRUE(nuevo.startsWith("Pedidos-8-"));
    EXPECT_EQ(ot->RegistroActual(), nuevo);
    ot->setValorCampo("Pedidos.Cliente", Variant("Nuevo"));
    EXPECT_EQ(ot->ModoEdicion(nuevo), "A");
    const int antes = ot->Count();
    EXPECT_TRUE(ot->BorrarRegistro(Variant(nuevo)));
    EXPECT_EQ(ot->ModoEdicion(nuevo), QString());
    EXPECT_EQ(ot->Count(), antes - 1);

    // A record marked for deletion and then edited becomes "M".
    cargar(ot, {}, {"#4"});
    EXPECT_EQ(ot->ModoEdicion("#4"), "B");
    ot->setValorCampo("Pedidos.Cliente", Variant("Otro"), Variant("#4"));
    EXPECT_EQ(ot->ModoEdicion("#4"), "M");
    EXPECT_EQ(ot->RegistrosEditados(), 2);
}

// Dialects: 0 SQL Server, 1 Access, 3 Oracle (connection type 3 through driver 2).
TEST_F(Grabado, WritesEachTypeAsALiteralOfTheDialect)
{
    auto pedidos = abrir();
    auto varios = abrir("Varios", {"Varios.Id"});
    struct Caso {
        int dialecto;
        const char* campo;
        Variant valor;
        const char* literal;
    };
    auto literal = [&](const Caso& c) {
        dao->setConnectionType(std::int16_t(c.dialecto));
        dao->setUsedDriver(c.dialecto == 3 ? 2 : 0);
        return (QString(c.campo).startsWith("Varios") ? varios : pedidos)->DarFormato(c.campo, c.valor);
    };
    std::vector<Caso> casos = {
        {0, "Pedidos.Pagado", true, "1"},
        {3, "Pedidos.Pagado", "Verdadero", "1"},
        // Access writes its own boolean words.
        {1, "Pedidos.Pagado", "s", "TRUE"},
        {1, "Pedidos.Pagado", "Falso", "FALSE"},
        // Empty numbers, dates and booleans are NULL; a cleared text stays ''.
        {0, "Pedidos.Importe", QString(), "NULL"},
        {0, "Pedidos.Codigo", Variant::null(), "NULL"},
        {0, "Pedidos.Fecha", QString(), "NULL"},
        {0, "Pedidos.Pagado", QString(), "NULL"},
        {0, "Pedidos.Cliente", QString(), "''"},
        {0, "Pedidos.Cliente", Variant::null(), "''"},
        {0, "Pedidos.Cliente", "O'Brien", "'O''Brien'"},
        {0, "Pedidos.Importe", "1234,5", "1234.5"},
        {0, "Pedidos.Importe", 0.25, "0.25"},
        {0, "Pedidos.Fecha", "25/12/2024", "CONVERT(smalldatetime,'25/12/2024',103)"},
        {0, "Pedidos.Fecha", "25/12/2024 10:30:15", "CONVERT(datetime,'25/12/2024 10:30:15',103)"},
        // Types without a rule: numbers as numbers, anything else quoted; 64-bit whole numbers.
        {0, "Varios.Cifra", 2.5, "2.5"},
        {0, "Varios.Cifra", "1); DROP TABLE x; --'", "'1); DROP TABLE x; --'''"},
        {0, "Varios.Foto", "a'b", "'a''b'"},
        {0, "Varios.Grande", "9000000000", "9000000000"},
        {0, "Varios.Peso", 1.1f, "1.1"},
        {0, "Varios.Peso", "1,1", "1.1"},
    };
    for (const char* v : {"Verdadero", "verdadero", "S", "s", "1"})
        casos.push_back({0, "Pedidos.Pagado", v, "1"});
    for (const char* v : {"Falso", "FALSO", "N", "n", "0"})
        casos.push_back({0, "Pedidos.Pagado", v, "0"});
    for (const auto& c : casos)
        EXPECT_EQ(literal(c), Variant(c.literal))
            << c.dialecto << " " << c.campo << " " << debugText(c.valor).toStdString();
    EXPECT_TRUE(dialogos->calls.empty());

    // A value that does not convert gives Empty and a report.
    EXPECT_TRUE(literal({0, "Pedidos.Importe", "doce", ""}).isEmpty());
    EXPECT_TRUE(literal({0, "Pedidos.Pagado", "quizá", ""}).isEmpty());
    EXPECT_TRUE(literal({0, "Pedidos.Importe", lista({"1"}), ""}).isEmpty()); // a list is not named
    ASSERT_EQ(dialogos->calls.size(), 3u);
    EXPECT_EQ(dialogos->calls[2].prompt,
              "Función DarFormato\r\nError: El valor '' no es válido para el campo Pedidos.Importe");

    // A date-time is written in each dialect with fixed marks, whatever marks the locale uses.
    ValueText::ScopedLocale finlandes(QLocale(QLocale::Finnish, QLocale::Finland));
    const Variant momento(QDateTime(QDate(2024, 12, 25), QTime(10, 30, 15), Qt::UTC));
    const std::pair<int, const char*> momentos[] = {{0, "CONVERT(datetime,'25/12/2024 10:30:15',103)"},
                                                    {1, "#12/25/2024 10:30:15#"},
                                                    {3, "TO_DATE('25/12/2024 10:30:15', 'DD/MM/YYYY HH24:MI:SS')"}};
    for (const auto& [d, texto] : momentos)
        EXPECT_EQ(literal({d, "Pedidos.Fecha", momento, ""}), Variant(texto)) << d;
}

// Each record is read, updated and deleted by every field of its key, even one holding the
// separator or differing from another only in case, and by names that need brackets.
TEST_F(Grabado, WritesToTheRowEachRecordWasReadAs)
{
    auto facturas = abrirCon("Facturas",
                             {campo("Serie", db::adVarWChar), campo("Numero", db::adInteger), campo("Total", db::adDouble)},
                             {"Facturas.Serie", "Facturas.Numero"},
                             {{"Facturas.Serie = 'X#Y' AND Facturas.Numero = 3", {{"X#Y", 3, 1.0}}},
                              {"Facturas.Serie = 'A' AND Facturas.Numero = 12", {{"A", 12, 1.0}}},
                              {"Facturas.Serie = 'B' AND Facturas.Numero = 7", {{"B", 7, 1.0}}}});
    // "#X#Y#3" reads as X#Y and 3 (X and Y#3 is no number).
    cargar(facturas, {"#A#12", "#B#7"}, {"#A#12", "#B#7"});
    cargar(facturas, {"#X#Y#3"});
    EXPECT_EQ(facturas->KeyRegistro(1), "#A#12");
    EXPECT_EQ(facturas->RegistroActual(), "#X#Y#3");
    EXPECT_EQ(facturas->IdentificacionRegistro("#X#Y#3"), "Facturas.Serie = X#Y, Facturas.Numero = 3");
    // Even an edited key field does not move the row the UPDATE targets.
    poner(facturas, {{"Facturas.Total", "5"}, {"Facturas.Numero", "4"}}, Variant("#X#Y#3"));
    ASSERT_TRUE(facturas->ActualizarBBDD());

    auto marcas = abrirCon("Marcas", {campo("Nombre", db::adVarWChar), campo("Valor", db::adInteger)}, {"Marcas.Nombre"},
                           {{"Marcas.Nombre = 'abc'", {{"abc", 1}}}, {"Marcas.Nombre = 'ABC'", {{"ABC", 2}}}});
    cargar(marcas, {"#abc"});
    // The row of "ABC" cannot be held beside it, is never taken for it, nor takes its place.
    EXPECT_FALSE(marcas->ExisteRegistro(Variant("#ABC")));
    EXPECT_EQ(marcas->RegistroActual(), "#abc");
    EXPECT_EQ(marcas->BuscarRegistro(Variant("#ABC")), QString());
    marcas->setValorCampo("Marcas.Valor", Variant("5"), Variant("#abc"));
    ASSERT_TRUE(marcas->ActualizarBBDD());

    auto detalles = abrirCon("[Order Details]", {campo("Order ID", db::adInteger), campo("Unit Price", db::adCurrency)},
                             {"[Order Details].Order ID"},
                             {{"[Order Details].[Order ID] = 1", {{1, Currency::fromScaled(20000)}}}});
    cargar(detalles, {"#1"});
    detalles->setValorCampo("[Order Details].Unit Price", Variant("2"));
    EXPECT_EQ(detalles->ModoEdicion("#1"), QString()); // 2 is what it holds
    detalles->setValorCampo("[Order Details].Unit Price", Variant("3,5"));
    ASSERT_TRUE(detalles->ActualizarBBDD());

    EXPECT_EQ(escrituras(), (QStringList{"DELETE FROM Facturas WHERE Serie = 'A' AND Numero = 12",
                                         "DELETE FROM Facturas WHERE Serie = 'B' AND Numero = 7",
                                         "UPDATE Facturas SET Total = 5, Numero = 4 WHERE Serie = 'X#Y' AND Numero = 3",
                                         "UPDATE Marcas SET Valor = 5 WHERE Nombre = 'abc'",
                                         "UPDATE [Order Details] SET [Unit Price] = 3.5 WHERE [Order ID] = 1"}));
}

TEST_F(Grabado, ServesBlocksFromTheHeldWindowAndEndsALargeOneAtAWindowThatAddsNoRow)
{
    const std::vector<db::FieldInfo> campos = {campo("Id", db::adInteger), campo("Valor", db::adInteger)};
    Filas cincuenta;
    for (int i = 1; i <= 50; ++i)
        cincuenta.push_back({i, 10 * i});
    rec->answer("SELECT * FROM [Lotes] WHERE 1 = 2", respuesta(campos));
    rec->answerRegex("^SELECT Lotes\\.\\* FROM Lotes WHERE Id > 0$", respuesta(campos, cincuenta));
    auto ot = abrir("Lotes", {"Lotes.Id"}, "Id > 0");
    EXPECT_EQ(ot->TotalRegistros(), 50);
    EXPECT_EQ(ot->Count(), 50);

    rec->clearLog();
    const CollectionPtr bloque = ot->DameBloque(10, 1);
    ASSERT_EQ(bloque->Count(), 10);
    EXPECT_EQ(bloque->Item(Variant(std::int32_t(10))).as<Collection>()->Item(Variant("Lotes.Id")), Variant(10));
    EXPECT_EQ(ot->DameBloque(20, 41)->Count(), 10); // capped at the total rows
    cargar(ot, {"#2"});
    ot->setValorCampo("Lotes.Valor", Variant("7"));
    EXPECT_TRUE(rec->statements().isEmpty());

    // The table has shrunk to one row since: the windows read from now on add nothing.
    rec->answer("SELECT Lotes.* FROM Lotes WHERE Id > 0", respuesta(campos, {{1, 10}}));
    EXPECT_EQ(ot->DameBloque(600, 51)->Count(), 0);
    EXPECT_EQ(rec->statements().size(), 2); // the window moved to, then one read that added nothing
    EXPECT_EQ(ot->TotalRegistros(), 1);

    // The edited row went with the window it was held in: the write-back stops and says so.
    EXPECT_FALSE(ot->ActualizarBBDD());
    EXPECT_EQ(transacciones(), "0/0/0");
    EXPECT_EQ(ot->RegistrosEditados(), 1);
    ASSERT_FALSE(dialogos->calls.empty());
    EXPECT_TRUE(dialogos->calls.back().prompt.contains("#2"));

    ot->AgregarRegistros("ORDER BY Nombre");
    EXPECT_EQ(rec->statements().last(), "SELECT Lotes.* FROM Lotes ORDER BY Nombre");
}

TEST_F(Grabado, BuildsTheFilterOfALinkedTable)
{
    respuestaPedido(12, "Ana", 1.0, false);
    auto ot = abrir();
    cargar(ot, {"#12"});
    EXPECT_EQ(ot->ExtraerFiltroVinculada("#12", lista({"Lineas", "IdPedido", "Codigo", QString()})), "IdPedido = 12");
    EXPECT_EQ(ot->ExtraerFiltroVinculada("#12", lista({"Lineas", "IdPedido", "Codigo", "Anulado = 0"})),
              "IdPedido = 12 AND Anulado = 0");

    // Several linking fields pair with the parent fields one by one.
    auto doble = lista({"Notas", "", "", ""}).array();
    doble->at(1) = lista({"Pedido", "Cliente"});
    doble->at(2) = lista({"Pedidos.Codigo", "Pedidos.Cliente"});
    EXPECT_EQ(ot->ExtraerFiltroVinculada("#12", Variant(doble)), "Pedido = 12 AND Cliente = 'Ana'");

    // Deleting the parent deletes the linked rows after it.
    ot->VincularTabla("Lineas", Variant("IdPedido"));
    rec->answerRegex("^DELETE FROM Pedidos", db::RecordingBackend::Answer::affected(1));
    rec->answerRegex("^DELETE FROM Lineas", db::RecordingBackend::Answer::affected(3));
    ASSERT_TRUE(ot->BorrarRegistro(Variant("#12")));
    ASSERT_TRUE(ot->ActualizarBBDD());
    EXPECT_EQ(escrituras(),
              (QStringList{"DELETE FROM Pedidos WHERE Codigo IN (12)", "DELETE FROM Lineas WHERE IdPedido = 12"}));
    EXPECT_EQ(ot->Count(), 0);
}

TEST_F(Grabado, EditsAndDeletesSeveralRecordsAtOnce)
{
    respuestaPedido(3, "Ana", 1.0, false);
    respuestaPedido(4, "Luis", 2.0, false);
    respuestaPedido(5, "Eva", 3.0, false);
    auto ot = abrir();
    cargar(ot, {"#3", "#4"}, {"#5"});

    // Positions are turned into keys in the caller's array; a "B" record keeps its mark.
    auto registros = lista({"", "#4", "#5"}).array();
    registros->at(0) = Variant(std::int32_t(1));
    ot->setValorCampo("Pedidos.Cliente", Variant("Todos"), Variant(registros));
    EXPECT_EQ(registros->at(0), Variant("#3"));
    EXPECT_EQ(modos(ot, {"#3", "#4", "#5"}), "M,M,B");
    const Variant valores = ot->ValorCampo("Pedidos.Cliente", Variant(registros));
    ASSERT_TRUE(valores.isArray());
    EXPECT_EQ(valores.array()->at(2), Variant("Todos"));

    // Deleting a list stops at the first record that cannot be marked (#3 is edited here, so locked).
    EXPECT_FALSE(ot->BorrarRegistro(lista({"#5", "#3"})));

    // Without a current record, the state is that of the first entry.
    auto otra = abrir();
    const QString primero = otra->NuevoRegistro();
    ASSERT_TRUE(otra->BorrarRegistro(Variant(otra->NuevoRegistro())));
    EXPECT_EQ(otra->RegistroActual(), QString());
    EXPECT_EQ(otra->ModoEdicion(), "A");
    EXPECT_EQ(otra->TodosLosRegistros().array()->at(0), Variant(primero));
}
