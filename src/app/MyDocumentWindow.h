#pragma once

#include <QRectF>
#include <QString>
#include <QVariantMap>

class Row;

// What a document needs of its window and the window's main view. Every
// operation has a do-nothing default, so a headless document (the CLI, tests)
// runs with the base class itself.
class MyDocumentWindow
{
public:
    enum class SaveOption { Save, DontSave, Cancel };

    virtual ~MyDocumentWindow() = default;

    // The window.
    virtual QRectF windowFrame() const { return {}; }
    virtual void setWindowFrame(const QRectF &) {}
    virtual void setDisplayName(const QString &) {}
    // The document's unsaved-changes state, on every change of it.
    virtual void setDocumentEdited(bool) {}
    virtual void closeWindow() {}
    virtual void quitApplication() {}
    // The opaque handle sheets are shown on; null for none.
    virtual QObject *windowHandle() const { return nullptr; }

    // The main view.
    virtual void reloadObject() {}
    virtual void makeTableColumns() {}
    virtual void reviseSplitLayout() {}
    virtual void reloadToolView() {}
    virtual void initializeToolView() {}
    virtual void setListsUpdated(bool) {}
    virtual void commentOfCSVtoLMSConversion() {}
    virtual void selectSearchTitle(const QString &) {}
    virtual void resetTable() {}
    virtual void reloadOptions() {}
    virtual void showInfoText(const QString &) {}
    virtual void importListItemsFilePath() {}
    virtual void exportListItemsFile() {}
    virtual void setingToolWihtState(int) {}
    virtual void openOptionPanel(const QVariantMap &) {}
    // The item selected in the item editing view; false when none is.
    virtual bool selectedEditingItem(Row *) const { return false; }

    // Panels. The save panel answers the chosen path, or false on cancel.
    virtual bool runSavePanel(const QString &proposedName, QString *path)
    {
        Q_UNUSED(proposedName);
        Q_UNUSED(path);
        return false;
    }
    virtual SaveOption runSaveOptionAlert(const QString &title, const QString &message,
                                          const QString &saveText, const QString &dontSaveText,
                                          const QString &cancelText)
    {
        Q_UNUSED(title);
        Q_UNUSED(message);
        Q_UNUSED(saveText);
        Q_UNUSED(dontSaveText);
        Q_UNUSED(cancelText);
        return SaveOption::Cancel;
    }
};
