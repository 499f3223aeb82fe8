#include "list/CreatorInformation.h"
#include "list/ItemsEditingSource.h"
#include "list/ListItemsSource.h"
#include "platform/AlertSheetModal.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/PolicyAlertPresenter.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Opens a list with n rows, the way an import leaves it.
void openList(ListItemsSource &source, qsizetype rowCount, const QString &path = QString())
{
    const RowSchema::Ptr schema = RowSchema::make({u"NSROption"_s, u"ID"_s});
    RowList rows;
    for (qsizetype i = 0; i < rowCount; ++i) {
        const QString id = QString::number(i);
        rows.append(Row::fromTexts(schema, {QStringView(), QStringView(id)}));
    }
    source.listItem()->registerColumnTitlesArray({u"NSRIndication"_s, u"NSROption"_s, u"ID"_s});
    source.listItem()->registerTableItemObjectArray(rows);
    source.registerImportListItemsFilePass(path);
}

bool registerList(ListItemsSource &source, const QString &title, qsizetype rowCount = 1)
{
    openList(source, rowCount, u"/in/"_s + title + u".csv"_s);
    source.registerListItemTitle(title);
    return source.addListItemTitle();
}

QVariantMap directoryWith(const QStringList &ids)
{
    QVariantMap directory;
    for (const QString &id : ids)
        directory.insert(id, QVariantMap{{u"listItemTitle"_s, QString(u"title of "_s + id)}});
    return directory;
}

QVariantMap entryOf(const ListItemsSource &source, const QString &id)
{
    return source.originalOfTheListItemsDic().value(id).toMap();
}

} // namespace

class tst_ListItemsSource : public QObject
{
    Q_OBJECT
    std::unique_ptr<PolicyAlertPresenter> m_presenter;
    AlertPresenter *m_previous = nullptr;

private Q_SLOTS:
    void initTestCase() { enableIsolatedTestEnvironment(); }
    void init()
    {
        m_presenter = std::make_unique<PolicyAlertPresenter>();
        m_previous = AlertSheetModal::setPresenter(m_presenter.get());
    }
    void cleanup() { AlertSheetModal::setPresenter(m_previous); }

    void numberingAndEntries()
    {
        ListItemsSource source;
        SearchEditingSource search;
        search.registerSearchObjectTitle(u"s"_s);
        openList(source, 3, u"/home/u/imports/first.csv"_s);
        source.addSearchObject(&search, u"saved"_s);
        source.registerListItemTitle(u"first"_s);
        QVERIFY(source.addListItemTitle());
        QCOMPARE(source.listItemIDString(), u"id0"_s);

        // The entry keeps the source's file name only.
        const QVariantMap entry = entryOf(source, u"id0"_s);
        QCOMPARE(entry, (QVariantMap{{u"listItemID"_s, 0}, {u"importListItemsFilePass"_s, u"first.csv"_s},
                                     {u"listItemTitle"_s, u"first"_s}, {u"itemCount"_s, 3u},
                                     {u"searchObjectDic"_s, QVariantMap{{u"saved"_s, QVariant::fromValue(search)}}}}));
        QCOMPARE(source.importListItemsFilePass(), u"first.csv"_s);
        QCOMPARE(source.titleOfTheObjectDic(), entry);

        // A list without rows, source or searches leaves those keys out.
        source.listItem()->initializationUserObject();
        source.registerImportListItemsFilePass(QString());
        source.registerListItemTitle(u"second"_s);
        QVERIFY(source.addListItemTitle());
        QCOMPARE(source.listItemIDString(), u"id1"_s);
        QCOMPARE(entryOf(source, u"id1"_s).keys(), QStringList({u"listItemID"_s, u"listItemTitle"_s}));

        // No title, no entry.
        source.registerListItemTitle(QString());
        QVERIFY(!source.addListItemTitle() && !source.addListItemIDString());
        QCOMPARE(source.titlelist(), QStringList({u"first"_s, u"second"_s}));
    }

    void numberingNeverReusesAnID()
    {
        ListItemsSource source;
        const struct { QStringList held; QString expected; } cases[] = {
            {{}, u"id0"_s},
            {{u"id1"_s}, u"id0"_s},
            {{u"id0"_s, u"id1"_s, u"id3"_s}, u"id2"_s},
            {{u"id1"_s, u"id2"_s, u"id3"_s}, u"id0"_s},
            {{u"id0"_s, u"id2"_s}, u"id1"_s},
        };
        for (const auto &c : cases) {
            source.registerOriginalOfTheListItemsDic(directoryWith(c.held));
            source.registerListItemID(7);
            source.newListItemIDString();
            QCOMPARE(source.listItemIDString(), c.expected);
        }

        // Ten and more lists: walked in number order, and numbering continues.
        QStringList held;
        for (int i = 0; i < 12; ++i)
            held.append(u"id%1"_s.arg(i));
        source.registerOriginalOfTheListItemsDic(directoryWith(held));
        source.newListItemIDString();
        QCOMPARE(source.listItemIDString(), u"id12"_s);
        QCOMPARE(source.listItemIDStrings(), held);
        QCOMPARE(source.titlelist().at(10), u"title of id10"_s);
    }

    void registeringUnderAnExistingTitle()
    {
        ListItemsSource source;
        for (const QString &title : {u"a"_s, u"b"_s, u"c"_s})
            QVERIFY(registerList(source, title, 2));
        const QVariantMap before = source.originalOfTheListItemsDic();
        QCOMPARE(m_presenter->shownCount(), 0);

        // Declined: nothing changes, and the open list keeps its own ID and source.
        openList(source, 5, u"/in/new.csv"_s);
        source.registerListItemTitle(u"b"_s);
        m_presenter->enqueue(AlertButton::Default);
        QVERIFY(!source.addListItemTitle());
        QCOMPARE(m_presenter->shownCount(), 1);
        QCOMPARE(m_presenter->shownAlerts().at(0).number, 202201);
        QCOMPARE(source.originalOfTheListItemsDic(), before);
        QVERIFY(source.listItemIDString() == u"id2"_s && source.listItemID() == 2);
        QCOMPARE(source.importListItemsFilePass(), u"/in/new.csv"_s);

        // Accepted: the list replaces the one under that title, same ID and number.
        m_presenter->enqueue(AlertButton::Alternate);
        QVERIFY(source.addListItemTitle());
        QCOMPARE(source.listItemIDString(), u"id1"_s);
        const QVariantMap entry = entryOf(source, u"id1"_s);
        QCOMPARE(entry.value(u"listItemID"_s).toInt(), 1);
        QCOMPARE(entry.value(u"itemCount"_s).toUInt(), 5u);
        QCOMPARE(entry.value(u"importListItemsFilePass"_s).toString(), u"new.csv"_s);
        QCOMPARE(source.titlelist(), QStringList({u"a"_s, u"b"_s, u"c"_s}));

        // Finding a title selects its entry and source.
        source.registerImportListItemsFilePass(QString());
        QVERIFY(source.inspectionListItemTitle(u"a"_s));
        QCOMPARE(source.listItemIDString(), u"id0"_s);
        QCOMPARE(source.importListItemsFilePass(), u"a.csv"_s);
        QVERIFY(!source.inspectionListItemTitle(u"zz"_s));
        QCOMPARE(source.listItemIDString(), u"id2"_s); // the last one visited
    }

    void removalMovesTheFile()
    {
        QTemporaryDir root;
        const QString objectFolder = root.filePath(u"object"_s);
        const QString workFolder = root.filePath(u"work"_s);
        QVERIFY(QDir().mkpath(objectFolder) && QDir().mkpath(workFolder));

        ListItemsSource source;
        QVERIFY(!source.removeListItemOfCachesFolderName(objectFolder, workFolder)); // no directory
        QVERIFY(registerList(source, u"a"_s) && registerList(source, u"b"_s));
        QFile file(objectFolder + u"/id1.listItems"_s);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("x") == 1);
        file.close();

        // A failed move (no file for "a") leaves the directory as it was.
        source.registerListItemTitle(u"a"_s);
        const QVariantMap before = source.originalOfTheListItemsDic();
        QVERIFY(!source.removeListItemOfCachesFolderName(objectFolder, workFolder));
        QCOMPARE(source.originalOfTheListItemsDic(), before);
        QVERIFY(source.removeOfTheListItemsDic().isEmpty());
        source.registerListItemTitle(u"unknown"_s);
        QVERIFY(!source.removeListItemOfCachesFolderName(objectFolder, workFolder));

        source.registerListItemTitle(u"b"_s);
        QVERIFY(source.removeListItemOfCachesFolderName(objectFolder, workFolder));
        QVERIFY(!QFile::exists(objectFolder + u"/id1.listItems"_s));
        QVERIFY(QFile::exists(workFolder + u"/id1.listItems"_s));
        QCOMPARE(source.originalOfTheListItemsDic().keys(), QStringList{u"id0"_s});
        QCOMPARE(source.removeOfTheListItemsDic().value(u"id1"_s).toMap().value(u"listItemTitle"_s).toString(), u"b"_s);

        // The freed number is given again only once nothing holds it.
        source.listItem()->initializationUserObject();
        QVERIFY(registerList(source, u"c"_s));
        QCOMPARE(source.listItemIDString(), u"id1"_s);
    }

    void idsNeverLeaveTheFolder()
    {
        QVERIFY(ListItemsSource::isListItemIDString(u"id0"_s));
        QVERIFY(ListItemsSource::isListItemIDString(u"id2147483647"_s));
        for (const QString &bad : {u"id"_s, u"id01"_s, u"id-1"_s, u"ID1"_s, u"id1/../x"_s, u"../id1"_s,
                                   u"id2147483648"_s, u"id1 "_s, QString()}) {
            QVERIFY2(!ListItemsSource::isListItemIDString(bad), qPrintable(bad));
            QVERIFY(ListItemsSource::listItemsFileName(bad).isEmpty());
        }
        QCOMPARE(ListItemsSource::listItemsFileName(u"id4"_s), u"id4.listItems"_s);

        // A directory entry under a forged ID never names a file to move.
        QTemporaryDir root;
        ListItemsSource source;
        const QVariantMap directory = directoryWith({u"../../escape"_s});
        source.registerOriginalOfTheListItemsDic(directory);
        source.registerListItemTitle(u"title of ../../escape"_s);
        QVERIFY(!source.removeListItemOfCachesFolderName(root.path(), root.path()));
        QCOMPARE(source.originalOfTheListItemsDic(), directory);
    }

    void archiveWithAndWithoutDirectory()
    {
        // Without a directory the open list travels in the archive.
        ListItemsSource loose;
        openList(loose, 2);
        loose.itemsEditingSource()->registerProposedPosition(120.0f);
        CreatorInformation creator;
        creator.register_creatorName(u"maker"_s);
        loose.addItemLogListAtObject(&creator, u"log"_s);
        auto back = KeyedUnarchiver::unarchivedObject<ListItemsSource>(KeyedArchiver::archivedData(loose, u"root"), u"root");
        QVERIFY(back);
        QCOMPARE(back->listItem()->itemCount(), 2);
        QCOMPARE(back->itemsEditingSource()->proposedPosition(), 120.0f);
        QCOMPARE(back->itemLogListDictionary().value(u"log"_s).creatorName(), u"maker"_s);
        QVERIFY(!back->confirmOriginalOfTheListItemsDic());

        // With a directory the open list comes from its own file, not the archive.
        ListItemsSource saved;
        SearchEditingSource search;
        search.registerSearchObjectTitle(u"s"_s);
        openList(saved, 1);
        saved.addSearchObject(&search, u"saved"_s);
        saved.registerListItemTitle(u"a"_s);
        QVERIFY(saved.addListItemTitle());
        QVERIFY(registerList(saved, u"b"_s, 4));
        const QByteArray bytes = KeyedArchiver::archivedData(saved, u"root");

        struct Fields
        {
            static QString archiveClassName() { return u"ListItemsSource"_s; }
            bool initWithCoder(const ArchiveDecoder &coder)
            {
                fields = coder;
                return true;
            }
            ArchiveDecoder fields;
        };
        KeyedUnarchiver unarchiver(bytes);
        const auto raw = unarchiver.root().decodeObject<Fields>(u"root");
        QVERIFY(raw);
        QCOMPARE(raw->fields.allKeys(),
                 QStringList({u"itemLogListDictionary"_s, u"importListItemsFilePass"_s, u"originalOfTheListItemsDic"_s,
                              u"listItemIDString"_s, u"listItemID"_s, u"titleOfTheObjectDic"_s, u"listItemTitle"_s,
                              u"listItem"_s, u"itemsEditingSource"_s}));
        QCOMPARE(raw->fields.kindForKey(u"listItemID"), ArchiveKind::Int);
        const ArchiveDecoder storedEntry = raw->fields.decodeDictionary(u"originalOfTheListItemsDic").decodeDictionary(u"id0");
        QCOMPARE(storedEntry.kindForKey(u"searchObjectDic"), ArchiveKind::Dictionary);
        QCOMPARE(storedEntry.decodeDictionary(u"searchObjectDic").kindForKey(u"saved"), ArchiveKind::Object);

        back = KeyedUnarchiver::unarchivedObject<ListItemsSource>(bytes, u"root");
        QVERIFY(back);
        QVERIFY(back->listItemIDString() == u"id1"_s && back->listItemID() == 1);
        QCOMPARE(back->listItemTitle(), u"b"_s);
        QCOMPARE(back->titleOfTheObjectDic(), saved.titleOfTheObjectDic()); // saved searches included
        QCOMPARE(back->importListItemsFilePass(), u"b.csv"_s);
        QCOMPARE(back->listItem()->itemCount(), 0);
        QCOMPARE(back->titlelist(), QStringList({u"a"_s, u"b"_s}));
        const QVariantMap entry = entryOf(*back, u"id0"_s);
        QCOMPARE(entry.value(u"itemCount"_s).toUInt(), 1u);
        QCOMPARE(entry.value(u"searchObjectDic"_s).toMap().value(u"saved"_s).value<SearchEditingSource>().searchObjectTitle(),
                 u"s"_s);
    }

    void copyingAndReset()
    {
        ListItemsSource withDirectory;
        QVERIFY(registerList(withDirectory, u"a"_s, 3));
        ListItemsSource copy;
        QVERIFY(copy.setTheEnvironmentalAtDecoder(&withDirectory));
        QCOMPARE(copy.originalOfTheListItemsDic(), withDirectory.originalOfTheListItemsDic());
        QVERIFY(copy.listItemIDString() == u"id0"_s && copy.listItemTitle() == u"a"_s);
        QCOMPARE(copy.listItem()->itemCount(), 0); // comes from its own file

        ListItemsSource loose;
        openList(loose, 3);
        QVERIFY(copy.setTheEnvironmentalAtDecoder(&loose));
        QCOMPARE(copy.listItem()->itemCount(), 3);

        // A reset forgets the current list but keeps the directory, logs and rows.
        withDirectory.setLogText();
        withDirectory.registerSearchObjectTitle(u"s"_s);
        withDirectory.initializationUserObject();
        QVERIFY(!withDirectory.confirmListItemIDString() && !withDirectory.confirmListItemTitle());
        QVERIFY(!withDirectory.confirmTitleOfTheObjectDic() && !withDirectory.confirmImportListItemsFilePass());
        QVERIFY(!withDirectory.confirmSearchObjectTitle() && withDirectory.listItemID() == 0);
        QVERIFY(withDirectory.confirmOriginalOfTheListItemsDic() && withDirectory.itemLogListDictionary().contains(u"a"_s));
        QCOMPARE(withDirectory.listItem()->itemCount(), 3);
    }
};

QTEST_GUILESS_MAIN(tst_ListItemsSource)
#include "tst_ListItemsSource.moc"
