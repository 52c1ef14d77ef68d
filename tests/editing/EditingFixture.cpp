#include "editing/EditingFixture.h"

#include "core/ValueText.h"

#include <QFile>

Variant lista(const QStringList& elementos)
{
    auto a = std::make_shared<VArray>(0, int(elementos.size()) - 1);
    for (int i = 0; i < elementos.size(); ++i)
        a->at(i) = Variant(elementos.at(i));
    return Variant(a);
}

Variant entero(std::int32_t n)
{
    return Variant(n);
}

db::FieldInfo campo(const QString& nombre, int tipo)
{
    db::FieldInfo f;
    f.name = nombre;
    f.type = tipo;
    f.definedSize = tipo == db::adVarWChar ? 50 : 8;
    return f;
}

// ---------------------------------------------------------------- recording backend

void Grabado::SetUp()
{
    rec = db::RecordingBackend::install();
    dao = std::make_shared<clsDO>();
    dao->setConnectionType(0);
    dao->StartObject("srv", "Ventas", "sa", "pw");
    tablas = std::make_shared<clsTablas>();
    tablas->DisableSecurity = true;
    tablas->Iniciar(nullptr, dao, nullptr, dir.path());

    camposPedidos = {campo("Codigo", db::adInteger), campo("Cliente", db::adVarWChar), campo("Importe", db::adDouble),
                     campo("Pagado", db::adBoolean), campo("Fecha", db::adDBTimeStamp)};
    db::RecordingBackend::Answer estructura;
    estructura.fields = camposPedidos;
    rec->answer("SELECT * FROM [Pedidos] WHERE 1 = 2", estructura);

    db::RecordingBackend::Answer facturas;
    facturas.fields = {campo("Serie", db::adVarWChar), campo("Numero", db::adInteger), campo("Total", db::adDouble)};
    rec->answer("SELECT * FROM [Facturas] WHERE 1 = 2", facturas);

    db::RecordingBackend::Answer varios;
    varios.fields = {campo("Id", db::adInteger), campo("Cifra", db::adDecimal), campo("Foto", db::adBinary),
                     campo("Grande", db::adBigInt), campo("Peso", db::adSingle)};
    rec->answer("SELECT * FROM [Varios] WHERE 1 = 2", varios);

    // A SELECT of a table that matches nothing still has its fields.
    rec->answerRegex("^SELECT Pedidos\\.\\* ", estructura);
    rec->answerRegex("^SELECT Facturas\\.\\* ", facturas);
    rec->answerRegex("^SELECT Varios\\.\\* ", varios);
}

void Grabado::TearDown()
{
    db::RecordingBackend::uninstall();
}

void Grabado::respuestaPedido(std::int32_t codigo, const QString& cliente, double importe, bool pagado)
{
    db::RecordingBackend::Answer a;
    a.fields = camposPedidos;
    a.rows = {{Variant(codigo), Variant(cliente), Variant(importe), Variant(pagado), Variant::null()}};
    rec->answer(QString("SELECT Pedidos.* FROM Pedidos WHERE Pedidos.Codigo = %1").arg(codigo), a);
}

clsMultiTablaPtr Grabado::abrir(const QString& tabla, const QStringList& claves, const QString& filtro)
{
    auto ot = std::make_shared<clsMultiTabla>();
    const bool ok = ot->Iniciar(nullptr, dao, nullptr, tablas, filtro, true, "Ejercicio", tabla, "Edición Registros",
                                tabla, QString(), lista(claves));
    EXPECT_TRUE(ok);
    if (!ok) {
        for (const auto& c : dialogos->calls)
            ADD_FAILURE() << c.prompt.toStdString();
        for (const auto& s : rec->statements())
            ADD_FAILURE() << s.toStdString();
    }
    return ot;
}

QStringList Grabado::escrituras() const
{
    QStringList out;
    for (const QString& s : rec->statements())
        if (s.startsWith("DELETE") || s.startsWith("INSERT") || s.startsWith("UPDATE"))
            out << s;
    return out;
}

int Grabado::cuenta(db::RecordingBackend::EventKind kind) const
{
    int n = 0;
    for (const auto& e : rec->events())
        n += e.kind == kind;
    return n;
}

// ---------------------------------------------------------------- local database file

void Local::SetUp()
{
    fichero = dir.filePath("ventas.mdb");
    QFile f(fichero); // an empty file is an empty database
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    dao = std::make_shared<clsDO>();
    dao->setConnectionType(1);
    dao->StartObject(QString(), fichero, QString(), QString());
    tablas = std::make_shared<clsTablas>();
    tablas->DisableSecurity = true;
    tablas->Iniciar(nullptr, dao, nullptr, dir.path());
}

void Local::ejecutar(const QString& sql)
{
    std::int32_t filas = 0;
    ASSERT_TRUE(dao->Execute(sql, QString(), QString(), QString(), QString(), filas));
}

QStringList Local::filas(const QString& sql)
{
    QStringList out;
    const Variant r = dao->Query(QString(sql), QString(), QString(), QString(), QString(), "BiDimArray");
    if (!r.isArray())
        return out;
    const VArrayPtr a = r.array();
    for (int fila = a->lbound(2); fila <= a->ubound(2); ++fila) {
        QStringList valores;
        for (int col = a->lbound(1); col <= a->ubound(1); ++col)
            valores << ValueText::displayText(a->at(col, fila));
        out << valores.join('|');
    }
    return out;
}

clsMultiTablaPtr Local::abrir(const QString& tabla, const QStringList& claves)
{
    auto ot = std::make_shared<clsMultiTabla>();
    const bool ok = ot->Iniciar(nullptr, dao, nullptr, tablas, " 0 = 1", true, "Ejercicio", tabla, "Edición Registros",
                                tabla, QString(), lista(claves));
    EXPECT_TRUE(ok);
    return ot;
}
