#pragma once

// "Возможные документы для простановки ссылок": several documents fit a suspicious line. The
// person sees the text around the line and the candidates, and either chooses some of them, types
// the number of another document (or takes one from the notepad), or declines.

#include <cstdint>
#include <vector>

#include <QDialog>
#include <QString>

#include "requisites/citation.h"
#include "requisites/doc_recvisits.h"

class CMultiListBox;
class COrvoLinkDict;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

// A candidate's row text: its requisites, cut to 1000 characters and "..." when longer.
QString CandidateRowText(const CDocRecvisits& candidate);

// The selected rows (0-based, ascending) as the dialog shows them: "1, 3:7", or "-:7" for none.
QString SelectionText(const std::vector<int>& selectedRows, int rowCount);

// Whether the candidates dialog selects the candidates cited together when it opens (the
// program's own setting, on unless turned off in "Параметры").
bool PreselectsCitedTogether();
void SetPreselectsCitedTogether(bool on);

class CSelectOrvoDocDlg : public QDialog {
    Q_OBJECT
public:
    // fontFace and pitchAndFamily: the document's display font, for the context text. notepad may
    // be null: "Блокнот" is then unavailable.
    CSelectOrvoDocDlg(std::vector<CDocRecvisits> candidates, const QString& contextText, const QString& dateText,
        const QString& fontFace, std::uint8_t pitchAndFamily, const COrvoLinkDict* notepad, QWidget* parent = nullptr);

    // Results, read after the dialog ended with OK.
    int Mode() const { return m_mode; }                   // 0: from the list, 1: a number
    std::int32_t Number() const { return m_number; }      // mode 1
    const std::vector<CDocRecvisits>& Chosen() const { return m_chosen; } // mode 0, in list order

    // How each candidate agrees with the text, shown above its requisites; with preselect, those
    // whose number and date the line cites together (and that are not the document itself) are
    // selected, so that Да takes them.
    void SetAgreements(std::vector<CCandidateAgreement> agreements, bool preselect);
    // Selects the candidates at these indexes (those the analysis is certain of), the others not.
    void Preselect(const std::vector<std::size_t>& rows);
    // Which base the candidates are of, and which line of the context text is the one asked
    // about (-1: none), which is then marked and kept in sight. inPass: the question comes from
    // an analysis pass, which Esc ends.
    void SetQuestion(bool localBase, int contextLine, bool inPass);

    // The candidates still offered (the person may remove some).
    const std::vector<CDocRecvisits>& Candidates() const { return m_candidates; }
    // The first line of the context text shown at the top: the middle line sits near it.
    static int ContextScrollLine(const QString& contextText);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Fill();
    void UpdateSelection();
    void UpdateInsertChoice();
    void RemoveSelected();
    void PickFromNotepad();
    void Yes();
    void No();
    void ChooseRow(int row);
    std::vector<int> SelectedRows() const;
    // Enter with nothing to take: the line is skipped, as with "Нет".
    bool EnterSkips() const;
    void MarkContextLine();

    std::vector<CDocRecvisits> m_candidates;
    std::vector<CCandidateAgreement> m_agreements; // empty, or one per candidate
    const COrvoLinkDict* m_notepad;
    int m_mode = 0;
    std::int32_t m_number = 0;
    std::vector<CDocRecvisits> m_chosen;
    bool m_scrolled = false;
    int m_contextLine = -1;
    bool m_inPass = false;

    QPlainTextEdit* m_context;
    QLineEdit* m_date;
    QLineEdit* m_selection;
    CMultiListBox* m_list;
    QRadioButton* m_fromList;
    QRadioButton* m_byNumber;
    QLineEdit* m_numberEdit;
    QPushButton* m_blocknote;
    QPushButton* m_remove;
    QPushButton* m_yes;
    QLabel* m_base;
    QLabel* m_status;
};
