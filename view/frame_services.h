#pragma once

// What the line view asks of the main window: the two position panes of the status bar and the
// requisites bar. The frame implements it; tests may give their own.

#include <QString>

class CFrameServices {
public:
    virtual ~CFrameServices() = default;
    virtual void SetLinePane(const QString& text) = 0;       // "%i:%i"
    virtual void SetSuspiciousPane(const QString& text) = 0; // "Под.стр. %i:%i"
    virtual void SetRequisitesText(const QString& text) = 0;
    virtual bool IsRequisitesBarVisible() const = 0;
};
