#pragma once

#include "script/OptionObjectSource.h"
#include "script/OptionSource.h"

// Option sources and sets as the script tests write them.
namespace ScriptOptions {

inline OptionSource source(const QString &title, const QString &code, bool automatic = true)
{
    OptionSource result;
    result.registerSourceTitle(title);
    result.registerCodeText(code);
    result.registerPracticeState(automatic);
    return result;
}

inline OptionObjectSource optionOf(const OptionSourceArray &sources, const QVariantMap &users = {})
{
    OptionObjectSource options;
    options.registerOptionSourceArray(sources);
    options.registerReferenceUserDictionary(users);
    return options;
}

} // namespace ScriptOptions
