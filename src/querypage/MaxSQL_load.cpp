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
#include "querypage/ResultTexts.h"
#include "querypage/StructureFields.h"
#include "querypage/SqlText.h"
#include "services/clsTablas.h"

#include <QComboBox>
#include <QFontMetricsF>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <optional>

namespace {

const QString kWork = QStringLiteral("Ejercicio");

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

void MaxSQL::LoadGrid(QString statement)
{
    guarded("LoadGrid", [&] {
        const DrawingOff drawing(*flexi_);
        if (!InitializeGrid(statement)) {
            lastFinalSelect_.clear();
            return;
        }
        if (!BusquedaRecordsetado(statement))
            return;
        if (SingleTable) {
            // Edits go to the columns the structure names, so it must match the result.
            Variant structure = TableStructure(EditTableName);
            if (!StructureMatchesResult(structure)) {
                TableStructureCache.remove(EditTableName);
                structure = TableStructure(EditTableName);
                if (!StructureMatchesResult(structure)) {
                    ResetEditState(true);
                    const DrawingOff drawing(*flexi_);
                    HeadersFromRecordset();
                }
            }
        }
        // A result edits only through a record set made for it.
        OT.reset();
        if (SingleTable)
            LoadOT();
        CheckEditable();
    });
}

bool MaxSQL::StructureMatchesResult(const Variant& structure) const
{
    if (!ResultSet)
        return false;
    const std::vector<StructureField> fields = structureFields(structure);
    if (int(fields.size()) != ResultSet->FieldCount())
        return false;
    const qsizetype cut = EditTableName.size() + 1;
    for (int i = 0; i < ResultSet->FieldCount(); ++i)
        if (fields[std::size_t(i)].name.mid(cut).compare(ResultSet->Fields(i).Name(), Qt::CaseInsensitive) != 0)
            return false;
    return true;
}

bool MaxSQL::InitializeGrid(QString& statement)
{
    bool ok = false;
    guarded("InitializeGrid", [&] {
        if (!zoltObject_->StartObject(ServerName(), DatabaseName(), UserName(), Password())) {
            notice(QStringLiteral("No se ha podido iniciar el objeto de acceso a datos"));
            return;
        }
        if (statement.isEmpty())
            statement = SelectedQuery(true);
        statement = RemoveComments(statement);
        headerFromRecordset_ = false;

        const loadrules::TableTest test = loadrules::singleTableTest(statement);
        bool single = test.single;
        if (single) {
            // Parsing rewrites what it is given: it reads a copy.
            QString copy = statement;
            Variant items;
            single = trap([&] { items = zoltObject_->Parsing(copy); }, [](const Error&) {}) &&
                     loadrules::selectListIsWhole(itemsOf(items), test.tableName);
        }
        Variant structure;
        QString qualifier;
        if (single) {
            LastKeyFieldsText.clear();
            txtKeyFields->clear();
            SingleTable = true;
            EditTableName = test.tableName;
            qualifier = test.tableName;
            if (!trap([&] { structure = TableStructure(test.tableName); }, [](const Error&) {})) {
                // No structure: the result still loads, read-only, named by the record set.
                ResetEditState(true);
                headerFromRecordset_ = true;
                ok = true;
                return;
            }
            if (showKey_)
                ResolveKeyFields(structure);
        } else {
            LastKeyFieldsText.clear();
            txtKeyFields->clear();
            SavedKeyFields.clear();
            ResetEditState(true);
            const QString header = loadrules::headerStatement(statement, SelectedDriver());
            qualifier = loadrules::qualifier(test.tablePart);
            const bool read = trap([&] { structure = QueryStructure(header, qualifier); }, [](const Error&) {});
            if (!read || structureFields(structure).empty()) {
                headerFromRecordset_ = true;
                headerQualifier_ = qualifier;
                ok = true;
                return;
            }
        }
        headerQualifier_ = qualifier;
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
    setControlTag(flexi_, headerQualifier_);
    flexi_->setLockedColumns(QString());
    for (int c = 0; c < ResultColumns; ++c) {
        const db::Field f = ResultSet->Fields(c);
        flexi_->setTextMatrix(0, c, f.Name());
        flexi_->setColWidth(c, loadrules::columnWidth(zoltObject_->TipoDato(std::int16_t(f.Type())), f.DefinedSize(),
                                                      f.Name(), measure));
    }
}

void MaxSQL::FailedFetch()
{
    ResultSet.reset();
    PagingActive = false;
    OnDemandElevator->hide();
    flexi_->setRows(1);
    flexi_->setRedraw(true);
    lastFinalSelect_.clear();
    applyFrame();
}

bool MaxSQL::BusquedaRecordsetado(QString statement)
{
    bool ok = false;
    guarded("BusquedaRecordsetado", [&] {
        if (statement.isEmpty())
            statement = SelectedQuery(true);
        QString server = ServerName(), database = DatabaseName(), user = UserName(), password = Password();
        Variant result;
        try {
            result = zoltObject_->Query(statement, server, database, user, password, QStringLiteral("Recordset"));
        } catch (...) {
            FailedFetch();
            throw;
        }
        ResultSet = result.as<db::Recordset>();
        if (!ResultSet || !ResultSet->result()) {
            // The data-access object has said why.
            FailedFetch();
            return;
        }
        const int headerCols = flexi_->Cols();
        const DrawingOff drawing(*flexi_);
        ResultColumns = ResultSet->FieldCount();
        PagingRecordCount = ResultSet->RecordCount();
        flexi_->setCols(ResultColumns);
        PagePosition = 1;
        if (headerFromRecordset_ || headerCols != ResultColumns)
            HeadersFromRecordset();
        const db::ResultSet* rows = ResultSet->result();
        if (loadrules::isPaged(PagingRecordCount, ResultColumns)) {
            PageRows = loadrules::pageRows(twips_.value(flexi_).height());
            const int shown = int(std::min<qint64>(PageRows, PagingRecordCount));
            flexi_->setRows(1); // nothing of the last result stays, colours included
            flexi_->setRows(PageRows + 1);
            OnDemandElevator->show();
            flexi_->setScrollBars(1);
            applyFrame();
            qint64 count = PagingRecordCount;
            bool reset = true;
            OnDemandElevatorConfig(count, reset);
            if (shown > 0)
                flexi_->setTextBlock(1, 0, resulttexts::rows(*rows, PagePosition - 1, shown));
            PagingActive = true;
        } else {
            flexi_->setRows(1);
            flexi_->setRows(int(PagingRecordCount) + 1);
            if (PagingRecordCount > 0)
                flexi_->setTextBlock(1, 0, resulttexts::rows(*rows, 0, int(PagingRecordCount)));
            OnDemandElevator->hide();
            PagingActive = false;
            AddedRows = newCollection();
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
    OT.reset();
    guarded("LoadOT", [&] {
        QString keys = KeyList;
        keys.remove(u' ');
        // An unresolved key gives no record set: it could only find nothing.
        if (keys.isEmpty())
            return;
        const QStringList list = keys.split(u',');
        auto array = std::make_shared<VArray>(0, int(list.size()) - 1);
        for (int i = 0; i < list.size(); ++i)
            array->at(i) = list[i];
        OT = std::make_shared<clsMultiTabla>();
        ok = OT->Iniciar(ObjectPtr(), zoltObject_, errorObject_, scrObject_, QStringLiteral(" 0 = 1"), true, kWork,
                         EditTableName, QStringLiteral("Edición Registros"), EditTableName, QString(), Variant(array));
    });
    if (!ok)
        OT.reset(); // nothing edits through a record set that did not start
    return ok;
}

Variant MaxSQL::TableStructure(const QString& tableName)
{
    const auto it = TableStructureCache.constFind(tableName);
    if (it != TableStructureCache.cend())
        return it.value();
    const Variant structure = zoltObject_->EstructuraTabla(kWork, tableName);
    TableStructureCache.insert(tableName, structure);
    return structure;
}

Variant MaxSQL::QueryStructure(const QString& statement, const QString& tableName)
{
    // The whole statement is the key: statements that differ anywhere never share a structure.
    const QString key = statement + u'#' + tableName;
    const auto it = QueryStructureCache.constFind(key);
    if (it != QueryStructureCache.cend())
        return it.value();
    const Variant structure = zoltObject_->EstructuraConsulta(kWork, statement, tableName);
    QueryStructureCache.insert(key, structure);
    return structure;
}
