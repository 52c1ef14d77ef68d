#pragma once
// The real dialogs behind the query page's dialog factories, all installed
// here: the SQL editor, the settings, the new key, the key fields, the
// data-source picker, the table list, the comparison, the CSV options and
// the two export writers. Each factory's dialog copies the page's inputs into
// the window, shows it through the modal runner and copies the outputs back.
class PageDialogs;

namespace mainwindow {

// Puts every real dialog into a set of factories.
void useRealDialogs(PageDialogs& dialogs);
// Makes every page created from now on use them (the program calls it at start).
void installPageDialogs();

} // namespace mainwindow
