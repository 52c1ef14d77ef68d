// Members of the page whose work belongs to the concerns still to be built
// (paging bar, history file, help and settings, editability, record editing,
// clipboard). Each group moves to its own file when its concern is built;
// until then they do nothing, except the edit-state reset and button rules the
// connection panel and the load rely on. The grid stays read-only.
#include "querypage/MaxSQL.h"

#include "editing/clsMultiTabla.h"
#include "querypage/PushButton.h"

#include <QComboBox>
#include <QLabel>

// --- paging bar

void MaxSQL::OnDemandElevatorConfig(qint64&, bool&) {}
qint64 MaxSQL::OnDemandElevatorValue() { return PagePosition; }
void MaxSQL::SetOnDemandElevatorValue(qint64&) {}
void MaxSQL::OnDemandElevator_Change() {}

// --- help and settings

void MaxSQL::BttHelp_MouseUp(int, int, float, float) {}
void MaxSQL::BttSettings_MouseUp(int, int, float, float) {}
void MaxSQL::OpenWebPage(QString&) {}

// --- history

void MaxSQL::SaveLastQuery(std::int16_t) {}
void MaxSQL::GetQuery(std::int32_t&, std::int16_t&) {}
void MaxSQL::SetQueryButtons() {}
void MaxSQL::BttPreviousQuery_MouseUp(int, int, float, float) {}
void MaxSQL::BttNextQuery_MouseUp(int, int, float, float) {}

// --- clipboard and clearing

void MaxSQL::SetToClipboard() {}
void MaxSQL::GetFromClipboard() {}
void MaxSQL::DeleteCurrentCell() {}
void MaxSQL::DeleteConnectionData() {}
void MaxSQL::DeleteQueryData() {}
void MaxSQL::DeleteGridData()
{
    flexi_->setRows(1);
    Label2->clear();
}

// --- editability and key fields

void MaxSQL::ResetEditState(bool keyButton)
{
    GridEditable = false;
    flexi_->setEditable(false);
    SingleTable = false;
    EditTableName.clear();
    KeyPositions.clear();
    KeyList.clear();
    GridTypes.clear();
    GridLockedColumns.clear();
    KeyUnique = false;
    if (keyButton) {
        BttKey->setEnabled(ConnectionType() == 0);
        scriptEnabled_ = true;
        emit ScriptEnabledChanged();
    }
    SetEditButtons();
}

void MaxSQL::ResolveKeyFields(const Variant&) {}
QString MaxSQL::KeyFieldAt(const Variant&, std::int32_t) { return QString(); }
QString MaxSQL::FieldIndexByName(const Variant&, const QString&) { return QString(); }
QString MaxSQL::TypeWord(std::int16_t) { return QString(); }

void MaxSQL::CheckEditable()
{
    GridEditable = false;
    if (SingleTable) {
        BttKey->setEnabled(true);
        scriptEnabled_ = true;
        emit ScriptEnabledChanged();
        GridEditable = KeyUnique;
    }
    if (GridEditable) {
        flexi_->setLockedColumns(GridLockedColumns);
        flexi_->setTypesString(GridTypes);
        flexi_->setEditable(true);
        SetEditButtons();
    } else {
        ResetEditState(false);
    }
}

void MaxSQL::SetEditButtons()
{
    if (!GridEditable) {
        BttAdd->setEnabled(false);
        BttDelete->setEnabled(false);
        BttConfirm->setEnabled(false);
        return;
    }
    BttAdd->setEnabled(!PagingActive);
    BttDelete->setEnabled(true);
    BttConfirm->setEnabled(OT && OT->RegistrosEditados() > 0);
}

void MaxSQL::txtTabla_Change() {}
void MaxSQL::txtKeyFields_Change() {}
void MaxSQL::tmrCheckEditable_Timer() {}

// --- record editing

void MaxSQL::Flexi_CellChanged() {}
QString MaxSQL::GridRowKey(std::int32_t) { return QString(); }
void MaxSQL::PaintGridRow(const QString&, std::int32_t, bool) {}
void MaxSQL::RefreshEditedRows(bool) {}
void MaxSQL::BttAdd_MouseUp(int, int, float, float) {}
void MaxSQL::BttDelete_MouseUp(int, int, float, float) {}
void MaxSQL::BttConfirm_MouseUp(int, int, float, float) {}
void MaxSQL::Flexi_GotFocus() {}
void MaxSQL::Flexi_LostFocus() {}
void MaxSQL::Flexi_RowColChange() {}
