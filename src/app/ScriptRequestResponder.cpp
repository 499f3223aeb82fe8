#include "ScriptRequestResponder.h"

#include "platform/NotificationCenter.h"
#include "script/FunctionCommand.h"
#include "platform/RequestKey.h"
#include "platform/TaskCode.h"

using namespace Qt::StringLiterals;

ScriptRequestResponder::ScriptRequestResponder(const ListItem &snapshot, qint32 cachesFolderID,
                                               NotificationCenter *center, std::optional<Row> selectedItem)
    : m_list(snapshot),
      m_cachesFolderID(cachesFolderID),
      m_center(center ? center : &NotificationCenter::defaultCenter()),
      m_selectedItem(std::move(selectedItem)),
      m_itemIDTitle(m_list.itemIDTitle()),
      m_thread(QThread::currentThread())
{
    // No receiver: the handler runs synchronously on the posting thread, and
    // only posts from this responder's own thread are its to answer.
    m_token = m_center->addObserver(FunctionCommand::kDevelopNotification, nullptr,
                                    [this](const Notification &notification) {
        if (QThread::currentThread() != m_thread)
            return;
        const std::optional<QVariantMap> answer = answerScriptRequest(notification.object.toMap());
        if (answer)
            m_center->post(FunctionCommand::kAnswerNotification, answer->isEmpty() ? QVariant() : QVariant(*answer));
    });
}

std::optional<QVariantMap> ScriptRequestResponder::answerScriptRequest(const QVariantMap &request)
{
    if (request.isEmpty() || !forThisDocument(request.value(RequestKey::cachesFolderID).toInt()))
        return std::nullopt;
    return loadingCodeDivideInTwoSource(request);
}

std::optional<bool> ScriptRequestResponder::writeScriptCell(qint32 cachesFolderID, qint32 row, const QString &title,
                                                            const QVariant &item)
{
    if (!forThisDocument(cachesFolderID))
        return std::nullopt;
    return writeCell(row, title, item);
}

bool ScriptRequestResponder::forThisDocument(qint32 requested) const
{
    return requested == 0 || m_cachesFolderID == 0 || requested == m_cachesFolderID;
}

bool ScriptRequestResponder::writeCell(qsizetype row, const QString &title, const QVariant &item)
{
    if (row < 0 || row >= m_list.rowCount() || title.isEmpty() || item.typeId() != QMetaType::QString)
        return false;
    AttributedText value(item.toString());
    if (value.string().isEmpty())
        return false;
    // The document applies the writes in order and finds each row by the ID
    // it has when that write arrives: the ID before this write, not after,
    // or a write that changes the ID would lose itself and the row's later writes.
    const QString itemID = m_itemIDTitle.isNull() ? QString() : cellText(row, m_itemIDTitle);
    if (m_lastWrite.empty()) {
        m_lastWrite.assign(size_t(m_list.rowCount()), -1);
        // A run that writes at all usually writes a cell in every row: room
        // for one write a row, taken up only as written, spares the copies
        // of growing a million writes step by step.
        m_writes.reserve(m_list.rowCount());
        m_previousWrite.reserve(size_t(m_list.rowCount()));
    }
    m_previousWrite.push_back(m_lastWrite[size_t(row)]);
    m_lastWrite[size_t(row)] = m_writes.size();
    m_writes.append({row, itemID, title, std::move(value), true});
    return true;
}

QString ScriptRequestResponder::cellText(qsizetype row, const QString &title) const
{
    // A row's mark is no cell: writing it sets the mark, and reads find no text.
    if (!m_lastWrite.empty() && title != Row::kIndicationKey) {
        for (qsizetype write = m_lastWrite[size_t(row)]; write >= 0; write = m_previousWrite[size_t(write)]) {
            if (m_writes.at(write).title == title)
                return m_writes.at(write).value.string();
        }
    }
    const Row &stored = m_list.rowAt(row);
    return stored.cellTextAt(m_lookup.in(stored, title)).toString();
}

ScriptRequestResponder::~ScriptRequestResponder()
{
    m_center->removeObserver(m_token);
}

QVariantMap ScriptRequestResponder::loadingCodeDivideInTwoSource(const QVariantMap &request)
{
    QVariantMap answer = request;
    const int command = request.value(RequestKey::commandNumber).toInt();
    switch (command) {
    case 1: {
        const QString title = request.value(RequestKey::answerObject).toString();
        QVariantList values;
        values.reserve(m_list.rowCount());
        for (qsizetype row = 0; row < m_list.rowCount(); ++row)
            values.append(cellText(row, title));
        answer.insert(RequestKey::answerType, FunctionCommand::kAnswerArray);
        answer.insert(RequestKey::answerObject, values);
        return answer;
    }
    case 4: {
        if (!request.value(RequestKey::commandText).toString().contains(u"items:editing:title:"_s))
            return answer;
        if (!m_selectedItem) {
            m_missedSelectedItem = true;
            return {};
        }
        const QString title = request.value(RequestKey::answerObject).toString();
        if (m_selectedItem->contains(title)) {
            answer.insert(RequestKey::answerType, FunctionCommand::kAnswerString);
            answer.insert(RequestKey::answerObject, m_selectedItem->cellText(title).toString());
        }
        return answer;
    }
    case 240: {
        const qsizetype row = request.value(RequestKey::row).toLongLong();
        if (row >= 0 && row < m_list.rowCount()) {
            const QString text = cellText(row, request.value(RequestKey::title).toString());
            if (!text.isEmpty()) {
                answer.insert(RequestKey::answerType, FunctionCommand::kAnswerString);
                answer.insert(RequestKey::answerObject, text);
            }
        }
        return answer;
    }
    case 250:
        if (!writeCell(request.value(RequestKey::row).toLongLong(), request.value(RequestKey::title).toString(),
                       request.value(RequestKey::itemObject)))
            return {};
        return answer;
    default:
        return answer;
    }
}
