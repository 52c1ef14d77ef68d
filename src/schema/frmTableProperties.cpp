#include "schema/frmTableProperties.h"

#include "core/CollectionHelpers.h"
#include "core/Screen.h"
#include "controls/ModalRunner.h"
#include "schema/SchemaPictures.h"
#include "schema/SchemaRules.h"
#include "schema/frmIndexes.h"
#include "schema/frmNewField.h"

#include <QCoreApplication>
#include <tuple>

namespace {

const QString kTitle = QStringLiteral("Estructura de Tabla");
const QString kMarker = QStringLiteral("#TableName#");
const QString kChecked = QStringLiteral("Checked");
const QString kUnchecked = QStringLiteral("Unchecked");
const QString kFiveBlanks = QStringLiteral("     ");

// Resets a flag on every path out of a block.
struct FlagOn {
    explicit FlagOn(bool& f) : flag(f) { flag = true; }
    ~FlagOn() { flag = false; }
    bool& flag;
};

} // namespace

frmTableProperties::frmTableProperties(QWidget* parent) : SchemaDialog(parent)
{
    using namespace schema;
    setObjectName(QStringLiteral("frmTableProperties"));
    setWindowTitle(kTitle + QLatin1Char(' ') + BraceBlock(1, kMarker));
    constexpr double width = 8700;

    BttAceptar = button(this, "BttAceptar", QStringLiteral("Aceptar"));
    BttAñadir = button(this, "BttAñadir", QStringLiteral("Añadir"));
    BttEliminar = button(this, "BttEliminar", QStringLiteral("Quitar"));
    BttKey = button(this, "BttKey", QStringLiteral("Clave"));
    BttIndexes = button(this, "BttIndexes", QStringLiteral("Indices"));
    BttSalir = button(this, "BttSalir", QStringLiteral("Salir"));
    buttonRow(this, {BttAceptar, BttAñadir, BttEliminar, BttKey, BttIndexes}, BttSalir, width);

    Label8 = label(this, "Label8", QStringLiteral("Nombre de la Tabla"));
    txtTableName = textBox(this, "txtTableName");
    place(Label8, 150, 780, 1900, 315);
    place(txtTableName, 2100, 750, 3000, 315);

    fgrFields = grid(this, "fgrFields", QStringLiteral("|||<Lista de Campos"));
    fgrFields->setScrollBars(2); // vertical bar only
    place(fgrFields, 150, 1250, 3600, 5000);

    frProperties = new QGroupBox(QStringLiteral("Propiedades Campo Seleccionado"), this);
    frProperties->setObjectName(QStringLiteral("frProperties"));
    frProperties->setEnabled(false);
    place(frProperties, 3900, 1190, width - 4050, 5060);
    QWidget* f = frProperties;
    Label1 = label(f, "Label1", QStringLiteral("Nombre Campo"));
    txtFieldName = textBox(f, "txtFieldName");
    Label2 = label(f, "Label2", QStringLiteral("Tipo de Dato"));
    cboFieldDataType = control<QComboBox>(f, "cboFieldDataType");
    cboFieldDataType->addItems(FieldTypeItems());
    cboFieldDataType->setEnabled(false);
    Label3 = label(f, "Label3", QStringLiteral("Longitud"));
    txtFieldLenght = textBox(f, "txtFieldLenght", true);
    txtFieldLenght->setLocked(true);
    txtFieldLenght->setEnabled(false);
    Label4 = label(f, "Label4", QStringLiteral("Posición"));
    txtFieldPosition = textBox(f, "txtFieldPosition", true);
    chkFixedLenght = check(f, "chkFixedLenght", QStringLiteral("Longitud Fija"));
    chkFixedLenght->setEnabled(false);
    chkAutoIncreased = check(f, "chkAutoIncreased", QStringLiteral("Autoincremental"));
    chkAutoIncreased->setEnabled(false);
    chkNullAllowed = check(f, "chkNullAllowed", QStringLiteral("Admite Nulos"));
    chkAllowZeroLenght = check(f, "chkAllowZeroLenght", QStringLiteral("Admite Vacío"));
    lblValidationText = label(f, "lblValidationText", QStringLiteral("Texto Validación"));
    txtValidationText = textBox(f, "txtValidationText");
    txtValidationText->setEnabled(false);
    lblValidationRule = label(f, "lblValidationRule", QStringLiteral("Regla Validación"));
    txtValidationRule = textBox(f, "txtValidationRule");
    txtValidationRule->setEnabled(false);
    lblDefaultValue = label(f, "lblDefaultValue", QStringLiteral("Valor por defecto"));
    txtDefaultValue = textBox(f, "txtDefaultValue");
    txtDefaultValue->setEnabled(false);

    // The properties frame in twips: each label at the left, its box 30 twips higher beside it.
    const double lx = 150, bx = 1750, bw = width - 4050 - bx - 150;
    const std::tuple<QWidget*, double, double, double> boxes[] = {
        {Label1, lx, 420, 1550},            {txtFieldName, bx, 390, bw},
        {Label2, lx, 870, 1550},            {cboFieldDataType, bx, 840, 2200},
        {Label3, lx, 1320, 1550},           {txtFieldLenght, bx, 1290, 900},
        {Label4, lx, 1770, 1550},           {txtFieldPosition, bx, 1740, 900},
        {chkFixedLenght, lx, 2220, 2200},   {chkAutoIncreased, 2450, 2220, 2200},
        {chkNullAllowed, lx, 2620, 2200},   {chkAllowZeroLenght, 2450, 2620, 2200},
        {lblValidationText, lx, 3170, 1550}, {txtValidationText, bx, 3140, bw},
        {lblValidationRule, lx, 3620, 1550}, {txtValidationRule, bx, 3590, bw},
        {lblDefaultValue, lx, 4070, 1550},  {txtDefaultValue, bx, 4040, bw}};
    for (const auto& [w, left, top, boxWidth] : boxes)
        place(w, left, top, boxWidth, 315);
    setFixedSize(Screen::pixelsFromTwips(width), Screen::pixelsFromTwips(6450));
    wire();
}

void frmTableProperties::wire()
{
    connect(BttAceptar, &QPushButton::clicked, this, [this] { BttAceptar_MouseUp(); });
    connect(BttAñadir, &QPushButton::clicked, this, [this] { BttAñadir_MouseUp(); });
    connect(BttEliminar, &QPushButton::clicked, this, [this] { BttEliminar_MouseUp(); });
    connect(BttKey, &QPushButton::clicked, this, [this] { BttKey_MouseUp(); });
    connect(BttIndexes, &QPushButton::clicked, this, [this] { BttIndexes_MouseUp(); });
    connect(BttSalir, &QPushButton::clicked, this, [this] { BttSalir_MouseUp(); });
    connect(fgrFields, &MaxGrid::EnterCell, this, [this] {
        handle("fgrFields_EnterCell", [this] {
            if (loading_ || fgrFields->Row() < 1)
                return;
            controls::RedrawGuard off(*fgrFields);
            fgrFields->setCol(3);
            fgrFields->setColSel(3);
            showFieldProperties(fgrFields->TextMatrix(fgrFields->Row(), 1));
        });
    });
    connect(fgrFields, &MaxGrid::MouseDown, this, [this](int&, int&, float&, float&) {
        handle("fgrFields_MouseDown", [this] {
            // A press on the check column of a data row.
            if (fgrFields->MouseCol() == 2 && fgrFields->MouseRow() >= 1)
                toggleMark(fgrFields->MouseRow());
        });
    });
    connect(txtFieldName, &MaxText::Change, this, [this] {
        handle("txtFieldName_Change", [&] {
            const QString text = txtFieldName->Text();
            if (!current_)
                return;
            current_->setNewFieldName(text);
            if (fgrFields->Row() >= 1)
                fgrFields->setTextMatrix(fgrFields->Row(), 3, shownName(text));
        });
    });
    connect(txtFieldPosition, &MaxText::Change, this,
            [this] { handle("txtFieldPosition_Change", [this] { positionChanged(); }); });
    connect(txtValidationText, &MaxText::Change, this, [this] {
        handle("txtValidationText_Change", [&] {
            if (current_)
                current_->setValidationText(txtValidationText->Text());
        });
    });
    connect(txtValidationRule, &MaxText::Change, this, [this] {
        handle("txtValidationRule_Change", [&] {
            if (current_)
                current_->setValidationRule(txtValidationRule->Text());
        });
    });
    connect(txtDefaultValue, &MaxText::Change, this, [this] {
        handle("txtDefaultValue_Change", [&] {
            if (current_)
                current_->setDefaultValue(txtDefaultValue->Text());
        });
    });
    connect(chkNullAllowed, &QCheckBox::toggled, this, [this](bool on) {
        handle("chkNullAllowed_Click", [&] {
            if (current_)
                current_->setNewAllowNull(on);
            evaluateZeroLength();
        });
    });
    connect(cboFieldDataType, &QComboBox::currentIndexChanged, this,
            [this] { handle("cboFieldDataType_Click", [this] { evaluateZeroLength(); }); });
}

void frmTableProperties::Form_Load()
{
    handle("Form_Load", [this] {
        if (!Zolt)
            ::raise(Error::ObjectVariableNotSet, QStringLiteral("Variable de objeto o de bloque With no establecida"));
        // This window's own connection, not what another page left in the shared object.
        Zolt->StartObject(Connection.server, Connection.database, Connection.user, Connection.password);
        QString caption = windowTitle();
        if (!currentTable_) {
            const QString word = MSG ? MSG->Translate(QStringLiteral("Nueva"), true, objectName()) : QStringLiteral("Nueva");
            caption.replace(kMarker, QStringLiteral("(") + word + QLatin1Char(')'));
            txtTableName->setProperty("Tag", QStringLiteral("New"));
        } else {
            const QString name = schema::TextOf(currentTable_.get(), QStringLiteral("Name"));
            caption.replace(kMarker, name);
            txtTableName->setText(name);
            txtTableName->setProperty("Tag", name);
        }
        setWindowTitle(caption);
        BttIndexes->setVisible(currentTable_ != nullptr);

        const int type = Zolt->ConnectionType();
        const QList<QWidget*> engineRows{chkAllowZeroLenght, lblValidationText, txtValidationText, lblValidationRule,
                                         txtValidationRule, lblDefaultValue, txtDefaultValue};
        if (type == 0) {
            for (QWidget* w : engineRows)
                w->setVisible(true);
            txtValidationText->setEnabled(false);
            txtValidationRule->setEnabled(true);
            txtDefaultValue->setEnabled(true);
        } else if (type >= 1 && type <= 3) {
            for (QWidget* w : engineRows)
                w->setVisible(false);
        }
        loadTableStructure();
        fillFieldsGrid();
        if (MSG)
            MSG->TransMe(this);
    });
}

bool frmTableProperties::Form_KeyPress(int keyAscii)
{
    handle("Form_KeyPress", [&] {
        if (keyAscii == 27)
            done(0);
    });
    // Enter and the other keys are the controls' own.
    return keyAscii == 27;
}

void frmTableProperties::loadTableStructure()
{
    fields_ = newCollection();
    if (editionMode_ != QLatin1String("M"))
        return;
    const QString table = schema::TextOf(currentTable_.get(), QStringLiteral("Name"));
    Zolt->StartObject(Connection.server, Connection.database, Connection.user, Connection.password);
    const auto structure = Zolt->EstructuraTabla(QStringLiteral("Ejercicio"), table).as<Collection>();
    const CollectionPtr items = schema::SubCollection(currentTable_.get(), QStringLiteral("Fields"));
    hasKeyNames_ = ExisteClaveColeccion(Variant(currentTable_), QStringLiteral("Key"));
    keyNames_.clear();
    if (hasKeyNames_)
        if (const CollectionPtr key = schema::SubCollection(currentTable_.get(), QStringLiteral("Key")))
            for (const Variant& v : *key)
                keyNames_ << v.toString();

    int i = 0;
    if (structure)
        for (const Variant& entry : *structure) {
            ++i;
            const VArrayPtr a = entry.array();
            const QString qualified = a->at(0).toString();
            auto f = std::make_shared<clsField>();
            f->setFieldName(QString(qualified).remove(table + QLatin1Char('.')));
            f->setDataType(a->at(2).toInt());
            f->setLenght(a->at(3).isNull() ? 0 : a->at(3).toLong());
            const CollectionPtr item =
                items && items->Exists(f->FieldName()) ? items->Item(Variant(f->FieldName())).as<Collection>() : nullptr;
            f->setFixedLenght(schema::FlagOf(item.get(), QStringLiteral("FixedLenght")));
            f->setAutoIncrease(schema::FlagOf(item.get(), QStringLiteral("AutoIncrease")));
            f->setAllowNull(schema::FlagOf(item.get(), QStringLiteral("Nullable")));
            f->setAllowZeroLenght(schema::FlagOf(item.get(), QStringLiteral("AllowZeroLenght")));
            f->setValidationText(schema::TextOf(item.get(), QStringLiteral("ValidationText")));
            f->setValidationRule(schema::TextOf(item.get(), QStringLiteral("ValidationRule")));
            f->setDefaultValue(schema::TextOf(item.get(), QStringLiteral("DefaultValue")));
            f->setOrdinalPosition(i);
            f->setIsKey(keyNames_.contains(f->FieldName()));
            f->setKeyCode(qualified);
            fields_->Add(Variant(f), qualified);
        }
    QString s = Connection.server, d = Connection.database, u = Connection.user, p = Connection.password, t = table;
    savedIndexes_ = schema::orEmpty(Zolt->TableIndexes(s, d, u, p, t));
}

QString frmTableProperties::shownName(const QString& name) const { return hasKeyNames_ ? kFiveBlanks + name : name; }

void frmTableProperties::fillFieldsGrid()
{
    FlagOn loading(loading_);
    const int n = fields_->Count();
    {
        controls::RedrawGuard off(*fgrFields);
        fgrFields->setCols(4);
        fgrFields->setRows(1);
        fgrFields->setColWidth(0, 0);
        fgrFields->setColWidth(1, 0);
        fgrFields->setColWidth(2, 300);
        if (n > 0)
            fgrFields->setRows(n + 1); // the width leaves room for the bar these rows need
        fgrFields->setColWidth(3, schema::innerWidth(*fgrFields) - 300);
        schema::setPicture(*fgrFields, 0, 2, schema::pictures::blackKey(), schema::PictureCentred);
        if (n == 0) {
            fgrFields->setCol(0);
            fgrFields->setColSel(0);
        } else {
            fgrFields->setTopRow(1);
        }
    }
    {
        controls::RedrawGuard off(*fgrFields);
        const QPixmap key = schema::pictures::key();
        for (int i = 1; i <= n; ++i) {
            const clsFieldPtr f = schema::FieldAt(*fields_, i);
            fgrFields->setTextMatrix(i, 0, kUnchecked);
            fgrFields->setTextMatrix(i, 1, f->KeyCode());
            fgrFields->setTextMatrix(i, 2, QString());
            fgrFields->setTextMatrix(i, 3, shownName(f->NewFieldName()));
            if (f->IsKey())
                schema::setPicture(*fgrFields, i, 3, key, schema::PictureLeft);
        }
        if (n > 0) {
            // Every check box in one fill over the column.
            fgrFields->setRow(1);
            fgrFields->setCol(2);
            fgrFields->setRowSel(n);
            fgrFields->setColSel(2);
            fgrFields->setFillStyle(1);
            fgrFields->setCellPictureAlignment(schema::PictureCentred);
            fgrFields->setCellPicture(schema::pictures::unchecked());
            fgrFields->setFillStyle(0);
            fgrFields->setRowSel(1);
            fgrFields->setCol(3);
            fgrFields->setColSel(3);
            showFieldProperties(fgrFields->TextMatrix(1, 1));
        }
    }
    refreshCheckActions();
}

void frmTableProperties::showFieldProperties(const QString& keyCode)
{
    FlagOn showing(showing_);
    current_ = fields_->Item(Variant(keyCode)).as<clsField>();
    const clsFieldPtr f = current_;
    txtFieldName->setText(f->NewFieldName());
    cboFieldDataType->setCurrentIndex(schema::FieldTypeIndex(f->DataType()));
    txtFieldLenght->setText(QString::number(f->Lenght()));
    chkFixedLenght->setChecked(f->FixedLenght());
    chkAutoIncreased->setChecked(f->AutoIncrease());
    chkNullAllowed->setChecked(f->NewAllowNull());
    chkAllowZeroLenght->setChecked(f->NewAllowZeroLenght());
    txtFieldPosition->setText(QString::number(f->OrdinalPosition()));
    txtValidationText->setText(f->ValidationText());
    txtValidationRule->setText(f->ValidationRule());
    txtDefaultValue->setText(f->DefaultValue());
    frProperties->setEnabled(true);
}

std::vector<bool> frmTableProperties::marks() const
{
    std::vector<bool> out;
    for (int r = 1; r < fgrFields->Rows(); ++r)
        out.push_back(fgrFields->TextMatrix(r, 0) == kChecked);
    return out;
}

void frmTableProperties::refreshCheckActions()
{
    const std::vector<bool> m = marks();
    const bool any = std::find(m.begin(), m.end(), true) != m.end();
    BttEliminar->setVisible(any);
    BttKey->setIcon(any ? schema::pictures::goldKey() : schema::pictures::noKey());
    keyQuestion_ = (any ? QStringLiteral("Esta acción establecerá la clave con los campos seleccionados.")
                        : QStringLiteral("Esta acción eliminará cualquier clave existente.")) +
                   QStringLiteral("\r\n\r\n¿Desea seguir adelante con esta acción?");
}

void frmTableProperties::toggleMark(int row)
{
    {
        FlagOn loading(loading_);
        controls::RedrawGuard off(*fgrFields);
        const bool mark = fgrFields->TextMatrix(row, 0) == kUnchecked;
        fgrFields->setTextMatrix(row, 0, mark ? kChecked : kUnchecked);
        schema::setPicture(*fgrFields, row, 2, mark ? schema::pictures::checked() : schema::pictures::unchecked(),
                           schema::PictureCentred);
        fgrFields->setCol(3);
        fgrFields->setColSel(3);
        showFieldProperties(fgrFields->TextMatrix(row, 1));
    }
    refreshCheckActions();
}

void frmTableProperties::evaluateZeroLength()
{
    const schema::ZeroLengthState z = schema::ZeroLengthRule(cboFieldDataType->currentIndex(), Zolt && Zolt->IsSQLServer(),
                                                             chkNullAllowed->isChecked(), chkAllowZeroLenght->isChecked());
    chkAllowZeroLenght->setEnabled(z.enabled);
    chkAllowZeroLenght->setChecked(z.value);
    if (z.setsField && current_)
        current_->setAllowZeroLenght(z.value);
}

void frmTableProperties::positionChanged()
{
    const QString text = txtFieldPosition->Text();
    if (!text.isEmpty()) {
        txtFieldPosition->setProperty("Tag", text);
    } else {
        txtFieldPosition->setText(txtFieldPosition->property("Tag").toString());
        return;
    }
    if (showing_ || !current_)
        return;
    const int p = schema::PositionFromNumber(clsTablas::Blank2Zero(text));
    const bool moved = schema::MoveField(*fields_, current_->KeyCode(), p);
    fillFieldsGrid();
    if (moved) {
        FlagOn showing(showing_);
        fgrFields->setRow(std::min(p, fgrFields->Rows() - 1));
        fgrFields->setCol(3);
        fgrFields->setColSel(3);
    }
}

void frmTableProperties::BttAñadir_MouseUp()
{
    handle("BttAñadir_MouseUp", [this] {
        if (!SCR->EvitarBlancos(txtTableName, QString(), QStringLiteral("Para añadir nuevos campos el nombre de la tabla")))
            return;
        frmNewField dialog(this);
        handOver(dialog);
        dialog.setEditionMode(QStringLiteral("A"));
        dialog.setPreviousFieldsCount(std::int16_t(fields_->Count()));
        dialog.setFieldPosition(std::int16_t(fields_->Count() + 1));
        const int type = Zolt->ConnectionType();
        if (type >= 1 && type <= 3)
            dialog.showEngineRows(false, 4230);
        else if (type == 0)
            dialog.showEngineRows(true, 6630);
        controls::runModal(dialog, this);
        if (dialog.Cancelled()) {
            ask(QStringLiteral("No se han recibido datos.\r\n\r\nSe anula la creación del nuevo campo."), 64, kTitle);
            return;
        }
        auto f = std::make_shared<clsField>();
        f->setFieldName(dialog.FieldName());
        f->setDataType(dialog.DataType());
        f->setLenght(dialog.FieldLenght());
        f->setFixedLenght(dialog.FixedLenght());
        f->setAutoIncrease(dialog.AutoIncrease());
        f->setAllowNull(dialog.AllowNull());
        f->setAllowZeroLenght(dialog.AllowZeroLenght());
        f->setOrdinalPosition(schema::PositionFromNumber(dialog.FieldPosition()));
        f->setValidationText(dialog.ValidationText());
        f->setValidationRule(dialog.ValidationRule());
        f->setDefaultValue(dialog.DefaultValue());
        f->setIsKey(false);
        f->setKeyCode(txtTableName->property("Tag").toString() + QLatin1Char('.') + f->FieldName());
        if (fields_->Exists(f->KeyCode())) {
            ask(QStringLiteral("Ya existe un campo con ese nombre. Si desea crear uno nuevo debe eliminar previamente el "
                               "existente y guardar los cambios.\r\n\r\nSe anula la creación del nuevo campo."),
                64, kTitle);
            return;
        }
        schema::PlaceField(*fields_, f, f->OrdinalPosition());
        BttIndexes->setVisible(false);
        fillFieldsGrid();
    });
}

void frmTableProperties::BttEliminar_MouseUp()
{
    handle("BttEliminar_MouseUp", [this] {
        const std::vector<bool> m = marks();
        QStringList names, keyCodes;
        for (std::size_t i = 0; i < m.size(); ++i)
            if (m[i]) {
                names << fgrFields->TextMatrix(int(i) + 1, 3);
                keyCodes << fgrFields->TextMatrix(int(i) + 1, 1);
            }
        const QString refusal = schema::IndexGuardMessage(savedIndexes_.get(), names);
        if (!refusal.isEmpty()) {
            ask(refusal, 64, kTitle);
            return;
        }
        if (ask(QStringLiteral("Este método elimina los campos seleccionados. Los valores almacenados en los mismos se "
                               "perderán.\r\n\r\n¿Desea seguir adelante con la operación?"),
                36, kTitle) != 6)
            return;
        for (const QString& k : keyCodes)
            fields_->Remove(Variant(k));
        schema::RenumberFields(*fields_);
        fillFieldsGrid();
    });
}

void frmTableProperties::BttKey_MouseUp()
{
    handle("BttKey_MouseUp", [this] {
        if (ask(keyQuestion_, 36, kTitle) != 6)
            return;
        QStringList rowNames;
        for (int r = 1; r < fgrFields->Rows(); ++r)
            rowNames << fgrFields->TextMatrix(r, 3);
        keyNames_ = schema::KeyFromMarks(*fields_, marks(), rowNames);
        hasKeyNames_ = !keyNames_.isEmpty();
        fillFieldsGrid();
        BttIndexes->setVisible(false);
    });
}

void frmTableProperties::BttIndexes_MouseUp()
{
    handle("BttIndexes_MouseUp", [this] {
        frmIndexes window(this);
        handOver(window);
        window.Connection = Connection;
        window.setCurrentTable(currentTable_);
        controls::runModal(window, this);
        QString s = Connection.server, d = Connection.database, u = Connection.user, p = Connection.password, t = schema::TextOf(currentTable_.get(), QStringLiteral("Name"));
        savedIndexes_ = schema::orEmpty(Zolt->TableIndexes(s, d, u, p, t));
    });
}

void frmTableProperties::BttAceptar_MouseUp()
{
    handle("BttAceptar_MouseUp", [this] { save(); });
}

void frmTableProperties::save()
{
    if (!SCR->EvitarBlancos(txtTableName, QString(), QStringLiteral("El nombre de la tabla")))
        return;
    if (!fields_ || fields_->Count() == 0) {
        ask(QStringLiteral("Para crear una tabla debe tener definido algún campo."), 64, kTitle);
        return;
    }
    // A rebuild drops the table before its CREATE runs: what would fail there is refused before anything is sent.
    const QString refusal = schema::SaveRefusal(*fields_, Zolt->ConnectionType());
    if (!refusal.isEmpty()) {
        ask(refusal, 64, kTitle);
        return;
    }
    const QString table = txtTableName->Text();
    {
        controls::WaitCursor wait;
        if (editionMode_ == QLatin1String("A")) {
            const QString result = Zolt->CreateTable(table, fields_);
            QCoreApplication::processEvents();
            if (!result.isEmpty()) {
                ask(result, 64, kTitle);
                return;
            }
        } else {
            // One change, one transaction: the rebuilt table and the indexes put back
            // commit together, so an index that cannot be made again (or a kill
            // halfway) leaves the table as it was. Pending events wait for the end:
            // a click must not run its statements inside it.
            Zolt->OpenTransaction();
            if (!Zolt->TransactionOpen())
                return; // the data-access object has said why
            QString failure;
            schema::IndexReAddPlan plan;
            try {
                failure = Zolt->ModifyTable(txtTableName->property("Tag").toString(), table, fields_);
                plan = schema::PlanIndexReAdd(savedIndexes_.get(), *fields_);
                for (std::size_t i = 0; failure.isEmpty() && i < plan.restore.size(); ++i) {
                    const schema::IndexRestore& ix = plan.restore[i];
                    bool added = false;
                    QString reason;
                    trap([&] { added = Zolt->AddNewIndex(table, ix.name, false, ix.unique, ix.ignoreNulls, ix.fields); },
                         [&](const Error& e) { reason = e.description; });
                    if (!added)
                        failure = schema::WithReason(schema::IndexNotRestoredMessage(table, ix.name), reason);
                }
            } catch (...) {
                Zolt->UnDoTransaction();
                throw;
            }
            if (failure.isEmpty())
                Zolt->CloseTransaction();
            const bool saved = failure.isEmpty() && !Zolt->TransactionOpen();
            if (!saved)
                Zolt->UnDoTransaction(); // a failed commit has been reported already
            QCoreApplication::processEvents();
            if (!failure.isEmpty())
                ask(failure, 64, kTitle);
            if (!saved)
                return;
            if (!plan.lost.isEmpty())
                ask(schema::IndexesNotRestoredMessage(table, plan.lost), 64, kTitle);
            if (SCR)
                SCR->InicializarTablas();
        }
    }
    QCoreApplication::processEvents();
    done(1);
}

void frmTableProperties::BttSalir_MouseUp()
{
    handle("BttSalir_MouseUp", [this] { done(0); });
}
