#pragma once

// The user interface of the tests: every question is recorded, every answer comes from a queue
// the test fills beforehand. A question with no answer queued fails the test.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/user_interface.h"
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

    // Recorded questions.
    std::vector<Message> messages;
    std::vector<FileQuestion> fileQuestions;
    std::vector<ListEdit> listQuestions;
    std::vector<std::string> recvQuestions; // captions
    int waitCursorDepth = 0;
    int waitCursorShown = 0;      // how many times the wait cursor was turned on
    long long eventTurns = 0;     // calls of ProcessEvents
    CIndexingProgress* progress = nullptr; // the progress dialog shown now
    int progressShown = 0;
    // Called at every ProcessEvents, so a test can act "while the work runs" (press Cancel...).
    std::function<void(CScriptedUi&)> onEvents;

    int MessageBox(const std::string& text, MsgIcon icon, MsgButtons buttons) override;
    bool AskSaveFileName(const FileDialogRequest& request, std::string& path) override;
    using CUserInterface::AskOpenFileName;
    bool AskOpenFileName(const FileDialogRequest& request, std::string& path, int& filterIndex) override;
    void SetWaitCursor(bool on) override;
    void ProcessEvents() override;
    void ShowIndexingProgress(CIndexingProgress* progress) override;
    bool EditStringList(const std::string& title, const std::string& column, std::vector<std::string>& strings) override;
    bool EditRecvDict(const std::string& caption, const std::string& column, CRecvDict& dict) override;

    // The texts of all messages shown, in order.
    std::vector<std::string> MessageTexts() const;
};
