#pragma once

// The generated list the benchmarks share, and how they print a figure.

#include "list/ListItem.h"

#include <QStringList>

#include <cstdio>
#include <memory>
#include <random>

class BenchList
{
public:
    static constexpr int kColumns = 10;

    static const QStringList &columnTitles()
    {
        static const QStringList titles = {
            QStringLiteral("ID"),    QStringLiteral("Name"),    QStringLiteral("Kana"),
            QStringLiteral("Postcode"), QStringLiteral("Address"), QStringLiteral("Phone"),
            QStringLiteral("Mail"),  QStringLiteral("Company"), QStringLiteral("Section"),
            QStringLiteral("Note"),
        };
        return titles;
    }

    // Rows of short lower-case ASCII cells, 8 to 12 characters, from a fixed seed.
    static std::shared_ptr<ListItem> make(qsizetype rowCount)
    {
        const QStringList &titles = columnTitles();
        const RowSchema::Ptr schema = RowSchema::make(QStringList{Row::kOptionKey} + titles);
        std::mt19937 random(20240611u);
        std::uniform_int_distribution<int> length(8, 12);
        std::uniform_int_distribution<int> letter(0, 25);

        // One reused buffer, so a measurement holds only what the rows keep.
        QList<char16_t> buffer(kColumns * 12);
        QList<QStringView> cells(kColumns + 1);
        RowList rows;
        rows.reserve(rowCount);
        for (qsizetype r = 0; r < rowCount; ++r) {
            qsizetype used = 0;
            cells[0] = QStringView();
            for (int c = 0; c < kColumns; ++c) {
                const int n = length(random);
                for (int i = 0; i < n; ++i)
                    buffer[used + i] = char16_t(u'a' + letter(random));
                cells[c + 1] = QStringView(buffer.constData() + used, n);
                used += n;
            }
            rows.append(Row::fromTexts(schema, cells));
        }

        auto list = std::make_shared<ListItem>();
        list->registerColumnTitlesArray(QStringList{Row::kIndicationKey, Row::kOptionKey} + titles);
        list->makingColumnTitlesDic();
        for (const QString &title : titles)
            list->setColumnTitlesWidth(120.0f, title);
        list->registerTableItemObjectArray(std::move(rows));
        return list;
    }

    static void line(const char *figure, double value, const char *unit, const char *note = "")
    {
        std::printf("%-28s %12.3f %-6s %s\n", figure, value, unit, note);
        std::fflush(stdout);
    }
};
