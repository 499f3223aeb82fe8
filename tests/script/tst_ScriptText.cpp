#include "script/InspectionCharacterString.h"
#include "script/MakingConversionMarker.h"
#include "script/MakingInsertMarker.h"

#include <QTest>

using namespace Qt::StringLiterals;

using ICS = InspectionCharacterString;

class tst_ScriptText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void argumentExtraction()
    {
        const QString command = u"[Command:items:row:3 title:[ColumnTitle:Unit Price] object:[User:x]]"_s;
        // A bracketed argument ends where its brackets balance, blanks dropped.
        QCOMPARE(ICS::extractCommandWithCharacterString(command, u"title"_s), u"[ColumnTitle:UnitPrice]"_s);
        // An unbracketed argument runs on into the following labels until
        // brackets balance or the command closes.
        QCOMPARE(ICS::extractCommandWithCharacterString(command, u"row"_s), u"3title:[ColumnTitle:UnitPrice]"_s);
        QCOMPARE(ICS::extractCommandWithCharacterString(u"[Command:k:x y:z]"_s, u"k"_s), u"xy:z"_s);
        QCOMPARE(ICS::extractCommandWithCharacterString(u"[Command:object:dictionary:[User:d] key:name]"_s, u"key"_s),
                 u"name"_s);
        QVERIFY(ICS::extractCommandWithCharacterString(command, u"path"_s).isNull());
        QVERIFY(ICS::extractCommandWithCharacterString(u"[Command:items:row:[User:a"_s, u"row"_s).isNull());
        QVERIFY(ICS::extractCommandWithCharacterString(u"label"_s, u"label"_s).isNull());
        // The label ends the text with nothing after it but the command's "]": an empty, not a null, argument.
        const QString empty = ICS::extractCommandWithCharacterString(u"[Command:for:end:]"_s, u"end"_s);
        QVERIFY(!empty.isNull() && empty.isEmpty());

        QCOMPARE(ICS::extractLoopWithCharacterString(command, u"row"_s), u"3"_s);
        QCOMPARE(ICS::extractLoopWithCharacterString(u"[Command:for:12.5count:3]"_s, u"for"_s), u"12.5"_s);
        QVERIFY(ICS::extractLoopWithCharacterString(u"[Command:for: 1 count:3]"_s, u"for"_s).isNull());
        QVERIFY(ICS::extractLoopWithCharacterString(u"[Command:for:"_s, u"for"_s).isNull());
        QVERIFY(ICS::extractLoopWithCharacterString(u"abc"_s, u"row"_s).isNull());
    }

    void groupExtraction()
    {
        QCOMPARE(ICS::extractCommandArrayWithCharacterString(u"http://h/[User:a]/x[Command:object:count:[ColumnTitle:b]]?q"_s),
                 (QStringList{u"[User:a]"_s, u"[Command:object:count:[ColumnTitle:b]]"_s}));
        // Unbalanced: only the groups that closed; a stray "]" opens nothing.
        QCOMPARE(ICS::extractCommandArrayWithCharacterString(u"] [a] [b [c]"_s), (QStringList{u"[a]"_s}));
        QVERIFY(ICS::extractCommandArrayWithCharacterString(u"plain text"_s).isEmpty());
    }

    void numbersAndReplacement()
    {
        QVERIFY(ICS::confirmCalculatingFormulaAtString(u"7"_s));
        QVERIFY(ICS::confirmCalculatingFormulaAtString(u"345"_s));
        QVERIFY(!ICS::confirmCalculatingFormulaAtString(u"10"_s));
        QVERIFY(!ICS::confirmCalculatingFormulaAtString(QString()));
        QVERIFY(ICS::confirmCalculatingFormulaAtMultiString(u"10.25"_s));
        QVERIFY(!ICS::confirmCalculatingFormulaAtMultiString(u"1e5"_s));

        QCOMPARE(ICS::integerValueOfString(u"12abc"_s), 12);
        QCOMPARE(ICS::integerValueOfString(u" -7"_s), -7);
        QCOMPARE(ICS::integerValueOfString(u"abc"_s), 0);
        QCOMPARE(ICS::integerValueOfString(u"99999999999999"_s), std::numeric_limits<qint32>::max());
        QCOMPARE(ICS::integerValueOfObject(QVariant(1e30)), std::numeric_limits<qint32>::max());
        QCOMPARE(ICS::integerValueOfObject(QVariant(std::nan(""))), 0);
        QCOMPARE(ICS::floatValueOfString(u"3.5kg"_s), 3.5f);
        QCOMPARE(ICS::floatValueOfString(u"1.2.3"_s), 1.2f);
        QCOMPARE(ICS::floatValueOfString(QString()), 0.0f);
        QVERIFY(std::isinf(ICS::floatValueOfString(u"1e300"_s)));

        QCOMPARE(ICS::makingResultAtString(u"a[x]b[x]"_s, u"[x]"_s, u"1"_s), u"a1b[x]"_s);
        QVERIFY(ICS::makingResultAtString(u"abc"_s, u"[x]"_s, u"1"_s).isNull());
        QCOMPARE(MakingConversionMarker::answerCodeText(u"=[User:a]*2"_s, u"[User:a]"_s, u"2.5"_s), u"=2.5*2"_s);
    }

    void substitution()
    {
        ICS inspection;
        QVERIFY(!inspection.makingInspectionCharacter());
        inspection.registerSourceString(u"a-b-c"_s);
        const auto entry = [](bool show, const QString &target, const QString &substitution) {
            return QVariantMap{{u"Show"_s, show}, {u"Targeted"_s, target}, {u"Substitution"_s, substitution}};
        };
        // A substitution containing its target ends and replaces each original occurrence once.
        inspection.registerMarkerListArray({entry(true, u"-"_s, u"--"_s), entry(false, u"a"_s, u"X"_s),
                                            entry(true, u"zz"_s, u"Y"_s)});
        QVERIFY(inspection.makingInspectionCharacter());
        QCOMPARE(inspection.sourceString(), u"a--b--c"_s);
        QCOMPARE(inspection.targetedCount(), 0); // the last entry found nothing

        // A damaged entry ends the pass; what was replaced before stays.
        inspection.registerSourceString(u"abc"_s);
        inspection.registerMarkerListArray({entry(true, u"a"_s, u"A"_s), QVariant(5), entry(true, u"b"_s, u"B"_s)});
        QTest::ignoreMessage(QtWarningMsg, "InspectionCharacterString:makingInspectionCharacter:Err");
        QVERIFY(inspection.makingInspectionCharacter());
        QCOMPARE(inspection.sourceString(), u"Abc"_s);
    }

    void markerConversion()
    {
        MakingConversionMarker marker;
        QVERIFY(!marker.makingConversionMarker());
        marker.registerTargetedString(u"http://h/[city]/[unit]/[city]"_s);
        marker.registerCodeText(u"[Library:weather]"_s);
        marker.registerMarkerListArray({QVariantMap{{u"idKey"_s, u"city"_s}, {u"idRegistration"_s, u"Kobe"_s}},
                                        QVariantMap{{u"idKey"_s, u"unit"_s}, {u"idRegistration"_s, u""_s}}});
        QVERIFY(marker.makingConversionMarker());
        QCOMPARE(marker.makingResultString(), u"http://h/Kobe/[unit]/[city]"_s);
        QCOMPARE(marker.codeText(), u"[Library:weather] unit:"_s);
        QCOMPARE(marker.requesMarkertListDictionary(), (QVariantMap{{u"unit"_s, u""_s}}));

        marker.registerMarkerKeyString(u"unit"_s);
        marker.registerRegistrationString(u"C"_s);
        QVERIFY(marker.makingMarkerAtTargeted(u"a[unit]b"_s));
        QCOMPARE(marker.makingResultString(), u"aCb"_s);
        QVERIFY(!marker.makingMarkerAtTargeted(u"nothing"_s));
    }

    void markerInsertion()
    {
        MakingInsertMarker insert;
        QCOMPARE(insert.markerStylStringOfHeader() + insert.markerStylStringOfBottom(), u"[]"_s);
        QVERIFY(!insert.makingInsertMarker(u"[User:a]"_s));
        insert.registerTargetedString(u"=1+2"_s);
        insert.registerSelectedCharLocation(1);
        insert.registerSelectedCharLength(1);
        QVERIFY(insert.makingInsertMarker(u"[User:a]"_s));
        QCOMPARE(insert.makingResultString(), u"=[User:a]+2"_s);

        // The caret ahead of the range moves back by the range's length.
        insert.registerSelectedCharRange({1, 2});
        insert.registerSelectedCharLocation(3);
        insert.registerSelectedCharLength(0);
        QVERIFY(insert.makingInsertMarker(u"X"_s));
        QCOMPARE(insert.makingResultString(), u"=X1+2"_s);

        // Selections past the text are clamped, never read beyond it.
        insert.registerSelectedCharRange({});
        insert.registerSelectedCharLocation(40);
        insert.registerSelectedCharLength(9);
        QVERIFY(insert.makingInsertMarker(u"X"_s));
        QCOMPARE(insert.makingResultString(), u"=1+2X"_s);
        insert.registerSelectedCharLocation(-5);
        insert.registerSelectedCharLength(0);
        QVERIFY(insert.makingInsertMarker(u"X"_s));
        QCOMPARE(insert.makingResultString(), u"X=1+2"_s);

        insert.registerTargetedString(u"a[User:x]b[User:x]"_s);
        QVERIFY(insert.removeInsertMarker(u"[User:x]"_s));
        QCOMPARE(insert.makingResultString(), u"ab[User:x]"_s);
        QCOMPARE(insert.selectedCharRange(), (OptionSource::CharRange{1, 8}));
        QVERIFY(!insert.inspectionMarker(u"[User:y]"_s));
    }
};

QTEST_GUILESS_MAIN(tst_ScriptText)
#include "tst_ScriptText.moc"
