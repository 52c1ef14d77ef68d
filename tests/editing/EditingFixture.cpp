#include "editing/EditingFixture.h"

#include "core/ValueText.h"

#include <QFile>
#include <QRegularExpression>

Variant lista(const QStringList& elementos)
{
    auto a = std::make_shared<VArray>(0, int(elementos.size()) - 1);
    for (int i = 0; i < elementos.size(); ++i)
        a->at(i) = Variant(elementos.at(i));
    return Variant(a);
}

db::FieldInfo campo(const QString& nombre, int tipo)
{
    db::FieldInfo f;
    f.name = nombre;
    f.type = tipo;
    f.definedSize = tipo == db::adVarWChar ? 50 : 8;
    return f;
}

void Edicion::iniciar(int tipoConexion, const QString& servidor, const QString& base)
{
    dao = std::make_shared<clsDO>();
    dao->setConnectionType(tipoConexion);
    dao->StartObject(servidor, base, servidor.isEmpty() ? QString() : "sa", servidor.isEmpty() ? QString() : "pw");
    tablas = std::make_shared<clsTablas>();
    tablas->DisableSecurity = true;
    tablas->Iniciar(nullptr, dao, nullptr, dir.path());
}

clsMultiTablaPtr Edicion::abrir(const QString& tabla, const QStringList& claves, const QString& filtro)
{
    auto ot = std::make_shared<clsMultiTabla>();
    EXPECT_TRUE(ot->Iniciar(nullptr, dao, nullptr, tablas, filtro, true, "Ejercicio", tabla, "Edición Registros", tabla,
                            QString(), lista(claves)))
        << (dialogos->calls.empty() ? std::string() : dialogos->calls.back().prompt.toStdString());
    return ot;
}

void Edicion::cargar(const clsMultiTablaPtr& ot, const QStringList& claves, const QStringList& borrar)
{
    for (const QString& k : claves)
        EXPECT_TRUE(ot->ExisteRegistro(Variant(k))) << k.toStdString();
    for (const QString& k : borrar)
        EXPECT_TRUE(ot->ExisteRegistro(Variant(k)) && ot->BorrarRegistro(Variant(k))) << k.toStdString();
}

void Edicion::poner(const clsMultiTablaPtr& ot, const std::vector<std::pair<QString, Variant>>& valores,
                    const Variant& registros)
{
    for (const auto& [campo, valor] : valores)
        ot->setValorCampo(campo, valor, registros);
}

QString Edicion::modos(const clsMultiTablaPtr& ot, const QStringList& claves)
{
    QStringList out;
    for (const QString& k : claves)
        out << ot->ModoEdicion(k);
    return out.join(',');
}

// ---------------------------------------------------------------- recording backend

void Grabado::SetUp()
{
    rec = db::RecordingBackend::install();
    iniciar(0, "srv", "Ventas");
    camposPedidos = {campo("Codigo", db::adInteger), campo("Cliente", db::adVarWChar), campo("Importe", db::adDouble),
                     campo("Pagado", db::adBoolean), campo("Fecha", db::adDBTimeStamp)};
    const std::pair<QString, std::vector<db::FieldInfo>> estructuras[] = {
        {"Pedidos", camposPedidos},
        {"Varios",
         {campo("Id", db::adInteger), campo("Cifra", db::adDecimal), campo("Foto", db::adBinary),
          campo("Grande", db::adBigInt), campo("Peso", db::adSingle)}},
    };
    for (const auto& [nombre, campos] : estructuras)
        tabla(nombre, campos);
}

void Grabado::tabla(const QString& nombre, const std::vector<db::FieldInfo>& campos)
{
    const QString entre = nombre.startsWith('[') ? nombre : "[" + nombre + "]";
    rec->answer("SELECT * FROM " + entre + " WHERE 1 = 2", respuesta(campos));
    const QString seleccion = "SELECT " + nombre + ".* ";
    rec->answerRegex("^" + QRegularExpression::escape(seleccion), respuesta(campos));
}

clsMultiTablaPtr Grabado::abrirCon(const QString& nombre, const std::vector<db::FieldInfo>& campos,
                                   const QStringList& claves, const std::vector<std::pair<QString, Filas>>& respuestas,
                                   const QString& filtro)
{
    tabla(nombre, campos);
    for (const auto& [donde, filas] : respuestas)
        rec->answer("SELECT " + nombre + ".* FROM " + nombre + " WHERE " + donde, respuesta(campos, filas));
    rec->answerRegex("^(UPDATE|DELETE) ", db::RecordingBackend::Answer::affected(1));
    return abrir(nombre, claves, filtro);
}

clsMultiTablaPtr Grabado::sesion()
{
    respuestaPedido(3, "Ana", 1.0, false);
    respuestaPedido(5, "Luis", 2.0, false);
    respuestaPedido(8, "Eva", 3.0, true);
    auto ot = abrir();
    cargar(ot, {"#5"}, {"#3", "#8"});
    cargar(ot, {"#5"});
    ot->setValorCampo("Pedidos.Importe", Variant("7,25"));
    poner(ot, {{"Pedidos.Codigo", "9"}, {"Pedidos.Cliente", "Eva"}, {"Pedidos.Importe", "1234,5"}, {"Pedidos.Pagado", "S"}},
          Variant(ot->NuevoRegistro()));
    ot->setValorCampo("Pedidos.Cliente", Variant("O'Brien"), Variant("#5"));
    return ot;
}

void Grabado::respuestaPedido(std::int32_t codigo, const QString& cliente, double importe, bool pagado)
{
    rec->answer(QString("SELECT Pedidos.* FROM Pedidos WHERE Pedidos.Codigo = %1").arg(codigo),
                respuesta(camposPedidos, {{codigo, cliente, importe, pagado, Variant::null()}}));
}

QStringList Grabado::escrituras() const
{
    return rec->statements().filter(QRegularExpression("^(DELETE|INSERT|UPDATE)"));
}

QString Grabado::transacciones() const
{
    using Kind = db::RecordingBackend::EventKind;
    int n[3] = {0, 0, 0};
    for (const auto& e : rec->events())
        n[0] += e.kind == Kind::Begin, n[1] += e.kind == Kind::Commit, n[2] += e.kind == Kind::Rollback;
    return QString("%1/%2/%3").arg(n[0]).arg(n[1]).arg(n[2]);
}

// ---------------------------------------------------------------- local database file

void Local::SetUp()
{
    const QString fichero = dir.filePath("ventas.mdb");
    QFile f(fichero); // an empty file is an empty database
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    iniciar(1, QString(), fichero);
}

void Local::ejecutar(const QStringList& sql)
{
    for (const QString& s : sql) {
        std::int32_t filas = 0;
        ASSERT_TRUE(dao->Execute(s, QString(), QString(), QString(), QString(), filas)) << s.toStdString();
    }
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
