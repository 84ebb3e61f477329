#include "shell/progress_indexing_dlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "seam/indexing_progress.h"
#include "shell/drawn_progress_bar.h"

CProgressIndexingDlg::CProgressIndexingDlg(CIndexingProgress& progress, QWidget* parent)
    : QDialog(parent)
    , m_progress(progress)
    , m_bar(new CDrawnProgressBar(this))
    , m_elapsed(new QLineEdit(this))
    , m_remaining(new QLineEdit(this))
    , m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("ProgressIndexingDlg"));
    setWindowTitle(QStringLiteral("Индексирование"));
    setModal(false);

    m_bar->SetRange(0, 100);
    m_bar->setMinimumWidth(300);
    m_bar->setFixedHeight(24);
    for (QLineEdit* field : { m_elapsed, m_remaining }) {
        field->setReadOnly(true);
        field->setFocusPolicy(Qt::NoFocus);
        field->setAlignment(Qt::AlignCenter);
        field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0000000:00")) + 12);
    }
    m_elapsed->setObjectName(QStringLiteral("elapsed"));
    m_remaining->setObjectName(QStringLiteral("remaining"));

    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->setDefault(true);
    connect(cancel, &QPushButton::clicked, this, &CProgressIndexingDlg::reject);

    auto* times = new QGridLayout;
    times->addWidget(new QLabel(QStringLiteral("Прошло:"), this), 0, 0);
    times->addWidget(m_elapsed, 0, 1);
    times->addWidget(new QLabel(QStringLiteral("Осталось:"), this), 1, 0);
    times->addWidget(m_remaining, 1, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addLayout(times);
    bottom->addStretch(1);
    bottom->addWidget(cancel, 0, Qt::AlignBottom);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_bar);
    layout->addLayout(bottom);

    connect(m_timer, &QTimer::timeout, this, &CProgressIndexingDlg::RefreshTimes);
    m_timer->start(1000);
    Refresh();
    // At the start nothing has passed and nothing can be estimated yet.
    m_elapsed->setText(QStringLiteral("00:00"));
    m_remaining->clear();
}

void CProgressIndexingDlg::Refresh() { m_bar->SetPos(m_progress.Percent()); }

void CProgressIndexingDlg::RefreshTimes()
{
    Refresh();
    m_elapsed->setText(QString::fromStdString(m_progress.ElapsedText()));
    m_remaining->setText(QString::fromStdString(m_progress.RemainingText()));
}

void CProgressIndexingDlg::reject()
{
    // The import sees the request at its next line and then destroys the dialog.
    m_progress.Cancel();
    m_timer->stop();
    hide();
}
