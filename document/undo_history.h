#pragma once

// The undo history of the open document: a list of steps, each holding only what it changed, never
// a copy of the document. A step is a list of edits of the rows (at a row, the rows that stood
// there before, the rows that stand there after), the selected row before and after, its name for
// the "Правка" menu, and the bookmarks as they were when it ended. The rows change only through a
// recording CLineRows (CRecordingRows) that writes each edit into the open step; steps nest, an
// outer step absorbing the inner ones. Bookmarks are no steps: those toggled after the last step
// go back with its undo and come again with its redo.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/line_record.h"
#include "document/line_rows.h"

struct CUndoRow {
    std::string text;
    CLineRecord record;
};

// The rows from at: before they were `before`, after they are `after`. Edits of one step follow
// each other: at counts the rows as the edits before it left them.
struct CUndoEdit {
    int at = 0;
    std::vector<CUndoRow> before;
    std::vector<CUndoRow> after;
};

struct CUndoStep {
    std::string name;
    int selectedBefore = -1;
    int selectedAfter = -1;
    std::vector<CUndoEdit> edits;
    // The rows bookmarked when the step ended, in order.
    std::vector<int> bookmarksAfter;
    // The bookmarks toggled after the step and taken back by its undo: (row, flag) put again by a redo.
    std::vector<std::pair<int, std::uint8_t>> laterBookmarks;
    std::size_t bytes = 0;
    std::uint64_t id = 0; // in the order the steps were taken
};

bool SameRecord(const CLineRecord& a, const CLineRecord& b);
// The bytes a row held by a step takes, its heap included.
std::size_t UndoRowBytes(const CUndoRow& row);

// The edits that turn rows into texts/records: the rows in common at both ends are left out, and
// between them only the runs that differ are kept, so that two changes far apart never keep the
// rows between them.
std::vector<CUndoEdit> DiffRows(
    const CLineRows& rows, const std::vector<std::string>& texts, const std::vector<CLineRecord>& records);

class CUndoHistory {
public:
    // At least this many steps are kept, and the steps together hold at most kMaxBytes; the
    // oldest go first. A single step larger than that is kept alone.
    static constexpr std::size_t kMaxSteps = 1000;
    static constexpr std::size_t kMaxBytes = std::size_t(64) << 20;

    // Called whenever what undo and redo would do changes (the menu's captions follow).
    std::function<void()> onChange;

    bool IsOpen() const { return m_depth > 0; }
    // A step begins; nested, it joins the one already open.
    void Begin(std::string name, int selected);
    // The outermost step ends: kept when it changed something, and the redo steps go.
    void End(const CLineRows& rows);
    // The open step's name (known only once it is under way).
    void Rename(std::string name);
    // One edit of the open step; a change of a single row the step changed already is folded in.
    void Record(CUndoEdit edit);
    // Edits recorded outside any step: rows the history cannot follow, so it is cleared.
    void Lost() { Clear(); }

    bool CanUndo() const { return !m_depth && !m_undo.empty(); }
    bool CanRedo() const { return !m_depth && !m_redo.empty(); }
    const std::string& UndoName() const;
    const std::string& RedoName() const;
    std::size_t UndoCount() const { return m_undo.size(); }
    std::size_t RedoCount() const { return m_redo.size(); }
    std::size_t Bytes() const { return m_bytes; }
    // The id of the step an undo would take back; 0 when none.
    std::uint64_t TopId() const { return m_undo.empty() ? 0 : m_undo.back().id; }

    // Takes the last step back on rows (its later bookmarks first) / puts the last undone step
    // again. keepAwaiting false: the awaiting marks of a question answered since mean nothing
    // and are cleared. False when there is nothing to do.
    // The first undo after a change keeps the selected row where it is, as the one-level undo
    // always did; an undo further back selects the row that was selected before its step.
    bool Undo(CLineRows& rows, bool keepAwaiting);
    bool Redo(CLineRows& rows, bool keepAwaiting);
    void Clear();

    // Where the history stands: to take back what was recorded since (a placement its question
    // declined) when nothing else was recorded after it.
    struct CMark {
        std::size_t steps = 0;
        std::size_t openEdits = 0;
        std::uint64_t serial = 0;
    };
    CMark Mark() const { return { m_undo.size(), m_open.edits.size(), m_serial }; }
    // The edits recorded since mark are taken back on rows and forgotten (the step they made, when
    // no step was open, goes too). Only right after the recording of those edits. The rows
    // changed in place keep the bookmarks set on them meanwhile.
    void RollBack(CLineRows& rows, const CMark& mark);

private:
    void Commit(CUndoStep step);
    void Trim();
    void Changed();

    int m_depth = 0;
    CUndoStep m_open;
    std::vector<CUndoStep> m_undo; // oldest first
    std::vector<CUndoStep> m_redo; // the next redo last
    std::size_t m_bytes = 0;
    std::uint64_t m_serial = 0;
};

// The rows as the tag editor and the review change them: every change goes to inner and, while a
// step is open, into the history.
class CRecordingRows : public CLineRows {
public:
    CRecordingRows(CLineRows& inner, CUndoHistory& history)
        : m_inner(inner)
        , m_history(history)
    {
    }
    CLineRows& Inner() { return m_inner; }

    int Count() const override { return m_inner.Count(); }
    const std::string& Text(int row) const override { return m_inner.Text(row); }
    const CLineRecord& Record(int row) const override { return m_inner.Record(row); }
    int Selected() const override { return m_inner.Selected(); }
    void SetText(int row, std::string text) override;
    void SetReviewState(int row, bool local, std::uint8_t state) override;
    void Set(int row, std::string text, CLineRecord record) override;
    void Insert(int row, std::string text, CLineRecord record) override;
    void Remove(int row) override;
    void Swap(int a, int b) override;
    void Copy(std::vector<std::string>& texts, std::vector<CLineRecord>& records) const override
    {
        m_inner.Copy(texts, records);
    }
    void Replace(std::vector<std::string> texts, std::vector<CLineRecord> records) override;
    void Select(int row) override { m_inner.Select(row); }
    void ClearSelection() override { m_inner.ClearSelection(); }

private:
    void Note(CUndoEdit edit);
    CUndoRow Row(int row) const { return { m_inner.Text(row), m_inner.Record(row) }; }

    CLineRows& m_inner;
    CUndoHistory& m_history;
};

// A step from here to the end of the scope.
class CUndoScope {
public:
    CUndoScope(CUndoHistory& history, const CLineRows& rows, std::string name)
        : m_history(history)
        , m_rows(rows)
    {
        m_history.Begin(std::move(name), rows.Selected());
    }
    ~CUndoScope() { m_history.End(m_rows); }
    CUndoScope(const CUndoScope&) = delete;
    CUndoScope& operator=(const CUndoScope&) = delete;

private:
    CUndoHistory& m_history;
    const CLineRows& m_rows;
};
