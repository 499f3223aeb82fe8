// Feeds arbitrary text to the script engine: the marker and argument scanners
// and a whole run of an option whose sources are the input's lines. A small
// responder answers the document requests; no URL is ever fetched (the fetch
// cap is 0). Checks beyond "no crash":
//  - an extracted argument has no blanks and is no longer than the text;
//  - every extracted group is balanced and framed by "[" and "]";
//  - a run never spends more steps than its budget, and a failed run names
//    its failing source.
// Seeds: fuzz/corpus/Script (one script per file, one source per line).

#include "platform/NotificationCenter.h"
#include "script/InspectionCharacterString.h"
#include "script/OptionRunDriver.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <cstdint>
#include <cstdlib>

namespace {

void checkScanners(const QString &text)
{
    for (const QString &label : {QStringLiteral("row"), QStringLiteral("title"), QStringLiteral("for"),
                                 QStringLiteral("count")}) {
        const QString argument = InspectionCharacterString::extractCommandWithCharacterString(text, label);
        if (argument.size() > text.size() || argument.contains(u' '))
            std::abort();
        const QString digits = InspectionCharacterString::extractLoopWithCharacterString(text, label);
        if (!digits.isNull() && !InspectionCharacterString::confirmCalculatingFormulaAtMultiString(digits))
            std::abort();
    }
    for (const QString &group : InspectionCharacterString::extractCommandArrayWithCharacterString(text)) {
        if (!group.startsWith(u'[') || !group.endsWith(u']') || group.count(u'[') != group.count(u']'))
            std::abort();
    }
}

void answer(const QVariantMap &request)
{
    QVariantMap reply = request;
    switch (request.value(QStringLiteral("commandNumber")).toInt()) {
    case 1:
        reply.insert(QStringLiteral("answerType"), 7);
        reply.insert(QStringLiteral("answerObject"), QStringList{QStringLiteral("a"), QStringLiteral("12")});
        break;
    case 240:
        reply.insert(QStringLiteral("answerType"), 4);
        reply.insert(QStringLiteral("answerObject"), QStringLiteral("7"));
        break;
    default:
        break;
    }
    NotificationCenter::defaultCenter().post(QStringLiteral("answerFunctionSourceDictionaryNotif"), reply);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_Script";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static const bool ready = [] {
        QLoggingCategory::setFilterRules(QStringLiteral("rowsmith.*=false"));
        NotificationCenter::defaultCenter().addObserver(
            QStringLiteral("developFunctionSourceDictionaryNotif"), nullptr,
            [](const Notification &notification) { answer(notification.object.toMap()); });
        return true;
    }();
    Q_UNUSED(ready);

    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    checkScanners(text);

    OptionObjectSource options;
    OptionSourceArray sources;
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size() && i < 16; ++i) {
        OptionSource source;
        source.registerSourceTitle(QString::number(i));
        source.registerCodeText(lines.at(i));
        source.registerPracticeState(true);
        if (i == 0) {
            source.addRequesLibraryCodeDictionary(
                {{QStringLiteral("makingResultString"), QStringLiteral("http://lib/[m]")},
                 {QStringLiteral("requesMarkertListDictionary"), QVariantMap{{QStringLiteral("m"), QString()}}}},
                QStringLiteral("lib"));
        }
        sources.append(source);
    }
    options.registerOptionSourceArray(sources);
    options.registerReferenceUserDictionary(
        {{QStringLiteral("n"), QVariantMap{{QStringLiteral("answerType"), 1}, {QStringLiteral("answerObject"), 2}}}});

    OptionRunDriver::Options settings;
    settings.limits.maxSteps = 4000;
    settings.limits.maxDepth = 24;
    settings.limits.maxFetches = 0;
    OptionRunDriver driver(settings);
    const OptionRunDriver::Result result = driver.run(options);
    if (result.stepsUsed > settings.limits.maxSteps)
        std::abort();
    if (!result.success && (result.errorText.isEmpty() || result.failedSourceIndex < 0))
        std::abort();
    return 0;
}
