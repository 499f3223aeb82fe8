#pragma once

#include "ListItemPrinter.h"

#include <QStringList>

#include <memory>

class ListItem;

// rowsmith-cli import FILE [--quoted] [--print | --json]
class ImportCommand
{
public:
    static int run(const QStringList &arguments);

    // Imports a CSV or list file on this thread, drawing progress on a
    // terminal. Null on failure with the reason in *error. Columns renamed
    // to keep titles unique are described in *renamedTitles when given.
    static std::shared_ptr<ListItem> importFile(const QString &path, bool quoted,
                                                ImportReport *report, QString *error,
                                                QStringList *renamedTitles = nullptr);
};
