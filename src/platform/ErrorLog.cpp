#include "ErrorLog.h"

#include <new>
#include <stdexcept>
#include <typeinfo>

QString ErrorLog::errLine(QStringView classWords, QStringView operation, QStringView exceptionName)
{
    return QStringLiteral("Err %1 %2 : %3").arg(classWords, operation, exceptionName);
}

QString ErrorLog::numberedLine(int number, QStringView text)
{
    return QStringLiteral("%1:%2:*** Err ***").arg(number).arg(text);
}

void ErrorLog::err(const QLoggingCategory &category, QStringView classWords,
                   QStringView operation, QStringView exceptionName)
{
    if (category.isWarningEnabled())
        QMessageLogger(nullptr, 0, nullptr, category.categoryName()).warning().noquote()
            << errLine(classWords, operation, exceptionName);
}

void ErrorLog::numbered(const QLoggingCategory &category, int number, QStringView text)
{
    if (category.isWarningEnabled())
        QMessageLogger(nullptr, 0, nullptr, category.categoryName()).warning().noquote()
            << numberedLine(number, text);
}

QString ErrorLog::currentExceptionName()
{
    try {
        throw;
    } catch (const std::bad_alloc &) {
        return QStringLiteral("std::bad_alloc");
    } catch (const std::exception &e) {
        const QString what = QString::fromUtf8(e.what());
        return what.isEmpty() ? QString::fromLatin1(typeid(e).name()) : what;
    } catch (...) {
        return QStringLiteral("unknown exception");
    }
}
