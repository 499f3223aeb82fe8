#pragma once

#include "list/ListItem.h"
#include "platform/TextAttributes.h"

// A list with what a plain CSV import never produces: marks, options,
// attribute runs, rows of another schema, a retitled column, Japanese text,
// quotes and empty cells. Shared by the archive tests and the committed
// file they read back.
inline ListItem richList()
{
    using namespace Qt::StringLiterals;
    ListItem item;
    item.registerColumnTitlesArray({u"NSRIndication"_s, u"NSROption"_s, u"Code"_s, u"名前"_s, u"Note"_s});
    item.makingColumnTitlesDic();
    item.registerColumnTitlesDic({{u"Columns0"_s, u"NSRIndication"_s}, {u"Columns1"_s, u"NSROption"_s},
                                  {u"Columns2"_s, u"Code"_s}, {u"Columns3"_s, u"名前"_s},
                                  {u"Columns4"_s, u"Note"_s}});
    item.setColumnTitlesWidth(72.5f, u"Code"_s);
    const RowSchema::Ptr schema = RowSchema::make({u"NSROption"_s, u"Code"_s, u"名前"_s, u"Note"_s});
    RowList rows;
    const QStringList notes = {u"say \"hi\", then go"_s, QString(), u"line\nbreak"_s, u"𠮷野家"_s};
    for (int i = 0; i < 40; ++i) {
        const QString code = u"C%1"_s.arg(i);
        const QString name = i % 3 ? u"りんご %1"_s.arg(i) : QString();
        const QString note = notes.at(i % notes.size());
        rows.append(Row::fromTexts(schema, {QStringView(), QStringView(code), QStringView(name), QStringView(note)},
                                   quint32(i % 4), true));
    }
    TextAttributes bold;
    bold.weight = 700;
    bold.foreground = 0xffcc0000u;
    AttributedText styled(u"bold and plain"_s);
    styled.setAttributes(0, 4, TextAttributes::make(bold));
    rows[1].setCell(u"Note"_s, styled);
    rows[2].setOption(AttributedText(u"option text"_s));
    // A row with its own titles (no mark, one extra cell).
    Row odd = Row::fromTexts(RowSchema::make({u"Code"_s, u"Extra"_s}), {u"X9", u"only here"}, 0, false);
    rows.append(odd);
    item.registerTableItemObjectArray(rows);
    item.registerConversionRelevantFilePath(u"/data/rich.csv"_s);
    item.registerEncodingType(4);
    return item;
}
