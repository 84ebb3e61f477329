#include "view/view_message.h"

#include <algorithm>

#include <QAbstractButton>

QMessageBox::StandardButton ViewMessageBox(
    QWidget* parent, QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, QString::fromLatin1(kViewCaption), text, buttons, parent);
    // Qt's own button texts are English unless a translation is loaded; these are the program's.
    const struct {
        QMessageBox::StandardButton button;
        const char* text;
    } names[] = { { QMessageBox::Yes, "Да" }, { QMessageBox::No, "Нет" }, { QMessageBox::Cancel, "Отмена" } };
    for (const auto& name : names)
        if (QAbstractButton* b = box.button(name.button))
            b->setText(QString::fromUtf8(name.text));
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

bool ViewAskYesNo(QWidget* parent, const QString& text)
{
    return ViewMessageBox(parent, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void FitTitleWidth(QWidget* dialog)
{
    // Title bars often use a bolder or larger face than the dialog: a fifth more, and room for
    // the icon and the buttons.
    const int needed = dialog->fontMetrics().horizontalAdvance(dialog->windowTitle()) * 6 / 5 + 140;
    dialog->setMinimumWidth(std::max(dialog->minimumWidth(), needed));
}
