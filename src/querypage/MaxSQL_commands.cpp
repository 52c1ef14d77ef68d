// The page's small commands: fitting the grid's columns, commenting lines,
// the SQL editor, key fields and context, and the database menu's table
// list, comparison and compaction.
#include "querypage/MaxSQL.h"

#include "controls/ControlSupport.h"
#include "core/Dialogs.h"
#include "data/clsDO.h"
#include "messages/clsError.h"
#include "querypage/ColumnFit.h"
#include "querypage/CommentLines.h"
#include "querypage/modCommons.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

namespace {

const QString kTitle = QStringLiteral("Velmora 3.0");

int ask(const std::shared_ptr<clsError>& msg, const QString& text, int style, const QString& title)
{
    return msg ? msg->MsgBox(text, style, title) : SystemMsgBox(text, style, title);
}

// Comments or uncomments the selected lines (all lines without a selection).
// The text is recorded as seen first, so the change handler finds nothing new
// and the edit state stays; the selection is not restored.
void changeLines(QPlainTextEdit* box, QString& lastSeen,
                 QString (*change)(const QString&, int, int))
{
    const QTextCursor cursor = box->textCursor();
    const int start = cursor.selectionStart();
    const QString text = change(box->toPlainText(), start, cursor.selectionEnd() - start);
    lastSeen = text;
    box->setPlainText(text);
    modCommons::HighlightKeywords(box);
}

QString compactionQuestion()
{
    return QStringList{QStringLiteral("CONSIDERACIONES SOBRE EL COMPACTADO:"),
                       QStringLiteral(" -Necesita permiso de administrador."),
                       QStringLiteral(" -Afecta al rendimiento."),
                       QStringLiteral(" -Se recomienda hacer un backup antes de compactar."),
                       QStringLiteral(" -Compactar fichero a fichero reduce más el espacio pero   puede perder transacciones en curso."),
                       QStringLiteral(" -Realícelo preferentemente cuando la base de datos no esté en uso."),
                       QString(),
                       QStringLiteral("¿Prefiere compactar fichero a fichero?"),
                       QString(),
                       QStringLiteral("  SI:     compactará fichero a fichero."),
                       QStringLiteral("  NO:     compactará la base de datos completa."),
                       QStringLiteral("  CANCEL: abortará la operación.")}
        .join(QStringLiteral("\r\n"));
}

} // namespace

void MaxSQL::BttAutoSize_MouseUp(int, int, float, float)
{
    guarded("BttAutoSize_MouseUp", [this] {
        flexi_->setRedraw(true);
        FitColumns(false);
        flexi_->setRedraw(true);
    });
}

void MaxSQL::FitColumns(bool widenOnly)
{
    MaxGrid& g = *flexi_;
    const columnfit::Grid grid{g.Rows(),   g.Cols(),  g.TopRow(), double(g.Width()), double(g.Height()),
                               double(g.RowHeight(0)), [&g](int r, int c) { return g.TextMatrix(r, c); }};
    const std::vector<columnfit::Column> columns =
        columnfit::fit(grid, [this](const QString& t) { return TextWidth(t); });
    for (int c = 0; c < int(columns.size()); ++c) {
        const columnfit::Column& column = columns[std::size_t(c)];
        if (widenOnly) {
            if (column.width > g.ColWidth(c))
                g.setColWidth(c, column.width);
            continue;
        }
        g.setColWidth(c, column.width);
        g.setColAlignment(c, column.alignment);
    }
}

void MaxSQL::BttComment_MouseUp(int, int, float, float)
{
    guarded("BttComment_MouseUp", [this] { changeLines(txtTabla, ctl_.LastSqlText, &commentlines::comment); });
}

void MaxSQL::BttUncomment_MouseUp(int, int, float, float)
{
    guarded("BttUncomment_MouseUp", [this] { changeLines(txtTabla, ctl_.LastSqlText, &commentlines::uncomment); });
}

void MaxSQL::BttEditor_MouseUp(int, int, float, float)
{
    guarded("BttEditor_MouseUp", [this] {
        std::unique_ptr<EditDialog> editor = dialogs_.frmEdit();
        editor->MSG = errorObject_;
        editor->Text = TextSQL();
        editor->Show(this);
        if (editor->Text.isEmpty() && !TextSQL().isEmpty()) {
            if (ask(errorObject_,
                    QStringLiteral("El editor no ha devuelto ninguna consulta, ¿Desea borrar la consulta actual?"), 36,
                    kTitle) == 6)
                txtTabla->clear();
        } else if (editor->Text != QLatin1String("{ignore}")) {
            setRtfSQL(editor->Text);
            modCommons::HighlightKeywords(txtTabla);
        }
    });
}

void MaxSQL::BttKey_MouseUp(int, int, float, float)
{
    guarded("BttKey_MouseUp", [this] {
        bool changed = false;
        {
            std::unique_ptr<KeyFieldsDialog> dialog = dialogs_.frmKeyFields();
            dialog->MSG = errorObject_;
            dialog->KeyFields = KeyFieldsText();
            dialog->Context = ctl_.ContextStatement;
            const bool sqlServer = ConnectionType() == 0;
            dialog->ContextVisible = sqlServer;
            dialog->Height = sqlServer ? 7110 : 6400;
            dialog->Show(this);
            if (dialog->Cancelled)
                return;
            if (dialog->KeyFields.isEmpty()) {
                ResetEditState(true);
            } else {
                changed = dialog->KeyFields != KeyFieldsText();
                setKeyFieldsText(dialog->KeyFields);
            }
            ctl_.ContextStatement = dialog->Context;
        }
        // The grid's own SELECT again, never the statements run before it; a
        // page that has loaded none yet runs its text as the run button does.
        if (changed && LastFinalSelect().isEmpty())
            ExecuteQuery();
        else if (changed)
            ReloadFinalSelect();
    });
}

void MaxSQL::BttExit_MouseUp(int, int, float, float) { raiseButtonClicked(QStringLiteral("BttExit")); }

void MaxSQL::ShowTables()
{
    guarded("ShowTables", [this] {
        if (!ValidateAll(false))
            return;
        ChangeConnectionType(false);
        {
            std::unique_ptr<TablesDialog> tables = dialogs_.frmTables();
            tables->Zolt = ctl_.zolt;
            tables->MSG = errorObject_;
            tables->SCR = ctl_.scr;
            tables->Connection = connectionValues();
            tables->Show(this);
            if (!tables->Cancelled) {
                setTextSQL(tables->sql);
                setKeyFieldsText(tables->KeyFields);
                BttExecute_MouseUp(0, 0, 0, 0);
            }
        }
        modCommons::HighlightKeywords(txtTabla);
    });
}

void MaxSQL::CompareDatabases()
{
    guarded("CompareDatabases", [this] {
        if (!ValidateAll(false))
            return;
        ChangeConnectionType(false);
        std::unique_ptr<CompareDialog> compare = dialogs_.frmCompare();
        compare->Zolt = ctl_.zolt;
        compare->MSG = errorObject_;
        compare->SCR = ctl_.scr;
        compare->Current = connectionValues();
        if (parentForm_) {
            compare->ParentFormTop = int(controls::twipsGeometry(parentForm_).top());
            compare->ParentFormHeight = int(controls::twipsGeometry(parentForm_).height());
        }
        compare->Show(this);
    });
}

void MaxSQL::CompactDatabase()
{
    guarded("CompactDatabase", [this] {
        if (!ValidateAll(false))
            return;
        if (ask(errorObject_,
                QStringLiteral("¿Desea compactar la base de datos actual para recuperar el espacio no utilizado y "
                               "reducir su tamaño?"),
                36, kTitle) == 7)
            return;
        ChangeConnectionType(false);
        QString server = ServerName(), database = DatabaseName(), user = UserName(), password = Password();
        QString report;
        switch (ConnectionType()) {
        case 0: {
            const int answer =
                ask(errorObject_, compactionQuestion(), 35, parentForm_ ? parentForm_->windowTitle() : QString());
            if (answer != 6 && answer != 7)
                return;
            const std::shared_ptr<void> hold = HoldCommands();
            pendingEvents();
            report = ctl_.zolt->CompactSQLServerDataBase(server, database, user, password, answer == 6);
            break;
        }
        case 1:
        case 2: {
            const std::shared_ptr<void> hold = HoldCommands();
            pendingEvents();
            report = ctl_.zolt->CompactAccessDataBase(server, database, user, password);
            break;
        }
        default:
            return;
        }
        notice(report);
    });
}
