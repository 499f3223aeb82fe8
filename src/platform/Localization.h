#pragma once

#include <QString>

// Looks texts up by table and key through Qt's translation system. The
// English texts are compiled into the core (":/i18n/rowsmith_en.qm"); a
// translation for the user's language, when shipped, is consulted first.
class Localization
{
public:
    static inline const QString kMainTable = QStringLiteral("Localizable");
    static inline const QString kAlertTable = QStringLiteral("AlertSheetModal");
    static inline const QString kIndicatorTable = QStringLiteral("IndicatorStep");
    static inline const QString kCreatorTable = QStringLiteral("CreatorInformation");

    // A null string when the table has no text for the key.
    static QString lookup(const QString &table, const QString &key);
    // The two fallbacks callers choose from: the key itself, or "".
    static QString textOrKey(const QString &table, const QString &key);
    static QString textOrEmpty(const QString &table, const QString &key);
};
