#include "shell/qt_user_interface.h"

#include <utility>

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>

#include "core/line_record.h"
#include "document/telvarion_doc.h"
#include "orvo/orvo_dict.h"
#include "orvo/orvo_link_dict.h"
#include "shell/analysis_dialogs.h"
#include "shell/dictionary_dlg.h"
#include "shell/hot_docs_dlg.h"
#include "shell/main_frame.h"
#include "shell/options_dlg.h"
#include "shell/orvo_link_dict_dlg.h"
#include "shell/platform/system_trash.h"
#include "shell/progress_indexing_dlg.h"
#include "shell/recv_dict_dlg.h"
#include "shell/review/review_settings.h"
#include "storage/recv_dict.h"
#include "view/telvarion_view.h"

namespace {

// Questions asked in the middle of long work get the ordinary pointer back while they are open.
class CArrowCursor {
public:
    explicit CArrowCursor(bool waiting)
        : m_on(waiting)
    {
        if (m_on)
            QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~CArrowCursor()
    {
        if (m_on)
            QApplication::restoreOverrideCursor();
    }
    CArrowCursor(const CArrowCursor&) = delete;
    CArrowCursor& operator=(const CArrowCursor&) = delete;

private:
    bool m_on;
};

QMessageBox::Icon BoxIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Error:
        return QMessageBox::Critical;
    case MsgIcon::Warning:
        return QMessageBox::Warning;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Information:
        return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

// Windows patterns in Qt's words: "*.*" means every file, ";" separates patterns.
QString QtPatterns(const QString& patterns)
{
    QStringList list = patterns.split(u';', Qt::SkipEmptyParts);
    for (QString& p : list) {
        p = p.trimmed();
        if (p == QLatin1String("*.*"))
            p = QStringLiteral("*");
    }
    list.removeAll(QString());
    return list.join(u' ');
}

// The folder the last file dialog ended in, for dialogs that name none.
QString& LastFolder()
{
    static QString folder;
    return folder;
}

} // namespace

CQtUserInterface::CQtUserInterface() = default;

CQtUserInterface::~CQtUserInterface() { delete m_indexing; }

void CQtUserInterface::Attach(CMainFrame* frame, CTelvarionView* view)
{
    if (m_frame)
        m_frame->SetUserInterface(nullptr);
    m_frame = frame;
    m_view = view;
    if (frame)
        frame->SetUserInterface(this);
    m_orvoDocuments = view ? &view->Document().orvoMaker.documents : nullptr;
}

QWidget* CQtUserInterface::DialogParent() const
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return m_frame.data();
}

QStringList CQtUserInterface::ConvertFilter(const std::string& filter)
{
    QStringList parts = QString::fromStdString(filter).split(u'|');
    while (!parts.isEmpty() && parts.back().isEmpty())
        parts.pop_back();
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i].trimmed();
        const QString patterns = QtPatterns(parts[i + 1]);
        // Qt reads the patterns from the parentheses of the name, so they must be there and be Qt's.
        const qsizetype open = name.lastIndexOf(u'(');
        if (open >= 0 && name.endsWith(u')') && name.mid(open).contains(u'*'))
            name = name.left(open).trimmed();
        result << (patterns.isEmpty() ? name : name + QStringLiteral(" (") + patterns + u')');
    }
    return result;
}

int CQtUserInterface::MessageBox(const std::string& text, MsgIcon icon, MsgButtons buttons)
{
    CArrowCursor arrow(m_waitDepth > 0);
    QMessageBox box(DialogParent());
    box.setObjectName(QStringLiteral("TelvarionMessageBox"));
    box.setWindowTitle(QStringLiteral("Telvarion"));
    box.setText(QString::fromStdString(text));
    box.setIcon(BoxIcon(icon));

    struct Choice {
        QMessageBox::StandardButton button;
        const char16_t* text;
        int answer;
    };
    std::vector<Choice> choices;
    switch (buttons) {
    case MsgButtons::Ok:
        choices = { { QMessageBox::Ok, u"OK", AnswerOk } };
        break;
    case MsgButtons::OkCancel:
        choices = { { QMessageBox::Ok, u"OK", AnswerOk }, { QMessageBox::Cancel, u"Отмена", AnswerCancel } };
        break;
    case MsgButtons::YesNo:
        choices = { { QMessageBox::Yes, u"Да", AnswerYes }, { QMessageBox::No, u"Нет", AnswerNo } };
        break;
    case MsgButtons::YesNoCancel:
        choices = { { QMessageBox::Yes, u"Да", AnswerYes }, { QMessageBox::No, u"Нет", AnswerNo },
            { QMessageBox::Cancel, u"Отмена", AnswerCancel } };
        break;
    }
    for (const Choice& c : choices)
        box.addButton(c.button)->setText(QString::fromUtf16(c.text));
    box.setDefaultButton(choices.front().button);
    box.exec();

    QAbstractButton* clicked = box.clickedButton();
    for (const Choice& c : choices)
        if (clicked == box.button(c.button))
            return c.answer;
    // Closed without a button: what Escape would have answered.
    return choices.size() == 1 ? choices.front().answer : choices.back().answer;
}

bool CQtUserInterface::AskRecover(const std::string& text)
{
    CArrowCursor arrow(m_waitDepth > 0);
    QMessageBox box(DialogParent());
    box.setObjectName(QStringLiteral("TelvarionMessageBox"));
    box.setWindowTitle(QStringLiteral("Telvarion"));
    box.setText(QString::fromStdString(text));
    box.setIcon(QMessageBox::Question);
    QPushButton* recover = box.addButton(QStringLiteral("Восстановить"), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(QStringLiteral("Не восстанавливать"), QMessageBox::RejectRole);
    recover->setObjectName(QStringLiteral("recoverButton"));
    discard->setObjectName(QStringLiteral("discardButton"));
    box.setDefaultButton(recover);
    box.setEscapeButton(discard);
    box.exec();
    return box.clickedButton() == recover;
}

bool CQtUserInterface::RunFileDialog(const FileDialogRequest& request, bool save, std::string& path, int& filterIndex)
{
    filterIndex = 0;
    if (m_fileDialogHook)
        return m_fileDialogHook(request, save, path, filterIndex);

    CArrowCursor arrow(m_waitDepth > 0);
    QFileDialog dialog(DialogParent());
    dialog.setObjectName(QStringLiteral("TelvarionFileDialog"));
    dialog.setWindowTitle(request.title.empty() ? (save ? QStringLiteral("Сохранить как") : QStringLiteral("Открыть"))
                                                : QString::fromStdString(request.title));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    // Qt's own dialog speaks English unless told otherwise; a native one uses the system's words.
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Папка:"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Имя файла:"));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Тип файлов:"));
    dialog.setLabelText(QFileDialog::Accept, save ? QStringLiteral("Сохранить") : QStringLiteral("Открыть"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Отмена"));

    const QStringList filters = ConvertFilter(request.filter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    if (!request.defaultExt.empty())
        dialog.setDefaultSuffix(QString::fromStdString(request.defaultExt));
    const QString folder = request.initialDir.empty() ? LastFolder() : QString::fromStdString(request.initialDir);
    if (!folder.isEmpty())
        dialog.setDirectory(folder);
    if (!request.fileName.empty())
        dialog.selectFile(QString::fromStdString(request.fileName));

    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    const QString chosen = dialog.selectedFiles().constFirst();
    LastFolder() = dialog.directory().absolutePath();
    path = chosen.toStdString();
    filterIndex = std::max<int>(0, static_cast<int>(filters.indexOf(dialog.selectedNameFilter())));
    return true;
}

bool CQtUserInterface::AskSaveFileName(const FileDialogRequest& request, std::string& path)
{
    int filterIndex = 0;
    return RunFileDialog(request, true, path, filterIndex);
}

bool CQtUserInterface::AskOpenFileName(const FileDialogRequest& request, std::string& path, int& filterIndex)
{
    return RunFileDialog(request, false, path, filterIndex);
}

void CQtUserInterface::SetWaitCursor(bool on)
{
    if (on) {
        ++m_waitDepth;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (m_waitDepth > 0) {
        --m_waitDepth;
        QApplication::restoreOverrideCursor();
    }
}

void CQtUserInterface::ProcessEvents()
{
    if (m_progressSink && !m_progressSink->TurnDue())
        return;
    if (m_indexing)
        m_indexing->Refresh();
    QCoreApplication::processEvents();
}

void CQtUserInterface::ShowIndexingProgress(CIndexingProgress* progress)
{
    delete m_indexing;
    if (!progress)
        return;
    m_indexing = new CProgressIndexingDlg(*progress, m_frame.data());
    // Shown, not run: the import keeps the loop. The rest of the window waits for it.
    m_indexing->setWindowModality(Qt::ApplicationModal);
    m_indexing->show();
    m_indexing->raise();
}

bool CQtUserInterface::EditStringList(const std::string& title, const std::string& column, std::vector<std::string>& strings)
{
    CArrowCursor arrow(m_waitDepth > 0);
    // The caller's list changes only when the person ends with OK after a change.
    std::vector<std::string> working = strings;
    CDictionaryDlg dialog(*this, QString::fromStdString(title), QString::fromStdString(column), working, DialogParent());
    if (dialog.exec() != QDialog::Accepted || !dialog.IsModified())
        return false;
    strings = std::move(working);
    return true;
}

bool CQtUserInterface::EditRecvDict(const std::string& caption, const std::string& column, CRecvDict& dict)
{
    CArrowCursor arrow(m_waitDepth > 0);
    CRecvDict working = dict;
    CRecvDictDlg dialog(*this, QString::fromStdString(caption), QString::fromStdString(column), working, DialogParent());
    if (dialog.exec() != QDialog::Accepted || !dialog.IsModified())
        return false;
    dict = std::move(working);
    return true;
}

bool CQtUserInterface::EditOptions(std::string& inputFolder, std::string& outputFolder)
{
    CArrowCursor arrow(m_waitDepth > 0);
    COptionsDlg dialog(*this, QString::fromStdString(inputFolder), QString::fromStdString(outputFolder), DialogParent());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    inputFolder = dialog.InputFolder().toStdString();
    outputFolder = dialog.OutputFolder().toStdString();
    return true;
}

bool CQtUserInterface::EditHotDocuments(std::vector<std::int32_t>& hotSlots)
{
    CArrowCursor arrow(m_waitDepth > 0);
    CHotDocsDlg dialog(*this, hotSlots, DialogParent());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    hotSlots = dialog.Slots();
    return true;
}

bool CQtUserInterface::EditNotepad(COrvoLinkDict& notepad)
{
    CArrowCursor arrow(m_waitDepth > 0);
    // Without the Orvo base every number is unknown; the notepad can still be ordered and trimmed.
    COrvoDict noDocuments;
    COrvoLinkDict working = notepad;
    COrvoLinkDictDlg dialog(*this, working, m_orvoDocuments ? *m_orvoDocuments : noDocuments, DialogParent());
    if (dialog.exec() != QDialog::Accepted || !dialog.IsModified())
        return false;
    notepad = std::move(working);
    return true;
}

SelectDocumentsResult CQtUserInterface::SelectDocuments(const SelectDocumentsRequest& request)
{
    CArrowCursor arrow(m_waitDepth > 0);
    // The line asked about stands selected in the view behind the dialog.
    if (m_view && request.rows && request.rowRecords)
        m_view->ShowPassRow(*request.rows, *request.rowRecords, request.line);
    return RunSelectOrvoDocDlg(DialogParent(), request);
}

InnerTagAnswer CQtUserInterface::AskInnerTagParameters(const InnerTagRequest& request)
{
    CArrowCursor arrow(m_waitDepth > 0);
    return RunInsertInnerTagDlg(DialogParent(), request);
}

bool CQtUserInterface::SelectRequisites(CDocRecvisits& requisites, bool& localBase)
{
    CArrowCursor arrow(m_waitDepth > 0);
    return RunSelectRecvDlg(DialogParent(), requisites, localBase);
}

ManualTagAnswer CQtUserInterface::AskOrvoTagNumber(const ManualTagRequest& request)
{
    CArrowCursor arrow(m_waitDepth > 0);
    static const std::deque<std::int32_t> noNumbers;
    static const COrvoLinkDict noNotepad;
    ManualTagAnswer answer;
    if (const auto number = RunSelectNumDlg(DialogParent(), request.recentNumbers ? *request.recentNumbers : noNumbers,
            request.notepad ? *request.notepad : noNotepad, request.accepts)) {
        answer.ok = true;
        answer.numberText = *number;
    }
    return answer;
}

ManualTagAnswer CQtUserInterface::AskInnerTag(const ManualTagRequest& request)
{
    CArrowCursor arrow(m_waitDepth > 0);
    static const std::deque<std::int32_t> noNumbers;
    ManualTagAnswer answer;
    if (const auto entry
        = RunInnerTagDlg(DialogParent(), request.recentNumbers ? *request.recentNumbers : noNumbers, request.accepts)) {
        answer.ok = true;
        answer.numberText = entry->numberText;
        answer.tag = entry->tag;
    }
    return answer;
}

void CQtUserInterface::Beep() { QApplication::beep(); }

void CQtUserInterface::ShowStatusText(const std::string& text)
{
    if (m_frame)
        m_frame->statusBar()->showMessage(QString::fromStdString(text), 5000);
}

bool CQtUserInterface::PlacesCertainLinksOnly() const { return ReviewWithoutQuestions(); }

void CQtUserInterface::ShowReview(const std::string& statistics)
{
    if (m_frame)
        m_frame->ShowReview(QString::fromStdString(statistics));
}

void CQtUserInterface::FillList(
    const std::vector<std::string>& texts, const std::vector<CLineRecord>& records, bool selectFirst)
{
    if (m_view)
        m_view->FillList(texts, records, selectFirst);
}

void CQtUserInterface::HandOverList(
    std::vector<std::string>&& texts, std::vector<CLineRecord>&& records, bool selectFirst)
{
    if (m_view)
        m_view->HandOverList(std::move(texts), std::move(records), selectFirst);
}

void CQtUserInterface::GetLines(std::vector<std::string>& texts, std::vector<CLineRecord>* records)
{
    if (m_view) {
        m_view->GetLines(texts, records);
        return;
    }
    texts.clear();
    if (records)
        records->clear();
}

void CQtUserInterface::SelectLine(std::size_t row)
{
    if (m_view)
        m_view->SelectLine(row);
}

void CQtUserInterface::RemoveAllRows()
{
    if (m_view)
        m_view->RemoveAllRows();
}

void CQtUserInterface::ClearUndo()
{
    if (m_view)
        m_view->ClearUndo();
}

void CQtUserInterface::NameFills(const std::string& name)
{
    if (m_view)
        m_view->NameFills(name);
}

int CQtUserInterface::AskTagCandidates(const std::vector<CDocRecvisits>& linked, std::vector<std::string>& texts,
    std::vector<CLineRecord>& records, std::size_t row)
{
    if (!m_view)
        return AnswerYes;
    CArrowCursor arrow(m_waitDepth > 0);
    return m_view->AskTagCandidates(linked, texts, records, row);
}

void CQtUserInterface::ShowProgress(std::size_t steps)
{
    if (m_progressSink)
        m_progressSink->ShowProgress(steps);
    else if (m_frame)
        m_frame->ShowProgress(steps);
}

void CQtUserInterface::StepProgress()
{
    if (m_progressSink)
        m_progressSink->StepProgress();
    else if (m_frame)
        m_frame->StepProgress();
}

void CQtUserInterface::HideProgress()
{
    if (m_progressSink)
        m_progressSink->HideProgress();
    else if (m_frame)
        m_frame->HideProgress();
}

void CQtUserInterface::SetTitle(const std::string& title)
{
    if (m_frame)
        m_frame->SetTitle(QString::fromStdString(title));
}

void CQtUserInterface::BringToFront()
{
    if (m_frame)
        m_frame->BringToFront();
}

bool CQtUserInterface::MoveToTrash(const std::string& path) { return MoveToSystemTrash(QString::fromStdString(path)); }

bool CQtUserInterface::StopRequested()
{
    if (m_progressSink)
        return m_progressSink->StopRequested();
    return m_frame && m_frame->StopRequested();
}
