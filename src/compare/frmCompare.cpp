#include "compare/frmCompare.h"

#include "compare/ComparePictures.h"
#include "controls/ControlSupport.h"
#include "controls/MaxGrid.h"
#include "controls/ProgressBar.h"
#include "controls/TextRoom.h"
#include "controls/clsCommonDialog.h"
#include "core/Screen.h"
#include "pagedialogs/PageDialogs.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QFont>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

using compare::CompareController;
using compare::GridSink;
using compare::PanelControl;

namespace {

const QString kWindow = QStringLiteral("frmCompare");

// MaxGrid behind the controller's grid members.
class MaxGridSink : public GridSink {
public:
    explicit MaxGridSink(MaxGrid* grid) : g_(grid) {}
    bool Redraw() const override { return g_->Redraw(); }
    void setRedraw(bool on) override { g_->setRedraw(on); }
    int Rows() const override { return g_->Rows(); }
    void setRows(int rows) override { g_->setRows(rows); }
    int Cols() const override { return g_->Cols(); }
    void setCols(int cols) override { g_->setCols(cols); }
    void setColWidth(int col, int twips) override { g_->setColWidth(col, std::max(0, twips)); }
    QString TextMatrix(int row, int col) const override { return g_->TextMatrix(row, col); }
    void setTextMatrix(int row, int col, const QString& text) override { g_->setTextMatrix(row, col, text); }
    int Row() const override { return g_->Row(); }
    void setRow(int row) override { g_->setRow(row); }
    void setCol(int col) override { g_->setCol(col); }
    void setColSel(int col) override { g_->setColSel(col); }
    void setCellPicture(Picture picture) override
    {
        using namespace compare::pictures;
        switch (picture) {
        case Picture::Equal: g_->setCellPicture(equal()); break;
        case Picture::Different: g_->setCellPicture(different()); break;
        case Picture::OnlyCurrent: g_->setCellPicture(onlyCurrent()); break;
        case Picture::OnlyCompared: g_->setCellPicture(onlyCompared()); break;
        case Picture::MidIndexField: g_->setCellPicture(midIndexField()); break;
        case Picture::LastIndexField: g_->setCellPicture(lastIndexField()); break;
        }
    }
    void setCellPictureAlignment(int alignment) override { g_->setCellPictureAlignment(alignment); }
    int Width() const override { return g_->Width(); }
    int Height() const override { return g_->Height(); }
    void setHeight(int twips) override { g_->resize(g_->width(), Screen::pixelsFromTwips(twips)); }

private:
    MaxGrid* g_;
};

template <class W>
W* make(QWidget* parent, const char* name)
{
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, double l, double t, double w, double h)
{
    auto* x = make<QLabel>(parent, name);
    x->setText(text);
    controls::setTwipsGeometry(x, l, t, w, h);
    return x;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text, const QPixmap& picture = QPixmap())
{
    auto* b = make<QPushButton>(parent, name);
    b->setText(text);
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::TabFocus);
    if (!picture.isNull()) {
        b->setIcon(QIcon(picture));
        b->setIconSize(picture.size());
    }
    return b;
}

QFrame* line(QWidget* parent, const char* name, double top, const QColor& color)
{
    auto* f = make<QFrame>(parent, name);
    f->setAutoFillBackground(true);
    QPalette p = f->palette();
    p.setColor(QPalette::Window, color);
    f->setPalette(p);
    controls::setTwipsGeometry(f, 0, top, 15420, 15);
    return f;
}

void paint(QWidget* w, const QColor& color)
{
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, color);
    w->setPalette(p);
}

MaxGrid* grid(QWidget* parent, const char* name, const QString& format, double left, double width, int selection,
              int highlight, int resizing)
{
    auto* g = make<MaxGrid>(parent, name);
    g->setProperty("Tag", QStringLiteral("Translatable"));
    g->setFixedRows(1);
    g->setFixedCols(0);
    g->setFormatString(format);
    g->setEditable(false);
    g->setSelectionMode(selection);
    g->setHighLight(highlight);
    g->setAllowUserResizing(resizing);
    g->setScrollBars(2);
    g->setGridLines(0);
    g->setGridLinesFixed(2);
    g->setFocusRect(0);
    g->setBorderStyle(1);
    g->setBackColorBkg(0xB49678);   // RGB(120,150,180)
    g->setBackColorFixed(0xF0DCBE); // RGB(190,220,240)
    g->setBackColorSel(0x0080FF);   // RGB(255,128,0)
    g->setGridColor(0xC0C0C0);
    g->setColumnsFitText(true);
    controls::setTwipsGeometry(g, left, compare::GridTop, width, 7785);
    return g;
}

} // namespace

frmCompare::frmCompare(QWidget* parent) : DialogFrame(parent), logic_(std::make_unique<CompareController>())
{
    setObjectName(kWindow);
    setWindowTitle(QStringLiteral("Comparador de Bases de Datos"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint);
    build();
    wire();

    auto& c = *logic_;
    c.busy = [] { return std::static_pointer_cast<void>(std::make_shared<controls::WaitCursor>()); };
    c.openFile = [this](const QString& filter) {
        clsCommonDialog dialog;
        QString file, title;
        if (!dialog.VBGetOpenFileName(file, title, true, false, false, false, filter, 1, QString(), QString(), QString(),
                                      this, 0))
            return QString();
        return file;
    };
    // The data-source picker the program installed for its pages (frmDSN, run
    // through the modal runner).
    c.chooseDsn = [this](const QString& databaseType) -> std::optional<QString> {
        std::unique_ptr<DsnDialog> dialog = PageDialogs::defaults().frmDSN();
        dialog->MSG = logic_->MSG;
        dialog->DatabaseType = databaseType;
        dialog->Show(this);
        if (dialog->Cancelled)
            return std::nullopt;
        return dialog->DSN;
    };
    apply();
}

frmCompare::~frmCompare()
{
    logic_->attach(nullptr, nullptr, nullptr, nullptr, nullptr);
    logic_->Form_Unload();
}

void frmCompare::build()
{
    resize(Screen::pixelsFromTwips(15420), Screen::pixelsFromTwips(9135));
    using namespace compare::pictures;
    // The buttons along the top: the caption under the picture.
    auto topButton = [this](const char* name, const QString& text, const QPixmap& picture) {
        auto* b = make<QToolButton>(this, name);
        b->setText(text);
        b->setIcon(QIcon(picture));
        b->setIconSize(picture.size());
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setFocusPolicy(Qt::TabFocus);
        // The captions were sized for a narrower system font: as on the query
        // page, a smaller one keeps "Comparar" whole at the button's width.
        QFont f = b->font();
        f.setPointSizeF(f.pointSizeF() * 0.8);
        b->setFont(f);
        return b;
    };
    BttCompare = topButton("BttCompare", QStringLiteral("Comparar"), compareButton(false));
    BttCompareDisabled = topButton("BttCompareDisabled", QStringLiteral("Comparar"), compareButton(true));
    BttFilter = topButton("BttFilter", QStringLiteral("Filtros"), filterButton(false));
    BttFilterDisabled = topButton("BttFilterDisabled", QStringLiteral("Filtros"), filterButton(true));
    BttSalir = topButton("BttSalir", QStringLiteral("Salir"), compare::pictures::exitButton());

    Label9 = label(this, "Label9", QStringLiteral("Actual"), 1830, 60, 1095, 225);
    Label10 = label(this, "Label10", QStringLiteral("Comparada"), 1830, 660, 1095, 225);
    Label6 = label(this, "Label6", QStringLiteral("Tipo"), 3000, 390, 885, 195);
    Label8 = label(this, "Label8", QStringLiteral("Driver"), 4410, 390, 705, 195);
    lblServer = label(this, "lblServer", QStringLiteral("Servidor o DNS"), 5580, 390, 1635, 195);
    lblBBDD = label(this, "lblBBDD", QStringLiteral("BBDD"), 7230, 390, 855, 225);
    lblUser = label(this, "lblUser", QStringLiteral("User"), 11880, 390, 825, 225);
    lblPassword = label(this, "lblPassword", QStringLiteral("Pwd"), 13170, 390, 435, 225);

    auto combo = [this](const char* name, const QStringList& items) {
        auto* c = make<QComboBox>(this, name);
        c->setEditable(false); // a typed text that is no item would leave the index at -1
        c->addItems(items);
        c->setCurrentIndex(-1);
        return c;
    };
    cboCurrentConnectionType = combo("cboCurrentConnectionType", logic_->cboCurrentConnectionType.Items);
    cboCurrentDriver = combo("cboCurrentDriver", logic_->cboCurrentDriver.Items);
    cboComparedConnectionType = combo("cboComparedConnectionType", logic_->cboComparedConnectionType.Items);
    cboComparedDriver = combo("cboComparedDriver", logic_->cboComparedDriver.Items);
    txtCurrentServidor = make<QLineEdit>(this, "txtCurrentServidor");
    txtCurrentBBDD = make<QLineEdit>(this, "txtCurrentBBDD");
    txtCurrentUser = make<QLineEdit>(this, "txtCurrentUser");
    // The current row only shows the page's connection.
    for (QLineEdit* e : {txtCurrentServidor, txtCurrentBBDD, txtCurrentUser})
        e->setReadOnly(true);
    txtComparedServidor = make<QLineEdit>(this, "txtComparedServidor");
    txtComparedBBDD = make<QLineEdit>(this, "txtComparedBBDD");
    txtComparedUser = make<QLineEdit>(this, "txtComparedUser");
    txtComparedPassword = make<QLineEdit>(this, "txtComparedPassword");
    chkPwdVisible = make<QCheckBox>(this, "chkPwdVisible");
    chkPwdVisible->setText(QStringLiteral("Visible"));
    BttDSN = button(this, "BttDSN", QStringLiteral("..."));
    BttAccessFileSelection = button(this, "BttAccessFileSelection", QStringLiteral("..."));
    Line2 = line(this, "Line2", 945, QColor(192, 192, 192));
    Line1 = line(this, "Line1", 960, QColor(128, 128, 128));

    fgrTables = grid(this, "fgrTables", QStringLiteral("|<Tabla o Vista|<Tipo|<Valor"), 150, 3405, 1, 1, 1);
    fgrFields = grid(this, "fgrFields", QStringLiteral("|<Campo|<Valor|<Diferencias"), 3750, 5355, 0, 0, 1);
    fgrIndexes = grid(this, "fgrIndexes", QStringLiteral("|<Indices/Campos Indexados|<Tipo|<Valor|<Diferencias"), 9300,
                      5955, 1, 0, 0);

    // The progress panel over its shadow; out of sight at the left while no run goes on.
    fmShowProgressShadow = make<QFrame>(this, "fmShowProgressShadow");
    paint(fmShowProgressShadow, QColor(95, 125, 155));
    fmShowProgress = make<QFrame>(this, "fmShowProgress");
    fmShowProgress->setFrameShape(QFrame::Box);
    // The progress panel and the filter menu lie over the grids by design.
    for (QWidget* over : {static_cast<QWidget*>(fmShowProgress), static_cast<QWidget*>(fmShowProgressShadow)})
        controls::setFloating(over);
    paint(fmShowProgress, palette().color(QPalette::Window));
    lblMain = label(fmShowProgress, "lblMain", QStringLiteral("Cargando Datos..."), 300, 270, 6225, 195);
    pbMain = make<ProgressBar>(fmShowProgress, "pbMain");
    controls::setTwipsGeometry(pbMain, 240, 510, 6285, 225);
    lblSubProcess = label(fmShowProgress, "lblSubProcess", QStringLiteral("Cargando Datos..."), 300, 930, 6225, 195);
    pbSubProcess = make<ProgressBar>(fmShowProgress, "pbSubProcess");
    controls::setTwipsGeometry(pbSubProcess, 240, 1170, 6285, 225);
    for (ProgressBar* bar : {pbMain, pbSubProcess}) {
        bar->setMaxValue(100);
        bar->setEnabled(true);
    }

    // The filter menu beside the filter button, over its shadow.
    mnuDatabaseShadow = make<QFrame>(this, "mnuDatabaseShadow");
    paint(mnuDatabaseShadow, QColor(95, 125, 155));
    mnuDataBase = make<QFrame>(this, "mnuDataBase");
    mnuDataBase->setFrameShape(QFrame::Box);
    controls::setFloating(mnuDataBase);
    controls::setFloating(mnuDatabaseShadow);
    paint(mnuDataBase, QColor(236, 240, 246));
    chkEqual = make<QCheckBox>(mnuDataBase, "chkEqual");
    chkEqual->setText(QStringLiteral("Igual"));
    chkDifferent = make<QCheckBox>(mnuDataBase, "chkDifferent");
    chkDifferent->setText(QStringLiteral("Diferente"));
    chkOnlyCurrent = make<QCheckBox>(mnuDataBase, "chkOnlyCurrent");
    chkOnlyCurrent->setText(QStringLiteral("Solo en Actual"));
    chkOnlyCompared = make<QCheckBox>(mnuDataBase, "chkOnlyCompared");
    chkOnlyCompared->setText(QStringLiteral("Solo en Comparada"));
    BttCloseMenuDatabase = button(mnuDataBase, "BttCloseMenuDatabase", QString(), style()->standardPixmap(QStyle::SP_TitleBarCloseButton).scaled(12, 12));
    controls::setTwipsGeometry(BttCloseMenuDatabase, 2370, 120, 225, 225);

    auto image = [this](const char* name, const QPixmap& p) {
        auto* l = make<QLabel>(this, name);
        l->setPixmap(p);
        l->hide();
        return l;
    };
    imgEqual = image("imgEqual", equal());
    imgDifferent = image("imgDifferent", different());
    imgOnlyCurrent = image("imgOnlyCurrent", onlyCurrent());
    imgOnlyCompared = image("imgOnlyCompared", onlyCompared());
    imgMidIndexField = image("imgMidIndexField", midIndexField());
    imgLastIndexField = image("imgLastIndexField", lastIndexField());

    auto& c = *logic_;
    widgets_ = {{&c.BttCompare, BttCompare},
                {&c.BttCompareDisabled, BttCompareDisabled},
                {&c.BttFilter, BttFilter},
                {&c.BttFilterDisabled, BttFilterDisabled},
                {&c.BttSalir, BttSalir},
                {&c.cboCurrentConnectionType, cboCurrentConnectionType},
                {&c.cboCurrentDriver, cboCurrentDriver},
                {&c.txtCurrentServidor, txtCurrentServidor},
                {&c.txtCurrentBBDD, txtCurrentBBDD},
                {&c.txtCurrentUser, txtCurrentUser},
                {&c.cboComparedConnectionType, cboComparedConnectionType},
                {&c.cboComparedDriver, cboComparedDriver},
                {&c.lblServer, lblServer},
                {&c.txtComparedServidor, txtComparedServidor},
                {&c.BttDSN, BttDSN},
                {&c.lblBBDD, lblBBDD},
                {&c.txtComparedBBDD, txtComparedBBDD},
                {&c.BttAccessFileSelection, BttAccessFileSelection},
                {&c.lblUser, lblUser},
                {&c.txtComparedUser, txtComparedUser},
                {&c.lblPassword, lblPassword},
                {&c.txtComparedPassword, txtComparedPassword},
                {&c.chkPwdVisible, chkPwdVisible},
                {&c.mnuDataBase, mnuDataBase},
                {&c.mnuDatabaseShadow, mnuDatabaseShadow},
                {&c.chkEqual, chkEqual},
                {&c.chkDifferent, chkDifferent},
                {&c.chkOnlyCurrent, chkOnlyCurrent},
                {&c.chkOnlyCompared, chkOnlyCompared}};
    for (auto it = widgets_.begin(); it != widgets_.end(); ++it)
        connect(it.key(), &PanelControl::focusRequested, it.value(), [w = it.value()] { w->setFocus(); });

    for (MaxGrid* g : {fgrTables, fgrFields, fgrIndexes})
        sinks_.push_back(std::make_unique<MaxGridSink>(g));
    c.attach(this, this, sinks_[0].get(), sinks_[1].get(), sinks_[2].get());
}

template <class F>
void frmCompare::act(const char* procedure, F&& body)
{
    controls::trapHandler(logic_->MSG, kWindow, QString::fromLatin1(procedure), std::forward<F>(body));
    apply();
}

void frmCompare::wire()
{
    auto& c = *logic_;
    connect(BttCompare, &QToolButton::clicked, this, [this] { act("BttCompare_MouseUp", [this] { logic_->BttCompare_MouseUp(); }); });
    connect(BttSalir, &QToolButton::clicked, this, [this] { act("BttSalir_MouseUp", [this] { logic_->BttSalir_MouseUp(); }); });
    connect(BttFilter, &QToolButton::clicked, this, [this] { act("BttFilter_MouseUp", [this] { logic_->BttFilter_MouseUp(); }); });
    connect(BttCloseMenuDatabase, &QPushButton::clicked, this,
            [this] { act("BttCloseMenuDatabase_MouseUp", [this] { logic_->BttCloseMenuDatabase_MouseUp(); }); });
    connect(BttDSN, &QPushButton::clicked, this, [this] { act("BttDSN_MouseUp", [this] { logic_->BttDSN_MouseUp(); }); });
    connect(BttAccessFileSelection, &QPushButton::clicked, this,
            [this] { act("BttAccessFileSelection_MouseUp", [this] { logic_->BttAccessFileSelection_MouseUp(); }); });
    connect(cboComparedConnectionType, &QComboBox::activated, this, [this, &c](int i) {
        act("cboConnectionType_Click", [&] {
            c.cboComparedConnectionType.ListIndex = i;
            c.cboComparedConnectionType_Click();
        });
    });
    connect(cboComparedDriver, &QComboBox::activated, this, [this, &c](int i) {
        act("cboDriver_Click", [&] {
            c.cboComparedDriver.ListIndex = i;
            c.cboComparedDriver_Click();
        });
    });
    const std::pair<QLineEdit*, PanelControl*> boxes[] = {{txtComparedServidor, &c.txtComparedServidor},
                                                          {txtComparedBBDD, &c.txtComparedBBDD},
                                                          {txtComparedUser, &c.txtComparedUser},
                                                          {txtComparedPassword, &c.txtComparedPassword}};
    for (const auto& [box, model] : boxes)
        connect(box, &QLineEdit::textChanged, this, [this, model = model](const QString& text) {
            if (applying_)
                return;
            act("txtCompared_Change", [&] {
                model->Text = text;
                logic_->txtCompared_Change();
            });
        });
    connect(chkPwdVisible, &QCheckBox::clicked, this, [this, &c](bool on) {
        act("chkPwdVisible_Click", [&] {
            c.chkPwdVisible.Value = on ? 1 : 0;
            c.chkPwdVisible_Click();
        });
    });
    const std::pair<QCheckBox*, PanelControl*> filters[] = {{chkEqual, &c.chkEqual},
                                                            {chkDifferent, &c.chkDifferent},
                                                            {chkOnlyCurrent, &c.chkOnlyCurrent},
                                                            {chkOnlyCompared, &c.chkOnlyCompared}};
    for (const auto& [box, model] : filters)
        connect(box, &QCheckBox::clicked, this, [this, model = model](bool on) {
            act("chkFilter_Click", [&] {
                model->Value = on ? 1 : 0;
                logic_->chkFilter_Click(*model);
            });
        });
    connect(fgrTables, &MaxGrid::EnterCell, this, [this] { logic_->fgrTables_EnterCell(); });
}

void frmCompare::apply()
{
    if (applying_)
        return;
    applying_ = true;
    auto& c = *logic_;
    const QList<PanelControl*> offDuringRun = {&c.cboComparedConnectionType, &c.cboComparedDriver, &c.txtComparedServidor,
                                               &c.txtComparedBBDD, &c.txtComparedUser, &c.txtComparedPassword,
                                               &c.chkPwdVisible, &c.BttDSN, &c.BttAccessFileSelection, &c.BttFilter};
    for (auto it = widgets_.constBegin(); it != widgets_.constEnd(); ++it) {
        PanelControl* m = it.key();
        QWidget* w = it.value();
        controls::setTwipsGeometry(w, m->Left, m->Top, m->Width, m->Height);
        w->setEnabled(m->Enabled && !(c.Running() && offDuringRun.contains(m)));
        w->setVisible(m->Visible);
        if (auto* combo = qobject_cast<QComboBox*>(w)) {
            if (combo->currentIndex() != m->ListIndex)
                combo->setCurrentIndex(m->ListIndex);
        } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            if (edit->text() != m->Text)
                edit->setText(m->Text);
            if (m == &c.txtComparedPassword)
                edit->setEchoMode(m->Masked ? QLineEdit::Password : QLineEdit::Normal);
        } else if (auto* check = qobject_cast<QCheckBox*>(w)) {
            check->setChecked(m->Value == 1);
        }
    }
    mnuDatabaseShadow->raise();
    mnuDataBase->raise();
    applying_ = false;
}

void frmCompare::Form_Load()
{
    logic_->Form_Load();
    controls::trapHandler(logic_->MSG, kWindow, QStringLiteral("Form_Load"), [this] {
        if (logic_->MSG)
            logic_->MSG->TransMe(this);
    });
    apply();
}

double frmCompare::Width() const
{
    return Screen::twipsFromPixels(width()) + 2 * logic_->measures.frameWidth;
}

double frmCompare::Height() const
{
    return Screen::twipsFromPixels(height()) + logic_->measures.captionHeight + 2 * logic_->measures.frameHeight;
}

void frmCompare::Place(double top, double height)
{
    const auto& m = logic_->measures;
    move(x(), Screen::pixelsFromTwips(top));
    resize(width(), std::max(1, Screen::pixelsFromTwips(height - m.captionHeight - 2 * m.frameHeight)));
}

void frmCompare::setMainText(const QString& text) { lblMain->setText(text); }
void frmCompare::setMainValue(int value) { pbMain->setValue(value); }
void frmCompare::setSubText(const QString& text) { lblSubProcess->setText(text); }
void frmCompare::setSubValue(int value) { pbSubProcess->setValue(value); }

void frmCompare::placePanel(double left, double top)
{
    controls::setTwipsGeometry(fmShowProgress, left, top, compare::PanelWidth, compare::PanelHeight);
    controls::setTwipsGeometry(fmShowProgressShadow, left + 60, top + 60, compare::PanelWidth, compare::PanelHeight);
    fmShowProgressShadow->raise();
    fmShowProgress->raise();
}

bool frmCompare::Form_KeyPress(int keyAscii)
{
    if (keyAscii != 27)
        return false;
    reject();
    return true;
}

void frmCompare::reject()
{
    logic_->Form_KeyDown(27);
    logic_->Form_KeyPress(27);
    apply();
}

void frmCompare::exitButton()
{
    logic_->CloseRequested();
    apply();
}

void frmCompare::resizeEvent(QResizeEvent* e)
{
    QDialog::resizeEvent(e);
    const QRect outer = frameGeometry(), inner = geometry();
    if (outer != inner) {
        auto& m = logic_->measures;
        m.frameWidth = Screen::twipsFromPixels(inner.left() - outer.left());
        m.frameHeight = Screen::twipsFromPixels(outer.bottom() - inner.bottom());
        m.captionHeight = Screen::twipsFromPixels(inner.top() - outer.top()) - m.frameHeight;
    }
    logic_->Form_Resize();
    apply();
}

void frmCompare::showEvent(QShowEvent* e)
{
    ensureLoaded();
    QDialog::showEvent(e);
}
