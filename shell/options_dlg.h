#pragma once

// "Параметры": the input and output folders, each with a folder chooser that checks the typed
// name and offers to create a folder that does not exist.

#include <QDialog>
#include <QString>

class CUserInterface;
class QCheckBox;
class QFileSystemModel;
class QLineEdit;
class QPushButton;
class QTreeView;

// Whether a path is a well-formed folder name by the rule of this system (base/folder_name.h).
bool IsValidFolderName(const QString& path);

// The check of a chosen folder: a wrong name is reported, a missing folder is created level by
// level when the person agrees. True when the folder exists afterwards.
bool CheckAndCreateFolder(CUserInterface& ui, const QString& path);

// The folder chooser: a tree of folders and an editable path field above it.
class CFolderChooserDlg : public QDialog {
    Q_OBJECT
public:
    CFolderChooserDlg(CUserInterface& ui, const QString& caption, const QString& text, const QString& initial,
        QWidget* parent = nullptr);

    QString Path() const;
    void accept() override;

private:
    void UpdateOk();

    CUserInterface& m_ui;
    QFileSystemModel* m_model;
    QTreeView* m_tree;
    QLineEdit* m_path;
    QPushButton* m_ok;
};

class COptionsDlg : public QDialog {
    Q_OBJECT
public:
    COptionsDlg(CUserInterface& ui, const QString& inputFolder, const QString& outputFolder, QWidget* parent = nullptr);

    QString InputFolder() const;
    QString OutputFolder() const;
    // A folder that does not exist is created when the person agrees, or the dialog stays open.
    void accept() override;

private:
    void Browse(QLineEdit* field, const QString& caption, const QString& text);

    CUserInterface& m_ui;
    QLineEdit* m_input;
    QLineEdit* m_output;
    QCheckBox* m_preselect;
    QCheckBox* m_withoutQuestions;
};
