#include "storage/doc_dict.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <span>
#include <system_error>

#include "base/codepage.h"
#include "base/date_text.h"
#include "base/platform.h"
#include "seam/indexing_progress.h"
#include "seam/user_interface.h"
#include "storage/archive.h"
#include "storage/atomic_file.h"
#include "storage/doc_pair.h"
#include "storage/service_file.h"
#include "storage/service_file_guard.h"
#include "storage/text_line_reader.h"

namespace {

// Titles are gathered in memory and written in pieces of about this size.
constexpr std::size_t kTitleChunk = 1 << 20;

bool IsDottedDateLine(const std::string& line) { return line.size() == 10 && line[2] == '.' && line[5] == '.'; }

void TrimAndUpper(std::string& line)
{
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; };
    std::size_t end = line.size();
    while (end > 0 && isBlank(line[end - 1]))
        --end;
    std::size_t start = 0;
    while (start < end && isBlank(line[start]))
        ++start;
    line = line.substr(start, end - start);
    codepage::ToUpper1251InPlace(line);
}

std::vector<std::int32_t> AddAll(const std::vector<std::string>& texts, CIndexDict& index)
{
    std::vector<std::int32_t> ids;
    ids.reserve(texts.size());
    for (const auto& t : texts)
        ids.push_back(index.AddName(t));
    std::sort(ids.begin(), ids.end());
    return ids;
}

// The texts of ids the index knows, in the order of the ids.
void ExpandIds(std::span<const std::int32_t> ids, const CIndexDict& index, std::vector<std::string>& out)
{
    std::string text;
    for (std::int32_t id : ids)
        if (index.FindName(id, text))
            out.push_back(text);
}

std::string ReadErrorText(const std::string& path) { return "Ошибка чтения файла " + path + "!"; }
std::string WriteErrorText(const std::string& path) { return "Ошибка записи файла " + path + "!"; }
constexpr const char* kImportStopped = "Загрузка прервана: словарь не изменён";

} // namespace

CDocDict::~CDocDict() { CloseTextFile(); }

void CDocDict::Serialize(CArchive& ar)
{
    std::unique_ptr<CWaitCursor> wait;
    if (m_ui)
        wait = std::make_unique<CWaitCursor>(*m_ui);
    if (ar.IsLoading())
        Clear();
    records.Serialize(ar);
    types.Serialize(ar);
    bodies.Serialize(ar);
    numbers.Serialize(ar);
}

void CDocDict::Clear()
{
    records.clear();
    types.Clear();
    bodies.Clear();
    numbers.Clear();
}

void CDocDict::SetArchive(const std::string& path, CServiceFileGuard* guard)
{
    m_archivePath = path;
    m_guard = guard;
}

bool CDocDict::OpenTextFile(const std::string& path)
{
    CloseTextFile();
    m_textPath = path;
    m_textErrorShown = false;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(platform::ToFsPath(path), ec))
        return false;
    // Read only: the file is only ever replaced whole (by the import), never written through
    // this handle, and a folder the person may only read must serve its titles all the same.
    m_textFile = platform::OpenFile(path, "rb");
    return m_textFile != nullptr;
}

bool CDocDict::OpenOrCreateTextFile(const std::string& path)
{
    if (OpenTextFile(path))
        return true;
    std::error_code ec;
    // Something else (a folder, a file we may not open) stands there: leave it alone.
    if (std::filesystem::exists(platform::ToFsPath(path), ec))
        return false;
    if (!CAtomicFile::WriteWhole(path, {}))
        return false;
    return OpenTextFile(path);
}

void CDocDict::CloseTextFile()
{
    if (m_textFile) {
        std::fclose(m_textFile);
        m_textFile = nullptr;
    }
    m_textBlock.clear();
    m_textBlockPos = 0;
}

bool CDocDict::ReadTextBlock(std::uint64_t pos, std::uint64_t count)
{
    // A large block when the reads go forward through the file (a search), a small one when they
    // jump about (the candidates of a line).
    constexpr std::uint64_t kForward = 64 * 1024;
    constexpr std::uint64_t kJump = 512;
    const std::uint64_t blockEnd = m_textBlockPos + m_textBlock.size();
    const std::uint64_t block = !m_textBlock.empty() && pos >= blockEnd && pos - blockEnd < kForward ? kForward : kJump;
    m_textBlock.clear();
    m_textBlockPos = pos;
    // Never trust a length before knowing the file holds that many bytes.
    const long long size = platform::FileSize(m_textFile);
    if (size < 0 || pos > static_cast<std::uint64_t>(size) || count > static_cast<std::uint64_t>(size) - pos)
        return false;
    const std::uint64_t wanted = std::min(static_cast<std::uint64_t>(size) - pos, std::max(count, block));
    if (!platform::Seek(m_textFile, pos))
        return false;
    m_textBlock.resize(static_cast<std::size_t>(wanted));
    m_textBlock.resize(std::fread(m_textBlock.data(), 1, m_textBlock.size(), m_textFile));
    return m_textBlock.size() >= count;
}

std::string CDocDict::GetText(std::uint64_t pos, std::int32_t len)
{
    if (len == 0)
        return {};
    // The threads of a batch analysis read titles through the one file and its block.
    std::lock_guard<std::mutex> lock(m_textMutex);
    if (m_textFile && len > 0) {
        const auto count = static_cast<std::uint64_t>(len);
        const auto held = [&] {
            return pos >= m_textBlockPos && pos - m_textBlockPos <= m_textBlock.size()
                && count <= m_textBlock.size() - (pos - m_textBlockPos);
        };
        if (held() || (ReadTextBlock(pos, count) && held()))
            return m_textBlock.substr(static_cast<std::size_t>(pos - m_textBlockPos), static_cast<std::size_t>(count));
    }
    if (!m_textErrorShown && m_ui) {
        m_textErrorShown = true;
        ShowError(*m_ui, "Ошибка получения названия документа");
    }
    return {};
}

bool CDocDict::TextsWithinTextFile()
{
    if (!m_textFile)
        return true;
    const long long size = platform::FileSize(m_textFile);
    if (size < 0)
        return false;
    // An empty file stands for titles that were lost (a missing file is created empty): the
    // documents still serve the analyses, and a title asked for says that it cannot be read.
    if (size == 0)
        return true;
    const auto end = static_cast<std::uint64_t>(size);
    for (std::size_t row = 0; row < records.size(); ++row) {
        const std::uint64_t pos = records.TitlePos(row);
        const std::int32_t len = records.TitleLen(row);
        if (len < 0 || pos > end || static_cast<std::uint64_t>(len) > end - pos)
            return false;
    }
    return true;
}

CDocRecvisits CDocDict::ToRecvisits(const CDocRec& rec)
{
    CDocRecvisits r;
    r.nBaseNumber = rec.nBaseNumber;
    r.adoptionDates = rec.adoptionDates;
    r.editionDate = rec.editionDate;
    r.name = GetText(rec.nTitlePos, rec.nTitleLen);
    ExpandIds(rec.typeIds, types, r.types);
    ExpandIds(rec.bodyIds, bodies, r.bodies);
    ExpandIds(rec.numberIds, numbers, r.numbers);
    return r;
}

CDocRecvisits CDocDict::ToRecvisits(std::size_t row)
{
    CDocRecvisits r;
    r.nBaseNumber = records.BaseNumber(row);
    const CDateList dates = records.AdoptionDates(row);
    r.adoptionDates.reserve(dates.size());
    for (std::size_t i = 0; i < dates.size(); ++i)
        r.adoptionDates.push_back(dates[i]);
    r.editionDate = records.EditionDate(row);
    r.name = GetText(records.TitlePos(row), records.TitleLen(row));
    ExpandIds(records.TypeIds(row), types, r.types);
    ExpandIds(records.BodyIds(row), bodies, r.bodies);
    ExpandIds(records.NumberIds(row), numbers, r.numbers);
    return r;
}

bool CDocDict::FindByNumber(std::int32_t number, CDocRecvisits& out)
{
    for (std::size_t row = 0; row < records.size(); ++row) {
        if (records.BaseNumber(row) == number) {
            out = ToRecvisits(row);
            return true;
        }
    }
    return false;
}

void CDocDict::AppendIds(const std::vector<std::string>& texts, const CIndexDict& index, std::vector<std::int32_t>& ids)
{
    std::int32_t id;
    for (const auto& t : texts)
        if (index.FindId(t, id))
            ids.push_back(id);
}

bool CDocDict::ParseListRecord(const std::vector<std::string>& lines, CDocRec& rec, CIndexDict& typeIndex,
    CIndexDict& bodyIndex, CIndexDict& numberIndex, std::uint64_t titleOffset, std::string& titles)
{
    enum class State { Before, Number, Edition, Types, Bodies, Dates, Numbers, Name };
    rec = CDocRec();
    std::vector<std::string> typeTexts;
    std::vector<std::string> bodyTexts;
    std::vector<std::string> numberTexts;
    std::string name;
    bool a = false, b = false, c = false, d = false, e = false;
    State state = State::Before;
    for (const auto& line : lines) {
        switch (state) {
        case State::Before:
            if (line == "$0  НОМЕР В БАЗЕ"_cp)
                state = State::Number;
            break;
        case State::Number:
            rec.nBaseNumber = DecimalPrefix(line);
            a = true;
            state = State::Edition;
            break;
        case State::Edition:
            if (line == "$5  ВИД ДОКУМЕНТА"_cp)
                state = State::Types;
            else if (IsDottedDateLine(line))
                rec.editionDate = ParseDottedDate(line);
            break;
        case State::Types:
            if (line == "$4  ПРИНЯВШИЙ ОРГАН"_cp) {
                state = State::Bodies;
            } else if (!line.empty()) {
                typeTexts.push_back(line);
                b = true;
            }
            break;
        case State::Bodies:
            if (line == "$6  ДАТА ПРИНЯТИЯ"_cp) {
                state = State::Dates;
            } else if (!line.empty()) {
                c = true;
                if (line != "...")
                    bodyTexts.push_back(line);
            }
            break;
        case State::Dates:
            if (line == "$7  НОМЕР"_cp) {
                state = State::Numbers;
            } else {
                d = true;
                if (IsDottedDateLine(line))
                    rec.adoptionDates.push_back(ParseDottedDate(line));
            }
            break;
        case State::Numbers:
            if (line == "$9  НАЗВАНИЕ ДОКУМЕНТА"_cp)
                state = State::Name;
            else if (!line.empty() && line != "...")
                numberTexts.push_back(line);
            break;
        case State::Name:
            if (line.empty())
                goto done;
            name += line;
            name += ' ';
            e = true;
            break;
        }
    }
done:
    rec.typeIds = AddAll(typeTexts, typeIndex);
    rec.bodyIds = AddAll(bodyTexts, bodyIndex);
    rec.numberIds = AddAll(numberTexts, numberIndex);
    std::stable_sort(rec.adoptionDates.begin(), rec.adoptionDates.end());
    rec.nTitlePos = titleOffset;
    rec.nTitleLen = static_cast<std::int32_t>(std::min<std::size_t>(name.size(), std::numeric_limits<std::int32_t>::max()));
    titles.append(name, 0, static_cast<std::size_t>(rec.nTitleLen));
    return a && b && c && d && e;
}

bool CDocDict::ImportList(CUserInterface& ui)
{
    FileDialogRequest request;
    request.filter = "Все файлы Dos (*.*)|*.*|Все файлы Windows (*.*)|*.*||";
    std::string path;
    int filterIndex = 0;
    if (!ui.AskOpenFileName(request, path, filterIndex))
        return false;
    return ImportListFile(ui, path, filterIndex == 0);
}

bool CDocDict::ImportListFile(CUserInterface& ui, const std::string& path, bool dos)
{
    CTextLineReader reader;
    if (!reader.Open(path) || m_textPath.empty()) {
        ShowError(ui, ReadErrorText(path));
        return false;
    }

    // The new records, indexes and titles are built aside and take the place of the old ones only
    // at the end, so a failed or stopped import leaves the dictionary and its files as they were.
    CAtomicFile titlesFile(docpair::NewPath(m_textPath));
    if (!titlesFile.Open()) {
        ShowError(ui, ReadErrorText(m_textPath));
        return false;
    }
    CDocRecords newRecords;
    CIndexDict newTypes = types;
    CIndexDict newBodies = bodies;
    CIndexDict newNumbers = numbers;
    std::string titles;
    std::uint64_t titlesWritten = 0;
    bool writeFailed = false;
    const auto flushTitles = [&](bool force) {
        if (titles.size() >= kTitleChunk || (force && !titles.empty())) {
            writeFailed = writeFailed || !titlesFile.Write(titles);
            titlesWritten += titles.size();
            titles.clear();
        }
    };
    const auto parse = [&](const std::vector<std::string>& lines) {
        CDocRec rec;
        const bool complete
            = ParseListRecord(lines, rec, newTypes, newBodies, newNumbers, titlesWritten + titles.size(), titles);
        if (complete)
            newRecords.push_back(rec);
        flushTitles(false);
        return complete;
    };

    bool stopped = false;
    {
        CWaitCursor wait(ui);
        CIndexingProgress progress(reader.Size());
        ui.ShowIndexingProgress(&progress);
        std::vector<std::string> pending;
        std::string line;
        while (reader.Next(line)) {
            // A line ends at a zero byte, as every text of a service file does: a text kept with
            // its zero would not load back as it was stored.
            if (const std::size_t zero = line.find('\0'); zero != std::string::npos)
                line.resize(zero);
            if (dos)
                codepage::Cp866ToCp1251InPlace(line);
            TrimAndUpper(line);
            if (line != "$$") {
                pending.push_back(std::move(line));
            } else {
                if (pending.size() >= 7 && !parse(pending)
                    && ui.MessageBox("Ошибка разбора записей. Прервать разбор?", MsgIcon::Question, MsgButtons::YesNo)
                        == AnswerYes)
                    stopped = true;
                pending.clear();
                if (stopped)
                    break;
            }
            ui.ProcessEvents();
            if (progress.IsCancelled()) {
                stopped = true;
                break;
            }
            progress.SetPos(reader.Position());
        }
        if (!stopped && !reader.Failed() && !pending.empty())
            parse(pending);
        ui.ShowIndexingProgress(nullptr);
    }

    if (reader.Failed()) {
        titlesFile.Abort();
        ShowError(ui, ReadErrorText(path));
        return false;
    }
    if (stopped) {
        titlesFile.Abort();
        ShowInfo(ui, kImportStopped);
        return false;
    }
    flushTitles(true);
    if (writeFailed || !titlesFile.Commit()) {
        docpair::DiscardNew(m_textPath, m_archivePath);
        ShowError(ui, WriteErrorText(m_textPath));
        return false;
    }
    CDocDict fresh;
    fresh.records = std::move(newRecords);
    fresh.types = std::move(newTypes);
    fresh.bodies = std::move(newBodies);
    fresh.numbers = std::move(newNumbers);
    return CommitImport(ui, fresh);
}

bool CDocDict::CommitImport(CUserInterface& ui, CDocDict& fresh)
{
    if (HasArchive()) {
        if (m_guard
            && !m_guard->MayReplace(m_archivePath, "Нет: словарь документов и файл названий останутся как были.")) {
            docpair::DiscardNew(m_textPath, m_archivePath);
            ShowInfo(ui, kImportStopped);
            return false;
        }
        if (!StoreServiceFile(docpair::NewPath(m_archivePath), [&](CArchive& ar) { fresh.Serialize(ar); })) {
            docpair::DiscardNew(m_textPath, m_archivePath);
            ShowError(ui, WriteErrorText(m_archivePath));
            return false;
        }
    }
    // The old titles file must be closed before another can take its name.
    CloseTextFile();
    std::string failed;
    const docpair::Outcome outcome = docpair::CommitPair(m_textPath, m_archivePath, failed);
    if (outcome != docpair::Outcome::Kept) {
        // Unfinished: the new titles are in place, and the new archive is what the next load
        // puts beside them.
        records = std::move(fresh.records);
        types = std::move(fresh.types);
        bodies = std::move(fresh.bodies);
        numbers = std::move(fresh.numbers);
    }
    OpenTextFile(m_textPath);
    if (m_guard && HasArchive() && outcome != docpair::Outcome::Kept)
        m_guard->Remember(m_archivePath);
    if (outcome != docpair::Outcome::Replaced) {
        ShowError(ui, WriteErrorText(failed));
        return outcome == docpair::Outcome::Unfinished;
    }
    ShowInfo(ui, "Внесено " + std::to_string(records.size()) + " записей");
    return true;
}

// The stored form of a document's requisites, kept with the dictionaries that store them. Each
// field is assigned as soon as it is read, so a damaged archive leaves the fields before the damage
// loaded and the others as they were.
void CDocRecvisits::Serialize(CArchive& ar)
{
    ar.Io(nBaseNumber);
    ar.Io(name);
    ar.Io(editionDate);
    ar.Io(adoptionDates);
    ar.Io(types);
    ar.Io(numbers);
    ar.Io(bodies);
}
