#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/codepage.h"
#include "base/platform.h"
#include "cli/auto_ui.h"
#include "orvo/orvo_ref_maker.h"
#include "storage/doc_pair.h"
#include "storage/folder_lock.h"
#include "support/temp_dir.h"

namespace {

struct CliRun {
    int code;
    std::string out;
    std::string err;
};

// runAs: a command the tool runs under (setpriv ...), empty for none; program: the tool's path.
CliRun Cli(const CTempDir& dir, const std::string& args, const std::string& runAs = "",
    const std::string& program = TELVARION_CLI)
{
    const std::string errFile = dir.File("stderr.txt");
    const std::string command = runAs + "'" + program + "' " + args + " 2>'" + errFile + "'";
    CliRun run { -1, {}, {} };
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0)
        run.out.append(buf, n);
    const int status = pclose(pipe);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = CTempDir::Read(errFile);
    return run;
}

const char* const kList = "$0  НОМЕР В БАЗЕ\n101\n05.05.2005\n$5  ВИД ДОКУМЕНТА\nфедеральный закон\n"
                          "$4  ПРИНЯВШИЙ ОРГАН\nгосударственная дума\nсовет федерации\n$6  ДАТА ПРИНЯТИЯ\n"
                          "10.01.2002\n$7  НОМЕР\n7-фз\n$9  НАЗВАНИЕ ДОКУМЕНТА\nоб охране\nокружающей среды\n\n$$\n"
                          "broken\n1\n2\n3\n4\n5\n6\n$$\n"
                          "$0  НОМЕР В БАЗЕ\n102\n$5  ВИД ДОКУМЕНТА\nприказ\n$4  ПРИНЯВШИЙ ОРГАН\nминфин\n"
                          "$6  ДАТА ПРИНЯТИЯ\n01.03.2004\n$7  НОМЕР\n...\n$9  НАЗВАНИЕ ДОКУМЕНТА\nо порядке\n\n";

// A data folder of its own with the build's starter files; returns its path.
std::string CopyStarterData(const CTempDir& dir)
{
    const std::filesystem::path data = dir.Path() / "data";
    std::filesystem::create_directory(Fs(data));
    for (const auto& entry : std::filesystem::directory_iterator(Fs(TELVARION_BUILD_DIR)))
        if (entry.is_regular_file() && entry.path().filename().string().rfind("Telvarion.", 0) == 0
            && entry.path().filename() != kLockFile)
            std::filesystem::copy_file(Fs(entry.path()), data / entry.path().filename());
    return data.string();
}

const char* const kSampleNames[] = { "postanovlenie-297-p.rla", "ukaz-14.rla", "zakon-21-oz.rla" };

// The samples of the folder, quoted for a command line; the build's own when none is given.
std::string Samples(const std::string& folder = std::string(TELVARION_BUILD_DIR) + "/samples")
{
    std::string quoted;
    for (const char* name : kSampleNames)
        quoted += (quoted.empty() ? "'" : " '") + folder + "/" + name + "'";
    return quoted;
}

} // namespace

TEST(Cli, ImportThenDumpBothBases)
{
    CTempDir dir;
    const std::string dos = dir.Write("dos.lst", codepage::Cp1251ToCp866(codepage::Utf8ToCp1251(kList)));
    const std::string win = dir.Write("win.lst", codepage::Utf8ToCp1251(kList));

    // Options may stand anywhere after the command word.
    CliRun local = Cli(dir, "import-local --data-dir '" + dir.Utf8() + "' '" + dos + "' --dos");
    ASSERT_EQ(local.code, 0) << local.err;
    EXPECT_EQ(local.out, "Внесено 2 записей\n");
    // The broken record in the middle was answered No and did not stop the import.
    EXPECT_NE(local.err.find("Ошибка разбора записей. Прервать разбор?"), std::string::npos);

    CliRun orvo = Cli(dir, "import-orvo --windows '" + win + "' --data-dir '" + dir.Utf8() + "'");
    ASSERT_EQ(orvo.code, 0) << orvo.err;

    const std::string expected = "Номер в базе: 101\nВид документа: ФЕДЕРАЛЬНЫЙ ЗАКОН\n"
                                 "Принявший орган: ГОСУДАРСТВЕННАЯ ДУМА, СОВЕТ ФЕДЕРАЦИИ\nДата принятия: 10.01.2002\n"
                                 "Редакция от: 05.05.2005\nНомер: 7-ФЗ\nНазвание документа: ОБ ОХРАНЕ ОКРУЖАЮЩЕЙ СРЕДЫ \n\n"
                                 "Номер в базе: 102\nВид документа: ПРИКАЗ\nПринявший орган: МИНФИН\n"
                                 "Дата принятия: 01.03.2004\nРедакция от: \nНомер: \nНазвание документа: О ПОРЯДКЕ \n\n";
    // The data folder may also come from the environment.
    CliRun dumpLocal = Cli(dir, "dump local --data-dir '" + dir.Utf8() + "'");
    EXPECT_EQ(dumpLocal.code, 0);
    EXPECT_EQ(dumpLocal.out, expected);
    // Without a folder the program's own one is used: the starter data, not this test's base.
    CliRun dumpOrvo = Cli(dir, "dump orvo");
    EXPECT_NE(dumpOrvo.out, expected);
    setenv("TELVARION_DATA_DIR", dir.Path().c_str(), 1);
    dumpOrvo = Cli(dir, "dump orvo");
    unsetenv("TELVARION_DATA_DIR");
    EXPECT_EQ(dumpOrvo.code, 0);
    EXPECT_EQ(dumpOrvo.out, expected);
}

// An import the tool cannot finish changes nothing (here its journal cannot be written), and a
// dump reads the pair a commit left unfinished as the next start would, writing nothing.
TEST(Cli, AnImportIsAllOrNothing)
{
    CTempDir dir;
    const std::string data = dir.File("base");
    const std::string list = codepage::Utf8ToCp1251(kList);
    const std::string import = "import-orvo --windows '" + dir.Write("win.lst", list) + "' --data-dir '" + data + "'";
    std::filesystem::create_directories(Fs(data));
    ASSERT_EQ(Cli(dir, import).code, 0);
    std::filesystem::create_directories(Fs(data) / "Telvarion.orv.pair" / "in-the-way");
    auto before = CTempDir::Files(Fs(data));
    const CliRun failed = Cli(dir, import);
    EXPECT_EQ(failed.code, 1);
    EXPECT_NE(failed.err.find("Ошибка записи файла " + data + "/Telvarion.orv.pair!"), std::string::npos) << failed.err;
    EXPECT_EQ(CTempDir::Files(Fs(data)), before);

    // The documents' rename fails: the import holds the new record and says so; the dump shows it.
    std::filesystem::remove_all(Fs(data) / "Telvarion.orv.pair");
    docpair::SetStepHook([](docpair::Step s) { return s == docpair::Step::DocumentsRename; });
    CAutoUi ui;
    COrvoRefMaker maker(ui);
    maker.LoadFiles(data);
    EXPECT_TRUE(maker.ImportDocumentsFile(dir.Write("one.lst", list.substr(0, list.find("$$"))), false));
    docpair::SetStepHook(nullptr);
    EXPECT_EQ(maker.documents.records.size(), 1u);
    EXPECT_EQ(ui.ErrorCount(), 1);
    before = CTempDir::Files(Fs(data));
    const CliRun dump = Cli(dir, "dump orvo --data-dir '" + data + "'");
    EXPECT_TRUE(dump.out.starts_with("Номер в базе: 101") && dump.out.find("102") == std::string::npos) << dump.out;
    EXPECT_EQ(CTempDir::Files(Fs(data)), before);
}

TEST(Cli, DictionariesFromTextAndTheirDumps)
{
    CTempDir dir;
    const std::string d = " --data-dir '" + dir.Utf8() + "'";
    const std::string types = dir.Write("types.txt",
        "\xEF\xBB\xBF# виды документов\n  Постановление ;  пост. ;; постановления  \r\n\nприказ\n  \n");
    ASSERT_EQ(Cli(dir, "dict orvo-types load '" + types + "'" + d).code, 0);
    ASSERT_EQ(Cli(dir, "dict keywords load '" + dir.Write("k.txt", "закон\n  кодекс  рф \n#x\n") + "'" + d).code, 0);
    ASSERT_EQ(Cli(dir, "dict local-bodies load '" + dir.Write("b.txt", "Минфин;министерство финансов\n") + "'" + d).code, 0);

    EXPECT_EQ(Cli(dir, "dump orvo-types" + d).out, "ПОСТАНОВЛЕНИЕ; ПОСТ.; ПОСТАНОВЛЕНИЯ\nПРИКАЗ\n");
    // Loading the keywords kept the types of the same file.
    EXPECT_EQ(Cli(dir, "dump keywords" + d).out, "ЗАКОН\nКОДЕКС РФ\n");
    EXPECT_EQ(Cli(dir, "dump orvo-bodies" + d).out, "");
    EXPECT_EQ(Cli(dir, "dump local-bodies" + d).out, "МИНФИН; МИНИСТЕРСТВО ФИНАНСОВ\n");
    EXPECT_EQ(Cli(dir, "dump local-types" + d).out, "");
    // Only the dictionaries files were written.
    EXPECT_FALSE(std::filesystem::exists(Fs(dir.Path() / "Telvarion.orv")));
    EXPECT_FALSE(std::filesystem::exists(Fs(dir.Path() / "Telvarion.loc")));
}

TEST(Cli, UsageAndFailuresHaveTheirExitCodes)
{
    CTempDir dir;
    const std::string d = " --data-dir '" + dir.Utf8() + "'";
    CliRun help = Cli(dir, "--help");
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("import-local"), std::string::npos);
    EXPECT_EQ(Cli(dir, "").code, 2);
    EXPECT_EQ(Cli(dir, "frobnicate" + d).code, 2);
    EXPECT_EQ(Cli(dir, "import-local x.lst" + d).code, 2); // no code page
    EXPECT_EQ(Cli(dir, "dump nothing" + d).code, 2);
    EXPECT_EQ(Cli(dir, "dict keywords load" + d).code, 2);
    EXPECT_EQ(Cli(dir, "dump settings --bogus" + d).code, 2);

    // A folder without service files: nothing to link against, which is no success.
    const std::string doc = " '" + dir.Write("a.rla", "$18  Текст документа\nN 1\n") + "'";
    for (const char* command : { "analyse", "explain" }) {
        const CliRun empty = Cli(dir, command + d + doc);
        EXPECT_EQ(empty.code, 1) << command;
        EXPECT_NE(empty.err.find("holds no service files"), std::string::npos) << empty.err;
        EXPECT_EQ(empty.out, "") << command;
    }

    CliRun missing = Cli(dir, "import-local --dos '" + dir.File("missing.lst") + "'" + d);
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("Ошибка чтения файла"), std::string::npos);
    EXPECT_EQ(Cli(dir, "dump settings" + d).code, 1);
    dir.Write("Telvarion.lst", std::string("\x05\x00\x00\x00", 4));
    EXPECT_EQ(Cli(dir, "dump recent-orvo" + d).code, 1);
    dir.Write("Telvarion.llc", std::string("\x02\x00\x00\x00\x07\x00\x00\x00\x03\x00\x00\x00", 12));
    CliRun recent = Cli(dir, "dump recent-local" + d);
    EXPECT_EQ(recent.code, 0);
    EXPECT_EQ(recent.out, "7\n3\n");
}

// The bundled samples against the starter data: what the batch analysis prints and writes is
// held in files, so any change of a result shows up here.
TEST(Cli, AnalyseTheSamplesAsExpected)
{
    CTempDir dir;
    const std::string build = TELVARION_BUILD_DIR;
    const std::string expected = TELVARION_CLI_EXPECTED;
    const std::string samples = "'" + build + "/samples/postanovlenie-297-p.rla' '" + build + "/samples/ukaz-14.rla' '"
        + build + "/samples/zakon-21-oz.rla'";
    const std::string data = " --data-dir '" + build + "'";
    // The service files are read, never written.
    const auto stamp = std::filesystem::last_write_time(Fs(build + "/Telvarion.orv"));

    CliRun json = Cli(dir, "analyse --json --out '" + dir.Utf8() + "'" + data + " " + samples);
    ASSERT_EQ(json.code, 0) << json.err;
    EXPECT_EQ(json.out, CTempDir::Read(expected + "/analyse.json"));
    for (const char* name : { "postanovlenie-297-p.rla", "ukaz-14.rla", "zakon-21-oz.rla" })
        EXPECT_EQ(CTempDir::Read(dir.File(name)), CTempDir::Read(expected + "/" + name)) << name;

    CliRun text = Cli(dir, "analyse" + data + " " + samples);
    EXPECT_EQ(text.out, CTempDir::Read(expected + "/analyse.txt"));
    EXPECT_EQ(std::filesystem::last_write_time(Fs(build + "/Telvarion.orv")), stamp);
    EXPECT_FALSE(std::filesystem::exists(Fs(build + "/Telvarion.dat.damaged")));

    // Scan: nothing placed, the same suspicious and existing counts; a missing file goes to
    // stderr, the others go on, and the exit code says something failed.
    CliRun scan = Cli(dir, "analyse --policy scan --json" + data + " " + samples + " '" + dir.File("missing.rla") + "'");
    EXPECT_EQ(scan.code, 1);
    EXPECT_NE(scan.err.find("Ошибка чтения файла"), std::string::npos);
    EXPECT_NE(scan.out.find("{\"file\": \"zakon-21-oz.rla\", \"orvo\": {\"suspicious\": 20, \"placed\": 0, \"existing\": 1}"),
        std::string::npos);
    EXPECT_EQ(scan.out.find("\"kind\""), std::string::npos);
    EXPECT_EQ(Cli(dir, "analyse --policy sometimes x.rla" + data).code, 2);

    // Paired: the lines whose number and date are cited together get those documents, each tag
    // says how it was chosen, and the documents themselves (the appendices of the decree and
    // the resolution cite them: local 2028 and 2038) are never linked, though single links them.
    CliRun paired = Cli(dir, "analyse --policy paired --json" + data + " " + samples);
    ASSERT_EQ(paired.code, 0) << paired.err;
    for (const char* self : { "\"number\": 2028}", "\"number\": 2038}" }) {
        EXPECT_NE(json.out.find(self), std::string::npos) << self;
        EXPECT_EQ(paired.out.find(self), std::string::npos) << self;
    }
    EXPECT_NE(paired.out.find("\"number\": 100213, \"chosen\": \"paired\"}"), std::string::npos);
    EXPECT_NE(paired.out.find("\"number\": 100204, \"chosen\": \"paired\"}"), std::string::npos);
    std::size_t tags = 0;
    std::size_t chosen = 0;
    for (std::size_t at = paired.out.find("\"kind\""); at != std::string::npos; at = paired.out.find("\"kind\"", at + 1))
        ++tags;
    for (std::size_t at = paired.out.find("\"chosen\""); at != std::string::npos; at = paired.out.find("\"chosen\"", at + 1))
        ++chosen;
    EXPECT_GT(tags, 20u);
    EXPECT_EQ(chosen, tags);
    EXPECT_EQ(json.out.find("\"chosen\""), std::string::npos); // single says nothing new
}

// Explain: every suspicious line with its candidates and their agreement, what single and paired
// would do there, and the citations no base has; nothing is written.
TEST(Cli, ExplainSaysWhyAndWhatIsMissing)
{
    CTempDir dir;
    const std::string build = TELVARION_BUILD_DIR;
    const std::string data = " --data-dir '" + build + "'";
    const auto stamp = std::filesystem::last_write_time(Fs(build + "/Telvarion.orv"));
    const auto sample = [&](const char* name) { return " '" + build + "/samples/" + name + "'"; };

    const CliRun json = Cli(dir, "explain --json" + data + sample("zakon-21-oz.rla") + sample("ukaz-14.rla"));
    ASSERT_EQ(json.code, 0) << json.err;
    // Two candidates of one day and body: the one cited by number and date is paired's choice.
    EXPECT_NE(json.out.find("\"candidates\": [{\"number\": 100213, \"type\": true, \"body\": true, \"numberAgrees\": true, "
                            "\"date\": true, \"citedTogether\": true, \"itself\": false}, {\"number\": 100214"),
        std::string::npos);
    EXPECT_NE(json.out.find("\"single\": [], \"paired\": [100213], \"class\": \"link\", \"why\": \"paired\", "
                            "\"certain\": [100213]}"),
        std::string::npos);
    // The appendix that cites its own decree: single would link it, paired and certain never.
    EXPECT_NE(json.out.find("\"citedTogether\": true, \"itself\": true}], \"single\": [2028], \"paired\": [], "
                            "\"class\": \"nothing\", \"why\": \"itself\", \"certain\": []}"),
        std::string::npos);
    EXPECT_NE(json.out.find("\"classes\": {\"link\": 12, \"nothing\": 40, \"open\": 0}}"), std::string::npos);
    EXPECT_NE(json.out.find("{\"file\": \"ukaz-14.rla\", \"lines\": [{\"base\": \"orvo\""), std::string::npos);

    const CliRun text = Cli(dir, "explain" + data + sample("postanovlenie-297-p.rla"));
    ASSERT_EQ(text.code, 0) << text.err;
    EXPECT_NE(text.out.find("  нет в базе:\n    строка 41: N 1/29 от 13.01.2003\n\n"), std::string::npos);
    EXPECT_NE(text.out.find("    single: 100301; paired: 100301\n"), std::string::npos);
    EXPECT_EQ(std::filesystem::last_write_time(Fs(build + "/Telvarion.orv")), stamp);
    EXPECT_EQ(Cli(dir, "explain" + data).code, 2);
}

// The class of each line of a real-looking resolution and the tags certain places: a link once
// per citation where it stands, a continuation line left alone, a citation the base lacks, a
// number cited without a date that two acts carry, a two-digit year; paired, for comparison,
// tags the title, repeats a link and takes the act of the line above for the missing one.
TEST(Cli, CertainLinksWhatIsSureAndLeavesTheRestOpen)
{
    CTempDir dir;
    const std::string data = " --data-dir '" + std::string(TELVARION_BUILD_DIR) + "'";
    const char* const text[] = {
        "                 ПРАВИТЕЛЬСТВО СЕВЕРО-ОЗЕРСКОЙ ОБЛАСТИ",
        "    В соответствии с Федеральным законом от 27.07.2006 N 152-ФЗ",
        "\"О персональных данных\", Федеральным законом от 25 декабря",
        "2008 г. N 273-ФЗ \"О противодействии коррупции\" (далее - Закон о",
        "противодействии коррупции), Законом Российской Федерации от",
        "21.07.93 N 5485-1 \"О государственной тайне\" Правительство области",
        "постановляет:",
        "    1. Руководствоваться Федеральным законом от 01.02.2003 N 999-ФЗ",
        "и Федеральным законом N 273-ФЗ в части, не урегулированной",
        "настоящим постановлением.",
    };
    std::string rla
        = "$0  Номер в базе\r\n9001\r\n$5  Вид документа\r\nПОСТАНОВЛЕНИЕ\r\n$4  Принявший орган\r\n"
          "ПРАВИТЕЛЬСТВО СЕВЕРО-ОЗЕРСКОЙ ОБЛАСТИ\r\n$6  Дата принятия\r\n10.01.2024\r\n$7  Номер\r\n5-п\r\n\r\n"
          "$18  Текст документа\r\n";
    for (const char* line : text)
        rla += std::string(line) + "\r\n";
    const std::string path = dir.File("resolution.rla");
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(f);
    const std::string bytes = codepage::Cp1251ToCp866(codepage::Utf8ToCp1251(rla));
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);

    const CliRun explain = Cli(dir, "explain --json" + data + " '" + path + "'");
    ASSERT_EQ(explain.code, 0) << explain.err;
    const struct {
        int line;
        const char* classWhy;
    } orvo[] = {
        { 0, "\"class\": \"nothing\", \"why\": \"cited-nearby\", \"certain\": []" },
        { 1, "\"class\": \"link\", \"why\": \"only\", \"certain\": [100053]" },
        { 2, "\"class\": \"link\", \"why\": \"paired\", \"certain\": [100072]" },
        { 3, "\"class\": \"nothing\", \"why\": \"cited-nearby\", \"certain\": []" },
        { 5, "\"class\": \"link\", \"why\": \"paired\", \"certain\": [100049]" },
        { 7, "\"class\": \"nothing\", \"why\": \"not-in-base\", \"certain\": []" },
        { 8, "\"class\": \"open\", \"why\": \"undecided\", \"certain\": []" },
    };
    for (const auto& c : orvo) {
        const std::size_t at = explain.out.find("{\"base\": \"orvo\", \"line\": " + std::to_string(c.line) + ",");
        ASSERT_NE(at, std::string::npos) << c.line;
        const std::size_t end = explain.out.find("]}", explain.out.find("\"class\"", at));
        EXPECT_NE(explain.out.substr(at, end + 1 - at).find(c.classWhy), std::string::npos) << c.line;
    }

    const CliRun certain = Cli(dir, "analyse --policy certain --json" + data + " '" + path + "'");
    ASSERT_EQ(certain.code, 0) << certain.err;
    EXPECT_NE(
        certain.out.find("\"tags\": [{\"line\": 1, \"kind\": \"orvo\", \"number\": 100053, \"chosen\": \"only\"}, "
                         "{\"line\": 3, \"kind\": \"orvo\", \"number\": 100072, \"chosen\": \"paired\"}, "
                         "{\"line\": 6, \"kind\": \"orvo\", \"number\": 100049, \"chosen\": \"paired\"}]}"),
        std::string::npos)
        << certain.out;
    const CliRun paired = Cli(dir, "analyse --policy paired --json" + data + " '" + path + "'");
    EXPECT_NE(paired.out.find("\"orvo\": {\"suspicious\": 9, \"placed\": 5,"), std::string::npos) << paired.out;
}

// A batch: a folder with its subfolders and a list of paths, a file in the middle that cannot be
// read. Whatever the number of threads, the same output and documents; the failed file is named
// at the end and the exit code says so; the others are done.
TEST(Cli, BatchIsTheSameOnAnyNumberOfThreads)
{
    CTempDir dir;
    const std::string build = TELVARION_BUILD_DIR;
    const std::string expected = TELVARION_CLI_EXPECTED;
    const std::string data = " --data-dir '" + build + "'";
    const auto in = dir.Path() / "in";
    std::filesystem::create_directories(Fs(in / "more"));
    for (const char* name : { "postanovlenie-297-p.rla", "ukaz-14.rla", "zakon-21-oz.rla" })
        std::filesystem::copy_file(Fs(build + "/samples/" + name), in / name);
    std::filesystem::copy_file(Fs(build + "/samples/ukaz-14.rla"), in / "more" / "copy.rla");
    std::filesystem::create_directories(Fs(dir.Path() / "elsewhere"));
    std::filesystem::copy_file(Fs(build + "/samples/zakon-21-oz.rla"), dir.Path() / "elsewhere" / "extra.rla");
    const std::string list = dir.Write("list.txt", dir.File("missing.rla") + "\n\n" + dir.File("elsewhere/extra.rla") + "\n");

    std::string first;
    for (const int jobs : { 1, 2, 3 }) {
        const std::string out = dir.File("out" + std::to_string(jobs));
        const CliRun run = Cli(dir, "analyse --json --recursive --jobs " + std::to_string(jobs) + " --out '" + out + "'" + data
                + " '" + in.string() + "' --files-from - < '" + list + "'");
        EXPECT_EQ(run.code, 1) << run.err;
        EXPECT_NE(run.err.find("Итого: файлов проанализировано 5, с ошибками 1\n"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("Не обработаны:\n  " + dir.File("missing.rla") + "\n"), std::string::npos) << run.err;
        // The folder by name below it (the subfolder's file first), then the list.
        EXPECT_EQ(run.out.find("{\"file\": \"more/copy.rla\""), 0u) << run.out;
        EXPECT_NE(run.out.find("\n" + CTempDir::Read(expected + "/analyse.json") + "{\"file\": \"extra.rla\""), std::string::npos);
        EXPECT_EQ(CTempDir::Read(out + "/more/copy.rla"), CTempDir::Read(expected + "/ukaz-14.rla"));
        EXPECT_EQ(CTempDir::Read(out + "/extra.rla"), CTempDir::Read(expected + "/zakon-21-oz.rla"));
        if (jobs == 1)
            first = run.out;
        EXPECT_EQ(run.out, first) << jobs;
        for (const char* name : { "postanovlenie-297-p.rla", "ukaz-14.rla", "zakon-21-oz.rla" })
            EXPECT_EQ(CTempDir::Read(out + "/" + name), CTempDir::Read(expected + "/" + name)) << jobs << name;
    }
    EXPECT_EQ(Cli(dir, "analyse --jobs 0 x.rla" + data).code, 2);
    EXPECT_EQ(Cli(dir, "analyse --in-place x.rla" + data).code, 2);
}

// --out over the inputs: refused unless --in-place, which then replaces each document by its result.
TEST(Cli, BatchReplacesItsInputsOnlyInPlace)
{
    CTempDir dir;
    const std::string build = TELVARION_BUILD_DIR;
    const std::string data = " --data-dir '" + build + "'";
    const std::string doc = dir.File("zakon-21-oz.rla");
    std::filesystem::copy_file(Fs(build + "/samples/zakon-21-oz.rla"), doc);
    const std::string original = CTempDir::Read(doc);

    const CliRun refused = Cli(dir, "analyse --out '" + dir.Utf8() + "'" + data + " '" + doc + "'");
    EXPECT_EQ(refused.code, 2);
    EXPECT_NE(refused.err.find("--in-place"), std::string::npos) << refused.err;
    EXPECT_EQ(CTempDir::Read(doc), original);

    const CliRun replaced = Cli(dir, "analyse --in-place --out '" + dir.Utf8() + "'" + data + " '" + doc + "'");
    EXPECT_EQ(replaced.code, 0) << replaced.err;
    EXPECT_EQ(CTempDir::Read(doc), CTempDir::Read(std::string(TELVARION_CLI_EXPECTED) + "/zakon-21-oz.rla"));
}

// The desktop program holds the folder: the commands that would write refuse and name it, those
// that read go on.
TEST(Cli, AFolderAnotherProgramHoldsIsNotWritten)
{
    CTempDir dir;
    const std::string data = CopyStarterData(dir);
    const std::string d = " --data-dir '" + data + "'";
    const std::string list = dir.Write("win.lst", codepage::Utf8ToCp1251(kList));
    const std::string words = dir.Write("k.txt", "закон\n");
    const std::vector<std::string> writers = { "import-local --windows '" + list + "'",
        "import-orvo --windows '" + list + "'", "dict keywords load '" + words + "'", "dict local-types load '" + words + "'" };
    auto window = std::make_unique<CDataFolderLock>(data, "telvarion");
    ASSERT_EQ(window->Take(), CDataFolderLock::Result::Taken);
    const auto before = CTempDir::Files(data);
    for (const std::string& command : writers) {
        const CliRun run = Cli(dir, command + d);
        EXPECT_EQ(run.code, 1) << command;
        EXPECT_EQ(run.out, "") << command;
        for (const std::string& part : { std::string("программа telvarion,"), "пользователь " + platform::UserName(),
                 "компьютер " + platform::HostName(), "процесс " + std::to_string(platform::ProcessId()) })
            EXPECT_NE(run.err.find(part), std::string::npos) << command << ": " << run.err;
        EXPECT_EQ(CTempDir::Files(data), before) << command;
    }
    const CliRun analyse = Cli(dir, "analyse" + d + " " + Samples());
    EXPECT_EQ(analyse.code, 0) << analyse.err;
    EXPECT_EQ(analyse.out, CTempDir::Read(std::string(TELVARION_CLI_EXPECTED) + "/analyse.txt"));
    EXPECT_EQ(Cli(dir, "dump keywords" + d).code, 0);

    // With the window gone, the same commands work, and leave no lock behind.
    window.reset();
    for (const std::string& command : writers) {
        const CliRun run = Cli(dir, command + d);
        EXPECT_EQ(run.code, 0) << command << ": " << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(Fs(data) / kLockFile));
    EXPECT_NE(CTempDir::Files(data), before);
}

// A base kept by its maintainer, which this user may only read: everything that reads works,
// titles included, and what would write refuses without writing. Run as the unprivileged user
// "nobody" (setpriv), because the tests run as root, whom permissions do not stop.
TEST(Cli, AFolderThisUserMayOnlyRead)
{
    if (geteuid() != 0 || std::system("command -v setpriv >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "needs root and setpriv to run the tool as another user";
    CTempDir dir;
    const std::string data = CopyStarterData(dir);
    namespace fs = std::filesystem;
    const auto readable = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read
        | fs::perms::others_exec;
    fs::permissions(Fs(dir.Path()), readable);
    fs::permissions(Fs(data), readable);
    for (const auto& entry : fs::directory_iterator(Fs(data)))
        fs::permissions(Fs(entry.path()), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
    // The other user may not reach the build (a clone in root's home folder): the tool and the
    // samples it reads are copied beside the data.
    const fs::path program = dir.Path() / "telvarion-cli";
    fs::copy_file(Fs(TELVARION_CLI), program);
    fs::create_directory(dir.Path() / "samples");
    for (const char* name : kSampleNames)
        fs::copy_file(Fs(std::string(TELVARION_BUILD_DIR) + "/samples/" + name), dir.Path() / "samples" / name);
    fs::permissions(dir.Path() / "samples", readable);
    fs::permissions(program, readable);
    const std::string d = " --data-dir '" + data + "'";
    const auto asNobody = [&](const std::string& args) {
        return Cli(dir, args, "setpriv --reuid=65534 --regid=65534 --clear-groups ", program.string());
    };
    const auto before = CTempDir::Files(data);

    const CliRun analyse = asNobody("analyse" + d + " " + Samples((dir.Path() / "samples").string()));
    EXPECT_EQ(analyse.code, 0) << analyse.err;
    // Nothing but the run's summary: no message of a titles file it could not open.
    EXPECT_EQ(analyse.err.rfind("Итого: файлов проанализировано 3, с ошибками 0\n", 0), 0u) << analyse.err;
    EXPECT_EQ(analyse.err.find("Ошибка"), std::string::npos) << analyse.err;
    EXPECT_EQ(analyse.out, CTempDir::Read(std::string(TELVARION_CLI_EXPECTED) + "/analyse.txt"));
    for (const char* kind : { "orvo", "local" }) {
        const CliRun dump = asNobody(std::string("dump ") + kind + d);
        EXPECT_EQ(dump.code, 0) << kind << ": " << dump.err;
        EXPECT_EQ(dump.err, "") << kind;
        // The titles are there: the same as the owner reads them.
        EXPECT_NE(dump.out.find("Название документа: "), std::string::npos) << kind;
        EXPECT_EQ(dump.out, Cli(dir, std::string("dump ") + kind + d).out) << kind;
    }
    const CliRun import = asNobody("import-local --windows '" + dir.Write("win.lst", codepage::Utf8ToCp1251(kList)) + "'" + d);
    EXPECT_EQ(import.code, 1);
    EXPECT_NE(import.err.find("нет прав доступа"), std::string::npos) << import.err;
    EXPECT_EQ(CTempDir::Files(data), before);
}
