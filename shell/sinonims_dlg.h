#pragma once

// "Синонимы": the synonyms of one requisite value; removes, clears and adds normalised synonyms.
// Works on the record it is given; the caller hands it a copy.

#include <QDialog>

class CJumpList;
class CRecvRec;
class CUserInterface;
class QLineEdit;
class QPushButton;

class CSinonimsDlg : public QDialog {
    Q_OBJECT
public:
    CSinonimsDlg(CUserInterface& ui, CRecvRec& record, QWidget* parent = nullptr);

private:
    void Refill();
    void UpdateButtons();
    void OnClear();
    void OnRemove();
    void OnAdd();

    CUserInterface& m_ui;
    CRecvRec& m_record;
    CJumpList* m_list;
    QLineEdit* m_newSynonym;
    QPushButton* m_remove;
    QPushButton* m_add;
};
