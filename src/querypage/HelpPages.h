#pragma once
// Where the program's help is: the local help file in the program folder
// (the help button in Spanish and the main window's F1) and one online page
// per translation language, shown through a page-translation service.
#include <QString>

namespace helppages {

// The help file's name in the program folder.
inline constexpr char16_t HelpFileName[] = u"\\Velmora.chm";

// The help file of the program folder in force.
QString localHelpFile();
// Opens the local help file with the desktop; a missing file or a refused
// launch raises the error the caller reports, naming the file.
void openLocalHelp();

// The online help page for a translation language, "Language1" (English) to
// "Language5" (Italian); "" for any other value.
QString onlineAddress(const QString& language);

} // namespace helppages
