#pragma once

// Every command of the main window in one place: its action's object name, the menu text with its
// accelerator, the shortcut label the menu shows, the keys bound to it, the status prompt with its
// tool tip, and its toolbar picture. The frame builds its actions, menus and toolbar from here.

#include <span>

#include "shell/icons.h"

enum class CommandId {
    // "&Файл"
    FileOpen,
    FileSave,
    FileSaveAs,
    FileDelete,
    Reanalyse,
    ChooseRequisites,
    OrvoSearch,
    Exit,
    // "&Правка"
    Undo,
    Redo,
    CutTag,
    CopyTag,
    PasteTag,
    DeleteTag,
    Find,
    FindNext,
    GoToLine,
    ToggleBookmark,
    NextBookmark,
    PrevBookmark,
    ClearBookmarks,
    // "&Вид"
    ToolBar,
    RequisitesBar,
    StatusBar,
    ReviewList,
    Font,
    ShownPictures,
    // "&Телварион"
    PlaceInnerTag,
    PlaceOrvoTag,
    PrevSuspicious,
    NextSuspicious,
    PrevInnerLink,
    NextInnerLink,
    PrevOrvoLink,
    NextOrvoLink,
    MoveLineUp,
    MoveLineDown,
    ShowFoundRequisites,
    Statistics,
    ShowLinkedDocument,
    ReviewWithoutQuestions,
    ReviewAcceptAll,
    // "С&ловари"
    OrvoKeywords,
    ImportOrvo,
    OrvoTypes,
    OrvoBodies,
    Notepad,
    HotDocuments,
    LocalTypes,
    LocalBodies,
    ImportLocal,
    // "&Сервис"
    Options,
    // "С&правка"
    Help,
    About,
};

struct CCommandInfo {
    CommandId id;
    const char* objectName;
    const char* text;   // the menu entry, with its & accelerator
    const char* label;  // the shortcut text the menu shows; empty when none
    const char* keys;   // bound keys in portable form, separated by "; "; empty when none
    const char* prompt; // status bar prompt; after "\n" the tool tip
    IconId icon;
};

// All commands, in menu order.
std::span<const CCommandInfo> CommandTable();
const CCommandInfo& CommandInfo(CommandId id);

// The layout of the menu bar: a menu starts with its title, entries follow, a separator is a gap.
struct CMenuItem {
    enum class Kind { Menu, SubMenu, EndSubMenu, Entry, Separator };
    Kind kind;
    const char* title = nullptr; // menus and submenus
    const char* objectName = nullptr;
    CommandId command = CommandId::FileOpen;
};
std::span<const CMenuItem> MenuLayout();

// The toolbar, left to right; nullopt-like gaps are separators.
struct CToolBarItem {
    bool separator;
    CommandId command;
};
std::span<const CToolBarItem> ToolBarLayout();
