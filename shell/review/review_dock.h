#pragma once

// "Проверка ссылок": the dock beside the line view that lists what the analysis without questions
// linked and left open. Up and Down walk the rows and the line view follows; Enter or Space
// accepts (an open line: its candidates dialog), Delete rejects (Ctrl+Z brings the tags back);
// "Принять все" accepts every link not yet looked at. The rows follow every edit of the lines.

#include <cstddef>
#include <vector>

#include <QDockWidget>
#include <QTableView>
#include <QTimer>

class CFrameServices;
class CReviewModel;
class CTelvarionDoc;
class CTelvarionView;
class QCheckBox;
class QComboBox;
class QLabel;

// The list itself: its keys come before the window's (Delete is the window's "Удалить тег").
class CReviewList : public QTableView {
    Q_OBJECT
public:
    using QTableView::QTableView;

signals:
    void AcceptRequested();
    void RejectRequested();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

class CReviewDock : public QDockWidget {
    Q_OBJECT
public:
    CReviewDock(CTelvarionDoc& doc, CTelvarionView& view, CFrameServices* frame, QWidget* parent = nullptr);

    CReviewModel& Model() { return *m_model; }
    CReviewList* List() const { return m_list; }
    // The running count for the status bar; hidden while there is no review.
    QLabel* StatusPane() const { return m_statusPane; }

    // After an analysis without questions: the statistics in the header, the list shown with
    // the keyboard focus on its first undecided row.
    void ShowReview(const QString& statistics);
    // The places anew now (the list otherwise follows the lines a moment after they change).
    void RefreshNow();

    void AcceptCurrent();
    void RejectCurrent();
    // Every link not yet reviewed, after a question with their count.
    void AcceptAll();
    bool CanAcceptAll() const;
    // How many rows still wait for the person (links not looked at and lines to decide).
    std::size_t Undecided() const;

signals:
    // A decision was taken or the rows changed: the window's commands may have changed state.
    void Changed();

private:
    void ScheduleRefresh();
    void Follow(const QModelIndex& current);
    void MoveToNext(std::size_t after);
    void SelectListRow(int row);
    void UpdateCounts();
    std::vector<std::size_t> CurrentRows() const;

    CTelvarionDoc& m_doc;
    CTelvarionView& m_view;
    CFrameServices* m_frame;
    CReviewModel* m_model;
    CReviewList* m_list;
    QLabel* m_statistics;
    QLabel* m_counts;
    QLabel* m_statusPane;
    QComboBox* m_filter;
    QCheckBox* m_grouped;
    QTimer m_refresh;
    bool m_quiet = false; // the current row is restored, not chosen: the line view stays
    bool m_showing = false; // ShowReview at the end of an open, which is still busy
};
