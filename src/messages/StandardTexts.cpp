#include "messages/StandardTexts.h"

#include "messages/clsError.h"

#include <QCoreApplication>
#include <QHash>
#include <QTranslator>
#include <memory>

namespace messages {

namespace {

struct StandardText {
    const char* context;
    const char* source;
    const char* spanish;
};

// What Qt's message box, input box and file dialog ask for.
constexpr StandardText kTexts[] = {
    {"QPlatformTheme", "OK", "Aceptar"},
    {"QPlatformTheme", "Cancel", "Cancelar"},
    {"QPlatformTheme", "&Yes", "&Sí"},
    {"QPlatformTheme", "&No", "&No"},
    {"QPlatformTheme", "Abort", "Anular"},
    {"QPlatformTheme", "Retry", "Reintentar"},
    {"QPlatformTheme", "Ignore", "Omitir"},
    {"QPlatformTheme", "Open", "Abrir"},
    {"QPlatformTheme", "Save", "Guardar"},
    {"QPlatformTheme", "Close", "Cerrar"},
    {"QFileDialog", "Look in:", "Buscar en:"},
    {"QFileDialog", "Back", "Atrás"},
    {"QFileDialog", "Go back", "Ir atrás"},
    {"QFileDialog", "Forward", "Adelante"},
    {"QFileDialog", "Go forward", "Ir adelante"},
    {"QFileDialog", "Parent Directory", "Carpeta superior"},
    {"QFileDialog", "Go to the parent directory", "Ir a la carpeta superior"},
    {"QFileDialog", "Create New Folder", "Crear carpeta nueva"},
    {"QFileDialog", "Create a New Folder", "Crear carpeta nueva"},
    {"QFileDialog", "List View", "Vista de lista"},
    {"QFileDialog", "Change to list view mode", "Cambiar a vista de lista"},
    {"QFileDialog", "Detail View", "Vista de detalle"},
    {"QFileDialog", "Change to detail view mode", "Cambiar a vista de detalle"},
    {"QFileDialog", "Sidebar", "Panel lateral"},
    {"QFileDialog", "List of places and bookmarks", "Lugares y marcadores"},
    {"QFileDialog", "Files", "Ficheros"},
    {"QFileDialog", "Files of type:", "Ficheros de tipo:"},
    {"QFileDialog", "File &name:", "&Nombre de fichero:"},
    {"QFileDialog", "&Open", "&Abrir"},
    {"QFileDialog", "&Save", "&Guardar"},
    {"QFileDialog", "&Choose", "&Elegir"},
    {"QFileDialog", "All Files (*)", "Todos los ficheros (*)"},
    {"QFileDialog", "Directories", "Carpetas"},
    {"QFileDialog", "Directory:", "Carpeta:"},
    {"QFileDialog", "&Rename", "&Cambiar nombre"},
    {"QFileDialog", "&Delete", "&Eliminar"},
    {"QFileDialog", "Show &hidden files", "Mostrar ficheros &ocultos"},
    {"QFileDialog", "&New Folder", "&Carpeta nueva"},
    {"QFileDialog", "New Folder", "Carpeta nueva"},
    {"QFileSystemModel", "Name", "Nombre"},
    {"QFileSystemModel", "Size", "Tamaño"},
    {"QFileSystemModel", "Type", "Tipo"},
    {"QFileSystemModel", "Date Modified", "Fecha de modificación"},
    {"QFileSystemModel", "Computer", "Equipo"},
    {"QAbstractFileIconProvider", "Drive", "Unidad"},
    {"QAbstractFileIconProvider", "Folder", "Carpeta"},
};

QString key(const char* context, const char* source)
{
    return QString::fromLatin1(context) + u'\x1f' + QString::fromUtf8(source);
}

// Answers from a table made once in the window thread: Qt also asks from the
// file dialog's own threads, which must not reach the translation database.
class StandardTranslator : public QTranslator {
public:
    explicit StandardTranslator(QHash<QString, QString> texts) : texts_(std::move(texts)) {}
    QString translate(const char* context, const char* sourceText, const char*, int) const override
    {
        return context && sourceText ? texts_.value(key(context, sourceText)) : QString();
    }
    bool isEmpty() const override { return false; }

private:
    const QHash<QString, QString> texts_;
};

} // namespace

QString spanishStandardText(const char* context, const char* sourceText)
{
    for (const StandardText& t : kTexts)
        if (qstrcmp(t.context, context) == 0 && qstrcmp(t.source, sourceText) == 0)
            return QString::fromUtf8(t.spanish);
    return QString();
}

void installStandardTexts(clsError* msg)
{
    static std::unique_ptr<StandardTranslator> installed;
    QHash<QString, QString> texts;
    for (const StandardText& t : kTexts) {
        const QString spanish = QString::fromUtf8(t.spanish);
        texts.insert(key(t.context, t.source), msg ? msg->Translate(spanish, false, QStringLiteral("Qt")) : spanish);
    }
    auto next = std::make_unique<StandardTranslator>(std::move(texts));
    QCoreApplication::installTranslator(next.get());
    if (installed)
        QCoreApplication::removeTranslator(installed.get());
    installed = std::move(next);
}

} // namespace messages
