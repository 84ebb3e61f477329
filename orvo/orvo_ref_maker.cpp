#include "orvo/orvo_ref_maker.h"

#include "base/codepage.h"
#include "base/phrase_match.h"
#include "core/rla_text.h"
#include "core/tag_line.h"
#include "seam/user_interface.h"

namespace {

const CRefMaker::ServiceFiles kFiles = {
    kOrvoDictionariesFile,
    kOrvoDocumentsFile,
    kOrvoTitlesFile,
    "Ошибка создания службного файла Telvarion.ttl!",
    "Ошибка сохранения реквизитов документов Орво!",
};

} // namespace

COrvoRefMaker::COrvoRefMaker(CUserInterface& ui)
    : CRefMaker(ui, kFiles)
    , m_own(std::make_unique<COrvoDictionaries>())
    , keywords(m_own->keywords)
    , documents(m_own->documents)
    , types(m_own->types)
    , bodies(m_own->bodies)
{
    documents.SetUserInterface(&ui);
}

COrvoRefMaker::COrvoRefMaker(CUserInterface& ui, COrvoRefMaker& shared)
    : CRefMaker(ui, kFiles)
    , keywords(shared.keywords)
    , documents(shared.documents)
    , types(shared.types)
    , bodies(shared.bodies)
{
    bModified = 0;
}

void COrvoRefMaker::SerializeDictionaries(CArchive& ar)
{
    keywords.Serialize(ar);
    types.Serialize(ar);
    bodies.Serialize(ar);
}

bool COrvoRefMaker::EditKeywords()
{
    const bool changed = keywords.Edit(m_ui, "Словарь ключевых слов", "Слова");
    if (changed)
        MarkDictionariesModified();
    return changed;
}

const CRefMaker::Traits& COrvoRefMaker::GetTraits() const
{
    static const Traits kTraits { OrvoLinkNew, &CLineRecord::recvOrvo, false, true, &CLineRecord::bSuspectOrvo,
        OrvoLinkExisting };
    return kTraits;
}

void COrvoRefMaker::ScanLines(const std::vector<std::string>& texts, std::vector<CLineRecord>& records)
{
    CBytePairs pairs;
    bool inBlock = false;
    for (std::size_t i = 0; i < texts.size() && i < records.size(); ++i) {
        const std::string& line = texts[i];
        if (inBlock) {
            if (!CRlaText::IsBlockEnd(line))
                continue;
            inBlock = false; // the closing marker line itself is examined
        } else if (CRlaText::IsBlockStart(line)) {
            inBlock = true;
            continue;
        }
        CLineRecord fresh;
        const std::string upper = codepage::ToUpper1251(line);
        pairs.Reset(upper);
        for (const auto& keyword : keywords.strings) {
            if (!keyword.empty() && pairs.MayContain(keyword) && upper.find(keyword) != std::string::npos) {
                fresh.nKind = Suspicious;
                fresh.bSuspectOrvo = 1;
                ++nSuspiciousLines;
                break;
            }
        }
        if (fresh.nKind == Plain && IsOrvoTagLine(line)) {
            fresh.nKind = OrvoLinkExisting;
            documents.FindByBaseNumber(ParseTagNumber(line), fresh.recvOrvo);
            ++nExistingTags;
        }
        MergeRecord(fresh, records[i]);
        YieldToUi(m_ui);
    }
}

bool COrvoRefMaker::PrecedingTag(const std::vector<std::string>& texts, const std::vector<CLineRecord>& records,
    std::size_t start, std::size_t i, std::int32_t& number) const
{
    // An inter-base tag in one of the two lines above.
    for (std::size_t back : { std::size_t { 2 }, std::size_t { 1 } }) {
        if (i < back || i - back < start)
            continue;
        const std::int32_t kind = records[i - back].nKind;
        if (kind == OrvoLinkExisting || kind == OrvoLinkNew) {
            number = ParseTagNumber(texts[i - back]);
            return true;
        }
    }
    return false;
}

void COrvoRefMaker::PlaceTags(
    CLinePlacement& p, const std::vector<CDocRecvisits>& candidates, std::size_t start, const COleDate& effective)
{
    std::vector<CLineRecord>& records = p.records;
    const std::size_t i = p.line;
    if (candidates.size() == 1) {
        // Placed without asking, unless a tag above already links the line.
        if (!p.preceding && !p.Stands(candidates.front().nBaseNumber)) {
            p.TakeSnapshot();
            records[i].recvOrvo = candidates.front();
            PlaceTag(p, FormatOrvoTag(candidates.front().nBaseNumber), records[i], candidates.front());
        }
        return;
    }
    // A line that names the same requisites as one tagged earlier gets the same document.
    for (std::size_t k = i; k-- > start;) {
        if (records[k].nKind == OrvoLinkNew && records[k].recvFound.Equals(records[i].recvFound)) {
            const CLineRecord earlier = records[k];
            p.TakeSnapshot();
            records[i] = earlier;
            records[i].nKind = Suspicious;
            records[i].bSuspectOrvo = 1;
            PlaceTag(p, FormatOrvoTag(earlier.recvOrvo.nBaseNumber), earlier, earlier.recvOrvo);
            return;
        }
    }
    CLineRecord tagTemplate = records[i];
    const SelectDocumentsResult answer = m_ui.SelectDocuments(CandidatesRequest(p, candidates, start, effective));
    if (answer.endCode != AnswerOk) {
        p.endPass = true;
        return;
    }
    for (const auto& doc : ChosenDocuments(p, answer)) {
        if (p.preceding && p.precedingNumber == doc.nBaseNumber)
            continue;
        PlaceTag(p, FormatOrvoTag(doc.nBaseNumber), tagTemplate, doc);
    }
}

std::string COrvoRefMaker::CertainTag(const CDocRecvisits& doc) const { return FormatOrvoTag(doc.nBaseNumber); }
