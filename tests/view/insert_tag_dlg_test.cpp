// The confirmation of the analyses: its text, its answers, its place and layout, and the nested
// wait during which the view stays usable and whatever the person changes goes back to the pass.

#include <QApplication>
#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "document/telvarion_doc.h"
#include "view/insert_tag_dlg.h"
#include "view/line_model.h"
#include "view/qt_text.h"
#include "view/telvarion_view.h"
#include "view_test_support.h"

namespace {

struct Fixture {
    CQuietUi ui;
    CTelvarionDoc doc { ui, QDir::tempPath().toStdString() };
    CRecordingFrame frame;
    CTelvarionView view { doc };
    std::vector<std::string> texts { "first", "\x04\x04" + Cp("СС_НУЛ_5_LAW#---"), Cp("закон области"), "last" };
    std::vector<CLineRecord> records { CLineRecord(), LinkRecord(OrvoLinkNew, 5), SuspectRecord(true, false, 2),
        CLineRecord() };

    Fixture()
    {
        view.SetFrame(&frame);
        view.resize(500, 300);
        view.show();
    }

    CInsertTagDlg* Dialog() const { return view.findChild<CInsertTagDlg*>(); }

    // Runs the question; while it waits, act runs once with the open dialog.
    int Ask(const std::vector<CDocRecvisits>& linked, std::function<void(CInsertTagDlg*)> act)
    {
        QTimer::singleShot(0, &view, [this, act] {
            CInsertTagDlg* dialog = Dialog();
            QVERIFY(dialog);
            QVERIFY(dialog->isVisible());
            QVERIFY(view.IsAsking());
            act(dialog);
        });
        return view.AskTagCandidates(linked, texts, records, 1);
    }
};

CDocRecvisits Document(std::int32_t number, const char* name)
{
    CDocRecvisits d;
    d.nBaseNumber = number;
    d.types.push_back(Cp("ЗАКОН"));
    d.name = Cp(name);
    return d;
}

} // namespace

class InsertTagDlgTest : public QObject {
    Q_OBJECT
private slots:
    void textOfTheCandidates();
    void answers();
    void rowsChangedWhileWaitingGoBack();
    void theTagsAskedAboutStayWhileAsked();
    void placementAndLayout();
    void aPlacementIsAStepUnlessDeclined();
};

void InsertTagDlgTest::textOfTheCandidates()
{
    Fixture f;
    const CDocRecvisits one = Document(5, "Об одном");
    const CDocRecvisits two = Document(6, "О другом");
    QString single;
    QString pair;
    f.Ask({ one }, [&single](CInsertTagDlg* d) {
        single = d->TextArea()->toPlainText();
        QVERIFY(d->TextArea()->isReadOnly());
        QCOMPARE(d->windowTitle(), QStringLiteral("Вставка тега межбазовой гиперссылки"));
        d->YesButton()->click();
    });
    f.Ask({ one, two }, [&pair](CInsertTagDlg* d) {
        pair = d->TextArea()->toPlainText();
        d->YesButton()->click();
    });
    QCOMPARE(single, FromCp1251(one.Describe()));
    QVERIFY(!single.contains(QStringLiteral("---")));
    QCOMPARE(pair, FromCp1251(one.Describe()) + QStringLiteral("\n---------------------------------\n")
            + FromCp1251(two.Describe()));
}

void InsertTagDlgTest::answers()
{
    Fixture f;
    const std::vector<CDocRecvisits> linked { Document(5, "Закон") };
    QCOMPARE(f.Ask(linked, [](CInsertTagDlg* d) { d->YesButton()->click(); }), int(AnswerYes));
    QCOMPARE(f.Ask(linked, [](CInsertTagDlg* d) { d->NoButton()->click(); }), int(AnswerNo));
    QCOMPARE(f.Ask(linked, [](CInsertTagDlg* d) { d->CancelButton()->click(); }), int(AnswerCancel));
    QCOMPARE(f.Ask(linked, [](CInsertTagDlg* d) { QTest::keyClick(d, Qt::Key_Escape); }), int(AnswerCancel));
    QCOMPARE(f.Ask(linked, [](CInsertTagDlg* d) { d->close(); }), int(AnswerCancel));
    // Enter takes the default, Да.
    QCOMPARE(f.Ask(linked, [](CInsertTagDlg* d) { QTest::keyClick(d, Qt::Key_Return); }), int(AnswerYes));
    // The frame's way out when the window closes during a pass.
    QCOMPARE(f.Ask(linked, [&f](CInsertTagDlg*) { f.view.CancelQuestion(); }), int(AnswerCancel));

    // Every question ends with its dialog gone.
    QVERIFY(!f.Dialog());
    QVERIFY(!f.view.IsAsking());
}

void InsertTagDlgTest::rowsChangedWhileWaitingGoBack()
{
    Fixture f;
    // The question shows the rows it was given, with the line selected.
    const int answer = f.Ask({ Document(5, "Закон") }, [&f](CInsertTagDlg* d) {
        QCOMPARE(f.view.Model().Count(), 4);
        QCOMPARE(f.view.SelectedRow(), 1);
        QVERIFY(f.frame.requisites.contains(QStringLiteral("Номер в базе: 5")));

        // The view is usable meanwhile: navigate, bookmark, place a tag by hand, edit a line.
        f.view.Run(ViewCommand::NextSuspicious);
        QCOMPARE(f.view.SelectedRow(), 2);
        f.view.Run(ViewCommand::ToggleBookmark);
        f.view.Model().InsertLine(3, "\x04\x04" + Cp("СС_НУЛ_77_LAW#---"), LinkRecord(OrvoLinkNew, 77));
        f.view.Model().SetText(0, "first, changed");
        QVERIFY(!d->IsAnswered());
        d->YesButton()->click();
    });
    QCOMPARE(answer, int(AnswerYes));
    QCOMPARE(f.texts.size(), std::size_t(5));
    QCOMPARE(f.records.size(), std::size_t(5));
    QCOMPARE(f.texts[0], std::string("first, changed"));
    QCOMPARE(f.texts[3], "\x04\x04" + Cp("СС_НУЛ_77_LAW#---"));
    QCOMPARE(f.records[3].nKind, int(OrvoLinkNew));
    QCOMPARE(f.records[3].recvOrvo.nBaseNumber, 77);
    QCOMPARE(f.records[2].bBookmark, 1);
    QCOMPARE(f.texts[4], std::string("last"));
}

// The tag lines of the question cannot be deleted, cut, moved or edited while it waits, nor
// taken away by an undo step from before it; everything else stays usable. The question has the
// keyboard and names the base of its tags.
void InsertTagDlgTest::theTagsAskedAboutStayWhileAsked()
{
    Fixture f;
    f.records[1].bAwaiting = 1;
    f.texts.insert(f.texts.begin() + 2, "\x04\x04" + Cp("СС_НУЛ_6_LAW#---"));
    f.records.insert(f.records.begin() + 2, LinkRecord(OrvoLinkNew, 6));
    f.records[2].bAwaiting = 1;
    // An undo step taken before the question.
    f.view.FillList(f.texts, f.records, false);
    f.view.SelectLine(1);
    f.view.Run(ViewCommand::MoveLineUp);
    f.view.Run(ViewCommand::MoveLineDown);
    QVERIFY(f.view.IsEnabled(ViewCommand::Undo));

    const auto guarded = { ViewCommand::DeleteTag, ViewCommand::CutTag, ViewCommand::MoveLineUp, ViewCommand::MoveLineDown };
    QStringList refused;
    const int answer = f.Ask({ Document(5, "Закон") }, [&](CInsertTagDlg* d) {
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(d));
        QCOMPARE(d->focusWidget(), static_cast<QWidget*>(d->YesButton()));
        QVERIFY(!f.view.IsEnabled(ViewCommand::Undo));
        for (int row : { 1, 2 }) {
            f.view.SelectLine(static_cast<std::size_t>(row));
            for (ViewCommand c : guarded) {
                if (f.view.IsEnabled(c))
                    refused << QStringLiteral("row %1 command %2").arg(row).arg(int(c));
                f.view.Run(c);
            }
            QVERIFY(f.view.IsEnabled(ViewCommand::CopyTag));
            f.view.OpenInPlaceEditor(row);
            QVERIFY(!f.view.InPlaceEditor());
        }
        // A tag of the person's own below them moves and goes as usual.
        f.view.Model().InsertLine(4, "\x04\x04" + Cp("СС_НУЛ_77_LAW#---"), LinkRecord(OrvoLinkNew, 77));
        f.view.SelectLine(4);
        QVERIFY(f.view.IsEnabled(ViewCommand::MoveLineDown));
        f.view.Run(ViewCommand::MoveLineDown);
        QCOMPARE(f.view.SelectedRow(), 5);
        f.view.Run(ViewCommand::DeleteTag);
        // The copy of an asked-about tag is a tag like any other.
        f.view.SelectLine(1);
        f.view.Run(ViewCommand::CopyTag);
        f.view.SelectLine(4);
        f.view.Run(ViewCommand::PasteTag);
        QVERIFY(f.view.IsEnabled(ViewCommand::DeleteTag));
        QVERIFY(f.view.IsEnabled(ViewCommand::Undo)); // the step taken during the question
        d->YesButton()->click();
    });
    QCOMPARE(answer, int(AnswerYes));
    QVERIFY2(refused.isEmpty(), qPrintable(refused.join(u',')));
    QCOMPARE(f.texts.size(), std::size_t(6));
    QCOMPARE(f.records[1].recvOrvo.nBaseNumber, 5);
    QCOMPARE(f.records[2].recvOrvo.nBaseNumber, 6);
    QCOMPARE(f.records[4].recvOrvo.nBaseNumber, 5);
    QCOMPARE(f.records[4].bAwaiting, 0);
    // Once answered, the same rows are the person's again.
    f.view.SelectLine(1);
    QVERIFY(f.view.IsEnabled(ViewCommand::DeleteTag));

    // Local tags: the question says so.
    f.records[1] = LinkRecord(InnerLinkNew, 5);
    QString title;
    f.Ask({ Document(5, "Закон") }, [&title](CInsertTagDlg* d) {
        title = d->windowTitle();
        d->NoButton()->click();
    });
    QCOMPARE(title, QStringLiteral("Вставка тега внутрибазовой гиперссылки"));
}

void InsertTagDlgTest::placementAndLayout()
{
    CInsertTagDlg dialog(QStringLiteral("text"), false, nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QRect screen = dialog.screen()->geometry();
    const QRect frame = dialog.frameGeometry();
    QCOMPARE(frame.right(), screen.right() - 2);
    QCOMPARE(frame.bottom() + 1, screen.top() + screen.height() / 2);

    dialog.resize(420, 260);
    QTRY_COMPARE(dialog.size(), QSize(420, 260));
    QCOMPARE(dialog.TextArea()->geometry(), QRect(10, 10, 400, 210));
    // Да | Нет | Отмена, the row centred.
    QVERIFY(dialog.YesButton()->geometry().right() < dialog.NoButton()->x());
    QVERIFY(dialog.NoButton()->geometry().right() < dialog.CancelButton()->x());
    QVERIFY(qAbs(dialog.YesButton()->x() + dialog.CancelButton()->geometry().right() + 1 - 420) <= 1);
    for (QPushButton* button : { dialog.YesButton(), dialog.NoButton(), dialog.CancelButton() }) {
        QCOMPARE(button->y(), 260 - 30);
        QVERIFY(button->geometry().left() >= 0);
    }
    // No button overlaps another, at the smallest size either.
    dialog.resize(dialog.minimumSize());
    QTRY_COMPARE(dialog.size(), dialog.minimumSize());
    QVERIFY(!dialog.NoButton()->geometry().intersects(dialog.YesButton()->geometry()));
    QVERIFY(!dialog.YesButton()->geometry().intersects(dialog.CancelButton()->geometry()));
    QVERIFY(dialog.NoButton()->x() >= 0);
    QVERIFY(dialog.CancelButton()->geometry().right() < dialog.width());
}

// Each confirmed placement is a step named by its line; a declined one leaves no step and the rows
// as before it, unless a step followed it while the question was open.
void InsertTagDlgTest::aPlacementIsAStepUnlessDeclined()
{
    const struct {
        const char* button;
        bool editMeanwhile;
        std::size_t steps;
        bool tagStays;
    } cases[] = {
        { "yes", false, 1, true },
        { "no", false, 0, false },
        { "cancel", false, 0, false },
        { "no", true, 2, true },
        { "yes", true, 2, true },
    };
    for (const auto& c : cases) {
        Fixture f;
        std::vector<std::string> texts = f.texts;
        std::vector<CLineRecord> records = f.records;
        texts.erase(texts.begin() + 1);
        records.erase(records.begin() + 1);
        f.view.FillList(texts, records, false);
        f.records[1].bAwaiting = 1;
        const int answer = f.Ask({ Document(5, "Закон") }, [&](CInsertTagDlg* d) {
            QCOMPARE(f.view.Editor().History().UndoName(), std::string("размещение ссылок строки 2"));
            QVERIFY(!f.view.IsEnabled(ViewCommand::Undo));
            // A bookmark set while asked stays on its line whatever the answer.
            f.view.Model().SetBookmark(2, true);
            if (c.editMeanwhile)
                f.view.Editor().CommitLineEdit(3, "last, changed");
            (std::string(c.button) == "yes"         ? d->YesButton()
                    : std::string(c.button) == "no" ? d->NoButton()
                                                    : d->CancelButton())
                ->click();
        });
        QVERIFY(answer == AnswerYes || answer == AnswerNo || answer == AnswerCancel);
        const CUndoHistory& history = f.view.Editor().History();
        QCOMPARE(history.UndoCount(), c.steps);
        QCOMPARE(f.view.Model().Count(), c.tagStays ? 4 : 3);
        QCOMPARE(f.view.Model().Text(c.tagStays ? 2 : 1), Cp("закон области"));
        QCOMPARE(f.view.Model().Record(c.tagStays ? 2 : 1).bBookmark, std::uint8_t(1));
        QCOMPARE(f.view.Model().Record(0).bBookmark, std::uint8_t(0));
        QCOMPARE(f.texts.size(), f.records.size());
        QCOMPARE(static_cast<int>(f.texts.size()), f.view.Model().Count());
    }

    // A line the pass marked far from the placement meanwhile keeps its mark when the placement is
    // undone: the marks are the pass's, not the step's.
    Fixture f;
    for (int k = 0; k < 40; ++k) {
        f.texts.push_back("line " + std::to_string(k));
        f.records.emplace_back();
    }
    std::vector<std::string> shown = f.texts;
    std::vector<CLineRecord> shownRecords = f.records;
    shown.erase(shown.begin() + 1);
    shownRecords.erase(shownRecords.begin() + 1);
    f.view.FillList(shown, shownRecords, false);
    f.records.back() = SuspectRecord(true, false, 2);
    QCOMPARE(f.Ask({ Document(5, "Закон") }, [](CInsertTagDlg* d) { d->YesButton()->click(); }), AnswerYes);
    f.view.Run(ViewCommand::Undo);
    QCOMPARE(f.view.Model().Count(), static_cast<int>(shown.size()));
    QCOMPARE(f.view.Model().Text(1), Cp("закон области"));
    QCOMPARE(f.view.Model().Record(f.view.Model().Count() - 1).nKind, static_cast<std::int32_t>(Suspicious));
}

QTEST_MAIN(InsertTagDlgTest)
#include "insert_tag_dlg_test.moc"
