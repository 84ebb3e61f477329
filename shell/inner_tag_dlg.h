#pragma once

// "Тег внутрибазовой гиперссылки": the view's manual intra-base tag. The person gives the
// document number (typed or one of the recent numbers), the link kind, an optional line of the
// linked document and the two keys; OK composes the tag line.

#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The fields both intra-base tag dialogs share: the link kind list, the line number and the keys.
// The owner lays them out.
class CInnerTagFields {
public:
    CInnerTagFields(QWidget* owner, const QString& lineCaption, Qt::Orientation keysOrientation);

    // The tag line for the chosen kind, the given document number and the fields as typed: an
    // empty line number is line 0, which leaves the line piece out.
    std::string Compose(std::int32_t number) const;
    // The description of the selected link kind.
    QString KindDescription() const;

    QLabel* kindLabel;
    QComboBox* kind;
    QLabel* lineLabel;
    QLineEdit* line;
    QGroupBox* keys;
    QCheckBox* keyO;
    QCheckBox* keyP;
};

class CInnerTagDlg : public QDialog {
    Q_OBJECT
public:
    explicit CInnerTagDlg(const std::deque<std::int32_t>& recentNumbers, QWidget* parent = nullptr);

    // After OK: the composed tag line (code page 1251) and the document number as typed.
    const std::string& Tag() const { return m_tag; }
    QString NumberText() const;

    // Asked on OK with the typed number; false keeps the dialog open with the number selected.
    void SetCheck(std::function<bool(const QString&)> check) { m_check = std::move(check); }
    void accept() override;

private:
    std::function<bool(const QString&)> m_check;
    QComboBox* m_number;
    CInnerTagFields m_fields;
    QPlainTextEdit* m_description;
    std::string m_tag;
};
