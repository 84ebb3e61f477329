#include "shell/main_frame.h"

#include <algorithm>
#include <climits>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDataStream>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QSettings>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QToolBar>

#include "document/telvarion_doc.h"
#include "shell/about_dlg.h"
#include "shell/find_orvo_dlg.h"
#include "shell/help_window.h"
#include "shell/recovery/recovery_keeper.h"
#include "shell/requisites_bar.h"
#include "shell/review/review_dock.h"
#include "shell/review/review_settings.h"
#include "shell/showed_icons_dlg.h"
#include "shell/whats_this.h"
#include "view/telvarion_view.h"

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace {

using DocCommand = CTelvarionDoc::Command;

struct DocRoute {
    CommandId id;
    DocCommand command;
    void (CTelvarionDoc::*handler)();
};

constexpr DocRoute kDocRoutes[] = {
    { CommandId::FileOpen, DocCommand::Open, &CTelvarionDoc::OnFileOpen },
    { CommandId::FileSave, DocCommand::Save, &CTelvarionDoc::OnFileSave },
    { CommandId::FileSaveAs, DocCommand::SaveAs, &CTelvarionDoc::OnFileSaveAs },
    { CommandId::FileDelete, DocCommand::Delete, &CTelvarionDoc::OnFileDelete },
    { CommandId::Reanalyse, DocCommand::Reanalyse, &CTelvarionDoc::OnReanalyse },
    { CommandId::Statistics, DocCommand::Statistics, &CTelvarionDoc::OnStatistics },
    { CommandId::ImportOrvo, DocCommand::ImportOrvo, &CTelvarionDoc::OnImportOrvo },
    { CommandId::ImportLocal, DocCommand::ImportLocal, &CTelvarionDoc::OnImportLocal },
    { CommandId::Options, DocCommand::Settings, &CTelvarionDoc::OnSettings },
    { CommandId::HotDocuments, DocCommand::HotDocuments, &CTelvarionDoc::OnHotDocuments },
    { CommandId::Notepad, DocCommand::Notepad, &CTelvarionDoc::OnNotepad },
    { CommandId::OrvoKeywords, DocCommand::OrvoKeywords, &CTelvarionDoc::OnOrvoKeywords },
    { CommandId::OrvoTypes, DocCommand::OrvoTypes, &CTelvarionDoc::OnOrvoTypes },
    { CommandId::OrvoBodies, DocCommand::OrvoBodies, &CTelvarionDoc::OnOrvoBodies },
    { CommandId::LocalTypes, DocCommand::LocalTypes, &CTelvarionDoc::OnLocalTypes },
    { CommandId::LocalBodies, DocCommand::LocalBodies, &CTelvarionDoc::OnLocalBodies },
};

struct ViewRoute {
    CommandId id;
    ViewCommand command;
};

constexpr ViewRoute kViewRoutes[] = {
    { CommandId::PrevSuspicious, ViewCommand::PrevSuspicious },
    { CommandId::NextSuspicious, ViewCommand::NextSuspicious },
    { CommandId::PrevInnerLink, ViewCommand::PrevInnerLink },
    { CommandId::NextInnerLink, ViewCommand::NextInnerLink },
    { CommandId::PrevOrvoLink, ViewCommand::PrevOrvoLink },
    { CommandId::NextOrvoLink, ViewCommand::NextOrvoLink },
    { CommandId::Find, ViewCommand::Find },
    { CommandId::FindNext, ViewCommand::FindNext },
    { CommandId::GoToLine, ViewCommand::GoToLine },
    { CommandId::Font, ViewCommand::ChangeFont },
    { CommandId::ToggleBookmark, ViewCommand::ToggleBookmark },
    { CommandId::NextBookmark, ViewCommand::NextBookmark },
    { CommandId::PrevBookmark, ViewCommand::PrevBookmark },
    { CommandId::ClearBookmarks, ViewCommand::ClearBookmarks },
    { CommandId::ShowFoundRequisites, ViewCommand::ShowFoundRequisites },
    { CommandId::ShowLinkedDocument, ViewCommand::ShowLinkedDocument },
    { CommandId::ShownPictures, ViewCommand::ShownPictures },
    { CommandId::PlaceOrvoTag, ViewCommand::PlaceOrvoTag },
    { CommandId::PlaceInnerTag, ViewCommand::PlaceInnerTag },
    { CommandId::DeleteTag, ViewCommand::DeleteTag },
    { CommandId::CutTag, ViewCommand::CutTag },
    { CommandId::CopyTag, ViewCommand::CopyTag },
    { CommandId::PasteTag, ViewCommand::PasteTag },
    { CommandId::MoveLineUp, ViewCommand::MoveLineUp },
    { CommandId::MoveLineDown, ViewCommand::MoveLineDown },
    { CommandId::Undo, ViewCommand::Undo },
    { CommandId::Redo, ViewCommand::Redo },
    { CommandId::ChooseRequisites, ViewCommand::ChooseRequisites },
};

const DocRoute* FindDocRoute(CommandId id)
{
    for (const DocRoute& r : kDocRoutes)
        if (r.id == id)
            return &r;
    return nullptr;
}

const ViewRoute* FindViewRoute(CommandId id)
{
    for (const ViewRoute& r : kViewRoutes)
        if (r.id == id)
            return &r;
    return nullptr;
}

constexpr int kLayoutVersion = 1;
const QString kLayoutGroup = QStringLiteral("BarState");

// How a bar's name appears inside a saved state.
QByteArray StoredName(const QString& name)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << name;
    return bytes;
}

QString FirstLine(const QString& prompt) { return prompt.section(u'\n', 0, 0); }

QString SecondLine(const QString& prompt) { return prompt.section(u'\n', 1, 1); }

// The texts are Russian: where the system switches keyboard layouts per program (Windows), the
// editor starts typing in the Russian one.
void ActivateRussianKeyboardLayout()
{
#ifdef Q_OS_WIN
    LoadKeyboardLayoutW(L"00000419", KLF_ACTIVATE);
#endif
}

} // namespace

CMainFrame::CMainFrame(CTelvarionDoc& doc, QWidget* parent)
    : QMainWindow(parent)
    , m_doc(doc)
{
    setObjectName(QStringLiteral("MainFrame"));
    // The document keeps the title from here on.
    setWindowTitle(QStringLiteral("Расстановка гиперссылок"));
    setWindowIcon(MakeIcon(IconId::Program));
    setDockOptions(AnimatedDocks | AllowTabbedDocks);

    m_view = new CTelvarionView(doc, this);
    m_view->setObjectName(QStringLiteral("TelvarionView"));
    setCentralWidget(m_view);

    m_toolBar = new QToolBar(QStringLiteral("Панель инструментов"), this);
    m_toolBar->setObjectName(QStringLiteral("MainToolBar"));
    m_requisitesBar = new CRequisitesBar(this);
    m_reviewDock = new CReviewDock(doc, *m_view, this, this);

    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    ActivateRussianKeyboardLayout();
    addDockWidget(Qt::LeftDockWidgetArea, m_requisitesBar);
    // Beside the lines, shown when an analysis without questions has something to review.
    addDockWidget(Qt::RightDockWidgetArea, m_reviewDock);
    m_reviewDock->hide();

    m_view->SetFrame(this);
    m_recovery = new CRecoveryKeeper(doc, m_view->Rows(), statusBar(), this);
    m_recovery->asking = [this] { return m_view->IsAsking(); };
    connect(m_reviewDock, &CReviewDock::Changed, this, &CMainFrame::UpdateActions);
    connect(m_view, &CTelvarionView::HistoryChanged, this, &CMainFrame::UpdateActions);
    connect(m_view, &CTelvarionView::ShownPicturesRequested, this, [this] {
        CShowedIconsDlg dialog(m_view->ShownPictures(), this);
        if (dialog.exec() == QDialog::Accepted)
            m_view->SetShownPictures(dialog.Flags());
    });
    if (QItemSelectionModel* selection = m_view->selectionModel())
        connect(selection, &QItemSelectionModel::selectionChanged, this, &CMainFrame::UpdateActions);
    if (QAbstractItemModel* model = m_view->model()) {
        connect(model, &QAbstractItemModel::modelReset, this, &CMainFrame::UpdateActions);
        connect(model, &QAbstractItemModel::rowsInserted, this, &CMainFrame::UpdateActions);
        connect(model, &QAbstractItemModel::rowsRemoved, this, &CMainFrame::UpdateActions);
        connect(model, &QAbstractItemModel::dataChanged, this, &CMainFrame::UpdateActions);
    }

    if (!RestoreLayout())
        resizeDocks({ m_requisitesBar }, { m_requisitesBar->sizeHint().width() }, Qt::Horizontal);
    UpdateActions();
}

CMainFrame::~CMainFrame()
{
    // The document outlives the window: it reports to it no more.
    delete m_recovery;
    m_view->SetFrame(nullptr);
}

QAction* CMainFrame::Action(CommandId id) const
{
    const auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

void CMainFrame::CreateActions()
{
    for (const CCommandInfo& info : CommandTable()) {
        // The bars' own toggles follow their visibility, also when a bar is closed by its button.
        QAction* action = nullptr;
        if (info.id == CommandId::ToolBar)
            action = m_toolBar->toggleViewAction();
        else if (info.id == CommandId::RequisitesBar)
            action = m_requisitesBar->toggleViewAction();
        else if (info.id == CommandId::ReviewList)
            action = m_reviewDock->toggleViewAction();
        else
            action = new QAction(this);
        action->setObjectName(QString::fromUtf8(info.objectName));
        // A label after a tab is what the menu shows as the shortcut; the bound key may differ.
        QString text = QString::fromUtf8(info.text);
        const QString label = QString::fromUtf8(info.label);
        if (!label.isEmpty())
            text += u'\t' + label;
        action->setText(text);
        if (*info.keys)
            action->setShortcuts(QKeySequence::listFromString(QString::fromUtf8(info.keys), QKeySequence::PortableText));
        const QString prompt = QString::fromUtf8(info.prompt);
        action->setStatusTip(FirstLine(prompt));
        const QString tip = SecondLine(prompt);
        action->setToolTip(!tip.isEmpty() ? tip : QString::fromUtf8(info.text).remove(u'&'));
        action->setWhatsThis(CommandWhatsThis(info.id));
        if (info.icon != IconId::None)
            action->setIcon(MakeIcon(info.icon));
        const bool toggle = info.id == CommandId::ToolBar || info.id == CommandId::RequisitesBar
            || info.id == CommandId::StatusBar || info.id == CommandId::ReviewList
            || info.id == CommandId::ReviewWithoutQuestions;
        if (!toggle) {
            const CommandId id = info.id;
            connect(action, &QAction::triggered, this, [this, id] { Run(id); });
        }
        // Keys work wherever the focus is in the window, also with the toolbar hidden.
        addAction(action);
        m_actions[info.id] = action;
    }

    QAction* status = Action(CommandId::StatusBar);
    status->setCheckable(true);
    status->setChecked(true);
    connect(status, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });

    // The menu entry, the toolbar button and "Параметры" show and change the one setting.
    QAction* withoutQuestions = Action(CommandId::ReviewWithoutQuestions);
    withoutQuestions->setCheckable(true);
    withoutQuestions->setChecked(ReviewWithoutQuestions());
    connect(withoutQuestions, &QAction::toggled, this, [](bool on) { SetReviewWithoutQuestions(on); });

    m_stopAction = new QAction(this);
    m_stopAction->setObjectName(QStringLiteral("actionStopPass"));
    m_stopAction->setShortcut(QKeySequence(Qt::Key_Escape));
    m_stopAction->setEnabled(false);
    connect(m_stopAction, &QAction::triggered, this, &CMainFrame::RequestStop);
    addAction(m_stopAction);
}

void CMainFrame::CreateMenus()
{
    QMenu* menu = nullptr;
    QMenu* target = nullptr;
    for (const CMenuItem& item : MenuLayout()) {
        switch (item.kind) {
        case CMenuItem::Kind::Menu:
            menu = menuBar()->addMenu(QString::fromUtf8(item.title));
            menu->setObjectName(QString::fromUtf8(item.objectName));
            connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateActions);
            target = menu;
            break;
        case CMenuItem::Kind::SubMenu:
            target = menu->addMenu(QString::fromUtf8(item.title));
            target->setObjectName(QString::fromUtf8(item.objectName));
            connect(target, &QMenu::aboutToShow, this, &CMainFrame::UpdateActions);
            break;
        case CMenuItem::Kind::EndSubMenu:
            target = menu;
            break;
        case CMenuItem::Kind::Entry:
            target->addAction(Action(item.command));
            break;
        case CMenuItem::Kind::Separator:
            target->addSeparator();
            break;
        }
    }
}

void CMainFrame::CreateToolBar()
{
    m_toolBar->setMovable(true);
    m_toolBar->setFloatable(true);
    m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    m_toolBar->setIconSize(QSize(20, 20));
    for (const CToolBarItem& item : ToolBarLayout()) {
        if (item.separator)
            m_toolBar->addSeparator();
        else
            m_toolBar->addAction(Action(item.command));
    }
    addToolBar(Qt::TopToolBarArea, m_toolBar);
}

void CMainFrame::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));

    // Pane 0: the prompts, and during a pass the progress indicator near its left edge.
    m_progressPane = new QWidget(bar);
    m_progressPane->setObjectName(QStringLiteral("progressPane"));
    auto* layout = new QHBoxLayout(m_progressPane);
    layout->setContentsMargins(10 - bar->layout()->contentsMargins().left(), 1, 0, 1);
    m_progress = new QProgressBar(m_progressPane);
    m_progress->setObjectName(QStringLiteral("passProgress"));
    m_progress->setFixedWidth(120);
    m_progress->setTextVisible(false);
    m_progress->hide();
    layout->addWidget(m_progress);
    layout->addStretch(1);
    bar->addWidget(m_progressPane, 1);

    const QFontMetrics metrics(bar->font());
    m_suspiciousPane = new QLabel(bar);
    m_suspiciousPane->setObjectName(QStringLiteral("suspiciousPane"));
    m_suspiciousPane->setMinimumWidth(std::max(100, metrics.horizontalAdvance(QStringLiteral("Под.стр. 9999:9999")) + 8));
    m_suspiciousPane->setAlignment(Qt::AlignCenter);
    m_linePane = new QLabel(bar);
    m_linePane->setObjectName(QStringLiteral("linePane"));
    m_linePane->setMinimumWidth(std::max(70, metrics.horizontalAdvance(QStringLiteral("99999:99999")) + 8));
    m_linePane->setAlignment(Qt::AlignCenter);
    bar->addPermanentWidget(m_reviewDock->StatusPane());
    bar->addPermanentWidget(m_suspiciousPane);
    bar->addPermanentWidget(m_linePane);
}

bool CMainFrame::IsEnabled(CommandId id) const
{
    if (const DocRoute* route = FindDocRoute(id))
        return m_doc.IsEnabled(route->command);
    if (const ViewRoute* route = FindViewRoute(id))
        return m_view->IsEnabled(route->command);
    switch (id) {
    case CommandId::Exit:
        return m_doc.IsEnabled(DocCommand::Exit);
    case CommandId::ToolBar:
    case CommandId::RequisitesBar:
    case CommandId::StatusBar:
    case CommandId::ReviewList:
    case CommandId::About:
    case CommandId::Help:
        return true;
    case CommandId::ReviewWithoutQuestions:
        return !m_doc.bBusy;
    case CommandId::ReviewAcceptAll:
        return !m_doc.bBusy && !m_doc.review.Empty();
    case CommandId::OrvoSearch:
        return m_doc.IsEnabled(DocCommand::OrvoSearch);
    default:
        // A command with no route above stays off.
        return false;
    }
}

void CMainFrame::UpdateActions()
{
    for (const auto& [id, action] : m_actions)
        action->setEnabled(IsEnabled(id));
    m_stopAction->setEnabled(m_doc.bBusy != 0);
    SyncReviewSetting();
    UpdateHistoryCaptions();
}

void CMainFrame::UpdateHistoryCaptions()
{
    const CUndoHistory& history = m_view->Editor().History();
    const struct {
        CommandId id;
        std::size_t steps;
        const std::string& name;
    } entries[] = { { CommandId::Undo, history.UndoCount(), history.UndoName() },
        { CommandId::Redo, history.RedoCount(), history.RedoName() } };
    for (const auto& entry : entries) {
        const CCommandInfo& info = CommandInfo(entry.id);
        // "&Отменить удаление тега": what the next undo or redo does, when there is one.
        QString text = QString::fromUtf8(info.text);
        if (entry.steps > 0 && !entry.name.empty())
            text += u' ' + QString::fromStdString(entry.name);
        text += u'\t' + QString::fromUtf8(info.label);
        if (QAction* action = Action(entry.id); action && action->text() != text)
            action->setText(text);
    }
}

void CMainFrame::Run(CommandId id)
{
    UpdateActions();
    if (!IsEnabled(id))
        return;
    if (id == CommandId::FileOpen || id == CommandId::Reanalyse)
        m_stopRequested = false;
    if (const DocRoute* route = FindDocRoute(id)) {
        (m_doc.*(route->handler))();
        if ((id == CommandId::FileSave || id == CommandId::FileSaveAs) && !m_doc.bModified) {
            // Saved with rows nobody has looked at yet: they are still there for the next session.
            m_reviewDock->RefreshNow();
            if (const std::size_t left = m_reviewDock->Undecided())
                statusBar()->showMessage(QStringLiteral("Документ сохранён; не проверено строк: %1").arg(left));
        }
    } else if (id == CommandId::ReviewAcceptAll) {
        m_reviewDock->AcceptAll();
    } else if (const ViewRoute* route = FindViewRoute(id)) {
        // Undo from the review list (after a rejection) leaves the keys with the list.
        const bool fromReview = (id == CommandId::Undo || id == CommandId::Redo) && m_reviewDock->isVisible()
            && m_reviewDock->isAncestorOf(QApplication::focusWidget());
        m_view->Run(route->command);
        if (fromReview)
            m_reviewDock->setFocus();
    } else if (id == CommandId::Exit) {
        close();
    } else if (id == CommandId::About) {
        ShowAbout();
    } else if (id == CommandId::OrvoSearch) {
        OnOrvoSearch();
    } else if (id == CommandId::Help) {
        ShowHelpWindow(this, QDir::toNativeSeparators(QString::fromStdString(m_doc.ProgramFolder())));
    } else if (QAction* action = Action(id); action && action->isCheckable()) {
        action->trigger();
    }
    UpdateActions();
}

void CMainFrame::ShowAbout()
{
    CAboutDlg dialog(this);
    dialog.exec();
}

void CMainFrame::OnOrvoSearch()
{
    if (!m_ui)
        return;
    // Tags go into an open document only, and not under a running pass.
    CFindOrvoDlg::TagPlacer place;
    if (!m_doc.currentPath.empty() && !m_doc.bBusy)
        place = [this](std::int32_t number) { PlaceOrvoTagFromSearch(number); };
    CFindOrvoDlg dialog(*m_ui, m_doc.orvoMaker, std::move(place), this);
    dialog.exec();
}

void CMainFrame::PlaceOrvoTagFromSearch(std::int32_t number) { m_view->InsertOrvoTagByNumber(number); }

void CMainFrame::SyncReviewSetting()
{
    QAction* action = Action(CommandId::ReviewWithoutQuestions);
    const QSignalBlocker quiet(action);
    action->setChecked(ReviewWithoutQuestions());
}

void CMainFrame::ShowReview(const QString& statistics)
{
    const bool wasHidden = m_reviewDock->isHidden();
    m_reviewDock->ShowReview(statistics);
    // Wide enough for its columns the first time; later the width the person gave it.
    if (wasHidden && !m_reviewDock->isFloating() && m_reviewDock->width() < width() * 2 / 5)
        resizeDocks({ m_reviewDock }, { width() * 2 / 5 }, Qt::Horizontal);
    statusBar()->showMessage(statistics.simplified());
}

void CMainFrame::ShowProgress(std::size_t steps)
{
    statusBar()->clearMessage();
    m_progress->setRange(0, static_cast<int>(std::min<std::size_t>(steps, INT_MAX)));
    m_progress->setValue(0);
    m_progress->show();
    UpdateActions();
}

void CMainFrame::StepProgress()
{
    if (m_progress->value() < m_progress->maximum())
        m_progress->setValue(m_progress->value() + 1);
}

void CMainFrame::HideProgress()
{
    m_progress->hide();
    m_progress->reset();
    statusBar()->update();
    UpdateActions();
}

void CMainFrame::RequestStop()
{
    if (m_doc.bBusy)
        m_stopRequested = true;
}

void CMainFrame::SetTitle(const QString& title)
{
    setWindowTitle(title);
    // The title follows every change of the modified flag, which the save commands depend on.
    UpdateActions();
}

void CMainFrame::BringToFront()
{
    if (isMinimized())
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void CMainFrame::SaveLayout()
{
    QSettings settings;
    settings.beginGroup(kLayoutGroup);
    settings.setValue(QStringLiteral("State"), saveState(kLayoutVersion));
    settings.setValue(QStringLiteral("Bars"), QStringList { m_toolBar->objectName(), m_requisitesBar->objectName() });
    settings.endGroup();
}

bool CMainFrame::RestoreLayout()
{
    QSettings settings;
    settings.beginGroup(kLayoutGroup);
    const QByteArray state = settings.value(QStringLiteral("State")).toByteArray();
    const QStringList bars = settings.value(QStringLiteral("Bars")).toStringList();
    settings.endGroup();
    const QStringList ours { m_toolBar->objectName(), m_requisitesBar->objectName() };
    if (state.isEmpty() || bars != ours)
        return false;
    // A state that lost a bar would leave it where Qt pleases; such a state is not used at all.
    for (const QString& name : ours)
        if (!state.contains(StoredName(name)))
            return false;
    return restoreState(state, kLayoutVersion);
}

void CMainFrame::SetLinePane(const QString& text) { m_linePane->setText(text); }

void CMainFrame::SetSuspiciousPane(const QString& text) { m_suspiciousPane->setText(text); }

void CMainFrame::SetRequisitesText(const QString& text) { m_requisitesBar->SetText(text); }

bool CMainFrame::IsRequisitesBarVisible() const { return !m_requisitesBar->isHidden(); }

QString CMainFrame::LinePaneText() const { return m_linePane->text(); }

QString CMainFrame::SuspiciousPaneText() const { return m_suspiciousPane->text(); }

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (m_doc.bBusy) {
        // Not while a pass holds the lines: it is asked to stop, an open confirmation is cancelled,
        // and the window stays.
        RequestStop();
        m_view->CancelQuestion();
        event->ignore();
        return;
    }
    if (!m_doc.SaveModified()) {
        event->ignore();
        return;
    }
    SaveLayout();
    event->accept();
}
