// The tab's query history: saving the page into its tab settings file after
// a run, loading one entry back, and the two arrows that browse it.
#include "querypage/MaxSQL.h"

#include "core/Error.h"
#include "core/FileReplace.h"
#include "querypage/PushButton.h"
#include "querypage/TabHistoryFile.h"
#include "querypage/modCommons.h"

#include <QFileInfo>
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
        const int target = iTab == 0 ? currentTab_ : iTab;
        const QString path = TabHistoryFile::pathOf(target);
        const QString keys = txtKeyFields->toPlainText();
        const TabHistoryFile old = TabHistoryFile::load(path);
        // An unchanged page saved into its own file keeps its history: only
        // the splitter is written.
        const bool splitterOnly = sql == SavedSQLText && keys == SavedKeyFields && target == currentTab_;
        TabHistoryFile next = old;
        const bool stored = splitterOnly
                                ? next.setSplitter(splitterTop_)
                                : old.recordNewest({sql, keys, ContextStatement, connectionValues()}, splitterTop_, next);
        const bool same = splitterOnly && QFileInfo::exists(path) && next.toBytes() == old.toBytes();
        // The old file stays whole when the new one cannot be written, and the
        // saved texts stay as they were, so the next save tries again. At the
        // program's close the failure goes into its one list of unsaved files.
        if (!stored || (!same && !next.save(path))) {
            if (!FileReplace::FailedSaves::collect(path))
                ::raise(Error::PathNotFound,
                        QStringLiteral("No se ha podido guardar el fichero ") + BraceBlock(2, path));
            return;
        }
        if (splitterOnly)
            return;
        HistoryIndex = 0;
        SetQueryButtons();
        SavedSQLText = sql;
        SavedKeyFields = keys;
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
        LastSqlText.clear();
        tmrCheckEditable->setInterval(1);
        txtTabla->setPlainText(e.sql);
        txtKeyFields->setPlainText(e.keyFields);
        ContextStatement = e.context;
        const ConnectionValues& c = e.connection;
        ParametersConnection(std::int16_t(c.connectionType), std::int16_t(c.driver), c.server, c.database, c.user,
                             c.password);
        HistoryIndex = lPos;
        SetQueryButtons();
    });
}

void MaxSQL::SetQueryButtons()
{
    guarded("SetQueryButtons", [this] {
        // The arrows' icons carry their greyed pictures for the disabled state.
        BttNextQuery->setEnabled(HistoryIndex != 0);
        BttPreviousQuery->setEnabled(HistoryIndex != TabHistoryFile::Entries - 1);
        txtSQL->setText(translate(
            QStringLiteral("Sentencia SQL ") +
            (HistoryIndex == 0 ? QStringLiteral("(última consulta)")
                               : BraceBlock(1, QString::number(HistoryIndex)) +
                                     QStringLiteral("ª (de las 5 últimas consultas recientes)"))));
    });
}

void MaxSQL::BttPreviousQuery_MouseUp(int, int, float, float)
{
    std::int32_t position = HistoryIndex + 1;
    std::int16_t tab = 0;
    GetQuery(position, tab);
}

void MaxSQL::BttNextQuery_MouseUp(int, int, float, float)
{
    std::int32_t position = HistoryIndex - 1;
    std::int16_t tab = 0;
    GetQuery(position, tab);
}
