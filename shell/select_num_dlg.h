#pragma once

// "Номер документа базы Орво": the number of the Orvo document an inter-base tag placed by hand
// links to, typed, picked from the recent numbers, or taken from the notepad.

#include <cstdint>
#include <deque>
#include <functional>

#include <QDialog>

class COrvoLinkDict;
class QComboBox;
class QPushButton;

class CSelectNumDlg : public QDialog {
    Q_OBJECT
public:
    // notepad may be null: "Блокнот" is then unavailable.
    CSelectNumDlg(const std::deque<std::int32_t>& recentNumbers, const COrvoLinkDict* notepad, QWidget* parent = nullptr);

    // The text of the number box; the caller reads it as a number.
    QString NumberText() const;
    // Asked on OK with the typed number; false keeps the dialog open with the number selected.
    void SetCheck(std::function<bool(const QString&)> check) { m_check = std::move(check); }
    void accept() override;

private:
    void PickFromNotepad();
    void UpdateOk();

    const COrvoLinkDict* m_notepad;
    QComboBox* m_number;
    QPushButton* m_ok;
    std::function<bool(const QString&)> m_check;
};
