#pragma once

// An ordered list of strings the user edits in the dictionary dialog (the keywords of the Orvo
// analysis are one), stored as a list of strings and exported as a numbered text file.

#include <string>
#include <vector>

class CArchive;
class CUserInterface;

class CStringDict {
public:
    std::vector<std::string> strings; // code page 1251, in the user's order; duplicates allowed

    void Serialize(CArchive& ar);

    // Shows the dictionary dialog over a working copy; takes the copy only when the dialog ends
    // with OK and reports a change. True exactly when the strings were replaced.
    bool Edit(CUserInterface& ui, const std::string& title, const std::string& column);
};

// The export of the dictionary dialog's "Сохранить": asks for a file name and writes the list as
// numbered lines. False when the person cancels or the file cannot be written (after the message).
bool ExportStringList(CUserInterface& ui, const std::vector<std::string>& strings);
// The exported text itself: two empty lines, then " %3d.  %s" per string, every line ended by CR LF.
std::string FormatStringListExport(const std::vector<std::string>& strings);
