#pragma once

// The program's own pictures, drawn by code so they stay sharp at every size: the toolbar
// buttons, the program icon and the splash picture.

#include <QIcon>
#include <QPixmap>

enum class IconId {
    None,
    Open,
    Reanalyse,
    Save,
    DeleteFile,
    CutTag,
    CopyTag,
    PasteTag,
    DeleteTag,
    Undo,
    Redo,
    PlaceOrvoTag,
    PlaceInnerTag,
    ChooseRequisites,
    FoundRequisites,
    LinkedDocument,
    ShownPictures,
    OrvoSearch,
    PrevSuspicious,
    NextSuspicious,
    PrevInnerLink,
    NextInnerLink,
    PrevOrvoLink,
    NextOrvoLink,
    MoveUp,
    MoveDown,
    ToggleBookmark,
    NextBookmark,
    PrevBookmark,
    ClearBookmarks,
    Review,
    Program,
};

// A null icon for IconId::None.
QIcon MakeIcon(IconId id);
// One picture at size x size device-independent pixels.
QPixmap DrawIcon(IconId id, int size, qreal devicePixelRatio = 1.0);
// The splash picture: the program's name, what it does, its version.
QPixmap MakeSplashPixmap(qreal devicePixelRatio = 1.0);
