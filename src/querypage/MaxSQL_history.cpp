// The tab's query history: saving the page into its tab settings file after
// a run, loading one entry back, and the two arrows that browse it.
#include "querypage/MaxSQL.h"

#include "controls/PushButton.h"
#include "querypage/TabHistoryFile.h"
#include "querypage/modCommons.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <algorithm>

void MaxSQL::SaveLastQuery(std::int16_t iTab)
{
    guarded("SaveLastQuery", [&] {
        const QString sql = txtTabla->toPlainText();
        if (sql.isEmpty() && iTab == currentTab_)
            return;
        if (ctl_.SaveHistory(sql, connectionValues(), ctl_.SplitterTop, iTab, currentTab_))
            SetQueryButtons();
    });
}

void MaxSQL::GetQuery(std::int32_t& lPos, std::int16_t& iTab)
{
    guarded("GetQuery", [&] {
        if (lPos < 0 || lPos > TabHistoryFile::Entries - 1) {
            lPos = std::clamp(lPos, 0, TabHistoryFile::Entries - 1);
            return;
        }
        const HistoryEntry e = TabHistoryFile::load(TabHistoryFile::pathOf(iTab == 0 ? currentTab_ : iTab)).entry(lPos);
        modCommons::ResetColour(txtTabla);
        // The coming text counts as new for the change handler, and the
        // check after it runs at once instead of after a pause.
        ctl_.LastSqlText.clear();
        tmrCheckEditable->setInterval(1);
        txtTabla->setPlainText(e.sql);
        setKeyFieldsText(e.keyFields);
        ctl_.ContextStatement = e.context;
        const ConnectionValues& c = e.connection;
        ParametersConnection(std::int16_t(c.connectionType), std::int16_t(c.driver), c.server, c.database, c.user,
                             c.password);
        ctl_.HistoryIndex = lPos;
        SetQueryButtons();
    });
}

void MaxSQL::SetQueryButtons()
{
    guarded("SetQueryButtons", [this] {
        // The arrows' icons carry their greyed pictures for the disabled state.
        BttNextQuery->setEnabled(ctl_.NextQueryEnabled());
        BttPreviousQuery->setEnabled(ctl_.PreviousQueryEnabled());
        txtSQL->setText(translate(ctl_.HistoryCaption()));
    });
}

void MaxSQL::BttPreviousQuery_MouseUp(int, int, float, float)
{
    std::int32_t position = ctl_.HistoryIndex + 1;
    std::int16_t tab = 0;
    GetQuery(position, tab);
}

void MaxSQL::BttNextQuery_MouseUp(int, int, float, float)
{
    std::int32_t position = ctl_.HistoryIndex - 1;
    std::int16_t tab = 0;
    GetQuery(position, tab);
}
