#include "schema/frmIndexes.h"

#include "core/Screen.h"
#include "controls/ModalRunner.h"
#include "schema/SchemaRules.h"
#include "schema/frmIndex.h"

namespace {

const QString kTitle = QStringLiteral("Indices de la Tabla");
const QString kMarker = QStringLiteral("#TableName#");

QString joined(const CollectionPtr& fields)
{
    QStringList names;
    if (fields)
        for (const Variant& v : *fields)
            names << v.toString();
    return names.join(QLatin1Char('#'));
}

} // namespace

frmIndexes::frmIndexes(QWidget* parent) : SchemaDialog(parent)
{
    using namespace schema;
    setObjectName(QStringLiteral("frmIndexes"));
    setWindowTitle(QStringLiteral("Indices de la tabla ") + BraceBlock(1, kMarker));
    constexpr double width = 7200;

    BttNuevo = button(this, "BttNuevo", QStringLiteral("Nuevo"));
    BttModificar = button(this, "BttModificar", QStringLiteral(" Modificar"));
    BttEliminar = button(this, "BttEliminar", QStringLiteral("Eliminar"));
    BttSalir = button(this, "BttSalir", QStringLiteral("Salir"));
    buttonRow(this, {BttNuevo, BttModificar, BttEliminar}, BttSalir, width);

    fgrIndexes = grid(this, "fgrIndexes", QStringLiteral("|<Lista de Indices"));
    fgrIndexFields = grid(this, "fgrIndexFields", QStringLiteral("|<Campos Indexados"));
    fgrIndexes->setSelectionMode(1); // whole rows
    Frame2 = new QGroupBox(QStringLiteral("Propiedades Indice Seleccionado"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    chkIndexKey = check(Frame2, "chkIndexKey", QStringLiteral("Indice Principal o Clave"));
    chkIndexUnique = check(Frame2, "chkIndexUnique", QStringLiteral("Indice Único"));
    chkIgnoreNulls = check(Frame2, "chkIgnoreNulls", QStringLiteral("Ignora Nulos"));
    for (QCheckBox* c : {chkIndexKey, chkIndexUnique, chkIgnoreNulls})
        c->setEnabled(false);
    place(fgrIndexes, 150, 750, 3300, 3600);
    place(Frame2, 3600, 690, 3450, 1350);
    place(chkIndexKey, 150, 300, 3100, 315);
    place(chkIndexUnique, 150, 630, 3100, 315);
    place(chkIgnoreNulls, 150, 960, 3100, 315);
    place(fgrIndexFields, 3600, 2150, 3450, 2200);
    for (MaxGrid* g : {fgrIndexes, fgrIndexFields})
        g->setScrollBars(2);
    setFixedSize(Screen::pixelsFromTwips(width), Screen::pixelsFromTwips(4500));

    connect(BttNuevo, &QPushButton::clicked, this, [this] { BttNuevo_MouseUp(); });
    connect(BttModificar, &QPushButton::clicked, this, [this] { BttModificar_MouseUp(); });
    connect(BttEliminar, &QPushButton::clicked, this, [this] { BttEliminar_MouseUp(); });
    connect(BttSalir, &QPushButton::clicked, this, [this] { BttSalir_MouseUp(); });
    connect(fgrIndexes, &MaxGrid::EnterCell, this, [this] {
        handle("fgrIndexes_EnterCell", [this] {
            if (loading_ || fgrIndexes->Row() < 1)
                return;
            controls::RedrawGuard off(*fgrIndexes);
            ShowIndexProperties(fgrIndexes->TextMatrix(fgrIndexes->Row(), 0));
        });
    });
}

QString frmIndexes::tableName() const { return schema::TextOf(currentTable_.get(), QStringLiteral("Name")); }

void frmIndexes::Form_Load()
{
    handle("Form_Load", [this] {
        // This window's own connection, not what another page left in the shared object.
        if (Zolt)
            Zolt->StartObject(Connection.server, Connection.database, Connection.user, Connection.password);
        QString caption = windowTitle();
        caption.replace(kMarker, tableName());
        setWindowTitle(caption);
        readIndexes();
        fillIndexesGrid();
        if (MSG)
            MSG->TransMe(this);
    });
}

bool frmIndexes::Form_KeyPress(int keyAscii)
{
    handle("Form_KeyPress", [&] {
        if (keyAscii == 27)
            done(0);
    });
    // Enter and the other keys are the controls' own.
    return keyAscii == 27;
}

void frmIndexes::readIndexes()
{
    if (!Zolt)
        ::raise(Error::ObjectVariableNotSet, QStringLiteral("Variable de objeto o de bloque With no establecida"));
    QString s = Connection.server, d = Connection.database, u = Connection.user, p = Connection.password, t = tableName();
    indexes_ = schema::orEmpty(Zolt->TableIndexes(s, d, u, p, t));
    selected_ = nullptr;
}

void frmIndexes::setupGrid(MaxGrid& grid, int items)
{
    controls::RedrawGuard off(grid);
    grid.setCols(2);
    grid.setRows(1);
    if (items >= 1) {
        grid.setRows(items + 1);
        grid.setTopRow(1);
    }
    grid.setColWidth(0, 0);
    grid.setColWidth(1, schema::innerWidth(grid));
}

void frmIndexes::fillIndexesGrid()
{
    loading_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{loading_};
    setupGrid(*fgrIndexes, indexes_->Count());
    {
        controls::RedrawGuard off(*fgrIndexes);
        int row = 0;
        for (const Variant& v : *indexes_) {
            const QString name = schema::TextOf(v.as<Collection>().get(), QStringLiteral("IndexName"));
            ++row;
            fgrIndexes->setTextMatrix(row, 0, name);
            fgrIndexes->setTextMatrix(row, 1, name);
        }
    }
    if (fgrIndexes->Rows() < 2) {
        setupGrid(*fgrIndexFields, 0);
        for (QCheckBox* c : {chkIndexKey, chkIndexUnique, chkIgnoreNulls})
            c->setChecked(false);
        return;
    }
    fgrIndexes->setRow(1);
    fgrIndexes->setCol(1);
    ShowIndexProperties(fgrIndexes->TextMatrix(1, 1));
}

void frmIndexes::ShowIndexProperties(const QString& name)
{
    selected_ = indexes_->Item(Variant(name)).as<Collection>();
    chkIndexKey->setChecked(schema::FlagOf(selected_.get(), QStringLiteral("IsPrimaryKey")));
    chkIndexUnique->setChecked(schema::FlagOf(selected_.get(), QStringLiteral("IsUnique")));
    chkIgnoreNulls->setChecked(schema::FlagOf(selected_.get(), QStringLiteral("IsNullable")));
    const CollectionPtr fields = schema::SubCollection(selected_.get(), QStringLiteral("IndexFields"));
    setupGrid(*fgrIndexFields, fields ? fields->Count() : 0);
    if (fields)
        for (int i = 1; i <= fields->Count(); ++i)
            fgrIndexFields->setTextMatrix(i, 1, fields->Item(Variant(i)).toString());
}

void frmIndexes::selectRow(int row)
{
    if (row >= 1 && row < fgrIndexes->Rows()) {
        fgrIndexes->setRow(row);
        fgrIndexes->setCol(1);
        ShowIndexProperties(fgrIndexes->TextMatrix(row, 0));
    }
}

void frmIndexes::BttEliminar_MouseUp()
{
    handle("BttEliminar_MouseUp", [this] {
        if (!selected_) {
            ask(QStringLiteral("No se ha seleccionado ningún índice para eliminar"), 64, kTitle);
            return;
        }
        if (ask(QStringLiteral("Esta acción eliminará el índice seleccionado.\r\n\r\n¿Desea continuar?"), 36, kTitle) != 6)
            return;
        const QString name = schema::TextOf(selected_.get(), QStringLiteral("IndexName"));
        const bool key = schema::FlagOf(selected_.get(), QStringLiteral("IsPrimaryKey"));
        bool removed = false;
        QString reason;
        // A refusal is told with the engine's reason; the list then shows what the database holds.
        trap([&] { removed = Zolt->RemoveIndex(tableName(), name, key).toBool(); },
             [&](const Error& e) { reason = e.description; });
        if (!removed)
            ask(schema::WithReason(QStringLiteral("No se ha podido eliminar el índice ") + BraceBlock(1, name) +
                                       QLatin1Char('.'),
                                   reason),
                64, kTitle);
        readIndexes();
        fillIndexesGrid();
        selectRow(1);
    });
}

bool frmIndexes::addIndex(const QString& name, bool key, bool unique, bool nulls, const CollectionPtr& fields,
                          QString& reason)
{
    bool added = false;
    trap([&] { added = Zolt->AddNewIndex(tableName(), name, key, unique, nulls, joined(fields)); },
         [&](const Error& e) { reason = e.description; });
    return added;
}

void frmIndexes::runIndexDialog(frmIndex& dialog, const QString& mode, const CollectionPtr& fields, const QString& name,
                                bool key, bool unique, bool nulls)
{
    handOver(dialog);
    dialog.setIndexFields(fields);
    dialog.setCurrentTable(currentTable_);
    dialog.setCurrentIndexes(indexes_);
    dialog.setEditionMode(mode);
    dialog.setIndexName(name);
    dialog.setIsKey(key);
    dialog.setIsUnique(unique);
    dialog.setIgnoreNulls(nulls);
    controls::runModal(dialog, this);
}

void frmIndexes::reloadAndSelect(const QString& name)
{
    readIndexes();
    fillIndexesGrid();
    for (int r = 1; r < fgrIndexes->Rows(); ++r)
        if (fgrIndexes->TextMatrix(r, 1) == name) {
            selectRow(r);
            break;
        }
}

void frmIndexes::BttNuevo_MouseUp()
{
    handle("BttNuevo_MouseUp", [this] {
        frmIndex dialog(this);
        runIndexDialog(dialog, QStringLiteral("A"), newCollection(), QString(), false, false, false);
        if (dialog.Cancelled()) {
            ask(QStringLiteral("No se han recibido datos.\r\n\r\nSe cancela la creación del nuevo índice."), 64, kTitle);
            return;
        }
        const QString name = dialog.IndexName();
        QString reason;
        if (!addIndex(name, dialog.IsKey(), dialog.IsUnique(), dialog.IgnoreNulls(), dialog.IndexFields(), reason))
            ask(schema::WithReason(QStringLiteral("No se ha podido crear el índice ") + BraceBlock(1, name) +
                                       QLatin1Char('.'),
                                   reason),
                64, kTitle);
        reloadAndSelect(name);
    });
}

void frmIndexes::BttModificar_MouseUp()
{
    handle("BttModificar_MouseUp", [this] {
        if (!selected_) {
            ask(QStringLiteral("No se ha seleccionado ningún índice para editar"), 64, kTitle);
            return;
        }
        const CollectionPtr old = selected_;
        const QString name = schema::TextOf(old.get(), QStringLiteral("IndexName"));
        const bool key = schema::FlagOf(old.get(), QStringLiteral("IsPrimaryKey"));
        const bool unique = schema::FlagOf(old.get(), QStringLiteral("IsUnique"));
        const bool nulls = schema::FlagOf(old.get(), QStringLiteral("IsNullable"));
        const CollectionPtr oldFields = schema::SubCollection(old.get(), QStringLiteral("IndexFields"));

        frmIndex dialog(this);
        runIndexDialog(dialog, QStringLiteral("M"), oldFields, name, key, unique, nulls);
        if (dialog.Cancelled()) {
            ask(QStringLiteral("No se han recibido datos.\r\n\r\nSe cancela la modificación del índice."), 64, kTitle);
            return;
        }
        const QString newName = dialog.IndexName();
        QString reason;
        if (!addIndex(newName, dialog.IsKey(), dialog.IsUnique(), dialog.IgnoreNulls(), dialog.IndexFields(), reason)) {
            readIndexes();
            // The reason told is the one the change itself met.
            QString restoreReason;
            if (indexes_->Exists(name)) {
                ask(schema::WithReason(QStringLiteral("No se ha podido crear el índice ") + BraceBlock(1, newName) +
                                           QLatin1Char('.'),
                                       reason),
                    64, kTitle);
            } else if (addIndex(name, key, unique, nulls, oldFields, restoreReason)) {
                ask(schema::WithReason(QStringLiteral("No se ha podido modificar el índice ") + BraceBlock(1, name) +
                                           QStringLiteral(". Se ha restaurado su definición anterior."),
                                       reason),
                    64, kTitle);
            } else {
                ask(schema::WithReason(QStringLiteral("No se ha podido modificar el índice ") + BraceBlock(1, name) +
                                           QStringLiteral(" ni restaurar su definición anterior."),
                                       reason),
                    64, kTitle);
            }
        }
        reloadAndSelect(newName);
    });
}

void frmIndexes::BttSalir_MouseUp()
{
    handle("BttSalir_MouseUp", [this] { done(0); });
}
