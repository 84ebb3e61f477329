#pragma once

// The commands by which the editor changes the document by hand: placing inter-base and
// intra-base tags (by number, from the hot documents, from a search), deleting, cutting, copying,
// pasting and moving tag lines, re-analysing one line with chosen requisites, committing an
// anchor edit, and the undo history of those changes. They work on the rows the view shows through
// CLineRows (recorded for the history), and ask the person everything through the user-interface seam, so every command
// runs without a window in the tests.

#include <cstdint>
#include <string>
#include <vector>

#include "core/line_record.h"
#include "document/line_rows.h"
#include "document/undo_history.h"

class CTelvarionDoc;
class CUserInterface;
struct ManualTagAnswer;

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
        Redo,
        ChooseRequisites,
    };
    // One tag line and its record, the editor's own clipboard (not the system's).
    struct Clipboard {
        std::string text;
        CLineRecord record;
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
    // The rows as the editor changes them: whatever changes rows through them within a step
    // (Step) is one step of the history.
    CRecordingRows& Rows() { return m_recorder; }
    CUndoHistory& History() { return m_history; }
    const CUndoHistory& History() const { return m_history; }
    // A step of the history named for the "Правка" menu, from here to the end of the scope.
    CUndoScope Step(std::string name) { return CUndoScope(m_history, m_recorder, std::move(name)); }
    bool HasUndo() const { return m_history.CanUndo(); }
    bool HasRedo() const { return m_history.CanRedo(); }
    void ClearUndo() { m_history.Clear(); }

    // A pass asks whether the tags it just placed stay. While it waits, those tags (their
    // records are marked awaiting) cannot be deleted, cut, moved or edited, and the steps
    // taken before the question, the last of which placed them, cannot be undone.
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
    void RedoLastUndone();
    void ChooseRequisites();
    // Inserts a new tag row at row and marks its anchor in the row after it.
    void InsertTagRow(int row, std::string text, CLineRecord record);
    bool MarkAnchorBelow(int tagRow);
    void NotFound(std::int32_t number);

    CTelvarionDoc& m_doc;
    CUserInterface& m_ui;
    CUndoHistory m_history;
    CRecordingRows m_recorder;
    CLineRows& m_rows;
    Clipboard m_clipboard;
    bool m_questionOpen = false;
    // While the question is open: the last step taken before it.
    std::uint64_t m_questionFloor = 0;
};
