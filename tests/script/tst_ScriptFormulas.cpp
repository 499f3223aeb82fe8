#include "script/CalculatingFormula.h"
#include "script/CommandFormula.h"
#include "script/FunctionFormula.h"
#include "script/LibraryFormula.h"
#include "script/MainLoopFunction.h"
#include "script/StringFormula.h"

#include <QTest>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

QByteArray pngHeader(quint32 width, quint32 height)
{
    QByteArray data("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    for (quint32 value : {width, height}) {
        for (int shift = 24; shift >= 0; shift -= 8)
            data.append(char((value >> shift) & 0xFF));
    }
    return data + QByteArray(5, '\0');
}

float calculate(const QString &formula)
{
    CalculatingFormula calc;
    calc.calculatingFormulaAtFunction(formula);
    return calc.answerCalculatingFormula();
}

} // namespace

class tst_ScriptFormulas : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void functionMarkers()
    {
        FunctionFormula function;
        QVERIFY(function.functionFormulaAtFunction(u"[ColumnTitle:Price]"_s));
        QCOMPARE(function.commandNumber(), FunctionFormula::kColumnTitle);
        QCOMPARE(function.children(), u"Price"_s);
        QVERIFY(function.functionFormulaAtFunction(u"[Command:object:count:[User:a]]"_s));
        QCOMPARE(function.commandNumber(), FunctionFormula::kCommand);
        QCOMPARE(function.children(), u"object:count:[User:a]"_s);
        QVERIFY(function.functionFormulaAtFunction(u"[User:]"_s));
        QVERIFY(!function.confirmChildren());
        // Only the prefix: matched, but with no argument.
        QVERIFY(function.functionFormulaAtFunction(u"[Library:"_s));
        QVERIFY(!function.confirmChildren());
        QVERIFY(!function.functionFormulaAtFunction(u"[Column"_s));
        QVERIFY(!function.functionFormulaAtFunction(u"[Other:x]"_s));
        QVERIFY(!function.functionFormulaAtFunction(QString()));
    }

    void calculations()
    {
        QCOMPARE(calculate(u"=2*3"_s), 6.0f);
        QCOMPARE(calculate(u"=7/2"_s), 3.5f);
        QCOMPARE(calculate(u"=10-4"_s), 6.0f);
        QCOMPARE(calculate(u"= 1.5 + 2.25"_s), 3.75f);
        // Digits after both operators join; the last operator wins.
        QCOMPARE(calculate(u"=1+2+3"_s), 24.0f);
        QCOMPARE(calculate(u"=6*2-1"_s), -15.0f);
        // Single precision: 0.1 + 0.2 is the float sum, not the double one.
        QCOMPARE(calculate(u"=0.1+0.2"_s), 0.1f + 0.2f);
        QVERIFY(std::isinf(calculate(u"=1/0"_s)));
        QVERIFY(std::isnan(calculate(u"=0/0"_s)));

        CalculatingFormula calc;
        calc.calculatingFormulaAtFunction(u"=-3"_s);
        QVERIFY(!calc.confirmFirstStr() && !calc.confirmFirstCom());
        QCOMPARE(calc.calculating(), CalculatingFormula::kSubtract);
        QCOMPARE(calc.bottomStr(), u"3"_s);
        QCOMPARE(calc.answerCalculatingFormula(), -3.0f);

        // Once a non-number appears, later digits belong to the expression.
        calc.initializationUserObject();
        calc.calculatingFormulaAtFunction(u"=[User:a1]*2"_s);
        QCOMPARE(calc.firstCom(), u"[User:a1]"_s);
        QVERIFY(calc.comInterrupt());
        QCOMPARE(calc.bottomCom(), u"2"_s);
        QVERIFY(!calc.confirmBottomStr());
        // Operators count inside brackets too: they split the expression.
        calc.initializationUserObject();
        calc.calculatingFormulaAtFunction(u"=[User:a-b]+1"_s);
        QCOMPARE(calc.firstCom(), u"[User:a"_s);
        QCOMPARE(calc.bottomCom(), u"b]1"_s);
        QCOMPARE(calc.calculating(), CalculatingFormula::kAdd);
        QVERIFY(!calc.calculatingFormulaAtFunction(QString()));
    }

    void textAnswers()
    {
        StringFormula text;
        text.registerCodeText(u"no address here"_s);
        QVERIFY(!text.analysisCharacterString());
        text.registerCodeText(u"https://only.secure/x"_s);
        QVERIFY(!text.analysisCharacterString());

        text.registerCodeText(u"http://h/page?id=3"_s);
        QVERIFY(text.analysisCharacterString());
        QCOMPARE(text.answerObjectDictionary(),
                 (QVariantMap{{u"codeText"_s, u"http://h/page?id=3"_s}, {u"answerType"_s, 4},
                              {u"answerObject"_s, u"http://h/page?id=3"_s}}));

        // An image that cannot be loaded is answered as text.
        QStringList asked;
        text.setImageLoader([&asked](const QString &url, QByteArray *) { asked << url; return false; });
        text.initializationUserObject();
        text.registerCodeText(u"http://h/a.png"_s);
        QVERIFY(text.analysisCharacterString());
        QCOMPARE(text.answerType(), 4);
        QCOMPARE(text.requestImageType(), StringFormula::kImagePng);
        QCOMPARE(asked, QStringList{u"http://h/a.png"_s});

        // Loaded bytes must hold a known image of non-zero size.
        QByteArray served = pngHeader(0, 5);
        text.setImageLoader([&served](const QString &, QByteArray *body) { *body = served; return true; });
        QVERIFY(text.analysisCharacterString());
        QCOMPARE(text.answerType(), 4);
        served = pngHeader(3, 5);
        QVERIFY(text.analysisCharacterString());
        QCOMPARE(text.answerType(), 5);
        QCOMPARE(text.answerObjectDictionary().value(u"answerObject"_s).toByteArray(), served);

        text.registerCodeText(u"http://h/photo.jpeg?x.gif"_s);
        QVERIFY(text.analysisRequestImageString());
        QCOMPARE(text.requestImageType(), StringFormula::kImageJpeg);
        text.registerCodeText(u"http://h/a.txt"_s);
        QVERIFY(!text.analysisRequestImageString());
    }

    void imageHeaders()
    {
        QCOMPARE(StringFormula::imageSizeOfData(pngHeader(640, 480)), QSize(640, 480));
        QVERIFY(!StringFormula::imageSizeOfData(pngHeader(1, 1).left(20)).isValid());
        QCOMPARE(StringFormula::imageSizeOfData(QByteArray("GIF89a\x10\0\x08\0", 10)), QSize(16, 8));
        QByteArray bmp(26, '\0');
        bmp[0] = 'B';
        bmp[1] = 'M';
        bmp[14] = 40;
        bmp[18] = 2;
        bmp[22] = char(0xFE); // -2: a top-down bitmap
        bmp[23] = bmp[24] = bmp[25] = char(0xFF);
        QCOMPARE(StringFormula::imageSizeOfData(bmp), QSize(2, 2));
        // JPEG: an APP0 segment, then a baseline frame of 4 x 3.
        const QByteArray jpeg("\xFF\xD8\xFF\xE0\0\x04\0\0\xFF\xC0\0\x11\x08\0\x03\0\x04", 17);
        QCOMPARE(StringFormula::imageSizeOfData(jpeg), QSize(4, 3));
        // A segment length pointing past the data, or no frame at all, is no size.
        QVERIFY(!StringFormula::imageSizeOfData(QByteArray("\xFF\xD8\xFF\xE0\xFF\xFF", 6)).isValid());
        QByteArray tiff("II*\0\x08\0\0\0\x02\0", 10);
        tiff += QByteArray("\0\x01\x03\0\x01\0\0\0\x07\0\0\0", 12);
        tiff += QByteArray("\x01\x01\x04\0\x01\0\0\0\x09\0\0\0", 12);
        QCOMPARE(StringFormula::imageSizeOfData(tiff), QSize(7, 9));
        QVERIFY(!StringFormula::imageSizeOfData(QByteArray("II*\0\xFF\xFF\0\0", 8)).isValid());
        QVERIFY(!StringFormula::imageSizeOfData("not an image").isValid());
    }

    void libraryCode()
    {
        const QVariantMap library{
            {u"plain"_s, QVariantMap{{u"makingResultString"_s, u"http://h/plain"_s}}},
            {u"weather"_s, QVariantMap{{u"makingResultString"_s, u"http://h/[city]"_s},
                                       {u"requesMarkertListDictionary"_s,
                                        QVariantMap{{u"city"_s, u"Osaka"_s}, {u"unit"_s, u"C"_s}}}}},
            {u"empty"_s, QVariantMap{{u"makingResultString"_s, u""_s}}},
        };
        LibraryFormula lib;
        QVERIFY(!lib.libraryFormulaAtFunction());
        lib.registerRequesLibraryCodeDictionary(library);
        // A title inside another word still matches.
        lib.registerCodeText(u"[Library:xplainy]"_s);
        QVERIFY(lib.libraryFormulaAtFunction());
        QCOMPARE(lib.makingResultString(), u"http://h/plain"_s);

        lib.registerCodeText(u"[Library:weather] city:[User:home] unit:F"_s);
        QVERIFY(!lib.libraryFormulaAtFunction());
        QCOMPARE(lib.makingResultString(), u"http://h/[city]"_s);
        // Only the first marker that finds an argument takes it.
        QCOMPARE(lib.requesMarkertListDictionary(),
                 (QVariantMap{{u"city"_s, u"[User:home]"_s}, {u"unit"_s, u"C"_s}}));

        lib.registerCodeText(u"[Library:empty]"_s);
        lib.registerMakingResultString(QString());
        QVERIFY(!lib.libraryFormulaAtFunction());
        QVERIFY(lib.makingResultString().isEmpty());

        QVERIFY(!lib.addAnswerObject(QVariant(), u"city"_s));
        QVERIFY(lib.addAnswerObject(5, QString()));
        QVERIFY(lib.addAnswerObject(5, u"city"_s));
        QCOMPARE(lib.requesMarkertListDictionary().value(u"city"_s), QVariant(5));
    }

    void commandsAndLoops()
    {
        CommandFormula command;
        const auto accepts = [&command](const QString &text) {
            command.initializationUserObject();
            command.registerCodeText(text);
            return command.commandFormulaAtFunction();
        };
        QVERIFY(accepts(u"[Command:for:1 count:3 step:1]"_s));
        QVERIFY(command._commandLoopWithState());
        // The loop flag outlives a reset and a counter read; an end clears it.
        QVERIFY(accepts(u"[Command:for:count:]"_s));
        QVERIFY(command._forCountState() && command._commandLoopWithState());
        QVERIFY(accepts(u"[Command:indicator:end:]"_s));
        QVERIFY(!command._commandLoopWithState() && !command._forCountState());
        QVERIFY(!accepts(u"[Command:for:1]"_s));
        QVERIFY(!accepts(u"[Command:items:row:1 title:[ColumnTitle:a]]"_s));
        QVERIFY(!accepts(u"[Command:object:count:[User:a]]"_s));
        QVERIFY(accepts(u"[Command:items:editing:title:[ColumnTitle:Name]]"_s));
        QCOMPARE(command.commandText(), u"items:editing:title:"_s);
        QCOMPARE(command.children(), u"Name"_s);
        QVERIFY(!accepts(u"[Command:items:editing:title:[ColumnTitle:]]"_s));
        QVERIFY(!accepts(u"[Command:items:editing:title:Name]"_s));

        MainLoopFunction loop;
        QVERIFY(!loop.confirmMainLoopFunction());
        loop.registerCodeText(u"[Command:indicator:2 count:[User:n] step:3]"_s);
        QVERIFY(loop.confirmMainLoopFunction());
        QVERIFY(loop._functionLoopWithState() && loop.loopWithState() && loop.loopStepState());
        QCOMPARE(loop.loopStart(), 2);
        QCOMPARE(loop.loopCountCommand(), u"[User:n]"_s);
        QCOMPARE(loop.loopStep(), 3);
        QVERIFY(loop.logText().contains(u"loopStepState:indicator"_s));

        // A blank after the colon makes the start an expression.
        loop.initializationUserObject();
        loop.registerCodeText(u"[Command:for: 1 count:4 step:1]"_s);
        QVERIFY(loop.confirmMainLoopFunction());
        QCOMPARE(loop.loopStart(), 0);
        QCOMPARE(loop.loopStartCommand(), u"1count:4step:1"_s);
        QCOMPARE(loop.loopCount(), 4);

        loop.registerCodeText(u"[Command:for:end:]"_s);
        QVERIFY(loop.confirmMainLoopFunction());
        QVERIFY(!loop.loopWithState() && loop._functionLoopWithState());
        loop.registerCodeText(u"[Command:for:7]"_s);
        QVERIFY(!loop.confirmMainLoopFunction());
        QVERIFY(MainLoopFunction::isCounterReadText(u"[Command:for:count:]"_s));
        QVERIFY(!MainLoopFunction::isCounterReadText(u"[Command:for:0 count:2 step:1]"_s));

        // Counters: the reset leaves the pass counter at the old start; 0 sets the start.
        loop.initializationUserObject();
        loop.registerLoopStart(5);
        QCOMPARE(loop.workLoopCount(), 5);
        loop.stepWorkLoopCount();
        QCOMPARE(loop.workLoopCount(), 6);
        loop.setRegister_loopRunCount(0);
        QCOMPARE(loop._loopRunCount(), 5);
        loop.initializationUserObject();
        QCOMPARE(loop._loopRunCount(), 5);
        QCOMPARE(loop.loopStart(), 0);
        loop.registerLoopStep(std::numeric_limits<qint32>::max());
        loop.register_loopRunCount();
        loop.register_loopRunCount();
        QCOMPARE(loop._loopRunCount(), std::numeric_limits<qint32>::max());
    }
};

QTEST_GUILESS_MAIN(tst_ScriptFormulas)
#include "tst_ScriptFormulas.moc"
