#pragma once

class QWidget;

// Connects the content views of one document window to each other: what one
// view changes, the others show. A window calls it once its views exist; a
// view that is missing or a stand-in is skipped.
class ViewLinks
{
public:
    ViewLinks() = delete;

    static void connectViews(QWidget *preview, QWidget *lists, QWidget *search, QWidget *info);
};
