#pragma once

#include <QString>

class CreatorInformation;
class MyDocument;

// The document's work logs: who made and who changed the document and its
// current list, and when, as the info view shows them. The user is the one
// named by the general preferences' nickname.
class DocumentWorkLog
{
public:
    explicit DocumentWorkLog(MyDocument &document) : m_document(document) {}

    // 1 made, 2 opened by its creator, 3 opened by another; 4 and 5 a list
    // imported, 6 and 7 a list exported, by the creator and by another.
    // False for any other state.
    bool workLogWithState(int state);
    // Logs that creator's list is being stored.
    void workLogOfStoredList(CreatorInformation *creator);

    QString nickname() const;
    bool nicknameIsCreator();

private:
    MyDocument &m_document;
};
