// The two database servers, the prefix that reaches the ERP database, the
// password kept scrambled in the settings file, and the start-up step that
// links every known database server to every other one.
#include "clsTablas.h"

#include "OutsideComponents.h"
#include "Rows.h"
#include "core/ValueText.h"
#include "data/clsDO.h"

namespace {
const QString kServerDefault = QStringLiteral("ServerDefault");
const QString kSection = QStringLiteral("BaseDatos");
const QString kEncript = QStringLiteral("Holtane.clsEncript");
const QString kPasswordKey = QStringLiteral("062");
const QString kPasswordNotSaved = QStringLiteral("No se ha podido guardar la contraseña en el fichero de configuración.");
} // namespace

QString clsTablas::KandrelServer()
{
    if (kandrelServer_.isEmpty() || kandrelServer_ == kServerDefault)
        LeerServidorIni();
    return kandrelServer_;
}

void clsTablas::LeerServidorIni()
{
    kandrelServer_ = LeerIni(SettingsFilePath(), kSection, QStringLiteral("ServidorVusk"), kServerDefault);
    moravinServer_ = LeerIni(SettingsFilePath(), kSection, QStringLiteral("Servidor"), kServerDefault);
}

QString clsTablas::GetKandrelServerForSQL()
{
    const QString erp = KandrelServer();
    if (erp == MoravinServer())
        return QStringLiteral("kandrel.dbo.");
    QString server = KandrelServer();
    if (!server.startsWith(QLatin1Char('[')) && !server.endsWith(QLatin1Char(']')))
        server = QLatin1Char('[') + server.replace(QLatin1Char(']'), QLatin1String("]]")) + QLatin1Char(']');
    return server + QStringLiteral(".kandrel.dbo.");
}

QString clsTablas::LeerPassword(const QString& lpFileName, const QString& lpAppName, const QString& lpKeyName)
{
    const QString stored = LeerIni(lpFileName, lpAppName, lpKeyName);
    auto scrambler = OutsideComponents::create<IEncript>(kEncript);
    return scrambler->EncriptDecript(kPasswordKey, stored);
}

QString clsTablas::GuardarPassword(const QString& lpFileName, const QString& lpAppName, const QString& lpKeyName,
                                   const QString& lpString)
{
    QString scrambled;
    {
        auto scrambler = OutsideComponents::create<IEncript>(kEncript);
        scrambled = scrambler->EncriptDecript(kPasswordKey, lpString);
    }
    // The empty text means written; a password that did not reach the file says so.
    if (!GuardarIni(lpFileName, lpAppName, lpKeyName, scrambled))
        return kPasswordNotSaved;
    return QString();
}

bool clsTablas::EnlazarServidores(const QString& mode)
{
    if (KandrelServer() == kServerDefault)
        return true;
    Rows::required(dataObject_);
    QString user = LeerIni(SettingsFilePath(), kSection, QStringLiteral("UsuarioVusk"), QStringLiteral("UserDefault"));
    QString password = LeerPassword(SettingsFilePath(), kSection, QStringLiteral("ContraseñaVusk"));
    const QString sql =
        QStringLiteral("select a.server ServerA, b.server ServerB,a.username,a.password from "
                       "(SELECT DISTINCT Server,username,password FROM ") +
        GetKandrelServerForSQL() + QStringLiteral("Databases) A, (SELECT DISTINCT Server FROM ") +
        GetKandrelServerForSQL() + QStringLiteral("Databases) b Where a.server <> b.server");
    // Every server appears once per other server in the first column, so the
    // rows are taken without a key (a key on it would refuse the second row).
    const auto pairs = Rows::of(dataObject_->Query(QString(sql), QString(kandrelServer_), QStringLiteral("kandrel"),
                                                   QString(user), QString(password), QStringLiteral("Collection2"),
                                                   Variant(std::int16_t(0)), false, false));
    const int total = Rows::count(pairs);
    for (int i = 1; i <= total; ++i) {
        const auto pair = Rows::row(pairs, i);
        const QString host = ValueText::toText(Rows::value(pair, 1));
        const QString linked = ValueText::toText(Rows::value(pair, 2));
        user = ValueText::toText(Rows::value(pair, 3));
        password = ValueText::toText(Rows::value(pair, 4));
        const QString test = QStringLiteral("SELECT srvname FROM sysservers where srvname =") + SqlText(linked);
        const auto found = Rows::of(dataObject_->Query(QString(test), QString(host), QStringLiteral("master"),
                                                       QString(user), QString(password), QStringLiteral("Collection2"),
                                                       Variant(std::int16_t(0)), false));
        const bool alreadyLinked = Rows::count(found) > 0;
        if (mode == QLatin1String("Link") && !alreadyLinked)
            dataObject_->Execute(QStringLiteral("EXEC sp_addlinkedserver") + SqlText(linked) +
                                     QStringLiteral(", N'SQL Server'"),
                                 QString(host), QStringLiteral("master"), QString(user), QString(password));
    }
    return true;
}
