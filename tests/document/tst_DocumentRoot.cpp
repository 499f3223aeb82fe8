#include "list/CreatorInformation.h"
#include "document/DocumentSource.h"
#include "document/FileAttribute.h"
#include "document/MainSplitSource.h"
#include "list/ListItem.h"
#include "list/ListItemsSource.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

std::unique_ptr<DocumentSource> roundTrip(const DocumentSource &root)
{
    const QByteArray bytes = KeyedArchiver::archivedData(root, u"documentSource");
    return KeyedUnarchiver::unarchivedObject<DocumentSource>(bytes, u"documentSource");
}

} // namespace

class tst_DocumentRoot : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void protectionTravelsInItsDictionary()
    {
        DocumentSource root;
        root.initializationUserObject();
        QVERIFY(root.registerUpdateSituationDic(DocumentSource::protectionDictionary(true, u"work"_s, u"$v"_s)));
        QVERIFY(root.privatePasswordWithState());
        QCOMPARE(root.passwordTitle(), u"work"_s);
        QCOMPARE(root.passwordString(), u"$v"_s);
        auto read = roundTrip(root);
        QVERIFY(read);
        QVERIFY(read->privatePasswordWithState());
        QCOMPARE(read->passwordString(), u"$v"_s);

        // An unprotected record keeps no password even when one is written.
        QVERIFY(root.registerUpdateSituationDic({{u"protectFileByPasswordWithState"_s, false},
                                                 {u"passwordTitle"_s, u"t"_s},
                                                 {u"password"_s, u"p"_s}}));
        QVERIFY(!root.privatePasswordWithState());
        QCOMPARE(root.passwordString(), QString());
        read = roundTrip(root);
        QVERIFY(!read->privatePasswordWithState());
        QCOMPARE(read->passwordString(), QString());

        // No record: unprotected, and the stored record stays as it was.
        QVERIFY(!root.registerUpdateSituationDic({}));
        QVERIFY(!root.updateSituationDic().isEmpty());
        DocumentSource bare;
        bare.initializationUserObject();
        read = roundTrip(bare);
        QVERIFY(read);
        QVERIFY(!read->privatePasswordWithState());
        QCOMPARE(read->passwordTitle(), QString());
        QVERIFY(!root.registerPasswordTitle(QString()));
        QCOMPARE(root.passwordTitle(), QString());
    }

    void layoutAndSnapshot()
    {
        DocumentSource root;
        root.initializationUserObject();
        root.register_splitState(true);
        root.mainSplitSource()->registerToolSelectWihtState(2);
        root.mainSplitSource()->registerProposedPosition(120.5f);
        root.mainSplitSource()->registerVerticalPoint({3, 4});
        root.mainSplitSource()->registerQuantityScroll(9); // transient
        root.registerContentWindowRect({10, 20, 640, 480});
        auto read = roundTrip(root);
        QVERIFY(read->splitState());
        QCOMPARE(read->mainSplitSource()->toolSelectWihtState(), 2);
        QCOMPARE(read->mainSplitSource()->proposedPosition(), 120.5f);
        QCOMPARE(read->mainSplitSource()->verticalPoint(), QPointF(3, 4));
        QCOMPARE(read->mainSplitSource()->quantityScroll(), 0.0f);
        QCOMPARE(read->contentWindowRect(), QRectF(10, 20, 640, 480));

        // A snapshot is independent of later edits. With stored lists it
        // leaves out the open list's rows, which are read back from the list's
        // own file; without any it keeps them.
        ListItem *list = root.listItemsSource()->listItem();
        list->registerColumnTitlesArray({u"NSRIndication"_s, u"NSROption"_s, u"ID"_s});
        list->registerTableItemObjectArray(RowList{Row::fromVariantMap({{u"ID"_s, u"1"_s}})});
        auto snapshot = root.snapshot();
        list->registerTableItemObjectArray(RowList());
        QCOMPARE(snapshot->listItemsSource()->listItem()->tableItemObjectArray().size(), 1);
        read = roundTrip(*snapshot);
        QCOMPARE(read->listItemsSource()->listItem()->tableItemObjectArray().size(), 1);

        list->registerTableItemObjectArray(RowList{Row::fromVariantMap({{u"ID"_s, u"1"_s}})});
        root.listItemsSource()->registerListItemTitle(u"L"_s);
        QVERIFY(root.listItemsSource()->addListItemTitle());
        snapshot = root.snapshot();
        QVERIFY(snapshot->listItemsSource()->listItem()->tableItemObjectArray().isEmpty());
        QCOMPARE(snapshot->listItemsSource()->titlelist(), QStringList{u"L"_s});
        QCOMPARE(root.listItemsSource()->listItem()->tableItemObjectArray().size(), 1);
    }

    void fileSizes()
    {
        QTemporaryDir dir;
        const auto write = [&](const QString &name, int bytes) {
            QFile file(dir.filePath(name));
            file.open(QIODevice::WriteOnly);
            file.write(QByteArray(bytes, 'x'));
        };
        write(u"a"_s, 10);
        write(u".DS_Store"_s, 6);
        write(u".typeAttributes.dict"_s, 4);
        QDir(dir.path()).mkdir(u"sub"_s);
        QCOMPARE(FileAttribute::fileSizeAtWrapper(dir.path()), 10.0);
        QCOMPARE(FileAttribute::fileSizeAtPath(dir.filePath(u"a"_s)), 10.0);
        QCOMPARE(FileAttribute::fileSizeAtPath(dir.filePath(u"missing"_s)), 0.0);
        QFile::link(dir.filePath(u"a"_s), dir.filePath(u"link"_s));
        QCOMPARE(FileAttribute::fileSizeAtPath(dir.filePath(u"link"_s)), 10.0);

        FileAttribute attribute;
        QVERIFY(!attribute.registerWrapperFilePath(QString()));
        QVERIFY(attribute.registerWrapperFilePath(u"/x/Doc.pgcd"_s));
        QVERIFY(!attribute.registerFileAttributesOfDictionary({}));
        QVERIFY(attribute.logText().contains(u"wrapperFilePath:/x/Doc.pgcd\n"_s));
    }
};

QTEST_GUILESS_MAIN(tst_DocumentRoot)
#include "tst_DocumentRoot.moc"
