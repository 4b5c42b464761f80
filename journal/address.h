#pragma once

#include <QString>

// Where the journal of results lives: "sqlite:PATH", or
// "postgresql://[user@]host[:port]/database", host being a name or a socket
// folder, percent-encoded ("postgresql://u@%2Frun%2Fpg/quivara").
struct JournalAddress
{
    enum class Kind { Invalid, Sqlite, Postgresql };
    Kind kind = Kind::Invalid;
    QString text;  // as given
    QString path;  // SQLite's file
    QString user;  // PostgreSQL's; empty: the account's own
    QString host;  // a name, or a socket folder (starting with "/")
    int port = -1; // -1: the usual one
    QString database;
    QString password; // from a configuration file; empty: libpq's own (the password file)
    QString error;    // why there is no usable journal here, in Russian

    bool isValid() const { return kind != Kind::Invalid; }

    static JournalAddress parse(const QString &text);

    // The address in force: QUIVARA_JOURNAL, else journal= of
    // Quivara/journal.conf in the user's and then the system's configuration
    // folders, else the SQLite file in the user's data folder. A password=
    // beside it counts only from a user's file no one else can read, or a
    // system file only root can write; otherwise the address is refused and
    // error says why.
    static JournalAddress inForce();

    // The SQLite file used when nothing else is said.
    static QString defaultPath();
};
