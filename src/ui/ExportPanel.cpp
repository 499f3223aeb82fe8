#include "ExportPanel.h"

#include "app/MyDocument.h"
#include "list/ListItem.h"
#include "platform/Localization.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QTimer>
#include <QVBoxLayout>
#include "platform/RequestKey.h"
#include "platform/TaskCode.h"

using namespace Qt::StringLiterals;

void ExportPanel::openFor(QWidget *window, MyDocument *document)
{
    if (!document)
        return;
    auto *panel = new ExportPanel(document, window);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    panel->open();
}

ExportPanel::ExportPanel(MyDocument *document, QWidget *parent)
    : QDialog(parent)
    , m_document(document)
{
    setWindowTitle(tr("Export"));
    m_files = new QFileDialog(this, Qt::Widget);
    m_files->setWindowFlags(Qt::Widget);
    m_files->setOption(QFileDialog::DontUseNativeDialog);
    m_files->setAcceptMode(QFileDialog::AcceptSave);
    m_files->setFileMode(QFileDialog::AnyFile);
    m_files->setDirectory(QDir::homePath());

    m_fileType = new QComboBox;
    m_fileType->addItems({tr("CSV"), tr("List file"), tr("Text")});
    m_encoding = new QComboBox;
    // Choice 2 writes EUC-JP, so that is what it is called.
    m_encoding->addItems({u"UTF-8"_s, u"Shift-JIS"_s, u"EUC-JP"_s});
    m_lineFeed = new QCheckBox(tr("CR-LF line ends"));

    auto *format = new QGroupBox(tr("Format"));
    auto *choices = new QFormLayout(format);
    choices->addRow(tr("File type:"), m_fileType);
    choices->addRow(tr("Encoding:"), m_encoding);
    choices->addRow(QString(), m_lineFeed);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_files, 1);
    layout->addWidget(format);

    connect(m_fileType, &QComboBox::currentIndexChanged, this, &ExportPanel::fileTypeChosen);
    connect(m_files, &QFileDialog::finished, this, &ExportPanel::filesFinished);
    fileTypeChosen(CsvFile);
    m_files->selectFile(Localization::textOrKey(Localization::kMainTable, u"0001Title"_s) + u'.'
                        + extensionOf(CsvFile));
    resize(720, 520);
}

QString ExportPanel::extensionOf(int fileType)
{
    switch (fileType) {
    case ListFile:
        return u"pgcl"_s;
    case TextFile:
        return u"txt"_s;
    default:
        return u"csv"_s;
    }
}

void ExportPanel::fileTypeChosen(int fileType)
{
    const QString extension = extensionOf(fileType);
    m_files->setDefaultSuffix(extension);
    m_files->setNameFilter(tr("%1 files (*.%2)").arg(m_fileType->itemText(fileType), extension));
    // A list file is always UTF-8 with its own line ends.
    const bool listFile = fileType == ListFile;
    if (listFile) {
        m_encoding->setCurrentIndex(0);
        m_lineFeed->setChecked(false);
    }
    m_encoding->setEnabled(!listFile);
    m_lineFeed->setEnabled(!listFile);
    // The proposed name follows the type.
    const QStringList selected = m_files->selectedFiles();
    if (!selected.isEmpty()) {
        const QFileInfo info(selected.constFirst());
        if (!info.completeBaseName().isEmpty() && !info.isDir())
            m_files->selectFile(info.completeBaseName() + u'.' + extension);
    }
}

QVariantMap ExportPanel::exportRequest(MyDocument *document, const QString &path, int fileType, int encoding,
                                       bool crLf)
{
    const ListItem *list = document->listItem();
    const RowList rows = list->previewRows();
    return {
        {RequestKey::targeted, TaskCode::exportRows},
        {u"filePath"_s, path},
        {u"fileType"_s, fileType},
        {u"encoding"_s, fileType == ListFile ? 0 : encoding},
        {u"lineFeedCode"_s, fileType != ListFile && crLf},
        {u"columnTitles"_s, list->columnTitlesArray()},
        {u"columnTitlesWidthDic"_s, list->columnTitlesWidthDic()},
        {RequestKey::itemObject, QVariant::fromValue(rows)},
    };
}

void ExportPanel::filesFinished(int result)
{
    const QStringList selected = m_files->selectedFiles();
    if (result != QDialog::Accepted || selected.isEmpty() || !m_document) {
        reject();
        return;
    }
    const QVariantMap request = exportRequest(m_document, selected.constFirst(), m_fileType->currentIndex(),
                                              m_encoding->currentIndex(), m_lineFeed->isChecked());
    accept();
    // The export starts once the panel is gone, so its progress panel takes the window.
    QTimer::singleShot(0, m_document.data(), [document = m_document, request] {
        if (document)
            document->selfIndicator(request);
    });
}
