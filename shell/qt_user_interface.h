#pragma once

// The engine's user interface in the desktop program: real message boxes and file dialogs, the
// wait cursor, the event turns of long passes, and the main window and line view behind the
// operations the analyses call.

#include <functional>

#include <QPointer>
#include <QString>

#include "seam/user_interface.h"

class CMainFrame;
class COrvoDict;
class CProgressIndexingDlg;
class CTelvarionView;
class QWidget;

class CQtUserInterface : public CUserInterface {
public:
    // A dialog that runs a long operation shows its progress in a bar of its own, and closing it
    // stops the operation.
    class CProgressSink {
    public:
        virtual void ShowProgress(std::size_t steps) = 0;
        virtual void StepProgress() = 0;
        virtual void HideProgress() = 0;
        virtual bool StopRequested() = 0;
        // Whether the window's turn is due now: a loop over millions of records asks for one
        // every few dozen records, far more often than the window needs.
        virtual bool TurnDue() { return true; }

    protected:
        ~CProgressSink() = default;
    };

    CQtUserInterface();
    ~CQtUserInterface() override;

    // The window the questions belong to and the view the rows live in; nullptr detaches.
    void Attach(CMainFrame* frame, CTelvarionView* view);
    // Where the notepad dialog looks up the numbers it adds (Attach takes the view's document's);
    // nullptr when there is no Orvo base.
    void SetOrvoDocuments(COrvoDict* documents) { m_orvoDocuments = documents; }

    // Replaces the file dialogs (tests, scripted runs): gets the request and whether it saves,
    // returns false for Cancel.
    using FileDialogHook
        = std::function<bool(const FileDialogRequest& request, bool save, std::string& path, int& filterIndex)>;
    void SetFileDialogHook(FileDialogHook hook) { m_fileDialogHook = std::move(hook); }

    // "Name (*.x)|*.x|Other|*.y||" in Qt's form, one entry per filter, in order.
    static QStringList ConvertFilter(const std::string& filter);

    // While a sink is set, the progress operations and StopRequested serve it instead of the main
    // window; nullptr gives them back to the window.
    void SetProgressSink(CProgressSink* sink) { m_progressSink = sink; }

    int MessageBox(const std::string& text, MsgIcon icon, MsgButtons buttons) override;
    bool AskRecover(const std::string& text) override;
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
    ManualTagAnswer AskOrvoTagNumber(const ManualTagRequest& request) override;
    ManualTagAnswer AskInnerTag(const ManualTagRequest& request) override;
    void Beep() override;
    void ShowStatusText(const std::string& text) override;
    // "Ставить уверенные ссылки без вопросов" (Параметры, the Телварион menu, the toolbar).
    bool PlacesCertainLinksOnly() const override;
    void ShowReview(const std::string& statistics) override;

    void FillList(const std::vector<std::string>& texts, const std::vector<CLineRecord>& records, bool selectFirst) override;
    void HandOverList(std::vector<std::string>&& texts, std::vector<CLineRecord>&& records, bool selectFirst) override;
    void GetLines(std::vector<std::string>& texts, std::vector<CLineRecord>* records) override;
    void SelectLine(std::size_t row) override;
    void RemoveAllRows() override;
    void ClearUndo() override;
    void NameFills(const std::string& name) override;
    int AskTagCandidates(const std::vector<CDocRecvisits>& linked, std::vector<std::string>& texts,
        std::vector<CLineRecord>& records, std::size_t row) override;

    void ShowProgress(std::size_t steps) override;
    void StepProgress() override;
    void HideProgress() override;
    void SetTitle(const std::string& title) override;
    void BringToFront() override;
    bool MoveToTrash(const std::string& path) override;
    bool StopRequested() override;

private:
    // The parent of a question: the dialog open now, else the main window.
    QWidget* DialogParent() const;
    bool RunFileDialog(const FileDialogRequest& request, bool save, std::string& path, int& filterIndex);

    QPointer<CMainFrame> m_frame;
    CTelvarionView* m_view = nullptr;
    COrvoDict* m_orvoDocuments = nullptr;
    CProgressSink* m_progressSink = nullptr;
    FileDialogHook m_fileDialogHook;
    // A child of the window: it goes with the window if the window goes first.
    QPointer<CProgressIndexingDlg> m_indexing;
    int m_waitDepth = 0;
};
