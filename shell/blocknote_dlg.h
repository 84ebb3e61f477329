#pragma once

// "Блокнот" picker: the notepad's Orvo documents, one entry each with its requisites; OK gives
// the number in base of the selected one.

#include <cstdint>
#include <optional>

#include <QDialog>

class COrvoLinkDict;
class CMultiListBox;

class CBlocknoteDlg : public QDialog {
    Q_OBJECT
public:
    explicit CBlocknoteDlg(const COrvoLinkDict& notepad, QWidget* parent = nullptr);

    // After OK: the chosen entry's number in base; nothing when no entry was selected.
    std::optional<std::int32_t> ChosenNumber() const { return m_chosen; }

    void accept() override;

private:
    const COrvoLinkDict& m_notepad;
    CMultiListBox* m_list;
    std::optional<std::int32_t> m_chosen;
};
