// Members of the page whose work belongs to the concerns still to be built
// (page commands, exports, INSERT script). Each group moves to its own file
// when its concern is built; until then they do nothing, except the exit
// button, which only raises ButtonClicked.
#include "querypage/MaxSQL.h"

#include "querypage/PushButton.h"

#include <QComboBox>
#include <QLabel>

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
