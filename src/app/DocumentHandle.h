#pragma once

#include <QString>

// What the application and document controllers need of an open document.
// The document class implements it; tests use a fake.
class DocumentHandle
{
public:
    virtual ~DocumentHandle() = default;

    // The package's full path; empty for a document never saved.
    virtual QString filePath() const = 0;
    virtual QString lastComponentOfFileName() const = 0;
    // True while there are unsaved changes.
    virtual bool isDocumentEdited() const = 0;
    // YES marks a document that has no package yet.
    virtual void registerSaveSituationWithState(bool state) = 0;

    virtual void importListItemsFilePath() = 0;
    virtual void exportListItemsFile() = 0;
    virtual void setingToolWihtState(int state) = 0;
};
