// Compiled against the platform layer's include root: the list layer sits
// above it, so this include must not be found.
#include "list/ListItem.h"
