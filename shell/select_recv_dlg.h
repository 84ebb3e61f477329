#pragma once

// "Учитываемые реквизиты": the requisites recognised in a line, grouped by kind, each with a tick
// mark; the ticked ones and the chosen base go to a new search for the line.

#include <QDialog>

#include "requisites/doc_recvisits.h"

class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

class CSelectRecvDlg : public QDialog {
    Q_OBJECT
public:
    // localBase: the process-wide base choice the dialog starts from.
    CSelectRecvDlg(const CDocRecvisits& requisites, bool localBase, QWidget* parent = nullptr);

    // After OK: the ticked values (the other fields as given) and the base chosen.
    const CDocRecvisits& Requisites() const { return m_requisites; }
    bool LocalBase() const { return m_localBase; }

    // The rows: one header per group ("Вид документа", "Принявший орган", "Номер документа",
    // "Дата принятия") with its values below it.
    QTreeWidget* Rows() const { return m_rows; }

    void accept() override;

private:
    void Couple(QTreeWidgetItem* item);

    CDocRecvisits m_requisites;
    bool m_localBase;
    QTreeWidget* m_rows;
    QRadioButton* m_local;
    QRadioButton* m_orvo;
    bool m_coupling = false;
};
