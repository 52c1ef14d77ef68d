// Every text of the five dialogs is in the translation source in five languages.
#include "DialogTestSupport.h"

#include "mainwindow/frmDSN.h"
#include "mainwindow/frmEdit.h"
#include "mainwindow/frmKeyFields.h"
#include "mainwindow/frmNewKey.h"
#include "mainwindow/frmSettings.h"

#include <QAbstractButton>
#include <QFile>
#include <QGroupBox>
#include <QLabel>

TEST(DialogTexts, EveryTextIsInTheTranslationSource)
{
    QFile tsv(QStringLiteral(VELMORA_TRANSLATE_TSV));
    ASSERT_TRUE(tsv.open(QIODevice::ReadOnly));
    QHash<QString, QStringList> rows;
    for (const QString& line : QString::fromUtf8(tsv.readAll()).split('\n'))
        if (!line.startsWith('#') && !line.isEmpty())
            rows.insert(line.section('\t', 0, 0).toLower(), line.split('\t'));

    QStringList texts = {
        "No hay texto para copiar al portapapeles", "El texto se ha copiado al portapapeles",
        "¿Desea aplicar estos cambios?", "Editor de Consultas SQL",
        "El cambio de idioma tendrá lugar la próxima vez que inicie el programa", "Seleccione una carpeta",
        "{1}\\r\\nError: No se han podido guardar las opciones en el fichero '{2}'",
        "Para poder generar un nuevo registro todos los campos clave deben tener valor.",
        "El valor '{1}' no corresponde al tipo de dato entero establecido para el campo '{2}'",
        "El valor '{1}' no corresponde al tipo de dato numérico establecido para el campo '{2}'",
        "El valor '{1}' no corresponde al tipo de dato fecha establecido para el campo '{2}'",
        "El valor '{1}' no corresponde al tipo de dato booleano (S o N) establecido para el campo '{2}'",
        "¿Desea limpiar todos los valores de la clave?",
        "Campos clave borrados.\\r\\n\\r\\n¿Desea borrar también el contexto?", "Max + 1"};
    frmEdit edit;
    frmSettings settings;
    frmNewKey key;
    frmKeyFields fields;
    frmDSN picker;
    for (QWidget* w : std::initializer_list<QWidget*>{&edit, &settings, &key, &fields, &picker}) {
        texts << w->windowTitle();
        for (auto* b : w->findChildren<QAbstractButton*>())
            if (b->text() != "..." && !b->text().isEmpty())
                texts << b->text();
        for (auto* l : w->findChildren<QLabel*>())
            if (!l->text().isEmpty())
                texts << l->text();
        for (auto* g : w->findChildren<QGroupBox*>())
            texts << g->title();
    }
    texts << "Tablas";
    for (const QString& t : texts) {
        const QStringList row = rows.value(t.toLower());
        ASSERT_EQ(row.size(), 7) << "missing: " << t.toStdString();
        for (const QString& cell : row)
            EXPECT_FALSE(cell.trimmed().isEmpty()) << t.toStdString();
    }
    EXPECT_EQ(rows.value("identar").last(), "frmEdit.BttIdentar");
}
