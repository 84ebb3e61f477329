#include "shell/showed_icons_dlg.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// In the order of the flags.
constexpr const char* kTexts[kShownPicturesCount] = {
    "Межбазовые ссылки, уже стоявшие в документе",
    "Новые межбазовые ссылки",
    "Внутрибазовые ссылки, уже стоявшие в документе",
    "Новые внутрибазовые ссылки",
    "Подозрительные строки, в которых определили 0 типов реквизитов документов Орво",
    "Подозрительные строки, в которых определили 1 типа реквизитов документов Орво",
    "Подозрительные строки, в которых определили 2 типа реквизитов документов Орво",
    "Подозрительные строки, в которых определили 3 типа реквизитов документов Орво",
    "Подозрительные строки, в которых определили 4 типа реквизитов документов Орво",
    "Подозрительные строки, в которых определили 0 типов реквизитов внутрибазовых документов",
    "Подозрительные строки, в которых определили 1 типа реквизитов  внутрибазовых документов",
    "Подозрительные строки, в которых определили 2 типа реквизитов внутрибазовых документов",
    "Подозрительные строки, в которых определили 3 типа реквизитов внутрибазовых документов",
    "Подозрительные строки, в которых определили 4 типа реквизитов внутрибазовых документов",
};

} // namespace

CShowedIconsDlg::CShowedIconsDlg(const ShownPicturesFlags& flags, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Отображаемые картинки"));
    auto* root = new QVBoxLayout(this);
    for (std::size_t i = 0; i < m_boxes.size(); ++i) {
        auto* box = new QCheckBox(QString::fromUtf8(kTexts[i]), this);
        box->setObjectName(QStringLiteral("picture%1").arg(i));
        box->setChecked(flags[i] != 0);
        m_boxes[i] = box;
        root->addWidget(box);
        // The link kinds, the Orvo counts and the local counts are three groups.
        if (i == 3 || i == 8)
            root->addSpacing(8);
    }
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    root->addLayout(buttons);
}

ShownPicturesFlags CShowedIconsDlg::Flags() const
{
    ShownPicturesFlags flags {};
    for (std::size_t i = 0; i < m_boxes.size(); ++i)
        flags[i] = m_boxes[i]->isChecked() ? 1 : 0;
    return flags;
}
