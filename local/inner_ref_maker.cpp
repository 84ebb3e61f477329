#include "local/inner_ref_maker.h"

#include "core/codepage.h"
#include "core/rla_text.h"
#include "core/tag_line.h"
#include "core/user_interface.h"

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

bool NamesMonthOrType(const std::string& upper, const std::vector<CPhrase>& typePhrases)
{
    for (auto month : kMonths)
        if (upper.find(month) != std::string::npos)
            return true;
    for (const auto& phrase : typePhrases) {
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
{
    documents.SetUserInterface(&ui);
}

void CInnerRefMaker::SerializeDictionaries(CArchive& ar)
{
    types.Serialize(ar);
    bodies.Serialize(ar);
}

const CRefMaker::Traits& CInnerRefMaker::GetTraits() const
{
    static const Traits kTraits { InnerLinkNew, &CLineRecord::recvLocal, true, false };
    return kTraits;
}

void CInnerRefMaker::ScanLines(const std::vector<std::string>& texts, std::vector<CLineRecord>& records)
{
    const std::vector<CPhrase> typePhrases = BuildPhrases(types);
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
            suspicious = NamesMonthOrType(codepage::ToUpper1251(line), typePhrases);
            YieldToUi(m_ui);
        }
        if (suspicious) {
            record.nKind = Suspicious;
            record.bSuspectLocal = 1;
            ++nSuspiciousLines;
        }
    }
}

void CInnerRefMaker::AnalyseLines(std::vector<std::string>& texts, std::vector<CLineRecord>& records, const COleDate& effective)
{
    const std::vector<CPhrase> typePhrases = BuildPhrases(types);
    const std::vector<CPhrase> bodyPhrases = BuildPhrases(bodies);
    m_ui.ShowProgress(texts.size());
    const std::size_t start = CRlaText::FindFirstTextLine(texts);
    for (std::size_t i = start; i < records.size() && i < texts.size(); ++i) {
        m_ui.StepProgress();
        if (m_ui.StopRequested())
            break;
        if (records[i].bSuspectLocal != 1)
            continue;

        // An intra-base tag directly above.
        bool preceding = false;
        std::int32_t precedingNumber = 0;
        if (i >= 1 && i - 1 >= start
            && (records[i - 1].nKind == InnerLinkNew || records[i - 1].nKind == InnerLinkExisting)) {
            preceding = true;
            precedingNumber = ParseTagNumber(texts[i - 1]);
        }

        std::vector<CDocRecvisits> candidates;
        CLineRecord fresh;
        FindCandidates(RecognitionText(texts, start, i), typePhrases, bodyPhrases, effective, candidates, fresh);
        MergeRecord(fresh, records[i]);
        if (candidates.empty()) {
            YieldToUi(m_ui);
            continue;
        }

        std::vector<std::string> snapshotTexts;
        std::vector<CLineRecord> snapshotRecords;
        bool snapshotTaken = false;
        const auto takeSnapshot = [&] {
            if (!snapshotTaken) {
                snapshotTexts = texts;
                snapshotRecords = records;
                snapshotTaken = true;
            }
        };
        std::vector<std::size_t> positions;
        std::vector<CDocRecvisits> linked;
        std::size_t suspicious = i;
        // Shows the tag parameters dialog for the document and places the tag on "Да".
        const auto propose = [&](const CDocRecvisits& doc) {
            m_ui.SelectLine(suspicious);
            const InnerTagAnswer answer = m_ui.AskInnerTagParameters({ doc.Describe(), doc.nBaseNumber });
            if (answer.answer != AnswerYes)
                return answer.answer;
            takeSnapshot();
            CLineRecord tagRecord = records[suspicious];
            tagRecord.nKind = InnerLinkNew;
            tagRecord.recvLocal = doc;
            const std::size_t at = i + positions.size();
            InsertLine(texts, records, at, answer.tag, std::move(tagRecord));
            positions.push_back(at);
            linked.push_back(doc);
            suspicious = at + 1;
            ++nPlacedTags;
            SetDocumentModified();
            return answer.answer;
        };

        bool endPass = false;
        bool confirm = true;
        if (candidates.size() == 1) {
            if (!preceding) {
                takeSnapshot();
                records[i].recvLocal = candidates.front();
                endPass = propose(candidates.front()) == AnswerCancel;
            }
        } else {
            const SelectDocumentsResult answer
                = m_ui.SelectDocuments(CandidatesRequest(candidates, ContextText(texts, start, i), effective));
            if (answer.endCode != AnswerOk) {
                endPass = true;
            } else {
                std::vector<CDocRecvisits> chosen = answer.chosen;
                if (answer.mode == 1) {
                    // A typed number goes the way of a document chosen from the list.
                    chosen.clear();
                    CDocRecvisits found;
                    if (documents.FindByNumber(answer.number, found)) {
                        takeSnapshot();
                        records[i].recvLocal = found;
                        chosen.push_back(found);
                    } else {
                        ShowError(m_ui, "Документ \"" + std::to_string(answer.number) + "\" в базе не найден.");
                    }
                }
                for (const auto& doc : chosen) {
                    if (preceding && precedingNumber == doc.nBaseNumber)
                        continue;
                    if (propose(doc) == AnswerCancel) {
                        // What was accepted for this line stays, unconfirmed.
                        endPass = true;
                        confirm = false;
                        break;
                    }
                }
            }
        }

        if (confirm && !positions.empty()) {
            const int answer
                = ConfirmPlacedTags(positions, linked, snapshotTexts, snapshotRecords, texts, records, suspicious, i);
            if (answer == AnswerCancel)
                endPass = true;
        }
        if (endPass)
            break;
        i = suspicious;
        YieldToUi(m_ui);
    }
    m_ui.HideProgress();
}
