#pragma once

// The program's one top-level window: menus, toolbar, the line view, the requisites bar and the
// status bar. It routes every command to the document or the view, enables each from their
// rules, offers the passes a progress indicator and a way to be stopped, and keeps the layout of
// its bars between runs.

#include <cstddef>
#include <cstdint>
#include <map>

#include <QMainWindow>

#include "shell/command_table.h"
#include "view/frame_services.h"

class CQtUserInterface;
class CRecoveryKeeper;
class CRequisitesBar;
class CReviewDock;
class CTelvarionDoc;
class CTelvarionView;
class QAction;
class QLabel;
class QProgressBar;
class QToolBar;

class CMainFrame : public QMainWindow, public CFrameServices {
    Q_OBJECT
public:
    explicit CMainFrame(CTelvarionDoc& doc, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CTelvarionView* View() const { return m_view; }
    CRequisitesBar* RequisitesBar() const { return m_requisitesBar; }
    QToolBar* ToolBar() const { return m_toolBar; }
    CReviewDock* ReviewDock() const { return m_reviewDock; }
    CRecoveryKeeper* Recovery() const { return m_recovery; }
    QAction* Action(CommandId id) const;
    // The user interface the window's own dialogs ask their questions through; set by Attach.
    void SetUserInterface(CQtUserInterface* ui) { m_ui = ui; }

    // Runs a command as its menu entry would, if it is enabled now.
    void Run(CommandId id);
    // Enables every action by the document's and the view's rules.
    void UpdateActions();
    // The captions of "Отменить" and "Повторить" name the steps they would take.
    void UpdateHistoryCaptions();

    // The pass progress indicator in the first status pane.
    void ShowProgress(std::size_t steps);
    void StepProgress();
    void HideProgress();
    QProgressBar* Progress() const { return m_progress; }

    // A running pass is asked to stop by Escape or by closing the window; the next command clears it.
    bool StopRequested() const { return m_stopRequested; }
    void RequestStop();

    // The review list after an analysis without questions, its statistics also in the status bar.
    void ShowReview(const QString& statistics);

    void SetTitle(const QString& title);
    // Foreground, restored when minimised.
    void BringToFront();

    // The bar layout under "BarState" in the application's settings. Restore keeps the default
    // layout when the saved one is missing or names other bars than this window has.
    void SaveLayout();
    bool RestoreLayout();

    // What the line view shows in the frame.
    void SetLinePane(const QString& text) override;
    void SetSuspiciousPane(const QString& text) override;
    void SetRequisitesText(const QString& text) override;
    bool IsRequisitesBarVisible() const override;
    QString LinePaneText() const;
    QString SuspiciousPaneText() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    bool IsEnabled(CommandId id) const;
    void ShowAbout();
    // "Документы Орво", modal; its "Вставить тег" places tags through PlaceOrvoTagFromSearch.
    void OnOrvoSearch();
    void PlaceOrvoTagFromSearch(std::int32_t number);
    // The check mark of "Ставить уверенные ссылки без вопросов" as the setting says ("Параметры"
    // changes it too).
    void SyncReviewSetting();

    CTelvarionDoc& m_doc;
    CQtUserInterface* m_ui = nullptr;
    CTelvarionView* m_view = nullptr;
    CRequisitesBar* m_requisitesBar = nullptr;
    CReviewDock* m_reviewDock = nullptr;
    CRecoveryKeeper* m_recovery = nullptr;
    QToolBar* m_toolBar = nullptr;
    QLabel* m_linePane = nullptr;
    QLabel* m_suspiciousPane = nullptr;
    QWidget* m_progressPane = nullptr;
    QProgressBar* m_progress = nullptr;
    QAction* m_stopAction = nullptr;
    std::map<CommandId, QAction*> m_actions;
    bool m_stopRequested = false;
};
