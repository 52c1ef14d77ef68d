#include "querypage/HelpPages.h"

#include "core/Error.h"
#include "core/ProgramFolder.h"
#include "platform/shell/Shell.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace helppages {

namespace {

// The languages: the message object's value and the page folder.
struct Language {
    const char16_t* value;
    const char16_t* folder;
};
constexpr Language Languages[] = {
    {u"Original", u"es"}, {u"Language1", u"en"}, {u"Language2", u"fr"},
    {u"Language3", u"de"}, {u"Language4", u"pt"}, {u"Language5", u"it"},
};

struct Page {
    const char16_t* window;
    const char16_t* page;
};
constexpr Page Pages[] = {
    {u"frmMain", u"principal"},       {u"MaxSQL", u"principal"},
    {u"frmSettings", u"opciones"},    {u"frmCSV", u"exportar"},      {u"frmTables", u"tablas"},
    {u"frmTableProperties", u"tablas"}, {u"frmNewField", u"tablas"}, {u"frmIndexes", u"tablas"},
    {u"frmIndex", u"tablas"},         {u"frmCompare", u"comparar"},  {u"frmEdit", u"dialogos"},
    {u"frmDSN", u"dialogos"},         {u"frmKeyFields", u"dialogos"}, {u"frmNewKey", u"dialogos"},
    {u"frmMsgBox", u"dialogos"},
};
// Pages no window opens; the contents page links them.
constexpr const char16_t* OtherPages[] = {u"index", u"teclas", u"ficheros"};

QString text(const char16_t* s) { return QString::fromUtf16(s); }

} // namespace

QString folder(const QString& programFolder, const QString& executableDir)
{
    const QStringList candidates = {programFolder + QStringLiteral("/help"), executableDir + QStringLiteral("/help"),
                                    QDir::cleanPath(executableDir + QStringLiteral("/../share/velmora/help"))};
    for (const QString& c : candidates)
        if (QFileInfo(c).isDir())
            return c;
    return candidates.first();
}

QString folder() { return folder(ProgramFolder::path(), QCoreApplication::applicationDirPath()); }

QString pageOf(const QString& window)
{
    for (const Page& p : Pages)
        if (window == text(p.window))
            return text(p.page) + QStringLiteral(".html");
    return QStringLiteral("index.html");
}

QStringList pages()
{
    QStringList out;
    for (const char16_t* p : OtherPages)
        out << text(p) + QStringLiteral(".html");
    for (const Page& p : Pages)
        if (!out.contains(pageOf(text(p.window))))
            out << pageOf(text(p.window));
    return out;
}

QString languageFolder(const QString& language)
{
    for (const Language& l : Languages)
        if (language == text(l.value))
            return text(l.folder);
    return QStringLiteral("es");
}

QStringList languageFolders()
{
    QStringList out;
    for (const Language& l : Languages)
        out << text(l.folder);
    return out;
}

QString pageFile(const QString& window, const QString& language)
{
    const QString base = folder() + QLatin1Char('/'), page = QLatin1Char('/') + pageOf(window);
    const QString file = base + languageFolder(language) + page;
    return QFileInfo(file).isFile() ? file : base + QStringLiteral("es") + page;
}

void openPage(const QString& window, const QString& language)
{
    // The file stands in the report as its second block, after the TraceTag.
    const QString file = pageFile(window, language);
    switch (shell::open(file)) {
    case shell::OpenResult::Opened:
        return;
    case shell::OpenResult::Missing:
        ::raise(Error::FileNotFound, QStringLiteral("No se encuentra el fichero de ayuda ") + BraceBlock(2, file));
    case shell::OpenResult::Failed:
        ::raise(Error::FileNotFound, QStringLiteral("No se ha podido abrir el fichero de ayuda ") + BraceBlock(2, file));
    }
}

} // namespace helppages
