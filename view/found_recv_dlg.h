#pragma once

// "Определённые реквизиты": what the analyses recognised in a line, in four groups.

#include <QDialog>
#include <QStringList>

#include "requisites/doc_recvisits.h"

class CTipListView;

// The rows: each group's heading, then its values; an empty row before every group but the
// first. A group without values keeps its heading.
QStringList FoundRequisitesRows(const CDocRecvisits& found);

class CFoundRecvDlg : public QDialog {
    Q_OBJECT
public:
    CFoundRecvDlg(const CDocRecvisits& found, QWidget* parent);
    CTipListView* List() const { return m_list; }

private:
    CTipListView* m_list;
};
