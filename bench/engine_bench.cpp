// The engine at the size of a real base: candidates for a line, both analyses of a document,
// loading and storing the documents dictionary, the list-file import, reading and writing a
// document. Every figure names the size of its work in its counters.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/platform.h"
#include "bench/synthetic_base.h"
#include "cli/auto_ui.h"
#include "core/candidates.h"
#include "core/rla_text.h"
#include "document/review.h"
#include "document/tag_editor.h"
#include "document/telvarion_doc.h"
#include "local/inner_ref_maker.h"
#include "orvo/orvo_ref_maker.h"
#include "orvo/orvo_search.h"
#include "storage/archive.h"
#include "storage/service_file.h"
#include "tests/support/line_rows.h"

namespace {

constexpr std::size_t kOrvoRecords = 2000000;
constexpr std::size_t kLocalRecords = 500000;
constexpr std::uint32_t kOrvoSeed = 1;
constexpr std::uint32_t kLocalSeed = 2;

// A folder of this run's files, gone when the run ends.
const std::filesystem::path& WorkDir()
{
    struct Dir {
        std::filesystem::path path;
        Dir()
        {
            const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
            path = std::filesystem::temp_directory_path() / ("telvarion-bench-" + std::to_string(stamp));
            std::filesystem::create_directories(path);
        }
        ~Dir()
        {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    };
    static Dir dir;
    return dir.path;
}

std::string WorkFile(const std::string& name) { return (WorkDir() / name).string(); }

// Both makers with their vocabulary; the documents dictionaries filled on demand.
struct CMakers {
    CAutoUi ui { CAutoUi::Policy::Single };
    COrvoRefMaker orvo { ui };
    CInnerRefMaker inner { ui };
    CMakers()
    {
        CSyntheticBase gen(kOrvoSeed);
        gen.FillRecvDicts(orvo.types, orvo.bodies);
        gen.FillRecvDicts(inner.types, inner.bodies);
        gen.FillKeywords(orvo.keywords);
    }
};

CMakers& LoadedMakers()
{
    static std::unique_ptr<CMakers> makers;
    if (!makers) {
        makers = std::make_unique<CMakers>();
        CSyntheticBase orvo(kOrvoSeed);
        orvo.FillDictionary(makers->orvo.documents, kOrvoRecords, WorkFile("Telvarion.ttl"));
        CSyntheticBase local(kLocalSeed);
        local.FillDictionary(makers->inner.documents, kLocalRecords, WorkFile("Telvarion.tlc"));
    }
    return *makers;
}

// The texts of suspicious lines, each citing a document of the Orvo base.
const std::vector<std::string>& CitingLines()
{
    static const std::vector<std::string> lines = CSyntheticBase(kOrvoSeed).DocumentLines(256, 256, kOrvoRecords);
    return lines;
}

// What FindCandidates does, with either way of scoring.
std::size_t Candidates(CDocDict& dict, const std::string& text, const CPhraseSet& typePhrases,
    const CPhraseSet& bodyPhrases, bool scan)
{
    const COleDate effective = COleDate::FromText(2025, 12, 31);
    const CFoundRequisites found = RecognizeRequisites(text, typePhrases, bodyPhrases);
    const CFoundIds ids = ToFoundIds(dict, found.types, found.bodies, found.numbers, found.dates);
    std::vector<CDocRec> matched
        = scan ? ScoreDocumentsByScan(dict, ids, effective, false) : ScoreDocuments(dict, ids, effective, false);
    MergeDuplicates(matched);
    std::vector<CDocRecvisits> out;
    for (const auto& rec : matched)
        out.push_back(dict.ToRecvisits(rec));
    SortCandidates(out);
    return out.size();
}

void CandidatesForOneLine(benchmark::State& state, bool scan)
{
    CMakers& m = LoadedMakers();
    const auto typePhrases = BuildPhrases(m.orvo.types);
    const auto bodyPhrases = BuildPhrases(m.orvo.bodies);
    std::vector<std::uint32_t> rows;
    m.orvo.documents.records.CandidateRows({}, {}, rows); // the index is built before the clock runs
    std::size_t line = 0;
    std::size_t candidates = 0;
    for (auto _ : state) {
        const std::string& text = CitingLines()[line++ % CitingLines().size()];
        candidates += Candidates(m.orvo.documents, text, typePhrases, bodyPhrases, scan);
    }
    // How many records the index hands to scoring, on average over the lines.
    std::size_t indexed = 0;
    for (const auto& text : CitingLines()) {
        const CFoundRequisites found = RecognizeRequisites(text, typePhrases, bodyPhrases);
        const CFoundIds ids = ToFoundIds(m.orvo.documents, found.types, found.bodies, found.numbers, found.dates);
        m.orvo.documents.records.CandidateRows(ids.types, ids.bodies, ids.numbers, ids.dates, rows);
        indexed += rows.size();
    }
    state.counters["base_records"] = static_cast<double>(m.orvo.documents.records.size());
    state.counters["records_scored"] = scan ? static_cast<double>(m.orvo.documents.records.size())
                                            : static_cast<double>(indexed) / static_cast<double>(CitingLines().size());
    state.counters["candidates_per_line"] = static_cast<double>(candidates) / static_cast<double>(state.iterations());
}

void BM_CandidatesIndexed(benchmark::State& state) { CandidatesForOneLine(state, false); }
void BM_CandidatesScan(benchmark::State& state) { CandidatesForOneLine(state, true); }

// A document of 20,000 lines with 2,000 citations, half of Orvo documents, half of local ones.
std::vector<std::string> AnalysedDocument()
{
    constexpr std::size_t kLines = 20000;
    constexpr std::size_t kCitations = 2000;
    std::vector<std::string> lines = CSyntheticBase(kOrvoSeed).DocumentLines(kLines, kCitations, kOrvoRecords);
    const std::vector<std::string> local = CSyntheticBase(kLocalSeed).DocumentLines(kLines, kCitations, kLocalRecords);
    const std::size_t step = kLines / kCitations;
    for (std::size_t i = 0; i < kLines; ++i)
        if ((i + 1) % step == 0 && ((i + 1) / step) % 2 == 0)
            lines[i] = local[i];
    return lines;
}

// Both passes of both makers over a copy of the lines, as opening a document runs them.
std::vector<CLineRecord> AnalyseWith(CRefMaker& orvo, CRefMaker& inner, const std::vector<std::string>& document)
{
    const COleDate effective = COleDate::FromText(2025, 12, 31);
    std::vector<std::string> texts = document;
    std::vector<CLineRecord> records(texts.size());
    for (CRefMaker* maker : { &orvo, &inner }) {
        maker->ResetCounters(true);
        maker->ScanLines(texts, records);
        maker->AnalyseLines(texts, records, effective);
    }
    benchmark::DoNotOptimize(records.data());
    return records;
}

void AnalyseBoth(CMakers& m, const std::vector<std::string>& document) { AnalyseWith(m.orvo, m.inner, document); }

void BM_BothAnalyses(benchmark::State& state)
{
    CMakers& m = LoadedMakers();
    const std::vector<std::string> document = AnalysedDocument();
    for (auto _ : state)
        AnalyseBoth(m, document);
    state.counters["lines"] = static_cast<double>(document.size());
    state.counters["orvo_records"] = static_cast<double>(m.orvo.documents.records.size());
    state.counters["local_records"] = static_cast<double>(m.inner.documents.records.size());
    state.counters["orvo_suspicious"] = m.orvo.nSuspiciousLines;
    state.counters["orvo_placed"] = m.orvo.nPlacedTags;
    state.counters["local_suspicious"] = m.inner.nSuspiciousLines;
    state.counters["local_placed"] = m.inner.nPlacedTags;
}

// The analysis without questions over the same dictionaries: the certain links placed, every
// linked or open line a row of the document's review. Goal: at most a tenth more time than
// BM_BothAnalyses over the same document.
struct CCertainMakers {
    CAutoUi ui { CAutoUi::Policy::Certain };
    COrvoRefMaker orvo;
    CInnerRefMaker inner;
    CReview review;
    explicit CCertainMakers(CMakers& shared)
        : orvo(ui, shared.orvo)
        , inner(ui, shared.inner)
    {
        const CRefMaker::DocumentLink link { {}, {}, nullptr, [this](const CReviewNote& note) { review.Add(note); } };
        orvo.SetDocument(link);
        inner.SetDocument(link);
    }
};

void BM_CertainAnalyses(benchmark::State& state)
{
    CCertainMakers m(LoadedMakers());
    const std::vector<std::string> document = AnalysedDocument();
    for (auto _ : state) {
        m.review.Clear();
        AnalyseWith(m.orvo, m.inner, document);
    }
    std::size_t open = 0;
    for (const CReviewRow& row : m.review.Rows())
        open += row.kind == LineClass::Open;
    state.counters["lines"] = static_cast<double>(document.size());
    state.counters["review_rows"] = static_cast<double>(m.review.Size());
    state.counters["open_rows"] = static_cast<double>(open);
    state.counters["orvo_placed"] = m.orvo.nPlacedTags;
    state.counters["local_placed"] = m.inner.nPlacedTags;
}

// Where the review's rows stand and their text order, as the review list asks after every edit,
// over the review of the analysis without questions of the same document.
void BM_ReviewPlacesOrdered(benchmark::State& state)
{
    CCertainMakers m(LoadedMakers());
    const std::vector<CLineRecord> records = AnalyseWith(m.orvo, m.inner, AnalysedDocument());
    std::size_t shown = 0;
    for (auto _ : state) {
        const std::vector<CReviewPlace> places = m.review.Places(records);
        const std::vector<std::size_t> ordered = m.review.Ordered(places, ReviewFilter::All);
        shown = ordered.size();
        benchmark::DoNotOptimize(ordered.data());
    }
    state.counters["rows"] = static_cast<double>(m.review.Size());
    state.counters["rows_shown"] = static_cast<double>(shown);
    state.counters["records"] = static_cast<double>(records.size());
}

// What the agreement of the candidates adds to both analyses: over the same document, the
// citations of each suspicious line and the agreement of each of its candidates, for both bases.
// The candidates are found before the clock runs; compare the time with BM_BothAnalyses.
struct CAgreementWork {
    struct Line {
        std::size_t index;
        std::vector<CDocRecvisits> candidates;
        CDocRecvisits found;
    };
    CRefMaker* maker;
    CDocDict* dict;
    bool local;
    std::vector<Line> lines;
};

// The reference maker's helpers for one line of text, as the analyses call them.
struct CLineHelpers : CRefMaker {
    using CRefMaker::CitedPairsOfLine;
    using CRefMaker::RecognitionText;
};

void BM_AgreementsOfBothAnalyses(benchmark::State& state)
{
    CMakers& m = LoadedMakers();
    const std::vector<std::string> texts = AnalysedDocument();
    const COleDate effective = COleDate::FromText(2025, 12, 31);
    const CDocRecvisits header; // a document without header lines, as in BM_BothAnalyses
    const std::size_t start = CRlaText::FindFirstTextLine(texts);
    std::vector<CAgreementWork> work { { &m.orvo, &m.orvo.documents, false, {} }, { &m.inner, &m.inner.documents, true, {} } };
    std::size_t candidates = 0;
    for (CAgreementWork& w : work) {
        std::vector<CLineRecord> records(texts.size());
        w.maker->ScanLines(texts, records);
        const CPhraseSet typePhrases = BuildPhrases(w.local ? m.inner.types : m.orvo.types);
        const CPhraseSet bodyPhrases = BuildPhrases(w.local ? m.inner.bodies : m.orvo.bodies);
        for (std::size_t i = start; i < texts.size(); ++i) {
            if ((w.local ? records[i].bSuspectLocal : records[i].bSuspectOrvo) != 1)
                continue;
            CAgreementWork::Line line { i, {}, {} };
            CLineRecord fresh;
            w.maker->FindCandidates(CLineHelpers::RecognitionText(texts, start, i), typePhrases, bodyPhrases, effective,
                line.candidates, fresh);
            line.found = fresh.recvFound;
            candidates += line.candidates.size();
            if (!line.candidates.empty())
                w.lines.push_back(std::move(line));
        }
    }
    std::size_t together = 0;
    for (auto _ : state) {
        together = 0;
        for (const CAgreementWork& w : work) {
            for (const auto& line : w.lines) {
                const auto agreements = AgreementsOf(*w.dict, line.candidates, line.found,
                    CLineHelpers::CitedPairsOfLine(texts, start, line.index), header, w.local);
                for (const auto& a : agreements)
                    together += a.citedTogether ? 1 : 0;
            }
        }
        benchmark::DoNotOptimize(together);
    }
    state.counters["lines_with_candidates"] = static_cast<double>(work[0].lines.size() + work[1].lines.size());
    state.counters["candidates"] = static_cast<double>(candidates);
    state.counters["cited_together"] = static_cast<double>(together);
}

// "Документы Орво" over every record of the base: one type and one body adopted in a five-year
// range; then a word of the name in the same range, which reads the title of every document
// adopted in it.
void OrvoSearch(benchmark::State& state, bool byName)
{
    CMakers& m = LoadedMakers();
    COrvoSearchQuery query;
    query.types.values = { m.orvo.types.records[3].value };
    query.bodies.values = { m.orvo.bodies.records[7].value };
    query.dateFrom = COleDate::FromText(2000, 1, 1);
    query.dateTo = COleDate::FromText(2004, 12, 31);
    if (byName) {
        // Only a word of a name and the dates: every title of the range is read.
        query.types.values.clear();
        query.bodies.values.clear();
        const CDocRecords& records = m.orvo.documents.records;
        const std::vector<std::string> words = NameWords(m.orvo.documents.GetTitle(records.TitlePos(11), records.TitleLen(11)));
        query.name.values = { words.empty() ? std::string("ЗАКОН") : words.back() };
    }
    std::size_t hits = 0;
    for (auto _ : state) {
        hits = 0;
        SearchOrvoDocuments(m.orvo.documents, query, COleDate::FromText(2025, 12, 31), m.ui,
            [&](const COrvoFoundDoc&) { ++hits; });
    }
    state.counters["base_records"] = static_cast<double>(m.orvo.documents.records.size());
    state.counters["found"] = static_cast<double>(hits);
}

void BM_OrvoSearchByRequisites(benchmark::State& state) { OrvoSearch(state, false); }
void BM_OrvoSearchByName(benchmark::State& state) { OrvoSearch(state, true); }

// Telvarion.orv of 2,000,000 records, written once from a generated dictionary.
const std::string& OrvoDocumentsFile()
{
    static std::string path;
    if (path.empty()) {
        path = WorkFile("Telvarion.orv");
        CDocDict dict;
        CSyntheticBase(kOrvoSeed).FillDictionary(dict, kOrvoRecords, WorkFile("orv-titles"));
        if (!StoreServiceFile(path, [&](CArchive& ar) { dict.Serialize(ar); }))
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
    }
    return path;
}

void BM_ReadOrvFileBytes(benchmark::State& state)
{
    const std::string& path = OrvoDocumentsFile();
    const auto size = static_cast<std::size_t>(std::filesystem::file_size(path));
    for (auto _ : state) {
        std::string bytes(size, '\0');
        std::FILE* f = std::fopen(path.c_str(), "rb");
        const std::size_t got = f ? std::fread(bytes.data(), 1, size, f) : 0;
        if (f)
            std::fclose(f);
        benchmark::DoNotOptimize(got);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
    state.counters["file_bytes"] = static_cast<double>(size);
}

void BM_LoadOrvFile(benchmark::State& state)
{
    const std::string& path = OrvoDocumentsFile();
    std::size_t records = 0;
    for (auto _ : state) {
        CDocDict dict;
        if (LoadServiceFile(path, [&](CArchive& ar) { dict.Serialize(ar); }) != LoadResult::Loaded)
            state.SkipWithError("the file did not load");
        records = dict.records.size();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * std::filesystem::file_size(path)));
    state.counters["records"] = static_cast<double>(records);
}

void BM_StoreOrvFile(benchmark::State& state)
{
    CDocDict dict;
    const std::string& path = OrvoDocumentsFile();
    LoadServiceFile(path, [&](CArchive& ar) { dict.Serialize(ar); });
    const std::string out = WorkFile("stored.orv");
    for (auto _ : state)
        if (!StoreServiceFile(out, [&](CArchive& ar) { dict.Serialize(ar); }))
            state.SkipWithError("the file was not written");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * std::filesystem::file_size(path)));
    state.counters["records"] = static_cast<double>(dict.records.size());
}

// Run alone (a process of its own) for a meaningful peak: the memory of the loaded dictionary.
void BM_OrvoDictionaryMemory(benchmark::State& state)
{
    const std::string& path = OrvoDocumentsFile();
    for (auto _ : state) {
        const std::size_t before = ResidentBytes();
        CDocDict dict;
        LoadServiceFile(path, [&](CArchive& ar) { dict.Serialize(ar); });
        std::vector<std::uint32_t> rows;
        dict.records.CandidateRows({}, {}, rows); // the index too
        const std::size_t after = ResidentBytes();
        // The three text indexes: each entry a map node (about 48 bytes besides its text).
        std::size_t textIndexes = 0;
        for (const CIndexDict* index : { &dict.types, &dict.bodies, &dict.numbers })
            for (const auto& [text, id] : index->Entries())
                textIndexes += 48 + sizeof(std::string) + (text.size() > 15 ? text.capacity() + 1 : 0);
        const auto n = static_cast<double>(dict.records.size());
        state.counters["records"] = n;
        state.counters["bytes_per_record"] = static_cast<double>(dict.records.MemoryBytes() + textIndexes) / n;
        state.counters["rss_growth_per_record"] = static_cast<double>(after - before) / n;
        state.counters["peak_rss_MB"] = static_cast<double>(PeakResidentBytes()) / (1 << 20);
    }
}

const std::string& ListFile()
{
    static std::string path;
    if (path.empty()) {
        path = WorkFile("orvo-500k.lst");
        const std::string text = CSyntheticBase(kOrvoSeed).ListFile(kLocalRecords);
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (f) {
            std::fwrite(text.data(), 1, text.size(), f);
            std::fclose(f);
        }
    }
    return path;
}

void BM_ImportListFile(benchmark::State& state)
{
    const std::string& path = ListFile();
    CAutoUi ui;
    std::size_t records = 0;
    for (auto _ : state) {
        CDocDict dict;
        std::filesystem::remove(WorkFile("import-titles"));
        dict.OpenOrCreateTextFile(WorkFile("import-titles"));
        if (!dict.ImportListFile(ui, path, false))
            state.SkipWithError("the import failed");
        records = dict.records.size();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * std::filesystem::file_size(path)));
    state.counters["records"] = static_cast<double>(records);
}

// A document of 100,000 lines, every tenth a citation, as an *.rla file.
const std::string& LargeDocument()
{
    static std::string path;
    if (path.empty()) {
        path = WorkFile("large.rla");
        CSyntheticBase gen(kOrvoSeed);
        CRlaText text;
        text.headerLines = gen.RlaHeader();
        text.textLines = gen.DocumentLines(100000, 10000, kOrvoRecords);
        text.path = path;
        CAutoUi ui;
        text.WriteRla(ui);
    }
    return path;
}

void BM_OpenDocument(benchmark::State& state)
{
    const std::string& path = LargeDocument();
    static CMakers makers; // the vocabulary is all the first passes need
    std::size_t lines = 0;
    for (auto _ : state) {
        CRlaText text;
        text.ReadRla(path, makers.ui);
        std::vector<CLineRecord> records(text.textLines.size());
        makers.orvo.ResetCounters(true);
        makers.inner.ResetCounters(true);
        makers.orvo.ScanLines(text.textLines, records);
        makers.inner.ScanLines(text.textLines, records);
        lines = text.textLines.size();
    }
    state.counters["lines"] = static_cast<double>(lines);
    state.counters["orvo_suspicious"] = makers.orvo.nSuspiciousLines;
    state.counters["local_suspicious"] = makers.inner.nSuspiciousLines;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * std::filesystem::file_size(path)));
}

void BM_WriteRla(benchmark::State& state)
{
    CAutoUi ui;
    CRlaText text;
    text.ReadRla(LargeDocument(), ui);
    text.path = WorkFile("written.rla");
    for (auto _ : state)
        if (!text.WriteRla(ui))
            state.SkipWithError("the document was not written");
    state.counters["lines"] = static_cast<double>(text.textLines.size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * std::filesystem::file_size(text.path)));
}

// Both analyses of a typical document: 50 KB, every tenth line citing, against the same bases.
void BM_TypicalDocument(benchmark::State& state)
{
    CMakers& m = LoadedMakers();
    const std::vector<std::string> document = CSyntheticBase(kOrvoSeed).DocumentLines(780, 78, kOrvoRecords);
    std::size_t bytes = 0;
    for (const auto& line : document)
        bytes += line.size() + 2;
    for (auto _ : state)
        AnalyseBoth(m, document);
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["documents_per_second"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// A data folder with both bases' service files, and a batch of 200 documents of 2 KB to 1.5 MB
// (sizes evenly spread on a log scale, every tenth line citing) in a folder of its own.
struct CBatchData {
    std::filesystem::path data;
    std::filesystem::path documents;
    std::uint64_t bytes = 0;
    std::size_t files = 0;
};

const CBatchData& BatchData()
{
    static CBatchData batch;
    if (!batch.data.empty())
        return batch;
    CMakers& m = LoadedMakers();
    batch.data = WorkDir() / "batch-data";
    batch.documents = WorkDir() / "batch-documents";
    std::filesystem::create_directories(batch.data);
    std::filesystem::create_directories(batch.documents);
    // The titles files stay where the dictionaries were filled; the folder links them.
    for (const char* titles : { "Telvarion.ttl", "Telvarion.tlc" })
        std::filesystem::create_hard_link(WorkDir() / titles, batch.data / titles);
    m.orvo.SaveFiles(batch.data.string());
    m.inner.SaveFiles(batch.data.string());
    CSyntheticBase gen(kOrvoSeed);
    constexpr std::size_t kFiles = 200;
    constexpr double kSmallest = 2e3;
    constexpr double kLargest = 1.5e6;
    for (std::size_t k = 0; k < kFiles; ++k) {
        const double size = kSmallest * std::pow(kLargest / kSmallest, static_cast<double>(k) / (kFiles - 1));
        const auto lines = std::max<std::size_t>(10, static_cast<std::size_t>(size / 66));
        CRlaText text;
        text.headerLines = gen.RlaHeader();
        text.textLines = gen.DocumentLines(lines, lines / 10, kOrvoRecords);
        char name[32];
        std::snprintf(name, sizeof name, "doc-%03zu.rla", (k * 37) % kFiles); // sizes mixed in name order
        text.path = (batch.documents / name).string();
        text.WriteRla(m.ui);
        batch.bytes += std::filesystem::file_size(text.path);
    }
    batch.files = kFiles;
    return batch;
}

// Runs the tool; its peak resident size in bytes, or 0 when it failed.
std::size_t RunTool(const std::vector<std::string>& args, const std::string& stdoutFile)
{
    std::vector<char*> argv;
    std::string tool = TELVARION_CLI;
    argv.push_back(tool.data());
    std::vector<std::string> copies = args;
    for (auto& a : copies)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, stdoutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return 0;
    int status = 0;
    rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return 0;
    return static_cast<std::size_t>(usage.ru_maxrss) * 1024;
}

// Whether two folders hold the same files with the same bytes.
bool SameFolders(const std::filesystem::path& a, const std::filesystem::path& b)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(a))
        names.push_back(e.path().filename().string());
    std::size_t inB = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(b))
        ++inB;
    if (inB != names.size())
        return false;
    std::string x;
    std::string y;
    for (const auto& name : names)
        if (!platform::ReadWholeFile((a / name).string(), x) || !platform::ReadWholeFile((b / name).string(), y) || x != y)
            return false;
    return true;
}

// telvarion-cli analyse --jobs N over the batch, its documents written to a folder: documents
// per second, the peak resident size, and whether its output (stdout and documents) is that of
// --jobs 1 byte for byte.
void BM_BatchAnalysis(benchmark::State& state)
{
    const CBatchData& batch = BatchData();
    const auto jobs = static_cast<unsigned>(state.range(0));
    const auto run = [&](unsigned n) {
        const std::filesystem::path out = WorkDir() / ("batch-out-" + std::to_string(n));
        std::filesystem::remove_all(out);
        std::filesystem::create_directories(out);
        return RunTool({ "analyse", "--jobs", std::to_string(n), "--data-dir", batch.data.string(), "--out", out.string(),
                           batch.documents.string() },
            (WorkDir() / ("batch-stdout-" + std::to_string(n))).string());
    };
    std::size_t peak = 0;
    for (auto _ : state) {
        peak = run(jobs);
        if (!peak)
            state.SkipWithError("the tool failed");
    }
    if (jobs != 1 && !std::filesystem::exists(WorkDir() / "batch-out-1"))
        run(1);
    std::string one;
    std::string many;
    const bool same = jobs == 1
        || (platform::ReadWholeFile((WorkDir() / "batch-stdout-1").string(), one)
            && platform::ReadWholeFile((WorkDir() / ("batch-stdout-" + std::to_string(jobs))).string(), many) && one == many
            && SameFolders(WorkDir() / "batch-out-1", WorkDir() / ("batch-out-" + std::to_string(jobs))));
    if (!same)
        state.SkipWithError("the output differs from that of --jobs 1");
    state.counters["files"] = static_cast<double>(batch.files);
    state.counters["documents_per_second"]
        = benchmark::Counter(static_cast<double>(batch.files * state.iterations()), benchmark::Counter::kIsRate);
    state.counters["MB_per_second"]
        = benchmark::Counter(static_cast<double>(batch.bytes * state.iterations()) / 1e6, benchmark::Counter::kIsRate);
    state.counters["batch_MB"] = static_cast<double>(batch.bytes) / 1e6;
    state.counters["peak_resident_MB"] = static_cast<double>(peak) / 1e6;
    // The same tool over the smallest document alone: what the dictionaries take.
    const std::size_t alone = RunTool({ "analyse", "--jobs", "1", "--data-dir", batch.data.string(),
                                          (batch.documents / "doc-000.rla").string() },
        (WorkDir() / "batch-stdout-alone").string());
    state.counters["resident_with_smallest_MB"] = static_cast<double>(alone) / 1e6;
    state.counters["output_identical"] = same ? 1 : 0;
}

// The undo history over the 20,000-line document as both analyses leave it: 200 editing steps of
// the tag editor (tags placed, lines edited, tags moved and deleted, spread over the document),
// then all taken back and put again. Counters: the bytes the history holds, the resident-size
// growth of the 200 steps, the time of an undo and of a redo per step and the slowest of each.
// Goal: at most 64 MB beyond the document, every undo and redo under 50 ms.
void BM_UndoHistory(benchmark::State& state)
{
    CMakers& m = LoadedMakers();
    const COleDate effective = COleDate::FromText(2025, 12, 31);
    std::vector<std::string> texts = AnalysedDocument();
    std::vector<CLineRecord> records(texts.size());
    for (CRefMaker* maker : { static_cast<CRefMaker*>(&m.orvo), static_cast<CRefMaker*>(&m.inner) }) {
        maker->ResetCounters(true);
        maker->ScanLines(texts, records);
        maker->AnalyseLines(texts, records, effective);
    }
    CAutoUi ui;
    CTelvarionDoc doc(ui, WorkDir().string());
    constexpr int kSteps = 200;
    using Clock = std::chrono::steady_clock;
    const auto ms = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
    for (auto _ : state) {
        CRows rows;
        rows.texts = texts;
        rows.records = records;
        CTagEditor editor(doc, ui, rows);
        const auto tagFrom = [&](int row) {
            for (int k = row; k < rows.Count(); ++k)
                if (rows.records[static_cast<std::size_t>(k)].nKind == OrvoLinkNew
                    || rows.records[static_cast<std::size_t>(k)].nKind == InnerLinkNew)
                    return k;
            return -1;
        };
        const std::size_t before = ResidentBytes();
        for (int step = 0; step < kSteps; ++step) {
            const int row = (step * 9973) % (rows.Count() - 2);
            rows.selected = row;
            switch (step % 4) {
            case 0:
                editor.InsertOrvoTagByNumber(1000 + step);
                break;
            case 1:
                editor.CommitLineEdit(row, rows.texts[static_cast<std::size_t>(row)] + " ");
                break;
            default:
                rows.selected = tagFrom(row);
                editor.Run(step % 4 == 2 ? CTagEditor::Command::MoveDown : CTagEditor::Command::DeleteTag);
            }
        }
        const std::size_t after = ResidentBytes();
        double undoMax = 0;
        double redoMax = 0;
        const std::size_t steps = editor.History().UndoCount();
        const Clock::time_point undoStart = Clock::now();
        for (std::size_t k = 0; k < steps; ++k) {
            const Clock::time_point t = Clock::now();
            editor.Run(CTagEditor::Command::Undo);
            undoMax = std::max(undoMax, ms(Clock::now() - t));
        }
        const double undoAll = ms(Clock::now() - undoStart);
        if (rows.texts != texts)
            state.SkipWithError("the undos did not give the document back");
        const Clock::time_point redoStart = Clock::now();
        for (std::size_t k = 0; k < steps; ++k) {
            const Clock::time_point t = Clock::now();
            editor.Run(CTagEditor::Command::Redo);
            redoMax = std::max(redoMax, ms(Clock::now() - t));
        }
        const double redoAll = ms(Clock::now() - redoStart);
        state.counters["lines"] = static_cast<double>(texts.size());
        state.counters["steps"] = static_cast<double>(steps);
        state.counters["history_MB"] = static_cast<double>(editor.History().Bytes()) / (1 << 20);
        state.counters["rss_growth_MB"] = static_cast<double>(after > before ? after - before : 0) / (1 << 20);
        state.counters["undo_ms_per_step"] = undoAll / static_cast<double>(std::max<std::size_t>(steps, 1));
        state.counters["redo_ms_per_step"] = redoAll / static_cast<double>(std::max<std::size_t>(steps, 1));
        state.counters["undo_ms_max"] = undoMax;
        state.counters["redo_ms_max"] = redoMax;
    }
}

} // namespace

BENCHMARK(BM_CandidatesIndexed)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_CandidatesScan)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_BothAnalyses)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_CertainAnalyses)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_ReviewPlacesOrdered)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_AgreementsOfBothAnalyses)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_TypicalDocument)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_BatchAnalysis)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true)->UseRealTime();
BENCHMARK(BM_OrvoSearchByRequisites)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_OrvoSearchByName)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_ReadOrvFileBytes)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_LoadOrvFile)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_StoreOrvFile)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_OrvoDictionaryMemory)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_UndoHistory)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ImportListFile)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_OpenDocument)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_WriteRla)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
