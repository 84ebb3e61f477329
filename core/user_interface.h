#pragma once

// What the engine asks of a person or of the window. The desktop program answers with real
// dialogs, the command-line tool with a fixed policy, the tests from a script.
//
// Texts handed to the interface (messages, titles, captions, file paths) are UTF-8; records and
// dictionary values inside the dialog structs stay in code page 1251, as the engine holds them.

#include <string>
#include <vector>

class CIndexingProgress;
class CRecvDict;

// Answers of message boxes, with the values the system has always used.
enum Answer : int { AnswerOk = 1, AnswerCancel = 2, AnswerYes = 6, AnswerNo = 7 };

enum class MsgIcon { Error, Warning, Question, Information };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };

struct FileDialogRequest {
    std::string title;       // empty: the toolkit's own caption
    std::string defaultExt;  // without the point, e.g. "txt"
    std::string fileName;    // proposed name, e.g. "Словарь"
    std::string filter;      // "Текстовые файлы(*.txt)|*.txt||"
    std::string initialDir;  // empty: wherever the toolkit remembers
    bool confirmOverwrite = false;
};

class CUserInterface {
public:
    virtual ~CUserInterface() = default;

    // A message box with the application's name as caption; returns one of Answer.
    virtual int MessageBox(const std::string& text, MsgIcon icon, MsgButtons buttons = MsgButtons::Ok) = 0;

    // File dialogs; false when the person cancels. The path is UTF-8.
    virtual bool AskSaveFileName(const FileDialogRequest& request, std::string& path) = 0;
    // filterIndex: on return, the filter the person chose (0 for the first).
    virtual bool AskOpenFileName(const FileDialogRequest& request, std::string& path, int& filterIndex) = 0;
    bool AskOpenFileName(const FileDialogRequest& request, std::string& path)
    {
        int filterIndex = 0;
        return AskOpenFileName(request, path, filterIndex);
    }

    // Long work: the wait cursor, a turn for the window's pending events, and the import's
    // progress dialog over an engine-side model (nullptr closes it).
    virtual void SetWaitCursor(bool on) = 0;
    virtual void ProcessEvents() = 0;
    virtual void ShowIndexingProgress(CIndexingProgress* progress) = 0;

    // The string dictionary dialog over a working copy of the strings (code page 1251). True when
    // it ended with OK and the copy was changed; the caller then takes the copy.
    virtual bool EditStringList(const std::string& title, const std::string& column, std::vector<std::string>& strings)
        = 0;

    // The requisite value dictionary dialog over a working copy. True when it ended with OK and
    // its modified flag was set; the caller then takes the copy.
    virtual bool EditRecvDict(const std::string& caption, const std::string& column, CRecvDict& dict) = 0;
};

// The wait cursor for the life of a scope.
class CWaitCursor {
public:
    explicit CWaitCursor(CUserInterface& ui)
        : m_ui(ui)
    {
        m_ui.SetWaitCursor(true);
    }
    ~CWaitCursor() { m_ui.SetWaitCursor(false); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    CUserInterface& m_ui;
};

// Messages are written once, in the source's UTF-8; these helpers keep the call sites short.
inline void ShowError(CUserInterface& ui, const std::string& text) { ui.MessageBox(text, MsgIcon::Error); }
inline void ShowInfo(CUserInterface& ui, const std::string& text) { ui.MessageBox(text, MsgIcon::Information); }
