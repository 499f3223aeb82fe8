#include "PackageProtection.h"

#include "platform/FileDescriptor.h"
#include "PackageEntries.h"
#include "document/DocumentSource.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/RequestKey.h"

using namespace Qt::StringLiterals;

namespace {

QByteArray readEntry(int folderFd, const QString &name)
{
    qint64 size = 0;
    FileDescriptor file = FileDescriptor::openRegularFileAt(folderFd, name, &size);
    const qint64 cap = PackageEntries::documentEntryCap(name);
    QByteArray bytes;
    QString ignored;
    if (!file.isValid() || size > cap || !file.readAtMost(cap, &bytes, &ignored))
        return QByteArray();
    return bytes;
}

QVariantMap conditionRecord(int folderFd)
{
    const QByteArray bytes = readEntry(folderFd, PackageEntries::conditionFileName());
    if (bytes.isEmpty())
        return {};
    KeyedUnarchiver unarchiver(bytes);
    if (!unarchiver.isValid())
        return {};
    const QVariantMap record = unarchiver.root().decodeVariantMap(u"protectFileByPassword"_s);
    return unarchiver.isValid() ? record : QVariantMap();
}

QVariantMap rootRecord(int folderFd)
{
    const QByteArray bytes = readEntry(folderFd, PackageEntries::rootFileName());
    if (bytes.isEmpty())
        return {};
    const auto root = KeyedUnarchiver::unarchivedObject<DocumentSource>(bytes, DocumentSource::rootArchiveKey());
    return root ? root->updateSituationDic() : QVariantMap();
}

} // namespace

bool PackageProtection::isProtected(const QVariantMap &record)
{
    return record.value(u"protectFileByPasswordWithState"_s).toBool();
}

QVariantMap PackageProtection::recordOfPackage(const QString &packagePath)
{
    const FileDescriptor folder = FileDescriptor::openDirectory(packagePath);
    if (folder.isValid()) {
        // The root's record first: it is the one the opened document is
        // checked against.
        for (const QVariantMap &record : {rootRecord(folder.get()), conditionRecord(folder.get())}) {
            if (isProtected(record))
                return record;
        }
    }
    return DocumentSource::protectionDictionary(false, {}, {});
}
