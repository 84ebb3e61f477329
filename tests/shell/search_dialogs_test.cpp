// "Документы Орво" and its condition dialogs, driven through their widgets; the import's progress
// dialog and its drawn bar.

#include <functional>
#include <string>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "base/codepage.h"
#include "orvo/orvo_ref_maker.h"
#include "seam/indexing_progress.h"
#include "shell/drawn_progress_bar.h"
#include "shell/find_orvo_dlg.h"
#include "shell/multi_list_box.h"
#include "shell/progress_indexing_dlg.h"
#include "shell/qt_user_interface.h"
#include "shell/select_nums_dlg.h"
#include "shell/select_words_dlg.h"
#include "shell/select_words_from_list.h"
#include "view/qt_text.h"

#include "dialog_test_support.h"

namespace {

std::string Cp(const char* utf8) { return codepage::Utf8ToCp1251(utf8); }

// The desktop interface with its messages recorded, and a hook at every turn of the window.
class CTestUi : public CQtUserInterface {
public:
    QStringList messages;
    std::function<void()> atEvents;
    int MessageBox(const std::string& text, MsgIcon, MsgButtons) override
    {
        messages << QString::fromStdString(text);
        return AnswerOk;
    }
    void ProcessEvents() override
    {
        if (atEvents)
            atEvents();
        CQtUserInterface::ProcessEvents();
    }
};

QString Text(QWidget* dlg, const char* field) { return Find<QLineEdit>(dlg, field)->text(); }

// Typing, a key a letter, Cyrillic ones too (QTest::keyClicks takes Latin-1 only).
void TypeInto(QWidget* field, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

QStringList Rows(QListWidget* list)
{
    QStringList rows;
    for (int i = 0; i < list->count(); ++i)
        rows << list->item(i)->text();
    return rows;
}

// An Orvo base of count documents numbered from 101: odd ones are laws of the Duma adopted on
// 10.03.2001, even ones decrees of the President adopted on 11.03.2001.
struct Base {
    QTemporaryDir dir;
    CTestUi ui;
    COrvoRefMaker maker { ui };

    explicit Base(int count = 6)
    {
        maker.LoadFiles(dir.path().toStdString());
        QString list;
        for (int i = 0; i < count; ++i) {
            const bool odd = i % 2 == 0;
            list += QStringLiteral("$0  НОМЕР В БАЗЕ\n%1\n$5  ВИД ДОКУМЕНТА\n%2\n$4  ПРИНЯВШИЙ ОРГАН\n%3\n"
                                   "$6  ДАТА ПРИНЯТИЯ\n%4\n$7  НОМЕР\n%5\n$9  НАЗВАНИЕ ДОКУМЕНТА\nО ДОКУМЕНТЕ %1\n\n$$\n")
                        .arg(101 + i)
                        .arg(odd ? QStringLiteral("ЗАКОН") : QStringLiteral("УКАЗ"))
                        .arg(odd ? QStringLiteral("ГОСДУМА") : QStringLiteral("ПРЕЗИДЕНТ"))
                        .arg(odd ? QStringLiteral("10.03.2001") : QStringLiteral("11.03.2001"))
                        .arg(i + 1);
        }
        const QString path = dir.filePath(QStringLiteral("list.lst"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write the list");
        file.write(QByteArray::fromStdString(ToCp1251(list)));
        file.close();
        if (!maker.documents.ImportListFile(ui, path.toStdString(), false))
            qFatal("the list was not imported");
        maker.types.records.emplace_back(Cp("ЗАКОН"), std::vector<std::string> {});
        maker.types.records.emplace_back(Cp("УКАЗ"), std::vector<std::string> {});
        maker.types.records.emplace_back(Cp("ПРИКАЗ"), std::vector<std::string> {});
        ui.messages.clear();
    }
};

// The search dialog, shown, with the numbers its "Вставить тег" hands over.
struct Search {
    std::vector<std::int32_t> placed;
    CFindOrvoDlg dlg;
    explicit Search(Base& b, bool withPlacer = true)
        : dlg(b.ui, b.maker, withPlacer ? CFindOrvoDlg::TagPlacer([this](std::int32_t n) { placed.push_back(n); })
                                        : CFindOrvoDlg::TagPlacer())
    {
        dlg.show();
        if (!QTest::qWaitForWindowExposed(&dlg))
            qFatal("dialog not shown");
    }
    CMultiListView* Results() { return Find<CMultiListView>(&dlg, "results"); }
};

void SetBaseNumbers(CFindOrvoDlg* dlg, const QStringList& numbers, const char* op)
{
    WhenShown<CSelectNumsDlg>([numbers, op](CSelectNumsDlg* nums) {
        for (const QString& n : numbers) {
            QTest::keyClicks(Find<QLineEdit>(nums, "newValue"), n);
            Click(nums, "add");
        }
        Click(nums, op);
        Click(nums, "ok");
    });
    Click(dlg, "baseNumbersButton");
}

QColor Pixel(const QImage& image, int x, int y) { return QColor(image.pixel(x, y)); }

} // namespace

class SearchDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void wordsDialogNormalisesSortsAndRemoves();
    void numbersDialogSortsNumerically();
    void wordsFromListMovesBetweenTheLists();
    void cancelledConditionDialogsChangeNothing();
    void searchShowsRowsAndPlacesTagsWhileOpen();
    void unknownNumberKeepsTheRows();
    void datePickersAndNoPlacer();
    void progressShowsWhileSearchingAndClosingStops();
    void typedConditionsSearchAsPickedOnes();
    void theWindowsTurnWaitsForTheSink();

    void drawnBarFillsAndWritesItsShare();
    void drawnBarRepaintsOnlyWhenTheFillGrows();
    void indexingDialogShowsTimesAndCancels();
};

void SearchDialogsTest::wordsDialogNormalisesSortsAndRemoves()
{
    CWordsCondition start { SearchNot, { Cp("УКАЗ") } };
    CSelectWordsDlg dlg(QStringLiteral("Номер документа"), start);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Номер документа"));
    QVERIFY(Find<QRadioButton>(&dlg, "opNot")->isChecked());
    auto* list = Find<QListWidget>(&dlg, "values");
    QVERIFY(!Enabled(&dlg, "add"));
    QVERIFY(!Enabled(&dlg, "remove"));

    // Trimmed, upper-cased, single blanks; shown in byte order; the field empties.
    Find<QLineEdit>(&dlg, "newValue")->setText(QStringLiteral("  5-фз   от  года "));
    QVERIFY(Enabled(&dlg, "add"));
    Click(&dlg, "add");
    QCOMPARE(Text(&dlg, "newValue"), QString());
    QVERIFY(!Enabled(&dlg, "add"));
    Find<QLineEdit>(&dlg, "newValue")->setText(QStringLiteral("   "));
    QVERIFY(!Enabled(&dlg, "add")); // blanks give no value
    Find<QLineEdit>(&dlg, "newValue")->setText(QStringLiteral("12"));
    QTest::keyClick(Find<QLineEdit>(&dlg, "newValue"), Qt::Key_Return); // Enter adds too
    Find<QLineEdit>(&dlg, "newValue")->setText(QStringLiteral("12"));
    Click(&dlg, "add");
    QCOMPARE(Rows(list), (QStringList { QStringLiteral("12"), QStringLiteral("12"), QStringLiteral("5-ФЗ ОТ ГОДА"),
                             QStringLiteral("УКАЗ") }));
    QVERIFY(dlg.isVisible()); // Enter in the field did not end the dialog

    ClickRow(list, 2);
    QVERIFY(Enabled(&dlg, "remove"));
    Click(&dlg, "remove");
    QCOMPARE(Rows(list), (QStringList { QStringLiteral("12"), QStringLiteral("12"), QStringLiteral("УКАЗ") }));
    QVERIFY(!Enabled(&dlg, "remove"));
    Click(&dlg, "opOr");
    const CWordsCondition result = dlg.Condition();
    QCOMPARE(result.nOperator, SearchOr);
    QCOMPARE(result.values, (std::vector<std::string> { "12", "12", Cp("УКАЗ") }));
    Click(&dlg, "clear");
    QCOMPARE(list->count(), 0);
    QVERIFY(dlg.Condition().values.empty());
    // Enter in the empty field is OK.
    QTest::keyClick(Find<QLineEdit>(&dlg, "newValue"), Qt::Key_Return);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
}

void SearchDialogsTest::numbersDialogSortsNumerically()
{
    CSelectNumsDlg dlg(QStringLiteral("Номер в базе"), CNumsCondition { SearchAnd, { 100 } });
    auto* field = Find<QLineEdit>(&dlg, "newValue");
    for (const char* n : { "9", "25" }) {
        QTest::keyClicks(field, QString::fromLatin1(n));
        Click(&dlg, "add");
    }
    QTest::keyClicks(field, QStringLiteral("7x-")); // only digits get in
    QCOMPARE(field->text(), QStringLiteral("7"));
    Click(&dlg, "add");
    auto* list = Find<QListWidget>(&dlg, "values");
    QCOMPARE(Rows(list), (QStringList { QStringLiteral("7"), QStringLiteral("9"), QStringLiteral("25"), QStringLiteral("100") }));
    list->item(0)->setSelected(true);
    list->item(3)->setSelected(true);
    Click(&dlg, "remove");
    QCOMPARE(dlg.Condition(), (CNumsCondition { SearchAnd, { 9, 25 } }));
}

void SearchDialogsTest::wordsFromListMovesBetweenTheLists()
{
    const std::vector<std::string> offered { Cp("УКАЗ"), Cp("ЗАКОН"), Cp("ПРИКАЗ") };
    CSelectWordsFromList dlg(QStringLiteral("Вид документа"), offered, CWordsCondition { SearchOr, { Cp("УКАЗ") } });
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QVERIFY(Find<QRadioButton>(&dlg, "opOr")->isChecked());
    QCOMPARE(Rows(dlg.ChosenList()), QStringList { QStringLiteral("УКАЗ") });
    // What is chosen is not offered again.
    QCOMPARE(Rows(dlg.OfferedList()), (QStringList { QStringLiteral("ЗАКОН"), QStringLiteral("ПРИКАЗ") }));

    DoubleClickRow(dlg.OfferedList(), 1);
    QCOMPARE(Rows(dlg.ChosenList()), (QStringList { QStringLiteral("ПРИКАЗ"), QStringLiteral("УКАЗ") }));
    QCOMPARE(Rows(dlg.OfferedList()), QStringList { QStringLiteral("ЗАКОН") });
    DoubleClickRow(dlg.ChosenList(), 1);
    QCOMPARE(Rows(dlg.ChosenList()), QStringList { QStringLiteral("ПРИКАЗ") });
    QCOMPARE(Rows(dlg.OfferedList()), (QStringList { QStringLiteral("ЗАКОН"), QStringLiteral("УКАЗ") }));
    // Enter moves the current value, as the double click does.
    dlg.OfferedList()->setFocus();
    dlg.OfferedList()->setCurrentRow(0);
    QTest::keyClick(dlg.OfferedList(), Qt::Key_Return);
    QCOMPARE(Rows(dlg.ChosenList()), (QStringList { QStringLiteral("ЗАКОН"), QStringLiteral("ПРИКАЗ") }));
    QVERIFY(dlg.isVisible());
    QCOMPARE(dlg.Condition().values, (std::vector<std::string> { Cp("ЗАКОН"), Cp("ПРИКАЗ") }));

    Click(&dlg, "clear");
    QCOMPARE(dlg.ChosenList()->count(), 0);
    QCOMPARE(Rows(dlg.OfferedList()), (QStringList { QStringLiteral("ЗАКОН"), QStringLiteral("ПРИКАЗ"), QStringLiteral("УКАЗ") }));
}

void SearchDialogsTest::cancelledConditionDialogsChangeNothing()
{
    Base b;
    Search s(b);
    CFindOrvoDlg* dlg = &s.dlg;
    QCOMPARE(dlg->windowTitle(), QStringLiteral("Документы Орво"));

    // A type chosen and И switched to НЕ, then Отмена: nothing of it stays.
    bool shown = false;
    WhenShown<CSelectWordsFromList>([&](CSelectWordsFromList* list) {
        shown = true;
        QCOMPARE(list->windowTitle(), QStringLiteral("Вид документа"));
        // The whole types dictionary is offered, in byte order.
        QCOMPARE(Rows(list->OfferedList()),
            (QStringList { QStringLiteral("ЗАКОН"), QStringLiteral("ПРИКАЗ"), QStringLiteral("УКАЗ") }));
        DoubleClickRow(list->OfferedList(), 0);
        Click(list, "opNot");
        Click(list, "cancel");
    });
    Click(dlg, "typesButton");
    QVERIFY(shown);
    QCOMPARE(dlg->Query().types, CWordsCondition {});
    QCOMPARE(Text(dlg, "typesText"), QString());

    // The same with OK.
    WhenShown<CSelectWordsFromList>([](CSelectWordsFromList* list) {
        DoubleClickRow(list->OfferedList(), 2);
        DoubleClickRow(list->OfferedList(), 0);
        Click(list, "opNot");
        Click(list, "ok");
    });
    Click(dlg, "typesButton");
    QCOMPARE(dlg->Query().types, (CWordsCondition { SearchNot, { Cp("ЗАКОН"), Cp("УКАЗ") } }));
    QCOMPARE(Text(dlg, "typesText"), QStringLiteral(" НЕ ЗАКОН НЕ УКАЗ"));

    // The name and base number conditions: Отмена after changes, then OK.
    WhenShown<CSelectWordsDlg>([](CSelectWordsDlg* words) {
        QCOMPARE(words->windowTitle(), QStringLiteral("Название документа"));
        Find<QLineEdit>(words, "newValue")->setText(QStringLiteral("документе"));
        Click(words, "add");
        Click(words, "cancel");
    });
    Click(dlg, "nameButton");
    QCOMPARE(dlg->Query().name, CWordsCondition {});
    SetBaseNumbers(dlg, { QStringLiteral("7"), QStringLiteral("5") }, "opAnd");
    QCOMPARE(dlg->Query().baseNumbers, (CNumsCondition { SearchAnd, { 5, 7 } }));
    QCOMPARE(Text(dlg, "baseNumbersText"), QStringLiteral("5 И 7"));
    WhenShown<CSelectNumsDlg>([](CSelectNumsDlg* nums) {
        Click(nums, "clear");
        Click(nums, "opOr");
        Click(nums, "cancel");
    });
    Click(dlg, "baseNumbersButton");
    QCOMPARE(dlg->Query().baseNumbers, (CNumsCondition { SearchAnd, { 5, 7 } }));
    QCOMPARE(Text(dlg, "baseNumbersText"), QStringLiteral("5 И 7"));
}

void SearchDialogsTest::searchShowsRowsAndPlacesTagsWhileOpen()
{
    Base b;
    Search s(b);
    CFindOrvoDlg* dlg = &s.dlg;
    QVERIFY(!Enabled(dlg, "insertTag"));

    // Base numbers 5 И 7 cannot both belong to one document.
    SetBaseNumbers(dlg, { QStringLiteral("101"), QStringLiteral("103") }, "opAnd");
    Click(dlg, "search");
    QCOMPARE(s.Results()->Count(), 0);
    QCOMPARE(Text(dlg, "foundCount"), QStringLiteral("0"));

    SetBaseNumbers(dlg, { QStringLiteral("999") }, "opOr"); // adds to 101 and 103
    Click(dlg, "search");
    QCOMPARE(dlg->FoundNumbers(), (std::vector<std::int32_t> { 101, 103 }));
    QCOMPARE(Text(dlg, "foundCount"), QStringLiteral("2"));
    QCOMPARE(s.Results()->Count(), 2);
    // Every row is the document's requisites text.
    CDocRecvisits second;
    QVERIFY(b.maker.documents.FindByBaseNumber(103, second));
    QCOMPARE(s.Results()->Entry(1), FromCp1251(second.Describe()));
    QVERIFY(Find<QProgressBar>(dlg, "searchProgress")->isHidden());
    QVERIFY(!Find<QPushButton>(dlg, "search")->isHidden());

    // "Вставить тег" and a double click hand over the number and leave the dialog open.
    ClickRow(s.Results(), 1);
    QVERIFY(Enabled(dlg, "insertTag"));
    Click(dlg, "insertTag");
    DoubleClickRow(s.Results(), 0);
    QTest::keyClick(s.Results(), Qt::Key_Return);
    QCOMPARE(s.placed, (std::vector<std::int32_t> { 103, 101, 101 }));
    QVERIFY(dlg->isVisible());

    // A new search replaces the rows; OK closes.
    WhenShown<CSelectWordsFromList>([](CSelectWordsFromList* list) {
        DoubleClickRow(list->OfferedList(), 2); // УКАЗ
        Click(list, "ok");
    });
    Click(dlg, "typesButton");
    WhenShown<CSelectNumsDlg>([](CSelectNumsDlg* nums) {
        Click(nums, "clear");
        Click(nums, "ok");
    });
    Click(dlg, "baseNumbersButton");
    Click(dlg, "search");
    QCOMPARE(dlg->FoundNumbers(), (std::vector<std::int32_t> { 102, 104, 106 }));
    QCOMPARE(s.Results()->Count(), 3);
    QVERIFY(!Enabled(dlg, "insertTag"));
    Click(dlg, "ok");
    QVERIFY(!dlg->isVisible());
    QCOMPARE(dlg->result(), int(QDialog::Accepted));
}

void SearchDialogsTest::unknownNumberKeepsTheRows()
{
    Base b;
    Search s(b);
    CFindOrvoDlg* dlg = &s.dlg;
    Click(dlg, "search");
    QCOMPARE(s.Results()->Count(), 6);

    WhenShown<CSelectWordsDlg>([](CSelectWordsDlg* words) {
        QCOMPARE(words->windowTitle(), QStringLiteral("Номер документа"));
        Find<QLineEdit>(words, "newValue")->setText(QStringLiteral("1"));
        Click(words, "add");
        Find<QLineEdit>(words, "newValue")->setText(QStringLiteral("99-фз"));
        Click(words, "add");
        Click(words, "opOr");
        Click(words, "ok");
    });
    Click(dlg, "numbersButton");
    QCOMPARE(Text(dlg, "numbersText"), QStringLiteral("1 ИЛИ 99-ФЗ"));
    Click(dlg, "search");
    QCOMPARE(b.ui.messages, QStringList { QStringLiteral("Задан неверный номер документа!") });
    QCOMPARE(s.Results()->Count(), 6);
    QCOMPARE(Text(dlg, "foundCount"), QStringLiteral("6"));
    // The person can correct the condition and search again.
    for (const char* name : { "search", "ok", "typesButton", "bodiesButton", "numbersButton", "nameButton",
             "baseNumbersButton", "dateFromOn", "dateToOn" })
        QVERIFY2(Enabled(dlg, name), name);

    WhenShown<CSelectWordsDlg>([](CSelectWordsDlg* words) {
        auto* list = Find<QListWidget>(words, "values");
        list->item(1)->setSelected(true);
        Click(words, "remove");
        Click(words, "ok");
    });
    Click(dlg, "numbersButton");
    Click(dlg, "search");
    QCOMPARE(dlg->FoundNumbers(), std::vector<std::int32_t> { 101 });
    QCOMPARE(b.ui.messages.size(), 1);
}

void SearchDialogsTest::datePickersAndNoPlacer()
{
    Base b;
    Search s(b, false);
    CFindOrvoDlg* dlg = &s.dlg;
    auto* from = Find<QDateEdit>(dlg, "dateFrom");
    auto* to = Find<QDateEdit>(dlg, "dateTo");
    QVERIFY(!from->isEnabled());
    QVERIFY(!to->isEnabled());
    QVERIFY(!dlg->Query().dateFrom && !dlg->Query().dateTo);

    // "от" alone finds that day.
    Click(dlg, "dateFromOn");
    QVERIFY(from->isEnabled());
    from->setDate(QDate(2001, 3, 11));
    QCOMPARE(dlg->Query().dateFrom, std::optional<COleDate>(COleDate::FromText(2001, 3, 11)));
    Click(dlg, "search");
    QCOMPARE(dlg->FoundNumbers(), (std::vector<std::int32_t> { 102, 104, 106 }));
    // "до" as well widens it; "от" switched off goes back to 1900.
    Click(dlg, "dateToOn");
    to->setDate(QDate(2001, 3, 12));
    Click(dlg, "search");
    QCOMPARE(dlg->FoundNumbers(), (std::vector<std::int32_t> { 102, 104, 106 }));
    Click(dlg, "dateFromOn");
    QVERIFY(!from->isEnabled());
    Click(dlg, "search");
    QCOMPARE(dlg->FoundNumbers().size(), 6u);

    // Without a document to place tags in, "Вставить тег" stays off and a double click does nothing.
    ClickRow(s.Results(), 0);
    QVERIFY(!Enabled(dlg, "insertTag"));
    DoubleClickRow(s.Results(), 0);
    QVERIFY(s.placed.empty());
}

void SearchDialogsTest::progressShowsWhileSearchingAndClosingStops()
{
    Base b(200);
    Search s(b);
    CFindOrvoDlg* dlg = &s.dlg;
    int turns = 0;
    bool progressShown = true;
    bool searchHidden = true;
    bool controlsOff = true;
    int rows = 0; // in the list at the last turn: the rows come while the search runs
    b.ui.atEvents = [&] {
        ++turns;
        auto* bar = Find<QProgressBar>(dlg, "searchProgress");
        progressShown = progressShown && bar->isVisible() && bar->maximum() == 200 && bar->value() > 0;
        searchHidden = searchHidden && !Find<QPushButton>(dlg, "search")->isVisible()
            && Find<QPushButton>(dlg, "stop")->isVisible();
        controlsOff = controlsOff && !Enabled(dlg, "ok") && !Enabled(dlg, "typesButton")
            && !Enabled(dlg, "baseNumbersButton") && !Enabled(dlg, "dateFromOn");
        rows = s.Results()->Count();
        // A slow base: a batch of rows is due by the next document.
        QTest::qSleep(static_cast<int>(CFindOrvoDlg::kBatchMilliseconds) + 5);
    };
    Click(dlg, "search");
    QVERIFY(turns > 1 && rows > 0);
    QVERIFY(progressShown);
    QVERIFY(searchHidden);
    QVERIFY(controlsOff);
    QCOMPARE(dlg->FoundNumbers().size(), 200u);
    QVERIFY(Enabled(dlg, "ok"));
    QVERIFY(!dlg->IsSearching());

    // "Отмена" beside the bar stops the search; the dialog stays with the rows found so far.
    b.ui.atEvents = [&] { Click(dlg, "stop"); };
    Click(dlg, "search");
    QVERIFY(dlg->FoundNumbers().size() < 200u && dlg->isVisible() && Find<QPushButton>(dlg, "stop")->isHidden());
    QCOMPARE(s.Results()->Count(), int(dlg->FoundNumbers().size()));

    // Closing the dialog while it searches stops the search, then the dialog closes.
    b.ui.atEvents = [&] { dlg->close(); }; // the title bar's close button
    Click(dlg, "search");
    QVERIFY(dlg->FoundNumbers().size() < 200u);
    QVERIFY(!dlg->isVisible());
    QCOMPARE(dlg->result(), int(QDialog::Rejected));
}

// What is typed into a condition field searches as the same values picked would; a field that
// does not read is said, and nothing is searched.
void SearchDialogsTest::typedConditionsSearchAsPickedOnes()
{
    const struct {
        const char* field;
        const char* typed;
        std::vector<std::int32_t> found;
        const char* shown; // the field's text after the search, or the message
    } cases[] = {
        { "typesText", "указ  или приказ", { 102, 104, 106 }, "УКАЗ ИЛИ ПРИКАЗ" },
        { "typesText", "закон и постановление", {}, "Вид документа: «постановление» нет в словаре." },
        { "typesText", "закон и указ или приказ", {}, "Вид документа: И, ИЛИ и НЕ в одном условии не смешиваются." },
        { "nameText", "о документе 103", { 103 }, "О ДОКУМЕНТЕ 103" },
        { "baseNumbersText", "105 или 1e3", {}, "Номер в базе: «1e3» не номер в базе." },
    };
    for (const auto& c : cases) {
        Base b;
        Search s(b);
        auto* field = Find<QLineEdit>(&s.dlg, c.field);
        TypeInto(field, QString::fromUtf8(c.typed));
        QTest::keyClick(field, Qt::Key_Return); // the default button searches
        QCOMPARE(s.dlg.FoundNumbers(), c.found);
        QCOMPARE(b.ui.messages.isEmpty() ? field->text() : b.ui.messages.join(u'\n'), QString::fromUtf8(c.shown));
    }

    // A field is read before its picker opens; another one keeps what was typed meanwhile.
    Base b;
    Search s(b);
    TypeInto(Find<QLineEdit>(&s.dlg, "typesText"), QStringLiteral("закон"));
    TypeInto(Find<QLineEdit>(&s.dlg, "baseNumbersText"), QStringLiteral("102 или 103"));
    SetBaseNumbers(&s.dlg, { QStringLiteral("105") }, "opOr");
    Click(&s.dlg, "search");
    QCOMPARE(s.dlg.FoundNumbers(), (std::vector<std::int32_t> { 103, 105 }));
}

// A loop with a progress sink gives the window its turn only when the sink says one is due.
void SearchDialogsTest::theWindowsTurnWaitsForTheSink()
{
    struct CSink : CQtUserInterface::CProgressSink {
        bool due = false;
        void ShowProgress(std::size_t) override { }
        void StepProgress() override { }
        void HideProgress() override { }
        bool StopRequested() override { return false; }
        bool TurnDue() override { return due; }
    } sink;
    CQtUserInterface ui;
    ui.SetProgressSink(&sink);
    int ran = 0;
    QTimer::singleShot(0, [&ran] { ++ran; });
    ui.ProcessEvents();
    QCOMPARE(ran, 0);
    sink.due = true;
    ui.ProcessEvents();
    QCOMPARE(ran, 1);
}

void SearchDialogsTest::drawnBarFillsAndWritesItsShare()
{
    CDrawnProgressBar bar;
    QPalette palette = bar.palette();
    const QColor highlight(0, 0, 200);
    const QColor window(255, 255, 255);
    palette.setColor(QPalette::Highlight, highlight);
    palette.setColor(QPalette::Base, window);
    bar.setPalette(palette);
    bar.resize(200, 24);
    bar.SetRange(0, 100);

    auto draw = [&](int pos) {
        bar.SetPos(pos);
        QImage image(bar.size(), QImage::Format_RGB32);
        image.fill(Qt::red);
        bar.render(&image);
        return image;
    };
    // Counts the pixels of a colour between two columns; text is smoothed, so for the text it is
    // enough that a pixel leans to the colour (blue for the highlight, white for the window).
    auto countIn = [](const QImage& image, int x0, int x1, const QColor& colour) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = x0; x < x1; ++x)
                n += Pixel(image, x, y) == colour;
        return n;
    };
    auto bluish = [](const QImage& image, int x0, int x1) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = x0; x < x1; ++x)
                n += Pixel(image, x, y).red() < 128;
        return n;
    };
    auto whitish = [](const QImage& image, int x0, int x1) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = x0; x < x1; ++x)
                n += Pixel(image, x, y).red() >= 128;
        return n;
    };

    QImage image = draw(0);
    QCOMPARE(bar.ShownText(), QStringLiteral("0%"));
    QCOMPARE(Pixel(image, 1, 1), window);
    QCOMPARE(Pixel(image, 198, 22), window);
    QVERIFY(bluish(image, 60, 140) > 0); // the text, in the highlight colour over the rest
    QCOMPARE(bluish(image, 0, 60), 0);

    image = draw(30);
    QCOMPARE(bar.FilledWidth(), 60);
    QCOMPARE(bar.ShownText(), QStringLiteral("30%"));
    QCOMPARE(Pixel(image, 1, 1), highlight);
    QCOMPARE(Pixel(image, 59, 22), highlight);
    QCOMPARE(Pixel(image, 60, 1), window);
    QCOMPARE(Pixel(image, 198, 22), window);

    bar.SetPos(29);
    QCOMPARE(bar.ShownText(), QStringLiteral("29%")); // not 28 from 0.29 * 100 in floating point

    image = draw(100);
    QCOMPARE(bar.ShownText(), QStringLiteral("100%"));
    QCOMPARE(Pixel(image, 198, 22), highlight);
    QVERIFY(whitish(image, 60, 140) > 0); // the text, in the window colour over the filled part
    QCOMPARE(whitish(image, 0, 60), 0);
    QCOMPARE(countIn(image, 0, 200, QColor(Qt::red)), 0);

    // Half way the text straddles the edge: both colours of text, each on the other's ground.
    image = draw(50);
    QVERIFY(whitish(image, 60, 100) > 0);
    QVERIFY(bluish(image, 100, 140) > 0);

    bar.SetText(QStringLiteral("Готово"));
    QCOMPARE(bar.ShownText(), QStringLiteral("Готово"));
    bar.SetRange(10, 10); // an empty range shows nothing filled, and divides by nothing
    QCOMPARE(bar.FilledWidth(), 0);
}

namespace {

// Counts its paintings.
class CCountingBar : public CDrawnProgressBar {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        CDrawnProgressBar::paintEvent(event);
    }
};

} // namespace

void SearchDialogsTest::drawnBarRepaintsOnlyWhenTheFillGrows()
{
    // 50 pixels over 0..100: every second step moves the edge by a pixel.
    CCountingBar bar;
    bar.SetRange(0, 100);
    bar.resize(50, 20);
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    QTRY_VERIFY(bar.paints > 0);
    QCoreApplication::processEvents();
    bar.paints = 0;
    bar.SetPos(1); // 0.5 pixel: the same picture
    QCoreApplication::processEvents();
    QCOMPARE(bar.paints, 0);
    bar.SetPos(2);
    QTRY_COMPARE(bar.paints, 1);
}

void SearchDialogsTest::indexingDialogShowsTimesAndCancels()
{
    std::int64_t now = 1000;
    CIndexingProgress progress(400, [&] { return now; });
    CProgressIndexingDlg dlg(progress);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Индексирование"));
    QCOMPARE(Text(&dlg, "elapsed"), QStringLiteral("00:00"));
    QCOMPARE(Text(&dlg, "remaining"), QString());
    QVERIFY(Find<QLineEdit>(&dlg, "elapsed")->isReadOnly());
    QCOMPARE(dlg.Bar()->ShownText(), QStringLiteral("0%"));

    progress.SetPos(100);
    dlg.Refresh();
    QCOMPARE(dlg.Bar()->Pos(), 25);
    now += 75;
    dlg.RefreshTimes();
    QCOMPARE(Text(&dlg, "elapsed"), QStringLiteral("01:15"));
    QCOMPARE(Text(&dlg, "remaining"), QStringLiteral("03:45"));

    Click(&dlg, "cancel");
    QVERIFY(progress.IsCancelled());
    QVERIFY(!dlg.isVisible());
}

QTEST_MAIN(SearchDialogsTest)
#include "search_dialogs_test.moc"
