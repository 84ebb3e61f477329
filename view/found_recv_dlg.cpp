#include "view/found_recv_dlg.h"

#include <QDialogButtonBox>
#include <QStringListModel>
#include <QVBoxLayout>

#include "view/qt_text.h"
#include "view/tip_list_view.h"

QStringList FoundRequisitesRows(const CDocRecvisits& found)
{
    QStringList rows;
    const auto group = [&rows](const char* heading, const std::vector<std::string>& values) {
        if (!rows.isEmpty())
            rows << QString();
        rows << QString::fromUtf8(heading);
        for (const std::string& value : values)
            rows << FromCp1251(value);
    };
    std::vector<std::string> dates;
    for (const COleDate& date : found.adoptionDates)
        dates.push_back(date.Format());
    group("Вид документов", found.types);
    group("Принявший орган", found.bodies);
    group("Номер документа", found.numbers);
    group("Дата принятия", dates);
    return rows;
}

CFoundRecvDlg::CFoundRecvDlg(const CDocRecvisits& found, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("foundRequisitesDialog"));
    setWindowTitle(QStringLiteral("Определённые реквизиты"));
    m_list = new CTipListView(this);
    m_list->setModel(new QStringListModel(FoundRequisitesRows(found), m_list));
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    resize(360, 320);
}
