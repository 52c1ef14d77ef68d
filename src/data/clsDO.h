#pragma once
// clsDO: the data-access object. Every window, page and service reaches a
// database through it. Each member opens its own connection from the values
// last pushed into the object (StartObject, ConnectionType, UsedDriver,
// SQLProvider) and closes it again, unless a transaction is open on the
// object: then all callers share that one connection until it is closed.
//
// Arguments the original interface passed by reference and rewrites (the
// connection values filled in from the stored ones, a statement normalised
// in place, key-field names turned into indexes) are ByRef<>: pass a
// variable to receive the new value, or a plain value.
#include "core/ByRef.h"
#include "core/Collection.h"
#include "core/Object.h"
#include "core/Variant.h"
#include "data/LogTarget.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

namespace db {
class Connection;
class Recordset;
class RowReader;
class Command;
} // namespace db

class clsDO : public Object {
public:
    clsDO();
    ~clsDO() override;
    clsDO(const clsDO&) = delete;
    clsDO& operator=(const clsDO&) = delete;

    QString typeName() const override { return QStringLiteral("clsDO"); }

    // --- connection state and statements

    // Runs one SELECT and returns its result in the output form sExitType:
    // "GridArray", "BiDimArray", "StringRows", "StringRows2Array", "Recordset",
    // "ShapeRecordset", "GetScopeIdentity", "CSV", "CSV2", "StraightToExcel :)",
    // "Collection", "Collection2", "StringRowsExcel", "StringRowsExcelCellCount".
    // A connection that does not open gives Empty; a failing statement is
    // logged and its error raised again.
    Variant Query(ByRef<QString> sSQL, ByRef<QString> sServer, ByRef<QString> sBBDD, ByRef<QString> sUID,
                  ByRef<QString> sPassword, const QString& sExitType = QStringLiteral("BiDimArray"),
                  ByRef<Variant> KeyFields = Variant(std::int16_t(0)), bool Counters = false, bool UseKey = true,
                  bool Names = false, std::int32_t lExcelKnownRows = 0, std::int32_t lExcelKnownColumns = 0,
                  const QString& sExcelKnownHeader = QString());
    // Runs one statement and hands its rows out forward only, a block at a
    // time, on the connection of the stored values, which closes with the
    // reader (inside a transaction, the transaction's connection). Nothing
    // when the connection does not open (said as Query says it); a failing
    // statement is logged and its error raised again, as Query does.
    std::unique_ptr<db::RowReader> OpenReader(const QString& sSQL, bool settledTypes = true,
                                              QString sServer = QString(), QString sBBDD = QString(),
                                              QString sUID = QString(), QString sPassword = QString());

    QString SQLProvider() const { return sqlProvider_; }
    void setSQLProvider(const QString& value) { sqlProvider_ = value; }

    // 0 SQL Server, 1 Access .mdb, 2 Access .accdb, 3 ODBC data source.
    std::int16_t ConnectionType() const { return connectionType_; }
    void setConnectionType(std::int16_t value);
    // 0 SQL Server, 1 Access, 2 Oracle.
    std::int16_t UsedDriver() const { return usedDriver_; }
    void setUsedDriver(std::int16_t value);

    // Runs one statement that returns no rows; lFilasAfectadas receives the
    // rows it touched. False when the connection did not open. A failing
    // statement is logged and raised again (source "Zolt12.clsDO.Execute").
    // With bStoredProcedure the statement runs as the connection opens and
    // the connection stays open: false then means it ran.
    bool Execute(const QString& sSQL, ByRef<QString> sServer = QString(), ByRef<QString> sBBDD = QString(),
                 ByRef<QString> sUID = QString(), ByRef<QString> sPassword = QString(),
                 ByRef<std::int32_t> lFilasAfectadas = 0, bool bStoredProcedure = false);

    // Change history of the class ("String" or "Array").
    Variant VersionControl(const QString& ExitMode);
    bool ChangeAdd(const QString& Author, const QString& ChangeDate, const QString& Description,
                   const QString& ExitMode);

    // Stores the connection values every later call falls back to; opens nothing.
    bool StartObject(const QString& WhichServer, const QString& WhichDataBase, const QString& WhichUser,
                     const QString& WhichPassword);

    // --- work database ("Ejercicio"), record locks, key test

    Variant Instantanea(const QString& QueBaseDatos, const QString& ConsultaSQL,
                        const Variant& CampoIndice = Variant(), bool Tabla = false,
                        std::int32_t QuePosicionInicial = 0, bool PonerContadores = false);
    bool EjecutarSentencia(const QString& QueBaseDatos, const QString& SentenciaSQL, bool bSilent = false);
    QString ConseguirCampo(const QString& QueTabla, const QString& CampoDeseado, const QString& CampoConocido,
                           const QString& ValorConocido, bool Comillas = false,
                           const QString& FiltroOpcional = QString());

    bool RegistroNoBloqueado(const QString& QueBaseDatos, const QString& QueTabla, std::int32_t QueUsuario,
                             const QString& QueKeyRegistro, const QString& IdentificacionRegistro = QString(),
                             bool SinMensajes = false);
    bool BloquearRegistro(const QString& QueBaseDatos, const QString& QueTabla, std::int32_t QueUsuario,
                          const QString& QueKeyRegistro, const QString& IdentificacionRegistro = QString(),
                          bool SinMensajes = false, bool ComprobarBloqueoPrevio = false);
    bool DesbloquearRegistro(const QString& QueBaseDatos, const QString& QueTabla, const QString& QueKeyRegistro);
    bool ValidarUsuarioBloqueo(const QString& QueBaseDatos, std::int32_t QueUsuario);

    void setVITS(const QString& NewVITS) { its_ = NewVITS; }
    QString ITS() const { return its_; }

    // Whether a collection holds a key (without regard to case); false on any failure.
    bool ExisteClaveColeccion(const Variant& Col, const QString& clave);

    // --- dialect strings

    QString sComodin() const { return QStringLiteral("%"); }
    QString sUnion() const { return sUnion_; }
    QString sInicioFecha() const { return sInicioFecha_; }
    QString sFinalFecha() const { return sFinalFecha_; }
    QString sInicioFormatoHora() const { return sInicioFormatoHora_; }
    QString sFinalFormatoHora() const { return sFinalFormatoHora_; }

    bool IsOracle() const;
    bool IsAccess() const;
    bool IsSQLServer() const;

    // --- SQL text parsing

    // The select-list items of a SELECT, each qualified with its table
    // ("Customers.Name"); sSQL comes back normalised.
    Variant Parsing(ByRef<QString> sSQL);
    QString RemoveBrackets(ByRef<QString> sString);

    // --- transactions and log

    void OpenTransaction();
    void CloseTransaction();
    void UnDoTransaction();
    // True between a successful OpenTransaction and CloseTransaction/UnDoTransaction
    // (a failed commit leaves it set).
    bool TransactionOpen() const { return transactionOpen_; }

    // Whether the last connection a member tried to open did not open. An empty
    // table list, view list or query answer means "nothing there" only when
    // this is false; the comparison tells a missing database from an empty one by it.
    bool LastOpenFailed() const { return lastOpenFailed_; }

    // Closes the connection unless a transaction is open; never fails.
    void CloseConnection();

    // The log object: anything implementing LogTarget (others are kept and ignored).
    Variant InicializateLog(ObjectPtr ObjetoTablas);

    // --- stored connection values

    // When not empty, replaces the server of every call.
    QString RemoteServer() const { return remoteServer_; }
    void setRemoteServer(const QString& value) { remoteServer_ = value; }
    QString Servidor() const { return servidor_; }
    void setServidor(const QString& value) { servidor_ = value; }
    QString BaseDatos() const { return baseDatos_; }
    void setBaseDatos(const QString& value) { baseDatos_ = value; }
    QString Usuario() const { return usuario_; }
    QString Contraseña() const { return contraseña_; }
    void setContraseña(const QString& value) { contraseña_ = value; }

    // Rows one spreadsheet sheet may take (the .xlsx limit less the header).
    std::int32_t GetMaxExcelRows();
    // A result of more rows than one sheet takes is cut into sheets only when
    // the statement has "ORDER BY" (exact case); otherwise the user is told
    // (and the log too) and the answer is false.
    bool PagingAllowed(const QString& sSQL, std::int64_t rows);
    // The same for a result read as it goes: `atLeast` rows seen so far, and
    // the whole count, asked for only when the user is told.
    bool PagingAllowed(const QString& sSQL, std::int64_t atLeast, const std::function<std::int64_t()>& total);

    // The owner (main window or services object); not owned, may be null.
    Object* Parent() const { return parent_; }
    void setParent(Object* parent) { parent_ = parent; }

    // --- value formatting, structure, schema and compaction
    // (members of this block are implemented in clsDO_format.cpp, clsDO_schema.cpp)

    Variant SQLFormat(const QString& WichType, const Variant& QueDato);
    QString SqlIsNull(const Variant& vValores, std::int16_t iFieldType);
    QString SQLCondition(const QString& Condition, const QString& CaseTrue, const QString& CaseFalse,
                         const QString& NombreCampo = QString());
    QString FormatoFechaSelect(const QString& NombreCampo, const QString& AliasCampo = QString());
    // DecimalesOFormato: a number of decimals or a pattern; the Oracle forms rewrite it.
    QString FormatoMonedaSelect(const QString& NombreCampo, ByRef<Variant> DecimalesOFormato,
                                const QString& AliasCampo = QString(), bool CompletarBlancosOrden = false);

    // StructureCollection: one array (qualified name, nullable, FieldTypeCode, size) per column.
    Variant EstructuraTabla(const QString& QueBaseDatos, const QString& QueNombreTabla);
    Variant EstructuraConsulta(const QString& QueBaseDatos, const QString& QueConsulta,
                               const QString& QueNombreTablaPrincipal);
    std::int16_t TipoDato(std::int16_t QueTipo);
    std::int16_t TipoDatoOracle(const QString& QueTipo);

    // Table list, one table item, indexes, primary key, views: null (nothing) after a trapped error.
    CollectionPtr TableList(ByRef<QString> sServer, ByRef<QString> sBBDD, ByRef<QString> sUID,
                            ByRef<QString> sPassword, ByRef<QString> sTableName = QString(),
                            bool bIgnoreErrors = false);
    CollectionPtr TableIndexes(ByRef<QString> sServer, ByRef<QString> sBBDD, ByRef<QString> sUID,
                               ByRef<QString> sPassword, ByRef<QString> sTableName);
    CollectionPtr TableKey(ByRef<QString> sServer, ByRef<QString> sBBDD, ByRef<QString> sUID,
                           ByRef<QString> sPassword, ByRef<QString> sTableName);
    bool IsOraclePrimaryKey(ByRef<QString> sTableName, ByRef<QString> sIndexName);
    CollectionPtr ViewList(ByRef<QString> sServer, ByRef<QString> sBBDD, ByRef<QString> sUID,
                           ByRef<QString> sPassword);

    // "" on success, else the message to show. colTableFields holds clsField items.
    QString CreateTable(const QString& sTableName, const CollectionPtr& colTableFields);
    // On a local file the table is changed in one step that keeps its own
    // foreign keys, indexes and triggers; a failure there changes nothing.
    QString ModifyTable(const QString& sTableName, const QString& sNewTableName,
                        const CollectionPtr& colTableFields);
    bool AddNewIndex(const QString& sTableName, const QString& sIndexName, bool bKey, bool bUnique,
                     bool bIgnoreNulls, const QString& sFieldsNames);
    Variant RemoveIndex(const QString& sTableName, const QString& sIndexName, bool bKey);

    // Report texts shown unchanged by the caller.
    QString CompactSQLServerDataBase(ByRef<QString> sServer, ByRef<QString> sBBDD, ByRef<QString> sUID,
                                     ByRef<QString> sPassword, bool bFileToFile);
    QString CompactAccessDataBase(ByRef<QString> sServer, ByRef<QString> sBBDD, ByRef<QString> sUID,
                                  ByRef<QString> sPassword);

private:
    // helpers of the block above
    QString ModifyLocalTable(const QString& sTableName, const QString& sNewTableName, const Collection& fields,
                             const Collection& oldFields);

    // --- end of the value formatting, structure, schema and compaction block

protected:
    // Lets a test (or a writer with its own sheet size) fix the rows per sheet.
    void setRowsPerSheet(std::int32_t rows) { rowsPerSheet_ = rows; }
    // Whether the data layer implements a provider; the provider look-up asks here.
    virtual bool ProviderRegistered(const QString& providerName) const;

public:
    // 0 SQL Server, 1 Access, 2 Oracle, from ConnectionType and UsedDriver.
    std::int16_t DialectKind() const;

private:
    bool ConnectionDataComplete() const;
    void SetDialectStrings();
    QString FindOleDbProvider(int providerKind) const;
    // The connection string for the current type and driver (password in clear).
    QString ConnectionString(const QString& server, const QString& database, const QString& user,
                             const QString& password, bool shape);
    // Opens a fresh connection (or reuses the transaction's); with a statement, runs it at once.
    bool OpenConnection(const QString& server, const QString& database, const QString& user,
                        const QString& password, bool shape = false, const QString& statement = QString());
    // RemoteServer, then the stored values for empty arguments.
    void FallBack(QString& server, QString& database, QString& user, QString& password) const;
    void InsertLog(const QString& procedure, const QString& message, std::int16_t kind, bool flag = false);
    // The output forms of Query, one function each (clsDO_query.cpp).
    friend struct QueryForms;

    QString servidor_;
    QString baseDatos_;
    QString usuario_;
    QString contraseña_;
    bool transactionOpen_ = false;
    bool lastOpenFailed_ = false;
    std::shared_ptr<db::Connection> connection_;
    std::shared_ptr<db::Recordset> recordset_;
    std::shared_ptr<db::Command> procedureCommand_;
    Variant changeHistory_;
    ObjectPtr logObject_;
    QString sUnion_;
    QString sInicioFecha_;
    QString sFinalFecha_;
    QString sInicioFormatoHora_;
    QString sFinalFormatoHora_;
    QString remoteServer_;
    std::int32_t rowsPerSheet_ = 0;
    QString its_;
    std::int16_t connectionType_ = 0;
    std::int16_t usedDriver_ = 0;
    QString sqlProvider_;
    Object* parent_ = nullptr;
};

using clsDOPtr = std::shared_ptr<clsDO>;
