// Members of the page whose work belongs to the concerns still to be built
// (paging bar, history file, help and settings, clipboard). Each group moves
// to its own file when its concern is built; until then they do nothing.
#include "querypage/MaxSQL.h"

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
