#pragma once
// clsCommonDialog: the file, colour, font, print and page-setup dialogs as
// plain members with optional arguments passed by reference; callers get the
// chosen values back in their own variables and a True/False result.
//
// The dialogs themselves stand behind CommonDialogBackend: the program uses
// Qt's dialogs, tests install a recording fake with scripted answers.
#include "controls/CommonDialogRules.h"
#include "core/ByRef.h"
#include "core/Variant.h"

#include <QFont>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <memory>

class QPaintDevice;
class QPrinter;
class QWidget;

// --- what a backend is asked and what it answers. Return value 1 is success,
// 0 cancel, anything else a failure whose extended error comes along.

struct FileDialogRequest {
    bool save = false;
    QWidget* owner = nullptr;
    QString title;
    QString folder;
    QString initialName;
    QList<CommonDialogRules::FilterEntry> filters;
    std::int32_t filterIndex = 1; // from 1
    QString defaultSuffix;
    std::int32_t flags = 0;
};
struct FileDialogAnswer {
    std::int32_t result = 0;
    QStringList files; // full paths
    std::int32_t filterIndex = 1;
    std::int32_t flags = 0;
    std::int32_t extendedError = 0;
};

struct ColorDialogRequest {
    QWidget* owner = nullptr;
    std::uint32_t color = 0; // &HBBGGRR
    std::int32_t flags = 0;
    std::array<std::int32_t, 16> customColors{};
};
struct ColorDialogAnswer {
    std::int32_t result = 0;
    std::uint32_t color = 0;
    std::array<std::int32_t, 16> customColors{};
    std::int32_t extendedError = 0;
};

// A font as the font dialog describes it: the size in tenths of a point.
struct FontDescription {
    QString faceName;
    std::int32_t pointSizeTenths = 0;
    std::int32_t weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    bool operator==(const FontDescription&) const = default;
};
struct FontDialogRequest {
    QWidget* owner = nullptr;
    FontDescription font;
    QPrinter* printer = nullptr; // the device whose fonts are listed (printer fonts asked)
    std::uint32_t color = 0;
    std::int32_t minSize = 0;
    std::int32_t maxSize = 0;
    std::int32_t flags = 0;
};
struct FontDialogAnswer {
    std::int32_t result = 0;
    FontDescription font;
    std::uint32_t color = 0;
    std::int32_t flags = 0;
    std::int32_t extendedError = 0;
};

// The printer settings the print and page-setup dialogs hand back: paper size
// by its Windows paper number, orientation 1 portrait / 2 landscape, print
// quality in dots per inch.
struct PrinterSettings {
    std::int32_t copies = 1;
    std::int32_t orientation = 1;
    std::int32_t paperSize = 0;
    std::int32_t printQuality = 0;
};

struct PrintDialogRequest {
    QWidget* owner = nullptr;
    QPrinter* printer = nullptr;
    std::int32_t flags = 0;
    std::int32_t fromPage = 0;
    std::int32_t toPage = 0;
    std::int32_t minPage = 1;
    std::int32_t maxPage = 65535;
    std::int32_t copies = 1;
};
struct PrintDialogAnswer {
    std::int32_t result = 0;
    std::int32_t flags = 0;
    std::int32_t fromPage = 0;
    std::int32_t toPage = 0;
    std::int32_t copies = 1;
    PrinterSettings printer;
    std::int32_t extendedError = 0;
};

// Margins in the dialog's units (see the flags): left, top, right, bottom.
struct PageMargins {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const PageMargins&) const = default;
};
struct PageSetupRequest {
    QWidget* owner = nullptr;
    QPrinter* printer = nullptr;
    std::int32_t flags = 0;
    PageMargins margins;
    PageMargins minMargins;
};
struct PageSetupAnswer {
    std::int32_t result = 0;
    PageMargins margins;
    PageMargins minMargins;
    PrinterSettings printer;
    std::int32_t extendedError = 0;
};

class CommonDialogBackend {
public:
    virtual ~CommonDialogBackend() = default;
    virtual FileDialogAnswer fileDialog(const FileDialogRequest& request) = 0;
    virtual ColorDialogAnswer colorDialog(const ColorDialogRequest& request) = 0;
    virtual FontDialogAnswer fontDialog(const FontDialogRequest& request) = 0;
    virtual PrintDialogAnswer printDialog(const PrintDialogRequest& request) = 0;
    virtual PageSetupAnswer pageSetupDialog(const PageSetupRequest& request) = 0;
};

// The backend in force (Qt's dialogs unless a test installed another).
CommonDialogBackend& commonDialogBackend();
// Installs a backend (nullptr: Qt's again); returns the previous one.
std::shared_ptr<CommonDialogBackend> installCommonDialogBackend(std::shared_ptr<CommonDialogBackend> backend);

// Qt's dialogs: non-native, so the options set here hold on every desktop.
class QtCommonDialogBackend : public CommonDialogBackend {
public:
    FileDialogAnswer fileDialog(const FileDialogRequest& request) override;
    ColorDialogAnswer colorDialog(const ColorDialogRequest& request) override;
    FontDialogAnswer fontDialog(const FontDialogRequest& request) override;
    PrintDialogAnswer printDialog(const PrintDialogRequest& request) override;
    PageSetupAnswer pageSetupDialog(const PageSetupRequest& request) override;
    // The name filter a file dialog is given for one entry: the caller's
    // description, its patterns widened to either case in the hidden details.
    static QString nameFilter(const CommonDialogRules::FilterEntry& entry);
};

// For tests: keeps every request and answers from scripted queues (then the
// default answers, which cancel).
class RecordingCommonDialogBackend : public CommonDialogBackend {
public:
    QList<FileDialogRequest> fileRequests;
    QList<ColorDialogRequest> colorRequests;
    QList<FontDialogRequest> fontRequests;
    QList<PrintDialogRequest> printRequests;
    QList<PageSetupRequest> pageSetupRequests;
    QList<FileDialogAnswer> fileAnswers;
    QList<ColorDialogAnswer> colorAnswers;
    QList<FontDialogAnswer> fontAnswers;
    QList<PrintDialogAnswer> printAnswers;
    QList<PageSetupAnswer> pageSetupAnswers;

    FileDialogAnswer fileDialog(const FileDialogRequest& request) override;
    ColorDialogAnswer colorDialog(const ColorDialogRequest& request) override;
    FontDialogAnswer fontDialog(const FontDialogRequest& request) override;
    PrintDialogAnswer printDialog(const PrintDialogRequest& request) override;
    PageSetupAnswer pageSetupDialog(const PageSetupRequest& request) override;
};

// Installs a RecordingCommonDialogBackend for a scope.
class ScopedRecordingCommonDialogs {
public:
    ScopedRecordingCommonDialogs();
    ~ScopedRecordingCommonDialogs();
    ScopedRecordingCommonDialogs(const ScopedRecordingCommonDialogs&) = delete;
    ScopedRecordingCommonDialogs& operator=(const ScopedRecordingCommonDialogs&) = delete;
    RecordingCommonDialogBackend& operator*() { return *backend_; }
    RecordingCommonDialogBackend* operator->() { return backend_.get(); }

private:
    std::shared_ptr<RecordingCommonDialogBackend> backend_;
    std::shared_ptr<CommonDialogBackend> previous_;
};

// Where DialogHook sends a dialog's notifications, by member name.
class CommonDialogSink {
public:
    virtual ~CommonDialogSink() = default;
    virtual Variant TypeChange(std::int32_t hDlg) = 0;
    virtual bool ConfirmOK() = 0;
    virtual Variant FolderChange(std::int32_t hDlg) = 0;
    virtual Variant FileChange(std::int32_t hDlg) = 0;
    virtual void DialogClose() = 0;
    virtual Variant InitDialog(std::int32_t hDlg) = 0;
};

class clsCommonDialog {
public:
    clsCommonDialog();
    ~clsCommonDialog();
    clsCommonDialog(const clsCommonDialog&) = delete;
    clsCommonDialog& operator=(const clsCommonDialog&) = delete;

    // Notification codes and messages DialogHook answers.
    enum : std::int32_t {
        WM_DESTROY = 0x82,
        WM_NOTIFY = 0x4E,
        WM_INITDIALOG = 0x110,
        CDN_INITDONE = -601,
        CDN_SELCHANGE = -602,
        CDN_FOLDERCHANGE = -603,
        CDN_SHAREVIOLATION = -604,
        CDN_HELP = -605,
        CDN_FILEOK = -606,
        CDN_TYPECHANGE = -607,
    };

    // Forwards a dialog notification to the sink; for WM_NOTIFY lParam carries
    // the notification code. Empty when nothing answers.
    Variant DialogHook(std::int32_t hDlg, std::int32_t MSG, std::int32_t wParam, std::int32_t lParam);
    // Stands for the dialog's message result (window long 0) DialogHook sets.
    std::int32_t MessageResult() const { return messageResult_; }

    // The notification sink; every wrapper clears it once its dialog closed.
    void setEventSink(CommonDialogSink* sink) { sink_ = sink; }
    CommonDialogSink* eventSink() const { return sink_; }

    std::int32_t APIReturn() const { return apiReturn_; }
    std::int32_t ExtendedError() const { return extendedError_; }

    bool VBGetOpenFileName(ByRef<QString> Filename, ByRef<QString> FileTitle = QString(),
                           ByRef<bool> FileMustExist = true, ByRef<bool> MultiSelect = false,
                           ByRef<bool> ReadOnly = false, ByRef<bool> HideReadOnly = false,
                           ByRef<QString> Filter = QStringLiteral("All (*.*)| *.*"),
                           ByRef<std::int32_t> FilterIndex = 1, ByRef<QString> InitDir = QString(),
                           ByRef<QString> DlgTitle = QString(), ByRef<QString> DefaultExt = QString(),
                           QWidget* Owner = nullptr, ByRef<std::int32_t> flags = 0, ByRef<bool> Hook = false,
                           CommonDialogSink* EventSink = nullptr);

    bool VBGetSaveFileName(ByRef<QString> Filename, ByRef<QString> FileTitle = QString(),
                           ByRef<bool> OverWritePrompt = true,
                           ByRef<QString> Filter = QStringLiteral("All (*.*)| *.*"),
                           ByRef<std::int32_t> FilterIndex = 1, ByRef<QString> InitDir = QString(),
                           ByRef<QString> DlgTitle = QString(), ByRef<QString> DefaultExt = QString(),
                           QWidget* Owner = nullptr, ByRef<std::int32_t> flags = 0, ByRef<bool> Hook = false,
                           CommonDialogSink* EventSink = nullptr);

    QString VBGetFileTitle(const QString& sFIle) const;

    // Color: &HBBGGRR; -1 after a cancel.
    bool VBChooseColor(ByRef<std::int32_t> Color, ByRef<bool> AnyColor = true, ByRef<bool> FullOpen = false,
                       ByRef<bool> DisableFullOpen = false, QWidget* Owner = nullptr, ByRef<std::int32_t> flags = 0,
                       ByRef<bool> Hook = false, CommonDialogSink* EventSink = nullptr);

    // The custom colour table (0 to 15), filled with system colours 0 to 15
    // on first use. Get outside 0..15 gives -1; Let outside is ignored.
    std::int32_t CustomColor(std::int32_t I);
    void setCustomColor(std::int32_t I, std::int32_t iValue);

    // PrinterDC: nullptr means no device; the printer's fonts are then listed
    // when flags asks for printer fonts.
    bool VBChooseFont(QFont& CurFont, QPrinter* PrinterDC = nullptr, QWidget* Owner = nullptr,
                      ByRef<std::int32_t> Color = 0, ByRef<std::int32_t> MinSize = 0,
                      ByRef<std::int32_t> MaxSize = 0, ByRef<std::int32_t> flags = 0, ByRef<bool> Hook = false,
                      CommonDialogSink* EventSink = nullptr);

    // hdc receives the device to print on (the printer used).
    bool VBPrintDlg(ByRef<QPaintDevice*> hdc, ByRef<std::int32_t> PrintRange = 0,
                    ByRef<bool> DisablePageNumbers = false, ByRef<std::int32_t> FromPage = 1,
                    ByRef<std::int32_t> ToPage = 0xFFFF, ByRef<bool> DisableSelection = true,
                    ByRef<std::int32_t> Copies = 1, ByRef<bool> ShowPrintToFile = false,
                    ByRef<bool> DisablePrintToFile = true, ByRef<bool> PrintToFile = false,
                    ByRef<bool> Collate = false, ByRef<bool> PreventWarning = false, QWidget* Owner = nullptr,
                    QPrinter* Printer = nullptr, ByRef<std::int32_t> flags = 0, ByRef<bool> Hook = false,
                    CommonDialogSink* EventSink = nullptr);

    // Margins in inches (Units 0) or millimetres (any other Units).
    bool VBPageSetupDlg2(QWidget* Owner = nullptr, ByRef<bool> DisableMargins = false,
                         ByRef<bool> DisableOrientation = false, ByRef<bool> DisablePaper = false,
                         ByRef<bool> DisablePrinter = false, ByRef<double> LeftMargin = 0.0,
                         ByRef<double> MinLeftMargin = 0.0, ByRef<double> RightMargin = 0.0,
                         ByRef<double> MinRightMargin = 0.0, ByRef<double> TopMargin = 0.0,
                         ByRef<double> MinTopMargin = 0.0, ByRef<double> BottomMargin = 0.0,
                         ByRef<double> MinBottomMargin = 0.0, ByRef<std::int32_t> PaperSize = 0,
                         ByRef<std::int32_t> Orientation = 1, ByRef<std::int32_t> PrintQuality = 0,
                         ByRef<std::int32_t> Units = 0, QPrinter* Printer = nullptr, ByRef<std::int32_t> flags = 0,
                         ByRef<bool> Hook = false, CommonDialogSink* EventSink = nullptr);

    // The same with whole-number margins; the caller's margins go in and come
    // back (rounded) only when the dialog was accepted.
    bool VBPageSetupDlg(QWidget* Owner = nullptr, ByRef<bool> DisableMargins = false,
                        ByRef<bool> DisableOrientation = false, ByRef<bool> DisablePaper = false,
                        ByRef<bool> DisablePrinter = false, ByRef<std::int32_t> LeftMargin = 0,
                        ByRef<std::int32_t> MinLeftMargin = 0, ByRef<std::int32_t> RightMargin = 0,
                        ByRef<std::int32_t> MinRightMargin = 0, ByRef<std::int32_t> TopMargin = 0,
                        ByRef<std::int32_t> MinTopMargin = 0, ByRef<std::int32_t> BottomMargin = 0,
                        ByRef<std::int32_t> MinBottomMargin = 0, ByRef<std::int32_t> PaperSize = 0,
                        ByRef<std::int32_t> Orientation = 1, ByRef<std::int32_t> PrintQuality = 0,
                        ByRef<std::int32_t> Units = 0, QPrinter* Printer = nullptr, ByRef<std::int32_t> flags = 0,
                        ByRef<bool> Hook = false, CommonDialogSink* EventSink = nullptr);

private:
    bool fileDialog(bool save, ByRef<QString>& Filename, ByRef<QString>& FileTitle, ByRef<QString>& Filter,
                    ByRef<std::int32_t>& FilterIndex, const QString& InitDir, const QString& DlgTitle,
                    const QString& DefaultExt, QWidget* Owner, ByRef<std::int32_t>& flags, std::int32_t dialogFlags);
    // Keeps the dialog's return value; true when it was accepted.
    bool took(std::int32_t result, std::int32_t extendedError);
    void fillCustomColors();
    QPrinter* printerOrOwn(QPrinter* printer);
    static void applyPrinterSettings(QPrinter* printer, const PrinterSettings& settings);

    std::int32_t apiReturn_ = 0;
    std::int32_t extendedError_ = 0;
    std::int32_t messageResult_ = 0;
    std::array<std::int32_t, 16> customColors_{};
    bool customColorsFilled_ = false;
    CommonDialogSink* sink_ = nullptr;
    std::unique_ptr<QPrinter> ownPrinter_;
};
