#pragma once
// The dialogs a query page opens, as small interfaces the page fills, shows
// modally and reads (the opener sets the inputs, Show() runs it, then the
// page reads Cancelled and the outputs). PageDialogs holds one factory per
// dialog: the program installs the real windows once at start (the main
// window's PageDialogFactories), tests install scripted ones. The page knows
// the interfaces only, never the windows behind them.
#include "core/Collection.h"
#include "core/ConnectionValues.h"
#include "pagedialogs/CsvOutputs.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>

class QObject;
class QWidget;
class clsDO;
class clsError;
class clsTablas;

// A modal dialog: Show() returns when it is closed. Cancelled starts true.
class PageDialog {
public:
    virtual ~PageDialog() = default;
    virtual void Show(QWidget* owner) = 0;
    bool Cancelled = true;
    std::shared_ptr<clsError> MSG;
};

// Data-source picker.
class DsnDialog : public PageDialog {
public:
    QString DatabaseType; // "SQL Server", "Access" or "Oracle"
    QString DSN;
};

// Key fields and context.
class KeyFieldsDialog : public PageDialog {
public:
    QString KeyFields;
    QString Context;
    bool ContextVisible = true;
    int Height = 7110;
};

// SQL editor: Text in and out; "{ignore}" when left without accepting.
class EditDialog : public PageDialog {
public:
    QString Text;
};

// Settings ("Velmora.ini" read and written by the dialog itself).
class SettingsDialog : public PageDialog {
public:
    std::shared_ptr<clsTablas> SCR;
};

// Key values of a new record: one row per key (label, text box whose Tag is
// the TypeWord, and from the second row on a Max + 1 button whose Tag is
// "table.field"), placed in twips by the opener; value is read after Show.
class NewKeyDialog : public PageDialog {
public:
    struct KeyField {
        QString caption;       // lblField(i)
        QString typeWord;      // txtField(i).Tag
        QString qualifiedName; // BttMax(i).Tag
        bool maxButton = false;
        QString value;         // txtField(i).Text
        int labelLeft = 0, labelTop = 0, labelWidth = 0;
        int textLeft = 0, textTop = 0;
        int maxLeft = 0, maxTop = 0;
    };
    std::vector<KeyField> Fields;
    int Height = 0; // twips
    std::shared_ptr<clsDO> Zolt;
};

// Table list.
class TablesDialog : public PageDialog {
public:
    std::shared_ptr<clsDO> Zolt;
    std::shared_ptr<clsTablas> SCR;
    ConnectionValues Connection;
    QString sql, KeyFields;
};

// Database comparison.
class CompareDialog : public PageDialog {
public:
    std::shared_ptr<clsDO> Zolt;
    std::shared_ptr<clsTablas> SCR;
    ConnectionValues Current;
    int ParentFormTop = 0, ParentFormHeight = 0;
};

// CSV options (one shared instance): the thirteen options, read after Show
// when not Cancelled; Unload() lets the window go until the next Show.
class CsvDialog : public PageDialog {
public:
    std::shared_ptr<clsTablas> SCR;
    CSVOutputs Outputs;
    virtual void Unload() { Cancelled = true; }
};

// The two export writers (they run the statement and write the file themselves).
class CsvWriter {
public:
    virtual ~CsvWriter() = default;
    virtual bool StartObject(QObject* oParent, std::shared_ptr<clsDO> ObjetoConsulta,
                             std::shared_ptr<clsError> ObjetoError, std::shared_ptr<clsTablas> ObjetoTablas) = 0;
    // True when the file was written; a failure is reported by the writer.
    virtual bool GenerateCSV(const QString& sSQL, const CollectionPtr& colParams) = 0;
};

class ExcelWriter {
public:
    virtual ~ExcelWriter() = default;
    virtual bool StartObject(QObject* oParent, std::shared_ptr<clsDO> ObjetoConsulta,
                             std::shared_ptr<clsError> ObjetoError, std::shared_ptr<clsTablas> ObjetoTablas) = 0;
    virtual bool GenerateExcelKnownCellCount(const QString& strSQL, const QString& sTitulo, std::int32_t lRows,
                                             std::int32_t lCols, const QString& sHeaders) = 0;
};

struct PageDialogs {
    std::function<std::unique_ptr<DsnDialog>()> frmDSN;
    std::function<std::unique_ptr<KeyFieldsDialog>()> frmKeyFields;
    std::function<std::unique_ptr<EditDialog>()> frmEdit;
    std::function<std::unique_ptr<SettingsDialog>()> frmSettings;
    std::function<std::unique_ptr<NewKeyDialog>()> frmNewKey;
    std::function<std::unique_ptr<TablesDialog>()> frmTables;
    std::function<std::unique_ptr<CompareDialog>()> frmCompare;
    std::function<std::shared_ptr<CsvDialog>()> frmCSV;
    std::function<std::unique_ptr<CsvWriter>()> clsCSV;
    std::function<std::unique_ptr<ExcelWriter>()> clsExcel;

    // What a new page starts with: the factories the program installed (none
    // before; a missing factory fails the command that needs it).
    static PageDialogs defaults();
    // Replaces the installed factories (nullptr: none); returns the previous ones.
    using Installer = std::function<void(PageDialogs&)>;
    static Installer installDefaults(Installer installer);
};
