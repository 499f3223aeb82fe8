#include "Icons.h"

#include <QHash>

using namespace Qt::StringLiterals;

namespace {

struct IconSource
{
    QString theme;
    QString resource;
};

const QHash<QString, IconSource> &iconSources()
{
    static const QHash<QString, IconSource> sources{
        {u"split_top"_s, {{}, u"split_top"_s}},
        {u"split_bottom"_s, {{}, u"split_bottom"_s}},
        {u"edit_icon"_s, {{}, u"edit_icon"_s}},
        {u"search_icon"_s, {{}, u"search_icon"_s}},
        {u"import_file_icon"_s, {{}, u"import_file_icon"_s}},
        {u"export_file_icon"_s, {{}, u"export_file_icon"_s}},
        {u"NSInfo"_s, {u"dialog-information"_s, u"info"_s}},
        {u"NSFontPanel"_s, {u"preferences-desktop-font"_s, u"font_panel"_s}},
        {u"NSColorPanel"_s, {u"preferences-desktop-color"_s, u"color_panel"_s}},
        {u"NSLockLockedTemplate"_s, {u"changes-prevent"_s, u"lock_locked"_s}},
        {u"NSLockUnlockedTemplate"_s, {u"changes-allow"_s, u"lock_unlocked"_s}},
        {u"rowsmith"_s, {{}, u"rowsmith"_s}},
    };
    return sources;
}

} // namespace

QString Icons::themeName(const QString &imageName)
{
    return iconSources().value(imageName).theme;
}

QIcon Icons::named(const QString &imageName)
{
    const auto it = iconSources().constFind(imageName);
    if (it == iconSources().cend())
        return {};
    const QIcon drawn(u":/icons/%1.svg"_s.arg(it->resource));
    return it->theme.isEmpty() ? drawn : QIcon::fromTheme(it->theme, drawn);
}
