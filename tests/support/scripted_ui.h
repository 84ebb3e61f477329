#pragma once

// The user interface of the tests: every question is recorded, every answer comes from a queue
// the test fills beforehand. A question with no answer queued fails the test.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/line_record.h"
#include "seam/user_interface.h"
#include "storage/recv_dict.h"

class CScriptedUi : public CUserInterface {
public:
    struct Message {
        std::string text;
        MsgIcon icon;
        MsgButtons buttons;
    };
    struct FileQuestion {
        bool save;
        FileDialogRequest request;
    };
    struct ListEdit {
        std::string title;
        std::string column;
        std::vector<std::string> shown;
    };

    // Queued answers.
    std::deque<int> answers;                            // message boxes with a choice
    std::deque<std::optional<std::string>> filePaths;   // file dialogs; nullopt cancels
    std::deque<int> filterChoices;                      // open dialogs' chosen filter; 0 when empty
    // String list dialog: the list the person leaves, or nullopt for Cancel.
    std::deque<std::optional<std::vector<std::string>>> listEdits;
    // Requisite value dictionary dialog: the dictionary the person leaves with OK, or nullopt.
    std::deque<std::optional<CRecvDict>> recvEdits;

    // The tag parameters dialog: the answer and the parameters the person sets.
    struct InnerTagChoice {
        int answer = AnswerYes;
        std::string kind; // empty: the preselected "НУЛ"
        std::int32_t line = 0;
        bool keyO = false;
        bool keyP = false;
    };
    std::deque<SelectDocumentsResult> selectAnswers;
    std::deque<InnerTagChoice> innerTagAnswers;
    // The requisite selection: changes the requisites and the base choice; returns OK or not.
    std::deque<std::function<bool(CDocRecvisits&, bool&)>> requisiteAnswers;
    std::deque<int> confirmAnswers; // AskTagCandidates
    // The tag dialogs of the tag commands: the answer the person gives, nullopt for Cancel.
    std::deque<std::optional<ManualTagAnswer>> manualTagAnswers;
    // Runs while the confirmation is open, over the rows the view holds (the person edits them).
    std::function<void(std::vector<std::string>&, std::vector<CLineRecord>&)> duringConfirm;
    // Promises the analyses that duringConfirm changes bookmark flags at most.
    bool keepsRowsWhileConfirming = false;
    std::deque<bool> trashAnswers;
    // Settings dialogs: each changes the working copy and says whether it ended with OK.
    std::deque<std::function<bool(std::string&, std::string&)>> optionAnswers;
    std::deque<std::function<bool(std::vector<std::int32_t>&)>> hotAnswers;
    std::deque<std::function<bool(COrvoLinkDict&)>> notepadAnswers;
    bool stopRequested = false;
    // The analysis without questions: the certain links placed, the rest left to the review.
    bool placesCertainLinksOnly = false;

    // Recorded questions.
    std::vector<Message> messages;
    std::vector<FileQuestion> fileQuestions;
    std::vector<ListEdit> listQuestions;
    std::vector<std::string> recvQuestions; // captions
    std::vector<SelectDocumentsRequest> selectQuestions;
    std::vector<InnerTagRequest> innerTagQuestions;
    std::vector<CDocRecvisits> requisiteQuestions;
    std::vector<std::vector<CDocRecvisits>> confirmQuestions;
    std::vector<std::size_t> confirmRows;
    std::vector<std::string> trashed;
    std::vector<std::string> manualTagQuestions; // "orvo" or "inner", in order
    std::vector<std::deque<std::int32_t>> manualTagRecent; // the recent numbers each one offered
    int beeps = 0;

    // The view and the frame as the engine left them.
    std::vector<std::string> viewTexts;
    std::vector<CLineRecord> viewRecords;
    std::size_t selectedRow = 0;
    int fillCount = 0;
    int undoCleared = 0;
    std::string title;
    std::vector<std::string> statusTexts; // the status bar words, in order
    int broughtToFront = 0;
    std::size_t progressSteps = 0; // of the pass progress indicator
    std::size_t progressStepped = 0;
    bool progressVisible = false;

    int waitCursorDepth = 0;
    int waitCursorShown = 0;      // how many times the wait cursor was turned on
    long long eventTurns = 0;     // calls of ProcessEvents
    CIndexingProgress* progress = nullptr; // the progress dialog shown now
    int progressShown = 0;
    // Called at every ProcessEvents, so a test can act "while the work runs" (press Cancel...).
    std::function<void(CScriptedUi&)> onEvents;

    int MessageBox(const std::string& text, MsgIcon icon, MsgButtons buttons) override;
    // Kept among the messages as a Yes/No question; AnswerYes restores.
    bool AskRecover(const std::string& text) override
    {
        return MessageBox(text, MsgIcon::Question, MsgButtons::YesNo) == AnswerYes;
    }
    bool AskSaveFileName(const FileDialogRequest& request, std::string& path) override;
    using CUserInterface::AskOpenFileName;
    bool AskOpenFileName(const FileDialogRequest& request, std::string& path, int& filterIndex) override;
    void SetWaitCursor(bool on) override;
    void ProcessEvents() override;
    void ShowIndexingProgress(CIndexingProgress* progress) override;
    bool EditStringList(const std::string& title, const std::string& column, std::vector<std::string>& strings) override;
    bool EditRecvDict(const std::string& caption, const std::string& column, CRecvDict& dict) override;

    bool EditOptions(std::string& inputFolder, std::string& outputFolder) override;
    bool EditHotDocuments(std::vector<std::int32_t>& slots) override;
    bool EditNotepad(COrvoLinkDict& notepad) override;
    SelectDocumentsResult SelectDocuments(const SelectDocumentsRequest& request) override;
    InnerTagAnswer AskInnerTagParameters(const InnerTagRequest& request) override;
    bool SelectRequisites(CDocRecvisits& requisites, bool& localBase) override;
    ManualTagAnswer AskOrvoTagNumber(const ManualTagRequest& request) override { return ManualTag("orvo", request); }
    ManualTagAnswer AskInnerTag(const ManualTagRequest& request) override { return ManualTag("inner", request); }
    void Beep() override { ++beeps; }
    void ShowStatusText(const std::string& text) override { statusTexts.push_back(text); }
    void FillList(const std::vector<std::string>& texts, const std::vector<CLineRecord>& records, bool selectFirst) override;
    void GetLines(std::vector<std::string>& texts, std::vector<CLineRecord>* records) override;
    void SelectLine(std::size_t row) override { selectedRow = row; }
    void RemoveAllRows() override;
    void ClearUndo() override { ++undoCleared; }
    int AskTagCandidates(const std::vector<CDocRecvisits>& linked, std::vector<std::string>& texts,
        std::vector<CLineRecord>& records, std::size_t row) override;
    bool KeepsRowsWhileConfirming() const override { return keepsRowsWhileConfirming; }
    void ShowProgress(std::size_t steps) override;
    void StepProgress() override { ++progressStepped; }
    void HideProgress() override { progressVisible = false; }
    void SetTitle(const std::string& text) override { title = text; }
    void BringToFront() override { ++broughtToFront; }
    bool MoveToTrash(const std::string& path) override;
    bool StopRequested() override { return stopRequested; }
    bool PlacesCertainLinksOnly() const override { return placesCertainLinksOnly; }

    // The texts of all messages shown, in order.
    std::vector<std::string> MessageTexts() const;

private:
    ManualTagAnswer ManualTag(const std::string& which, const ManualTagRequest& request);
};
