// The line view over a small document: navigation with its questions, the keys of the view,
// bookmarks, the status panes and the requisites bar, find, go to line, the font, the requisite
// displays, title tips, the drawing of control codes, and a large document.

#include <chrono>
#include <memory>

#include <QDir>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QFontDialog>
#include <QImage>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStringListModel>
#include <QTest>

#include "document/telvarion_doc.h"
#include "view/find_dlg.h"
#include "view/found_recv_dlg.h"
#include "view/goto_line_dlg.h"
#include "view/line_delegate.h"
#include "view/line_model.h"
#include "view/qt_text.h"
#include "view/telvarion_view.h"
#include "view/tip_list_view.h"
#include "view_test_support.h"

namespace {

struct Fixture {
    CQuietUi ui;
    CTelvarionDoc doc { ui, QDir::tempPath().toStdString() };
    CRecordingFrame frame;
    CTelvarionView view { doc };

    Fixture()
    {
        view.SetFrame(&frame);
        view.resize(640, 300);
        view.show();
    }

    void Fill(const std::vector<CLineRecord>& records, std::vector<std::string> texts = {})
    {
        for (std::size_t i = texts.size(); i < records.size(); ++i)
            texts.push_back("line " + std::to_string(i + 1));
        view.FillList(texts, records, false);
    }
};

const QString kCaption = QStringLiteral("Telvarion");

} // namespace

class LineViewTest : public QObject {
    Q_OBJECT
private slots:
    void nextSuspiciousWithTheOnlyOneSelected();
    void suspiciousNavigationSkipsHiddenLines();
    void linkNavigationIgnoresShownPictures();
    void commandsNeedASelection();
    void arrowKeysAndHotDigits();
    void bookmarks();
    void statusPanes();
    void requisitesBar();
    void findWholeWordAndDirection();
    void findDialogKeepsItsSettings();
    void goToLine();
    void passRowIsShownBehindAQuestion();
    void font();
    void foundRequisites();
    void linkedDocumentBox();
    void titleTips();
    void drawingShowsMarkersAndFrames();
    void largeDocument();
};

void LineViewTest::nextSuspiciousWithTheOnlyOneSelected()
{
    Fixture f;
    f.Fill({ CLineRecord(), SuspectRecord(true, false, 2), CLineRecord() });
    f.view.SelectLine(1);

    CModalAnswerer answers;
    answers.Press(QMessageBox::Yes);
    answers.Press(QMessageBox::Ok);
    f.view.Run(ViewCommand::NextSuspicious);
    QCOMPARE(answers.seen.size(), std::size_t(2));
    QCOMPARE(answers.seen[0].text, QStringLiteral("Строка не обнаружена. Продолжить поиск с начала документа?"));
    QCOMPARE(answers.seen[0].icon, QMessageBox::Question);
    QCOMPARE(answers.seen[0].title, kCaption);
    QCOMPARE(answers.seen[1].text, QStringLiteral("Строка не обнаружена"));
    QCOMPARE(answers.seen[1].icon, QMessageBox::Critical);
    QCOMPARE(answers.seen[1].title, kCaption);
    QCOMPARE(f.view.SelectedRow(), 1);

    answers.Press(QMessageBox::Yes);
    answers.Press(QMessageBox::Ok);
    f.view.Run(ViewCommand::PrevSuspicious);
    QCOMPARE(answers.seen.size(), std::size_t(4));
    QCOMPARE(answers.seen[2].text, QStringLiteral("Строка не обнаружена. Продолжить поиск с конца документа?"));
    QCOMPARE(answers.seen[3].text, QStringLiteral("Строка не обнаружена."));
    QCOMPARE(f.view.SelectedRow(), 1);

    // No: the search ends without the error box.
    answers.Press(QMessageBox::No);
    f.view.Run(ViewCommand::NextSuspicious);
    QCOMPARE(answers.seen.size(), std::size_t(5));
    QCOMPARE(answers.unexpected, 0);
}

void LineViewTest::suspiciousNavigationSkipsHiddenLines()
{
    Fixture f;
    // Row 1: local only, nothing determined (flag 9, off at start); row 3: local only, one kind.
    f.Fill({ CLineRecord(), SuspectRecord(false, true, 0), CLineRecord(), SuspectRecord(false, true, 1), CLineRecord() });
    QCOMPARE(f.view.Model().Picture(1), int(PictureNone));
    QCOMPARE(f.view.Model().Picture(3), int(PictureSuspectLocal));
    QCOMPARE(f.view.ShownSuspiciousCount(), 1);

    f.view.SelectLine(0);
    f.view.Run(ViewCommand::NextSuspicious);
    QCOMPARE(f.view.SelectedRow(), 3);

    CModalAnswerer answers;
    answers.Press(QMessageBox::Yes);
    answers.Press(QMessageBox::Ok);
    f.view.Run(ViewCommand::NextSuspicious);
    QCOMPARE(answers.seen.size(), std::size_t(2)); // wrapped, and row 1 still passed over
    QCOMPARE(f.view.SelectedRow(), 3);

    ShownPicturesFlags flags = f.view.ShownPictures();
    flags[9] = 1;
    f.view.SetShownPictures(flags);
    QCOMPARE(f.view.Model().Picture(1), int(PictureSuspectLocal));
    QCOMPARE(f.view.ShownSuspiciousCount(), 2);
    answers.Press(QMessageBox::Yes);
    f.view.Run(ViewCommand::NextSuspicious);
    QCOMPARE(f.view.SelectedRow(), 1);
    QCOMPARE(answers.unexpected, 0);
    QVERIFY(answers.Done());
}

void LineViewTest::linkNavigationIgnoresShownPictures()
{
    Fixture f;
    f.Fill({ LinkRecord(OrvoLinkExisting, 10), CLineRecord(), LinkRecord(InnerLinkExisting, 20), CLineRecord(),
        LinkRecord(OrvoLinkNew, 30), LinkRecord(InnerLinkNew, 40) });
    ShownPicturesFlags none {};
    f.view.SetShownPictures(none);

    f.view.SelectLine(1);
    f.view.Run(ViewCommand::NextOrvoLink);
    QCOMPARE(f.view.SelectedRow(), 4);
    f.view.Run(ViewCommand::PrevInnerLink);
    QCOMPARE(f.view.SelectedRow(), 2);
    f.view.Run(ViewCommand::NextInnerLink);
    QCOMPARE(f.view.SelectedRow(), 5);

    CModalAnswerer answers;
    answers.Press(QMessageBox::Yes);
    f.view.Run(ViewCommand::NextOrvoLink); // wraps to row 0
    QCOMPARE(f.view.SelectedRow(), 0);
    answers.Press(QMessageBox::Yes);
    f.view.Run(ViewCommand::PrevOrvoLink); // wraps to row 4
    QCOMPARE(f.view.SelectedRow(), 4);
    QCOMPARE(answers.seen.size(), std::size_t(2));
    QCOMPARE(answers.seen[0].text, QStringLiteral("Тег гиперссылки не найден. Продолжить поиск с начала документа?"));
    QCOMPARE(answers.seen[1].text, QStringLiteral("Тег гиперссылки не найден. Продолжить поиск с конца документа?"));

    // The only link of its kind selected: the wrapped search finds nothing either.
    f.Fill({ CLineRecord(), LinkRecord(InnerLinkNew, 1), CLineRecord() });
    f.view.SelectLine(1);
    answers.Press(QMessageBox::Yes);
    answers.Press(QMessageBox::Ok);
    f.view.Run(ViewCommand::PrevInnerLink);
    QCOMPARE(answers.seen.size(), std::size_t(4));
    QCOMPARE(answers.seen[3].text, QStringLiteral("Тег гиперссылки не найден."));
    QCOMPARE(answers.seen[3].icon, QMessageBox::Critical);
    QCOMPARE(f.view.SelectedRow(), 1);
    QCOMPARE(answers.unexpected, 0);
}

void LineViewTest::commandsNeedASelection()
{
    Fixture f;
    QVERIFY(!f.view.IsEnabled(ViewCommand::Find));
    QVERIFY(!f.view.IsEnabled(ViewCommand::GoToLine));
    QVERIFY(f.view.IsEnabled(ViewCommand::ChangeFont));
    QVERIFY(f.view.IsEnabled(ViewCommand::ToggleBookmark));

    f.Fill({ SuspectRecord(true, false, 1), LinkRecord(OrvoLinkNew, 3), SuspectRecord(true, true, 2) });
    QCOMPARE(f.view.SelectedRow(), -1);
    for (ViewCommand c : { ViewCommand::NextSuspicious, ViewCommand::PrevSuspicious, ViewCommand::NextOrvoLink,
             ViewCommand::PrevOrvoLink, ViewCommand::NextInnerLink, ViewCommand::PrevInnerLink,
             ViewCommand::ShowFoundRequisites, ViewCommand::ShowLinkedDocument, ViewCommand::FindNext })
        QVERIFY(!f.view.IsEnabled(c));
    QVERIFY(f.view.IsEnabled(ViewCommand::Find));
    QVERIFY(f.view.IsEnabled(ViewCommand::GoToLine));

    CModalAnswerer answers;
    f.view.Run(ViewCommand::NextSuspicious);
    f.view.Run(ViewCommand::NextBookmark);
    f.view.Run(ViewCommand::ToggleBookmark);
    QTest::keyClick(&f.view, Qt::Key_Right);
    QTest::keyClick(&f.view, Qt::Key_Left);
    QCOMPARE(f.view.SelectedRow(), -1);
    QCOMPARE(f.view.Model().Record(0).bBookmark, 0);
    QVERIFY(answers.seen.empty());

    // Filling with select-first selects row 0; the selection needs rows.
    f.view.FillList({ "a", "b" }, {}, true);
    QCOMPARE(f.view.SelectedRow(), 0);
    f.view.FillList({}, {}, true);
    QCOMPARE(f.view.SelectedRow(), -1);
    QVERIFY(!f.view.IsEnabled(ViewCommand::GoToLine));
}

void LineViewTest::arrowKeysAndHotDigits()
{
    Fixture f;
    f.Fill({ CLineRecord(), SuspectRecord(true, false, 1), CLineRecord(), SuspectRecord(true, false, 1) });
    f.view.SelectLine(0);
    QTest::keyClick(&f.view, Qt::Key_Right);
    QCOMPARE(f.view.SelectedRow(), 1);
    QCOMPARE(f.frame.linePane, QStringLiteral("2:4"));
    QTest::keyClick(&f.view, Qt::Key_Right);
    QCOMPARE(f.view.SelectedRow(), 3);
    QTest::keyClick(&f.view, Qt::Key_Left);
    QCOMPARE(f.view.SelectedRow(), 1);

    // While the anchor editor is open, the arrows belong to it.
    QWidget editor;
    f.view.SetInPlaceEditor(&editor);
    QTest::keyClick(&f.view, Qt::Key_Right);
    QCOMPARE(f.view.SelectedRow(), 1);
    f.view.SetInPlaceEditor(nullptr);

    // Down still moves one row, as in any list, and the panes follow.
    QTest::keyClick(&f.view, Qt::Key_Down);
    QCOMPARE(f.view.SelectedRow(), 2);
    QCOMPARE(f.frame.linePane, QStringLiteral("3:4"));

    QTest::keyClick(&f.view, Qt::Key_3, Qt::ControlModifier); // empty slot: a beep only
    QCOMPARE(f.ui.beeps, 1);
    QVERIFY(f.ui.messages.empty());
    // A slot whose document the (empty) Orvo base does not hold: the error, no tag.
    f.doc.settings.hotDocuments[0] = 100071;
    QTest::keyClick(&f.view, Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(f.ui.messages.size(), std::size_t(1));
    QVERIFY(f.ui.messages[0].find("100071") != std::string::npos);
    QCOMPARE(f.view.Model().Count(), 4);
    // Nothing selected: nothing to place a tag before, not even a beep.
    f.view.clearSelection();
    QTest::keyClick(&f.view, Qt::Key_3, Qt::ControlModifier);
    QCOMPARE(f.ui.beeps, 1);
    QCOMPARE(f.ui.messages.size(), std::size_t(1));
}

void LineViewTest::bookmarks()
{
    Fixture f;
    f.Fill({ LinkRecord(OrvoLinkExisting, 5), SuspectRecord(true, false, 1), CLineRecord(), CLineRecord() });

    // A bookmarked tag line shows the bookmark, not the link.
    f.view.SelectLine(0);
    f.view.Run(ViewCommand::ToggleBookmark);
    QCOMPARE(f.view.Model().Picture(0), int(PictureBookmark));
    f.view.Run(ViewCommand::ToggleBookmark);
    QCOMPARE(f.view.Model().Picture(0), int(PictureOrvoLinkExisting));

    // On a suspicious line, and back to no picture when its group is hidden meanwhile.
    f.view.SelectLine(1);
    f.view.Run(ViewCommand::ToggleBookmark);
    QCOMPARE(f.view.Model().Picture(1), int(PictureBookmark));
    ShownPicturesFlags flags = f.view.ShownPictures();
    flags[5] = 0;
    f.view.SetShownPictures(flags);
    QCOMPARE(f.view.Model().Picture(1), int(PictureBookmark));
    f.view.Run(ViewCommand::ToggleBookmark);
    QCOMPARE(f.view.Model().Picture(1), int(PictureNone));

    // A single bookmark on the selected line: both directions stay put.
    f.view.SelectLine(2);
    f.view.Run(ViewCommand::ToggleBookmark);
    f.view.Run(ViewCommand::NextBookmark);
    QCOMPARE(f.view.SelectedRow(), 2);
    f.view.Run(ViewCommand::PrevBookmark);
    QCOMPARE(f.view.SelectedRow(), 2);

    // Two bookmarks: both directions wrap, without a question.
    CModalAnswerer answers;
    f.view.SelectLine(0);
    f.view.Run(ViewCommand::ToggleBookmark);
    f.view.SelectLine(3);
    f.view.Run(ViewCommand::NextBookmark);
    QCOMPARE(f.view.SelectedRow(), 0);
    f.view.Run(ViewCommand::PrevBookmark);
    QCOMPARE(f.view.SelectedRow(), 2);
    f.view.Run(ViewCommand::PrevBookmark);
    QCOMPARE(f.view.SelectedRow(), 0);
    QVERIFY(answers.seen.empty());

    f.view.Run(ViewCommand::ClearBookmarks);
    for (int row = 0; row < 4; ++row)
        QCOMPARE(f.view.Model().Record(row).bBookmark, 0);
    QCOMPARE(f.view.Model().Picture(0), int(PictureOrvoLinkExisting));
    // Bookmarks are no change of the document and no undo step.
    QCOMPARE(f.doc.bModified, 0);
    QVERIFY(!f.view.HasUndo());
}

void LineViewTest::statusPanes()
{
    Fixture f;
    f.Fill({ SuspectRecord(true, false, 1), CLineRecord(), SuspectRecord(false, true, 0), SuspectRecord(false, true, 2),
        CLineRecord() });
    // Nothing selected: line 1 of 5, none of the two shown suspicious lines.
    QCOMPARE(f.frame.linePane, QStringLiteral("1:5"));
    QCOMPARE(f.frame.suspiciousPane, QStringLiteral("Под.стр. 0:2"));

    f.view.SelectLine(3);
    f.view.UpdateStatusPanes();
    QCOMPARE(f.frame.linePane, QStringLiteral("4:5"));
    QCOMPARE(f.frame.suspiciousPane, QStringLiteral("Под.стр. 2:2")); // the hidden row 2 does not count
    f.view.SelectLine(0);
    f.view.UpdateStatusPanes();
    QCOMPARE(f.frame.suspiciousPane, QStringLiteral("Под.стр. 1:2")); // the selected row counts itself
    f.view.SelectLine(4);
    f.view.UpdateStatusPanes();
    QCOMPARE(f.frame.linePane, QStringLiteral("5:5"));

    ShownPicturesFlags flags = f.view.ShownPictures();
    flags[9] = 1;
    f.view.SetShownPictures(flags);
    QCOMPARE(f.frame.suspiciousPane, QStringLiteral("Под.стр. 3:3"));

    // A click selects and updates the panes.
    const QRect second = f.view.visualRect(f.view.Model().index(1));
    QTest::mouseClick(f.view.viewport(), Qt::LeftButton, Qt::NoModifier, second.center());
    QCOMPARE(f.view.SelectedRow(), 1);
    QCOMPARE(f.frame.linePane, QStringLiteral("2:5"));
    QCOMPARE(f.frame.suspiciousPane, QStringLiteral("Под.стр. 1:3"));

    f.view.RemoveAllRows();
    QCOMPARE(f.frame.linePane, QStringLiteral("1:0"));
    QCOMPARE(f.frame.suspiciousPane, QStringLiteral("Под.стр. 0:0"));
}

void LineViewTest::requisitesBar()
{
    Fixture f;
    CLineRecord orvoWithoutNumber;
    orvoWithoutNumber.nKind = OrvoLinkNew;
    CLineRecord innerWithOrvo = LinkRecord(InnerLinkExisting, 44);
    innerWithOrvo.recvOrvo.nBaseNumber = 12; // not an inter-base tag: never shown for it
    innerWithOrvo.recvOrvo.name = Cp("Другой");
    f.Fill({ LinkRecord(OrvoLinkExisting, 5), LinkRecord(InnerLinkNew, 7), orvoWithoutNumber, CLineRecord(),
        innerWithOrvo });

    f.view.SelectLine(0);
    QCOMPARE(f.frame.requisites, FromCp1251(f.view.Model().Record(0).recvOrvo.Describe()));
    QVERIFY(f.frame.requisites.contains(QStringLiteral("О документе номер 5")));
    f.view.SelectLine(1);
    QCOMPARE(f.frame.requisites, FromCp1251(f.view.Model().Record(1).recvLocal.Describe()));
    f.view.SelectLine(4);
    QCOMPARE(f.frame.requisites, FromCp1251(f.view.Model().Record(4).recvLocal.Describe()));
    f.view.SelectLine(2);
    QCOMPARE(f.frame.requisites, QString());

    // A hidden bar keeps its old text while the selection moves.
    f.view.SelectLine(0);
    f.frame.barVisible = false;
    f.view.SelectLine(3);
    QVERIFY(f.frame.requisites.contains(QStringLiteral("О документе номер 5")));
    f.frame.barVisible = true;
    f.view.UpdateStatusPanes();
    QCOMPARE(f.frame.requisites, QString());
}

void LineViewTest::findWholeWordAndDirection()
{
    Fixture f;
    f.Fill(std::vector<CLineRecord>(6), { Cp("Закон об области"), Cp("ОБЛАСТНОЙ закон"), Cp("об"),
                                           Cp("  статья 1"), Cp("в области об охране"), Cp("конец") });
    CModalAnswerer answers;

    // Whole word, from nothing selected: the short word alone matches, the longer word does not.
    QVERIFY(f.view.FindText(QStringLiteral("об"), true, true));
    QCOMPARE(f.view.SelectedRow(), 0);
    QVERIFY(f.view.FindText(QStringLiteral("ОБ"), true, true));
    QCOMPARE(f.view.SelectedRow(), 2);
    QCOMPARE(f.frame.linePane, QStringLiteral("3:6"));
    f.view.OnFindNext();
    QCOMPARE(f.view.SelectedRow(), 4);

    // Without whole word the longer word matches too; case never matters.
    f.view.SelectLine(0);
    QVERIFY(f.view.FindText(QStringLiteral("об"), false, true));
    QCOMPARE(f.view.SelectedRow(), 1);

    // Upward from the selection, and no wrap at the top.
    f.view.SelectLine(4);
    QVERIFY(f.view.FindText(QStringLiteral("закон"), true, false));
    QCOMPARE(f.view.SelectedRow(), 1);
    f.view.OnFindNext();
    QCOMPARE(f.view.SelectedRow(), 0);
    QVERIFY(answers.seen.empty());
    answers.Press(QMessageBox::Ok);
    f.view.OnFindNext();
    QCOMPARE(f.view.SelectedRow(), 0);
    QCOMPARE(answers.seen.size(), std::size_t(1));
    QCOMPARE(answers.seen[0].text, QStringLiteral("Поиск завершен."));
    QCOMPARE(answers.seen[0].icon, QMessageBox::Information);
    QCOMPARE(answers.seen[0].title, kCaption);

    // Upward with nothing selected starts at the last row; a row's leading blanks do not count
    // as part of a word.
    f.view.clearSelection();
    QVERIFY(f.view.FindText(QStringLiteral("статья"), true, false));
    QCOMPARE(f.view.SelectedRow(), 3);
    QCOMPARE(answers.unexpected, 0);
}

void LineViewTest::findDialogKeepsItsSettings()
{
    Fixture f;
    f.Fill(std::vector<CLineRecord>(3), { Cp("первая"), Cp("вторая строка"), Cp("третья строка") });
    QVERIFY(!f.view.IsEnabled(ViewCommand::FindNext));
    f.view.Run(ViewCommand::Find);
    CFindDlg* dialog = f.view.FindDialog();
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->Text(), QString());
    QVERIFY(!dialog->WholeWord());
    QVERIFY(dialog->Down());
    QVERIFY(!dialog->FindNextButton()->isEnabled());

    dialog->TextEdit()->setText(QStringLiteral("СТРОКА"));
    dialog->WholeWordBox()->setChecked(true);
    dialog->FindNextButton()->click();
    QCOMPARE(f.view.SelectedRow(), 1);
    dialog->FindNextButton()->click();
    QCOMPARE(f.view.SelectedRow(), 2);

    // While it is open the command brings up the same dialog.
    f.view.Run(ViewCommand::Find);
    QCOMPARE(f.view.FindDialog(), dialog);

    dialog->UpButton()->setChecked(true);
    dialog->FindNextButton()->click();
    QCOMPARE(f.view.SelectedRow(), 1);

    // Closed, it is forgotten; the next one starts from the last search.
    QTest::keyClick(dialog, Qt::Key_Escape);
    QTRY_VERIFY(!f.view.FindDialog());
    QVERIFY(f.view.IsEnabled(ViewCommand::FindNext));
    f.view.Run(ViewCommand::Find);
    dialog = f.view.FindDialog();
    QVERIFY(dialog);
    QCOMPARE(dialog->Text(), QStringLiteral("СТРОКА"));
    QVERIFY(dialog->WholeWord());
    QVERIFY(!dialog->Down());
    dialog->close();
}

void LineViewTest::goToLine()
{
    Fixture f;
    f.Fill(std::vector<CLineRecord>(5));
    f.view.SelectLine(1);

    CModalAnswerer answers;
    QString prompt;
    answers.Then([&prompt](QWidget* modal) {
        auto* dialog = qobject_cast<CGotoLineDlg*>(modal);
        QVERIFY(dialog);
        prompt = dialog->Prompt()->text();
        QCOMPARE(dialog->NumberSpin()->value(), 1);
        dialog->NumberSpin()->setValue(4);
        dialog->accept();
    });
    f.view.Run(ViewCommand::GoToLine);
    QCOMPARE(answers.seen.at(0).title, QStringLiteral("Перейти на строку"));
    QCOMPARE(prompt, QStringLiteral("Выберите строку от 1 до 5"));
    QCOMPARE(f.view.SelectedRow(), 3);
    QCOMPARE(f.frame.linePane, QStringLiteral("4:5"));

    // A number beyond the last line, typed: nothing is selected anew.
    answers.Then([](QWidget* modal) {
        auto* dialog = qobject_cast<CGotoLineDlg*>(modal);
        QVERIFY(dialog);
        dialog->NumberSpin()->selectAll();
        QTest::keyClicks(dialog->NumberSpin(), QStringLiteral("99"));
        QCOMPARE(dialog->Number(), 99);
        dialog->accept();
    });
    f.view.Run(ViewCommand::GoToLine);
    QCOMPARE(f.view.SelectedRow(), 3);
    // The status bar gives the range instead.
    QCOMPARE(f.ui.statusTexts, std::vector<std::string> { "Строки 99 нет: в документе строки от 1 до 5" });
    f.view.GoToLineNumber(0);
    QCOMPARE(f.view.SelectedRow(), 3);
    f.view.GoToLineNumber(5);
    QCOMPARE(f.view.SelectedRow(), 4);
    QCOMPARE(f.ui.statusTexts.size(), std::size_t(2)); // 0 is out of the range too, 5 is not
    QCOMPARE(answers.unexpected, 0);

    // The arrows stop at the range.
    CGotoLineDlg dialog(5, nullptr);
    dialog.NumberSpin()->setValue(4);
    dialog.NumberSpin()->stepBy(10);
    QCOMPARE(dialog.Number(), 5);
    dialog.NumberSpin()->stepBy(-10);
    QCOMPARE(dialog.Number(), 1);
}

// Before the candidates question the view shows the pass's rows (refilled only when they differ)
// and the line asked about, in sight; rows and records that disagree change nothing.
void LineViewTest::passRowIsShownBehindAQuestion()
{
    Fixture f;
    f.view.resize(640, 120);
    std::vector<CLineRecord> records(60);
    f.Fill(records);
    std::vector<std::string> texts;
    f.view.GetLines(texts, nullptr);
    f.view.Model().SetBookmark(2, true); // stays unless the rows are refilled
    f.view.ShowPassRow(texts, records, 50);
    QVERIFY(f.view.SelectedRow() == 50 && f.view.Model().Record(2).bBookmark == 1);
    QVERIFY(f.view.viewport()->rect().intersects(f.view.visualRect(f.view.Model().index(50))));
    texts.erase(texts.begin() + 10); // a tag taken back since
    records.pop_back();
    f.view.ShowPassRow(texts, records, 45);
    QVERIFY(f.view.Model().Count() == 59 && f.view.Model().Text(10) == "line 12" && f.view.SelectedRow() == 45);
    f.view.ShowPassRow(texts, std::vector<CLineRecord>(3), 3);
    f.view.ShowPassRow(texts, records, 59);
    QCOMPARE(f.view.SelectedRow(), 45);
}

void LineViewTest::font()
{
    Fixture f;
    // The settings' face and pitch make the view font, 13 pixels high. Only the fonts the
    // scripts install are named: a bare system has no others.
    f.doc.settings.fontFace = "Liberation Sans";
    f.doc.settings.fontPitchAndFamily = 0x22; // variable pitch, Swiss
    f.view.ApplyDocumentFont();
    QCOMPARE(f.view.font().family(), QStringLiteral("Liberation Sans"));
    QCOMPARE(f.view.font().pixelSize(), 13);
    QVERIFY(!f.view.font().fixedPitch());

    QFont mono(QStringLiteral("Liberation Mono"));
    mono.setPixelSize(15);
    f.view.SetViewFont(mono);
    QCOMPARE(f.view.font().pixelSize(), 15);
    QCOMPARE(f.doc.settings.fontFace, std::string("Liberation Mono"));
    QCOMPARE(f.doc.settings.fontPitchAndFamily & 0x03, 0x01);
    QCOMPARE(f.doc.bSettingsChanged, 1);

    // Through the dialog: it starts from the stored face; OK stores the chosen one.
    f.doc.bSettingsChanged = 0;
    CModalAnswerer answers;
    QString startFamily;
    answers.Then([&startFamily](QWidget* modal) {
        auto* dialog = qobject_cast<QFontDialog*>(modal);
        QVERIFY(dialog);
        startFamily = dialog->currentFont().family();
        dialog->setCurrentFont(QFont(QStringLiteral("Liberation Serif")));
        dialog->accept();
    });
    f.view.Run(ViewCommand::ChangeFont);
    QCOMPARE(startFamily, QStringLiteral("Liberation Mono"));
    QCOMPARE(f.doc.settings.fontFace, std::string("Liberation Serif"));
    QCOMPARE(f.doc.bSettingsChanged, 1);
    QCOMPARE(answers.unexpected, 0);
}

void LineViewTest::foundRequisites()
{
    CDocRecvisits found;
    found.types = { Cp("ЗАКОН"), Cp("УКАЗ") };
    found.numbers = { "21-" + Cp("ОЗ") };
    found.adoptionDates = { COleDate::FromText(2024, 4, 16) };
    const QStringList expected = { QStringLiteral("Вид документов"), QStringLiteral("ЗАКОН"), QStringLiteral("УКАЗ"),
        QString(), QStringLiteral("Принявший орган"), QString(), QStringLiteral("Номер документа"),
        QStringLiteral("21-ОЗ"), QString(), QStringLiteral("Дата принятия"), QStringLiteral("16.04.2024") };
    QCOMPARE(FoundRequisitesRows(found), expected);

    Fixture f;
    CLineRecord suspect = SuspectRecord(true, false, 0);
    suspect.recvFound = found;
    f.Fill({ CLineRecord(), suspect });
    f.view.SelectLine(0);
    QVERIFY(!f.view.IsEnabled(ViewCommand::ShowFoundRequisites));
    f.view.SelectLine(1);
    QVERIFY(f.view.IsEnabled(ViewCommand::ShowFoundRequisites));

    CModalAnswerer answers;
    QStringList shown;
    answers.Then([&shown](QWidget* modal) {
        auto* dialog = qobject_cast<CFoundRecvDlg*>(modal);
        QVERIFY(dialog);
        shown = qobject_cast<QStringListModel*>(dialog->List()->model())->stringList();
        dialog->accept();
    });
    f.view.Run(ViewCommand::ShowFoundRequisites);
    QCOMPARE(answers.seen.at(0).title, QStringLiteral("Определённые реквизиты"));
    QCOMPARE(shown, expected);
}

void LineViewTest::linkedDocumentBox()
{
    Fixture f;
    CLineRecord suspectWithLocal = SuspectRecord(false, true, 1);
    suspectWithLocal.recvLocal.nBaseNumber = 8;
    CLineRecord suspectWithOrvo = SuspectRecord(true, false, 1);
    suspectWithOrvo.recvOrvo.nBaseNumber = 9;
    f.Fill({ LinkRecord(InnerLinkNew, 31), suspectWithLocal, suspectWithOrvo, LinkRecord(OrvoLinkExisting, 32) });

    const std::vector<std::pair<int, bool>> enabled = { { 0, true }, { 1, false }, { 2, true }, { 3, true } };
    for (const auto& [row, on] : enabled) {
        f.view.SelectLine(static_cast<std::size_t>(row));
        QCOMPARE(f.view.IsEnabled(ViewCommand::ShowLinkedDocument), on);
    }

    CModalAnswerer answers;
    answers.Press(QMessageBox::Ok);
    answers.Press(QMessageBox::Ok);
    f.view.SelectLine(0);
    f.view.Run(ViewCommand::ShowLinkedDocument);
    f.view.SelectLine(3);
    f.view.Run(ViewCommand::ShowLinkedDocument);
    QCOMPARE(answers.seen.size(), std::size_t(2));
    QCOMPARE(answers.seen[0].text, FromCp1251(f.view.Model().Record(0).recvLocal.Describe()));
    QCOMPARE(answers.seen[0].icon, QMessageBox::Information);
    QCOMPARE(answers.seen[0].title, kCaption);
    QCOMPARE(answers.seen[1].text, FromCp1251(f.view.Model().Record(3).recvOrvo.Describe()));
}

void LineViewTest::titleTips()
{
    Fixture f;
    f.view.resize(220, 200);
    f.view.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.view));
    f.Fill(std::vector<CLineRecord>(3), { "short", std::string(60, 'W') + "\x01" + "end\x02", "x" });

    const auto moveTo = [&f](int row) {
        const QPoint at = f.view.visualRect(f.view.Model().index(row)).center() - QPoint(40, 0);
        QMouseEvent move(QEvent::MouseMove, at, f.view.viewport()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
            Qt::NoModifier);
        QApplication::sendEvent(f.view.viewport(), &move);
    };
    moveTo(0);
    QVERIFY(!f.view.TipIndex().isValid());
    moveTo(1);
    QCOMPARE(f.view.TipIndex().row(), 1);
    auto* tip = f.view.findChild<QWidget*>(QStringLiteral("ZTitleTip"));
    QVERIFY(tip && tip->isVisible());
    // Over the cell, wide enough for the whole line.
    const QRect cell = f.view.visualRect(f.view.Model().index(1));
    QCOMPARE(tip->geometry().topLeft(), f.view.viewport()->mapToGlobal(cell.topLeft()));
    QVERIFY(tip->width() >= CLineDelegate::kTextLeft + qRound(CLineDelegate::LineWidth(f.view.font(), f.view.Model().Text(1))));
    QVERIFY(tip->width() > f.view.viewport()->width());

    // A key hides it and still reaches the list.
    f.view.SelectLine(1);
    QTest::keyClick(&f.view, Qt::Key_Down);
    QVERIFY(!tip->isVisible());
    QCOMPARE(f.view.SelectedRow(), 2);
    moveTo(1);
    QVERIFY(tip->isVisible());
    moveTo(2);
    QVERIFY(!tip->isVisible());
}

void LineViewTest::drawingShowsMarkersAndFrames()
{
    Fixture f;
    QFont mono(QStringLiteral("Liberation Mono"));
    mono.setPixelSize(13);
    f.view.setFont(mono);
    f.view.resize(700, 200);
    const std::string tag = "\x04\x04" + Cp("СС_НУЛ_100070_LAW#") + std::string(46, '-');
    const std::string anchored = Cp("  в соответствии с ") + "\x01" + Cp("Законом") + "\x02" + Cp(" области");
    const std::string top = "\x1B" + std::string(10, '\x16') + "\x18" + std::string(10, '\x16') + "\x1A";
    const std::string middle = "\x12" + Cp(" Графа 1  ") + "\x12" + Cp(" Графа 2  ") + "\x12";
    const std::string bottom = "\x1C" + std::string(10, '\x16') + "\x19" + std::string(10, '\x16') + "\x15";
    CLineRecord marked = LinkRecord(OrvoLinkNew, 100070);
    f.Fill({ marked, SuspectRecord(true, true, 2), CLineRecord(), CLineRecord(), CLineRecord() },
        { tag, anchored, top, middle, bottom });
    QTest::qWait(20);
    const QImage shot = f.view.viewport()->grab().toImage();
    if (const QByteArray dir = qgetenv("TELVARION_VIEW_SHOTS"); !dir.isEmpty())
        shot.save(QString::fromLocal8Bit(dir) + QStringLiteral("/line_view.png"));

    const qreal cell = QFontMetricsF(mono).horizontalAdvance(QLatin1Char('0'));
    const auto cellX = [cell](int column) { return CLineDelegate::kTextLeft + qRound(cell * column + cell / 2); };
    const auto rowRect = [&f](int row) { return f.view.visualRect(f.view.Model().index(row)); };
    const auto count = [&shot](QRect area, auto test) {
        int n = 0;
        area = area.intersected(shot.rect());
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += test(shot.pixelColor(x, y)) ? 1 : 0;
        return n;
    };
    const auto markerColoured = [](const QColor& c) { return c.red() > 150 && c.green() < 90 && c.blue() > 50 && c.blue() < 150; };
    const auto dark = [](const QColor& c) { return c.lightness() < 160; };

    // The two leading code 4 characters and the anchor markers are drawn, in the marker colour,
    // each inside its own character cell.
    const QRect tagRow = rowRect(0);
    for (int column : { 0, 1 })
        QVERIFY(count(QRect(cellX(column) - 2, tagRow.top(), 5, tagRow.height()), markerColoured) > 3);
    const QRect anchorRow = rowRect(1);
    QVERIFY(count(QRect(cellX(19) - 2, anchorRow.top(), 5, anchorRow.height()), markerColoured) > 3);
    QVERIFY(count(QRect(cellX(27) - 2, anchorRow.top(), 5, anchorRow.height()), markerColoured) > 3);
    QCOMPARE(count(QRect(cellX(28) - 2, anchorRow.top(), 5, anchorRow.height()), markerColoured), 0);
    // The anchored word is underlined like a link: a run of link-coloured pixels under it.
    const QColor link = f.view.palette().color(QPalette::Link);
    const auto linkColoured = [&link](const QColor& c) {
        return qAbs(c.red() - link.red()) < 40 && qAbs(c.green() - link.green()) < 40 && qAbs(c.blue() - link.blue()) < 40;
    };
    QVERIFY(count(QRect(cellX(20), anchorRow.top(), qRound(cell * 6), anchorRow.height()), linkColoured) > 20);

    // Frame verticals run through the whole row height, so they join the rows above and below.
    const QRect middleRow = rowRect(3);
    for (int column : { 0, 11, 22 }) {
        const int x = CLineDelegate::kTextLeft + int(std::floor(cell * column + cell / 2));
        QVERIFY2(dark(shot.pixelColor(x, middleRow.top())) && dark(shot.pixelColor(x, middleRow.bottom())),
            qPrintable(QStringLiteral("column %1").arg(column)));
    }
    // The horizontal line of the top row is continuous from the corner to the tee.
    const QRect topRow = rowRect(2);
    const int lineY = topRow.top() + topRow.height() / 2;
    QCOMPARE(count(QRect(cellX(0), lineY, cellX(11) - cellX(0), 1), dark), cellX(11) - cellX(0));
    // Nothing of the frame above the corner: it turns down.
    QVERIFY(!dark(shot.pixelColor(cellX(0), topRow.top() + 1)));
}

void LineViewTest::largeDocument()
{
    Fixture f;
    const int lines = 100000;
    std::vector<std::string> texts(lines, Cp("    Статья 1. Текст строки документа, которая длиннее обычной"));
    std::vector<CLineRecord> records(lines);
    for (int i = 0; i < lines; i += 97)
        records[i] = SuspectRecord(true, false, 1);
    QElapsedTimer clock;
    clock.start();
    f.view.FillList(texts, records, true);
    f.view.SelectLine(lines - 1);
    QTest::qWait(1);
    f.view.Run(ViewCommand::PrevSuspicious);
    const qint64 elapsed = clock.elapsed();
    QCOMPARE(f.view.SelectedRow(), (lines - 1) / 97 * 97);
    QCOMPARE(f.view.ShownSuspiciousCount(), (lines + 96) / 97);
    QCOMPARE(f.frame.linePane, QStringLiteral("%1:%2").arg((lines - 1) / 97 * 97 + 1).arg(lines));
    // Generous: it takes a few tens of milliseconds; a per-row layout or conversion takes seconds.
    QVERIFY2(elapsed < 3000, qPrintable(QStringLiteral("%1 ms").arg(elapsed)));

    std::vector<std::string> back;
    std::vector<CLineRecord> backRecords;
    f.view.GetLines(back, &backRecords);
    QCOMPARE(back.size(), std::size_t(lines));
    QCOMPARE(backRecords.size(), std::size_t(lines));
    QCOMPARE(backRecords[97].nKind, int(Suspicious));
}

QTEST_MAIN(LineViewTest)
#include "line_view_test.moc"
