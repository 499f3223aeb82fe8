#pragma once

#include <QHash>
#include <QToolBar>

class QAction;
class QActionGroup;

// The document window's toolbar: split, the three tool tabs, import,
// export, fonts and colours, each with its label and image. The tab items
// form one exclusive group whose checked item names the visible tab.
class DocumentToolBar : public QToolBar
{
    Q_OBJECT
public:
    static const QStringList &itemIdentifiers();

    explicit DocumentToolBar(QWidget *parent = nullptr);

    QAction *item(const QString &identifier) const { return m_items.value(identifier); }
    // Checks the tab item; an empty identifier checks "id_info".
    void selectItem(const QString &identifier);
    // The split item's image follows the split state.
    void setSplitState(bool toolAtBottom);

Q_SIGNALS:
    void itemTriggered(const QString &identifier);

private:
    QHash<QString, QAction *> m_items;
    QActionGroup *m_tabGroup;
};
