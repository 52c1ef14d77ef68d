#pragma once
// MaxSQL: one query page of the main window, the view over a PageController.
// It shows one connection (the connection panel), one SQL text with keyword
// colouring, the result grid with its paging bar, and wires the commands
// around them; what the page knows (the run, the loaded result and its
// paging, editability, history, export) lives in the controller.
//
// The members are grouped by the concern that implements them:
//   MaxSQL.cpp          controls, frame layout, splitter, connection panel,
//                       password clock, properties, StartControl, DisableButtons
//   MaxSQL_run.cpp      ExecuteQuery, Ejecutar, SelectedQuery, ValidateAll,
//                       ResetStructureCache, status line
//   MaxSQL_load.cpp     LoadGrid, InitializeGrid, BusquedaRecordsetado, LoadOT,
//                       TableStructure, QueryStructure
//   MaxSQL_editability.cpp  key fields, editability check, edit buttons, idle timer
//   MaxSQL_editing.cpp  record editing in the grid, add, delete, confirm
//   MaxSQL_commands.cpp column fit, comment lines, SQL editor, key fields,
//                       table list, comparison, compaction
//   MaxSQL_export.cpp   CSV and spreadsheet exports
//   MaxSQL_script.cpp   INSERT script and DarFormato
//   MaxSQL_paging.cpp, MaxSQL_history.cpp, MaxSQL_help.cpp,
//   MaxSQL_clipboard.cpp  paging bar, query history, help and settings,
//                       clipboard and clearing
#include "core/Collection.h"
#include "core/Variant.h"
#include "messages/TranslatableControls.h"
#include "core/ConnectionValues.h"
#include "querypage/PageController.h"
#include "pagedialogs/PageDialogs.h"
#include "controls/MaxGrid.h"
#include "services/HostWindow.h"

#include <QDateTime>
#include <QHash>
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QScrollBar;
class QTimer;
class PushButton;
class clsDO;
class clsError;
class clsMultiTabla;
class clsTablas;
class Error;
namespace db {
class Recordset;
}
namespace validation {
enum class Field;
}

// The password countdown clock: six spokes shown clockwise one per step.
class ClockFace : public QWidget {
    Q_OBJECT
public:
    explicit ClockFace(QWidget* parent = nullptr);
    std::array<bool, 6> lines{};

protected:
    void paintEvent(QPaintEvent*) override;
};

class MaxSQL : public QWidget, public TranslatableQueryPage, public QueryObjectHost {
    Q_OBJECT
public:
    explicit MaxSQL(QWidget* parent = nullptr);
    ~MaxSQL() override;

    // --- public members, in slot order
    void StartControl();
    void GenerateCSV();
    void GenerateExcel();
    void ShowTables();
    void CompareDatabases();
    std::shared_ptr<clsDO> oConsulta() override;
    void GenerateScript();
    QString DarFormato(const Variant& value, std::int16_t& fieldType);
    void SaveLastQuery(std::int16_t iTab = 0);
    void GetQuery(std::int32_t& lPos, std::int16_t& iTab);
    void CompactDatabase();
    bool LoadOT();
    QWidget* ParentForm() const { return parentForm_; }
    void setParentForm(QWidget* form) { parentForm_ = form; }
    std::shared_ptr<clsError> ErrorObject() const { return errorObject_; }
    void setErrorObject(std::shared_ptr<clsError> o) { errorObject_ = std::move(o); }
    std::shared_ptr<clsTablas> SCRObject() const { return ctl_.scr; }
    void setSCRObject(std::shared_ptr<clsTablas> o) { ctl_.scr = std::move(o); }
    std::shared_ptr<clsDO> ZoltObject() const { return ctl_.zolt; }
    void setZoltObject(std::shared_ptr<clsDO> o) { ctl_.zolt = std::move(o); }
    std::int16_t CurrentTab() const { return currentTab_; }
    void setCurrentTab(std::int16_t tab) { currentTab_ = tab; }
    int TabReservedSpaceLeft() const;
    int TabReservedSpaceTop() const;
    bool TimerEnabled() const;
    void setTimerEnabled(bool on);
    bool FlexiFocus() const { return flexiFocus_; }
    void setFlexiFocus(bool on) { flexiFocus_ = on; }
    bool IgnoreKeyPress() const { return ignoreKeyPress_; }
    void setIgnoreKeyPress(bool on) { ignoreKeyPress_ = on; }
    void ExecuteQuery();
    void SetToClipboard();
    void GetFromClipboard();
    void DeleteCurrentCell();
    void DeleteConnectionData();
    void DeleteQueryData();
    void DeleteGridData();
    std::int16_t ConnectionType() const;
    std::int16_t SelectedDriver() const;
    QString ServerName() const;
    QString DatabaseName() const;
    QString UserName() const;
    QString Password() const;
    QString TextSQL() const;
    void setTextSQL(const QString& text);
    // The SQL text; its colours are derived from it, so the plain text carries all.
    QString RtfSQL() const;
    void setRtfSQL(const QString& text);
    bool ScriptEnabled() const { return scriptEnabled_; }
    bool CompactEnabled() const { return compactEnabled_; }
    void DisableButtons(bool bDisable);
    bool ButtonsDisabled() const { return buttonsDisabled_; }
    void setButtonsDisabled(bool on) { DisableButtons(on); }
    void ParametersConnection(std::int16_t iConnectionType, std::int16_t iDriver, const QString& sServer,
                              const QString& sDataBase, const QString& sUser, const QString& sPassword);
    Variant TableStructure(const QString& tableName);
    Variant QueryStructure(const QString& statement, const QString& tableName);
    bool ShowKey() const { return showKey_; }
    // Rows of the shown result are still being read.
    bool ResultArriving() const;
    void setShowKey(bool on) { showKey_ = on; }
    QList<QObject*> ChildControls() const override;

    // --- what the host and the tests read besides the members above

    // The final SELECT whose result the grid shows ("" when none), with the
    // connection it ran on; key re-runs and the confirm reload use it instead
    // of running the text again.
    QString LastFinalSelect() const { return ctl_.lastFinalSelect; }
    ConnectionValues LastFinalConnection() const { return ctl_.lastFinalConnection; }
    // The clock of the run (tests fix it).
    void setClock(std::function<QDateTime()> clock) { ctl_.clock = std::move(clock); }
    // The key fields of the result's table, as the key dialog edits them; a
    // change makes the result read-only until the idle check.
    QString KeyFieldsText() const { return ctl_.KeyFields; }
    void setKeyFieldsText(const QString& text);
    // The dialogs the page opens (tests script them).
    PageDialogs& Dialogs() { return dialogs_; }
    // The result grid.
    MaxGrid& Flexi() { return *flexi_; }
    // Lays the frame out for an inner size in twips (the resize event's work).
    void LayoutTwips(int width, int height);
    // A control's box in twips as the page last placed it.
    QRect TwipsBox(const QString& controlName) const;
    int SplitterTop() const { return ctl_.SplitterTop; }
    // A drag of the splitter by dy twips (a left-button move).
    void DragSplitter(int dy);
    // The password countdown step (the timer's tick).
    void tmrVisiblePassword_Timer();
    QTimer* PasswordTimer() const { return tmrVisiblePassword; }
    QString StatusText() const;
    // The tab's context statement (read from and saved with the history, edited in the key dialog).
    QString contextStatement() const { return ctl_.ContextStatement; }
    void setContextStatement(const QString& text) { ctl_.ContextStatement = text; }
    bool IsRunning() const { return ctl_.running; }
    // Drops the result's edit state; with keyButton the key button and ScriptEnabled follow too.
    void ResetEditState(bool keyButton);
    // The spreadsheet export's load of the query's last SELECT (tests put counts no test database could hold).
    using FinalReload = PageController::FinalReload;
    void setFinalReload(FinalReload reload) { ctl_.finalReload = std::move(reload); }

signals:
    void ButtonClicked(QString& ButtonName);
    void FlexiFocusChanged();
    void ScriptEnabledChanged();
    void CompactEnabledChanged();
    void ShowKeyChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class RunGuard;
    // --- construction and layout (MaxSQL.cpp)
    void createControls();
    void createConnectionPanel();
    void createResultArea();
    void place(QWidget* w, int left, int top, int width, int height);
    void placeLeft(QWidget* w, int left);
    void applyFrame();
    void connectButton(PushButton* b, void (MaxSQL::*handler)(int, int, float, float));
    void raiseButtonClicked(const QString& name);
    // Runs a handler body; Error and std::exception are reported with the procedure's TraceTag.
    bool guarded(const char* procedure, const std::function<void()>& body);
    void notice(const QString& text);
    QString translate(const QString& text);
    void pendingEvents();
    // Runs tick at each timeout of timer, unless the page's steps run on request.
    void onTick(QTimer* timer, void (MaxSQL::*tick)());
    QDateTime now() const { return ctl_.now(); }
    ConnectionValues connectionValues() const;
    void setListIndexes(int connectionType, int driver);

    // --- connection panel (MaxSQL.cpp)
    // The panel laid out for its connection type and driver, which are pushed
    // into the data-access object. A change of them ends the result's editing;
    // a command that only uses the connection (endEditing false) leaves it.
    void ChangeConnectionType(bool endEditing = true);
    void cboConnectionType_Click();
    void cboDriver_Click();
    void BttAccessFileSelection_MouseUp(int Button, int Shift, float X, float Y);
    void BttDSN_MouseUp(int Button, int Shift, float X, float Y);
    void chkPwdVisible_Click();
    void BttDataBase_MouseUp(int Button, int Shift, float X, float Y);
    void BttClean_MouseUp(int Button, int Shift, float X, float Y);
    void BttExport_MouseUp(int Button, int Shift, float X, float Y);

    // --- run (MaxSQL_run.cpp)
    void BttExecute_MouseUp(int Button, int Shift, float X, float Y);
    bool ValidateAll(bool checkSql);
    QObject* controlOf(validation::Field field) const;
    QString SelectedQuery(bool stripComments);
    bool Ejecutar(QString& statement, bool silent);
    // The final SELECT into the grid; false when it failed and the grid kept what it had.
    bool RunFinalSelect(const QString& statement);
    void ResetStructureCache();
    void WriteStatusLine();

    // --- grid load (MaxSQL_load.cpp)
    // False when nothing was loaded (the reason was shown): the grid keeps what it had.
    bool LoadGrid(QString statement);
    bool InitializeGrid(QString& statement);
    // The fetched rows into the grid, whole or one page.
    bool BusquedaRecordsetado(std::shared_ptr<db::Recordset> records);
    // What needs the whole result once it is in: the structure check, the record-editing object, editability.
    void FinishLoad();
    // One turn of the fetch; true once it is over.
    bool FetchRows();
    // The fetch timer's tick: a turn, and the timer stopped once the fetch is over.
    void tmrFetch_Timer();
    // Reads the rest of a result still arriving now, with the hourglass.
    void FinishFetch();
    void HeadersFromRecordset();
    double TextWidth(const QString& text) const;
    QString RemoveComments(const QString& text);

    // --- paging bar (paging)
    void OnDemandElevatorConfig(qint64& count, bool& resetPosition);
    qint64 OnDemandElevatorValue();
    void SetOnDemandElevatorValue(qint64& position);
    // The bar's action (QAbstractSlider::SliderAction) says the kind of move.
    void OnDemandElevator_Change(int action);
    // One page of records from PagePosition into the grid's rows.
    void RefillPage();

    // --- help and settings
    void BttHelp_MouseUp(int Button, int Shift, float X, float Y);
    void BttSettings_MouseUp(int Button, int Shift, float X, float Y);
    void OpenWebPage(QString& address);

    // --- history
    void SetQueryButtons();
    void BttPreviousQuery_MouseUp(int Button, int Shift, float X, float Y);
    void BttNextQuery_MouseUp(int Button, int Shift, float X, float Y);

    // --- page commands
    void BttAutoSize_MouseUp(int Button, int Shift, float X, float Y);
    // The columns fitted to the rows in sight (widths and alignments), or
    // only widened where a text in sight needs more, up to the fit's ceiling.
    void FitColumns(bool widenOnly);
    void BttComment_MouseUp(int Button, int Shift, float X, float Y);
    void BttUncomment_MouseUp(int Button, int Shift, float X, float Y);
    void BttEditor_MouseUp(int Button, int Shift, float X, float Y);
    void BttKey_MouseUp(int Button, int Shift, float X, float Y);
    void BttExit_MouseUp(int Button, int Shift, float X, float Y);

    // --- exports
    void BusquedaCSV();
    void BusquedaExcel();
    // The final SELECT run again on the connection it was loaded with, into
    // the grid, columns fitted; false when there is none or it failed (the
    // reason was shown). Confirm and a key change reload with it.
    bool ReloadFinalSelect();
    // The last SELECT of the current query (the selection, else the whole
    // text) that an export reads; "" after the notice when it holds none.
    QString ExportedSelect();
    // Around an export or the script: the page's connection pushed and started
    // (false after its notice), then the time, status line and history.
    bool StartExport();
    void EndExport();
    // Disables the commands and holds the hourglass until released (long work).
    std::shared_ptr<void> HoldCommands();
    std::shared_ptr<void> exportHold_;

    // --- editability and key fields
    void CheckEditable();
    void SetEditButtons();
    // The key and edit buttons as the result's edit state has them, or off
    // while the host's menu holds the buttons.
    void SetStateButtons();
    void txtTabla_Change();
    void tmrCheckEditable_Timer();

    // --- record editing
    void Flexi_CellChanged();
    QString GridRowKey(std::int32_t row);
    void PaintGridRow(const QString& state, std::int32_t row, bool keepCell);
    void RefreshEditedRows(bool switchOff);
    void BttAdd_MouseUp(int Button, int Shift, float X, float Y);
    void BttDelete_MouseUp(int Button, int Shift, float X, float Y);
    void BttConfirm_MouseUp(int Button, int Shift, float X, float Y);
    void Flexi_GotFocus();
    void Flexi_LostFocus();
    void Flexi_RowColChange();

    // --- controls
    PushButton *BttDataBase, *BttKey, *BttClean, *BttComment, *BttUncomment, *BttPreviousQuery, *BttNextQuery,
        *BttExecute, *BttAdd, *BttDelete, *BttConfirm, *BttExport, *BttAutoSize, *BttEditor, *BttSettings, *BttHelp,
        *BttExit, *BttDSN, *BttAccessFileSelection;
    QWidget* TabReservedSpace;
    QLabel *Label1, *Label4, *lblServidor, *lblBBDD, *lblUser, *lblPassword, *Label2;
    QComboBox *cboConnectionType, *cboDriver;
    QLineEdit *txtServidor, *txtBBDD, *txtUser, *txtPassword, *txtSQL;
    QCheckBox* chkPwdVisible;
    ClockFace* Clocky;
    QTimer *tmrVisiblePassword, *tmrCheckEditable;
    // Reads the rows of a large result still arriving, a few milliseconds at a time between events.
    QTimer* tmrFetch;
    QPlainTextEdit* txtTabla;
    QWidget* Splitter;
    QScrollBar* OnDemandElevator;
    QWidget* Picture1;
    MaxGrid* flexi_ = nullptr;
    QPixmap imgFlechaIzda, imgFlechaDcha, imgFlechaIzdaGris, imgFlechaDchaGris, imgKey, ImgKeyGris, imgAdd, imgAddGrey,
        imgDelete, imgDeleteGrey, imgConfirm, imgConfirmGrey, imgCompact, imgCompactGris;
    QHash<QWidget*, QRect> twips_;

    // --- fields
    PageController ctl_;
    QPointer<QWidget> parentForm_;
    std::shared_ptr<clsError> errorObject_;
    std::int16_t currentTab_ = 0;
    bool flexiFocus_ = false, ignoreKeyPress_ = false, scriptEnabled_ = false, compactEnabled_ = false,
         buttonsDisabled_ = false, showKey_ = false;
    int SplitterPressY = 0;
    int innerWidth_ = 16380, innerHeight_ = 11130;
    bool changingConnection_ = false;
    PageDialogs dialogs_;

    // --- record editing: grid wiring, the connection edits go to (MaxSQL_editing.cpp)
    void connectGrid();
    void Flexi_KeyDown(int& KeyCode, int& Shift);
    void PushEditConnection();
    // A change of the SQL or key box: read-only until the idle check.
    void boxChanged(const QString& text, QString& lastText);
    // Tests and benchmarks drive the private members through it.
    friend class MaxSQLTestAccess;
};
