#include "PasswordPrompt.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <QStringDecoder>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Far above any real title and password, far below any harm.
constexpr qsizetype kMaxInput = 65536;
constexpr int kDescriptorTimeoutMs = 30000;

// False for bytes that are not UTF-8, which would otherwise turn into a
// different password.
bool strictUtf8(QByteArrayView bytes, QString *text)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    *text = decoder.decode(bytes);
    return !decoder.hasError();
}

// One line of strict UTF-8.
bool takeLine(QByteArray *buffer, QString *line)
{
    qsizetype end = buffer->indexOf('\n');
    if (end < 0)
        end = buffer->size();
    QByteArray bytes = buffer->left(end);
    buffer->remove(0, qMin(buffer->size(), end + 1));
    if (bytes.endsWith('\r'))
        bytes.chop(1);
    return strictUtf8(bytes, line);
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
    QByteArray bytes;
    int c = 0;
    while (bytes.size() <= kMaxInput && (c = fgetc(tty)) != EOF && c != '\n')
        bytes.append(char(c));
    if (canHide) {
        tcsetattr(fd, TCSAFLUSH, &saved);
        fputc('\n', stderr);
    }
    return bytes.size() <= kMaxInput && (c == '\n' || !bytes.isEmpty()) && takeLine(&bytes, line);
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
        if (!strictUtf8(qgetenv("ROWSMITH_PASSWORD_TITLE"), &credentials->title)
            || !strictUtf8(qgetenv("ROWSMITH_PASSWORD"), &credentials->password)) {
            *error = QStringLiteral("ROWSMITH_PASSWORD_TITLE or ROWSMITH_PASSWORD is not UTF-8");
            return false;
        }
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
    if (::fcntl(fd, F_GETFD) < 0) {
        *error = QStringLiteral("ROWSMITH_PASSWORD_FD=%1 is not an open descriptor").arg(fd);
        return false;
    }
    QByteArray input;
    char chunk[4096];
    QDeadlineTimer deadline(kDescriptorTimeoutMs);
    for (;;) {
        pollfd waiting{fd, POLLIN, 0};
        const int ready = ::poll(&waiting, 1, int(deadline.remainingTime()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            *error = QStringLiteral("the password descriptor gave no end of input within %1 seconds")
                         .arg(kDescriptorTimeoutMs / 1000);
            return false;
        }
        const ssize_t got = ready < 0 ? -1 : ::read(fd, chunk, sizeof chunk);
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (got < 0) {
            *error = QStringLiteral("the password descriptor cannot be read: %1").arg(qt_error_string(errno));
            return false;
        }
        if (got == 0)
            break;
        input.append(chunk, qsizetype(got));
        if (input.size() > kMaxInput) {
            *error = QStringLiteral("the password descriptor gave more than %1 bytes").arg(kMaxInput);
            return false;
        }
    }
    if (input.isEmpty()) {
        *error = QStringLiteral("the password descriptor was closed without giving anything");
        return false;
    }
    if (!takeLine(&input, &credentials->title) || !takeLine(&input, &credentials->password)) {
        *error = QStringLiteral("the password descriptor gave bytes that are not UTF-8");
        return false;
    }
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
        *error = QStringLiteral("no password given (or one that is too long or not UTF-8)");
        return false;
    }
    return true;
}
