// The dictionary and settings dialogs: working copies, clearing, adding normalised entries, the
// notepad's buttons, the folder-name checks and creation, the hot documents' slots, the shown
// pictures.

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include "base/codepage.h"
#include "orvo/orvo_dict.h"
#include "orvo/orvo_link_dict.h"
#include "shell/dictionary_dlg.h"
#include "shell/hot_docs_dlg.h"
#include "shell/multi_list_box.h"
#include "shell/options_dlg.h"
#include "shell/orvo_link_dict_dlg.h"
#include "shell/qt_user_interface.h"
#include "shell/recv_dict_dlg.h"
#include "shell/showed_icons_dlg.h"
#include "shell/sinonims_dlg.h"
#include "storage/recv_dict.h"
#include "storage/string_dict.h"
#include "view/qt_text.h"

#include "dialog_test_support.h"
#include "isolated_run.h"

namespace {

std::string Cp(const char* utf8) { return codepage::Utf8ToCp1251(utf8); }

// The desktop interface with its message boxes answered from a queue and recorded.
class CTestUi : public CQtUserInterface {
public:
    std::deque<int> answers;
    std::vector<std::string> messages;
    int MessageBox(const std::string& text, MsgIcon, MsgButtons buttons) override
    {
        messages.push_back(text);
        if (buttons == MsgButtons::Ok)
            return AnswerOk;
        if (answers.empty()) {
            unanswered = true;
            return buttons == MsgButtons::OkCancel ? AnswerCancel : AnswerNo;
        }
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool unanswered = false;
};

void Type(QWidget* dlg, const char* field, const QString& text)
{
    auto* edit = Find<QLineEdit>(dlg, field);
    edit->clear();
    // Key events carry Latin text only; Cyrillic goes in as the field's text.
    const bool latin = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 128; });
    if (latin)
        QTest::keyClicks(edit, text);
    else
        edit->setText(text);
}

void SelectRows(QTreeWidget* list, std::initializer_list<int> rows)
{
    list->clearSelection();
    for (int row : rows)
        list->topLevelItem(row)->setSelected(true);
}

std::vector<std::string> Keywords() { return { Cp("ЗАКОН"), Cp("ПОСТАНОВЛЕНИЕ"), Cp("УКАЗ") }; }

CRecvDict Types()
{
    CRecvDict dict;
    dict.records.emplace_back(Cp("ПОСТАНОВЛЕНИЕ"), std::vector<std::string> { Cp("ПОСТ."), Cp("ПОСТАН.") });
    dict.records.emplace_back(Cp("ПРИКАЗ"), std::vector<std::string> {});
    dict.records.emplace_back(Cp("УКАЗ"), std::vector<std::string> {});
    return dict;
}

CDocRecvisits Document(std::int32_t number)
{
    CDocRecvisits doc;
    doc.nBaseNumber = number;
    doc.types = { Cp("ФЕДЕРАЛЬНЫЙ ЗАКОН") };
    doc.name = Cp("О документе ") + std::to_string(number);
    return doc;
}

COrvoLinkDict Notepad(std::initializer_list<std::int32_t> numbers)
{
    COrvoLinkDict notepad;
    for (std::int32_t n : numbers)
        notepad.entries.push_back(Document(n));
    return notepad;
}

std::vector<std::int32_t> Numbers(const COrvoLinkDict& notepad)
{
    std::vector<std::int32_t> numbers;
    for (const CDocRecvisits& e : notepad.entries)
        numbers.push_back(e.nBaseNumber);
    return numbers;
}

} // namespace

class SettingsDialogsTest : public QObject {
    Q_OBJECT

private slots:
    // The program's own settings the dialogs write go to a folder of the run.
    void initTestCase() { KeepTheRunIn(m_home); }
    void cancellingADictionaryDialogChangesNothing();
    void okAfterAChangeReplacesTheDictionary();
    void clearAsksAndEmpties();
    void removeTakesEverySelectedRow();
    void addingNormalisesAndRefusesDuplicates();
    void enterInTheNewEntryFieldAdds();
    void synonymsAreSortedOnCopy();
    void typedCharacterJumpsToTheRow();

    void notepadButtonsFollowTheSelection();
    void notepadRefusesDuplicatesAndUnknownNumbers();
    void notepadCancelDiscardsEverything();

    void folderNameRules();
    void folderChooserValidatesAndCreates();
    void optionsTakeTheFieldsOnOk();

    void hotDocumentFieldsAndSlots();
    void shownPicturesRoundTrip();

private:
    QTemporaryDir m_home;
};

void SettingsDialogsTest::cancellingADictionaryDialogChangesNothing()
{
    CTestUi ui;
    {
        CStringDict dict;
        dict.strings = Keywords();
        WhenShown<CDictionaryDlg>([&](CDictionaryDlg* dlg) {
            SelectRows(Find<QTreeWidget>(dlg, "list"), { 0 });
            Click(dlg, "remove");
            Type(dlg, "newEntry", QStringLiteral("приказ"));
            Click(dlg, "add");
            QVERIFY(dlg->IsModified());
            Click(dlg, "cancel");
        });
        QVERIFY(!dict.Edit(ui, "Словарь ключевых слов", "Слова"));
        QCOMPARE(dict.strings, Keywords());
    }
    {
        CRecvDict dict = Types();
        WhenShown<CRecvDictDlg>([&](CRecvDictDlg* dlg) {
            ui.answers = { AnswerYes };
            Click(dlg, "clear");
            QCOMPARE(Find<QLineEdit>(dlg, "count")->text(), QStringLiteral("0"));
            Click(dlg, "cancel");
        });
        QVERIFY(!dict.Edit(ui, "Словарь видов документов Орво", "Виды документов"));
        QCOMPARE(dict.records.size(), std::size_t { 3 });
        QCOMPARE(dict.records[0].synonyms, (std::vector<std::string> { Cp("ПОСТ."), Cp("ПОСТАН.") }));
    }
    {
        // OK without a change reports nothing to take.
        CStringDict dict;
        dict.strings = Keywords();
        WhenShown<CDictionaryDlg>([](CDictionaryDlg* dlg) { Click(dlg, "ok"); });
        QVERIFY(!dict.Edit(ui, "Словарь ключевых слов", "Слова"));
        QCOMPARE(dict.strings, Keywords());
    }
    QVERIFY(!ui.unanswered);
}

void SettingsDialogsTest::okAfterAChangeReplacesTheDictionary()
{
    CTestUi ui;
    CStringDict keywords;
    keywords.strings = Keywords();
    WhenShown<CDictionaryDlg>([](CDictionaryDlg* dlg) {
        QCOMPARE(dlg->windowTitle(), QStringLiteral("Словарь ключевых слов"));
        QCOMPARE(Find<QTreeWidget>(dlg, "list")->headerItem()->text(1), QStringLiteral("Слова"));
        SelectRows(Find<QTreeWidget>(dlg, "list"), { 1 });
        Click(dlg, "remove");
        Click(dlg, "ok");
    });
    QVERIFY(keywords.Edit(ui, "Словарь ключевых слов", "Слова"));
    QCOMPARE(keywords.strings, (std::vector<std::string> { Cp("ЗАКОН"), Cp("УКАЗ") }));

    CRecvDict types = Types();
    WhenShown<CRecvDictDlg>([](CRecvDictDlg* dlg) {
        Type(dlg, "newEntry", QStringLiteral("распоряжение"));
        Click(dlg, "addValue");
        Click(dlg, "ok");
    });
    QVERIFY(types.Edit(ui, "Словарь видов документов Орво", "Виды документов"));
    QCOMPARE(types.records.size(), std::size_t { 4 });
    QCOMPARE(types.records.back().value, Cp("РАСПОРЯЖЕНИЕ"));
}

void SettingsDialogsTest::clearAsksAndEmpties()
{
    CTestUi ui;
    {
        std::vector<std::string> strings = Keywords();
        CDictionaryDlg dlg(ui, QStringLiteral("Словарь"), QStringLiteral("Слова"), strings);
        dlg.show();
        ui.answers = { AnswerNo };
        Click(&dlg, "clear");
        QCOMPARE(ui.messages.back(), std::string("Очистить словарь?"));
        QCOMPARE(strings.size(), std::size_t { 3 });
        QVERIFY(!dlg.IsModified());
        ui.answers = { AnswerYes };
        Click(&dlg, "clear");
        QVERIFY(strings.empty());
        QVERIFY(dlg.IsModified());
        QCOMPARE(Find<QTreeWidget>(&dlg, "list")->topLevelItemCount(), 0);
        QCOMPARE(Find<QLineEdit>(&dlg, "count")->text(), QStringLiteral("0"));
    }
    {
        CRecvDict dict = Types();
        CRecvDictDlg dlg(ui, QStringLiteral("Словарь"), QStringLiteral("Виды"), dict);
        dlg.show();
        ui.answers = { AnswerNo };
        Click(&dlg, "clear");
        QCOMPARE(dict.records.size(), std::size_t { 3 });
        QVERIFY(!dlg.IsModified());
        ui.answers = { AnswerYes };
        Click(&dlg, "clear");
        QVERIFY(dict.records.empty());
        QVERIFY(dlg.IsModified());
    }
    {
        CRecvRec rec(Cp("ПОСТАНОВЛЕНИЕ"), { Cp("ПОСТ."), Cp("ПОСТАН.") });
        CSinonimsDlg dlg(ui, rec);
        dlg.show();
        QCOMPARE(Find<QLineEdit>(&dlg, "value")->text(), QStringLiteral("ПОСТАНОВЛЕНИЕ"));
        ui.answers = { AnswerNo };
        Click(&dlg, "clear");
        QCOMPARE(ui.messages.back(), std::string("Удалить синонимы?"));
        QCOMPARE(rec.synonyms.size(), std::size_t { 2 });
        ui.answers = { AnswerYes };
        Click(&dlg, "clear");
        QVERIFY(rec.synonyms.empty());
        QCOMPARE(rec.value, Cp("ПОСТАНОВЛЕНИЕ"));
    }
    {
        COrvoLinkDict notepad = Notepad({ 5, 7 });
        COrvoDict documents;
        COrvoLinkDictDlg dlg(ui, notepad, documents);
        dlg.show();
        ui.answers = { AnswerYes };
        Click(&dlg, "clear");
        QCOMPARE(ui.messages.back(), std::string("Очистить словарь?"));
        QVERIFY(notepad.entries.empty());
        QVERIFY(dlg.IsModified());
        QCOMPARE(Find<QLineEdit>(&dlg, "count")->text(), QStringLiteral("0"));
    }
    QVERIFY(!ui.unanswered);
}

void SettingsDialogsTest::removeTakesEverySelectedRow()
{
    CTestUi ui;
    std::vector<std::string> strings = Keywords();
    CDictionaryDlg dlg(ui, QStringLiteral("Словарь"), QStringLiteral("Слова"), strings);
    dlg.show();
    auto* list = Find<QTreeWidget>(&dlg, "list");
    QVERIFY(!Enabled(&dlg, "remove"));
    SelectRows(list, { 0, 2 });
    QVERIFY(Enabled(&dlg, "remove"));
    Click(&dlg, "remove");
    QCOMPARE(strings, (std::vector<std::string> { Cp("ПОСТАНОВЛЕНИЕ") }));
    QVERIFY(!Enabled(&dlg, "remove"));
    QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("1"));
    QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("ПОСТАНОВЛЕНИЕ"));

    CRecvDict dict = Types();
    CRecvDictDlg recv(ui, QStringLiteral("Словарь"), QStringLiteral("Виды"), dict);
    recv.show();
    auto* recvList = Find<QTreeWidget>(&recv, "list");
    QCOMPARE(recvList->topLevelItem(0)->text(2), QStringLiteral("ПОСТ., ПОСТАН."));
    SelectRows(recvList, { 1, 2 });
    QVERIFY(!Enabled(&recv, "synonyms")); // only for exactly one value
    Click(&recv, "remove");
    QCOMPARE(dict.records.size(), std::size_t { 1 });
    QCOMPARE(dict.records[0].value, Cp("ПОСТАНОВЛЕНИЕ"));
    QCOMPARE(Find<QLineEdit>(&recv, "count")->text(), QStringLiteral("1"));
}

void SettingsDialogsTest::addingNormalisesAndRefusesDuplicates()
{
    CTestUi ui;
    {
        std::vector<std::string> strings = Keywords();
        CDictionaryDlg dlg(ui, QStringLiteral("Словарь"), QStringLiteral("Слова"), strings);
        dlg.show();
        QVERIFY(!Enabled(&dlg, "add"));
        Type(&dlg, "newEntry", QStringLiteral("   "));
        QVERIFY(!Enabled(&dlg, "add"));
        Type(&dlg, "newEntry", QStringLiteral("  федеральный   закон "));
        QVERIFY(Enabled(&dlg, "add"));
        Click(&dlg, "add");
        QCOMPARE(strings.back(), Cp("ФЕДЕРАЛЬНЫЙ ЗАКОН"));
        QVERIFY(Find<QLineEdit>(&dlg, "newEntry")->text().isEmpty());
        QCOMPARE(Find<QLineEdit>(&dlg, "count")->text(), QStringLiteral("4"));
        Type(&dlg, "newEntry", QStringLiteral("указ"));
        Click(&dlg, "add");
        QCOMPARE(strings.size(), std::size_t { 4 });
        QCOMPARE(ui.messages.size(), std::size_t { 1 });
    }
    {
        CRecvDict dict = Types();
        CRecvDictDlg dlg(ui, QStringLiteral("Словарь"), QStringLiteral("Виды"), dict);
        dlg.show();
        auto* list = Find<QTreeWidget>(&dlg, "list");
        Type(&dlg, "newEntry", QStringLiteral("прик."));
        QVERIFY(Enabled(&dlg, "addValue"));
        QVERIFY(!Enabled(&dlg, "addSynonym")); // no value selected
        SelectRows(list, { 0, 1 });
        QVERIFY(!Enabled(&dlg, "addSynonym"));
        SelectRows(list, { 1 });
        QVERIFY(Enabled(&dlg, "addSynonym"));
        Click(&dlg, "addSynonym");
        QCOMPARE(dict.records[1].synonyms, (std::vector<std::string> { Cp("ПРИК.") }));
        QVERIFY(dlg.IsModified());
        // A text already known as a synonym of another value, or as a value, is refused.
        const std::size_t before = ui.messages.size();
        Type(&dlg, "newEntry", QStringLiteral("пост."));
        Click(&dlg, "addValue");
        Type(&dlg, "newEntry", QStringLiteral("Указ"));
        SelectRows(list, { 1 });
        Click(&dlg, "addSynonym");
        QCOMPARE(ui.messages.size(), before + 2);
        QCOMPARE(dict.records.size(), std::size_t { 3 });
        QCOMPARE(dict.records[1].synonyms.size(), std::size_t { 1 });
    }
    {
        CRecvRec rec(Cp("ПРИКАЗ"), {});
        CSinonimsDlg dlg(ui, rec);
        dlg.show();
        QVERIFY(!Enabled(&dlg, "add"));
        Type(&dlg, "newSynonym", QStringLiteral(" пр.  мин "));
        Click(&dlg, "add");
        QCOMPARE(rec.synonyms, (std::vector<std::string> { Cp("ПР. МИН") }));
        const std::size_t before = ui.messages.size();
        Type(&dlg, "newSynonym", QStringLiteral("приказ"));
        Click(&dlg, "add");
        QCOMPARE(ui.messages.size(), before + 1);
        QCOMPARE(rec.synonyms.size(), std::size_t { 1 });
    }
}

// Enter in the new entry's field of each dictionary dialog adds the entry and keeps the dialog
// open; the synonyms dialog starts in that field.
void SettingsDialogsTest::enterInTheNewEntryFieldAdds()
{
    CTestUi ui;
    std::vector<std::string> strings = Keywords();
    CDictionaryDlg words(ui, QStringLiteral("Словарь"), QStringLiteral("Слова"), strings);
    CRecvDict dict = Types();
    CRecvDictDlg values(ui, QStringLiteral("Словарь"), QStringLiteral("Виды"), dict);
    CRecvRec rec(Cp("ПРИКАЗ"), {});
    CSinonimsDlg synonyms(ui, rec);
    const struct {
        QDialog* dlg;
        const char* field;
        std::function<std::string()> last;
    } cases[] = {
        { &words, "newEntry", [&] { return strings.back(); } },
        { &values, "newEntry", [&] { return dict.records.back().value; } },
        { &synonyms, "newSynonym", [&] { return rec.synonyms.empty() ? std::string() : rec.synonyms.back(); } },
    };
    for (const auto& c : cases) {
        c.dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(c.dlg));
        auto* field = Find<QLineEdit>(c.dlg, c.field);
        if (c.dlg == &synonyms)
            QCOMPARE(c.dlg->focusWidget(), field);
        Type(c.dlg, c.field, QStringLiteral("новый"));
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(c.last(), Cp("НОВЫЙ"));
        QVERIFY(field->text().isEmpty());
        QVERIFY(c.dlg->isVisible());
        c.dlg->hide();
    }
    QVERIFY(ui.messages.empty());
}

void SettingsDialogsTest::synonymsAreSortedOnCopy()
{
    CTestUi ui;
    CRecvDict dict;
    dict.records.emplace_back(Cp("ПРИКАЗ"), std::vector<std::string> { Cp("Б"), Cp("В") });
    CRecvDictDlg dlg(ui, QStringLiteral("Словарь"), QStringLiteral("Виды"), dict);
    dlg.show();
    SelectRows(Find<QTreeWidget>(&dlg, "list"), { 0 });
    QVERIFY(Enabled(&dlg, "synonyms"));
    // The synonyms dialog appends at the end; taking its copy back puts them in byte order.
    WhenShown<CSinonimsDlg>([](CSinonimsDlg* syn) {
        Type(syn, "newSynonym", QStringLiteral("а"));
        Click(syn, "add");
        QCOMPARE(Find<QTreeWidget>(syn, "list")->topLevelItem(2)->text(1), QStringLiteral("А"));
        Click(syn, "ok");
    });
    Click(&dlg, "synonyms");
    QCOMPARE(dict.records[0].synonyms, (std::vector<std::string> { Cp("А"), Cp("Б"), Cp("В") }));
    QVERIFY(dlg.IsModified());
    QCOMPARE(Find<QTreeWidget>(&dlg, "list")->topLevelItem(0)->text(2), QStringLiteral("А, Б, В"));

    // Cancelled synonyms leave the record alone.
    WhenShown<CSinonimsDlg>([](CSinonimsDlg* syn) {
        Type(syn, "newSynonym", QStringLiteral("г"));
        Click(syn, "add");
        Click(syn, "cancel");
    });
    Click(&dlg, "synonyms");
    QCOMPARE(dict.records[0].synonyms.size(), std::size_t { 3 });

    // "Внести" keeps the order too.
    Type(&dlg, "newEntry", QStringLiteral("аа"));
    SelectRows(Find<QTreeWidget>(&dlg, "list"), { 0 });
    Click(&dlg, "addSynonym");
    QCOMPARE(dict.records[0].synonyms, (std::vector<std::string> { Cp("А"), Cp("АА"), Cp("Б"), Cp("В") }));
}

void SettingsDialogsTest::typedCharacterJumpsToTheRow()
{
    CTestUi ui;
    std::vector<std::string> strings = { Cp("ЗАКОН"), Cp("ПРИКАЗ"), Cp("ПОСТАНОВЛЕНИЕ"), Cp("указ") };
    CDictionaryDlg dlg(ui, QStringLiteral("Словарь"), QStringLiteral("Слова"), strings);
    dlg.show();
    auto* list = Find<QTreeWidget>(&dlg, "list");
    SelectRows(list, { 0 });
    list->keyboardSearch(QStringLiteral("п"));
    QCOMPARE(list->selectedItems().size(), 1);
    QCOMPARE(list->indexOfTopLevelItem(list->selectedItems().front()), 1);
    list->keyboardSearch(QStringLiteral("У"));
    QCOMPARE(list->selectedItems().size(), 1);
    QCOMPARE(list->indexOfTopLevelItem(list->selectedItems().front()), 3);
}

void SettingsDialogsTest::notepadButtonsFollowTheSelection()
{
    CTestUi ui;
    COrvoLinkDict notepad = Notepad({ 11, 22, 33 });
    COrvoDict documents;
    COrvoLinkDictDlg dlg(ui, notepad, documents);
    dlg.show();
    auto* list = Find<CMultiListBox>(&dlg, "entries");
    QCOMPARE(list->count(), 3);
    QCOMPARE(Find<QLineEdit>(&dlg, "count")->text(), QStringLiteral("3"));
    for (const char* b : { "add", "remove", "up", "down" })
        QVERIFY2(!Enabled(&dlg, b), b);

    ClickRow(list, 0);
    QVERIFY(Enabled(&dlg, "remove"));
    QVERIFY(!Enabled(&dlg, "up"));
    QVERIFY(Enabled(&dlg, "down"));
    Click(&dlg, "down");
    QCOMPARE(Numbers(notepad), (std::vector<std::int32_t> { 22, 11, 33 }));
    QCOMPARE(list->currentRow(), 1);
    QVERIFY(Enabled(&dlg, "up"));
    Click(&dlg, "down");
    QCOMPARE(Numbers(notepad), (std::vector<std::int32_t> { 22, 33, 11 }));
    QCOMPARE(list->currentRow(), 2);
    QVERIFY(!Enabled(&dlg, "down"));
    QVERIFY(Enabled(&dlg, "up"));
    Click(&dlg, "up");
    QCOMPARE(Numbers(notepad), (std::vector<std::int32_t> { 22, 11, 33 }));
    QCOMPARE(list->currentRow(), 1);
    QCOMPARE(list->item(1)->text(), FromCp1251(Document(11).Describe()));

    Click(&dlg, "remove");
    QCOMPARE(Numbers(notepad), (std::vector<std::int32_t> { 22, 33 }));
    QVERIFY(!Enabled(&dlg, "remove"));
    QVERIFY(!Enabled(&dlg, "up"));
    QVERIFY(!Enabled(&dlg, "down"));
    QVERIFY(dlg.IsModified());

    Type(&dlg, "newDocument", QStringLiteral("0"));
    QVERIFY(!Enabled(&dlg, "add"));
    Type(&dlg, "newDocument", QStringLiteral("105"));
    QVERIFY(Enabled(&dlg, "add"));
    Type(&dlg, "newDocument", QString());
    QVERIFY(!Enabled(&dlg, "add"));
}

void SettingsDialogsTest::notepadRefusesDuplicatesAndUnknownNumbers()
{
    CTestUi ui;
    COrvoLinkDict notepad = Notepad({ 100001 });
    COrvoDict documents;
    COrvoLinkDictDlg dlg(ui, notepad, documents);
    dlg.show();
    Type(&dlg, "newDocument", QStringLiteral("100001"));
    Click(&dlg, "add");
    QCOMPARE(ui.messages, (std::vector<std::string> { "Документ уже внесён в блокнот!" }));
    Type(&dlg, "newDocument", QStringLiteral("100002"));
    Click(&dlg, "add");
    QCOMPARE(ui.messages.back(), std::string("Неправильный базовый номер документа!"));
    QCOMPARE(notepad.entries.size(), std::size_t { 1 });
    QVERIFY(!dlg.IsModified());
    // A refused number stays for correction.
    QCOMPARE(Find<QLineEdit>(&dlg, "newDocument")->text(), QStringLiteral("100002"));
}

void SettingsDialogsTest::notepadCancelDiscardsEverything()
{
    CTestUi ui;
    COrvoLinkDict notepad = Notepad({ 1, 2, 3 });
    WhenShown<COrvoLinkDictDlg>([](COrvoLinkDictDlg* dlg) {
        ClickRow(Find<CMultiListBox>(dlg, "entries"), 0);
        Click(dlg, "down");
        Click(dlg, "remove");
        QVERIFY(dlg->IsModified());
        Click(dlg, "cancel");
    });
    QVERIFY(!ui.EditNotepad(notepad));
    QCOMPARE(Numbers(notepad), (std::vector<std::int32_t> { 1, 2, 3 }));

    // The same work ended with OK is taken.
    WhenShown<COrvoLinkDictDlg>([](COrvoLinkDictDlg* dlg) {
        ClickRow(Find<CMultiListBox>(dlg, "entries"), 0);
        Click(dlg, "down");
        Click(dlg, "ok");
    });
    COrvoLinkDict working = notepad;
    QVERIFY(ui.EditNotepad(working));
    QCOMPARE(Numbers(working), (std::vector<std::int32_t> { 2, 1, 3 }));
}

void SettingsDialogsTest::folderNameRules()
{
#ifdef Q_OS_WIN
    QVERIFY(IsValidFolderName(QStringLiteral("C:\\")));
    QVERIFY(IsValidFolderName(QStringLiteral("C:\\Docs\\New")));
    QVERIFY(!IsValidFolderName(QStringLiteral("C:\\Docs\\New\\")));
    QVERIFY(!IsValidFolderName(QStringLiteral("C:")));
    QVERIFY(!IsValidFolderName(QStringLiteral("\\Docs")));
    QVERIFY(!IsValidFolderName(QStringLiteral("C:\\ Docs")));
    QVERIFY(!IsValidFolderName(QStringLiteral("C:\\Docs.")));
    QVERIFY(!IsValidFolderName(QStringLiteral("C:\\Do?cs")));
#else
    QVERIFY(IsValidFolderName(QStringLiteral("/")));
    QVERIFY(IsValidFolderName(QStringLiteral("/home/editor/Новая папка")));
    QVERIFY(IsValidFolderName(QStringLiteral("/home/a.b")));
    QVERIFY(!IsValidFolderName(QString()));
    QVERIFY(!IsValidFolderName(QStringLiteral("home/editor")));
    QVERIFY(!IsValidFolderName(QStringLiteral("/home/editor/")));
    QVERIFY(!IsValidFolderName(QStringLiteral("/home//editor")));
    QVERIFY(!IsValidFolderName(QStringLiteral("/home/ editor")));
    QVERIFY(!IsValidFolderName(QStringLiteral("/home/editor ")));
    QVERIFY(!IsValidFolderName(QStringLiteral("/home/\teditor")));
    QVERIFY(!IsValidFolderName(QStringLiteral("/home/editor.")));
    QVERIFY(!IsValidFolderName(QStringLiteral("/home/.config")));
    QVERIFY(!IsValidFolderName(QStringLiteral("/home/..")));
    for (const char* bad : { "\"", "*", ":", "<", ">", "?", "\\", "|" })
        QVERIFY2(!IsValidFolderName(QStringLiteral("/home/a") + QString::fromLatin1(bad) + u'b'), bad);
#endif
}

void SettingsDialogsTest::folderChooserValidatesAndCreates()
{
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString base = QDir::toNativeSeparators(temp.path());
    const QString sep = QDir::separator();
    CTestUi ui;
    CFolderChooserDlg chooser(ui, QStringLiteral("Папка для входных файлов"),
        QStringLiteral("Выбирете папку для входных файлов"), temp.path());
    chooser.show();
    QCOMPARE(chooser.windowTitle(), QStringLiteral("Папка для входных файлов"));
    QCOMPARE(Find<QLineEdit>(&chooser, "path")->text(), base);
    QVERIFY(Enabled(&chooser, "ok"));
    Type(&chooser, "path", QString());
    QVERIFY(!Enabled(&chooser, "ok"));

    // A new folder with a separator at the end is a wrong name; without it, the creation question.
    const QString fresh = base + sep + QStringLiteral("Новая");
    Type(&chooser, "path", fresh + sep);
    Click(&chooser, "ok");
    QVERIFY(chooser.isVisible());
    QCOMPARE(ui.messages.back(),
        QStringLiteral("Ошибочное название папки:\n\n%1\n\n. Переименуйте папку.").arg(fresh + sep).toStdString());

    Type(&chooser, "path", base + sep + QStringLiteral(" Новая"));
    Click(&chooser, "ok");
    QVERIFY(chooser.isVisible());
    Type(&chooser, "path", base + sep + QStringLiteral("Новая."));
    Click(&chooser, "ok");
    QVERIFY(chooser.isVisible());
    QCOMPARE(ui.messages.size(), std::size_t { 3 });

    // No: nothing created, the chooser stays, the focus back in the path field.
    const QString nested = fresh + sep + QStringLiteral("Вторая");
    Type(&chooser, "path", nested);
    ui.answers = { AnswerNo };
    Click(&chooser, "ok");
    QVERIFY(chooser.isVisible());
    QCOMPARE(ui.messages.back(),
        QStringLiteral("Папка:\n\n%1\n\nне существует. Создать папку?").arg(nested).toStdString());
    QVERIFY(!QFileInfo::exists(fresh));
    QCOMPARE(ui.messages.size(), std::size_t { 4 });

    // Yes: every missing level is made and the chooser closes with the path.
    ui.answers = { AnswerYes };
    Click(&chooser, "ok");
    QVERIFY(!chooser.isVisible());
    QCOMPARE(chooser.result(), int(QDialog::Accepted));
    QVERIFY(QFileInfo(nested).isDir());
    QCOMPARE(chooser.Path(), nested);
    QCOMPARE(ui.messages.size(), std::size_t { 5 });

    // An existing folder needs no question.
    QVERIFY(CheckAndCreateFolder(ui, nested));
    QCOMPARE(ui.messages.size(), std::size_t { 5 });

    // A file where the folder, or a folder above it, belongs: said so, nothing asked or made.
    const QString file = nested + sep + QStringLiteral("файл.txt");
    QVERIFY(QFile(file).open(QIODevice::WriteOnly));
    for (const QString& typed : { file, file + sep + QStringLiteral("ниже") }) {
        QVERIFY(!CheckAndCreateFolder(ui, typed));
        QCOMPARE(ui.messages.back(),
            QStringLiteral("Путь:\n\n%1\n\nэто файл, а не папка. Укажите папку.").arg(file).toStdString());
    }
    QCOMPARE(ui.messages.size(), std::size_t { 7 });

#ifndef Q_OS_WIN
    // A level that cannot be made is reported.
    const QString locked = base + QStringLiteral("/locked");
    QVERIFY(QDir().mkdir(locked));
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (!QDir().mkdir(locked + QStringLiteral("/probe"))) { // not when the tests run as root
        ui.answers = { AnswerYes };
        QVERIFY(!CheckAndCreateFolder(ui, locked + QStringLiteral("/a/b")));
        QCOMPARE(ui.messages.back(),
            QStringLiteral("Папка:\n\n%1\n\nне может быть создана.").arg(locked + QStringLiteral("/a/b")).toStdString());
    }
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
#endif
    QVERIFY(!ui.unanswered);
}

void SettingsDialogsTest::optionsTakeTheFieldsOnOk()
{
    QTemporaryDir dir;
    // Typed as the system writes folder names.
    const QString in = QDir::toNativeSeparators(dir.filePath(QStringLiteral("in")));
    QVERIFY(QDir().mkpath(in));
    const QString out = QDir::toNativeSeparators(dir.filePath(QStringLiteral("Выход")));
    CTestUi ui;
    std::string input = in.toStdString();
    std::string output = "/data/out";
    WhenShown<COptionsDlg>([](COptionsDlg* dlg) {
        QCOMPARE(dlg->windowTitle(), QStringLiteral("Параметры"));
        Type(dlg, "output", QStringLiteral("/data/Выход"));
        Click(dlg, "cancel");
    });
    QVERIFY(!ui.EditOptions(input, output));
    QCOMPARE(output, std::string("/data/out"));
    QVERIFY(ui.messages.empty());

    // A folder that is not there: refused when the person does not want it made, made when he
    // does; a malformed name is refused with the chooser's message. The dialog stays open until
    // the fields are sound (or it is cancelled).
    const QString bad = QDir::toNativeSeparators(dir.filePath(QStringLiteral("a?b")));
    ui.answers = { AnswerNo, AnswerYes };
    int attempts = 0;
    WhenShown<COptionsDlg>([&](COptionsDlg* dlg) {
        for (const QString& typed : { out, bad, out }) {
            Type(dlg, "output", typed);
            Click(dlg, "ok");
            attempts += dlg->isVisible();
        }
    });
    QVERIFY(ui.EditOptions(input, output));
    QCOMPARE(attempts, 2);
    QCOMPARE(ui.messages.size(), std::size_t(3));
    QCOMPARE(ui.messages[0], QStringLiteral("Папка:\n\n%1\n\nне существует. Создать папку?").arg(out).toStdString());
    QCOMPARE(ui.messages[1], QStringLiteral("Ошибочное название папки:\n\n%1\n\n. Переименуйте папку.").arg(bad).toStdString());
    QCOMPARE(ui.messages[2], ui.messages[0]);
    QVERIFY(QFileInfo(out).isDir());
    QCOMPARE(input, in.toStdString());
    QCOMPARE(output, out.toStdString());
    // Empty fields and existing folders pass without a word.
    WhenShown<COptionsDlg>([](COptionsDlg* dlg) {
        Type(dlg, "input", QString());
        Click(dlg, "ok");
    });
    QVERIFY(ui.EditOptions(input, output));
    QCOMPARE(input, std::string());
    QCOMPARE(ui.messages.size(), std::size_t(3));
    QVERIFY(!ui.unanswered);
}

void SettingsDialogsTest::hotDocumentFieldsAndSlots()
{
    CTestUi ui;
    const std::vector<std::int32_t> hotSlots = { 100, 1, 2, 0, 4, 5, 6, 7, 8, 99999 };
    CHotDocsDlg dlg(ui, hotSlots);
    dlg.show();
    QCOMPARE(Find<QLineEdit>(&dlg, "hot10")->text(), QStringLiteral("100"));
    QCOMPARE(Find<QLineEdit>(&dlg, "hot1")->text(), QStringLiteral("1"));
    QCOMPARE(Find<QLineEdit>(&dlg, "hot3")->text(), QString());
    QCOMPARE(Find<QLineEdit>(&dlg, "hot9")->text(), QStringLiteral("99999"));
    QCOMPARE(dlg.Slots(), hotSlots);
    // The title is not cut off.
    QVERIFY(dlg.width() > dlg.fontMetrics().horizontalAdvance(dlg.windowTitle()) + 100);

    // Real Orvo numbers have six to nine digits: up to ten are taken.
    Type(&dlg, "hot10", QString());
    Type(&dlg, "hot3", QStringLiteral("100120"));
    Type(&dlg, "hot5", QStringLiteral("4x2"));
    Type(&dlg, "hot6", QStringLiteral("123456789012"));
    const std::vector<std::int32_t> after = dlg.Slots();
    QCOMPARE(after[0], 0);
    QCOMPARE(after[3], 100120);
    QCOMPARE(after[5], 42);
    QCOMPARE(after[6], 1234567890);
    QCOMPARE(after[9], 99999);

    std::vector<std::int32_t> edited = hotSlots;
    WhenShown<CHotDocsDlg>([](CHotDocsDlg* hot) {
        Type(hot, "hot10", QStringLiteral("777"));
        Type(hot, "hot1", QString());
        // Beyond the 32-bit range: refused with a message, the dialog stays.
        Type(hot, "hot2", QStringLiteral("4294967295"));
        Click(hot, "ok");
        QVERIFY(hot->isVisible());
        QCOMPARE(hot->focusWidget(), Find<QLineEdit>(hot, "hot2"));
        Type(hot, "hot2", QStringLiteral("2147483647"));
        Click(hot, "ok");
    });
    QVERIFY(ui.EditHotDocuments(edited));
    QCOMPARE(ui.messages,
        std::vector<std::string> { "Номер документа 4294967295 слишком велик: номер в базе не больше 2147483647." });
    QCOMPARE(edited[0], 777);
    QCOMPARE(edited[1], 0);
    QCOMPARE(edited[2], 2147483647);
    QCOMPARE(edited[9], 99999);
}

void SettingsDialogsTest::shownPicturesRoundTrip()
{
    ShownPicturesFlags flags {};
    for (std::size_t i = 0; i < flags.size(); ++i)
        flags[i] = i % 3 == 0 ? 1 : 0;
    CShowedIconsDlg dlg(flags);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Отображаемые картинки"));
    QCOMPARE(dlg.Flags(), flags);
    QCOMPARE(Find<QCheckBox>(&dlg, "picture0")->text(), QStringLiteral("Межбазовые ссылки, уже стоявшие в документе"));
    QCOMPARE(Find<QCheckBox>(&dlg, "picture10")->text(),
        QStringLiteral("Подозрительные строки, в которых определили 1 типа реквизитов  внутрибазовых документов"));
    QCOMPARE(dlg.findChildren<QCheckBox*>().size(), 14);

    dlg.show();
    QTest::mouseClick(Find<QCheckBox>(&dlg, "picture13"), Qt::LeftButton);
    QTest::mouseClick(Find<QCheckBox>(&dlg, "picture0"), Qt::LeftButton);
    ShownPicturesFlags expected = flags;
    expected[13] = 1;
    expected[0] = 0;
    QCOMPARE(dlg.Flags(), expected);

    CShowedIconsDlg again(expected);
    QCOMPARE(again.Flags(), expected);
}

QTEST_MAIN(SettingsDialogsTest)
#include "settings_dialogs_test.moc"
