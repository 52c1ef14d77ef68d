#include "compare/CompareEngine.h"

#include "core/ValueText.h"

namespace compare {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

CollectionPtr need(const Collection& c, const QString& key)
{
    auto item = c.Item(Variant(key)).as<Collection>();
    if (!item)
        raise(Error::ObjectVariableNotSet, QStringLiteral("Object variable or With block variable not set"));
    return item;
}

CollectionPtr itemAt(const Collection& c, int position)
{
    auto item = c[position].as<Collection>();
    if (!item)
        raise(Error::ObjectVariableNotSet, QStringLiteral("Object variable or With block variable not set"));
    return item;
}

CollectionPtr tableRecord(const QString& state, const QString& name, const QString& type)
{
    auto r = newCollection();
    r->Add(state, QStringLiteral("TableIconName"));
    r->Add(name, QStringLiteral("TableName"));
    r->Add(type, QStringLiteral("TableType"));
    return r;
}

CollectionPtr record(const QString& prefix, const QString& state, const QString& name, const QString& differences)
{
    auto r = newCollection();
    r->Add(state, prefix + QStringLiteral("IconName"));
    r->Add(name, prefix + QStringLiteral("Name"));
    r->Add(differences, prefix + QStringLiteral("Differences"));
    return r;
}

// The index's columns, all in the state of the index itself, without texts.
CollectionPtr indexFieldsAs(const Collection& indexFields, const QString& state)
{
    auto out = newCollection();
    for (int k = 1; k <= indexFields.Count(); ++k) {
        const QString column = indexFields[k].toString();
        out->Add(Variant(record(QStringLiteral("IndexField"), state, column, QString())), column);
    }
    return out;
}

QString typeName(const Variant& v) { return v.isNumber() ? DataTypeName(v.toInt()) : QString(); }

// The first of the six column properties whose values differ, as its text; "" when none does.
QString columnDifference(const Collection& cur, const Collection& comp)
{
    static const QString names[] = {QStringLiteral("Type"), QStringLiteral("Nullable"), QStringLiteral("Size"),
                                    QStringLiteral("Precision"), QStringLiteral("FixedLenght"),
                                    QStringLiteral("AutoIncrease")};
    for (const QString& property : names) {
        const Variant a = cur.Item(Variant(property));
        const Variant b = comp.Item(Variant(property));
        if (valuesEqual(a, b))
            continue;
        if (property == names[0])
            return QStringLiteral("Type: '") + typeName(a) + QStringLiteral("' vs '") + typeName(b) + QLatin1Char('\'');
        return property + QStringLiteral(": ") + ValueText::displayText(a) + QStringLiteral(" vs ") +
               ValueText::displayText(b);
    }
    return QString();
}

QString indexDifference(const Collection& cur, const Collection& comp)
{
    static const std::pair<QString, QString> flags[] = {
        {QStringLiteral("IsPrimaryKey"), QStringLiteral("Propiedad PrimaryKey")},
        {QStringLiteral("IsUnique"), QStringLiteral("Propiedad IsUnique")},
        {QStringLiteral("IsNullable"), QStringLiteral("Propiedad IsNullable")},
    };
    for (const auto& [flag, text] : flags)
        if (!valuesEqual(cur.Item(Variant(flag)), comp.Item(Variant(flag))))
            return text;
    return QString();
}

QString loopStep(const QString& variable, const QString& table, const QString& list, int position)
{
    return QStringLiteral("For ") + variable + QStringLiteral(" = 1 To ") + table + QStringLiteral("('") + list +
           QStringLiteral("').Count (") + variable + QStringLiteral(" = ") + QString::number(position) +
           QLatin1Char(')');
}

} // namespace

CompareEngine::CompareEngine(CompareHost& host, clsErrorPtr msg, RunTexts texts)
    : host_(host), msg_(std::move(msg)), texts_(std::move(texts))
{
}

bool CompareEngine::sub(Line line, const QString& name, std::int32_t total, std::int32_t step)
{
    return host_.ShowProgress(line, name, total, step, false);
}

void CompareEngine::report(const QString& tag, const Error& e, const QString& step) const
{
    Error shown = e;
    if (!step.isNull())
        shown.description += kCrLf + step;
    try {
        ReportError(msg_, tag, shown);
    } catch (...) {
        // A report that fails itself goes no further.
    }
}

// --- tables

CollectionPtr CompareEngine::CompareTables(const CollectionPtr& oCurTable, const CollectionPtr& oCompTable)
{
    QString step = QStringLiteral("");
    try {
        if (!oCompTable) {
            step = QStringLiteral("If oCompTable Is Nothing Then");
            if (!oCurTable)
                raise(Error::ObjectVariableNotSet, QStringLiteral("Object variable or With block variable not set"));
            return oneSidedTable(*oCurTable, true, step);
        }
        if (!oCurTable) {
            step = QStringLiteral("If oCurTable Is Nothing Then");
            return oneSidedTable(*oCompTable, false, step);
        }
        step = QStringLiteral("If NOT oCurTable Is Nothing Then");
        return twoSidedTable(*oCurTable, *oCompTable, step);
    } catch (const Error& e) {
        report(QStringLiteral("{1FRMCOMPARE.COMPARETABLES}"), e, step);
    } catch (const std::exception& e) {
        report(QStringLiteral("{1FRMCOMPARE.COMPARETABLES}"), Error(Error::InvalidProcedureCall, QString::fromUtf8(e.what())), step);
    }
    return nullptr;
}

CollectionPtr CompareEngine::oneSidedFields(const Collection& object, bool current, Kind kind)
{
    const QString state = current ? StateOnlyCurrent : StateOnlyCompared;
    const QString text = current ? texts_.onlyCurrent : texts_.onlyCompared;
    const QString name = textItem(object, QStringLiteral("Name"));
    auto result = tableRecord(state, name, kind == Kind::Table ? texts_.table : texts_.view);
    const auto columns = need(object, QStringLiteral("Fields"));
    auto fields = newCollection();
    for (int i = 1; i <= columns->Count(); ++i) {
        if (!sub(Line::ComparingFields, name, columns->Count(), i))
            return nullptr;
        // A table's columns are field items; a view's are their names.
        const QString column = kind == Kind::Table ? textItem(*itemAt(*columns, i), QStringLiteral("Name"))
                                                   : (*columns)[i].toString();
        fields->Add(Variant(record(QStringLiteral("Field"), state, column, text)), column);
    }
    result->Add(Variant(fields), QStringLiteral("Fields"));
    return result;
}

CollectionPtr CompareEngine::oneSidedTable(const Collection& table, bool current, QString&)
{
    const QString state = current ? StateOnlyCurrent : StateOnlyCompared;
    const QString text = current ? texts_.onlyCurrent : texts_.onlyCompared;
    auto result = oneSidedFields(table, current, Kind::Table);
    if (!result)
        return nullptr;
    const QString name = textItem(table, QStringLiteral("Name"));

    auto indexes = newCollection();
    // A table whose engine lists no indexes has none here.
    if (const auto list = compare::sub(table, QStringLiteral("Indexes"))) {
        for (int i = 1; i <= list->Count(); ++i) {
            if (!sub(Line::LoadingIndexes, name, list->Count(), i))
                return nullptr;
            const auto index = itemAt(*list, i);
            const QString indexName = textItem(*index, QStringLiteral("IndexName"));
            auto r = record(QStringLiteral("Index"), state, indexName, text);
            r->Add(Variant(indexFieldsAs(*need(*index, QStringLiteral("IndexFields")), state)),
                   QStringLiteral("IndexFields"));
            indexes->Add(Variant(r), indexName);
        }
    }
    result->Add(Variant(indexes), QStringLiteral("Indexes"));
    return result;
}

CollectionPtr CompareEngine::twoSidedTable(const Collection& cur, const Collection& comp, QString& step)
{
    const QString name = textItem(cur, QStringLiteral("Name"));
    const QString compName = textItem(comp, QStringLiteral("Name"));
    auto result = tableRecord(QString(), name, texts_.table);
    bool tableDifferent = false;

    const auto curColumns = need(cur, QStringLiteral("Fields"));
    const auto compColumns = need(comp, QStringLiteral("Fields"));
    auto fields = newCollection();
    for (int i = 1; i <= curColumns->Count(); ++i) {
        if (!sub(Line::ComparingFields, name, curColumns->Count(), i))
            return nullptr;
        step = loopStep(QStringLiteral("lCurField"), QStringLiteral("oCurTable"), QStringLiteral("Fields"), i);
        const auto column = itemAt(*curColumns, i);
        const QString columnName = textItem(*column, QStringLiteral("Name"));
        CollectionPtr r;
        if (compColumns->Exists(columnName)) {
            const QString difference = columnDifference(*column, *need(*compColumns, columnName));
            r = record(QStringLiteral("Field"), difference.isEmpty() ? StateEqual : StateDifferent, columnName, difference);
            tableDifferent = tableDifferent || !difference.isEmpty();
        } else {
            r = record(QStringLiteral("Field"), StateOnlyCurrent, columnName, texts_.onlyCurrent);
            tableDifferent = true;
        }
        fields->Add(Variant(r), columnName);
    }
    for (int j = 1; j <= compColumns->Count(); ++j) {
        if (!sub(Line::ComparingFields, compName, compColumns->Count(), j))
            return nullptr;
        step = loopStep(QStringLiteral("lCompField"), QStringLiteral("oCompTable"), QStringLiteral("Fields"), j);
        const QString columnName = textItem(*itemAt(*compColumns, j), QStringLiteral("Name"));
        if (fields->Exists(columnName))
            continue;
        fields->Add(Variant(record(QStringLiteral("Field"), StateOnlyCompared, columnName, texts_.onlyCompared)), columnName);
        tableDifferent = true;
    }
    result->Add(Variant(fields), QStringLiteral("Fields"));

    auto indexes = newCollection();
    const auto curIndexes = compare::sub(cur, QStringLiteral("Indexes"));
    const auto compIndexes = compare::sub(comp, QStringLiteral("Indexes"));
    // When either engine lists no indexes (a data source with the Access
    // driver), nothing is known about them: no rows and no difference.
    if (curIndexes && compIndexes) {
        for (int i = 1; i <= curIndexes->Count(); ++i) {
            if (!sub(Line::LoadingIndexes, name, curIndexes->Count(), i))
                return nullptr;
            step = loopStep(QStringLiteral("lCurIndex"), QStringLiteral("oCurTable"), QStringLiteral("Indexes"), i);
            const auto index = itemAt(*curIndexes, i);
            const QString indexName = textItem(*index, QStringLiteral("IndexName"));
            const auto columns = need(*index, QStringLiteral("IndexFields"));
            CollectionPtr r;
            if (compIndexes->Count() > 0 && compIndexes->Exists(indexName)) {
                const auto other = need(*compIndexes, indexName);
                const auto otherColumns = need(*other, QStringLiteral("IndexFields"));
                QString text = indexDifference(*index, *other);
                bool indexDifferent = !text.isEmpty();
                auto indexFields = newCollection();
                for (int k = 1; k <= columns->Count(); ++k) {
                    const QString column = (*columns)[k].toString();
                    const bool both = otherColumns->Exists(column);
                    indexDifferent = indexDifferent || !both;
                    indexFields->Add(Variant(record(QStringLiteral("IndexField"), both ? StateEqual : StateOnlyCurrent,
                                                    column, both ? QString() : texts_.onlyCurrent)),
                                     column);
                }
                for (int k = 1; k <= otherColumns->Count(); ++k) {
                    const QString column = (*otherColumns)[k].toString();
                    if (indexFields->Exists(column))
                        continue;
                    indexDifferent = true;
                    indexFields->Add(
                        Variant(record(QStringLiteral("IndexField"), StateOnlyCompared, column, texts_.onlyCompared)), column);
                }
                if (indexDifferent && text.isEmpty())
                    text = QStringLiteral("Diferentes Campos Indexados");
                r = record(QStringLiteral("Index"), indexDifferent ? StateDifferent : StateEqual, indexName, text);
                r->Add(Variant(indexFields), QStringLiteral("IndexFields"));
                tableDifferent = tableDifferent || indexDifferent;
            } else {
                r = record(QStringLiteral("Index"), StateOnlyCurrent, indexName, texts_.onlyCurrent);
                r->Add(Variant(indexFieldsAs(*columns, StateOnlyCurrent)), QStringLiteral("IndexFields"));
                tableDifferent = true;
            }
            indexes->Add(Variant(r), indexName);
        }
        for (int j = 1; j <= compIndexes->Count(); ++j) {
            if (!sub(Line::LoadingIndexes, compName, compIndexes->Count(), j))
                return nullptr;
            step = loopStep(QStringLiteral("lCompIndex"), QStringLiteral("oCompTable"), QStringLiteral("Indexes"), j);
            const auto index = itemAt(*compIndexes, j);
            const QString indexName = textItem(*index, QStringLiteral("IndexName"));
            if (indexes->Exists(indexName))
                continue;
            auto r = record(QStringLiteral("Index"), StateOnlyCompared, indexName, texts_.onlyCompared);
            r->Add(Variant(indexFieldsAs(*need(*index, QStringLiteral("IndexFields")), StateOnlyCompared)),
                   QStringLiteral("IndexFields"));
            indexes->Add(Variant(r), indexName);
            tableDifferent = true;
        }
    }
    result->Add(Variant(indexes), QStringLiteral("Indexes"));
    result->Item(Variant(QStringLiteral("TableIconName"))) = tableDifferent ? StateDifferent : StateEqual;
    return result;
}

// --- views

CollectionPtr CompareEngine::CompareViews(const CollectionPtr& oCurView, const CollectionPtr& oCompView)
{
    QString step = QStringLiteral("");
    try {
        auto oneSided = [&](const Collection& view, bool current) -> CollectionPtr {
            auto result = oneSidedFields(view, current, Kind::View);
            if (result)
                result->Add(Variant(newCollection()), QStringLiteral("Indexes"));
            return result;
        };
        if (!oCompView) {
            step = QStringLiteral("If oCompView Is Nothing Then");
            if (!oCurView)
                raise(Error::ObjectVariableNotSet, QStringLiteral("Object variable or With block variable not set"));
            return oneSided(*oCurView, true);
        }
        if (!oCurView) {
            step = QStringLiteral("If oCurView Is Nothing Then");
            return oneSided(*oCompView, false);
        }
        step = QStringLiteral("If NOT oCurView Is Nothing Then");
        const QString name = textItem(*oCurView, QStringLiteral("Name"));
        const QString compName = textItem(*oCompView, QStringLiteral("Name"));
        auto result = tableRecord(QString(), name, texts_.view);
        bool different = false;
        const auto curColumns = need(*oCurView, QStringLiteral("Fields"));
        const auto compColumns = need(*oCompView, QStringLiteral("Fields"));
        auto fields = newCollection();
        for (int i = 1; i <= curColumns->Count(); ++i) {
            if (!sub(Line::ComparingFields, name, curColumns->Count(), i))
                return nullptr;
            step = loopStep(QStringLiteral("lCurField"), QStringLiteral("oCurView"), QStringLiteral("Fields"), i);
            const QString column = (*curColumns)[i].toString();
            const bool both = compColumns->Exists(column);
            different = different || !both;
            fields->Add(Variant(record(QStringLiteral("Field"), both ? StateEqual : StateOnlyCurrent, column,
                                       both ? QString() : texts_.onlyCurrent)),
                        column);
        }
        for (int j = 1; j <= compColumns->Count(); ++j) {
            if (!sub(Line::ComparingFields, compName, compColumns->Count(), j))
                return nullptr;
            step = loopStep(QStringLiteral("lCompField"), QStringLiteral("oCompView"), QStringLiteral("Fields"), j);
            const QString column = (*compColumns)[j].toString();
            if (fields->Exists(column))
                continue;
            different = true;
            fields->Add(Variant(record(QStringLiteral("Field"), StateOnlyCompared, column, texts_.onlyCompared)), column);
        }
        result->Add(Variant(fields), QStringLiteral("Fields"));
        result->Add(Variant(newCollection()), QStringLiteral("Indexes"));
        result->Item(Variant(QStringLiteral("TableIconName"))) = different ? StateDifferent : StateEqual;
        return result;
    } catch (const Error& e) {
        report(QStringLiteral("{1FRMCOMPARE.COMPAREVIEWS}"), e, step);
    } catch (const std::exception& e) {
        report(QStringLiteral("{1FRMCOMPARE.COMPAREVIEWS}"), Error(Error::InvalidProcedureCall, QString::fromUtf8(e.what())), step);
    }
    return nullptr;
}

// --- structure of one listed table

CollectionPtr CompareEngine::LoadTableStructure(const Side& side, Collection& list, const QString& name,
                                                std::int32_t position)
{
    if (!list.Exists(name))
        return nullptr;
    const int at = list.IndexOf(name);
    const QString key = list.KeyAt(at);
    const auto item = list[at].as<Collection>();
    if (item && item->Exists(QStringLiteral("Fields"))) {
        const auto fields = item->Item(Variant(QStringLiteral("Fields"))).as<Collection>();
        if (fields && fields->Count() > 0)
            return item;
    }
    if (!side.zolt)
        raise(Error::ObjectVariableNotSet, QStringLiteral("Object variable or With block variable not set"));
    // The engine is asked under the name its own list gives: a case-sensitive
    // engine knows "Orders" but not "ORDERS".
    const QString tableName = item && item->Exists(QStringLiteral("Name")) ? textItem(*item, QStringLiteral("Name")) : name;
    QString s = side.SRV, d = side.BBDD, u = side.UID, p = side.PWD, t = tableName;
    const CollectionPtr full = side.zolt->TableList(s, d, u, p, t);
    if (!full || !full->Exists(QStringLiteral("Name")))
        raise(Error::ObjectVariableNotSet, QStringLiteral("Object variable or With block variable not set"));
    s = side.SRV, d = side.BBDD, u = side.UID, p = side.PWD, t = tableName;
    if (const CollectionPtr indexes = side.zolt->TableIndexes(s, d, u, p, t))
        full->Add(Variant(indexes), QStringLiteral("Indexes"));

    if (position == 0)
        position = at;
    list.Remove(Variant(key));
    if (position > list.Count())
        list.Add(Variant(full), key);
    else
        list.Add(Variant(full), key, Variant(std::int32_t(position)));
    return full;
}

// --- the merge

// A record of an object listed on the current side only (no comparison run):
// its name and type with the fields and indexes the comparison gave.
void CompareEngine::AddListed(Collection& result, Kind kind, const QString& name, const CollectionPtr& compared)
{
    auto r = tableRecord(StateNone, name, kind == Kind::Table ? texts_.table : texts_.view);
    r->Add(compared->Item(Variant(QStringLiteral("Fields"))), QStringLiteral("Fields"));
    r->Add(compared->Item(Variant(QStringLiteral("Indexes"))), QStringLiteral("Indexes"));
    result.Add(Variant(r), RecordKey(kind, name));
    host_.DoEvents();
}

// Tables. Lists are walked by position, re-reading the count: the completion
// of an item replaces it in its place while events run. False when stopped.
bool CompareEngine::MergeTables(Collection& result, const Side& current, const CollectionPtr& curTables,
                                const Side& compared, const CollectionPtr& compTables)
{
    const auto main = [&](Line line, const QString& name) { return host_.ShowProgress(line, name, 0, 0, true); };
    if (!compTables) {
        for (int i = 1; i <= curTables->Count(); ++i) {
            const QString name = textItem(*itemAt(*curTables, i), QStringLiteral("Name"));
            if (!main(Line::TableCurrent, name))
                return false;
            const auto full = LoadTableStructure(current, *curTables, name, i);
            const auto listed = CompareTables(full, nullptr);
            if (!listed)
                return false;
            AddListed(result, Kind::Table, name, listed);
        }
        return true;
    }
    QStringList names; // the records' names in order, for the places of compared-only tables
    for (int i = 1; i <= curTables->Count(); ++i) {
        const QString name = textItem(*itemAt(*curTables, i), QStringLiteral("Name"));
        if (!main(Line::TableCurrent, name))
            return false;
        const auto counterpart = LoadTableStructure(compared, *compTables, name, 0);
        const auto full = LoadTableStructure(current, *curTables, name, i);
        const auto r = CompareTables(full, counterpart);
        if (!r)
            return false;
        names << textItem(*r, QStringLiteral("TableName"));
        result.Add(Variant(r), RecordKey(Kind::Table, names.last()));
    }
    for (int j = 1; j <= compTables->Count(); ++j) {
        const QString name = textItem(*itemAt(*compTables, j), QStringLiteral("Name"));
        if (!main(Line::TableCompared, name))
            return false;
        if (result.Exists(RecordKey(Kind::Table, name))) {
            // Compared with its current namesake already: the sub line only moves.
            if (!sub(Line::ComparingFields, name, 10, 0) || !sub(Line::ComparingFields, name, 10, 5) ||
                !sub(Line::ComparingFields, name, 10, 10) || !sub(Line::ComparingIndexes, name, 1, 0) ||
                !sub(Line::ComparingIndexes, name, 1, 1))
                return false;
            continue;
        }
        const auto full = LoadTableStructure(compared, *compTables, name, j);
        const auto r = CompareTables(nullptr, full);
        if (!r)
            return false;
        const QString recordName = textItem(*r, QStringLiteral("TableName"));
        const int position = FindInsertPosition(names, recordName);
        if (position <= result.Count())
            result.Add(Variant(r), RecordKey(Kind::Table, recordName), Variant(std::int32_t(position)));
        else
            result.Add(Variant(r), RecordKey(Kind::Table, recordName));
        names.insert(position - 1, recordName);
        host_.DoEvents();
    }
    return true;
}

// Views, after the tables. False when stopped.
bool CompareEngine::MergeViews(Collection& result, const CollectionPtr& curViews, const CollectionPtr& compViews)
{
    const auto main = [&](Line line, const QString& name) { return host_.ShowProgress(line, name, 0, 0, true); };
    for (int i = 1; i <= curViews->Count(); ++i) {
        const auto view = itemAt(*curViews, i);
        const QString name = textItem(*view, QStringLiteral("Name"));
        if (!main(Line::ViewCurrent, name))
            return false;
        const CollectionPtr counterpart = compViews && compViews->Exists(name) ? need(*compViews, name) : nullptr;
        const auto r = CompareViews(view, counterpart);
        if (!r)
            return false;
        if (!compViews) {
            AddListed(result, Kind::View, name, r);
            continue;
        }
        result.Add(Variant(r), RecordKey(Kind::View, textItem(*r, QStringLiteral("TableName"))));
        host_.DoEvents();
    }
    for (int j = 1; compViews && j <= compViews->Count(); ++j) {
        const auto view = itemAt(*compViews, j);
        const QString name = textItem(*view, QStringLiteral("Name"));
        if (!main(Line::ViewCompared, name))
            return false;
        if (result.Exists(RecordKey(Kind::View, name))) {
            if (!sub(Line::ComparingFields, name, 1, 0) || !sub(Line::ComparingFields, name, 1, 1))
                return false;
            continue;
        }
        const auto r = CompareViews(nullptr, view);
        if (!r)
            return false;
        result.Add(Variant(r), RecordKey(Kind::View, textItem(*r, QStringLiteral("TableName"))));
    }
    return true;
}

CollectionPtr CompareEngine::GetTablesAndViews(const Side& current, const CollectionPtr& curTables, const Side& compared,
                                               const CollectionPtr& compTables, const CollectionPtr& curViews,
                                               const CollectionPtr& compViews)
{
    const auto busy = host_.Busy();
    try {
        if (!curTables || !curViews)
            raise(Error::ObjectVariableNotSet, QStringLiteral("Object variable or With block variable not set"));
        host_.StartSteps(curTables->Count() + (compTables ? compTables->Count() : 0) + curViews->Count() +
                         (compViews ? compViews->Count() : 0));
        host_.InitializeTableGrid();
        auto result = newCollection();
        host_.ShowProgressPanel();
        if (!MergeTables(*result, current, curTables, compared, compTables) || !MergeViews(*result, curViews, compViews))
            return nullptr;
        host_.HideProgressPanel();
        return result;
    } catch (const Error& e) {
        report(QStringLiteral("{1FRMCOMPARE.GetTablesAndViews}"), e, QString());
    } catch (const std::exception& e) {
        report(QStringLiteral("{1FRMCOMPARE.GetTablesAndViews}"), Error(Error::InvalidProcedureCall, QString::fromUtf8(e.what())),
               QString());
    }
    return nullptr;
}

} // namespace compare
