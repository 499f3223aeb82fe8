#include "HeadlessAppPlatform.h"

#include "MyDocument.h"

#include "platform/Localization.h"

using namespace Qt::StringLiterals;

HeadlessAppPlatform::HeadlessAppPlatform() = default;

HeadlessAppPlatform::~HeadlessAppPlatform()
{
    // Documents release their numbers with the controller, which may already
    // be gone when the platform outlives it; let them go first otherwise.
    m_documents.clear();
}

MyDocument *HeadlessAppPlatform::document(qsizetype index) const
{
    return index >= 0 && index < documentCount() ? m_documents.at(size_t(index)).get() : nullptr;
}

MyDocument *HeadlessAppPlatform::makeDocument(const QString &displayName)
{
    auto document = std::make_unique<MyDocument>(m_controller, displayName);
    if (m_setup)
        m_setup(document.get());
    m_documents.insert(m_documents.begin(), std::move(document));
    return m_documents.front().get();
}

DocumentHandle *HeadlessAppPlatform::newDocument()
{
    const QString base = Localization::textOrKey(Localization::kMainTable, u"0001Title"_s);
    ++m_untitledCount;
    MyDocument *document = makeDocument(m_untitledCount == 1 ? base : u"%1 %2"_s.arg(base).arg(m_untitledCount));
    document->awakeFromNib();
    document->windowControllerDidLoadNib();
    return document;
}

QList<DocumentHandle *> HeadlessAppPlatform::openDocuments() const
{
    QList<DocumentHandle *> list;
    for (const auto &document : m_documents)
        list.append(document.get());
    return list;
}

DocumentHandle *HeadlessAppPlatform::currentDocument() const
{
    return m_documents.empty() ? nullptr : m_documents.front().get();
}

void HeadlessAppPlatform::closeDocument(DocumentHandle *document)
{
    for (auto it = m_documents.begin(); it != m_documents.end(); ++it) {
        if (it->get() == document) {
            m_documents.erase(it);
            return;
        }
    }
}

bool HeadlessAppPlatform::openDocumentWithContentsOfFile(const QString &path, bool display)
{
    Q_UNUSED(display);
    MyDocument *document = makeDocument(QString());
    if (!document->loadFileWrapperRepresentation(path, MyDocument::kDocumentType)) {
        closeDocument(document);
        return false;
    }
    document->awakeFromNib();
    document->windowControllerDidLoadNib();
    return true;
}

bool HeadlessAppPlatform::runOpenPanel(const QStringList &extensions, QString *path)
{
    Q_UNUSED(extensions);
    if (m_openAnswers.isEmpty())
        return false;
    *path = m_openAnswers.takeFirst();
    return !path->isEmpty();
}
