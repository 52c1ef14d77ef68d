// The road from the SQL text to executed statements: validation, the text
// as the page runs it, splitting, each statement with its messages, the
// final SELECT handed to the grid load, and the status line.
#include "querypage/MaxSQL.h"

#include "controls/ControlSupport.h"
#include "core/Dialogs.h"
#include "core/Error.h"
#include "data/clsDO.h"
#include "messages/clsError.h"
#include "querypage/LoadRules.h"
#include "controls/PushButton.h"
#include "querypage/SqlText.h"
#include "querypage/Validation.h"
#include "services/clsTablas.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <optional>

// One run at a time: the toolbar and the connection panel are disabled while
// it lasts (pending events run inside it) and come back as they were; the
// hourglass is held until the run ends, on every path.
class RunGuard {
public:
    explicit RunGuard(MaxSQL& page) : page_(page)
    {
        page_.ctl_.running = true;
        for (QWidget* w : page_.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (!qobject_cast<PushButton*>(w) && !qobject_cast<QComboBox*>(w) && !qobject_cast<QLineEdit*>(w))
                continue;
            states_.push_back({w, w->isEnabled()});
            w->setEnabled(false);
        }
        cursor_.emplace();
    }
    ~RunGuard() { release(); }
    void release()
    {
        if (!page_.ctl_.running)
            return;
        cursor_.reset();
        // The key and edit buttons follow the edit state, which a load inside
        // the run may have changed and a command without one left as it was.
        const QWidget* decided[] = {page_.BttKey, page_.BttAdd, page_.BttDelete, page_.BttConfirm};
        for (const auto& [w, enabled] : states_)
            if (w && std::find(std::begin(decided), std::end(decided), w.data()) == std::end(decided))
                w->setEnabled(enabled);
        page_.ctl_.running = false;
        page_.SetStateButtons();
    }

private:
    MaxSQL& page_;
    std::vector<std::pair<QPointer<QWidget>, bool>> states_;
    std::optional<controls::WaitCursor> cursor_;
};

namespace {

class PanelUi : public validation::Ui {
public:
    PanelUi(MaxSQL& page, std::function<QObject*(validation::Field)> control, std::shared_ptr<clsTablas> scr,
            std::function<void(const QString&)> notice, std::shared_ptr<clsError> msg)
        : control_(std::move(control)), scr_(std::move(scr)), notice_(std::move(notice)), msg_(std::move(msg))
    {
        (void)page;
    }
    bool notBlank(validation::Field field, const QString& description) override
    {
        QObject* c = control_(field);
        if (scr_)
            return scr_->EvitarBlancos(c, QString(), description);
        const QString text = c->property(c->property("plainText").isValid() ? "plainText"
                                         : c->property("currentText").isValid() ? "currentText"
                                                                                : "text")
                                 .toString();
        if (!text.isEmpty())
            return true;
        notice_(description + QStringLiteral(" no puede estar en blanco"));
        return false;
    }
    void reject(const QString& message) override { notice_(message); }
    bool ask(const QString& question) override
    {
        const QString title = QStringLiteral("Velmora 3.0");
        return (msg_ ? msg_->MsgBox(question, 36, title) : SystemMsgBox(question, 36, title)) == 6;
    }
    bool fileExists(const QString& path) override { return QFileInfo(path).isFile(); }

private:
    std::function<QObject*(validation::Field)> control_;
    std::shared_ptr<clsTablas> scr_;
    std::function<void(const QString&)> notice_;
    std::shared_ptr<clsError> msg_;
};

// Names the engine put in quotes in its message stay untranslated.
QString protectNames(const QString& description)
{
    QString text = description;
    int counter = 1;
    for (const char* marker : {"expresión de consulta '", "consulta de entrada '", "formato de base de datos '", "tabla '"}) {
        const QString m = QString::fromUtf8(marker);
        const qsizetype p = text.indexOf(m);
        if (p < 0)
            continue;
        ++counter;
        const qsizetype start = p + m.size();
        const qsizetype end = text.indexOf(u'\'', start);
        const qsizetype len = (end < 0 ? text.size() : end) - start;
        text = text.left(start) + u'{' + QString::number(counter) + text.mid(start, len) + u'}' + text.mid(start + len);
    }
    return text;
}

} // namespace

QObject* MaxSQL::controlOf(validation::Field field) const
{
    switch (field) {
    case validation::Field::ConnectionType: return cboConnectionType;
    case validation::Field::Driver: return cboDriver;
    case validation::Field::Server: return txtServidor;
    case validation::Field::Database: return txtBBDD;
    case validation::Field::User: return txtUser;
    case validation::Field::Password: return txtPassword;
    case validation::Field::Sql: return txtTabla;
    }
    return txtTabla;
}

bool MaxSQL::ValidateAll(bool checkSql)
{
    bool ok = false;
    guarded("ValidateAll", [&] {
        const validation::Panel panel{ConnectionType(), SelectedDriver(), ServerName(), DatabaseName(),
                                      UserName(),       Password(),       TextSQL()};
        PanelUi ui(
            *this, [this](validation::Field f) { return controlOf(f); }, ctl_.scr,
            [this](const QString& t) { notice(t); }, errorObject_);
        validation::Accepted accepted{ctl_.MdbPathAccepted, ctl_.AccdbPathAccepted};
        ok = validation::ValidateAll(panel, checkSql, accepted, ui);
        ctl_.MdbPathAccepted = accepted.mdb;
        ctl_.AccdbPathAccepted = accepted.accdb;
    });
    return ok;
}

QString MaxSQL::SelectedQuery(bool stripComments)
{
    const QTextCursor cursor = txtTabla->textCursor();
    QString text = cursor.hasSelection() ? cursor.selectedText().replace(QChar(0x2029), u'\n') : TextSQL();
    if (stripComments)
        text = RemoveComments(text);
    return sqllex::cleanUp(text);
}

QString MaxSQL::RemoveComments(const QString& text) { return sqllex::removeComments(text); }

void MaxSQL::BttExecute_MouseUp(int, int, float, float) { ExecuteQuery(); }

void MaxSQL::ExecuteQuery()
{
    // A run started from the events a run lets through does nothing.
    if (ctl_.running)
        return;
    std::unique_ptr<RunGuard> run;
    // The rows of the former result still to come are never read: none reaches the new one.
    ctl_.StopFetch();
    guarded("ExecuteQuery", [&] {
        if (!ValidateAll(true))
            return;
        if (!ctl_.zolt->StartObject(ServerName(), DatabaseName(), UserName(), Password())) {
            notice(QStringLiteral("No se ha podido iniciar el objeto de acceso a datos"));
            return;
        }
        run = std::make_unique<RunGuard>(*this);
        pendingEvents();
        ctl_.StartTime = now();
        QString text = SelectedQuery(true);
        ChangeConnectionType();
        ResetStructureCache();
        // Only the SQL Server key dialog shows the context, so only there is it put in front.
        if (ConnectionType() == 0 && !ctl_.ContextStatement.isEmpty() && !text.contains(ctl_.ContextStatement))
            text = ctl_.ContextStatement + u';' + text;
        const std::vector<sqllex::Piece> pieces = sqllex::split(text);
        if (pieces.empty())
            return;
        // A failure stops the run: nothing after it runs or loads, and the grid
        // keeps the result and status line it had. What was typed still enters
        // the history.
        bool ok = true, changed = false;
        for (std::size_t i = 0; ok && i + 1 < pieces.size(); ++i) {
            QString statement = pieces[i].text;
            changed = changed || (statement != ctl_.ContextStatement && !sqllex::fillsGrid(statement));
            ok = Ejecutar(statement, true);
            if (ok && pieces[i].runTwice) {
                pendingEvents();
                ok = Ejecutar(statement, true);
            }
        }
        // Structures read before a change of the schema may no longer hold.
        if (changed)
            ctl_.EmptyStructureCaches();
        QString final = pieces.back().text;
        if (ok && sqllex::fillsGrid(final)) {
            ok = RunFinalSelect(final);
        } else if (ok) {
            ok = Ejecutar(final, false);
            ctl_.EmptyStructureCaches();
        }
        if (ok) {
            ctl_.StopClock();
            WriteStatusLine();
        }
        run->release();
        pendingEvents();
        SaveLastQuery(0);
    });
}

bool MaxSQL::RunFinalSelect(const QString& statement)
{
    if (!LoadGrid(statement))
        return false;
    ctl_.lastFinalSelect = statement;
    ctl_.lastFinalConnection = connectionValues();
    ctl_.lastFinalProvider = ctl_.zolt->SQLProvider();
    BttAutoSize_MouseUp(0, 0, 0, 0);
    return true;
}

bool MaxSQL::Ejecutar(QString& statement, bool silent)
{
    bool ok = false;
    try {
        if (statement.isEmpty())
            statement = SelectedQuery(true);
        std::int32_t affected = 0;
        QString server = ServerName(), database = DatabaseName(), user = UserName(), password = Password();
        const bool result = ctl_.zolt->Execute(statement, server, database, user, password, affected, silent);
        if (silent) {
            // True here means the connection step failed; the data-access object has said why.
            ok = !result;
        } else if (!result) {
            notice(QStringLiteral("No se ha podido ejecutar el comando"));
        } else {
            notice(statement.toUpper().contains(QLatin1String("DROP TABLE"))
                       ? QStringLiteral("Tabla eliminada.")
                       : QStringLiteral("{1") + QString::number(affected) + QStringLiteral("} filas afectadas."));
            ok = true;
        }
    } catch (const Error& e) {
        ReportError(errorObject_, TraceTag(QStringLiteral("MaxSQL"), QStringLiteral("Ejecutar")),
                    errorObject_ ? Error(e.number, protectNames(e.description), e.source) : e);
    } catch (const std::exception& e) {
        ReportError(errorObject_, TraceTag(QStringLiteral("MaxSQL"), QStringLiteral("Ejecutar")),
                    Error(Error::InvalidProcedureCall, QString::fromUtf8(e.what())));
    }
    return ok;
}

void MaxSQL::ResetStructureCache()
{
    ctl_.ResetStructureCache({cboConnectionType->currentText(), cboDriver->currentText(), ServerName(), DatabaseName(),
                              UserName(), Password()});
}

void MaxSQL::WriteStatusLine()
{
    Label2->setText(translate(ctl_.StatusLine(flexi_->Rows() - 1, flexi_->Cols())));
}

std::shared_ptr<void> MaxSQL::HoldCommands() { return std::make_shared<RunGuard>(*this); }
