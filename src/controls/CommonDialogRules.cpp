#include "CommonDialogRules.h"

#include <QFileInfo>
#include <cmath>

namespace CommonDialogRules {

namespace {
constexpr QChar Nul(u'\0');
}

std::int32_t openFlags(std::int32_t flags, bool fileMustExist, bool multiSelect, bool readOnly, bool hideReadOnly)
{
    std::int32_t f = flags & ~(OFN_ENABLEHOOK | OFN_ENABLETEMPLATE);
    if (fileMustExist)
        f |= OFN_FILEMUSTEXIST;
    if (multiSelect)
        f |= OFN_ALLOWMULTISELECT;
    if (readOnly)
        f |= OFN_READONLY;
    if (hideReadOnly)
        f |= OFN_HIDEREADONLY;
    return f;
}

std::int32_t saveFlags(std::int32_t flags, bool overWritePrompt)
{
    std::int32_t f = (flags & ~(OFN_ENABLEHOOK | OFN_ENABLETEMPLATE)) | OFN_HIDEREADONLY;
    if (overWritePrompt)
        f |= OFN_OVERWRITEPROMPT;
    return f;
}

std::int32_t colorFlags(bool anyColor, bool fullOpen, bool disableFullOpen)
{
    std::int32_t f = CC_RGBINIT | (anyColor ? CC_ANYCOLOR : CC_SOLIDCOLOR);
    if (fullOpen)
        f |= CC_FULLOPEN;
    if (disableFullOpen)
        f |= CC_PREVENTFULLOPEN;
    return f;
}

std::int32_t fontFlags(std::int32_t flags, std::uint32_t color, int minSize, int maxSize)
{
    std::int32_t f = flags & ~(CF_ENABLEHOOK | CF_ENABLETEMPLATE | CF_ENABLETEMPLATEHANDLE);
    if (!(f & CF_PRINTERFONTS))
        f |= CF_SCREENFONTS;
    if (color != 0)
        f |= CF_EFFECTS;
    if (minSize != 0 || maxSize != 0)
        f |= CF_LIMITSIZE;
    return f | CF_INITTOLOGFONTSTRUCT;
}

std::int32_t printFlags(std::int32_t flags, std::int32_t printRange, bool disablePageNumbers, bool disableSelection,
                        bool showPrintToFile, bool disablePrintToFile, bool printToFile, bool collate,
                        bool preventWarning)
{
    std::int32_t f = flags;
    if (disablePageNumbers)
        f |= PD_NOPAGENUMS;
    if (disablePrintToFile)
        f |= PD_DISABLEPRINTTOFILE;
    if (disableSelection)
        f |= PD_NOSELECTION;
    if (printToFile)
        f |= PD_PRINTTOFILE;
    if (!showPrintToFile)
        f |= PD_HIDEPRINTTOFILE;
    if (preventWarning)
        f |= PD_NOWARNING;
    if (collate)
        f |= PD_COLLATE;
    f |= PD_USEDEVMODECOPIESANDCOLLATE | PD_RETURNDC;
    if (printRange == 1)
        f |= PD_PAGENUMS;
    else if (printRange == 2)
        f |= PD_SELECTION;
    // The last step keeps the word below &H8000 and drops &H1000-&H4000 too,
    // which undoes the print-to-file bits set above.
    f &= ~(0x1000 | 0x2000 | 0x4000);
    return f & 0x7FFF;
}

std::int32_t printRangeFromFlags(std::int32_t flags)
{
    if (flags & PD_PAGENUMS)
        return 1;
    if (flags & PD_SELECTION)
        return 2;
    return 0;
}

std::int32_t pageSetupFlags(std::int32_t flags, bool disableMargins, bool disableOrientation, bool disablePaper,
                            bool disablePrinter, std::int32_t units)
{
    std::int32_t f = flags;
    if (disableMargins)
        f |= PSD_DISABLEMARGINS;
    if (disableOrientation)
        f |= PSD_DISABLEORIENTATION;
    if (disablePaper)
        f |= PSD_DISABLEPAPER;
    if (disablePrinter)
        f |= PSD_DISABLEPRINTER;
    f |= units == 0 ? PSD_INTHOUSANDTHSOFINCHES : PSD_INHUNDREDTHSOFMILLIMETERS;
    return f;
}

std::int32_t marginToDialog(double margin, std::int32_t units)
{
    return std::int32_t(std::lround(margin * (units == 0 ? 1000.0 : 100.0)));
}

double marginFromDialog(std::int32_t dialogMargin, std::int32_t units)
{
    return dialogMargin / (units == 0 ? 1000.0 : 100.0);
}

QString filterList(const QString& filter)
{
    QString list = filter;
    list.replace(QLatin1Char('|'), Nul);
    return list + Nul + Nul;
}

QString FilterLookup(const QString& filterList, std::int32_t index)
{
    qsizetype start = 0;
    for (std::int32_t piece = 1; start < filterList.size(); ++piece) {
        const qsizetype first = filterList.indexOf(Nul, start);
        if (first < 0)
            return QString();
        const qsizetype second = filterList.indexOf(Nul, first + 1);
        const QString text = filterList.mid(start, second < 0 ? -1 : second - start);
        // What follows the last pair is the list's closing NULs: no piece.
        if (text.count(Nul) == text.size())
            return QString();
        if (piece == index)
            return text;
        if (second < 0)
            break;
        start = second + 1;
    }
    return QString();
}

QList<FilterEntry> filterEntries(const QString& filterList)
{
    QList<FilterEntry> entries;
    const QStringList parts = filterList.split(Nul);
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i + 1].isEmpty())
            break;
        entries.append({parts[i], parts[i + 1]});
    }
    return entries;
}

QStringList widenedPatterns(const QString& patterns)
{
    QStringList widened;
    for (const QString& piece : patterns.split(QLatin1Char(';'))) {
        const QString pattern = piece.trimmed();
        if (pattern.isEmpty())
            continue;
        QString out;
        int bracket = 0; // letters inside a "[...]" set the caller wrote stay as they are
        for (const QChar c : pattern) {
            if (c == QLatin1Char('['))
                ++bracket;
            else if (c == QLatin1Char(']') && bracket > 0)
                --bracket;
            if (bracket == 0 && c.isLetter() && c.toLower() != c.toUpper())
                out += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
            else
                out += c;
        }
        widened.append(out);
    }
    return widened;
}

QString VBGetFileTitle(const QString& sFile)
{
    return QFileInfo(sFile).fileName();
}

QString TrimBuffer(const QString& buffer)
{
    const qsizetype nul = buffer.indexOf(Nul);
    return nul < 0 ? buffer : buffer.left(nul);
}

} // namespace CommonDialogRules
