#include "FilePanels.h"

#include <QFileDialog>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

bool isPackagePath(const QString &path)
{
    return path.endsWith(u".pgcd"_s, Qt::CaseInsensitive) && QFileInfo(path).isDir();
}

// Accepts a selected package instead of entering it, whether by Open or by
// double click.
class OpenPanel : public QFileDialog
{
public:
    OpenPanel(QWidget *parent, const QString &filter) : QFileDialog(parent, QString(), QString(), filter)
    {
        setOption(QFileDialog::DontUseNativeDialog);
        setFileMode(QFileDialog::ExistingFile);
        setAcceptMode(QFileDialog::AcceptOpen);
        connect(this, &QFileDialog::directoryEntered, this, [this](const QString &folder) {
            if (!isPackagePath(folder) || m_accepting)
                return;
            m_chosen = QFileInfo(folder).absoluteFilePath();
            m_accepting = true;
            QDialog::accept();
        });
    }

    QString chosen() const { return m_chosen; }

    void accept() override
    {
        const QStringList files = selectedFiles();
        if (!files.isEmpty() && isPackagePath(files.constFirst())) {
            m_chosen = QFileInfo(files.constFirst()).absoluteFilePath();
            m_accepting = true;
            QDialog::accept();
            return;
        }
        QFileDialog::accept();
        if (result() == QDialog::Accepted && !selectedFiles().isEmpty())
            m_chosen = selectedFiles().constFirst();
    }

private:
    QString m_chosen;
    bool m_accepting = false;
};

} // namespace

bool FilePanels::runOpenPanel(QWidget *parent, const QStringList &extensions, QString *path)
{
    QStringList patterns;
    for (const QString &extension : extensions)
        patterns.append(u"*."_s + extension);
    const QString filter = patterns.isEmpty() ? QString() : QObject::tr("Documents (%1)").arg(patterns.join(u' '));
    OpenPanel panel(parent, filter);
    panel.setObjectName(u"openPanel"_s);
    panel.setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    if (panel.exec() != QDialog::Accepted || panel.chosen().isEmpty())
        return false;
    *path = panel.chosen();
    return true;
}

bool FilePanels::runSavePanel(QWidget *parent, const QString &proposedName, QString *path)
{
    QFileDialog panel(parent);
    panel.setObjectName(u"savePanel"_s);
    panel.setOption(QFileDialog::DontUseNativeDialog);
    panel.setAcceptMode(QFileDialog::AcceptSave);
    panel.setFileMode(QFileDialog::AnyFile);
    panel.setNameFilter(QObject::tr("Documents (*.pgcd)"));
    panel.setDefaultSuffix(u"pgcd"_s);
    panel.selectFile(proposedName);
    panel.setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    if (panel.exec() != QDialog::Accepted || panel.selectedFiles().isEmpty())
        return false;
    *path = panel.selectedFiles().constFirst();
    return !path->isEmpty();
}

FilePanels::Kind FilePanels::kindOf(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"pgcd"_s)
        return Kind::Package;
    if (suffix == u"csv"_s || suffix == u"pgcl"_s)
        return Kind::Importable;
    return Kind::Other;
}
