#include "cli/auto_ui.h"

#include <cstdio>

#include "core/indexing_progress.h"
#include "core/platform.h"

int CAutoUi::MessageBox(const std::string& text, MsgIcon icon, MsgButtons buttons)
{
    if (m_drawn) {
        std::fputs("\n", stderr);
        m_drawn = false;
    }
    switch (icon) {
    case MsgIcon::Error:
        ++m_errors;
        std::fprintf(stderr, "ошибка: %s\n", text.c_str());
        break;
    case MsgIcon::Warning:
        std::fprintf(stderr, "внимание: %s\n", text.c_str());
        break;
    case MsgIcon::Question:
        std::fprintf(stderr, "%s — %s\n", text.c_str(), buttons == MsgButtons::OkCancel ? "Отмена" : "Нет");
        break;
    case MsgIcon::Information:
        std::fprintf(stdout, "%s\n", text.c_str());
        std::fflush(stdout);
        break;
    }
    switch (buttons) {
    case MsgButtons::Ok:
        return AnswerOk;
    case MsgButtons::OkCancel:
        return AnswerCancel;
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
        return AnswerNo;
    }
    return AnswerCancel;
}

bool CAutoUi::AskSaveFileName(const FileDialogRequest&, std::string&) { return false; }

bool CAutoUi::AskOpenFileName(const FileDialogRequest&, std::string&, int&) { return false; }

bool CAutoUi::EditStringList(const std::string&, const std::string&, std::vector<std::string>&) { return false; }

bool CAutoUi::EditRecvDict(const std::string&, const std::string&, CRecvDict&) { return false; }

void CAutoUi::ProcessEvents() { DrawProgress(false); }

void CAutoUi::ShowIndexingProgress(CIndexingProgress* progress)
{
    if (!progress && m_progress)
        DrawProgress(true);
    if (!progress && m_drawn) {
        std::fputs("\n", stderr);
        m_drawn = false;
    }
    m_progress = progress;
}

void CAutoUi::DrawProgress(bool force)
{
    if (!m_progress || !platform::IsTerminal(stderr))
        return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && m_drawn && now - m_lastDraw < std::chrono::milliseconds(200))
        return;
    m_lastDraw = now;
    const int percent = m_progress->Percent();
    char bar[31];
    const int filled = percent * 30 / 100;
    for (int i = 0; i < 30; ++i)
        bar[i] = i < filled ? '#' : '.';
    bar[30] = '\0';
    const std::string remaining = m_progress->RemainingText();
    std::fprintf(stderr, "\rИндексирование [%s] %3d%%  прошло %s  осталось %s ", bar, percent,
        m_progress->ElapsedText().c_str(), remaining.empty() ? "--:--" : remaining.c_str());
    std::fflush(stderr);
    m_drawn = true;
}
