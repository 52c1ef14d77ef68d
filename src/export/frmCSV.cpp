#include "export/frmCSV.h"

#include "controls/ControlSupport.h"
#include "core/Error.h"
#include "core/ProfileFile.h"
#include "core/ProgramFolder.h"
#include "core/Variant.h"
#include "core/VelmoraIni.h"
#include "messages/clsError.h"
#include "services/clsTablas.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("CSV");
const QString kQuote = QStringLiteral("\"");

// A push button of the dialogs' top row: picture over caption, acting on the
// release of any mouse button over it.
class MouseUpButton : public QToolButton {
    Q_OBJECT
public:
    MouseUpButton(const QString& name, const QString& caption, QStyle::StandardPixmap picture, QWidget* parent)
        : QToolButton(parent)
    {
        setObjectName(name);
        setText(caption);
        setIcon(style()->standardIcon(picture));
        setIconSize(QSize(24, 24));
        setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        setMinimumWidth(72);
        setAutoRaise(true);
    }
signals:
    void mouseUp();

protected:
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        const bool inside = rect().contains(e->position().toPoint());
        QToolButton::mouseReleaseEvent(e);
        if (inside)
            emit mouseUp();
    }
};

QLineEdit* lineEdit(QWidget* parent, const char* name, int maxLength = 0, bool centred = false)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    if (maxLength > 0) {
        e->setMaxLength(maxLength);
        e->setFixedWidth(48);
    }
    if (centred)
        e->setAlignment(Qt::AlignCenter);
    return e;
}

QLabel* label(QWidget* parent, const char* name, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

// One option of a control array: the array's name, its index in "Index".
QRadioButton* option(QButtonGroup* group, QWidget* parent, const char* name, int index, const QString& text)
{
    auto* b = new QRadioButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setProperty("Index", index);
    group->addButton(b, index);
    return b;
}

QCheckBox* check(QWidget* parent, const char* name, const QString& text, bool checked)
{
    auto* c = new QCheckBox(text, parent);
    c->setObjectName(QLatin1String(name));
    c->setChecked(checked);
    return c;
}

QGroupBox* frame(QWidget* parent, const char* name, const QString& caption)
{
    auto* f = new QGroupBox(caption, parent);
    f->setObjectName(QLatin1String(name));
    return f;
}

QFrame* separatorLine(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

// --- rules

namespace csvdialog {

QString encodeDelimiter(const QString& typed) { return QString(typed).replace(kQuote, QStringLiteral("'''")); }
QString decodeDelimiter(const QString& stored) { return QString(stored).replace(QStringLiteral("'''"), kQuote); }
QString encodeDifferentiator(const QString& typed) { return QString(typed).replace(kQuote, QStringLiteral("||||")); }
QString decodeDifferentiator(const QString& stored) { return QString(stored).replace(QStringLiteral("||||"), kQuote); }

int optionIndex(const QString& stored, int count)
{
    const int index = Variant(stored).toInt();
    if (index < 0 || index >= count)
        ::raise(340, QStringLiteral("El elemento '%1' de la matriz de controles no existe").arg(index));
    return index;
}

CSVOutputs outputsOf(const CSVFormState& s)
{
    CSVOutputs o;
    o.RutaDestino = s.txtRuta.endsWith(u'/') ? s.txtRuta : s.txtRuta + u'/';
    o.NombreFichero = s.txtNombreFichero.toUpper() + QStringLiteral(".csv");
    o.FicheroDestino = o.RutaDestino + o.NombreFichero;
    o.SeparadorCampos = s.optSeparador == 0   ? QStringLiteral(",")
                        : s.optSeparador == 1 ? QStringLiteral(";")
                                              : s.txtSeparador;
    o.FormatoFecha = s.optFecha == 0 ? QStringLiteral("dd/mm/yyyy") : QStringLiteral("YYYY-MM-DD");
    o.SeparadorDecimal = s.optNumero == 0 ? QStringLiteral(".") : QStringLiteral(",");
    // A double quote chosen from the list travels as two apostrophes; what the
    // user types travels as typed.
    o.DelimitadorCampos = s.optDelimitador == 0   ? QString()
                          : s.optDelimitador == 1 ? QStringLiteral("''")
                          : s.optDelimitador == 2 ? QStringLiteral("'")
                                                  : s.txtDelimitador;
    o.Diferenciador = s.txtDiferenciador;
    o.DelimitadorTexto = s.chkDelimitadorTexto;
    o.DelimitadorNumero = s.chkDelimitadorNumero;
    o.DelimitadorFecha = s.chkDelimitadorFecha;
    o.DelimitadorTitulos = s.chkDelimitadorTitulos;
    return o;
}

std::int16_t decimalPlaces(const QString& text) { return Variant(text).toInt(); }

std::vector<std::pair<QString, QString>> settingsOf(const CSVFormState& s)
{
    const auto yesNo = [](bool b) { return b ? QStringLiteral("S") : QStringLiteral("N"); };
    return {
        {QStringLiteral("Path"), s.txtRuta},
        {QStringLiteral("FileName"), s.txtNombreFichero},
        {QStringLiteral("Separator"), QString::number(s.optSeparador)},
        {QStringLiteral("CustomizedSeparator"), s.txtSeparador},
        {QStringLiteral("Delimitator"), QString::number(s.optDelimitador)},
        {QStringLiteral("CustomizedDelimitator"), encodeDelimiter(s.txtDelimitador)},
        {QStringLiteral("Differentiator"), encodeDifferentiator(s.txtDiferenciador)},
        {QStringLiteral("TextDelimitator"), yesNo(s.chkDelimitadorTexto)},
        {QStringLiteral("NumberDelimitator"), yesNo(s.chkDelimitadorNumero)},
        {QStringLiteral("DateDelimitator"), yesNo(s.chkDelimitadorFecha)},
        {QStringLiteral("TitlesDelimitator"), yesNo(s.chkDelimitadorTitulos)},
        {QStringLiteral("DateFormat"), QString::number(s.optFecha)},
        {QStringLiteral("NumberFormat"), QString::number(s.optNumero)},
        {QStringLiteral("Decimals"), s.txtDecimales},
    };
}

} // namespace csvdialog

// --- window

frmCSV::frmCSV(QWidget* parent) : DialogFrame(parent, Keys::BeforeControls)
{
    setObjectName(QStringLiteral("frmCSV"));
    setWindowTitle(QStringLiteral("Datos para generar CSV"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    auto* top = new QVBoxLayout(this);
    auto* buttons = new QHBoxLayout;
    auto* aceptar = new MouseUpButton(QStringLiteral("BttAceptar"), QStringLiteral("Aceptar"),
                                      QStyle::SP_DialogOkButton, this);
    auto* salir = new MouseUpButton(QStringLiteral("BttSalir"), QStringLiteral("Salir"),
                                    QStyle::SP_DialogCancelButton, this);
    BttAceptar = aceptar;
    BttSalir = salir;
    buttons->addWidget(aceptar);
    buttons->addStretch();
    buttons->addWidget(salir);
    top->addLayout(buttons);
    top->addWidget(separatorLine(this));
    top->addWidget(separatorLine(this));

    // Target file.
    auto* fichero = frame(this, "fraFichero", QStringLiteral("Fichero destino"));
    auto* gf = new QGridLayout(fichero);
    txtRuta = lineEdit(fichero, "txtRuta");
    txtNombreFichero = lineEdit(fichero, "txtNombreFichero");
    gf->addWidget(label(fichero, "lblRuta", QStringLiteral("Ruta donde se grabará el fichero")), 0, 0, 1, 2);
    gf->addWidget(txtRuta, 1, 0, 1, 2);
    gf->addWidget(label(fichero, "lblNombreFichero", QStringLiteral("Nombre del Fichero CSV (sin extensión)")), 2, 0,
                  1, 2);
    gf->addWidget(txtNombreFichero, 3, 0);
    gf->addWidget(label(fichero, "lblExtension", QStringLiteral(".CSV")), 3, 1);
    top->addWidget(fichero);

    auto* middle = new QHBoxLayout;
    auto* left = new QVBoxLayout;

    // Field separator.
    auto* separador = frame(this, "fraSeparador", QStringLiteral("Separador de campos"));
    auto* gs = new QGridLayout(separador);
    optSeparador = new QButtonGroup(this);
    gs->addWidget(option(optSeparador, separador, "optSeparador", 0, QStringLiteral("Coma")), 0, 0);
    gs->addWidget(option(optSeparador, separador, "optSeparador", 1, QStringLiteral("Punto y Coma")), 1, 0);
    gs->addWidget(option(optSeparador, separador, "optSeparador", 2, QStringLiteral("Otro")), 2, 0);
    txtSeparador = lineEdit(separador, "txtSeparador", 1, true);
    txtSeparador->setEnabled(false);
    gs->addWidget(txtSeparador, 2, 1);
    optSeparador->button(0)->setChecked(true);
    left->addWidget(separador);

    // Date format.
    auto* fecha = frame(this, "fraFecha", QStringLiteral("Formato Fecha"));
    auto* gd = new QVBoxLayout(fecha);
    optFecha = new QButtonGroup(this);
    gd->addWidget(option(optFecha, fecha, "optFecha", 0, QStringLiteral("dd/mm/yyyy")));
    gd->addWidget(option(optFecha, fecha, "optFecha", 1, QStringLiteral("YYYY-MM-DD")));
    optFecha->button(0)->setChecked(true);
    left->addWidget(fecha);

    // Number format.
    auto* numero = frame(this, "fraNumero", QStringLiteral("Formato Numérico"));
    auto* gn = new QGridLayout(numero);
    optNumero = new QButtonGroup(this);
    gn->addWidget(option(optNumero, numero, "optNumero", 0, QStringLiteral("Separador Decimal Punto")), 0, 0, 1, 2);
    gn->addWidget(option(optNumero, numero, "optNumero", 1, QStringLiteral("Separador Decimal Coma")), 1, 0, 1, 2);
    gn->addWidget(label(numero, "lblDecimales", QStringLiteral("Decimales")), 2, 0);
    txtDecimales = lineEdit(numero, "txtDecimales", 1, true);
    txtDecimales->setText(QStringLiteral("4"));
    gn->addWidget(txtDecimales, 2, 1, Qt::AlignLeft);
    optNumero->button(0)->setChecked(true);
    left->addWidget(numero);
    left->addStretch();
    middle->addLayout(left);

    // Delimiter.
    auto* delimitador = frame(this, "fraDelimitador", QStringLiteral("Delimitador de Campos"));
    auto* gl = new QGridLayout(delimitador);
    optDelimitador = new QButtonGroup(this);
    gl->addWidget(option(optDelimitador, delimitador, "optDelimitador", 0, QStringLiteral("Ninguno")), 0, 0);
    gl->addWidget(option(optDelimitador, delimitador, "optDelimitador", 1, QStringLiteral("Comillas Dobles")), 1, 0);
    gl->addWidget(option(optDelimitador, delimitador, "optDelimitador", 2, QStringLiteral("Comilla Sencilla")), 2, 0);
    gl->addWidget(option(optDelimitador, delimitador, "optDelimitador", 3, QStringLiteral("Otro")), 3, 0);
    txtDelimitador = lineEdit(delimitador, "txtDelimitador", 1, true);
    txtDelimitador->setEnabled(false);
    gl->addWidget(txtDelimitador, 3, 1, Qt::AlignLeft);
    gl->addWidget(label(delimitador, "lblDiferenciador", QStringLiteral("Reemplazar con")), 4, 0);
    txtDiferenciador = lineEdit(delimitador, "txtDiferenciador", 3, true);
    txtDiferenciador->setEnabled(false);
    gl->addWidget(txtDiferenciador, 4, 1, Qt::AlignLeft);
    gl->addWidget(label(delimitador, "lblDiferenciadorNota", QStringLiteral("(Si delimitador aparece en los resultados)")),
                  5, 0, 1, 2);
    chkDelimitadorTexto = check(delimitador, "chkDelimitadorTexto", QStringLiteral("Usar Delimitador en campos de Texto"), true);
    chkDelimitadorNumero =
        check(delimitador, "chkDelimitadorNumero", QStringLiteral("Usar Delimitador en campos numéricos"), false);
    chkDelimitadorFecha = check(delimitador, "chkDelimitadorFecha", QStringLiteral("Usar Delimitador en campos Fecha"), false);
    chkDelimitadorTitulos =
        check(delimitador, "chkDelimitadorTitulos", QStringLiteral("Aplicar Delimitador también a los títulos"), true);
    gl->addWidget(chkDelimitadorTexto, 6, 0, 1, 2);
    gl->addWidget(chkDelimitadorNumero, 7, 0, 1, 2);
    gl->addWidget(chkDelimitadorFecha, 8, 0, 1, 2);
    gl->addWidget(chkDelimitadorTitulos, 9, 0, 1, 2);
    auto* note = label(delimitador, "lblDelimitadorNota",
                       QStringLiteral("Solo se aplicarán delimitadores a campos de los tipos marcados cuyo nombre "
                                      "termine con el carácter #"));
    note->setWordWrap(true);
    gl->addWidget(note, 10, 0, 1, 2);
    gl->setColumnStretch(1, 1);
    optDelimitador->button(0)->setChecked(true);
    middle->addWidget(delimitador, 1);
    top->addLayout(middle);
    top->setSizeConstraint(QLayout::SetFixedSize);

    connect(aceptar, &MouseUpButton::mouseUp, this, [this] { BttAceptar_MouseUp(); });
    connect(salir, &MouseUpButton::mouseUp, this, [this] { BttSalir_MouseUp(); });
    connect(optSeparador, &QButtonGroup::idClicked, this, [this](int id) { optSeparador_Click(id); });
    connect(optDelimitador, &QButtonGroup::idClicked, this, [this](int id) { optDelimitador_Click(id); });
}

frmCSV::~frmCSV() = default;

template <class F>
void frmCSV::handle(const char* traceTag, F&& body) const
{
    // Tags are written as the system writes them, case and all.
    controls::trapTagged(MSG.get(), QString::fromLatin1(traceTag), std::forward<F>(body));
}

QString frmCSV::settingsFile() const { return ProgramFolder::file(QStringLiteral("Velmora.ini")); }

int frmCSV::GetSelectedOption(const QButtonGroup* group) const
{
    int selected = 0;
    handle("{1FRMCSV.GETSELECTEDOPTION}", [&] {
        QList<int> ids;
        for (QAbstractButton* b : group->buttons())
            ids << group->id(b);
        std::sort(ids.begin(), ids.end());
        for (int id : ids)
            if (group->button(id)->isChecked()) {
                selected = id;
                return;
            }
    });
    return selected;
}

void frmCSV::select(QButtonGroup* group, int index)
{
    group->button(index)->setChecked(true);
    if (group == optSeparador)
        optSeparador_Click(index);
    else if (group == optDelimitador)
        optDelimitador_Click(index);
}

CSVFormState frmCSV::state() const
{
    CSVFormState s;
    s.txtRuta = txtRuta->text();
    s.txtNombreFichero = txtNombreFichero->text();
    s.optSeparador = GetSelectedOption(optSeparador);
    s.txtSeparador = txtSeparador->text();
    s.optDelimitador = GetSelectedOption(optDelimitador);
    s.txtDelimitador = txtDelimitador->text();
    s.txtDiferenciador = txtDiferenciador->text();
    s.chkDelimitadorTexto = chkDelimitadorTexto->isChecked();
    s.chkDelimitadorNumero = chkDelimitadorNumero->isChecked();
    s.chkDelimitadorFecha = chkDelimitadorFecha->isChecked();
    s.chkDelimitadorTitulos = chkDelimitadorTitulos->isChecked();
    s.optFecha = GetSelectedOption(optFecha);
    s.optNumero = GetSelectedOption(optNumero);
    s.txtDecimales = txtDecimales->text();
    return s;
}

void frmCSV::Form_Load()
{
    handle("{1FRMCSV.FORM_LOAD}", [&] {
        const QString file = settingsFile();
        const auto read = [&](const char* key, const QString& def = QString()) {
            return clsTablas::LeerIni(file, kSection, QLatin1String(key), def.isEmpty() ? Variant() : Variant(def));
        };
        QString path = velmoraini::read(velmoraini::CsvPath, file);
        if (path.isEmpty()) {
            path = ProgramFolder::path() + QStringLiteral("/CSV/");
            if (!QFileInfo::exists(path) && !QDir().mkdir(path))
                ::raise(Error::PathNotFound, QStringLiteral("No se ha podido crear la carpeta ") + path);
            if (!velmoraini::write(velmoraini::CsvPath, path, file))
                ::raise(Error::PathNotFound, QStringLiteral("No se ha podido escribir en ") + file);
        }
        txtRuta->setText(path.endsWith(u'/') ? path : path + u'/');
        txtNombreFichero->setText(read("FileName"));
        select(optSeparador, csvdialog::optionIndex(read("Separator", QStringLiteral("0")), 3));
        txtSeparador->setText(read("CustomizedSeparator"));
        select(optDelimitador, csvdialog::optionIndex(read("Delimitator", QStringLiteral("0")), 4));
        txtDelimitador->setText(csvdialog::decodeDelimiter(read("CustomizedDelimitator")));
        txtDiferenciador->setText(csvdialog::decodeDifferentiator(read("Differentiator")));
        chkDelimitadorTexto->setChecked(read("TextDelimitator", QStringLiteral("S")) == QLatin1String("S"));
        chkDelimitadorNumero->setChecked(read("NumberDelimitator", QStringLiteral("N")) == QLatin1String("S"));
        chkDelimitadorFecha->setChecked(read("DateDelimitator", QStringLiteral("N")) == QLatin1String("S"));
        chkDelimitadorTitulos->setChecked(read("TitlesDelimitator", QStringLiteral("S")) == QLatin1String("S"));
        select(optFecha, csvdialog::optionIndex(read("DateFormat", QStringLiteral("0")), 2));
        select(optNumero, csvdialog::optionIndex(read("NumberFormat", QStringLiteral("0")), 2));
        txtDecimales->setText(read("Decimals", QStringLiteral("4")));
        if (MSG)
            MSG->TransMe(this);
    });
}

void frmCSV::optSeparador_Click(int index)
{
    handle("{1FRMCSV.OPTSEPARADOR_CLICK}", [&] {
        txtSeparador->setEnabled(index == 2);
        if (index != 2)
            txtSeparador->clear();
    });
}

void frmCSV::optDelimitador_Click(int index)
{
    handle("{1FRMCSV.OPTDELIMITADOR_CLICK}", [&] {
        txtDelimitador->setEnabled(index == 3);
        if (index != 3)
            txtDelimitador->clear();
        txtDiferenciador->setEnabled(index != 0);
        if (index == 0)
            txtDiferenciador->clear();
    });
}

bool frmCSV::notBlank(QLineEdit* control, const QString& description)
{
    if (!scr_)
        ::raise(Error::ObjectVariableNotSet, QStringLiteral("Variable de objeto o de bloque With no establecida"));
    return scr_->EvitarBlancos(control, QString(), description);
}

void frmCSV::BttAceptar_MouseUp()
{
    handle("{1FRMCSV.BTTACEPTAR_MOUSEUP}", [&] {
        if (!notBlank(txtRuta, QStringLiteral("La ruta")))
            return;
        if (!txtRuta->text().endsWith(u'/'))
            txtRuta->setText(txtRuta->text() + u'/');
        if (!notBlank(txtNombreFichero, QStringLiteral("El nombre del fichero")))
            return;
        if (GetSelectedOption(optSeparador) == 2 &&
            !notBlank(txtSeparador, QStringLiteral("El separador personalizado")))
            return;
        if (!notBlank(txtDecimales, QStringLiteral("El Número de decimales")))
            return;
        const int delimiter = GetSelectedOption(optDelimitador);
        if (delimiter == 3 && !notBlank(txtDelimitador, QStringLiteral("El delimitador personalizado")))
            return;
        if (delimiter != 0 &&
            !notBlank(txtDiferenciador, QStringLiteral("El diferenciador para el caso de que el delimitador aparezca "
                                                       "dentro de las cadenas de resultado")))
            return;

        const CSVFormState s = state();
        CSVOutputs out = csvdialog::outputsOf(s);
        if (out.SeparadorCampos == out.SeparadorDecimal) {
            MSG->MsgBox(QStringLiteral("El separador decimal y el separador de campos no pueden coincidir"), 64,
                         QStringLiteral("Aviso"));
            return;
        }
        out.PosicionesDecimales = csvdialog::decimalPlaces(s.txtDecimales);

        // The 14 keys in one write: all of them or none.
        const QString file = settingsFile();
        ProfileFile ini = ProfileFile::load(file);
        for (const auto& [key, value] : csvdialog::settingsOf(s))
            if (!ini.setValue(kSection, key, value))
                ::raise(Error::InvalidProcedureCall, QStringLiteral("No se puede guardar el valor de ") + key);
        if (!ini.save(file))
            ::raise(Error::PathNotFound, QStringLiteral("No se ha podido escribir en ") + file);

        outputs_ = out;
        cancelled_ = false;
        done(QDialog::Accepted);
    });
}

void frmCSV::BttSalir_MouseUp()
{
    handle("{1FRMCSV.BttSalir_MOUSEUP}", [&] {
        cancelled_ = true;
        done(QDialog::Rejected);
    });
}

bool frmCSV::Form_KeyPress(int keyAscii)
{
    if (keyAscii != 27 && keyAscii != 13)
        return false;
    handle("{1FRMCSV.FORM_KEYPRESS}", [&] {
        if (keyAscii == 27)
            BttSalir_MouseUp();
        else
            BttAceptar_MouseUp();
    });
    return true;
}

void frmCSV::showEvent(QShowEvent* event)
{
    ensureLoaded();
    QDialog::showEvent(event);
}

#include "frmCSV.moc"
