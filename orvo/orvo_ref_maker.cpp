#include "orvo/orvo_ref_maker.h"

#include "core/codepage.h"
#include "core/rla_text.h"
#include "core/tag_line.h"
#include "core/user_interface.h"

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
{
    documents.SetUserInterface(&ui);
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
    static const Traits kTraits { OrvoLinkNew, &CLineRecord::recvOrvo, false, true };
    return kTraits;
}

void COrvoRefMaker::ScanLines(const std::vector<std::string>& texts, std::vector<CLineRecord>& records)
{
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
        for (const auto& keyword : keywords.strings) {
            if (!keyword.empty() && upper.find(keyword) != std::string::npos) {
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

void COrvoRefMaker::AnalyseLines(std::vector<std::string>& texts, std::vector<CLineRecord>& records, const COleDate& effective)
{
    const std::vector<CPhrase> typePhrases = BuildPhrases(types);
    const std::vector<CPhrase> bodyPhrases = BuildPhrases(bodies);
    m_ui.ShowProgress(texts.size());
    const std::size_t start = CRlaText::FindFirstTextLine(texts);
    for (std::size_t i = start; i < records.size() && i < texts.size(); ++i) {
        m_ui.StepProgress();
        if (m_ui.StopRequested())
            break;
        if (records[i].bSuspectOrvo != 1)
            continue;

        // An inter-base tag in one of the two lines above.
        bool preceding = false;
        std::int32_t precedingNumber = 0;
        for (std::size_t back : { std::size_t { 2 }, std::size_t { 1 } }) {
            if (i < back || i - back < start)
                continue;
            const std::int32_t kind = records[i - back].nKind;
            if (kind == OrvoLinkExisting || kind == OrvoLinkNew) {
                preceding = true;
                precedingNumber = ParseTagNumber(texts[i - back]);
                break;
            }
        }

        std::vector<CDocRecvisits> candidates;
        CLineRecord fresh;
        FindCandidates(RecognitionText(texts, start, i), typePhrases, bodyPhrases, effective, candidates, fresh);
        MergeRecord(fresh, records[i]);
        if (candidates.empty()) {
            YieldToUi(m_ui);
            continue;
        }

        // The lists as they were before anything is placed for this line; copied only when needed.
        std::vector<std::string> snapshotTexts;
        std::vector<CLineRecord> snapshotRecords;
        std::vector<std::size_t> positions;
        std::vector<CDocRecvisits> linked;
        std::size_t suspicious = i;
        bool snapshotTaken = false;
        const auto takeSnapshot = [&] {
            if (!snapshotTaken) {
                snapshotTexts = texts;
                snapshotRecords = records;
                snapshotTaken = true;
            }
        };
        const auto place = [&](const CDocRecvisits& doc, CLineRecord tagRecord) {
            takeSnapshot();
            const std::size_t at = i + positions.size();
            tagRecord.nKind = OrvoLinkNew;
            tagRecord.recvOrvo = doc;
            InsertLine(texts, records, at, FormatOrvoTag(doc.nBaseNumber), std::move(tagRecord));
            positions.push_back(at);
            linked.push_back(doc);
            suspicious = at + 1;
            ++nPlacedTags;
            SetDocumentModified();
        };

        bool endPass = false;
        if (candidates.size() == 1) {
            if (!preceding) {
                takeSnapshot();
                records[i].recvOrvo = candidates.front();
                place(candidates.front(), records[i]);
            }
        } else {
            // A line that names the same requisites as one tagged earlier gets the same document.
            bool reused = false;
            for (std::size_t k = i; k-- > start;) {
                if (records[k].nKind == OrvoLinkNew && records[k].recvFound.Equals(records[i].recvFound)) {
                    const CLineRecord earlier = records[k];
                    takeSnapshot();
                    records[i] = earlier;
                    records[i].nKind = Suspicious;
                    records[i].bSuspectOrvo = 1;
                    place(earlier.recvOrvo, earlier);
                    reused = true;
                    break;
                }
            }
            if (!reused) {
                CLineRecord tagTemplate = records[i];
                tagTemplate.nKind = OrvoLinkNew;
                const SelectDocumentsResult answer
                    = m_ui.SelectDocuments(CandidatesRequest(candidates, ContextText(texts, start, i), effective));
                if (answer.endCode != AnswerOk) {
                    endPass = true;
                } else {
                    std::vector<CDocRecvisits> chosen = answer.chosen;
                    if (answer.mode == 1) {
                        // A typed number is placed like a document chosen from the list.
                        chosen.clear();
                        CDocRecvisits found;
                        if (documents.FindByBaseNumber(answer.number, found)) {
                            takeSnapshot();
                            records[i].recvOrvo = found;
                            tagTemplate.recvOrvo = found;
                            chosen.push_back(found);
                        } else {
                            ShowError(m_ui, "Документ \"" + std::to_string(answer.number) + "\" в базе не найден.");
                        }
                    }
                    for (const auto& doc : chosen) {
                        if (preceding && precedingNumber == doc.nBaseNumber)
                            continue;
                        place(doc, tagTemplate);
                    }
                }
            }
        }

        if (!positions.empty()) {
            const int answer
                = ConfirmPlacedTags(positions, linked, snapshotTexts, snapshotRecords, texts, records, suspicious, i);
            if (answer == AnswerCancel)
                endPass = true;
        }
        if (endPass)
            break;
        i = suspicious; // the loop goes on with the line after it
        YieldToUi(m_ui);
    }
    m_ui.HideProgress();
}
