#include "FirstTab.h"

#include "core/ProfileFile.h"

#include <QDir>
#include <QFileInfo>

namespace FirstTab {

Result write(const QString& folder, const QString& database)
{
    const QString path = folder + QStringLiteral("/Velmora_Tab1.ini");
    if (QFileInfo::exists(path))
        return Result::Kept;
    ProfileFile tab;
    const QString access = QStringLiteral("DataAccess_0");
    const QString query = QStringLiteral("LastQuery_0");
    const bool ok = tab.setValue(access, QStringLiteral("ConnectionType"), QStringLiteral("1")) &&
                    tab.setValue(access, QStringLiteral("Driver"), QStringLiteral("1")) &&
                    tab.setValue(access, QStringLiteral("DataBase"), QDir::cleanPath(QFileInfo(database).absoluteFilePath())) &&
                    tab.setValue(query, QStringLiteral("LastQuery_0_Lines"), QStringLiteral("1")) &&
                    tab.setValue(query, QStringLiteral("LastQuery_0_Line_1"),
                                 QStringLiteral("<LINE>SELECT * FROM Clientes<LINE>"));
    return ok && tab.save(path) ? Result::Written : Result::Failed;
}

} // namespace FirstTab
