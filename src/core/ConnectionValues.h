#pragma once
#include <QString>

// The six connection values, in the order the system always passes them.
struct ConnectionValues {
    int connectionType = 0;
    int driver = 0;
    QString server, database, user, password;
    bool operator==(const ConnectionValues&) const = default;
};
