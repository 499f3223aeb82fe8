#pragma once

class MyDocument;
class QWidget;

// Makes the content views a document window places: the preview pane and
// the tool views. A view not built yet is stood in for by a labelled empty
// pane, so the window works with whatever views exist. The window reaches
// the views through their slots by name.
class ContentPanes
{
public:
    static QWidget *previewPane(MyDocument *document, QWidget *parent);
    static QWidget *listItemsView(MyDocument *document, QWidget *parent);
    static QWidget *searchView(MyDocument *document, QWidget *parent);
    static QWidget *infoOutlineView(MyDocument *document, QWidget *parent);
    // The item and option editors' place in the edit tab.
    static QWidget *itemEditor(MyDocument *document, QWidget *parent);
    // False when there is no export panel to open.
    static bool openExportPanel(QWidget *window, MyDocument *document);
};
