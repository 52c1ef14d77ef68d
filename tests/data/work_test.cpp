// The work-database members: Instantanea, EjecutarSentencia, ConseguirCampo,
// the record locks and the key test.
#include "DataTestSupport.h"

using namespace datatest;

namespace {

using WorkTest = RecordedObjectTest<>;

const QString kNotStarted =
    u"Zolt no ha sido debidamente inicializado. Es preciso utilizar previamente la función StartObject"_s;

TEST_F(WorkTest, OnlyTheWorkDatabaseWordActsAndTheLockTableIsLeftAlone)
{
    start();
    EXPECT_TRUE(o.Instantanea(u"ejercicio"_s, u"SELECT a FROM t"_s).isEmpty());
    EXPECT_FALSE(o.EjecutarSentencia(u"Empresa"_s, u"DELETE FROM t"_s));
    EXPECT_TRUE(o.EjecutarSentencia(u"Ejercicio"_s, u"UPDATE Bloqueos SET x = 1"_s));
    // Record locks are always granted without a statement.
    EXPECT_TRUE(o.RegistroNoBloqueado(u"Ejercicio"_s, u"T"_s, 3, u"#1"_s));
    EXPECT_TRUE(o.BloquearRegistro(u"X"_s, QString(), 0, QString(), QString(), true, true));
    EXPECT_TRUE(o.DesbloquearRegistro(QString(), QString(), QString()));
    EXPECT_TRUE(o.ValidarUsuarioBloqueo(QString(), 0));
    EXPECT_TRUE(rec->events().empty());
    EXPECT_TRUE(o.EjecutarSentencia(u"Ejercicio"_s, u"UPDATE bloqueos SET x = 1"_s));
    EXPECT_EQ(rec->statements(), QStringList{"UPDATE bloqueos SET x = 1"});
}

TEST_F(WorkTest, NotStartedIsReportedUnlessSilent)
{
    EXPECT_FALSE(o.EjecutarSentencia(u"Ejercicio"_s, u"DELETE FROM t"_s, true));
    EXPECT_TRUE(dialogs->calls.empty());
    EXPECT_FALSE(o.EjecutarSentencia(u"Ejercicio"_s, u"DELETE FROM t"_s));
    EXPECT_TRUE(o.Instantanea(u"Ejercicio"_s, u"SELECT a FROM t"_s).isEmpty());
    EXPECT_EQ(boxes(dialogs), QStringList(2, u"Aviso|64|"_s + kNotStarted));
    const QString blank(15, QLatin1Char(' '));
    EXPECT_EQ(log->texts(), (QStringList{blank + u"\tEjecutarSentencia|"_s + kNotStarted + u"|4"_s,
                                         blank + u"\tEjecutarSentencia|"_s + kNotStarted + u"|4"_s,
                                         blank + u"\tInstantanea|"_s + kNotStarted + u"|4"_s}));
    EXPECT_TRUE(rec->events().empty());

    // A local file needs only its path; a DSN for Access only its name.
    o.setConnectionType(1);
    o.StartObject(QString(), u"f.mdb"_s, QString(), QString());
    EXPECT_TRUE(o.EjecutarSentencia(u"Ejercicio"_s, u"DELETE FROM t"_s));
    o.setConnectionType(3);
    o.setUsedDriver(1);
    EXPECT_FALSE(o.EjecutarSentencia(u"Ejercicio"_s, u"DELETE FROM t"_s, true));
    o.StartObject(u"dsn"_s, QString(), QString(), QString());
    EXPECT_TRUE(o.EjecutarSentencia(u"Ejercicio"_s, u"DELETE FROM t"_s));
    o.setUsedDriver(2);
    EXPECT_FALSE(o.EjecutarSentencia(u"Ejercicio"_s, u"DELETE FROM t"_s, true));
}

TEST_F(WorkTest, InstantaneaAndConseguirCampoStatementsAndResults)
{
    start();
    rec->answerRows(u"SELECT t.Codigo, t.Nombre FROM t"_s, {"Codigo", "Nombre"},
                    {{Variant(std::int32_t(1)), Variant("Ana")}, {Variant(std::int32_t(2)), Variant("Luis")}});
    const Variant r = o.Instantanea(u"Ejercicio"_s, u"SELECT t.Codigo, t.Nombre FROM t"_s,
                                    Variant(std::int16_t(1)), true, 1, true);
    EXPECT_EQ(show(r), "{#Ana={t.Codigo=1 t.Nombre=Ana} #Luis={t.Codigo=2 t.Nombre=Luis} "
                       "ContadoresCampos={TotalRegistros=2 PosicionInicial=1 PosicionFinal=2}}");
    EXPECT_EQ(collectionItem(collectionItem(r, u"ContadoresCampos"_s), u"PosicionInicial"_s).type(), VarType::Integer);

    // ConseguirCampo: the statements and results.
    rec->clearLog();
    rec->answerRows(u"SELECT Nombre FROM Clientes WHERE Codigo = 5"_s, {"Nombre"}, {{Variant("Ana")}});
    rec->answerRows(u"SELECT Nombre FROM Clientes WHERE Codigo = '5'"_s, {"Nombre"}, {{Variant("Ana")}, {Variant("Eva")}});
    rec->setDefaultAnswer(db::RecordingBackend::Answer::table({"Nombre"}, {}));
    EXPECT_EQ(o.ConseguirCampo(u"Clientes"_s, u"Nombre"_s, u"Codigo"_s, u"5"_s), "Ana");
    // Two rows give nothing.
    EXPECT_EQ(o.ConseguirCampo(u"Clientes"_s, u"Nombre"_s, u"Codigo"_s, u"5"_s, true), "");
    // A quote inside the value is doubled.
    o.ConseguirCampo(u"Clientes"_s, u"Nombre"_s, u"Apellido"_s, u"O'Brien"_s, true, u" AND Activo = 1"_s);
    // No row gives nothing either.
    EXPECT_EQ(o.ConseguirCampo(u"Clientes"_s, u"Nombre"_s, QString(), QString(), false, u"Codigo = 9"_s), "");
    EXPECT_EQ(rec->statements(), (QStringList{"SELECT Nombre FROM Clientes WHERE Codigo = 5",
                                              "SELECT Nombre FROM Clientes WHERE Codigo = '5'",
                                              "SELECT Nombre FROM Clientes WHERE Apellido = 'O''Brien' AND Activo = 1",
                                              "SELECT Nombre FROM Clientes WHERE Codigo = 9"}));

    // Nothing to look for: no statement at all.
    rec->clearLog();
    EXPECT_EQ(o.ConseguirCampo(u"Clientes"_s, u"Nombre"_s, u"Codigo"_s, QString()), "");
    EXPECT_TRUE(rec->events().empty());

    // Keys of a collection are found without case.
    auto c = newCollection();
    c->Add(Variant(1), u"ABC"_s);
    EXPECT_TRUE(o.ExisteClaveColeccion(Variant(c), u"abc"_s));
    EXPECT_FALSE(o.ExisteClaveColeccion(Variant(c), u"abd"_s));
    EXPECT_FALSE(o.ExisteClaveColeccion(Variant::nothing(), u"abc"_s));
    EXPECT_FALSE(o.ExisteClaveColeccion(Variant("text"), u"abc"_s));
}

} // namespace
