// The common dialogs on Qt: each wrapper's request applied as far as the Qt
// dialog offers it.
#include "clsCommonDialog.h"

#include "controls/ControlSupport.h"
#include "controls/TextRoom.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QPageSetupDialog>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <cmath>

using namespace CommonDialogRules;

namespace {
PrinterSettings settingsOf(const QPrinter& printer)
{
    PrinterSettings s;
    s.copies = printer.copyCount();
    s.orientation = printer.pageLayout().orientation() == QPageLayout::Landscape ? 2 : 1;
    s.paperSize = printer.pageLayout().pageSize().windowsId();
    s.printQuality = printer.resolution();
    return s;
}
} // namespace

QString QtCommonDialogBackend::nameFilter(const FilterEntry& entry)
{
    // The details in the last parentheses are what the dialog matches and,
    // with HideNameFilterDetails, what it does not show.
    return entry.description + QStringLiteral(" (") + widenedPatterns(entry.patterns).join(QLatin1Char(' ')) +
           QLatin1Char(')');
}

FileDialogAnswer QtCommonDialogBackend::fileDialog(const FileDialogRequest& request)
{
    QFileDialog dialog(request.owner, request.title, request.folder);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    if (request.save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !(request.flags & OFN_OVERWRITEPROMPT));
    } else if (request.flags & OFN_ALLOWMULTISELECT) {
        dialog.setFileMode(QFileDialog::ExistingFiles);
    } else {
        dialog.setFileMode((request.flags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    }
    QStringList filters;
    for (const FilterEntry& entry : request.filters)
        filters << nameFilter(entry);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = request.filterIndex >= 1 && request.filterIndex <= filters.size() ? request.filterIndex : 1;
        dialog.selectNameFilter(filters.at(index - 1));
    }
    if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.initialName.isEmpty())
        dialog.selectFile(request.initialName);
    // Qt restores the column widths a former chooser left, sized for another
    // language or none; the translated headers get their room again.
    controls::fitHeadersOnShow(&dialog);

    FileDialogAnswer answer;
    if (dialog.exec() != QDialog::Accepted)
        return answer;
    answer.result = 1;
    answer.files = dialog.selectedFiles();
    answer.filterIndex = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (answer.filterIndex < 1)
        answer.filterIndex = 1;
    answer.flags = request.flags;
    return answer;
}

ColorDialogAnswer QtCommonDialogBackend::colorDialog(const ColorDialogRequest& request)
{
    for (int i = 0; i < 16 && i < QColorDialog::customCount(); ++i)
        QColorDialog::setCustomColor(i, controls::resolveColor(std::uint32_t(request.customColors[i])));
    QColorDialog dialog(controls::resolveColor(request.color), request.owner);
    dialog.setOption(QColorDialog::DontUseNativeDialog);

    ColorDialogAnswer answer;
    answer.customColors = request.customColors;
    const bool accepted = dialog.exec() == QDialog::Accepted;
    // The custom colours the user edited stay, accepted or not.
    for (int i = 0; i < 16 && i < QColorDialog::customCount(); ++i)
        answer.customColors[i] = std::int32_t(controls::oleColorOf(QColorDialog::customColor(i)));
    if (!accepted)
        return answer;
    answer.result = 1;
    answer.color = controls::oleColorOf(dialog.selectedColor());
    return answer;
}

FontDialogAnswer QtCommonDialogBackend::fontDialog(const FontDialogRequest& request)
{
    QFont initial(request.font.faceName);
    if (request.font.pointSizeTenths > 0)
        initial.setPointSizeF(request.font.pointSizeTenths / 10.0);
    initial.setBold(request.font.weight >= 600);
    initial.setItalic(request.font.italic);
    initial.setUnderline(request.font.underline);
    initial.setStrikeOut(request.font.strikeOut);

    QFontDialog dialog(initial, request.owner);
    // Underline and strike-out are always offered; colour and size limits are not.
    dialog.setOptions(QFontDialog::DontUseNativeDialog);

    FontDialogAnswer answer;
    if (dialog.exec() != QDialog::Accepted)
        return answer;
    const QFont chosen = dialog.selectedFont();
    answer.result = 1;
    answer.font.faceName = chosen.family();
    answer.font.pointSizeTenths = std::int32_t(std::lround(chosen.pointSizeF() * 10));
    answer.font.weight = chosen.bold() ? 700 : 400;
    answer.font.italic = chosen.italic();
    answer.font.underline = chosen.underline();
    answer.font.strikeOut = chosen.strikeOut();
    answer.color = request.color; // the dialog offers no text colour
    answer.flags = request.flags;
    return answer;
}

PrintDialogAnswer QtCommonDialogBackend::printDialog(const PrintDialogRequest& request)
{
    QPrinter& printer = *request.printer;
    printer.setCopyCount(request.copies > 0 ? request.copies : 1);
    printer.setCollateCopies(request.flags & PD_COLLATE);
    if (request.fromPage > 0 && request.toPage >= request.fromPage)
        printer.setFromTo(request.fromPage, request.toPage);
    QPrintDialog dialog(&printer, request.owner);
    dialog.setMinMax(request.minPage, request.maxPage);
    QAbstractPrintDialog::PrintDialogOptions options = QAbstractPrintDialog::PrintToFile |
                                                      QAbstractPrintDialog::PrintCollateCopies |
                                                      QAbstractPrintDialog::PrintShowPageSize;
    if (!(request.flags & PD_NOSELECTION))
        options |= QAbstractPrintDialog::PrintSelection;
    if (!(request.flags & PD_NOPAGENUMS))
        options |= QAbstractPrintDialog::PrintPageRange;
    dialog.setOptions(options);
    if (request.flags & PD_SELECTION)
        dialog.setPrintRange(QAbstractPrintDialog::Selection);
    else if (request.flags & PD_PAGENUMS)
        dialog.setPrintRange(QAbstractPrintDialog::PageRange);

    PrintDialogAnswer answer;
    if (dialog.exec() != QDialog::Accepted)
        return answer;
    answer.result = 1;
    std::int32_t flags = request.flags & ~(PD_SELECTION | PD_PAGENUMS | PD_COLLATE | PD_PRINTTOFILE);
    if (dialog.printRange() == QAbstractPrintDialog::Selection)
        flags |= PD_SELECTION;
    else if (dialog.printRange() == QAbstractPrintDialog::PageRange)
        flags |= PD_PAGENUMS;
    if (printer.collateCopies())
        flags |= PD_COLLATE;
    if (!printer.outputFileName().isEmpty())
        flags |= PD_PRINTTOFILE;
    answer.flags = flags;
    answer.fromPage = printer.fromPage();
    answer.toPage = printer.toPage();
    answer.copies = printer.copyCount();
    answer.printer = settingsOf(printer);
    return answer;
}

PageSetupAnswer QtCommonDialogBackend::pageSetupDialog(const PageSetupRequest& request)
{
    QPrinter& printer = *request.printer;
    const bool inches = request.flags & PSD_INTHOUSANDTHSOFINCHES;
    const double factor = inches ? 1000.0 : 100.0;
    const QPageLayout::Unit unit = inches ? QPageLayout::Inch : QPageLayout::Millimeter;
    auto toMargins = [factor](const PageMargins& m) {
        return QMarginsF(m.left / factor, m.top / factor, m.right / factor, m.bottom / factor);
    };
    QPageLayout layout = printer.pageLayout();
    layout.setUnits(unit);
    layout.setMinimumMargins(toMargins(request.minMargins));
    layout.setMargins(toMargins(request.margins));
    printer.setPageLayout(layout);

    QPageSetupDialog dialog(&printer, request.owner);
    PageSetupAnswer answer;
    answer.margins = request.margins;
    answer.minMargins = request.minMargins;
    if (dialog.exec() != QDialog::Accepted)
        return answer;
    answer.result = 1;
    auto fromMargins = [factor](const QMarginsF& m) {
        return PageMargins{std::int32_t(std::lround(m.left() * factor)), std::int32_t(std::lround(m.top() * factor)),
                           std::int32_t(std::lround(m.right() * factor)),
                           std::int32_t(std::lround(m.bottom() * factor))};
    };
    QPageLayout chosen = printer.pageLayout();
    chosen.setUnits(unit);
    answer.margins = fromMargins(chosen.margins());
    answer.minMargins = fromMargins(chosen.minimumMargins());
    answer.printer = settingsOf(printer);
    return answer;
}
