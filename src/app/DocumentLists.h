#pragma once

#include "OptionRun.h"
#include "list/CellEdit.h"

#include <QObject>
#include <QString>
#include <QVariantMap>

class MyDocument;

// The document's lists: the current list and the lists stored under their
// titles in the working folder, marking every row, and option runs over the
// current list.
class DocumentLists : public QObject
{
    Q_OBJECT
public:
    explicit DocumentLists(MyDocument &document);

    // Reads the current list back from its file in the working folder.
    bool readCurrentListItemFile(bool state);
    // Stores the current list under the title in the working folder, as the
    // list items view's store button does.
    // A list of the same title is replaced after alert 202201, or at once
    // when askBeforeReplacing is false.
    bool storeCurrentListItem(const QString &title, bool askBeforeReplacing = true);
    // Makes the stored list with the title current by reading its file.
    bool openStoredListItem(const QString &title);

    // An option run over a snapshot of the current list, on a worker; not
    // yet started. When it finishes, its writes are applied to the list as
    // one change (applyOptionRun) before any other listener hears of it.
    OptionRun *makeOptionRun(const OptionObjectSource &options, OptionRunDriver::Options settings = {});
    // Answers the edits that undo the run's writes.
    CellEditList applyOptionRun(const OptionRun::Outcome &outcome);
    void openOptionPanelCommand(const QVariantMap &dictionary);

    // Marks (true) or unmarks every row as one change.
    void threadShowItemsAllAtState(bool state);

private:
    MyDocument &m_document;
};
