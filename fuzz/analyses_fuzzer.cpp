// Both analyses over arbitrary lines with a small dictionary of each base: the first pass, the
// second pass with every dialog answered (the first candidate taken, confirmations kept, undone
// and cancelled in turn), and the recognition of every line against the dictionaries.

#include "base/codepage.h"
#include "base/phrase_match.h"
#include "fuzz/fuzz_support.h"
#include "local/inner_ref_maker.h"
#include "orvo/orvo_ref_maker.h"

namespace {

const char* const kList
    = "$0  НОМЕР В БАЗЕ\n45\n03.03.2003\n$5  ВИД ДОКУМЕНТА\nзакон\n$4  ПРИНЯВШИЙ ОРГАН\nгосдума\n"
      "$6  ДАТА ПРИНЯТИЯ\n01.02.2001\n$7  НОМЕР\n5-фз\n$9  НАЗВАНИЕ ДОКУМЕНТА\nо чём-то\n\n$$\n"
      "$0  НОМЕР В БАЗЕ\n46\n$5  ВИД ДОКУМЕНТА\nуказ\n$4  ПРИНЯВШИЙ ОРГАН\nпрезидент\n"
      "$6  ДАТА ПРИНЯТИЯ\n02.02.2002\n$7  НОМЕР\n7\n$9  НАЗВАНИЕ ДОКУМЕНТА\nвторой\n\n$$\n"
      "$0  НОМЕР В БАЗЕ\n47\n$5  ВИД ДОКУМЕНТА\nуказ\n$4  ПРИНЯВШИЙ ОРГАН\nпрезидент\n"
      "$6  ДАТА ПРИНЯТИЯ\n02.02.2002\n$7  НОМЕР\n7\n$9  НАЗВАНИЕ ДОКУМЕНТА\nтретий\n\n";

std::string Cp(const char* utf8) { return codepage::Utf8ToCp1251(utf8); }

template <typename Maker>
void Fill(Maker& maker, CFuzzUi& ui, const char* titles)
{
    maker.types.records.emplace_back(Cp("ЗАКОН"), std::vector<std::string> { Cp("ФЕДЕРАЛЬНЫЙ ЗАКОН") });
    maker.types.records.emplace_back(Cp("УКАЗ"), std::vector<std::string> {});
    maker.bodies.records.emplace_back(Cp("ГОСДУМА"), std::vector<std::string> { Cp("ГОСУДАРСТВЕННАЯ ДУМА") });
    maker.bodies.records.emplace_back(Cp("ПРЕЗИДЕНТ"), std::vector<std::string> { Cp("ПРЕЗИДЕНТ РФ") });
    maker.documents.OpenOrCreateTextFile(fuzz::ScratchFolder() + "/" + titles);
    const std::string list = fuzz::WriteScratch("analyses.lst", Cp(kList));
    if (!maker.documents.ImportListFile(ui, list, false))
        fuzz::Fail("the dictionary of the analyses did not import");
}

struct Bases {
    CFuzzUi ui;
    COrvoRefMaker orvo { ui };
    CInnerRefMaker local { ui };
    CPhraseSet orvoTypes, orvoBodies, localTypes, localBodies;
    Bases()
    {
        orvo.keywords.strings = { Cp("ЗАКОН"), Cp("УКАЗ"), Cp("ПОСТАНОВЛЕНИЕ") };
        Fill(orvo, ui, "orvo.ttl");
        Fill(local, ui, "local.tlc");
        orvoTypes = BuildPhrases(orvo.types);
        orvoBodies = BuildPhrases(orvo.bodies);
        localTypes = BuildPhrases(local.types);
        localBodies = BuildPhrases(local.bodies);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Bases bases;
    std::vector<std::string> texts;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    for (std::size_t pos = 0; pos <= input.size() && texts.size() < 400;) {
        const std::size_t lf = std::min(input.find('\n', pos), input.size());
        texts.emplace_back(input.substr(pos, lf - pos));
        pos = lf + 1;
    }
    const COleDate effective = COleDate::FromText(2003, 3, 3);

    std::vector<CDocRecvisits> candidates;
    for (std::size_t i = 0; i < texts.size() && i < 40; ++i) {
        CLineRecord record;
        bases.orvo.FindCandidates(texts[i], bases.orvoTypes, bases.orvoBodies, effective, candidates, record);
        bases.local.FindCandidates(texts[i], bases.localTypes, bases.localBodies, effective, candidates, record);
    }

    // The second pass keeps either the whole text or only the lines around each suspicious line
    // for taking tags back; both must come to the same lines.
    std::vector<CLineRecord> records(texts.size());
    for (CRefMaker* maker : { static_cast<CRefMaker*>(&bases.orvo), static_cast<CRefMaker*>(&bases.local) }) {
        maker->ResetCounters(true);
        maker->ScanLines(texts, records);
        fuzz::Check(texts.size() == records.size(), "the first pass put lines and records out of step");
        std::vector<std::string> wholeTexts = texts;
        std::vector<CLineRecord> wholeRecords = records;
        const int turn = bases.ui.confirmTurn;
        const std::int32_t placedBefore = maker->nPlacedTags;
        bases.ui.keepsRows = false;
        maker->AnalyseLines(wholeTexts, wholeRecords, effective);
        const std::int32_t wholePlaced = maker->nPlacedTags;
        maker->nPlacedTags = placedBefore;
        bases.ui.confirmTurn = turn;
        bases.ui.keepsRows = true;
        maker->AnalyseLines(texts, records, effective);
        fuzz::Check(texts.size() == records.size(), "the second pass put lines and records out of step");
        fuzz::Check(maker->nPlacedTags >= 0 && maker->nExistingTags >= 0, "a negative count of tags");
        fuzz::Check(texts == wholeTexts && maker->nPlacedTags == wholePlaced,
            "taking tags back from the lines around a line differs from taking them back from a whole copy");
        for (std::size_t k = 0; k < records.size(); ++k)
            fuzz::Check(records[k].nKind == wholeRecords[k].nKind && records[k].bBookmark == wholeRecords[k].bBookmark
                    && records[k].recvOrvo.Equals(wholeRecords[k].recvOrvo)
                    && records[k].recvLocal.Equals(wholeRecords[k].recvLocal)
                    && records[k].recvFound.Equals(wholeRecords[k].recvFound)
                    && records[k].bSuspectOrvo == wholeRecords[k].bSuspectOrvo
                    && records[k].bSuspectLocal == wholeRecords[k].bSuspectLocal,
                "a line record differs between the two ways of taking tags back");
    }
    return 0;
}
