#include "mainwindow/SettingsRules.h"

#include "core/ProfileFile.h"
#include "core/VelmoraIni.h"
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

QString translatedItem(const QString& item, const std::function<QString(const QString&)>& translate)
{
    const qsizetype colon = item.indexOf(u':');
    return colon < 0 ? translate(item) : translate(item.left(colon + 1)) + item.mid(colon + 1);
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
    using namespace velmoraini;
    // Where nothing is stored the dialog proposes the usual provider and folders.
    const auto proposed = [&ini](const Setting& s, const QString& proposal) {
        const QString stored = read(ini, s);
        return stored.isEmpty() ? proposal : stored;
    };
    v.AccessMdb = proposed(AccessMdb, QStringLiteral("Microsoft.Jet.OLEDB.4.0"));
    v.AccessAccdb = proposed(AccessAccdb, QStringLiteral("Microsoft.ACE.OLEDB.12.0"));
    v.CsvPath = proposed(CsvPath, programFolder + QStringLiteral("/CSV/"));
    v.ScriptPath = proposed(ScriptsPath, insertscript::defaultFolder(programFolder));
    v.PasswordTime = read(ini, PasswordTimeEnabled) == u"1";
    v.Seconds = read(ini, PasswordTimeSeconds);
    v.ExcludeKey = read(ini, ExcludePrimaryKey) != u"0";
    v.Language = languageIndex(read(ini, Translation));
    return v;
}

bool save(const QString& path, const Values& v)
{
    ProfileFile ini = ProfileFile::load(path);
    const auto flag = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
    using namespace velmoraini;
    const bool stored = set(ini, AccessMdb, v.AccessMdb) && set(ini, AccessAccdb, v.AccessAccdb) &&
                        set(ini, CsvPath, v.CsvPath) && set(ini, ScriptsPath, v.ScriptPath) &&
                        set(ini, PasswordTimeEnabled, flag(v.PasswordTime)) &&
                        set(ini, PasswordTimeSeconds, v.Seconds) && set(ini, ExcludePrimaryKey, flag(v.ExcludeKey)) &&
                        set(ini, Translation, languageValue(v.Language));
    return stored && ini.save(path);
}

} // namespace SettingsRules
