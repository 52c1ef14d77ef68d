#pragma once
// Where the program's help is: small HTML pages, one set per language, in
// the "help" folder beside the program (the build tree, a portable copy) or
// installed under share/velmora/help, opened in the desktop's browser at the
// page of the window that asked.
#include <QString>
#include <QStringList>

namespace helppages {

// The help folder: "help" in the program folder, else beside the program,
// else the installed share/velmora/help beside its bin folder; the first one
// that exists (the first candidate when none does, so a report names it).
QString folder(const QString& programFolder, const QString& executableDir);
// The same for the program folder in force and the running program.
QString folder();

// The page of a window by its objectName ("frmSettings" -> "opciones.html");
// the contents page for a window without a page of its own.
QString pageOf(const QString& window);
// Every page, the contents page first.
QStringList pages();

// The folder of a translation language: "en", "fr", "de", "pt", "it" for
// Language1 to 5, "es" (the Spanish texts) for anything else.
QString languageFolder(const QString& language);
QStringList languageFolders();

// The window's page in the language, or the Spanish page where the language
// has none.
QString pageFile(const QString& window, const QString& language);
// Opens pageFile with the desktop; a missing page or a refused launch raises
// the error the caller reports, naming the file.
void openPage(const QString& window, const QString& language);

} // namespace helppages
