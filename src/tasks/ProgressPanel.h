#pragma once

#include <QString>

class QObject;

// What the progress controller needs from a progress panel. The desktop app
// draws it with widgets; tests and the CLI use HeadlessProgressPanel.
// Called on the main thread only.
class ProgressPanel
{
public:
    virtual ~ProgressPanel() = default;

    // Attached to a document window (a sheet) or standing alone.
    virtual void showAsSheet(QObject *window) = 0;
    virtual void showFree() = 0;
    virtual void setTitle(const QString &title) = 0;
    // true: the bar spins because no progress can be measured.
    virtual void setIndeterminate(bool animate) = 0;
    // 0 to 100.
    virtual void setValue(double value) = 0;
    virtual void setPercentText(const QString &text) = 0;
    virtual void setComment(const QString &comment) = 0;
    virtual void close() = 0;
};
