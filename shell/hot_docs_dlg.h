#pragma once

// The hot documents: the Orvo numbers behind Ctrl+0..Ctrl+9. Fields "1".."9" are slots 1..9 and
// field "10" is slot 0, the digit the key carries.

#include <array>
#include <cstdint>
#include <vector>

#include <QDialog>

class CUserInterface;
class QLineEdit;

class CHotDocsDlg : public QDialog {
    Q_OBJECT
public:
    // hotSlots: slot 0 first; missing slots count as empty.
    CHotDocsDlg(CUserInterface& ui, const std::vector<std::int32_t>& hotSlots, QWidget* parent = nullptr);

    // The ten slots, slot 0 first; an empty field gives 0.
    std::vector<std::int32_t> Slots() const;
    // A number beyond the 32-bit range is refused with a message; the dialog stays open.
    void accept() override;

private:
    CUserInterface& m_ui;
    std::array<QLineEdit*, 10> m_fields {}; // by label: m_fields[k - 1] is field "k"
};
