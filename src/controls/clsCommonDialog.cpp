#include "clsCommonDialog.h"

#include "controls/ControlSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QPageSize>
#include <QPrinter>
#include <cmath>

using namespace CommonDialogRules;

namespace {
std::shared_ptr<CommonDialogBackend>& installedBackend()
{
    static std::shared_ptr<CommonDialogBackend> backend;
    return backend;
}

// Clears the sink on every path out of a wrapper.
class SinkReset {
public:
    explicit SinkReset(CommonDialogSink*& sink) : sink_(sink) {}
    ~SinkReset() { sink_ = nullptr; }
    SinkReset(const SinkReset&) = delete;
    SinkReset& operator=(const SinkReset&) = delete;

private:
    CommonDialogSink*& sink_;
};

FontDescription describe(const QFont& font)
{
    FontDescription d;
    d.faceName = font.family();
    d.pointSizeTenths = std::int32_t(std::lround((font.pointSizeF() > 0 ? font.pointSizeF() : 0) * 10));
    d.weight = font.bold() ? 700 : 400;
    d.italic = font.italic();
    d.underline = font.underline();
    d.strikeOut = font.strikeOut();
    return d;
}

void applyDescription(QFont& font, const FontDescription& d)
{
    font.setFamily(d.faceName);
    if (d.pointSizeTenths > 0)
        font.setPointSizeF(d.pointSizeTenths / 10.0);
    font.setBold(d.weight >= 600);
    font.setItalic(d.italic);
    font.setUnderline(d.underline);
    font.setStrikeOut(d.strikeOut);
}
} // namespace

CommonDialogBackend& commonDialogBackend()
{
    auto& backend = installedBackend();
    if (!backend)
        backend = std::make_shared<QtCommonDialogBackend>();
    return *backend;
}

std::shared_ptr<CommonDialogBackend> installCommonDialogBackend(std::shared_ptr<CommonDialogBackend> backend)
{
    auto previous = installedBackend();
    installedBackend() = std::move(backend);
    return previous;
}

namespace {
template <class Answer, class Request>
Answer recorded(QList<Request>& requests, QList<Answer>& answers, const Request& request)
{
    requests.append(request);
    return answers.isEmpty() ? Answer{} : answers.takeFirst();
}
} // namespace

FileDialogAnswer RecordingCommonDialogBackend::fileDialog(const FileDialogRequest& request)
{
    return recorded(fileRequests, fileAnswers, request);
}

ColorDialogAnswer RecordingCommonDialogBackend::colorDialog(const ColorDialogRequest& request)
{
    return recorded(colorRequests, colorAnswers, request);
}

FontDialogAnswer RecordingCommonDialogBackend::fontDialog(const FontDialogRequest& request)
{
    return recorded(fontRequests, fontAnswers, request);
}

PrintDialogAnswer RecordingCommonDialogBackend::printDialog(const PrintDialogRequest& request)
{
    return recorded(printRequests, printAnswers, request);
}

PageSetupAnswer RecordingCommonDialogBackend::pageSetupDialog(const PageSetupRequest& request)
{
    return recorded(pageSetupRequests, pageSetupAnswers, request);
}

ScopedRecordingCommonDialogs::ScopedRecordingCommonDialogs()
    : backend_(std::make_shared<RecordingCommonDialogBackend>()),
      previous_(installCommonDialogBackend(backend_))
{
}

ScopedRecordingCommonDialogs::~ScopedRecordingCommonDialogs()
{
    installCommonDialogBackend(previous_);
}

clsCommonDialog::clsCommonDialog() = default;
clsCommonDialog::~clsCommonDialog() = default;

bool clsCommonDialog::took(std::int32_t result, std::int32_t extendedError)
{
    apiReturn_ = result;
    // A failure other than a cancel leaves its extended error.
    if (result != 0 && result != 1)
        extendedError_ = extendedError;
    return result == 1;
}

Variant clsCommonDialog::DialogHook(std::int32_t hDlg, std::int32_t MSG, std::int32_t, std::int32_t lParam)
{
    if (!sink_)
        return Variant();
    switch (MSG) {
    case WM_NOTIFY:
        switch (lParam) {
        case CDN_TYPECHANGE:
            return sink_->TypeChange(hDlg);
        case CDN_FILEOK:
            if (!sink_->ConfirmOK()) {
                messageResult_ = 1; // keeps the dialog open
                return Variant(std::int32_t(1));
            }
            messageResult_ = 0;
            return Variant();
        case CDN_FOLDERCHANGE:
            return sink_->FolderChange(hDlg);
        case CDN_SELCHANGE:
            return sink_->FileChange(hDlg);
        default:
            return Variant();
        }
    case WM_DESTROY:
        sink_->DialogClose();
        return Variant();
    case WM_INITDIALOG:
        return sink_->InitDialog(hDlg);
    default:
        return Variant();
    }
}

bool clsCommonDialog::fileDialog(bool save, ByRef<QString>& Filename, ByRef<QString>& FileTitle,
                                 ByRef<QString>& Filter, ByRef<std::int32_t>& FilterIndex, const QString& InitDir,
                                 const QString& DlgTitle, const QString& DefaultExt, QWidget* Owner,
                                 ByRef<std::int32_t>& flags, std::int32_t dialogFlags)
{
    apiReturn_ = 0;
    extendedError_ = 0;
    SinkReset reset(sink_);

    const QString list = filterList(*Filter);
    FileDialogRequest request;
    request.save = save;
    request.owner = Owner;
    request.title = DlgTitle;
    request.folder = InitDir;
    request.initialName = TrimBuffer(*Filename);
    request.filters = filterEntries(list);
    request.filterIndex = *FilterIndex;
    request.defaultSuffix = DefaultExt;
    request.flags = dialogFlags;

    const FileDialogAnswer answer = commonDialogBackend().fileDialog(request);
    apiReturn_ = answer.result;
    if (answer.result == 1 && !answer.files.isEmpty()) {
        // Several files come back as their folder, NUL, each name: what stood
        // before the first NUL is the folder.
        QString buffer = answer.files.first();
        if (answer.files.size() > 1) {
            buffer = QFileInfo(answer.files.first()).path();
            for (const QString& file : answer.files)
                buffer += QChar(u'\0') + QFileInfo(file).fileName();
        }
        *Filename = TrimBuffer(buffer);
        *FileTitle = answer.files.size() > 1 ? QString() : VBGetFileTitle(*Filename);
        *flags = answer.flags;
        *FilterIndex = answer.filterIndex;
        *Filter = FilterLookup(list, answer.filterIndex);
        return true;
    }
    if (save && answer.result != 0 && answer.result != 1)
        extendedError_ = answer.extendedError;
    *Filename = QString();
    *FileTitle = QString();
    *Filter = QString();
    *flags = 0;
    *FilterIndex = -1;
    return false;
}

bool clsCommonDialog::VBGetOpenFileName(ByRef<QString> Filename, ByRef<QString> FileTitle,
                                        ByRef<bool> FileMustExist, ByRef<bool> MultiSelect, ByRef<bool> ReadOnly,
                                        ByRef<bool> HideReadOnly, ByRef<QString> Filter,
                                        ByRef<std::int32_t> FilterIndex, ByRef<QString> InitDir,
                                        ByRef<QString> DlgTitle, ByRef<QString> DefaultExt, QWidget* Owner,
                                        ByRef<std::int32_t> flags, ByRef<bool>, CommonDialogSink*)
{
    const std::int32_t dialogFlags = openFlags(*flags, *FileMustExist, *MultiSelect, *ReadOnly, *HideReadOnly);
    const bool ok = fileDialog(false, Filename, FileTitle, Filter, FilterIndex, *InitDir, *DlgTitle, *DefaultExt,
                               Owner, flags, dialogFlags);
    if (ok)
        *ReadOnly = (*flags & OFN_READONLY) != 0;
    return ok;
}

bool clsCommonDialog::VBGetSaveFileName(ByRef<QString> Filename, ByRef<QString> FileTitle,
                                        ByRef<bool> OverWritePrompt, ByRef<QString> Filter,
                                        ByRef<std::int32_t> FilterIndex, ByRef<QString> InitDir,
                                        ByRef<QString> DlgTitle, ByRef<QString> DefaultExt, QWidget* Owner,
                                        ByRef<std::int32_t> flags, ByRef<bool>, CommonDialogSink*)
{
    return fileDialog(true, Filename, FileTitle, Filter, FilterIndex, *InitDir, *DlgTitle, *DefaultExt, Owner, flags,
                      saveFlags(*flags, *OverWritePrompt));
}

QString clsCommonDialog::VBGetFileTitle(const QString& sFIle) const
{
    return CommonDialogRules::VBGetFileTitle(sFIle);
}

void clsCommonDialog::fillCustomColors()
{
    if (customColorsFilled_)
        return;
    for (int i = 0; i < 16; ++i)
        customColors_[i] = std::int32_t(controls::oleColorOf(controls::resolveColor(0x80000000u + std::uint32_t(i))));
    customColorsFilled_ = true;
}

std::int32_t clsCommonDialog::CustomColor(std::int32_t I)
{
    fillCustomColors();
    return I >= 0 && I <= 15 ? customColors_[I] : -1;
}

void clsCommonDialog::setCustomColor(std::int32_t I, std::int32_t iValue)
{
    fillCustomColors();
    if (I >= 0 && I <= 15)
        customColors_[I] = iValue;
}

bool clsCommonDialog::VBChooseColor(ByRef<std::int32_t> Color, ByRef<bool> AnyColor, ByRef<bool> FullOpen,
                                    ByRef<bool> DisableFullOpen, QWidget* Owner, ByRef<std::int32_t>, ByRef<bool>,
                                    CommonDialogSink*)
{
    SinkReset reset(sink_);
    fillCustomColors();
    ColorDialogRequest request;
    request.owner = Owner;
    request.color = std::uint32_t(*Color);
    request.flags = colorFlags(*AnyColor, *FullOpen, *DisableFullOpen);
    request.customColors = customColors_;

    const ColorDialogAnswer answer = commonDialogBackend().colorDialog(request);
    if (!took(answer.result, answer.extendedError)) {
        *Color = -1;
        return false;
    }
    customColors_ = answer.customColors;
    *Color = std::int32_t(answer.color);
    return true;
}

QPrinter* clsCommonDialog::printerOrOwn(QPrinter* printer)
{
    if (printer)
        return printer;
    if (!ownPrinter_)
        ownPrinter_ = std::make_unique<QPrinter>();
    return ownPrinter_.get();
}

bool clsCommonDialog::VBChooseFont(QFont& CurFont, QPrinter* PrinterDC, QWidget* Owner, ByRef<std::int32_t> Color,
                                   ByRef<std::int32_t> MinSize, ByRef<std::int32_t> MaxSize,
                                   ByRef<std::int32_t> flags, ByRef<bool>, CommonDialogSink*)
{
    apiReturn_ = 0;
    extendedError_ = 0;
    SinkReset reset(sink_);
    FontDialogRequest request;
    request.owner = Owner;
    request.font = describe(CurFont);
    request.flags = fontFlags(*flags, std::uint32_t(*Color), *MinSize, *MaxSize);
    request.printer = PrinterDC ? PrinterDC : (request.flags & CF_PRINTERFONTS) ? printerOrOwn(nullptr) : nullptr;
    request.color = std::uint32_t(*Color);
    request.minSize = *MinSize;
    request.maxSize = *MaxSize;

    const FontDialogAnswer answer = commonDialogBackend().fontDialog(request);
    if (!took(answer.result, answer.extendedError))
        return false;
    applyDescription(CurFont, answer.font);
    *Color = std::int32_t(answer.color);
    *flags = answer.flags;
    return true;
}

void clsCommonDialog::applyPrinterSettings(QPrinter* printer, const PrinterSettings& settings)
{
    if (!printer)
        return;
    if (settings.copies > 0)
        printer->setCopyCount(settings.copies);
    printer->setPageOrientation(settings.orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
    if (settings.paperSize > 0) {
        const QPageSize::PageSizeId id = QPageSize::id(settings.paperSize);
        if (id != QPageSize::Custom)
            printer->setPageSize(QPageSize(id));
    }
    if (settings.printQuality > 0)
        printer->setResolution(settings.printQuality);
}

bool clsCommonDialog::VBPrintDlg(ByRef<QPaintDevice*> hdc, ByRef<std::int32_t> PrintRange,
                                 ByRef<bool> DisablePageNumbers, ByRef<std::int32_t> FromPage,
                                 ByRef<std::int32_t> ToPage, ByRef<bool> DisableSelection, ByRef<std::int32_t> Copies,
                                 ByRef<bool> ShowPrintToFile, ByRef<bool> DisablePrintToFile,
                                 ByRef<bool> PrintToFile, ByRef<bool> Collate, ByRef<bool> PreventWarning,
                                 QWidget* Owner, QPrinter* Printer, ByRef<std::int32_t> flags, ByRef<bool>,
                                 CommonDialogSink*)
{
    SinkReset reset(sink_);
    PrintDialogRequest request;
    request.owner = Owner;
    request.printer = printerOrOwn(Printer);
    request.flags = printFlags(*flags, *PrintRange, *DisablePageNumbers, *DisableSelection, *ShowPrintToFile,
                               *DisablePrintToFile, *PrintToFile, *Collate, *PreventWarning);
    request.fromPage = *FromPage;
    request.toPage = *ToPage;
    request.copies = *Copies;

    const PrintDialogAnswer answer = commonDialogBackend().printDialog(request);
    if (!took(answer.result, answer.extendedError))
        return false;
    *hdc = request.printer;
    *PrintRange = printRangeFromFlags(answer.flags);
    *FromPage = answer.fromPage;
    *ToPage = answer.toPage;
    *Copies = answer.copies;
    *Collate = (answer.flags & PD_COLLATE) != 0;
    *PrintToFile = (answer.flags & PD_PRINTTOFILE) != 0;
    *flags = answer.flags;
    applyPrinterSettings(request.printer, answer.printer);
    return true;
}

bool clsCommonDialog::VBPageSetupDlg2(QWidget* Owner, ByRef<bool> DisableMargins, ByRef<bool> DisableOrientation,
                                      ByRef<bool> DisablePaper, ByRef<bool> DisablePrinter,
                                      ByRef<double> LeftMargin, ByRef<double> MinLeftMargin,
                                      ByRef<double> RightMargin, ByRef<double> MinRightMargin,
                                      ByRef<double> TopMargin, ByRef<double> MinTopMargin,
                                      ByRef<double> BottomMargin, ByRef<double> MinBottomMargin,
                                      ByRef<std::int32_t> PaperSize, ByRef<std::int32_t> Orientation,
                                      ByRef<std::int32_t> PrintQuality, ByRef<std::int32_t> Units, QPrinter* Printer,
                                      ByRef<std::int32_t> flags, ByRef<bool>, CommonDialogSink*)
{
    SinkReset reset(sink_);
    const std::int32_t units = *Units;
    auto in = [units](double m) { return marginToDialog(m, units); };
    PageSetupRequest request;
    request.owner = Owner;
    request.printer = printerOrOwn(Printer);
    request.flags = pageSetupFlags(*flags, *DisableMargins, *DisableOrientation, *DisablePaper, *DisablePrinter,
                                   units);
    request.margins = {in(*LeftMargin), in(*TopMargin), in(*RightMargin), in(*BottomMargin)};
    request.minMargins = {in(*MinLeftMargin), in(*MinTopMargin), in(*MinRightMargin), in(*MinBottomMargin)};

    const PageSetupAnswer answer = commonDialogBackend().pageSetupDialog(request);
    if (!took(answer.result, answer.extendedError))
        return false;
    auto out = [units](std::int32_t m) { return marginFromDialog(m, units); };
    *LeftMargin = out(answer.margins.left);
    *TopMargin = out(answer.margins.top);
    *RightMargin = out(answer.margins.right);
    *BottomMargin = out(answer.margins.bottom);
    *MinLeftMargin = out(answer.minMargins.left);
    *MinTopMargin = out(answer.minMargins.top);
    *MinRightMargin = out(answer.minMargins.right);
    *MinBottomMargin = out(answer.minMargins.bottom);
    *PaperSize = answer.printer.paperSize;
    *Orientation = answer.printer.orientation;
    *PrintQuality = answer.printer.printQuality;
    applyPrinterSettings(request.printer, answer.printer);
    return true;
}

bool clsCommonDialog::VBPageSetupDlg(QWidget* Owner, ByRef<bool> DisableMargins, ByRef<bool> DisableOrientation,
                                     ByRef<bool> DisablePaper, ByRef<bool> DisablePrinter,
                                     ByRef<std::int32_t> LeftMargin, ByRef<std::int32_t> MinLeftMargin,
                                     ByRef<std::int32_t> RightMargin, ByRef<std::int32_t> MinRightMargin,
                                     ByRef<std::int32_t> TopMargin, ByRef<std::int32_t> MinTopMargin,
                                     ByRef<std::int32_t> BottomMargin, ByRef<std::int32_t> MinBottomMargin,
                                     ByRef<std::int32_t> PaperSize, ByRef<std::int32_t> Orientation,
                                     ByRef<std::int32_t> PrintQuality, ByRef<std::int32_t> Units, QPrinter* Printer,
                                     ByRef<std::int32_t> flags, ByRef<bool> Hook, CommonDialogSink* EventSink)
{
    // The caller's margins go in; they come back only from an accepted dialog.
    double margins[8] = {double(*LeftMargin), double(*MinLeftMargin), double(*RightMargin),
                         double(*MinRightMargin), double(*TopMargin), double(*MinTopMargin),
                         double(*BottomMargin), double(*MinBottomMargin)};
    const bool ok = VBPageSetupDlg2(Owner, *DisableMargins, *DisableOrientation, *DisablePaper, *DisablePrinter,
                                    margins[0], margins[1], margins[2], margins[3], margins[4], margins[5],
                                    margins[6], margins[7], *PaperSize, *Orientation, *PrintQuality, *Units, Printer,
                                    *flags, *Hook, EventSink);
    if (ok) {
        ByRef<std::int32_t>* targets[8] = {&LeftMargin, &MinLeftMargin, &RightMargin, &MinRightMargin,
                                           &TopMargin,  &MinTopMargin,  &BottomMargin, &MinBottomMargin};
        for (int i = 0; i < 8; ++i)
            **targets[i] = std::int32_t(std::lround(margins[i]));
    }
    return ok;
}
