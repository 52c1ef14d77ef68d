#include "mainwindow/SettingsRules.h"

#include "core/ProfileFile.h"
#include "querypage/InsertScript.h"

namespace SettingsRules {

namespace {
const QString Gap = QString(10, u' ');
}

const QStringList& MdbItems()
{
    static const QStringList items = {
        QStringLiteral("Access 97:") + Gap + QStringLiteral("Microsoft.Jet.OLEDB.3.51"),
        QStringLiteral("Access 2000, XP, 2003:") + Gap + QStringLiteral("Microsoft.Jet.OLEDB.4.0"),
        QStringLiteral("Access 2007 y posteriores:") + Gap + QStringLiteral("Microsoft.ACE.OLEDB.12.0"),
        QStringLiteral("Access 2013 y posteriores:") + Gap + QStringLiteral("Microsoft.ACE.OLEDB.16.0"),
    };
    return items;
}

const QStringList& AccdbItems()
{
    static const QStringList items = {MdbItems()[2], MdbItems()[3]};
    return items;
}

int itemFor(const QStringList& items, const QString& provider)
{
    for (qsizetype i = 0; i < items.size(); ++i)
        if (items[i].contains(provider))
            return int(i);
    return -1;
}

QString providerOf(const QString& itemText)
{
    const qsizetype colon = itemText.indexOf(u':');
    return colon < 0 ? QString() : itemText.mid(colon + 1).trimmed();
}

int languageIndex(const QString& translation)
{
    static const QStringList known = {"Language1", "Language2", "Language3", "Language4", "Language5"};
    const qsizetype i = known.indexOf(translation);
    return i < 0 ? 0 : int(i) + 1;
}

QString languageValue(int index)
{
    return index >= 1 && index <= 5 ? QStringLiteral("Language%1").arg(index) : QStringLiteral("Original");
}

Values load(const ProfileFile& ini, const QString& programFolder)
{
    Values v;
    v.AccessMdb = ini.value("Drivers", "Access_MDB", "Microsoft.Jet.OLEDB.4.0");
    v.AccessAccdb = ini.value("Drivers", "Access_ACCDB", "Microsoft.ACE.OLEDB.12.0");
    v.CsvPath = ini.value("CSV", "Path", programFolder + QStringLiteral("/CSV/"));
    v.ScriptPath = ini.value("Scripts", "Path", insertscript::defaultFolder(programFolder));
    v.PasswordTime = ini.value("PasswordTime", "Enabled", "1") == u"1";
    v.Seconds = ini.value("PasswordTime", "Seconds", "2");
    v.ExcludeKey = ini.value("Connection", "ExcludePrimaryKey", "0") != u"0";
    v.Language = languageIndex(ini.value("Multilanguage", "Translation", "Original"));
    return v;
}

bool save(const QString& path, const Values& v)
{
    ProfileFile ini = ProfileFile::load(path);
    const auto flag = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
    const bool stored = ini.setValue("Drivers", "Access_MDB", v.AccessMdb) &&
                        ini.setValue("Drivers", "Access_ACCDB", v.AccessAccdb) &&
                        ini.setValue("CSV", "Path", v.CsvPath) && ini.setValue("Scripts", "Path", v.ScriptPath) &&
                        ini.setValue("PasswordTime", "Enabled", flag(v.PasswordTime)) &&
                        ini.setValue("PasswordTime", "Seconds", v.Seconds) &&
                        ini.setValue("Connection", "ExcludePrimaryKey", flag(v.ExcludeKey)) &&
                        ini.setValue("Multilanguage", "Translation", languageValue(v.Language));
    return stored && ini.save(path);
}

} // namespace SettingsRules
