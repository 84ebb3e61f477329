#include "cli/auto_ui.h"

#include <cstdio>

#include "seam/indexing_progress.h"
#include "base/platform.h"
#include "core/tag_line.h"

int CAutoUi::MessageBox(const std::string& text, MsgIcon icon, MsgButtons buttons)
{
    EndBar();
    switch (icon) {
    case MsgIcon::Error:
        ++m_errors;
        Write(true, "ошибка: " + text + "\n");
        break;
    case MsgIcon::Warning:
        Write(true, "внимание: " + text + "\n");
        break;
    case MsgIcon::Question:
        Write(true, text + " — " + (buttons == MsgButtons::OkCancel ? "Отмена" : "Нет") + "\n");
        break;
    case MsgIcon::Information:
        Write(false, text + "\n");
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

void CAutoUi::Write(bool toErr, const std::string& text)
{
    if (m_capture) {
        (toErr ? m_capturedErr : m_capturedOut) += text;
        return;
    }
    std::FILE* stream = toErr ? stderr : stdout;
    std::fputs(text.c_str(), stream);
    if (!toErr)
        std::fflush(stdout);
}

bool CAutoUi::AskSaveFileName(const FileDialogRequest&, std::string&) { return false; }

bool CAutoUi::AskOpenFileName(const FileDialogRequest&, std::string&, int&) { return false; }

bool CAutoUi::EditStringList(const std::string&, const std::string&, std::vector<std::string>&) { return false; }

bool CAutoUi::EditRecvDict(const std::string&, const std::string&, CRecvDict&) { return false; }

SelectDocumentsResult CAutoUi::SelectDocuments(const SelectDocumentsRequest& request)
{
    // single: "Нет", nothing chosen, the pass goes on. paired: the candidates cited together.
    SelectDocumentsResult result;
    result.endCode = AnswerOk;
    if (m_policy != Policy::Paired)
        return result;
    for (std::size_t k = 0; k < request.candidates.size() && k < request.agreements.size(); ++k)
        if (ChosenWhenPaired(request.agreements[k]))
            result.chosen.push_back(request.candidates[k]);
    return result;
}

void CAutoUi::NoteTagsPlaced(std::int32_t tagKind, std::size_t count, bool amongSeveral)
{
    std::vector<bool>& choices = tagKind == InnerLinkNew ? m_localChoices : m_orvoChoices;
    choices.insert(choices.end(), count, amongSeveral);
}

void CAutoUi::NoteReviewRow(const CReviewNote& note)
{
    if (note.kind == LineClass::Link)
        (note.local ? m_localReasons : m_orvoReasons)
            .insert((note.local ? m_localReasons : m_orvoReasons).end(), note.linked.size(), note.why);
}

InnerTagAnswer CAutoUi::AskInnerTagParameters(const InnerTagRequest& request)
{
    InnerTagAnswer answer;
    if (m_policy == Policy::Scan) {
        answer.answer = AnswerNo;
        return answer;
    }
    answer.answer = AnswerYes;
    answer.tag = FormatLocalTag(LinkKinds()[kNullLinkKind].code, request.number, 0, false, false);
    return answer;
}

void CAutoUi::FillList(const std::vector<std::string>& texts, const std::vector<CLineRecord>& records, bool)
{
    m_texts = texts;
    m_records = records;
}

void CAutoUi::GetLines(std::vector<std::string>& texts, std::vector<CLineRecord>* records)
{
    texts = m_texts;
    if (records)
        *records = m_records;
}

void CAutoUi::RemoveAllRows()
{
    m_texts.clear();
    m_records.clear();
}

int CAutoUi::AskTagCandidates(const std::vector<CDocRecvisits>&, std::vector<std::string>&, std::vector<CLineRecord>&,
    std::size_t)
{
    return m_policy == Policy::Scan ? AnswerNo : AnswerYes;
}

void CAutoUi::ShowProgress(std::size_t steps)
{
    m_passSteps = steps;
    m_passDone = 0;
    DrawBar(0, "", true);
}

void CAutoUi::StepProgress()
{
    ++m_passDone;
    if (m_passSteps)
        DrawBar(static_cast<int>(m_passDone * 100 / m_passSteps), "", false);
}

void CAutoUi::HideProgress()
{
    m_passSteps = 0;
    EndBar();
}

void CAutoUi::ProcessEvents() { DrawProgress(false); }

void CAutoUi::ShowIndexingProgress(CIndexingProgress* progress)
{
    if (!progress && m_progress)
        DrawProgress(true);
    if (!progress)
        EndBar();
    m_progress = progress;
}

void CAutoUi::DrawProgress(bool force)
{
    // Called for every line of an import: the texts are made only when they are drawn.
    if (!m_progress || !DueToDraw(force))
        return;
    const std::string remaining = m_progress->RemainingText();
    DrawBar(m_progress->Percent(),
        "  прошло " + m_progress->ElapsedText() + "  осталось " + (remaining.empty() ? "--:--" : remaining), force);
}

bool CAutoUi::DueToDraw(bool force) const
{
    if (!m_terminal)
        return false;
    return force || !m_drawn || std::chrono::steady_clock::now() - m_lastDraw >= std::chrono::milliseconds(200);
}

void CAutoUi::DrawBar(int percent, const std::string& tail, bool force)
{
    if (!DueToDraw(force))
        return;
    m_lastDraw = std::chrono::steady_clock::now();
    percent = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    char bar[31];
    const int filled = percent * 30 / 100;
    for (int i = 0; i < 30; ++i)
        bar[i] = i < filled ? '#' : '.';
    bar[30] = '\0';
    std::fprintf(stderr, "\r[%s] %3d%%%s ", bar, percent, tail.c_str());
    std::fflush(stderr);
    m_drawn = true;
}

void CAutoUi::EndBar()
{
    if (m_drawn) {
        std::fputs("\n", stderr);
        m_drawn = false;
    }
}
