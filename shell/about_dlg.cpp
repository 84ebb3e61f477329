#include "shell/about_dlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/icons.h"

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutDlg"));
    setWindowTitle(QStringLiteral("О программе"));

    auto* icon = new QLabel(this);
    icon->setPixmap(DrawIcon(IconId::Program, 48, devicePixelRatioF()));
    icon->setAlignment(Qt::AlignTop);

    auto* name = new QLabel(QStringLiteral("<b>Telvarion</b>, версия %1").arg(QStringLiteral(TELVARION_VERSION)), this);
    name->setObjectName(QStringLiteral("name"));
    auto* about = new QLabel(QStringLiteral("Расстановка гиперссылок в текстах правовых документов: программа находит "
                                            "ссылки на другие документы, сверяет их со словарями локальной базы и "
                                            "базы Орво и с подтверждения редактора вставляет теги гиперссылок."),
        this);
    about->setObjectName(QStringLiteral("description"));
    about->setWordWrap(true);
    about->setMinimumWidth(320);

    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(about);
    texts->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(8);
    top->addLayout(texts, 1);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
