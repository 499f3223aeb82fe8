#include "ProgressPanelDialog.h"

#include "platform/Localization.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

// The bar counts in tenths of a percent, matching the one-decimal text.
static constexpr int kBarScale = 1000;

ProgressPanelDialog::ProgressPanelDialog(std::function<bool()> cancelAllowed, std::function<void()> onCancel)
    : m_cancelAllowed(std::move(cancelAllowed))
    , m_onCancel(std::move(onCancel))
    , m_title(new QLabel(this))
    , m_bar(new QProgressBar(this))
    , m_percent(new QLabel(this))
    , m_comment(new QLabel(this))
    , m_cancel(new QPushButton(Localization::textOrKey(Localization::kMainTable, u"1010Title"_s), this))
{
    setObjectName(u"progressPanel"_s);
    setWindowTitle(QStringLiteral("Rowsmith"));
    m_title->setObjectName(u"progressTitle"_s);
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_bar->setTextVisible(false);
    m_bar->setRange(0, 0);
    m_percent->setObjectName(u"progressPercent"_s);
    m_percent->setMinimumWidth(m_percent->fontMetrics().horizontalAdvance(u"100.0 %"_s) + 8);
    m_percent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_comment->setObjectName(u"progressComment"_s);
    m_comment->setWordWrap(true);
    m_cancel->setObjectName(u"progressCancel"_s);
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        if (m_onCancel)
            m_onCancel();
    });

    auto *barRow = new QHBoxLayout;
    barRow->addWidget(m_bar, 1);
    barRow->addWidget(m_percent);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    layout->addLayout(barRow);
    layout->addWidget(m_comment);
    layout->addLayout(buttons);
    setMinimumWidth(420);
}

void ProgressPanelDialog::present()
{
    m_cancel->setVisible(m_cancelAllowed && m_cancelAllowed());
    setIndeterminate(true);
    m_percent->clear();
    m_comment->clear();
    open();
}

void ProgressPanelDialog::showAsSheet(QObject *window)
{
    auto *parent = qobject_cast<QWidget *>(window);
    if (parent && parentWidget() != parent)
        setParent(parent, windowFlags() | Qt::Dialog);
    setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    present();
}

void ProgressPanelDialog::showFree()
{
    if (parentWidget())
        setParent(nullptr, windowFlags() | Qt::Dialog);
    setWindowModality(Qt::ApplicationModal);
    present();
}

void ProgressPanelDialog::setTitle(const QString &title)
{
    m_title->setText(title);
}

void ProgressPanelDialog::setIndeterminate(bool animate)
{
    if (animate)
        m_bar->setRange(0, 0);
    else if (m_bar->maximum() == 0)
        m_bar->setRange(0, kBarScale);
}

void ProgressPanelDialog::setValue(double value)
{
    if (m_bar->maximum() != 0)
        m_bar->setValue(int(qBound(0.0, value, 100.0) * kBarScale / 100.0));
}

void ProgressPanelDialog::setPercentText(const QString &text)
{
    m_percent->setText(text);
}

void ProgressPanelDialog::setComment(const QString &comment)
{
    m_comment->setText(comment);
}

void ProgressPanelDialog::close()
{
    hide();
}

void ProgressPanelDialog::reject()
{
    // Escape cancels only where the task can be cancelled; the panel
    // otherwise stays until the task's closing step.
    if (m_cancel->isVisible() && m_onCancel)
        m_onCancel();
}

bool ProgressPanelDialog::isIndeterminate() const
{
    return m_bar->maximum() == 0;
}

QString ProgressPanelDialog::percentText() const
{
    return m_percent->text();
}

QString ProgressPanelDialog::comment() const
{
    return m_comment->text();
}

bool ProgressPanelDialog::cancelShown() const
{
    return !m_cancel->isHidden();
}
