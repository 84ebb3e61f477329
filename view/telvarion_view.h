#pragma once

// The one view of the open document: a list of its lines, each with the picture of its state.
// It holds the rows (texts and line records, one for one) while a document is open, navigates
// between suspicious lines, links and bookmarks, finds text, and asks the confirmation of the
// analyses. The rows live in a list model; nothing is stored in item widgets.

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include <QListView>

#include "core/line_record.h"

class CFrameServices;
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
};

class CTelvarionView : public QListView {
    Q_OBJECT
public:
    explicit CTelvarionView(CTelvarionDoc& doc, QWidget* parent = nullptr);
    ~CTelvarionView() override;

    void SetFrame(CFrameServices* frame);

    // The operations the engine uses through the user-interface seam.
    void FillList(const std::vector<std::string>& texts, const std::vector<CLineRecord>& records, bool selectFirst);
    void GetLines(std::vector<std::string>& texts, std::vector<CLineRecord>* records) const;
    void SelectLine(std::size_t row);
    void RemoveAllRows();
    void ClearUndo();
    // The modeless confirmation of the tags just placed; 6, 7 or 2.
    int AskTagCandidates(const std::vector<CDocRecvisits>& linked, std::vector<std::string>& texts,
        std::vector<CLineRecord>& records, std::size_t row);

    void UpdateStatusPanes();
    void RefreshPictures();
    std::array<int, 14>& ShownPictures();

    bool IsEnabled(ViewCommand command) const;
    void Run(ViewCommand command);

    CLineModel& Model();
    CTelvarionDoc& Document();

private:
    struct Impl;
    Impl* m;
};
