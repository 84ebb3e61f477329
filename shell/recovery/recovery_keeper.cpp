#include "shell/recovery/recovery_keeper.h"

#include <algorithm>

#include <QStatusBar>

#include "document/telvarion_doc.h"

CRecoveryKeeper::CRecoveryKeeper(CTelvarionDoc& doc, CLineRows& rows, QStatusBar* statusBar, QObject* parent)
    : QObject(parent)
    , m_doc(doc)
    , m_rows(rows)
    , m_statusBar(statusBar)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &CRecoveryKeeper::WriteNow);
    m_doc.onModified = [this] { Changed(); };
    // The writer's thread reports; the report is taken on the window's thread.
    m_doc.SetRecoveryReport([this](const recovery::CRecoveryWriter::CReport& report) {
        QMetaObject::invokeMethod(
            this, [this, report] { Reported(report); }, Qt::QueuedConnection);
    });
}

CRecoveryKeeper::~CRecoveryKeeper()
{
    m_doc.SetRecoveryReport(nullptr);
    m_doc.onModified = nullptr;
}

void CRecoveryKeeper::Changed()
{
    m_dirty = true;
    if (m_timer.isActive())
        return;
    // The first change after an open or a save waits a little for the next ones; later ones at
    // most the gap after the previous write.
    const bool first = m_doc.ChangesSinceSave() <= 1 || !m_sinceWrite.isValid();
    const qint64 wait = first ? kFirstWriteMs : std::max<qint64>(0, kLaterWriteMs - m_sinceWrite.elapsed());
    m_timer.start(static_cast<int>(std::min<qint64>(wait, kLaterWriteMs)));
}

void CRecoveryKeeper::WriteNow()
{
    m_timer.stop();
    recovery::CRecoveryWriter* writer = m_doc.RecoveryWriter();
    if (!m_doc.bModified || m_doc.currentPath.empty() || !writer) {
        // Saved meanwhile, or nowhere to write: nothing to keep.
        m_dirty = false;
        return;
    }
    if (m_doc.bBusy && !(asking && asking())) {
        // A pass holds the lines; its changes are written at its next question or when it ends.
        m_timer.start(1000);
        return;
    }
    m_submitted = writer->Submit(m_doc.RecoverySnapshot(m_rows));
    m_sinceWrite.restart();
    m_dirty = false;
}

bool CRecoveryKeeper::UpToDate() const
{
    return !m_dirty && !m_timer.isActive() && m_submitted != 0 && m_reported == m_submitted && m_lastOk;
}

void CRecoveryKeeper::Reported(const recovery::CRecoveryWriter::CReport& report)
{
    if (report.sequence == 0)
        return; // a removal: nothing the person needs to hear of
    m_reported = std::max(m_reported, report.sequence);
    m_lastOk = report.ok;
    if (report.ok) {
        m_failSaid = false;
    } else {
        ++m_failures;
        if (!m_failSaid && m_statusBar) {
            QString reason = QString::fromStdString(report.reason).trimmed();
            while (reason.endsWith(u'.'))
                reason.chop(1);
            m_statusBar->showMessage(
                QStringLiteral("Данные восстановления не записаны: %1. Работа продолжается.").arg(reason));
            m_failSaid = true;
        }
    }
    emit Written(report.ok);
}
