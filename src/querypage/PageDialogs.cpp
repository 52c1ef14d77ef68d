#include "querypage/PageDialogs.h"

#include "messages/clsError.h"

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

} // namespace

PageDialogs PageDialogs::standIns()
{
    PageDialogs d;
    d.frmDSN = [] { return std::make_unique<InputDsn>(); };
    d.frmKeyFields = [] { return std::make_unique<Absent<KeyFieldsDialog>>(); };
    d.frmEdit = [] { return std::make_unique<AbsentEditor>(); };
    d.frmSettings = [] { return std::make_unique<Absent<SettingsDialog>>(); };
    d.frmNewKey = [] { return std::make_unique<Absent<NewKeyDialog>>(); };
    d.frmTables = [] { return std::make_unique<Absent<TablesDialog>>(); };
    d.frmCompare = [] { return std::make_unique<Absent<CompareDialog>>(); };
    d.frmCSV = [] { return std::make_unique<Absent<CsvDialog>>(); };
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
