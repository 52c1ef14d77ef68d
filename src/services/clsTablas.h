#pragma once
// clsTablas: the application's toolbox of shared services. One instance per
// run; the main window starts it with Iniciar and every window, dialog and
// control that needs a service holds the same instance.
//
// It reads and writes settings files, checks blank inputs, caches table
// structures, answers permission questions and links database servers at
// start-up, and carries the rest of the framework's public interface
// (accounts and currencies, counters, settings kept in the database,
// enterprise identifiers, tax rates, a password transform).
#include "core/Collection.h"
#include "core/CollectionHelpers.h"
#include "core/MessageReporter.h"
#include "core/Object.h"
#include "core/Variant.h"
#include "data/LogTarget.h"
#include "services/ListGrid.h"
#include "services/RecordSource.h"
#include "services/Scrambling.h"

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class QObject;
class clsDO;
class ILogging;

class clsTablas : public Object, public LogTarget {
public:
    clsTablas();
    ~clsTablas() override;
    clsTablas(const clsTablas&) = delete;
    clsTablas& operator=(const clsTablas&) = delete;

    QString typeName() const override { return QStringLiteral("clsTablas"); }

    // The error source every report of this class carries (with its trailing blank).
    static const QString Source;

    // --- public values

    QString FormatoMoneda;
    std::int16_t DigitosCuenta = 0;
    std::int16_t ImprimirRecibos = 0;
    QString TrayectoriaLocal;
    QString EjercicioActual;
    QString Ejercicio;
    QString Empresa;
    std::int32_t CodigoUsuario = 0;
    QString Usuario;
    QString PasswordUsuario;
    ObjectPtr Parent;
    MessageReporterPtr oError;
    bool bSalir = false;
    bool ActivarBorrado = false;

    // Plain stored properties.
    bool DisableSecurity = false;
    QString ReinvoicingDate;
    QString NombreIni;
    std::int16_t EnterpriseID = 0;
    QString EnterpriseLogo;
    QString EnterpriseLogoButton;
    QString EnterpriseShortName;
    QString EnterpriseTaxNumber;
    QString EncriptKey;
    QString EncriptExternalKey;
    bool HistoricalAccess = false;
    CollectionPtr TablasDeLog;

    // --- start-up, settings files, release

    bool Iniciar(ObjectPtr oParent, std::shared_ptr<clsDO> ObjetoConsulta, MessageReporterPtr ObjetoError,
                 const QString& QueTrayectoriaLocal);
    bool Terminar();
    static QString LeerIni(const QString& lpFileName, const QString& lpAppName, const QString& lpKeyName,
                           const Variant& vDefault = Variant());
    // False when the write was refused (a line break in a name or the value) or
    // failed (read-only or unwritable file); the file is then unchanged.
    static bool GuardarIni(const QString& lpFileName, const QString& lpAppName, const QString& lpKeyName,
                           const QString& lpString);
    Variant Language() const { return Variant(language_); }
    // The full path of the framework settings file.
    QString SettingsFilePath() const;
    // The data-access object given to Iniciar (may be null).
    std::shared_ptr<clsDO> DataObject() const { return dataObject_; }

    // --- blank fields, values, structure cache

    // QueControl: any control with a "text" (or "currentText") property; its
    // "visible" property and setFocus slot are used when present.
    bool EvitarBlancos(QObject* QueControl, const QString& QueEsBlanco, const QString& Descripcion,
                       bool Pregunta = false);
    static double Blank2Zero(const QString& QueCadena);
    static QString Zero2Blank(const QString& QueCadena);
    static Variant Null2Blank(const Variant& QueValor, const Variant& DefinirBlanco = Variant(QString()));
    QString Codigo2Nombre(const QString& QueCodigo, const std::shared_ptr<clsDO>& PunteroConsulta);
    static void SearchList(ListGrid& WhichList, const QString& TextSearch, std::int32_t Column = 2,
                           std::int32_t InitRow = 0);
    Variant ObtenerEstructuraTabla(const QString& QueBaseDatos, const QString& QueNombreTabla);
    void InicializarTablas();

    // --- permissions and user profile

    bool Permiso(const QString& QueAgrupacion, const QString& QueModulo, std::uint8_t QuePermiso,
                 bool NoCrearPermiso = false);
    bool ValidateUser(QString& sUsuario);
    bool PeriodoBloqueado(const QString& QueFecha);
    bool Logable(const QString& QueTabla);
    CollectionPtr ActualPermissions();
    void setActualPermissions(CollectionPtr permissions) { actualPermissions_ = std::move(permissions); }
    std::int16_t Perfil() const { return perfil_; }

    // --- accounts and currencies

    bool AgregarCerosCuenta(QObject* QueControl);
    QString AgregarDigitoCuenta(QString& NumeroCuentaActual, std::int16_t UltimaPulsacion,
                                bool AgregarDigitoYa = false);
    QString FormatoDivisa(const Variant& DivisaDecimales, const std::shared_ptr<clsDO>& ObjetoConsulta = nullptr);
    double CambioDivisa(const std::shared_ptr<clsDO>& oConsulta, const QString& CodigoDivisaOrigen,
                        const QString& CodigoDivisaDestino, double CambioPreEstablecido = 0);
    double AplicarCambio(const std::shared_ptr<clsDO>& oConsulta, Currency ImporteDivisaOrigen,
                         const QString& CodigoDivisaOrigen, const QString& CodigoDivisaDestino,
                         double CambioPreEstablecido = 0);
    std::int16_t DecimalesMoneda(QString& FormatoTratado);
    std::int16_t DecimalesMoneda();
    Currency SaldoCuenta(const QString& QueCodigo, const QString& DebeHaberSaldo,
                         const std::shared_ptr<clsDO>& PunteroConsulta);
    QString ConseguirCampo(const QString& QueTabla, const QString& CampoDeseado, const QString& CampoConocido,
                           const QString& ValorConocido, bool Comillas = false,
                           const QString& FiltroOpcional = QString());
    // The currency pattern for a number of decimals ("###,###,##0.00" for 2;
    // a fraction is rounded half to even; a negative number raises).
    static QString CurrencyPattern(double decimals);

    // --- settings kept in the database

    QString GetSetting(const QString& SettingsGroup, const QString& SettingsName,
                       const QString& ExitType = QStringLiteral("Value"));
    bool SetSetting(const QString& SettingsGroup, const QString& SettingsName, const QString& ValueString,
                    const QString& InfoString = QString());
    QString RegisterString2Send(RecordSource& OjbectToExtract, std::int32_t RegisterPosition);
    QString GetSettingUser(std::int32_t UserId, const QString& SettingsGroup, const QString& SettingsName,
                           const QString& ExitType = QStringLiteral("Value"));
    bool SetSettingUser(std::int32_t UserId, const QString& SettingsGroup, const QString& SettingsName,
                        const QString& ValueString, const QString& InfoString = QString());

    // --- enterprise and physical database identifiers

    std::int32_t GetRelationID(const QString& TableName);
    std::int16_t GetPhisicalDataBaseID(const QString& sBaseDatos, std::int16_t iLogicalDataBase = 0);
    QString GetPhisicalDataBaseIDs(const QString& sBaseDatos);
    std::int16_t GetPhisicalTargetDataBaseID(std::int16_t iRelationID);
    bool ShowEnterprise();
    bool ShowHistory();

    // --- tray notifier and log

    void AddAppToTaskManager(QString& pName, QString& pCaption1, QString& pCaption2, QString& pLogo,
                             QString& pPathImages);
    bool RemoveAppToTaskManager();
    QString AddWindowToTaskManager(QString& pWindowName, ObjectPtr& pWindow, QString& pNamePict,
                                   std::int16_t& pObjectType, std::int16_t& pCloseableItem,
                                   std::int16_t& pSensibleItem);
    bool RemoveWindowToTaskManager(QString& itemKeyWin);
    bool addListenToChange(Variant& dato);
    QString KeyApplication() const { return applicationKey_; }
    bool AreThereWindowsOpened();
    bool InsertLog(const QString& strClasName, const QString& strProcedureName, const QString& strMessage,
                   std::int16_t enmTipo, bool bMessage = false) override;

    // --- counters

    std::int32_t GetNewNumber(const QString& sTable, const QString& sKeyField);

    // --- versions, document number, system

    static QString ProgramVersion();
    static QString ShortProgramVersion();
    static QString NumeroFacturaAbreviado(const QString& strNumero);
    static QString GetWindowsVersion();
    // The name of a version record (platform id, major, minor); callOk false when
    // the record could not be read.
    static QString WindowsVersionName(bool callOk, int platformId, int major, int minor);

    // --- database servers and passwords

    QString KandrelServer();
    void setKandrelServer(const QString& sKandrelServer) { kandrelServer_ = sKandrelServer; }
    QString MoravinServer() const { return moravinServer_; }
    void setMoravinServer(const QString& sMoravinServer) { moravinServer_ = sMoravinServer; }
    QString GetKandrelServerForSQL();
    // The start-up step: every database server the ERP database lists becomes a
    // linked server of every other one ("Link"); "UnLink" only runs the tests.
    bool EnlazarServidores(const QString& mode);
    QString LeerPassword(const QString& lpFileName, const QString& lpAppName, const QString& lpKeyName);
    // "" when written, else the message to show.
    QString GuardarPassword(const QString& lpFileName, const QString& lpAppName, const QString& lpKeyName,
                            const QString& lpString);

    // --- collections and division

    bool ExisteClaveColeccion(const Variant& Col, const QString& clave) { return ::ExisteClaveColeccion(Col, clave); }
    bool ExisteCampoColeccion(const Variant& Col, const QString& clave);
    bool AñadirValorEnElementoColeccion(const Variant& Col, const QString& clave, const QString& Valor,
                                        const QString& Formato, const QString& Operacion,
                                        const QString& Separador = QStringLiteral(", "));
    static double DivideBy(const Variant& sFirstElement, const Variant& sSecondElement);

    // --- tax rates, document crossing, history, server time

    QString GetServerTime();
    Currency GetVATPercent(const std::shared_ptr<clsDO>& objNesko, const QString& sTypeIVA, const QDateTime& DocDate);
    QString GetVATQuery(const QDateTime& DocDate, Currency sTypeIVA = Currency::fromScaled(-Currency::Scale));
    Variant GetCrossingData(const QString& TableDocument, const QString& SerieOrExternalNumber,
                            std::int32_t InternalNumber, std::int32_t DocumentEnterpriseID,
                            const QString& PairMode = QString());
    QString HistoricalBreakDay();
    void setHistoricalBreakDay(const QString& value) { historicalBreakDay_ = value; }
    QString HistoricServer(std::int32_t& lEnterprise);
    QString HistoricServer();
    QString HistoricDataBase(std::int32_t& lEnterprise);
    QString HistoricDataBase();

    // --- password scrambling

    QString EncriptDecript(QString& sKey, const QString& sToEncriptDecript);
    bool GenerateNumber(std::int16_t& iUno, std::int16_t& iDos, std::int16_t& iTres);
    // Tests fix the digits drawn by GenerateNumber (1..7 each call).
    void setDigitDraw(Scrambling::Draw draw) { digitDraw_ = std::move(draw); }

    // --- for tests and the host

    // Lets pending events run inside long loops; tests replace it.
    void setProcessEvents(std::function<void()> processEvents) { processEvents_ = std::move(processEvents); }
    // The clock the counter's lock token is made from; tests replace it.
    void setClock(std::function<QDateTime()> clock) { clock_ = std::move(clock); }
    // The pause between two attempts to take a counter's lock; tests replace it.
    void setLockWait(std::function<void()> wait) { lockWait_ = std::move(wait); }
    // Questions and reports normally go to oError (MsgBox, MostrarError); tests catch them here.
    using MsgBoxHook = std::function<int(const QString& prompt, int style, const QString& title)>;
    using ReportHook = std::function<void(const QString& procedure, const QString& component, int type,
                                          const QString& title)>;
    void setMessageHooks(MsgBoxHook msgBox, ReportHook report)
    {
        msgBoxHook_ = std::move(msgBox);
        reportHook_ = std::move(report);
    }

    // A text as an SQL literal, quotes doubled ("O'Neil" -> 'O''Neil').
    static QString SqlText(const QString& value);
    // The quotes of a text doubled, for a literal whose quotes are written around it.
    static QString SqlEscape(const QString& value);

private:
    // The data-access object to use: the one Iniciar received, else the host's oConsulta.
    std::shared_ptr<clsDO> GetObjConsulta();
    void LeerServidorIni();
    CollectionPtr CargarPermisos();
    QString EnterpriseDataBase(std::int32_t enterprise);
    bool ShowMenuWindow(const QString& progId);
    // A look-up in the ERP database on its server.
    CollectionPtr KandrelQuery(const QString& sql);
    void Release();
    QString HistoricValue(std::int32_t& lEnterprise, const QString& column);
    // The class report: MostrarError(procedure, Source, 16, "Error"); without a
    // message object the system message box shows it.
    void ReportError(const QString& procedure);
    int AskUser(const QString& prompt, int style, const QString& title);
    void processEvents();
    QString StructureKey(const clsDO& dataObject, const QString& database, const QString& table) const;

    std::shared_ptr<clsDO> dataObject_;
    CollectionPtr structureCache_;
    Variant lastStructure_;
    CollectionPtr actualPermissions_;
    std::int16_t perfil_ = 0;
    QString sql_;
    QString language_;
    QString kandrelServer_;
    QString moravinServer_;
    QString applicationKey_;
    std::shared_ptr<ILogging> logging_;
    CollectionPtr relationCache_;
    CollectionPtr databaseListCache_;
    QString historicalBreakDay_;
    Scrambling::Draw digitDraw_;
    std::function<void()> processEvents_;
    std::function<QDateTime()> clock_;
    std::function<void()> lockWait_;
    MsgBoxHook msgBoxHook_;
    ReportHook reportHook_;
};

using clsTablasPtr = std::shared_ptr<clsTablas>;
