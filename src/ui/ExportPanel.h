#pragma once

#include <QDialog>
#include <QPointer>

class MyDocument;
class QCheckBox;
class QComboBox;
class QFileDialog;

// The export panel: where to write, the file type, the encoding and the line
// ends; accepting it hands the export to the document's background tasks.
class ExportPanel : public QDialog
{
    Q_OBJECT
public:
    enum FileType { CsvFile = 0, ListFile = 1, TextFile = 2 };

    // Shows the panel window-modal on the window; returns at once.
    static void openFor(QWidget *window, MyDocument *document);

    ExportPanel(MyDocument *document, QWidget *parent = nullptr);

    QFileDialog *fileDialog() const { return m_files; }
    QComboBox *fileTypeBox() const { return m_fileType; }
    QComboBox *encodingBox() const { return m_encoding; }
    QCheckBox *lineFeedBox() const { return m_lineFeed; }

    // The export of the rows the preview shows (the search result in search mode).
    static QVariantMap exportRequest(MyDocument *document, const QString &path, int fileType, int encoding,
                                     bool crLf);
    static QString extensionOf(int fileType);

private:
    void fileTypeChosen(int fileType);
    void filesFinished(int result);

    QPointer<MyDocument> m_document;
    QFileDialog *m_files = nullptr;
    QComboBox *m_fileType = nullptr;
    QComboBox *m_encoding = nullptr;
    QCheckBox *m_lineFeed = nullptr;
};
