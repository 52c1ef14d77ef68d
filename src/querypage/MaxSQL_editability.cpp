// The view of the result's editability: the grid made editable (or not) as
// the controller decides, the edit buttons, the key fields' changes, and the
// idle timer that re-checks after typing.
#include "querypage/MaxSQL.h"

#include "controls/PushButton.h"
#include "querypage/modCommons.h"

#include <QPlainTextEdit>
#include <QTimer>

void MaxSQL::ResetEditState(bool keyButton)
{
    ctl_.ClearEditState();
    flexi_->setEditable(false);
    if (keyButton) {
        ctl_.KeyButtonOn = ConnectionType() == 0;
        BttKey->setEnabled(ctl_.KeyButtonOn);
        scriptEnabled_ = true;
        emit ScriptEnabledChanged();
    }
    SetEditButtons();
}

void MaxSQL::CheckEditable()
{
    // A result still arriving has no record set to edit through yet; its last
    // row decides. Deciding now would drop its keys, and how fast the rows
    // came would say whether the result can be edited.
    if (ctl_.Fetching())
        return;
    guarded("CheckEditable", [this] {
        if (ctl_.SingleTable) {
            ctl_.KeyButtonOn = true;
            BttKey->setEnabled(true);
            scriptEnabled_ = true;
            emit ScriptEnabledChanged();
        }
        if (ctl_.DecideEditable()) {
            // Setting the locked columns moves the current cell to the header:
            // a check that finds the grid as it is (the idle check after a
            // load) leaves the user's cell alone.
            if (!flexi_->Editable() || flexi_->LockedColumns() != ctl_.GridLockedColumns ||
                flexi_->TypesString() != ctl_.GridTypes) {
                flexi_->setLockedColumns(ctl_.GridLockedColumns);
                flexi_->setTypesString(ctl_.GridTypes);
                flexi_->setEditable(true);
            }
            SetEditButtons();
        } else {
            ResetEditState(false);
        }
    });
}

void MaxSQL::SetEditButtons()
{
    const PageController::EditButtons states = ctl_.EditButtonStates();
    BttAdd->setEnabled(states.add);
    BttDelete->setEnabled(states.remove);
    BttConfirm->setEnabled(states.confirm);
}

void MaxSQL::SetStateButtons()
{
    BttKey->setEnabled(ctl_.KeyButtonOn && !buttonsDisabled_);
    if (!buttonsDisabled_) {
        SetEditButtons();
        return;
    }
    BttAdd->setEnabled(false);
    BttDelete->setEnabled(false);
    BttConfirm->setEnabled(false);
}

void MaxSQL::txtTabla_Change()
{
    guarded("txtTabla_Change", [this] { boxChanged(txtTabla->toPlainText(), ctl_.LastSqlText); });
}

void MaxSQL::setKeyFieldsText(const QString& text)
{
    // Kept with the line breaks a text box would give it.
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    ctl_.KeyFields = lines;
    guarded("txtKeyFields_Change", [this] { boxChanged(ctl_.KeyFields, ctl_.LastKeyFieldsText); });
}

void MaxSQL::boxChanged(const QString& text, QString& lastText)
{
    if (ctl_.BoxChanged(text, lastText)) {
        ResetEditState(true);
        tmrCheckEditable->start();
    }
}

void MaxSQL::tmrCheckEditable_Timer()
{
    ctl_.CheckRunning = true;
    guarded("tmrCheckEditable_Timer", [this] {
        if (!ctl_.IdleCheckDue())
            return;
        tmrCheckEditable->stop();
        tmrCheckEditable->setInterval(300);
        modCommons::HighlightKeywords(txtTabla);
        CheckEditable();
    });
    ctl_.CheckRunning = false;
}
