// Members of the page whose work belongs to the concerns still to be built
// (paging bar, history file, help and settings, page commands, exports,
// INSERT script, clipboard). Each group moves to its own file when its concern
// is built; until then they do nothing, except the four buttons that only
// raise ButtonClicked.
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

// --- page commands

void MaxSQL::ShowTables() {}
void MaxSQL::CompareDatabases() {}
void MaxSQL::CompactDatabase() {}
void MaxSQL::BttAutoSize_MouseUp(int, int, float, float) {}
void MaxSQL::BttComment_MouseUp(int, int, float, float) {}
void MaxSQL::BttUncomment_MouseUp(int, int, float, float) {}
void MaxSQL::BttEditor_MouseUp(int, int, float, float) {}
void MaxSQL::BttKey_MouseUp(int, int, float, float) {}
void MaxSQL::BttExit_MouseUp(int, int, float, float) { raiseButtonClicked(QStringLiteral("BttExit")); }

// --- exports and script

void MaxSQL::GenerateCSV() {}
void MaxSQL::GenerateExcel() {}
void MaxSQL::BusquedaCSV() {}
void MaxSQL::BusquedaExcel() {}
void MaxSQL::GenerateScript() {}
QString MaxSQL::DarFormato(const Variant&, std::int16_t&) { return QString(); }

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
