// The in-place anchor editor over a row of the line view, driven by real keys and clicks, and the
// tag commands as the view runs them on its model.

#include <QDir>
#include <QMessageBox>
#include <QTest>

#include "core/anchor_marks.h"
#include "core/tag_line.h"
#include "document/telvarion_doc.h"
#include "view/in_place_edit.h"
#include "view/line_model.h"
#include "view/pictures.h"
#include "view/telvarion_view.h"
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
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.FillList({ Cp("Статья 1"), Cp("один два три"), Cp("Статья 2") }, std::vector<CLineRecord>(3), false);
    }

    CInPlaceEdit* OpenOn(int row)
    {
        view.SelectLine(static_cast<std::size_t>(row));
        QTest::keyClick(&view, Qt::Key_Return);
        return qobject_cast<CInPlaceEdit*>(view.InPlaceEditor());
    }
    // Selects count characters from position start, by keys, as the person would.
    static void Select(CInPlaceEdit* editor, int start, int count)
    {
        editor->setCursorPosition(0);
        for (int i = 0; i < start; ++i)
            QTest::keyClick(editor, Qt::Key_Right);
        for (int i = 0; i < count; ++i)
            QTest::keyClick(editor, Qt::Key_Right, Qt::ShiftModifier);
    }
    const std::string& Row(int row) { return view.Model().Text(row); }
};

} // namespace

class AnchorEditorTest : public QObject {
    Q_OBJECT
private slots:
    void opensOverTheRowLeavingThePicture();
    void onlyMarkersChange();
    void escapeLeavesTheRowWithoutUndo();
    void insertMarksWordsAndAsksAboutSeveral();
    void focusLossCommitsOneUndoStep();
    void doubleClickOpens();
    void tagCommandsThroughTheView();
};

void AnchorEditorTest::opensOverTheRowLeavingThePicture()
{
    Fixture f;
    CInPlaceEdit* editor = f.OpenOn(1);
    QVERIFY(editor);
    QCOMPARE(editor->Row(), 1);
    QVERIFY(editor->hasFocus());
    const QRect row = f.view.visualRect(f.view.Model().index(1));
    QCOMPARE(editor->geometry().left(), row.left() + 21);
    QCOMPARE(editor->geometry().top(), row.top());
    QCOMPARE(editor->text(), QStringLiteral("один два три"));
}

void AnchorEditorTest::onlyMarkersChange()
{
    Fixture f;
    CInPlaceEdit* editor = f.OpenOn(1);
    QVERIFY(editor);
    // Letters, digits, Backspace over plain words: nothing.
    QTest::keyClicks(editor, QStringLiteral("abc1"));
    Fixture::Select(editor, 0, 8);
    QTest::keyClick(editor, Qt::Key_Backspace);
    QCOMPARE(editor->LineText(), Cp("один два три"));
    // Ctrl+2 on a letter only beeps; on a blank it puts an anchor end there.
    Fixture::Select(editor, 1, 1);
    QTest::keyClick(editor, Qt::Key_2, Qt::ControlModifier);
    QCOMPARE(editor->LineText(), Cp("один два три"));
    Fixture::Select(editor, 4, 1);
    QTest::keyClick(editor, Qt::Key_2, Qt::ControlModifier);
    QCOMPARE(editor->LineText(), Cp("один\x02два три"));
    Fixture::Select(editor, 8, 1);
    QTest::keyClick(editor, Qt::Key_1, Qt::ControlModifier);
    QCOMPARE(editor->LineText(), Cp("один\x02два\x01три"));
    // Delete over a stretch with markers gives the blanks back.
    Fixture::Select(editor, 2, 9);
    QTest::keyClick(editor, Qt::Key_Delete);
    QCOMPARE(editor->LineText(), Cp("один два три"));
    QCOMPARE(editor->LineText().size(), Cp("один два три").size());
    // The window's Delete (delete tag) never saw the key.
    QCOMPARE(f.view.Model().Count(), 3);
}

void AnchorEditorTest::escapeLeavesTheRowWithoutUndo()
{
    Fixture f;
    CInPlaceEdit* editor = f.OpenOn(1);
    QVERIFY(editor);
    Fixture::Select(editor, 4, 1);
    QTest::keyClick(editor, Qt::Key_3, Qt::ControlModifier);
    Fixture::Select(editor, 8, 1);
    QTest::keyClick(editor, Qt::Key_1, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Escape);
    QVERIFY(!f.view.InPlaceEditor());
    QCOMPARE(f.Row(1), Cp("один два три"));
    QVERIFY(!f.view.HasUndo());
    QCOMPARE(f.doc.bModified, 0);
    QVERIFY(f.view.hasFocus());
}

void AnchorEditorTest::insertMarksWordsAndAsksAboutSeveral()
{
    Fixture f;
    // A word at the very start: only the end marker; the edit ends with it.
    CInPlaceEdit* editor = f.OpenOn(1);
    QVERIFY(editor);
    Fixture::Select(editor, 1, 1);
    QTest::keyClick(editor, Qt::Key_Insert);
    QVERIFY(!f.view.InPlaceEditor());
    QCOMPARE(f.Row(1), Cp("один\x02два три"));
    QCOMPARE(f.doc.bModified, 1);
    // The window's Insert (place a tag) never saw the key.
    QCOMPARE(f.view.Model().Count(), 3);

    // Two words inside the line, answered Да: each its own anchor, the length kept.
    f.view.Run(ViewCommand::Undo);
    QCOMPARE(f.Row(1), Cp("один два три"));
    editor = f.OpenOn(1);
    QVERIFY(editor);
    CModalAnswerer answers;
    answers.Press(QMessageBox::Yes);
    Fixture::Select(editor, 6, 5);
    QTest::keyClick(editor, Qt::Key_Insert);
    QCOMPARE(answers.seen.size(), std::size_t(1));
    QCOMPARE(answers.seen[0].text,
        QStringLiteral("В выделенной части строки обнаружено несколько слов.\nПоставить различные ссылки?"));
    QCOMPARE(f.Row(1), Cp("один\x01два\x03три"));

    // Answered Нет: one anchor over both.
    f.view.Run(ViewCommand::Undo);
    editor = f.OpenOn(1);
    QVERIFY(editor);
    answers.Press(QMessageBox::No);
    Fixture::Select(editor, 6, 5);
    QTest::keyClick(editor, Qt::Key_Insert);
    QCOMPARE(f.Row(1), Cp("один\x01два три"));
}

void AnchorEditorTest::focusLossCommitsOneUndoStep()
{
    Fixture f;
    CInPlaceEdit* editor = f.OpenOn(1);
    QVERIFY(editor);
    Fixture::Select(editor, 4, 1);
    QTest::keyClick(editor, Qt::Key_2, Qt::ControlModifier);
    f.view.setFocus(); // the person clicks into the list
    QTRY_VERIFY(!f.view.InPlaceEditor());
    QCOMPARE(f.Row(1), Cp("один\x02два три"));
    QVERIFY(f.view.HasUndo());
    f.view.Run(ViewCommand::Undo);
    QCOMPARE(f.Row(1), Cp("один два три"));

    // Enter keeps the text as well.
    editor = f.OpenOn(1);
    QVERIFY(editor);
    Fixture::Select(editor, 8, 1);
    QTest::keyClick(editor, Qt::Key_1, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Return);
    QVERIFY(!f.view.InPlaceEditor());
    QCOMPARE(f.Row(1), Cp("один два\x01три"));
}

void AnchorEditorTest::doubleClickOpens()
{
    Fixture f;
    const QRect row = f.view.visualRect(f.view.Model().index(2));
    QTest::mouseDClick(f.view.viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
    auto* editor = qobject_cast<CInPlaceEdit*>(f.view.InPlaceEditor());
    QVERIFY(editor);
    QCOMPARE(editor->Row(), 2);
    // Opening another one ends the first.
    f.view.OpenInPlaceEditor(0);
    editor = qobject_cast<CInPlaceEdit*>(f.view.InPlaceEditor());
    QVERIFY(editor);
    QCOMPARE(editor->Row(), 0);
}

void AnchorEditorTest::tagCommandsThroughTheView()
{
    Fixture f;
    // A search places a tag with no dictionary behind it; pictures follow the new record.
    f.view.SelectLine(1);
    f.view.InsertOrvoTagByNumber(100);
    QCOMPARE(f.view.Model().Count(), 4);
    QCOMPARE(f.Row(1), FormatOrvoTag(100));
    QCOMPARE(f.view.SelectedRow(), 1);
    QCOMPARE(f.view.Model().Picture(1), int(PictureOrvoLinkNew));
    QVERIFY(f.view.IsEnabled(ViewCommand::DeleteTag));
    QVERIFY(f.view.IsEnabled(ViewCommand::CutTag));
    QVERIFY(!f.view.IsEnabled(ViewCommand::ChooseRequisites));

    // Moved down with its bookmark, then deleted; undo brings it back.
    f.view.Run(ViewCommand::ToggleBookmark);
    f.view.Run(ViewCommand::MoveLineDown);
    QCOMPARE(f.view.SelectedRow(), 2);
    QCOMPARE(f.Row(2), FormatOrvoTag(100));
    QCOMPARE(f.view.Model().Picture(2), int(PictureBookmark));
    f.view.Run(ViewCommand::DeleteTag);
    QCOMPARE(f.view.Model().Count(), 3);
    QCOMPARE(f.view.SelectedRow(), 2);
    f.view.Run(ViewCommand::Undo);
    QCOMPARE(f.view.Model().Count(), 4);
    QCOMPARE(f.Row(2), FormatOrvoTag(100));
    QCOMPARE(f.view.SelectedRow(), 2);
}

QTEST_MAIN(AnchorEditorTest)
#include "anchor_editor_test.moc"
