#pragma once
// The comparison itself, free of widgets: the merge of the two databases'
// table and view lists into the ComparisonResult, the comparison of one table
// and of one view, and the completion of a listed table with its columns and
// indexes. Progress, the hourglass and the panel go through the host (the
// comparison window's controller, or a test).
#include "compare/CompareModel.h"
#include "core/Error.h"
#include "data/clsDO.h"
#include "messages/clsError.h"

#include <QString>
#include <cstdint>
#include <memory>

namespace compare {

class CompareHost {
public:
    virtual ~CompareHost() = default;
    // One main step (main true: the counter goes up and the line shows name,
    // counter and total) or one sub step (step of total). False: the user
    // cancelled and the caller stops.
    virtual bool ShowProgress(Line line, const QString& name, std::int32_t subTotal, std::int32_t subStep, bool main) = 0;
    virtual void ShowProgressPanel() = 0;
    virtual void HideProgressPanel() = 0;
    // The number of main steps of the merge; the counter starts again at 0.
    virtual void StartSteps(std::int32_t total) = 0;
    virtual void InitializeTableGrid() = 0;
    // Lets pending events run.
    virtual void DoEvents() = 0;
    // The hourglass while the returned guard lives.
    virtual std::shared_ptr<void> Busy() = 0;
};

// One database of the comparison: its data-access object and the connection
// values every call passes.
struct Side {
    std::shared_ptr<clsDO> zolt;
    QString SRV, BBDD, UID, PWD;
};

class CompareEngine {
public:
    CompareEngine(CompareHost& host, clsErrorPtr msg, RunTexts texts);

    // The TableRecord of a table on one side or both; nothing when cancelled
    // or failed (the failure reported with the step in progress).
    CollectionPtr CompareTables(const CollectionPtr& oCurTable, const CollectionPtr& oCompTable);
    // The TableRecord of a view, compared by its column names only.
    CollectionPtr CompareViews(const CollectionPtr& oCurView, const CollectionPtr& oCompView);
    // The ComparisonResult of the four lists (the compared ones null for the
    // listing of the current database); nothing when the merge stopped.
    CollectionPtr GetTablesAndViews(const Side& current, const CollectionPtr& curTables, const Side& compared,
                                    const CollectionPtr& compTables, const CollectionPtr& curViews,
                                    const CollectionPtr& compViews);

    // Completes the list's item of that name with "Fields", "Key" and (when
    // the engine lists them) "Indexes", in its place in the list; an item that
    // already has fields comes back as it is; nothing when the list has no
    // such item. Raises 91 when the table cannot be read any more.
    static CollectionPtr LoadTableStructure(const Side& side, Collection& list, const QString& name,
                                            std::int32_t position);

    const RunTexts& texts() const { return texts_; }

private:
    // The two halves of GetTablesAndViews and the record of an object listed on one side.
    bool MergeTables(Collection& result, const Side& current, const CollectionPtr& curTables, const Side& compared,
                     const CollectionPtr& compTables);
    bool MergeViews(Collection& result, const CollectionPtr& curViews, const CollectionPtr& compViews);
    void AddListed(Collection& result, Kind kind, const QString& name, const CollectionPtr& compared);
    // The record of an object on one side only, with its columns; nothing when cancelled.
    CollectionPtr oneSidedFields(const Collection& object, bool current, Kind kind);
    CollectionPtr oneSidedTable(const Collection& table, bool current, QString& step);
    CollectionPtr twoSidedTable(const Collection& cur, const Collection& comp, QString& step);
    bool sub(Line line, const QString& name, std::int32_t total, std::int32_t step);
    void report(const QString& tag, const Error& e, const QString& step) const;

    CompareHost& host_;
    clsErrorPtr msg_;
    RunTexts texts_;
};

} // namespace compare
