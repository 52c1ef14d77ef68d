#include "querypage/PageDialogs.h"

#include "compare/frmCompare.h"
#include "controls/ModalRunner.h"
#include "export/clsCSV.h"
#include "export/clsExcel.h"
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

// The CSV options window, made at its first showing and let go by Unload.
class RealCsvOptions : public CsvDialog {
public:
    void Show(QWidget* owner) override
    {
        if (!window_)
            window_ = std::make_unique<frmCSV>();
        window_->setSCR(SCR);
        window_->setMSG(MSG);
        controls::runModal(*window_, owner);
        Cancelled = window_->Cancelled();
        if (!Cancelled)
            Outputs = window_->Outputs();
    }
    void Unload() override
    {
        window_.reset();
        Cancelled = true;
    }

private:
    std::unique_ptr<frmCSV> window_;
};

class RealCsvWriter : public CsvWriter {
public:
    bool StartObject(QObject* oParent, std::shared_ptr<clsDO> zolt, std::shared_ptr<clsError> msg,
                     std::shared_ptr<clsTablas> scr) override
    {
        return writer_.StartObject(oParent, std::move(zolt), std::move(msg), std::move(scr));
    }
    bool GenerateCSV(const QString& sSQL, const CollectionPtr& colParams) override
    {
        return writer_.GenerateCSV(sSQL, colParams);
    }

private:
    clsCSV writer_;
};

class RealExcelWriter : public ExcelWriter {
public:
    bool StartObject(QObject* oParent, std::shared_ptr<clsDO> zolt, std::shared_ptr<clsError> msg,
                     std::shared_ptr<clsTablas> scr) override
    {
        return writer_.StartObject(oParent, std::move(zolt), std::move(msg), std::move(scr));
    }
    bool GenerateExcelKnownCellCount(const QString& strSQL, const QString& sTitulo, std::int32_t lRows,
                                     std::int32_t lCols, const QString& sHeaders) override
    {
        return writer_.GenerateExcelKnownCellCount(strSQL, sTitulo, lRows, lCols, sHeaders);
    }

private:
    clsExcel writer_;
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
        // One instance for every page; its window lives only from Show to Unload.
        static const auto shared = std::make_shared<RealCsvOptions>();
        return shared;
    };
    d.clsCSV = [] { return std::make_unique<RealCsvWriter>(); };
    d.clsExcel = [] { return std::make_unique<RealExcelWriter>(); };
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
