#include "local/inner_ref_maker.h"

#include "base/codepage.h"
#include "core/rla_text.h"
#include "core/tag_line.h"
#include "seam/user_interface.h"

namespace {

const CRefMaker::ServiceFiles kFiles = {
    kLocalDictionariesFile,
    kLocalDocumentsFile,
    kLocalNamesFile,
    "Ошибка создания служебного файла Telvarion.tlc!",
    "Ошибка сохранения реквизитов документов локальной базы!",
};

// The months in the genitive, as dates are written in running text.
constexpr std::string_view kMonths[] = { "ЯНВАРЯ"_cp, "ФЕВРАЛЯ"_cp, "МАРТА"_cp, "АПРЕЛЯ"_cp, "МАЯ"_cp, "ИЮНЯ"_cp,
    "ИЮЛЯ"_cp, "АВГУСТА"_cp, "СЕНТЯБРЯ"_cp, "ОКТЯБРЯ"_cp, "НОЯБРЯ"_cp, "ДЕКАБРЯ"_cp };

bool LooksLikeReference(const std::string& line)
{
    if (line.find('"') != std::string::npos || line.find(" N ") != std::string::npos || line.starts_with("N "))
        return true;
    const std::size_t n = line.find(" N");
    return n != std::string::npos && n + 2 == line.size();
}

bool NamesMonthOrType(const std::string& upper, const CPhraseSet& typePhrases, CBytePairs& pairs)
{
    pairs.Reset(upper);
    for (auto month : kMonths)
        if (pairs.MayContain(month) && upper.find(month) != std::string::npos)
            return true;
    for (const auto& phrase : typePhrases) {
        if (!pairs.MayContain(phrase.stems.front()))
            continue;
        const std::size_t p = upper.find(phrase.stems.front());
        // A type word right after an anchor start is already linked.
        if (p != std::string::npos && (p == 0 || upper[p - 1] != '\x01'))
            return true;
    }
    return false;
}

} // namespace

CInnerRefMaker::CInnerRefMaker(CUserInterface& ui)
    : CRefMaker(ui, kFiles)
    , m_own(std::make_unique<CInnerDictionaries>())
    , documents(m_own->documents)
    , types(m_own->types)
    , bodies(m_own->bodies)
{
    documents.SetUserInterface(&ui);
}

CInnerRefMaker::CInnerRefMaker(CUserInterface& ui, CInnerRefMaker& shared)
    : CRefMaker(ui, kFiles)
    , documents(shared.documents)
    , types(shared.types)
    , bodies(shared.bodies)
{
    bModified = 0;
}

void CInnerRefMaker::SerializeDictionaries(CArchive& ar)
{
    types.Serialize(ar);
    bodies.Serialize(ar);
}

const CRefMaker::Traits& CInnerRefMaker::GetTraits() const
{
    static const Traits kTraits { InnerLinkNew, &CLineRecord::recvLocal, true, false, &CLineRecord::bSuspectLocal,
        InnerLinkExisting };
    return kTraits;
}

void CInnerRefMaker::ScanLines(const std::vector<std::string>& texts, std::vector<CLineRecord>& records)
{
    const CPhraseSet typePhrases = BuildPhrases(types);
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
        CLineRecord& record = records[i];
        if (IsLocalTagLine(line)) {
            record.nKind = InnerLinkExisting;
            documents.FindByNumber(ParseTagNumber(line), record.recvLocal);
            ++nExistingTags;
            continue;
        }
        bool suspicious = LooksLikeReference(line);
        if (!suspicious) {
            suspicious = NamesMonthOrType(codepage::ToUpper1251(line), typePhrases, pairs);
            YieldToUi(m_ui);
        }
        if (suspicious) {
            record.nKind = Suspicious;
            record.bSuspectLocal = 1;
            ++nSuspiciousLines;
        }
    }
}

bool CInnerRefMaker::PrecedingTag(const std::vector<std::string>& texts, const std::vector<CLineRecord>& records,
    std::size_t start, std::size_t i, std::int32_t& number) const
{
    // An intra-base tag directly above.
    if (i >= 1 && i - 1 >= start && (records[i - 1].nKind == InnerLinkNew || records[i - 1].nKind == InnerLinkExisting)) {
        number = ParseTagNumber(texts[i - 1]);
        return true;
    }
    return false;
}

int CInnerRefMaker::ProposeTag(CLinePlacement& p, const CDocRecvisits& doc)
{
    m_ui.SelectLine(p.current);
    const InnerTagAnswer answer = m_ui.AskInnerTagParameters({ doc.Describe(), doc.nBaseNumber });
    if (answer.answer == AnswerYes)
        PlaceTag(p, answer.tag, p.records[p.current], doc);
    return answer.answer;
}

void CInnerRefMaker::PlaceTags(
    CLinePlacement& p, const std::vector<CDocRecvisits>& candidates, std::size_t start, const COleDate& effective)
{
    const std::size_t i = p.line;
    if (candidates.size() == 1) {
        if (!p.preceding && !p.Stands(candidates.front().nBaseNumber)) {
            p.TakeSnapshot();
            p.records[i].recvLocal = candidates.front();
            p.endPass = ProposeTag(p, candidates.front()) == AnswerCancel;
        }
        return;
    }
    const SelectDocumentsResult answer = m_ui.SelectDocuments(CandidatesRequest(p, candidates, start, effective));
    if (answer.endCode != AnswerOk) {
        p.endPass = true;
        return;
    }
    for (const auto& doc : ChosenDocuments(p, answer)) {
        if (p.preceding && p.precedingNumber == doc.nBaseNumber)
            continue;
        if (ProposeTag(p, doc) == AnswerCancel) {
            // What was accepted for this line stays, unconfirmed.
            p.endPass = true;
            p.confirm = false;
            return;
        }
    }
}

std::string CInnerRefMaker::CertainTag(const CDocRecvisits& doc) const
{
    return FormatLocalTag(LinkKinds()[kNullLinkKind].code, doc.nBaseNumber, 0, false, false);
}
