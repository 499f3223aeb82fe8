#pragma once

#include <QPointer>
#include <QWidget>

class MyDocument;
class PreviewTableModel;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QTabWidget;
class QTableView;
class QTextBrowser;
class QToolButton;

// The preview of the open list: the rows as a table, as CSV text and as a
// page for the selected row, with the comment line, the "show" box that
// marks or clears every row, and text zoom.
class PreviewPane : public QWidget
{
    Q_OBJECT
public:
    enum Tab { TableTab = 0, TextTab = 1, WebTab = 2 };
    static constexpr qsizetype kTextRowLimit = 10000;

    PreviewPane(MyDocument *document, QWidget *parent = nullptr);

    QTableView *tableView() const { return m_table; }
    PreviewTableModel *model() const { return m_model; }
    QCheckBox *showBox() const { return m_showBox; }
    QString commentText() const;
    QString textTabText() const;
    QString webTabHtml() const;
    double textPointSize() const { return m_pointSize; }
    // 1 shows the text tab, 2 the web tab, anything else the table.
    void selectTabWithState(int state);

    // The comment line: "titles:%d items:%d <details>".
    static QString commentLine(qsizetype titles, qsizetype items, const QString &sourcePath, int encodingType,
                               bool crLf, bool withDetails);
    // Cells as tab-separated lines, a field quoted only when it holds a tab,
    // a line break or a double quote.
    static QString tabSeparated(const QList<QStringList> &lines);

public Q_SLOTS:
    void reloadObject();
    void makeTableColumns();
    void resetTable();
    void commentOfCSVtoLMSConversion();
    void copySelection();
    void selectAllRows();
    void zoomIn();
    void zoomOut();

Q_SIGNALS:
    // A double click on a row; the row's position in the preview.
    void itemActivated(qsizetype row);
    // The user changed the list through the preview.
    void listEdited();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyColumnWidths();
    void columnMoved();
    void columnResized(int column, int newSize);
    void headerClicked(int column);
    void showBoxClicked();
    void updateShowBox();
    void updateComment();
    void refreshTextTab();
    void refreshWebTab();
    void applyZoom();
    void toggleCurrentMark();

    QPointer<MyDocument> m_document;
    PreviewTableModel *m_model = nullptr;
    QTabWidget *m_tabs = nullptr;
    QTableView *m_table = nullptr;
    QPlainTextEdit *m_text = nullptr;
    QTextBrowser *m_web = nullptr;
    QCheckBox *m_showBox = nullptr;
    QLabel *m_comment = nullptr;
    QToolButton *m_zoomOut = nullptr;
    QToolButton *m_zoomIn = nullptr;
    bool m_commentOfCSV = true;
    bool m_applyingWidths = false;
    bool m_columnMovePending = false;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    double m_pointSize = 0;
};
