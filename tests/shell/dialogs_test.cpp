// The dialogs of the analyses and the tag commands, driven through their real widgets.

#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include "base/codepage.h"
#include "core/tag_line.h"
#include "orvo/orvo_link_dict.h"
#include "shell/analysis_dialogs.h"
#include "shell/blocknote_dlg.h"
#include "shell/inner_tag_dlg.h"
#include "shell/insert_inner_tag_dlg.h"
#include "shell/multi_list_box.h"
#include "shell/select_num_dlg.h"
#include "shell/select_orvo_doc_dlg.h"
#include "shell/select_recv_dlg.h"
#include "view/qt_text.h"

#include "dialog_test_support.h"
#include "isolated_run.h"

namespace {

std::string Cp(const char* utf8) { return codepage::Utf8ToCp1251(utf8); }

CDocRecvisits Document(std::int32_t number, const char* type, const char* name)
{
    CDocRecvisits doc;
    doc.nBaseNumber = number;
    doc.types = { Cp(type) };
    doc.bodies = { Cp("ГОСУДАРСТВЕННАЯ ДУМА ФС РФ") };
    doc.numbers = { std::to_string(number % 1000) + Cp("-ФЗ") };
    doc.adoptionDates = { COleDate::FromText(1990 + static_cast<int>(number % 20), 5, 12) };
    doc.name = Cp(name);
    return doc;
}

std::vector<CDocRecvisits> SevenCandidates()
{
    std::vector<CDocRecvisits> docs;
    for (int i = 1; i <= 7; ++i)
        docs.push_back(Document(100000 + i, "ФЕДЕРАЛЬНЫЙ ЗАКОН", "О порядке рассмотрения обращений граждан"));
    return docs;
}

COrvoLinkDict Notepad()
{
    COrvoLinkDict notepad;
    notepad.entries = { Document(100001, "КОНСТИТУЦИЯ", "Конституция Российской Федерации"),
        Document(100002, "ФЕДЕРАЛЬНЫЙ КОНСТИТУЦИОННЫЙ ЗАКОН", "О Конституционном Суде Российской Федерации") };
    return notepad;
}

CSelectOrvoDocDlg* ShowCandidates(std::vector<CDocRecvisits> candidates, const COrvoLinkDict* notepad = nullptr,
    const QString& context = QStringLiteral("Статья 1"))
{
    auto* dlg = new CSelectOrvoDocDlg(std::move(candidates), context, QStringLiteral("01.07.2003"),
        QStringLiteral("Courier New"), 1, notepad);
    dlg->setAttribute(Qt::WA_DeleteOnClose, false);
    dlg->show();
    if (!QTest::qWaitForWindowExposed(dlg))
        qFatal("dialog not shown");
    return dlg;
}

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    // The program's own settings the dialogs write go to a folder of the run.
    void initTestCase() { KeepTheRunIn(m_home); }
    void candidateSelectionTextFollowsTheRows();
    void yesWithoutSelectionKeepsTheDialogOpen();
    void candidatesShowTheirAgreementAndTheCitedOnesAreSelected();
    void removingRowsByButtonAndDeleteKey();
    void longCandidateIsCutAt1000Characters();
    void numberModeReadsTheField();
    void notepadNumberGoesIntoTheField();
    void doubleClickAndTheOtherButtonsEndTheDialog();
    void contextTextShowsItsMiddleNearTheTop();
    void enterWithNothingSelectedSkipsTheLine();
    void theQuestionShowsItsBaseItsLineAndTheFirstChoice();
    void multiListBoxWrapsEntries();

    void innerTagDefaultsAndDescription();
    void innerTagLineAndKeys();
    void insertInnerTagAnswers();
    void insertInnerTagSitsAtTheRightEdge();

    void numberPickerAndNotepadPicker();
    void pickersStayOpenOnANumberNotFound();

    void requisiteRowsAlwaysHaveTheFourHeaders();
    void tickCouplingBetweenHeadersAndValues();
    void okTakesTheTickedValuesAndReadsDates();
    void baseChoiceRoundTrip();

private:
    QTemporaryDir m_home;
};

void DialogsTest::candidateSelectionTextFollowsTheRows()
{
    std::unique_ptr<CSelectOrvoDocDlg> dlg(ShowCandidates(SevenCandidates()));
    auto* list = Find<QListWidget>(dlg.get(), "candidates");
    auto* selection = Find<QLineEdit>(dlg.get(), "selection");
    auto* remove = Find<QPushButton>(dlg.get(), "remove");
    QCOMPARE(list->count(), 7);
    QCOMPARE(selection->text(), QStringLiteral("-:7"));
    QVERIFY(!remove->isEnabled());

    // Rows picked out of order still read in row order.
    ClickRow(list, 2);
    ClickRow(list, 0);
    QCOMPARE(selection->text(), QStringLiteral("1, 3:7"));
    QVERIFY(remove->isEnabled());

    ClickRow(list, 0);
    QCOMPARE(selection->text(), QStringLiteral("3:7"));
    ClickRow(list, 2);
    QCOMPARE(selection->text(), QStringLiteral("-:7"));
    QVERIFY(!remove->isEnabled());
}

// Each row says how its candidate agrees with the text; those cited together (and not the
// document itself) are selected at the start, so Enter takes them; the setting turns that off.
void DialogsTest::candidatesShowTheirAgreementAndTheCitedOnesAreSelected()
{
    CCandidateAgreement cited { true, false, true, true, true, false };
    CCandidateAgreement loose { true, true, false, true, false, false };
    CCandidateAgreement itself { true, true, true, true, true, true };

    SelectDocumentsRequest request;
    request.candidates = SevenCandidates();
    request.candidates.resize(4);
    request.agreements = { loose, cited, itself, cited };
    const bool before = PreselectsCitedTogether();
    for (const bool preselect : { true, false }) {
        SetPreselectsCitedTogether(preselect);
        QString selection;
        QString firstRow;
        WhenShown<CSelectOrvoDocDlg>([&](CSelectOrvoDocDlg* dlg) {
            selection = Find<QLineEdit>(dlg, "selection")->text();
            firstRow = Find<QListWidget>(dlg, "candidates")->item(0)->text();
            if (preselect)
                QTest::keyClick(dlg, Qt::Key_Return);
            else
                Click(dlg, "no");
        });
        const SelectDocumentsResult result = RunSelectOrvoDocDlg(nullptr, request);
        QVERIFY(firstRow.startsWith(QStringLiteral("совпадают: вид, орган, дата; нет: номер\n") + CandidateRowText(request.candidates[0])));
        QCOMPARE(result.endCode, int(AnswerOk));
        if (preselect) {
            QCOMPARE(selection, QStringLiteral("2, 4:4"));
            QCOMPARE(result.chosen.size(), std::size_t(2));
            QCOMPARE(result.chosen[0].nBaseNumber, request.candidates[1].nBaseNumber);
            QCOMPARE(result.chosen[1].nBaseNumber, request.candidates[3].nBaseNumber);
        } else {
            QCOMPARE(selection, QStringLiteral("-:4"));
            QVERIFY(result.chosen.empty());
        }
    }
    // What the analysis is certain of comes before the cited ones; with the setting off, nothing.
    request.certain = { 3 };
    for (const bool preselect : { true, false }) {
        SetPreselectsCitedTogether(preselect);
        QString selection;
        WhenShown<CSelectOrvoDocDlg>([&](CSelectOrvoDocDlg* dlg) {
            selection = Find<QLineEdit>(dlg, "selection")->text();
            Click(dlg, "no");
        });
        RunSelectOrvoDocDlg(nullptr, request);
        QCOMPARE(selection, preselect ? QStringLiteral("4:4") : QStringLiteral("-:4"));
    }
    SetPreselectsCitedTogether(before);
}

void DialogsTest::yesWithoutSelectionKeepsTheDialogOpen()
{
    std::unique_ptr<CSelectOrvoDocDlg> dlg(ShowCandidates(SevenCandidates()));
    Click(dlg.get(), "yes");
    QVERIFY(dlg->isVisible());
    QVERIFY(dlg->Chosen().empty());

    // Chosen rows come back in row order, whatever order they were clicked in.
    auto* list = Find<QListWidget>(dlg.get(), "candidates");
    ClickRow(list, 4);
    ClickRow(list, 1);
    Click(dlg.get(), "yes");
    QVERIFY(!dlg->isVisible());
    QCOMPARE(dlg->result(), int(QDialog::Accepted));
    QCOMPARE(dlg->Mode(), 0);
    QCOMPARE(dlg->Chosen().size(), std::size_t(2));
    QCOMPARE(dlg->Chosen()[0].nBaseNumber, 100002);
    QCOMPARE(dlg->Chosen()[1].nBaseNumber, 100005);
}

void DialogsTest::removingRowsByButtonAndDeleteKey()
{
    std::unique_ptr<CSelectOrvoDocDlg> dlg(ShowCandidates(SevenCandidates()));
    auto* list = Find<QListWidget>(dlg.get(), "candidates");
    auto* selection = Find<QLineEdit>(dlg.get(), "selection");

    ClickRow(list, 2);
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(list->count(), 6);
    QCOMPARE(dlg->Candidates().size(), std::size_t(6));
    QCOMPARE(dlg->Candidates()[2].nBaseNumber, 100004);
    QCOMPARE(selection->text(), QStringLiteral("-:6"));
    // Without a selection the key does nothing.
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(list->count(), 6);

    list->selectAll();
    QCOMPARE(selection->text(), QStringLiteral("1, 2, 3, 4, 5, 6:6"));
    Click(dlg.get(), "remove");
    QCOMPARE(list->count(), 0);
    QVERIFY(dlg->Candidates().empty());
    QCOMPARE(selection->text(), QStringLiteral("-:0"));
    QVERIFY(!Find<QPushButton>(dlg.get(), "remove")->isEnabled());

    // An empty list: "Да" waits for the number choice.
    Click(dlg.get(), "yes");
    QVERIFY(dlg->isVisible());
    Click(dlg.get(), "byNumber");
    QVERIFY(!list->isEnabled());
    QVERIFY(Find<QLineEdit>(dlg.get(), "number")->isEnabled());
    Click(dlg.get(), "yes");
    QVERIFY(!dlg->isVisible());
    QCOMPARE(dlg->Mode(), 1);
}

void DialogsTest::longCandidateIsCutAt1000Characters()
{
    CDocRecvisits longDoc = Document(100010, "ПОСТАНОВЛЕНИЕ", "");
    longDoc.name = std::string(1500, '\xE0'); // "а" in code page 1251
    const std::string full = longDoc.Describe();
    QVERIFY(full.size() > 1500);

    const QString row = CandidateRowText(longDoc);
    QCOMPARE(row.size(), 1003);
    QVERIFY(row.endsWith(QStringLiteral("...")));
    QCOMPARE(row.left(1000), FromCp1251(full.substr(0, 1000)));

    const CDocRecvisits shortDoc = Document(100011, "УКАЗ", "О мерах");
    QCOMPARE(CandidateRowText(shortDoc), FromCp1251(shortDoc.Describe()));

    std::unique_ptr<CSelectOrvoDocDlg> dlg(ShowCandidates({ shortDoc, longDoc }));
    QCOMPARE(Find<QListWidget>(dlg.get(), "candidates")->item(1)->text(), row);
}

void DialogsTest::numberModeReadsTheField()
{
    SelectDocumentsRequest request;
    request.candidates = SevenCandidates();
    request.contextText = Cp("ст. 5 Федерального закона от 02.05.2006 N 59-ФЗ");
    request.dateText = "01.07.2003";

    // Empty field: mode 1, the number as it was.
    WhenShown<CSelectOrvoDocDlg>([](CSelectOrvoDocDlg* dlg) {
        Click(dlg, "byNumber");
        Click(dlg, "yes");
    });
    SelectDocumentsResult result = RunSelectOrvoDocDlg(nullptr, request);
    QCOMPARE(result.endCode, int(AnswerOk));
    QCOMPARE(result.mode, 1);
    QCOMPARE(result.number, 0);
    QVERIFY(result.chosen.empty());

    // The field takes digits only, up to ten: seven-digit Orvo numbers must fit.
    QString typed;
    WhenShown<CSelectOrvoDocDlg>([&typed](CSelectOrvoDocDlg* dlg) {
        Click(dlg, "byNumber");
        QTest::keyClicks(Find<QLineEdit>(dlg, "number"), QStringLiteral("12a345678901"));
        typed = Find<QLineEdit>(dlg, "number")->text();
        QTest::keyClick(Find<QLineEdit>(dlg, "number"), Qt::Key_Return);
    });
    result = RunSelectOrvoDocDlg(nullptr, request);
    QCOMPARE(typed, QStringLiteral("1234567890"));
    QCOMPARE(result.endCode, int(AnswerOk));
    QCOMPARE(result.mode, 1);
    QCOMPARE(result.number, 1234567890);
}

void DialogsTest::notepadNumberGoesIntoTheField()
{
    const COrvoLinkDict notepad = Notepad();
    SelectDocumentsRequest request;
    request.candidates = SevenCandidates();
    request.notepad = &notepad;

    bool blocknoteEnabledForList = true;
    QString field;
    WhenShown<CSelectOrvoDocDlg>([&](CSelectOrvoDocDlg* dlg) {
        blocknoteEnabledForList = Find<QPushButton>(dlg, "blocknote")->isEnabled();
        Click(dlg, "byNumber");
        WhenShown<CBlocknoteDlg>([](CBlocknoteDlg* picker) {
            ClickRow(Find<QListWidget>(picker, "entries"), 1);
            Click(picker, "ok");
        });
        Click(dlg, "blocknote");
        field = Find<QLineEdit>(dlg, "number")->text();
        Click(dlg, "yes");
    });
    const SelectDocumentsResult result = RunSelectOrvoDocDlg(nullptr, request);
    QVERIFY(!blocknoteEnabledForList);
    // A notepad number longer than the typing limit is kept whole.
    QCOMPARE(field, QStringLiteral("100002"));
    QCOMPARE(result.mode, 1);
    QCOMPARE(result.number, 100002);
}

void DialogsTest::doubleClickAndTheOtherButtonsEndTheDialog()
{
    SelectDocumentsRequest request;
    request.candidates = SevenCandidates();

    WhenShown<CSelectOrvoDocDlg>([](CSelectOrvoDocDlg* dlg) {
        auto* list = Find<QListWidget>(dlg, "candidates");
        ClickRow(list, 0);
        DoubleClickRow(list, 3);
    });
    SelectDocumentsResult result = RunSelectOrvoDocDlg(nullptr, request);
    QCOMPARE(result.endCode, int(AnswerOk));
    QCOMPARE(result.mode, 0);
    QCOMPARE(result.chosen.size(), std::size_t(1));
    QCOMPARE(result.chosen[0].nBaseNumber, 100004);

    WhenShown<CSelectOrvoDocDlg>([](CSelectOrvoDocDlg* dlg) {
        ClickRow(Find<QListWidget>(dlg, "candidates"), 0);
        Click(dlg, "no");
    });
    result = RunSelectOrvoDocDlg(nullptr, request);
    QCOMPARE(result.endCode, int(AnswerOk));
    QCOMPARE(result.mode, 0);
    QVERIFY(result.chosen.empty());

    WhenShown<CSelectOrvoDocDlg>([](CSelectOrvoDocDlg* dlg) { QTest::keyClick(dlg, Qt::Key_Escape); });
    result = RunSelectOrvoDocDlg(nullptr, request);
    QCOMPARE(result.endCode, int(AnswerCancel));
}

void DialogsTest::contextTextShowsItsMiddleNearTheTop()
{
    QStringList lines;
    for (int i = 1; i <= 30; ++i)
        lines << QStringLiteral("Строка %1 текста документа").arg(i);
    std::unique_ptr<CSelectOrvoDocDlg> dlg(ShowCandidates(SevenCandidates(), nullptr, lines.join(QLatin1Char('\n'))));
    auto* context = Find<QPlainTextEdit>(dlg.get(), "context");
    QCOMPARE(context->verticalScrollBar()->value(), 14);
    QCOMPARE(context->font().pixelSize(), 13);
    QVERIFY(context->font().fixedPitch());
    QCOMPARE(CSelectOrvoDocDlg::ContextScrollLine(QStringLiteral("one")), 0);
}

// Enter with no candidate selected answers as "Нет" does, from the list and from "Да" (a click
// on "Да" still waits); the status line says so while nothing is selected.
void DialogsTest::enterWithNothingSelectedSkipsTheLine()
{
    SelectDocumentsRequest request;
    request.candidates = SevenCandidates();
    request.line = 40;
    for (const char* focus : { "candidates", "yes" }) {
        QStringList status;
        WhenShown<CSelectOrvoDocDlg>([&](CSelectOrvoDocDlg* dlg) {
            for (int click = 0; click < 2; ++click) {
                ClickRow(Find<QListWidget>(dlg, "candidates"), 1);
                status << Find<QLabel>(dlg, "status")->text();
            }
            QTest::keyClick(Find<QWidget>(dlg, focus), Qt::Key_Return);
        });
        const SelectDocumentsResult result = RunSelectOrvoDocDlg(nullptr, request);
        QCOMPARE(
            status.join(u'|'), QStringLiteral("|Ничего не выбрано: Enter пропускает строку, Esc завершает разбор"));
        QVERIFY(result.endCode == AnswerOk && result.mode == 0 && result.chosen.empty());
    }
}

// The base is named; the line asked about is marked (background, bold) just below the top; the
// first candidate selected at the start, the 34th of 40, is current and in sight.
void DialogsTest::theQuestionShowsItsBaseItsLineAndTheFirstChoice()
{
    QStringList lines;
    for (int i = 0; i < 20; ++i)
        lines << QStringLiteral("строка %1").arg(i);
    SelectDocumentsRequest request;
    request.contextText = ToCp1251(lines.join(QLatin1Char('\n')));
    for (int i = 0; i < 40; ++i)
        request.candidates.push_back(Document(200000 + i, "ФЕДЕРАЛЬНЫЙ ЗАКОН", "О порядке"));
    request.agreements.assign(40, CCandidateAgreement { true, true, false, true, false, false });
    request.agreements[33] = request.agreements[36] = CCandidateAgreement { true, false, true, true, true, false };
    const bool before = PreselectsCitedTogether();
    SetPreselectsCitedTogether(true);
    for (const auto& [local, line, base, scrolled] : { std::tuple { false, 8, "База Орво", 7 },
             std::tuple { true, 0, "Локальная база", 0 }, std::tuple { false, 20, "База Орво", 9 } }) {
        request.localBase = local;
        request.contextLine = std::size_t(line);
        WhenShown<CSelectOrvoDocDlg>([&](CSelectOrvoDocDlg* dlg) {
            auto* context = Find<QPlainTextEdit>(dlg, "context");
            QStringList marks; // the line, the text, bold
            for (const QTextEdit::ExtraSelection& m : context->extraSelections())
                marks << QStringLiteral("%1 %2 %3")
                             .arg(m.cursor.block().blockNumber())
                             .arg(m.cursor.selectedText())
                             .arg(m.format.fontWeight() == QFont::Bold);
            QCOMPARE(Find<QLabel>(dlg, "base")->text(), QString::fromUtf8(base));
            QCOMPARE(context->verticalScrollBar()->value(), scrolled);
            QCOMPARE(
                marks.join(u'|'), line < 20 ? QStringLiteral("%1  0|%1 %2 1").arg(line).arg(lines[line]) : QString());
            auto* list = Find<QListWidget>(dlg, "candidates");
            const auto inSight = [list](int row) {
                return list->viewport()->rect().intersects(list->visualItemRect(list->item(row)));
            };
            QVERIFY(!inSight(0) && inSight(33) && list->currentRow() == 33);
        });
        RunSelectOrvoDocDlg(nullptr, request);
    }
    SetPreselectsCitedTogether(before);
}

void DialogsTest::multiListBoxWrapsEntries()
{
    CMultiListBox list;
    list.resize(240, 400);
    const QString shortText = QStringLiteral("Номер в базе: 1");
    const QString longText = QString(QStringLiteral("Федеральный закон ")).repeated(20);
    const QString unbroken(300, QLatin1Char('7'));
    list.SetEntries({ shortText, longText, unbroken });
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));

    const int lineHeight = QFontMetrics(list.font()).lineSpacing();
    const int one = list.EntryHeight(shortText);
    QVERIFY(one >= lineHeight + 8 && one <= lineHeight + 10);
    QVERIFY(list.EntryHeight(QStringLiteral("a\nb\nc")) >= one + 2 * lineHeight - 2);
    // Long texts wrap, words too long for a line included, instead of running off the edge.
    QVERIFY(list.EntryHeight(longText) > 3 * lineHeight);
    QVERIFY(list.EntryHeight(unbroken) > 3 * lineHeight);
    QCOMPARE(list.visualItemRect(list.item(1)).height(), list.EntryHeight(longText));

    // A wider list needs fewer lines.
    const int narrow = list.EntryHeight(longText);
    list.resize(800, 400);
    QTRY_VERIFY(list.visualItemRect(list.item(1)).height() < narrow);

    // The list over a model keeps each row's height for its width: the same heights, for rows
    // appended later too, measured again at another width.
    CMultiListView view;
    view.resize(240, 400);
    view.AppendEntries({ shortText });
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.AppendEntries({ longText });
    QTRY_COMPARE(view.visualRect(view.model()->index(1, 0)).height(), narrow);
    view.resize(800, 400);
    QTRY_VERIFY(view.visualRect(view.model()->index(1, 0)).height() < narrow);
}

void DialogsTest::innerTagDefaultsAndDescription()
{
    CInnerTagDlg dlg({ 77, 12 });
    auto* number = Find<QComboBox>(&dlg, "number");
    QCOMPARE(number->count(), 2);
    QCOMPARE(number->itemText(0), QStringLiteral("77"));
    QCOMPARE(number->itemText(1), QStringLiteral("12"));
    QCOMPARE(number->currentText(), QStringLiteral("77"));
    auto* kind = Find<QComboBox>(&dlg, "kind");
    QCOMPARE(kind->count(), 10);
    QCOMPARE(kind->currentText(), QStringLiteral("НУЛ"));
    auto* description = Find<QPlainTextEdit>(&dlg, "description");
    QCOMPARE(description->toPlainText(), QStringLiteral("Нулевая ссылка"));
    kind->setCurrentIndex(9);
    QCOMPARE(kind->currentText(), QStringLiteral("ВСТ"));
    QCOMPARE(description->toPlainText(), QStringLiteral("Принят В СООТВЕТСТВИИ со следующим документом"));
    kind->setCurrentIndex(kNullLinkKind);

    WhenShown<CInnerTagDlg>([](CInnerTagDlg* shown) { Click(shown, "ok"); });
    QCOMPARE(dlg.exec(), int(QDialog::Accepted));
    QCOMPARE(dlg.Tag(), FormatLocalTag("НУЛ"_cp, 77, 0, false, false));
    QCOMPARE(dlg.NumberText(), QStringLiteral("77"));

    // Through the run function; no recent numbers leaves the field empty, and Отмена gives nothing.
    WhenShown<CInnerTagDlg>([](CInnerTagDlg* shown) {
        QVERIFY(Find<QComboBox>(shown, "number")->currentText().isEmpty());
        QTest::keyClicks(Find<QComboBox>(shown, "number"), QStringLiteral("512"));
        Click(shown, "ok");
    });
    const std::optional<InnerTagEntry> entry = RunInnerTagDlg(nullptr, {});
    QVERIFY(entry.has_value());
    QCOMPARE(entry->numberText, std::string("512"));
    QCOMPARE(entry->tag, FormatLocalTag("НУЛ"_cp, 512, 0, false, false));

    WhenShown<CInnerTagDlg>([](CInnerTagDlg* shown) { Click(shown, "cancel"); });
    QVERIFY(!RunInnerTagDlg(nullptr, { 5 }).has_value());
}

void DialogsTest::innerTagLineAndKeys()
{
    const auto tagWith = [](const QString& line, bool keyO, bool keyP) {
        CInnerTagDlg dlg({ 123 });
        dlg.show();
        Find<QComboBox>(&dlg, "kind")->setCurrentIndex(4); // РЕД
        QTest::keyClicks(Find<QLineEdit>(&dlg, "line"), line);
        if (keyO)
            QTest::mouseClick(Find<QCheckBox>(&dlg, "keyO"), Qt::LeftButton);
        if (keyP)
            QTest::mouseClick(Find<QCheckBox>(&dlg, "keyP"), Qt::LeftButton);
        dlg.accept();
        return dlg.Tag();
    };
    const std::string withoutLine = tagWith(QString(), false, false);
    QCOMPARE(withoutLine, FormatLocalTag("РЕД"_cp, 123, 0, false, false));
    QCOMPARE(tagWith(QStringLiteral("0"), false, false), withoutLine);

    const std::string both = tagWith(QStringLiteral("7"), true, true);
    QCOMPARE(both, FormatLocalTag("РЕД"_cp, 123, 7, true, true));
    QVERIFY(both.find("_7-О-П#"_cp) != std::string::npos);
    QCOMPARE(tagWith(QString(), false, true), FormatLocalTag("РЕД"_cp, 123, 0, false, true));
    // The line field takes digits only.
    QCOMPARE(tagWith(QStringLiteral("x4"), false, false), FormatLocalTag("РЕД"_cp, 123, 4, false, false));
}

void DialogsTest::insertInnerTagAnswers()
{
    const InnerTagRequest request { Cp("Номер в базе: 345\nВид документа: ЗАКОН"), 345 };

    bool closedByKey = false;
    WhenShown<CInsertInnerTagDlg>([&closedByKey](CInsertInnerTagDlg* dlg) {
        QTest::keyClick(dlg, Qt::Key_Escape);
        closedByKey = !dlg->isVisible();
    });
    InnerTagAnswer answer = RunInsertInnerTagDlg(nullptr, request);
    QVERIFY(closedByKey);
    QCOMPARE(answer.answer, int(AnswerCancel));
    QVERIFY(answer.tag.empty());

    bool closedByBox = false;
    WhenShown<CInsertInnerTagDlg>([&closedByBox](CInsertInnerTagDlg* dlg) { closedByBox = dlg->close(); });
    answer = RunInsertInnerTagDlg(nullptr, request);
    QVERIFY(closedByBox);
    QCOMPARE(answer.answer, int(AnswerCancel));

    QString shownText;
    WhenShown<CInsertInnerTagDlg>([&shownText](CInsertInnerTagDlg* dlg) {
        shownText = Find<QPlainTextEdit>(dlg, "text")->toPlainText();
        QCOMPARE(Find<QComboBox>(dlg, "kind")->currentText(), QStringLiteral("НУЛ"));
        Find<QComboBox>(dlg, "kind")->setCurrentIndex(3); // ВИЗ
        QTest::keyClicks(Find<QLineEdit>(dlg, "line"), QStringLiteral("12"));
        QTest::mouseClick(Find<QCheckBox>(dlg, "keyO"), Qt::LeftButton);
        Click(dlg, "yes");
    });
    answer = RunInsertInnerTagDlg(nullptr, request);
    QCOMPARE(shownText, QStringLiteral("Номер в базе: 345\nВид документа: ЗАКОН"));
    QCOMPARE(answer.answer, int(AnswerYes));
    QCOMPARE(answer.tag, FormatLocalTag("ВИЗ"_cp, 345, 12, true, false));

    WhenShown<CInsertInnerTagDlg>([](CInsertInnerTagDlg* dlg) { Click(dlg, "no"); });
    answer = RunInsertInnerTagDlg(nullptr, request);
    QCOMPARE(answer.answer, int(AnswerNo));
    QVERIFY(answer.tag.empty());
}

void DialogsTest::insertInnerTagSitsAtTheRightEdge()
{
    CInsertInnerTagDlg dlg(QStringLiteral("Номер в базе: 1"), 1);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    const QRect area = dlg.screen()->availableGeometry();
    const QRect frame = dlg.frameGeometry();
    QCOMPARE(frame.x() + frame.width(), area.x() + area.width() - 2);
    if (frame.height() <= area.height() / 2)
        QCOMPARE(frame.y() + frame.height(), area.y() + area.height() / 2);
    else
        QCOMPARE(frame.y(), area.y());
}

void DialogsTest::numberPickerAndNotepadPicker()
{
    const COrvoLinkDict notepad = Notepad();
    {
        CSelectNumDlg empty({}, &notepad);
        QCOMPARE(Find<QComboBox>(&empty, "number")->count(), 0);
        QVERIFY(Find<QComboBox>(&empty, "number")->currentText().isEmpty());
        QVERIFY(!Find<QPushButton>(&empty, "ok")->isEnabled());
    }
    {
        CSelectNumDlg recent({ 100005, 100003 }, &notepad);
        QCOMPARE(Find<QComboBox>(&recent, "number")->count(), 2);
        QCOMPARE(recent.NumberText(), QStringLiteral("100005"));
        QVERIFY(Find<QPushButton>(&recent, "ok")->isEnabled());
    }

    // The notepad's choice becomes the box's text and enables OK.
    bool okEnabled = false;
    WhenShown<CSelectNumDlg>([&okEnabled](CSelectNumDlg* dlg) {
        WhenShown<CBlocknoteDlg>([](CBlocknoteDlg* picker) {
            QCOMPARE(Find<QLineEdit>(picker, "count")->text(), QStringLiteral("2"));
            DoubleClickRow(Find<QListWidget>(picker, "entries"), 0);
        });
        Click(dlg, "blocknote");
        okEnabled = Find<QPushButton>(dlg, "ok")->isEnabled();
        Click(dlg, "ok");
    });
    const std::optional<std::string> text = RunSelectNumDlg(nullptr, {}, notepad);
    QVERIFY(okEnabled);
    QCOMPARE(text.value_or("none"), std::string("100001"));

    // OK with no entry selected returns nothing.
    WhenShown<CBlocknoteDlg>([](CBlocknoteDlg* picker) { Click(picker, "ok"); });
    QVERIFY(!RunBlocknoteDlg(nullptr, notepad).has_value());
    WhenShown<CBlocknoteDlg>([](CBlocknoteDlg* picker) {
        ClickRow(Find<QListWidget>(picker, "entries"), 1);
        Click(picker, "ok");
    });
    QCOMPARE(RunBlocknoteDlg(nullptr, notepad).value_or(0), 100002);
}

namespace {

CDocRecvisits Recognised()
{
    CDocRecvisits found;
    found.nBaseNumber = -1;
    found.types = { Cp("ПОСТАНОВЛЕНИЕ"), Cp("РАСПОРЯЖЕНИЕ") };
    found.bodies = { Cp("ПРАВИТЕЛЬСТВО РФ"), Cp("МИНФИН РФ") };
    found.adoptionDates = { COleDate::FromText(2002, 11, 5), COleDate::FromText(1999, 1, 31) };
    found.name = Cp("строка документа");
    return found;
}

QStringList RowTexts(const QTreeWidget* rows)
{
    QStringList texts;
    for (int g = 0; g < rows->topLevelItemCount(); ++g) {
        texts << rows->topLevelItem(g)->text(0);
        for (int i = 0; i < rows->topLevelItem(g)->childCount(); ++i)
            texts << rows->topLevelItem(g)->child(i)->text(0);
    }
    return texts;
}

} // namespace

// A number the lookup does not find keeps either picker open with the number selected for
// retyping; the next number that is found closes it.
void DialogsTest::pickersStayOpenOnANumberNotFound()
{
    std::vector<std::string> looked;
    const auto accepts = [&looked](const std::string& typed) {
        looked.push_back(typed);
        return typed == "100001";
    };
    const auto retype = [](QDialog* dlg, bool& stayed, bool& selected) {
        auto* number = Find<QComboBox>(dlg, "number");
        number->setEditText(QStringLiteral("999"));
        Click(dlg, "ok");
        stayed = dlg->isVisible();
        selected = number->lineEdit()->selectedText() == QStringLiteral("999")
            && (dlg->focusWidget() == number || dlg->focusWidget() == number->lineEdit());
        number->setEditText(QStringLiteral("100001"));
        Click(dlg, "ok");
    };
    const COrvoLinkDict notepad = Notepad();
    bool stayed = false;
    bool selected = false;
    WhenShown<CSelectNumDlg>([&](CSelectNumDlg* dlg) { retype(dlg, stayed, selected); });
    QCOMPARE(RunSelectNumDlg(nullptr, {}, notepad, accepts).value_or("none"), std::string("100001"));
    QVERIFY(stayed && selected);

    stayed = selected = false;
    WhenShown<CInnerTagDlg>([&](CInnerTagDlg* dlg) { retype(dlg, stayed, selected); });
    QCOMPARE(RunInnerTagDlg(nullptr, {}, accepts).value_or(InnerTagEntry {}).numberText, std::string("100001"));
    QVERIFY(stayed && selected);
    QCOMPARE(looked, (std::vector<std::string> { "999", "100001", "999", "100001" }));
}

void DialogsTest::requisiteRowsAlwaysHaveTheFourHeaders()
{
    CSelectRecvDlg dlg(Recognised(), true);
    QCOMPARE(RowTexts(dlg.Rows()),
        QStringList({ "Вид документа", "ПОСТАНОВЛЕНИЕ", "РАСПОРЯЖЕНИЕ", "Принявший орган", "ПРАВИТЕЛЬСТВО РФ", "МИНФИН РФ",
            "Номер документа", "Дата принятия", "05.11.2002", "31.01.1999" }));
    for (QTreeWidgetItemIterator it(dlg.Rows()); *it; ++it)
        QCOMPARE((*it)->checkState(0), Qt::Checked);

    CSelectRecvDlg empty(CDocRecvisits(), true);
    QCOMPARE(RowTexts(empty.Rows()), QStringList({ "Вид документа", "Принявший орган", "Номер документа", "Дата принятия" }));
    empty.accept();
    QVERIFY(empty.Requisites().types.empty());
    QVERIFY(empty.Requisites().adoptionDates.empty());
}

void DialogsTest::tickCouplingBetweenHeadersAndValues()
{
    CSelectRecvDlg dlg(Recognised(), true);
    QTreeWidgetItem* types = dlg.Rows()->topLevelItem(0);
    QTreeWidgetItem* bodies = dlg.Rows()->topLevelItem(1);

    bodies->setCheckState(0, Qt::Unchecked);
    QCOMPARE(bodies->child(0)->checkState(0), Qt::Unchecked);
    QCOMPARE(bodies->child(1)->checkState(0), Qt::Unchecked);
    QCOMPARE(types->child(0)->checkState(0), Qt::Checked); // other groups stay

    bodies->child(1)->setCheckState(0, Qt::Checked);
    QCOMPARE(bodies->checkState(0), Qt::Checked);
    QCOMPARE(bodies->child(0)->checkState(0), Qt::Unchecked);

    // The last ticked value unticked takes the header with it; one still ticked keeps it.
    types->child(0)->setCheckState(0, Qt::Unchecked);
    QCOMPARE(types->checkState(0), Qt::Checked);
    types->child(1)->setCheckState(0, Qt::Unchecked);
    QCOMPARE(types->checkState(0), Qt::Unchecked);

    // Ticking the header again ticks all its values.
    types->setCheckState(0, Qt::Checked);
    QCOMPARE(types->child(0)->checkState(0), Qt::Checked);
    QCOMPARE(types->child(1)->checkState(0), Qt::Checked);

    // The space key ticks the current row like a click does.
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    dlg.Rows()->setCurrentItem(bodies);
    QTest::keyClick(dlg.Rows(), Qt::Key_Space);
    QCOMPARE(bodies->checkState(0), Qt::Unchecked);
    QCOMPARE(bodies->child(1)->checkState(0), Qt::Unchecked);
}

void DialogsTest::okTakesTheTickedValuesAndReadsDates()
{
    CSelectRecvDlg dlg(Recognised(), true);
    QTreeWidgetItem* types = dlg.Rows()->topLevelItem(0);
    QTreeWidgetItem* bodies = dlg.Rows()->topLevelItem(1);
    QTreeWidgetItem* dates = dlg.Rows()->topLevelItem(3);
    types->child(0)->setCheckState(0, Qt::Unchecked);
    bodies->setCheckState(0, Qt::Unchecked);
    dates->child(1)->setCheckState(0, Qt::Unchecked);
    Click(&dlg, "ok");

    const CDocRecvisits& out = dlg.Requisites();
    QCOMPARE(out.types, std::vector<std::string>({ Cp("РАСПОРЯЖЕНИЕ") }));
    QVERIFY(out.bodies.empty());
    QVERIFY(out.numbers.empty());
    QCOMPARE(out.adoptionDates.size(), std::size_t(1));
    COleDate::Parts parts;
    QVERIFY(out.adoptionDates[0].GetParts(parts));
    QCOMPARE(parts.year, 2002);
    QCOMPARE(parts.month, 11);
    QCOMPARE(parts.day, 5);
    QCOMPARE(parts.hour, 1);
    QCOMPARE(parts.minute, 1);
    QCOMPARE(parts.second, 1);
    // What is not a requisite row stays as given.
    QCOMPARE(out.nBaseNumber, -1);
    QCOMPARE(out.name, Cp("строка документа"));
}

void DialogsTest::baseChoiceRoundTrip()
{
    bool localBase = true;
    CDocRecvisits requisites = Recognised();
    bool startedLocal = false;
    WhenShown<CSelectRecvDlg>([&startedLocal](CSelectRecvDlg* dlg) {
        QCOMPARE(dlg->windowTitle(), QStringLiteral("Учитываемые реквизиты"));
        startedLocal = Find<QRadioButton>(dlg, "local")->isChecked();
        Click(dlg, "orvo");
        Click(dlg, "ok");
    });
    QVERIFY(RunSelectRecvDlg(nullptr, requisites, localBase));
    QVERIFY(startedLocal);
    QVERIFY(!localBase);

    // Reopened: "Орво" stays chosen; a cancel changes nothing.
    bool startedOrvo = false;
    WhenShown<CSelectRecvDlg>([&startedOrvo](CSelectRecvDlg* dlg) {
        startedOrvo = Find<QRadioButton>(dlg, "orvo")->isChecked();
        Click(dlg, "local");
        dlg->Rows()->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
        Click(dlg, "cancel");
    });
    QVERIFY(!RunSelectRecvDlg(nullptr, requisites, localBase));
    QVERIFY(startedOrvo);
    QVERIFY(!localBase);
    QCOMPARE(requisites.types.size(), std::size_t(2));
}

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
