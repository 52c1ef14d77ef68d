// A final SELECT into the grid: the single-table decision, the header from a
// structure query, the rows from the record set (whole or one page), the
// record-editing object, and the structure caches.
#include "querypage/MaxSQL.h"

#include "controls/ControlSupport.h"
#include "core/Error.h"
#include "core/Screen.h"
#include "data/clsDO.h"
#include "editing/clsMultiTabla.h"
#include "messages/clsError.h"
#include "platform/db/Recordset.h"
#include "querypage/LoadRules.h"
#include "querypage/StructureFields.h"
#include "querypage/SqlText.h"
#include "services/clsTablas.h"

#include <QComboBox>
#include <QFontMetricsF>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTimer>
#include <optional>

namespace {

QStringList itemsOf(const Variant& v)
{
    QStringList out;
    if (!v.isArray())
        return out;
    const VArray& a = *v.array();
    for (int i = a.lbound(); i <= a.ubound(); ++i)
        out << a.at(i).toString();
    return out;
}

// Drawing off for a scope unless an outer scope already switched it off, so a
// whole load reaches the view as one change.
class DrawingOff {
public:
    explicit DrawingOff(MaxGrid& grid)
    {
        if (grid.Redraw())
            guard_.emplace(grid);
    }

private:
    std::optional<controls::RedrawGuard> guard_;
};

} // namespace

double MaxSQL::TextWidth(const QString& text) const
{
    return QFontMetricsF(font()).horizontalAdvance(text) * Screen::twipsPerPixel();
}

bool MaxSQL::LoadGrid(QString statement)
{
    bool loaded = false;
    guarded("LoadGrid", [&] {
        if (!ctl_.zolt->StartObject(ServerName(), DatabaseName(), UserName(), Password())) {
            notice(QStringLiteral("No se ha podido iniciar el objeto de acceso a datos"));
            return;
        }
        if (statement.isEmpty())
            statement = SelectedQuery(true);
        statement = RemoveComments(statement);
        // The rows first: a statement that yields none leaves the grid, the
        // record set and the edit state of the former result as they were.
        std::shared_ptr<db::Recordset> records;
        guarded("BusquedaRecordsetado", [&] {
            records = ctl_.StartFetch(statement, {ServerName(), DatabaseName(), UserName(), Password()});
        });
        if (!records || !records->result())
            return; // the data-access object has said why
        const DrawingOff drawing(*flexi_);
        if (!InitializeGrid(statement) || !BusquedaRecordsetado(records)) {
            ctl_.StopFetch();
            return;
        }
        // A result edits only through a record set made for it.
        ctl_.OT.reset();
        if (ctl_.Fetching()) {
            // The rest arrives between events; editing waits for the whole result.
            flexi_->setEditable(false);
            ctl_.GridEditable = false;
            SetEditButtons();
            tmrFetch->start(1);
        } else {
            FinishLoad();
        }
        loaded = true;
    });
    return loaded;
}

void MaxSQL::FinishLoad()
{
    if (ctl_.SingleTable) {
        // Edits go to the columns the structure names, so it must match the result.
        Variant structure = TableStructure(ctl_.EditTableName);
        if (!ctl_.StructureMatchesResult(structure)) {
            ctl_.TableStructureCache.remove(ctl_.EditTableName);
            structure = TableStructure(ctl_.EditTableName);
            if (!ctl_.StructureMatchesResult(structure)) {
                ResetEditState(true);
                const DrawingOff drawing(*flexi_);
                HeadersFromRecordset();
            }
        }
        // Counted once the whole result is in: the first page never waits for it.
        if (ctl_.SingleTable && showKey_)
            guarded("LoadGrid", [&] { ctl_.CheckKeyUnique(structure); });
    }
    ctl_.OT.reset();
    if (ctl_.SingleTable)
        LoadOT();
    CheckEditable();
}

bool MaxSQL::FetchRows()
{
    if (!ctl_.Fetching())
        return true;
    bool done = false;
    if (!guarded("BusquedaRecordsetado", [&] { done = ctl_.FetchMore(); })) {
        // Failed mid-way (reported): no part of the result stays.
        ctl_.ForgetResult();
        flexi_->setRows(1);
        OnDemandElevator->hide();
        WriteStatusLine();
        return true;
    }
    const bool wasBusy = ctl_.ElevatorBusy;
    ctl_.ElevatorBusy = true;
    OnDemandElevator->setRange(1, int(std::clamp<qint64>(ctl_.PagingRecordCount, 1, std::numeric_limits<int>::max())));
    ctl_.ElevatorBusy = wasBusy;
    if (done) {
        ctl_.StopClock();
        guarded("LoadGrid", [this] { FinishLoad(); });
    }
    WriteStatusLine();
    return done;
}

void MaxSQL::tmrFetch_Timer()
{
    bool done = true;
    if (!guarded("FetchRows", [&] { done = FetchRows(); }) || done)
        tmrFetch->stop();
}

bool MaxSQL::ResultArriving() const { return ctl_.Fetching(); }

void MaxSQL::FinishFetch()
{
    if (!ctl_.Fetching())
        return;
    const controls::WaitCursor hourglass;
    while (!FetchRows()) {
    }
    tmrFetch->stop();
}

bool MaxSQL::InitializeGrid(QString& statement)
{
    bool ok = false;
    guarded("InitializeGrid", [&] {
        ctl_.headerFromRecordset = false;

        const loadrules::TableTest test = loadrules::singleTableTest(statement);
        bool single = test.single;
        if (single) {
            // Parsing rewrites what it is given: it reads a copy.
            QString copy = statement;
            Variant items;
            single = trap([&] { items = ctl_.zolt->Parsing(copy); }, [](const Error&) {}) &&
                     loadrules::selectListIsWhole(itemsOf(items), test.tableName);
        }
        Variant structure;
        QString qualifier;
        // The load writes the key fields from the statement alone (the table's
        // own key, or nothing): that is no change of the user's, so the text
        // saved with the history follows it.
        ctl_.LastKeyFieldsText.clear();
        ctl_.KeyFields.clear();
        ctl_.SavedKeyFields.clear();
        if (single) {
            ctl_.SingleTable = true;
            ctl_.EditTableName = test.tableName;
            qualifier = test.tableName;
            if (!trap([&] { structure = TableStructure(test.tableName); }, [](const Error&) {})) {
                // No structure: the result still loads, read-only, named by the record set.
                ResetEditState(true);
                ctl_.headerFromRecordset = true;
                ok = true;
                return;
            }
            if (showKey_)
                ctl_.ResolveKeyFields(structure);
            ctl_.SavedKeyFields = ctl_.KeyFields;
        } else {
            ResetEditState(true);
            const QString header = loadrules::headerStatement(statement, SelectedDriver());
            qualifier = loadrules::qualifier(test.tablePart);
            const bool read = trap([&] { structure = QueryStructure(header, qualifier); }, [](const Error&) {});
            if (!read || structureFields(structure).empty()) {
                ctl_.headerFromRecordset = true;
                ctl_.headerQualifier = qualifier;
                ok = true;
                return;
            }
        }
        ctl_.headerQualifier = qualifier;
        const std::vector<StructureField> fields = structureFields(structure);
        const DrawingOff drawing(*flexi_);
        setControlTag(flexi_, qualifier);
        flexi_->setRows(1);
        flexi_->setCols(fields.empty() ? 30 : int(fields.size()));
        flexi_->setLockedColumns(QString());
        const auto measure = [this](const QString& t) { return TextWidth(t); };
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const QString header = fields[i].name.mid(qualifier.size() + 1);
            flexi_->setTextMatrix(0, int(i), header);
            flexi_->setColWidth(int(i), loadrules::columnWidth(fields[i].type, fields[i].size, header, measure));
        }
        ok = true;
    });
    return ok;
}

void MaxSQL::HeadersFromRecordset()
{
    const auto measure = [this](const QString& t) { return TextWidth(t); };
    setControlTag(flexi_, ctl_.headerQualifier);
    flexi_->setLockedColumns(QString());
    for (int c = 0; c < ctl_.ResultColumns; ++c) {
        const db::Field f = ctl_.ResultSet->Fields(c);
        flexi_->setTextMatrix(0, c, f.Name());
        flexi_->setColWidth(c, loadrules::columnWidth(ctl_.zolt->TipoDato(std::int16_t(f.Type())), f.DefinedSize(),
                                                      f.Name(), measure));
    }
}

bool MaxSQL::BusquedaRecordsetado(std::shared_ptr<db::Recordset> records)
{
    bool ok = false;
    guarded("BusquedaRecordsetado", [&] {
        ctl_.TakeResult(std::move(records));
        const int headerCols = flexi_->Cols();
        const DrawingOff drawing(*flexi_);
        ctl_.ResultColumns = ctl_.ResultSet->FieldCount();
        ctl_.PagingRecordCount = ctl_.ResultRecords();
        flexi_->setCols(ctl_.ResultColumns);
        ctl_.PagePosition = 1;
        if (ctl_.headerFromRecordset || headerCols != ctl_.ResultColumns)
            HeadersFromRecordset();
        if (loadrules::isPaged(ctl_.PagingRecordCount, ctl_.ResultColumns)) {
            ctl_.PageRows = loadrules::pageRows(twips_.value(flexi_).height());
            const int shown = int(std::min<qint64>(ctl_.PageRows, ctl_.PagingRecordCount));
            flexi_->setRows(1); // nothing of the last result stays, colours included
            flexi_->setRows(ctl_.PageRows + 1);
            OnDemandElevator->show();
            flexi_->setScrollBars(1);
            applyFrame();
            qint64 count = ctl_.PagingRecordCount;
            bool reset = true;
            OnDemandElevatorConfig(count, reset);
            if (shown > 0)
                flexi_->setTextBlock(1, 0, ctl_.RecordTexts(ctl_.PagePosition - 1, shown));
            ctl_.PagingActive = true;
        } else {
            flexi_->setRows(1);
            flexi_->setRows(int(ctl_.PagingRecordCount) + 1);
            if (ctl_.PagingRecordCount > 0)
                flexi_->setTextBlock(1, 0, ctl_.RecordTexts(0, int(ctl_.PagingRecordCount)));
            OnDemandElevator->hide();
            ctl_.PagingActive = false;
            ctl_.AddedRows = newCollection();
            applyFrame();
            flexi_->setScrollBars(3);
        }
        ok = true;
    });
    return ok;
}

bool MaxSQL::LoadOT()
{
    bool ok = false;
    ctl_.OT.reset();
    guarded("LoadOT", [&] { ok = ctl_.LoadOT(errorObject_); });
    return ok;
}

Variant MaxSQL::TableStructure(const QString& tableName) { return ctl_.TableStructure(tableName); }

Variant MaxSQL::QueryStructure(const QString& statement, const QString& tableName)
{
    return ctl_.QueryStructure(statement, tableName);
}
