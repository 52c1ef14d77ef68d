#include "schema/frmIndex.h"

#include "core/Screen.h"
#include "schema/SchemaPictures.h"
#include "schema/SchemaRules.h"

namespace {

const QString kMarker = QStringLiteral("#IndexName#");

} // namespace

frmIndex::frmIndex(QWidget* parent) : SchemaDialog(parent)
{
    using namespace schema;
    setObjectName(QStringLiteral("frmIndex"));
    setWindowTitle(QStringLiteral("Indice ") + BraceBlock(1, kMarker));
    constexpr double width = 6600;

    BttAceptar = button(this, "BttAceptar", QStringLiteral("Aceptar"));
    BttSalir = button(this, "BttSalir", QStringLiteral("Salir"));
    buttonRow(this, {BttAceptar}, BttSalir, width);

    Label1 = label(this, "Label1", QStringLiteral("Nombre"));
    txtIndexName = textBox(this, "txtIndexName");
    chkIndexKey = check(this, "chkIndexKey", QStringLiteral("Clave Principal"));
    chkIndexUnique = check(this, "chkIndexUnique", QStringLiteral("Único"));
    chkIgnoreNulls = check(this, "chkIgnoreNulls", QStringLiteral("Ignora Nulos"));
    place(Label1, 150, 780, 900, 315);
    place(txtIndexName, 1100, 750, width - 1250, 315);
    place(chkIndexKey, 150, 1200, 2100, 315);
    place(chkIndexUnique, 2350, 1200, 1900, 315);
    place(chkIgnoreNulls, 4350, 1200, 2100, 315);

    fgrAvailableFields = grid(this, "fgrAvailableFields", QStringLiteral("|<Campos Disponibles"));
    fgrIndexFields = grid(this, "fgrIndexFields", QStringLiteral("|<Campos Indexados"));
    BttAddField = button(this, "BttAddField", QStringLiteral("Agregar"));
    BttRemoveField = button(this, "BttRemoveField", QStringLiteral("Quitar"));
    place(fgrAvailableFields, 150, 1650, 2450, 3000);
    place(BttAddField, 2700, 2500, 1200, 400);
    place(BttRemoveField, 2700, 3100, 1200, 400);
    place(fgrIndexFields, 4000, 1650, 2450, 3000);
    BttAddField->setIcon(pictures::arrowRight(false));
    BttRemoveField->setIcon(pictures::arrowLeft(true));
    BttRemoveField->setEnabled(false);
    for (MaxGrid* g : {fgrAvailableFields, fgrIndexFields})
        g->setScrollBars(2);
    setFixedSize(Screen::pixelsFromTwips(width), Screen::pixelsFromTwips(4800));

    connect(BttAceptar, &QPushButton::clicked, this, [this] { BttAceptar_MouseUp(); });
    connect(BttSalir, &QPushButton::clicked, this, [this] { BttSalir_MouseUp(); });
    connect(BttAddField, &QPushButton::clicked, this, [this] { BttAddField_MouseUp(); });
    connect(BttRemoveField, &QPushButton::clicked, this, [this] { BttRemoveField_MouseUp(); });
    connect(fgrAvailableFields, &MaxGrid::DblClick, this, [this] {
        handle("fgrAvailableFields_DblClick", [this] {
            if (fgrAvailableFields->Row() >= 1)
                addField();
        });
    });
    connect(fgrIndexFields, &MaxGrid::DblClick, this, [this] {
        handle("fgrIndexFields_DblClick", [this] {
            if (fgrIndexFields->Row() >= 1)
                removeField();
        });
    });
    connect(fgrAvailableFields, &MaxGrid::GotFocus, this,
            [this] { handle("fgrAvailableFields_GotFocus", [this] { focusAvailable(true); }); });
    connect(fgrIndexFields, &MaxGrid::GotFocus, this,
            [this] { handle("fgrIndexFields_GotFocus", [this] { focusAvailable(false); }); });
}

void frmIndex::setIndexFields(const CollectionPtr& fields)
{
    indexFields_ = nullptr;
    if (!fields)
        return;
    indexFields_ = newCollection();
    for (int i = 1; i <= fields->Count(); ++i)
        indexFields_->Add(fields->Item(Variant(i)), fields->KeyAt(i));
}

void frmIndex::Form_Load()
{
    handle("Form_Load", [this] {
        FillAvailableFields();
        fillIndexFields();
        if (Zolt) {
            if (Zolt->IsAccess())
                chkIgnoreNulls->setEnabled(false);
            else if (Zolt->IsSQLServer())
                chkIgnoreNulls->setEnabled(true);
        }
        if (MSG)
            MSG->TransMe(this);
    });
}

bool frmIndex::Form_KeyPress(int keyAscii)
{
    handle("Form_KeyPress", [&] {
        if (keyAscii == 27) {
            cancelled_ = true;
            hide();
        } else if (keyAscii == 13) {
            accept_();
        }
    });
    // Every other key reaches the control it was typed in.
    return keyAscii == 27 || keyAscii == 13;
}

bool frmIndex::tableHasKey() const
{
    const CollectionPtr key = schema::SubCollection(currentTable_.get(), QStringLiteral("Key"));
    if (key && key->Count() > 0)
        return true;
    if (currentIndexes_)
        for (const Variant& v : *currentIndexes_)
            if (schema::FlagOf(v.as<Collection>().get(), QStringLiteral("IsPrimaryKey")))
                return true;
    return false;
}

void frmIndex::setEditionMode(const QString& mode)
{
    ensureLoaded();
    editionMode_ = mode;
    if (mode == QLatin1String("A")) {
        txtIndexName->setLocked(false);
        txtIndexName->setEnabled(true);
        chkIndexKey->setEnabled(true);
        chkIndexUnique->setEnabled(true);
        chkIndexKey->setChecked(false);
        if (tableHasKey())
            chkIndexKey->setEnabled(false);
    } else if (mode == QLatin1String("M")) {
        txtIndexName->setLocked(true);
        txtIndexName->setEnabled(false);
        chkIndexKey->setEnabled(false);
        chkIndexUnique->setEnabled(false);
        chkIgnoreNulls->setEnabled(false);
    }
}

void frmIndex::setIndexName(const QString& name)
{
    txtIndexName->setText(name);
    QString caption = windowTitle();
    caption.replace(kMarker, name.isEmpty() ? QStringLiteral("(Nuevo)") : QStringLiteral("(") + name + QLatin1Char(')'));
    setWindowTitle(caption);
}

void frmIndex::fillList(MaxGrid& grid, const QStringList& names)
{
    controls::RedrawGuard off(grid);
    grid.setCols(2);
    grid.setRows(1);
    grid.setRows(int(names.size()) + 1);
    grid.setColWidth(0, 0);
    grid.setColWidth(1, schema::innerWidth(grid));
    for (int i = 0; i < names.size(); ++i) {
        grid.setTextMatrix(i + 1, 0, names[i]);
        grid.setTextMatrix(i + 1, 1, names[i]);
    }
    if (!names.isEmpty())
        grid.setTopRow(1);
}

void frmIndex::FillAvailableFields()
{
    const CollectionPtr fields = schema::SubCollection(currentTable_.get(), QStringLiteral("Fields"));
    fillList(*fgrAvailableFields, schema::AvailableFields(fields.get(), indexFields_.get()));
}

void frmIndex::fillIndexFields()
{
    QStringList names;
    if (indexFields_)
        for (const Variant& v : *indexFields_)
            names << v.toString();
    fillList(*fgrIndexFields, names);
}

void frmIndex::selectName(MaxGrid& grid, const QString& name)
{
    for (int r = 1; r < grid.Rows(); ++r)
        if (grid.TextMatrix(r, 1) == name) {
            grid.setRow(r);
            grid.setCol(1);
            break;
        }
    grid.SetFocus();
}

void frmIndex::addField()
{
    if (fgrAvailableFields->Row() < 1)
        return;
    const QString name = fgrAvailableFields->TextMatrix(fgrAvailableFields->Row(), 1);
    if (!indexFields_)
        indexFields_ = newCollection();
    schema::AddSorted(*indexFields_, name);
    FillAvailableFields();
    fillIndexFields();
    selectName(*fgrIndexFields, name);
    focusAvailable(false);
}

void frmIndex::removeField()
{
    if (fgrIndexFields->Row() < 1 || !indexFields_)
        return;
    const QString name = fgrIndexFields->TextMatrix(fgrIndexFields->Row(), 1);
    indexFields_->Remove(Variant(name));
    FillAvailableFields();
    fillIndexFields();
    selectName(*fgrAvailableFields, name);
    focusAvailable(true);
}

void frmIndex::focusAvailable(bool available)
{
    BttAddField->setEnabled(available);
    BttAddField->setIcon(schema::pictures::arrowRight(!available));
    BttRemoveField->setEnabled(!available);
    BttRemoveField->setIcon(schema::pictures::arrowLeft(available));
}

void frmIndex::BttAddField_MouseUp()
{
    handle("BttAddField_MouseUp", [this] { addField(); });
}

void frmIndex::BttRemoveField_MouseUp()
{
    handle("BttRemoveField_MouseUp", [this] { removeField(); });
}

void frmIndex::BttAceptar_MouseUp()
{
    handle("BttAceptar_MouseUp", [this] { accept_(); });
}

void frmIndex::accept_()
{
    if (!SCR)
        ::raise(Error::ObjectVariableNotSet, QStringLiteral("Variable de objeto o de bloque With no establecida"));
    txtIndexName->setText(txtIndexName->Text().trimmed());
    if (!SCR->EvitarBlancos(txtIndexName, QString(), QStringLiteral("El nombre del índice")))
        return;
    if (fgrIndexFields->Rows() < 2) {
        ask(QStringLiteral("Debe seleccionar al menos un campo para el índice."), 64, QStringLiteral("Indice"));
        return;
    }
    cancelled_ = false;
    hide();
}

void frmIndex::BttSalir_MouseUp()
{
    handle("BttSalir_MouseUp", [this] {
        cancelled_ = true;
        hide();
    });
}
