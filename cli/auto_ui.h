#pragma once

// The command-line tool's answers to what the engine asks: no person is there, so every question
// is answered No (Cancel where there is no No), dialogs are cancelled, errors go to stderr and
// results to stdout. On a terminal the import's progress is drawn on stderr.

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "core/line_record.h"
#include "base/platform.h"
#include "seam/user_interface.h"

class CAutoUi : public CUserInterface {
public:
    // single: one candidate gets its tag (the tag parameters dialog says Да with the preselected
    // kind, the confirmation Да), several get none (the candidates dialog says Нет).
    // scan: nothing is placed; the analyses only count.
    // paired: as single, but of several candidates those whose number and date the line cites
    // together get their tags (none: no tag, as Нет); the open document itself is never chosen,
    // not even as the only candidate.
    // certain: the certain links only, placed without a question (the analysis without questions).
    enum class Policy { Single, Scan, Paired, Certain };
    explicit CAutoUi(Policy policy = Policy::Single)
        : m_policy(policy)
    {
    }

    int MessageBox(const std::string& text, MsgIcon icon, MsgButtons buttons) override;
    // Batch work keeps no recovery data; never asked.
    bool AskRecover(const std::string&) override { return false; }
    using CUserInterface::AskOpenFileName;
    bool AskSaveFileName(const FileDialogRequest& request, std::string& path) override;
    bool AskOpenFileName(const FileDialogRequest& request, std::string& path, int& filterIndex) override;
    bool EditStringList(const std::string& title, const std::string& column, std::vector<std::string>& strings) override;
    bool EditRecvDict(const std::string& caption, const std::string& column, CRecvDict& dict) override;
    void SetWaitCursor(bool) override { }
    void ProcessEvents() override;
    void ShowIndexingProgress(CIndexingProgress* progress) override;

    bool EditOptions(std::string&, std::string&) override { return false; }
    bool EditHotDocuments(std::vector<std::int32_t>&) override { return false; }
    bool EditNotepad(COrvoLinkDict&) override { return false; }
    SelectDocumentsResult SelectDocuments(const SelectDocumentsRequest& request) override;
    InnerTagAnswer AskInnerTagParameters(const InnerTagRequest& request) override;
    bool SelectRequisites(CDocRecvisits&, bool&) override { return false; }
    // Tags are placed by hand only in the window.
    ManualTagAnswer AskOrvoTagNumber(const ManualTagRequest&) override { return {}; }
    ManualTagAnswer AskInnerTag(const ManualTagRequest&) override { return {}; }
    void Beep() override { }
    void FillList(const std::vector<std::string>& texts, const std::vector<CLineRecord>& records, bool selectFirst) override;
    void HandOverList(std::vector<std::string>&& texts, std::vector<CLineRecord>&& records, bool) override
    {
        m_texts = std::move(texts);
        m_records = std::move(records);
    }
    void GetLines(std::vector<std::string>& texts, std::vector<CLineRecord>* records) override;
    void SelectLine(std::size_t) override { }
    void RemoveAllRows() override;
    void ClearUndo() override { }
    int AskTagCandidates(const std::vector<CDocRecvisits>& linked, std::vector<std::string>& texts,
        std::vector<CLineRecord>& records, std::size_t row) override;
    bool KeepsRowsWhileConfirming() const override { return true; }
    bool LeavesTheDocumentItself() const override { return m_policy == Policy::Paired; }
    void NoteTagsPlaced(std::int32_t tagKind, std::size_t count, bool amongSeveral) override;
    bool PlacesCertainLinksOnly() const override { return m_policy == Policy::Certain; }
    void NoteReviewRow(const CReviewNote& note) override;
    void ShowProgress(std::size_t steps) override;
    void StepProgress() override;
    void HideProgress() override;
    void SetTitle(const std::string&) override { }
    void BringToFront() override { }
    bool MoveToTrash(const std::string&) override { return false; }
    bool StopRequested() override { return false; }

    int ErrorCount() const { return m_errors; }
    // From now on what would go to stdout and stderr is kept until taken, and no progress is
    // drawn: a thread of a batch hands its documents' output on in the order of the documents.
    void CaptureOutput()
    {
        m_capture = true;
        m_terminal = false;
    }
    // Appends what was kept and empties it.
    void TakeOutput(std::string& out, std::string& err)
    {
        out += m_capturedOut;
        err += m_capturedErr;
        m_capturedOut.clear();
        m_capturedErr.clear();
    }
    // The lines the last fill gave, handed over without a copy; none are left.
    void TakeLines(std::vector<std::string>& texts, std::vector<CLineRecord>& records)
    {
        texts = std::move(m_texts);
        records = std::move(m_records);
        m_texts.clear();
        m_records.clear();
    }
    // How the tags of one kind that the last document's analyses placed were chosen, in the order
    // they were confirmed (which is their order in the text): true among several candidates.
    // Emptied when the next document is filled in.
    const std::vector<bool>& TagChoices(std::int32_t tagKind) const
    {
        return tagKind == InnerLinkNew ? m_localChoices : m_orvoChoices;
    }
    // Why each tag of one kind was placed, in text order, under the certain policy.
    const std::vector<LineWhy>& TagReasons(std::int32_t tagKind) const
    {
        return tagKind == InnerLinkNew ? m_localReasons : m_orvoReasons;
    }
    void ClearTagChoices()
    {
        m_orvoChoices.clear();
        m_localChoices.clear();
        m_orvoReasons.clear();
        m_localReasons.clear();
    }

private:
    bool DueToDraw(bool force) const;
    void DrawProgress(bool force);
    void DrawBar(int percent, const std::string& tail, bool force);
    void EndBar();
    // stdout or stderr, or what is kept of it while capturing.
    void Write(bool toErr, const std::string& text);

    Policy m_policy;
    std::vector<bool> m_orvoChoices;
    std::vector<bool> m_localChoices;
    std::vector<LineWhy> m_orvoReasons;
    std::vector<LineWhy> m_localReasons;
    std::vector<std::string> m_texts;
    std::vector<CLineRecord> m_records;
    std::size_t m_passSteps = 0;
    std::size_t m_passDone = 0;

    int m_errors = 0;
    bool m_capture = false;
    std::string m_capturedOut;
    std::string m_capturedErr;
    CIndexingProgress* m_progress = nullptr;
    bool m_drawn = false;
    std::chrono::steady_clock::time_point m_lastDraw;
    bool m_terminal = platform::IsTerminal(stderr);
};
