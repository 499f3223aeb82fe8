#pragma once

#include <QLoggingCategory>
#include <QString>

#include <exception>
#include <utility>

// The one writer of the model's failure lines:
//   "Err <class words> <operation> : <exception name>"
//   "<number>:<text>:*** Err ***"   (text may hold further "a:b" pieces)
class ErrorLog
{
public:
    // Categories may be passed as declared (lcList) or called (lcList()).
    using CategoryFunction = const QLoggingCategory &(*)();

    static QString errLine(QStringView classWords, QStringView operation, QStringView exceptionName);
    static QString numberedLine(int number, QStringView text);

    static void err(const QLoggingCategory &category, QStringView classWords,
                    QStringView operation, QStringView exceptionName);
    static void numbered(const QLoggingCategory &category, int number, QStringView text);

    // The name of the exception in flight, for use inside a catch block.
    static QString currentExceptionName();

    // Runs body; any exception is logged as an "Err" line and the neutral value
    // is returned instead, as every guarded model operation does.
    template<class T, class Body>
    static T guarded(const QLoggingCategory &category, QStringView classWords,
                     QStringView operation, T neutral, Body &&body)
    {
        try {
            return std::forward<Body>(body)();
        } catch (...) {
            err(category, classWords, operation, currentExceptionName());
            return neutral;
        }
    }

    template<class Body>
    static void guardedVoid(const QLoggingCategory &category, QStringView classWords,
                            QStringView operation, Body &&body)
    {
        try {
            std::forward<Body>(body)();
        } catch (...) {
            err(category, classWords, operation, currentExceptionName());
        }
    }

    static void err(CategoryFunction category, QStringView classWords, QStringView operation,
                    QStringView exceptionName)
    {
        err(category(), classWords, operation, exceptionName);
    }
    static void numbered(CategoryFunction category, int number, QStringView text)
    {
        numbered(category(), number, text);
    }
    template<class T, class Body>
    static T guarded(CategoryFunction category, QStringView classWords, QStringView operation,
                     T neutral, Body &&body)
    {
        return guarded(category(), classWords, operation, std::move(neutral),
                       std::forward<Body>(body));
    }
    template<class Body>
    static void guardedVoid(CategoryFunction category, QStringView classWords,
                            QStringView operation, Body &&body)
    {
        guardedVoid(category(), classWords, operation, std::forward<Body>(body));
    }
};
