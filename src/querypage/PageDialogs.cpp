#include "querypage/PageDialogs.h"

#include "compare/frmCompare.h"
#include "controls/ModalRunner.h"
#include "messages/clsError.h"
#include "schema/ModalRunner.h"
#include "schema/frmTables.h"

#include <QInputDialog>

namespace {

class InputDsn : public DsnDialog {
public:
    void Show(QWidget* owner) override
    {
        const auto tr = [this](const char* text) {
            const QString s = QString::fromUtf8(text);
            return MSG ? MSG->Translate(s, true, QStringLiteral("MaxSQL")) : s;
        };
        bool ok = false;
        const QString name =
            QInputDialog::getText(owner, tr("Origen de Datos"), DatabaseType, QLineEdit::Normal, QString(), &ok);
        Cancelled = !ok || name.trimmed().isEmpty();
        if (!Cancelled)
            DSN = name.trimmed();
    }
};

template <class D>
class Absent : public D {
public:
    void Show(QWidget*) override { this->Cancelled = true; }
};

class AbsentEditor : public EditDialog {
public:
    void Show(QWidget*) override { Text = QStringLiteral("{ignore}"); }
};

// The schema editor's table list.
class SchemaTables : public TablesDialog {
public:
    void Show(QWidget* owner) override
    {
        frmTables window(owner);
        window.MSG = MSG;
        window.SCR = SCR;
        window.Zolt = Zolt;
        window.SRV = SRV;
        window.BBDD = BBDD;
        window.uID = uID;
        window.PWD = PWD;
        schema::runModal(window, owner);
        Cancelled = window.Cancelled();
        sql = window.sql();
        KeyFields = window.KeyFields();
    }
};

// The database comparison: the inputs in the order the window expects; nothing comes back.
class RealCompare : public CompareDialog {
public:
    void Show(QWidget* owner) override
    {
        frmCompare window(owner);
        window.setZolt(Zolt);
        window.setMSG(MSG);
        window.setSCR(SCR);
        window.setCurrentConnectionType(std::int16_t(CurrentConnectionType));
        window.setCurrentDriver(std::int16_t(CurrentDriver));
        window.setCurrentSRV(CurrentSRV);
        window.setCurrentBBDD(CurrentBBDD);
        window.setCurrentUID(CurrentUID);
        window.setCurrentPWD(CurrentPWD);
        window.setParentFormTop(ParentFormTop);
        window.setParentFormHeight(ParentFormHeight);
        controls::runModal(window, owner);
    }
};

// A writer whose subsystem is not part of this build: it writes nothing.
class AbsentCsv : public CsvWriter {
public:
    bool StartObject(QObject*, std::shared_ptr<clsDO>, std::shared_ptr<clsError>, std::shared_ptr<clsTablas>) override
    {
        return true;
    }
    bool GenerateCSV(const QString&, const CollectionPtr&) override { return false; }
};

class AbsentExcel : public ExcelWriter {
public:
    bool StartObject(QObject*, std::shared_ptr<clsDO>, std::shared_ptr<clsError>, std::shared_ptr<clsTablas>) override
    {
        return true;
    }
    bool GenerateExcelKnownCellCount(const QString&, const QString&, std::int32_t, std::int32_t, const QString&) override
    {
        return false;
    }
};

} // namespace

PageDialogs PageDialogs::standIns()
{
    PageDialogs d;
    d.frmDSN = [] { return std::make_unique<InputDsn>(); };
    d.frmKeyFields = [] { return std::make_unique<Absent<KeyFieldsDialog>>(); };
    d.frmEdit = [] { return std::make_unique<AbsentEditor>(); };
    d.frmSettings = [] { return std::make_unique<Absent<SettingsDialog>>(); };
    d.frmNewKey = [] { return std::make_unique<Absent<NewKeyDialog>>(); };
    d.frmTables = [] { return std::make_unique<SchemaTables>(); };
    d.frmCompare = [] { return std::make_unique<RealCompare>(); };
    d.frmCSV = [] {
        static const auto shared = std::make_shared<Absent<CsvDialog>>();
        return shared;
    };
    d.clsCSV = [] { return std::make_unique<AbsentCsv>(); };
    d.clsExcel = [] { return std::make_unique<AbsentExcel>(); };
    return d;
}

namespace {
PageDialogs::Installer& installed()
{
    static PageDialogs::Installer installer;
    return installer;
}
} // namespace

PageDialogs PageDialogs::defaults()
{
    PageDialogs d = standIns();
    if (installed())
        installed()(d);
    return d;
}

PageDialogs::Installer PageDialogs::installDefaults(Installer installer)
{
    Installer previous = std::move(installed());
    installed() = std::move(installer);
    return previous;
}
