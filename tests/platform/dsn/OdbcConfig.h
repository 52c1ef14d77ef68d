#pragma once
// A configuration folder of the ODBC driver manager for one test process:
// ODBCSYSINI (system odbc.ini and odbcinst.ini) and ODBCINI (the user's file)
// point into a temporary folder before the first ODBC call, and a test
// writes the files it needs there.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>

class OdbcConfig {
public:
    static OdbcConfig& instance()
    {
        static OdbcConfig config;
        return config;
    }
    void write(const QString& systemIni, const QString& userIni = QString()) const
    {
        put(dir_.filePath("odbc.ini"), systemIni);
        put(dir_.filePath("odbcinst.ini"), QString());
        put(dir_.filePath("user/odbc.ini"), userIni);
    }
    // No file at all in the folder.
    void clear() const
    {
        QFile::remove(dir_.filePath("odbc.ini"));
        QFile::remove(dir_.filePath("odbcinst.ini"));
        QFile::remove(dir_.filePath("user/odbc.ini"));
    }

private:
    OdbcConfig()
    {
        QDir(dir_.path()).mkpath("user");
        qputenv("ODBCSYSINI", QFile::encodeName(dir_.path()));
        qputenv("ODBCINI", QFile::encodeName(dir_.filePath("user/odbc.ini")));
    }
    static void put(const QString& path, const QString& text)
    {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(text.toUtf8());
    }
    QTemporaryDir dir_;
};

// The sources of the picker's tests: three system DSNs and one user DSN.
inline const char* const kSystemIni = "[Ventas]\nDriver=FreeTDS\nServer=db1\n\n"
                                      "[Stock]\nDriver=Oracle 19 ODBC driver\n\n"
                                      "[Local]\nDriver=SQLite3\nDatabase=/tmp/x.db\n";
inline const char* const kUserIni = "[Mine]\nDriver=Oracle\n";
