#pragma once
// The settings of "Velmora.ini" that more than one window reads or writes:
// one key spelling and one default each, read with the profile rules (an
// empty or missing value gives the default).
#include "core/ProfileFile.h"

#include <QString>

namespace velmoraini {

struct Setting {
    const char* section;
    const char* key;
    const char* fallback;
};

// The OLE DB provider of each local database type; "" leaves the choice to the data layer.
inline constexpr Setting AccessMdb{"Drivers", "Access_MDB", ""};
inline constexpr Setting AccessAccdb{"Drivers", "Access_ACCDB", ""};
inline constexpr Setting Translation{"Multilanguage", "Translation", "Original"};
// "0" shows the key fields of a result (the page resolves them), anything else leaves them out.
inline constexpr Setting ExcludePrimaryKey{"Connection", "ExcludePrimaryKey", "0"};
inline constexpr Setting PasswordTimeEnabled{"PasswordTime", "Enabled", "1"};
inline constexpr Setting PasswordTimeSeconds{"PasswordTime", "Seconds", "2"};
// The folders proposed for exports; "" lets the writer propose its own.
inline constexpr Setting CsvPath{"CSV", "Path", ""};
inline constexpr Setting ScriptsPath{"Scripts", "Path", ""};

// "Velmora.ini" in the program folder.
QString path();

QString read(const Setting& s, const QString& iniPath = path());
QString read(const ProfileFile& ini, const Setting& s);
bool write(const Setting& s, const QString& value, const QString& iniPath = path());
bool set(ProfileFile& ini, const Setting& s, const QString& value);

// The provider setting of a connection type (1 .mdb, 2 .accdb); nullptr for any other type.
const Setting* accessProviderOf(int connectionType);
// The provider in force for a connection type: "" for a type without one.
QString accessProvider(int connectionType, const QString& iniPath = path());

} // namespace velmoraini
