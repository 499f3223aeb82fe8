#pragma once

#include <QString>

// Makes QStandardPaths and QSettings point into throw-away test locations.
void enableIsolatedTestEnvironment();
