#pragma once
// The first tab of a new program folder: connected to the sample database
// with a query on it, so that a first start shows a result at F5. Written
// only when the folder holds no first tab yet; the user's tab is never
// replaced.
#include <QString>

namespace FirstTab {

enum class Result { Written, Kept, Failed };

// "Velmora_Tab1.ini" in folder, connected to the local database file
// (an absolute path) with "SELECT * FROM Clientes" as its last query.
Result write(const QString& folder, const QString& database);

} // namespace FirstTab
