// Inputs far larger than any real one: a 200 MB document, two million lines, a 20 MB line, a list
// file of a million records. Each runs in a child process, so that its peak memory can be read
// back and held against the size of the input, and so that a crash fails the test instead of the
// suite. These tests carry the label "huge"; the sanitizer run leaves them out.

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#if defined(__unix__) || defined(__APPLE__)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#define TELVARION_HAVE_FORK 1
#endif

#include "base/codepage.h"
#include "core/rla_text.h"
#include "document/telvarion_doc.h"
#include "core/dict_text.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

constexpr std::uint64_t kMb = 1 << 20;

// Writes a file piece by piece, so that the test itself never holds the whole input.
class CFileMaker {
public:
    explicit CFileMaker(const std::string& path)
        : m_file(std::fopen(path.c_str(), "wb"))
    {
    }
    ~CFileMaker() { Close(); }
    void Put(const std::string& bytes)
    {
        if (m_file && std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size())
            m_failed = true;
        m_size += bytes.size();
    }
    bool Close()
    {
        if (m_file && std::fclose(m_file) != 0)
            m_failed = true;
        m_file = nullptr;
        return !m_failed;
    }
    std::uint64_t Size() const { return m_size; }

private:
    std::FILE* m_file;
    std::uint64_t m_size = 0;
    bool m_failed = false;
};

std::string Dos(const std::string& utf8) { return codepage::Cp1251ToCp866(codepage::Utf8ToCp1251(utf8)); }

struct Measured {
    bool ran = false;     // the child ended normally with success
    std::string failure;  // what the child said when it did not
    std::uint64_t peakBytes = 0;
};

// Runs work in a child process; the child's peak resident memory comes back with the result.
// work returns an empty string on success, else what went wrong.
Measured RunMeasured(const std::function<std::string()>& work)
{
    Measured m;
#ifdef TELVARION_HAVE_FORK
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return m;
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipeFds[0]);
        const std::string failure = work();
        if (!failure.empty() && write(pipeFds[1], failure.data(), failure.size()) < 0)
            _exit(2);
        _exit(failure.empty() ? 0 : 1);
    }
    close(pipeFds[1]);
    char buffer[512];
    for (ssize_t got; (got = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        m.failure.append(buffer, static_cast<std::size_t>(got));
    close(pipeFds[0]);
    int status = 0;
    struct rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid)
        return m;
    m.ran = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (WIFSIGNALED(status))
        m.failure += "killed by signal " + std::to_string(WTERMSIG(status));
#ifdef __APPLE__
    m.peakBytes = static_cast<std::uint64_t>(usage.ru_maxrss);
#else
    m.peakBytes = static_cast<std::uint64_t>(usage.ru_maxrss) * 1024;
#endif
#else
    m.failure = work();
    m.ran = m.failure.empty();
#endif
    return m;
}

// The memory of this process before the child was made: the child starts with all of it.
std::uint64_t OwnPeak()
{
#ifdef TELVARION_HAVE_FORK
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
#ifdef __APPLE__
    return static_cast<std::uint64_t>(usage.ru_maxrss);
#else
    return static_cast<std::uint64_t>(usage.ru_maxrss) * 1024;
#endif
#else
    return 0;
#endif
}

#ifndef TELVARION_HAVE_FORK
#define SKIP_WITHOUT_FORK() GTEST_SKIP() << "needs a child process to measure memory"
#else
#define SKIP_WITHOUT_FORK() static_cast<void>(0)
#endif

std::string Header() { return Dos("$1  Название\r\nО большом\r\n$6  Дата принятия\r\n01.02.2003\r\n\r\n$18  Текст документа\r\n"); }

// A program folder with a small dictionary of each base: the Orvo keyword ЗАКОН and one law,
// one local decree.
struct Program {
    CTempDir data;
    CTempDir work;
    CScriptedUi ui;

    Program()
    {
        CTelvarionDoc doc(ui, data.Utf8());
        doc.LoadServiceData();
        doc.orvoMaker.keywords.strings = ParseKeywordText("ЗАКОН");
        doc.orvoMaker.types = ParseRecvDictText("ЗАКОН");
        doc.innerMaker.types = ParseRecvDictText("УКАЗ");
        const std::string list = codepage::Utf8ToCp1251(
            "$0  НОМЕР В БАЗЕ\n100\n$5  ВИД ДОКУМЕНТА\nЗАКОН\n$4  ПРИНЯВШИЙ ОРГАН\nДУМА\n$6  ДАТА ПРИНЯТИЯ\n"
            "06.10.2003\n$7  НОМЕР\n131-ФЗ\n$9  НАЗВАНИЕ ДОКУМЕНТА\nОб общих принципах\n\n");
        EXPECT_TRUE(doc.orvoMaker.documents.ImportListFile(ui, work.Write("orvo.lst", list), false));
        doc.orvoMaker.MarkDictionariesModified();
        doc.orvoMaker.MarkDocumentsModified();
        doc.innerMaker.MarkDictionariesModified();
        ui.messages.clear();
    }
};

} // namespace

TEST(HugeInput, DocumentOf200MbReadsInMemoryProportionalToIt)
{
    SKIP_WITHOUT_FORK();
    CTempDir dir;
    const std::string path = dir.File("huge.rla");
    CFileMaker file(path);
    file.Put(Header());
    const std::string line = Dos("Статья текста, в которой ничего не упомянуто ") + std::string(50, '.') + "\r\n";
    while (file.Size() < 200 * kMb)
        file.Put(line);
    ASSERT_TRUE(file.Close());
    const std::uint64_t size = file.Size();
    const std::uint64_t lines = (size - Header().size()) / line.size();

    const std::uint64_t before = OwnPeak();
    const Measured m = RunMeasured([&]() -> std::string {
        CScriptedUi ui;
        CRlaText text;
        if (!text.ReadRla(path, ui))
            return "not read";
        if (text.textLines.size() != lines || text.headerLines.size() != 6)
            return "lines lost: " + std::to_string(text.textLines.size());
        if (text.textLines.back() != codepage::Cp866ToCp1251(line.substr(0, line.size() - 2)))
            return "the last line changed";
        if (CRlaText::FindFirstTextLine(text.textLines) != 0 || !ui.messages.empty())
            return "odd document";
        return {};
    });
    ASSERT_TRUE(m.ran) << m.failure;
    // The file's bytes once in a buffer and once in the lines, and a string for every line.
    EXPECT_LT(m.peakBytes, before + 2 * size + lines * 64 + 64 * kMb) << m.peakBytes / kMb << " MB";
}

TEST(HugeInput, TwoMillionLinesOpenAndAreAnalysed)
{
    SKIP_WITHOUT_FORK();
    Program program;
    const std::string path = program.work.File("lines.rla");
    CFileMaker file(path);
    file.Put(Header());
    constexpr std::size_t kLines = 2'000'000;
    const std::string plain = Dos("строка\r\n");
    const std::string citing = Dos("В соответствии с законом от 06.10.2003 N 131-ФЗ\r\n");
    for (std::size_t i = 0; i < kLines; ++i)
        file.Put(i == kLines / 2 ? citing : plain);
    ASSERT_TRUE(file.Close());

    const std::uint64_t before = OwnPeak();
    const Measured m = RunMeasured([&]() -> std::string {
        CScriptedUi ui;
        ui.confirmAnswers.push_back(AnswerYes);
        CTelvarionDoc doc(ui, program.data.Utf8());
        doc.LoadServiceData(false);
        if (!doc.OpenFile(path, false))
            return "not opened";
        // The one citing line got its tag, every other line is there.
        if (ui.viewTexts.size() != kLines + 1 || doc.orvoMaker.nPlacedTags != 1)
            return "lines: " + std::to_string(ui.viewTexts.size()) + ", tags: " + std::to_string(doc.orvoMaker.nPlacedTags);
        if (ui.viewTexts.front() != codepage::Utf8ToCp1251("строка") || doc.bBusy)
            return "odd document";
        return {};
    });
    ASSERT_TRUE(m.ran) << m.failure;
    // The text, the view's copy and a record for every line: a fixed cost per line.
    EXPECT_LT(m.peakBytes, before + kLines * 2048 + 64 * kMb) << m.peakBytes / kMb << " MB";
}

TEST(HugeInput, LineOf20MbOpensAndIsAnalysed)
{
    SKIP_WITHOUT_FORK();
    Program program;
    const std::string path = program.work.File("line.rla");
    CFileMaker file(path);
    file.Put(Header() + Dos("Первая строка\r\n"));
    // Words a reference is made of, dates included, over and over: the line is suspicious for
    // both bases and holds hundreds of thousands of dates.
    const std::string words = Dos("закон \"о принципах\" от 6 октября 2003 г. и 06.10.2003 N 131-ФЗ, ");
    std::string piece;
    while (piece.size() < kMb)
        piece += words;
    for (int i = 0; i < 20; ++i)
        file.Put(piece);
    file.Put("\r\n" + Dos("Последняя строка\r\n"));
    ASSERT_TRUE(file.Close());
    const std::uint64_t size = file.Size();

    const std::uint64_t before = OwnPeak();
    const Measured m = RunMeasured([&]() -> std::string {
        CScriptedUi ui;
        ui.confirmAnswers.assign(4, AnswerYes);
        ui.selectAnswers.assign(4, SelectDocumentsResult { AnswerOk, 0, 0, {} });
        CTelvarionDoc doc(ui, program.data.Utf8());
        doc.LoadServiceData(false);
        if (!doc.OpenFile(path, false))
            return "not opened";
        if (ui.viewTexts.size() < 3 || ui.viewTexts.front() != codepage::Utf8ToCp1251("Первая строка")
            || ui.viewTexts.back() != codepage::Utf8ToCp1251("Последняя строка"))
            return "lines lost";
        if (doc.orvoMaker.nSuspiciousLines != 1)
            return "the long line was not suspicious";
        return {};
    });
    ASSERT_TRUE(m.ran) << m.failure;
    EXPECT_LT(m.peakBytes, before + 40 * size + 64 * kMb) << m.peakBytes / kMb << " MB";
}

TEST(HugeInput, ListOfAMillionRecordsWithEveryTenthBroken)
{
    SKIP_WITHOUT_FORK();
    CTempDir dir;
    const std::string path = dir.File("million.lst");
    CFileMaker file(path);
    constexpr int kRecords = 1'000'000;
    for (int i = 1; i <= kRecords; ++i) {
        // A broken record lacks its body: the import asks whether to stop, and is told No.
        const bool broken = i % 10 == 0;
        file.Put(Dos("$0  НОМЕР В БАЗЕ\r\n" + std::to_string(i) + "\r\n$5  ВИД ДОКУМЕНТА\r\nзакон\r\n"
            + (broken ? "" : "$4  ПРИНЯВШИЙ ОРГАН\r\nдума\r\n") + "$6  ДАТА ПРИНЯТИЯ\r\n01.02.2003\r\n$7  НОМЕР\r\n"
            + std::to_string(i % 1000) + "\r\n$9  НАЗВАНИЕ ДОКУМЕНТА\r\nназвание " + std::to_string(i) + "\r\n\r\n$$\r\n"));
    }
    ASSERT_TRUE(file.Close());
    const std::uint64_t size = file.Size();

    const std::uint64_t before = OwnPeak();
    const Measured m = RunMeasured([&]() -> std::string {
        CScriptedUi ui;
        ui.answers.assign(kRecords / 10, AnswerNo);
        CDocDict dict;
        if (!dict.OpenOrCreateTextFile(dir.File("Telvarion.tlc")) || !dict.ImportListFile(ui, path, true))
            return "not imported";
        if (dict.records.size() != kRecords - kRecords / 10 || !ui.answers.empty())
            return "records: " + std::to_string(dict.records.size()) + ", unanswered: " + std::to_string(ui.answers.size());
        if (ui.messages.back().text != "Внесено 900000 записей")
            return ui.messages.back().text;
        // A broken record reads its remaining lines as types, so only whole records give numbers.
        const CDocRecvisits last = dict.ToRecvisits(dict.records.back());
        if (last.nBaseNumber != kRecords - 1 || last.name != codepage::Utf8ToCp1251("НАЗВАНИЕ 999999 ")
            || dict.numbers.Count() != 900)
            return "the last record reads " + std::to_string(last.nBaseNumber);
        return {};
    });
    ASSERT_TRUE(m.ran) << m.failure;
    // A record in memory costs a few hundred bytes, about twice its text in the file.
    EXPECT_LT(m.peakBytes, before + 4 * size + 64 * kMb) << m.peakBytes / kMb << " MB";
}
