#pragma once

#include <QStringList>

// rowsmith-cli convert FILE -o OUT [--encoding E] [--crlf] [--quoted]
//                                  [--all | --where "TITLE:KEYWORDS"]
class ConvertCommand
{
public:
    static int run(const QStringList &arguments);
};
