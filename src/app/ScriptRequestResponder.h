#pragma once

#include "list/CellEdit.h"
#include "list/ListItem.h"
#include "list/Row.h"
#include "list/TitlePosition.h"
#include "script/ScriptRequestHandler.h"

#include <QList>
#include <QThread>
#include <QVariantMap>

#include <optional>
#include <vector>

class NotificationCenter;

// Answers an option run's requests ("developFunctionSourceDictionaryNotif")
// over a copy-on-write snapshot of a list, on the thread that runs the
// option, so a run never waits for the window's thread. It reads its own
// writes; the writes are kept in order to be handed back to the document as
// one change, and beside the snapshot rather than in it, so no row of the
// snapshot is copied. A run that owns it may also ask it directly.
class ScriptRequestResponder : public ScriptRequestHandler
{
public:
    // Observes requests posted on the calling thread from now on. `selectedItem`
    // is the item open in the item editor when the run started, if any.
    ScriptRequestResponder(const ListItem &snapshot, qint32 cachesFolderID, NotificationCenter *center,
                           std::optional<Row> selectedItem = std::nullopt);
    ~ScriptRequestResponder() override;
    ScriptRequestResponder(const ScriptRequestResponder &) = delete;
    ScriptRequestResponder &operator=(const ScriptRequestResponder &) = delete;

    // The answer to one request; an empty map is "no answer" (the request fails).
    QVariantMap loadingCodeDivideInTwoSource(const QVariantMap &request);
    // Requests for another document, and empty ones, are not this responder's.
    std::optional<QVariantMap> answerScriptRequest(const QVariantMap &request) override;
    std::optional<bool> writeScriptCell(qint32 cachesFolderID, qint32 row, const QString &title,
                                        const QVariant &item) override;

    const CellEditList &writes() const { return m_writes; }
    // A request wanted the item editor's item and none was open.
    bool missedSelectedItem() const { return m_missedSelectedItem; }

private:
    bool forThisDocument(qint32 requested) const;
    bool writeCell(qsizetype row, const QString &title, const QVariant &item);
    // The cell's text with this run's writes.
    QString cellText(qsizetype row, const QString &title) const;

    ListItem m_list;
    qint32 m_cachesFolderID = 0;
    NotificationCenter *m_center;
    std::optional<Row> m_selectedItem;
    QString m_itemIDTitle;
    QThread *m_thread;
    quint64 m_token = 0;
    CellEditList m_writes;
    // Per row, the index in m_writes of its last write (-1: none); per
    // write, the same row's write before it. Made on the first write.
    std::vector<qsizetype> m_lastWrite;
    std::vector<qsizetype> m_previousWrite;
    bool m_missedSelectedItem = false;
    mutable TitlePosition m_lookup;
};
