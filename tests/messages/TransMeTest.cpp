#include "messages/TranslatableControls.h"

#include "DialogDriver.h"
#include "FakeTranslationStore.h"

#include "core/Screen.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>
#include <gtest/gtest.h>

namespace {
// Texts measure 100 twips a character, "A" 195 twips high.
class MeasuredError : public clsError {
protected:
    double textWidthTwips(const QString& text) const override { return text.size() * 100.0; }
    double textHeightTwips(const QString&) const override { return 195.0; }
};

int px(double twips) { return int(std::lround(twips / Screen::twipsPerPixel())); }
int pxUp(double twips) { return int(std::ceil(twips / Screen::twipsPerPixel() - 1e-9)); }

template <class W, class... A>
W* named(QWidget* parent, const char* name, A... args)
{
    auto* w = new W(args..., parent);
    w->setObjectName(name);
    return w;
}

// At a fixed position, its size in twips.
template <class W>
W* placed(QWidget* parent, const char* name, const char* text, double width, double height)
{
    auto* w = named<W>(parent, name, QString(text));
    w->setGeometry(0, 0, px(width), px(height));
    return w;
}

template <class W>
W* translatable(W* w)
{
    setControlTag(w, "Translatable");
    return w;
}

struct FakeGrid : QWidget, TranslatableGrid {
    FakeGrid(QWidget* parent, const QString& name, int fixedRows, bool broken = false)
        : QWidget(parent), fixed(fixedRows), broken(broken)
    {
        setObjectName(name);
        // Its insides are not controls of the window.
        named<QLabel>(this, "lblInside", QString("Interior"));
    }
    int FixedRows() const override { return fixed; }
    int Cols() const override { return 2; }
    QString TextMatrix(int r, int c) const override
    {
        if (broken)
            ::raise(380, "Invalid property value");
        return cells[r][c];
    }
    void setTextMatrix(int r, int c, const QString& t) override { cells[r][c] = t; }
    int fixed;
    bool broken;
    QList<QStringList> cells{{"Nombre", "Fecha"}, {"Nombre", "Fecha"}};
};

struct FakeTabs : QWidget, TranslatableTabStrip {
    explicit FakeTabs(QWidget* parent) : QWidget(parent) { setObjectName("MaxTab1"); }
    int Tabs() const override { return int(captions.size()); }
    QString TabCaption(int tab) const override { return captions.at(tab - 1); }
    void setTabCaption(int tab, const QString& c) override { captions[tab - 1] = c; }
    QStringList captions{"Consulta", "Nombre"};
};

struct FakePage : QWidget, TranslatableQueryPage {
    explicit FakePage(QWidget* parent) : QWidget(parent) { setObjectName("MaxSQL1"); }
    QList<QObject*> ChildControls() const override { return {execute, grid}; }
    QPushButton* execute = named<QPushButton>(this, "BttExecute", QString("Ejecutar"));
    FakeGrid* grid = translatable(new FakeGrid(this, "Flexi", 1));
};

struct FakeReport : QObject, TranslatableReport {
    QList<QList<QObject*>> SectionControls() const override { return sections; }
    QList<QList<QObject*>> sections;
};

struct WindowTranslation : ::testing::Test {
    MeasuredError msg;
    std::shared_ptr<FakeTranslationStore> store = std::make_shared<FakeTranslationStore>();
    QWidget form;
    void SetUp() override
    {
        for (auto [es, en] : std::initializer_list<std::pair<const char*, const char*>>{
                 {"Ventana", "Window"}, {"Nombre", "Name of the customer"}, {"Activo", "Enabled!!"},
                 {"Corto", "Short"}, {"Uno", "One"}, {"Dos", "Two"}, {"Archivo", "File"}, {"Salir", "Exit"},
                 {"Fecha", "Date"}, {"Ejecutar", "Run"}, {"Consulta", "Query"}, {"Texto", "Text"},
                 {"Pagina", "Page"}})
            store->addRow(QString::fromUtf8(es), 1, QString::fromUtf8(en));
        msg.setTranslationStore(store);
        msg.setLanguage("Language1");
        form.setObjectName("frmTest");
    }
};
} // namespace

TEST_F(WindowTranslation, CaptionsListsGridsMenusAndTabsByTheirRules)
{
    form.setWindowTitle("Ventana");
    auto* label = placed<QLabel>(&form, "lblNombre", "Nombre", 450, 300);
    auto* tall = placed<QLabel>(&form, "lblTall", "Nombre", 450, 600);
    auto* wide = placed<QLabel>(&form, "lblWide", "Corto", 3000, 300);
    auto* check = placed<QCheckBox>(&form, "chkActivo", "Activo", 1000, 300);
    auto* checkFits = placed<QCheckBox>(&form, "chkCorto", "Corto", 1000, 300);
    auto* list = translatable(named<QComboBox>(&form, "cboLista"));
    auto* editable = translatable(named<QComboBox>(&form, "cboEditable"));
    auto* data = named<QComboBox>(&form, "cboDatos");
    auto* listBox = translatable(named<QListWidget>(&form, "lstOpciones"));
    for (auto* combo : {list, editable, data})
        combo->addItems({"Uno", "Dos"});
    listBox->addItems({"Uno", "Dos"});
    list->setCurrentIndex(1);
    editable->setEditable(true);
    editable->setEditText("Texto");
    auto* text = named<QLineEdit>(&form, "txtDatos", QString("Texto"));
    auto* textT = translatable(named<QLineEdit>(&form, "txtTraducible", QString("Texto")));
    auto* menu = named<QMenuBar>(&form, "menuBar")->addMenu("Archivo");
    menu->setObjectName("mnuArchivo");
    auto* exit = menu->addAction("Salir");
    exit->setObjectName("mnuSalir");
    auto* grid = translatable(new FakeGrid(&form, "fgrDatos", 1));
    auto* gridNoHeader = translatable(new FakeGrid(&form, "fgrSinCabecera", 0));
    auto* gridData = new FakeGrid(&form, "fgrValores", 1);
    auto* tabs = new FakeTabs(&form);
    auto* tabWidget = named<QTabWidget>(&form, "tabOpciones");
    tabWidget->addTab(new QWidget, "Pagina");
    auto* page = new FakePage(&form);

    msg.TransMe(&form, false);

    EXPECT_EQ((QStringList{form.windowTitle(), label->text(), wide->text(), check->text(), menu->title(), exit->text(),
                           tabWidget->tabText(0), page->execute->text()}),
              (QStringList{"Window", "Name of the customer", "Short", "Enabled!!", "File", "Exit", "Page", "Run"}));
    EXPECT_EQ(controlTag(&form), "Translated");
    // Labels one line high widen to the caption, never narrow; check boxes take the caption and 300 twips.
    EXPECT_EQ((QList<int>{label->width(), tall->width(), wide->width(), check->width(), checkFits->width()}),
              (QList<int>{pxUp(2000), px(450), px(3000), pxUp(1200), px(1000)}));
    // Lists and text boxes only when asked for; lists are asked once.
    EXPECT_EQ((QStringList{list->itemText(0), list->currentText(), editable->itemText(1), editable->currentText(),
                           data->itemText(0), listBox->item(1)->text(), text->text(), textT->text()}),
              (QStringList{"One", "Two", "Two", "Text", "Uno", "Two", "Texto", "Text"}));
    EXPECT_EQ(list->currentIndex(), 1);
    EXPECT_EQ((QStringList{controlTag(list), controlTag(editable), controlTag(listBox), controlTag(textT)}),
              (QStringList{"", "", "", "Translatable"}));
    // Grids: the header row only, and only when translatable with a fixed row.
    // The query page's own controls are always translated.
    EXPECT_EQ((QList<QStringList>{grid->cells[0], grid->cells[1], gridNoHeader->cells[0], gridData->cells[0],
                                  tabs->captions, page->grid->cells[0], {controlTag(grid)}}),
              (QList<QStringList>{{"Name of the customer", "Date"}, {"Nombre", "Fecha"}, {"Nombre", "Fecha"},
                                  {"Nombre", "Fecha"}, {"Query", "Name of the customer"},
                                  {"Name of the customer", "Date"}, {"Translatable"}}));
    EXPECT_TRUE(store->inserts().isEmpty());

    // A second TransMe changes nothing and asks nothing.
    store->addRow("Window", 1, "Fenster");
    const auto before = store->statements.size();
    msg.TransMe(&form);
    EXPECT_EQ(form.windowTitle() + QString::number(store->statements.size() - before), "Window0");
}

TEST_F(WindowTranslation, NewTextsAreRegisteredWithTheirPlaceAndAFailingControlIsReportedOnceWithoutStoppingTheWalk)
{
    form.setObjectName("frmNuevo");
    form.setWindowTitle("Titulo nuevo");
    translatable(new FakeGrid(&form, "fgrRoto", 1, true));
    translatable(new FakeGrid(&form, "fgrRoto2", 1, true));
    auto* label = named<QLabel>(&form, "lblNombre", QString("Nombre"));
    named<QPushButton>(&form, "BttAplicar", QString("Aplicar"));
    (new FakePage(&form))->execute->setText("Lanzar");
    new QPushButton("Sin nombre", &form);
    // A picture label keeps its picture and registers nothing.
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::red);
    named<QLabel>(&form, "imgLogo")->setPixmap(pixmap);
    const Shown shown = shownBy(msg, [&] { msg.TransMe(&form); });
    // The failure's message registers its own texts, with no owner or the dialog's.
    EXPECT_EQ(store->inserts().filter("'frmNuevo"),
              (QStringList{"INSERT INTO [Translate] VALUES('Titulo nuevo', '', '', '', '', '', 'frmNuevo.Caption')",
                           "INSERT INTO [Translate] VALUES('Aplicar', '', '', '', '', '', 'frmNuevo.BttAplicar')",
                           "INSERT INTO [Translate] VALUES('Lanzar', '', '', '', '', '', 'frmNuevo.BttExecute')"}));
    EXPECT_FALSE(form.findChild<QLabel*>("imgLogo")->pixmap().isNull());
    EXPECT_EQ(label->text(), "Name of the customer");
    EXPECT_EQ(QString::number(shown.count) + shown.body, "1\nCLSERROR.TRANSME\nError: Invalid property value");
}

TEST_F(WindowTranslation, ControlsInLayoutsKeepTheirSizeReportsAreWalkedBySectionAndEveryTimerButTheGridsStops)
{
    auto* check = named<QCheckBox>(&form, "chkActivo", QString("Activo"));
    (new QVBoxLayout(&form))->addWidget(check);
    check->setFixedWidth(px(900));
    auto* running = new QTimer(&form);
    running->start(250);
    auto* nested = new QTimer(new QWidget(&form));
    nested->start(50);
    // The grid's own timers are its business.
    auto* inside = new QTimer(new FakeGrid(&form, "fgrDatos", 1));
    inside->start(1000);
    FakeReport report;
    report.setObjectName("rptListado");
    QLabel a("Uno"), b("Dos");
    report.sections = {{&a}, {&b}};
    msg.TransMe(&form);
    msg.DisableAllTimers(&form);
    msg.TransReport(&report);
    EXPECT_EQ((QStringList{check->text(), QString::number(check->width()), a.text(), b.text()}),
              (QStringList{"Enabled!!", QString::number(px(900)), "One", "Two"}));
    EXPECT_EQ((std::vector<bool>{running->isActive(), nested->isActive(), inside->isActive()}),
              (std::vector<bool>{false, false, true}));
}
