#pragma once

#include <QString>

// The name of every notification the subsystems post to one another, in one
// place: a misspelt name compiles as a reference that does not exist.
namespace NotificationName {
inline const QString answerFunctionSourceDictionaryNotif = QStringLiteral("answerFunctionSourceDictionaryNotif");
inline const QString developChangeTitleUnfoldNotif = QStringLiteral("developChangeTitleUnfoldNotif");
inline const QString developExistingFileUnfoldNotif = QStringLiteral("developExistingFileUnfoldNotif");
inline const QString developFunctionSourceDictionaryNotif = QStringLiteral("developFunctionSourceDictionaryNotif");
inline const QString developItemsSearchNotif = QStringLiteral("developItemsSearchNotif");
inline const QString developOptionObjectSourceNotif = QStringLiteral("developOptionObjectSourceNotif");
inline const QString finishWriteListItemNotif = QStringLiteral("finishWriteListItemNotif");
inline const QString libraryCodePasswordEvent = QStringLiteral("libraryCodePasswordEvent");
inline const QString notifCancelStepOfConversion = QStringLiteral("notifCancelStepOfConversion");
inline const QString notifIndicatorStepOfChangeTitle = QStringLiteral("notifIndicatorStepOfChangeTitle");
inline const QString notifIndicatorStepOfConversion = QStringLiteral("notifIndicatorStepOfConversion");
inline const QString notifIndicatorStepOfLoading = QStringLiteral("notifIndicatorStepOfLoading");
inline const QString notifIndicatorStepOfOutput = QStringLiteral("notifIndicatorStepOfOutput");
inline const QString notifIndicatorStepOfReading = QStringLiteral("notifIndicatorStepOfReading");
inline const QString notifIndicatorStepOfSave = QStringLiteral("notifIndicatorStepOfSave");
inline const QString notifIndicatorStepOfSearch = QStringLiteral("notifIndicatorStepOfSearch");
inline const QString notifIndicatorStepOfShowItems = QStringLiteral("notifIndicatorStepOfShowItems");
inline const QString notifIndicatorStepOfWriting = QStringLiteral("notifIndicatorStepOfWriting");
inline const QString notifLoadingWrapperDirectory = QStringLiteral("notifLoadingWrapperDirectory");
inline const QString notifPasswordForSave = QStringLiteral("notifPasswordForSave");
inline const QString notifSaveWrapperDirectory = QStringLiteral("notifSaveWrapperDirectory");
inline const QString outputConverterNotif = QStringLiteral("outputConverterNotif");
inline const QString outputConverterReplacedCharactersNotif = QStringLiteral("outputConverterReplacedCharactersNotif");
inline const QString requestAccountOptionEvent = QStringLiteral("requestAccountOptionEvent");
inline const QString requestAdvancedEvent = QStringLiteral("requestAdvancedEvent");
inline const QString requestOpenFileEvent = QStringLiteral("requestOpenFileEvent");
inline const QString showItemsPreTableViewNotif = QStringLiteral("showItemsPreTableViewNotif");
} // namespace NotificationName
