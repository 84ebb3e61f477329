#include "shell/progress_indexing_dlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/indexing_progress.h"

CProgressIndexingDlg::CProgressIndexingDlg(CIndexingProgress& progress, QWidget* parent)
    : QDialog(parent)
    , m_progress(progress)
    , m_bar(new QProgressBar(this))
    , m_elapsed(new QLabel(this))
    , m_remaining(new QLabel(this))
    , m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("ProgressIndexingDlg"));
    setWindowTitle(QStringLiteral("Индексирование"));
    setModal(false);

    m_bar->setRange(0, 100);
    m_bar->setMinimumWidth(300);
    m_elapsed->setObjectName(QStringLiteral("elapsed"));
    m_remaining->setObjectName(QStringLiteral("remaining"));

    auto* times = new QFormLayout;
    times->addRow(QStringLiteral("Прошло:"), m_elapsed);
    times->addRow(QStringLiteral("Осталось:"), m_remaining);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* cancel = buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(buttons, &QDialogButtonBox::rejected, this, &CProgressIndexingDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_bar);
    layout->addLayout(times);
    layout->addWidget(buttons);

    connect(m_timer, &QTimer::timeout, this, &CProgressIndexingDlg::RefreshTimes);
    m_timer->start(1000);
    Refresh();
    RefreshTimes();
}

void CProgressIndexingDlg::Refresh() { m_bar->setValue(m_progress.Percent()); }

void CProgressIndexingDlg::RefreshTimes()
{
    Refresh();
    m_elapsed->setText(QString::fromStdString(m_progress.ElapsedText()));
    m_remaining->setText(QString::fromStdString(m_progress.RemainingText()));
}

void CProgressIndexingDlg::reject()
{
    // The import sees the request at its next line and closes the dialog itself.
    m_progress.Cancel();
}
