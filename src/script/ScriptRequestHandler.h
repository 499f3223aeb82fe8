#pragma once

#include <QVariantMap>

#include <optional>

// Answers an interpreter's requests directly, for a run that owns its
// responder: the same request and answer dictionaries as the notifications
// carry, without a notification per request.
class ScriptRequestHandler
{
public:
    virtual ~ScriptRequestHandler() = default;

    // nullopt when the request is not this handler's to answer (as if nobody
    // had observed it); an empty answer fails the request.
    virtual std::optional<QVariantMap> answerScriptRequest(const QVariantMap &request) = 0;

    // A cell write (command 250) without its dictionary: nullopt when it is
    // not this handler's, false where the answer would be empty, true where
    // the request would come back unchanged.
    virtual std::optional<bool> writeScriptCell(qint32 cachesFolderID, qint32 row, const QString &title,
                                                const QVariant &item) = 0;
};
