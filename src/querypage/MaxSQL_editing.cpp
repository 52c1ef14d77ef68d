// Record editing in the result grid: a changed cell goes into the record set
// at once, rows are coloured by their record's state, records are added (empty
// or copied, with new key values from the new-key dialog) and marked for
// deletion, and Confirm writes everything back and reloads the result.
//
// Every call that may reach the database first pushes the connection the
// result was loaded with: the data-access object is shared by all pages.
#include "querypage/MaxSQL.h"

#include "controls/ControlSupport.h"
#include "core/CollectionHelpers.h"
#include "core/Dialogs.h"
#include "core/ProgramFolder.h"
#include "core/ValueText.h"
#include "data/clsDO.h"
#include "editing/clsMultiTabla.h"
#include "messages/clsError.h"
#include "querypage/KeyFields.h"
#include "controls/PushButton.h"

#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QTimer>

#include <optional>

namespace {

const QString kTitle = QStringLiteral("Velmora 3.0");
const QString kRefusalTail = QStringLiteral("\r\n\r\nSe anula la creación del nuevo registro.");

// Row colours by edit state, &HBBGGRR.
std::uint32_t stateColor(const QString& state)
{
    if (state == QLatin1String("M"))
        return 0xFFFAE1;
    if (state == QLatin1String("A"))
        return 0xCDF0C8;
    if (state == QLatin1String("B"))
        return 0xD2D2FF;
    return MaxGrid::RowNoColor;
}

QList<int> lockedColumns(const MaxGrid& grid)
{
    QList<int> out;
    const QString list = grid.LockedColumns();
    if (!list.isEmpty())
        for (const QString& c : list.split(u','))
            out << c.toInt();
    return out;
}

// The key values of a grid row, one per key column, as an array: a "#" or "|"
// inside a value cannot split the key.
Variant rowKeyValues(const MaxGrid& grid, int row)
{
    const QList<int> columns = lockedColumns(grid);
    auto a = std::make_shared<VArray>(0, int(columns.size()) - 1);
    for (int i = 0; i < columns.size(); ++i)
        a->at(i) = Variant(grid.TextMatrix(row, columns[i]));
    return Variant(a);
}

Variant arrayOf(const QStringList& values)
{
    auto a = std::make_shared<VArray>(0, int(values.size()) - 1);
    for (int i = 0; i < values.size(); ++i)
        a->at(i) = Variant(values[i]);
    return Variant(a);
}

} // namespace

void MaxSQL::connectGrid()
{
    connect(flexi_, &MaxGrid::CellChanged, this,
            [this] { guarded("Flexi_CellChanged", [this] { Flexi_CellChanged(); }); });
    connect(flexi_, &MaxGrid::GotFocus, this, [this] { guarded("Flexi_GotFocus", [this] { Flexi_GotFocus(); }); });
    connect(flexi_, &MaxGrid::LostFocus, this, [this] { guarded("Flexi_LostFocus", [this] { Flexi_LostFocus(); }); });
    connect(flexi_, &MaxGrid::RowColChange, this,
            [this] { guarded("Flexi_RowColChange", [this] { Flexi_RowColChange(); }); });
    connect(flexi_, &MaxGrid::KeyDown, this, [this](int& keyCode, int& shift) {
        guarded("Flexi_KeyDown", [&] { Flexi_KeyDown(keyCode, shift); });
    });
}

void MaxSQL::Flexi_KeyDown(int& KeyCode, int& Shift)
{
    constexpr int insertKey = 45, deleteKey = 46, ctrl = 2;
    if (Shift != ctrl || (KeyCode != insertKey && KeyCode != deleteKey))
        return;
    // Rows come and go only through the record set: the grid's own Ctrl+Delete
    // and Ctrl+Insert would change rows it never hears of.
    const bool remove = KeyCode == deleteKey;
    KeyCode = 0;
    if (remove && ctl_.GridEditable && flexi_->Editable())
        BttDelete_MouseUp(0, 0, 0, 0);
}

void MaxSQL::PushEditConnection()
{
    const ConnectionValues& c = ctl_.lastFinalConnection;
    ctl_.zolt->setSQLProvider(ctl_.lastFinalProvider);
    ctl_.zolt->setConnectionType(std::int16_t(c.connectionType));
    ctl_.zolt->setUsedDriver(std::int16_t(c.driver));
    ctl_.zolt->StartObject(c.server, c.database, c.user, c.password);
}

QString MaxSQL::GridRowKey(std::int32_t row)
{
    QString key;
    for (int c : lockedColumns(*flexi_))
        key += u'#' + flexi_->TextMatrix(row, c);
    return key;
}

void MaxSQL::PaintGridRow(const QString& state, std::int32_t row, bool)
{
    // The colour goes straight to the row: the current cell never moves, so
    // nothing is raised and there is no cell to keep.
    flexi_->setRowBackColor(row, stateColor(state));
}

void MaxSQL::Flexi_CellChanged()
{
    const int row = flexi_->LastRowChanged();
    if (row < flexi_->FixedRows() || row >= flexi_->Rows() || !ctl_.OT) {
        SetEditButtons();
        return;
    }
    const QString key = GridRowKey(row);
    if (key.isEmpty()) {
        SetEditButtons();
        return;
    }
    PushEditConnection();
    if (ExisteClaveColeccion(Variant(ctl_.AddedRows), key)) {
        // A row added since the load: its record is reached through ctl_.AddedRows.
        const QString otKey = ctl_.AddedRows->Item(Variant(key)).as<Collection>()->Item(Variant(QStringLiteral("OTKey"))).toString();
        if (ctl_.OT->ExisteRegistro(Variant(otKey)))
            for (int c = 0; c < flexi_->Cols(); ++c)
                ctl_.OT->setValorCampo(ctl_.EditTableName + u'.' + flexi_->TextMatrix(0, c), Variant(flexi_->TextMatrix(row, c)),
                                  Variant(otKey));
    } else if (ctl_.OT->ExisteRegistro(rowKeyValues(*flexi_, row))) {
        const QString record = ctl_.OT->RegistroActual();
        if (ctl_.OT->ModoEdicion(record) != QLatin1String("B")) {
            for (int c = 0; c < flexi_->Cols(); ++c) {
                const QString field = ctl_.EditTableName + u'.' + flexi_->TextMatrix(0, c);
                const QString text = flexi_->TextMatrix(row, c);
                const Variant stored = ctl_.OT->ValorCampo(field, Variant(record));
                // Both empty (or Null): the cell says nothing new. A cell that
                // reads as the stored value would change nothing either.
                if (stored.isNull() ? text.isEmpty() : text == ValueText::displayText(stored))
                    continue;
                ctl_.OT->setValorCampo(field, Variant(text), Variant(record));
            }
        }
        PaintGridRow(ctl_.OT->ModoEdicion(record), row, true);
    } else {
        // The record is gone (deleted behind the page): the edit cannot be kept.
        const int col = flexi_->LastColChanged();
        if (col >= 0 && col < flexi_->Cols())
            flexi_->setTextMatrix(row, col, flexi_->LastValue());
        notice(QStringLiteral("No se ha podido localizar el registro {1") + key + u'}');
    }
    SetEditButtons();
}

void MaxSQL::RefreshEditedRows(bool switchOff)
{
    if (!ctl_.OT)
        return;
    // Drawing and editing come back on whatever way the refresh ends: a record
    // the editing object cannot read must not leave the grid frozen.
    std::optional<controls::RedrawGuard> drawing;
    if (switchOff) {
        drawing.emplace(*flexi_);
        flexi_->setEditable(false);
    }
    const auto editable = qScopeGuard([&] {
        if (switchOff)
            controls::ignoreErrors([&] { flexi_->setEditable(true); });
    });
    for (int r = 1; r < flexi_->Rows(); ++r) {
        const QString record = ctl_.OT->BuscarRegistro(rowKeyValues(*flexi_, r));
        if (record.isEmpty())
            continue;
        const QString state = ctl_.OT->ModoEdicion(record);
        PaintGridRow(state, r, false);
        if (state != QLatin1String("M"))
            continue;
        const CollectionPtr fields = ctl_.OT->CamposEditados(record);
        for (const Variant& item : *fields) {
            const auto f = item.as<Collection>();
            const int col = f->Item(Variant(QStringLiteral("Position"))).toInt() - 1;
            if (col >= 0 && col < flexi_->Cols())
                flexi_->setTextMatrix(
                    r, col, ValueText::displayText(ctl_.OT->ValorCampo(f->Item(Variant(QStringLiteral("Name"))).toString(), Variant(record))));
        }
    }
}

void MaxSQL::BttDelete_MouseUp(int, int, float, float)
{
    guarded("BttDelete_MouseUp", [this] {
        if (errorObject_->MsgBox(QStringLiteral("¿Desea eliminar el registro seleccionado?"), 36, kTitle) != 6)
            return;
        const int row = flexi_->Row();
        const QString key = row >= flexi_->FixedRows() && row < flexi_->Rows() ? GridRowKey(row) : QString();
        if (!key.isEmpty() && ctl_.OT) {
            PushEditConnection();
            if (ExisteClaveColeccion(Variant(ctl_.AddedRows), key)) {
                const QString otKey =
                    ctl_.AddedRows->Item(Variant(key)).as<Collection>()->Item(Variant(QStringLiteral("OTKey"))).toString();
                if (ctl_.OT->ExisteRegistro(Variant(otKey))) {
                    ctl_.OT->BorrarRegistro(Variant(otKey));
                    flexi_->RemoveItem(row);
                    ctl_.AddedRows->Remove(Variant(key));
                    WriteStatusLine();
                }
            } else if (ctl_.OT->ExisteRegistro(rowKeyValues(*flexi_, row))) {
                const QString record = ctl_.OT->RegistroActual();
                ctl_.OT->BorrarRegistro(Variant(record));
                PaintGridRow(ctl_.OT->ModoEdicion(record), row, true);
            }
        }
        SetEditButtons();
    });
}

void MaxSQL::BttAdd_MouseUp(int, int, float, float)
{
    guarded("BttAdd_MouseUp", [this] {
        if (!ctl_.OT || !ctl_.GridEditable)
            return;
        int source = -1;
        if (flexi_->Row() != 0 &&
            errorObject_->MsgBox(QStringLiteral("Los campos clave deben ser establecidos de forma independiente, pero "
                                                "puede duplicar el resto de valores del registro actual o bien crear "
                                                "un registro vacío.\r\n\r\n¿Desea duplicar el registro seleccionado?"),
                                 36, kTitle) == 6)
            source = flexi_->Row();
        const auto refuse = [this](const QString& reason) {
            errorObject_->MsgBox(reason + kRefusalTail, 64, kTitle);
        };

        const QStringList names = ctl_.KeyList.split(u',');
        const QStringList positions = ctl_.KeyPositions.split(u',');
        std::unique_ptr<NewKeyDialog> dialog = dialogs_.frmNewKey();
        dialog->Height = keyfields::newKeyLayout(
            names, positions, flexi_->TypesString().split(u'|'), ctl_.EditTableName,
            [this](const QString& t) { return TextWidth(t); },
            dialog->Fields);
        dialog->MSG = errorObject_;
        dialog->Zolt = ctl_.zolt;
        // Its Max + 1 reads through the stored connection.
        PushEditConnection();
        dialog->Show(this);
        if (dialog->Cancelled) {
            refuse(QStringLiteral("No se han recibido los datos clave."));
            return;
        }
        QStringList values;
        QString newKey;
        for (const NewKeyDialog::KeyField& f : dialog->Fields) {
            values << f.value;
            newKey += u'#' + f.value;
        }
        // Every check before anything is made: a key held by an added row or by the table is refused.
        if (ExisteClaveColeccion(Variant(ctl_.AddedRows), newKey) || ctl_.OT->ExisteRegistro(arrayOf(values))) {
            refuse(QStringLiteral("Ya existe otro registro con la clave indicada."));
            return;
        }
        const QString record = ctl_.OT->NuevoRegistro();
        if (record.isEmpty()) {
            SetEditButtons();
            return;
        }
        const controls::RedrawGuard drawing(*flexi_);
        flexi_->setEditable(false);
        flexi_->AddItem(QString());
        const int newRow = flexi_->Rows() - 1;
        PaintGridRow(QStringLiteral("A"), newRow, true);
        if (source >= 0)
            for (int c = 0; c < flexi_->Cols(); ++c) {
                const QString text = flexi_->TextMatrix(source, c);
                flexi_->setTextMatrix(newRow, c, text);
                ctl_.OT->setValorCampo(ctl_.EditTableName + u'.' + flexi_->TextMatrix(0, c), Variant(text), Variant(record));
            }
        for (int i = 0; i < names.size() && i < values.size(); ++i) {
            ctl_.OT->setValorCampo(names[i], Variant(values[i]), Variant(record));
            flexi_->setTextMatrix(newRow, positions.value(i).toInt() - 1, values[i]);
        }
        const int lastKey = positions.isEmpty() ? 1 : positions.last().toInt();
        flexi_->setRow(newRow);
        flexi_->setCol(lastKey < flexi_->Cols() ? lastKey : lastKey - 1);
        flexi_->setEditable(true);
        flexi_->setTopRow(flexi_->Rows() >= 6 ? flexi_->Rows() - 6 : 1);
        auto item = newCollection();
        item->Add(Variant(record), QStringLiteral("OTKey"));
        item->Add(Variant(newKey), QStringLiteral("GridKey"));
        item->Add(Variant(std::int32_t(newRow)), QStringLiteral("Position"));
        if (!ctl_.AddedRows)
            ctl_.AddedRows = newCollection();
        ctl_.AddedRows->Add(Variant(item), newKey);
        // The count on the status line is the grid's, the new row included.
        WriteStatusLine();
        SetEditButtons();
    });
}

void MaxSQL::BttConfirm_MouseUp(int, int, float, float)
{
    guarded("BttConfirm_MouseUp", [this] {
        if (!ctl_.OT)
            return;
        Flexi_CellChanged();
        const std::int32_t n = ctl_.OT->RegistrosEditados();
        if (errorObject_->MsgBox(QStringLiteral("¿Desea aplicar los cambios efectuados en los {1") + QString::number(n) +
                                     QStringLiteral("} registros marcados en la grid?"),
                                 36, kTitle) != 6)
            return;
        if (n < 1) {
            notice(QStringLiteral("No se han encontrado registros para actualizar"));
            return;
        }
        {
            const controls::WaitCursor hourglass;
            const int pointer = flexi_->MousePointer();
            flexi_->setMousePointer(13);
            pendingEvents();
            PushEditConnection();
            const bool written = ctl_.OT->ActualizarBBDD();
            flexi_->setMousePointer(pointer);
            // The write-back has said why; the edits stay for another try.
            if (!written)
                return;
            // The reload runs the SELECT the grid was loaded with, never the whole text again.
            ReloadFinalSelect();
        }
        notice(QStringLiteral("{1") + QString::number(n) + QStringLiteral("} registros actualizados."));
    });
}

void MaxSQL::Flexi_GotFocus()
{
    flexiFocus_ = true;
    Flexi_RowColChange();
}

void MaxSQL::Flexi_RowColChange()
{
    flexiFocus_ = true;
    const int row = flexi_->Row(), col = flexi_->Col();
    ctl_.FocusCellText = row >= 0 && row < flexi_->Rows() && col >= 0 && col < flexi_->Cols() ? flexi_->TextMatrix(row, col)
                                                                                         : QString();
    flexi_->setLastColChanged(col);
    flexi_->setLastRowChanged(row);
    emit FlexiFocusChanged();
}

void MaxSQL::Flexi_LostFocus()
{
    flexiFocus_ = false;
    emit FlexiFocusChanged();
}
