#pragma once

#include <QString>

// Keys of the dictionaries that cross subsystems (task requests, results and
// script requests) that more than one place reads or writes.
namespace RequestKey {
inline const QString cachesFolderID = QStringLiteral("cachesFolderID");
inline const QString targeted = QStringLiteral("targeted");
inline const QString filePass = QStringLiteral("filePass");
inline const QString listItemSource = QStringLiteral("listItemSource");
inline const QString documentSource = QStringLiteral("documentSource");
inline const QString itemObject = QStringLiteral("itemObject");
inline const QString answerType = QStringLiteral("answerType");
inline const QString answerObject = QStringLiteral("answerObject");
inline const QString wrapper = QStringLiteral("wrapper");
inline const QString startSwitch = QStringLiteral("startSwitch");
inline const QString fileName = QStringLiteral("fileName");
inline const QString codeText = QStringLiteral("codeText");
inline const QString commandNumber = QStringLiteral("commandNumber");
inline const QString searchEditingSource = QStringLiteral("searchEditingSource");
inline const QString objectArray = QStringLiteral("objectArray");
inline const QString documentFileName = QStringLiteral("documentFileName");
// Script requests: the cell a command reads or writes, and the document read
// a command makes with the source that makes it.
inline const QString row = QStringLiteral("row");
inline const QString title = QStringLiteral("title");
inline const QString commandText = QStringLiteral("commandText");
inline const QString runCount = QStringLiteral("runCount");
inline const QString sourceTitle = QStringLiteral("sourceTitle");
} // namespace RequestKey
