// The work-database members: Instantanea, EjecutarSentencia, ConseguirCampo,
// the record locks and the key test.
#include "DataTestSupport.h"

#include <gtest/gtest.h>

using namespace datatest;

namespace {

using WorkTest = RecordedObjectTest<>;

const QString kNotStarted =
    QStringLiteral("Zolt no ha sido debidamente inicializado. Es preciso utilizar previamente la función StartObject");

TEST_F(WorkTest, OnlyTheWorkDatabaseWordActsAndTheLockTableIsLeftAlone)
{
    start();
    EXPECT_TRUE(o.Instantanea(QStringLiteral("ejercicio"), QStringLiteral("SELECT a FROM t")).isEmpty());
    EXPECT_FALSE(o.EjecutarSentencia(QStringLiteral("Empresa"), QStringLiteral("DELETE FROM t")));
    EXPECT_TRUE(o.EjecutarSentencia(QStringLiteral("Ejercicio"), QStringLiteral("UPDATE Bloqueos SET x = 1")));
    EXPECT_TRUE(rec->events().empty());
    EXPECT_TRUE(o.EjecutarSentencia(QStringLiteral("Ejercicio"), QStringLiteral("UPDATE bloqueos SET x = 1")));
    EXPECT_EQ(rec->statements(), QStringList{"UPDATE bloqueos SET x = 1"});
}

TEST_F(WorkTest, NotStartedIsReportedUnlessSilent)
{
    EXPECT_FALSE(o.EjecutarSentencia(QStringLiteral("Ejercicio"), QStringLiteral("DELETE FROM t"), true));
    EXPECT_TRUE(dialogs->calls.empty());
    ASSERT_EQ(log->lines.size(), 1u);
    EXPECT_EQ(log->lines[0].procedure, QString(15, QLatin1Char(' ')) + "\tEjecutarSentencia");
    EXPECT_EQ(log->lines[0].message, kNotStarted);
    EXPECT_EQ(log->lines[0].kind, 4);

    EXPECT_FALSE(o.EjecutarSentencia(QStringLiteral("Ejercicio"), QStringLiteral("DELETE FROM t")));
    EXPECT_TRUE(o.Instantanea(QStringLiteral("Ejercicio"), QStringLiteral("SELECT a FROM t")).isEmpty());
    ASSERT_EQ(dialogs->calls.size(), 2u);
    EXPECT_EQ(dialogs->calls[1].prompt, kNotStarted);
    EXPECT_EQ(dialogs->calls[1].style, 64);
    EXPECT_EQ(dialogs->calls[1].title, "Aviso");
    EXPECT_EQ(log->lines.back().procedure, QString(15, QLatin1Char(' ')) + "\tInstantanea");
    EXPECT_TRUE(rec->events().empty());

    // A local file needs only its path; a DSN for Access only its name.
    o.setConnectionType(1);
    o.StartObject(QString(), QStringLiteral("f.mdb"), QString(), QString());
    EXPECT_TRUE(o.EjecutarSentencia(QStringLiteral("Ejercicio"), QStringLiteral("DELETE FROM t")));
    o.setConnectionType(3);
    o.setUsedDriver(1);
    EXPECT_FALSE(o.EjecutarSentencia(QStringLiteral("Ejercicio"), QStringLiteral("DELETE FROM t"), true));
    o.StartObject(QStringLiteral("dsn"), QString(), QString(), QString());
    EXPECT_TRUE(o.EjecutarSentencia(QStringLiteral("Ejercicio"), QStringLiteral("DELETE FROM t")));
    o.setUsedDriver(2);
    EXPECT_FALSE(o.EjecutarSentencia(QStringLiteral("Ejercicio"), QStringLiteral("DELETE FROM t"), true));
}

TEST_F(WorkTest, InstantaneaKeysRowsAndCounts)
{
    start();
    rec->answerRows(QStringLiteral("SELECT t.Codigo, t.Nombre FROM t"), {"Codigo", "Nombre"},
                    {{Variant(std::int32_t(1)), Variant("Ana")}, {Variant(std::int32_t(2)), Variant("Luis")}});
    const Variant r = o.Instantanea(QStringLiteral("Ejercicio"), QStringLiteral("SELECT t.Codigo, t.Nombre FROM t"),
                                    Variant(std::int16_t(1)), true, 1, true);
    auto rows = r.as<Collection>();
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->Count(), 3);
    EXPECT_EQ(rows->KeyAt(1), "#Ana");
    EXPECT_EQ(rows->KeyAt(2), "#Luis");
    EXPECT_EQ(collectionItem(rows->Item(Variant("#Luis")), QStringLiteral("t.Codigo")).toLong(), 2);
    const auto counters = rows->Item(Variant("ContadoresCampos")).as<Collection>();
    EXPECT_EQ(counters->Item(Variant("TotalRegistros")).toLong(), 2);
    EXPECT_EQ(counters->Item(Variant("PosicionInicial")).type(), VarType::Integer);
}

TEST_F(WorkTest, ConseguirCampoStatementsAndResults)
{
    start();
    rec->answerRows(QStringLiteral("SELECT Nombre FROM Clientes WHERE Codigo = 5"), {"Nombre"}, {{Variant("Ana")}});
    rec->answerRows(QStringLiteral("SELECT Nombre FROM Clientes WHERE Codigo = '5'"), {"Nombre"},
                    {{Variant("Ana")}, {Variant("Eva")}});
    rec->setDefaultAnswer(db::RecordingBackend::Answer::table({"Nombre"}, {}));
    EXPECT_EQ(o.ConseguirCampo(QStringLiteral("Clientes"), QStringLiteral("Nombre"), QStringLiteral("Codigo"),
                               QStringLiteral("5")),
              "Ana");
    // Two rows give nothing.
    EXPECT_EQ(o.ConseguirCampo(QStringLiteral("Clientes"), QStringLiteral("Nombre"), QStringLiteral("Codigo"),
                               QStringLiteral("5"), true),
              "");
    // A quote inside the value is doubled.
    o.ConseguirCampo(QStringLiteral("Clientes"), QStringLiteral("Nombre"), QStringLiteral("Apellido"),
                     QStringLiteral("O'Brien"), true, QStringLiteral(" AND Activo = 1"));
    // No row gives nothing either.
    EXPECT_EQ(o.ConseguirCampo(QStringLiteral("Clientes"), QStringLiteral("Nombre"), QString(), QString(), false,
                               QStringLiteral("Codigo = 9")),
              "");
    EXPECT_EQ(rec->statements(), (QStringList{"SELECT Nombre FROM Clientes WHERE Codigo = 5",
                                              "SELECT Nombre FROM Clientes WHERE Codigo = '5'",
                                              "SELECT Nombre FROM Clientes WHERE Apellido = 'O''Brien' AND Activo = 1",
                                              "SELECT Nombre FROM Clientes WHERE Codigo = 9"}));

    // Nothing to look for: no statement at all.
    rec->clearLog();
    EXPECT_EQ(o.ConseguirCampo(QStringLiteral("Clientes"), QStringLiteral("Nombre"), QStringLiteral("Codigo"),
                               QString()),
              "");
    EXPECT_TRUE(rec->events().empty());
}

TEST_F(WorkTest, LocksAreGrantedAndKeysFoundWithoutCase)
{
    EXPECT_TRUE(o.RegistroNoBloqueado(QStringLiteral("Ejercicio"), QStringLiteral("T"), 3, QStringLiteral("#1")));
    EXPECT_TRUE(o.BloquearRegistro(QStringLiteral("X"), QString(), 0, QString(), QString(), true, true));
    EXPECT_TRUE(o.DesbloquearRegistro(QString(), QString(), QString()));
    EXPECT_TRUE(o.ValidarUsuarioBloqueo(QString(), 0));
    EXPECT_TRUE(rec->events().empty());

    auto c = newCollection();
    c->Add(Variant(1), QStringLiteral("ABC"));
    EXPECT_TRUE(o.ExisteClaveColeccion(Variant(c), QStringLiteral("abc")));
    EXPECT_FALSE(o.ExisteClaveColeccion(Variant(c), QStringLiteral("abd")));
    EXPECT_FALSE(o.ExisteClaveColeccion(Variant::nothing(), QStringLiteral("abc")));
    EXPECT_FALSE(o.ExisteClaveColeccion(Variant("text"), QStringLiteral("abc")));
}

} // namespace
