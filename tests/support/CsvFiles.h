#pragma once

#include "convert/CSVtoLMSConversion.h"
#include "list/ListItem.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <memory>

// Writes `bytes` to `path` and imports it as a quoted CSV with `reader`;
// null, with the reason in `error`, when either step fails.
inline std::shared_ptr<ListItem> importCsvBytes(CSVtoLMSConversion &reader, const QString &path,
                                                const QByteArray &bytes, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        *error = file.errorString();
        return {};
    }
    file.close();
    return reader.importFile(path, true, error);
}
