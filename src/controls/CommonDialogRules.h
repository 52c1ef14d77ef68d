#pragma once
// The rules of the common dialogs that need no dialog: flag words, the filter
// list, units of page margins, file titles and the patterns the Qt dialogs
// are given. clsCommonDialog and its backends use them; tests call them alone.
#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace CommonDialogRules {

// Flag bits of the file dialogs.
enum FileFlags : std::int32_t {
    OFN_READONLY = 0x1,
    OFN_OVERWRITEPROMPT = 0x2,
    OFN_HIDEREADONLY = 0x4,
    OFN_ENABLEHOOK = 0x20,
    OFN_ENABLETEMPLATE = 0x40,
    OFN_ALLOWMULTISELECT = 0x200,
    OFN_FILEMUSTEXIST = 0x1000,
};

// Flag bits of the colour dialog.
enum ColorFlags : std::int32_t {
    CC_RGBINIT = 0x1,
    CC_FULLOPEN = 0x2,
    CC_PREVENTFULLOPEN = 0x4,
    CC_SOLIDCOLOR = 0x80,
    CC_ANYCOLOR = 0x100,
};

// Flag bits of the font dialog.
enum FontFlags : std::int32_t {
    CF_SCREENFONTS = 0x1,
    CF_PRINTERFONTS = 0x2,
    CF_ENABLEHOOK = 0x8,
    CF_ENABLETEMPLATE = 0x10,
    CF_INITTOLOGFONTSTRUCT = 0x40,
    CF_EFFECTS = 0x100,
    CF_ENABLETEMPLATEHANDLE = 0x200,
    CF_LIMITSIZE = 0x2000,
};

// Flag bits of the print dialog.
enum PrintFlags : std::int32_t {
    PD_SELECTION = 0x1,
    PD_PAGENUMS = 0x2,
    PD_NOSELECTION = 0x4,
    PD_NOPAGENUMS = 0x8,
    PD_COLLATE = 0x10,
    PD_PRINTTOFILE = 0x20,
    PD_NOWARNING = 0x80,
    PD_RETURNDC = 0x100,
    PD_USEDEVMODECOPIESANDCOLLATE = 0x40000,
    PD_DISABLEPRINTTOFILE = 0x80000,
    PD_HIDEPRINTTOFILE = 0x100000,
};

// Flag bits of the page-setup dialog.
enum PageSetupFlags : std::int32_t {
    PSD_INTHOUSANDTHSOFINCHES = 0x4,
    PSD_INHUNDREDTHSOFMILLIMETERS = 0x8,
    PSD_DISABLEMARGINS = 0x10,
    PSD_DISABLEPRINTER = 0x20,
    PSD_DISABLEORIENTATION = 0x100,
    PSD_DISABLEPAPER = 0x200,
};

// The open dialog's flags: the caller's without the hook and template bits,
// plus the bits of the four check-box arguments.
std::int32_t openFlags(std::int32_t flags, bool fileMustExist, bool multiSelect, bool readOnly, bool hideReadOnly);
// The save dialog's flags: the read-only box is always hidden.
std::int32_t saveFlags(std::int32_t flags, bool overWritePrompt);
std::int32_t colorFlags(bool anyColor, bool fullOpen, bool disableFullOpen);
std::int32_t fontFlags(std::int32_t flags, std::uint32_t color, int minSize, int maxSize);
// PrintRange: 0 all pages, 1 page numbers, 2 selection. The final mask keeps
// only the bits below &H1000.
std::int32_t printFlags(std::int32_t flags, std::int32_t printRange, bool disablePageNumbers, bool disableSelection, bool showPrintToFile,
                        bool disablePrintToFile, bool printToFile, bool collate, bool preventWarning);
// PrintRange back from the flags the dialog returned.
std::int32_t printRangeFromFlags(std::int32_t flags);
std::int32_t pageSetupFlags(std::int32_t flags, bool disableMargins, bool disableOrientation, bool disablePaper,
                            bool disablePrinter, std::int32_t units);

// Margins travel in thousandths of an inch (Units 0) or hundredths of a
// millimetre (any other Units), as whole numbers.
std::int32_t marginToDialog(double margin, std::int32_t units);
double marginFromDialog(std::int32_t dialogMargin, std::int32_t units);

// The filter list: every "|" becomes a NUL and two NULs end it. Only "|"
// separates, so a description may hold ":".
QString filterList(const QString& filter);
// Piece index (from 1) of a filter list: description, NUL, pattern. Past the
// last piece (or for an empty list) "".
QString FilterLookup(const QString& filterList, std::int32_t index);

struct FilterEntry {
    QString description;
    QString patterns; // as the caller wrote them, ";"-separated
    bool operator==(const FilterEntry&) const = default;
};
// The description/pattern pairs of a filter list; a description without a
// pattern after it ends the list.
QList<FilterEntry> filterEntries(const QString& filterList);

// The patterns as the Qt dialog matches them: trimmed, split at ";" and
// widened to either case ("*.mdb" -> "*.[mM][dD][bB]"), since Linux file
// names keep their case and Access files come in both.
QStringList widenedPatterns(const QString& patterns);

// The file title: the last part of a path ("" for a folder path ending in "/").
QString VBGetFileTitle(const QString& sFile);

// The text before the first NUL.
QString TrimBuffer(const QString& buffer);

} // namespace CommonDialogRules
