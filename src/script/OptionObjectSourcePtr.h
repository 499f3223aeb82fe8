#pragma once

#include "OptionObjectSource.h"

#include <QMetaType>

#include <memory>

// How an edited option set travels to its document in a notification.
using OptionObjectSourcePtr = std::shared_ptr<const OptionObjectSource>;
Q_DECLARE_METATYPE(OptionObjectSourcePtr)
