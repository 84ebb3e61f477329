#include "shell/telvarion_app.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QLibraryInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLocale>
#include <QLockFile>
#include <QScreen>
#include <QSplashScreen>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStringList>
#include <QTimer>
#include <QTranslator>

#include "document/telvarion_doc.h"
#include "shell/icons.h"
#include "shell/main_frame.h"
#include "shell/qt_user_interface.h"
#include "shell/whats_this.h"
#include "view/telvarion_view.h"

namespace {

constexpr int kSplashMs = 2000;
constexpr int kConnectAttempts = 3;
constexpr int kConnectWaitMs = 500;

} // namespace

CTelvarionApp::CTelvarionApp()
    : CTelvarionApp(Options {})
{
}

CTelvarionApp::CTelvarionApp(Options options)
    : m_options(std::move(options))
{
}

CTelvarionApp::~CTelvarionApp()
{
    if (m_ui)
        m_ui->Attach(nullptr, nullptr);
    delete m_splash;
    m_frame.reset();
    m_doc.reset();
    m_ui.reset();
    if (m_server)
        m_server->close();
}

QString CTelvarionApp::DataFolderMessage(const data_folder::CDataFolderChoice& choice, bool heldServiceFiles)
{
    const QString folder = QDir::toNativeSeparators(QString::fromStdString(choice.folder));
    QString text = QStringLiteral("Папка данных: %1").arg(folder);
    if (!choice.error.empty())
        text += QStringLiteral(" — не удалось подготовить её полностью, словари могут быть пусты");
    else if (!choice.copied.empty())
        text += QStringLiteral(" — первый запуск: скопированы начальные словари");
    else if (!heldServiceFiles)
        text += QStringLiteral(" — первый запуск: служебные файлы созданы, словари пусты");
    return text;
}

QString CTelvarionApp::InstancePath() const
{
#ifdef Q_OS_WIN
    return m_options.instanceName;
#else
    // A socket file of the user's own, so that two users of one machine do not meet.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return QDir(folder).filePath(m_options.instanceName);
#endif
}

QString CTelvarionApp::InstanceLockPath() const
{
#ifdef Q_OS_WIN
    // The channel is a named pipe, not a file; the lock lies in the user's own temporary folder,
    // never in whatever folder the program was started from.
    return QDir(QDir::tempPath()).filePath(m_options.instanceName + QStringLiteral(".lock"));
#else
    return InstancePath() + QStringLiteral(".lock");
#endif
}

bool CTelvarionApp::SecureSingleInstance()
{
    const QString path = InstancePath();
    m_lock = std::make_unique<QLockFile>(InstanceLockPath());
    // Only a dead owner makes the lock stale, never its age: the program runs for days.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() != QLockFile::LockFailedError) {
            // Nowhere to keep the lock: run rather than refuse to start.
            m_lock.reset();
            return true;
        }
        // Another instance: ask it to come forward. Before it has a window it ignores the call.
        for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
            QLocalSocket socket;
            socket.connectToServer(path);
            if (socket.waitForConnected(kConnectWaitMs)) {
                socket.write("activate\n");
                socket.waitForBytesWritten(kConnectWaitMs);
                socket.disconnectFromServer();
                break;
            }
        }
        m_lock.reset();
        return false;
    }
    // The lock is ours, so a socket file left there belongs to a run that crashed.
    QLocalServer::removeServer(path);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &CTelvarionApp::OnSecondStart);
    m_server->listen(path);
    return true;
}

void CTelvarionApp::OnSecondStart()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (socket->state() != QLocalSocket::ConnectedState)
            socket->deleteLater();
    }
    if (m_windowShown && m_frame)
        m_frame->BringToFront();
}

QString CTelvarionApp::InstallQtTranslations(QObject* owner)
{
    const QString program = QCoreApplication::applicationDirPath();
    const QStringList folders { QLibraryInfo::path(QLibraryInfo::TranslationsPath),
        program + QStringLiteral("/../share/telvarion/translations"), program + QStringLiteral("/translations") };
    for (const QString& folder : folders) {
        auto* translator = new QTranslator(owner);
        if (translator->load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"), folder)) {
            QCoreApplication::installTranslator(translator);
            return QDir::cleanPath(folder);
        }
        delete translator;
    }
    return {};
}

void CTelvarionApp::NameTheSettings()
{
    // A host that keeps its own key (the window tests, so that on Windows they keep out of the
    // registry key of the editor's program) is left with it.
    if (!QCoreApplication::organizationName().isEmpty())
        return;
    QCoreApplication::setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
    QCoreApplication::setApplicationName(QStringLiteral("Telvarion"));
}

bool CTelvarionApp::InitInstance()
{
    if (!SecureSingleInstance())
        return false;

    NameTheSettings();
    QApplication::setWindowIcon(MakeIcon(IconId::Program));
    // Shift+F1 enters what's-this mode anywhere; dialogs get their texts when shown.
    qApp->installEventFilter(new CContextHelp(this));
    InstallQtTranslations(this);

    m_ui = std::make_unique<CQtUserInterface>();
    m_dataFolder = data_folder::ChooseForThisProgram();
    m_dataFolderHeldFiles = data_folder::HoldsServiceFiles(m_dataFolder.folder);
    m_doc = std::make_unique<CTelvarionDoc>(*m_ui, m_dataFolder.folder);
    m_frame = std::make_unique<CMainFrame>(*m_doc);
    m_ui->Attach(m_frame.get(), m_frame->View());
    m_frame->View()->installEventFilter(this);
    // Before anything is read: another program working on the folder makes this run read-only,
    // or ends it when the person would rather not work so.
    if (!m_doc->LockDataFolder("telvarion"))
        return false;

    if (m_options.showSplash) {
        m_splash = new QSplashScreen(MakeSplashPixmap(qApp->devicePixelRatio()), Qt::WindowStaysOnTopHint);
        m_splash->setObjectName(QStringLiteral("Splash"));
        m_splash->show();
        QCoreApplication::processEvents();
        QTimer::singleShot(kSplashMs, this, [this] {
            if (m_splash)
                m_splash->close();
            if (m_frame)
                m_frame->BringToFront();
            // The question of the recovery comes once the splash is gone: asked under it, the window
            // manager may never show it, and the window would wait for an answer nobody can give.
            OfferRecovery();
        });
    }

    // The size the window returns to from maximised.
    if (const QScreen* screen = m_frame->screen()) {
        const QRect area = screen->availableGeometry();
        m_frame->resize(area.size() * 4 / 5);
        m_frame->move(area.center() - m_frame->rect().center());
    }
    m_frame->showMaximized();
    m_windowShown = true;
    if (!m_splash)
        OfferRecovery();
    return true;
}

void CTelvarionApp::OfferRecovery()
{
    // With the window there and the service data read: what a run that ended without saving left.
    if (!m_serviceDataLoaded || !m_frame || m_recoveryOffered)
        return;
    m_recoveryOffered = true;
    m_doc->OfferRecovery();
    m_frame->UpdateActions();
}

bool CTelvarionApp::eventFilter(QObject* watched, QEvent* event)
{
    // The view's first showing loads the service data, before the view builds its font from the
    // settings in them.
    if (event->type() == QEvent::Show && m_frame && watched == m_frame->View() && !m_serviceDataLoaded) {
        m_serviceDataLoaded = true;
        m_doc->LoadServiceData();
        QString message = DataFolderMessage(m_dataFolder, m_dataFolderHeldFiles);
        if (m_doc->IsReadOnly())
            message += QStringLiteral(" — только для чтения: словари, блокнот и настройки не сохраняются");
        m_frame->statusBar()->showMessage(message);
    }
    return QObject::eventFilter(watched, event);
}
