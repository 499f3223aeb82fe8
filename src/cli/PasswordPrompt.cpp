#include "PasswordPrompt.h"

#include <QByteArray>
#include <QList>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr qsizetype kMaxInput = 4096;

QString takeLine(QByteArray *buffer)
{
    qsizetype end = buffer->indexOf('\n');
    if (end < 0)
        end = buffer->size();
    QByteArray line = buffer->left(end);
    buffer->remove(0, qMin(buffer->size(), end + 1));
    if (line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

// Reads one line from the terminal; echo off for secrets.
bool terminalLine(FILE *tty, bool secret, QString *line)
{
    const int fd = fileno(tty);
    termios saved{};
    const bool canHide = secret && tcgetattr(fd, &saved) == 0;
    if (canHide) {
        termios quiet = saved;
        quiet.c_lflag &= tcflag_t(~ECHO);
        tcsetattr(fd, TCSAFLUSH, &quiet);
    }
    char buffer[kMaxInput];
    const bool ok = fgets(buffer, sizeof buffer, tty) != nullptr;
    if (canHide) {
        tcsetattr(fd, TCSAFLUSH, &saved);
        fputc('\n', stderr);
    }
    if (!ok)
        return false;
    QByteArray bytes(buffer);
    *line = takeLine(&bytes);
    return true;
}

} // namespace

bool PasswordPrompt::read(const QString &forWhat, Credentials *credentials, QString *error)
{
    const QByteArray fdText = qgetenv("ROWSMITH_PASSWORD_FD");
    if (!fdText.isEmpty()) {
        bool ok = false;
        const int fd = fdText.toInt(&ok);
        if (!ok || fd < 0) {
            *error = QStringLiteral("ROWSMITH_PASSWORD_FD is not a file descriptor number");
            return false;
        }
        return readFromDescriptor(fd, credentials, error);
    }
    if (qEnvironmentVariableIsSet("ROWSMITH_PASSWORD")) {
        credentials->title = qEnvironmentVariable("ROWSMITH_PASSWORD_TITLE");
        credentials->password = qEnvironmentVariable("ROWSMITH_PASSWORD");
        if (credentials->title.isEmpty() || credentials->password.isEmpty()) {
            *error = QStringLiteral("ROWSMITH_PASSWORD_TITLE and ROWSMITH_PASSWORD must both be set");
            return false;
        }
        return true;
    }
    return readFromTerminal(forWhat, credentials, error);
}

bool PasswordPrompt::readFromDescriptor(int fd, Credentials *credentials, QString *error)
{
    QByteArray input;
    char chunk[512];
    while (input.size() < kMaxInput) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        input.append(chunk, qsizetype(got));
    }
    credentials->title = takeLine(&input);
    credentials->password = takeLine(&input);
    if (credentials->title.isEmpty() || credentials->password.isEmpty()) {
        *error = QStringLiteral("the password descriptor must give a title line and a password line");
        return false;
    }
    return true;
}

bool PasswordPrompt::readFromTerminal(const QString &forWhat, Credentials *credentials, QString *error)
{
    FILE *tty = fopen("/dev/tty", "r+");
    if (!tty) {
        *error = QStringLiteral("%1 is protected: give its password through ROWSMITH_PASSWORD_TITLE and "
                                "ROWSMITH_PASSWORD, or ROWSMITH_PASSWORD_FD")
                     .arg(forWhat);
        return false;
    }
    fprintf(stderr, "%s is protected.\nPassword title: ", qPrintable(forWhat));
    fflush(stderr);
    bool ok = terminalLine(tty, false, &credentials->title);
    if (ok) {
        fprintf(stderr, "Password: ");
        fflush(stderr);
        ok = terminalLine(tty, true, &credentials->password);
    }
    fclose(tty);
    if (!ok || credentials->title.isEmpty() || credentials->password.isEmpty()) {
        *error = QStringLiteral("no password given");
        return false;
    }
    return true;
}
