#pragma once

// The command-line tool's answers to what the engine asks: no person is there, so every question
// is answered No (Cancel where there is no No), dialogs are cancelled, errors go to stderr and
// results to stdout. On a terminal the import's progress is drawn on stderr.

#include <chrono>

#include "core/user_interface.h"

class CAutoUi : public CUserInterface {
public:
    int MessageBox(const std::string& text, MsgIcon icon, MsgButtons buttons) override;
    using CUserInterface::AskOpenFileName;
    bool AskSaveFileName(const FileDialogRequest& request, std::string& path) override;
    bool AskOpenFileName(const FileDialogRequest& request, std::string& path, int& filterIndex) override;
    bool EditStringList(const std::string& title, const std::string& column, std::vector<std::string>& strings) override;
    bool EditRecvDict(const std::string& caption, const std::string& column, CRecvDict& dict) override;
    void SetWaitCursor(bool) override { }
    void ProcessEvents() override;
    void ShowIndexingProgress(CIndexingProgress* progress) override;

    int ErrorCount() const { return m_errors; }

private:
    void DrawProgress(bool force);

    int m_errors = 0;
    CIndexingProgress* m_progress = nullptr;
    bool m_drawn = false;
    std::chrono::steady_clock::time_point m_lastDraw;
};
