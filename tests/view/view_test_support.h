#pragma once

// What the view tests share: a user interface that is never asked anything, a frame that keeps
// what the view writes into it, rows made to order, and an answerer for the modal dialogs the
// view opens (message boxes, go to line, fonts), which come up inside the command under test.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "base/codepage.h"
#include "core/line_record.h"
#include "seam/user_interface.h"
#include "view/frame_services.h"

class CQuietUi : public CUserInterface {
public:
    // What the engine said and how often it beeped; every question is answered with Cancel.
    std::vector<std::string> messages;
    std::vector<std::string> statusTexts;
    int beeps = 0;

    bool AskRecover(const std::string&) override { return false; }
    int MessageBox(const std::string& text, MsgIcon, MsgButtons) override
    {
        messages.push_back(text);
        return AnswerCancel;
    }
    bool AskSaveFileName(const FileDialogRequest&, std::string&) override { return false; }
    using CUserInterface::AskOpenFileName;
    bool AskOpenFileName(const FileDialogRequest&, std::string&, int&) override { return false; }
    void SetWaitCursor(bool) override {}
    void ProcessEvents() override {}
    void ShowIndexingProgress(CIndexingProgress*) override {}
    bool EditStringList(const std::string&, const std::string&, std::vector<std::string>&) override { return false; }
    bool EditRecvDict(const std::string&, const std::string&, CRecvDict&) override { return false; }
    bool EditOptions(std::string&, std::string&) override { return false; }
    bool EditHotDocuments(std::vector<std::int32_t>&) override { return false; }
    bool EditNotepad(COrvoLinkDict&) override { return false; }
    SelectDocumentsResult SelectDocuments(const SelectDocumentsRequest&) override { return {}; }
    InnerTagAnswer AskInnerTagParameters(const InnerTagRequest&) override { return {}; }
    bool SelectRequisites(CDocRecvisits&, bool&) override { return false; }
    ManualTagAnswer AskOrvoTagNumber(const ManualTagRequest&) override { return {}; }
    ManualTagAnswer AskInnerTag(const ManualTagRequest&) override { return {}; }
    void Beep() override { ++beeps; }
    void ShowStatusText(const std::string& text) override { statusTexts.push_back(text); }
    void FillList(const std::vector<std::string>&, const std::vector<CLineRecord>&, bool) override {}
    void GetLines(std::vector<std::string>&, std::vector<CLineRecord>*) override {}
    void SelectLine(std::size_t) override {}
    void RemoveAllRows() override {}
    void ClearUndo() override {}
    int AskTagCandidates(const std::vector<CDocRecvisits>&, std::vector<std::string>&, std::vector<CLineRecord>&,
        std::size_t) override
    {
        return AnswerCancel;
    }
    void ShowProgress(std::size_t) override {}
    void StepProgress() override {}
    void HideProgress() override {}
    void SetTitle(const std::string&) override {}
    void BringToFront() override {}
    bool MoveToTrash(const std::string&) override { return false; }
    bool StopRequested() override { return false; }
};

class CRecordingFrame : public CFrameServices {
public:
    QString linePane;
    QString suspiciousPane;
    QString requisites = QStringLiteral("(untouched)");
    bool barVisible = true;

    void SetLinePane(const QString& text) override { linePane = text; }
    void SetSuspiciousPane(const QString& text) override { suspiciousPane = text; }
    void SetRequisitesText(const QString& text) override { requisites = text; }
    bool IsRequisitesBarVisible() const override { return barVisible; }
};

// Code page 1251 from a UTF-8 literal of the test.
inline std::string Cp(const char* utf8) { return codepage::Utf8ToCp1251(utf8); }

inline CLineRecord SuspectRecord(bool orvo, bool local, int kinds)
{
    CLineRecord r;
    r.nKind = Suspicious;
    r.bSuspectOrvo = orvo ? 1 : 0;
    r.bSuspectLocal = local ? 1 : 0;
    if (kinds > 0)
        r.recvFound.types.push_back(Cp("ЗАКОН"));
    if (kinds > 1)
        r.recvFound.bodies.push_back(Cp("ГОСДУМА"));
    if (kinds > 2)
        r.recvFound.numbers.push_back("21");
    if (kinds > 3)
        r.recvFound.adoptionDates.push_back(COleDate::FromText(2004, 3, 1));
    return r;
}

inline CLineRecord LinkRecord(LineKind kind, std::int32_t number)
{
    CLineRecord r;
    r.nKind = kind;
    CDocRecvisits& linked = (kind == OrvoLinkExisting || kind == OrvoLinkNew) ? r.recvOrvo : r.recvLocal;
    linked.nBaseNumber = number;
    linked.types.push_back(Cp("ЗАКОН"));
    linked.name = Cp("О документе номер ") + std::to_string(number);
    return r;
}

// Answers modal dialogs in the order they open. Each answer gets the dialog; a dialog with no
// answer left is rejected and counted, so a test never hangs on a box it did not expect.
class CModalAnswerer : public QObject {
public:
    struct Seen {
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
    };

    CModalAnswerer()
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { Poll(); });
        m_timer.start();
    }

    void Then(std::function<void(QWidget*)> answer) { m_answers.push_back(std::move(answer)); }
    // The next message box is answered with this button.
    void Press(QMessageBox::StandardButton button)
    {
        Then([button](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal))
                if (QAbstractButton* b = box->button(button)) {
                    b->click();
                    return;
                }
            modal->close();
        });
    }

    std::vector<Seen> seen;
    int unexpected = 0;
    bool Done() const { return m_answers.empty(); }

private:
    void Poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || (m_last && modal == m_last.data()))
            return;
        m_last = modal;
        Seen s;
        s.title = modal->windowTitle();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            s.text = box->text();
            s.icon = box->icon();
        }
        seen.push_back(s);
        if (m_answers.empty()) {
            ++unexpected;
            modal->close();
            return;
        }
        auto answer = std::move(m_answers.front());
        m_answers.pop_front();
        answer(modal);
    }

    QTimer m_timer;
    QPointer<QWidget> m_last;
    std::deque<std::function<void(QWidget*)>> m_answers;
};
