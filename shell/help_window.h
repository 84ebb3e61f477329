#pragma once

// Telvarion's own help: Russian HTML pages kept in the program's resources, shown in a window of
// their own with the contents on the left and back / forward. The page of commands and keys is
// completed from the command table when it is shown, so it never disagrees with the menus; the
// pictures of the line view and the toolbar are drawn by the same code that draws them on screen.

#include <vector>

#include <QMainWindow>
#include <QTextBrowser>
#include <QUrl>

class QAction;
class QListWidget;

class CHelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit CHelpBrowser(QWidget* parent = nullptr);

    // The folder the program keeps its data in, for the page that tells where it is.
    void SetDataFolder(const QString& folder) { m_dataFolder = folder; }

    // Pages from the resources with the generated parts filled in; "icon:N" and "picture:N"
    // images drawn by the program's own code.
    QVariant loadResource(int type, const QUrl& name) override;

private:
    QString m_dataFolder;
};

class CHelpWindow : public QMainWindow {
    Q_OBJECT
public:
    struct Page {
        const char* file; // in qrc:/help/
        const char* title;
    };
    // The contents, in reading order; the first page is the start page.
    static const std::vector<Page>& Pages();
    static QUrl PageUrl(const QString& file);

    explicit CHelpWindow(QWidget* parent = nullptr);

    void SetDataFolder(const QString& folder) { m_browser->SetDataFolder(folder); }
    // Shows a page (a file of the contents, optionally with "#anchor") and brings the window up.
    void ShowPage(const QString& file = QString());

    CHelpBrowser* Browser() const { return m_browser; }
    QListWidget* Contents() const { return m_contents; }

private:
    void SyncContents(const QUrl& url);

    CHelpBrowser* m_browser = nullptr;
    QListWidget* m_contents = nullptr;
    QAction* m_back = nullptr;
    QAction* m_forward = nullptr;
};

// The help window of a top-level window, made on first use and kept with it; shows the page.
CHelpWindow* ShowHelpWindow(QWidget* owner, const QString& dataFolder, const QString& page = QString());
