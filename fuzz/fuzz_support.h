#pragma once

// What the fuzz targets share: a user interface that never waits for anybody, a scratch folder of
// the process, and the check that whatever loads also stores and loads again unchanged.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/line_record.h"
#include "seam/user_interface.h"

class CArchive;

// Every question answered No, every dialog cancelled, except the analyses' own dialogs, which take
// the first candidate and keep every tag, so that placement and anchors run as far as they can.
class CFuzzUi : public CUserInterface {
public:
    bool AskRecover(const std::string&) override { return false; }
    int MessageBox(const std::string&, MsgIcon, MsgButtons buttons) override
    {
        return buttons == MsgButtons::Ok ? AnswerOk : buttons == MsgButtons::OkCancel ? AnswerCancel : AnswerNo;
    }
    bool AskSaveFileName(const FileDialogRequest&, std::string&) override { return false; }
    using CUserInterface::AskOpenFileName;
    bool AskOpenFileName(const FileDialogRequest&, std::string&, int&) override { return false; }
    void SetWaitCursor(bool) override { }
    void ProcessEvents() override { }
    void ShowIndexingProgress(CIndexingProgress*) override { }
    bool EditStringList(const std::string&, const std::string&, std::vector<std::string>&) override { return false; }
    bool EditRecvDict(const std::string&, const std::string&, CRecvDict&) override { return false; }
    bool EditOptions(std::string&, std::string&) override { return false; }
    bool EditHotDocuments(std::vector<std::int32_t>&) override { return false; }
    bool EditNotepad(COrvoLinkDict&) override { return false; }
    SelectDocumentsResult SelectDocuments(const SelectDocumentsRequest& request) override;
    InnerTagAnswer AskInnerTagParameters(const InnerTagRequest& request) override;
    bool SelectRequisites(CDocRecvisits&, bool&) override { return false; }
    ManualTagAnswer AskOrvoTagNumber(const ManualTagRequest&) override { return {}; }
    ManualTagAnswer AskInnerTag(const ManualTagRequest&) override { return {}; }
    void Beep() override { }
    void FillList(const std::vector<std::string>& texts, const std::vector<CLineRecord>& records, bool) override
    {
        m_texts = texts;
        m_records = records;
    }
    void GetLines(std::vector<std::string>& texts, std::vector<CLineRecord>* records) override
    {
        texts = m_texts;
        if (records)
            *records = m_records;
    }
    void SelectLine(std::size_t) override { }
    void RemoveAllRows() override
    {
        m_texts.clear();
        m_records.clear();
    }
    void ClearUndo() override { }
    int AskTagCandidates(const std::vector<CDocRecvisits>&, std::vector<std::string>& texts,
        std::vector<CLineRecord>& records, std::size_t row) override;
    bool KeepsRowsWhileConfirming() const override { return keepsRows; }
    void ShowProgress(std::size_t) override { }
    void StepProgress() override { }
    void HideProgress() override { }
    void SetTitle(const std::string&) override { }
    void BringToFront() override { }
    bool MoveToTrash(const std::string&) override { return false; }
    bool StopRequested() override { return false; }

    // The answer of the confirmation: Yes, No and Cancel in turn, so every way back is walked.
    int confirmTurn = 0;
    // The confirmation leaves the rows alone: the analyses keep only the lines around each one.
    bool keepsRows = true;

private:
    std::vector<std::string> m_texts;
    std::vector<CLineRecord> m_records;
};

namespace fuzz {

// A folder of this process for the files a target must read from disk; tmpfs when there is one.
const std::string& ScratchFolder();
// Writes bytes to a file of the scratch folder and returns its path.
std::string WriteScratch(const std::string& name, std::string_view bytes);

// Stops the run with a message: libFuzzer keeps the input that got here.
[[noreturn]] void Fail(const char* what);
inline void Check(bool ok, const char* what)
{
    if (!ok)
        Fail(what);
}

// Loads the bytes into one object with io. A load that fails must throw an archive error (anything
// else escapes and fails the run) and leave an object that still stores; one that succeeds must
// store, load into a fresh object with freshIo and store the same bytes again.
void LoadAndRoundTrip(const std::uint8_t* data, std::size_t size, const std::function<void(CArchive&)>& io,
    const std::function<void(CArchive&)>& freshIo);

// The same for objects made by make and serialized by io(object, archive).
template <typename Make, typename Io>
void RoundTripped(const std::uint8_t* data, std::size_t size, Make make, Io io)
{
    auto loaded = make();
    auto fresh = make();
    LoadAndRoundTrip(
        data, size, [&](CArchive& ar) { io(*loaded, ar); }, [&](CArchive& ar) { io(*fresh, ar); });
}

} // namespace fuzz
