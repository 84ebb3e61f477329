#include "storage/doc_pair.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/platform.h"
#include "storage/atomic_file.h"
#include "storage/service_file.h"

namespace docpair {
namespace {

StepHook& Hook()
{
    static StepHook hook;
    return hook;
}

bool Injected(Step step)
{
    const auto& hook = Hook();
    return hook && hook(step);
}

constexpr std::string_view kJournalHead = "Telvarion pair 1\n";
// A journal is a few lines; anything larger is not one of ours.
constexpr std::uintmax_t kJournalMax = 4096;

std::string FileName(const std::string& path) { return platform::FromFsPath(platform::ToFsPath(path).filename()); }

bool Exists(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::exists(platform::ToFsPath(path), ec);
}

bool Remove(const std::string& path)
{
    std::error_code ec;
    std::filesystem::remove(platform::ToFsPath(path), ec);
    return !ec;
}

bool Rename(const std::string& from, const std::string& to)
{
    std::error_code ec;
    return platform::MoveOver(from, to, ec);
}

std::string JournalLine(std::string_view role, const std::string& path, const CFileSum& sum)
{
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(sum.hash));
    return std::string(role) + " " + FileName(path) + " " + std::to_string(sum.size) + " " + hash + "\n";
}

// The size and hash of a line that must begin with role and the file's name.
bool ParseLine(std::string_view line, std::string_view role, const std::string& path, CFileSum& sum)
{
    const std::string prefix = std::string(role) + " " + FileName(path) + " ";
    if (line.substr(0, prefix.size()) != prefix)
        return false;
    line.remove_prefix(prefix.size());
    const char* end = line.data() + line.size();
    auto [p, ec] = std::from_chars(line.data(), end, sum.size);
    if (ec != std::errc() || p == end || *p != ' ')
        return false;
    const char* hash = p + 1;
    auto [q, ec2] = std::from_chars(hash, end, sum.hash, 16);
    return ec2 == std::errc() && q == end && q - hash == 16;
}

enum class Journal { None, Valid, Malformed };

Journal ReadJournal(
    const std::string& titles, const std::string& documents, CFileSum& titlesSum, CFileSum& documentsSum)
{
    const std::string path = JournalPath(documents);
    std::error_code ec;
    const auto fsPath = platform::ToFsPath(path);
    if (!std::filesystem::exists(fsPath, ec))
        return Journal::None;
    const std::uintmax_t size = std::filesystem::file_size(fsPath, ec);
    std::string text;
    if (ec || size > kJournalMax || !platform::ReadWholeFile(path, text) || text.size() > kJournalMax)
        return Journal::Malformed;
    std::string_view rest(text);
    if (rest.substr(0, kJournalHead.size()) != kJournalHead)
        return Journal::Malformed;
    rest.remove_prefix(kJournalHead.size());
    std::vector<std::string_view> lines;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        if (end == std::string_view::npos)
            return Journal::Malformed;
        lines.push_back(rest.substr(0, end));
        rest.remove_prefix(end + 1);
    }
    if (lines.size() != 2 || !ParseLine(lines[0], "titles", titles, titlesSum)
        || !ParseLine(lines[1], "documents", documents, documentsSum))
        return Journal::Malformed;
    return Journal::Valid;
}

bool Matches(const std::string& path, const CFileSum& wanted)
{
    CFileSum sum;
    return SumOfFile(path, sum) && sum == wanted;
}

} // namespace

std::string NewPath(const std::string& path) { return path + ".new"; }

std::string JournalPath(const std::string& documents) { return documents + ".pair"; }

bool SumOfFile(const std::string& path, CFileSum& sum) { return HashOfFile(path, sum.hash, &sum.size); }

void SetStepHook(StepHook hook) { Hook() = std::move(hook); }

void DiscardNew(const std::string& titles, const std::string& documents)
{
    Remove(NewPath(titles));
    if (!documents.empty())
        Remove(NewPath(documents));
}

Outcome CommitPair(const std::string& titles, const std::string& documents, std::string& failed)
{
    const std::string newTitles = NewPath(titles);
    if (documents.empty()) {
        if (Injected(Step::TitlesRename) || !Rename(newTitles, titles)) {
            failed = titles;
            DiscardNew(titles, documents);
            return Outcome::Kept;
        }
        return Outcome::Replaced;
    }
    const std::string newDocuments = NewPath(documents);
    const std::string journal = JournalPath(documents);
    CFileSum titlesSum;
    CFileSum documentsSum;
    if (!SumOfFile(newTitles, titlesSum) || !SumOfFile(newDocuments, documentsSum)) {
        failed = Exists(newTitles) ? documents : titles;
        DiscardNew(titles, documents);
        return Outcome::Kept;
    }
    const std::string text = std::string(kJournalHead) + JournalLine("titles", titles, titlesSum)
        + JournalLine("documents", documents, documentsSum);
    if (!CAtomicFile::WriteWhole(journal, text)) {
        failed = journal;
        DiscardNew(titles, documents);
        return Outcome::Kept;
    }
    // The import has taken place: whatever stops it from here on, the next load finishes it.
    if (Injected(Step::TitlesRename) || !Rename(newTitles, titles)) {
        failed = titles;
        // Nothing is replaced yet, so taking the journal back undoes the commit. Should even that
        // fail, the new files stay for the next load, which puts them in place.
        if (Remove(journal))
            DiscardNew(titles, documents);
        return Outcome::Kept;
    }
    if (Injected(Step::DocumentsRename) || !Rename(newDocuments, documents)) {
        failed = documents;
        return Outcome::Unfinished;
    }
    // A journal left behind names the files now in place: the next load only removes it.
    if (!Injected(Step::JournalRemove))
        Remove(journal);
    return Outcome::Replaced;
}

CRecovery RecoverPair(const std::string& titles, const std::string& documents, bool mayWrite)
{
    CRecovery r { true, titles, documents };
    if (documents.empty())
        return r;
    CFileSum wanted[2];
    const Journal journal = ReadJournal(titles, documents, wanted[0], wanted[1]);
    if (journal != Journal::Valid) {
        // The import never reached its journal (or the journal is not ours): the old pair is whole.
        if (mayWrite) {
            DiscardNew(titles, documents);
            if (journal == Journal::Malformed)
                Remove(JournalPath(documents));
        }
        return r;
    }
    std::string* chosen[2] = { &r.titles, &r.documents };
    bool inPlace = true;
    for (int i = 0; i < 2; ++i) {
        const std::string target = *chosen[i];
        const std::string fresh = NewPath(target);
        if (Matches(fresh, wanted[i])) {
            if (!mayWrite || !Rename(fresh, target)) {
                // Read from where the new file waits; the commit stays to be finished.
                *chosen[i] = fresh;
                inPlace = false;
            }
        } else if (!Matches(target, wanted[i])) {
            r.belongs = false;
        }
    }
    if (mayWrite && (inPlace || !r.belongs)) {
        Remove(JournalPath(documents));
        DiscardNew(titles, documents);
    }
    if (!r.belongs) {
        r.titles = titles;
        r.documents = documents;
    }
    return r;
}

} // namespace docpair
