#include "synthetic_base.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "base/codepage.h"
#include "storage/recv_dict.h"
#include "storage/string_dict.h"

namespace {

std::string S(std::string_view cp) { return std::string(cp); }

// Upper-case Cyrillic letters of code page 1251 that make pronounceable words.
constexpr unsigned char kConsonants[] = { 0xC1, 0xC2, 0xC3, 0xC4, 0xC6, 0xC7, 0xCA, 0xCB, 0xCC, 0xCD, 0xCF, 0xD0, 0xD1, 0xD2,
    0xD4, 0xD5, 0xD7, 0xD8 };
constexpr unsigned char kVowels[] = { 0xC0, 0xC5, 0xC8, 0xCE, 0xD3, 0xDB, 0xDD, 0xDE, 0xDF };

std::string TwoDigits(int v)
{
    char b[4];
    std::snprintf(b, sizeof b, "%02d", v);
    return b;
}

const char* const kMonthsGenitive[] = { "января", "февраля", "марта", "апреля", "мая", "июня", "июля", "августа", "сентября",
    "октября", "ноября", "декабря" };

} // namespace

CSyntheticBase::CSyntheticBase(std::uint32_t seed)
    : m_seed(seed)
    , m_rng(seed)
{
    const std::string kinds[] = { S("ФЕДЕРАЛЬНЫЙ ЗАКОН"_cp), S("ЗАКОН"_cp), S("УКАЗ"_cp), S("ПОСТАНОВЛЕНИЕ"_cp),
        S("РАСПОРЯЖЕНИЕ"_cp), S("ПРИКАЗ"_cp), S("ПИСЬМО"_cp), S("РЕШЕНИЕ"_cp), S("ОПРЕДЕЛЕНИЕ"_cp), S("ИНСТРУКЦИЯ"_cp),
        S("ПОЛОЖЕНИЕ"_cp), S("РЕГЛАМЕНТ"_cp), S("ПРОТОКОЛ"_cp), S("СОГЛАШЕНИЕ"_cp), S("ДОГОВОР"_cp) };
    for (const auto& k : kinds)
        m_types.push_back(k);
    // Fifteen more of the same families, told apart by a second word.
    CRandom rng(0x5EED);
    while (m_types.size() < 30)
        m_types.push_back(kinds[m_types.size() % 15] + ' ' + Word(rng));
    for (std::size_t b = 0; b < 500; ++b) {
        static const std::string heads[] = { S("ПРАВИТЕЛЬСТВО"_cp), S("МИНИСТЕРСТВО"_cp), S("ГУБЕРНАТОР"_cp), S("ДУМА"_cp),
            S("СОВЕТ"_cp), S("КОМИТЕТ"_cp), S("СЛУЖБА"_cp), S("АДМИНИСТРАЦИЯ"_cp) };
        m_bodies.push_back(heads[b % 8] + ' ' + Word(rng) + ' ' + Word(rng));
    }
    m_suffixes = { S("ФЗ"_cp), S("ФКЗ"_cp), S("П"_cp), S("Р"_cp), S("РП"_cp), S("У"_cp), S("Н"_cp), S("ОЗ"_cp), "", "" };
}

std::string CSyntheticBase::Word(CRandom& rng)
{
    std::string w;
    const int syllables = 2 + static_cast<int>(rng() % 3);
    for (int s = 0; s < syllables; ++s) {
        w += static_cast<char>(kConsonants[rng() % sizeof kConsonants]);
        w += static_cast<char>(kVowels[rng() % sizeof kVowels]);
    }
    return w;
}

CSyntheticBase::Parts CSyntheticBase::PartsOf(std::size_t i) const
{
    // Each record from its own stream, so that record i is the same whichever records are made.
    CRandom rng((static_cast<std::uint64_t>(m_seed) << 32) ^ (i * 2 + 1));
    Parts p;
    p.type = rng() % m_types.size();
    p.body = rng() % m_bodies.size();
    p.number = std::to_string(1 + rng() % 3000);
    const std::string& suffix = m_suffixes[rng() % m_suffixes.size()];
    if (!suffix.empty())
        p.number += '-' + suffix;
    p.year = 1990 + static_cast<int>(rng() % 36);
    p.month = 1 + static_cast<int>(rng() % 12);
    p.day = 1 + static_cast<int>(rng() % 28);
    p.edition = rng() % 5 == 0;
    p.editionYear = p.year + static_cast<int>(rng() % static_cast<unsigned>(2026 - p.year));
    return p;
}

std::string CSyntheticBase::Title(std::size_t i) const
{
    CRandom rng((static_cast<std::uint64_t>(m_seed) << 32) ^ (i * 2 + 0x100000000ULL));
    const std::size_t length = 100 + rng() % 201;
    std::string t = S("О "_cp);
    while (t.size() < length) {
        t += Word(rng);
        t += ' ';
    }
    t.resize(length);
    return t;
}

CDocRec CSyntheticBase::Record(std::size_t i, std::string* title)
{
    const Parts p = PartsOf(i);
    CDocRec r;
    r.nBaseNumber = static_cast<std::int32_t>(100000 + i);
    r.typeIds = { static_cast<std::int32_t>(p.type) };
    r.bodyIds = { static_cast<std::int32_t>(p.body) };
    r.adoptionDates = { COleDate::FromText(p.year, p.month, p.day) };
    if (p.edition)
        r.editionDate = COleDate::FromText(p.editionYear, p.month, p.day);
    if (title)
        *title = Title(i);
    return r;
}

void CSyntheticBase::FillDictionary(CDocDict& dict, std::size_t count, const std::string& titlesPath)
{
    dict.records.clear();
    dict.types.Clear();
    dict.bodies.Clear();
    dict.numbers.Clear();
    for (const auto& t : m_types)
        dict.types.AddName(t);
    for (const auto& b : m_bodies)
        dict.bodies.AddName(b);
    dict.records.reserve(count);
    std::uint64_t pos = 0;
    for (std::size_t i = 0; i < count; ++i) {
        CDocRec r = Record(i);
        r.numberIds = { dict.numbers.AddName(PartsOf(i).number) };
        r.nTitlePos = pos;
        r.nTitleLen = static_cast<std::int32_t>(100 + i % 201);
        pos += static_cast<std::uint64_t>(r.nTitleLen);
        dict.records.push_back(r);
    }
    {
        std::ofstream(titlesPath, std::ios::binary | std::ios::trunc);
    }
    std::filesystem::resize_file(titlesPath, pos);
    dict.OpenTextFile(titlesPath);
}

std::string CSyntheticBase::ListFile(std::size_t count)
{
    std::string out;
    out.reserve(count * 330);
    for (std::size_t i = 0; i < count; ++i) {
        const Parts p = PartsOf(i);
        if (i > 0)
            out += "$$\r\n";
        out += S("$0  Номер в базе\r\n"_cp) + std::to_string(100000 + i) + "\r\n";
        if (p.edition)
            out += TwoDigits(p.day) + '.' + TwoDigits(p.month) + '.' + std::to_string(p.editionYear) + "\r\n";
        out += S("$5  Вид документа\r\n"_cp) + m_types[p.type] + "\r\n";
        out += S("$4  Принявший орган\r\n"_cp) + m_bodies[p.body] + "\r\n";
        out += S("$6  Дата принятия\r\n"_cp) + TwoDigits(p.day) + '.' + TwoDigits(p.month) + '.' + std::to_string(p.year) + "\r\n";
        out += S("$7  Номер\r\n"_cp) + p.number + "\r\n";
        out += S("$9  Название документа\r\n"_cp) + Title(i) + "\r\n\r\n";
    }
    return out;
}

void CSyntheticBase::FillRecvDicts(CRecvDict& types, CRecvDict& bodies) const
{
    types.records.clear();
    bodies.records.clear();
    for (const auto& t : m_types)
        types.records.emplace_back(t, std::vector<std::string> {});
    for (const auto& b : m_bodies)
        bodies.records.emplace_back(b, std::vector<std::string> {});
}

void CSyntheticBase::FillKeywords(CStringDict& keywords) const
{
    keywords.strings.clear();
    for (const auto& t : m_types) {
        std::string first = t.substr(0, t.find(' '));
        if (first.size() > 5)
            first.resize(first.size() - 2);
        if (std::find(keywords.strings.begin(), keywords.strings.end(), first) == keywords.strings.end())
            keywords.strings.push_back(first);
    }
}

std::vector<std::string> CSyntheticBase::DocumentLines(std::size_t lines, std::size_t suspicious, std::size_t baseSize)
{
    std::vector<std::string> out;
    out.reserve(lines);
    const std::size_t step = suspicious ? std::max<std::size_t>(1, lines / suspicious) : lines + 1;
    static const std::string prose[] = { S("в целях"_cp), S("обеспечения"_cp), S("деятельности"_cp), S("органов"_cp),
        S("а также"_cp), S("порядка"_cp), S("предоставления"_cp), S("сведений"_cp), S("граждан"_cp), S("в части"_cp),
        S("мер"_cp), S("поддержки"_cp), S("и"_cp), S("по"_cp) };
    for (std::size_t i = 0; i < lines; ++i) {
        std::string line = "    ";
        if ((i + 1) % step == 0 && out.size() / step < suspicious) {
            const std::size_t target = (m_rng() % baseSize);
            const Parts p = PartsOf(target);
            std::string type = m_types[p.type];
            // As the text writes it: a capital, then small letters.
            for (std::size_t k = 1; k < type.size(); ++k) {
                const auto c = static_cast<unsigned char>(type[k]);
                if (c >= 0xC0 && c <= 0xDF)
                    type[k] = static_cast<char>(c + 0x20);
            }
            line += S("в соответствии с "_cp) + type + ' ' + m_bodies[p.body] + ' ';
            if (m_rng() % 2)
                line += S("от "_cp) + TwoDigits(p.day) + '.' + TwoDigits(p.month) + '.' + std::to_string(p.year);
            else
                line += S("от "_cp) + std::to_string(p.day) + ' ' + codepage::Utf8ToCp1251(kMonthsGenitive[p.month - 1]) + ' '
                    + std::to_string(p.year) + S(" г."_cp);
            line += " N " + p.number + ',';
        } else {
            while (line.size() < 64) {
                line += prose[m_rng() % std::size(prose)];
                line += ' ';
            }
        }
        out.push_back(std::move(line));
    }
    return out;
}

std::vector<std::string> CSyntheticBase::RlaHeader() const
{
    return { S("$0  Номер в базе"_cp), "1", S("$5  Вид документа"_cp), m_types[2], S("$4  Принявший орган"_cp), m_bodies[0],
        S("$6  Дата принятия"_cp), "05.02.2024", "", S("$7  Номер"_cp), "14", S("$9  Название документа"_cp), S("О ТЕСТЕ"_cp), "",
        S("$17  Редакция от"_cp), "05.02.2024", S("$18  Текст документа"_cp) };
}

namespace {

// A "Vm...:  N kB" line of this process's status, in bytes.
std::size_t StatusBytes(const std::string& key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0)
            return std::stoull(line.substr(key.size())) * 1024;
    return 0;
}

} // namespace

std::size_t PeakResidentBytes() { return StatusBytes("VmHWM:"); }
std::size_t ResidentBytes() { return StatusBytes("VmRSS:"); }
