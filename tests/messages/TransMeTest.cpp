#include "messages/TranslatableControls.h"
#include "messages/clsError.h"
#include "messages/frmMsgBox.h"

#include "DialogDriver.h"
#include "FakeTranslationStore.h"

#include "core/Screen.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
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

class FakeGrid : public QWidget, public TranslatableGrid {
public:
    FakeGrid(QWidget* parent, const QString& name, int fixedRows, bool broken = false)
        : QWidget(parent), fixed(fixedRows), broken(broken)
    {
        setObjectName(name);
        cells = {{"Nombre", "Fecha"}, {"Nombre", "Fecha"}};
        // Its insides are not controls of the window.
        (new QLabel("Interior", this))->setObjectName("lblInside");
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
    QList<QStringList> cells;
};

class FakeTabs : public QWidget, public TranslatableTabStrip {
public:
    explicit FakeTabs(QWidget* parent) : QWidget(parent) { setObjectName("MaxTab1"); }
    int Tabs() const override { return int(captions.size()); }
    QString TabCaption(int tab) const override { return captions.at(tab - 1); }
    void setTabCaption(int tab, const QString& c) override { captions[tab - 1] = c; }
    QStringList captions{"Consulta", "Nombre"};
};

class FakePage : public QWidget, public TranslatableQueryPage {
public:
    explicit FakePage(QWidget* parent) : QWidget(parent)
    {
        setObjectName("MaxSQL1");
        execute = new QPushButton("Ejecutar", this);
        execute->setObjectName("BttExecute");
        grid = new FakeGrid(this, "Flexi", 1);
        setControlTag(grid, "Translatable");
    }
    QList<QObject*> ChildControls() const override { return {execute, grid}; }
    QPushButton* execute;
    FakeGrid* grid;
};

class FakeReport : public QObject, public TranslatableReport {
public:
    QList<QList<QObject*>> SectionControls() const override { return sections; }
    QList<QList<QObject*>> sections;
};

struct WindowTranslation : ::testing::Test {
    MeasuredError msg;
    std::shared_ptr<FakeTranslationStore> store = std::make_shared<FakeTranslationStore>();
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
    }
};
} // namespace

TEST_F(WindowTranslation, CaptionsListsGridsMenusAndTabsByTheirRules)
{
    QWidget form;
    form.setObjectName("frmTest");
    form.setWindowTitle("Ventana");

    auto* label = new QLabel("Nombre", &form);
    label->setObjectName("lblNombre");
    label->setGeometry(0, 0, px(450), px(300));
    auto* tall = new QLabel("Nombre", &form);
    tall->setObjectName("lblTall");
    tall->setGeometry(0, 0, px(450), px(600));
    auto* wide = new QLabel("Corto", &form);
    wide->setObjectName("lblWide");
    wide->setGeometry(0, 0, px(3000), px(300));

    auto* check = new QCheckBox("Activo", &form);
    check->setObjectName("chkActivo");
    check->setGeometry(0, 0, px(1000), px(300));
    auto* checkFits = new QCheckBox("Corto", &form);
    checkFits->setObjectName("chkCorto");
    checkFits->setGeometry(0, 0, px(1000), px(300));

    auto* list = new QComboBox(&form);
    list->setObjectName("cboLista");
    list->addItems({"Uno", "Dos"});
    list->setCurrentIndex(1);
    setControlTag(list, "Translatable");
    auto* editable = new QComboBox(&form);
    editable->setObjectName("cboEditable");
    editable->setEditable(true);
    editable->addItems({"Uno", "Dos"});
    editable->setEditText("Texto");
    setControlTag(editable, "Translatable");
    auto* data = new QComboBox(&form);
    data->setObjectName("cboDatos");
    data->addItems({"Uno"});
    auto* listBox = new QListWidget(&form);
    listBox->setObjectName("lstOpciones");
    listBox->addItems({"Uno", "Dos"});
    setControlTag(listBox, "Translatable");

    auto* text = new QLineEdit("Texto", &form);
    text->setObjectName("txtDatos");
    auto* textT = new QLineEdit("Texto", &form);
    textT->setObjectName("txtTraducible");
    setControlTag(textT, "Translatable");

    auto* bar = new QMenuBar(&form);
    bar->setObjectName("menuBar");
    auto* menu = bar->addMenu("Archivo");
    menu->setObjectName("mnuArchivo");
    auto* exit = menu->addAction("Salir");
    exit->setObjectName("mnuSalir");

    auto* grid = new FakeGrid(&form, "fgrDatos", 1);
    setControlTag(grid, "Translatable");
    auto* gridNoHeader = new FakeGrid(&form, "fgrSinCabecera", 0);
    setControlTag(gridNoHeader, "Translatable");
    auto* gridData = new FakeGrid(&form, "fgrValores", 1);
    auto* tabs = new FakeTabs(&form);
    auto* tabWidget = new QTabWidget(&form);
    tabWidget->setObjectName("tabOpciones");
    tabWidget->addTab(new QWidget, "Pagina");
    auto* page = new FakePage(&form);

    msg.TransMe(&form, false);

    EXPECT_EQ(form.windowTitle(), "Window");
    EXPECT_EQ(controlTag(&form), "Translated");
    // Labels: widened to the caption when one line high, never narrowed.
    EXPECT_EQ(label->text(), "Name of the customer");
    EXPECT_EQ(label->width(), pxUp(2000));
    EXPECT_EQ(tall->width(), px(450));
    EXPECT_EQ(wide->text(), "Short");
    EXPECT_EQ(wide->width(), px(3000));
    // Check boxes: the caption and 300 twips.
    EXPECT_EQ(check->text(), "Enabled!!");
    EXPECT_EQ(check->width(), pxUp(1200));
    EXPECT_EQ(checkFits->width(), px(1000));
    // Lists only when asked for, and asked once.
    EXPECT_EQ(list->itemText(0), "One");
    EXPECT_EQ(list->currentText(), "Two");
    EXPECT_EQ(list->currentIndex(), 1);
    EXPECT_EQ(controlTag(list), "");
    EXPECT_EQ(editable->itemText(1), "Two");
    EXPECT_EQ(editable->currentText(), "Text");
    EXPECT_EQ(controlTag(editable), "");
    EXPECT_EQ(data->itemText(0), "Uno");
    EXPECT_EQ(listBox->item(1)->text(), "Two");
    EXPECT_EQ(controlTag(listBox), "");
    EXPECT_EQ(text->text(), "Texto");
    EXPECT_EQ(textT->text(), "Text");
    EXPECT_EQ(controlTag(textT), "Translatable");
    EXPECT_EQ(menu->title(), "File");
    EXPECT_EQ(exit->text(), "Exit");
    // Grids: the header row only, and only when translatable with a fixed row.
    EXPECT_EQ(grid->cells, (QList<QStringList>{{"Name of the customer", "Date"}, {"Nombre", "Fecha"}}));
    EXPECT_EQ(gridNoHeader->cells[0], (QStringList{"Nombre", "Fecha"}));
    EXPECT_EQ(gridData->cells[0], (QStringList{"Nombre", "Fecha"}));
    EXPECT_EQ(controlTag(grid), "Translatable");
    EXPECT_EQ(tabs->captions, (QStringList{"Query", "Name of the customer"}));
    EXPECT_EQ(tabWidget->tabText(0), "Page");
    // The query page's own controls, owned by the window, always registered.
    EXPECT_EQ(page->execute->text(), "Run");
    EXPECT_EQ(page->grid->cells[0], (QStringList{"Name of the customer", "Date"}));

    // Nothing was registered (CreateNew false) but for the page's children.
    EXPECT_TRUE(store->inserts().isEmpty());

    // A second TransMe changes nothing and asks nothing.
    store->addRow("Window", 1, "Fenster");
    const int before = store->queries;
    msg.TransMe(&form);
    EXPECT_EQ(form.windowTitle(), "Window");
    EXPECT_EQ(store->queries, before);
}

TEST_F(WindowTranslation, NewTextsAreRegisteredWithTheirPlace)
{
    QWidget form;
    form.setObjectName("frmNuevo");
    form.setWindowTitle("Titulo nuevo");
    auto* button = new QPushButton("Aplicar", &form);
    button->setObjectName("BttAplicar");
    auto* page = new FakePage(&form);
    page->execute->setText("Lanzar");
    new QPushButton("Sin nombre", &form);
    msg.TransMe(&form);
    EXPECT_EQ(store->inserts(),
              (QStringList{"INSERT INTO [Translate] VALUES('Titulo nuevo', '', '', '', '', '', 'frmNuevo.Caption')",
                           "INSERT INTO [Translate] VALUES('Aplicar', '', '', '', '', '', 'frmNuevo.BttAplicar')",
                           "INSERT INTO [Translate] VALUES('Lanzar', '', '', '', '', '', 'frmNuevo.BttExecute')"}));
}

TEST_F(WindowTranslation, AFailingControlDoesNotStopTheWalkAndIsReportedOnce)
{
    QWidget form;
    form.setObjectName("frmRoto");
    auto* broken = new FakeGrid(&form, "fgrRoto", 1, true);
    setControlTag(broken, "Translatable");
    auto* broken2 = new FakeGrid(&form, "fgrRoto2", 1, true);
    setControlTag(broken2, "Translatable");
    auto* label = new QLabel("Nombre", &form);
    label->setObjectName("lblNombre");
    int dialogs = 0;
    QString body;
    whenShown(msg, [&](frmMsgBox* d) {
        ++dialogs;
        body = d->txtBody->toPlainText();
        d->cmd[2]->click();
    });
    msg.TransMe(&form);
    EXPECT_EQ(label->text(), "Name of the customer");
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(body, "\nCLSERROR.TRANSME\nError: Invalid property value");
}

TEST_F(WindowTranslation, PictureLabelsKeepTheirPicture)
{
    QWidget form;
    form.setObjectName("frmImagen");
    auto* picture = new QLabel(&form);
    picture->setObjectName("imgLogo");
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::red);
    picture->setPixmap(pixmap);
    msg.TransMe(&form);
    EXPECT_FALSE(picture->pixmap().isNull());
    EXPECT_TRUE(store->inserts().isEmpty());
}

TEST_F(WindowTranslation, ControlsInLayoutsKeepTheirSizeAndReportsAreWalkedBySection)
{
    QWidget form;
    form.setObjectName("frmLayout");
    auto* layout = new QVBoxLayout(&form);
    auto* check = new QCheckBox("Activo", &form);
    check->setObjectName("chkActivo");
    layout->addWidget(check);
    check->setFixedWidth(px(900));
    msg.TransMe(&form);
    EXPECT_EQ(check->text(), "Enabled!!");
    EXPECT_EQ(check->width(), px(900));

    FakeReport report;
    report.setObjectName("rptListado");
    QLabel a("Uno"), b("Dos");
    a.setObjectName("lblA");
    b.setObjectName("lblB");
    report.sections = {{&a}, {&b}};
    msg.TransReport(&report);
    EXPECT_EQ(a.text(), "One");
    EXPECT_EQ(b.text(), "Two");
}

TEST_F(WindowTranslation, DisableAllTimersStopsEveryTimer)
{
    QWidget form;
    auto* running = new QTimer(&form);
    running->setInterval(250);
    running->start();
    auto* stopped = new QTimer(&form);
    stopped->setInterval(100);
    auto* nested = new QTimer(new QWidget(&form));
    nested->start(50);
    // The grid's own timers are its business.
    auto* inside = new QTimer(new FakeGrid(&form, "fgrDatos", 1));
    inside->start(1000);
    msg.DisableAllTimers(&form);
    EXPECT_FALSE(running->isActive());
    EXPECT_FALSE(stopped->isActive());
    EXPECT_FALSE(nested->isActive());
    EXPECT_TRUE(inside->isActive());
}
