#pragma once

// Start-up of the desktop program: one instance at a time, the settings' names, the document,
// its window and view, the service data when the view is first shown, the splash.

#include <memory>
#include <string>

#include <QObject>
#include <QString>

#include "document/data_folder.h"

class CMainFrame;
class CQtUserInterface;
class CTelvarionDoc;
class QLocalServer;
class QLockFile;
class QSplashScreen;

class CTelvarionApp : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kInstanceName = "telvarion-E3ACA217-7170-47d1-BF4D-B827447AB78D";

    struct Options {
        bool showSplash = true;
        // Tests run beside a real instance under a name of their own.
        QString instanceName = QString::fromLatin1(kInstanceName);
    };

    CTelvarionApp();
    explicit CTelvarionApp(Options options);
    // The window goes first, then the document, which stores its service files on the way.
    ~CTelvarionApp() override;

    // False when the program must end now: another instance runs (it was asked to come to the
    // front), the person chose to quit rather than work read-only on a data folder another
    // program holds, or the start failed.
    bool InitInstance();

    // Where the service files live, by the rule the command-line tool follows too; chosen (and on
    // a first run filled from the starter set) when the program starts.
    const data_folder::CDataFolderChoice& DataFolder() const { return m_dataFolder; }
    // Qt's own Russian texts (the file and font dialogs) from the first folder that has them: the
    // system's Qt, else the copy an installation ships in share/telvarion/translations (or
    // translations/ beside the program). The folder they came from; empty when none has them.
    static QString InstallQtTranslations(QObject* owner);
    // The key of the user's settings: on Windows the registry's
    // HKEY_CURRENT_USER\Software\Local AppWizard-Generated Applications\Telvarion.
    static void NameTheSettings();
    // The status bar's word on the data folder after start.
    static QString DataFolderMessage(const data_folder::CDataFolderChoice& choice, bool heldServiceFiles);

    CMainFrame* MainFrame() const { return m_frame.get(); }
    CTelvarionDoc* Document() const { return m_doc.get(); }
    CQtUserInterface* Ui() const { return m_ui.get(); }
    QLocalServer* InstanceServer() const { return m_server; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Once per run, when the window shows and the service data are read.
    void OfferRecovery();
    // True when this is the first instance; false after a running one was asked to come forward.
    bool SecureSingleInstance();
    void OnSecondStart();
    QString InstancePath() const;
    QString InstanceLockPath() const;

    Options m_options;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
    std::unique_ptr<CQtUserInterface> m_ui;
    std::unique_ptr<CTelvarionDoc> m_doc;
    std::unique_ptr<CMainFrame> m_frame;
    data_folder::CDataFolderChoice m_dataFolder;
    bool m_dataFolderHeldFiles = false;
    QSplashScreen* m_splash = nullptr;
    bool m_windowShown = false;
    bool m_serviceDataLoaded = false;
    bool m_recoveryOffered = false;
};
