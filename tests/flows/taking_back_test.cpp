// The second pass takes a line's tags back ("Нет", "Отмена") from a snapshot: of the whole text
// when the confirmation may change any row, of the lines around the line when it only sets
// bookmarks. On generated texts with random answers and bookmarks both must end in the same lines,
// records, counts and questions.

#include <gtest/gtest.h>

#include <random>

#include "base/codepage.h"
#include "core/tag_line.h"
#include "local/inner_ref_maker.h"
#include "orvo/orvo_ref_maker.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_dir.h"

namespace {

std::string Cp(const char* utf8) { return codepage::Utf8ToCp1251(utf8); }

// Answers from a generator: which candidates, which tag parameters, whether the tags stay, and
// bookmarks set while the confirmation is open. Everything asked is logged.
class CRandomUi : public CScriptedUi {
public:
    std::vector<std::string> log;
    void Reseed(std::uint32_t seed)
    {
        m_rng.seed(seed);
        log.clear();
    }

    SelectDocumentsResult SelectDocuments(const SelectDocumentsRequest& request) override
    {
        log.push_back("select " + std::to_string(request.candidates.size()));
        SelectDocumentsResult result;
        result.endCode = Int(0, 30) == 0 ? AnswerCancel : AnswerOk;
        for (const CDocRecvisits& candidate : request.candidates)
            if (Int(0, 2) == 0)
                result.chosen.push_back(candidate);
        return result;
    }
    InnerTagAnswer AskInnerTagParameters(const InnerTagRequest& request) override
    {
        log.push_back("tag " + std::to_string(request.number));
        InnerTagAnswer answer;
        const int roll = Int(0, 20);
        answer.answer = roll == 0 ? AnswerCancel : roll < 4 ? AnswerNo : AnswerYes;
        answer.tag = FormatLocalTag(LinkKinds()[kNullLinkKind].code, request.number, 0, false, false);
        return answer;
    }
    int AskTagCandidates(const std::vector<CDocRecvisits>& linked, std::vector<std::string>& texts,
        std::vector<CLineRecord>& records, std::size_t row) override
    {
        log.push_back("confirm " + std::to_string(linked.size()) + " at " + std::to_string(row));
        // The person sets a bookmark or two, near the line or anywhere above it (an interface
        // that keeps the rows may be handed the rows only up to a few past the line).
        for (int n = Int(0, 2); n > 0 && row < records.size(); --n) {
            const int near = static_cast<int>(row) + Int(-12, 12);
            const std::size_t at = Int(0, 1) == 0 && near >= 0 && near < static_cast<int>(records.size())
                ? static_cast<std::size_t>(near)
                : static_cast<std::size_t>(Int(0, static_cast<int>(row)));
            records[at].bBookmark = 1;
        }
        if (texts.size() != records.size())
            ADD_FAILURE() << "lines and records out of step at a confirmation";
        const int roll = Int(0, 40);
        return roll == 0 ? AnswerCancel : roll < 20 ? AnswerNo : AnswerYes;
    }

private:
    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }
    std::mt19937 m_rng;
};

// Documents of one base: laws, decrees and resolutions sharing numbers and dates, so that lines
// find one candidate or several.
std::string ListText()
{
    const char* const types[] = { "закон", "указ", "постановление" };
    const char* const bodies[] = { "госдума", "президент", "правительство" };
    const char* const dates[] = { "01.02.2001", "02.02.2002", "03.03.2003" };
    std::string list;
    for (int k = 0; k < 12; ++k) {
        if (k)
            list += "$$\n";
        list += "$0  НОМЕР В БАЗЕ\n" + std::to_string(100 + k) + "\n";
        list += std::string("$5  ВИД ДОКУМЕНТА\n") + types[k % 3] + "\n";
        list += std::string("$4  ПРИНЯВШИЙ ОРГАН\n") + bodies[k % 3] + "\n";
        list += std::string("$6  ДАТА ПРИНЯТИЯ\n") + dates[(k / 3) % 3] + "\n";
        list += "$7  НОМЕР\n" + std::to_string(1 + k % 5) + "\n";
        list += "$9  НАЗВАНИЕ ДОКУМЕНТА\nдокумент " + std::to_string(k) + "\n\n";
    }
    return Cp(list.c_str());
}

template <typename Maker>
void Fill(Maker& maker, CScriptedUi& ui, const CTempDir& dir, const std::string& titles)
{
    maker.types.records.emplace_back(Cp("ЗАКОН"), std::vector<std::string> { Cp("ФЕДЕРАЛЬНЫЙ ЗАКОН") });
    maker.types.records.emplace_back(Cp("УКАЗ"), std::vector<std::string> {});
    maker.types.records.emplace_back(Cp("ПОСТАНОВЛЕНИЕ"), std::vector<std::string> {});
    maker.bodies.records.emplace_back(Cp("ГОСДУМА"), std::vector<std::string> { Cp("ГОСУДАРСТВЕННАЯ ДУМА") });
    maker.bodies.records.emplace_back(Cp("ПРЕЗИДЕНТ"), std::vector<std::string> { Cp("ПРЕЗИДЕНТ РФ") });
    maker.bodies.records.emplace_back(Cp("ПРАВИТЕЛЬСТВО"), std::vector<std::string> { Cp("ПРАВИТЕЛЬСТВО РФ") });
    ASSERT_TRUE(maker.documents.OpenOrCreateTextFile(dir.File(titles)));
    ASSERT_TRUE(maker.documents.ImportListFile(ui, dir.Write(titles + ".lst", ListText()), false));
}

// Lines that cite one document, several, or none; tags already in the text; plain lines.
std::vector<std::string> GeneratedText(std::mt19937& rng)
{
    const char* const pieces[] = {
        "согласно Указу Президента РФ от 02.02.2002 N 2",
        "Федеральным законом от 01.02.2001 N 1",
        "постановлением Правительства РФ от 03.03.2003 N 3",
        "в силу Указа",
        "Закон и Указ от 02.02.2002",
        "Постановление N 4",
        "текст без ссылок",
        "",
        "по указанию руководителя", // where a decree's anchor can go, in a line no pass suspects
        "",
    };
    std::vector<std::string> texts;
    const int lines = std::uniform_int_distribution<int>(1, 90)(rng);
    for (int i = 0; i < lines; ++i) {
        const int roll = std::uniform_int_distribution<int>(0, 11)(rng);
        if (roll == 10)
            texts.push_back(FormatOrvoTag(100 + roll));
        else if (roll == 11)
            texts.push_back(FormatLocalTag(LinkKinds()[kNullLinkKind].code, 105, 0, false, false));
        else
            texts.push_back(Cp(pieces[roll]));
    }
    return texts;
}

bool SameRecord(const CLineRecord& a, const CLineRecord& b)
{
    return a.nKind == b.nKind && a.bBookmark == b.bBookmark && a.recvOrvo.Equals(b.recvOrvo)
        && a.recvLocal.Equals(b.recvLocal) && a.recvFound.Equals(b.recvFound) && a.bSuspectOrvo == b.bSuspectOrvo
        && a.bSuspectLocal == b.bSuspectLocal;
}

struct Outcome {
    std::vector<std::string> texts;
    std::vector<CLineRecord> records;
    std::vector<std::string> log;
    std::int32_t orvoPlaced = 0;
    std::int32_t localPlaced = 0;
};

} // namespace

TEST(TakingTagsBack, LinesAroundTheLineServeAsWellAsAWholeCopy)
{
    // One interface and one pair of makers for each way of taking tags back.
    struct Run {
        CRandomUi ui;
        COrvoRefMaker orvo { ui };
        CInnerRefMaker local { ui };
        Outcome out;
    };
    CTempDir dir;
    Run runs[2];
    for (int r = 0; r < 2; ++r) {
        runs[r].ui.keepsRowsWhileConfirming = r == 1;
        runs[r].orvo.keywords.strings = { Cp("ЗАКОН"), Cp("УКАЗ"), Cp("ПОСТАНОВЛЕНИЕ") };
        Fill(runs[r].orvo, runs[r].ui, dir, "orvo" + std::to_string(r) + ".ttl");
        Fill(runs[r].local, runs[r].ui, dir, "local" + std::to_string(r) + ".tlc");
        if (HasFatalFailure())
            return;
    }
    const COleDate effective = COleDate::FromText(2004, 1, 1);

    int confirmations = 0;
    std::mt19937 rng(20261208);
    for (int trial = 0; trial < 300; ++trial) {
        const std::vector<std::string> text = GeneratedText(rng);
        const std::uint32_t seed = static_cast<std::uint32_t>(rng());
        for (Run& run : runs) {
            run.ui.Reseed(seed);
            Outcome& out = run.out;
            out.texts = text;
            out.records.assign(text.size(), CLineRecord());
            for (CRefMaker* maker : { static_cast<CRefMaker*>(&run.orvo), static_cast<CRefMaker*>(&run.local) }) {
                maker->ResetCounters(true);
                maker->ScanLines(out.texts, out.records);
                maker->AnalyseLines(out.texts, out.records, effective);
            }
            out.log = run.ui.log;
            out.orvoPlaced = run.orvo.nPlacedTags;
            out.localPlaced = run.local.nPlacedTags;
        }
        const Outcome& whole = runs[0].out;
        const Outcome& near = runs[1].out;
        ASSERT_EQ(near.log, whole.log) << "trial " << trial;
        ASSERT_EQ(near.texts, whole.texts) << "trial " << trial;
        ASSERT_EQ(near.records.size(), whole.records.size()) << "trial " << trial;
        for (std::size_t k = 0; k < near.records.size(); ++k)
            ASSERT_TRUE(SameRecord(near.records[k], whole.records[k])) << "trial " << trial << ", row " << k;
        EXPECT_EQ(near.orvoPlaced, whole.orvoPlaced) << "trial " << trial;
        EXPECT_EQ(near.localPlaced, whole.localPlaced) << "trial " << trial;
        for (const std::string& question : whole.log)
            confirmations += question.rfind("confirm ", 0) == 0;
    }
    // The generated texts must have led to confirmations, or nothing was compared.
    EXPECT_GT(confirmations, 300);
}

TEST(TakingTagsBack, BookmarksFollowTheirLinesUnlessThePersonChangedRows)
{
    // One tag for the decree's line; during the confirmation the person sets bookmarks, in the
    // second run after adding a row of their own. "Нет" gives the lines back either way.
    const std::vector<std::string> text = { Cp("первая"), "", Cp("согласно Указу Президента РФ от 02.02.2002 N 5"),
        Cp("последняя") };
    for (const bool addRow : { false, true }) {
        SCOPED_TRACE(addRow ? "a row added" : "only bookmarks");
        CTempDir dir;
        CScriptedUi ui;
        COrvoRefMaker orvo(ui);
        orvo.keywords.strings = { Cp("УКАЗ") };
        Fill(orvo, ui, dir, "orvo.ttl");
        ASSERT_FALSE(HasFatalFailure());
        ui.confirmAnswers = { AnswerNo };
        ui.duringConfirm = [addRow](std::vector<std::string>& texts, std::vector<CLineRecord>& records) {
            ASSERT_EQ(texts.size(), 5u);
            ASSERT_TRUE(IsOrvoTagLine(texts[2]));
            if (addRow) {
                texts.insert(texts.begin(), "new");
                records.insert(records.begin(), CLineRecord());
            }
            if (addRow) {
                records[1].bBookmark = 1; // "первая"
                records[4].bBookmark = 1; // the decree's line
            } else {
                records[3].bBookmark = 1; // the decree's line
                records[4].bBookmark = 1; // the last line
            }
        };
        std::vector<std::string> texts = text;
        std::vector<CLineRecord> records(texts.size());
        orvo.ScanLines(texts, records);
        orvo.AnalyseLines(texts, records, COleDate::FromText(2004, 1, 1));
        ASSERT_EQ(ui.confirmQuestions.size(), 1u);
        EXPECT_EQ(texts, text);
        ASSERT_EQ(records.size(), 4u);
        EXPECT_EQ(orvo.nPlacedTags, 0);
        std::vector<int> bookmarks;
        for (const CLineRecord& record : records)
            bookmarks.push_back(record.bBookmark);
        // On their lines; with rows changed, row by row as far as both lists reach.
        EXPECT_EQ(bookmarks, addRow ? (std::vector<int> { 0, 1, 0, 0 }) : (std::vector<int> { 0, 0, 1, 1 }));
    }
}
