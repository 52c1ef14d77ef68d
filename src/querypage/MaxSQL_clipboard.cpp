// Commands the main window calls from its keys and its clean menu: copy,
// paste and empty the current grid cell, and clear the connection panel, the
// SQL text with its key fields, or the result grid.
#include "querypage/MaxSQL.h"

#include "controls/ControlSupport.h"
#include "platform/db/Recordset.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>

void MaxSQL::SetToClipboard()
{
    guarded("SetToClipboard", [this] {
        ctl_.ClipboardText = flexi_->TextMatrix(flexi_->Row(), flexi_->Col());
        ignoreKeyPress_ = true;
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->clear();
        clipboard->setText(ctl_.ClipboardText);
    });
}

void MaxSQL::GetFromClipboard()
{
    guarded("GetFromClipboard", [this] {
        if (!flexi_->EditionAllowed())
            return;
        const QString text = QGuiApplication::clipboard()->text();
        if (!text.isEmpty())
            ctl_.ClipboardText = text;
        // The whole text goes into the one cell, line breaks and tabs included.
        if (!ctl_.ClipboardText.isEmpty())
            flexi_->setTextMatrix(flexi_->Row(), flexi_->Col(), ctl_.ClipboardText);
        ignoreKeyPress_ = true;
        flexi_->setLastValue(ctl_.FocusCellText);
        flexi_->CheckCellType(flexi_->Row(), flexi_->Col());
        Flexi_CellChanged();
    });
}

void MaxSQL::DeleteCurrentCell()
{
    // Failures are ignored: the command goes on as far as it can.
    controls::ignoreErrors([this] {
        if (!flexi_->EditionAllowed())
            return;
        flexi_->setTextMatrix(flexi_->Row(), flexi_->Col(), QString());
        Flexi_CellChanged();
    });
}

void MaxSQL::DeleteConnectionData()
{
    guarded("DeleteConnectionData", [this] { ParametersConnection(-1, -1, QString(), QString(), QString(), QString()); });
}

void MaxSQL::DeleteQueryData()
{
    guarded("DeleteQueryData", [this] {
        txtTabla->setPlainText(QString());
        setKeyFieldsText(QString());
    });
}

void MaxSQL::DeleteGridData()
{
    guarded("DeleteGridData", [this] {
        flexi_->Clear();
        flexi_->setRows(1);
        Label2->clear();
        // The cleared grid is not paged any more (a resize or the bar would
        // bring the old records back), nor edited, confirmed or reloaded.
        ctl_.ForgetResult();
        OnDemandElevator->hide();
        applyFrame();
        ResetEditState(true);
    });
}
