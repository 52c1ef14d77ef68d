#pragma once
// The scrambling component that the server link uses for the password kept in
// the framework settings file: the services' own bit inversion with the
// caller's three-digit key, applied to a character only when both it and what
// it becomes are visible ASCII characters. With the link's key "062" the full
// inversion would turn "E" into code 0, "H" and "O" into line breaks and "L"
// into a tab, none of which a settings value can keep; restricted this way the
// result is again a one-line text that reads back as written, and applying the
// member to its own output with the same key gives the input back.
#include "OutsideComponents.h"

class clsEncript : public IEncript {
public:
    QString typeName() const override { return QStringLiteral("clsEncript"); }
    QString EncriptDecript(const QString& sKey, const QString& sToEncriptDecript) override;
};
