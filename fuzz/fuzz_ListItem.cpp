// Feeds arbitrary bytes to the list reader (row tables and one dictionary a
// row alike). Checks beyond "no crash": a refusal carries an "archive: "
// error, and a list that was accepted archives and reads back to the same
// rows.
// Seeds: fuzz/corpus/ListItem.

#include "list/ListItem.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QString error;
    const auto list = KeyedUnarchiver::unarchivedObject<ListItem>(bytes, u"listItem", &error);
    if (!list) {
        if (!error.startsWith(QLatin1StringView("archive: ")))
            std::abort();
        return 0;
    }
    const QByteArray again = KeyedArchiver::archivedData(*list, u"listItem");
    if (again.isEmpty())
        return 0; // values the writer refuses (out-of-range numbers) may be read
    const auto reread = KeyedUnarchiver::unarchivedObject<ListItem>(again, u"listItem", &error);
    if (!reread || reread->tableItemObjectArray() != list->tableItemObjectArray())
        std::abort();
    return 0;
}
