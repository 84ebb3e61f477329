#include "core/ref_maker.h"

#include <algorithm>
#include <atomic>

#include "base/codepage.h"
#include "base/phrase_match.h"
#include "core/anchor_marks.h"
#include "core/candidates.h"
#include "core/rla_text.h"
#include "core/tag_line.h"
#include "seam/user_interface.h"
#include "storage/archive.h"
#include "storage/doc_dict.h"
#include "storage/doc_pair.h"
#include "storage/recv_dict.h"
#include "storage/service_file.h"

void CRefMaker::Loaded(const char* name, const std::string& folder)
{
    if (m_guard)
        m_guard->Remember(ServicePath(folder, name));
}

CServiceFileGuard::Outcome CRefMaker::StoreFile(
    const char* name, const std::string& folder, const std::function<void(CArchive&)>& store)
{
    const std::string path = ServicePath(folder, name);
    if (m_guard)
        return m_guard->Store(path, store);
    return StoreServiceFile(path, store) ? CServiceFileGuard::Outcome::Stored : CServiceFileGuard::Outcome::Failed;
}

bool CRefMaker::LoadDictionaries(const std::string& folder)
{
    const bool loaded
        = LoadServiceFile(ServicePath(folder, m_files.dictionaries), [this](CArchive& ar) { SerializeDictionaries(ar); })
        == LoadResult::Loaded;
    Loaded(m_files.dictionaries, folder);
    return loaded;
}

bool CRefMaker::LoadDocuments(const std::string& folder, bool mayCreate)
{
    CDocDict& dict = Documents();
    const std::string documents = ServicePath(folder, m_files.documents);
    const std::string titles = ServicePath(folder, m_files.titles);
    // An import a kill interrupted is finished first; in a folder that may not be written the
    // files it would have put in place are read where they wait. (An open titles file could not
    // be replaced on Windows.)
    dict.CloseTextFile();
    const docpair::CRecovery pair = docpair::RecoverPair(titles, documents, mayCreate);
    bool loaded = pair.belongs
        && LoadServiceFile(pair.documents, [&dict](CArchive& ar) { dict.Serialize(ar); }) == LoadResult::Loaded;
    Loaded(m_files.documents, folder);
    dict.SetArchive(documents, m_guard);
    // A folder that may not be written goes without a missing titles file: the titles are then
    // unknown, which is said when one is needed.
    const bool opened = mayCreate ? dict.OpenOrCreateTextFile(pair.titles) : dict.OpenTextFile(pair.titles);
    if (!opened && (mayCreate || StampOf(pair.titles).exists))
        ShowError(m_ui, m_files.titlesCreateError);
    if (!pair.belongs || (loaded && opened && !dict.TextsWithinTextFile())) {
        // Titles of another import: the dictionary would name its documents wrongly. It starts
        // empty, and the save that follows a failed load writes it so.
        const std::string kept = mayCreate ? KeepDamagedCopy(documents) : std::string();
        ShowError(m_ui,
            std::string("Словарь документов ") + m_files.documents + " не соответствует файлу названий "
                + m_files.titles + (kept.empty() ? ": словарь не загружен" : ": словарь сохранён как " + kept)
                + "; пополните словарь заново.");
        dict.Clear();
        loaded = false;
    }
    return loaded;
}

bool CRefMaker::LoadFiles(const std::string& folder, bool mayCreate)
{
    const bool dictionaries = LoadDictionaries(folder);
    const bool documents = LoadDocuments(folder, mayCreate);
    m_dictionariesDirty = !dictionaries;
    m_documentsDirty = !documents;
    if (dictionaries && documents)
        bModified = 0;
    return dictionaries && documents;
}

bool CRefMaker::SaveDictionaries(const std::string& folder)
{
    return StoreFile(m_files.dictionaries, folder, [this](CArchive& ar) { SerializeDictionaries(ar); })
        == CServiceFileGuard::Outcome::Stored;
}

bool CRefMaker::SaveDocuments(const std::string& folder)
{
    return StoreFile(m_files.documents, folder, [this](CArchive& ar) { Documents().Serialize(ar); })
        == CServiceFileGuard::Outcome::Stored;
}

void CRefMaker::SaveFiles(const std::string& folder)
{
    using Outcome = CServiceFileGuard::Outcome;
    if (!bModified)
        return;
    // A maker that was never loaded, or was marked modified by hand, writes everything.
    const bool all = !m_dictionariesDirty && !m_documentsDirty;
    bool keepDictionaries = false;
    bool keepDocuments = false;
    if (all || m_dictionariesDirty) {
        const Outcome o = StoreFile(m_files.dictionaries, folder, [this](CArchive& ar) { SerializeDictionaries(ar); });
        if (o == Outcome::Failed)
            ShowError(m_ui, "Ошибка сохранения файла служебных данных!");
        keepDictionaries = o == Outcome::Declined;
    }
    if (all || m_documentsDirty) {
        const Outcome o = StoreFile(m_files.documents, folder, [this](CArchive& ar) { Documents().Serialize(ar); });
        if (o == Outcome::Failed)
            ShowError(m_ui, m_files.documentsSaveError);
        keepDocuments = o == Outcome::Declined;
    }
    m_dictionariesDirty = keepDictionaries;
    m_documentsDirty = keepDocuments;
    bModified = keepDictionaries || keepDocuments ? 1 : 0;
}

bool CRefMaker::ImportDocuments() { return Imported(Documents().ImportList(m_ui)); }

bool CRefMaker::ImportDocumentsFile(const std::string& path, bool dos)
{
    return Imported(Documents().ImportListFile(m_ui, path, dos));
}

bool CRefMaker::Imported(bool imported)
{
    if (!imported)
        return false;
    if (!Documents().HasArchive()) {
        // Never loaded from a folder: stored by the next save.
        MarkDocumentsModified();
    } else if (m_documentsDirty) {
        // Stored with its titles already.
        m_documentsDirty = false;
        if (!m_dictionariesDirty)
            bModified = 0;
    }
    return true;
}

bool CRefMaker::EditDictionary(CRecvDict& dict, const char* caption, const char* column)
{
    const bool changed = dict.Edit(m_ui, caption, column);
    if (changed)
        MarkDictionariesModified();
    return changed;
}

void YieldToUi(CUserInterface& ui)
{
    // One counter for every caller of a thread, for the whole run.
    thread_local int calls = 0;
    if (++calls < 30)
        return;
    calls = 0;
    ui.ProcessEvents();
}

namespace {

template <typename T>
void AppendNew(std::vector<T>& target, const std::vector<T>& items)
{
    for (const auto& item : items)
        if (std::find(target.begin(), target.end(), item) == target.end())
            target.push_back(item);
}

void MergeRequisites(const CDocRecvisits& fresh, CDocRecvisits& old)
{
    if (fresh.nBaseNumber != -1)
        old.nBaseNumber = fresh.nBaseNumber;
    if (!fresh.name.empty())
        old.name = fresh.name;
    if (!fresh.editionDate.IsNoDate())
        old.editionDate = fresh.editionDate;
    // Appended, then repeats dropped keeping the first: the old list may repeat itself too.
    auto merged = [](auto& list, const auto& more) {
        auto all = list;
        all.insert(all.end(), more.begin(), more.end());
        list.clear();
        AppendNew(list, all);
    };
    merged(old.adoptionDates, fresh.adoptionDates);
    merged(old.types, fresh.types);
    merged(old.numbers, fresh.numbers);
    merged(old.bodies, fresh.bodies);
}

// Where the line at index stands after MoveLine(from, to).
std::size_t IndexAfterMove(std::size_t index, std::size_t from, std::size_t to)
{
    const std::size_t at = from < to ? to - 1 : to;
    if (index == from)
        return at;
    if (from < index)
        --index;
    if (at <= index)
        ++index;
    return index;
}

} // namespace

void CRefMaker::MergeRecord(const CLineRecord& fresh, CLineRecord& existing)
{
    if (fresh.nKind != 0)
        existing.nKind = fresh.nKind;
    if (fresh.bBookmark != 0)
        existing.bBookmark = fresh.bBookmark;
    if (fresh.bSuspectLocal != 0)
        existing.bSuspectLocal = fresh.bSuspectLocal;
    if (fresh.bSuspectOrvo != 0)
        existing.bSuspectOrvo = fresh.bSuspectOrvo;
    MergeRequisites(fresh.recvOrvo, existing.recvOrvo);
    MergeRequisites(fresh.recvLocal, existing.recvLocal);
    MergeRequisites(fresh.recvFound, existing.recvFound);
}

void CRefMaker::MoveLine(std::vector<std::string>& texts, std::vector<CLineRecord>& records, std::size_t from, std::size_t to)
{
    if (from >= texts.size() || from >= records.size() || to > texts.size() || from == to)
        return;
    std::string text = std::move(texts[from]);
    CLineRecord record = std::move(records[from]);
    texts.erase(texts.begin() + static_cast<std::ptrdiff_t>(from));
    records.erase(records.begin() + static_cast<std::ptrdiff_t>(from));
    const std::size_t at = from < to ? to - 1 : to;
    texts.insert(texts.begin() + static_cast<std::ptrdiff_t>(at), std::move(text));
    records.insert(records.begin() + static_cast<std::ptrdiff_t>(at), std::move(record));
}

bool CRefMaker::MarkAnchorNearTag(std::vector<std::string>& texts, std::vector<CLineRecord>& records, std::size_t i)
{
    return MarkAnchorNearTag(texts, records, i, {});
}

bool CRefMaker::MarkAnchorNearTag(std::vector<std::string>& texts, std::vector<CLineRecord>& records, std::size_t i,
    const std::vector<std::size_t*>& tracked)
{
    if (i >= texts.size() || i >= records.size())
        return false;
    const CLineRecord& tag = records[i];
    const CDocRecvisits& linked = tag.recvOrvo.nBaseNumber == -1 ? tag.recvLocal : tag.recvOrvo;
    std::vector<std::string> stems;
    for (const auto& type : linked.types)
        stems.push_back(TypeStem(type));

    const auto n = static_cast<std::ptrdiff_t>(texts.size());
    const auto ii = static_cast<std::ptrdiff_t>(i);
    std::vector<std::size_t> window;
    for (std::ptrdiff_t offset : { 0, 1, -1, 2, -2, -3 }) {
        const std::ptrdiff_t b = ii + offset;
        if (b >= 0 && b < n)
            window.push_back(static_cast<std::size_t>(b));
    }

    for (const auto& stem : stems) {
        if (stem.empty())
            continue; // would "occur" at the start of every line
        for (std::size_t b : window) {
            if (MarkStem(texts[b], stem) != StemMark::Marked)
                continue;
            if (b != i) {
                // Tags placed for one line stand together before it: a tag followed only by other
                // tags down to the marked line is already where it belongs, and moving it would
                // put it after the others.
                bool onlyTagsBetween = b > i;
                for (std::size_t q = i + 1; onlyTagsBetween && q < b; ++q)
                    onlyTagsBetween = IsTagLine(texts[q]);
                if (!onlyTagsBetween) {
                    MoveLine(texts, records, i, b);
                    for (std::size_t* index : tracked)
                        *index = IndexAfterMove(*index, i, b);
                }
            }
            return true;
        }
    }
    return false;
}

void CRefMaker::FindCandidates(std::string_view text, const CPhraseSet& typePhrases,
    const CPhraseSet& bodyPhrases, const COleDate& effective, std::vector<CDocRecvisits>& out,
    CLineRecord& record)
{
    CDocDict& dict = Documents();
    const CFoundRequisites found = RecognizeRequisites(text, typePhrases, bodyPhrases);
    const CFoundIds ids = ToFoundIds(dict, found.types, found.bodies, found.numbers, found.dates);
    std::vector<CDocRec> matched = ScoreDocuments(dict, ids, effective, GetTraits().skipWithoutNumberOrDate);
    MergeDuplicates(matched);
    out.clear();
    out.reserve(matched.size());
    for (const auto& rec : matched)
        out.push_back(dict.ToRecvisits(rec));
    SortCandidates(out);
    record.recvFound.types = found.types;
    record.recvFound.bodies = found.bodies;
    record.recvFound.numbers = found.numbers;
    record.recvFound.adoptionDates = found.dates;
}

bool CRefMaker::ProposeForRequisites(const CLineRecord& record, const std::string& context, std::vector<CLineRecord>& out,
    const CDocRecvisits& requisites, const COleDate& effective)
{
    const Traits& traits = GetTraits();
    CDocDict& dict = Documents();
    const CFoundIds ids = ToFoundIds(dict, requisites.types, requisites.bodies, requisites.numbers, requisites.adoptionDates);
    std::vector<CDocRecvisits> candidates;
    if (!ids.types.empty()) {
        CWaitCursor wait(m_ui);
        std::vector<CDocRec> matched = ScoreDocuments(dict, ids, effective, false);
        MergeDuplicates(matched);
        for (const auto& rec : matched)
            candidates.push_back(dict.ToRecvisits(rec));
        SortCandidates(candidates);
    }
    out.clear();
    if (candidates.empty())
        return false;
    const auto tagRecord = [&](const CLineRecord& base, const CDocRecvisits& doc) {
        CLineRecord r = base;
        r.nKind = traits.newKind;
        r.*traits.linkSlot = doc;
        return r;
    };
    if (candidates.size() == 1) {
        out.push_back(tagRecord(CLineRecord(), candidates.front()));
        return true;
    }
    // The same agreement as in the pass: the requisites chosen, the citations of the lines shown.
    const CDocRecvisits header = m_doc.headerLines ? HeaderRequisites(*m_doc.headerLines) : CDocRecvisits();
    std::vector<CCandidateAgreement> agreements = AgreementsOf(dict, candidates, requisites, FindCitedPairs(context),
        header, traits.linkSlot == &CLineRecord::recvLocal);
    const SelectDocumentsResult answer
        = m_ui.SelectDocuments(CandidatesRequest(candidates, context, effective, std::move(agreements)));
    if (answer.endCode != AnswerOk)
        return false;
    if (answer.mode == 1) {
        CDocRecvisits found;
        if (!dict.FindByNumber(answer.number, found))
            return false;
        out.push_back(tagRecord(record, found));
        return true;
    }
    for (const auto& doc : answer.chosen)
        out.push_back(tagRecord(record, doc));
    return !out.empty() || traits.declineMeansSuccess;
}

std::vector<CCitedPair> CRefMaker::CitedPairsOfLine(const std::vector<std::string>& texts, std::size_t start, std::size_t i)
{
    // The recognition text's lines before the line, the line, the line after.
    std::string before;
    for (std::size_t k = std::max(i >= 3 ? i - 3 : 0, start); k < i && k < texts.size(); ++k) {
        before += ' ';
        before += texts[k];
    }
    const std::string_view line = i < texts.size() ? std::string_view(texts[i]) : std::string_view();
    const std::string_view after = i + 1 < texts.size() ? std::string_view(texts[i + 1]) : std::string_view();
    return FindCitedPairsOfLine(before, line, after);
}

std::string CRefMaker::RecognitionText(const std::vector<std::string>& texts, std::size_t start, std::size_t i)
{
    std::string text;
    const std::size_t from = i >= 3 ? i - 3 : 0;
    for (std::size_t k = std::max(from, start); k <= i + 1 && k < texts.size(); ++k) {
        text += ' ';
        text += texts[k];
    }
    return text;
}

std::size_t CRefMaker::ContextFirstLine(std::size_t start, std::size_t i)
{
    return std::max(i >= 8 ? i - 8 : 0, start);
}

std::string CRefMaker::ContextText(const std::vector<std::string>& texts, std::size_t start, std::size_t i)
{
    std::string text;
    bool first = true;
    for (std::size_t k = ContextFirstLine(start, i); k <= i + 7 && k < texts.size(); ++k) {
        if (!first)
            text += '\n';
        text += texts[k];
        first = false;
    }
    return text;
}

SelectDocumentsRequest CRefMaker::CandidatesRequest(std::vector<CDocRecvisits> candidates, std::string context,
    const COleDate& effective, std::vector<CCandidateAgreement> agreements) const
{
    SelectDocumentsRequest request;
    request.candidates = std::move(candidates);
    request.agreements = std::move(agreements);
    request.contextText = std::move(context);
    request.dateText = effective.Format();
    request.localBase = GetTraits().linkSlot == &CLineRecord::recvLocal;
    if (m_doc.showSettings)
        m_doc.showSettings(request);
    return request;
}

SelectDocumentsRequest CRefMaker::CandidatesRequest(
    const CLinePlacement& p, std::vector<CDocRecvisits> candidates, std::size_t start, const COleDate& effective) const
{
    SelectDocumentsRequest request
        = CandidatesRequest(std::move(candidates), ContextText(p.texts, start, p.line), effective, p.agreements);
    request.line = p.line;
    request.contextLine = p.line - ContextFirstLine(start, p.line);
    request.rows = &p.texts;
    request.rowRecords = &p.records;
    if (p.certaintyKnown && p.certainty.kind == LineClass::Link)
        request.certain = p.certainty.chosen;
    return request;
}

void CRefMaker::LeaveOutTheDocumentItself(std::vector<CDocRecvisits>& candidates, std::vector<CCandidateAgreement>& agreements)
{
    std::size_t kept = 0;
    for (std::size_t k = 0; k < candidates.size(); ++k) {
        if (k < agreements.size() && agreements[k].itself)
            continue;
        if (kept != k) {
            candidates[kept] = std::move(candidates[k]);
            agreements[kept] = agreements[k];
        }
        ++kept;
    }
    candidates.resize(kept);
    agreements.resize(std::min(kept, agreements.size()));
}

void CRefMaker::MarkAnchorsOfPlaced(CLinePlacement& p)
{
    for (std::size_t k = 0; k < p.positions.size(); ++k) {
        std::vector<std::size_t*> tracked { &p.current };
        for (auto& position : p.positions)
            tracked.push_back(&position);
        MarkAnchorNearTag(p.texts, p.records, p.positions[k], tracked);
    }
}

int CRefMaker::ConfirmPlacedTags(CLinePlacement& p)
{
    // Marking moves a tag at most 3 lines and shifts the others by one each time; it touches 3
    // lines above and 2 below a tag. With k tags before the line, nothing beyond k + 5 lines
    // either side of the line (as the snapshot counts them) changes.
    p.WidenSnapshot(p.positions.size() + 8);
    MarkAnchorsOfPlaced(p);
    m_ui.NoteTagsPlaced(p.tagKind, p.positions.size(), p.candidateCount > 1);
    for (std::size_t position : p.positions)
        p.records[position].bAwaiting = 1;
    const int answer = m_ui.AskTagCandidates(p.linked, p.texts, p.records, p.positions.front());
    // Only the tags that are in the document count: an interface that let one go meanwhile
    // must not have it counted as placed.
    std::size_t present = 0;
    if (m_ui.KeepsRowsWhileConfirming()) {
        for (std::size_t position : p.positions) {
            if (position < p.records.size() && p.records[position].bAwaiting) {
                p.records[position].bAwaiting = 0;
                ++present;
            }
        }
    } else {
        for (CLineRecord& record : p.records) {
            present += record.bAwaiting != 0;
            record.bAwaiting = 0;
        }
    }
    if (answer == AnswerYes) {
        nPlacedTags -= static_cast<std::int32_t>(p.positions.size() - std::min(present, p.positions.size()));
        // A tag whose anchor lay below the line now stands after it: the pass goes on after that
        // tag, so it is not taken for a line to analyse.
        for (std::size_t position : p.positions)
            p.current = std::max(p.current, position);
        return answer;
    }
    p.RestoreSnapshot();
    p.current = p.line;
    nPlacedTags -= static_cast<std::int32_t>(p.positions.size());
    return answer == AnswerNo ? AnswerNo : AnswerCancel;
}

namespace {

// Lines the handling of one suspicious line may touch on either side of it before its tags are
// placed; ConfirmPlacedTags widens this for the tags.
constexpr std::size_t kSnapshotMargin = 16;

// Bookmarks set while the question was open belong to the lines they were set on. The current
// rows from..from+count+tags hold the snapshot's lines in order with the placed tags among them;
// each snapshot line takes the bookmark of its row. When the rows no longer look like that (the
// person changed them meanwhile) the bookmarks go over row by row, as far as both lists reach.
void CarryBookmarks(const std::vector<CLineRecord>& records, std::size_t from, std::size_t currentEnd,
    std::vector<std::size_t> placed, std::int32_t tagKind, std::vector<CLineRecord>& restored)
{
    std::sort(placed.begin(), placed.end());
    bool aligned = currentEnd <= records.size() && currentEnd - from == restored.size() + placed.size()
        && std::adjacent_find(placed.begin(), placed.end()) == placed.end();
    for (std::size_t position : placed)
        aligned = aligned && position >= from && position < currentEnd && records[position].nKind == tagKind;
    if (!aligned) {
        for (std::size_t k = 0; k < restored.size() && from + k < records.size(); ++k)
            restored[k].bBookmark = records[from + k].bBookmark;
        return;
    }
    std::size_t row = from;
    auto next = placed.begin();
    for (CLineRecord& line : restored) {
        while (next != placed.end() && *next == row) {
            ++next;
            ++row;
        }
        line.bBookmark = records[row++].bBookmark;
    }
}

} // namespace

void CRefMaker::CLinePlacement::TakeSnapshot()
{
    if (snapshotTaken)
        return;
    snapshotTaken = true;
    if (snapshotWhole) {
        snapshotFrom = 0;
        snapshotTexts = texts;
        snapshotRecords = records;
        return;
    }
    const std::size_t size = std::min(texts.size(), records.size());
    snapshotFrom = line >= kSnapshotMargin ? line - kSnapshotMargin : 0;
    const std::size_t to = std::min(size, line + kSnapshotMargin + 1);
    snapshotTexts.assign(texts.begin() + static_cast<std::ptrdiff_t>(snapshotFrom),
        texts.begin() + static_cast<std::ptrdiff_t>(to));
    snapshotRecords.assign(records.begin() + static_cast<std::ptrdiff_t>(snapshotFrom),
        records.begin() + static_cast<std::ptrdiff_t>(to));
}

void CRefMaker::CLinePlacement::WidenSnapshot(std::size_t margin)
{
    if (snapshotWhole || !snapshotTaken)
        return;
    // Lines above the line are where they were; those below it moved down by the tags.
    const std::size_t placed = positions.size();
    const std::size_t from = line >= margin ? line - margin : 0;
    if (from < snapshotFrom) {
        const auto a = static_cast<std::ptrdiff_t>(from);
        const auto b = static_cast<std::ptrdiff_t>(snapshotFrom);
        snapshotTexts.insert(snapshotTexts.begin(), texts.begin() + a, texts.begin() + b);
        snapshotRecords.insert(snapshotRecords.begin(), records.begin() + a, records.begin() + b);
        snapshotFrom = from;
    }
    const std::size_t size = std::min(texts.size(), records.size());
    const std::size_t held = snapshotFrom + snapshotTexts.size() + placed; // current index after the snapshot
    const std::size_t wanted = std::min(size, line + margin + 1 + placed);
    if (held < wanted) {
        const auto a = static_cast<std::ptrdiff_t>(held);
        const auto b = static_cast<std::ptrdiff_t>(wanted);
        snapshotTexts.insert(snapshotTexts.end(), texts.begin() + a, texts.begin() + b);
        snapshotRecords.insert(snapshotRecords.end(), records.begin() + a, records.begin() + b);
    }
}

void CRefMaker::CLinePlacement::RestoreSnapshot()
{
    if (!snapshotTaken)
        return;
    if (snapshotWhole) {
        CarryBookmarks(records, 0, records.size(), positions, tagKind, snapshotRecords);
        texts = std::move(snapshotTexts);
        records = std::move(snapshotRecords);
    } else {
        // Outside the window nothing changed but the tags' insertion, which the window holds.
        const std::size_t count = snapshotTexts.size();
        if (texts.size() != records.size() || snapshotFrom + count > records.size())
            return; // rows changed against the interface's word: nothing sound to put back
        const std::size_t currentEnd = std::min(snapshotFrom + count + positions.size(), records.size());
        CarryBookmarks(records, snapshotFrom, currentEnd, positions, tagKind, snapshotRecords);
        std::move(snapshotTexts.begin(), snapshotTexts.end(), texts.begin() + static_cast<std::ptrdiff_t>(snapshotFrom));
        std::move(snapshotRecords.begin(), snapshotRecords.end(),
            records.begin() + static_cast<std::ptrdiff_t>(snapshotFrom));
        const auto end = static_cast<std::ptrdiff_t>(snapshotFrom + count);
        texts.erase(texts.begin() + end, texts.begin() + static_cast<std::ptrdiff_t>(currentEnd));
        records.erase(records.begin() + end, records.begin() + static_cast<std::ptrdiff_t>(currentEnd));
    }
    snapshotTexts.clear();
    snapshotRecords.clear();
    snapshotTaken = false;
}

void CRefMaker::PlaceTag(CLinePlacement& p, std::string tag, CLineRecord tagRecord, const CDocRecvisits& doc)
{
    const Traits& traits = GetTraits();
    p.TakeSnapshot();
    tagRecord.nKind = traits.newKind;
    tagRecord.*traits.linkSlot = doc;
    // The line's review belongs to the line; a tag of the analysis without questions gets its own.
    tagRecord.nReviewOrvo = tagRecord.nReviewLocal = 0;
    tagRecord.reviewStateOrvo = tagRecord.reviewStateLocal = ReviewNone;
    const std::size_t at = p.line + p.positions.size();
    InsertLine(p.texts, p.records, at, std::move(tag), std::move(tagRecord));
    p.positions.push_back(at);
    p.tagKind = traits.newKind;
    p.linked.push_back(doc);
    p.current = at + 1;
    ++nPlacedTags;
    SetDocumentModified();
}

std::vector<CDocRecvisits> CRefMaker::ChosenDocuments(CLinePlacement& p, const SelectDocumentsResult& answer)
{
    if (answer.mode != 1)
        return answer.chosen;
    CDocRecvisits found;
    if (!Documents().FindByNumber(answer.number, found)) {
        ShowError(m_ui, "Документ \"" + std::to_string(answer.number) + "\" в базе не найден.");
        return {};
    }
    p.TakeSnapshot();
    p.records[p.line].*GetTraits().linkSlot = found;
    return { found };
}

namespace {

// How far past a suspicious line its handling reads: the context of the candidates dialog, 7
// lines; the anchors, 2 lines past the tags, which stand before the line or at most 2 lines below it.
constexpr std::size_t kLinesAhead = 16;

// The lines below the one at hand, held outside the lists until the pass comes near them. Every
// line is back in the lists, in order, when the pass ends however it ends.
class CLinesAhead {
public:
    CLinesAhead(std::vector<std::string>& texts, std::vector<CLineRecord>& records, std::size_t keep, bool active)
        : m_texts(texts)
        , m_records(records)
    {
        if (!active || texts.size() != records.size() || keep >= texts.size())
            return;
        const auto from = static_cast<std::ptrdiff_t>(keep);
        m_heldTexts.assign(std::make_move_iterator(texts.begin() + from), std::make_move_iterator(texts.end()));
        m_heldRecords.assign(std::make_move_iterator(records.begin() + from), std::make_move_iterator(records.end()));
        texts.erase(texts.begin() + from, texts.end());
        records.erase(records.begin() + from, records.end());
        texts.reserve(texts.size() + m_heldTexts.size() + kLinesAhead);
        records.reserve(records.size() + m_heldRecords.size() + kLinesAhead);
    }
    CLinesAhead(const CLinesAhead&) = delete;
    CLinesAhead& operator=(const CLinesAhead&) = delete;
    ~CLinesAhead() { LetInAll(); }

    // The lists reach at least `count` lines, as far as there are lines.
    void LetIn(std::size_t count)
    {
        while (m_next < m_heldTexts.size() && m_texts.size() < count) {
            m_texts.push_back(std::move(m_heldTexts[m_next]));
            m_records.push_back(std::move(m_heldRecords[m_next]));
            ++m_next;
        }
    }
    void LetInAll() { LetIn(static_cast<std::size_t>(-1)); }

private:
    std::vector<std::string>& m_texts;
    std::vector<CLineRecord>& m_records;
    std::vector<std::string> m_heldTexts;
    std::vector<CLineRecord> m_heldRecords;
    std::size_t m_next = 0;
};

} // namespace

void CRefMaker::BeginReanalysis(const std::vector<CLineRecord>& records)
{
    ResetCounters(false);
    const Traits& traits = GetTraits();
    for (const CLineRecord& record : records)
        nExistingTags += record.nKind == traits.newKind || record.nKind == traits.existingKind;
    m_again = true;
}

std::vector<std::int32_t> CRefMaker::StandingTags(const std::vector<std::string>& texts,
    const std::vector<CLineRecord>& records, std::size_t start, std::size_t i) const
{
    const Traits& traits = GetTraits();
    const auto ours
        = [&](std::size_t k) { return records[k].nKind == traits.newKind || records[k].nKind == traits.existingKind; };
    std::vector<std::int32_t> numbers;
    // The tags of a line stand together directly before it, among those of the other base.
    std::size_t k = i;
    for (; k-- > start && IsTagLine(texts[k]);)
        if (ours(k))
            numbers.push_back(ParseTagNumber(texts[k]));
    // A tag placed for the line keeps a copy of its record, also where its anchor moved it: a few
    // lines up, or past the line to the one below.
    const std::size_t from = std::max(start, i >= kAnchorReach ? i - kAnchorReach : 0);
    const std::size_t to = std::min(records.size(), i + 3);
    for (k = from; k < to; ++k)
        if (k != i && records[k].nKind == traits.newKind && records[k].recvFound.DeterminedKinds() > 0
            && records[k].recvFound.Equals(records[i].recvFound))
            numbers.push_back(ParseTagNumber(texts[k]));
    return numbers;
}

bool CRefMaker::CLinePlacement::Stands(std::int32_t number) const
{
    return std::find(standing.begin(), standing.end(), number) != standing.end();
}

void CRefMaker::AnalyseLines(std::vector<std::string>& texts, std::vector<CLineRecord>& records, const COleDate& effective)
{
    m_passStopped = false;
    const Traits& traits = GetTraits();
    const CPhraseSet typePhrases = BuildPhrases(TypeDictionary());
    const CPhraseSet bodyPhrases = BuildPhrases(BodyDictionary());
    m_ui.ShowProgress(texts.size());
    const std::size_t start = CRlaText::FindFirstTextLine(texts);
    // A confirmation that leaves the rows alone lets each line keep only the lines around it for
    // taking its tags back, not a copy of the whole text, and lets the lines below wait outside
    // the lists, so that a tag inserted before a line moves only the few let in after it.
    const bool keepsRows = m_ui.KeepsRowsWhileConfirming();
    const bool wholeSnapshot = !keepsRows;
    const CDocRecvisits header = m_doc.headerLines ? HeaderRequisites(*m_doc.headerLines) : CDocRecvisits();
    const bool local = traits.linkSlot == &CLineRecord::recvLocal;
    const bool leaveItself = m_ui.LeavesTheDocumentItself();
    const bool certainOnly = m_ui.PlacesCertainLinksOnly() && !m_askAlways;
    const bool onlyOne = m_onlyLine != static_cast<std::size_t>(-1);
    CCertaintyMemory memory;
    const std::int32_t placedBefore = nPlacedTags;
    CLinesAhead ahead(texts, records, start, keepsRows);
    for (std::size_t i = start; ahead.LetIn(i + 1 + kLinesAhead), i < records.size() && i < texts.size(); ++i) {
        m_ui.StepProgress();
        if (m_ui.StopRequested()) {
            m_passStopped = true;
            break;
        }
        // A tag line placed for a suspicious line carries a copy of its record: it is not one itself.
        if (records[i].*traits.suspectFlag != 1 || IsTagKind(records[i].nKind))
            continue;
        if (onlyOne && i != m_onlyLine)
            continue;
        CLinePlacement p(texts, records, i, wholeSnapshot);
        p.preceding = PrecedingTag(texts, records, start, i, p.precedingNumber);
        if (m_again)
            p.standing = StandingTags(texts, records, start, i);

        std::vector<CDocRecvisits> candidates;
        CLineRecord fresh;
        const std::string text = RecognitionText(texts, start, i);
        FindCandidates(text, typePhrases, bodyPhrases, effective, candidates, fresh);
        MergeRecord(fresh, records[i]);
        if (!candidates.empty()) {
            p.agreements = AgreementsOf(Documents(), candidates, fresh.recvFound, CitedPairsOfLine(texts, start, i), header, local);
            if (leaveItself)
                LeaveOutTheDocumentItself(candidates, p.agreements);
            p.candidateCount = candidates.size();
        }
        if (certainOnly) {
            if (!candidates.empty() && records[i].ReviewId(local) == 0) {
                memory.fileLine = i - static_cast<std::size_t>(std::max(0, nPlacedTags - placedBefore));
                p.certainty = Certainty(texts, records, start, i, candidates, p.agreements, typePhrases, memory);
                p.certaintyKnown = true;
                PlaceCertainLinks(p, candidates, start);
                i = p.current;
            }
            YieldToUi(m_ui);
            continue;
        }
        if (candidates.size() > 1) {
            memory.fileLine = i - static_cast<std::size_t>(std::max(0, nPlacedTags - placedBefore));
            p.certainty = Certainty(texts, records, start, i, candidates, p.agreements, typePhrases, memory);
            p.certaintyKnown = true;
        }
        if (!candidates.empty()) {
            PlaceTags(p, candidates, start, effective);
            const int answer = p.confirm && !p.positions.empty() ? ConfirmPlacedTags(p) : AnswerNo;
            if (answer == AnswerCancel)
                p.endPass = true;
            if (onlyOne) {
                if (answer == AnswerYes)
                    m_lastPlaced = p.positions;
                break;
            }
            if (p.endPass) {
                m_passStopped = true;
                break;
            }
            i = p.current; // the loop goes on with the line after it
        }
        YieldToUi(m_ui);
    }
    ahead.LetInAll();
    m_ui.HideProgress();
}

std::vector<std::size_t> CRefMaker::AnalyseLine(
    std::vector<std::string>& texts, std::vector<CLineRecord>& records, const COleDate& effective, std::size_t line)
{
    m_lastPlaced.clear();
    m_askAlways = true;
    m_onlyLine = line;
    AnalyseLines(texts, records, effective);
    m_askAlways = false;
    m_onlyLine = static_cast<std::size_t>(-1);
    m_passStopped = false;
    return std::move(m_lastPlaced);
}

std::vector<CRefMaker::CLineExplanation> CRefMaker::ExplainLines(
    const std::vector<std::string>& texts, const std::vector<CLineRecord>& records, const COleDate& effective)
{
    const Traits& traits = GetTraits();
    const CPhraseSet typePhrases = BuildPhrases(TypeDictionary());
    const CPhraseSet bodyPhrases = BuildPhrases(BodyDictionary());
    const CDocRecvisits header = m_doc.headerLines ? HeaderRequisites(*m_doc.headerLines) : CDocRecvisits();
    const bool local = traits.linkSlot == &CLineRecord::recvLocal;
    const std::size_t start = CRlaText::FindFirstTextLine(texts);
    std::vector<CLineExplanation> lines;
    CCertaintyMemory memory;
    for (std::size_t i = start; i < records.size() && i < texts.size(); ++i) {
        if (records[i].*traits.suspectFlag != 1)
            continue;
        CLineExplanation e;
        e.line = i;
        CLineRecord fresh;
        FindCandidates(RecognitionText(texts, start, i), typePhrases, bodyPhrases, effective, e.candidates, fresh);
        e.found = fresh.recvFound;
        e.pairs = CitedPairsOfLine(texts, start, i);
        e.agreements = AgreementsOf(Documents(), e.candidates, e.found, e.pairs, header, local);
        memory.fileLine = i;
        e.certainty = Certainty(texts, records, start, i, e.candidates, e.agreements, typePhrases, memory);
        lines.push_back(std::move(e));
    }
    return lines;
}

bool CRefMaker::HasNumber(const std::string& number)
{
    std::vector<std::int32_t> ids;
    CDocDict::AppendIds({ number }, Documents().numbers, ids);
    return !ids.empty();
}

bool CRefMaker::HasDocument(const CCitedPair& pair)
{
    CDocDict& dict = Documents();
    std::vector<std::int32_t> ids;
    CDocDict::AppendIds({ pair.number }, dict.numbers, ids);
    if (ids.empty())
        return false;
    std::vector<std::uint32_t> rows;
    dict.records.CandidateRows(ids, { pair.date }, rows);
    for (std::uint32_t row : rows) {
        const auto numbers = dict.records.NumberIds(row);
        const auto dates = dict.records.AdoptionDates(row);
        bool number = false;
        bool date = false;
        for (std::size_t k = 0; k < numbers.size(); ++k)
            number = number || std::find(ids.begin(), ids.end(), numbers[k]) != ids.end();
        for (std::size_t k = 0; k < dates.size(); ++k)
            date = date || dates[k] == pair.date;
        if (number && date)
            return true;
    }
    return false;
}

namespace {

// The lines of a suspicious line's window, tags left out: up to three text lines above it (not
// above start), the line, and the text line below it.
struct CWindow {
    std::vector<std::string_view> lines;
    std::vector<bool> suspicious;
    std::size_t at = 0;
};

CWindow WindowOf(const std::vector<std::string>& texts, const std::vector<CLineRecord>& records, std::size_t start,
    std::size_t i, std::int32_t CLineRecord::*suspectFlag)
{
    CWindow w;
    const std::size_t size = std::min(texts.size(), records.size());
    const auto add = [&](std::size_t k) {
        w.lines.push_back(texts[k]);
        w.suspicious.push_back(records[k].*suspectFlag == 1);
    };
    std::vector<std::size_t> above;
    for (std::size_t k = i; k-- > start && above.size() < 3 && i - k <= 8;)
        if (!IsTagKind(records[k].nKind))
            above.push_back(k);
    for (auto k = above.rbegin(); k != above.rend(); ++k)
        add(*k);
    w.at = w.lines.size();
    add(i);
    for (std::size_t k = i + 1; k < size && k <= i + 4; ++k) {
        if (!IsTagKind(records[k].nKind)) {
            add(k);
            break;
        }
    }
    return w;
}

// A joint act cited by its numbers joined ("N 1/29 от 13.01.2003"): each part is one of the
// candidate's numbers, and the date one of its dates.
bool CitedAsJoint(const CDocRecvisits& candidate, const std::vector<CCitedPair>& pairs)
{
    for (const CCitedPair& pair : pairs) {
        if (pair.number.find('/') == std::string::npos
            || std::find(candidate.adoptionDates.begin(), candidate.adoptionDates.end(), pair.date)
                == candidate.adoptionDates.end())
            continue;
        bool all = true;
        for (std::size_t from = 0; all && from <= pair.number.size();) {
            const std::size_t to = std::min(pair.number.find('/', from), pair.number.size());
            const std::string part = pair.number.substr(from, to - from);
            all = std::any_of(candidate.numbers.begin(), candidate.numbers.end(),
                [&](const std::string& n) { return CleanNumber(n) == part; });
            from = to + 1;
        }
        if (all)
            return true;
    }
    return false;
}

bool NamesTypeOf(std::string_view line, const CDocRecvisits& doc, const CPhraseSet& typePhrases)
{
    for (const std::string& value : FindValuesInWords(SplitMatchWords(line), typePhrases))
        for (const std::string& type : doc.types)
            if (NormalizeText(type) == value)
                return true;
    return false;
}

} // namespace

CLineCertainty CRefMaker::Certainty(const std::vector<std::string>& texts, const std::vector<CLineRecord>& records,
    std::size_t start, std::size_t i, const std::vector<CDocRecvisits>& candidates,
    const std::vector<CCandidateAgreement>& agreements, const CPhraseSet& typePhrases, CCertaintyMemory& memory)
{
    CLineCertainty c;
    const auto decide = [&](LineClass kind, LineWhy why) {
        c.kind = kind;
        c.why = why;
        if (kind == LineClass::Link)
            for (std::size_t k : c.chosen)
                memory.linked.emplace_back(candidates[k].nBaseNumber, memory.fileLine);
        return c;
    };
    if (candidates.empty() || i >= texts.size() || i >= records.size())
        return decide(LineClass::Nothing, LineWhy::NoCandidates);
    std::vector<std::size_t> kept; // the candidates that are not the open document
    for (std::size_t k = 0; k < candidates.size(); ++k)
        if (!(k < agreements.size() && agreements[k].itself))
            kept.push_back(k);
    if (kept.empty())
        return decide(LineClass::Nothing, LineWhy::Itself);
    // Linked on one of the four lines above: the same citation going on.
    constexpr std::size_t kCitationReach = 4;
    const auto linkedAbove = [&](std::size_t k) {
        return std::any_of(memory.linked.begin(), memory.linked.end(), [&](const auto& link) {
            return link.first == candidates[k].nBaseNumber && link.second < memory.fileLine
                && memory.fileLine - link.second <= kCitationReach;
        });
    };
    const auto link = [&](std::vector<std::size_t> chosen, LineWhy why) {
        for (std::size_t k : chosen)
            if (!linkedAbove(k))
                c.chosen.push_back(k);
        return c.chosen.empty() ? decide(LineClass::Nothing, LineWhy::CitedNearby) : decide(LineClass::Link, why);
    };

    const CWindow window = WindowOf(texts, records, start, i, GetTraits().suspectFlag);
    const CLineCitations cited = CitationsOfLine(window.lines, window.suspicious, window.at);
    std::vector<std::size_t> paired;
    for (std::size_t k : kept)
        if (IsCitedTogether(candidates[k], cited.own) || CitedAsJoint(candidates[k], cited.own))
            paired.push_back(k);
    if (!paired.empty())
        return link(paired, kept.size() == 1 ? LineWhy::OnlyCandidate : LineWhy::CitedTogether);
    // What the line itself cites: its numbers and dates, and those of the citations it is the place of.
    std::vector<std::string> numbers = cited.numbers;
    std::vector<COleDate> dates = cited.dates;
    for (const CCitedPair& pair : cited.own) {
        numbers.push_back(pair.number);
        dates.push_back(pair.date);
    }
    if (kept.size() == 1 && CitesDocument(candidates[kept.front()], numbers, dates))
        return link(kept, LineWhy::OnlyCandidate);
    if (!cited.own.empty() && std::none_of(cited.own.begin(), cited.own.end(), [this](const CCitedPair& pair) {
            return HasDocument(pair);
        }))
        return decide(LineClass::Nothing, LineWhy::NotInBase);
    // A number of the line that no candidate has but a document of the base does: the line cites
    // what the candidates miss.
    for (const std::string& number : numbers) {
        const bool candidate = std::any_of(
            kept.begin(), kept.end(), [&](std::size_t k) { return CitesDocument(candidates[k], { number }, {}); });
        if (!candidate && HasNumber(number))
            return decide(LineClass::Open, LineWhy::Undecided);
    }
    // What the candidates were found by stands on the lines around, not on this one: the link is theirs.
    bool ownCites = false;
    bool nearby = false;
    for (std::size_t k : kept) {
        ownCites = ownCites || CitesDocument(candidates[k], numbers, dates);
        nearby = nearby || IsCitedTogether(candidates[k], cited.elsewhere)
            || CitesDocument(candidates[k], cited.nearbyNumbers, cited.nearbyDates);
    }
    const bool citesAnything = !numbers.empty() || !dates.empty();
    if (!ownCites && (nearby || (!citesAnything && !cited.elsewhere.empty())))
        return decide(LineClass::Nothing, LineWhy::CitedNearby);
    if (!citesAnything) {
        if (cited.publication)
            return decide(LineClass::Nothing, LineWhy::Publication);
        if (kept.size() == 1 && NamesTypeOf(texts[i], candidates[kept.front()], typePhrases))
            return link(kept, LineWhy::OnlyCandidate);
    }
    return decide(LineClass::Open, LineWhy::Undecided);
}

std::uint32_t CRefMaker::NextReviewId()
{
    static std::atomic<std::uint32_t> next { 1 };
    return next.fetch_add(1, std::memory_order_relaxed);
}

void CRefMaker::PlaceCertainLinks(CLinePlacement& p, const std::vector<CDocRecvisits>& candidates, std::size_t start)
{
    const Traits& traits = GetTraits();
    const bool local = traits.linkSlot == &CLineRecord::recvLocal;
    const CLineCertainty& certainty = p.certainty;
    if (certainty.kind == LineClass::Nothing)
        return;
    CReviewNote note;
    note.id = NextReviewId();
    note.local = local;
    note.kind = certainty.kind;
    note.why = certainty.why;
    note.candidateCount = p.candidateCount;
    if (certainty.kind == LineClass::Open) {
        p.records[p.line].ReviewId(local) = note.id;
        p.records[p.line].ReviewState(local) = ReviewOpen;
        m_ui.NoteReviewRow(note);
        if (m_doc.noteReview)
            m_doc.noteReview(note);
        return;
    }
    std::vector<CDocRecvisits> docs;
    for (std::size_t k : certainty.chosen) {
        const CDocRecvisits& doc = candidates[k];
        // Not where a tag above already links the line.
        if ((p.preceding && p.precedingNumber == doc.nBaseNumber) || p.Stands(doc.nBaseNumber))
            continue;
        docs.push_back(doc);
    }
    if (docs.empty())
        return;
    // The text lines around, to find what marking the anchors changed: only tags come in between.
    const std::size_t from = std::max(start, p.line >= 12 ? p.line - 12 : 0);
    const std::size_t to = std::min(p.texts.size(), p.line + 13);
    std::vector<std::string> before;
    for (std::size_t k = from; k < to; ++k)
        if (!IsTagKind(p.records[k].nKind))
            before.push_back(p.texts[k]);

    CLineRecord tagTemplate = p.records[p.line];
    if (docs.size() == 1 || certainty.why == LineWhy::OnlyCandidate)
        p.records[p.line].*traits.linkSlot = docs.front();
    for (const CDocRecvisits& doc : docs)
        PlaceTag(p, CertainTag(doc), tagTemplate, doc);
    MarkAnchorsOfPlaced(p);
    m_ui.NoteTagsPlaced(p.tagKind, p.positions.size(), p.candidateCount > 1);
    const std::size_t lineAt = p.current; // the marking moved it with the tags
    for (std::size_t position : p.positions) {
        p.records[position].ReviewId(local) = note.id;
        p.current = std::max(p.current, position);
    }
    if (lineAt < p.records.size()) {
        p.records[lineAt].ReviewId(local) = note.id;
        p.records[lineAt].ReviewState(local) = ReviewUnreviewed;
    }
    // Text lines keep their order; the marking put markers in place of characters.
    std::size_t b = 0;
    int lineOrdinal = 0;
    for (std::size_t k = from; k < lineAt && k < p.records.size(); ++k)
        lineOrdinal += IsTagKind(p.records[k].nKind) ? 0 : 1;
    for (std::size_t k = from; k < std::min(p.texts.size(), to + p.positions.size()) && b < before.size(); ++k) {
        if (IsTagKind(p.records[k].nKind))
            continue;
        const std::string& now = p.texts[k];
        const std::string& was = before[b];
        const int offset = static_cast<int>(b++) - lineOrdinal;
        for (std::size_t c = 0; c < now.size() && c < was.size() && c <= 0xFFFF; ++c)
            if (now[c] != was[c] && IsAnchorMarker(now[c]))
                note.anchorChanges.push_back({ offset, static_cast<std::uint16_t>(c), was[c] });
    }
    note.linked = p.linked;
    m_ui.NoteReviewRow(note);
    if (m_doc.noteReview)
        m_doc.noteReview(note);
}

std::size_t CRefMaker::TakeBackReviewRow(std::vector<std::string>& texts, std::vector<CLineRecord>& records, bool local,
    std::uint32_t id, const std::vector<CReviewNote::CAnchorChange>& changes)
{
    if (id == 0)
        return 0;
    const std::int32_t kinds[2] = { local ? InnerLinkNew : OrvoLinkNew, local ? InnerLinkExisting : OrvoLinkExisting };
    std::size_t removed = 0;
    for (std::size_t k = std::min(texts.size(), records.size()); k-- > 0;) {
        if ((records[k].nKind == kinds[0] || records[k].nKind == kinds[1]) && records[k].ReviewId(local) == id) {
            texts.erase(texts.begin() + static_cast<std::ptrdiff_t>(k));
            records.erase(records.begin() + static_cast<std::ptrdiff_t>(k));
            ++removed;
        }
    }
    const std::size_t size = std::min(texts.size(), records.size());
    std::size_t line = 0;
    while (line < size && (IsTagKind(records[line].nKind) || records[line].ReviewId(local) != id))
        ++line;
    if (line == size)
        return removed;
    for (const CReviewNote::CAnchorChange& change : changes) {
        // The text line that many text lines from the row's line.
        std::size_t k = line;
        for (int step = change.lineOffset; step != 0 && k < size;) {
            if (step > 0) {
                if (++k >= size)
                    break;
            } else {
                if (k == 0) {
                    k = size;
                    break;
                }
                --k;
            }
            if (!IsTagKind(records[k].nKind))
                step += step > 0 ? -1 : 1;
        }
        if (k < size && change.position < texts[k].size() && IsAnchorMarker(texts[k][change.position]))
            texts[k][change.position] = change.original;
    }
    return removed;
}

void CRefMaker::InsertLine(
    std::vector<std::string>& texts, std::vector<CLineRecord>& records, std::size_t at, std::string text, CLineRecord record)
{
    texts.insert(texts.begin() + static_cast<std::ptrdiff_t>(at), std::move(text));
    records.insert(records.begin() + static_cast<std::ptrdiff_t>(at), std::move(record));
}
