#include "shell/select_recv_dlg.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "base/codepage.h"
#include "view/qt_text.h"

namespace {

enum Group { Types, Bodies, Numbers, Dates, GroupCount };

// A date row as the dialog wrote it, "%d.%m.%Y": day, the two characters after the first point,
// then the rest after the second.
COleDate ReadRowDate(const std::string& text)
{
    const std::int32_t day = DecimalPrefix(text.substr(0, 2));
    const std::size_t point = text.find('.');
    if (point == std::string::npos)
        return COleDate::FromText(0, 0, day);
    const std::string afterPoint = text.substr(point + 1);
    const std::int32_t month = DecimalPrefix(afterPoint.substr(0, 2));
    const std::int32_t year = afterPoint.size() > 3 ? DecimalPrefix(afterPoint.substr(3)) : 0;
    return COleDate::FromText(year, month, day);
}

} // namespace

CSelectRecvDlg::CSelectRecvDlg(const CDocRecvisits& requisites, bool localBase, QWidget* parent)
    : QDialog(parent)
    , m_requisites(requisites)
    , m_localBase(localBase)
    , m_rows(new QTreeWidget(this))
    , m_local(new QRadioButton(QStringLiteral("Локальная"), this))
    , m_orvo(new QRadioButton(QStringLiteral("Орво"), this))
{
    setWindowTitle(QStringLiteral("Учитываемые реквизиты"));

    m_rows->setObjectName(QStringLiteral("rows"));
    m_rows->setColumnCount(1);
    m_rows->header()->hide();
    m_rows->header()->setStretchLastSection(true);
    m_rows->setRootIsDecorated(false);
    m_rows->setItemsExpandable(false);
    m_rows->setSelectionMode(QAbstractItemView::SingleSelection);

    // Every row starts ticked, the headers too, even for a group without values.
    const auto addGroup = [this](const QString& caption, const QStringList& values) {
        auto* header = new QTreeWidgetItem(m_rows, QStringList(caption));
        QFont bold = m_rows->font();
        bold.setBold(true);
        header->setFont(0, bold);
        header->setCheckState(0, Qt::Checked);
        for (const QString& value : values)
            (new QTreeWidgetItem(header, QStringList(value)))->setCheckState(0, Qt::Checked);
    };
    const auto texts = [](const std::vector<std::string>& values) {
        QStringList out;
        for (const std::string& v : values)
            out << FromCp1251(v);
        return out;
    };
    QStringList dates;
    for (const COleDate& date : m_requisites.adoptionDates)
        dates << FromCp1251(date.Format());
    addGroup(QStringLiteral("Вид документа"), texts(m_requisites.types));
    addGroup(QStringLiteral("Принявший орган"), texts(m_requisites.bodies));
    addGroup(QStringLiteral("Номер документа"), texts(m_requisites.numbers));
    addGroup(QStringLiteral("Дата принятия"), dates);
    m_rows->expandAll();
    connect(m_rows, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item) { Couple(item); });
    if (m_rows->topLevelItemCount() > 0)
        m_rows->setCurrentItem(m_rows->topLevelItem(0));

    auto* base = new QGroupBox(QStringLiteral("База документов"), this);
    m_local->setObjectName(QStringLiteral("local"));
    m_orvo->setObjectName(QStringLiteral("orvo"));
    (localBase ? m_local : m_orvo)->setChecked(true);
    auto* baseLayout = new QHBoxLayout(base);
    baseLayout->addWidget(m_local);
    baseLayout->addWidget(m_orvo);
    baseLayout->addStretch();

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(ok, &QPushButton::clicked, this, &CSelectRecvDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(base);
    bottom->addStretch();
    bottom->addWidget(ok, 0, Qt::AlignBottom);
    bottom->addWidget(cancel, 0, Qt::AlignBottom);

    auto* root = new QVBoxLayout(this);
    root->addWidget(m_rows, 1);
    root->addLayout(bottom);

    const QFontMetrics metrics = fontMetrics();
    resize(metrics.averageCharWidth() * 80, metrics.lineSpacing() * 26);

    setTabOrder(m_rows, m_local);
    setTabOrder(m_local, m_orvo);
    setTabOrder(m_orvo, ok);
    setTabOrder(ok, cancel);
    m_rows->setFocus();
}

void CSelectRecvDlg::Couple(QTreeWidgetItem* item)
{
    // The changes made here must not set the rule off again.
    if (m_coupling)
        return;
    m_coupling = true;
    if (QTreeWidgetItem* header = item->parent()) {
        bool anyTicked = false;
        for (int i = 0; i < header->childCount(); ++i)
            anyTicked = anyTicked || header->child(i)->checkState(0) == Qt::Checked;
        header->setCheckState(0, anyTicked ? Qt::Checked : Qt::Unchecked);
    } else {
        const Qt::CheckState state = item->checkState(0);
        for (int i = 0; i < item->childCount(); ++i)
            item->child(i)->setCheckState(0, state);
    }
    m_coupling = false;
}

void CSelectRecvDlg::accept()
{
    m_requisites.types.clear();
    m_requisites.bodies.clear();
    m_requisites.numbers.clear();
    m_requisites.adoptionDates.clear();
    // Only value rows count; a header's own tick adds nothing.
    for (int group = 0; group < m_rows->topLevelItemCount() && group < GroupCount; ++group) {
        const QTreeWidgetItem* header = m_rows->topLevelItem(group);
        for (int i = 0; i < header->childCount(); ++i) {
            const QTreeWidgetItem* row = header->child(i);
            if (row->checkState(0) != Qt::Checked)
                continue;
            std::string text = ToCp1251(row->text(0));
            switch (group) {
            case Types:
                m_requisites.types.push_back(std::move(text));
                break;
            case Bodies:
                m_requisites.bodies.push_back(std::move(text));
                break;
            case Numbers:
                m_requisites.numbers.push_back(std::move(text));
                break;
            case Dates:
                m_requisites.adoptionDates.push_back(ReadRowDate(text));
                break;
            }
        }
    }
    m_localBase = m_local->isChecked();
    QDialog::accept();
}
