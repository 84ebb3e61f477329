#include "shell/analysis_dialogs.h"

#include <QApplication>
#include <QCursor>

#include "orvo/orvo_link_dict.h"
#include "shell/blocknote_dlg.h"
#include "shell/inner_tag_dlg.h"
#include "shell/insert_inner_tag_dlg.h"
#include "shell/select_num_dlg.h"
#include "shell/select_orvo_doc_dlg.h"
#include "shell/select_recv_dlg.h"
#include "view/qt_text.h"

namespace {

// The analyses keep the wait cursor up for the whole pass; a question put to the person shows the
// ordinary arrow while it is open.
class CArrowWhileAsking {
public:
    CArrowWhileAsking()
        : m_pushed(QApplication::overrideCursor() != nullptr)
    {
        if (m_pushed)
            QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~CArrowWhileAsking()
    {
        if (m_pushed)
            QApplication::restoreOverrideCursor();
    }
    CArrowWhileAsking(const CArrowWhileAsking&) = delete;
    CArrowWhileAsking& operator=(const CArrowWhileAsking&) = delete;

private:
    bool m_pushed;
};

} // namespace

SelectDocumentsResult RunSelectOrvoDocDlg(QWidget* parent, const SelectDocumentsRequest& request)
{
    CArrowWhileAsking arrow;
    CSelectOrvoDocDlg dlg(request.candidates, FromCp1251(request.contextText), FromCp1251(request.dateText),
        FromCp1251(request.fontFace), request.fontPitchAndFamily, request.notepad, parent);
    SelectDocumentsResult result;
    result.endCode = dlg.exec() == QDialog::Accepted ? AnswerOk : AnswerCancel;
    result.mode = dlg.Mode();
    result.number = dlg.Number();
    result.chosen = dlg.Chosen();
    return result;
}

InnerTagAnswer RunInsertInnerTagDlg(QWidget* parent, const InnerTagRequest& request)
{
    CArrowWhileAsking arrow;
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
    CArrowWhileAsking arrow;
    CSelectRecvDlg dlg(requisites, localBase, parent);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    requisites = dlg.Requisites();
    localBase = dlg.LocalBase();
    return true;
}

std::optional<InnerTagEntry> RunInnerTagDlg(QWidget* parent, const std::deque<std::int32_t>& recentNumbers)
{
    CArrowWhileAsking arrow;
    CInnerTagDlg dlg(recentNumbers, parent);
    if (dlg.exec() != QDialog::Accepted)
        return std::nullopt;
    return InnerTagEntry { dlg.Tag(), ToCp1251(dlg.NumberText()) };
}

std::optional<std::string> RunSelectNumDlg(
    QWidget* parent, const std::deque<std::int32_t>& recentNumbers, const COrvoLinkDict& notepad)
{
    CArrowWhileAsking arrow;
    CSelectNumDlg dlg(recentNumbers, &notepad, parent);
    if (dlg.exec() != QDialog::Accepted)
        return std::nullopt;
    return ToCp1251(dlg.NumberText());
}

std::optional<std::int32_t> RunBlocknoteDlg(QWidget* parent, const COrvoLinkDict& notepad)
{
    CArrowWhileAsking arrow;
    CBlocknoteDlg dlg(notepad, parent);
    if (dlg.exec() != QDialog::Accepted)
        return std::nullopt;
    return dlg.ChosenNumber();
}
