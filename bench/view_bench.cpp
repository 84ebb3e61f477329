// The line view at the size of a large code: 100,000 rows handed over and laid out, offscreen;
// "Документы Орво" filling its list from a base of 2,000,000 documents; and the review list of
// an analysis without questions over a document of 20,000 lines, and the recovery data of that
// document: the copy the window's thread takes, and the write off it.

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>

#include <malloc.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>

#include "bench/synthetic_base.h"
#include "cli/auto_ui.h"
#include "core/ref_maker.h"
#include "core/rla_text.h"
#include "document/recovery.h"
#include "document/telvarion_doc.h"
#include "orvo/orvo_ref_maker.h"
#include "shell/find_orvo_dlg.h"
#include "shell/multi_list_box.h"
#include "shell/qt_user_interface.h"
#include "shell/review/review_dock.h"
#include "shell/review/review_model.h"
#include "view/line_model.h"
#include "view/qt_text.h"
#include "view/telvarion_view.h"

// What C++ allocates, counted: the bytes in use and their peak since the last reset. The engine's
// lines, records and lists are all allocated so; Qt's own allocations mostly are not.
namespace {
std::atomic<std::size_t> g_inUse { 0 };
std::atomic<std::size_t> g_peak { 0 };
} // namespace

void* operator new(std::size_t size)
{
    void* p = std::malloc(size == 0 ? 1 : size);
    if (!p)
        throw std::bad_alloc();
    const std::size_t now = g_inUse += malloc_usable_size(p);
    std::size_t peak = g_peak.load(std::memory_order_relaxed);
    while (now > peak && !g_peak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) { }
    return p;
}
void operator delete(void* p) noexcept
{
    if (!p)
        return;
    g_inUse -= malloc_usable_size(p);
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace {

void BM_FillLineView(benchmark::State& state)
{
    CAutoUi ui;
    CTelvarionDoc doc(ui, QCoreApplication::applicationDirPath().toStdString());
    CTelvarionView view(doc);
    view.resize(1200, 800);
    view.show();
    const std::vector<std::string> texts = CSyntheticBase(1).DocumentLines(100000, 10000, 2000000);
    std::vector<CLineRecord> records(texts.size());
    for (std::size_t i = 0; i < records.size(); i += 10) {
        records[i].nKind = Suspicious;
        records[i].bSuspectOrvo = 1;
    }
    for (auto _ : state) {
        view.FillList(texts, records, true);
        // Until the rows are laid out and drawn.
        QCoreApplication::processEvents();
    }
    state.counters["rows"] = static_cast<double>(texts.size());
}

// One adopting body over twelve years (about 1,400 of the 2,000,000 documents), typed into the
// dialog's field: the time until the last row is in the list, the engine's search included.
void BM_FindOrvoDialogFillsItsList(benchmark::State& state)
{
    QTemporaryDir dir;
    CQtUserInterface ui;
    COrvoRefMaker maker(ui);
    CSyntheticBase base(1);
    base.FillRecvDicts(maker.types, maker.bodies);
    base.FillDictionary(maker.documents, 2000000, dir.filePath(QStringLiteral("Telvarion.ttl")).toStdString());
    CFindOrvoDlg dlg(ui, maker, [](std::int32_t) {});
    dlg.resize(900, 700);
    dlg.show();
    const auto type = [&](const char* name, const std::string& text) {
        auto* field = dlg.findChild<QLineEdit*>(QString::fromLatin1(name));
        field->setText(FromCp1251(text));
        field->setModified(true);
    };
    dlg.findChild<QCheckBox*>(QStringLiteral("dateFromOn"))->setChecked(true);
    dlg.findChild<QCheckBox*>(QStringLiteral("dateToOn"))->setChecked(true);
    dlg.findChild<QDateEdit*>(QStringLiteral("dateFrom"))->setDate(QDate(2000, 1, 1));
    dlg.findChild<QDateEdit*>(QStringLiteral("dateTo"))->setDate(QDate(2011, 12, 31));
    auto* results = dlg.findChild<CMultiListView*>(QStringLiteral("results"));
    COrvoSearchQuery query;
    query.bodies.values = { maker.bodies.records[7].value };
    query.dateFrom = COleDate::FromText(2000, 1, 1);
    query.dateTo = COleDate::FromText(2011, 12, 31);
    // The engine's part first: the same search without a window, once to bring the titles into
    // the cache (for the dialog too, so that its figure is its own), once timed.
    CAutoUi quiet;
    std::size_t found = 0;
    qint64 engineMs = 0;
    for (int pass = 0; pass < 2; ++pass) {
        found = 0;
        QElapsedTimer clock;
        clock.start();
        SearchOrvoDocuments(maker.documents, query, COleDate::FromText(2025, 12, 31), quiet,
            [&found](const COrvoFoundDoc&) { ++found; });
        engineMs = clock.elapsed();
    }
    for (auto _ : state) {
        type("bodiesText", maker.bodies.records[7].value);
        dlg.Search();
        // Until the rows are laid out and drawn.
        QCoreApplication::processEvents();
    }
    state.counters["base_records"] = static_cast<double>(maker.documents.records.size());
    state.counters["rows"] = static_cast<double>(results->Count());
    state.counters["found"] = static_cast<double>(dlg.FoundNumbers().size());
    state.counters["engine_ms"] = static_cast<double>(engineMs);
    state.counters["engine_found"] = static_cast<double>(found);
}

// The document of the engine's figures (20,000 lines, every fifth a citation) as an analysis
// without questions leaves it: nine citations of ten linked by a tag line before them, the tenth
// open; one review row each, as the analysis tells them.
struct CReviewedDocument {
    CAutoUi ui;
    CTelvarionDoc doc { ui, QCoreApplication::applicationDirPath().toStdString() };
    CTelvarionView view { doc };
    std::unique_ptr<CReviewDock> dock;

    CReviewedDocument()
    {
        constexpr std::size_t kLines = 20000;
        constexpr std::size_t kCitations = 4000;
        const std::vector<std::string> lines = CSyntheticBase(1).DocumentLines(kLines, kCitations, 2000000);
        std::vector<std::string> texts;
        std::vector<CLineRecord> records;
        texts.reserve(kLines + kCitations);
        records.reserve(kLines + kCitations);
        const std::size_t step = kLines / kCitations;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            CLineRecord record;
            if ((i + 1) % step == 0) {
                const bool open = ((i + 1) / step) % 10 == 0;
                CReviewNote note;
                note.id = CRefMaker::NextReviewId();
                note.kind = open ? LineClass::Open : LineClass::Link;
                note.why = open ? LineWhy::Undecided : LineWhy::CitedTogether;
                note.candidateCount = open ? 3 : 1;
                record.nKind = Suspicious;
                record.bSuspectOrvo = 1;
                record.ReviewId(false) = note.id;
                record.ReviewState(false) = open ? ReviewOpen : ReviewUnreviewed;
                if (!open) {
                    CLineRecord tag = record;
                    tag.nKind = OrvoLinkNew;
                    tag.recvOrvo.nBaseNumber = static_cast<std::int32_t>(i);
                    tag.recvOrvo.name = lines[i].substr(0, 60);
                    note.linked.push_back(tag.recvOrvo);
                    texts.push_back("<" + std::to_string(i) + ">");
                    records.push_back(tag);
                }
                doc.review.Add(note);
            }
            texts.push_back(lines[i]);
            records.push_back(record);
        }
        view.resize(900, 800);
        view.FillList(texts, records, false);
        dock = std::make_unique<CReviewDock>(doc, view, nullptr);
        dock->resize(700, 800);
        dock->show();
        QCoreApplication::processEvents();
    }
};

// The list filled from the records (the places of every row found anew) and drawn.
void BM_ReviewListFills(benchmark::State& state)
{
    CReviewedDocument d;
    for (auto _ : state) {
        d.dock->RefreshNow();
        QCoreApplication::processEvents();
    }
    state.counters["lines"] = static_cast<double>(d.view.Model().Count());
    state.counters["rows"] = static_cast<double>(d.dock->Model().rowCount());
}

// A filter chosen in the dock's header: the list anew, drawn, the line view at the current row.
void BM_ReviewListFilter(benchmark::State& state)
{
    CReviewedDocument d;
    d.dock->RefreshNow();
    auto* filter = d.dock->findChild<QComboBox*>(QStringLiteral("reviewFilter"));
    int next = 0;
    for (auto _ : state) {
        next = (next + 1) % filter->count();
        filter->setCurrentIndex(next);
        QCoreApplication::processEvents();
    }
    state.counters["rows_all"] = static_cast<double>(d.doc.review.Size());
}

// The answers of the command-line tool, the rows where the window keeps them: in the line view.
class CViewUi : public CAutoUi {
public:
    explicit CViewUi(Policy policy)
        : CAutoUi(policy)
    {
    }
    // Without a view the rows stay where the tool keeps them.
    CTelvarionView* view = nullptr;
    void FillList(
        const std::vector<std::string>& texts, const std::vector<CLineRecord>& records, bool selectFirst) override
    {
        if (!view)
            return CAutoUi::FillList(texts, records, selectFirst);
        view->FillList(texts, records, selectFirst);
    }
    void HandOverList(std::vector<std::string>&& texts, std::vector<CLineRecord>&& records, bool selectFirst) override
    {
        if (!view)
            return CAutoUi::HandOverList(std::move(texts), std::move(records), selectFirst);
        view->HandOverList(std::move(texts), std::move(records), selectFirst);
    }
    void GetLines(std::vector<std::string>& texts, std::vector<CLineRecord>* records) override
    {
        if (!view)
            return CAutoUi::GetLines(texts, records);
        view->GetLines(texts, records);
    }
    void RemoveAllRows() override
    {
        if (view)
            view->RemoveAllRows();
        else
            CAutoUi::RemoveAllRows();
    }
    void ClearUndo() override
    {
        if (view)
            view->ClearUndo();
    }
};

// The bytes C++ holds now, and their peak since ResetPeak.
double HeapInUse() { return static_cast<double>(g_inUse.load()); }
double HeapPeak() { return static_cast<double>(g_peak.load()); }
void ResetPeak() { g_peak = g_inUse.load(); }

// A document of 1.5 MB (every tenth line citing, as the batch figure's largest) opened as the
// window opens it — read, both analyses, the rows in the line view (argument 0) or where the
// command-line tool keeps them (1) — against bases of 200,000
// Orvo and 50,000 local documents already in memory. Counters: the file's size; the heap the open
// document holds once open (its text, the view's rows, what the document keeps) and its ratio to
// the file; the peak the open reached above what was held before it; what of it is the undo
// history's (the analyses' placements are its first step); what a recovery write's copy adds.
void BM_DocumentMemory(benchmark::State& state)
{
    QTemporaryDir dir;
    CViewUi ui(CAutoUi::Policy::Paired);
    auto doc = std::make_unique<CTelvarionDoc>(ui, dir.path().toStdString());
    CTelvarionView view(*doc);
    const bool tool = state.range(0) == 1;
    ui.view = tool ? nullptr : &view;
    view.resize(1200, 800);
    view.show();
    CSyntheticBase orvo(1);
    orvo.FillRecvDicts(doc->orvoMaker.types, doc->orvoMaker.bodies);
    orvo.FillRecvDicts(doc->innerMaker.types, doc->innerMaker.bodies);
    orvo.FillKeywords(doc->orvoMaker.keywords);
    constexpr std::size_t kOrvo = 200000;
    orvo.FillDictionary(doc->orvoMaker.documents, kOrvo, dir.filePath(QStringLiteral("Telvarion.ttl")).toStdString());
    CSyntheticBase(2).FillDictionary(
        doc->innerMaker.documents, 50000, dir.filePath(QStringLiteral("Telvarion.tlc")).toStdString());
    CRlaText text;
    text.headerLines = orvo.RlaHeader();
    constexpr std::size_t kLines = 1500000 / 66;
    text.textLines = orvo.DocumentLines(kLines, kLines / 10, kOrvo);
    const std::string path = dir.filePath(QStringLiteral("large.rla")).toStdString();
    text.path = path;
    text.WriteRla(ui);
    text = CRlaText();
    const double fileBytes = static_cast<double>(std::filesystem::file_size(path));
    // The dictionaries' indexes are built by a first open, so that they are not the document's.
    doc->OpenFile(path, false);
    QCoreApplication::processEvents();
    double held = 0;
    double peak = 0;
    double recoveryCopy = 0;
    for (auto _ : state) {
        ui.RemoveAllRows();
        ui.ClearUndo();
        {
            std::vector<std::string> texts;
            std::vector<CLineRecord> records;
            ui.TakeLines(texts, records);
        }
        doc->text = CRlaText();
        QCoreApplication::processEvents();
        const double heapBefore = HeapInUse();
        ResetPeak();
        doc->OpenFile(path, false);
        QCoreApplication::processEvents();
        held = HeapInUse() - heapBefore;
        peak = HeapPeak() - heapBefore;
        if (!tool) {
            const double beforeCopy = HeapInUse();
            const recovery::CSnapshot snapshot = doc->RecoverySnapshot(view.Rows());
            recoveryCopy = HeapInUse() - beforeCopy;
            benchmark::DoNotOptimize(snapshot.textLines.data());
        }
    }
    state.counters["history_MB"] = static_cast<double>(view.Editor().History().Bytes()) / 1e6;
    state.counters["recovery_copy_MB"] = recoveryCopy / 1e6;
    state.counters["file_MB"] = fileBytes / 1e6;
    std::vector<std::string> lines;
    ui.GetLines(lines, nullptr);
    state.counters["lines"] = static_cast<double>(lines.size());
    state.counters["held_MB"] = held / 1e6;
    state.counters["held_per_file_byte"] = held / fileBytes;
    state.counters["peak_MB"] = peak / 1e6;
}

// The window thread's part of a recovery write: the copy of the rows, bookmarks and review places.
void BM_RecoveryCopy(benchmark::State& state)
{
    CReviewedDocument d;
    d.doc.currentPath = "/documents/code.rla";
    std::size_t lines = 0;
    for (auto _ : state) {
        const recovery::CSnapshot snapshot = d.doc.RecoverySnapshot(d.view.Rows());
        lines = snapshot.textLines.size();
        benchmark::DoNotOptimize(snapshot.data.review.rows.data());
    }
    state.counters["lines"] = static_cast<double>(lines);
    state.counters["review_rows"] = static_cast<double>(d.doc.review.Size());
}

// The writer's part: the bytes of the text and of the data, written atomically to the disk.
void BM_RecoveryWrite(benchmark::State& state)
{
    CReviewedDocument d;
    d.doc.currentPath = "/documents/code.rla";
    QTemporaryDir dir;
    const std::string file = dir.filePath(QStringLiteral("bench.recovery")).toStdString();
    bool ok = true;
    recovery::CRecoveryWriter writer(
        file, [&ok](const recovery::CRecoveryWriter::CReport& report) { ok = ok && report.ok; });
    const recovery::CSnapshot snapshot = d.doc.RecoverySnapshot(d.view.Rows());
    for (auto _ : state) {
        state.PauseTiming();
        recovery::CSnapshot copy = snapshot;
        state.ResumeTiming();
        writer.Submit(std::move(copy));
        writer.Wait();
    }
    if (!ok)
        state.SkipWithError("a recovery write failed");
    state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(file));
}

} // namespace

BENCHMARK(BM_RecoveryCopy)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_RecoveryWrite)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->UseRealTime();
BENCHMARK(BM_ReviewListFills)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_ReviewListFilter)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(6)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_FindOrvoDialogFillsItsList)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_DocumentMemory)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_FillLineView)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
