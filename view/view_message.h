#pragma once

// The message boxes of the view: every one carries the product name as its caption.

#include <QMessageBox>
#include <QString>

inline constexpr const char* kViewCaption = "Telvarion";

// Returns the button pressed.
QMessageBox::StandardButton ViewMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
    QMessageBox::StandardButtons buttons = QMessageBox::Ok);
// A question with Да and Нет; true for Да.
bool ViewAskYesNo(QWidget* parent, const QString& text);
// Gives a small dialog the width its title needs beside the title bar's buttons, so that the
// window manager does not cut the title off.
void FitTitleWidth(QWidget* dialog);
