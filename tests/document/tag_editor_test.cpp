#include "document/tag_editor.h"

#include <functional>
#include <sstream>

#include <gtest/gtest.h>

#include "base/codepage.h"
#include "core/anchor_marks.h"
#include "core/dict_text.h"
#include "core/tag_line.h"
#include "document/telvarion_doc.h"
#include "local/inner_ref_maker.h"
#include "support/line_rows.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

std::string Cp(const char* utf8) { return codepage::Utf8ToCp1251(utf8); }

// Orvo documents: 100 a law of 2003, 200 a resolution of 2010; local document 7 a regional law
// of 1999. The open document is dated 01.02.2005.
struct Fixture {
    CTempDir data;
    CScriptedUi ui;
    std::unique_ptr<CTelvarionDoc> doc;
    CRows rows;
    std::unique_ptr<CTagEditor> editor;

    Fixture()
    {
        CScriptedUi setupUi;
        {
            COrvoRefMaker maker(setupUi);
            maker.LoadFiles(Folder());
            const std::string list = Cp("$0  НОМЕР В БАЗЕ\n100\n$5  ВИД ДОКУМЕНТА\nЗАКОН\n$4  ПРИНЯВШИЙ ОРГАН\nГОСДУМА\n"
                                        "$6  ДАТА ПРИНЯТИЯ\n06.10.2003\n$7  НОМЕР\n131-ФЗ\n$9  НАЗВАНИЕ ДОКУМЕНТА\nОб общих\n$$\n"
                                        "$0  НОМЕР В БАЗЕ\n200\n$5  ВИД ДОКУМЕНТА\nПОСТАНОВЛЕНИЕ\n$4  ПРИНЯВШИЙ ОРГАН\n"
                                        "ПРАВИТЕЛЬСТВО\n$6  ДАТА ПРИНЯТИЯ\n01.03.2010\n$7  НОМЕР\n5\n$9  НАЗВАНИЕ ДОКУМЕНТА\n"
                                        "О порядке\n\n");
            EXPECT_TRUE(maker.documents.ImportListFile(setupUi, data.Write("orvo.lst", list), false));
            maker.MarkDocumentsModified();
            maker.SaveFiles(Folder());
        }
        {
            CInnerRefMaker maker(setupUi);
            maker.LoadFiles(Folder());
            const std::string list = Cp("$0  НОМЕР В БАЗЕ\n7\n$5  ВИД ДОКУМЕНТА\nЗАКОН\n$4  ПРИНЯВШИЙ ОРГАН\nДУМА\n"
                                        "$6  ДАТА ПРИНЯТИЯ\n12.05.1999\n$7  НОМЕР\n9-ОЗ\n$9  НАЗВАНИЕ ДОКУМЕНТА\nОб области\n\n");
            EXPECT_TRUE(maker.documents.ImportListFile(setupUi, data.Write("local.lst", list), false));
            maker.MarkDocumentsModified();
            maker.SaveFiles(Folder());
        }
        doc = std::make_unique<CTelvarionDoc>(ui, Folder());
        doc->LoadServiceData(false);
        doc->text.headerLines = { Cp("$6  Дата принятия"), "01.02.2005", Cp("$18  Текст документа") };
        doc->text.InvalidateDates();
        editor = std::make_unique<CTagEditor>(*doc, ui, rows);
        rows.texts = { Cp("Статья 1"), Cp("В соответствии с Законом N 131-ФЗ области"), Cp("Статья 2") };
        rows.records.resize(3);
        rows.records[1].nKind = Suspicious;
    }
    std::string Folder() const { return data.Utf8(); }

    void AnswerOrvoNumber(const std::string& number)
    {
        ManualTagAnswer answer;
        answer.ok = true;
        answer.numberText = number;
        ui.manualTagAnswers.push_back(answer);
    }
    // Places the Orvo tag for number before row.
    void PlaceOrvo(int row, const std::string& number)
    {
        rows.selected = row;
        AnswerOrvoNumber(number);
        editor->Run(CTagEditor::Command::PlaceOrvoTag);
    }
};

} // namespace

TEST(AnchorMarks, TypeWordFramedInPlace)
{
    // In the middle of a line, directly after a quote, at the line start, at the 66th column.
    std::string line = Cp("см. Закон N 5");
    EXPECT_TRUE(MarkTypeAnchor(line, { Cp("ЗАКОН") }));
    EXPECT_EQ(line, Cp("см.\x01Закон\x02N 5"));

    line = Cp("в \"Законе\" N 5");
    EXPECT_TRUE(MarkTypeAnchor(line, { Cp("ЗАКОН") }));
    EXPECT_EQ(line, Cp("в\x01\"Законе\"\x02N 5"));

    line = Cp("Закон N 5");
    EXPECT_TRUE(MarkTypeAnchor(line, { Cp("ЗАКОН") }));
    EXPECT_EQ(line, Cp("Закон\x02N 5")); // no room before the word

    line = std::string(60, 'x') + Cp(" Закон");
    EXPECT_TRUE(MarkTypeAnchor(line, { Cp("ЗАКОН") }));
    EXPECT_EQ(line, std::string(60, 'x') + Cp("\x01Закон")); // no blank after the last word

    // Already framed: found, nothing written; no stem at all: not found.
    line = Cp("см.\x01Закон\x02N 5");
    const std::string framed = line;
    EXPECT_TRUE(MarkTypeAnchor(line, { Cp("ЗАКОН") }));
    EXPECT_EQ(line, framed);
    EXPECT_FALSE(MarkTypeAnchor(line, { Cp("УКАЗ"), "" }));
    EXPECT_EQ(line, framed);
}

TEST(AnchorMarks, EditorOperationsKeepTheLength)
{
    std::string line = Cp("один два три");
    // Backspace over plain words changes nothing; a marker in the range becomes a blank.
    EXPECT_FALSE(ClearMarkers(line, 0, line.size()));
    EXPECT_FALSE(PutMarker(line, 0, 1, kAnchorEnd)); // a letter: refused
    EXPECT_TRUE(PutMarker(line, 4, 5, kAnchorEnd));
    EXPECT_EQ(line, Cp("один\x02два три"));
    EXPECT_TRUE(ClearMarkers(line, 2, 9));
    EXPECT_EQ(line, Cp("один два три"));

    // One word at the start: only the end marker; one in the middle: both; the last word of a
    // short line: only the start marker.
    std::string a = line;
    EXPECT_TRUE(MarkSelectionAsAnchor(a, 1, 2));
    EXPECT_EQ(a, Cp("один\x02два три"));
    a = line;
    EXPECT_TRUE(MarkSelectionAsAnchor(a, 6, 6));
    EXPECT_EQ(a, Cp("один\x01два\x02три"));
    a = line;
    EXPECT_TRUE(MarkSelectionAsAnchor(a, 10, 11));
    EXPECT_EQ(a, Cp("один два\x01три"));

    // Two words, each an anchor of its own.
    a = line;
    EXPECT_TRUE(MarkSelectionAsAnchor(a, 5, 12));
    EXPECT_TRUE(SeparateWords(a, 5, 12));
    EXPECT_EQ(a, Cp("один\x01два\x03три"));
    EXPECT_EQ(a.size(), line.size());

    // A single word filling the line cannot be framed without growing it.
    std::string word = Cp("слово");
    EXPECT_FALSE(MarkSelectionAsAnchor(word, 0, 2));
    EXPECT_EQ(word, Cp("слово"));
}

TEST(TagEditor, EnablingRules)
{
    Fixture f;
    using C = CTagEditor::Command;
    EXPECT_FALSE(f.editor->IsEnabled(C::PlaceOrvoTag));
    f.rows.selected = 1;
    EXPECT_TRUE(f.editor->IsEnabled(C::PlaceOrvoTag));
    EXPECT_TRUE(f.editor->IsEnabled(C::ChooseRequisites));
    EXPECT_FALSE(f.editor->IsEnabled(C::DeleteTag));
    EXPECT_FALSE(f.editor->IsEnabled(C::PasteTag)); // empty clipboard
    EXPECT_FALSE(f.editor->IsEnabled(C::Undo));
    f.rows.records[0].nKind = InnerLinkExisting;
    f.rows.selected = 0;
    // A tag read from the file may be deleted, but not cut, copied or moved.
    EXPECT_TRUE(f.editor->IsEnabled(C::DeleteTag));
    EXPECT_FALSE(f.editor->IsEnabled(C::CutTag));
    EXPECT_FALSE(f.editor->IsEnabled(C::MoveDown));
    f.rows.records[0].nKind = OrvoLinkExisting;
    EXPECT_TRUE(f.editor->IsEnabled(C::MoveDown));
    EXPECT_FALSE(f.editor->IsEnabled(C::MoveUp)); // first row
    f.rows.records[2].nKind = OrvoLinkNew;
    f.rows.selected = 2;
    EXPECT_TRUE(f.editor->IsEnabled(C::MoveUp));
    EXPECT_FALSE(f.editor->IsEnabled(C::MoveDown)); // last row
    // A disabled command reached by a key does nothing.
    f.rows.selected = -1;
    f.editor->Run(C::DeleteTag);
    EXPECT_EQ(f.rows.Count(), 3);
}

TEST(TagEditor, PlaceOrvoTagMarksAnchorAndRemembersNumber)
{
    Fixture f;
    f.PlaceOrvo(1, "100");
    ASSERT_EQ(f.rows.Count(), 4);
    EXPECT_EQ(f.rows.texts[1], FormatOrvoTag(100));
    EXPECT_EQ(f.rows.records[1].nKind, OrvoLinkNew);
    EXPECT_EQ(f.rows.records[1].recvOrvo.nBaseNumber, 100);
    EXPECT_EQ(f.rows.texts[2], Cp("В соответствии с\x01Законом\x02N 131-ФЗ области"));
    EXPECT_EQ(f.rows.selected, 1);
    EXPECT_EQ(f.doc->bModified, 1);
    EXPECT_EQ(f.doc->recentOrvo.Numbers().front(), 100);
    EXPECT_TRUE(f.ui.messages.empty()); // 2003 is before the document's date
    // The next picker offers the number first. An unknown number: the error, and the picker
    // stays open; Отмена then places nothing, a known number retyped places its tag.
    f.rows.selected = 0;
    f.AnswerOrvoNumber("999");
    f.ui.manualTagAnswers.push_back(std::nullopt);
    f.editor->Run(CTagEditor::Command::PlaceOrvoTag);
    EXPECT_EQ(f.ui.manualTagRecent.back().front(), 100);
    EXPECT_EQ(f.ui.MessageTexts(), std::vector<std::string> { "Документ \"999\" в базе не найден." });
    EXPECT_EQ(f.rows.Count(), 4);
    f.AnswerOrvoNumber("999");
    f.PlaceOrvo(0, "100");
    EXPECT_EQ(f.ui.manualTagQuestions.size(), 3u);
    EXPECT_EQ(f.ui.messages.size(), 2u);
    EXPECT_EQ(f.rows.Count(), 5);
    EXPECT_EQ(f.rows.texts[0], FormatOrvoTag(100));
    f.editor->Run(CTagEditor::Command::Undo);
    // Cancel in the picker: nothing at all.
    f.rows.selected = 0;
    f.ui.manualTagAnswers.push_back(std::nullopt);
    f.editor->Run(CTagEditor::Command::PlaceOrvoTag);
    EXPECT_EQ(f.rows.Count(), 4);
}

TEST(TagEditor, LaterAdoptionDateIsAskedAbout)
{
    Fixture f;
    f.ui.answers.push_back(AnswerNo);
    f.PlaceOrvo(1, "200");
    EXPECT_EQ(f.rows.Count(), 3);
    EXPECT_EQ(f.ui.MessageTexts().back(),
        "Документ Орво имеет более позднюю дату принятия чем обрабатываемый документ!\nПоставить тег?");
    EXPECT_FALSE(f.editor->HasUndo());
    f.ui.answers.push_back(AnswerYes);
    f.PlaceOrvo(1, "200");
    EXPECT_EQ(f.rows.Count(), 4);
    EXPECT_EQ(f.ui.messages.size(), 2u);

    // A document without a date asks nothing.
    Fixture undated;
    undated.doc->text.headerLines.clear();
    undated.doc->text.InvalidateDates();
    undated.PlaceOrvo(1, "200");
    EXPECT_EQ(undated.rows.Count(), 4);
    EXPECT_TRUE(undated.ui.messages.empty());
}

TEST(TagEditor, PlaceInnerTag)
{
    Fixture f;
    f.rows.selected = 1;
    ManualTagAnswer answer;
    answer.ok = true;
    answer.numberText = "7";
    answer.tag = FormatLocalTag(LinkKinds()[kNullLinkKind].code, 7, 0, false, false);
    f.ui.manualTagAnswers.push_back(answer);
    f.editor->Run(CTagEditor::Command::PlaceInnerTag);
    ASSERT_EQ(f.rows.Count(), 4);
    EXPECT_EQ(f.ui.manualTagQuestions.back(), "inner");
    EXPECT_EQ(f.rows.texts[1], answer.tag);
    EXPECT_EQ(f.rows.records[1].nKind, InnerLinkNew);
    EXPECT_EQ(f.rows.records[1].recvLocal.nBaseNumber, 7);
    EXPECT_EQ(f.doc->recentLocal.Numbers().front(), 7);
    EXPECT_TRUE(f.doc->recentOrvo.Numbers().empty());
    EXPECT_EQ(f.rows.texts[2], Cp("В соответствии с\x01Законом\x02N 131-ФЗ области"));
}

TEST(TagEditor, CutPasteMakesANewLinkAndUndoToggles)
{
    Fixture f;
    f.rows.Insert(1, FormatOrvoTag(100), CLineRecord());
    f.rows.records[1].nKind = OrvoLinkExisting;
    f.rows.records[1].recvOrvo.nBaseNumber = 100;

    f.rows.selected = 1;
    f.editor->Run(CTagEditor::Command::CutTag);
    EXPECT_EQ(f.rows.Count(), 3);
    EXPECT_EQ(f.rows.selected, -1);
    EXPECT_EQ(f.editor->GetClipboard().record.nKind, OrvoLinkNew);

    // Pasted twice: the clipboard survives.
    f.rows.selected = 2;
    f.editor->Run(CTagEditor::Command::PasteTag);
    f.rows.selected = 0;
    f.editor->Run(CTagEditor::Command::PasteTag);
    ASSERT_EQ(f.rows.Count(), 5);
    EXPECT_EQ(f.rows.texts[0], FormatOrvoTag(100));
    EXPECT_EQ(f.rows.records[0].nKind, OrvoLinkNew);
    EXPECT_EQ(f.rows.texts[3], FormatOrvoTag(100));
    const std::vector<std::string> afterPastes = f.rows.texts;

    // Undo brings back the state before the last paste, a redo the state after it.
    f.editor->Run(CTagEditor::Command::Undo);
    EXPECT_EQ(f.rows.Count(), 4);
    f.editor->Run(CTagEditor::Command::Redo);
    EXPECT_EQ(f.rows.texts, afterPastes);

    // A bookmark set after a change goes with the undo of that change.
    f.rows.records[4].bBookmark = 1;
    f.editor->Run(CTagEditor::Command::Undo);
    for (const CLineRecord& r : f.rows.records)
        EXPECT_EQ(r.bBookmark, 0);
    // Undo after the cut of the first tag: the cut line is back where it was.
    Fixture g;
    g.rows.Insert(1, FormatOrvoTag(100), CLineRecord());
    g.rows.records[1].nKind = OrvoLinkExisting;
    const std::vector<std::string> original = g.rows.texts;
    g.rows.selected = 1;
    g.editor->Run(CTagEditor::Command::CutTag);
    g.editor->Run(CTagEditor::Command::Undo);
    EXPECT_EQ(g.rows.texts, original);
    EXPECT_EQ(g.rows.records[1].nKind, OrvoLinkExisting);
}

TEST(TagEditor, CopyKeepsIntraBaseKindAndPasteAsksItsOwnBase)
{
    Fixture f;
    CLineRecord inner;
    inner.nKind = InnerLinkNew;
    inner.recvLocal.nBaseNumber = 7;
    inner.recvLocal.adoptionDates = { COleDate::FromText(2010, 1, 1) };
    f.rows.Insert(0, FormatLocalTag(LinkKinds()[kNullLinkKind].code, 7, 0, false, false), inner);
    f.rows.selected = 0;
    f.editor->Run(CTagEditor::Command::CopyTag);
    EXPECT_EQ(f.rows.Count(), 4);
    EXPECT_FALSE(f.editor->HasUndo()); // a copy changes nothing
    EXPECT_EQ(f.editor->GetClipboard().record.nKind, InnerLinkNew);
    f.ui.answers.push_back(AnswerNo);
    f.rows.selected = 2;
    f.editor->Run(CTagEditor::Command::PasteTag);
    EXPECT_EQ(f.rows.Count(), 4);
    EXPECT_EQ(f.ui.MessageTexts().back(),
        "Документ имеет более позднюю дату принятия чем обрабатываемый документ!\nПоставить тег?");
}

TEST(TagEditor, MoveKeepsBookmarkAndDeleteSelectsTheNextLine)
{
    Fixture f;
    f.PlaceOrvo(1, "100");
    f.rows.records[1].bBookmark = 1;
    f.rows.selected = 1;
    f.editor->Run(CTagEditor::Command::MoveUp);
    EXPECT_EQ(f.rows.texts[0], FormatOrvoTag(100));
    EXPECT_EQ(f.rows.records[0].bBookmark, 1);
    EXPECT_EQ(f.rows.selected, 0);
    f.editor->Run(CTagEditor::Command::MoveDown);
    EXPECT_EQ(f.rows.texts[1], FormatOrvoTag(100));
    EXPECT_EQ(f.rows.records[1].bBookmark, 1);
    f.editor->Run(CTagEditor::Command::DeleteTag);
    EXPECT_EQ(f.rows.Count(), 3);
    EXPECT_EQ(f.rows.selected, 1);
    // The anchor stays in the text line.
    EXPECT_EQ(f.rows.texts[1], Cp("В соответствии с\x01Законом\x02N 131-ФЗ области"));
}

TEST(TagEditor, HotAndSearchTags)
{
    Fixture f;
    f.rows.selected = 1;
    f.editor->InsertHotTag(4);
    EXPECT_EQ(f.ui.beeps, 1);
    EXPECT_EQ(f.ui.statusTexts,
        std::vector<std::string> { "Ctrl+4: \"горячий\" документ не задан (Словари → \"Горячие\" документы)" });
    EXPECT_EQ(f.rows.Count(), 3);
    f.doc->settings.hotDocuments[4] = 100;
    f.editor->InsertHotTag(4);
    ASSERT_EQ(f.rows.Count(), 4);
    EXPECT_EQ(f.rows.texts[1], FormatOrvoTag(100));
    EXPECT_TRUE(f.doc->recentOrvo.Numbers().empty()); // hot documents leave the recent numbers be

    // A number from the search that the base lacks still gets its tag, without requisites, and
    // with nothing selected it goes first.
    f.rows.selected = -1;
    f.editor->InsertOrvoTagByNumber(4242);
    EXPECT_EQ(f.rows.texts[0], FormatOrvoTag(4242));
    EXPECT_EQ(f.rows.records[0].nKind, OrvoLinkNew);
    EXPECT_EQ(f.rows.records[0].recvOrvo.nBaseNumber, -1);
    EXPECT_EQ(f.rows.selected, 0);
}

TEST(TagEditor, CommittedEditIsOneUndoStep)
{
    Fixture f;
    f.editor->CommitLineEdit(1, f.rows.texts[1]); // unchanged: nothing happens
    EXPECT_FALSE(f.editor->HasUndo());
    EXPECT_EQ(f.doc->bModified, 0);
    std::string edited = f.rows.texts[1];
    edited[1] = kAnchorEnd;
    f.editor->CommitLineEdit(1, edited);
    EXPECT_EQ(f.rows.texts[1], edited);
    EXPECT_EQ(f.doc->bModified, 1);
    f.editor->Run(CTagEditor::Command::Undo);
    EXPECT_EQ(f.rows.texts[1], Cp("В соответствии с Законом N 131-ФЗ области"));
}

TEST(TagEditor, ChooseRequisitesPlacesTheAcceptedCandidates)
{
    Fixture f;
    // Two local laws of the same body and day: both fit the requisites the person keeps.
    {
        CScriptedUi setupUi;
        const std::string both = Cp("$0  НОМЕР В БАЗЕ\n7\n$5  ВИД ДОКУМЕНТА\nЗАКОН\n$4  ПРИНЯВШИЙ ОРГАН\nДУМА\n"
                                    "$6  ДАТА ПРИНЯТИЯ\n12.05.1999\n$7  НОМЕР\n9-ОЗ\n$9  НАЗВАНИЕ ДОКУМЕНТА\nОб области\n$$\n"
                                    "$0  НОМЕР В БАЗЕ\n8\n$5  ВИД ДОКУМЕНТА\nЗАКОН\n$4  ПРИНЯВШИЙ ОРГАН\nДУМА\n"
                                    "$6  ДАТА ПРИНЯТИЯ\n12.05.1999\n$7  НОМЕР\n10-ОЗ\n$9  НАЗВАНИЕ ДОКУМЕНТА\nО гербе\n\n");
        ASSERT_TRUE(f.doc->innerMaker.documents.ImportListFile(setupUi, f.data.Write("both.lst", both), false));
    }
    CDocRecvisits& found = f.rows.records[1].recvFound;
    found.types = { Cp("ЗАКОН") };
    found.bodies = { Cp("ДУМА") };
    found.adoptionDates = { COleDate::FromText(1999, 5, 12) };
    f.ui.requisiteAnswers.push_back([](CDocRecvisits&, bool& local) {
        local = true;
        return true;
    });
    CDocRecvisits seven;
    CDocRecvisits eight;
    ASSERT_TRUE(f.doc->innerMaker.documents.FindByNumber(7, seven));
    ASSERT_TRUE(f.doc->innerMaker.documents.FindByNumber(8, eight));
    SelectDocumentsResult chosen;
    chosen.endCode = AnswerOk;
    chosen.chosen = { seven, eight };
    f.ui.selectAnswers.push_back(chosen);
    CScriptedUi::InnerTagChoice decline;
    decline.answer = AnswerNo;
    f.ui.innerTagAnswers.push_back(decline);
    f.ui.innerTagAnswers.push_back(CScriptedUi::InnerTagChoice());
    f.rows.selected = 1;
    f.rows.texts[2] = Cp("(от 12.05.1999 N 10-ОЗ)");
    f.editor->Run(CTagEditor::Command::ChooseRequisites);

    ASSERT_EQ(f.ui.selectQuestions.size(), 1u);
    // The dialog learns which candidate the lines cite by number and date together.
    const auto& agreements = f.ui.selectQuestions[0].agreements;
    ASSERT_EQ(agreements.size(), 2u);
    EXPECT_FALSE(agreements[0].citedTogether);
    EXPECT_TRUE(agreements[1].citedTogether);
    EXPECT_TRUE(agreements[0].type && agreements[0].body && agreements[0].date);
    ASSERT_EQ(f.ui.innerTagQuestions.size(), 2u);
    EXPECT_EQ(f.ui.innerTagQuestions[0].number, 7);
    EXPECT_EQ(f.ui.innerTagQuestions[1].number, 8);
    // The first declined: the second tag alone, with the anchor marked in its line.
    ASSERT_EQ(f.rows.Count(), 4);
    const auto tagRow = static_cast<std::size_t>(IsTagLine(f.rows.texts[1]) ? 1 : 2);
    EXPECT_EQ(f.rows.records[tagRow].nKind, InnerLinkNew);
    EXPECT_EQ(f.rows.records[tagRow].recvLocal.nBaseNumber, 8);
    EXPECT_EQ(f.rows.records[tagRow].recvOrvo.nBaseNumber, -1);
    EXPECT_EQ(f.rows.texts[3 - tagRow], Cp("В соответствии с\x01Законом\x02N 131-ФЗ области"));
    EXPECT_EQ(f.doc->bModified, 1);
    // One undo takes the whole re-analysis back.
    f.editor->Run(CTagEditor::Command::Undo);
    EXPECT_EQ(f.rows.Count(), 3);
    EXPECT_EQ(f.rows.texts[1], Cp("В соответствии с Законом N 131-ФЗ области"));
}

namespace {

// The rows in short: a line by its number among the fixture's three ("2'" once its text changed),
// a tag by its document ("<100>"), "!" after a bookmarked row.
std::string Shape(const CRows& rows, const std::vector<std::string>& original)
{
    std::string shape;
    for (int row = 0; row < rows.Count(); ++row) {
        const CLineRecord& r = rows.records[static_cast<std::size_t>(row)];
        if (!shape.empty())
            shape += ' ';
        if (IsTagKind(r.nKind)) {
            shape += '<' + std::to_string(r.recvOrvo.nBaseNumber) + '>';
        } else {
            std::size_t line = 0;
            while (line < original.size() && rows.Text(row).substr(0, 8) != original[line].substr(0, 8))
                ++line;
            shape += std::to_string(line + 1) + (rows.Text(row) == original[line] ? "" : "'");
        }
        if (r.bBookmark)
            shape += '!';
    }
    return shape;
}

struct Sequence {
    const char* title;
    // Each a command ("orvo R N", "find R N", "del R", "cut R", "paste R", "up R", "down R",
    // "edit R", "mark R", "undo", "redo") and the rows after it.
    std::vector<std::pair<std::string, std::string>> steps;
    std::string undoName; // what the next undo takes back at the end
};

} // namespace

TEST(TagEditor, UndoRedoSequences)
{
    const Sequence cases[] = {
        { "each undo takes the step before back, redo puts them again",
            { { "orvo 1 100", "1 <100> 2' 3" }, { "edit 0", "1' <100> 2' 3" }, { "down 1", "1' 2' <100> 3" },
                { "undo", "1' <100> 2' 3" }, { "undo", "1 <100> 2' 3" }, { "undo", "1 2 3" }, { "undo", "1 2 3" },
                { "redo", "1 <100> 2' 3" }, { "redo", "1' <100> 2' 3" }, { "redo", "1' 2' <100> 3" },
                { "redo", "1' 2' <100> 3" } },
            "перемещение тега вниз" },
        { "a new step drops the redo steps",
            { { "orvo 1 100", "1 <100> 2' 3" }, { "find 0 100", "<100> 1 <100> 2' 3" }, { "undo", "1 <100> 2' 3" },
                { "del 1", "1 2' 3" }, { "redo", "1 2' 3" }, { "undo", "1 <100> 2' 3" } },
            "вставку тега" },
        { "cut, paste and moves",
            { { "orvo 1 100", "1 <100> 2' 3" }, { "cut 1", "1 2' 3" }, { "paste 0", "<100> 1 2' 3" },
                { "up 1", "<100> 1 2' 3" }, { "down 0", "1 <100> 2' 3" }, { "undo", "<100> 1 2' 3" },
                { "undo", "1 2' 3" }, { "undo", "1 <100> 2' 3" }, { "redo", "1 2' 3" } },
            "вырезание тега" },
        { "bookmarks toggled after a step go with its undo and come again with its redo",
            { { "orvo 1 100", "1 <100> 2' 3" }, { "mark 3", "1 <100> 2' 3!" }, { "mark 0", "1! <100> 2' 3!" },
                { "undo", "1 2 3" }, { "mark 2", "1 2 3!" }, { "redo", "1! <100> 2' 3!" }, { "undo", "1 2 3" } },
            "" },
        { "bookmarks with nothing to undo stay",
            { { "mark 1", "1 2! 3" }, { "undo", "1 2! 3" }, { "del 1", "1 2! 3" } }, "" },
    };
    for (const Sequence& c : cases) {
        Fixture f;
        const std::vector<std::string> original = f.rows.texts;
        for (const auto& [command, expected] : c.steps) {
            std::istringstream words(command);
            std::string verb;
            int row = 0;
            int number = 0;
            words >> verb >> row >> number;
            using C = CTagEditor::Command;
            f.rows.selected = row;
            if (verb == "orvo")
                f.PlaceOrvo(row, std::to_string(number));
            else if (verb == "find")
                f.editor->InsertOrvoTagByNumber(number);
            else if (verb == "edit")
                f.editor->CommitLineEdit(row, f.rows.texts[static_cast<std::size_t>(row)] + "x");
            else if (verb == "mark")
                f.rows.records[static_cast<std::size_t>(row)].bBookmark ^= 1;
            else if (verb == "del" || verb == "cut" || verb == "paste" || verb == "up" || verb == "down")
                f.editor->Run(verb == "del" ? C::DeleteTag
                        : verb == "cut"     ? C::CutTag
                        : verb == "paste"   ? C::PasteTag
                        : verb == "up"      ? C::MoveUp
                                            : C::MoveDown);
            else
                f.editor->Run(verb == "undo" ? C::Undo : C::Redo);
            EXPECT_EQ(Shape(f.rows, original), expected) << c.title << ": after " << command;
        }
        EXPECT_EQ(f.editor->History().UndoName(), c.undoName) << c.title;
    }
}

TEST(TagEditor, TheFirstUndoIsTheOneLevelUndo)
{
    // Each command, then a bookmark toggled: one undo gives every row as before, records whole,
    // the bookmark dropped, the row selected when undoing still selected.
    using C = CTagEditor::Command;
    const struct {
        const char* name;
        int selected;
        std::function<void(Fixture&)> run;
    } commands[] = {
        { "вставку тега", 1, [](Fixture& f) { f.PlaceOrvo(1, "100"); } },
        { "удаление тега", 1, [](Fixture& f) { f.editor->Run(C::DeleteTag); } },
        { "вырезание тега", 1, [](Fixture& f) { f.editor->Run(C::CutTag); } },
        { "перемещение тега вниз", 1, [](Fixture& f) { f.editor->Run(C::MoveDown); } },
        { "перемещение тега вверх", 1, [](Fixture& f) { f.editor->Run(C::MoveUp); } },
        { "правку строки", 2, [](Fixture& f) { f.editor->CommitLineEdit(2, "changed"); } },
    };
    for (const auto& command : commands) {
        Fixture f;
        f.rows.Insert(1, FormatOrvoTag(100), CLineRecord());
        f.rows.records[1].nKind = OrvoLinkExisting;
        f.rows.records[1].recvOrvo.nBaseNumber = 100;
        f.rows.records[2].bBookmark = 1;
        const CRows before = f.rows;
        f.rows.selected = command.selected;
        command.run(f);
        ASSERT_NE(f.rows.texts, before.texts) << command.name;
        EXPECT_EQ(f.editor->History().UndoName(), command.name);
        f.rows.records.back().bBookmark ^= 1;
        f.rows.selected = 0;
        f.editor->Run(C::Undo);
        EXPECT_EQ(f.rows.texts, before.texts) << command.name;
        ASSERT_EQ(f.rows.records.size(), before.records.size()) << command.name;
        for (std::size_t k = 0; k < before.records.size(); ++k)
            EXPECT_TRUE(SameRecord(f.rows.records[k], before.records[k])) << command.name << ", row " << k;
        EXPECT_EQ(f.rows.selected, 0) << command.name;
        EXPECT_TRUE(f.doc->bModified) << command.name;
    }
}
