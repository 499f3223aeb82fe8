#include "OSVersion.h"

bool OSVersion::osVersion()
{
    return true;
}
