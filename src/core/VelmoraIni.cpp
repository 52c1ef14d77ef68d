#include "core/VelmoraIni.h"

#include "core/ProgramFolder.h"

namespace velmoraini {

namespace {
QString text(const char* s) { return QString::fromLatin1(s); }
} // namespace

QString path() { return ProgramFolder::file(QStringLiteral("\\Velmora.ini")); }

QString read(const Setting& s, const QString& iniPath)
{
    return ProfileFile::read(iniPath, text(s.section), text(s.key), text(s.fallback));
}

QString read(const ProfileFile& ini, const Setting& s)
{
    return ini.value(text(s.section), text(s.key), text(s.fallback));
}

bool write(const Setting& s, const QString& value, const QString& iniPath)
{
    return ProfileFile::write(iniPath, text(s.section), text(s.key), value);
}

bool set(ProfileFile& ini, const Setting& s, const QString& value)
{
    return ini.setValue(text(s.section), text(s.key), value);
}

const Setting* accessProviderOf(int connectionType)
{
    return connectionType == 1 ? &AccessMdb : connectionType == 2 ? &AccessAccdb : nullptr;
}

QString accessProvider(int connectionType, const QString& iniPath)
{
    const Setting* s = accessProviderOf(connectionType);
    return s ? read(*s, iniPath) : QString();
}

} // namespace velmoraini
