#pragma once
// Local database files this process holds open, so that "in use" is known
// without touching the file (a second descriptor would drop the engine's locks).
#include <QString>

namespace db::LocalRegistry {

void opened(const QString& path);
void closed(const QString& path);
bool isOpen(const QString& path);

} // namespace db::LocalRegistry
