#pragma once

// When the window hands the open document's recovery data to the writer: about two seconds after
// the first change of a modified document, then the changes since, coalesced, at most ten seconds
// after the previous write, so that a crash never loses more than the last seconds of work while
// changes go on. The copy is taken on the window's thread (CTelvarionDoc::RecoverySnapshot) and
// written off it; a write that fails is said once in the status bar, and again only after a later
// write succeeded and then one failed. Editing goes on either way.

#include <cstdint>
#include <functional>

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include "document/recovery.h"

class CLineRows;
class CTelvarionDoc;
class QStatusBar;

class CRecoveryKeeper : public QObject {
    Q_OBJECT
public:
    static constexpr int kFirstWriteMs = 2000;
    static constexpr int kLaterWriteMs = 10000;

    CRecoveryKeeper(CTelvarionDoc& doc, CLineRows& rows, QStatusBar* statusBar, QObject* parent = nullptr);
    ~CRecoveryKeeper() override;

    // Whether a pass's question is open: the rows shown are then the document as the pass has it
    // (an Open's questions may take an hour; their answers are written as they go).
    std::function<bool()> asking;

    // Hands the document to the writer now, when it is modified and no pass holds its lines.
    void WriteNow();
    // Every change the document knows of is written, and the last write succeeded.
    bool UpToDate() const;
    // How many writes failed since the window opened.
    int Failures() const { return m_failures; }

signals:
    // A write ended (on the window's thread).
    void Written(bool ok);

private:
    void Changed();
    void Reported(const recovery::CRecoveryWriter::CReport& report);

    CTelvarionDoc& m_doc;
    CLineRows& m_rows;
    QStatusBar* m_statusBar;
    QTimer m_timer;
    QElapsedTimer m_sinceWrite;
    bool m_dirty = false;
    bool m_failSaid = false;
    bool m_lastOk = true;
    int m_failures = 0;
    std::uint64_t m_submitted = 0;
    std::uint64_t m_reported = 0;
};
