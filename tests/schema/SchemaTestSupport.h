#pragma once
// The schema windows under test: message boxes recorded, dialogs scripted,
// the data-access object pointed at a local file or at the recording backend.
#include "data/DataTestSupport.h"
#include "messages/clsError.h"
#include "controls/ModalRunner.h"
#include "controls/MaxGrid.h"
#include "services/clsTablas.h"

#include <QAbstractItemModel>
#include <QTableView>
#include <gtest/gtest.h>

namespace schematest {

// Items with a Name each, under their names: how the data layer lists tables and fields.
inline CollectionPtr namedItems(const QStringList& names)
{
    auto c = newCollection();
    for (const QString& n : names) {
        auto item = newCollection();
        item->Add(Variant(n), "Name");
        c->Add(Variant(item), n);
    }
    return c;
}

class SchemaWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        msg->setRecorder(box);
        scr->oError = msg;
    }
    void TearDown() override
    {
        if (rec)
            db::RecordingBackend::uninstall();
    }

    template <class W>
    void give(W& w)
    {
        w.MSG = msg;
        w.SCR = scr;
        w.Zolt = zolt;
    }
    template <class W>
    void connect(W& w)
    {
        give(w);
        w.setSRV(srv);
        w.setBBDD(bbdd);
        w.setuID(uid);
        w.setPWD(pwd);
    }
    void local(const QStringList& statements)
    {
        db::Catalog::Create(file.connectionString());
        file.exec(statements);
        zolt->setConnectionType(2);
        bbdd = file.path;
    }
    void recorded(int connectionType, int driver = 0)
    {
        rec = db::RecordingBackend::install();
        zolt->setConnectionType(std::int16_t(connectionType));
        zolt->setUsedDriver(std::int16_t(driver));
        srv = "srv";
        bbdd = "Ventas";
        uid = "sa";
        pwd = "pw";
    }
    // Every message as "style|title|body" (the body without the leading line break MsgBox adds).
    QStringList messages() const
    {
        QStringList out;
        for (const auto& c : box->calls)
            out << QString::number(c.style) + '|' + c.title + '|' + c.body.mid(2);
        return out;
    }
    QStringList statementsLike(const QString& start) const
    {
        return rec->statements().filter(QRegularExpression("^" + QRegularExpression::escape(start)));
    }
    // The catalog as the window's connection sees it, asked with copies: the calls may write to their arguments.
    CollectionPtr table(QString t) { QString s = srv, d = bbdd, u = uid, p = pwd; return zolt->TableList(s, d, u, p, t); }
    CollectionPtr tableIndexes(QString t) { QString s = srv, d = bbdd, u = uid, p = pwd; return zolt->TableIndexes(s, d, u, p, t); }
    QStringList tableNames() { QString s = srv, d = bbdd, u = uid, p = pwd; return datatest::keysOf(zolt->TableList(s, d, u, p)); }
    static QStringList column(const MaxGrid& g, int col)
    {
        QStringList out;
        for (int r = 1; r < g.Rows(); ++r)
            out << g.TextMatrix(r, col);
        return out;
    }
    static int rowOf(const MaxGrid& g, const QString& text, int col = 1)
    {
        for (int r = 1; r < g.Rows(); ++r)
            if (g.TextMatrix(r, col).trimmed() == text)
                return r;
        return 0;
    }

    // The enabled controls a key can be typed in, a typed box through its inner line.
    static QList<QWidget*> keyTargets(const QWidget& window)
    {
        QList<QWidget*> out;
        for (QWidget* w : window.findChildren<QWidget*>())
            if (w->focusPolicy() != Qt::NoFocus && !w->focusProxy() && w->isEnabled())
                out << w;
        return out;
    }

    // Whether a cell (row 0: the header) shows a picture, read as the cell's decoration.
    static bool hasPicture(const MaxGrid& g, int row, int col)
    {
        const QAbstractItemModel* m = g.innerGrid()->model();
        const QVariant v = row == 0 ? m->headerData(col, Qt::Horizontal, Qt::DecorationRole)
                                    : m->index(row - g.FixedRows(), col).data(Qt::DecorationRole);
        return !v.value<QPixmap>().isNull();
    }

    std::shared_ptr<clsError> msg = std::make_shared<clsError>();
    std::shared_ptr<MsgBoxRecorder> box = std::make_shared<MsgBoxRecorder>();
    std::shared_ptr<clsTablas> scr = std::make_shared<clsTablas>();
    std::shared_ptr<clsDO> zolt = std::make_shared<clsDO>();
    std::shared_ptr<db::RecordingBackend> rec;
    controls::ScopedScriptedRunner runner;
    datatest::LocalDb file;
    QString srv, bbdd, uid, pwd;
};

} // namespace schematest
