#pragma once
// The connection panel's check before the page uses its connection. The
// rules walk the panel in a fixed order and stop at the first value that is
// missing or wrong; the page answers the questions the rules ask (blank
// checks through the services object, rejections and the extension question
// through the message object).
#include <QString>

namespace validation {

enum class Field { ConnectionType, Driver, Server, Database, User, Password, Sql };

struct Panel {
    int connectionType = -1;
    int driver = -1;
    QString server, database, user, password, sql;
};

class Ui {
public:
    virtual ~Ui() = default;
    // False when the field is blank (the description was shown).
    virtual bool notBlank(Field field, const QString& description) = 0;
    // Shows a rejection (style 64, "Velmora 3.0").
    virtual void reject(const QString& message) = 0;
    // Asks a Yes/No question; true for Yes.
    virtual bool ask(const QString& question) = 0;
    // A regular file stands at the path.
    virtual bool fileExists(const QString& path) = 0;
};

// The page's once-per-page answers to the extension question.
struct Accepted {
    bool mdb = false;
    bool accdb = false;
};

bool ValidateAll(const Panel& panel, bool checkSql, Accepted& accepted, Ui& ui);

} // namespace validation
