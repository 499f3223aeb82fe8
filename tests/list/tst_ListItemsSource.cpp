#include "document/CreatorInformation.h"
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

namespace {

// Opens a list with n rows, the way an import leaves it.
void openList(ListItemsSource &source, qsizetype rowCount, const QString &path = QString())
{
    const RowSchema::Ptr schema = RowSchema::make({QStringLiteral("NSROption"), QStringLiteral("ID")});
    RowList rows;
    for (qsizetype i = 0; i < rowCount; ++i) {
        const QString id = QString::number(i);
        rows.append(Row::fromTexts(schema, {QStringView(), QStringView(id)}));
    }
    ListItem *item = source.listItem();
    item->registerColumnTitlesArray({QStringLiteral("NSRIndication"), QStringLiteral("NSROption"), QStringLiteral("ID")});
    item->registerTableItemObjectArray(rows);
    source.registerImportListItemsFilePass(path);
}

bool registerList(ListItemsSource &source, const QString &title, qsizetype rowCount = 1)
{
    openList(source, rowCount, QStringLiteral("/in/") + title + QStringLiteral(".csv"));
    source.registerListItemTitle(title);
    return source.addListItemTitle();
}

QVariantMap directoryWith(const QStringList &ids)
{
    QVariantMap directory;
    for (const QString &id : ids) {
        QVariantMap entry;
        entry.insert(QStringLiteral("listItemTitle"), QStringLiteral("title of ") + id);
        directory.insert(id, entry);
    }
    return directory;
}

bool touch(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("x") == 1;
}

} // namespace

class tst_ListItemsSource : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { enableIsolatedTestEnvironment(); }
    void init()
    {
        m_presenter = std::make_unique<PolicyAlertPresenter>();
        m_previous = AlertSheetModal::setPresenter(m_presenter.get());
    }
    void cleanup() { AlertSheetModal::setPresenter(m_previous); }

    void numberingAndEntries();
    void numberingNeverReusesAnID();
    void registeringUnderAnExistingTitle();
    void removalMovesTheFile();
    void idsNeverLeaveTheFolder();
    void archiveWithAndWithoutDirectory();
    void copyingAndReset();

private:
    std::unique_ptr<PolicyAlertPresenter> m_presenter;
    AlertPresenter *m_previous = nullptr;
};

void tst_ListItemsSource::numberingAndEntries()
{
    ListItemsSource source;
    QVERIFY(source.titlelist().isEmpty());
    QVERIFY(!source.inspectionListItemTitle(QStringLiteral("a")));

    SearchEditingSource search;
    search.registerSearchObjectTitle(QStringLiteral("s"));
    openList(source, 3, QStringLiteral("/home/u/imports/first.csv"));
    source.addSearchObject(&search, QStringLiteral("saved"));
    source.registerListItemTitle(QStringLiteral("first"));
    QVERIFY(source.addListItemTitle());
    QCOMPARE(source.listItemIDString(), QStringLiteral("id0"));
    QVERIFY(source.confirmOriginalOfTheListItemsDic());

    const QVariantMap entry = source.originalOfTheListItemsDic().value(QStringLiteral("id0")).toMap();
    QCOMPARE(entry.value(QStringLiteral("listItemID")).toInt(), 0);
    QCOMPARE(entry.value(QStringLiteral("importListItemsFilePass")).toString(), QStringLiteral("first.csv"));
    QCOMPARE(source.importListItemsFilePass(), QStringLiteral("first.csv"));
    QCOMPARE(entry.value(QStringLiteral("listItemTitle")).toString(), QStringLiteral("first"));
    QCOMPARE(entry.value(QStringLiteral("itemCount")).toUInt(), 3u);
    const QVariant saved = entry.value(QStringLiteral("searchObjectDic")).toMap().value(QStringLiteral("saved"));
    QVERIFY(saved.canConvert<SearchEditingSource>());
    QCOMPARE(saved.value<SearchEditingSource>().searchObjectTitle(), QStringLiteral("s"));
    QCOMPARE(source.titleOfTheObjectDic(), entry);

    // A list without rows, source or searches leaves those keys out.
    source.listItem()->initializationUserObject();
    source.registerImportListItemsFilePass(QString());
    source.registerListItemTitle(QStringLiteral("second"));
    QVERIFY(source.addListItemTitle());
    QCOMPARE(source.listItemIDString(), QStringLiteral("id1"));
    QCOMPARE(source.originalOfTheListItemsDic().value(QStringLiteral("id1")).toMap().keys(),
             QStringList({QStringLiteral("listItemID"), QStringLiteral("listItemTitle")}));

    // No title, no entry.
    source.registerListItemTitle(QString());
    QVERIFY(!source.addListItemTitle());
    QVERIFY(!source.addListItemIDString());
    QCOMPARE(source.originalOfTheListItemsDic().size(), 2);
    QCOMPARE(source.titlelist(), QStringList({QStringLiteral("first"), QStringLiteral("second")}));
}

void tst_ListItemsSource::numberingNeverReusesAnID()
{
    ListItemsSource source;
    source.newListItemIDString();
    QCOMPARE(source.listItemIDString(), QStringLiteral("id0"));

    const struct
    {
        QStringList held;
        QString expected;
    } cases[] = {
        {{QStringLiteral("id1")}, QStringLiteral("id0")},
        {{QStringLiteral("id0"), QStringLiteral("id1"), QStringLiteral("id3")}, QStringLiteral("id2")},
        {{QStringLiteral("id1"), QStringLiteral("id2"), QStringLiteral("id3")}, QStringLiteral("id0")},
        {{QStringLiteral("id0"), QStringLiteral("id2")}, QStringLiteral("id1")},
    };
    for (const auto &c : cases) {
        source.registerOriginalOfTheListItemsDic(directoryWith(c.held));
        source.registerListItemID(7);
        source.newListItemIDString();
        QCOMPARE(source.listItemIDString(), c.expected);
        QVERIFY(!c.held.contains(source.listItemIDString()));
    }

    // Ten and more lists: walked in number order, and numbering continues.
    QStringList held;
    for (int i = 0; i < 12; ++i)
        held.append(QStringLiteral("id%1").arg(i));
    source.registerOriginalOfTheListItemsDic(directoryWith(held));
    source.newListItemIDString();
    QCOMPARE(source.listItemIDString(), QStringLiteral("id12"));
    QCOMPARE(source.listItemIDStrings(), held);
    QCOMPARE(source.titlelist().at(2), QStringLiteral("title of id2"));
    QCOMPARE(source.titlelist().at(10), QStringLiteral("title of id10"));
}

void tst_ListItemsSource::registeringUnderAnExistingTitle()
{
    ListItemsSource source;
    QVERIFY(registerList(source, QStringLiteral("a"), 2));
    QVERIFY(registerList(source, QStringLiteral("b"), 2));
    QVERIFY(registerList(source, QStringLiteral("c"), 2));
    const QVariantMap before = source.originalOfTheListItemsDic();
    QCOMPARE(m_presenter->shownCount(), 0);

    // Declined: nothing changes, and the open list keeps its own ID and source.
    openList(source, 5, QStringLiteral("/in/new.csv"));
    source.registerListItemTitle(QStringLiteral("b"));
    m_presenter->enqueue(AlertButton::Default);
    QVERIFY(!source.addListItemTitle());
    QCOMPARE(m_presenter->shownCount(), 1);
    QCOMPARE(m_presenter->shownAlerts().at(0).number, 202201);
    QCOMPARE(source.originalOfTheListItemsDic(), before);
    QCOMPARE(source.listItemIDString(), QStringLiteral("id2"));
    QCOMPARE(source.listItemID(), 2);
    QCOMPARE(source.importListItemsFilePass(), QStringLiteral("/in/new.csv"));

    // Accepted: the list replaces the one under that title, same ID and number.
    m_presenter->enqueue(AlertButton::Alternate);
    QVERIFY(source.addListItemTitle());
    QCOMPARE(source.listItemIDString(), QStringLiteral("id1"));
    QCOMPARE(source.originalOfTheListItemsDic().size(), 3);
    const QVariantMap entry = source.originalOfTheListItemsDic().value(QStringLiteral("id1")).toMap();
    QCOMPARE(entry.value(QStringLiteral("listItemID")).toInt(), 1);
    QCOMPARE(entry.value(QStringLiteral("itemCount")).toUInt(), 5u);
    QCOMPARE(entry.value(QStringLiteral("importListItemsFilePass")).toString(), QStringLiteral("new.csv"));
    QCOMPARE(source.titlelist(), QStringList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));

    // Finding a title selects its entry and source.
    source.registerImportListItemsFilePass(QString());
    QVERIFY(source.inspectionListItemTitle(QStringLiteral("a")));
    QCOMPARE(source.listItemIDString(), QStringLiteral("id0"));
    QCOMPARE(source.importListItemsFilePass(), QStringLiteral("a.csv"));
    QVERIFY(!source.inspectionListItemTitle(QStringLiteral("zz")));
    QCOMPARE(source.listItemIDString(), QStringLiteral("id2")); // the last one visited
}

void tst_ListItemsSource::removalMovesTheFile()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString objectFolder = root.filePath(QStringLiteral("object"));
    const QString workFolder = root.filePath(QStringLiteral("work"));
    QVERIFY(QDir().mkpath(objectFolder));
    QVERIFY(QDir().mkpath(workFolder));

    ListItemsSource source;
    QVERIFY(!source.removeListItemOfCachesFolderName(objectFolder, workFolder)); // no directory
    QVERIFY(registerList(source, QStringLiteral("a")));
    QVERIFY(registerList(source, QStringLiteral("b")));
    QVERIFY(touch(objectFolder + QStringLiteral("/id1.listItems")));

    // A failed move (no file for "a") leaves the directory as it was.
    source.registerListItemTitle(QStringLiteral("a"));
    const QVariantMap before = source.originalOfTheListItemsDic();
    QVERIFY(!source.removeListItemOfCachesFolderName(objectFolder, workFolder));
    QCOMPARE(source.originalOfTheListItemsDic(), before);
    QVERIFY(source.removeOfTheListItemsDic().isEmpty());

    source.registerListItemTitle(QStringLiteral("unknown"));
    QVERIFY(!source.removeListItemOfCachesFolderName(objectFolder, workFolder));

    source.registerListItemTitle(QStringLiteral("b"));
    QVERIFY(source.removeListItemOfCachesFolderName(objectFolder, workFolder));
    QVERIFY(!QFile::exists(objectFolder + QStringLiteral("/id1.listItems")));
    QVERIFY(QFile::exists(workFolder + QStringLiteral("/id1.listItems")));
    QCOMPARE(source.originalOfTheListItemsDic().keys(), QStringList{QStringLiteral("id0")});
    QCOMPARE(source.removeOfTheListItemsDic().value(QStringLiteral("id1")).toMap().value(QStringLiteral("listItemTitle")).toString(),
             QStringLiteral("b"));
    QCOMPARE(source.titlelist(), QStringList{QStringLiteral("a")});

    // The freed number is given again only once nothing holds it.
    source.listItem()->initializationUserObject();
    QVERIFY(registerList(source, QStringLiteral("c")));
    QCOMPARE(source.listItemIDString(), QStringLiteral("id1"));
}

void tst_ListItemsSource::idsNeverLeaveTheFolder()
{
    QVERIFY(ListItemsSource::isListItemIDString(QStringLiteral("id0")));
    QVERIFY(ListItemsSource::isListItemIDString(QStringLiteral("id2147483647")));
    for (const QString &bad : {QStringLiteral("id"), QStringLiteral("id01"), QStringLiteral("id-1"),
                               QStringLiteral("ID1"), QStringLiteral("id1/../x"), QStringLiteral("../id1"),
                               QStringLiteral("id2147483648"), QStringLiteral("id1 "), QString()}) {
        QVERIFY2(!ListItemsSource::isListItemIDString(bad), qPrintable(bad));
        QVERIFY(ListItemsSource::listItemsFileName(bad).isEmpty());
    }
    QCOMPARE(ListItemsSource::listItemsFileName(QStringLiteral("id4")), QStringLiteral("id4.listItems"));

    // A directory entry under a forged ID never names a file to move.
    QTemporaryDir root;
    ListItemsSource source;
    QVariantMap directory = directoryWith({QStringLiteral("../../escape")});
    source.registerOriginalOfTheListItemsDic(directory);
    source.registerListItemTitle(QStringLiteral("title of ../../escape"));
    QVERIFY(!source.removeListItemOfCachesFolderName(root.path(), root.path()));
    QCOMPARE(source.originalOfTheListItemsDic(), directory);
}

void tst_ListItemsSource::archiveWithAndWithoutDirectory()
{
    // Without a directory the open list travels in the archive.
    ListItemsSource loose;
    openList(loose, 2);
    loose.itemsEditingSource()->registerProposedPosition(120.0f);
    CreatorInformation creator;
    creator.register_creatorName(QStringLiteral("maker"));
    loose.addItemLogListAtObject(&creator, QStringLiteral("log"));
    QByteArray bytes = KeyedArchiver::archivedData(loose, u"root");
    QVERIFY(!bytes.isEmpty());
    {
        KeyedUnarchiver unarchiver(bytes);
        QVERIFY(unarchiver.isValid());
    }
    auto back = KeyedUnarchiver::unarchivedObject<ListItemsSource>(bytes, u"root");
    QVERIFY(back);
    QCOMPARE(back->listItem()->itemCount(), 2);
    QCOMPARE(back->itemsEditingSource()->proposedPosition(), 120.0f);
    QCOMPARE(back->itemLogListDictionary().value(QStringLiteral("log")).creatorName(), QStringLiteral("maker"));
    QVERIFY(!back->confirmOriginalOfTheListItemsDic());

    // With a directory the open list comes from its own file, not the archive.
    ListItemsSource saved;
    SearchEditingSource search;
    search.registerSearchObjectTitle(QStringLiteral("s"));
    openList(saved, 1);
    saved.addSearchObject(&search, QStringLiteral("saved"));
    saved.registerListItemTitle(QStringLiteral("a"));
    QVERIFY(saved.addListItemTitle());
    QVERIFY(registerList(saved, QStringLiteral("b"), 4));
    bytes = KeyedArchiver::archivedData(saved, u"root");
    QVERIFY(!bytes.isEmpty());

    struct Fields
    {
        static QString archiveClassName() { return QStringLiteral("ListItemsSource"); }
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
             QStringList({QStringLiteral("itemLogListDictionary"), QStringLiteral("importListItemsFilePass"),
                          QStringLiteral("originalOfTheListItemsDic"), QStringLiteral("listItemIDString"),
                          QStringLiteral("listItemID"), QStringLiteral("titleOfTheObjectDic"),
                          QStringLiteral("listItemTitle"), QStringLiteral("listItem"),
                          QStringLiteral("itemsEditingSource")}));
    QCOMPARE(raw->fields.kindForKey(u"listItemID"), ArchiveKind::Int);
    const ArchiveDecoder storedEntry = raw->fields.decodeDictionary(u"originalOfTheListItemsDic").decodeDictionary(u"id0");
    QCOMPARE(storedEntry.kindForKey(u"searchObjectDic"), ArchiveKind::Dictionary);
    QCOMPARE(storedEntry.decodeDictionary(u"searchObjectDic").kindForKey(u"saved"), ArchiveKind::Object);

    back = KeyedUnarchiver::unarchivedObject<ListItemsSource>(bytes, u"root");
    QVERIFY(back);
    QCOMPARE(back->originalOfTheListItemsDic().size(), 2);
    QCOMPARE(back->listItemIDString(), QStringLiteral("id1"));
    QCOMPARE(back->listItemID(), 1);
    QCOMPARE(back->listItemTitle(), QStringLiteral("b"));
    // Searches have no equality of their own; compare the rest of the entry.
    QVariantMap current = back->titleOfTheObjectDic();
    QVariantMap expected = saved.titleOfTheObjectDic();
    QVERIFY(current.take(QStringLiteral("searchObjectDic")).toMap().contains(QStringLiteral("saved")));
    expected.remove(QStringLiteral("searchObjectDic"));
    QCOMPARE(current, expected);
    QCOMPARE(back->importListItemsFilePass(), QStringLiteral("b.csv"));
    QCOMPARE(back->listItem()->itemCount(), 0);
    QCOMPARE(back->titlelist(), QStringList({QStringLiteral("a"), QStringLiteral("b")}));
    const QVariantMap entry = back->originalOfTheListItemsDic().value(QStringLiteral("id0")).toMap();
    QCOMPARE(entry.value(QStringLiteral("itemCount")).toUInt(), 1u);
    QCOMPARE(entry.value(QStringLiteral("searchObjectDic")).toMap().value(QStringLiteral("saved"))
                 .value<SearchEditingSource>().searchObjectTitle(),
             QStringLiteral("s"));
}

void tst_ListItemsSource::copyingAndReset()
{
    ListItemsSource withDirectory;
    QVERIFY(registerList(withDirectory, QStringLiteral("a"), 3));
    ListItemsSource copy;
    QVERIFY(!copy.setTheEnvironmentalAtDecoder(nullptr));
    QVERIFY(copy.setTheEnvironmentalAtDecoder(&withDirectory));
    QCOMPARE(copy.originalOfTheListItemsDic(), withDirectory.originalOfTheListItemsDic());
    QCOMPARE(copy.listItemIDString(), QStringLiteral("id0"));
    QCOMPARE(copy.listItemTitle(), QStringLiteral("a"));
    QCOMPARE(copy.listItem()->itemCount(), 0);

    ListItemsSource loose;
    openList(loose, 3);
    ListItemsSource looseCopy;
    QVERIFY(looseCopy.setTheEnvironmentalAtDecoder(&loose));
    QCOMPARE(looseCopy.listItem()->itemCount(), 3);

    // A reset forgets the current list but keeps the directory and logs.
    withDirectory.setLogText();
    withDirectory.registerSearchObjectTitle(QStringLiteral("s"));
    withDirectory.initializationUserObject();
    QVERIFY(!withDirectory.confirmListItemIDString());
    QVERIFY(!withDirectory.confirmListItemTitle());
    QVERIFY(!withDirectory.confirmTitleOfTheObjectDic());
    QVERIFY(!withDirectory.confirmImportListItemsFilePass());
    QVERIFY(!withDirectory.confirmSearchObjectTitle());
    QCOMPARE(withDirectory.listItemID(), 0);
    QVERIFY(withDirectory.confirmOriginalOfTheListItemsDic());
    QVERIFY(withDirectory.itemLogListDictionary().contains(QStringLiteral("a")));
    QCOMPARE(withDirectory.listItem()->itemCount(), 3);

    QVERIFY(!withDirectory.addItemLogListAtObject(nullptr, QStringLiteral("x")));
    QVERIFY(!withDirectory.lastPathComponentOfTheImportListItems());
}

QTEST_GUILESS_MAIN(tst_ListItemsSource)
#include "tst_ListItemsSource.moc"
