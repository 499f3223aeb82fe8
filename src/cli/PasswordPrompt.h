#pragma once

#include <QString>

// Where the command-line tool takes a protected package's title and
// password from, never from the command line itself:
//   ROWSMITH_PASSWORD_FD=N    a file descriptor to read "TITLE\nPASSWORD\n" from;
//   ROWSMITH_PASSWORD_TITLE and ROWSMITH_PASSWORD;
//   otherwise the terminal, with the password not echoed.
class PasswordPrompt
{
public:
    struct Credentials
    {
        QString title;
        QString password;
    };

    // False (with a reason) when no source gives both.
    static bool read(const QString &forWhat, Credentials *credentials, QString *error);

private:
    static bool readFromDescriptor(int fd, Credentials *credentials, QString *error);
    static bool readFromTerminal(const QString &forWhat, Credentials *credentials, QString *error);
};
