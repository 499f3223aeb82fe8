#include "TestSupport.h"

#include <QStandardPaths>

void enableIsolatedTestEnvironment()
{
    QStandardPaths::setTestModeEnabled(true);
}
