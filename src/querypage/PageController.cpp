#include "querypage/PageController.h"

#include "core/Error.h"
#include "core/FileReplace.h"
#include "data/clsDO.h"
#include "editing/clsMultiTabla.h"
#include "platform/db/Recordset.h"
#include "platform/db/ResultFile.h"
#include "platform/db/ResultTexts.h"
#include "platform/db/RowReader.h"
#include "querypage/KeyFields.h"
#include "querypage/LoadRules.h"
#include "querypage/StructureFields.h"
#include "querypage/TabHistoryFile.h"

#include <QElapsedTimer>
#include "services/clsTablas.h"

#include <QFileInfo>
#include <algorithm>

namespace {

const QString kWork = QStringLiteral("Ejercicio");

QStringList namesOf(const std::vector<StructureField>& fields)
{
    QStringList names;
    for (const StructureField& f : fields)
        names << f.name;
    return names;
}

// An answer of the repeated-key query that holds no row.
bool holdsNoRow(const Variant& answer)
{
    if (!answer.isArray())
        return answer.isEmpty() || answer.isNull();
    const VArray& a = *answer.array();
    return a.dimensions() < 2 ? a.ubound() < a.lbound() : a.ubound(2) < a.lbound(2);
}

} // namespace

QDateTime PageController::now() const { return clock ? clock() : QDateTime::currentDateTime(); }

// --- run

void PageController::StopClock()
{
    EndTime = now();
    LoadTime = loadrules::loadTime(StartTime.msecsTo(EndTime));
}

// Only a paged result is still arriving after StartFetch: its rows go to the file.
struct PageController::Fetch {
    std::unique_ptr<db::RowReader> reader;
    db::ResultSetPtr rows; // the record set's columns
    std::shared_ptr<db::ResultFile> paged;
};

std::shared_ptr<db::Recordset> PageController::StartFetch(const QString& statement,
                                                          const std::array<QString, 4>& connection)
{
    StopFetch();
    auto f = std::make_shared<Fetch>();
    f->reader = zolt->OpenReader(statement, false, connection[0], connection[1], connection[2], connection[3]);
    if (!f->reader)
        return nullptr;
    f->rows = std::make_shared<db::ResultSet>();
    f->rows->fields = f->reader->fields();
    auto builder = std::make_unique<db::ResultBuilder>(*f->rows);
    const int columns = f->rows->columnCount();
    while (!f->reader->atEnd() && !loadrules::isPaged(f->rows->rowCount(), columns))
        f->reader->read(*builder, fetchStep);
    f->rows->fields = f->reader->fields();
    std::shared_ptr<db::ResultFile> paged;
    if (loadrules::isPaged(f->rows->rowCount(), columns)) {
        // Past the line the grid shows a page at a time: the rows need not stay in memory.
        paged = std::make_shared<db::ResultFile>(f->rows->fields);
        paged->append(*f->rows, 0, f->rows->rowCount());
        f->rows = std::make_shared<db::ResultSet>();
        f->rows->fields = paged->fields();
        f->paged = paged;
    }
    auto records = std::make_shared<db::Recordset>();
    records->attach({f->rows});
    startedRows_ = std::move(paged);
    if (!f->reader->atEnd())
        fetch_ = std::move(f);
    return records;
}

bool PageController::FetchMore()
{
    if (!fetch_)
        return true;
    const std::shared_ptr<Fetch> f = fetch_; // a fetch stopped meanwhile ends with this call
    QElapsedTimer clock;
    clock.start();
    try {
        do
            f->paged->read(*f->reader, fetchStep);
        while (fetchTurnMs > 0 && !f->reader->atEnd() && clock.elapsed() < fetchTurnMs);
    } catch (...) {
        StopFetch();
        throw;
    }
    f->rows->fields = f->reader->fields();
    f->paged->setFields(f->rows->fields);
    if (f != fetch_)
        return true;
    PagingRecordCount = f->paged->rowCount();
    if (f->reader->atEnd())
        StopFetch();
    return !fetch_;
}

void PageController::TakeResult(std::shared_ptr<db::Recordset> records)
{
    ResultSet = std::move(records);
    PagedRows = std::move(startedRows_);
}

void PageController::StopFetch()
{
    fetch_.reset();
    startedRows_.reset();
}

QString PageController::StatusLine(qint64 gridRows, int columns) const
{
    return loadrules::statusLine(LoadTime, PagingActive ? PagingRecordCount : gridRows, columns);
}

Variant PageController::TableStructure(const QString& tableName)
{
    const auto it = TableStructureCache.constFind(tableName);
    if (it != TableStructureCache.cend())
        return it.value();
    const Variant structure = zolt->EstructuraTabla(kWork, tableName);
    TableStructureCache.insert(tableName, structure);
    return structure;
}

Variant PageController::QueryStructure(const QString& statement, const QString& tableName)
{
    // The whole statement is the key: statements that differ anywhere never share a structure.
    const QString key = statement + u'#' + tableName;
    const auto it = QueryStructureCache.constFind(key);
    if (it != QueryStructureCache.cend())
        return it.value();
    const Variant structure = zolt->EstructuraConsulta(kWork, statement, tableName);
    QueryStructureCache.insert(key, structure);
    return structure;
}

void PageController::ResetStructureCache(const std::array<QString, 6>& connection)
{
    if (connection == CachedConnection)
        return;
    TableStructureCache.clear();
    QueryStructureCache.clear();
    CachedConnection = connection;
}

void PageController::EmptyStructureCaches()
{
    TableStructureCache.clear();
    QueryStructureCache.clear();
    if (scr)
        scr->InicializarTablas();
}

// --- the loaded result

bool PageController::StructureMatchesResult(const Variant& structure) const
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

bool PageController::LoadOT(MessageReporterPtr msg)
{
    OT.reset();
    QString keys = KeyList;
    keys.remove(u' ');
    // An unresolved key gives no record set: it could only find nothing.
    if (keys.isEmpty())
        return false;
    const QStringList list = keys.split(u',');
    auto array = std::make_shared<VArray>(0, int(list.size()) - 1);
    for (int i = 0; i < list.size(); ++i)
        array->at(i) = list[i];
    auto ot = std::make_shared<clsMultiTabla>();
    if (!ot->Iniciar(ObjectPtr(), zolt, std::move(msg), scr, QStringLiteral(" 0 = 1"), true, kWork, EditTableName,
                     QStringLiteral("Edición Registros"), EditTableName, QString(), Variant(array)))
        return false; // nothing edits through a record set that did not start
    OT = std::move(ot);
    return true;
}

// --- paging

qint64 PageController::MovedPosition(int action, qint64 barValue) const
{
    qint64 position = PagePosition;
    switch (action) {
    case StepForward: position += 1; break;
    case StepBack: position -= 1; break;
    case PageForward: position += PageRows; break;
    case PageBack: position -= PageRows; break;
    case ToFirst: position = 1; break;
    case ToLast: position = PagingRecordCount; break;
    case Drag: position = barValue; break;
    default: return -1;
    }
    return std::clamp<qint64>(position, 1, std::max<qint64>(PagingRecordCount, 1));
}

qint64 PageController::ResultRecords() const
{
    if (PagedRows)
        return PagedRows->rowCount();
    return ResultSet && ResultSet->result() ? ResultSet->RecordCount() : 0;
}

QList<QStringList> PageController::RecordTexts(qint64 first, int count) const
{
    if (!PagedRows)
        return resulttexts::rows(*ResultSet->result(), first, count);
    QList<QStringList> out;
    out.reserve(count);
    while (count > 0) {
        const auto [block, at] = PagedRows->locate(first);
        const int n = int(std::min<qint64>(count, block->rowCount() - at));
        if (n <= 0)
            ::raise(Error::InvalidProcedureCall, QStringLiteral("El registro %1 no está en el resultado.").arg(first + 1));
        out << resulttexts::rows(*block, at, n);
        first += n;
        count -= n;
    }
    return out;
}

void PageController::DropResult()
{
    StopFetch();
    ResultSet.reset();
    PagedRows.reset();
    PagingActive = false;
}

void PageController::ForgetResult()
{
    DropResult();
    ClearEditState();
    OT.reset();
    AddedRows = newCollection();
    lastFinalSelect.clear();
}

// --- editability

void PageController::ClearEditState()
{
    GridEditable = false;
    SingleTable = false;
    EditTableName.clear();
    KeyPositions.clear();
    KeyList.clear();
    GridTypes.clear();
    GridLockedColumns.clear();
    KeyUnique = false;
}

void PageController::ResolveKeyFields(const Variant& structure)
{
    const std::vector<StructureField> fields = structureFields(structure);
    if (fields.empty())
        return;
    QString keyText = keyfields::keyText(KeyFields);
    if (keyText.isEmpty() && SingleTable && !EditTableName.isEmpty()) {
        QString table = EditTableName;
        table.remove(u'[').remove(u']');
        const CollectionPtr key = zolt->TableKey(QString(), QString(), QString(), QString(), table);
        if (key && key->Count() > 0) {
            QStringList names;
            for (const Variant& v : *key)
                names << v.toString();
            // Written as the key box shows it; its change check compares with what it holds.
            KeyFields = names.join(QStringLiteral(",\n"));
            LastKeyFieldsText = KeyFields;
            keyText = keyfields::keyText(names.join(u','));
        }
    }
    // Unique only once counted (CheckKeyUnique).
    KeyUnique = false;
    const keyfields::Resolution r = keyfields::resolve(keyText, namesOf(fields), EditTableName);
    if (!r.ok) {
        KeyPositions.clear();
        KeyList.clear();
        LastKeyFieldsText.clear();
        KeyFields.clear();
        return;
    }
    KeyPositions = r.positions;
    KeyList = r.list;
    GridLockedColumns = r.locked;
}

void PageController::CheckKeyUnique(const Variant& structure)
{
    KeyUnique = false;
    if (KeyList.isEmpty() || KeyPositions.isEmpty())
        return;
    // A declared key is counted too: a local file's key that is not a whole
    // number may hold NULL more than once.
    const QString statement = keyfields::repeatedKeyStatement(KeyList, EditTableName);
    const Variant repeated =
        zolt->Query(statement, QString(), QString(), QString(), QString(), QStringLiteral("BiDimArray"));
    if (!holdsNoRow(repeated))
        return;
    KeyUnique = true;
    QStringList types;
    for (const StructureField& f : structureFields(structure))
        types << keyfields::typeWord(f.type);
    GridTypes = types.join(u'|');
}

bool PageController::DecideEditable()
{
    // Edits need the record set this result was loaded with.
    GridEditable = SingleTable && KeyUnique && OT != nullptr;
    return GridEditable;
}

bool PageController::BoxChanged(const QString& text, QString& lastText)
{
    // Writing the same text back changes nothing, not even the time of the last edit.
    const bool changed = text != lastText;
    if (changed)
        LastEditTime = now();
    lastText = text;
    return changed;
}

bool PageController::IdleCheckDue() const
{
    // Whole seconds: the check waits until the clock's second has moved on.
    return now().toSecsSinceEpoch() - LastEditTime.toSecsSinceEpoch() >= 1;
}

PageController::EditButtons PageController::EditButtonStates() const
{
    if (!GridEditable)
        return {};
    return {!PagingActive, true, OT && OT->RegistrosEditados() > 0};
}

// --- history

QString PageController::HistoryCaption() const
{
    return QStringLiteral("Sentencia SQL ") +
           (HistoryIndex == 0 ? QStringLiteral("(última consulta)")
                              : BraceBlock(1, QString::number(HistoryIndex)) +
                                    QStringLiteral("ª (de las 5 últimas consultas recientes)"));
}

bool PageController::NextQueryEnabled() const { return HistoryIndex != 0; }

bool PageController::PreviousQueryEnabled() const { return HistoryIndex != TabHistoryFile::Entries - 1; }

bool PageController::SaveHistory(const QString& sql, const ConnectionValues& connection, int splitterTop, int tab,
                                 int currentTab)
{
    const int target = tab == 0 ? currentTab : tab;
    const QString path = TabHistoryFile::pathOf(target);
    const TabHistoryFile old = TabHistoryFile::load(path);
    // An unchanged page saved into its own file keeps its history: only
    // the splitter is written.
    const bool splitterOnly = sql == SavedSQLText && KeyFields == SavedKeyFields && target == currentTab;
    TabHistoryFile next = old;
    const bool stored = splitterOnly ? next.setSplitter(splitterTop)
                                     : old.recordNewest({sql, KeyFields, ContextStatement, connection}, splitterTop, next);
    const bool same = splitterOnly && QFileInfo::exists(path) && next.toBytes() == old.toBytes();
    // The old file stays whole when the new one cannot be written, and the
    // saved texts stay as they were, so the next save tries again. At the
    // program's close the failure goes into its one list of unsaved files.
    if (!stored || (!same && !next.save(path))) {
        if (!FileReplace::FailedSaves::collect(path))
            ::raise(Error::PathNotFound, QStringLiteral("No se ha podido guardar el fichero ") + BraceBlock(2, path));
        return false;
    }
    if (splitterOnly)
        return false;
    HistoryIndex = 0;
    SavedSQLText = sql;
    SavedKeyFields = KeyFields;
    return true;
}
