#pragma once

// The common frame of the search condition dialogs: their own lists above, the operator under
// "Условия поиска" ("И", "ИЛИ", "НЕ") and OK / Отмена below. Each dialog works on its own copy of
// the condition; the caller takes the result only after OK.

#include <cstdint>

#include <QDialog>

class QLayout;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

class CSearchConditionDlg : public QDialog {
    Q_OBJECT
public:
    // 0 И, 1 ИЛИ, 2 НЕ, from the radio buttons.
    std::int32_t Operator() const;

protected:
    CSearchConditionDlg(const QString& title, std::int32_t op, QWidget* parent);
    // Lays out the dialog with the given content above the operator and the buttons.
    void Finish(QLayout* content);

private:
    QRadioButton* m_and;
    QRadioButton* m_or;
    QRadioButton* m_not;
};

// The list dialogs of typed values, words or numbers: the list, "Новое" with "Добавить",
// "Удалить" for the selected values and "Очистить" for all of them.
class CTypedValuesDlg : public CSearchConditionDlg {
    Q_OBJECT
protected:
    CTypedValuesDlg(const QString& title, std::int32_t op, QWidget* parent);

    // Takes the field's text into the values; false when it gives no value.
    virtual bool Append(const QString& text) = 0;
    // The values in the order shown.
    virtual QStringList Shown() const = 0;
    // Removes the values at these positions of the shown order (ascending).
    virtual void RemoveShown(const QList<int>& rows) = 0;
    virtual void ClearValues() = 0;

    void Refill();
    QLineEdit* Field() const { return m_field; }
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnAdd();
    void OnRemove();
    void UpdateButtons();

    QListWidget* m_list;
    QLineEdit* m_field;
    QPushButton* m_add;
    QPushButton* m_remove;
};
