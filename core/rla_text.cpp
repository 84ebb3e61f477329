#include "core/rla_text.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "base/codepage.h"
#include "base/date_text.h"
#include "base/platform.h"
#include "seam/user_interface.h"
#include "storage/atomic_file.h"
#include "storage/service_file.h"

namespace {

constexpr std::string_view kTextStart = "$18  Текст документа"_cp;
constexpr std::string_view kAdoptionField = "$6  Дата принятия"_cp;
constexpr std::string_view kEditionField = "$17  Редакция от"_cp;
constexpr std::string_view kCode4Pair = "\x04\x04";
constexpr std::size_t kMarkerLength = 66;

// Single-line frame characters of code page 866 and the control codes that stand for them in
// memory; code page 1251 has no frame characters of its own.
constexpr std::array<std::pair<unsigned char, unsigned char>, 11> kFrameCodes = { {
    { 0xDA, 0x1B }, // top left corner
    { 0xC4, 0x16 }, // horizontal line
    { 0xC2, 0x18 }, // top tee
    { 0xBF, 0x1A }, // top right corner
    { 0xB3, 0x12 }, // vertical line
    { 0xC3, 0x10 }, // left tee
    { 0xC5, 0x13 }, // cross
    { 0xB4, 0x11 }, // right tee
    { 0xC0, 0x1C }, // bottom left corner
    { 0xC1, 0x19 }, // bottom tee
    { 0xD9, 0x15 }, // bottom right corner
} };

using ByteMap = std::string; // 256 entries, indexed by the unsigned byte

// Frame mapping and code page conversion folded into one table per direction and kind of line,
// so that a line of any length costs a single pass.
struct ByteMaps {
    ByteMap headerIn;
    ByteMap textIn;
    ByteMap headerOut;
    ByteMap textOut;
};

const ByteMaps& Maps()
{
    static const ByteMaps maps = [] {
        std::string all(256, '\0');
        for (std::size_t b = 0; b < all.size(); ++b)
            all[b] = static_cast<char>(b);
        std::string framed = all;
        for (const auto& [file, memory] : kFrameCodes)
            framed[file] = static_cast<char>(memory);
        ByteMaps m { codepage::Cp866ToCp1251(all), codepage::Cp866ToCp1251(framed), codepage::Cp1251ToCp866(all), {} };
        m.textOut = m.headerOut;
        for (const auto& [file, memory] : kFrameCodes)
            std::replace(m.textOut.begin(), m.textOut.end(), static_cast<char>(memory), static_cast<char>(file));
        return m;
    }();
    return maps;
}

void Apply(const ByteMap& map, char* first, char* last)
{
    for (char* p = first; p != last; ++p)
        *p = map[static_cast<unsigned char>(*p)];
}

std::string WithPath(std::string_view pattern, const std::string& path)
{
    const std::size_t at = pattern.find("%s");
    std::string text(pattern.substr(0, at));
    text += path;
    text += pattern.substr(at + 2);
    return text;
}

// The whole file in one buffer. The size is only a hint: the read goes on until the end.
bool ReadWholeFile(const std::string& path, std::string& data)
{
    std::FILE* file = platform::OpenFile(path, "rb");
    if (!file)
        return false;
    constexpr std::size_t kBlock = 1 << 16;
    std::error_code ec;
    const auto size = std::filesystem::file_size(platform::ToFsPath(path), ec);
    // One byte more than the size, so that the first short read already tells the end.
    data.resize(ec ? kBlock : static_cast<std::size_t>(size) + 1);
    std::size_t used = 0;
    bool ok = true;
    for (;;) {
        if (used == data.size())
            data.resize(data.size() + std::max(data.size() / 2, kBlock));
        const std::size_t wanted = data.size() - used;
        const std::size_t got = std::fread(data.data() + used, 1, wanted, file);
        used += got;
        if (got < wanted) {
            ok = std::ferror(file) == 0;
            break;
        }
    }
    std::fclose(file);
    data.resize(used);
    return ok;
}

std::string MarkerLine(std::string_view word)
{
    std::string line(kCode4Pair);
    line += word;
    line.append(kMarkerLength - line.size(), '-');
    return line;
}

struct Markers {
    std::string title = MarkerLine("ЗАГ"_cp);
    std::string contents = MarkerLine("ОГЛ"_cp);
    std::string end = MarkerLine("КОН"_cp);
    std::string blockEnd = MarkerLine("!!!"_cp);
};

const Markers& GetMarkers()
{
    static const Markers markers;
    return markers;
}

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// A 66-character marker line with the given five characters after the two code-4 characters.
bool IsMarkerWith(std::string_view line, std::string_view word)
{
    return line.size() == kMarkerLength && StartsWith(line, kCode4Pair) && line.substr(2, word.size()) == word;
}

} // namespace

bool CRlaText::ReadRla(const std::string& filePath, CUserInterface& ui, std::uint64_t* bytesHash)
{
    Clear();
    path = filePath;

    std::string data;
    if (!ReadWholeFile(filePath, data)) {
        ShowError(ui, WithPath("Ошибка чтения файла %s!", filePath));
        return false;
    }
    if (bytesHash) {
        CBytesHash hash;
        hash.Add(data);
        *bytesHash = hash.Value();
    }
    if (!ReadBytes(std::move(data))) {
        path = filePath;
        ShowError(ui,
            WithPath("Ошибка чтения файла %s!", filePath)
                + "\n\nФайл содержит нулевые байты и не является текстовым документом.");
        return false;
    }
    path = filePath;
    return true;
}

bool CRlaText::ReadBytes(std::string data)
{
    const std::string keptPath = std::move(path);
    Clear();
    path = keptPath;
    // The DOS end-of-file mark: whatever follows it is not part of the document.
    if (const std::size_t mark = data.find('\x1A'); mark != std::string::npos)
        data.resize(mark);
    // No text document holds NUL bytes: such a file is something else and would be garbled as lines.
    if (data.find('\0') != std::string::npos)
        return false;

    const ByteMaps& maps = Maps();
    bool inHeader = true;
    std::size_t pos = 0;
    while (pos < data.size()) {
        const std::size_t lf = data.find('\n', pos);
        const std::size_t next = lf == std::string::npos ? data.size() : lf + 1;
        std::size_t end = lf == std::string::npos ? data.size() : lf;
        if (lf != std::string::npos && end > pos && data[end - 1] == '\r')
            --end;
        char* first = data.data() + pos;
        char* last = data.data() + end;
        if (inHeader) {
            Apply(maps.headerIn, first, last);
            headerLines.emplace_back(first, last);
            if (headerLines.back() == kTextStart) {
                inHeader = false;
                textLines.reserve(static_cast<std::size_t>(std::count(data.begin() + next, data.end(), '\n')) + 1);
            }
        } else {
            Apply(maps.textIn, first, last);
            textLines.emplace_back(first, last);
        }
        pos = next;
    }
    return true;
}

namespace {

// The bytes of the file as a save writes them, handed to sink in blocks of about chunkSize;
// the same routine serves a save and the recovery data. False as soon as sink refuses a block.
template <typename Sink>
bool EncodeLines(
    const std::vector<std::string>& header, const std::vector<std::string>& text, std::size_t chunkSize, Sink&& sink)
{
    const ByteMaps& maps = Maps();
    std::string chunk;
    chunk.reserve(chunkSize + 4096);
    bool ok = true;
    const auto put = [&](const std::vector<std::string>& lines, const ByteMap& map) {
        for (const std::string& line : lines) {
            if (!ok)
                return;
            const std::size_t start = chunk.size();
            chunk += line;
            Apply(map, chunk.data() + start, chunk.data() + chunk.size());
            chunk += "\r\n";
            if (chunk.size() >= chunkSize) {
                ok = sink(std::string_view(chunk));
                chunk.clear();
            }
        }
    };
    put(header, maps.headerOut);
    put(text, maps.textOut);
    return ok && sink(std::string_view(chunk));
}

} // namespace

std::string CRlaText::Encode(const std::vector<std::string>& header, const std::vector<std::string>& text)
{
    std::size_t size = 0;
    for (const std::vector<std::string>* lines : { &header, &text })
        for (const std::string& line : *lines)
            size += line.size() + 2;
    std::string bytes;
    bytes.reserve(size);
    EncodeLines(header, text, 1 << 20, [&](std::string_view block) {
        bytes += block;
        return true;
    });
    return bytes;
}

bool CRlaText::WriteRla(CUserInterface& ui, std::uint64_t* bytesHash) const
{
    // Large blocks keep the number of writes small for documents of many short lines.
    constexpr std::size_t kChunk = 1 << 20;
    CAtomicFile file(path);
    CBytesHash hash;
    bool ok = file.Open() && EncodeLines(headerLines, textLines, kChunk, [&](std::string_view block) {
        if (bytesHash)
            hash.Add(block);
        return file.Write(block);
    });
    ok = ok && file.Commit();
    if (ok && bytesHash)
        *bytesHash = hash.Value();
    if (!ok) {
        // No temporary file is left lying about while the message waits for the person.
        file.Abort();
        ShowError(ui, WithPath("Ошибка записи файла %s!", path) + "\n" + platform::ErrorReason(file.ErrorCode()));
    }
    return ok;
}

bool CRlaText::HasTextStart() const { return !headerLines.empty() && headerLines.back() == kTextStart; }

void CRlaText::Clear()
{
    // Swapped rather than cleared: a large document read before should not keep its memory.
    std::vector<std::string>().swap(headerLines);
    std::vector<std::string>().swap(textLines);
    path.clear();
    m_datesParsed = 0;
    m_adoptionDates.clear();
    m_editionDate = COleDate::NoDate();
}

void CRlaText::GetDates(std::vector<COleDate>& adoption, COleDate& edition) const
{
    if (!m_datesParsed)
        ParseHeaderDates();
    adoption = m_adoptionDates;
    edition = m_editionDate;
}

COleDate CRlaText::GetEffectiveDate() const
{
    std::vector<COleDate> adoption;
    COleDate edition;
    GetDates(adoption, edition);
    if (!edition.IsNoDate() && (adoption.empty() || edition > adoption.back()))
        return edition;
    return adoption.empty() ? COleDate::NoDate() : adoption.back();
}

void CRlaText::ParseHeaderDates() const
{
    m_datesParsed = 1;
    m_adoptionDates.clear();
    // Reset as well, so that replaced header lines without an edition field leave none behind.
    m_editionDate = COleDate::NoDate();
    enum class State { Idle, Adoption, Edition };
    State state = State::Idle;
    for (const std::string& line : headerLines) {
        switch (state) {
        case State::Idle:
            if (line == kAdoptionField)
                state = State::Adoption;
            else if (line == kEditionField)
                state = State::Edition;
            break;
        case State::Adoption:
            if (line.empty()) {
                // An empty line ends the list and the whole walk.
                if (m_adoptionDates.empty())
                    m_adoptionDates.push_back(COleDate::NoDate());
                else
                    std::stable_sort(m_adoptionDates.begin(), m_adoptionDates.end());
                return;
            }
            if (line.size() == 10)
                m_adoptionDates.push_back(ParseDottedDate(line));
            break;
        case State::Edition:
            // Any line other than a date ends the field, and is not looked at as a field name.
            if (line.size() == 10)
                m_editionDate = ParseDottedDate(line);
            else
                state = State::Idle;
            break;
        }
    }
}

std::size_t CRlaText::FindFirstTextLine(const std::vector<std::string>& lines)
{
    const Markers& markers = GetMarkers();
    bool inBlock = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (IsCommentLine(line))
            continue;
        if (StartsWith(line, markers.contents) || StartsWith(line, markers.title)) {
            inBlock = true;
            continue;
        }
        if (inBlock) {
            if (StartsWith(line, markers.end) || StartsWith(line, markers.blockEnd))
                inBlock = false;
            continue;
        }
        if (!IsBlankLine(line))
            return i;
    }
    return 0;
}

bool CRlaText::IsBlockStart(std::string_view line)
{
    return IsMarkerWith(line, "ЛИП--"_cp) || IsMarkerWith(line, "ЛЕВ--"_cp) || IsMarkerWith(line, "ПРВ--"_cp);
}

bool CRlaText::IsBlockEnd(std::string_view line) { return IsMarkerWith(line, "!!!--"_cp); }

bool CRlaText::IsCommentLine(std::string_view line) { return StartsWith(line, "//"); }

bool CRlaText::IsBlankLine(std::string_view line)
{
    return std::all_of(line.begin(), line.end(), [](char c) { return c == ' '; });
}
