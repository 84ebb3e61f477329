#pragma once

// The one view of the open document: a list of its lines, each with the picture of its state.
// It holds the rows (texts and line records, one for one) while a document is open, navigates
// between suspicious lines, links and bookmarks, finds text, and asks the confirmation of the
// analyses. The rows live in a list model; nothing is stored in item widgets.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QPointer>

#include "core/line_record.h"
#include "document/tag_editor.h"
#include "view/findable_list_view.h"
#include "view/pictures.h"

class CFrameServices;
class CInPlaceEdit;
class CInsertTagDlg;
class CLineDelegate;
class CLineModel;
class CTelvarionDoc;

// The view's commands, for the frame's actions and their enabling.
enum class ViewCommand {
    NextSuspicious,
    PrevSuspicious,
    NextOrvoLink,
    PrevOrvoLink,
    NextInnerLink,
    PrevInnerLink,
    Find,
    FindNext,
    GoToLine,
    ChangeFont,
    ShownPictures,
    ToggleBookmark,
    NextBookmark,
    PrevBookmark,
    ClearBookmarks,
    ShowFoundRequisites,
    ShowLinkedDocument,
    // The tag commands.
    PlaceOrvoTag,
    PlaceInnerTag,
    DeleteTag,
    CutTag,
    CopyTag,
    PasteTag,
    MoveLineUp,
    MoveLineDown,
    Undo,
    Redo,
    ChooseRequisites,
};

class CTelvarionView : public CFindableListView {
    Q_OBJECT
public:
    explicit CTelvarionView(CTelvarionDoc& doc, QWidget* parent = nullptr);
    ~CTelvarionView() override;

    void SetFrame(CFrameServices* frame);

    // The operations the engine uses through the user-interface seam.
    void FillList(const std::vector<std::string>& texts, const std::vector<CLineRecord>& records, bool selectFirst);
    // The same with lists the caller gives up: they become the rows without a copy.
    void HandOverList(std::vector<std::string>&& texts, std::vector<CLineRecord>&& records, bool selectFirst);
    void GetLines(std::vector<std::string>& texts, std::vector<CLineRecord>* records) const;
    void SelectLine(std::size_t row);
    // Before a question about a row of a pass: the pass's rows, when the view shows others (tags
    // taken back since it last showed them), with the row selected and scrolled to.
    void ShowPassRow(const std::vector<std::string>& texts, const std::vector<CLineRecord>& records, std::size_t row);
    void RemoveAllRows();
    // A new document (or none): nothing to undo, and the next fill is its rows as read.
    void ClearUndo();
    // The name of the undo step a whole fill of the rows from the engine is ("разбор документа").
    void NameFills(std::string name) { m_fillName = std::move(name); }
    // The modeless confirmation of the tags just placed; 6, 7 or 2.
    int AskTagCandidates(const std::vector<CDocRecvisits>& linked, std::vector<std::string>& texts,
        std::vector<CLineRecord>& records, std::size_t row);
    // Whether the confirmation is waiting for its answer.
    bool IsAsking() const;

    void UpdateStatusPanes();
    void RefreshPictures();
    std::array<int, 14>& ShownPictures();
    // New flags from the shown-pictures settings; the pictures follow.
    void SetShownPictures(const ShownPicturesFlags& flags);
    // Suspicious lines shown by the flags, as counted by the last RefreshPictures.
    int ShownSuspiciousCount() const { return m_shownSuspicious; }

    bool IsEnabled(ViewCommand command) const;
    void Run(ViewCommand command);

    CLineModel& Model();
    CTelvarionDoc& Document();

    // The selected row, or -1 when no single row is selected.
    int SelectedRow() const { return SingleSelectedRow(); }
    // Fills the requisites bar for the selected row.
    void ShowLinkRequisites();
    // The view font from the document's settings; once the settings are loaded (the view does it
    // by itself when first shown).
    void ApplyDocumentFont();
    // Switches to the font and keeps its face and pitch in the document's settings.
    void SetViewFont(const QFont& font);
    // Go to line with a number counted from 1; one outside the rows selects nothing.
    void GoToLineNumber(int number);
    // Ctrl+digit: the tag of hot document slot 0..9 before the selected row. An empty slot only
    // beeps.
    void InsertHotTag(int slot);
    // A tag for an Orvo document the search found, before the selected row.
    void InsertOrvoTagByNumber(std::int32_t number);

    // The tag commands, with their clipboard and undo history.
    CTagEditor& Editor() { return *m_editor; }
    // The rows as the tag editor and the review see them: changes go through the model (and
    // into the undo history), the selection through SelectLine.
    CLineRows& Rows();
    bool HasUndo() const { return m_editor->HasUndo(); }

    // The in-place anchor editor over the row (any open one ends first); -1: the selected row.
    void OpenInPlaceEditor(int row = -1);
    // The in-place anchor editor open over a row, if any; while one is, Left and Right belong to it.
    QWidget* InPlaceEditor() const { return m_inPlaceEditor; }
    void SetInPlaceEditor(QWidget* editor) { m_inPlaceEditor = editor; }

public slots:
    // Answers an open confirmation with Отмена (the window is closing, say).
    void CancelQuestion();

signals:
    // The shown-pictures command: the settings dialog is the frame's; it calls SetShownPictures.
    void ShownPicturesRequested();
    // What undo and redo would do has changed.
    void HistoryChanged();

protected:
    std::string RowText(int row) const override;
    void RowFound(int row) override;
    int TextOffset(const QModelIndex& index) const override;
    int TextWidth(const QModelIndex& index) const override;
    void PaintTip(QPainter& painter, const QRect& rect, const QModelIndex& index) const override;

    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    enum class Direction { Next, Previous };
    // The navigation of suspicious lines and links: search on from the selection, offer to wrap.
    template <typename Match>
    void Navigate(Direction direction, Match match, const QString& askFromStart, const QString& askFromEnd,
        const QString& notFoundNext, const QString& notFoundPrevious);
    void NavigateBookmark(Direction direction);
    void ToggleBookmark();
    void ClearBookmarks();
    void GoToLine();
    void ChangeFont();
    void ShowFoundRequisites();
    void ShowLinkedDocument();
    void SelectAndReport(int row);
    void InPlaceEditEnded(CInPlaceEdit* editor);
    void DropInPlaceEditor();
    // Fills the rows; the difference from the rows shown is a step of the history named name,
    // unless the rows are a new document's.
    // placedRow: the fill of a pass's question about the tags from that row; what changed
    // elsewhere in the records alone (the marks of a pass) is no part of the placement's step.
    void FillRows(std::vector<std::string> texts, std::vector<CLineRecord> records, bool selectFirst,
        const std::string& name, int placedRow = -1);
    class CViewRows;

    CTelvarionDoc& m_doc;
    CLineModel* m_model;
    CLineDelegate* m_delegate;
    CFrameServices* m_frame = nullptr;
    int m_shownSuspicious = 0;
    bool m_initialised = false;
    QPointer<CInsertTagDlg> m_question;
    QPointer<QWidget> m_inPlaceEditor;
    std::unique_ptr<CViewRows> m_rows;
    std::unique_ptr<CTagEditor> m_editor;
    bool m_fillIsBase = true;
    std::string m_fillName = "разбор документа";
};
