#include "script/CommandFormula.h"
#include "script/FunctionCommand.h"
#include "script/InspectionCharacterString.h"
#include "script/MainLoopFunction.h"
#include "script/ParsedCodeCache.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QStringList kTexts = {
    u"[Command:for:0 count:9 step:1]"_s,
    u"[Command:indicator:2 count:[User:n] step:3]"_s,
    u"[Command:for:count:]"_s,
    u"[Command:indicator:count:]"_s,
    u"[Command:for:end:]"_s,
    u"[Command:indicator:end:]"_s,
    u"[Command:items:editing:title:[ColumnTitle:Name]]"_s,
    u"[Command:items:editing:title:]"_s,
    u"[Command:items:row:1 title:[ColumnTitle:Name]]"_s,
    u"[Command:write:row:[Command:for:count:] title:[ColumnTitle:c3] object:v[Command:for:count:]]"_s,
    u"[Command:unknown:]"_s,
    u"a [Command:for:end:] inside"_s,
    u"[User:v]"_s,
    u"=2*3"_s,
    u""_s,
};

} // namespace

class tst_ParsedCode : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parsesAsTheFormulasDo()
    {
        // Whatever a piece remembers must be what scanning the text again
        // gives, from either loop state the formula may be in.
        for (const QString &text : kTexts) {
            const CommandFormula::Parse parse = CommandFormula::parse(text);
            for (const bool loopBefore : {false, true}) {
                CommandFormula scanned;
                scanned.register_commandLoopWithState(loopBefore);
                scanned.functionFormula()->functionFormulaAtFunction(u"[User:left over]"_s);
                scanned.initializationUserObject();
                scanned.registerCodeText(text);
                const bool accepted = scanned.commandFormulaAtFunction();

                CommandFormula applied;
                applied.register_commandLoopWithState(loopBefore);
                applied.functionFormula()->functionFormulaAtFunction(u"[User:left over]"_s);
                QCOMPARE(applied.applyParse(parse), accepted);
                QCOMPARE(applied.codeText(), scanned.codeText());
                QCOMPARE(applied.commandText(), scanned.commandText());
                QCOMPARE(applied.children(), scanned.children());
                QCOMPARE(applied._forCountState(), scanned._forCountState());
                QCOMPARE(applied._commandLoopWithState(), scanned._commandLoopWithState());
                QCOMPARE(applied.functionFormula()->children(), scanned.functionFormula()->children());
                QCOMPARE(applied.functionFormula()->codeText(), scanned.functionFormula()->codeText());
            }

            MainLoopFunction byFacts;
            MainLoopFunction byText;
            byFacts.registerCodeText(text);
            byText.registerCodeText(text);
            QCOMPARE(byFacts.confirmMainLoopFunction(MainLoopFunction::textFacts(text)),
                     byText.confirmMainLoopFunction());
            QCOMPARE(byFacts.logText(), byText.logText());

            ParsedCode piece(text, FunctionCommand::codeDivideInTwoAtSource(text), true);
            FunctionFormula formula;
            const bool function = formula.functionFormulaAtFunction(text) && formula.confirmChildren();
            QCOMPARE(piece.functionAccepted(), function);
            QCOMPARE(piece.functionFormula().children(), formula.children());
            QCOMPARE(piece.functionFormula().commandNumber(), formula.commandNumber());
            QCOMPARE(piece.counterRead(), MainLoopFunction::isCounterReadText(text));
            QCOMPARE(piece.argument(ParsedCode::Label::Object),
                     InspectionCharacterString::extractCommandWithCharacterString(text, u"object"_s));
            QCOMPARE(piece.groups(), InspectionCharacterString::extractCommandArrayWithCharacterString(text));
        }
    }

    void keepsOnlyWhatLasts()
    {
        ParsedCodeCache cache;
        const QString loop = u"[Command:write:row:[Command:for:count:] title:[ColumnTitle:c3] object:[User:v]]"_s;
        const ParsedCode::Ptr source = cache.sourcePiece(1, loop);
        QVERIFY(source->kept());
        QCOMPARE(cache.sourcePiece(1, loop), source);
        QCOMPARE(cache.piece(loop, false), source);

        // Arguments of a kept piece are kept and found again without a scan.
        const ParsedCode::Ptr row = cache.argumentPiece(*source, ParsedCode::Label::Row);
        QCOMPARE(row->text(), u"[Command:for:count:]"_s);
        QVERIFY(row->kept());
        QCOMPARE(cache.argumentPiece(*source, ParsedCode::Label::Row), row);
        QCOMPARE(source->titleChildren(), u"c3"_s);
        QVERIFY(!source->rowDigits().has_value());

        // Texts made during a run are parsed for one use and never pile up.
        const qsizetype pieces = cache.keptPieces();
        for (int i = 0; i < 100; ++i)
            QVERIFY(!cache.piece(u"=%1*2"_s.arg(i), false)->kept());
        QCOMPARE(cache.keptPieces(), pieces);

        // A source whose text changed gets a piece of its own.
        const ParsedCode::Ptr other = cache.sourcePiece(1, u"[Command:for:end:]"_s);
        QCOMPARE(other->text(), u"[Command:for:end:]"_s);
        QCOMPARE(cache.sourcePiece(1, loop), source);

        // Past the cap nothing more is kept, and pieces still parse.
        ParsedCodeCache full;
        const QString big(ParsedCodeCache::kMaxUnits, u'x');
        QVERIFY(full.piece(big, true)->kept());
        const ParsedCode::Ptr late = full.piece(u"[Command:items:row:3 title:[ColumnTitle:Name]]"_s, true);
        QVERIFY(!late->kept());
        QCOMPARE(late->rowDigits(), std::optional<qint32>(3));
        QCOMPARE(late->command(), ParsedCode::Command::ItemsRow);
        QCOMPARE(full.keptUnits(), ParsedCodeCache::kMaxUnits);
    }
};

QTEST_GUILESS_MAIN(tst_ParsedCode)
#include "tst_ParsedCode.moc"
