#include "mainwindow/frmNewKey.h"

#include "controls/ControlSupport.h"
#include "core/Collection.h"
#include "core/Screen.h"
#include "data/clsDO.h"
#include "mainwindow/NewKeyRules.h"
#include "controls/PushButton.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frmNewKey::frmNewKey(QWidget* parent)
    : DialogFrame(QStringLiteral("frmNewKey"), QStringLiteral("Campos Clave Nuevo Registro"), 6285, 2040, true, parent)
{
    BttAceptar = addButton("BttAceptar", "Aceptar", 90, 855, QStyle::SP_DialogApplyButton, "BttAceptar_MouseUp",
                           [this] { BttAceptar_MouseUp(); });
    BttLimpiar = addButton("BttLimpiar", "Vaciar", 960, 795, QStyle::SP_DialogResetButton, "BttLimpiar_MouseUp",
                           [this] { BttLimpiar_MouseUp(); });
    BttSalir = addButton("BttSalir", "Salir", 5430, 795, QStyle::SP_DialogCloseButton, "BttSalir_MouseUp",
                         [this] { BttSalir_MouseUp(); });
    addLines(6285);
    makeRow(0);
    controls::setTwipsGeometry(lblField[0], 630, 1380, 1815, 225);
    controls::setTwipsGeometry(txtField[0], 2580, 1350, 2325, 315);
}

void frmNewKey::makeRow(int row)
{
    auto* label = new QLabel(this);
    label->setObjectName(QStringLiteral("lblField"));
    label->setProperty("Index", row);
    auto* box = new QLineEdit(this);
    box->setObjectName(QStringLiteral("txtField"));
    box->setProperty("Index", row);
    lblField << label;
    txtField << box;
    BttMax << nullptr;
}

void frmNewKey::AddKeyRow(const QString& caption, const QString& typeWord, const QString& qualifiedName, bool withMax)
{
    const int row = rows_;
    if (row > 0)
        makeRow(row);
    QLabel* label = lblField[row];
    QLineEdit* box = txtField[row];
    label->setText(caption);
    const double textWidth = QFontMetricsF(label->font()).horizontalAdvance(caption) * Screen::twipsPerPixel();
    const NewKeyRules::RowPlace p = NewKeyRules::rowPlace(row, textWidth);
    controls::setTwipsGeometry(label, p.LabelLeft, p.LabelTop, p.LabelWidth, 225);
    controls::setTwipsGeometry(box, p.TextLeft, p.TextTop, p.TextWidth, 315);
    box->setProperty("Tag", typeWord);
    label->show();
    box->show();
    if (row > 0 && withMax) {
        auto* max = new QPushButton(QStringLiteral("Max + 1"), this);
        max->setObjectName(QStringLiteral("BttMax"));
        max->setProperty("Index", row);
        max->setProperty("Tag", qualifiedName);
        max->setFocusPolicy(Qt::TabFocus);
        controls::setTwipsGeometry(max, p.MaxLeft, p.MaxTop, 885, 315);
        max->show();
        connect(max, &QPushButton::released, this,
                [this, row] { guarded(QStringLiteral("BttMax_MouseUp"), [this, row] { BttMax_MouseUp(row); }); });
        BttMax[row] = max;
    }
    ++rows_;
    // The window grows with its rows and is wide enough for the widest one.
    const QRectF last = controls::twipsGeometry(box);
    double right = 6285;
    for (int i = 0; i < rows_; ++i) {
        const QRectF r = controls::twipsGeometry(BttMax[i] ? static_cast<QWidget*>(BttMax[i]) : txtField[i]);
        right = qMax(right, r.right() + 240);
    }
    const QRect size = controls::pixelRectFromTwips(0, 0, right, NewKeyRules::windowHeight(last.top()));
    setFixedSize(size.size());
}

void frmNewKey::BttAceptar_MouseUp()
{
    for (int i = 0; i < txtField.size(); ++i) {
        QLineEdit* box = txtField[i];
        const QString value = box->text();
        QString problem;
        if (value.isEmpty())
            problem = QStringLiteral("Para poder generar un nuevo registro todos los campos clave deben tener valor.");
        else
            problem = NewKeyRules::typeMessage(box->property("Tag").toString(), value, lblField[i]->text());
        if (!problem.isEmpty()) {
            message(problem, 64, Title);
            box->setFocus();
            return;
        }
    }
    cancelled_ = false;
    hide();
}

void frmNewKey::BttSalir_MouseUp()
{
    cancelled_ = true;
    hide();
}

void frmNewKey::BttLimpiar_MouseUp()
{
    if (message(QStringLiteral("¿Desea limpiar todos los valores de la clave?"), 36, Title) != 6)
        return;
    for (QLineEdit* box : txtField)
        box->clear();
}

void frmNewKey::BttMax_MouseUp(int Index)
{
    if (Index < 0 || Index >= BttMax.size() || !BttMax[Index] || !Zolt)
        return;
    const NewKeyRules::Quoting quoting = Zolt->IsOracle() ? NewKeyRules::Quoting::Oracle : NewKeyRules::Quoting::Brackets;
    QString sql = NewKeyRules::maxStatement(BttMax[Index]->property("Tag").toString(), quoting);
    QString none1, none2, none3, none4;
    const Variant result = Zolt->Query(sql, none1, none2, none3, none4, QStringLiteral("Collection"));
    const auto rows = result.as<Collection>();
    if (!rows || rows->Count() != 1)
        return;
    const auto record = rows->Item(Variant(std::int32_t(1))).as<Collection>();
    if (!record || record->Count() < 1)
        return;
    txtField[Index]->setText(NewKeyRules::nextValue(record->Item(Variant(std::int32_t(1)))));
}
