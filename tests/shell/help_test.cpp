// The program's own help and its first start: F1 opens the help window, every page loads with its
// pictures and with no link that leads nowhere, the page of commands lists every command of the
// command table with its keys, back and forward walk the pages; Shift+F1 enters what's-this mode in
// the window and in dialogs, whose fields have their texts; a start in an empty data folder
// writes the service files and names the folder in the status bar.

#include <memory>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <QToolBar>
#include <QWhatsThis>

#include "document/data_folder.h"
#include "document/telvarion_doc.h"
#include "shell/command_table.h"
#include "shell/help_window.h"
#include "shell/main_frame.h"
#include "shell/options_dlg.h"
#include "shell/requisites_bar.h"
#include "shell/qt_user_interface.h"
#include "shell/telvarion_app.h"
#include "shell/whats_this.h"
#include "view/telvarion_view.h"

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif
#include "isolated_run.h"

namespace {

QString TestData() { return qEnvironmentVariable("TELVARION_TEST_DATA"); }

// Keeps a picture of a window when the screenshot script asks for them.
void Keep(QWidget* widget, const QString& name)
{
    const QString folder = qEnvironmentVariable("TELVARION_SCREENSHOT_DIR");
    if (folder.isEmpty() || !widget)
        return;
    QTest::qWait(200);
    widget->grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

// A program over a data folder of its own: a copy of the starter set, or nothing at all.
struct Session {
    QTemporaryDir dir;
    std::unique_ptr<CTelvarionApp> app;

    QString DataDir() const { return dir.filePath(QStringLiteral("data")); }
    CMainFrame* Frame() const { return app->MainFrame(); }

    bool Start(bool withStarterFiles = true)
    {
        QDir().mkpath(DataDir());
        if (withStarterFiles) {
            const QDir source(TestData());
            const QStringList files = source.entryList({ QStringLiteral("Telvarion.*") }, QDir::Files);
            if (files.isEmpty()) {
                qWarning("no starter service files in %s", qPrintable(source.path()));
                return false;
            }
            for (const QString& name : files)
                QFile::copy(source.filePath(name), QDir(DataDir()).filePath(name));
        }
        qputenv("TELVARION_DATA_DIR", QFile::encodeName(DataDir()));
        CTelvarionApp::Options options;
        options.showSplash = false;
        options.instanceName = QStringLiteral("telvarion-help-test-%1").arg(QCoreApplication::applicationPid());
        app = std::make_unique<CTelvarionApp>(options);
        if (!app->InitInstance())
            return false;
        if (!QTest::qWaitForWindowExposed(Frame()))
            return false;
        // Pictures show the window as maximised; a virtual display has no window manager to do it.
        if (!qEnvironmentVariableIsEmpty("TELVARION_SCREENSHOT_DIR") && Frame()->screen())
            Frame()->setGeometry(Frame()->screen()->availableGeometry());
        Frame()->activateWindow();
        return QTest::qWaitForWindowActive(Frame());
    }

    CHelpWindow* Help() const { return Frame()->findChild<CHelpWindow*>(); }
};

// The links and the images of a laid-out page.
void LinksAndImages(const QTextDocument& doc, QStringList& links, QStringList& images)
{
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (format.isAnchor() && !format.anchorHref().isEmpty())
                links << format.anchorHref();
            if (format.isImageFormat())
                images << format.toImageFormat().name();
        }
    }
}

QString PlainPage(CHelpBrowser* browser, const QString& file)
{
    browser->setSource(CHelpWindow::PageUrl(file));
    return browser->document()->toPlainText();
}

} // namespace

class HelpTest : public QObject {
    Q_OBJECT
private slots:
    void f1OpensTheHelpExceptInTheLineView();
    void everyPageLoadsWithItsPicturesAndNoBrokenLink();
    void theCommandsPageListsEveryCommandWithItsKeys();
    void contentsBackAndForward();
    void shiftF1EntersWhatsThisModeInTheWindowAndInDialogs();
    void everyToolbarButtonAndTheMainDialogFieldsHaveWhatsThis();
    void aFreshDataFolderIsFilledAndNamedInTheStatusBar();
    void theStatusBarSaysWhenTheStarterFilesWereCopied();
    void theUsersFolderIsWhereQtKeepsUserData();
    void theSettingsTrashAndKeyboardAreTheSystems();
};

void HelpTest::f1OpensTheHelpExceptInTheLineView()
{
    Session s;
    QVERIFY(s.Start());
    QCOMPARE(s.Help(), nullptr);

    // The line view keeps F1 to itself, and says in the status bar where the help is.
    s.Frame()->View()->setFocus();
    QTest::keyClick(s.Frame()->View(), Qt::Key_F1);
    QTest::qWait(50);
    QCOMPARE(s.Help(), nullptr);
    QCOMPARE(s.Frame()->statusBar()->currentMessage(),
        QStringLiteral("Справка открывается из меню «Справка → Справка»; клавиша F1 открывает её вне списка строк"));

    // Anywhere else in the window F1 is the help command.
    QWidget* bar = s.Frame()->RequisitesBar()->widget();
    bar->setFocus();
    QTRY_VERIFY(bar->hasFocus());
    QTest::keyClick(bar, Qt::Key_F1);
    CHelpWindow* help = s.Help();
    QVERIFY(help);
    QTRY_VERIFY(help->isVisible());
    QCOMPARE(help->windowTitle(), QStringLiteral("Справка Telvarion"));
    QCOMPARE(help->Browser()->source(), CHelpWindow::PageUrl(QStringLiteral("index.html")));
    QVERIFY(help->Browser()->document()->toPlainText().contains(QStringLiteral("рабочее место редактора")));
    QCOMPARE(help->Contents()->currentRow(), 0);
    help->Browser()->setSource(CHelpWindow::PageUrl(QStringLiteral("pictures.html")));
    Keep(help, QStringLiteral("help"));
    help->Browser()->setSource(CHelpWindow::PageUrl(QStringLiteral("commands.html")));
    Keep(help, QStringLiteral("help-commands"));

    // The menu entry brings the same window back.
    help->close();
    s.Frame()->Action(CommandId::Help)->trigger();
    QCOMPARE(s.Frame()->findChildren<CHelpWindow*>().size(), 1);
    QTRY_VERIFY(help->isVisible());

    // The page of the data folder names the one in use.
    const QString data = PlainPage(help->Browser(), QStringLiteral("data.html"));
    QVERIFY2(data.contains(QDir::toNativeSeparators(s.DataDir())), qPrintable(data.left(300)));
}

void HelpTest::everyPageLoadsWithItsPicturesAndNoBrokenLink()
{
    CHelpWindow help;
    CHelpBrowser* browser = help.Browser();
    QCOMPARE(help.Contents()->count(), static_cast<int>(CHelpWindow::Pages().size()));
    QSet<QString> reached;
    for (const CHelpWindow::Page& page : CHelpWindow::Pages()) {
        const QString file = QString::fromUtf8(page.file);
        QVERIFY2(QFile::exists(QStringLiteral(":/help/") + file), page.file);
        const QString text = PlainPage(browser, file);
        QVERIFY2(text.size() > 400, page.file);
        // The title of the contents is the page's own heading or title.
        QVERIFY2(browser->documentTitle() == QString::fromUtf8(page.title) || text.contains(QString::fromUtf8(page.title)),
            page.file);
        // Placeholders of generated parts never show.
        QVERIFY2(!browser->toHtml().contains(QStringLiteral("<!--")), page.file);

        QStringList links;
        QStringList images;
        LinksAndImages(*browser->document(), links, images);
        for (const QString& image : images) {
            const QVariant picture = browser->loadResource(QTextDocument::ImageResource, QUrl(image));
            QVERIFY2(picture.isValid() && !picture.value<QImage>().isNull(), qPrintable(file + u' ' + image));
        }
        for (const QString& link : links) {
            const QUrl target = browser->source().resolved(QUrl(link));
            QCOMPARE(target.scheme(), QStringLiteral("qrc"));
            const QString path = u':' + target.path();
            QVERIFY2(QFile::exists(path), qPrintable(file + QStringLiteral(" -> ") + link));
            reached.insert(target.fileName());
            if (target.hasFragment()) {
                QFile linked(path);
                QVERIFY(linked.open(QIODevice::ReadOnly));
                const QString html = QString::fromUtf8(linked.readAll());
                QVERIFY2(html.contains(QStringLiteral("name=\"%1\"").arg(target.fragment())),
                    qPrintable(file + QStringLiteral(" -> ") + link));
            }
        }
    }
    // Every page can be reached from another one, not only from the contents list.
    for (const CHelpWindow::Page& page : CHelpWindow::Pages())
        if (QString::fromUtf8(page.file) != QStringLiteral("index.html"))
            QVERIFY2(reached.contains(QString::fromUtf8(page.file)), page.file);

    // The pictures page shows all eight pictures of the line view, drawn by the view's own code.
    PlainPage(browser, QStringLiteral("pictures.html"));
    QStringList links;
    QStringList images;
    LinksAndImages(*browser->document(), links, images);
    for (int i = 0; i < 8; ++i)
        QVERIFY(images.contains(QStringLiteral("picture:%1").arg(i)));
    QVERIFY(!browser->loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("picture:8"))).isValid());
    QVERIFY(!browser->loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("icon:0"))).isValid());
}

void HelpTest::theCommandsPageListsEveryCommandWithItsKeys()
{
    CHelpWindow help;
    const QString text = PlainPage(help.Browser(), QStringLiteral("commands.html"));
    const QStringList lines = text.split(u'\n');
    for (const CCommandInfo& info : CommandTable()) {
        const QString name = QString::fromUtf8(info.text).remove(u'&');
        // The cell of the name and the cell of the keys follow each other in the laid-out text.
        const qsizetype at = lines.indexOf(name);
        QVERIFY2(at >= 0, qPrintable(name));
        const QString keys = lines.value(at + 1);
        for (const QString& key : QString::fromUtf8(info.keys).split(QStringLiteral("; "), Qt::SkipEmptyParts)) {
            QString shown = key;
            shown.replace(QStringLiteral("Left"), QStringLiteral("Влево")).replace(QStringLiteral("Right"), QStringLiteral("Вправо"));
            shown.replace(QStringLiteral("Up"), QStringLiteral("Вверх")).replace(QStringLiteral("Down"), QStringLiteral("Вниз"));
            QVERIFY2(keys.contains(shown), qPrintable(name + QStringLiteral(": ") + keys + QStringLiteral(" lacks ") + shown));
        }
        if (!*info.keys)
            QVERIFY2(keys == QStringLiteral("—"), qPrintable(name + QStringLiteral(": ") + keys));
    }
    // A letter key is also named as the menu labels it.
    QVERIFY(text.contains(QStringLiteral("Ctrl+D (в меню: Ctrl+В)")));
    // Every menu has its heading.
    for (const char* menu : { "Меню «Файл»", "Меню «Правка»", "Меню «Вид»", "Меню «Телварион»", "Меню «Словари»",
             "Меню «Сервис»", "Меню «Справка»" })
        QVERIFY2(text.contains(QString::fromUtf8(menu)), menu);
    QVERIFY(text.contains(QStringLiteral("Shift+F1")));
}

void HelpTest::contentsBackAndForward()
{
    CHelpWindow help;
    help.ShowPage();
    QVERIFY(QTest::qWaitForWindowExposed(&help));
    QAction* back = help.findChild<QAction*>(QStringLiteral("helpBack"));
    QAction* forward = help.findChild<QAction*>(QStringLiteral("helpForward"));
    QVERIFY(back && forward);
    QVERIFY(!back->isEnabled());

    // A link of the page, then an entry of the contents.
    help.Browser()->setSource(help.Browser()->source().resolved(QUrl(QStringLiteral("tags.html#kinds"))));
    QCOMPARE(help.Contents()->currentItem()->data(Qt::UserRole).toString(), QStringLiteral("tags.html"));
    QListWidgetItem* listfile = help.Contents()->item(5);
    QCOMPARE(listfile->data(Qt::UserRole).toString(), QStringLiteral("listfile.html"));
    emit help.Contents()->itemClicked(listfile);
    QCOMPARE(help.Browser()->source().fileName(), QStringLiteral("listfile.html"));
    QVERIFY(back->isEnabled());

    back->trigger();
    QCOMPARE(help.Browser()->source().fileName(), QStringLiteral("tags.html"));
    QCOMPARE(help.Contents()->currentRow(), 6);
    back->trigger();
    QCOMPARE(help.Browser()->source().fileName(), QStringLiteral("index.html"));
    QVERIFY(!back->isEnabled());
    QVERIFY(forward->isEnabled());
    forward->trigger();
    QCOMPARE(help.Browser()->source().fileName(), QStringLiteral("tags.html"));

    help.findChild<QAction*>(QStringLiteral("helpHome"))->trigger();
    QCOMPARE(help.Browser()->source().fileName(), QStringLiteral("index.html"));
    QCOMPARE(help.Contents()->currentRow(), 0);
}

void HelpTest::shiftF1EntersWhatsThisModeInTheWindowAndInDialogs()
{
    Session s;
    QVERIFY(s.Start());
    QVERIFY(!QWhatsThis::inWhatsThisMode());

    // From the line view, which keeps plain F1 to itself.
    s.Frame()->View()->setFocus();
    QTest::keyClick(s.Frame()->View(), Qt::Key_F1, Qt::ShiftModifier);
    QVERIFY(QWhatsThis::inWhatsThisMode());
    QCOMPARE(s.Help(), nullptr);

    // A click on a toolbar button, enabled or not, tells what it does instead of running it.
    const auto shownText = [] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->isVisible() && QByteArray(top->metaObject()->className()) == "QWhatsThat")
                return true;
        return false;
    };
    for (CommandId id : { CommandId::FileOpen, CommandId::FileSave }) {
        QAction* action = s.Frame()->Action(id);
        QWidget* button = s.Frame()->ToolBar()->widgetForAction(action);
        QVERIFY(button);
        QCOMPARE(action->isEnabled(), id == CommandId::FileOpen);
        if (!QWhatsThis::inWhatsThisMode())
            QWhatsThis::enterWhatsThisMode();
        QTest::mouseClick(button, Qt::LeftButton);
        QTRY_VERIFY2(shownText(), action->objectName().toUtf8());
        QVERIFY(!QApplication::activeModalWidget());
        QWhatsThis::hideText();
        QTRY_VERIFY(!shownText());
    }
    if (QWhatsThis::inWhatsThisMode())
        QWhatsThis::leaveWhatsThisMode();
    QVERIFY(!QWhatsThis::inWhatsThisMode());

    // From a modal dialog, whose fields have their texts by the time it shows.
    bool inMode = false;
    QString inputText;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* dialog = qobject_cast<COptionsDlg*>(modal);
        if (!dialog) {
            if (modal)
                modal->close();
            return;
        }
        auto* input = dialog->findChild<QLineEdit*>(QStringLiteral("input"));
        inputText = input->whatsThis();
        input->setFocus();
        QTest::keyClick(input, Qt::Key_F1, Qt::ShiftModifier);
        inMode = QWhatsThis::inWhatsThisMode();
        QWhatsThis::leaveWhatsThisMode();
        dialog->reject();
    });
    s.Frame()->Action(CommandId::Options)->trigger();
    QVERIFY(inMode);
    QVERIFY(inputText.contains(QStringLiteral("входные")) || inputText.contains(QStringLiteral("открываются")));
}

void HelpTest::everyToolbarButtonAndTheMainDialogFieldsHaveWhatsThis()
{
    Session s;
    QVERIFY(s.Start());
    const QList<QAction*> actions = s.Frame()->ToolBar()->actions();
    int buttons = 0;
    for (QAction* action : actions) {
        if (action->isSeparator())
            continue;
        ++buttons;
        const QString text = action->whatsThis();
        const QString name = action->text().section(u'\t', 0, 0).remove(u'&');
        QVERIFY2(text.contains(name.toHtmlEscaped()), qPrintable(action->objectName() + u' ' + text));
        // More than the status prompt: what the command does.
        QVERIFY2(text.size() > name.size() + 30, qPrintable(action->objectName()));
        // The keys go with it.
        const CCommandInfo* info = nullptr;
        for (const CCommandInfo& c : CommandTable())
            if (action->objectName() == QLatin1String(c.objectName))
                info = &c;
        QVERIFY(info);
        for (const QString& key : QString::fromUtf8(info->keys).split(QStringLiteral("; "), Qt::SkipEmptyParts))
            QVERIFY2(text.contains(key), qPrintable(action->objectName() + QStringLiteral(" lacks ") + key));
    }
    QCOMPARE(buttons, static_cast<int>(std::count_if(ToolBarLayout().begin(), ToolBarLayout().end(),
                          [](const CToolBarItem& item) { return !item.separator; })));

    // Every entry of the options dialog's part of the table finds its field: a renamed field
    // would lose its text.
    COptionsDlg options(*s.app->Ui(), QString(), QString());
    const int applied = ApplyDialogWhatsThis(&options);
    int listed = 0;
    for (const CWhatsThisEntry& entry : DialogWhatsThisTable())
        if (QLatin1String(entry.dialogClass) == QLatin1String("COptionsDlg"))
            ++listed;
    QCOMPARE(applied, listed);
    QVERIFY(listed >= 4);
    QVERIFY(!options.findChild<QLineEdit*>(QStringLiteral("output"))->whatsThis().isEmpty());
    // A dialog shown by the program gets its texts on the way.
    options.show();
    QVERIFY(options.property("telvarionWhatsThis").toBool());
    options.close();
}

void HelpTest::aFreshDataFolderIsFilledAndNamedInTheStatusBar()
{
    Session s;
    QVERIFY(s.Start(false));
    // The view's first showing loaded the service data; files that could not be read were written.
    for (const char* name : data_folder::kServiceFiles) {
        if (QByteArray(name) == "Telvarion.lst" || QByteArray(name) == "Telvarion.llc")
            continue; // the recent numbers are written at the end of the run
        QVERIFY2(QFile::exists(QDir(s.DataDir()).filePath(QString::fromLatin1(name))), name);
    }
    const QString message = s.Frame()->statusBar()->currentMessage();
    QVERIFY2(message.startsWith(QStringLiteral("Папка данных: ") + QDir::toNativeSeparators(s.DataDir())), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("первый запуск: служебные файлы созданы, словари пусты")), qPrintable(message));
    Keep(s.Frame(), QStringLiteral("first-start"));

    // The rest are written when the program ends.
    QVERIFY(s.Frame()->close());
    s.app.reset();
    for (const char* name : data_folder::kServiceFiles)
        QVERIFY2(QFile::exists(QDir(s.DataDir()).filePath(QString::fromLatin1(name))), name);

    // The second start finds the folder in use and says only where it is.
    CTelvarionApp::Options options;
    options.showSplash = false;
    options.instanceName = QStringLiteral("telvarion-help-test-%1").arg(QCoreApplication::applicationPid());
    s.app = std::make_unique<CTelvarionApp>(options);
    QVERIFY(s.app->InitInstance());
    QVERIFY(QTest::qWaitForWindowExposed(s.Frame()));
    QCOMPARE(s.Frame()->statusBar()->currentMessage(), QStringLiteral("Папка данных: ") + QDir::toNativeSeparators(s.DataDir() + u'/'));
}

void HelpTest::theStatusBarSaysWhenTheStarterFilesWereCopied()
{
    data_folder::CDataFolderChoice choice;
    choice.folder = "/home/editor/.local/share/telvarion/";
    choice.source = data_folder::Source::User;
    choice.starterFolder = "/usr/share/telvarion/";
    choice.copied = { "Telvarion.dov", "Telvarion.orv" };
    // The folder as the system writes it.
    const QString folder = QDir::toNativeSeparators(QStringLiteral("/home/editor/.local/share/telvarion/"));
    QCOMPARE(CTelvarionApp::DataFolderMessage(choice, true),
        QStringLiteral("Папка данных: ") + folder + QStringLiteral(" — первый запуск: скопированы начальные словари"));
    choice.copied.clear();
    QCOMPARE(CTelvarionApp::DataFolderMessage(choice, true), QStringLiteral("Папка данных: ") + folder);
    choice.error = "cannot write /home/editor/.local/share/telvarion/Telvarion.orv";
    QVERIFY(CTelvarionApp::DataFolderMessage(choice, true).contains(QStringLiteral("не удалось")));
}

void HelpTest::theUsersFolderIsWhereQtKeepsUserData()
{
    // The engine finds the per-user folder without Qt; it must be the one Qt names.
    const QByteArray moved = qgetenv(kUserDataRoot);
    const auto qtFolder = [] {
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/telvarion");
    };
    const auto engineFolder
        = [] { return QDir::fromNativeSeparators(QString::fromStdString(data_folder::UserFolder())); };
    QVERIFY(!moved.isEmpty());
#ifdef Q_OS_WIN
    // %LOCALAPPDATA% as the system sets it; Qt asks the system's known folders.
    QVERIFY(!SystemUserDataRoot().isEmpty());
    qputenv(kUserDataRoot, SystemUserDataRoot());
    QCOMPARE(engineFolder().toLower(), qtFolder().toLower());
    QVERIFY(qtFolder().endsWith(QStringLiteral("/AppData/Local/telvarion"), Qt::CaseInsensitive));
#else
    QCOMPARE(engineFolder(), qtFolder());
    qunsetenv(kUserDataRoot);
    QCOMPARE(engineFolder(), qtFolder());
    QVERIFY(qtFolder().endsWith(QStringLiteral("/.local/share/telvarion")));
#endif
    qputenv(kUserDataRoot, moved);
}

void HelpTest::theSettingsTrashAndKeyboardAreTheSystems()
{
    // The settings: the registry's key of the application on Windows, a file elsewhere.
    const QString organization = QCoreApplication::organizationName();
    const QString application = QCoreApplication::applicationName();
    QCoreApplication::setOrganizationName(QString());
    CTelvarionApp::NameTheSettings();
    const QString settings = QSettings().fileName();
    QCoreApplication::setOrganizationName(organization);
    QCoreApplication::setApplicationName(application);
#ifdef Q_OS_WIN
    QCOMPARE(
        settings, QStringLiteral("\\HKEY_CURRENT_USER\\Software\\Local AppWizard-Generated Applications\\Telvarion"));
#else
    QVERIFY2(settings.endsWith(QStringLiteral("/Local AppWizard-Generated Applications/Telvarion.conf")),
        qPrintable(settings));
#endif

    // A deleted document goes to the system's trash (the Recycle Bin on Windows), not away.
    QTemporaryDir dir;
    const QString document = dir.filePath(QStringLiteral("удаляемый.rla"));
    QFile file(document);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("text\r\n") == 6);
    file.close();
    CQtUserInterface ui;
    QVERIFY(ui.MoveToTrash(document.toStdString()));
    QVERIFY(!QFile::exists(document));

#ifdef Q_OS_WIN
    // The main window asks for the Russian keyboard layout at its start.
    Session s;
    QVERIFY(s.Start());
    const auto layout = reinterpret_cast<quintptr>(GetKeyboardLayout(0)) & 0xFFFF;
    if (layout != 0x0419 && GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
        QSKIP("Wine does not switch the keyboard layout of a program (LoadKeyboardLayout)");
    QCOMPARE(layout, quintptr(0x0419));
#endif
}

int main(int argc, char** argv)
{
    QTemporaryDir home;
    KeepTheRunIn(home);
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    HelpTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "help_test.moc"
