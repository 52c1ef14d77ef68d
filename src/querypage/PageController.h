#pragma once
// PageController: what one query page knows, apart from its widgets. It holds
// the state of the last run and its final SELECT, the record set loaded into
// the grid and its paging, whether the result may be edited (key fields,
// types, the record-editing object), the tab's history position and the
// export's reload; and the rules over that state that need no window. The
// view (MaxSQL) reads and writes it and draws what it says.
#include "core/Collection.h"
#include "core/MessageReporter.h"
#include "core/Variant.h"
#include "core/ConnectionValues.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QStringList>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class clsDO;
class clsMultiTabla;
class clsTablas;
namespace db {
class Recordset;
class ResultBuilder;
class ResultFile;
class ResultSet;
class RowReader;
}

class PageController {
public:
    // The data-access object shared by all pages, and the table services.
    std::shared_ptr<clsDO> zolt;
    std::shared_ptr<clsTablas> scr;
    // The clock of the run (tests fix it).
    std::function<QDateTime()> clock;
    QDateTime now() const;

    // --- run
    QString ContextStatement;
    QDateTime StartTime, EndTime;
    QString LoadTime;
    // The final SELECT whose result the grid shows ("" when none), with the
    // connection and provider it ran on. A failed run leaves them as they were.
    QString lastFinalSelect;
    ConnectionValues lastFinalConnection;
    QString lastFinalProvider;
    bool running = false;
    bool MdbPathAccepted = false, AccdbPathAccepted = false;
    // Ends the timing of a run or export: the load time the status line shows.
    void StopClock();
    // The status line (untranslated) for a grid of gridRows rows below the header.
    QString StatusLine(qint64 gridRows, int columns) const;

    // Structures read once per connection; a change of connection empties the caches.
    Variant TableStructure(const QString& tableName);
    Variant QueryStructure(const QString& statement, const QString& tableName);
    void ResetStructureCache(const std::array<QString, 6>& connection);
    // After a statement that may change the schema.
    void EmptyStructureCaches();
    QHash<QString, Variant> TableStructureCache, QueryStructureCache;
    std::array<QString, 6> CachedConnection;

    // --- the result loaded into the grid
    bool SingleTable = false;
    QString EditTableName;
    // The result's columns, and its rows when it is not paged.
    std::shared_ptr<db::Recordset> ResultSet;
    // The rows of a paged result: kept in a file, read back by position.
    std::shared_ptr<db::ResultFile> PagedRows;
    std::int32_t ResultColumns = 0;
    bool headerFromRecordset = false;
    QString headerQualifier;
    std::shared_ptr<clsMultiTabla> OT;
    CollectionPtr AddedRows;
    // The table's structure names the result's columns, in order.
    bool StructureMatchesResult(const Variant& structure) const;
    // The record-editing object for the single table over the resolved key; false (and none) when it cannot start.
    bool LoadOT(MessageReporterPtr msg);

    // --- paging of a large result
    qint64 PagingRecordCount = 0;
    bool PagingActive = false;
    qint64 PagePosition = 1;
    std::int32_t PageRows = 0;
    bool ElevatorBusy = false;
    // The moves of the paging bar, numbered as a scroll bar's actions.
    enum PageMove { NoMove, StepForward, StepBack, PageForward, PageBack, ToFirst, ToLast, Drag };
    // The first record shown after a move (barValue: the bar's position for a
    // drag); -1 for a move that moves nothing.
    qint64 MovedPosition(int action, qint64 barValue) const;
    // Records in the loaded result (so far, while it arrives).
    qint64 ResultRecords() const;
    // The grid's texts of records first .. first + count - 1 (0-based).
    QList<QStringList> RecordTexts(qint64 first, int count) const;
    // Drops the loaded result and its paging.
    void DropResult();

    // --- a result that is still arriving
    // Runs the final SELECT and reads its rows up to the paging line, or all of
    // them when fewer: the page shows them at once, paged exactly when the whole
    // result would be. The rows of a paged result go to PagedRows (the record
    // set keeps its columns only). The rest stays to be read by FetchMore. Nothing when the
    // connection did not open (the data-access object has said why); raises
    // Error as the statement does. A fetch under way before stops here.
    std::shared_ptr<db::Recordset> StartFetch(const QString& statement, const std::array<QString, 4>& connection);
    // The result StartFetch gave becomes the loaded one, with its paged rows.
    void TakeResult(std::shared_ptr<db::Recordset> records);
    bool Fetching() const { return fetch_ != nullptr; }
    // Reads further rows for about fetchTurnMs milliseconds into the loaded
    // result and its count; true once the last row is in (the fetch is over).
    // Raises Error (the fetch is over too).
    bool FetchMore();
    // The rows not read yet are never read.
    void StopFetch();
    // Rows read between two looks at the clock, and the milliseconds of one
    // turn (0: one step a turn, whatever the machine's speed).
    qint64 fetchStep = 4096;
    int fetchTurnMs = 25;
    // The page's timed steps (fetch turns, the idle check, the password
    // countdown) run from its timers. With StepsOnRequest the timers still
    // start and stop as they would, but a tick only runs when called, so what
    // a caller sees never depends on how fast the machine is. New pages take
    // the default.
    static inline bool StepsOnRequestDefault = false;
    bool StepsOnRequest = StepsOnRequestDefault;
    // A cleared grid: nothing is left to edit, confirm, reload or page.
    void ForgetResult();

    struct Fetch;
    std::shared_ptr<Fetch> fetch_;
    std::shared_ptr<db::ResultFile> startedRows_;

    // --- editability
    // The key fields as the key dialog and the history hold them.
    QString KeyFields;
    QString KeyPositions, KeyList, GridLockedColumns, GridTypes;
    bool KeyUnique = false;
    bool GridEditable = false;
    // The key button as the edit state last set it: the connection type's
    // rule, or on for a single-table result.
    bool KeyButtonOn = false;
    QString LastKeyFieldsText, LastSqlText;
    QDateTime LastEditTime;
    bool CheckRunning = false;
    // The key fields of the loaded single table (the key text, else its
    // declared primary key) and their positions; not yet unique.
    void ResolveKeyFields(const Variant& structure);
    // Unique when no key value is held twice in the table (then the column
    // types follow the structure). Runs a query over the whole table, so it
    // waits until the result has arrived.
    void CheckKeyUnique(const Variant& structure);
    // Back to read-only: nothing of the last result's keys remains.
    void ClearEditState();
    // Editable when the single table's key is unique and its record set started.
    bool DecideEditable();
    // A change of the SQL or key text: true (and the time noted) when it differs from lastText.
    bool BoxChanged(const QString& text, QString& lastText);
    // The idle check runs once the clock's second has moved past the last edit.
    bool IdleCheckDue() const;
    struct EditButtons {
        bool add = false, remove = false, confirm = false;
    };
    EditButtons EditButtonStates() const;

    // --- history
    // The splitter's top (twips) as the tab file or the user's last drag set
    // it; what the tab file saves. A page laid out too short for it shows the
    // splitter higher without changing this.
    int SplitterTop = 3240;
    std::int32_t HistoryIndex = 0;
    QString SavedSQLText, SavedKeyFields;
    // The caption over the SQL box (untranslated) and the arrows' states.
    QString HistoryCaption() const;
    bool NextQueryEnabled() const;
    bool PreviousQueryEnabled() const;
    // Records the page into the tab file of tab (an unchanged page into its own
    // file writes the splitter only); raises when the file cannot be written,
    // unless a FailedSaves collection takes it. True when an entry was recorded.
    bool SaveHistory(const QString& sql, const ConnectionValues& connection, int splitterTop, int tab, int currentTab);

    // --- export
    // The spreadsheet export's load of the query's last SELECT with the counts it
    // gives (tests put counts no test database could hold); false when it failed.
    using FinalReload = std::function<bool(qint64& records, std::int32_t& columns)>;
    FinalReload finalReload;

    // --- grid cell and clipboard
    QString FocusCellText;
    // The last text copied or pasted, pasted again from an empty clipboard.
    QString ClipboardText;
};
