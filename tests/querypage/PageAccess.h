#pragma once
// What tests and benchmarks reach inside a query page, and the scripted
// new-key dialog that stands in for the real one.
#include "querypage/MaxSQL.h"

#include "editing/clsMultiTabla.h"
#include "data/clsDO.h"

#include "platform/db/Connection.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QTimer>

// A local database file made from statements (an existing file is kept).
inline QString makeLocalFile(const QString& file, const QStringList& statements)
{
    if (QFile::exists(file))
        return file;
    QFile empty(file);
    empty.open(QIODevice::WriteOnly);
    empty.close();
    db::Connection c;
    c.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file);
    for (const QString& s : statements)
        c.Execute(s);
    c.Close();
    return file;
}

class MaxSQLTestAccess {
public:
    // The key rules of a load: resolved, then counted.
    static void resolveKeys(MaxSQL& p, const Variant& structure)
    {
        p.ctl_.ResolveKeyFields(structure);
        p.ctl_.CheckKeyUnique(structure);
    }
    static void checkEditable(MaxSQL& p) { p.CheckEditable(); }
    static void timerTick(MaxSQL& p) { p.tmrCheckEditable_Timer(); }
    static void refreshEditedRows(MaxSQL& p, bool off) { p.RefreshEditedRows(off); }
    static void cellChanged(MaxSQL& p) { p.Flexi_CellChanged(); }
    static void add(MaxSQL& p) { p.BttAdd_MouseUp(0, 0, 0, 0); }
    static void remove(MaxSQL& p) { p.BttDelete_MouseUp(0, 0, 0, 0); }
    static void confirm(MaxSQL& p) { p.BttConfirm_MouseUp(0, 0, 0, 0); }
    static Variant structure(MaxSQL& p, const QString& table) { return p.TableStructure(table); }
    static void setSingleTable(MaxSQL& p, const QString& table)
    {
        p.ctl_.SingleTable = true;
        p.ctl_.EditTableName = table;
    }
    static std::shared_ptr<clsMultiTabla> records(MaxSQL& p) { return p.ctl_.OT; }
    static void setRecords(MaxSQL& p, std::shared_ptr<clsMultiTabla> ot) { p.ctl_.OT = std::move(ot); }
    static CollectionPtr addedRows(MaxSQL& p) { return p.ctl_.AddedRows; }
    static bool editable(const MaxSQL& p) { return p.ctl_.GridEditable; }
    static bool keyUnique(const MaxSQL& p) { return p.ctl_.KeyUnique; }
    static QString keyList(const MaxSQL& p) { return p.ctl_.KeyList; }
    static QString keyPositions(const MaxSQL& p) { return p.ctl_.KeyPositions; }
    static QString lockedColumns(const MaxSQL& p) { return p.ctl_.GridLockedColumns; }
    static void setPaging(MaxSQL& p, bool on) { p.ctl_.PagingActive = on; }
    static void autoSize(MaxSQL& p) { p.BttAutoSize_MouseUp(0, 0, 0, 0); }
    static void setGridEditable(MaxSQL& p, bool on) { p.ctl_.GridEditable = on; }
    static bool fetching(const MaxSQL& p) { return p.ctl_.Fetching(); }
    // Few rows a turn, one step each: a result of thousands arrives in many turns.
    static void slowFetch(MaxSQL& p)
    {
        p.ctl_.fetchStep = 512;
        p.ctl_.fetchTurnMs = 0;
    }
    static void finishFetch(MaxSQL& p) { p.FinishFetch(); }
    // The page's timers tick only through the calls below, never on their own.
    static void stepsOnRequest(MaxSQL& p) { p.ctl_.StepsOnRequest = true; }
    static void fetchTurn(MaxSQL& p) { p.tmrFetch_Timer(); }
    static qint64 recordCount(const MaxSQL& p) { return p.ctl_.PagingRecordCount; }
};

// The new-key dialog as a script: keeps the rows it was given, then answers
// with the values (Max + 1 through its data-access object where asked) or cancels.
struct NewKeyScript {
    std::vector<std::vector<NewKeyDialog::KeyField>> shown;
    std::vector<int> heights;
    bool cancel = false;
    QStringList values;
    int maxPlusOneRow = -1; // the row whose value is the stored maximum plus one
};

class ScriptedNewKey : public NewKeyDialog {
public:
    explicit ScriptedNewKey(std::shared_ptr<NewKeyScript> s) : script_(std::move(s)) {}
    void Show(QWidget*) override
    {
        script_->shown.push_back(Fields);
        script_->heights.push_back(Height);
        if (script_->cancel)
            return;
        for (std::size_t i = 0; i < Fields.size() && int(i) < script_->values.size(); ++i)
            Fields[i].value = script_->values[int(i)];
        if (script_->maxPlusOneRow >= 0) {
            NewKeyDialog::KeyField& f = Fields[std::size_t(script_->maxPlusOneRow)];
            QString sql = QStringLiteral("SELECT MAX(") + f.qualifiedName.section(u'.', 1) + QStringLiteral(") AS MaxValue FROM ") +
                          f.qualifiedName.section(u'.', 0, 0);
            const Variant v = Zolt->Query(sql, QString(), QString(), QString(), QString(), QStringLiteral("BiDimArray"));
            const VArray& a = *v.array();
            f.value = QString::number(a.at(a.lbound(1), a.lbound(2)).toLong() + 1);
        }
        Cancelled = false;
    }

private:
    std::shared_ptr<NewKeyScript> script_;
};
