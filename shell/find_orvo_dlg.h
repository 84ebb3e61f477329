#pragma once

// "Документы Орво": the search of Orvo documents by conditions on their requisites, and the
// placing of an inter-base tag for a found document without the analysis. The dialog stays
// open after a tag is placed, so several documents can be linked from one search.

#include <cstdint>
#include <functional>
#include <vector>

#include <QDialog>
#include <QElapsedTimer>
#include <QStringList>

#include "orvo/orvo_search.h"
#include "shell/qt_user_interface.h"

class CMultiListView;
class COrvoRefMaker;
class QCheckBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QProgressBar;

class CFindOrvoDlg : public QDialog, private CQtUserInterface::CProgressSink {
    Q_OBJECT
public:
    // Places the tag of the Orvo document with this number in base before the view's selected row.
    using TagPlacer = std::function<void(std::int32_t number)>;

    CFindOrvoDlg(CQtUserInterface& ui, COrvoRefMaker& maker, TagPlacer placeTag, QWidget* parent = nullptr);
    ~CFindOrvoDlg() override;

    // The conditions and the pickers as they stand now.
    COrvoSearchQuery Query() const;
    // Numbers in base of the result rows, in order.
    const std::vector<std::int32_t>& FoundNumbers() const { return m_foundNumbers; }
    bool IsSearching() const { return m_searching; }

    // "Поиск": first the condition fields typed in are read (a field that does not read is said
    // and nothing is searched). The rows come to the list as they are found, a batch every
    // kBatchMilliseconds, with the progress bar and "Отмена" in place of "Поиск" meanwhile.
    void Search();
    static constexpr qint64 kBatchMilliseconds = 100;
    // The window gets its turn (a click on "Отмена", a repaint) at most this often.
    static constexpr qint64 kTurnMilliseconds = 20;

protected:
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowProgress(std::size_t steps) override;
    void StepProgress() override;
    void HideProgress() override;
    bool StopRequested() override { return m_stop; }
    bool TurnDue() override;

    void EditTypes();
    void EditBodies();
    void EditNumbers();
    void EditName();
    void EditBaseNumbers();
    void RefreshConditionTexts();
    // The field's text, when the person typed it, read into its condition; false (after saying
    // why) when it does not read.
    bool TakeTyped(QLineEdit* field);
    bool TakeAllTyped();
    // The rows found since the last batch go to the list, with the count and the progress.
    void ShowFound();
    void SetControlsEnabled(bool on);
    void PlaceTag();
    void UpdateButtons();

    CQtUserInterface& m_ui;
    COrvoRefMaker& m_maker;
    TagPlacer m_placeTag;

    std::vector<std::int32_t> m_foundNumbers;
    CWordsCondition m_types;
    CWordsCondition m_bodies;
    CWordsCondition m_numbers;
    CWordsCondition m_name;
    CNumsCondition m_baseNumbers;

    QLineEdit* m_typesText;
    QLineEdit* m_bodiesText;
    QLineEdit* m_numbersText;
    QLineEdit* m_nameText;
    QLineEdit* m_baseNumbersText;
    std::vector<QPushButton*> m_editButtons;
    QCheckBox* m_fromOn;
    QCheckBox* m_toOn;
    QDateEdit* m_from;
    QDateEdit* m_to;
    QPushButton* m_search;
    QProgressBar* m_progress;
    QLineEdit* m_count;
    CMultiListView* m_results;
    QPushButton* m_stopButton;
    QStringList m_pending;
    QElapsedTimer m_sinceShown;
    QElapsedTimer m_sinceTurn;
    std::size_t m_steps = 0;
    QPushButton* m_insertTag;
    QPushButton* m_ok;

    bool m_searching = false;
    bool m_stop = false;
    bool m_closeAfterSearch = false;
};
