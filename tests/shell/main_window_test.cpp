// The real main window over a copy of the starter data: its menus and keys, the enabling of its
// commands, a whole document opened through the real dialogs, saved and compared with what the
// command-line tool makes of the same document, the layout kept between runs, the seam's own
// dialogs, and the single instance across two processes.
//
// Run with TELVARION_SCREENSHOT_DIR set (scripts/screenshots.sh) it also keeps pictures of the
// window and of each dialog it answers.

#include <cstdio>
#include <functional>
#include <memory>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>

#include "base/codepage.h"
#include "core/line_record.h"
#include "core/rla_text.h"
#include "core/tag_line.h"
#include "document/recovery.h"
#include "document/tag_editor.h"
#include "document/telvarion_doc.h"
#include "isolated_run.h"
#include "shell/hot_docs_dlg.h"
#include "shell/main_frame.h"
#include "shell/multi_list_box.h"
#include "shell/options_dlg.h"
#include "shell/qt_user_interface.h"
#include "shell/recovery/recovery_keeper.h"
#include "shell/requisites_bar.h"
#include "shell/review/review_dock.h"
#include "shell/review/review_model.h"
#include "shell/review/review_settings.h"
#include "shell/showed_icons_dlg.h"
#include "shell/telvarion_app.h"
#include "storage/folder_lock.h"
#include "view/line_model.h"
#include "view/qt_text.h"
#include "view/telvarion_view.h"

namespace {

const char* const kSecondInstanceArg = "--second-instance";
const char* const kRecoveryChildArg = "--recovery-child";

QString InstanceName() { return QStringLiteral("telvarion-test-%1").arg(QCoreApplication::applicationPid()); }

QString TestData() { return qEnvironmentVariable("TELVARION_TEST_DATA"); }

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString MenuText(const QAction* action) { return action->text().section(u'\t', 0, 0); }

QString MenuLabel(const QAction* action) { return action->text().section(u'\t', 1); }

// Keeps a picture when the screenshot script asks for them; the first of each name wins.
void Keep(QWidget* widget, const QString& name, bool wholeScreen = false)
{
    const QString folder = qEnvironmentVariable("TELVARION_SCREENSHOT_DIR");
    if (folder.isEmpty() || !widget)
        return;
    const QString path = QDir(folder).filePath(name + QStringLiteral(".png"));
    if (QFile::exists(path))
        return;
    QCoreApplication::processEvents();
    QPixmap picture;
    if (wholeScreen && widget->screen())
        picture = widget->screen()->grabWindow(0);
    if (picture.isNull())
        picture = widget->grab();
    picture.save(path);
}

// A fresh program over its own copy of the starter data and samples.
struct Session {
    QTemporaryDir dir;
    std::unique_ptr<CTelvarionApp> app;

    QString DataDir() const { return dir.filePath(QStringLiteral("data")); }
    QString Sample(const QString& name) const { return dir.filePath(QStringLiteral("in/") + name); }
    CMainFrame* Frame() const { return app->MainFrame(); }
    CTelvarionDoc* Doc() const { return app->Document(); }
    CTelvarionView* View() const { return app->MainFrame()->View(); }

    // Copies the data and starts the program; false (with the reason logged) when it cannot.
    bool Start()
    {
        if (!CopyData(DataDir()))
            return false;
        QDir().mkpath(dir.filePath(QStringLiteral("in")));
        const QDir samples(TestData() + QStringLiteral("/samples"));
        for (const QString& name : samples.entryList({ QStringLiteral("*.rla") }, QDir::Files))
            QFile::copy(samples.filePath(name), Sample(name));
        qputenv("TELVARION_DATA_DIR", QFile::encodeName(DataDir()));
        CTelvarionApp::Options options;
        options.showSplash = false;
        options.instanceName = InstanceName();
        app = std::make_unique<CTelvarionApp>(options);
        if (!app->InitInstance()) {
            qWarning("the program did not start");
            return false;
        }
        // A review kept by a save goes into the session's folder, not the user's.
        Doc()->reviewFolder = dir.filePath(QStringLiteral("review")).toStdString();
        // Pictures show the window as maximised; a virtual display has no window manager to do it.
        if (!qEnvironmentVariableIsEmpty("TELVARION_SCREENSHOT_DIR") && Frame()->screen())
            Frame()->setGeometry(Frame()->screen()->availableGeometry());
        return QTest::qWaitForWindowExposed(Frame());
    }

    static bool CopyData(const QString& target)
    {
        QDir().mkpath(target);
        const QDir source(TestData());
        const QStringList files = source.entryList({ QStringLiteral("Telvarion.*") }, QDir::Files);
        if (files.isEmpty()) {
            qWarning("no starter service files in %s", qPrintable(source.path()));
            return false;
        }
        for (const QString& name : files)
            // Not the lock of a program that may be working on the build's own data.
            if (name != QLatin1String(kLockFile))
                QFile::copy(source.filePath(name), QDir(target).filePath(name));
        return true;
    }
};

// Answers the dialogs of a run through their widgets, as a person would, and notes what was asked.
// By default it follows the command-line tool's "single" policy: several candidates get "Нет", a
// chosen local document gets its tag with the preset parameters, every placed tag is kept.
class CAnswerer : public QObject {
public:
    QStringList messages;
    int candidates = 0;
    int innerTags = 0;
    int confirmations = 0;
    QStringList unexpected;
    QString filePath;        // what the file dialog is answered with
    int fileFilter = 0;      // and the filter chosen there
    int fileDialogs = 0;
    QString fileDialogNameColumn; // the header of the last file dialog's first column
    int progressSeen = 0;     // the import's progress dialog, seen open
    bool cancelProgress = false;
    // The button that answers questions; "Нет", as in the batch analysis, unless a test says otherwise.
    QMessageBox::StandardButton questionButton = QMessageBox::No;
    // The answer to the recovery question after a crash, by the button's name.
    QString recoveryButton = QStringLiteral("recoverButton");
    // Runs at every confirmation before it is answered; returns false to leave it unanswered.
    std::function<bool(QWidget*)> atConfirmation;
    // Runs at the first question of any kind, with the run in full swing.
    std::function<void()> atFirstQuestion;
    Qt::CursorShape cursorAtMessage = Qt::BitmapCursor;
    // The number typed into the tag dialogs of the tag commands.
    QString tagNumber;
    int tagDialogs = 0;
    int tagDialogsKeptOpen = 0;
    bool takePreselection = false;
    int candidatesPreselected = 0;
    bool m_tagClickPending = false;
    QPointer<QWidget> lastTagDialog;

    explicit CAnswerer(QObject* parent = nullptr)
        : QObject(parent)
    {
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this, &CAnswerer::Poll);
        m_timer.start();
    }

private:
    template <typename T = QPushButton>
    static T* Child(QWidget* dialog, const char* name)
    {
        return dialog->findChild<T*>(QString::fromLatin1(name));
    }

    static QPushButton* ButtonByText(QWidget* dialog, const QString& text)
    {
        for (QPushButton* button : dialog->findChildren<QPushButton*>())
            if (button->text() == text)
                return button;
        return nullptr;
    }

    void First()
    {
        if (atFirstQuestion) {
            auto run = std::move(atFirstQuestion);
            atFirstQuestion = nullptr;
            run();
        }
    }

    void Poll()
    {
        if (m_busy)
            return;
        m_busy = true;
        if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isVisible())
            AnswerModal(modal);
        else
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->objectName() == QLatin1String("insertTagDialog") && top->isVisible()) {
                    First();
                    Keep(top, QStringLiteral("confirmation"), true);
                    if (!atConfirmation || atConfirmation(top)) {
                        ++confirmations;
                        ButtonByText(top, QStringLiteral("&Да"))->click();
                    }
                    break;
                }
        m_busy = false;
    }

    void AnswerModal(QWidget* modal)
    {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            First();
            messages << box->text();
            if (const QCursor* cursor = QApplication::overrideCursor())
                cursorAtMessage = cursor->shape();
            Keep(box, QStringLiteral("message"));
            // Information boxes are read; questions get the test's button.
            QAbstractButton* button = box->button(questionButton);
            if (QPushButton* recovery = box->findChild<QPushButton*>(recoveryButton))
                button = recovery;
            if (!button)
                button = box->button(QMessageBox::Ok);
            if (!button)
                button = box->buttons().constFirst();
            button->click();
        } else if (auto* files = qobject_cast<QFileDialog*>(modal)) {
            ++fileDialogs;
            Keep(files, QStringLiteral("open-dialog"));
            if (auto* tree = files->findChild<QTreeView*>(QStringLiteral("treeView")))
                fileDialogNameColumn = tree->model()->headerData(0, Qt::Horizontal).toString();
            files->selectNameFilter(files->nameFilters().value(fileFilter));
            // Typed into the name field, as a person would; selectFile leaves a focused field alone.
            files->selectFile(filePath);
            if (auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                name->setText(filePath);
            QMetaObject::invokeMethod(files, "accept");
        } else if (modal->objectName() == QLatin1String("ProgressIndexingDlg")) {
            // Shown while the import runs; it closes by itself.
            // Pictured a little way in, when there is something to show.
            if (++progressSeen == 5)
                Keep(modal, QStringLiteral("indexing"));
            if (cancelProgress)
                Child(modal, "cancel")->click();
        } else if (modal->inherits("CSelectOrvoDocDlg")) {
            First();
            ++candidates;
            Keep(modal, QStringLiteral("candidates"));
            // The line the dialog marks stands selected in the view behind it.
            auto* frame = qobject_cast<CMainFrame*>(modal->parentWidget());
            const auto marks = modal->findChild<QPlainTextEdit*>(QStringLiteral("context"))->extraSelections();
            const QString marked = marks.isEmpty() ? QString() : marks.last().cursor.selectedText();
            const int row = frame ? frame->View()->SelectedRow() : -1;
            if (marked.isEmpty() || row < 0 || FromCp1251(frame->View()->Model().Text(row)) != marked)
                unexpected << QStringLiteral("the view shows row %1, the dialog marks \"%2\"").arg(row).arg(marked);
            // Enter as the person would, taking what the dialog selected when it opened; Нет when
            // nothing was (or when the test wants every line left alone).
            auto* list = modal->findChild<QListWidget*>(QStringLiteral("candidates"));
            const bool preselected = list && !list->selectedItems().isEmpty();
            candidatesPreselected += preselected;
            if (takePreselection && preselected)
                QTest::keyClick(modal, Qt::Key_Return);
            else
                Child(modal, "no")->click();
        } else if ((modal->inherits("CSelectNumDlg") || modal->inherits("CInnerTagDlg")) && m_tagClickPending) {
            // OK is on its way; a number not found brings its message up first.
        } else if ((modal->inherits("CSelectNumDlg") || modal->inherits("CInnerTagDlg")) && modal == lastTagDialog) {
            // A number that is not found keeps the picker open: the person gives up.
            ++tagDialogsKeptOpen;
            Child(modal, "cancel")->click();
        } else if (modal->inherits("CSelectNumDlg") || modal->inherits("CInnerTagDlg")) {
            lastTagDialog = modal;
            ++tagDialogs;
            Keep(modal, modal->inherits("CSelectNumDlg") ? QStringLiteral("orvo-number") : QStringLiteral("inner-tag"));
            if (auto* number = modal->findChild<QComboBox*>(QStringLiteral("number")))
                number->setEditText(tagNumber);
            // Clicked from the loop, not from here: a number that is not found is reported by a
            // message box, which the next poll answers.
            m_tagClickPending = true;
            QTimer::singleShot(0, modal, [this, ok = Child(modal, "ok")] {
                ok->click();
                m_tagClickPending = false;
            });
        } else if (modal->inherits("CInsertInnerTagDlg")) {
            First();
            ++innerTags;
            Keep(modal, QStringLiteral("inner-tag-parameters"));
            Child(modal, "yes")->click();
        } else {
            unexpected << modal->metaObject()->className() + QStringLiteral(" ") + modal->windowTitle();
            Keep(modal, QStringLiteral("other-") + QString::fromLatin1(modal->metaObject()->className()));
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            else
                modal->close();
        }
    }

    QTimer m_timer;
    bool m_busy = false;
};

// What the command-line tool makes of a document with the same starting data: its statistics and
// the processed text.
struct BatchResult {
    QString statistics;
    QByteArray text;
};

BatchResult RunBatch(const QString& sample, const QString& policy = QStringLiteral("single"))
{
    BatchResult result;
    QTemporaryDir work;
    const QString data = work.filePath(QStringLiteral("data"));
    const QString out = work.filePath(QStringLiteral("out"));
    if (!Session::CopyData(data) || !QDir().mkpath(out))
        return result;
    QProcess cli;
    cli.start(TestData() + QStringLiteral("/telvarion-cli"),
        { QStringLiteral("analyse"), QStringLiteral("--data-dir"), data, QStringLiteral("--out"), out,
            QStringLiteral("--policy"), policy, sample });
    if (!cli.waitForFinished(60000) || cli.exitCode() != 0)
        return result;
    // The first line names the file; the statistics follow.
    result.statistics = QString::fromUtf8(cli.readAllStandardOutput()).section(u'\n', 1).trimmed();
    result.text = ReadAll(QDir(out).filePath(QFileInfo(sample).fileName()));
    return result;
}

} // namespace

// The per-user folder of the program's runs moved elsewhere while the object lives.
struct CUserFolderAt {
    QByteArray before = qgetenv(kUserDataRoot);
    explicit CUserFolderAt(const QString& home)
    {
        qputenv(kUserDataRoot, QFile::encodeName(QDir::toNativeSeparators(home)));
    }
    ~CUserFolderAt() { qputenv(kUserDataRoot, before); }
    static QString RecoveryIn(const QString& home) { return home + QStringLiteral("/telvarion/recovery"); }
};

QString OwnRecoveryFile(const QString& home)
{
    return CUserFolderAt::RecoveryIn(home) + u'/'
        + QString::fromStdString(recovery::FileNameOf(CDataFolderLock::ThisProcess("telvarion")));
}

// The child of the recovery round trip: the real window opens the sample, deletes a tag, edits a
// line's anchor, sets a bookmark and selects a line, waits for its recovery file, writes the bytes
// a save would write now beside it, says "ready" and waits to be killed.
int RunRecoveryChild(const QString& sample, const QString& expected, const QString& instance)
{
    CTelvarionApp::Options options;
    options.showSplash = false;
    options.instanceName = instance;
    CTelvarionApp app(options);
    if (!app.InitInstance())
        return 5;
    CAnswerer answers;
    answers.questionButton = QMessageBox::Yes;
    CTelvarionDoc& doc = *app.Document();
    CTelvarionView& view = *app.MainFrame()->View();
    if (!doc.OpenFile(sample.toStdString(), false))
        return 6;
    CLineRows& rows = view.Rows();
    int tag = -1;
    for (int row = 0; row < rows.Count() && tag < 0; ++row)
        if (IsTagKind(rows.Record(row).nKind))
            tag = row;
    if (tag < 0)
        return 7;
    view.SelectLine(static_cast<std::size_t>(tag));
    view.Editor().Run(CTagEditor::Command::DeleteTag);
    const int anchor = rows.Count() / 2;
    view.Editor().CommitLineEdit(anchor, rows.Text(anchor) + codepage::Utf8ToCp1251(" (исправлено)"));
    view.SelectLine(3);
    view.Run(ViewCommand::ToggleBookmark);
    view.SelectLine(5);
    CRecoveryKeeper& keeper = *app.MainFrame()->Recovery();
    if (!QTest::qWaitFor([&] { return keeper.UpToDate(); }, 20000))
        return 8;
    std::vector<std::string> texts;
    view.GetLines(texts, nullptr);
    QFile side(expected);
    const std::string bytes = CRlaText::Encode(doc.text.headerLines, texts);
    if (!side.open(QIODevice::WriteOnly) || side.write(bytes.data(), static_cast<qint64>(bytes.size())) < 0)
        return 9;
    side.close();
    std::printf("ready %u\n", doc.ChangesSinceSave());
    std::fflush(stdout);
    return QApplication::exec();
}

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void menusShowTheirTextsAndLabelsAndBindTheirKeys();
    void keysReachTheirCommands();
    void toolbarAndBars();
    void tagCommandsByTheirKeys();
    void serviceDataLoadedAtStartAndStoredAtExit();
    void splashShowsForAboutTwoSeconds();
    void enablingFollowsTheDocumentAndTheView();
    void closingAsksToSaveAModifiedDocument();
    void aKilledWindowsWorkIsRecoveredAndSavedAsItWouldHaveBeen();
    void recoveryLeftAtStartDiscardedDamagedOrLive();
    void aRecoveryFolderThatCannotBeWrittenIsSaidOnce();
    void openAnalyseSaveThroughTheRealDialogs();
    void thePreselectionIsThePairedPolicy();
    void theReviewListWithoutQuestions();
    void aPassStops_data();
    void aPassStops();
    void bookmarksSetDuringARejectedConfirmationStayOnTheirLines();
    void everyCommandWhileAPassWaits();
    void importShowsItsProgressAndStopsOnCancel_data();
    void importShowsItsProgressAndStopsOnCancel();
    void layoutIsRestoredOnlyWhenItFits();
    void fileDialogFiltersAndTheChosenFilter();
    void messageBoxesAnswerWithTheSystemCodes_data();
    void messageBoxesAnswerWithTheSystemCodes();
    void waitCursorNestsAndQuestionsShowTheArrow();
    void secondStartActivatesTheFirst();
    void settingsCommandsOpenTheirDialogs();
    void orvoSearchOpensItsDialog();
    void aDataFolderAnotherProgramHolds();
};

void MainWindowTest::menusShowTheirTextsAndLabelsAndBindTheirKeys()
{
    Session s;
    QVERIFY(s.Start());

    struct Entry {
        const char* menu;
        const char* text;
        const char* label;
        const char* keys; // bound keys, portable form
    };
    const Entry expected[] = {
        { "&Файл", "&Открыть...", "Ctrl+O", "Ctrl+O" },
        { "&Файл", "&Сохранить", "Ctrl+S", "Ctrl+S" },
        { "&Файл", "Сохранить &как", "", "" },
        { "&Файл", "&Удалить...", "", "" },
        { "&Файл", "Повторить &разбор", "", "" },
        { "&Файл", "&Выбор реквизитов документа", "Ctrl+В", "Ctrl+D" },
        { "&Файл", "&Поиск документа Орво...", "Ctrl+Shift+А", "Ctrl+Shift+F" },
        { "&Файл", "В&ыход", "", "" },
        { "&Правка", "&Отменить", "Ctrl+Z", "Ctrl+Z, Alt+Backspace" },
        { "&Правка", "&Повторить", "Ctrl+Y", "Ctrl+Y, Ctrl+Shift+Z" },
        { "&Правка", "&Вырезать тег", "Ctrl+X", "Ctrl+X" },
        { "&Правка", "&Копировать тег", "Ctrl+C", "Ctrl+C" },
        { "&Правка", "Вст&авить тег", "Ctrl+V", "Ctrl+V" },
        { "&Правка", "&Удалить тег", "Delete", "Del" },
        { "&Правка", "&Найти...", "Ctrl+F", "Ctrl+F" },
        { "&Правка", "Найти &далее", "F3", "F3" },
        { "&Правка", "&Перейти к строке...", "Ctrl+G", "Ctrl+G" },
        { "&Правка/&Закладки", "&Переключить закладку", "Ctrl+Е", "Ctrl+T" },
        { "&Правка/&Закладки", "&Следующая закладка", "Ctrl+Г", "Ctrl+U" },
        { "&Правка/&Закладки", "&Предыдущая закладка", "Ctrl+Ш", "Ctrl+I" },
        { "&Правка/&Закладки", "&Удалить закладки", "Ctrl+К", "Ctrl+R" },
        { "&Вид", "&Панель инструментов", "", "" },
        { "&Вид", "Панель &реквизитов", "", "" },
        { "&Вид", "&Строка состояния", "", "" },
        { "&Вид", "Список про&верки ссылок", "", "" },
        { "&Вид", "&Шрифт...", "", "" },
        { "&Вид", "Отображаемые &картинки...", "Ctrl+И", "Ctrl+B" },
        { "&Телварион", "Поставить тег вн&утрибазовой ссылки...", "Ctrl+Insert", "Ctrl+Ins" },
        { "&Телварион", "&Поставить тег межбазовой ссылки...", "Insert", "Ins" },
        { "&Телварион", "&Удалить тег", "Delete", "Del" },
        { "&Телварион", "Перейти к пр&едыдущей подозрительной строке", "Влево", "Left" },
        { "&Телварион", "Перейти к с&ледующей подозрительной строке", "Вправо", "Right" },
        { "&Телварион", "Перейти к предыдущей внутри&базовой гиперссылке", "", "" },
        { "&Телварион", "Перейти к следующей внутриб&азовой гиперссылке", "", "" },
        { "&Телварион", "Перейти к предыдущей межбазовой &гиперссылке", "", "" },
        { "&Телварион", "Перейти к следующей межбазовой г&иперссылке", "", "" },
        { "&Телварион", "Сдвинуть строку &вверх", "Ctrl+Вверх", "Ctrl+Up" },
        { "&Телварион", "Сдвинуть строку в&низ", "Ctrl+Вниз", "Ctrl+Down" },
        { "&Телварион", "Показать определённые &реквизиты...", "Ctrl+Р", "Ctrl+H" },
        { "&Телварион", "Показать с&татистику работы...", "Ctrl+Т", "Ctrl+N" },
        { "&Телварион", "Показать &документ...", "Ctrl+Д", "Ctrl+L" },
        { "&Телварион", "&Ставить уверенные ссылки без вопросов", "", "" },
        { "&Телварион", "Принять все непр&оверенные ссылки", "Ctrl+Shift+Enter",
            "Ctrl+Shift+Return, Ctrl+Shift+Enter" },
        { "С&ловари", "Словарь &ключевых слов Орво", "", "" },
        { "С&ловари", "Пополнить словарь документов &Орво", "", "" },
        { "С&ловари", "Словарь видов &документов Орво", "", "" },
        { "С&ловари", "Словарь принявших &органов Орво", "", "" },
        { "С&ловари", "&Блокнот для документов Орво", "", "" },
        { "С&ловари", "\"&Горячие\" документы", "", "" },
        { "С&ловари", "Словарь видов до&кументов локальной базы", "", "" },
        { "С&ловари", "Словарь принявших о&рганов локальной базы", "", "" },
        { "С&ловари", "Пополнить словарь документов локальной &базы", "", "" },
        { "&Сервис", "&Параметры...", "", "" },
        { "С&правка", "&Справка", "", "F1" },
        { "С&правка", "&О программе...", "", "" },
    };

    // Walk the menu bar as the person sees it.
    struct Shown {
        QString menu;
        const QAction* action;
    };
    std::vector<Shown> shown;
    std::function<void(const QMenu*, const QString&)> walk = [&](const QMenu* menu, const QString& path) {
        for (const QAction* action : menu->actions()) {
            if (action->isSeparator())
                continue;
            if (action->menu())
                walk(action->menu(), path + u'/' + action->menu()->title());
            else
                shown.push_back({ path, action });
        }
    };
    for (const QAction* top : s.Frame()->menuBar()->actions())
        walk(top->menu(), top->menu()->title());

    QCOMPARE(shown.size(), std::size(expected));
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const Entry& e = expected[i];
        const QAction* action = shown[i].action;
        QCOMPARE(shown[i].menu, QString::fromUtf8(e.menu));
        QCOMPARE(MenuText(action), QString::fromUtf8(e.text));
        QCOMPARE(MenuLabel(action), QString::fromUtf8(e.label));
        QStringList keys;
        for (const QKeySequence& key : action->shortcuts())
            keys << key.toString(QKeySequence::PortableText);
        QCOMPARE(keys.join(QStringLiteral(", ")), QString::fromUtf8(e.keys));
        QVERIFY2(!action->objectName().isEmpty(), qPrintable(MenuText(action)));
    }

    // Two actions on one key cancel each other out in Qt: neither would run.
    QMap<QString, QString> owners;
    for (const QAction* action : s.Frame()->findChildren<QAction*>()) {
        for (const QKeySequence& key : action->shortcuts()) {
            const QString k = key.toString(QKeySequence::PortableText);
            QVERIFY2(!owners.contains(k) || owners[k] == action->objectName(),
                qPrintable(k + QStringLiteral(": ") + owners.value(k) + QStringLiteral(" and ") + action->objectName()));
            owners[k] = action->objectName();
        }
    }

    if (!qEnvironmentVariableIsEmpty("TELVARION_SCREENSHOT_DIR")) {
        for (const char* name : { "menuFile", "menuTelvarion" }) {
            auto* menu = s.Frame()->findChild<QMenu*>(QString::fromLatin1(name));
            s.Frame()->UpdateActions();
            menu->popup(s.Frame()->mapToGlobal(QPoint(40, 40)));
            QTest::qWait(100);
            Keep(menu, QString::fromLatin1(name));
            menu->close();
        }
    }

    // Prompts: the first line in the status bar, the second as the tool tip.
    QAction* open = s.Frame()->Action(CommandId::FileOpen);
    QCOMPARE(open->statusTip(), QStringLiteral("Открыть существующий документ"));
    QCOMPARE(open->toolTip(), QStringLiteral("Открыть"));
    QAction* next = s.Frame()->Action(CommandId::NextSuspicious);
    QCOMPARE(next->toolTip(), QStringLiteral("Перейти к следующей подозрительной строке"));
    QCOMPARE(s.Frame()->Action(CommandId::MoveLineUp)->statusTip(), QStringLiteral("Сдвигает текущую строку вверх"));
    QCOMPARE(s.Frame()->Action(CommandId::MoveLineDown)->toolTip(), QStringLiteral("Сдвинуть вниз"));
}

void MainWindowTest::keysReachTheirCommands()
{
    Session s;
    QVERIFY(s.Start());
    s.Frame()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(s.Frame()));
    {
        CAnswerer answers;
        // Ctrl+N, statistics (Ctrl+Т on the Russian layout), shows the document's counts.
        QTest::keyClick(s.View(), Qt::Key_N, Qt::ControlModifier);
        QTRY_COMPARE(answers.messages.size(), 1);
        QVERIFY(answers.messages[0].startsWith(QStringLiteral("*********** Ссылки на документы Орво ***********\n")));

        // F1 stays with the list of lines, Ctrl+D needs a suspicious line: nothing opens.
        QTest::keyClick(s.View(), Qt::Key_F1);
        QTest::keyClick(s.View(), Qt::Key_D, Qt::ControlModifier);
        QTest::qWait(50);
        QCOMPARE(answers.messages.size(), 1);
        QVERIFY(answers.unexpected.isEmpty());
    }

    // The about box, from its menu entry.
    QString title;
    QString name;
    QTimer::singleShot(0, this, [&] {
        QTRY_VERIFY(QApplication::activeModalWidget());
        QWidget* about = QApplication::activeModalWidget();
        Keep(about, QStringLiteral("about"));
        title = about->windowTitle();
        if (auto* label = about->findChild<QLabel*>(QStringLiteral("name")))
            name = label->text();
        static_cast<QDialog*>(about)->accept();
    });
    s.Frame()->Action(CommandId::About)->trigger();
    QCOMPARE(title, QStringLiteral("О программе"));
    QVERIFY(name.contains(QStringLiteral(TELVARION_VERSION)));
}

void MainWindowTest::toolbarAndBars()
{
    Session s;
    QVERIFY(s.Start());
    CMainFrame* frame = s.Frame();

    // The toolbar, left to right, gaps included.
    QStringList buttons;
    for (const QAction* action : frame->ToolBar()->actions())
        buttons << (action->isSeparator() ? QStringLiteral("|") : action->objectName().mid(6));
    QCOMPARE(buttons.join(u' '),
        QStringLiteral(
            "FileOpen Reanalyse FileSave FileDelete | CutTag CopyTag PasteTag DeleteTag Undo Redo | PlaceOrvoTag "
            "PlaceInnerTag | ChooseRequisites | ShowFoundRequisites ShowLinkedDocument ShownPictures "
            "OrvoSearch ReviewWithoutQuestions | PrevSuspicious NextSuspicious PrevInnerLink NextInnerLink "
            "PrevOrvoLink "
            "NextOrvoLink | MoveLineUp MoveLineDown | ToggleBookmark NextBookmark PrevBookmark "
            "ClearBookmarks"));
    for (const QAction* action : frame->ToolBar()->actions())
        QVERIFY2(action->isSeparator() || !action->icon().isNull(), qPrintable(action->objectName()));

    CRequisitesBar* bar = frame->RequisitesBar();
    QCOMPARE(bar->windowTitle(), QStringLiteral("Реквизиты"));
    QCOMPARE(frame->dockWidgetArea(bar), Qt::LeftDockWidgetArea);
    QVERIFY(bar->features().testFlag(QDockWidget::DockWidgetMovable));
    QVERIFY(bar->features().testFlag(QDockWidget::DockWidgetFloatable));

    // The view menu's entries carry a check mark while their bar is shown.
    QAction* barEntry = frame->Action(CommandId::RequisitesBar);
    QVERIFY(barEntry->isChecked());
    QVERIFY(frame->IsRequisitesBarVisible());
    frame->Run(CommandId::RequisitesBar);
    QVERIFY(!frame->IsRequisitesBarVisible());
    QVERIFY(!barEntry->isChecked());
    frame->Run(CommandId::RequisitesBar);
    QVERIFY(frame->IsRequisitesBarVisible());

    frame->Run(CommandId::StatusBar);
    QVERIFY(frame->statusBar()->isHidden());
    QVERIFY(!frame->Action(CommandId::StatusBar)->isChecked());
    frame->Run(CommandId::StatusBar);
    QVERIFY(!frame->statusBar()->isHidden());

    frame->Run(CommandId::ToolBar);
    QVERIFY(frame->ToolBar()->isHidden());
    QVERIFY(!frame->Action(CommandId::ToolBar)->isChecked());
    // Its keys still work without it.
    QVERIFY(frame->actions().contains(frame->Action(CommandId::FileOpen)));
    frame->Run(CommandId::ToolBar);
    QVERIFY(!frame->ToolBar()->isHidden());

    // Status panes: prompt and progress first, then the suspicious-line pane, then the line pane.
    auto* suspicious = frame->statusBar()->findChild<QLabel*>(QStringLiteral("suspiciousPane"));
    auto* line = frame->statusBar()->findChild<QLabel*>(QStringLiteral("linePane"));
    auto* progress = frame->Progress();
    QVERIFY(suspicious && line && progress);
    QVERIFY(progress->mapTo(frame, QPoint()).x() < suspicious->mapTo(frame, QPoint()).x());
    QVERIFY(suspicious->mapTo(frame, QPoint()).x() < line->mapTo(frame, QPoint()).x());
    QVERIFY(suspicious->width() >= 100);
    QVERIFY(line->width() >= 70);
    // The document has not set a title yet.
    QCOMPARE(frame->windowTitle(), QStringLiteral("Расстановка гиперссылок"));
    QVERIFY(frame->isMaximized());
}

void MainWindowTest::serviceDataLoadedAtStartAndStoredAtExit()
{
    auto s = std::make_unique<Session>();
    const QDir data(s->DataDir());
    QVERIFY(s->Start());
    // The starter set has no settings file; the first showing loads what there is and writes it.
    QVERIFY(data.exists(QStringLiteral("Telvarion.dat")));
    QVERIFY(!data.exists(QStringLiteral("Telvarion.lst")));
    QVERIFY(!s->Doc()->orvoMaker.documents.records.empty());
    // The recent numbers are stored when the program ends.
    const QString kept = s->dir.path();
    s->dir.setAutoRemove(false);
    s.reset();
    QVERIFY(data.exists(QStringLiteral("Telvarion.lst")));
    QVERIFY(data.exists(QStringLiteral("Telvarion.llc")));
    QDir(kept).removeRecursively();
}

void MainWindowTest::splashShowsForAboutTwoSeconds()
{
    Session s;
    QVERIFY(Session::CopyData(s.DataDir()));
    qputenv("TELVARION_DATA_DIR", QFile::encodeName(s.DataDir()));
    CTelvarionApp::Options options;
    options.instanceName = InstanceName();
    s.app = std::make_unique<CTelvarionApp>(options);
    QVERIFY(s.app->InitInstance());
    const auto splash = [] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == QLatin1String("Splash") && top->isVisible())
                return top;
        return static_cast<QWidget*>(nullptr);
    };
    QVERIFY(splash());
    Keep(splash(), QStringLiteral("splash"));
    // The window works meanwhile: the loop runs, the window is there.
    QTest::qWait(1000);
    QVERIFY(splash());
    QVERIFY(s.Frame()->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!splash(), 3000);
}

void MainWindowTest::enablingFollowsTheDocumentAndTheView()
{
    Session s;
    QVERIFY(s.Start());
    CMainFrame* frame = s.Frame();
    const auto enabled = [&](CommandId id) {
        frame->UpdateActions();
        return frame->Action(id)->isEnabled();
    };

    // Nothing open.
    QVERIFY(enabled(CommandId::FileOpen));
    QVERIFY(!enabled(CommandId::FileSave));
    QVERIFY(!enabled(CommandId::FileSaveAs));
    QVERIFY(!enabled(CommandId::FileDelete));
    QVERIFY(!enabled(CommandId::Reanalyse));
    QVERIFY(enabled(CommandId::Statistics));
    QVERIFY(enabled(CommandId::Exit));
    QVERIFY(enabled(CommandId::About));
    QVERIFY(enabled(CommandId::ImportOrvo));
    QVERIFY(enabled(CommandId::ImportLocal));
    // Help is offered at all times, also with a document open.
    QVERIFY(enabled(CommandId::Help));
    // The tag commands need a selected row: none without a document.
    const CommandId tagCommands[] = { CommandId::Undo, CommandId::CutTag, CommandId::CopyTag, CommandId::PasteTag,
        CommandId::DeleteTag, CommandId::MoveLineUp, CommandId::MoveLineDown, CommandId::PlaceOrvoTag,
        CommandId::PlaceInnerTag, CommandId::ChooseRequisites };
    for (CommandId id : tagCommands)
        QVERIFY2(!enabled(id), frame->Action(id)->objectName().toUtf8());
    // The dictionaries' and settings' dialogs are offered while no pass runs.
    const CommandId dialogs[] = { CommandId::OrvoKeywords, CommandId::OrvoTypes, CommandId::OrvoBodies,
        CommandId::Notepad, CommandId::HotDocuments, CommandId::LocalTypes, CommandId::LocalBodies, CommandId::Options,
        CommandId::ShownPictures, CommandId::OrvoSearch };
    for (CommandId id : dialogs)
        QVERIFY2(enabled(id), frame->Action(id)->objectName().toUtf8());

    // A document open through the engine's own door; every question answered by the policy.
    CAnswerer answers;
    QVERIFY(s.Doc()->OpenFile(s.Sample(QStringLiteral("zakon-21-oz.rla")).toStdString()));
    QVERIFY(enabled(CommandId::FileDelete));
    QVERIFY(enabled(CommandId::Reanalyse));
    // The analyses placed tags, so there is something to save.
    QVERIFY(enabled(CommandId::FileSave));
    frame->Run(CommandId::FileSave);
    // Saved, it may be saved again or as another file.
    QVERIFY(enabled(CommandId::FileSave));
    QVERIFY(enabled(CommandId::FileSaveAs));
    QVERIFY(enabled(CommandId::Help));

    // The view's rules: the linked document only for a tag line with a known document.
    std::vector<std::string> texts;
    std::vector<CLineRecord> records;
    s.View()->GetLines(texts, &records);
    int tagRow = -1;
    for (std::size_t i = 0; i < records.size() && tagRow < 0; ++i)
        if (records[i].nKind == OrvoLinkNew && records[i].recvOrvo.nBaseNumber > 0)
            tagRow = static_cast<int>(i);
    QVERIFY(tagRow >= 0);
    // On the first line: a tag may be placed before it, nothing else but the undo of the
    // placements the opening made.
    s.View()->SelectLine(0);
    QVERIFY(enabled(CommandId::PlaceOrvoTag));
    QVERIFY(enabled(CommandId::PlaceInnerTag));
    QVERIFY(enabled(CommandId::Undo));
    for (CommandId id : { CommandId::CutTag, CommandId::CopyTag, CommandId::PasteTag, CommandId::DeleteTag,
             CommandId::MoveLineUp, CommandId::MoveLineDown })
        QVERIFY2(!enabled(id), frame->Action(id)->objectName().toUtf8());
    s.View()->SelectLine(static_cast<std::size_t>(tagRow));
    for (CommandId id : { CommandId::CutTag, CommandId::CopyTag, CommandId::DeleteTag, CommandId::MoveLineUp })
        QVERIFY2(enabled(id), frame->Action(id)->objectName().toUtf8());
    QVERIFY(!enabled(CommandId::ChooseRequisites));
    QVERIFY(frame->Action(CommandId::ShowLinkedDocument)->isEnabled());
    // The requisites bar shows the linked document.
    QCOMPARE(frame->RequisitesBar()->Text(), FromCp1251(records[static_cast<std::size_t>(tagRow)].recvOrvo.Describe()));
    s.View()->SelectLine(0);
    QVERIFY(!frame->Action(CommandId::ShowLinkedDocument)->isEnabled());
    QVERIFY(frame->RequisitesBar()->Text().isEmpty());
}

void MainWindowTest::closingAsksToSaveAModifiedDocument()
{
    Session s;
    QVERIFY(s.Start());
    CAnswerer answers;
    const QString sample = s.Sample(QStringLiteral("ukaz-14.rla"));
    const QByteArray original = ReadAll(sample);
    QVERIFY(s.Doc()->OpenFile(sample.toStdString(), false));
    QVERIFY(s.Doc()->bModified);

    answers.questionButton = QMessageBox::Cancel;
    QVERIFY(!s.Frame()->close());
    QVERIFY(s.Frame()->isVisible());
    QCOMPARE(answers.messages, QStringList { QStringLiteral("Сохранить файл ") + sample + u'?' });

    answers.questionButton = QMessageBox::No;
    QVERIFY(s.Frame()->close());
    QCOMPARE(answers.messages.size(), 2);
    // "Нет" leaves the file as it was.
    QCOMPARE(ReadAll(sample), original);
}

void MainWindowTest::aKilledWindowsWorkIsRecoveredAndSavedAsItWouldHaveBeen()
{
#ifdef Q_OS_WIN
    QSKIP("the child is killed as SIGKILL kills it: Linux only");
#endif
    Session s;
    QVERIFY(Session::CopyData(s.DataDir()));
    QDir().mkpath(s.dir.filePath(QStringLiteral("in")));
    const QString sample = s.Sample(QStringLiteral("zakon-21-oz.rla"));
    QVERIFY(QFile::copy(TestData() + QStringLiteral("/samples/zakon-21-oz.rla"), sample));
    const QByteArray original = ReadAll(sample);
    const QString home = s.dir.filePath(QStringLiteral("share"));
    const QString expected = s.dir.filePath(QStringLiteral("expected.rla"));

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kUserDataRoot), home);
    environment.insert(QStringLiteral("TELVARION_DATA_DIR"), s.DataDir());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(),
        { QString::fromLatin1(kRecoveryChildArg), sample, expected, InstanceName() + QStringLiteral("-child") });
    QVERIFY(child.waitForStarted());
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT(
        (said += child.readAllStandardOutput()).contains("ready") || child.state() == QProcess::NotRunning, 60000);
    QVERIFY2(said.contains("ready"), qPrintable(QStringLiteral("child ended with %1").arg(child.exitCode())));
    const QString changes = QString::fromLatin1(said.mid(said.indexOf("ready") + 6).trimmed());
    child.kill(); // SIGKILL: nothing of the child's own ending runs
    QVERIFY(child.waitForFinished());
    QCOMPARE(ReadAll(sample), original);

    // A program of this process starts on the same folders and is answered "Восстановить".
    CUserFolderAt folder(home);
    CAnswerer answers;
    QVERIFY(s.Start());
    QCOMPARE(answers.messages.size(), 1);
    QVERIFY2(answers.messages[0].startsWith(QStringLiteral(
                 "Telvarion был завершён, не сохранив изменения документа\n%1\n\nДанные восстановления от ")
                                                .arg(sample)),
        qPrintable(answers.messages[0]));
    QVERIFY2(answers.messages[0].endsWith(
                 QStringLiteral(", несохранённых изменений: %1.\n\nВосстановить документ?").arg(changes)),
        qPrintable(answers.messages[0]));
    QVERIFY(s.Frame()->windowTitle().contains(sample + u'*'));
    QVERIFY(s.View()->Model().Record(3).bBookmark);
    QCOMPARE(s.View()->SelectedRow(), 5);
    QVERIFY(!s.View()->HasUndo());
    // The recovered data are this program's own now.
    QVERIFY(QFile::exists(OwnRecoveryFile(home)));
    QCOMPARE(QDir(CUserFolderAt::RecoveryIn(home)).entryList(QDir::Files).size(), 1);

    s.Frame()->Run(CommandId::FileSave);
    QVERIFY(!s.Doc()->bModified);
    const QString saved = QString::fromStdString(s.Doc()->currentPath);
    QCOMPARE(ReadAll(saved), ReadAll(expected));
    QVERIFY(ReadAll(saved) != original);
    QTRY_VERIFY(!QFile::exists(OwnRecoveryFile(home)));
}

void MainWindowTest::recoveryLeftAtStartDiscardedDamagedOrLive()
{
    Session s;
    const QString home = s.dir.filePath(QStringLiteral("share"));
    const QString folder = CUserFolderAt::RecoveryIn(home);
    QVERIFY(QDir().mkpath(folder));
    QProcess ended;
#ifdef Q_OS_WIN
    ended.start(QStringLiteral("cmd"), { QStringLiteral("/c"), QStringLiteral("exit") });
#else
    ended.start(QStringLiteral("true"), {});
#endif
    QVERIFY(ended.waitForStarted());
    const long long deadPid = ended.processId();
    QVERIFY(ended.waitForFinished());

    const auto write = [&](long long pid, const std::string& started, bool damaged) {
        recovery::CRecoveryData data;
        data.path = s.Sample(QStringLiteral("ukaz-14.rla")).toStdString();
        data.textBytes = CRlaText::Encode({ "$18  Текст документа" }, { "строка" });
        data.owner = CDataFolderLock::ThisProcess("telvarion");
        data.owner.pid = pid;
        data.owner.started = started;
        data.changes = 4;
        std::string bytes = recovery::Serialize(data);
        if (damaged)
            bytes.resize(bytes.size() - 3);
        const QString path = folder + u'/' + QString::fromStdString(recovery::FileNameOf(data.owner));
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes.data(), qint64(bytes.size())) > 0 ? path : QString();
    };
    const QString live
        = write(QCoreApplication::applicationPid(), CDataFolderLock::ThisProcess("telvarion").started, false);
    const QString left = write(deadPid, "11", false);
    const QString damaged = write(deadPid, "12", true);
    const QByteArray leftBytes = ReadAll(left);
    const QByteArray liveBytes = ReadAll(live);

    CUserFolderAt at(home);
    CAnswerer answers;
    answers.recoveryButton = QStringLiteral("discardButton");
    QVERIFY(s.Start());
    QCOMPARE(answers.messages.size(), 2);
    QVERIFY2(answers.messages[0].contains(QDir::toNativeSeparators(damaged))
            && answers.messages[0].contains(QStringLiteral("повреждены")),
        qPrintable(answers.messages[0]));
    QVERIFY(answers.messages[1].startsWith(QStringLiteral("Telvarion был завершён")));
    QVERIFY(answers.messages[1].contains(QStringLiteral("несохранённых изменений: 4.")));
    QVERIFY(s.Doc()->currentPath.empty());
    QVERIFY(!QFile::exists(left) && !QFile::exists(damaged));
    QCOMPARE(ReadAll(folder + QStringLiteral("/discarded.recovery")), leftBytes);
    QCOMPARE(QDir(folder + QStringLiteral("/damaged")).entryList(QDir::Files).size(), 1);
    // Its owner runs (this very process): not offered, not touched.
    QCOMPARE(ReadAll(live), liveBytes);
    QFile::remove(live);
}

void MainWindowTest::aRecoveryFolderThatCannotBeWrittenIsSaidOnce()
{
    Session s;
    const QString home = s.dir.filePath(QStringLiteral("share"));
    QVERIFY(QDir().mkpath(home + QStringLiteral("/telvarion")));
    QFile blocker(CUserFolderAt::RecoveryIn(home)); // a file where the folder should be
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    CUserFolderAt at(home);
    CAnswerer answers;
    QVERIFY(s.Start());
    QVERIFY(s.Doc()->OpenFile(s.Sample(QStringLiteral("zakon-21-oz.rla")).toStdString(), false));
    CRecoveryKeeper& keeper = *s.Frame()->Recovery();
    for (int failures = 1; failures <= 2; ++failures) {
        s.Frame()->statusBar()->showMessage(QStringLiteral("другое"));
        s.Doc()->SetModified();
        keeper.WriteNow();
        QTRY_COMPARE_WITH_TIMEOUT(keeper.Failures(), failures, 10000);
        const QString message = s.Frame()->statusBar()->currentMessage();
        QVERIFY2(failures == 2 ? message == QStringLiteral("другое") // said once
                               : message.startsWith(QStringLiteral("Данные восстановления не записаны: "))
                    && message.endsWith(QStringLiteral(". Работа продолжается.")),
            qPrintable(message));
    }
    QVERIFY(s.Doc()->bModified); // editing goes on
}

void MainWindowTest::tagCommandsByTheirKeys()
{
    Session s;
    QVERIFY(s.Start());
    s.Frame()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(s.Frame()));
    CAnswerer answers;
    QVERIFY(s.Doc()->OpenFile(s.Sample(QStringLiteral("zakon-21-oz.rla")).toStdString(), false));
    // The confirmations of the pass were windows of their own: the keys go to the main window again.
    s.Frame()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(s.Frame()));
    CTelvarionView* view = s.View();
    // A key as the person presses it, in the main window (a closed dialog does not give the
    // activation back by itself on the virtual display).
    const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        s.Frame()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(s.Frame()));
        QTest::keyClick(view, key, modifiers);
    };
    CLineModel& model = view->Model();
    const int count = model.Count();
    const CDocDict& orvo = s.Doc()->orvoMaker.documents;
    QVERIFY(!orvo.records.empty());
    const std::int32_t number = orvo.records[0].nBaseNumber;

    // Insert: the number picker; the tag goes before the selected line, a new inter-base link.
    view->SelectLine(3);
    answers.tagNumber = QString::number(number);
    answers.questionButton = QMessageBox::Yes; // a later adoption date, if any: place it anyway
    press(Qt::Key_Insert);
    QCOMPARE(answers.tagDialogs, 1);
    QCOMPARE(model.Count(), count + 1);
    QCOMPARE(model.Text(3), FormatOrvoTag(number));
    QCOMPARE(model.Record(3).nKind, int(OrvoLinkNew));
    QCOMPARE(view->SelectedRow(), 3);
    QVERIFY(s.Frame()->windowTitle().contains(u'*'));
    QCOMPARE(s.Doc()->recentOrvo.Numbers().front(), number);

    // The anchor editor over a line with an anchor; Esc leaves the line as it was.
    int anchoredRow = 0;
    while (anchoredRow < model.Count() && model.Text(anchoredRow).find('\x01') == std::string::npos)
        ++anchoredRow;
    QVERIFY(anchoredRow < model.Count());
    const std::string anchored = model.Text(anchoredRow);
    view->OpenInPlaceEditor(anchoredRow);
    auto* editor = qobject_cast<QLineEdit*>(view->InPlaceEditor());
    QVERIFY(editor);
    editor->setSelection(static_cast<int>(anchored.find('\x01')), 12);
    Keep(s.Frame(), QStringLiteral("anchor-editor"));
    QTest::keyClick(editor, Qt::Key_Escape);
    QVERIFY(!view->InPlaceEditor());
    QCOMPARE(model.Text(anchoredRow), anchored);
    view->SelectLine(3);

    // Ctrl+X, then Ctrl+V two lines on, Ctrl+Down, Ctrl+Z: each by its key.
    press(Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(model.Count(), count);
    view->SelectLine(5);
    press(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(model.Text(5), FormatOrvoTag(number));
    press(Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(model.Text(6), FormatOrvoTag(number));
    QCOMPARE(view->SelectedRow(), 6);
    press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(model.Text(5), FormatOrvoTag(number));
    QCOMPARE(view->SelectedRow(), 6); // the undo keeps the selected row where it was
    // "Правка" names the next undo and redo; Ctrl+Y and Ctrl+Shift+Z redo.
    const QAction* undo = s.Frame()->Action(CommandId::Undo);
    const QAction* redo = s.Frame()->Action(CommandId::Redo);
    QCOMPARE(undo->text(), QStringLiteral("&Отменить вставку тега из буфера\tCtrl+Z"));
    QCOMPARE(redo->text(), QStringLiteral("&Повторить перемещение тега вниз\tCtrl+Y"));
    press(Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(model.Text(6), FormatOrvoTag(number));
    QCOMPARE(view->SelectedRow(), 6);
    QCOMPARE(undo->text(), QStringLiteral("&Отменить перемещение тега вниз\tCtrl+Z"));
    QCOMPARE(redo->text(), QStringLiteral("&Повторить\tCtrl+Y"));
    QVERIFY(!redo->isEnabled());
    press(Qt::Key_Z, Qt::ControlModifier);
    press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(model.Text(6), FormatOrvoTag(number));
    press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(model.Text(5), FormatOrvoTag(number));
    view->SelectLine(5);
    press(Qt::Key_Delete);
    QCOMPARE(model.Count(), count);

    // An unknown number: the error box, the picker stays open, nothing placed.
    answers.tagNumber = QStringLiteral("999999999");
    view->SelectLine(2);
    press(Qt::Key_Insert);
    QCOMPARE(answers.tagDialogs, 2);
    QCOMPARE(answers.tagDialogsKeptOpen, 1);
    QVERIFY(answers.messages.contains(QStringLiteral("Документ \"999999999\" в базе не найден.")));
    QCOMPARE(model.Count(), count);
    QVERIFY(answers.unexpected.isEmpty());
}

void MainWindowTest::openAnalyseSaveThroughTheRealDialogs()
{
    Session s;
    QVERIFY(s.Start());
    CMainFrame* frame = s.Frame();
    // This one asks every kind of question.
    const QString sample = s.Sample(QStringLiteral("postanovlenie-297-p.rla"));
    const BatchResult batch = RunBatch(sample);
    QVERIFY2(!batch.text.isEmpty(), "the command-line tool gave no result");

    CAnswerer answers;
    answers.filePath = sample;
    // In the middle of the pass: the progress shows, and what would disturb it is off.
    bool progressShown = false;
    bool openOff = false;
    bool reanalyseOff = false;
    bool exitOff = false;
    bool dictionariesOff = false;
    bool settingsOn = false;
    answers.atFirstQuestion = [&] {
        // A pass works on the dictionaries: they wait; the settings do not touch them.
        dictionariesOff = !frame->Action(CommandId::OrvoKeywords)->isEnabled()
            && !frame->Action(CommandId::OrvoTypes)->isEnabled() && !frame->Action(CommandId::OrvoBodies)->isEnabled()
            && !frame->Action(CommandId::LocalTypes)->isEnabled() && !frame->Action(CommandId::LocalBodies)->isEnabled();
        settingsOn = frame->Action(CommandId::Options)->isEnabled() && frame->Action(CommandId::Notepad)->isEnabled();
        progressShown = frame->Progress()->isVisible() && frame->Progress()->maximum() > 0;
        openOff = !frame->Action(CommandId::FileOpen)->isEnabled();
        reanalyseOff = !frame->Action(CommandId::Reanalyse)->isEnabled();
        exitOff = !frame->Action(CommandId::Exit)->isEnabled();
    };

    frame->Action(CommandId::FileOpen)->trigger();

    QCOMPARE(answers.fileDialogs, 1);
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(answers.unexpected.join(u'\n')));
    // The run went through every kind of question.
    QVERIFY2(answers.candidates > 0 && answers.innerTags > 0 && answers.confirmations > 0,
        qPrintable(QStringLiteral("%1 candidates, %2 tag parameters, %3 confirmations")
                .arg(answers.candidates)
                .arg(answers.innerTags)
                .arg(answers.confirmations)));
    QVERIFY(progressShown);
    QVERIFY(openOff);
    QVERIFY(reanalyseOff);
    QVERIFY(exitOff);
    QVERIFY(dictionariesOff);
    QVERIFY(settingsOn);
    QVERIFY(!frame->Progress()->isVisible());
    QVERIFY(frame->Action(CommandId::FileOpen)->isEnabled());

    // The statistics box ends the open, with the counts the batch analysis reports.
    QCOMPARE(answers.messages.size(), 1);
    QCOMPARE(answers.messages[0], batch.statistics);

    // Title: the path, modified by the placed tags, the effective date.
    QCOMPARE(frame->windowTitle(), QStringLiteral("Telvarion - ") + sample + QStringLiteral("* - Дата принятия: 18.06.2024"));
    // The first row is selected: line 1 of all; the suspicious pane counts the shown suspicious lines.
    const int rows = s.View()->model()->rowCount();
    QCOMPARE(frame->LinePaneText(), QStringLiteral("1:%1").arg(rows));
    QVERIFY(frame->SuspiciousPaneText().startsWith(QStringLiteral("Под.стр. ")));
    QVERIFY(frame->SuspiciousPaneText().endsWith(QStringLiteral(":%1").arg(s.View()->ShownSuspiciousCount())));
    QTest::keyClick(s.View(), Qt::Key_End);
    QCOMPARE(frame->LinePaneText(), QStringLiteral("%1:%1").arg(rows));
    if (!qEnvironmentVariableIsEmpty("TELVARION_SCREENSHOT_DIR")) {
        // A placed tag selected, its document in the requisites bar.
        std::vector<std::string> texts;
        std::vector<CLineRecord> records;
        s.View()->GetLines(texts, &records);
        for (std::size_t i = 0; i < records.size(); ++i)
            if (records[i].nKind == InnerLinkNew) {
                s.View()->SelectLine(i);
                break;
            }
        Keep(frame, QStringLiteral("main-window"), true);
    }

    QVERIFY(frame->Action(CommandId::FileSave)->isEnabled());
    frame->Action(CommandId::FileSave)->trigger();
    QCOMPARE(frame->windowTitle(), QStringLiteral("Telvarion - ") + sample + QStringLiteral(" - Дата принятия: 18.06.2024"));
    QVERIFY(frame->Action(CommandId::FileSave)->isEnabled());
    // Byte for byte what the batch analysis wrote: the dialogs, the view and the save lose nothing.
    QCOMPARE(ReadAll(sample), batch.text);

    // Closing the saved document asks nothing.
    QVERIFY(frame->close());
    QCOMPARE(answers.messages.size(), 1);
}

// The window and the tool choose alike: Enter in every candidates dialog (taking what it selected
// when it opened) and Да to every other question gives, byte for byte, what the paired policy
// writes. (This sample has no candidate that is the document itself, which the tool leaves out
// and the window only marks.)
void MainWindowTest::thePreselectionIsThePairedPolicy()
{
    Session s;
    QVERIFY(s.Start());
    CMainFrame* frame = s.Frame();
    const QString sample = s.Sample(QStringLiteral("zakon-21-oz.rla"));
    const BatchResult paired = RunBatch(sample, QStringLiteral("paired"));
    const BatchResult single = RunBatch(sample);
    QVERIFY2(!paired.text.isEmpty(), "the command-line tool gave no result");
    QVERIFY(paired.text != single.text);

    CAnswerer answers;
    answers.filePath = sample;
    answers.takePreselection = true;
    frame->Action(CommandId::FileOpen)->trigger();
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(answers.unexpected.join(u'\n')));
    QVERIFY(answers.candidatesPreselected > 0);
    QCOMPARE(answers.messages.size(), 1);
    QCOMPARE(answers.messages[0], paired.statistics);
    frame->Action(CommandId::FileSave)->trigger();
    QCOMPARE(ReadAll(sample), paired.text);
    QVERIFY(frame->close());
}

// With "Ставить уверенные ссылки без вопросов" the open asks nothing and the review list takes
// the keys: Enter accepts and goes on, Delete rejects (Ctrl+Z undoes it), Enter on an open line
// asks its candidates, "Принять все" and Save give what the tool's certain policy writes.
void MainWindowTest::theReviewListWithoutQuestions()
{
    Session s;
    QVERIFY(s.Start());
    CMainFrame* frame = s.Frame();
    QAction* setting = frame->Action(CommandId::ReviewWithoutQuestions);
    QVERIFY(!setting->isChecked() && !ReviewWithoutQuestions());
    QVERIFY(frame->ToolBar()->actions().contains(setting));
    frame->Run(CommandId::ReviewWithoutQuestions);
    QVERIFY(setting->isChecked() && ReviewWithoutQuestions());
    const auto off = qScopeGuard([] { SetReviewWithoutQuestions(false); });
    {
        COptionsDlg options(*s.app->Ui(), QString(), QString());
        auto* box = options.findChild<QCheckBox*>(QStringLiteral("withoutQuestions"));
        QVERIFY(box->isChecked());
        box->setChecked(false);
        options.accept();
        frame->UpdateActions();
        QVERIFY(!setting->isChecked() && !ReviewWithoutQuestions());
    }
    frame->Run(CommandId::ReviewWithoutQuestions);

    // A sample and, at its end, a line no citation decides: two decrees N 460 of other years.
    const QString sample = s.Sample(QStringLiteral("postanovlenie-297-p.rla"));
    {
        QFile file(sample);
        QVERIFY(file.open(QIODevice::Append));
        file.write(QByteArray::fromStdString(codepage::Cp1251ToCp866(codepage::Utf8ToCp1251(
            "    Комиссия действует в соответствии с Указом Президента\r\nРоссийской Федерации N 460.\r\n"))));
    }
    const BatchResult certain = RunBatch(sample, QStringLiteral("certain"));
    QVERIFY2(!certain.text.isEmpty(), "the command-line tool gave no result");
    CAnswerer answers;
    answers.filePath = sample;
    frame->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(frame));
    frame->Action(CommandId::FileOpen)->trigger();
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(answers.unexpected.join(u'\n')));
    QCOMPARE(answers.candidates + answers.confirmations + answers.innerTags + int(answers.messages.size()), 0);

    CReviewDock* dock = frame->ReviewDock();
    CReviewModel& model = dock->Model();
    CReviewList* list = dock->List();
    QVERIFY(dock->isVisible());
    QTRY_COMPARE(QApplication::focusWidget(), list);
    QVERIFY(model.rowCount() > 2);
    auto state = [&](int row) { return model.index(row, CReviewModel::StateColumn).data().toString(); };
    auto reviewRow = [&](int row) { return model.index(row, 0).data(CReviewModel::ReviewRowRole).toULongLong(); };
    auto firstIn = [&](const QString& text) {
        for (int r = 0; r < model.rowCount(); ++r)
            if (state(r) == text)
                return r;
        return -1;
    };
    auto counts = [&] { return QString::fromStdString(CReview::CountText(model.Counts())); };
    QCOMPARE(frame->statusBar()->findChild<QLabel*>(QStringLiteral("reviewPane"))->text(), counts());
    Keep(frame, QStringLiteral("review"), true);

    // Down: the line view shows the row's line (counted from 1 as its line pane counts).
    list->setCurrentIndex(model.index(0, 0));
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(s.View()->SelectedRow() + 1, model.index(1, CReviewModel::LineColumn).data().toInt());
    QCOMPARE(QApplication::focusWidget(), list);

    // Enter accepts a link and moves to the next row waiting for the person.
    const int link = firstIn(QStringLiteral("не проверена"));
    QVERIFY(link >= 0);
    const auto accepted = reviewRow(link);
    list->setCurrentIndex(model.index(link, 0));
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(state(model.ListRowOf(accepted)), QStringLiteral("принята"));
    QCOMPARE(list->currentIndex().row(), model.NextUndecided(accepted));
    QCOMPARE(frame->statusBar()->findChild<QLabel*>(QStringLiteral("reviewPane"))->text(), counts());

    // Delete takes the row's tags back; Ctrl+Z brings them back.
    const int rejected = firstIn(QStringLiteral("не проверена"));
    const auto rejectedRow = reviewRow(rejected);
    const int lines = s.View()->Model().Count();
    const std::size_t tags = model.Place(rejectedRow)->tags;
    QVERIFY(tags > 0);
    list->setCurrentIndex(model.index(rejected, 0));
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(state(model.ListRowOf(rejectedRow)), QStringLiteral("отклонена"));
    QCOMPARE(s.View()->Model().Count(), lines - int(tags));
    QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
    QTRY_COMPARE(s.View()->Model().Count(), lines);
    QTRY_COMPARE(state(model.ListRowOf(rejectedRow)), QStringLiteral("не проверена"));

    // Filters and groups: only the rows asked for; a group stands for all rows of its document.
    auto* filter = dock->findChild<QComboBox*>(QStringLiteral("reviewFilter"));
    const int all = model.rowCount();
    filter->setCurrentIndex(2);
    for (int r = 0; r < model.rowCount(); ++r)
        QCOMPARE(state(r), QStringLiteral("нужно решение"));
    const int open = model.rowCount();
    filter->setCurrentIndex(0);
    dock->findChild<QCheckBox*>(QStringLiteral("reviewGrouped"))->setChecked(true);
    QVERIFY(model.rowCount() < all);
    int group = 0;
    while (group < model.rowCount() && model.RowsOf(group).size() < 2)
        ++group;
    const std::vector<std::size_t> members = model.RowsOf(group);
    QVERIFY(members.size() >= 2);
    std::vector<std::uint8_t> before;
    for (std::size_t k : members)
        before.push_back(model.Place(k)->state);
    list->setCurrentIndex(model.index(group, 0));
    QTest::keyClick(list, Qt::Key_Delete);
    for (std::size_t k : members)
        QCOMPARE(model.Place(k)->state, std::uint8_t(ReviewRejected));
    QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier); // one step brings the whole group back
    QTRY_COMPARE(s.View()->Model().Count(), lines);
    for (std::size_t i = 0; i < members.size(); ++i)
        QTRY_COMPARE(model.Place(members[i])->state, before[i]);
    dock->findChild<QCheckBox*>(QStringLiteral("reviewGrouped"))->setChecked(false);
    QCOMPARE(model.rowCount(), all);

    // Enter on an open line: its candidates dialog (answered Нет), the row says so.
    QVERIFY2(open > 0, "the sample has no line to decide");
    const int decide = firstIn(QStringLiteral("нужно решение"));
    const auto decidedRow = reviewRow(decide);
    list->setCurrentIndex(model.index(decide, 0));
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(answers.candidates, 1);
    QCOMPARE(state(model.ListRowOf(decidedRow)), QStringLiteral("отклонена"));
    QTRY_COMPARE(QApplication::focusWidget(), list);

    // "Принять все" asks with the count, then Save writes what the tool writes.
    answers.questionButton = QMessageBox::Yes;
    const std::size_t waiting = model.Counts().unreviewed;
    frame->Action(CommandId::FileSave)->trigger();
    QVERIFY2(frame->statusBar()->currentMessage().endsWith(QStringLiteral(": %1").arg(waiting)),
        qPrintable(frame->statusBar()->currentMessage()));
    QTest::keyClick(list, Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(answers.messages.size(), 1);
    QCOMPARE(answers.messages[0], QStringLiteral("Принять все непроверенные ссылки (%1)?").arg(waiting));
    QCOMPARE(model.Counts().unreviewed, std::size_t(0));
    frame->Action(CommandId::FileSave)->trigger();
    QCOMPARE(ReadAll(sample), certain.text);
    QVERIFY(frame->close());
}

void MainWindowTest::aPassStops_data()
{
    QTest::addColumn<bool>("byClosing");
    QTest::newRow("Escape") << false;
    QTest::newRow("closing the window") << true;
}

void MainWindowTest::aPassStops()
{
    QFETCH(bool, byClosing);
    Session s;
    QVERIFY(s.Start());
    CMainFrame* frame = s.Frame();
    auto answers = std::make_unique<CAnswerer>();
    answers->filePath = s.Sample(QStringLiteral("ukaz-14.rla"));
    bool closed = false;
    answers->atConfirmation = [&](QWidget* question) {
        if (answers->confirmations > 0)
            return true;
        if (byClosing) {
            closed = frame->close();
            return false; // closing answers the question itself
        }
        // The question comes up active; the person goes back to the window and presses Escape there.
        // (A window counts as active while a dialog of its own is, so ask for the window itself.)
        if (!QTest::qWaitFor([&] { return QApplication::activeWindow() == question; }))
            qWarning("the question did not become active");
        frame->activateWindow();
        if (!QTest::qWaitFor([&] { return QApplication::activeWindow() == frame; }))
            qWarning("the window did not become active");
        s.View()->setFocus();
        QTest::keyClick(s.View(), Qt::Key_Escape);
        return true;
    };
    frame->Run(CommandId::FileOpen);

    QVERIFY(answers->unexpected.isEmpty());
    // No question after the stop: the rest of the Orvo pass and the whole local pass are skipped.
    QCOMPARE(answers->confirmations, byClosing ? 0 : 1);
    QCOMPARE(answers->innerTags, 0);
    QVERIFY(frame->isVisible());
    QVERIFY(!closed);
    QCOMPARE(answers->messages.size(), 1);
    const QString placed = QStringLiteral("Количество тегов, проставленных программой: ");
    const QStringList blocks = answers->messages[0].split(QStringLiteral("\n\n"));
    QCOMPARE(blocks.size(), 2);
    // The kept line stays; a line answered by the closing is taken back.
    QVERIFY(blocks[0].contains(placed + (byClosing ? u'0' : u'1')));
    QVERIFY(blocks[1].contains(placed + u'0'));

    // The next open runs in full again.
    const QString path = answers->filePath;
    answers.reset();
    CAnswerer again;
    again.filePath = path;
    frame->Run(CommandId::FileOpen);
    QVERIFY(again.innerTags > 0);
}

void MainWindowTest::bookmarksSetDuringARejectedConfirmationStayOnTheirLines()
{
    // At the first confirmation the person bookmarks, by their keys in the window, the row below
    // the tag and the last row, then answers "Нет". With the tag gone, the bookmarks are on the
    // same lines: one row up, and the last row again.
    Session s;
    QVERIFY(s.Start());
    CMainFrame* frame = s.Frame();
    CTelvarionView* view = s.View();
    CAnswerer answers;
    answers.filePath = s.Sample(QStringLiteral("ukaz-14.rla"));
    int tagRow = -1;
    int rejected = 0;
    answers.atConfirmation = [&](QWidget* question) {
        if (rejected > 0)
            return true;
        tagRow = view->SelectedRow();
        frame->activateWindow();
        if (!QTest::qWaitFor([&] { return QApplication::activeWindow() == frame; }))
            qWarning("the window did not become active");
        view->setFocus();
        QTest::keyClick(view, Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_T, Qt::ControlModifier);
        QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(view, Qt::Key_T, Qt::ControlModifier);
        ++rejected;
        for (QPushButton* button : question->findChildren<QPushButton*>())
            if (button->text() == QStringLiteral("&Нет"))
                button->click();
        return false;
    };
    frame->Run(CommandId::FileOpen);

    QCOMPARE(rejected, 1);
    QVERIFY(tagRow >= 0);
    std::vector<std::string> texts;
    std::vector<CLineRecord> records;
    view->GetLines(texts, &records);
    std::vector<std::size_t> bookmarked;
    for (std::size_t row = 0; row < records.size(); ++row)
        if (records[row].bBookmark)
            bookmarked.push_back(row);
    // Tags kept later in the pass stand above the last line but not above the first bookmark.
    QCOMPARE(bookmarked.size(), std::size_t { 2 });
    QCOMPARE(bookmarked[0], static_cast<std::size_t>(tagRow));
    QCOMPARE(bookmarked[1], records.size() - 1);
    QCOMPARE(records[bookmarked[0]].nKind, int(Suspicious));
}

void MainWindowTest::everyCommandWhileAPassWaits()
{
    // The pass waits in its first confirmation; meanwhile every command of the table is given, by
    // its first key when it has one, else as its menu entry would. None may crash or lose the
    // document; a disabled one does nothing at all: no dialog, no change to the rows or the flags.
    Session s;
    QVERIFY(s.Start());
    CMainFrame* frame = s.Frame();
    CTelvarionDoc* doc = s.Doc();
    const QString sample = s.Sample(QStringLiteral("ukaz-14.rla"));
    const QByteArray sampleBytes = ReadAll(sample);
    QVERIFY(!sampleBytes.isEmpty());

    CAnswerer answers;
    answers.filePath = sample;
    bool walked = false;
    bool scheduled = false;
    QStringList disabledActed;
    QStringList enabledRun;
    QStringList disabledRun;
    const auto walk = [&] {
        const std::string path = doc->currentPath;
        for (const CCommandInfo& info : CommandTable()) {
            frame->UpdateActions();
            QAction* action = frame->Action(info.id);
            QVERIFY2(action, info.objectName);
            const bool enabled = action->isEnabled();
            std::vector<std::string> texts;
            std::vector<CLineRecord> records;
            s.View()->GetLines(texts, &records);
            const int dialogs = static_cast<int>(answers.messages.size() + answers.unexpected.size()) + answers.fileDialogs;
            const std::int32_t modified = doc->bModified;

            // Keys reach the window's shortcuts only while it is active.
            frame->activateWindow();
            if (!QTest::qWaitFor([&] { return QApplication::activeWindow() == frame; }, 500))
                qWarning("the window did not become active for %s", info.objectName);
            s.View()->setFocus();
            const QString keys = QString::fromLatin1(info.keys);
            if (!keys.isEmpty())
                QTest::keySequence(s.View(), QKeySequence(keys.section(QStringLiteral("; "), 0, 0)));
            else
                frame->Run(info.id);
            QTest::qWait(20); // whatever the command opened is answered meanwhile

            QVERIFY2(frame->isVisible(), info.objectName);
            QCOMPARE(doc->currentPath, path);
            QVERIFY2(doc->bBusy, info.objectName); // the pass still waits
            (enabled ? enabledRun : disabledRun) << QString::fromLatin1(info.objectName);
            if (!enabled) {
                std::vector<std::string> textsAfter;
                std::vector<CLineRecord> recordsAfter;
                s.View()->GetLines(textsAfter, &recordsAfter);
                const int dialogsAfter
                    = static_cast<int>(answers.messages.size() + answers.unexpected.size()) + answers.fileDialogs;
                if (textsAfter != texts || dialogsAfter != dialogs || doc->bModified != modified)
                    disabledActed << QString::fromLatin1(info.objectName);
            }
        }
        walked = true;
    };
    answers.atConfirmation = [&](QWidget*) {
        if (walked)
            return true;
        // Not from inside the answerer, which must stay free to answer what the commands open.
        if (!scheduled) {
            scheduled = true;
            QTimer::singleShot(0, frame, walk);
        }
        return false;
    };
    frame->Run(CommandId::FileOpen);

    QVERIFY(walked);
    QVERIFY2(disabledActed.isEmpty(), qPrintable(disabledActed.join(u' ')));
    // The commands that change files or dictionaries wait for the pass; the harmless ones do not.
    for (const char* name : { "actionFileOpen", "actionFileSaveAs", "actionFileDelete", "actionReanalyse", "actionExit",
             "actionImportLocal", "actionImportOrvo", "actionOrvoKeywords" })
        QVERIFY2(disabledRun.contains(QString::fromLatin1(name)), name);
    QVERIFY(!enabledRun.isEmpty());

    // The pass ended as usual, the document is open and whole, and its file was not touched.
    QVERIFY(!doc->bBusy);
    QCOMPARE(QString::fromStdString(doc->currentPath), sample);
    QCOMPARE(ReadAll(sample), sampleBytes);
    std::vector<std::string> texts;
    s.View()->GetLines(texts, nullptr);
    QVERIFY(texts.size() >= doc->text.textLines.size());
    QVERIFY(frame->isVisible());
}

void MainWindowTest::importShowsItsProgressAndStopsOnCancel_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::newRow("to the end") << false;
    QTest::newRow("Отмена") << true;
}

void MainWindowTest::importShowsItsProgressAndStopsOnCancel()
{
    QFETCH(bool, cancel);
    Session s;
    QVERIFY(s.Start());

    // A list of local documents in code page 1251, long enough to be caught half-way.
    constexpr int kRecords = 20000;
    const QString list = s.dir.filePath(QStringLiteral("список.lst"));
    {
        QFile file(list);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QString text;
        for (int i = 0; i < kRecords; ++i)
            text += QStringLiteral("$0  Номер в базе\n%1\n$5  Вид документа\nЗАКОН\n$4  Принявший орган\n"
                                   "ЗАКОНОДАТЕЛЬНОЕ СОБРАНИЕ\n$6  Дата принятия\n18.04.1996\n$7  Номер\n%2-ОЗ\n"
                                   "$9  Название документа\nО ПОРЯДКЕ %2\n\n$$\n")
                        .arg(100000 + i)
                        .arg(i + 1);
        file.write(QByteArray::fromStdString(ToCp1251(text)));
    }

    CAnswerer answers;
    answers.filePath = list;
    answers.fileFilter = 1; // "Все файлы Windows"
    answers.cancelProgress = cancel;
    const std::size_t before = s.Doc()->innerMaker.documents.records.size();
    s.Frame()->Action(CommandId::ImportLocal)->trigger();

    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(answers.unexpected.join(u'\n')));
    QCOMPARE(answers.fileDialogs, 1);
    QVERIFY(answers.progressSeen > 0);
    // The dialog is gone with the import, and the window takes commands again.
    QVERIFY(!s.Frame()->findChild<QWidget*>(QStringLiteral("ProgressIndexingDlg")));
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(answers.messages.size(), 1);
    // "Отмена" imports nothing: the dictionary stays as it was.
    if (cancel) {
        QCOMPARE(answers.messages[0], QStringLiteral("Загрузка прервана: словарь не изменён"));
        QCOMPARE(s.Doc()->innerMaker.documents.records.size(), before);
    } else {
        QCOMPARE(answers.messages[0], QStringLiteral("Внесено %1 записей").arg(kRecords));
    }
}

void MainWindowTest::layoutIsRestoredOnlyWhenItFits()
{
    Session s;
    QVERIFY(s.Start());
    CMainFrame* frame = s.Frame();
    frame->addDockWidget(Qt::RightDockWidgetArea, frame->RequisitesBar());
    frame->SaveLayout();
    {
        CMainFrame next(*s.Doc());
        QVERIFY(next.RestoreLayout());
        QCOMPARE(next.dockWidgetArea(next.RequisitesBar()), Qt::RightDockWidgetArea);
    }

    // A saved state without the requisites bar is not used at all.
    QSettings settings;
    const QString key = QStringLiteral("BarState/State");
    const QByteArray good = settings.value(key).toByteArray();
    QByteArray broken = good;
    const QByteArray name = QStringLiteral("RequisitesBar").toUtf8();
    QByteArray stored;
    for (char c : name)
        stored += '\0', stored += c;
    QVERIFY(broken.contains(stored));
    broken.replace(stored, QByteArray(stored).replace(stored.size() - 1, 1, "z"));
    settings.setValue(key, broken);
    settings.sync();
    {
        CMainFrame next(*s.Doc());
        QVERIFY(!next.RestoreLayout());
        QCOMPARE(next.dockWidgetArea(next.RequisitesBar()), Qt::LeftDockWidgetArea);
    }

    // Nor is one written for other bars.
    settings.setValue(key, good);
    settings.setValue(QStringLiteral("BarState/Bars"), QStringList { QStringLiteral("MainToolBar") });
    settings.sync();
    {
        CMainFrame next(*s.Doc());
        QVERIFY(!next.RestoreLayout());
        QCOMPARE(next.dockWidgetArea(next.RequisitesBar()), Qt::LeftDockWidgetArea);
    }

    // Closing the window keeps the layout for the next start.
    QVERIFY(frame->close());
    QCOMPARE(QSettings().value(QStringLiteral("BarState/Bars")).toStringList(),
        QStringList({ QStringLiteral("MainToolBar"), QStringLiteral("RequisitesBar") }));
}

void MainWindowTest::fileDialogFiltersAndTheChosenFilter()
{
    QCOMPARE(CQtUserInterface::ConvertFilter("Тексты документов (*.rla)|*.rla||"),
        QStringList { QStringLiteral("Тексты документов (*.rla)") });
    // "*.*" is every file; Qt would read it as names with a point only.
    QCOMPARE(CQtUserInterface::ConvertFilter("Все файлы Dos (*.*)|*.*|Все файлы Windows (*.*)|*.*||"),
        QStringList({ QStringLiteral("Все файлы Dos (*)"), QStringLiteral("Все файлы Windows (*)") }));
    QCOMPARE(CQtUserInterface::ConvertFilter("Текстовые файлы(*.txt)|*.txt||"),
        QStringList { QStringLiteral("Текстовые файлы (*.txt)") });
    QCOMPARE(CQtUserInterface::ConvertFilter("Списки|*.lst;*.txt||"), QStringList { QStringLiteral("Списки (*.lst *.txt)") });
    QCOMPARE(CQtUserInterface::ConvertFilter(""), QStringList());

    // The import reads the code page from the filter chosen in the real dialog.
    QTemporaryDir dir;
    const QString list = dir.filePath(QStringLiteral("список без точки"));
    QFile file(list);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    CQtUserInterface ui;
    // Qt's own texts in its dialogs are Russian, as the program's are.
    QVERIFY2(!CTelvarionApp::InstallQtTranslations(qApp).isEmpty(), "Qt's Russian translations not found");
    CAnswerer answers;
    answers.filePath = list;
    answers.fileFilter = 1;
    FileDialogRequest request;
    request.filter = "Все файлы Dos (*.*)|*.*|Все файлы Windows (*.*)|*.*||";
    request.initialDir = dir.path().toStdString();
    std::string path;
    int filterIndex = -1;
    QVERIFY(ui.AskOpenFileName(request, path, filterIndex));
    QCOMPARE(QString::fromStdString(path), list);
    QCOMPARE(filterIndex, 1);

    QCOMPARE(answers.fileDialogs, 1);
    QCOMPARE(answers.fileDialogNameColumn, QStringLiteral("Имя"));
}

void MainWindowTest::messageBoxesAnswerWithTheSystemCodes_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<QString>("press");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("answer");
    const QStringList yesNoCancel { QStringLiteral("Да"), QStringLiteral("Нет"), QStringLiteral("Отмена") };
    QTest::newRow("Да") << int(MsgButtons::YesNoCancel) << QStringLiteral("Да") << yesNoCancel << int(AnswerYes);
    QTest::newRow("Нет") << int(MsgButtons::YesNoCancel) << QStringLiteral("Нет") << yesNoCancel << int(AnswerNo);
    QTest::newRow("Escape") << int(MsgButtons::YesNoCancel) << QString() << yesNoCancel << int(AnswerCancel);
    QTest::newRow("OK") << int(MsgButtons::Ok) << QStringLiteral("OK") << QStringList { QStringLiteral("OK") }
                        << int(AnswerOk);
    QTest::newRow("OK/Отмена") << int(MsgButtons::OkCancel) << QStringLiteral("Отмена")
                               << QStringList { QStringLiteral("OK"), QStringLiteral("Отмена") } << int(AnswerCancel);
}

void MainWindowTest::messageBoxesAnswerWithTheSystemCodes()
{
    QFETCH(int, buttons);
    QFETCH(QString, press);
    QFETCH(QStringList, texts);
    QFETCH(int, answer);
    CQtUserInterface ui;
    QString caption;
    QStringList shown;
    QTimer::singleShot(0, this, [&] {
        QTRY_VERIFY(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()));
        auto* box = static_cast<QMessageBox*>(QApplication::activeModalWidget());
        caption = box->windowTitle();
        for (QAbstractButton* b : box->buttons())
            shown << b->text();
        if (press.isEmpty()) {
            QTest::keyClick(box, Qt::Key_Escape);
            return;
        }
        for (QAbstractButton* b : box->buttons())
            if (b->text() == press)
                b->click();
    });
    QCOMPARE(ui.MessageBox("Сохранить файл?", MsgIcon::Question, static_cast<MsgButtons>(buttons)), answer);
    QCOMPARE(caption, QStringLiteral("Telvarion"));
    shown.sort();
    texts.sort();
    QCOMPARE(shown, texts);
}

void MainWindowTest::waitCursorNestsAndQuestionsShowTheArrow()
{
    CQtUserInterface ui;
    QVERIFY(!QApplication::overrideCursor());
    {
        CWaitCursor outer(ui);
        {
            CWaitCursor inner(ui);
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        QVERIFY(QApplication::overrideCursor());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);

        CAnswerer answers;
        ui.MessageBox("Готово", MsgIcon::Information, MsgButtons::Ok);
        QCOMPARE(answers.cursorAtMessage, Qt::ArrowCursor);
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    QVERIFY(!QApplication::overrideCursor());
}

void MainWindowTest::secondStartActivatesTheFirst()
{
    Session s;
    QVERIFY(s.Start());
    CMainFrame* frame = s.Frame();

    // A second program object in this process does not start.
    {
        CTelvarionApp::Options options;
        options.showSplash = false;
        options.instanceName = InstanceName();
        CTelvarionApp second(options);
        QVERIFY(!second.InitInstance());
        QVERIFY(!second.MainFrame());
    }

    // Another process, minimised first window: it comes back and to the front, the second ends.
    frame->showMinimized();
    QTRY_VERIFY(frame->isMinimized());
    QProcess second;
    second.start(QCoreApplication::applicationFilePath(), { QString::fromLatin1(kSecondInstanceArg), InstanceName() });
    QVERIFY(second.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 20000);
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 3); // refused to start
    QTRY_VERIFY(!frame->isMinimized());
    QVERIFY(frame->isMaximized());
    QTRY_VERIFY(frame->isActiveWindow());
}

void MainWindowTest::settingsCommandsOpenTheirDialogs()
{
    Session s;
    QVERIFY(s.Start());
    CMainFrame* frame = s.Frame();
    frame->UpdateActions();

    // The shown pictures reach the view on OK.
    const ShownPicturesFlags before = s.View()->ShownPictures();
    bool pictureDialog = false;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<CShowedIconsDlg*>(QApplication::activeModalWidget());
        pictureDialog = dlg != nullptr;
        if (!dlg) {
            if (QWidget* other = QApplication::activeModalWidget())
                other->close();
            return;
        }
        QCheckBox* first = dlg->findChild<QCheckBox*>(QStringLiteral("picture0"));
        first->setChecked(!first->isChecked());
        dlg->accept();
    });
    frame->Action(CommandId::ShownPictures)->trigger();
    QVERIFY(pictureDialog);
    QCOMPARE(s.View()->ShownPictures()[0], before[0] ? 0 : 1);
    for (std::size_t i = 1; i < before.size(); ++i)
        QCOMPARE(s.View()->ShownPictures()[i], before[i]);

    // Field "10" of the hot documents is slot 0; the settings are marked changed.
    s.Doc()->bSettingsChanged = 0;
    bool hotDialog = false;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<CHotDocsDlg*>(QApplication::activeModalWidget());
        hotDialog = dlg != nullptr;
        if (!dlg) {
            if (QWidget* other = QApplication::activeModalWidget())
                other->close();
            return;
        }
        dlg->findChild<QLineEdit*>(QStringLiteral("hot10"))->setText(QStringLiteral("555"));
        dlg->accept();
    });
    frame->Action(CommandId::HotDocuments)->trigger();
    QVERIFY(hotDialog);
    QCOMPARE(s.Doc()->settings.hotDocuments[0], 555);
    QVERIFY(s.Doc()->bSettingsChanged != 0);
}

void MainWindowTest::orvoSearchOpensItsDialog()
{
    Session s;
    QVERIFY(s.Start());
    CMainFrame* frame = s.Frame();
    // Offered from the start, on the toolbar too, not only once a menu has been opened.
    QVERIFY(frame->Action(CommandId::OrvoSearch)->isEnabled());

    // Runs the search dialog with a first search over the starter base; inspect looks at it
    // before it is closed with OK.
    auto runSearch = [&](const QString& picture, const std::function<void(QWidget*)>& inspect) {
        bool shown = false;
        QTimer::singleShot(0, [&] {
            QWidget* dlg = QApplication::activeModalWidget();
            shown = dlg && dlg->objectName() == QLatin1String("FindOrvoDlg");
            if (!shown) {
                if (dlg)
                    dlg->close();
                return;
            }
            dlg->findChild<QPushButton*>(QStringLiteral("search"))->click();
            auto* results = dlg->findChild<CMultiListView*>(QStringLiteral("results"));
            if (results->Count() > 0)
                results->setCurrentIndex(results->model()->index(0, 0));
            Keep(dlg, picture);
            inspect(dlg);
            dlg->findChild<QPushButton*>(QStringLiteral("ok"))->click();
        });
        frame->Action(CommandId::OrvoSearch)->trigger();
        return shown;
    };

    // Without a document the search works, but there is nowhere to place a tag.
    int rows = 0;
    bool insertEnabled = true;
    QVERIFY(runSearch(QStringLiteral("orvo-search"), [&](QWidget* dlg) {
        QCOMPARE(dlg->windowTitle(), QStringLiteral("Документы Орво"));
        rows = dlg->findChild<CMultiListView*>(QStringLiteral("results"))->Count();
        insertEnabled = dlg->findChild<QPushButton*>(QStringLiteral("insertTag"))->isEnabled();
    }));
    QVERIFY(rows > 0);
    QVERIFY(!insertEnabled);
    QVERIFY(!QApplication::activeModalWidget());

    // With a document open, a found document's tag can be placed. (The answerer goes before the
    // search dialog comes, which it would take for an unexpected question.)
    {
        CAnswerer answers;
        QVERIFY(s.Doc()->OpenFile(s.Sample(QStringLiteral("zakon-21-oz.rla")).toStdString()));
        frame->Run(CommandId::FileSave); // so that the tag is the only change
        QCOMPARE(s.Doc()->bModified, 0);
    }
    std::vector<std::string> before;
    s.View()->GetLines(before, nullptr);
    s.View()->SelectLine(3);
    QString firstRow;
    bool stayedOpen = false;
    QVERIFY(runSearch(QStringLiteral("orvo-search-document"), [&](QWidget* dlg) {
        auto* insert = dlg->findChild<QPushButton*>(QStringLiteral("insertTag"));
        insertEnabled = insert->isEnabled();
        firstRow = dlg->findChild<CMultiListView*>(QStringLiteral("results"))->Entry(0);
        insert->click();
        stayedOpen = dlg->isVisible() && QApplication::activeModalWidget() == dlg;
    }));
    QVERIFY(insertEnabled);
    QVERIFY(stayedOpen);
    // The tag of the first document found stands before the row that was selected.
    static const QRegularExpression numberInBase(QStringLiteral("^Номер в базе: (\\d+)"));
    const QRegularExpressionMatch number = numberInBase.match(firstRow);
    QVERIFY2(number.hasMatch(), qPrintable(firstRow));
    std::vector<std::string> after;
    s.View()->GetLines(after, nullptr);
    QCOMPARE(after.size(), before.size() + 1);
    QCOMPARE(after[3], FormatOrvoTag(number.captured(1).toInt()));
    QCOMPARE(after[4], before[3]);
    QVERIFY(s.Doc()->bModified != 0);
}

// Another program works on the data folder: the window asks, and either works read-only (says so
// in its title, imports off, nothing of the folder written even at the end) or does not start.
void MainWindowTest::aDataFolderAnotherProgramHolds()
{
    for (const auto button : { QMessageBox::Yes, QMessageBox::No }) {
        auto s = std::make_unique<Session>();
        QVERIFY(Session::CopyData(s->DataDir()));
        CDataFolderLock other(s->DataDir().toStdString(), "telvarion-cli");
        QCOMPARE(other.Take(), CDataFolderLock::Result::Taken);
        QDir data(s->DataDir());
        const auto snapshot = [&data] {
            QMap<QString, QByteArray> files;
            for (const QString& name : data.entryList(QDir::Files))
                files[name] = ReadAll(data.filePath(name));
            return files;
        };
        const auto before = snapshot();
        CAnswerer answers;
        answers.questionButton = button;
        const bool started = s->Start();
        QCOMPARE(started, button == QMessageBox::Yes);
        QVERIFY(!answers.messages.isEmpty());
        QVERIFY2(answers.messages[0].contains(QStringLiteral("программа telvarion-cli")), qPrintable(answers.messages[0]));
        if (started) {
            QVERIFY2(s->Frame()->windowTitle().endsWith(QStringLiteral(" [только чтение]")),
                qPrintable(s->Frame()->windowTitle()));
            QVERIFY2(s->Frame()->statusBar()->currentMessage().contains(QStringLiteral("только для чтения")),
                qPrintable(s->Frame()->statusBar()->currentMessage()));
            QVERIFY(!s->Frame()->Action(CommandId::ImportOrvo)->isEnabled());
            QVERIFY(!s->Frame()->Action(CommandId::ImportLocal)->isEnabled());
            QVERIFY(!s->Doc()->orvoMaker.documents.records.empty());
            s->Doc()->bSettingsChanged = 1;
            s->Doc()->recentOrvo.AddNumber(100);
        }
        const QString kept = s->dir.path();
        s->dir.setAutoRemove(false);
        s.reset();
        QCOMPARE(snapshot(), before);
        QDir(kept).removeRecursively();
    }
}

int main(int argc, char** argv)
{
    if (argc == 5 && qstrcmp(argv[1], kRecoveryChildArg) == 0) {
        QApplication application(argc, argv);
        return RunRecoveryChild(
            QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[4]));
    }
    // The second start of secondStartActivatesTheFirst: 3 when it refused to start, 4 when it ran.
    if (argc == 3 && qstrcmp(argv[1], kSecondInstanceArg) == 0) {
        QApplication application(argc, argv);
        CTelvarionApp::Options options;
        options.showSplash = false;
        options.instanceName = QString::fromLocal8Bit(argv[2]);
        CTelvarionApp app(options);
        return app.InitInstance() ? 4 : 3;
    }

    QTemporaryDir home;
    KeepTheRunIn(home);
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "main_window_test.moc"
