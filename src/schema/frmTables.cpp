#include "schema/frmTables.h"

#include "core/CollectionHelpers.h"
#include "core/Screen.h"
#include "data/clsDO_sqltext.h"
#include "controls/ModalRunner.h"
#include "schema/SchemaPictures.h"
#include "schema/SchemaRules.h"
#include "schema/frmTableProperties.h"

namespace {

const QString kTitle = QStringLiteral("Tablas de la Base de Datos");
const QString kDropTitle = QStringLiteral("Borrado de Tabla");

} // namespace

frmTables::frmTables(QWidget* parent) : SchemaDialog(parent)
{
    using namespace schema;
    setObjectName(QStringLiteral("frmTables"));
    setWindowTitle(kTitle);
    constexpr double width = 10750;

    BttAceptar = button(this, "BttAceptar", QStringLiteral("Aceptar"));
    BttNueva = button(this, "BttNueva", QStringLiteral("Nueva"));
    BttModificar = button(this, "BttModificar", QStringLiteral(" Modificar"));
    BttEliminar = button(this, "BttEliminar", QStringLiteral("Eliminar"));
    BttSalir = button(this, "BttSalir", QStringLiteral("Salir"));
    buttonRow(this, {BttAceptar, BttNueva, BttModificar, BttEliminar}, BttSalir, width);

    Label2 = label(this, "Label2", QStringLiteral("Buscar"));
    txtSearch = control<QLineEdit>(this, "txtSearch");
    Label1 = label(this, "Label1", QStringLiteral("Ordenar los campos"));
    cboOrder = control<QComboBox>(this, "cboOrder");
    cboOrder->addItems({QStringLiteral("Alfabéticamente"), QStringLiteral("Por su posición en la tabla")});
    setControlTag(cboOrder, QStringLiteral("Translatable"));
    place(Label2, 150, 780, 800, 315);
    place(txtSearch, 1000, 750, 2250, 315);
    place(Label1, 3450, 780, 1800, 315);
    place(cboOrder, 5300, 750, 3000, 315);

    fgrTables = grid(this, "fgrTables", QStringLiteral("|Tablas"));
    fgrFields = grid(this, "fgrFields", QStringLiteral("|<Campo|^Tipo|^Tamaño|^Precisión|^Admite Nulos"));
    fgrTables->setScrollBars(2); // the name column takes the whole width
    place(fgrTables, 150, 1200, 3100, 5400);
    place(fgrFields, 3400, 1200, width - 3550, 5400); // its six columns and the vertical bar
    setFixedSize(Screen::pixelsFromTwips(width), Screen::pixelsFromTwips(6750));

    tmrSearch = new QTimer(this);
    tmrSearch->setObjectName(QStringLiteral("tmrSearch"));
    tmrSearch->setInterval(300);

    connect(BttAceptar, &QPushButton::clicked, this, [this] { BttAceptar_MouseUp(); });
    connect(BttNueva, &QPushButton::clicked, this, [this] { BttNueva_MouseUp(); });
    connect(BttModificar, &QPushButton::clicked, this, [this] { BttModificar_MouseUp(); });
    connect(BttEliminar, &QPushButton::clicked, this, [this] { BttEliminar_MouseUp(); });
    connect(BttSalir, &QPushButton::clicked, this, [this] { BttSalir_MouseUp(); });
    connect(fgrTables, &MaxGrid::DblClick, this, [this] { BttAceptar_MouseUp(); });
    connect(fgrTables, &MaxGrid::EnterCell, this, [this] {
        handle("fgrTables_EnterCell", [this] {
            if (fgrTables->Rows() > 1 && fgrTables->Row() > 0)
                showTableFields(fgrTables->Row());
        });
    });
    connect(cboOrder, &QComboBox::currentIndexChanged, this,
            [this] { handle("cboOrder_Click", [this] { orderChanged(); }); });
    connect(txtSearch, &QLineEdit::textChanged, this, [this] { handle("txtSearch_Change", [this] { searchChanged(); }); });
    connect(tmrSearch, &QTimer::timeout, this, [this] { tmrSearch_Timer(); });
}

void frmTables::Form_Load()
{
    handle("Form_Load", [this] {
        if (!Zolt)
            ::raise(Error::ObjectVariableNotSet, QStringLiteral("Variable de objeto o de bloque With no establecida"));
        // This window's own connection, not what another page left in the shared object.
        Zolt->StartObject(Connection.server, Connection.database, Connection.user, Connection.password);
        readTables();
        const int n = tables_->Count();
        setupTablesGrid(n);
        {
            controls::RedrawGuard off(*fgrTables);
            for (int i = 1; i <= n; ++i) {
                fgrTables->setTextMatrix(i, 0, QString::number(i));
                fgrTables->setTextMatrix(i, 1, schema::TextOf(tables_->Item(Variant(i)).as<Collection>().get(),
                                                              QStringLiteral("Name")));
            }
        }
        setOrder(1);
        if (MSG)
            MSG->TransMe(this);
    });
}

bool frmTables::Form_KeyPress(int keyAscii)
{
    handle("Form_KeyPress", [&] {
        if (keyAscii == 27)
            leave();
    });
    // Enter and the other keys are the controls' own.
    return keyAscii == 27;
}

void frmTables::readTables()
{
    QString s = Connection.server, d = Connection.database, u = Connection.user, p = Connection.password;
    tables_ = schema::orEmpty(Zolt->TableList(s, d, u, p));
}

void frmTables::setupTablesGrid(int n)
{
    controls::RedrawGuard off(*fgrTables);
    fgrTables->setRows(1);
    fgrTables->setRows(n + 1);
    fgrTables->setColWidth(0, 0);
    fgrTables->setColWidth(1, schema::innerWidth(*fgrTables));
    if (n > 0) {
        fgrTables->setTopRow(1);
        // A list with rows has one of them current; the caller shows its fields.
        const QSignalBlocker block(fgrTables);
        if (fgrTables->Row() < 1)
            fgrTables->setRow(1);
    }
}

void frmTables::setupFieldsGrid(int m)
{
    controls::RedrawGuard off(*fgrFields);
    fgrFields->setRows(1);
    fgrFields->setRows(m + 1);
    const int widths[] = {260, 1800, 1500, 1000, 1000, 1240};
    for (int c = 0; c < 6; ++c)
        fgrFields->setColWidth(c, widths[c]);
    if (m > 0)
        fgrFields->setTopRow(1);
}

void frmTables::showTableFields(int row)
{
    {
        const QSignalBlocker block(fgrTables);
        fgrTables->setRow(row);
        fgrTables->setCol(0);
        fgrTables->setColSel(1);
    }

    int p = fgrTables->TextMatrix(row, 0).toInt();
    if (p > tables_->Count())
        p = tables_->Count();
    if (p < 1) {
        // No table behind the row (the list was emptied): nothing to show.
        current_ = nullptr;
        keyFields_.clear();
        setupFieldsGrid(0);
        return;
    }
    current_ = tables_->Item(Variant(p)).as<Collection>();
    {
        controls::WaitCursor wait;
        const CollectionPtr fields = schema::SubCollection(current_.get(), QStringLiteral("Fields"));
        if (!fields || fields->Count() == 0) {
            QString s = Connection.server, d = Connection.database, u = Connection.user, pw = Connection.password, name = schema::TextOf(current_.get(), QStringLiteral("Name"));
            // A failed read keeps the item as it was.
            if (const CollectionPtr item = Zolt->TableList(s, d, u, pw, name)) {
                current_ = item;
                schema::ReplaceItem(*tables_, p, Variant(item), name);
            }
        }
    }
    const CollectionPtr fields = schema::orEmpty(schema::SubCollection(current_.get(), QStringLiteral("Fields")));
    const QString table = schema::TextOf(current_.get(), QStringLiteral("Name"));
    Variant structure;
    if (cboOrder->currentIndex() != 0) {
        Zolt->StartObject(Connection.server, Connection.database, Connection.user, Connection.password);
        structure = Zolt->EstructuraTabla(QStringLiteral("Ejercicio"), table);
    }
    const auto columns = structure.as<Collection>();
    const int count = std::max(fields->Count(), columns ? columns->Count() : 0);
    setupFieldsGrid(count >= 29 ? count : 30);

    controls::RedrawGuard off(*fgrFields);
    keyFields_.clear();
    if (cboOrder->currentIndex() != 0) {
        if (columns)
            for (int i = 1; i <= columns->Count(); ++i) {
                const QString qualified = columns->Item(Variant(i)).array()->at(0).toString();
                const QString name = qualified.mid(qualified.indexOf(QLatin1Char('.')) + 1);
                fgrFields->setTextMatrix(i, 1, name);
                for (const Variant& v : *fields) {
                    const CollectionPtr item = v.as<Collection>();
                    if (schema::TextOf(item.get(), QStringLiteral("Name")) == name) {
                        fillField(i, item);
                        break;
                    }
                }
            }
    } else {
        int i = 0;
        for (const Variant& v : *fields) {
            const CollectionPtr item = v.as<Collection>();
            fgrFields->setTextMatrix(++i, 1, schema::TextOf(item.get(), QStringLiteral("Name")));
            fillField(i, item);
        }
    }
}

void frmTables::fillField(int row, const CollectionPtr& item)
{
    const Collection* f = item.get();
    fgrFields->setTextMatrix(row, 2, schema::DataTypeName(f && f->Exists(QStringLiteral("Type"))
                                                              ? f->Item(Variant("Type")).toInt()
                                                              : 0));
    fgrFields->setTextMatrix(row, 3, schema::SizeText(schema::TextOf(f, QStringLiteral("Size"))));
    fgrFields->setTextMatrix(row, 4, schema::SizeText(schema::TextOf(f, QStringLiteral("Precision"))));
    fgrFields->setTextMatrix(row, 5, schema::FlagOf(f, QStringLiteral("Nullable")) ? QStringLiteral("SI")
                                                                                    : QStringLiteral("NO"));
    if (!ExisteClaveColeccion(Variant(current_), QStringLiteral("Key")))
        return;
    const QString name = fgrFields->TextMatrix(row, 1);
    for (const Variant& k : *schema::SubCollection(current_.get(), QStringLiteral("Key")))
        if (k.toString() == name) {
            schema::setPicture(*fgrFields, row, 0, schema::pictures::key(), schema::PictureCentred);
            if (!keyFields_.isEmpty())
                keyFields_ += QStringLiteral(",\r\n");
            keyFields_ += name;
            break;
        }
}

void frmTables::setOrder(int index)
{
    {
        const QSignalBlocker block(cboOrder);
        cboOrder->setCurrentIndex(index);
    }
    orderChanged();
}

void frmTables::orderChanged()
{
    if (fgrTables->Rows() > 1 && fgrTables->Row() >= 1)
        showTableFields(fgrTables->Row());
}

void frmTables::searchChanged()
{
    lastChange_ = clock();
    if (txtSearch->text() != lastSearch_)
        tmrSearch->start();
    lastSearch_ = txtSearch->text();
}

void frmTables::tmrSearch_Timer()
{
    handle("tmrSearch_Timer", [this] {
        // A quiet second since the last change.
        if (lastChange_.msecsTo(clock()) < 1000)
            return;
        tmrSearch->stop();
        applySearch();
    });
}

void frmTables::applySearch()
{
    setupTablesGrid(tables_->Count());
    {
        controls::RedrawGuard off(*fgrTables);
        const QSignalBlocker block(fgrTables);
        const std::vector<int> found = schema::FilterTables(*tables_, txtSearch->text());
        int k = 0;
        for (int i : found) {
            ++k;
            fgrTables->setTextMatrix(k, 0, QString::number(i));
            fgrTables->setTextMatrix(k, 1, schema::TextOf(tables_->Item(Variant(i)).as<Collection>().get(),
                                                          QStringLiteral("Name")));
        }
        fgrTables->setRows(k + 1);
    }
    if (fgrTables->Rows() > 1) {
        showTableFields(std::max(fgrTables->Row(), 1));
    } else {
        current_ = nullptr;
        setupFieldsGrid(0);
    }
}

void frmTables::BttAceptar_MouseUp()
{
    handle("BttAceptar_MouseUp", [this] {
        const int row = fgrTables->Row();
        if (row < 1)
            return;
        const QString name = fgrTables->TextMatrix(row, 1);
        sql_ = Zolt->IsOracle() ? QStringLiteral("SELECT * FROM ") + name + QStringLiteral(" WHERE ROWNUM <= 100")
                                : QStringLiteral("SELECT TOP 100 * FROM ") + sqltext::bracket(name);
        const int answer = ask(QStringLiteral("¿Desea enviar a la pantalla principal la siguiente sentencia de consulta "
                                              "sobre la tabla seleccionada?\r\n\r\n") +
                                   BraceBlock(1, sql_),
                               36, kTitle);
        if (answer == 6) {
            cancelled_ = false;
            setOrder(1);
        } else {
            cancelled_ = true;
        }
        hide();
    });
}

void frmTables::BttEliminar_MouseUp()
{
    handle("BttEliminar_MouseUp", [this] {
        const int row = fgrTables->Row();
        if (row < 1)
            return;
        const QString name = fgrTables->TextMatrix(row, 1);
        if (name.isEmpty())
            return;
        if (ask(QStringLiteral("Ha solicitado eliminar la tabla seleccionada.\r\n\r\n¿Desea seguir adelante con la "
                               "operación?"),
                36, kDropTitle) != 6)
            return;
        const QString statement = Zolt->IsOracle() ? QStringLiteral("DROP TABLE ") + name
                                                   : QStringLiteral("DROP TABLE ") + sqltext::bracket(name);
        bool dropped = false;
        QString s = Connection.server, d = Connection.database, u = Connection.user, p = Connection.password;
        trap([&] { dropped = Zolt->Execute(statement, s, d, u, p); }, [](const Error&) {});
        if (!dropped)
            ask(QStringLiteral("No se ha podido eliminar la tabla ") + BraceBlock(1, name) + QLatin1Char('.'), 64,
                kDropTitle);
        refresh(row);
    });
}

void frmTables::refresh(int row)
{
    readTables();
    lastChange_ = clock().addSecs(-2);
    tmrSearch->start();
    lastSearch_ = txtSearch->text();
    if (row > fgrTables->Rows() - 1 && fgrTables->Rows() > 1)
        row = 1;
    if (fgrTables->Rows() > 1 && row >= 1 && row < fgrTables->Rows()) {
        showTableFields(row);
        setOrder(1);
    }
}

void frmTables::openStructure(const QString& mode, const CollectionPtr& table)
{
    frmTableProperties window(this);
    handOver(window);
    window.Connection = Connection;
    window.setEditionMode(mode);
    window.setCurrentTable(table);
    controls::runModal(window, this);
}

void frmTables::BttNueva_MouseUp()
{
    handle("BttNueva_MouseUp", [this] {
        openStructure(QStringLiteral("A"), nullptr);
        refresh(1);
    });
}

void frmTables::BttModificar_MouseUp()
{
    handle("BttModificar_MouseUp", [this] {
        const int row = fgrTables->Row();
        if (row < 1 || !current_)
            return;
        openStructure(QStringLiteral("M"), current_);
        refresh(row);
    });
}

void frmTables::BttSalir_MouseUp()
{
    handle("BttSalir_MouseUp", [this] { leave(); });
}

void frmTables::leave()
{
    cancelled_ = true;
    hide();
}
