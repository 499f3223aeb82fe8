#pragma once

#include "ListChange.h"

#include <QObject>

// The one channel through which a live list announces its changes. Owned by
// the list it speaks for and never copied with it, so snapshots handed to
// workers stay silent.
class ListNotifier : public QObject
{
    Q_OBJECT

public:
    explicit ListNotifier(QObject *parent = nullptr);

Q_SIGNALS:
    void changed(const ListChange &change);
};
