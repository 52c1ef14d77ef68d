// Giving back free space: SQL Server shrinks its files; a local database file
// is compacted into a new file from a dated backup copy, which then takes the
// place of the database by rename.
#include "data/clsDO.h"
#include "data/clsDO_sqltext.h"

#include "core/Error.h"
#include "core/ValueText.h"
#include "platform/db/Connection.h"
#include "platform/db/LocalFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kAdmin = QStringLiteral(". Compruebe que dispone de permiso de administrador.");

bool runStep(clsDO& o, const QString& sql)
{
    bool ok = false;
    trap([&] { ok = o.Execute(sql); }, [](const Error&) {});
    return ok;
}

CollectionPtr fileRows(clsDO& o, const QString& sql, const QString& server, const QString& database, const QString& user,
                       const QString& password)
{
    QString s = sql, sv = server, d = database, u = user, p = password;
    Variant keys(std::int16_t(0));
    return o.Query(s, sv, d, u, p, QStringLiteral("Collection"), keys, false, true, false, 0, 0, QString()).as<Collection>();
}

// Column `column` (1-based) of row `row` of a file list; a missing row is the caller's error.
Variant cell(const CollectionPtr& rows, int row, int column)
{
    if (!rows)
        raise(Error::ObjectVariableNotSet, QStringLiteral("Variable de objeto o de bloque With no establecida"));
    auto r = rows->Item(Variant(std::int32_t(row))).as<Collection>();
    if (!r)
        raise(Error::ObjectRequired, QStringLiteral("Se requiere un objeto"));
    return r->Item(Variant(std::int32_t(column)));
}

QString sizeText(const Variant& mb) { return ValueText::displayText(mb) + QStringLiteral(" Mb"); }

QString bytesText(qint64 n) { return ValueText::format(Variant(std::int64_t(n)), QStringLiteral("###,###,##0")); }

} // namespace

QString clsDO::CompactSQLServerDataBase(ByRef<QString> sServer, ByRef<QString> sBBDD, ByRef<QString> sUID,
                                        ByRef<QString> sPassword, bool bFileToFile)
{
    FallBack(*sServer, *sBBDD, *sUID, *sPassword);
    const QString server = *sServer, database = *sBBDD, user = *sUID, password = *sPassword;
    const QString fileList = QStringLiteral("SELECT name, physical_name, type_desc, size * 8 / 1024 AS MbSize From sys.master_files "
                                            "WHERE database_id = DB_ID('") +
                             sqltext::doubleQuotes(database) + QStringLiteral("')");
    const QString order = QStringLiteral(" ORDER BY name");

    if (!bFileToFile) {
        const CollectionPtr before = fileRows(*this, fileList + order, server, database, user, password);
        if (!runStep(*this, QStringLiteral("DBCC SHRINKDATABASE (") + database + QLatin1Char(')')))
            return QStringLiteral("ERROR") + kCrLf + QStringLiteral("No se ha podido compactar el fichero ") + database + kAdmin;
        const CollectionPtr after = fileRows(*this, fileList + order, server, database, user, password);
        QString report = QStringLiteral("RESULTADO COMPACTADO COMPLETO:");
        const int n = before ? before->Count() : 0;
        for (int i = 1; i <= n; ++i)
            report += kCrLf + ValueText::displayText(cell(before, i, 1)) + QStringLiteral(": Tamaño original=") +
                      sizeText(cell(before, i, 4)) + QStringLiteral(", Tamaño final=") + sizeText(cell(after, i, 4));
        return report;
    }

    QString report;
    const CollectionPtr files = fileRows(*this, fileList + order, server, database, user, password);
    if (!files)
        return report;
    const QString alter = QStringLiteral("ALTER DATABASE ") + sqltext::bracket(database) + QStringLiteral(" SET RECOVERY ");
    for (int i = 1; i <= files->Count(); ++i) {
        const QString name = ValueText::displayText(cell(files, i, 1));
        const QString path = ValueText::displayText(cell(files, i, 2));
        const bool isLog = ValueText::displayText(cell(files, i, 3)) == QLatin1String("LOG");
        const QString before = sizeText(cell(files, i, 4));

        QString model;
        bool switched = false;
        if (isLog) {
            const CollectionPtr db = fileRows(*this,
                                              QStringLiteral("SELECT name, recovery_model_desc From sys.Databases WHERE name = '") +
                                                  sqltext::doubleQuotes(database) + QLatin1Char('\''),
                                              server, database, user, password);
            model = ValueText::displayText(cell(db, 1, 2));
            if (model != QLatin1String("SIMPLE")) {
                if (!runStep(*this, alter + QStringLiteral("SIMPLE")))
                    return QStringLiteral("ERROR") + report + kCrLf +
                           QStringLiteral("No se ha podido cambiar el modelo de recuperación a SIMPLE") + kAdmin;
                switched = true;
            }
        }
        if (!runStep(*this, QStringLiteral("DBCC SHRINKFILE (N'") + sqltext::doubleQuotes(name) + QStringLiteral("', TRUNCATEONLY)"))) {
            // The database goes back to the recovery model it had before the log was touched.
            if (switched)
                runStep(*this, alter + model);
            return QStringLiteral("ERROR") + report + kCrLf + QStringLiteral("No se ha podido compactar el fichero ") + path +
                   kAdmin;
        }
        QCoreApplication::processEvents();
        const CollectionPtr now = fileRows(*this, fileList + QStringLiteral(" and name = '") + sqltext::doubleQuotes(name) +
                                                      QLatin1Char('\''),
                                           server, database, user, password);
        report += kCrLf + name + QStringLiteral(": Tamaño original=") + before + QStringLiteral(", Tamaño final=") +
                  sizeText(cell(now, 1, 4));
        if (isLog) {
            report += kCrLf + QStringLiteral("Se recomienda realizar un Backup completo para reiniciar la cadena de backups tras "
                                             "el truncado del log.");
            if (switched)
                runStep(*this, alter + model);
        }
    }
    return report;
}

QString clsDO::CompactAccessDataBase(ByRef<QString> sServer, ByRef<QString> sBBDD, ByRef<QString> sUID,
                                     ByRef<QString> sPassword)
{
    FallBack(*sServer, *sBBDD, *sUID, *sPassword);
    const QString path = *sBBDD;
    // A connection this object still holds would make its own file look in use.
    CloseConnection();
    QString report;
    try {
        const qint64 originalSize = QFileInfo(path).size();
        report = QStringLiteral("Fichero Original: ") + kCrLf + BraceBlock(1, path) + kCrLf + kCrLf +
                 QStringLiteral("Tamaño Original: ") + BraceBlock(2, bytesText(originalSize)) + QStringLiteral(" bytes.") + kCrLf +
                 kCrLf;
        if (connectionType_ != 1 && connectionType_ != 2)
            raise(Error::InvalidProcedureCall, QStringLiteral("El tipo de conexión no corresponde a un fichero de base de datos"));

        // The names come from the extension at the end of the path, whatever case it is written in.
        QString extension;
        for (const QString& e : {QStringLiteral(".mdb"), QStringLiteral(".accdb")})
            if (path.endsWith(e, Qt::CaseInsensitive))
                extension = path.right(e.size());
        if (extension.isEmpty())
            raise(Error::FileNotFound, QStringLiteral("El fichero no tiene la extensión .mdb ni .accdb: ") + path);
        const QString stem = path.left(path.size() - extension.size());
        const QString backup = stem + QLatin1Char('_') +
                               ValueText::format(Variant(QDateTime::currentDateTime()), QStringLiteral("yyyyMMdd_hhnnss")) +
                               extension;
        const QString compacted = stem + QStringLiteral("_COMPACT") + extension;

        if (!QFileInfo::exists(path))
            raise(Error::FileNotFound, QStringLiteral("No se encuentra el archivo ") + path);
        if (!QFile::copy(path, backup))
            raise(Error::PathNotFound, QStringLiteral("No se ha podido copiar el archivo ") + path + QStringLiteral(" a ") + backup);
        report += QStringLiteral("Backup: ") + kCrLf + BraceBlock(3, backup) + kCrLf + kCrLf;

        try {
            db::CompactDatabase(backup, compacted, *sPassword);
        } catch (const Error& e) {
            return report + QStringLiteral("Error: ") + e.description;
        }
        QCoreApplication::processEvents();

        const QString inUse = QStringLiteral("<ERROR>") + report +
                              QStringLiteral("Se ha dejado una copia del fichero compactado en la ruta: ") + kCrLf + compacted +
                              kCrLf + kCrLf +
                              QStringLiteral("Sin embargo no ha podido sustituirse por la base de datos actual debido a que la "
                                             "misma se encuentra en uso.");
        // A file someone holds is found by trying a lock, never by deleting it.
        if (db::isDatabaseFileInUse(path))
            return inUse;
        try {
            db::ReplaceDatabaseFile(compacted, path);
        } catch (const Error& e) {
            if (e.number == db::errFileInUse)
                return inUse;
            if (!QFileInfo::exists(path))
                return QStringLiteral("<ERROR>") + report +
                       QStringLiteral("No se ha podido compactar la base de datos. Tal vez el fichero estaba en uso por otro proceso");
            return QStringLiteral("<ERROR>") + report + QStringLiteral("Se ha dejado una copia del fichero compactado en la ruta: ") +
                   kCrLf + compacted + kCrLf + kCrLf + QStringLiteral("Error: ") + e.description;
        }
        QCoreApplication::processEvents();
        return report + QStringLiteral("Base de datos compactada con éxito.") + kCrLf + QStringLiteral("Tamaño Final: ") +
               BraceBlock(4, bytesText(QFileInfo(path).size())) + QStringLiteral(" bytes.");
    } catch (const Error& e) {
        if (connection_)
            CloseConnection();
        return QStringLiteral("{ERROR}") + report + QStringLiteral("ERROR: ") + e.description;
    }
}
