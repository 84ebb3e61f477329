#include "shell/inner_tag_dlg.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "base/codepage.h"
#include "core/tag_line.h"
#include "view/qt_text.h"

namespace {

QString FromCp1251View(std::string_view s) { return FromCp1251(std::string(s)); }

} // namespace

CInnerTagFields::CInnerTagFields(QWidget* owner, const QString& lineCaption, Qt::Orientation keysOrientation)
    : kindLabel(new QLabel(QStringLiteral("Вид ссылки"), owner))
    , kind(new QComboBox(owner))
    , lineLabel(new QLabel(lineCaption, owner))
    , line(new QLineEdit(owner))
    , keys(new QGroupBox(QStringLiteral("Ключи"), owner))
    , keyO(new QCheckBox(QStringLiteral("-О"), keys))
    , keyP(new QCheckBox(QStringLiteral("-П"), keys))
{
    kind->setObjectName(QStringLiteral("kind"));
    line->setObjectName(QStringLiteral("line"));
    keys->setObjectName(QStringLiteral("keys"));
    keyO->setObjectName(QStringLiteral("keyO"));
    keyP->setObjectName(QStringLiteral("keyP"));

    // The codes in the order of the table, never sorted; the description shows as a tip too.
    kind->setEditable(false);
    for (const LinkKind& k : LinkKinds()) {
        kind->addItem(FromCp1251View(k.code));
        kind->setItemData(kind->count() - 1, FromCp1251View(k.description), Qt::ToolTipRole);
    }
    kind->setCurrentIndex(kNullLinkKind);
    kindLabel->setBuddy(kind);

    line->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,9}")), line));
    line->setMaxLength(9);
    const int digit = line->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    line->setMinimumWidth(digit * 7 + 12);
    line->setMaximumWidth(digit * 12 + 12);
    lineLabel->setBuddy(line);

    auto* keysLayout = new QBoxLayout(keysOrientation == Qt::Horizontal ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom, keys);
    keysLayout->addWidget(keyO);
    keysLayout->addWidget(keyP);
    keysLayout->addStretch();
}

std::string CInnerTagFields::Compose(std::int32_t number) const
{
    const std::int32_t lineNumber = DecimalPrefix(ToCp1251(line->text()));
    return FormatLocalTag(ToCp1251(kind->currentText()), number, lineNumber, keyO->isChecked(), keyP->isChecked());
}

QString CInnerTagFields::KindDescription() const
{
    const int index = kind->currentIndex();
    if (index < 0 || index >= static_cast<int>(LinkKinds().size()))
        return QString();
    return FromCp1251View(LinkKinds()[static_cast<std::size_t>(index)].description);
}

CInnerTagDlg::CInnerTagDlg(const std::deque<std::int32_t>& recentNumbers, QWidget* parent)
    : QDialog(parent)
    , m_number(new QComboBox(this))
    , m_fields(this, QStringLiteral("Номер строки"), Qt::Vertical)
    , m_description(new QPlainTextEdit(this))
{
    setWindowTitle(QStringLiteral("Тег внутрибазовой гиперссылки"));

    m_number->setObjectName(QStringLiteral("number"));
    m_number->setEditable(true);
    m_number->setInsertPolicy(QComboBox::NoInsert);
    for (const std::int32_t n : recentNumbers)
        m_number->addItem(QString::number(n));
    // An empty list leaves the field empty rather than showing a number nobody chose.
    m_number->setCurrentIndex(recentNumbers.empty() ? -1 : 0);
    auto* numberLabel = new QLabel(QStringLiteral("Номер документа"), this);
    numberLabel->setBuddy(m_number);

    m_description->setObjectName(QStringLiteral("description"));
    m_description->setReadOnly(true);
    m_description->setFocusPolicy(Qt::ClickFocus);
    m_description->setFixedHeight(m_description->fontMetrics().lineSpacing() * 3 + 2 * m_description->frameWidth()
        + static_cast<int>(2 * m_description->document()->documentMargin()));
    m_description->setPlainText(m_fields.KindDescription());
    connect(m_fields.kind, &QComboBox::currentIndexChanged, this,
        [this] { m_description->setPlainText(m_fields.KindDescription()); });

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* grid = new QGridLayout;
    grid->addWidget(numberLabel, 0, 0);
    grid->addWidget(m_number, 0, 1);
    grid->addWidget(m_fields.lineLabel, 1, 0);
    grid->addWidget(m_fields.line, 1, 1);
    grid->addWidget(m_fields.kindLabel, 2, 0);
    grid->addWidget(m_fields.kind, 2, 1, Qt::AlignLeft);
    grid->setColumnStretch(1, 1);
    grid->setColumnMinimumWidth(1, fontMetrics().horizontalAdvance(QStringLiteral("0")) * 14);
    grid->setRowStretch(3, 1);

    auto* top = new QHBoxLayout;
    top->addLayout(grid, 1);
    top->addSpacing(fontMetrics().averageCharWidth() * 2);
    top->addWidget(m_fields.keys);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* root = new QVBoxLayout(this);
    root->addLayout(top);
    root->addWidget(m_description);
    root->addLayout(buttons);
    root->setSizeConstraint(QLayout::SetMinimumSize);

    setTabOrder(m_number, m_fields.line);
    setTabOrder(m_fields.line, m_fields.kind);
    setTabOrder(m_fields.kind, m_fields.keyO);
    setTabOrder(m_fields.keyO, m_fields.keyP);
    setTabOrder(m_fields.keyP, ok);
    setTabOrder(ok, cancel);
    m_number->setFocus();
}

QString CInnerTagDlg::NumberText() const { return m_number->currentText(); }

void CInnerTagDlg::accept()
{
    // The caller's check looks the number up and says what it cannot find.
    if (m_check && !m_check(NumberText())) {
        m_number->setFocus();
        m_number->lineEdit()->selectAll();
        return;
    }
    m_tag = m_fields.Compose(DecimalPrefix(ToCp1251(NumberText())));
    QDialog::accept();
}
