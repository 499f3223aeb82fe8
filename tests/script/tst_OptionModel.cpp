#include "support/TestSupport.h"

#include "platform/AlertSheetModal.h"
#include "platform/ArchiveArray.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/Localization.h"
#include "platform/PolicyAlertPresenter.h"
#include "script/OptionObjectSource.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QString mainText(const char *key)
{
    return Localization::textOrKey(Localization::kMainTable, QString::fromLatin1(key));
}

// Records what an encoder wrote under T's class name: keys in order and kinds.
template<class T>
struct StoredShape
{
    static QString archiveClassName() { return T::archiveClassName(); }
    bool initWithCoder(const ArchiveDecoder &coder)
    {
        keys = coder.allKeys();
        for (const QString &key : std::as_const(keys))
            kinds.append(coder.kindForKey(key));
        fields = coder;
        return true;
    }
    QStringList keys;
    QList<ArchiveKind> kinds;
    ArchiveDecoder fields;
};

template<class T, class Stored>
std::unique_ptr<T> decodeAs(const Stored &object)
{
    return KeyedUnarchiver::unarchivedObject<T>(KeyedArchiver::archivedData(object, u"root"), u"root");
}

// Writes T's archive by hand, as an older, hand-edited or damaged file might hold it.
template<class T>
struct Forged
{
    static QString archiveClassName() { return T::archiveClassName(); }
    void encodeWithCoder(ArchiveEncoder &coder) const { write(coder); }
    std::function<void(ArchiveEncoder &)> write;
};

OptionSource sourceNamed(const QString &title, const QString &code)
{
    OptionSource source;
    source.registerSourceTitle(title);
    source.registerCodeText(code);
    return source;
}

QStringList codes(const OptionObjectSource &options)
{
    QStringList result;
    for (const OptionSource &source : options.optionSourceArray())
        result.append(source.codeText());
    return result;
}

// Every archived field set away from its default.
OptionSource fullSource()
{
    OptionSource source = sourceNamed(u"price"_s, u"=[ColumnTitle:Price]*2"_s);
    source.registerPracticeState(true);
    source.registerReferenceRequestTitle(mainText("0014Title"));
    source.registerReferenceRequestArray({u"a"_s, u"b"_s});
    source.registerRequestTitle(u"Price"_s);
    source.addRequesLibraryCodeDictionary({{u"makingResultString"_s, u"x"_s},
                                           {u"requesMarkertListDictionary"_s, QVariantMap{{u"m"_s, 1}}}},
                                          u"lib"_s);
    source.registerAnswerText(u"42"_s);
    source.registerReferenceAnswerTitle(mainText("0015Title"));
    source.registerReferenceAnswerArray({u"c"_s});
    source.registerAnswerTitle(u"total"_s);
    source.registerAnswerObjectDictionary({{u"answerType"_s, 7}, {u"answerObject"_s, QVariantList{u"x"_s, 2.5}}});
    return source;
}

} // namespace

class tst_OptionModel : public QObject
{
    Q_OBJECT

    PolicyAlertPresenter m_presenter;
    AlertPresenter *m_previous = nullptr;

private Q_SLOTS:
    void initTestCase()
    {
        enableIsolatedTestEnvironment();
        m_previous = AlertSheetModal::setPresenter(&m_presenter);
    }
    void init() { m_presenter.clearShownAlerts(); }
    void cleanupTestCase() { AlertSheetModal::setPresenter(m_previous); }

    void titlesStatesAndReset()
    {
        OptionSource source;
        QVERIFY(!source.registerCodeText(QString()) && !source.codeText().isNull()); // "", not a missing text
        QVERIFY(!source.addRequesLibraryCodeDictionary({}, u"lib"_s));
        QVERIFY(!source.addRequesLibraryCodeDictionary({{u"k"_s, 1}}, QString()));

        // States follow the localised titles exactly; anything else is 2630.
        const char *const keys[] = {"0013Title", "0014Title", "0015Title", "0016Title"};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(OptionSource::referenceStateForTitle(mainText(keys[i])), 2630 + i);
        QCOMPARE(OptionSource::referenceStateForTitle(QString()), 2630);
        QCOMPARE(OptionSource::referenceStateForTitle(mainText("0015Title") + u' '), 2630);
        QVERIFY(source.registerReferenceAnswerTitle(mainText("0016Title")));
        QCOMPARE(source.referenceAnswerState(), 2633);
        QVERIFY(!source.registerReferenceAnswerTitle(QString()));
        QCOMPARE(source.referenceAnswerState(), 2630);

        // Reset clears texts, run mode and states, and keeps the containers.
        OptionSource full = fullSource();
        full.initializationUserObject();
        QVERIFY(!full.confirmSourceTitle() && !full.confirmCodeText() && !full.practiceState());
        QCOMPARE(full.referenceRequestState(), 2630);
        QVERIFY(full.confirmReferenceRequestArray());
    }

    void sourceArchive()
    {
        const OptionSource original = fullSource();
        const auto shape = decodeAs<StoredShape<OptionSource>>(original);
        QVERIFY(shape);
        const QStringList expectedKeys{
            u"sourceTitle"_s, u"practiceState"_s, u"referenceRequestState"_s, u"referenceRequestTitle"_s,
            u"referenceRequestArray"_s, u"requestTitle"_s, u"codeText"_s, u"answerText"_s,
            u"requesLibraryCodeDictionary"_s, u"referenceAnswerState"_s, u"referenceAnswerTitle"_s,
            u"referenceAnswerArray"_s, u"answerTitle"_s, u"answerObjectDictionary"_s};
        QCOMPARE(shape->keys, expectedKeys);
        using K = ArchiveKind;
        QCOMPARE(shape->kinds, (QList<ArchiveKind>{K::String, K::Bool, K::Int, K::String, K::Array, K::String, K::String,
                                                   K::String, K::Dictionary, K::Int, K::String, K::Array, K::String,
                                                   K::Dictionary}));
        QCOMPARE(shape->fields.decodeInt32(u"referenceRequestState"), 2631);

        // The log lists every field; the dictionaries are also compared with their value types.
        const auto copy = decodeAs<OptionSource>(original);
        QVERIFY(copy);
        QCOMPARE(copy->logText(), original.logText());
        QCOMPARE(copy->requesLibraryCodeDictionary(), original.requesLibraryCodeDictionary());
        QCOMPARE(copy->answerObjectDictionary(), original.answerObjectDictionary());

        // Stored states give way to the titles; absent keys give empty texts; an
        // answer that is not a dictionary fails the source.
        for (const bool badAnswer : {false, true}) {
            const auto forged = decodeAs<OptionSource>(Forged<OptionSource>{[badAnswer](ArchiveEncoder &coder) {
                coder.encodeInt32(2633, u"referenceRequestState");
                coder.encodeString(u"renamed in another version"_s, u"referenceRequestTitle");
                coder.encodeInt32(9999, u"referenceAnswerState");
                coder.encodeString(mainText("0015Title"), u"referenceAnswerTitle");
                if (badAnswer)
                    coder.encodeString(u"not a dictionary"_s, u"answerObjectDictionary");
            }});
            QCOMPARE(bool(forged), !badAnswer);
            if (forged) {
                QCOMPARE(forged->referenceRequestState(), 2630);
                QCOMPARE(forged->referenceAnswerState(), 2632);
                QVERIFY(!forged->sourceTitle().isNull());
            }
        }
    }

    void optionSetArchive()
    {
        OptionObjectSource original;
        original.registerOptionSourceArray({fullSource(), sourceNamed(u"b"_s, u"=1+1"_s)});
        QVERIFY(original.addOptionTitle(u"first"_s));
        original.registerOptionSourceArray({sourceNamed(u"c"_s, u"x"_s)});
        QVERIFY(original.addOptionTitle(u"second"_s));
        original.registerReferenceListDictionary({{mainText("0013Title"), QStringList{u"Name"_s, u"Price"_s}}});
        QVERIFY(original.addReferenceUserObject(u"kept"_s, u"user"_s));
        QVERIFY(original.addRequesLibraryCode(u"=2*3"_s, u"lib"_s));

        const auto shape = decodeAs<StoredShape<OptionObjectSource>>(original);
        QVERIFY(shape);
        const QStringList expectedKeys{u"optionObjectSourceDictionary"_s, u"optionTitle"_s,
                                       u"optionSourceArray"_s, u"referenceUserDictionary"_s,
                                       u"referenceListDictionary"_s, u"requesLibraryCodeDictionary"_s};
        QCOMPARE(shape->keys, expectedKeys);
        using K = ArchiveKind;
        QCOMPARE(shape->kinds, (QList<ArchiveKind>{K::Dictionary, K::String, K::Array, K::Dictionary,
                                                   K::Dictionary, K::Dictionary}));
        const ArchiveDecoder stored = shape->fields.decodeDictionary(u"optionObjectSourceDictionary");
        QCOMPARE(stored.allKeys(), (QStringList{u"first"_s, u"second"_s}));
        QCOMPARE(stored.kindForKey(u"first"), K::Array);
        QCOMPARE(stored.decodeArray(u"first").size(), 2);
        QCOMPARE(stored.decodeArray(u"first").kindAt(1), K::Object);

        const auto copy = decodeAs<OptionObjectSource>(original);
        QVERIFY(copy);
        QCOMPARE(copy->optionTitle(), u"second"_s);
        const OptionSourceArray first = copy->optionObjectSourceDictionary().value(u"first"_s);
        QCOMPARE(first.size(), 2);
        QCOMPARE(first.at(0).answerObjectDictionary(), fullSource().answerObjectDictionary());
        QCOMPARE(first.at(1).codeText(), u"=1+1"_s);
        QCOMPARE(copy->optionSourceArray().size(), 1);
        QCOMPARE(copy->optionSourceArray().at(0).codeText(), u"x"_s);
        QCOMPARE(copy->referenceUserDictionary(), original.referenceUserDictionary());
        QCOMPARE(copy->requesLibraryCodeDictionary(), original.requesLibraryCodeDictionary());
        // Column titles come back as a plain list; the choice list still reads them.
        QCOMPARE(copy->getTegistrationListAtState(2630), (QStringList{u"Name"_s, u"Price"_s}));

        // Option arrays holding a string or an object of another class are refused.
        for (const bool wrongClass : {false, true}) {
            QVERIFY(!decodeAs<OptionObjectSource>(Forged<OptionObjectSource>{[wrongClass](ArchiveEncoder &coder) {
                coder.beginDictionary(1, u"optionObjectSourceDictionary");
                coder.beginArray(1, u"opt");
                if (wrongClass)
                    coder.encodeObject(OptionObjectSource(), u"");
                else
                    coder.encodeString(u"stray"_s, u"");
                coder.endArray();
                coder.endDictionary();
            }}));
        }
    }

    void storedOptions()
    {
        OptionObjectSource options;
        QVERIFY(!options.addOptionTitle(u"empty option"_s)); // no sources yet

        options.registerOptionSourceArray({sourceNamed(u"a"_s, u"1"_s)});
        QVERIFY(options.addOptionTitle(u"one"_s));
        // The stored option is a copy: later edits of the current sources don't reach it.
        QVERIFY(options.setSourceObject(sourceNamed(u"b"_s, u"2"_s), u"b"_s));
        QCOMPARE(options.optionObjectSourceDictionary().value(u"one"_s).size(), 1);

        QVERIFY(!options.readDevelopOptionTitle(u"missing"_s));
        QCOMPARE(options.optionTitle(), u"missing"_s); // taken although not stored
        QCOMPARE(options.optionSourceArray().size(), 2);
        QVERIFY(options.readDevelopOptionTitle(u"one"_s));
        QCOMPARE(options.optionSourceArray().size(), 1);

        QVERIFY(!options.removeOptionObjectOptionTitle(u"missing"_s));
        QVERIFY(options.removeOptionObjectOptionTitle(u"one"_s));
        QVERIFY(!options.inspectOptionObjectSourceDictionaryAtTitle(u"one"_s));
        QVERIFY(options.getDevelopSourceAtRow(0));
        QVERIFY(!options.getDevelopSourceAtRow(1) && !options.getDevelopSourceAtRow(-1));

        options.optionSource()->registerCodeText(u"w"_s);
        options.initializationUserObject();
        QVERIFY(!options.confirmOptionTitle() && !options.confirmOptionSourceArray());
        QVERIFY(!options.optionSource()->confirmCodeText());
        QCOMPARE(m_presenter.shownCount(), 0);
    }

    void alertGuardedOperations()
    {
        OptionObjectSource options;
        options.registerOptionSourceArray({sourceNamed(u"a"_s, u"old"_s)});
        QVERIFY(options.addOptionTitle(u"opt"_s));

        // An option under an existing title: NO keeps the old one and the current title.
        options.registerOptionSourceArray({sourceNamed(u"a"_s, u"new"_s)});
        options.registerOptionTitle(u"other"_s);
        m_presenter.enqueue({AlertButton::Default, AlertButton::Alternate});
        QVERIFY(!options.addOptionTitle(u"opt"_s));
        QCOMPARE(options.optionTitle(), u"other"_s);
        QCOMPARE(options.optionObjectSourceDictionary().value(u"opt"_s).at(0).codeText(), u"old"_s);
        QVERIFY(options.addOptionTitle(u"opt"_s));
        QCOMPARE(options.optionTitle(), u"opt"_s);
        QCOMPARE(options.optionObjectSourceDictionary().value(u"opt"_s).at(0).codeText(), u"new"_s);

        // The working source over a source of the same title.
        options.optionSource()->registerCodeText(u"edited"_s);
        m_presenter.enqueue({AlertButton::Default, AlertButton::Alternate});
        QVERIFY(!options.addOptionSourceTitle(u"a"_s));
        QCOMPARE(options.optionSourceArray().at(0).codeText(), u"new"_s);
        QVERIFY(options.addOptionSourceTitle(u"a"_s));
        QCOMPARE(codes(options), QStringList{u"edited"_s});
        QVERIFY(options.addOptionSourceTitle(u"zq-source"_s)); // new title: no question
        QVERIFY(!options.addOptionSourceTitle(QString()));

        m_presenter.enqueue({AlertButton::Default, AlertButton::Alternate});
        QVERIFY(!options.removeOptionSourceTitle(u"zq-source"_s));
        QCOMPARE(options.optionSourceArray().size(), 2);
        QVERIFY(options.removeOptionSourceTitle(u"zq-source"_s));
        QCOMPARE(options.optionSourceArray().size(), 1);
        QVERIFY(!options.removeOptionSourceTitle(u"zq-source"_s)); // gone: nothing to ask

        QVERIFY(options.addReferenceUserObject(u"v1"_s, u"ref"_s));
        m_presenter.enqueue({AlertButton::Default, AlertButton::Alternate});
        QVERIFY(!options.addReferenceUserObject(u"v2"_s, u"ref"_s));
        QCOMPARE(options.referenceUserDictionary().value(u"ref"_s), QVariant(u"v1"_s));
        QVERIFY(options.addReferenceUserObject(u"v2"_s, u"ref"_s));
        QCOMPARE(options.referenceUserDictionary().value(u"ref"_s), QVariant(u"v2"_s));

        const QList<AlertContent> shown = m_presenter.shownAlerts();
        QList<int> numbers;
        for (const AlertContent &alert : shown)
            numbers.append(alert.number);
        QCOMPARE(numbers, (QList<int>{263002, 263002, 263002, 263002, 263004, 263004, 263002, 263002}));
        QVERIFY((shown.at(4).title + shown.at(4).message).contains(u"zq-source"_s));
        QCOMPARE(m_presenter.pendingAnswers(), 0);
    }

    void duplicateTitlesActOnTheFirst()
    {
        OptionObjectSource options;
        options.registerOptionSourceArray({sourceNamed(u"x"_s, u"other"_s), sourceNamed(u"dup"_s, u"first"_s),
                                           sourceNamed(u"dup"_s, u"second"_s)});
        QVERIFY(options.inspectOptionSourceArrayAtTitle(u"dup"_s));
        QCOMPARE(options.optionSourceRow(), 1);
        QVERIFY(options.readDevelopSourceTitle(u"dup"_s));
        QCOMPARE(options.optionSource()->codeText(), u"first"_s);

        QVERIFY(options.setSourceObject(sourceNamed(u"ignored"_s, u"replaced"_s), u"dup"_s));
        QCOMPARE(codes(options), (QStringList{u"other"_s, u"replaced"_s, u"second"_s}));
        QCOMPARE(options.optionSourceArray().at(1).sourceTitle(), u"dup"_s);

        m_presenter.enqueue(AlertButton::Alternate);
        QVERIFY(options.removeOptionSourceTitle(u"dup"_s));
        QCOMPARE(codes(options), (QStringList{u"other"_s, u"second"_s}));

        // A miss still renames the working source but loads nothing.
        QVERIFY(!options.readDevelopSourceTitle(u"nowhere"_s));
        QCOMPARE(options.optionSource()->sourceTitle(), u"nowhere"_s);
        QCOMPARE(options.optionSource()->codeText(), u"first"_s);
    }

    void userReferencesAndChoiceLists()
    {
        OptionObjectSource options;
        QVERIFY(!options.addReferenceUserObject(QVariant(), u"t"_s) && !options.setReferenceUserObject(QVariantMap(), u"t"_s));
        QVERIFY(options.setReferenceUserObject(QVariantMap{{u"answerType"_s, 4}}, u"run"_s));
        QVERIFY(options.setReferenceUserObject(QVariantList{1}, u"run"_s)); // replaced without asking
        QCOMPARE(m_presenter.shownCount(), 0);
        QVERIFY(options.removeReferenceUserTitle(u"run"_s) && !options.removeReferenceUserTitle(u"run"_s));

        options.registerReferenceListDictionary(
            {{mainText("0013Title"), QStringList{u"NSRIndication"_s, u"NSROption"_s, u"ID"_s, u"Name"_s}},
             {mainText("0014Title"), QVariantMap{{u"libA"_s, 1}, {u"libB"_s, 2}}}});
        options.setReferenceUserObject(u"v"_s, u"u1"_s);
        QCOMPARE(options.getTegistrationListAtState(2630), (QStringList{u"ID"_s, u"Name"_s}));
        QCOMPARE(options.referenceListArray(), (QStringList{u"ID"_s, u"Name"_s}));
        QCOMPARE(options.getTegistrationListAtState(2631), (QStringList{u"libA"_s, u"libB"_s}));
        QCOMPARE(options.getTegistrationListAtState(2632), QStringList{u"u1"_s});
        QVERIFY(options.getTegistrationListAtState(2633).isEmpty());
        QVERIFY(!options.confirmReferenceListArray());
    }

    void copiesAndLogText()
    {
        const OptionSource source = fullSource();
        OptionSource target;
        QVERIFY(target.setTheEnvironmentalAtDecoder(&source));
        QCOMPARE(target.logText(), source.logText());

        // Copies own their working source.
        OptionObjectSource options;
        options.optionSource()->registerCodeText(u"working"_s);
        options.registerOptionSourceArray({source});
        OptionObjectSource clone(options);
        clone.optionSource()->registerCodeText(u"clone"_s);
        clone.setSourceObject(sourceNamed(u"z"_s, {}), u"z"_s);
        QCOMPARE(options.optionSource()->codeText(), u"working"_s);
        QCOMPARE(options.optionSourceArray().size(), 1);
        OptionObjectSource taken;
        QVERIFY(taken.setTheEnvironmentalAtDecoder(&clone));
        QCOMPARE(taken.optionSourceArray().size(), 2);
        QVERIFY(!taken.optionSource()->confirmCodeText()); // the working source is not copied

        const QStringList lines = source.logText().split(u'\n');
        QCOMPARE(lines.mid(0, 6), (QStringList{u"** OptionSource logText START **"_s, u"sourceTitle:price"_s,
                                               u"practiceState:YES"_s, u"referenceRequestState:2631"_s,
                                               u"referenceRequestTitle:"_s + mainText("0014Title"),
                                               u"referenceRequestArray:(a, b)"_s}));
        QCOMPARE(lines.last(), u"** OptionSource logText END **"_s);
        QVERIFY(OptionSource().logText().split(u'\n').contains(u"practiceState:NO"_s));

        taken.registerOptionTitle(u"opt"_s);
        const QStringList optionLines = taken.logText().split(u'\n');
        QCOMPARE(optionLines.first() + optionLines.last(),
                 u"** OptionObjectSource logText START **** OptionObjectSource logText END **"_s);
        QVERIFY(optionLines.contains(u"optionTitle:opt"_s));
        QCOMPARE(optionLines.filter(u"optionSource:** OptionSource logText START **"_s).size(), 2);
    }
};

QTEST_GUILESS_MAIN(tst_OptionModel)
#include "tst_OptionModel.moc"
