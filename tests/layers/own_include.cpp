// Compiled against the list layer's include root: its own and lower folders resolve.
#include "list/ListItem.h"
#include "platform/ErrorLog.h"
#include "script/OptionObjectSource.h"
