#pragma once

#include "ParsedCode.h"
#include "script/UrlFetcher.h"

#include <QString>
#include <QVariantMap>

class FunctionCommand;

// The "[Command:…]" markers an interpreter runs: reading and writing the
// list's cells and titles, reading URLs and XML (and a template's images), taking apart arrays and
// dictionaries, and the document reads every other command makes. Each turns
// its arguments into one request and leaves the answer in the interpreter's
// working source. Part of FunctionCommand, whose evaluation, requests and
// state it uses.
class ScriptCommandHandlers
{
public:
    explicit ScriptCommandHandlers(FunctionCommand &interpreter) : m_f(interpreter) {}
    ScriptCommandHandlers(const ScriptCommandHandlers &) = delete;
    ScriptCommandHandlers &operator=(const ScriptCommandHandlers &) = delete;

    // The command the marker starts with; a command named inside an
    // argument is that argument's business. Anything else is a read.
    bool run(ParsedCode &piece);
    // A command read through the document ("[Command:…]" with no handler
    // of its own).
    bool readFormula(ParsedCode &piece);
    // An image a text template shows, read within the run's limits.
    bool loadImage(const QString &url, QByteArray *body);

private:
    using Label = ParsedCode::Label;

    bool itemsRow(ParsedCode &piece);
    bool writeRow(ParsedCode &piece);
    bool writeTitle(ParsedCode &piece);
    bool readURL(ParsedCode &piece);
    bool readUTF8XML(ParsedCode &piece);
    bool object(ParsedCode &piece);
    // Only http and https; any other scheme is refused with its reason.
    bool allowedUrl(const QString &url);
    // The URL limits with the deadline cut to the time the run has left.
    UrlFetcher::Limits fetchLimits() const;
    bool rowArgument(ParsedCode &piece, qint32 *row);
    bool pathArgument(ParsedCode &piece, QString *path);
    // The request this piece sent last, when it was made for the same source
    // and kind (and, with `perRun`, the same source position and title);
    // otherwise a new one from `make`. Earlier answers are dropped first, so
    // the dictionary is not shared and takes the values that moved in place.
    template<class Make>
    QVariantMap &reusedRequest(ParsedCode &piece, qint32 type, bool perRun, Make &&make);

    FunctionCommand &m_f;
};
