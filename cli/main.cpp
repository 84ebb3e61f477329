// telvarion-cli: the engine without a window. Imports list files into the documents dictionaries,
// loads keyword and requisite dictionaries from text, and prints the service files readably.

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/codepage.h"
#include "base/platform.h"
#include "cli/auto_ui.h"
#include "cli/batch.h"
#include "core/dict_text.h"
#include "core/tag_line.h"
#include "document/data_folder.h"
#include "document/doc_settings.h"
#include "document/telvarion_doc.h"
#include "local/inner_ref_maker.h"
#include "orvo/orvo_ref_maker.h"
#include "storage/archive.h"
#include "storage/doc_pair.h"
#include "storage/folder_lock.h"
#include "storage/recent_numbers.h"
#include "storage/service_file.h"

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

const char* const kHelp = R"(telvarion-cli — Telvarion without a window

Usage:
  telvarion-cli import-local (--dos|--windows) LISTFILE
  telvarion-cli import-orvo  (--dos|--windows) LISTFILE
      Imports a list file (code page 866 with --dos, 1251 with --windows) into the local or
      the Orvo documents dictionary, as the menu command does, then stores that base's files.
      Prints "Внесено N записей".
  telvarion-cli dict KIND load TEXTFILE
      Replaces one dictionary from a UTF-8 text file, one entry per line. KIND is one of
      keywords, orvo-types, orvo-bodies, local-types, local-bodies. For types and bodies a line
      is the value followed by its synonyms, separated by ";". Empty lines, lines starting with
      "#" and empty synonyms are skipped; every entry is normalised (upper case, single blanks).
      Only Telvarion.dov (Orvo) or Telvarion.dlc (local) is written.
  telvarion-cli analyse [--out DIR [--in-place]] [--policy single|paired|certain|scan] [--json]
                        [--jobs N] [--recursive] [--files-from LIST] FILE|FOLDER...
      Analyses *.rla documents as opening them in the program does: both analyses, with every
      question answered by the policy. single (the default): a line with exactly one candidate
      document gets its tag (link kind НУЛ for the local base), a line with several gets none.
      paired: as single, but of several candidates those whose number and adoption date the
      line cites together ("от 29 июня 2004 г. N 58-ФЗ", "N 245-п от 22.06.2016") get their
      tags, and the document itself (the one the header describes) is never linked; the tags
      in the JSON output say "chosen": "only" or "paired". Analyse the incoming documents with it,
      then open each result in the program to review the tags and decide the lines left.
      certain: the links the analysis is certain of, as the program's analysis without questions
      places them: one tag per citation, on the line where the citation stands; a line whose
      candidates no citation chooses among, or that itself names nothing, gets none (explain
      tells each line's class); the tags say "chosen": "only" or "paired".
      scan: nothing is placed, only counted. With --out the resulting texts are written to DIR
      under their own names; never over an input document unless --in-place is given, which
      replaces each document by its result. Prints each file's name and its statistics, or with
      --json one JSON object per file: {"file", "orvo": {"suspicious", "placed", "existing"},
      "local": {...}, "tags": [{"line", "kind": "orvo"|"local", "number"}]} listing the tags this
      run placed by their index in the resulting text. The service files are read, never written.
      A FOLDER means every *.rla in it, by name; with --recursive those of its subfolders too,
      named (and written under --out) by their path below it. --files-from LIST adds one path a
      line from LIST ("-": standard input). --jobs N analyses N documents at a time (default: one
      a core) over one copy of the dictionaries; the output is that of --jobs 1, in the order the
      documents were given. A document that cannot be read or written is reported and skipped;
      at the end a summary goes to stderr (documents analysed and failed, the counts of both
      bases, time, MB/s, the failed files), and while stderr is a terminal a progress line.
  telvarion-cli explain [--json] [--recursive] FILE|FOLDER...
      For every suspicious line of both bases: its index and text, the types, bodies, numbers
      and dates recognised, every candidate with how it agrees (the four kinds, a number and
      date cited together, the document itself), and what single and paired would tag there,
      the line taken by itself, and its class: a certain link (with the documents certain
      places), nothing to link, or a line that needs a decision, with why; each document ends
      with its count per class. Then, "нет в базе": every number and date cited together that
      no document of either base has, with its line, so the missing acts can be added. Reads
      only; --json gives one object per file: {"file", "lines": [...], "missing": [...],
      "classes": {"link", "nothing", "open"}}, each line with "class" ("link", "nothing",
      "open"), "why" (only, paired, no-candidates, itself, cited-nearby, not-in-base,
      publication, undecided) and "certain" (the numbers placed).
  telvarion-cli dump KIND
      Prints a service file readably. KIND is one of orvo, local, keywords, orvo-types,
      orvo-bodies, local-types, local-bodies, notepad, settings, recent-orvo, recent-local.

  telvarion-cli data-dir
      Prints the data folder the program and this tool use; exit code 1 when it holds no
      service files yet.

Options (anywhere after the command word):
  --data-dir DIR   the folder of the service files. Without it: $TELVARION_DATA_DIR when set;
                   else the folder of this program when it holds the service files, or when it
                   is a writable folder and no installed starter set lies beside it; else the
                   per-user folder ($XDG_DATA_HOME/telvarion or ~/.local/share/telvarion), which
                   the first run fills from the installed starter set (share/telvarion)
  --help           this text

No one answers questions here: every question is answered No (Cancel where there is no No), so a
broken record in the middle of a list file does not stop the import. Errors go to stderr.
Exit codes: 0 success, 1 the work failed (for analyse: any document failed), 2 usage error.

The data folder is shared safely: while the desktop program works on it, or an import or a dict
load runs, it holds the file Telvarion.lock naming the program, user, computer and process.
import-local, import-orvo and dict ... load take that lock for their work; when another program
holds it they write nothing, name the holder on stderr and exit with 1. A lock left on this
computer by a process that no longer runs is taken over. analyse, explain, dump and data-dir only
read and do not look at the lock; they also work in a folder the user may only read.
)";

struct Args {
    std::string command;
    std::vector<std::string> positional;
    std::string dataDir;
    bool dos = false;
    bool windows = false;
    bool help = false;
    bool json = false;
    std::string outDir;
    std::string policy = "single";
    unsigned jobs = 0; // 0: one a core
    bool recursive = false;
    bool inPlace = false;
    std::string filesFrom;
    std::string error;
};

Args ParseArgs(const std::vector<std::string>& argv)
{
    Args a;
    const int argc = static_cast<int>(argv.size());
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            a.help = true;
        } else if (arg == "--dos") {
            a.dos = true;
        } else if (arg == "--windows") {
            a.windows = true;
        } else if (arg == "--data-dir") {
            if (i + 1 >= argc) {
                a.error = "--data-dir needs a folder";
                return a;
            }
            a.dataDir = argv[++i];
        } else if (arg.rfind("--data-dir=", 0) == 0) {
            a.dataDir = arg.substr(11);
        } else if (arg == "--json") {
            a.json = true;
        } else if (arg == "--recursive") {
            a.recursive = true;
        } else if (arg == "--in-place") {
            a.inPlace = true;
        } else if (arg == "--jobs" || arg.rfind("--jobs=", 0) == 0) {
            std::string value = arg == "--jobs" ? (i + 1 < argc ? argv[++i] : "") : arg.substr(7);
            char* end = nullptr;
            const unsigned long n = std::strtoul(value.c_str(), &end, 10);
            if (value.empty() || *end || value[0] == '-' || n < 1 || n > 1024) {
                a.error = "--jobs needs a number of threads from 1 to 1024";
                return a;
            }
            a.jobs = static_cast<unsigned>(n);
        } else if (arg == "--out" || arg == "--policy" || arg == "--files-from") {
            if (i + 1 >= argc) {
                a.error = arg + " needs a value";
                return a;
            }
            (arg == "--out" ? a.outDir : arg == "--policy" ? a.policy : a.filesFrom) = argv[++i];
        } else if (arg.rfind("--files-from=", 0) == 0) {
            a.filesFrom = arg.substr(13);
        } else if (arg.rfind("--out=", 0) == 0) {
            a.outDir = arg.substr(6);
        } else if (arg.rfind("--policy=", 0) == 0) {
            a.policy = arg.substr(9);
        } else if (arg.size() > 1 && arg[0] == '-') {
            a.error = "unknown option " + arg;
            return a;
        } else if (a.command.empty()) {
            a.command = arg;
        } else {
            a.positional.push_back(arg);
        }
    }
    return a;
}

int Usage(const std::string& message)
{
    std::fprintf(stderr, "telvarion-cli: %s\nTry 'telvarion-cli --help'.\n", message.c_str());
    return kUsage;
}


void PrintCp(const std::string& cp1251) { std::fputs(codepage::Cp1251ToUtf8(cp1251).c_str(), stdout); }

// Loads a service file for printing: nothing is created, copied or changed.
bool LoadForDump(const std::string& path, const std::function<void(CArchive&)>& load)
{
    try {
        CArchive ar = CArchive::LoadFile(path);
        load(ar);
        return true;
    } catch (const CArchiveException& e) {
        std::fprintf(stderr, "telvarion-cli: cannot read %s (%s)\n", path.c_str(), e.what());
        return false;
    }
}

// The data folder's lock for a command that writes service files, held until it returns. Null,
// after saying why on stderr, when another program holds the folder or it cannot be locked.
std::unique_ptr<CDataFolderLock> LockForWriting(const Args& a)
{
    auto lock = std::make_unique<CDataFolderLock>(a.dataDir, "telvarion-cli");
    switch (lock->Take()) {
    case CDataFolderLock::Result::Taken:
        return lock;
    case CDataFolderLock::Result::Held:
        std::fprintf(stderr, "telvarion-cli: the data folder %s is in use: %s; nothing was written. "
            "Try again when that program has ended (a lock left by a program that no longer runs on another "
            "computer is removed by deleting %s)\n",
            a.dataDir.c_str(), lock->HolderText().c_str(), lock->LockPath().c_str());
        return nullptr;
    case CDataFolderLock::Result::ReadOnly:
    case CDataFolderLock::Result::Failed:
        break;
    }
    std::fprintf(stderr, "telvarion-cli: cannot lock the data folder %s, nothing was written (%s)\n", a.dataDir.c_str(),
        platform::ErrorReason(lock->Error()).c_str());
    return nullptr;
}

int Import(const Args& a, bool local)
{
    if (a.positional.size() != 1)
        return Usage("give one list file");
    if (a.dos == a.windows)
        return Usage("choose the code page of the list file: --dos or --windows");
    const auto lock = LockForWriting(a);
    if (!lock)
        return kFailed;
    CAutoUi ui;
    std::unique_ptr<CRefMaker> maker;
    if (local)
        maker = std::make_unique<CInnerRefMaker>(ui);
    else
        maker = std::make_unique<COrvoRefMaker>(ui);
    // As the program does at start: files that cannot be read are written afresh.
    if (!maker->LoadFiles(a.dataDir))
        maker->SaveFiles(a.dataDir);
    // The documents and their titles are stored together by the import, or not at all.
    if (!maker->ImportDocumentsFile(a.positional[0], a.dos))
        return kFailed;
    return ui.ErrorCount() == 0 ? kOk : kFailed;
}

int DictLoad(const Args& a)
{
    if (a.positional.size() != 3 || a.positional[1] != "load")
        return Usage("dict KIND load TEXTFILE");
    const std::string& kind = a.positional[0];
    if (kind != "keywords" && kind != "orvo-types" && kind != "orvo-bodies" && kind != "local-types"
        && kind != "local-bodies")
        return Usage("unknown dictionary " + kind);
    std::string text;
    if (!platform::ReadWholeFile(a.positional[2], text)) {
        std::fprintf(stderr, "telvarion-cli: cannot read %s\n", a.positional[2].c_str());
        return kFailed;
    }
    const auto lock = LockForWriting(a);
    if (!lock)
        return kFailed;
    CAutoUi ui;
    const auto warnUnreadable = [&](const char* file) {
        std::fprintf(stderr, "telvarion-cli: %s could not be read; the other dictionaries in it start empty (a copy of the old file is kept as %s.damaged)\n", file, file);
    };
    std::size_t count = 0;
    bool stored = false;
    if (kind == "keywords" || kind == "orvo-types" || kind == "orvo-bodies") {
        COrvoRefMaker maker(ui);
        if (!maker.LoadDictionaries(a.dataDir)
            && std::ifstream(platform::ToFsPath(ServicePath(a.dataDir, kOrvoDictionariesFile))).good())
            warnUnreadable(kOrvoDictionariesFile);
        if (kind == "keywords") {
            maker.keywords.strings = ParseKeywordText(text);
            count = maker.keywords.strings.size();
        } else {
            CRecvDict& target = kind == "orvo-types" ? maker.types : maker.bodies;
            target = ParseRecvDictText(text);
            count = target.records.size();
        }
        stored = maker.SaveDictionaries(a.dataDir);
    } else if (kind == "local-types" || kind == "local-bodies") {
        CInnerRefMaker maker(ui);
        if (!maker.LoadDictionaries(a.dataDir)
            && std::ifstream(platform::ToFsPath(ServicePath(a.dataDir, kLocalDictionariesFile))).good())
            warnUnreadable(kLocalDictionariesFile);
        CRecvDict& target = kind == "local-types" ? maker.types : maker.bodies;
        target = ParseRecvDictText(text);
        count = target.records.size();
        stored = maker.SaveDictionaries(a.dataDir);
    } else {
        return Usage("unknown dictionary " + kind);
    }
    if (!stored) {
        std::fprintf(stderr, "ошибка: Ошибка сохранения файла служебных данных!\n");
        return kFailed;
    }
    std::printf("Внесено %zu записей\n", count);
    return kOk;
}

int DumpDocuments(const std::string& folder, const char* archive, const char* texts)
{
    CAutoUi ui;
    CDocDict dict;
    dict.SetUserInterface(&ui);
    // The pair as the program would load it: an import a kill interrupted is read where its new
    // files wait (nothing is written here).
    const docpair::CRecovery pair
        = docpair::RecoverPair(ServicePath(folder, texts), ServicePath(folder, archive), false);
    if (!pair.belongs) {
        std::fprintf(stderr, "telvarion-cli: %s does not match its titles file %s\n", archive, texts);
        return kFailed;
    }
    if (!LoadForDump(pair.documents, [&](CArchive& ar) { dict.Serialize(ar); }))
        return kFailed;
    dict.OpenTextFile(pair.titles);
    for (std::size_t row = 0; row < dict.records.size(); ++row) {
        PrintCp(dict.ToRecvisits(row).Describe());
        std::fputs("\n\n", stdout);
    }
    return ui.ErrorCount() == 0 ? kOk : kFailed;
}

// Telvarion.dov holds the keywords before the types and bodies; Telvarion.dlc only the two.
int DumpRecvDict(const std::string& folder, const char* file, bool afterKeywords, bool bodies)
{
    CStringDict keywords;
    CRecvDict dicts[2];
    if (!LoadForDump(ServicePath(folder, file), [&](CArchive& ar) {
            if (afterKeywords)
                keywords.Serialize(ar);
            for (auto& d : dicts)
                d.Serialize(ar);
        }))
        return kFailed;
    for (const auto& rec : dicts[bodies ? 1 : 0].records) {
        PrintCp(FormatRecvRec(rec));
        std::fputs("\n", stdout);
    }
    return kOk;
}

std::string JsonString(const std::string& utf8)
{
    std::string out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string JsonCounts(const CRefMaker& maker)
{
    return "{\"suspicious\": " + std::to_string(maker.nSuspiciousLines) + ", \"placed\": " + std::to_string(maker.nPlacedTags)
        + ", \"existing\": " + std::to_string(maker.nExistingTags) + "}";
}

// Opens each document of the command line (files and folders, as analyse takes them) as the
// program does, with ui answering every question, and hands its name and resulting lines to use.
// The service files are read, never written. False when any document could not be read or an
// error was reported.
bool ForEachDocument(const Args& a, CAutoUi& ui, CTelvarionDoc& doc,
    const std::function<void(const std::string&, const std::vector<std::string>&, const std::vector<CLineRecord>&)>& use)
{
    doc.LoadServiceData(false);
    std::vector<std::string> unreadable;
    const std::vector<CBatchFile> files = ListBatchFiles(a.positional, a.recursive, unreadable);
    for (const auto& folder : unreadable)
        std::fprintf(stderr, "telvarion-cli: cannot read the folder %s\n", folder.c_str());
    bool ok = unreadable.empty();
    for (const auto& file : files) {
        const int errorsBefore = ui.ErrorCount();
        ui.ClearTagChoices();
        if (!doc.OpenFile(file.path, false)) {
            ok = false;
            continue;
        }
        std::vector<std::string> texts;
        std::vector<CLineRecord> records;
        ui.TakeLines(texts, records);
        use(file.name, texts, records);
        std::fflush(stdout);
        ok = ok && ui.ErrorCount() == errorsBefore;
    }
    return ok;
}

// What one document's analysis prints on stdout: its name and statistics, or its JSON line.
std::string AnalyseReport(const Args& a, const std::string& name, const CTelvarionDoc& doc, const CAutoUi& ui,
    const std::vector<std::string>& texts, const std::vector<CLineRecord>& records)
{
    if (!a.json)
        return name + "\n" + doc.GetStatisticsText() + "\n\n";
    const bool paired = a.policy == "paired";
    const bool certain = a.policy == "certain";
    std::string tags;
    std::size_t orvoTag = 0;
    std::size_t localTag = 0;
    for (std::size_t i = 0; i < records.size() && i < texts.size(); ++i) {
        const std::int32_t kind = records[i].nKind;
        if (kind != OrvoLinkNew && kind != InnerLinkNew)
            continue;
        if (!tags.empty())
            tags += ", ";
        tags += "{\"line\": " + std::to_string(i) + ", \"kind\": \"" + (kind == OrvoLinkNew ? "orvo" : "local")
            + "\", \"number\": " + std::to_string(ParseTagNumber(texts[i]));
        if (paired) {
            // The tags were confirmed line by line from the top, so their order in the text
            // is the order in which their choices were told.
            const std::vector<bool>& choices = ui.TagChoices(kind);
            std::size_t& next = kind == OrvoLinkNew ? orvoTag : localTag;
            const bool among = next < choices.size() && choices[next];
            ++next;
            tags += std::string(", \"chosen\": \"") + (among ? "paired" : "only") + "\"";
        }
        if (certain) {
            const std::vector<LineWhy>& reasons = ui.TagReasons(kind);
            std::size_t& next = kind == OrvoLinkNew ? orvoTag : localTag;
            const LineWhy why = next < reasons.size() ? reasons[next] : LineWhy::OnlyCandidate;
            ++next;
            tags += std::string(", \"chosen\": \"") + LineWhyKey(why) + "\"";
        }
        tags += "}";
    }
    return "{\"file\": " + JsonString(name) + ", \"orvo\": " + JsonCounts(doc.orvoMaker) + ", \"local\": "
        + JsonCounts(doc.innerMaker) + ", \"tags\": [" + tags + "]}\n";
}

// One thread of a batch: its own answers and document over the dictionaries every thread reads.
struct CAnalyseWorker {
    CAutoUi ui;
    CTelvarionDoc doc;
    CAnalyseWorker(CAutoUi::Policy policy, CTelvarionDoc& shared)
        : ui(policy)
        , doc(ui, shared)
    {
        ui.CaptureOutput();
    }
};

// What a document gave: its output for stdout and stderr, whether it went well, its counts.
struct CAnalyseResult {
    std::string out;
    std::string err;
    bool ok = false;
    CBatchTotals::Base orvo;
    CBatchTotals::Base local;
};

void AnalyseOne(const Args& a, CAnalyseWorker& w, const CBatchFile& file, const std::string& outPath, CAnalyseResult& r)
{
    const int errorsBefore = w.ui.ErrorCount();
    w.ui.ClearTagChoices();
    std::string report;
    bool opened = w.doc.OpenFile(file.path, false);
    if (opened) {
        std::vector<std::string> texts;
        std::vector<CLineRecord> records;
        w.ui.TakeLines(texts, records);
        report = AnalyseReport(a, file.name, w.doc, w.ui, texts, records);
        const auto counts = [](const CRefMaker& m) {
            return CBatchTotals::Base { m.nSuspiciousLines, m.nPlacedTags, m.nExistingTags };
        };
        r.orvo = counts(w.doc.orvoMaker);
        r.local = counts(w.doc.innerMaker);
        if (!outPath.empty()) {
            std::error_code ec;
            std::filesystem::create_directories(platform::ToFsPath(outPath).parent_path(), ec);
            w.doc.text.textLines = std::move(texts);
            w.doc.text.path = outPath;
            w.doc.text.WriteRla(w.ui);
        }
    }
    r.ok = opened && w.ui.ErrorCount() == errorsBefore;
    w.ui.TakeOutput(r.out, r.err);
    r.out += report;
}

int Analyse(const Args& a)
{
    if (a.positional.empty() && a.filesFrom.empty())
        return Usage("give the documents to analyse");
    if (a.policy != "single" && a.policy != "scan" && a.policy != "paired" && a.policy != "certain")
        return Usage("--policy is single, paired, certain or scan");
    if (a.inPlace && a.outDir.empty())
        return Usage("--in-place goes with --out, the folder of the documents to replace");
    std::vector<std::string> args = a.positional;
    if (!a.filesFrom.empty()) {
        std::ifstream list;
        if (a.filesFrom != "-") {
            list.open(platform::ToFsPath(a.filesFrom));
            if (!list) {
                std::fprintf(stderr, "telvarion-cli: cannot read the list %s\n", a.filesFrom.c_str());
                return kFailed;
            }
        }
        const std::vector<std::string> listed = ReadPathList(a.filesFrom == "-" ? std::cin : list);
        args.insert(args.end(), listed.begin(), listed.end());
    }
    std::vector<std::string> failed;
    const std::vector<CBatchFile> files = ListBatchFiles(args, a.recursive, failed);
    for (const auto& folder : failed)
        std::fprintf(stderr, "telvarion-cli: cannot read the folder %s\n", folder.c_str());
    std::string outError;
    const std::vector<std::string> outputs = OutputPaths(files, a.outDir, a.inPlace, outError);
    if (!outError.empty())
        return Usage(outError);

    const auto policy = a.policy == "scan" ? CAutoUi::Policy::Scan
        : a.policy == "paired"             ? CAutoUi::Policy::Paired
        : a.policy == "certain"            ? CAutoUi::Policy::Certain
                                           : CAutoUi::Policy::Single;
    CAutoUi ui(policy);
    CTelvarionDoc shared(ui, a.dataDir);
    shared.LoadServiceData(false);

    const unsigned jobs = a.jobs ? a.jobs : DefaultJobs();
    std::vector<std::unique_ptr<CAnalyseWorker>> workers(jobs);
    std::vector<CAnalyseResult> results(files.size());
    std::uint64_t bytesAll = 0;
    for (const auto& f : files)
        bytesAll += f.size;
    CBatchTotals totals;
    std::uint64_t bytesDone = 0;
    std::size_t filesDone = 0;
    const auto started = std::chrono::steady_clock::now();
    const auto seconds = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(); };
    const bool terminal = platform::IsTerminal(stderr);
    bool progressShown = false;
    const auto clearProgress = [&] {
        if (progressShown)
            std::fputs("\r\033[K", stderr);
        progressShown = false;
    };
    auto lastDrawn = started - std::chrono::seconds(1);
    const auto showProgress = [&] {
        // Five times a second at most: a batch of small documents would flood the terminal.
        if (!terminal || std::chrono::steady_clock::now() - lastDrawn < std::chrono::milliseconds(200))
            return;
        lastDrawn = std::chrono::steady_clock::now();
        std::fprintf(stderr, "\r\033[K%s", BatchProgress(filesDone, files.size(), bytesDone, bytesAll, seconds()).c_str());
        std::fflush(stderr);
        progressShown = true;
    };
    RunInOrder(
        files.size(), jobs,
        [&](unsigned worker, std::size_t i) {
            if (!workers[worker])
                workers[worker] = std::make_unique<CAnalyseWorker>(policy, shared);
            AnalyseOne(a, *workers[worker], files[i], outputs.empty() ? std::string() : outputs[i], results[i]);
        },
        [&](std::size_t i) {
            CAnalyseResult& r = results[i];
            clearProgress();
            std::fputs(r.err.c_str(), stderr);
            std::fputs(r.out.c_str(), stdout);
            std::fflush(stdout);
            ++filesDone;
            bytesDone += files[i].size;
            if (r.ok) {
                ++totals.files;
                totals.bytes += files[i].size;
                for (auto [sum, one] : { std::pair { &totals.orvo, &r.orvo }, std::pair { &totals.local, &r.local } }) {
                    sum->suspicious += one->suspicious;
                    sum->placed += one->placed;
                    sum->existing += one->existing;
                }
            } else {
                failed.push_back(files[i].path);
            }
            r = CAnalyseResult();
            showProgress();
        },
        showProgress);
    clearProgress();
    totals.failed = failed.size();
    std::fputs(BatchSummary(totals, seconds(), failed).c_str(), stderr);
    return failed.empty() ? kOk : kFailed;
}

namespace {

std::string Utf8(const std::string& cp1251) { return codepage::Cp1251ToUtf8(cp1251); }

std::string JsonList(const std::vector<std::string>& cp1251)
{
    std::string out = "[";
    for (std::size_t k = 0; k < cp1251.size(); ++k)
        out += (k ? ", " : "") + JsonString(Utf8(cp1251[k]));
    return out + "]";
}

std::string Joined(const std::vector<std::string>& cp1251)
{
    std::string out;
    for (const auto& s : cp1251)
        out += (out.empty() ? "" : ", ") + Utf8(s);
    return out.empty() ? "-" : out;
}

std::vector<std::string> DateTexts(const std::vector<COleDate>& dates)
{
    std::vector<std::string> out;
    for (const auto& d : dates)
        out.push_back(d.Format());
    return out;
}

std::string Numbers(const std::vector<std::int32_t>& numbers, bool json)
{
    std::string out;
    for (std::int32_t n : numbers)
        out += (out.empty() ? "" : ", ") + std::to_string(n);
    return json ? "[" + out + "]" : (out.empty() ? "нет тега" : out);
}

// The classes of a line in explain's text, in the order of LineClass.
const char* const kClassNames[] = { "ссылка", "нечего ставить", "нужно решение" };

// What the single and paired policies would tag at the line, taken by itself.
void Choices(const CRefMaker::CLineExplanation& e, std::vector<std::int32_t>& single, std::vector<std::int32_t>& paired)
{
    if (e.candidates.size() == 1)
        single.push_back(e.candidates.front().nBaseNumber);
    std::vector<std::size_t> kept;
    for (std::size_t k = 0; k < e.candidates.size(); ++k)
        if (!(k < e.agreements.size() && e.agreements[k].itself))
            kept.push_back(k);
    for (std::size_t k : kept)
        if (kept.size() == 1 || ChosenWhenPaired(e.agreements[k]))
            paired.push_back(e.candidates[k].nBaseNumber);
}

} // namespace

int Explain(const Args& a)
{
    if (a.positional.empty())
        return Usage("give the documents to explain");
    CAutoUi ui(CAutoUi::Policy::Scan);
    CTelvarionDoc doc(ui, a.dataDir);
    const bool ok = ForEachDocument(a, ui, doc, [&](const std::string& name, const std::vector<std::string>& texts,
                                                   const std::vector<CLineRecord>& records) {
        std::string jsonLines;
        std::vector<std::pair<std::size_t, std::string>> missing; // line, "N number от date"
        std::string jsonMissing;
        std::size_t classes[3] = { 0, 0, 0 }; // link, nothing, open
        if (!a.json)
            std::printf("%s\n", name.c_str());
        for (CRefMaker* maker : { static_cast<CRefMaker*>(&doc.orvoMaker), static_cast<CRefMaker*>(&doc.innerMaker) }) {
            const bool local = maker == &doc.innerMaker;
            const char* base = local ? "local" : "orvo";
            for (const auto& e : maker->ExplainLines(texts, records, doc.GetEffectiveDate())) {
                std::vector<std::int32_t> single;
                std::vector<std::int32_t> paired;
                Choices(e, single, paired);
                ++classes[static_cast<int>(e.certainty.kind)];
                std::vector<std::int32_t> certain;
                for (std::size_t k : e.certainty.chosen)
                    certain.push_back(e.candidates[k].nBaseNumber);
                if (a.json) {
                    std::string candidates;
                    for (std::size_t k = 0; k < e.candidates.size(); ++k) {
                        const CCandidateAgreement& g = e.agreements[k];
                        const auto flag = [](bool b) { return b ? "true" : "false"; };
                        candidates += std::string(k ? ", " : "") + "{\"number\": " + std::to_string(e.candidates[k].nBaseNumber)
                            + ", \"type\": " + flag(g.type) + ", \"body\": " + flag(g.body) + ", \"numberAgrees\": "
                            + flag(g.number) + ", \"date\": " + flag(g.date) + ", \"citedTogether\": " + flag(g.citedTogether)
                            + ", \"itself\": " + flag(g.itself) + "}";
                    }
                    jsonLines += std::string(jsonLines.empty() ? "" : ", ") + "{\"base\": \"" + base
                        + "\", \"line\": " + std::to_string(e.line) + ", \"text\": " + JsonString(Utf8(texts[e.line]))
                        + ", \"types\": " + JsonList(e.found.types) + ", \"bodies\": " + JsonList(e.found.bodies)
                        + ", \"numbers\": " + JsonList(e.found.numbers) + ", \"dates\": "
                        + JsonList(DateTexts(e.found.adoptionDates)) + ", \"candidates\": [" + candidates
                        + "], \"single\": " + Numbers(single, true) + ", \"paired\": " + Numbers(paired, true)
                        + ", \"class\": \"" + LineClassKey(e.certainty.kind) + "\", \"why\": \""
                        + LineWhyKey(e.certainty.why) + "\", \"certain\": " + Numbers(certain, true) + "}";
                } else {
                    std::printf("  [%s] строка %zu: %s\n", local ? "локальная" : "Орво", e.line, Utf8(texts[e.line]).c_str());
                    std::printf("    виды: %s; органы: %s; номера: %s; даты: %s\n", Joined(e.found.types).c_str(),
                        Joined(e.found.bodies).c_str(), Joined(e.found.numbers).c_str(),
                        Joined(DateTexts(e.found.adoptionDates)).c_str());
                    for (std::size_t k = 0; k < e.candidates.size(); ++k)
                        std::printf("    %d %s N %s от %s — %s\n", e.candidates[k].nBaseNumber, Joined(e.candidates[k].types).c_str(),
                            Joined(e.candidates[k].numbers).c_str(), Joined(DateTexts(e.candidates[k].adoptionDates)).c_str(),
                            AgreementText(e.agreements[k]).c_str());
                    std::printf("    single: %s; paired: %s\n", Numbers(single, false).c_str(), Numbers(paired, false).c_str());
                    if (e.certainty.kind == LineClass::Open)
                        std::printf("    %s\n", kClassNames[static_cast<int>(e.certainty.kind)]);
                    else
                        std::printf("    %s: %s%s%s\n", kClassNames[static_cast<int>(e.certainty.kind)],
                            LineWhyText(e.certainty.why), certain.empty() ? "" : " — ",
                            certain.empty() ? "" : Numbers(certain, false).c_str());
                }
                // The base maintainers' worklist: citations that no document of either base has.
                for (const CCitedPair& pair : e.pairs) {
                    if (doc.orvoMaker.HasDocument(pair) || doc.innerMaker.HasDocument(pair))
                        continue;
                    const std::pair<std::size_t, std::string> entry { e.line,
                        "N " + Utf8(pair.number) + " от " + pair.date.Format() };
                    // Once, at the first line that cites it (the lines around it, and both bases, see it too).
                    if (std::any_of(missing.begin(), missing.end(), [&](const auto& m) { return m.second == entry.second; }))
                        continue;
                    missing.push_back(entry);
                    jsonMissing += std::string(jsonMissing.empty() ? "" : ", ") + "{\"line\": " + std::to_string(e.line)
                        + ", \"number\": " + JsonString(Utf8(pair.number)) + ", \"date\": " + JsonString(pair.date.Format()) + "}";
                }
            }
        }
        if (a.json) {
            std::printf(
                "{\"file\": %s, \"lines\": [%s], \"missing\": [%s], \"classes\": {\"link\": %zu, \"nothing\": %zu, "
                "\"open\": %zu}}\n",
                JsonString(name).c_str(), jsonLines.c_str(), jsonMissing.c_str(), classes[0], classes[1], classes[2]);
        } else {
            std::printf("  ссылка: %zu; нечего ставить: %zu; нужно решение: %zu\n", classes[0], classes[1], classes[2]);
            std::printf("  нет в базе:%s\n", missing.empty() ? " -" : "");
            for (const auto& [line, citation] : missing)
                std::printf("    строка %zu: %s\n", line, citation.c_str());
            std::printf("\n");
        }
    });
    return ok ? kOk : kFailed;
}

int Dump(const Args& a)
{
    if (a.positional.size() != 1)
        return Usage("dump KIND");
    const std::string& kind = a.positional[0];
    const std::string& dir = a.dataDir;
    if (kind == "orvo")
        return DumpDocuments(dir, kOrvoDocumentsFile, kOrvoTitlesFile);
    if (kind == "local")
        return DumpDocuments(dir, kLocalDocumentsFile, kLocalNamesFile);
    if (kind == "keywords") {
        CStringDict keywords;
        if (!LoadForDump(ServicePath(dir, kOrvoDictionariesFile), [&](CArchive& ar) { keywords.Serialize(ar); }))
            return kFailed;
        for (const auto& k : keywords.strings) {
            PrintCp(k);
            std::fputs("\n", stdout);
        }
        return kOk;
    }
    if (kind == "orvo-types" || kind == "orvo-bodies")
        return DumpRecvDict(dir, kOrvoDictionariesFile, true, kind == "orvo-bodies");
    if (kind == "local-types" || kind == "local-bodies")
        return DumpRecvDict(dir, kLocalDictionariesFile, false, kind == "local-bodies");
    if (kind == "notepad" || kind == "settings") {
        CDocSettings settings;
        if (!LoadForDump(ServicePath(dir, kSettingsFile), [&](CArchive& ar) { settings.Serialize(ar); }))
            return kFailed;
        if (kind == "notepad") {
            for (const auto& e : settings.notepad.entries) {
                PrintCp(e.Describe());
                std::fputs("\n\n", stdout);
            }
            return kOk;
        }
        std::printf("font-pitch-and-family: %d\n", settings.fontPitchAndFamily);
        std::printf("font-face: %s\n", codepage::Cp1251ToUtf8(settings.fontFace).c_str());
        std::string hot;
        for (std::size_t i = 0; i < settings.hotDocuments.size(); ++i)
            hot += (i ? ", " : "") + std::to_string(settings.hotDocuments[i]);
        std::printf("hot-documents: %s\n", hot.c_str());
        std::printf("input-folder: %s\n", settings.inputFolder.c_str());
        std::printf("output-folder: %s\n", settings.outputFolder.c_str());
        std::printf("notepad-entries: %zu\n", settings.notepad.entries.size());
        return kOk;
    }
    if (kind == "recent-orvo" || kind == "recent-local") {
        RecentNumbers recent;
        if (!LoadForDump(ServicePath(dir, kind == "recent-orvo" ? kRecentOrvoFile : kRecentLocalFile),
                [&](CArchive& ar) { recent.Serialize(ar); }))
            return kFailed;
        for (std::int32_t n : recent.Numbers())
            std::printf("%d\n", n);
        return kOk;
    }
    return Usage("unknown kind " + kind);
}

// The data folder by the same rule as the desktop program, unless --data-dir names one.
void ChooseDataFolder(Args& a)
{
    if (!a.dataDir.empty())
        return;
    const data_folder::CDataFolderChoice choice = data_folder::ChooseForThisProgram();
    a.dataDir = choice.folder;
    if (!choice.copied.empty())
        std::fprintf(stderr, "telvarion-cli: first run: the starter service files were copied from %s to %s\n",
            choice.starterFolder.c_str(), choice.folder.c_str());
    if (!choice.error.empty())
        std::fprintf(stderr, "telvarion-cli: data folder %s: %s\n", choice.folder.c_str(), choice.error.c_str());
}

int DataDir(const Args& a)
{
    if (!a.positional.empty())
        return Usage("data-dir takes no arguments");
    std::printf("%s\n", a.dataDir.c_str());
    return data_folder::HoldsServiceFiles(a.dataDir) ? kOk : kFailed;
}

} // namespace

int main(int argc, char** argv)
{
    platform::SetUpStandardStreams();
    Args a = ParseArgs(platform::Utf8Arguments(argc, argv));
    if (!a.error.empty())
        return Usage(a.error);
    if (a.help) {
        std::fputs(kHelp, stdout);
        return kOk;
    }
    if (a.command.empty())
        return Usage("no command given");
    ChooseDataFolder(a);
    if (a.command == "data-dir")
        return DataDir(a);
    if (a.command == "import-local" || a.command == "import-orvo")
        return Import(a, a.command == "import-local");
    if (a.command == "dict")
        return DictLoad(a);
    if (a.command == "dump")
        return Dump(a);
    if (a.command == "analyse" || a.command == "explain") {
        // Without dictionaries every document would come out untouched, looking like a success.
        if (!data_folder::HoldsServiceFiles(a.dataDir)) {
            std::fprintf(stderr, "telvarion-cli: the data folder %s holds no service files: there is nothing to link "
                "against (give it with --data-dir)\n", a.dataDir.c_str());
            return kFailed;
        }
        return a.command == "analyse" ? Analyse(a) : Explain(a);
    }
    return Usage("unknown command " + a.command);
}
