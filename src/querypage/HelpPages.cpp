#include "querypage/HelpPages.h"

#include "core/Error.h"
#include "core/ProgramFolder.h"
#include "platform/shell/Shell.h"

namespace helppages {

namespace {

// The program's help page on the web.
constexpr char16_t HelpPage[] = u"https://velmora.example/ayuda/";

// The translation service: source language detected, its own interface in
// Spanish, the target language by code.
struct Online {
    const char16_t* language;
    const char16_t* target;
};
constexpr Online Pages[] = {
    {u"Language1", u"en"}, {u"Language2", u"fr"}, {u"Language3", u"de"}, {u"Language4", u"pt"}, {u"Language5", u"it"},
};

} // namespace

QString localHelpFile() { return ProgramFolder::file(QString::fromUtf16(HelpFileName)); }

void openLocalHelp()
{
    // The file stands in the report as its second block, after the TraceTag.
    const QString file = localHelpFile();
    switch (shell::open(file)) {
    case shell::OpenResult::Opened:
        return;
    case shell::OpenResult::Missing:
        ::raise(Error::FileNotFound, QStringLiteral("No se encuentra el fichero de ayuda ") + BraceBlock(2, file));
    case shell::OpenResult::Failed:
        ::raise(Error::FileNotFound, QStringLiteral("No se ha podido abrir el fichero de ayuda ") + BraceBlock(2, file));
    }
}

QString onlineAddress(const QString& language)
{
    for (const Online& page : Pages)
        if (language == QString::fromUtf16(page.language))
            return QStringLiteral("https://translate.google.com/translate?sl=auto&hl=es&tl=") +
                   QString::fromUtf16(page.target) + QStringLiteral("&u=") + QString::fromUtf16(HelpPage);
    return QString();
}

} // namespace helppages
