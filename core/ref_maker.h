#pragma once

// The base of the two reference makers: each owns the dictionaries of its base (or, on a thread
// of a batch analysis, reads those of another maker, which never change meanwhile), loads and
// stores them in its service files, and keeps the statistics of the document opened last. Both bases
// keep their files alike: one archive of requisite dictionaries, one archive of documents and the
// flat file of their titles; the base does that work once for both.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/ole_date.h"
#include "base/phrase_match.h"
#include "core/line_record.h"
#include "requisites/certainty.h"
#include "seam/user_interface.h"
#include "storage/service_file_guard.h"

class CArchive;
class CDocDict;
class CRecvDict;
class CUserInterface;

// The shared yield routine: every 30th call gives the window its pending events, so long loops
// stay responsive without paying for it on every step.
void YieldToUi(CUserInterface& ui);

class CRefMaker {
public:
    // The names of a maker's files and the messages that belong to them.
    struct ServiceFiles {
        const char* dictionaries;      // the requisite dictionaries (and keywords)
        const char* documents;         // the documents dictionary
        const char* titles;            // the flat file of titles (names)
        const char* titlesCreateError; // shown when the titles file can be neither opened nor created
        const char* documentsSaveError;
    };

    CRefMaker(CUserInterface& ui, const ServiceFiles& files)
        : m_ui(ui)
        , m_files(files)
    {
    }
    virtual ~CRefMaker() = default;
    CRefMaker(const CRefMaker&) = delete;
    CRefMaker& operator=(const CRefMaker&) = delete;

    std::int32_t nExistingTags = 0;
    std::int32_t nPlacedTags = 0;
    std::int32_t nSuspiciousLines = 0;
    // The dictionaries differ from the service files. Set at first, so a maker whose files could
    // not be loaded writes them at its first save.
    std::int32_t bModified = 1;

    // The dictionaries file, then the documents file, then the titles file (created empty when
    // missing). A file that cannot be read does not stop the others from loading; false when any
    // could not be read, silently. The save that follows writes only the files that failed or
    // were missing, so a sound file never gives way to an empty dictionary.
    // mayCreate false (a folder this run may not write): a missing titles file is not created.
    virtual bool LoadFiles(const std::string& folder, bool mayCreate = true);
    // The archives, when modified; a failure is reported and the flag cleared all the same. A
    // file the person would not let replace (another program changed it) stays marked modified.
    virtual void SaveFiles(const std::string& folder);
    // What changed, so that the next SaveFiles writes it.
    void MarkDictionariesModified() { bModified = 1; m_dictionariesDirty = true; }
    void MarkDocumentsModified() { bModified = 1; m_documentsDirty = true; }

    // The parts of the above, for tools that change one file only.
    bool LoadDictionaries(const std::string& folder);
    bool LoadDocuments(const std::string& folder, bool mayCreate = true);
    bool SaveDictionaries(const std::string& folder);
    bool SaveDocuments(const std::string& folder);

    // With a guard, the files are remembered as loaded and checked before they are replaced.
    void SetFileGuard(CServiceFileGuard* guard) { m_guard = guard; }

    // Fills the documents dictionary from a list file the person chooses, and stores it with its
    // titles at once (CDocDict::ImportList). True when it did.
    bool ImportDocuments();
    // The same for a given list file; dos: code page 866, else 1251.
    bool ImportDocumentsFile(const std::string& path, bool dos);

    // What a maker needs of the document: marking it modified, and what of its settings the
    // candidates dialog shows (the display font and the notepad), put into the request.
    struct DocumentLink {
        std::function<void()> setModified;
        std::function<void(SelectDocumentsRequest&)> showSettings;
        const std::vector<std::string>* headerLines = nullptr; // of the open document
        // Each row of the analysis without questions, for the document's review.
        std::function<void(const CReviewNote&)> noteReview;
    };
    void SetDocument(DocumentLink link) { m_doc = std::move(link); }

    // The second pass: proposes and places tags for the suspicious lines, each line's tags then
    // confirmed or taken back. The walk is the same for both bases; what they place differs.
    virtual void AnalyseLines(std::vector<std::string>& texts, std::vector<CLineRecord>& records, const COleDate& effective);
    // The handling of one suspicious line as the pass without the analysis without questions
    // does it: the candidates dialog and the confirmation, whatever the interface's setting.
    // Returns the indexes of the tags placed and kept (none: declined or nothing to place).
    std::vector<std::size_t> AnalyseLine(std::vector<std::string>& texts, std::vector<CLineRecord>& records,
        const COleDate& effective, std::size_t line);
    // Tag records for one line from requisites the person chose; the view inserts them.
    virtual bool ProposeForRequisites(const CLineRecord& record, const std::string& context, std::vector<CLineRecord>& out,
        const CDocRecvisits& requisites, const COleDate& effective);
    // The requisites the text names and the documents that agree with them, in candidate order;
    // the record's recvFound receives what was recognised.
    virtual void FindCandidates(std::string_view text, const CPhraseSet& typePhrases,
        const CPhraseSet& bodyPhrases, const COleDate& effective, std::vector<CDocRecvisits>& out,
        CLineRecord& record);
    // The first pass: existing tags and suspicious lines.
    virtual void ScanLines(const std::vector<std::string>& texts, std::vector<CLineRecord>& records) = 0;

    // What the second pass would see at each suspicious line of this base, without placing or
    // asking anything: for explaining its choices and finding the citations the base lacks.
    struct CLineExplanation {
        std::size_t line = 0;
        CDocRecvisits found;                       // what was recognised in its recognition text
        std::vector<CDocRecvisits> candidates;     // in candidate order
        std::vector<CCandidateAgreement> agreements;
        std::vector<CCitedPair> pairs;             // the numbers and dates the line cites together
        CLineCertainty certainty; // chosen indexes refer to candidates
    };
    std::vector<CLineExplanation> ExplainLines(
        const std::vector<std::string>& texts, const std::vector<CLineRecord>& records, const COleDate& effective);
    // Whether some document of this base has the pair's number and date.
    bool HasDocument(const CCitedPair& pair);
    // Whether some document of this base has the number (cleaned, upper case).
    bool HasNumber(const std::string& number);
    // The links a walk from the top found certain lately: a citation is linked once, where it
    // stands, not again on the lines that follow it. fileLine counts the lines as the file has
    // them (the tags the walk placed left out).
    struct CCertaintyMemory {
        std::vector<std::pair<std::int32_t, std::size_t>> linked; // base number, fileLine
        std::size_t fileLine = 0;
    };
    // How sure the analysis is of line i with these candidates (the open document among them,
    // marked in agreements): the one routine of the analysis without questions, the candidates
    // dialog's preselection and the tool's explanations. Lines are to be given from the top,
    // with one memory for the walk.
    CLineCertainty Certainty(const std::vector<std::string>& texts, const std::vector<CLineRecord>& records,
        std::size_t start, std::size_t i, const std::vector<CDocRecvisits>& candidates,
        const std::vector<CCandidateAgreement>& agreements, const CPhraseSet& typePhrases, CCertaintyMemory& memory);
    // A fresh id of a review row, unique in the process.
    static std::uint32_t NextReviewId();
    // Takes back the tags of review row id of a base (they stand anywhere in the lists) and puts
    // back what their anchors replaced (as the row's note told); the line keeps its id. The
    // number of tags removed.
    static std::size_t TakeBackReviewRow(std::vector<std::string>& texts, std::vector<CLineRecord>& records, bool local,
        std::uint32_t id, const std::vector<CReviewNote::CAnchorChange>& changes);

    // Takes what the fresh record says into the existing one, emptying nothing.
    static void MergeRecord(const CLineRecord& fresh, CLineRecord& existing);
    // Marks the anchor of the tag line at tagIndex in the lines around it; false when none of the
    // linked document's types occurs there.
    static bool MarkAnchorNearTag(std::vector<std::string>& texts, std::vector<CLineRecord>& records, std::size_t tagIndex);
    // The same; indexes the caller keeps into the lists follow the tag line when it moves.
    static bool MarkAnchorNearTag(std::vector<std::string>& texts, std::vector<CLineRecord>& records, std::size_t tagIndex,
        const std::vector<std::size_t*>& tracked);
    // Moves a line and its record so that it stands directly before the line that was at to.
    static void MoveLine(std::vector<std::string>& texts, std::vector<CLineRecord>& records, std::size_t from, std::size_t to);

    void ResetCounters(bool full)
    {
        nExistingTags = 0;
        nPlacedTags = 0;
        if (full)
            nSuspiciousLines = 0;
        m_again = false;
    }
    // Before a pass over a document analysed already: the suspicious lines stay counted, the tags
    // of this base the document holds now (those of the file and those placed since) count as
    // already there, and the pass proposes no tag of this base that stands before its line.
    void BeginReanalysis(const std::vector<CLineRecord>& records);
    // Whether the last pass ended before the end of the text: the person stopped it.
    bool PassStopped() const { return m_passStopped; }

    CUserInterface& Ui() const { return m_ui; }
    const ServiceFiles& Files() const { return m_files; }

protected:
    // How the two bases differ where the work is otherwise the same.
    struct Traits {
        std::int32_t newKind;                  // kind of a tag line this maker places
        CDocRecvisits CLineRecord::*linkSlot;  // where a tag's record keeps the linked document
        bool skipWithoutNumberOrDate;          // FindCandidates scores only records with a number or a date
        bool declineMeansSuccess;              // "Нет" in the candidates dialog of ProposeForRequisites
        std::int32_t CLineRecord::*suspectFlag; // the first pass of this base marked the line
        std::int32_t existingKind; // kind of a tag line of this base the file held
    };

    // One suspicious line of the second pass: the snapshot taken before its first change, the
    // tags placed directly before it and the documents they link.
    struct CLinePlacement {
        CLinePlacement(std::vector<std::string>& t, std::vector<CLineRecord>& r, std::size_t i, bool wholeSnapshot)
            : texts(t)
            , records(r)
            , line(i)
            , current(i)
            , snapshotWhole(wholeSnapshot)
        {
        }
        std::vector<std::string>& texts;
        std::vector<CLineRecord>& records;
        std::size_t line;    // where the line stood when its handling began
        std::size_t current; // where it stands now
        bool preceding = false; // a tag of this base stands where it keeps the line from another
        std::int32_t precedingNumber = 0;
        // On a re-analysis: the numbers of this base's tags that already link the line.
        std::vector<std::int32_t> standing;
        bool Stands(std::int32_t number) const;
        // The lines as they were before the first change: all of them when the confirmation may
        // change any row, else only those around the line, from snapshotFrom on. Until the anchors
        // are marked, the handling changes the line's own record and inserts its tags before it,
        // nothing else; marking reaches a few lines either side of the tags.
        bool snapshotWhole;
        bool snapshotTaken = false;
        std::size_t snapshotFrom = 0;
        std::vector<std::string> snapshotTexts;
        std::vector<CLineRecord> snapshotRecords;
        std::vector<std::size_t> positions;
        std::int32_t tagKind = Plain; // the kind of the tags placed
        std::vector<CDocRecvisits> linked;
        std::vector<CCandidateAgreement> agreements; // of the line's candidates, in their order
        std::size_t candidateCount = 0;
        bool confirm = true; // false: the pass ended before the confirmation
        bool endPass = false;
        CLineCertainty certainty; // computed when the pass places the certain links or asks
        bool certaintyKnown = false;
        void TakeSnapshot();
        // A partial snapshot grows to hold at least margin lines on either side of the line. Only
        // while the tags stand together directly before the line, i.e. before marking anchors.
        void WidenSnapshot(std::size_t margin);
        // Puts the snapshot's lines back in place of the current ones, tags removed, with the
        // bookmarks of the current rows carried over to the lines they stand on.
        void RestoreSnapshot();
    };
    // What each base does for a suspicious line with candidates.
    virtual void PlaceTags(CLinePlacement& p, const std::vector<CDocRecvisits>& candidates, std::size_t start,
        const COleDate& effective)
        = 0;
    // Whether a tag of this base stands where it keeps line i from getting another, and its number.
    virtual bool PrecedingTag(const std::vector<std::string>& texts, const std::vector<CLineRecord>& records,
        std::size_t start, std::size_t i, std::int32_t& number) const
        = 0;
    // On a re-analysis, the numbers of this base's tags that already link line i.
    std::vector<std::int32_t> StandingTags(const std::vector<std::string>& texts,
        const std::vector<CLineRecord>& records, std::size_t start, std::size_t i) const;
    // How far above its line a tag placed for it may stand once its anchor is marked.
    static constexpr std::size_t kAnchorReach = 8;
    virtual const CRecvDict& TypeDictionary() const = 0;
    virtual const CRecvDict& BodyDictionary() const = 0;
    // Inserts a tag line for doc directly before the line, after the tags already placed for it.
    void PlaceTag(CLinePlacement& p, std::string tag, CLineRecord tagRecord, const CDocRecvisits& doc);
    // The documents the candidates dialog's answer names; a typed number is looked up and goes the
    // way of a document chosen from the list.
    std::vector<CDocRecvisits> ChosenDocuments(CLinePlacement& p, const SelectDocumentsResult& answer);
    virtual const Traits& GetTraits() const = 0;

    // Pieces of the second pass both makers share.
    static std::string RecognitionText(const std::vector<std::string>& texts, std::size_t start, std::size_t i);
    // The numbers and dates that line i cites together, within its recognition text.
    static std::vector<CCitedPair> CitedPairsOfLine(const std::vector<std::string>& texts, std::size_t start, std::size_t i);
    static std::string ContextText(const std::vector<std::string>& texts, std::size_t start, std::size_t i);
    // The first line of ContextText: 8 lines above the line, not above start.
    static std::size_t ContextFirstLine(std::size_t start, std::size_t i);
    // The candidates question, with the maker's base in it.
    SelectDocumentsRequest CandidatesRequest(std::vector<CDocRecvisits> candidates, std::string context,
        const COleDate& effective, std::vector<CCandidateAgreement> agreements = {}) const;
    // The question of the pass about p's line: its context, the line's place in it and among the rows.
    SelectDocumentsRequest CandidatesRequest(const CLinePlacement& p, std::vector<CDocRecvisits> candidates,
        std::size_t start, const COleDate& effective) const;
    // Drops the candidates that are the open document, with their agreements.
    static void LeaveOutTheDocumentItself(std::vector<CDocRecvisits>& candidates, std::vector<CCandidateAgreement>& agreements);
    // Marks the anchors of the placed tags and asks whether they stay. On "Нет" and "Отмена" the
    // lists go back to the snapshot (with the bookmarks set meanwhile) and the count of placed tags
    // with them. Returns the answer.
    // p.current follows the line as the anchors move tags about, and comes back to the line's
    // index on a rejection. When the tags stay it becomes the last index of that line's lines and
    // tags: the pass goes on after it.
    int ConfirmPlacedTags(CLinePlacement& p);
    // Marks the anchors of the tags placed for p's line; p.current and the positions follow them.
    static void MarkAnchorsOfPlaced(CLinePlacement& p);
    // The analysis without questions at one line: the certain links placed, their anchors marked
    // and remembered, the line's review row told; an open line only told. p.current as after a
    // confirmed line.
    void PlaceCertainLinks(CLinePlacement& p, const std::vector<CDocRecvisits>& candidates, std::size_t start);
    // The text of a tag of this base for doc, as the analysis without questions writes it.
    virtual std::string CertainTag(const CDocRecvisits& doc) const = 0;
    static void InsertLine(std::vector<std::string>& texts, std::vector<CLineRecord>& records, std::size_t at,
        std::string text, CLineRecord record);
    void SetDocumentModified() const
    {
        if (m_doc.setModified)
            m_doc.setModified();
    }
    const DocumentLink& Document() const { return m_doc; }

    // The requisite dictionaries in their file order.
    virtual void SerializeDictionaries(CArchive& ar) = 0;
    virtual CDocDict& Documents() = 0;
    // The value dictionary dialog; sets bModified on a change.
    bool EditDictionary(CRecvDict& dict, const char* caption, const char* column);

    CUserInterface& m_ui;

private:
    CServiceFileGuard::Outcome StoreFile(const char* name, const std::string& folder,
        const std::function<void(CArchive&)>& store);
    void Loaded(const char* name, const std::string& folder);
    // What an import leaves to store.
    bool Imported(bool imported);

    ServiceFiles m_files;
    CServiceFileGuard* m_guard = nullptr;
    DocumentLink m_doc;
    // Which archives differ from their files; both at first, like bModified.
    bool m_dictionariesDirty = true;
    bool m_documentsDirty = true;
    bool m_again = false; // the pass is a re-analysis
    bool m_passStopped = false;
    bool m_askAlways = false; // AnalyseLine: the questions of every line, as the Parts' flow asks them
    // Only line m_onlyLine, when set.
    std::size_t m_onlyLine = static_cast<std::size_t>(-1);
    std::vector<std::size_t> m_lastPlaced;
};
