#include "Localization.h"

#include <QLocale>
#include <QTranslator>

#include <memory>
#include <vector>

namespace {

// Loaded once, read-only afterwards; QTranslator::translate is reentrant.
const std::vector<std::unique_ptr<QTranslator>> &translators()
{
    static const std::vector<std::unique_ptr<QTranslator>> list = [] {
        std::vector<std::unique_ptr<QTranslator>> result;
        auto localised = std::make_unique<QTranslator>();
        if (localised->load(QLocale(), QStringLiteral("rowsmith"), QStringLiteral("_"),
                            QStringLiteral(":/i18n"))
            && !localised->filePath().endsWith(QStringLiteral("_en.qm")))
            result.push_back(std::move(localised));
        auto english = std::make_unique<QTranslator>();
        if (english->load(QStringLiteral(":/i18n/rowsmith_en.qm")))
            result.push_back(std::move(english));
        return result;
    }();
    return list;
}

} // namespace

QString Localization::lookup(const QString &table, const QString &key)
{
    if (key.isEmpty())
        return {};
    const QByteArray context = table.toUtf8();
    const QByteArray source = key.toUtf8();
    for (const auto &translator : translators()) {
        const QString text = translator->translate(context.constData(), source.constData());
        if (!text.isNull())
            return text;
    }
    return {};
}

QString Localization::textOrKey(const QString &table, const QString &key)
{
    const QString text = lookup(table, key);
    return text.isNull() ? key : text;
}

QString Localization::textOrEmpty(const QString &table, const QString &key)
{
    const QString text = lookup(table, key);
    return text.isNull() ? QString(QLatin1String("")) : text;
}
