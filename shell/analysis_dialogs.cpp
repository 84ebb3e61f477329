#include "shell/analysis_dialogs.h"

#include <algorithm>
#include <climits>

#include "orvo/orvo_link_dict.h"
#include "shell/blocknote_dlg.h"
#include "shell/inner_tag_dlg.h"
#include "shell/insert_inner_tag_dlg.h"
#include "shell/select_num_dlg.h"
#include "shell/select_orvo_doc_dlg.h"
#include "shell/select_recv_dlg.h"
#include "view/qt_text.h"

SelectDocumentsResult RunSelectOrvoDocDlg(QWidget* parent, const SelectDocumentsRequest& request)
{
    CSelectOrvoDocDlg dlg(request.candidates, FromCp1251(request.contextText), FromCp1251(request.dateText),
        FromCp1251(request.fontFace), request.fontPitchAndFamily, request.notepad, parent);
    // What the analysis is certain of comes first; else the candidates cited together.
    const bool preselect = PreselectsCitedTogether();
    dlg.SetAgreements(request.agreements, preselect && request.certain.empty());
    if (preselect && !request.certain.empty())
        dlg.Preselect(request.certain);
    dlg.SetQuestion(request.localBase,
        request.contextLine == SelectDocumentsRequest::kNoLine
            ? -1
            : static_cast<int>(std::min<std::size_t>(request.contextLine, INT_MAX)),
        request.line != SelectDocumentsRequest::kNoLine);
    SelectDocumentsResult result;
    result.endCode = dlg.exec() == QDialog::Accepted ? AnswerOk : AnswerCancel;
    result.mode = dlg.Mode();
    result.number = dlg.Number();
    result.chosen = dlg.Chosen();
    return result;
}

InnerTagAnswer RunInsertInnerTagDlg(QWidget* parent, const InnerTagRequest& request)
{
    CInsertInnerTagDlg dlg(FromCp1251(request.text), request.number, parent);
    dlg.exec();
    InnerTagAnswer answer;
    answer.answer = dlg.Answer();
    if (answer.answer == AnswerYes)
        answer.tag = dlg.Tag();
    return answer;
}

bool RunSelectRecvDlg(QWidget* parent, CDocRecvisits& requisites, bool& localBase)
{
    CSelectRecvDlg dlg(requisites, localBase, parent);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    requisites = dlg.Requisites();
    localBase = dlg.LocalBase();
    return true;
}

std::optional<InnerTagEntry> RunInnerTagDlg(
    QWidget* parent, const std::deque<std::int32_t>& recentNumbers, const std::function<bool(const std::string&)>& accepts)
{
    CInnerTagDlg dlg(recentNumbers, parent);
    if (accepts)
        dlg.SetCheck([&accepts](const QString& typed) { return accepts(ToCp1251(typed)); });
    if (dlg.exec() != QDialog::Accepted)
        return std::nullopt;
    return InnerTagEntry { dlg.Tag(), ToCp1251(dlg.NumberText()) };
}

std::optional<std::string> RunSelectNumDlg(QWidget* parent, const std::deque<std::int32_t>& recentNumbers,
    const COrvoLinkDict& notepad, const std::function<bool(const std::string&)>& accepts)
{
    CSelectNumDlg dlg(recentNumbers, &notepad, parent);
    if (accepts)
        dlg.SetCheck([&accepts](const QString& typed) { return accepts(ToCp1251(typed)); });
    if (dlg.exec() != QDialog::Accepted)
        return std::nullopt;
    return ToCp1251(dlg.NumberText());
}

std::optional<std::int32_t> RunBlocknoteDlg(QWidget* parent, const COrvoLinkDict& notepad)
{
    CBlocknoteDlg dlg(notepad, parent);
    if (dlg.exec() != QDialog::Accepted)
        return std::nullopt;
    return dlg.ChosenNumber();
}
