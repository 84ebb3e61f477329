#include "shell/command_table.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace {

using enum CommandId;
using I = IconId;

// Shortcut labels of letter keys show the Russian letter on the same key; the bound key is the
// Latin one, since the layout is not switched here.
constexpr std::array kCommands {
    CCommandInfo { FileOpen, "actionFileOpen", "&Открыть...", "Ctrl+O", "Ctrl+O",
        "Открыть существующий документ\nОткрыть", I::Open },
    CCommandInfo {
        FileSave, "actionFileSave", "&Сохранить", "Ctrl+S", "Ctrl+S", "Сохранить документ\nСохранить", I::Save },
    CCommandInfo {
        FileSaveAs, "actionFileSaveAs", "Сохранить &как", "", "", "Сохранить документ под другим именем\n", I::None },
    CCommandInfo {
        FileDelete, "actionFileDelete", "&Удалить...", "", "", "Удаляет текущий файл\nУдалить файл", I::DeleteFile },
    CCommandInfo { Reanalyse, "actionReanalyse", "Повторить &разбор", "", "",
        "Повторить разбор текущего документа\nПовторить разбор", I::Reanalyse },
    CCommandInfo { ChooseRequisites, "actionChooseRequisites", "&Выбор реквизитов документа", "Ctrl+В", "Ctrl+D",
        "Выбор реквизитов документа, по которым осуществляется поиск\nВыбор реквизитов документа",
        I::ChooseRequisites },
    CCommandInfo { OrvoSearch, "actionOrvoSearch", "&Поиск документа Орво...", "Ctrl+Shift+А", "Ctrl+Shift+F",
        "Поиск документа Орво\nПоиск документа Орво", I::OrvoSearch },
    CCommandInfo { Exit, "actionExit", "В&ыход", "", "", "Завершение работы с приложением\nВыход", I::None },

    CCommandInfo { Undo, "actionUndo", "&Отменить", "Ctrl+Z", "Ctrl+Z; Alt+Backspace",
        "Отмена послденего действия\nОтменить", I::Undo },
    CCommandInfo { Redo, "actionRedo", "&Повторить", "Ctrl+Y", "Ctrl+Y; Ctrl+Shift+Z",
        "Повтор отменённого действия\nПовторить", I::Redo },
    CCommandInfo { CutTag, "actionCutTag", "&Вырезать тег", "Ctrl+X", "Ctrl+X",
        "Вырезание тега и помещение в буер обмена\nВырезать тег", I::CutTag },
    CCommandInfo { CopyTag, "actionCopyTag", "&Копировать тег", "Ctrl+C", "Ctrl+C",
        "Копирование тега и помещение в буфер обмена\nКопировать тег", I::CopyTag },
    CCommandInfo { PasteTag, "actionPasteTag", "Вст&авить тег", "Ctrl+V", "Ctrl+V",
        "Вставка тега из буфера обмена\nВставить тег", I::PasteTag },
    CCommandInfo {
        DeleteTag, "actionDeleteTag", "&Удалить тег", "Delete", "Del", "Удаление тега\nУдалить тег", I::DeleteTag },
    CCommandInfo { Find, "actionFind", "&Найти...", "Ctrl+F", "Ctrl+F", "Поиск указанного текста\nПоиск", I::None },
    CCommandInfo { FindNext, "actionFindNext", "Найти &далее", "F3", "F3", "Посвторить поиск", I::None },
    CCommandInfo { GoToLine, "actionGoToLine", "&Перейти к строке...", "Ctrl+G", "Ctrl+G",
        "Перейти к строке документа по номеру", I::None },
    CCommandInfo { ToggleBookmark, "actionToggleBookmark", "&Переключить закладку", "Ctrl+Е", "Ctrl+T",
        "Переключение закладки\nПереключить закладку", I::ToggleBookmark },
    CCommandInfo { NextBookmark, "actionNextBookmark", "&Следующая закладка", "Ctrl+Г", "Ctrl+U",
        "Сдвигает курсор к следующей закладке.\nСдвинуть курсор к следующей закладке", I::NextBookmark },
    CCommandInfo { PrevBookmark, "actionPrevBookmark", "&Предыдущая закладка", "Ctrl+Ш", "Ctrl+I",
        "Сдвигает курсор к предыдущей закладке.\nСдвинуть курсор к предыдущей закладке", I::PrevBookmark },
    CCommandInfo { ClearBookmarks, "actionClearBookmarks", "&Удалить закладки", "Ctrl+К", "Ctrl+R",
        "Удаляет все закладки в тексте документа\nУдалить все закладки", I::ClearBookmarks },

    CCommandInfo { ToolBar, "actionViewToolBar", "&Панель инструментов", "", "",
        "Отображает или скрывает панель инструментов", I::None },
    CCommandInfo { RequisitesBar, "actionViewRequisitesBar", "Панель &реквизитов", "", "",
        "Отображает или скрывает панель реквизитов", I::None },
    CCommandInfo { StatusBar, "actionViewStatusBar", "&Строка состояния", "", "",
        "Отображает или скрывает строку состояния", I::None },
    CCommandInfo { ReviewList, "actionViewReviewList", "Список про&верки ссылок", "", "",
        "Отображает или скрывает список проверки ссылок", I::None },
    CCommandInfo { Font, "actionFont", "&Шрифт...", "", "", "Изменить шрифт", I::None },
    CCommandInfo { ShownPictures, "actionShownPictures", "Отображаемые &картинки...", "Ctrl+И", "Ctrl+B",
        "Выбрать типы отображаемых картинок\nВыбрать типы отображаемых картинок", I::ShownPictures },

    CCommandInfo { PlaceInnerTag, "actionPlaceInnerTag", "Поставить тег вн&утрибазовой ссылки...", "Ctrl+Insert",
        "Ctrl+Ins", "Вставка тега внутрибазовой ссылки\nПоставить тег внутрибазовой ссылки", I::PlaceInnerTag },
    CCommandInfo { PlaceOrvoTag, "actionPlaceOrvoTag", "&Поставить тег межбазовой ссылки...", "Insert", "Ins",
        "Вставка тега ссылки\nПоставить тег ссылки", I::PlaceOrvoTag },
    CCommandInfo { PrevSuspicious, "actionPrevSuspicious", "Перейти к пр&едыдущей подозрительной строке", "Влево",
        "Left", "Переходит к предыдущей подозрительной строке\nПерейти к предыдущей подозрительной строке",
        I::PrevSuspicious },
    CCommandInfo { NextSuspicious, "actionNextSuspicious", "Перейти к с&ледующей подозрительной строке", "Вправо",
        "Right", "Переходит к следующей подозрительной строке\nПерейти к следующей подозрительной строке",
        I::NextSuspicious },
    CCommandInfo { PrevInnerLink, "actionPrevInnerLink", "Перейти к предыдущей внутри&базовой гиперссылке", "", "",
        "Перейти к предыдущему тегу внутрибазовой гиперссылки\nПерейти к предыдущей внутрибазовой гиперссылке",
        I::PrevInnerLink },
    CCommandInfo { NextInnerLink, "actionNextInnerLink", "Перейти к следующей внутриб&азовой гиперссылке", "", "",
        "Перейти к следующему тегу внутрибазовой гиперссылки\nПерейти к следующей внутрибазовой гиперссылке",
        I::NextInnerLink },
    CCommandInfo { PrevOrvoLink, "actionPrevOrvoLink", "Перейти к предыдущей межбазовой &гиперссылке", "", "",
        "Перейти к предыдущему тегу межбазовой гиперссылки\nПерейти к предыдущей межбазовой гиперссылке",
        I::PrevOrvoLink },
    CCommandInfo { NextOrvoLink, "actionNextOrvoLink", "Перейти к следующей межбазовой г&иперссылке", "", "",
        "Перейти к следующему тегу межбазовой гиперссылки\nПерейти к следующей межбазовой гиперссылке",
        I::NextOrvoLink },
    CCommandInfo { MoveLineUp, "actionMoveLineUp", "Сдвинуть строку &вверх", "Ctrl+Вверх", "Ctrl+Up",
        "Сдвигает текущую строку вверх\nСдвинуть вверх", I::MoveUp },
    CCommandInfo { MoveLineDown, "actionMoveLineDown", "Сдвинуть строку в&низ", "Ctrl+Вниз", "Ctrl+Down",
        "Сдвигает текущую строку вниз\nСдвинуть вниз", I::MoveDown },
    CCommandInfo { ShowFoundRequisites, "actionShowFoundRequisites", "Показать определённые &реквизиты...", "Ctrl+Р",
        "Ctrl+H", "Показываются определённые программой реквизиты\nПоказать определённые реквизиты",
        I::FoundRequisites },
    CCommandInfo { Statistics, "actionStatistics", "Показать с&татистику работы...", "Ctrl+Т", "Ctrl+N",
        "Показываются статистика проверки файла\nПоказать статистику проверки", I::None },
    CCommandInfo { ShowLinkedDocument, "actionShowLinkedDocument", "Показать &документ...", "Ctrl+Д", "Ctrl+L",
        "Показываются реквизиты документа, на который стоит ссылка\nПоказать реквизиты документа ccылки",
        I::LinkedDocument },
    CCommandInfo { ReviewWithoutQuestions, "actionReviewWithoutQuestions", "&Ставить уверенные ссылки без вопросов", "",
        "",
        "При открытии ставить без вопросов только уверенные ссылки и проверить их списком\nСтавить уверенные "
        "ссылки без вопросов",
        I::Review },
    CCommandInfo { ReviewAcceptAll, "actionReviewAcceptAll", "Принять все непр&оверенные ссылки", "Ctrl+Shift+Enter",
        "Ctrl+Shift+Return; Ctrl+Shift+Enter",
        "Принимает все ссылки списка проверки, которые ещё не проверены\nПринять все", I::None },

    CCommandInfo { OrvoKeywords, "actionOrvoKeywords", "Словарь &ключевых слов Орво", "", "",
        "Открыть словарь ключевых слов", I::None },
    CCommandInfo { ImportOrvo, "actionImportOrvo", "Пополнить словарь документов &Орво", "", "",
        "Пополняет словарь документов Орво", I::None },
    CCommandInfo { OrvoTypes, "actionOrvoTypes", "Словарь видов &документов Орво", "", "",
        "Открыть словарь видов документов Орво", I::None },
    CCommandInfo { OrvoBodies, "actionOrvoBodies", "Словарь принявших &органов Орво", "", "",
        "Открыть словарь принявших органов Орво", I::None },
    CCommandInfo { Notepad, "actionNotepad", "&Блокнот для документов Орво", "", "",
        "Открыть блокнот с документами Орво", I::None },
    CCommandInfo { HotDocuments, "actionHotDocuments", "\"&Горячие\" документы", "", "",
        "Задать \"горячие\" документы Орво", I::None },
    CCommandInfo { LocalTypes, "actionLocalTypes", "Словарь видов до&кументов локальной базы", "", "",
        "Открывает словарь видов документов из базы", I::None },
    CCommandInfo { LocalBodies, "actionLocalBodies", "Словарь принявших о&рганов локальной базы", "", "",
        "Открывает словарь прянвших оранов из базы", I::None },
    CCommandInfo { ImportLocal, "actionImportLocal", "Пополнить словарь документов локальной &базы", "", "",
        "Пополняет словарь документов базы", I::None },

    CCommandInfo { Options, "actionOptions", "&Параметры...", "", "", "Настройки программы", I::None },

    CCommandInfo { Help, "actionHelp", "&Справка", "", "F1", "Открыть справку\nHelp Topics", I::None },
    CCommandInfo { About, "actionAbout", "&О программе...", "", "", "Отобразить информацию о программе", I::None },
};

using K = CMenuItem::Kind;

constexpr CMenuItem Menu(const char* title, const char* objectName) { return { K::Menu, title, objectName }; }
constexpr CMenuItem SubMenu(const char* title, const char* objectName) { return { K::SubMenu, title, objectName }; }
constexpr CMenuItem EndSubMenu() { return { K::EndSubMenu }; }
constexpr CMenuItem Entry(CommandId id) { return { K::Entry, nullptr, nullptr, id }; }
constexpr CMenuItem Gap() { return { K::Separator }; }

constexpr std::array kMenus {
    Menu("&Файл", "menuFile"),
    Entry(FileOpen),
    Entry(FileSave),
    Entry(FileSaveAs),
    Entry(FileDelete),
    Gap(),
    Entry(Reanalyse),
    Entry(ChooseRequisites),
    Entry(OrvoSearch),
    Gap(),
    Entry(Exit),

    Menu("&Правка", "menuEdit"),
    Entry(Undo),
    Entry(Redo),
    Gap(),
    Entry(CutTag),
    Entry(CopyTag),
    Entry(PasteTag),
    Entry(DeleteTag),
    Gap(),
    Entry(Find),
    Entry(FindNext),
    Entry(GoToLine),
    Gap(),
    SubMenu("&Закладки", "menuBookmarks"),
    Entry(ToggleBookmark),
    Entry(NextBookmark),
    Entry(PrevBookmark),
    Entry(ClearBookmarks),
    EndSubMenu(),

    Menu("&Вид", "menuView"),
    Entry(ToolBar),
    Entry(RequisitesBar),
    Entry(StatusBar),
    Entry(ReviewList),
    Gap(),
    Entry(Font),
    Entry(ShownPictures),

    Menu("&Телварион", "menuTelvarion"),
    Entry(PlaceInnerTag),
    Entry(PlaceOrvoTag),
    Entry(DeleteTag),
    Gap(),
    Entry(PrevSuspicious),
    Entry(NextSuspicious),
    Entry(PrevInnerLink),
    Entry(NextInnerLink),
    Entry(PrevOrvoLink),
    Entry(NextOrvoLink),
    Gap(),
    Entry(MoveLineUp),
    Entry(MoveLineDown),
    Gap(),
    Entry(ShowFoundRequisites),
    Entry(Statistics),
    Entry(ShowLinkedDocument),
    Gap(),
    Entry(ReviewWithoutQuestions),
    Entry(ReviewAcceptAll),

    Menu("С&ловари", "menuDictionaries"),
    Entry(OrvoKeywords),
    Entry(ImportOrvo),
    Entry(OrvoTypes),
    Entry(OrvoBodies),
    Entry(Notepad),
    Entry(HotDocuments),
    Gap(),
    Entry(LocalTypes),
    Entry(LocalBodies),
    Entry(ImportLocal),

    Menu("&Сервис", "menuService"),
    Entry(Options),

    Menu("С&правка", "menuHelp"),
    Entry(Help),
    Gap(),
    Entry(About),
};

constexpr CToolBarItem Button(CommandId id) { return { false, id }; }
constexpr CToolBarItem Space() { return { true, FileOpen }; }

constexpr std::array kToolBar {
    Button(FileOpen),
    Button(Reanalyse),
    Button(FileSave),
    Button(FileDelete),
    Space(),
    Button(CutTag),
    Button(CopyTag),
    Button(PasteTag),
    Button(DeleteTag),
    Button(Undo),
    Button(Redo),
    Space(),
    Button(PlaceOrvoTag),
    Button(PlaceInnerTag),
    Space(),
    Button(ChooseRequisites),
    Space(),
    Button(ShowFoundRequisites),
    Button(ShowLinkedDocument),
    Button(ShownPictures),
    Button(OrvoSearch),
    Button(ReviewWithoutQuestions),
    Space(),
    Button(PrevSuspicious),
    Button(NextSuspicious),
    Button(PrevInnerLink),
    Button(NextInnerLink),
    Button(PrevOrvoLink),
    Button(NextOrvoLink),
    Space(),
    Button(MoveLineUp),
    Button(MoveLineDown),
    Space(),
    Button(ToggleBookmark),
    Button(NextBookmark),
    Button(PrevBookmark),
    Button(ClearBookmarks),
};

} // namespace

std::span<const CCommandInfo> CommandTable() { return kCommands; }

const CCommandInfo& CommandInfo(CommandId id)
{
    const auto it = std::find_if(kCommands.begin(), kCommands.end(), [id](const CCommandInfo& c) { return c.id == id; });
    if (it == kCommands.end())
        throw std::logic_error("command missing from the table");
    return *it;
}

std::span<const CMenuItem> MenuLayout() { return kMenus; }

std::span<const CToolBarItem> ToolBarLayout() { return kToolBar; }
