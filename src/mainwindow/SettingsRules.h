#pragma once
// The settings dialog's rules without the window: the provider lists, what
// each key of "Velmora.ini" loads as and saves as, and the save itself (one
// read, one write; a failed write leaves the file as it was).
#include <QString>
#include <QStringList>
#include <functional>

class ProfileFile;

namespace SettingsRules {

const QStringList& MdbItems();   // the four items of cboMDB
const QStringList& AccdbItems(); // the two items of cboACCDB

// The first item containing the provider (case-sensitive); -1 when none does.
int itemFor(const QStringList& items, const QString& provider);
// An item in the interface language: its version label (up to the first
// ":") through translate, the provider after it as it is, so providerOf
// reads the same provider in every language.
QString translatedItem(const QString& item, const std::function<QString(const QString&)>& translate);
// The provider an item stands for: the text after its first ":", trimmed;
// "" when the text holds no ":" (or nothing is selected).
QString providerOf(const QString& itemText);

// "Language1".."Language5" select that option; anything else selects option 0 (Español).
int languageIndex(const QString& translation);
// Option 0 writes "Original", option i "Language" and i.
QString languageValue(int index);

struct Values {
    QString AccessMdb;    // the provider names (loaded) or the selected items' providers (saved)
    QString AccessAccdb;
    QString CsvPath;
    QString ScriptPath;
    bool PasswordTime = true;
    QString Seconds;
    bool ExcludeKey = false;
    int Language = 0;
    bool operator==(const Values&) const = default;
};

// The values as the dialog shows them, from the file's keys with their
// defaults; paths default to the program folder & "/CSV/" and the scripts
// folder the INSERT script uses when none is set.
// [PasswordTime] Enabled checks only for "1"; [Connection] ExcludePrimaryKey
// checks for anything but "0".
Values load(const ProfileFile& ini, const QString& programFolder);

// Writes every key, in the dialog's order, with one read and one write of
// the file. False when any value cannot be stored or the file cannot be
// written; the file is then left as it was.
bool save(const QString& path, const Values& values);

} // namespace SettingsRules
