#pragma once

// The commands by which the editor changes the document by hand: placing inter-base and
// intra-base tags (by number, from the hot documents, from a search), deleting, cutting, copying,
// pasting and moving tag lines, re-analysing one line with chosen requisites, committing an
// anchor edit, and the one-level undo that toggles. They work on the rows the view shows through
// CLineRows, and ask the person everything through the user-interface seam, so every command
// runs without a window in the tests.

#include <cstdint>
#include <string>
#include <vector>

#include "core/line_record.h"

class CTelvarionDoc;
class CUserInterface;
struct ManualTagAnswer;

// The rows of the open document as the view holds them: texts and line records, one for one.
class CLineRows {
public:
    virtual ~CLineRows() = default;
    virtual int Count() const = 0;
    virtual const std::string& Text(int row) const = 0;
    virtual const CLineRecord& Record(int row) const = 0;
    // The selected row, or -1 when not exactly one row is selected.
    virtual int Selected() const = 0;
    virtual void SetText(int row, std::string text) = 0;
    // The state of a review row kept on its line (CLineRecord::ReviewState).
    virtual void SetReviewState(int row, bool local, std::uint8_t state) = 0;
    // The line goes in at row; the rows from there on move down by one.
    virtual void Insert(int row, std::string text, CLineRecord record) = 0;
    virtual void Remove(int row) = 0;
    virtual void Swap(int a, int b) = 0;
    virtual void Copy(std::vector<std::string>& texts, std::vector<CLineRecord>& records) const = 0;
    // All rows anew, the view staying where it was.
    virtual void Replace(std::vector<std::string> texts, std::vector<CLineRecord> records) = 0;
    // Selects and shows the row (with its link in the requisites bar); a row outside the rows
    // selects nothing.
    virtual void Select(int row) = 0;
    virtual void ClearSelection() = 0;
};

class CTagEditor {
public:
    enum class Command {
        PlaceOrvoTag,
        PlaceInnerTag,
        DeleteTag,
        CutTag,
        CopyTag,
        PasteTag,
        MoveDown,
        MoveUp,
        Undo,
        ChooseRequisites,
    };
    // One tag line and its record, the editor's own clipboard (not the system's).
    struct Clipboard {
        std::string text;
        CLineRecord record;
    };
    // All rows as they were before the last change.
    struct Snapshot {
        std::vector<std::string> texts;
        std::vector<CLineRecord> records;
    };

    CTagEditor(CTelvarionDoc& doc, CUserInterface& ui, CLineRows& rows);

    bool IsEnabled(Command command) const;
    // Runs the command; one whose enabling rule fails (reached by a key) does nothing.
    void Run(Command command);

    // Ctrl+digit: a tag for hot document slot 0..9 before the selected row.
    void InsertHotTag(int slot);
    // A tag for an Orvo document found by a search, before the selected row (before the first
    // when none is selected).
    void InsertOrvoTagByNumber(std::int32_t number);
    // The anchor editor has ended over row with the new text: one undo step.
    void CommitLineEdit(int row, std::string text);

    const Clipboard& GetClipboard() const { return m_clipboard; }
    const Snapshot& GetSnapshot() const { return m_snapshot; }
    bool HasUndo() const { return !m_snapshot.texts.empty(); }
    void TakeSnapshot();
    void ClearUndo() { m_snapshot = Snapshot(); }

    // A pass asks whether the tags it just placed stay. While it waits, those tags (their
    // records are marked awaiting) cannot be deleted, cut, moved or edited, and an undo step
    // taken before the question, which would take them away, waits too.
    void SetQuestionOpen(bool open);
    bool IsAwaiting(int row) const;

    // The later-adoption-date questions: false when the person declines the tag.
    bool AcceptsLaterDates(const CDocRecvisits& linked, bool orvo);

private:
    void PlaceOrvoTag();
    void PlaceInnerTag();
    // Looks the number of the dialog's answer up in the base and places its tag.
    void PlaceManualTag(bool orvo, const ManualTagAnswer& answer);
    // The document a tag placed by hand links to; "not found" is said here.
    bool LookUpManual(bool orvo, const std::string& numberText, CDocRecvisits& linked);
    void DeleteTag();
    void CopyTag();
    void CutTag();
    void PasteTag();
    void MoveTag(int step);
    void UndoLastChange();
    void ChooseRequisites();
    // Inserts a new tag row at row and marks its anchor in the row after it.
    void InsertTagRow(int row, std::string text, CLineRecord record);
    bool MarkAnchorBelow(int tagRow);
    void NotFound(std::int32_t number);

    CTelvarionDoc& m_doc;
    CUserInterface& m_ui;
    CLineRows& m_rows;
    Clipboard m_clipboard;
    Snapshot m_snapshot;
    bool m_questionOpen = false;
    bool m_undoBeforeQuestion = false;
};
