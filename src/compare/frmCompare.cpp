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
#include <algorithm>

using compare::CompareController;
using compare::GridSink;
using compare::PanelControl;

namespace {

const QString kWindow = QStringLiteral("frmCompare");
// The designed window's width and the indexes grid's place across it, in twips.
constexpr double kDesignWidth = 15420, kIndexesLeft = 9300, kIndexesWidth = 5955;

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
    // The new height becomes the grid's design height, which the window's text fit keeps.
    void setHeight(int twips) override
    {
        controls::placeAtDesign(g_, QRect(g_->pos(), QSize(g_->width(), Screen::pixelsFromTwips(twips))));
    }

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
    resize(Screen::pixelsFromTwips(kDesignWidth), Screen::pixelsFromTwips(9135));
    buildRows();
    buildGrids();
    buildPanels();

    // Each widget follows the rules' control of its name.
    auto& c = *logic_;
    for (PanelControl* m : c.controls()) {
        QWidget* w = findChild<QWidget*>(m->objectName());
        widgets_.insert(m, w);
        connect(m, &PanelControl::focusRequested, w, [w] { w->setFocus(); });
    }
    for (MaxGrid* g : {fgrTables, fgrFields, fgrIndexes})
        sinks_.push_back(std::make_unique<MaxGridSink>(g));
    c.attach(this, this, sinks_[0].get(), sinks_[1].get(), sinks_[2].get());
}

// The buttons along the top, the captions and the two connection rows.
void frmCompare::buildRows()
{
    using namespace compare::pictures;
    // The caption under the picture, in a smaller font as on the query page.
    auto topButton = [this](const char* name, const QString& text, const QPixmap& picture) {
        auto* b = make<QToolButton>(this, name);
        b->setText(text);
        b->setIcon(QIcon(picture));
        b->setIconSize(picture.size());
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setFocusPolicy(Qt::TabFocus);
        QFont f = b->font();
        f.setPointSizeF(f.pointSizeF() * 0.8);
        b->setFont(f);
        return b;
    };
    const struct {
        QToolButton** slot;
        const char* name;
        const char* text;
        QPixmap picture;
    } buttons[] = {{&BttCompare, "BttCompare", "Comparar", compareButton(false)},
                   {&BttCompareDisabled, "BttCompareDisabled", "Comparar", compareButton(true)},
                   {&BttFilter, "BttFilter", "Filtros", filterButton(false)},
                   {&BttFilterDisabled, "BttFilterDisabled", "Filtros", filterButton(true)},
                   {&BttSalir, "BttSalir", "Salir", compare::pictures::exitButton()}};
    for (const auto& b : buttons)
        *b.slot = topButton(b.name, QString::fromUtf8(b.text), b.picture);

    const struct {
        QLabel** slot;
        const char* name;
        const char* text;
        double left, top, width, height;
    } captions[] = {{&Label9, "Label9", "Actual", 1830, 60, 1095, 225},
                    {&Label10, "Label10", "Comparada", 1830, 660, 1095, 225},
                    {&Label6, "Label6", "Tipo", 3000, 390, 885, 195},
                    {&Label8, "Label8", "Driver", 4410, 390, 705, 195},
                    {&lblServer, "lblServer", "Servidor o DNS", 5580, 390, 1635, 195},
                    {&lblBBDD, "lblBBDD", "BBDD", 7230, 390, 855, 225},
                    {&lblUser, "lblUser", "User", 11880, 390, 825, 225},
                    {&lblPassword, "lblPassword", "Pwd", 13170, 390, 435, 225}};
    for (const auto& l : captions)
        *l.slot = label(this, l.name, QString::fromUtf8(l.text), l.left, l.top, l.width, l.height);

    auto& c = *logic_;
    for (auto [slot, model] : {std::pair{&cboCurrentConnectionType, &c.cboCurrentConnectionType},
                               {&cboCurrentDriver, &c.cboCurrentDriver},
                               {&cboComparedConnectionType, &c.cboComparedConnectionType},
                               {&cboComparedDriver, &c.cboComparedDriver}}) {
        *slot = make<QComboBox>(this, model->objectName().toLatin1().constData());
        (*slot)->setEditable(false); // a typed text that is no item would leave the index at -1
        (*slot)->addItems(model->Items);
        (*slot)->setCurrentIndex(-1);
    }
    for (auto [slot, name, readOnly] : {std::tuple{&txtCurrentServidor, "txtCurrentServidor", true},
                                        {&txtCurrentBBDD, "txtCurrentBBDD", true},
                                        {&txtCurrentUser, "txtCurrentUser", true},
                                        {&txtComparedServidor, "txtComparedServidor", false},
                                        {&txtComparedBBDD, "txtComparedBBDD", false},
                                        {&txtComparedUser, "txtComparedUser", false},
                                        {&txtComparedPassword, "txtComparedPassword", false}}) {
        *slot = make<QLineEdit>(this, name);
        (*slot)->setReadOnly(readOnly); // the current row only shows the page's connection
    }
    // The long boxes give the room the translated captions and lists before them
    // take, so the window opens no wider than designed.
    for (QLineEdit* box : {txtCurrentServidor, txtCurrentBBDD, txtComparedServidor, txtComparedBBDD})
        controls::setYielding(box);
    chkPwdVisible = make<QCheckBox>(this, "chkPwdVisible");
    chkPwdVisible->setText(QStringLiteral("Visible"));
    BttDSN = button(this, "BttDSN", QStringLiteral("..."));
    BttAccessFileSelection = button(this, "BttAccessFileSelection", QStringLiteral("..."));
    Line2 = line(this, "Line2", 945, QColor(192, 192, 192));
    Line1 = line(this, "Line1", 960, QColor(128, 128, 128));
}

void frmCompare::buildGrids()
{
    fgrTables = grid(this, "fgrTables", QStringLiteral("|<Tabla o Vista|<Tipo|<Valor"), 150, 3405, 1, 1, 1);
    fgrFields = grid(this, "fgrFields", QStringLiteral("|<Campo|<Valor|<Diferencias"), 3750, 5355, 0, 0, 1);
    fgrIndexes = grid(this, "fgrIndexes", QStringLiteral("|<Indices/Campos Indexados|<Tipo|<Valor|<Diferencias"),
                      kIndexesLeft, kIndexesWidth, 1, 0, 0);
    using namespace compare::pictures;
    // The cell pictures, kept as hidden images as the window's designer had them.
    for (auto [target, name, picture] : {std::tuple{&imgEqual, "imgEqual", equal()},
                                         {&imgDifferent, "imgDifferent", different()},
                                         {&imgOnlyCurrent, "imgOnlyCurrent", onlyCurrent()},
                                         {&imgOnlyCompared, "imgOnlyCompared", onlyCompared()},
                                         {&imgMidIndexField, "imgMidIndexField", midIndexField()},
                                         {&imgLastIndexField, "imgLastIndexField", lastIndexField()}}) {
        *target = make<QLabel>(this, name);
        (*target)->setPixmap(picture);
        (*target)->hide();
    }
}

// The progress panel and the filter menu, each over its shadow; both lie
// over the grids by design.
void frmCompare::buildPanels()
{
    auto floating = [this](const char* name, const QColor& color, bool boxed) {
        auto* f = make<QFrame>(this, name);
        if (boxed)
            f->setFrameShape(QFrame::Box);
        paint(f, color);
        controls::setFloating(f);
        return f;
    };
    const QColor shadow(95, 125, 155);
    // Out of sight at the left while no run goes on.
    fmShowProgressShadow = floating("fmShowProgressShadow", shadow, false);
    fmShowProgress = floating("fmShowProgress", palette().color(QPalette::Window), true);
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

    // Beside the filter button.
    mnuDatabaseShadow = floating("mnuDatabaseShadow", shadow, false);
    mnuDataBase = floating("mnuDataBase", QColor(236, 240, 246), true);
    for (auto [slot, name, text] : {std::tuple{&chkEqual, "chkEqual", "Igual"},
                                    {&chkDifferent, "chkDifferent", "Diferente"},
                                    {&chkOnlyCurrent, "chkOnlyCurrent", "Solo en Actual"},
                                    {&chkOnlyCompared, "chkOnlyCompared", "Solo en Comparada"}}) {
        *slot = make<QCheckBox>(mnuDataBase, name);
        (*slot)->setText(QString::fromUtf8(text));
    }
    BttCloseMenuDatabase = button(mnuDataBase, "BttCloseMenuDatabase", QString(),
                                  style()->standardPixmap(QStyle::SP_TitleBarCloseButton).scaled(12, 12));
    controls::setTwipsGeometry(BttCloseMenuDatabase, 2370, 120, 225, 225);
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
        const QRectF place = placeOf(*m);
        controls::setTwipsGeometry(w, place.left(), place.top(), place.width(), place.height());
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
    // Opened no wider than the window it was opened from, where that is narrower
    // than designed; the last grid then ends inside it. Before the load step, which
    // sizes the grids' columns by their widths.
    if (QWidget* opener = parentWidget() ? parentWidget()->window() : nullptr) {
        // Its own frame is not known before it first shows: the opener's is the same kind.
        const int frame = std::max(frameGeometry().width() - width(), opener->frameGeometry().width() - opener->width());
        const int least = Screen::pixelsFromTwips(kIndexesLeft + kIndexesWidth / 2 + (kDesignWidth - kIndexesLeft - kIndexesWidth));
        const int most = std::max(least, opener->frameGeometry().width() - frame);
        if (width() > most) {
            narrowerBy_ = Screen::twipsFromPixels(width() - most);
            resize(most, height());
            placeLastGrid(most);
        }
    }
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
    placeLastGrid(e->size().width());
    logic_->Form_Resize();
    apply();
}

QRectF frmCompare::placeOf(const PanelControl& m) const
{
    QRectF place(m.Left, m.Top, m.Width, m.Height);
    auto& c = *logic_;
    // The exit button follows the window's edge by its own rule.
    if (narrowerBy_ <= 0 || m.Top >= compare::GridTop || &m == &c.BttSalir)
        return place;
    // On each connection row the longest box shown gives the room, and what
    // follows it on the row (its captions above included) moves left by as much.
    const bool current = m.objectName().contains(QLatin1String("Current"));
    const PanelControl* longest = nullptr;
    const PanelControl* const boxes[] = {current ? &c.txtCurrentServidor : &c.txtComparedServidor,
                                         current ? &c.txtCurrentBBDD : &c.txtComparedBBDD};
    for (const PanelControl* box : boxes)
        if (box->Visible && (!longest || box->Width > longest->Width))
            longest = box;
    if (!longest || longest->Width / 2 < narrowerBy_)
        return place;
    if (&m == longest)
        place.setWidth(m.Width - narrowerBy_);
    else if (m.Left >= longest->Left + longest->Width - 15)
        place.moveLeft(m.Left - narrowerBy_);
    return place;
}

void frmCompare::placeLastGrid(int windowWidth)
{
    const int margin = Screen::pixelsFromTwips(kDesignWidth - kIndexesLeft - kIndexesWidth);
    const QRect now = fgrIndexes->geometry();
    const int width = std::max(1, windowWidth - margin - now.left());
    if (width != now.width())
        controls::placeAtDesign(fgrIndexes, QRect(now.topLeft(), QSize(width, now.height())));
}

void frmCompare::showEvent(QShowEvent* e)
{
    ensureLoaded();
    QDialog::showEvent(e);
}
