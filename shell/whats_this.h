#pragma once

// The "what's this" help: a short text for every command (shown for the toolbar buttons and menu
// entries) and for the fields of the main dialogs, and the application-wide Shift+F1 that enters
// the mode from the main window and from any dialog.

#include <span>

#include <QObject>
#include <QString>

#include "shell/command_table.h"

class QWidget;

// The what's-this text of a command: what it does and its keys.
QString CommandWhatsThis(CommandId id);

// Gives a dialog of the program (known by its class) and its named fields their texts. Returns
// how many widgets got a text; dialogs not listed get none.
int ApplyDialogWhatsThis(QWidget* dialog);

// The texts known for one dialog class, as (field object name, text); an empty name stands for the
// dialog itself, whose text answers for every field without one of its own.
struct CWhatsThisEntry {
    const char* dialogClass;
    const char* field;
    const char* text;
};
std::span<const CWhatsThisEntry> DialogWhatsThisTable();

// Installed on the application: Shift+F1 anywhere enters what's-this mode, and every dialog gets its
// texts when it is first shown.
class CContextHelp : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
