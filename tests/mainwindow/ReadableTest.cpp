// Every window and dialog, opened from the main window as a user opens them,
// in each of the six languages, with its lists filled: no text gets less room
// than it needs and no control lies on another.
#include "controls/MaxGrid.h"
#include "controls/ModalRunner.h"
#include "controls/TextRoom.h"
#include "controls/clsCommonDialog.h"
#include "core/ProgramFolder.h"
#include "mainwindow/FirstTab.h"
#include "mainwindow/PageDialogFactories.h"
#include "mainwindow/frmMain.h"
#include "messages/MessageDialogs.h"
#include "messages/clsError.h"
#include "messages/frmMsgBox.h"
#include "platform/db/Connection.h"
#include "querypage/MaxSQL.h"
#include "controls/PushButton.h"
#include "compare/frmCompare.h"
#include "support/EventSteps.h"
#include "support/QtPrinters.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <utility>
#include <gtest/gtest.h>

namespace {

const QString kBuilt = QStringLiteral(VELMORA_BUILD_TREE);

QString where(const QWidget* w) { return w->window()->objectName() + u'.' + w->objectName(); }

QString textOf(const QWidget* w)
{
    if (auto* l = qobject_cast<const QLabel*>(w))
        return l->text();
    if (auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    if (auto* c = qobject_cast<const QComboBox*>(w)) {
        QStringList items;
        for (int i = 0; i < c->count(); ++i)
            items << c->itemText(i);
        return items.join(u'|');
    }
    return QString();
}

void lookAtGrid(const MaxGrid* g, QStringList& out)
{
    const QTableView* view = g->innerGrid();
    for (int r = 0; r < std::min(g->Rows(), 60); ++r)
        for (int c = 0; c < g->Cols(); ++c) {
            const int room = view->columnWidth(c);
            const QString text = g->TextMatrix(r, c);
            // A header's text that reaches its lines reads as cramped: 2 px more on each side.
            const int need = controls::cellWidthNeeded(view->font(), text) + (r < g->FixedRows() && !text.isEmpty() ? 4 : 0);
            if (room > 0 && need > room)
                out << QStringLiteral("%1 cell %2,%3 '%4' needs %5 px, has %6").arg(where(g)).arg(r).arg(c).arg(text).arg(need).arg(room);
        }
}

void lookAtHeader(const QHeaderView* h, QStringList& out)
{
    if (!h->isVisible() || !h->model())
        return;
    for (int s = 0; s < h->count(); ++s) {
        if (h->isSectionHidden(s) || h->sectionSize(s) == 0)
            continue;
        const QString text = h->model()->headerData(s, h->orientation()).toString();
        const int need = controls::cellWidthNeeded(h->font(), text) + 2 * h->style()->pixelMetric(QStyle::PM_HeaderMargin);
        if (need > h->sectionSize(s) + 4)
            out << QStringLiteral("%1 header '%2' needs %3 px, has %4").arg(where(h)).arg(text).arg(need).arg(h->sectionSize(s));
    }
}

// The faults a reader sees in a shown window: a text cut by its own edge or its
// container's, two sibling controls placed on one another.
void look(const QWidget* c, QStringList& out)
{
    QList<const QWidget*> shown;
    for (QObject* o : c->children()) {
        auto* w = qobject_cast<const QWidget*>(o);
        if (!w || w->isWindow() || !w->isVisibleTo(c) || !w->geometry().intersects(c->rect()))
            continue;
        shown << w;
        // The chooser's folder box shows the path being browsed, as long as the
        // machine makes it: data, not one of our texts.
        const bool pathBox = w->objectName() == "lookInCombo" && qobject_cast<const QFileDialog*>(w->window());
        const int need = pathBox ? 0 : controls::textWidthNeeded(w);
        const int room = std::min(w->width(), c->width() - w->x());
        if (need > room)
            out << QStringLiteral("%1 '%2' needs %3 px, has %4").arg(where(w), textOf(w)).arg(need).arg(room);
        if (auto* g = qobject_cast<const MaxGrid*>(w))
            lookAtGrid(g, out);
        else if (auto* h = qobject_cast<const QHeaderView*>(w))
            lookAtHeader(h, out);
        else
            look(w, out);
    }
    if (c->layout())
        return;
    for (int i = 0; i < shown.size(); ++i)
        for (int j = i + 1; j < shown.size(); ++j) {
            const QWidget *a = shown[i], *b = shown[j];
            if (a->objectName().isEmpty() || b->objectName().isEmpty() || controls::isFloating(a) || controls::isFloating(b))
                continue;
            const QRect both = a->geometry().intersected(b->geometry());
            // A control without a text of its own that holds the other whole is its backdrop (a tab strip, a shape).
            const bool backdrop = (both == b->geometry() && controls::textWidthNeeded(a) == 0 && !a->inherits("QAbstractScrollArea")) ||
                                  (both == a->geometry() && controls::textWidthNeeded(b) == 0 && !b->inherits("QAbstractScrollArea"));
            if (both.width() > 0 && both.height() > 0 && !backdrop)
                out << QStringLiteral("%1 overlaps %2").arg(where(a), where(b));
        }
}

QStringList faults(const QWidget& w, const QString& state = QString())
{
    QStringList out;
    look(&w, out);
    for (QString& f : out)
        f = state.isEmpty() ? f : state + QStringLiteral(": ") + f;
    return out;
}

using steps::settle;

// A picture for a look by eye, into the folder VELMORA_SCREENSHOTS names.
QString language;
void snap(QWidget& w, const QString& name)
{
    const QString folder = qEnvironmentVariable("VELMORA_SCREENSHOTS");
    if (!folder.isEmpty())
        w.grab().save(QStringLiteral("%1/%2-%3.png").arg(folder, language, name));
}

// Shows each dialog the program runs, lets the test look at it, and leaves it
// as its close box would.
class Inspector : public controls::ModalRunner {
public:
    std::function<void(QDialog&)> act;
    QStringList* found = nullptr;
    QStringList opened;
    void run(QDialog& d, QWidget*) override
    {
        opened << d.objectName();
        d.show();
        settle();
        snap(d, d.objectName());
        // A step is for the first dialog it meets; what that one opens is looked at as it comes.
        if (auto step = std::exchange(act, {}))
            step(d);
        else
            *found << faults(d);
        d.hide();
    }
};

struct Language {
    const char* setting;
    QString ok, cancel; // the standard buttons as Qt's dialogs must show them
};

const Language kLanguages[] = {{"Original", "Aceptar", "Cancelar"}, {"Language1", "OK", "Cancel"},
                               {"Language2", "OK", "Annuler"},      {"Language3", "OK", "Abbrechen"},
                               {"Language4", "OK", "Cancelar"},     {"Language5", "OK", "Annulla"}};

void PrintTo(const Language& l, std::ostream* os) { *os << l.setting; }

class ReadableTest : public ::testing::TestWithParam<Language> {
protected:
    void SetUp() override
    {
        for (const char* f : {"sample.mdb", "translate.vrx"})
            ASSERT_TRUE(QFile::copy(kBuilt + u'/' + QLatin1String(f), dir.filePath(QLatin1String(f))));
        QFile ini(dir.filePath("Velmora.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(QByteArray("[Multilanguage]\nTranslation=") + GetParam().setting + "\n");
        ini.close();
        ProgramFolder::setPath(dir.path());
        ASSERT_EQ(FirstTab::write(dir.path(), dir.filePath("sample.mdb")), FirstTab::Result::Written);
        // A second database that differs from the first in a table, a field and an index.
        db::Connection c;
        QFile(dir.filePath("other.mdb")).open(QIODevice::WriteOnly);
        c.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + dir.filePath("other.mdb"));
        for (const char* s : {"CREATE TABLE Clientes (IdCliente INTEGER NOT NULL, Nombre TEXT(80), CONSTRAINT PK_Clientes "
                              "PRIMARY KEY (IdCliente))",
                              "CREATE INDEX IFK_ClientesNombreCompleto ON Clientes (Nombre)",
                              "CREATE TABLE Proveedores (IdProveedor INTEGER)"})
            c.Execute(QString::fromLatin1(s));
        c.Close();
        previous = controls::installModalRunner(inspector);
        inspector->found = &found;
        previousDialogs = PageDialogs::installDefaults(nullptr);
        mainwindow::installPageDialogs();
    }
    void TearDown() override
    {
        w.reset();
        controls::installModalRunner(previous);
        PageDialogs::installDefaults(previousDialogs);
        ProgramFolder::setPath(QString());
    }
    // One of Qt's dialogs: its texts in the interface language, each with its room.
    void lookAtQtDialog(QWidget& d, const QString& name)
    {
        snap(d, name);
        for (auto* b : d.findChildren<QAbstractButton*>())
            EXPECT_FALSE(GetParam().cancel != "Cancel" && QStringList({"Cancel", "&Open", "&Yes"}).contains(b->text()))
                << b->text().toStdString();
        found << faults(d);
    }
    // A file chooser the command brings up and waits on, looked at and closed.
    void lookAtChooser(const QString& name, const std::function<void()>& command)
    {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!chooser)
                return;
            seen = true;
            settle();
            lookAtQtDialog(*chooser, name);
            chooser->reject();
        });
        command();
        EXPECT_TRUE(seen) << name.toStdString();
    }
    MaxSQL& page() { return *dynamic_cast<MaxSQL*>(w->QueryPage(1)->widget()); }
    PushButton* button(const char* name) { return page().findChild<PushButton*>(QLatin1String(name)); }
    // Opens what one of the page's buttons opens; act looks at it when given.
    void open(const std::function<void()>& command, const std::function<void(QDialog&)>& act = {})
    {
        inspector->opened.clear();
        inspector->act = act;
        command();
        EXPECT_FALSE(inspector->opened.isEmpty());
    }

    QTemporaryDir dir;
    QStringList found;
    std::shared_ptr<Inspector> inspector = std::make_shared<Inspector>();
    std::shared_ptr<controls::ModalRunner> previous;
    PageDialogs::Installer previousDialogs;
    std::shared_ptr<MsgBoxRecorder> messages = std::make_shared<MsgBoxRecorder>();
    std::unique_ptr<frmMain> w;
};

} // namespace

TEST_P(ReadableTest, EveryWindowGivesEachTextItsRoomAndNoControlLiesOnAnother)
{
    language = QLatin1String(GetParam().setting);
    w = std::make_unique<frmMain>();
    w->setMsgBoxRecorder(messages);
    w->Form_Load();
    w->show();
    settle();
    MaxSQL& p = page();
    // The page's idle check looks at this clock, which moves only when the test moves it.
    QDateTime now(QDate(2024, 3, 1), QTime(10, 0));
    p.setClock([&now] { return now; });
    auto* connectionType = p.findChild<QComboBox*>("cboConnectionType");
    auto* driverList = p.findChild<QComboBox*>("cboDriver");
    // Each connection type and driver of the page's panel, then the sample database run into the grid.
    for (int type : {0, 1, 2, 3}) {
        connectionType->setCurrentIndex(type);
        for (int driver : type == 3 ? std::vector{0, 1, 2} : std::vector{-1}) {
            if (driver >= 0)
                driverList->setCurrentIndex(driver);
            settle();
            found << faults(*w, QStringLiteral("type %1/%2").arg(type).arg(driver));
        }
    }
    // The data-source picker over the machine's own data sources.
    open([&] { emit button("BttDSN")->mouseUp(1, 0, 0, 0); });
    connectionType->setCurrentIndex(1);
    p.findChild<QLineEdit*>("txtBBDD")->setText(dir.filePath("sample.mdb"));
    p.findChild<QPlainTextEdit*>("txtTabla")->setPlainText("SELECT * FROM Pedidos");
    p.ExecuteQuery();
    // The rest of the result and then, a second after the last edit, the editability check.
    now = now.addSecs(2);
    ASSERT_TRUE(steps::runTimers(p));
    settle();
    found << faults(*w, "run");
    snap(*w, "frmMain");
    for (const char* menu : {"BttDataBase", "BttExport", "BttClean"}) {
        emit button(menu)->mouseUp(1, 0, 0, 0);
        ASSERT_TRUE(steps::runTimers(*w)); // the menu slides all the way open
        settle();
        found << faults(*w, QLatin1String(menu));
        QTest::keyClick(w.get(), Qt::Key_Escape);
        settle();
    }

    // Opciones, and from it its folder chooser.
    open([&] { emit button("BttSettings")->mouseUp(1, 0, 0, 0); }, [&](QDialog& settings) {
        found << faults(settings, "settings");
        lookAtChooser("QFileDialog-folder", [&] {
            emit settings.findChild<PushButton*>("BttCSVDirSelection")->mouseUp(1, 0, 0, 0);
        });
    });
    for (const char* name : {"BttEditor", "BttKey", "BttAdd"})
        open([&] { emit button(name)->mouseUp(1, 0, 0, 0); });
    open([&] { w->QueryPage(1)->GenerateCSV(); });
    // The table list, and from it a table's structure, a field, the indexes and an index.
    open([&] { w->QueryPage(1)->ShowTables(); }, [&](QDialog& tables) {
        found << faults(tables, "tables");
        auto click = [](QDialog& d, const char* name) { d.findChild<QAbstractButton*>(QString::fromUtf8(name))->click(); };
        inspector->act = [&, click](QDialog& structure) {
            found << faults(structure, "structure");
            click(structure, "BttAñadir");
            inspector->act = [&, click](QDialog& indexes) {
                found << faults(indexes, "indexes");
                click(indexes, "BttNuevo");
            };
            click(structure, "BttIndexes");
        };
        click(tables, "BttModificar");
    });
    // The comparison: empty, each compared connection type, and after a comparison.
    open([&] { w->QueryPage(1)->CompareDatabases(); }, [&](QDialog& compare) {
        dynamic_cast<frmCompare&>(compare).logic().tmrInitial_Timer(); // the window loads what it compares from
        settle();
        found << faults(compare, "compare loaded");
        snap(compare, "frmCompare-empty");
        auto* type = compare.findChild<QComboBox*>("cboComparedConnectionType");
        auto* driver = compare.findChild<QComboBox*>("cboComparedDriver");
        for (int t : {0, 1, 2, 3})
            for (int d : t == 3 ? std::vector{0, 1, 2} : std::vector{-1}) {
                type->setCurrentIndex(t);
                emit type->activated(t);
                if (d >= 0) {
                    driver->setCurrentIndex(d);
                    emit driver->activated(d);
                }
                settle();
                found << faults(compare, QStringLiteral("compared type %1/%2").arg(t).arg(d));
                snap(compare, QStringLiteral("frmCompare-type%1-%2").arg(t).arg(d));
            }
        type->setCurrentIndex(1);
        emit type->activated(1);
        compare.findChild<QLineEdit*>("txtComparedBBDD")->setText(dir.filePath("other.mdb"));
        compare.findChild<QAbstractButton*>("BttCompare")->click();
        settle();
        found << faults(compare, "compared");
        snap(compare, "frmCompare-compared");
        // Over the main window, not past it; its grids reach down to its bottom edge and end inside it.
        if (compare.frameGeometry().width() > w->frameGeometry().width())
            found << QStringLiteral("frmCompare %1 px across, the main window %2").arg(compare.frameGeometry().width()).arg(w->frameGeometry().width());
        for (const char* name : {"fgrTables", "fgrFields", "fgrIndexes"}) {
            const QRect g = compare.findChild<MaxGrid*>(name)->geometry();
            if (g.bottom() < compare.height() - 4 || g.right() >= compare.width())
                found << QStringLiteral("frmCompare.%1 at %2,%3 %4x%5 in %6x%7").arg(name).arg(g.x()).arg(g.y()).arg(g.width()).arg(g.height()).arg(compare.width()).arg(compare.height());
        }
        auto* tables = compare.findChild<MaxGrid*>("fgrTables");
        for (int r = 1; r < tables->Rows(); ++r) {
            tables->setRow(r);
            found << faults(compare, "compared rows");
        }
    });
    found.removeDuplicates();
    EXPECT_EQ(found, QStringList());
    found.clear();

    // Qt's own dialogs: the title box, a question, the file chooser, in the interface language.
    const auto title = MessageDialogs::inputDialog(w->MSG()->Translate("Título Consulta"), "Velmora 3.0", "Consulta");
    title->show();
    settle();
    QStringList buttons;
    for (auto* b : title->findChildren<QDialogButtonBox*>().value(0)->buttons())
        buttons << b->text();
    EXPECT_EQ(buttons, QStringList({GetParam().ok, GetParam().cancel}));
    const auto question = MessageDialogs::messageBox("?", 1, "Velmora 3.0");
    for (QWidget* d : std::initializer_list<QWidget*>{title.get(), question.get()}) {
        d->show();
        settle();
        lookAtQtDialog(*d, d->metaObject()->className());
    }
    // The program's file chooser, as an open command brings it up.
    lookAtChooser("QFileDialog", [&] {
        QtCommonDialogBackend().fileDialog(FileDialogRequest{false, w.get(), "Velmora", dir.path(), {}, {}, 1, {}, 0});
    });
    // The program's own message dialog.
    QTimer::singleShot(0, [&] {
        frmMsgBox* box = w->MSG()->Dialog();
        if (box) {
            settle();
            EXPECT_TRUE(box->windowHandle() && box->windowHandle()->isExposed());
            found << faults(*box);
            QTimer::singleShot(0, box, [box] { box->close(); });
        }
    });
    w->setMsgBoxRecorder(nullptr);
    w->MSG()->setRecorder(nullptr);
    QString body = "¿Desea aplicar los cambios efectuados en los 1 registros marcados en la grid?", caption = "Velmora 3.0",
            sub;
    w->MSG()->MsgBox(body, 35, caption, sub);
    EXPECT_EQ(found, QStringList());
}

INSTANTIATE_TEST_SUITE_P(SixLanguages, ReadableTest, ::testing::ValuesIn(kLanguages),
                         [](const auto& info) { return std::string(info.param.setting); });
