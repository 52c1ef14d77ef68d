#include "mainwindow/PageDialogFactories.h"

#include "controls/ModalRunner.h"
#include "mainwindow/frmDSN.h"
#include "mainwindow/frmEdit.h"
#include "mainwindow/frmKeyFields.h"
#include "mainwindow/frmNewKey.h"
#include "mainwindow/frmSettings.h"
#include "querypage/MaxSQL.h"
#include "querypage/PageDialogs.h"
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
        w.Form_Load();
        controls::runModal(w, owner);
        Cancelled = w.Cancelled;
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
        Cancelled = w.Cancelled;
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
        w.Form_Load();
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
        Cancelled = w.Cancelled;
        if (Cancelled)
            return;
        for (std::size_t i = 0; i < Fields.size() && int(i) < w.txtField.size(); ++i)
            Fields[i].value = w.txtField[int(i)]->text();
    }
};

} // namespace

void useRealDialogs(PageDialogs& d)
{
    d.frmDSN = [] { return std::make_unique<RealDsn>(); };
    d.frmKeyFields = [] { return std::make_unique<RealKeyFields>(); };
    d.frmEdit = [] { return std::make_unique<RealEdit>(); };
    d.frmSettings = [] { return std::make_unique<RealSettings>(); };
    d.frmNewKey = [] { return std::make_unique<RealNewKey>(); };
}

void installPageDialogs() { PageDialogs::installDefaults(useRealDialogs); }

} // namespace mainwindow
