// The line view at the size of a large code: 100,000 rows handed over and laid out, offscreen.

#include <benchmark/benchmark.h>

#include <QApplication>

#include "bench/synthetic_base.h"
#include "cli/auto_ui.h"
#include "document/telvarion_doc.h"
#include "view/telvarion_view.h"

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

} // namespace

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
