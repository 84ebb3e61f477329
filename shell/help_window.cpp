#include "shell/help_window.h"

#include <QAction>
#include <QImage>
#include <QKeySequence>
#include <QListWidget>
#include <QSplitter>
#include <QToolBar>

#include "shell/command_table.h"
#include "shell/icons.h"
#include "view/pictures.h"

// The pages live in the static GUI library, whose resources are registered only when asked for.
static void RegisterHelpPages() { Q_INIT_RESOURCE(telvarion); }

namespace {

const QString kHelpRoot = QStringLiteral("qrc:/help/");

QString Plain(const char* menuText) { return QString::fromUtf8(menuText).remove(u'&'); }

// Keys as the menus and the keyboard name them.
QString KeyText(const QString& portable)
{
    static const std::pair<const char*, const char*> kNames[] = {
        { "Left", "Влево" }, { "Right", "Вправо" }, { "Up", "Вверх" }, { "Down", "Вниз" },
        { "Del", "Delete" }, { "Ins", "Insert" },
    };
    QStringList parts = portable.split(u'+');
    for (QString& part : parts)
        for (const auto& [from, to] : kNames)
            if (part == QLatin1String(from))
                part = QString::fromUtf8(to);
    return parts.join(u'+');
}

QString KeysOf(const CCommandInfo& info)
{
    QStringList keys;
    for (const QString& key : QString::fromUtf8(info.keys).split(QStringLiteral("; "), Qt::SkipEmptyParts))
        keys << KeyText(key);
    QStringList shown;
    for (const QString& key : keys)
        shown << QStringLiteral("<b>%1</b>").arg(key.toHtmlEscaped());
    QString text = shown.join(QStringLiteral(", "));
    // Letter keys are labelled in the menu with the Russian letter on the same key.
    const QString label = QString::fromUtf8(info.label);
    if (!label.isEmpty() && !keys.contains(label))
        text += QStringLiteral(" (в меню: %1)").arg(label.toHtmlEscaped());
    return text.isEmpty() ? QStringLiteral("—") : text;
}

// One table per menu, in menu order, from the command table itself.
QString CommandTables()
{
    QString html;
    bool open = false;
    const auto closeTable = [&] {
        if (open)
            html += QStringLiteral("</table>\n");
        open = false;
    };
    const auto openTable = [&] {
        html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">\n"
                               "<tr><th></th><th align=\"left\">Команда</th><th align=\"left\">Клавиши</th>"
                               "<th align=\"left\">Что делает</th></tr>\n");
        open = true;
    };
    for (const CMenuItem& item : MenuLayout()) {
        switch (item.kind) {
        case CMenuItem::Kind::Menu:
            closeTable();
            html += QStringLiteral("<h3><a name=\"%1\"></a>Меню «%2»</h3>\n")
                        .arg(QString::fromUtf8(item.objectName), Plain(item.title).toHtmlEscaped());
            openTable();
            break;
        case CMenuItem::Kind::SubMenu:
            html += QStringLiteral("<tr><td></td><td colspan=\"3\"><i>Подменю «%1»:</i></td></tr>\n")
                        .arg(Plain(item.title).toHtmlEscaped());
            break;
        case CMenuItem::Kind::EndSubMenu:
        case CMenuItem::Kind::Separator:
            break;
        case CMenuItem::Kind::Entry: {
            const CCommandInfo& info = CommandInfo(item.command);
            const QString icon = info.icon == IconId::None
                ? QString()
                : QStringLiteral("<img src=\"icon:%1\" width=\"16\" height=\"16\">").arg(static_cast<int>(info.icon));
            const QString prompt = QString::fromUtf8(info.prompt).section(u'\n', 0, 0);
            html += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td></tr>\n")
                        .arg(icon, Plain(info.text).toHtmlEscaped(), KeysOf(info), prompt.toHtmlEscaped());
            break;
        }
        }
    }
    closeTable();
    return html;
}

// The toolbar, left to right, with its pictures.
QString ToolBarTable()
{
    QString html = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\">\n");
    for (const CToolBarItem& item : ToolBarLayout()) {
        if (item.separator)
            continue;
        const CCommandInfo& info = CommandInfo(item.command);
        html += QStringLiteral("<tr><td><img src=\"icon:%1\" width=\"20\" height=\"20\"></td><td>%2</td><td>%3</td></tr>\n")
                    .arg(static_cast<int>(info.icon))
                    .arg(Plain(info.text).toHtmlEscaped(), KeysOf(info));
    }
    return html + QStringLiteral("</table>\n");
}

} // namespace

CHelpBrowser::CHelpBrowser(QWidget* parent)
    : QTextBrowser(parent)
{
    RegisterHelpPages();
    setObjectName(QStringLiteral("helpBrowser"));
    setOpenExternalLinks(false);
    setOpenLinks(true);
}

QVariant CHelpBrowser::loadResource(int type, const QUrl& name)
{
    if (type == QTextDocument::ImageResource && (name.scheme() == u"icon" || name.scheme() == u"picture")) {
        bool ok = false;
        const int index = name.path().toInt(&ok);
        if (!ok)
            return {};
        // Drawn at twice the size the page asks for, so they stay sharp on dense screens.
        if (name.scheme() == u"picture")
            return index >= 0 && index < kPictureCount ? QVariant(DrawLinePicture(index, 32).toImage()) : QVariant();
        if (index <= static_cast<int>(IconId::None) || index > static_cast<int>(IconId::Program))
            return {};
        return DrawIcon(static_cast<IconId>(index), 40).toImage();
    }
    QVariant resource = QTextBrowser::loadResource(type, name);
    if (type != QTextDocument::HtmlResource || !resource.isValid())
        return resource;
    QString html = resource.typeId() == QMetaType::QByteArray ? QString::fromUtf8(resource.toByteArray()) : resource.toString();
    html.replace(QStringLiteral("<!-- commands -->"), CommandTables());
    html.replace(QStringLiteral("<!-- toolbar -->"), ToolBarTable());
    if (!m_dataFolder.isEmpty())
        html.replace(QStringLiteral("<!-- data folder -->"),
            QStringLiteral("<p>Сейчас программа хранит служебные файлы в папке <b>%1</b>.</p>").arg(m_dataFolder.toHtmlEscaped()));
    return html;
}

const std::vector<CHelpWindow::Page>& CHelpWindow::Pages()
{
    static const std::vector<Page> kPages = {
        { "index.html", "Telvarion: что это и с чего начать" },
        { "workflow.html", "Работа с документом" },
        { "commands.html", "Команды и клавиши" },
        { "pictures.html", "Картинки строк" },
        { "dictionaries.html", "Словари и как их пополнять" },
        { "listfile.html", "Формат файла списка документов" },
        { "tags.html", "Формат строки тега" },
        { "data.html", "Папка данных и резервная копия" },
    };
    return kPages;
}

QUrl CHelpWindow::PageUrl(const QString& file) { return QUrl(kHelpRoot + file); }

CHelpWindow::CHelpWindow(QWidget* parent)
    : QMainWindow(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Справка Telvarion"));
    setWindowIcon(MakeIcon(IconId::Program));

    m_browser = new CHelpBrowser(this);
    m_contents = new QListWidget(this);
    m_contents->setObjectName(QStringLiteral("helpContents"));
    m_contents->setWordWrap(true);
    m_contents->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (const Page& page : Pages()) {
        auto* item = new QListWidgetItem(QString::fromUtf8(page.title), m_contents);
        item->setData(Qt::UserRole, QString::fromUtf8(page.file));
    }
    auto* splitter = new QSplitter(this);
    splitter->addWidget(m_contents);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({ 310, 690 });
    setCentralWidget(splitter);

    QToolBar* bar = addToolBar(QStringLiteral("Справка"));
    bar->setObjectName(QStringLiteral("helpToolBar"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    QAction* home = bar->addAction(QStringLiteral("Содержание"), this, [this] { ShowPage(); });
    home->setObjectName(QStringLiteral("helpHome"));
    m_back = bar->addAction(QStringLiteral("Назад"), m_browser, &QTextBrowser::backward);
    m_back->setObjectName(QStringLiteral("helpBack"));
    m_back->setShortcuts(QKeySequence::Back);
    m_back->setEnabled(false);
    m_forward = bar->addAction(QStringLiteral("Вперёд"), m_browser, &QTextBrowser::forward);
    m_forward->setObjectName(QStringLiteral("helpForward"));
    m_forward->setShortcuts(QKeySequence::Forward);
    m_forward->setEnabled(false);
    QAction* close = new QAction(this);
    close->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);

    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, &CHelpWindow::SyncContents);
    connect(m_contents, &QListWidget::itemActivated, this,
        [this](QListWidgetItem* item) { ShowPage(item->data(Qt::UserRole).toString()); });
    connect(m_contents, &QListWidget::itemClicked, this,
        [this](QListWidgetItem* item) { ShowPage(item->data(Qt::UserRole).toString()); });
    resize(1000, 720);
}

void CHelpWindow::ShowPage(const QString& file)
{
    const QString page = file.isEmpty() ? QString::fromUtf8(Pages().front().file) : file;
    const QUrl url = PageUrl(page);
    if (m_browser->source() != url)
        m_browser->setSource(url);
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void CHelpWindow::SyncContents(const QUrl& url)
{
    const QString file = url.fileName();
    for (int row = 0; row < m_contents->count(); ++row) {
        if (m_contents->item(row)->data(Qt::UserRole).toString() == file) {
            const QSignalBlocker block(m_contents);
            m_contents->setCurrentRow(row);
            return;
        }
    }
}

CHelpWindow* ShowHelpWindow(QWidget* owner, const QString& dataFolder, const QString& page)
{
    auto* window = owner->findChild<CHelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
    if (!window)
        window = new CHelpWindow(owner);
    window->SetDataFolder(dataFolder);
    window->ShowPage(page);
    return window;
}
