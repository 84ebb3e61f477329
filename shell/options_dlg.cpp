#include "shell/options_dlg.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "base/folder_name.h"
#include "seam/user_interface.h"
#include "shell/review/review_settings.h"
#include "shell/select_orvo_doc_dlg.h"

namespace {

std::string Format(const char* pattern, const QString& path)
{
    return QString::fromUtf8(pattern).arg(path).toStdString();
}

} // namespace

bool IsValidFolderName(const QString& path) { return folder_name::IsValid(path.toStdString()); }

bool CheckAndCreateFolder(CUserInterface& ui, const QString& path)
{
    if (!IsValidFolderName(path)) {
        ui.MessageBox(Format("Ошибочное название папки:\n\n%1\n\n. Переименуйте папку.", path), MsgIcon::Warning);
        return false;
    }
    if (QFileInfo(path).isDir())
        return true;
    // A file where the folder or one of the folders above it belongs cannot be made a folder.
    for (const std::string& utf8 : folder_name::Levels(path.toStdString())) {
        const QFileInfo level(QString::fromStdString(utf8));
        if (level.exists() && !level.isDir()) {
            ui.MessageBox(Format("Путь:\n\n%1\n\nэто файл, а не папка. Укажите папку.",
                              QDir::toNativeSeparators(level.filePath())),
                MsgIcon::Warning);
            return false;
        }
    }
    if (ui.MessageBox(Format("Папка:\n\n%1\n\nне существует. Создать папку?", path), MsgIcon::Question,
            MsgButtons::YesNo)
        != AnswerYes)
        return false;
    // From the root (which must be there) down, one level after the other.
    bool created = true;
    for (const std::string& utf8 : folder_name::Levels(path.toStdString())) {
        const QString level = QString::fromStdString(utf8);
        if (!QFileInfo(level).isDir())
            QDir().mkdir(level);
        created = created && QFileInfo(level).isDir();
        if (!created)
            break;
    }
    if (!created) {
        ui.MessageBox(Format("Папка:\n\n%1\n\nне может быть создана.", path), MsgIcon::Warning);
        return false;
    }
    return true;
}

CFolderChooserDlg::CFolderChooserDlg(
    CUserInterface& ui, const QString& caption, const QString& text, const QString& initial, QWidget* parent)
    : QDialog(parent)
    , m_ui(ui)
    , m_model(new QFileSystemModel(this))
    , m_tree(new QTreeView(this))
    , m_path(new QLineEdit(this))
    , m_ok(new QPushButton(QStringLiteral("OK"), this))
{
    setWindowTitle(caption);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_model->setRootPath(QString());
    m_tree->setObjectName(QStringLiteral("tree"));
    m_tree->setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_tree->header()->hide();
    m_path->setObjectName(QStringLiteral("path"));
    m_path->setFont(font());
    m_ok->setObjectName(QStringLiteral("ok"));
    m_ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->setAutoDefault(false);

    const QString start = initial.isEmpty() ? QDir::currentPath() : initial;
    m_path->setText(QDir::toNativeSeparators(start));
    const QModelIndex index = m_model->index(start);
    if (index.isValid()) {
        m_tree->setCurrentIndex(index);
        m_tree->scrollTo(index);
    }

    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
        if (current.isValid())
            m_path->setText(QDir::toNativeSeparators(m_model->filePath(current)));
    });
    connect(m_path, &QLineEdit::textEdited, this, &CFolderChooserDlg::UpdateOk);
    connect(m_path, &QLineEdit::textChanged, this, &CFolderChooserDlg::UpdateOk);
    connect(m_ok, &QPushButton::clicked, this, &CFolderChooserDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    auto* root = new QVBoxLayout(this);
    root->addWidget(new QLabel(text, this));
    root->addWidget(m_path);
    root->addWidget(m_tree, 1);
    root->addLayout(buttons);
    resize(420, 480);
    UpdateOk();
}

QString CFolderChooserDlg::Path() const { return m_path->text(); }

void CFolderChooserDlg::UpdateOk() { m_ok->setEnabled(!m_path->text().isEmpty()); }

void CFolderChooserDlg::accept()
{
    if (!CheckAndCreateFolder(m_ui, m_path->text())) {
        m_path->setFocus();
        return;
    }
    QDialog::accept();
}

COptionsDlg::COptionsDlg(CUserInterface& ui, const QString& inputFolder, const QString& outputFolder, QWidget* parent)
    : QDialog(parent)
    , m_ui(ui)
    , m_input(new QLineEdit(inputFolder, this))
    , m_output(new QLineEdit(outputFolder, this))
    , m_preselect(new QCheckBox(QStringLiteral("Отмечать документы, номер и дата которых стоят в тексте рядом"), this))
    , m_withoutQuestions(new QCheckBox(QStringLiteral("Ставить уверенные ссылки без вопросов"), this))
{
    setWindowTitle(QStringLiteral("Параметры"));
    m_input->setObjectName(QStringLiteral("input"));
    m_output->setObjectName(QStringLiteral("output"));
    m_input->setMinimumWidth(m_input->fontMetrics().averageCharWidth() * 50);
    auto* browseInput = new QPushButton(QStringLiteral("..."), this);
    browseInput->setObjectName(QStringLiteral("browseInput"));
    auto* browseOutput = new QPushButton(QStringLiteral("..."), this);
    browseOutput->setObjectName(QStringLiteral("browseOutput"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    for (QPushButton* b : { browseInput, browseOutput, cancel })
        b->setAutoDefault(false);

    const QString inputText = QStringLiteral("Папка для входных файлов");
    const QString outputText = QStringLiteral("Папка для выходных файлов");
    connect(browseInput, &QPushButton::clicked, this,
        [this] { Browse(m_input, QStringLiteral("Папка для входных файлов"), QStringLiteral("Выбирете папку для входных файлов")); });
    connect(browseOutput, &QPushButton::clicked, this,
        [this] { Browse(m_output, QStringLiteral("Папка для выходных файлов"), QStringLiteral("Выбирете папку для выходных файлов")); });
    connect(ok, &QPushButton::clicked, this, &COptionsDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(inputText, this), 0, 0, 1, 2);
    grid->addWidget(m_input, 1, 0);
    grid->addWidget(browseInput, 1, 1);
    grid->addWidget(new QLabel(outputText, this), 2, 0, 1, 2);
    grid->addWidget(m_output, 3, 0);
    grid->addWidget(browseOutput, 3, 1);
    m_preselect->setObjectName(QStringLiteral("preselect"));
    m_preselect->setChecked(PreselectsCitedTogether());
    m_withoutQuestions->setObjectName(QStringLiteral("withoutQuestions"));
    m_withoutQuestions->setToolTip(QStringLiteral("При открытии документа ставить только ссылки, в которых программа "
                                                  "уверена, ни о чём не спрашивая; остальное проверить списком"));
    m_withoutQuestions->setChecked(ReviewWithoutQuestions());
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* root = new QVBoxLayout(this);
    root->addLayout(grid);
    root->addWidget(m_preselect);
    root->addWidget(m_withoutQuestions);
    root->addLayout(buttons);
}

void COptionsDlg::accept()
{
    // A folder typed by hand gets the checks of the folder chooser: a save into a folder that
    // is not there would fail only much later.
    for (QLineEdit* field : { m_input, m_output }) {
        const QString path = field->text();
        const QFileInfo info(path);
        if (path.isEmpty() || (info.isAbsolute() && info.isDir()))
            continue;
        if (!CheckAndCreateFolder(m_ui, path)) {
            field->setFocus();
            field->selectAll();
            return;
        }
    }
    // The program's own setting, not a field of the settings file.
    SetPreselectsCitedTogether(m_preselect->isChecked());
    SetReviewWithoutQuestions(m_withoutQuestions->isChecked());
    QDialog::accept();
}

QString COptionsDlg::InputFolder() const { return m_input->text(); }

QString COptionsDlg::OutputFolder() const { return m_output->text(); }

void COptionsDlg::Browse(QLineEdit* field, const QString& caption, const QString& text)
{
    CFolderChooserDlg chooser(m_ui, caption, text, QDir::fromNativeSeparators(field->text()), this);
    if (chooser.exec() == QDialog::Accepted)
        field->setText(chooser.Path());
}
