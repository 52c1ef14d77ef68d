#include "mainwindow/frmKeyFields.h"

#include "controls/ControlSupport.h"
#include "controls/PushButton.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

// The design's outer height less its client height: caption and borders.
constexpr double DesignFrame = 7110 - 6675;

QLabel* label(QWidget* parent, const char* name, const char* caption, double left, double top, double width,
              double height)
{
    auto* l = new QLabel(QString::fromUtf8(caption), parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setWordWrap(true);
    controls::setTwipsGeometry(l, left, top, width, height);
    return l;
}

} // namespace

frmKeyFields::frmKeyFields(QWidget* parent)
    : DialogFrame(QStringLiteral("frmKeyFields"), QStringLiteral("Campos Clave"), 7890, 6675, true, parent)
{
    BttAceptar = addButton("BttAceptar", "Aceptar", 90, 855, QStyle::SP_DialogApplyButton, "BttAceptar_MouseUp",
                           [this] { BttAceptar_MouseUp(); });
    BttLimpiar = addButton("BttLimpiar", "Vaciar", 960, 795, QStyle::SP_DialogResetButton, "BttLimpiar_MouseUp",
                           [this] { BttLimpiar_MouseUp(); });
    BttSalir = addButton("BttSalir", "Salir", 6990, 795, QStyle::SP_DialogCloseButton, "BttSalir_MouseUp",
                         [this] { BttSalir_MouseUp(); });
    addLines(7890);

    auto* Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setFrameShape(QFrame::Box);
    controls::setTwipsGeometry(Shape1, 90, 1080, 7695, 1170);
    label(this, "Label1",
          "Escriba el campo clave de la tabla. Si son varios sepárelos por comas. Puede escribirlos por su nombre o "
          "por el número de su posición.",
          210, 1140, 7455, 600);
    label(this, "Label2",
          "Use solo el nombre del Campo tal como aparece en la cabecera de la rejilla, sin anteponer la tabla.", 210,
          1740, 7455, 450);
    label(this, "Label5", "Lista de Campos Clave", 90, 2370, 7695, 240);
    txtKeyFields = new QPlainTextEdit(this);
    txtKeyFields->setObjectName(QStringLiteral("txtKeyFields"));
    txtKeyFields->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    controls::setTwipsGeometry(txtKeyFields, 90, 2640, 7695, 3165);
    Label3 = label(this, "Label3", "Contexto", 90, 5880, 1200, 240);
    Label4 = label(this, "Label4", "Si necesita algún contexto escriba la sentencia en la casilla destinada a tal fin.",
                   990, 5880, 6795, 240);
    Label4->setWordWrap(false);
    QFont small = Label4->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    Label4->setFont(small);
    txtContext = new QLineEdit(this);
    txtContext->setObjectName(QStringLiteral("txtContext"));
    controls::setTwipsGeometry(txtContext, 90, 6150, 7695, 315);
}

void frmKeyFields::setHeightTwips(double height)
{
    const QRect client = controls::pixelRectFromTwips(0, 0, 7890, height - DesignFrame);
    setFixedSize(client.size());
}

void frmKeyFields::setContextVisible(bool visible)
{
    txtContext->setVisible(visible);
    Label3->setVisible(visible);
    Label4->setVisible(visible);
}

bool frmKeyFields::contextVisible() const { return !txtContext->isHidden(); }

void frmKeyFields::BttAceptar_MouseUp()
{
    cancelled_ = false;
    hide();
}

void frmKeyFields::BttSalir_MouseUp()
{
    cancelled_ = true;
    hide();
}

void frmKeyFields::BttLimpiar_MouseUp()
{
    txtKeyFields->clear();
    if (!contextVisible())
        return;
    if (message(QStringLiteral("Campos clave borrados.\r\n\r\n¿Desea borrar también el contexto?"), 36, windowTitle()) == 6)
        txtContext->clear();
}

bool frmKeyFields::Form_KeyPress(int KeyAscii)
{
    if (KeyAscii != 27)
        return false; // Enter and every other key belong to the boxes
    exitButton();
    return true;
}
