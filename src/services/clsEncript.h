#pragma once
// The scrambling component that the server link uses for the password kept in
// the framework settings file. Letters and digits are mirrored within the
// alphabet of letters and digits around a point fixed by the key; every other
// character stays. The result is again a one-line printable text (so it can be
// stored as a settings value), and applying the member to its own output with
// the same key gives the input back.
#include "OutsideComponents.h"

class clsEncript : public IEncript {
public:
    QString typeName() const override { return QStringLiteral("clsEncript"); }
    QString EncriptDecript(const QString& sKey, const QString& sToEncriptDecript) override;
};
