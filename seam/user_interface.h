#pragma once

// What the engine asks of a person or of the window. The desktop program answers with real
// dialogs, the command-line tool with a fixed policy, the tests from a script.
//
// Texts handed to the interface (messages, titles, captions, file paths) are UTF-8; records and
// dictionary values inside the dialog structs stay in code page 1251, as the engine holds them.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "requisites/certainty.h"
#include "requisites/citation.h"
#include "requisites/doc_recvisits.h"

class CIndexingProgress;
struct CLineRecord;
class COrvoLinkDict;
class CRecvDict;

// Answers of message boxes, with the values the system has always used.
enum Answer : int { AnswerOk = 1, AnswerCancel = 2, AnswerYes = 6, AnswerNo = 7 };

enum class MsgIcon { Error, Warning, Question, Information };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };

struct FileDialogRequest {
    std::string title;       // empty: the toolkit's own caption
    std::string defaultExt;  // without the point, e.g. "txt"
    std::string fileName;    // proposed name, e.g. "Словарь"
    std::string filter;      // "Текстовые файлы(*.txt)|*.txt||"
    std::string initialDir;  // empty: wherever the toolkit remembers
    bool confirmOverwrite = false;
};

// The candidates dialog: several documents fit a line; the person picks some, types a number, or
// declines.
struct SelectDocumentsRequest {
    std::vector<CDocRecvisits> candidates;
    std::vector<CCandidateAgreement> agreements; // one per candidate, in the same order
    std::string contextText; // code page 1251, the lines around the suspicious line joined by '\n'
    std::string dateText;    // the document's effective date, "%d.%m.%Y"
    std::string fontFace;    // the document's display font, code page 1251
    std::uint8_t fontPitchAndFamily = 1;
    const COrvoLinkDict* notepad = nullptr;
    bool localBase = false; // the candidates are documents of the local base, not of Orvo
    // The line asked about, when the question comes from an analysis pass: its index among the
    // rows the pass holds (which the window shows behind the dialog), and among the lines of
    // contextText. npos and nullptr otherwise. The rows live only for the call.
    static constexpr std::size_t kNoLine = static_cast<std::size_t>(-1);
    std::size_t line = kNoLine;
    std::size_t contextLine = kNoLine;
    const std::vector<std::string>* rows = nullptr;
    const std::vector<CLineRecord>* rowRecords = nullptr;
    // The candidates the analysis is certain of (indexes), preselected; empty: none.
    std::vector<std::size_t> certain;
};

// A line the analysis without questions decided or left open, told as it goes: one row of the
// review. The tags placed for it and the line itself carry the row's id in their record
// (CLineRecord::ReviewId of the base), wherever they move.
struct CReviewNote {
    std::uint32_t id = 0;
    bool local = false; // the local base; else Orvo
    LineClass kind = LineClass::Open;
    LineWhy why = LineWhy::Undecided;
    std::size_t candidateCount = 0;
    std::vector<CDocRecvisits> linked; // the documents of the tags placed, in their order
    // What marking the tags' anchors replaced, so that rejecting the row puts it back: the line
    // as text lines from the row's line (tags not counted), the position, the character.
    struct CAnchorChange {
        int lineOffset = 0;
        std::uint16_t position = 0;
        char original = ' ';
    };
    std::vector<CAnchorChange> anchorChanges;
};

struct SelectDocumentsResult {
    int endCode = AnswerCancel; // AnswerOk or AnswerCancel
    int mode = 0;               // 0: chosen from the list ("Нет" chooses none); 1: a number was typed
    std::int32_t number = 0;    // mode 1
    std::vector<CDocRecvisits> chosen; // mode 0, in list order
};

// The intra-base tag parameters dialog for a document the analysis has chosen.
struct InnerTagRequest {
    std::string text;        // Describe of the document, code page 1251
    std::int32_t number = 0; // its number in base
};

// The tag dialogs of the tag commands: a number picker for an inter-base tag and the intra-base
// tag dialog, which composes the whole tag line.
struct ManualTagRequest {
    const std::deque<std::int32_t>* recentNumbers = nullptr;
    const COrvoLinkDict* notepad = nullptr; // the inter-base picker only; may be null
    // Looks the typed number up before the dialog closes; false (after saying so) keeps the
    // dialog open with the number selected. May be empty.
    std::function<bool(const std::string& numberText)> accepts;
};
struct ManualTagAnswer {
    bool ok = false;
    std::string numberText; // as typed
    std::string tag;        // the intra-base dialog: the composed tag line, code page 1251
};

struct InnerTagAnswer {
    int answer = AnswerCancel; // AnswerYes, AnswerNo or AnswerCancel
    std::string tag;           // the composed tag line when the answer is AnswerYes
};

class CUserInterface {
public:
    virtual ~CUserInterface() = default;

    // A message box with the application's name as caption; returns one of Answer.
    virtual int MessageBox(const std::string& text, MsgIcon icon, MsgButtons buttons = MsgButtons::Ok) = 0;
    // The question after a program ended without saving (icon Question): true for
    // "Восстановить" (the default button), false for "Не восстанавливать".
    virtual bool AskRecover(const std::string& text) = 0;

    // File dialogs; false when the person cancels. The path is UTF-8.
    virtual bool AskSaveFileName(const FileDialogRequest& request, std::string& path) = 0;
    // filterIndex: on return, the filter the person chose (0 for the first).
    virtual bool AskOpenFileName(const FileDialogRequest& request, std::string& path, int& filterIndex) = 0;
    bool AskOpenFileName(const FileDialogRequest& request, std::string& path)
    {
        int filterIndex = 0;
        return AskOpenFileName(request, path, filterIndex);
    }

    // Long work: the wait cursor, a turn for the window's pending events, and the import's
    // progress dialog over an engine-side model (nullptr closes it).
    virtual void SetWaitCursor(bool on) = 0;
    virtual void ProcessEvents() = 0;
    virtual void ShowIndexingProgress(CIndexingProgress* progress) = 0;

    // The string dictionary dialog over a working copy of the strings (code page 1251). True when
    // it ended with OK and the copy was changed; the caller then takes the copy.
    virtual bool EditStringList(const std::string& title, const std::string& column, std::vector<std::string>& strings)
        = 0;

    // The requisite value dictionary dialog over a working copy. True when it ended with OK and
    // its modified flag was set; the caller then takes the copy.
    virtual bool EditRecvDict(const std::string& caption, const std::string& column, CRecvDict& dict) = 0;

    // Settings dialogs, each over a working copy; true on OK (for the notepad: OK after a change).
    virtual bool EditOptions(std::string& inputFolder, std::string& outputFolder) = 0;
    virtual bool EditHotDocuments(std::vector<std::int32_t>& slots) = 0;
    virtual bool EditNotepad(COrvoLinkDict& notepad) = 0;

    // The dialogs of the analyses.
    virtual SelectDocumentsResult SelectDocuments(const SelectDocumentsRequest& request) = 0;
    virtual InnerTagAnswer AskInnerTagParameters(const InnerTagRequest& request) = 0;
    // The requisite selection: requisites in, the ticked ones out; localBase is the process-wide
    // base choice, read and written back on OK. False on cancel.
    virtual bool SelectRequisites(CDocRecvisits& requisites, bool& localBase) = 0;

    // The tag commands placing a tag by hand: the number of an Orvo document, or the whole
    // intra-base tag with its document's number.
    virtual ManualTagAnswer AskOrvoTagNumber(const ManualTagRequest& request) = 0;
    virtual ManualTagAnswer AskInnerTag(const ManualTagRequest& request) = 0;
    // The warning sound.
    virtual void Beep() = 0;
    // A short word in the status bar, for what the warning sound alone would say (a machine
    // without sound says nothing otherwise). UTF-8.
    virtual void ShowStatusText(const std::string& text) { (void)text; }
    // The line view. The view holds the rows while a document is open; the engine hands them over
    // and takes them back.
    // selectFirst: select row 0 afterwards (after opening and re-analysis).
    virtual void FillList(const std::vector<std::string>& texts, const std::vector<CLineRecord>& records, bool selectFirst)
        = 0;
    // The same with lists the engine needs no more: they go over without a copy where the
    // interface can take them so (a large document then never exists twice over at once).
    virtual void HandOverList(std::vector<std::string>&& texts, std::vector<CLineRecord>&& records, bool selectFirst)
    {
        FillList(texts, records, selectFirst);
    }
    virtual void GetLines(std::vector<std::string>& texts, std::vector<CLineRecord>* records) = 0;
    virtual void SelectLine(std::size_t row) = 0;
    virtual void RemoveAllRows() = 0;
    virtual void ClearUndo() = 0;
    // The name the undo history gives the whole fills of the rows that follow (FillList): what
    // the analyses changed since the rows were last shown is one step. UTF-8.
    virtual void NameFills(const std::string& name) { (void)name; }
    // Shows the rows, selects the row, and asks whether the tags just placed stay: AnswerYes,
    // AnswerNo or AnswerCancel. The rows may change while the question is open; texts and records
    // come back as the view holds them when it is answered.
    virtual int AskTagCandidates(const std::vector<CDocRecvisits>& linked, std::vector<std::string>& texts,
        std::vector<CLineRecord>& records, std::size_t row)
        = 0;
    // True when the rows stay as they are while AskTagCandidates is open, bookmark flags aside,
    // and the interface makes do with the rows up to a few past the one asked about. The analyses
    // then keep only the lines around a suspicious line for taking its tags back, instead of a
    // copy of the whole text, and hold the lines further below outside the lists.
    virtual bool KeepsRowsWhileConfirming() const { return false; }
    // True when the analyses leave out a candidate that is the open document itself before
    // anything is placed or asked (an automatic policy); the window shows it, marked.
    virtual bool LeavesTheDocumentItself() const { return false; }
    // Told before each line's tags are confirmed: their kind, how many, and whether they were
    // chosen among several candidates (or were the line's only candidate).
    virtual void NoteTagsPlaced(std::int32_t tagKind, std::size_t count, bool amongSeveral)
    {
        (void)tagKind;
        (void)count;
        (void)amongSeveral;
    }

    // True when the analyses place the certain links only, without a question, mark them not yet
    // reviewed and leave the other lines for the review (the analysis without questions).
    virtual bool PlacesCertainLinksOnly() const { return false; }
    // Told of every line such an analysis linked or left open, in text order per base.
    virtual void NoteReviewRow(const CReviewNote& note) { (void)note; }
    // After such an analysis of a document opened: the review takes the place of the statistics'
    // message (the statistics, UTF-8, go into its header and the status bar).
    virtual void ShowReview(const std::string& statistics) { (void)statistics; }

    // The main window: progress indicator of the passes, title, foreground.
    virtual void ShowProgress(std::size_t steps) = 0;
    virtual void StepProgress() = 0;
    virtual void HideProgress() = 0;
    virtual void SetTitle(const std::string& title) = 0;
    virtual void BringToFront() = 0;
    // Delete to the recycle bin; false when it failed or the person aborted it.
    virtual bool MoveToTrash(const std::string& path) = 0;
    // The person asked a running pass to stop (closing the window, say).
    virtual bool StopRequested() = 0;
};

// The wait cursor for the life of a scope.
class CWaitCursor {
public:
    explicit CWaitCursor(CUserInterface& ui)
        : m_ui(ui)
    {
        m_ui.SetWaitCursor(true);
    }
    ~CWaitCursor() { m_ui.SetWaitCursor(false); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    CUserInterface& m_ui;
};

// Messages are written once, in the source's UTF-8; these helpers keep the call sites short.
inline void ShowError(CUserInterface& ui, const std::string& text) { ui.MessageBox(text, MsgIcon::Error); }
inline void ShowInfo(CUserInterface& ui, const std::string& text) { ui.MessageBox(text, MsgIcon::Information); }
