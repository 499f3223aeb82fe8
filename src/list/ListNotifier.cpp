#include "ListNotifier.h"

ListNotifier::ListNotifier(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<ListChange>();
}
