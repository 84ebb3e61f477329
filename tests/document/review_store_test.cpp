#include "document/review_store.h"

#include <gtest/gtest.h>

#include "base/codepage.h"
#include "core/dict_text.h"
#include "document/telvarion_doc.h"
#include "storage/atomic_file.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

std::string Rla(const std::vector<std::string>& lines)
{
    std::string out;
    for (const auto& l : lines)
        out += codepage::Cp1251ToCp866(codepage::Utf8ToCp1251(l)) + "\r\n";
    return out;
}

// Three laws the text cites by number and date, two of one number and date by different bodies, and
// three of one number and body it names without a date.
const char* const kLaws[][4] = { { "100", "131-ФЗ", "06.10.2003", "..." }, { "101", "45", "01.01.2001", "..." },
    { "102", "7", "02.02.2002", "..." }, { "103", "12", "03.03.2003", "ДУМА" }, { "104", "12", "03.03.2003", "СОВЕТ" },
    { "105", "12", "05.05.2005", "СОВЕТ" }, { "106", "12", "06.06.2006", "СОВЕТ" } };

const std::vector<std::string> kDocument = { "$1  Название", "Закон области", "$6  Дата принятия", "01.02.2010", "",
    "$18  Текст документа", "Статья 1", "В соответствии с Законом N 131-ФЗ от 06.10.2003 области", "Статья 2",
    "Согласно Закону N 45 от 01.01.2001 области", "Статья 3", "По Закону N 7 от 02.02.2002 области", "Статья 4",
    "Как велит Закон N 12 от 03.03.2003 области", "Статья 5", "Как велит Закон Совета N 12 области", "Статья 6" };

struct Fixture {
    CTempDir data;
    CTempDir work;
    CTempDir kept;
    CScriptedUi ui;
    std::unique_ptr<CTelvarionDoc> doc;

    Fixture()
    {
        CScriptedUi setupUi;
        COrvoRefMaker maker(setupUi);
        maker.LoadFiles(data.Utf8());
        maker.keywords.strings = ParseKeywordText("ЗАКОН");
        maker.types = ParseRecvDictText("ЗАКОН");
        maker.bodies = ParseRecvDictText("СОВЕТ");
        std::string list;
        for (const auto& law : kLaws)
            list += std::string("$0  НОМЕР В БАЗЕ\n") + law[0] + "\n$5  ВИД ДОКУМЕНТА\nЗАКОН\n$4  ПРИНЯВШИЙ ОРГАН\n"
                + law[3] + "\n$6  ДАТА ПРИНЯТИЯ\n" + law[2] + "\n$7  НОМЕР\n" + law[1]
                + "\n$9  НАЗВАНИЕ ДОКУМЕНТА\nО законе " + law[0] + "\n\n$$\n";
        EXPECT_TRUE(
            maker.documents.ImportListFile(setupUi, data.Write("orvo.lst", codepage::Utf8ToCp1251(list)), false));
        maker.SaveFiles(data.Utf8());
        ui.placesCertainLinksOnly = true;
        Restart();
    }
    void Restart()
    {
        doc.reset();
        doc = std::make_unique<CTelvarionDoc>(ui, data.Utf8());
        doc->LoadServiceData();
        doc->reviewFolder = kept.Utf8();
    }
    // Each row in text order: base, class, why, candidates, linked numbers, anchor changes; where
    // its line and tags stand, and the line's state last.
    std::vector<std::string> Rows() const
    {
        const std::vector<CReviewPlace> places = doc->review.Places(ui.viewRecords);
        std::vector<std::string> rows;
        for (std::size_t k : doc->review.Ordered(places, ReviewFilter::All)) {
            const CReviewRow& r = doc->review.Rows()[k];
            std::string row = std::to_string(r.local) + " " + LineClassKey(r.kind) + " " + LineWhyKey(r.why) + " "
                + std::to_string(r.candidateCount) + " " + std::to_string(r.anchorChanges.size()) + " "
                + std::to_string(places[k].line) + " " + std::to_string(places[k].firstTag) + " "
                + std::to_string(places[k].tags) + " ";
            for (const auto& d : r.linked)
                row += std::to_string(d.nBaseNumber) + " ";
            rows.push_back(row + std::to_string(places[k].state));
        }
        return rows;
    }
};

} // namespace

// Accepted, rejected, unreviewed and open rows saved come back with the same bytes of the same
// file, and only then: the file changed by one byte, the same bytes under another name and a
// damaged review give the analysis anew.
TEST(ReviewStore, SavedReviewComesBackForTheSameBytesOnly)
{
    Fixture f;
    const std::string path = f.work.Write("law.rla", Rla(kDocument));
    ASSERT_TRUE(f.doc->OpenFile(path, false));
    std::vector<CReviewPlace> places = f.doc->review.Places(f.ui.viewRecords);
    const std::vector<std::size_t> order = f.doc->review.Ordered(places, ReviewFilter::All);
    ASSERT_EQ(order.size(), 5u);
    ASSERT_EQ(f.doc->review.Rows()[order[4]].kind, LineClass::Open);
    // The first link accepted, the second rejected (its tag taken back), the others left alone.
    f.ui.viewRecords[places[order[0]].line].ReviewState(false) = ReviewAccepted;
    const CReviewRow& rejected = f.doc->review.Rows()[order[1]];
    EXPECT_EQ(
        CRefMaker::TakeBackReviewRow(f.ui.viewTexts, f.ui.viewRecords, false, rejected.id, rejected.anchorChanges), 1u);
    places = f.doc->review.Places(f.ui.viewRecords);
    f.ui.viewRecords[places[order[1]].line].ReviewState(false) = ReviewRejected;
    const std::vector<std::string> saved = f.Rows();
    const char states[] = { ReviewAccepted, ReviewRejected, ReviewUnreviewed, ReviewUnreviewed, ReviewOpen };
    for (std::size_t k = 0; k < 5; ++k)
        EXPECT_EQ(saved[k].back(), '0' + states[k]) << saved[k];
    f.doc->OnFileSave();
    const std::string bytes = CTempDir::Read(path);
    const std::vector<std::string> savedTexts = f.ui.viewTexts;

    f.Restart();
    ASSERT_TRUE(f.doc->OpenFile(path, false));
    EXPECT_EQ(f.Rows(), saved);
    EXPECT_EQ(f.ui.viewTexts, savedTexts); // nothing placed again, the rejected line left alone
    EXPECT_EQ(f.doc->orvoMaker.nPlacedTags, 0);

    std::string changed = bytes;
    changed[changed.size() - 3] ^= 1;
    std::string damaged = CTempDir::Read(review_store::FileFor(f.kept.Utf8(), path));
    damaged.resize(damaged.size() - 5);
    const struct {
        const char* what;
        std::string file;
        std::string bytes;
        std::string review; // the kept review's bytes put in place first; empty: as it is
    } cases[] = {
        { "one byte changed", "law.rla", changed, "" },
        { "another document", "other.rla", bytes, "" },
        { "damaged review", "law.rla", bytes, damaged },
    };
    for (const auto& c : cases) {
        f.Restart();
        const std::string file = f.work.Write(c.file, c.bytes);
        if (!c.review.empty())
            CAtomicFile::WriteWhole(review_store::FileFor(f.kept.Utf8(), file), c.review);
        ASSERT_TRUE(f.doc->OpenFile(file, false)) << c.what;
        const std::vector<std::string> rows = f.Rows();
        // Anew: the lines whose tags were saved have them already; the rejected one is linked again.
        EXPECT_EQ(rows.size(), 2u) << c.what;
        for (const auto& row : rows)
            EXPECT_TRUE(row.back() == '0' + ReviewUnreviewed || row.back() == '0' + ReviewOpen)
                << c.what << ": " << row;
    }
    // Saved with no row, the document forgets its review; nothing was ever written beside it.
    ASSERT_TRUE(std::filesystem::exists(Fs(review_store::FileFor(f.kept.Utf8(), path))));
    f.doc->review.Clear();
    f.doc->OnFileSave();
    EXPECT_FALSE(std::filesystem::exists(Fs(review_store::FileFor(f.kept.Utf8(), path))));
    EXPECT_EQ(CTempDir::Files(f.work.Path()).size(), 2u); // law.rla, other.rla
}

// A reader of foreign bytes: every cut of a sound file, and every byte of it changed, gives no
// review or one that restores only rows that fit the text; nothing crashes.
TEST(ReviewStore, DistrustsItsFile)
{
    review_store::CKeptRow row { {}, ReviewAccepted, 2, { 1 }, { 100 } };
    row.row.why = LineWhy::CitedTogether;
    row.row.anchorChanges.push_back({ 0, 3, ' ' });
    const review_store::CKeptReview kept { "/d/law.rla", 0x1234567890ABCDEFull, 4, { row, row } };
    const std::string bytes = review_store::Serialize(kept);
    ASSERT_TRUE(review_store::Parse(bytes));
    EXPECT_EQ(review_store::Parse(bytes)->rows.at(0).linked, row.linked);
    const std::vector<std::string> texts = { "a", "b", "c", "d" }; // no tag line: the row does not fit
    for (std::size_t cut = 0; cut < bytes.size(); ++cut)
        EXPECT_FALSE(review_store::Parse(bytes.substr(0, cut))) << cut;
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        std::string changed = bytes;
        changed[at] = static_cast<char>(changed[at] ^ 0xA5);
        if (const auto parsed = review_store::Parse(changed)) {
            std::vector<CLineRecord> records(texts.size());
            CReview review;
            EXPECT_EQ(review_store::Restore(*parsed, texts, records, review, {}), 0u) << at;
        }
    }
}
