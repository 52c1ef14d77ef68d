#pragma once
// The program folder: where the settings files, the translation database and
// the export folders live. It is the executable's folder when that folder
// holds a writable "Velmora.ini" or is itself writable (a build tree, a
// portable copy); otherwise the user's data folder ($XDG_DATA_HOME/velmora,
// by default ~/.local/share/velmora), created and seeded at first start with
// the installed default files. Tests set the folder explicitly.
#include <QString>
#include <functional>

namespace ProgramFolder {

// The folder in force (without a trailing "/"), decided on first use.
QString path();
// Fixes the folder (tests, or a host that knows better); an empty text
// returns to the rule above.
void setPath(const QString& folder);

// A file in the program folder. The name may start with "\" or "/" as the
// settings write it ("\Velmora.ini"); inner "\" become "/".
QString file(const QString& name);

// Whether a file or a folder takes writes; the real answer tries it (file
// modes say little to root or on a read-only mount).
using Writable = std::function<bool(const QString& path)>;

// The rule itself, with every input given: the executable's folder, the data
// home ($XDG_DATA_HOME or ~/.local/share) and the folder of installed default
// files. Creates and seeds the user folder when that is the answer (the first
// time from the executable folder's own settings and tab files, then from the
// installed ones); returns an empty text when no usable folder can be made.
QString resolve(const QString& executableDir, const QString& dataHome, const QString& defaultsDir,
                const Writable& writable = {});

} // namespace ProgramFolder
