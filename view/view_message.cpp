#include "view/view_message.h"

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
