#include "LogCategories.h"

Q_LOGGING_CATEGORY(lcPlatform, "rowsmith.platform")
Q_LOGGING_CATEGORY(lcApp, "rowsmith.app")
Q_LOGGING_CATEGORY(lcDocument, "rowsmith.document")
Q_LOGGING_CATEGORY(lcStorage, "rowsmith.storage")
Q_LOGGING_CATEGORY(lcList, "rowsmith.list")
Q_LOGGING_CATEGORY(lcConvert, "rowsmith.convert")
Q_LOGGING_CATEGORY(lcScript, "rowsmith.script")
Q_LOGGING_CATEGORY(lcTasks, "rowsmith.tasks")
Q_LOGGING_CATEGORY(lcPrefs, "rowsmith.prefs")
Q_LOGGING_CATEGORY(lcUi, "rowsmith.ui")
