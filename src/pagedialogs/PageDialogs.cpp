#include "pagedialogs/PageDialogs.h"

namespace {
PageDialogs::Installer& installed()
{
    static PageDialogs::Installer installer;
    return installer;
}
} // namespace

PageDialogs PageDialogs::defaults()
{
    PageDialogs d;
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
