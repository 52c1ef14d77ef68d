#include "mainwindow/PageDialogFactories.h"

#include "compare/frmCompare.h"
#include "controls/ModalRunner.h"
#include "export/clsCSV.h"
#include "export/clsExcel.h"
#include "export/frmCSV.h"
#include "mainwindow/frmDSN.h"
#include "mainwindow/frmEdit.h"
#include "mainwindow/frmKeyFields.h"
#include "mainwindow/frmNewKey.h"
#include "mainwindow/frmSettings.h"
#include "messages/clsError.h"
#include "pagedialogs/PageDialogs.h"
#include "querypage/MaxSQL.h"
#include "controls/ModalRunner.h"
#include "schema/frmTables.h"
#include "services/HostWindow.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace mainwindow {

namespace {

void translate(const std::shared_ptr<clsError>& msg, QWidget* window)
{
    if (msg)
        msg->TransMe(window);
}

class RealDsn : public DsnDialog {
public:
    void Show(QWidget* owner) override
    {
        frmDSN w;
        w.MSG = MSG;
        w.DatabaseType = DatabaseType;
        controls::runModal(w, owner);
        Cancelled = w.Cancelled();
        if (!Cancelled)
            DSN = w.DSN;
    }
};

class RealKeyFields : public KeyFieldsDialog {
public:
    void Show(QWidget* owner) override
    {
        frmKeyFields w;
        translate(MSG, &w);
        w.MSG = MSG;
        w.txtKeyFields->setPlainText(KeyFields);
        w.txtContext->setText(Context);
        w.setContextVisible(ContextVisible);
        w.setHeightTwips(Height);
        controls::runModal(w, owner);
        Cancelled = w.Cancelled();
        if (Cancelled)
            return;
        KeyFields = w.txtKeyFields->toPlainText();
        Context = w.txtContext->text();
    }
};

class RealEdit : public EditDialog {
public:
    void Show(QWidget* owner) override
    {
        frmEdit w;
        // The main window's frame measures, reached through the page's host.
        if (auto* page = dynamic_cast<MaxSQL*>(owner))
            if (auto* host = dynamic_cast<PageHost*>(page->ParentForm()))
                w.setFrameMeasures(host->CaptionHeight(), host->FrameWidth(), host->FrameHeight());
        translate(MSG, &w);
        w.txtSQL->setPlainText(Text);
        w.MSG = MSG;
        controls::runModal(w, owner);
        Text = w.txtSQL->toPlainText();
        Cancelled = Text == QLatin1String("{ignore}");
    }
};

class RealSettings : public SettingsDialog {
public:
    void Show(QWidget* owner) override
    {
        frmSettings w;
        w.MSG = MSG;
        w.SCR = SCR;
        controls::runModal(w, owner);
        Cancelled = !w.Saved();
    }
};

class RealNewKey : public NewKeyDialog {
public:
    void Show(QWidget* owner) override
    {
        frmNewKey w;
        translate(MSG, &w);
        for (const KeyField& f : Fields)
            w.AddKeyRow(f.caption, f.typeWord, f.qualifiedName, f.maxButton);
        w.MSG = MSG;
        w.Zolt = Zolt;
        controls::runModal(w, owner);
        Cancelled = w.Cancelled();
        if (Cancelled)
            return;
        for (std::size_t i = 0; i < Fields.size() && int(i) < w.txtField.size(); ++i)
            Fields[i].value = w.txtField[int(i)]->text();
    }
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
        window.Connection = Connection;
        controls::runModal(window, owner);
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
        window.setCurrent(Current);
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

void useRealDialogs(PageDialogs& d)
{
    d.frmDSN = [] { return std::make_unique<RealDsn>(); };
    d.frmKeyFields = [] { return std::make_unique<RealKeyFields>(); };
    d.frmEdit = [] { return std::make_unique<RealEdit>(); };
    d.frmSettings = [] { return std::make_unique<RealSettings>(); };
    d.frmNewKey = [] { return std::make_unique<RealNewKey>(); };
    d.frmTables = [] { return std::make_unique<SchemaTables>(); };
    d.frmCompare = [] { return std::make_unique<RealCompare>(); };
    d.frmCSV = [] {
        // One instance for every page; its window lives only from Show to Unload.
        static const auto shared = std::make_shared<RealCsvOptions>();
        return shared;
    };
    d.clsCSV = [] { return std::make_unique<RealCsvWriter>(); };
    d.clsExcel = [] { return std::make_unique<RealExcelWriter>(); };
}

void installPageDialogs() { PageDialogs::installDefaults(useRealDialogs); }

} // namespace mainwindow
