#include "mainwindow/frmDSN.h"

#include "controls/ControlSupport.h"
#include "controls/MaxGrid.h"
#include "platform/dsn/DataSources.h"
#include "controls/PushButton.h"

frmDSN::frmDSN(QWidget* parent)
    : DialogFrame(QStringLiteral("frmDSN"), QStringLiteral("Selección de Fuente ODBC (DSN)"), 4545, 5100, true, parent)
{
    BttAceptar = addButton("BttAceptar", "Aceptar", 90, 855, QStyle::SP_DialogApplyButton, "BttAceptar_MouseUp",
                           [this] { BttAceptar_MouseUp(); });
    BttSalir = addButton("BttSalir", "Salir", 3660, 795, QStyle::SP_DialogCloseButton, "BttSalir_MouseUp",
                         [this] { BttSalir_MouseUp(); });
    addLines(4545);

    fgrDSN = new MaxGrid(this);
    fgrDSN->setObjectName(QStringLiteral("fgrDSN"));
    controls::setTwipsGeometry(fgrDSN, 90, 1080, 4365, 3945);
    fgrDSN->setEditable(false);
    fgrDSN->setCols(2);
    fgrDSN->setRows(1);
    fgrDSN->setFixedRows(1);
    fgrDSN->setFixedCols(0);
    // The list holds data sources; its header is translated with the window.
    fgrDSN->setTextMatrix(0, 1, QStringLiteral("Origen de Datos"));
    fgrDSN->setProperty("Tag", QStringLiteral("Translatable"));
    fgrDSN->setColumnsFitText(true);
    fgrDSN->setSelectionMode(1); // whole rows
    fgrDSN->setScrollBars(2);    // vertical
    fgrDSN->setAllowUserResizing(1);
    connect(fgrDSN, &MaxGrid::DblClick, this, [this] { acceptButton(); });
}

QStringList frmDSN::EnumDSN(int firstDirection, const QString& filter)
{
    QStringList names;
    guarded(QStringLiteral("EnumDSN"), [&] { names = dsn::EnumDSN(firstDirection, filter); });
    return names;
}

void frmDSN::FormatGrid(int rows)
{
    controls::RedrawGuard redraw(*fgrDSN);
    fgrDSN->setRows(1);
    fgrDSN->setRows(rows + 1);
    fgrDSN->setColWidth(0, 0);
    fgrDSN->setColWidth(1, fgrDSN->Width());
    if (rows > 0)
        fgrDSN->setTopRow(1);
}

void frmDSN::Form_Load()
{
    guarded(QStringLiteral("Form_Load"), [this] {
        const QStringList names = EnumDSN(dsn::FetchFirstSystem, DatabaseType);
        FormatGrid(int(names.size()));
        for (int i = 0; i < names.size(); ++i)
            fgrDSN->setTextMatrix(i + 1, 1, names[i]);
        if (!names.isEmpty())
            fgrDSN->setRow(1);
        if (MSG)
            MSG->TransMe(this);
    });
}

void frmDSN::BttAceptar_MouseUp()
{
    // Only a data row holds a name; the header row's text is no data source.
    const int row = fgrDSN->Row();
    if (row < 1 || row >= fgrDSN->Rows())
        return;
    DSN = fgrDSN->TextMatrix(row, 1);
    cancelled_ = false;
    hide();
}

void frmDSN::BttSalir_MouseUp()
{
    cancelled_ = true;
    hide();
}
