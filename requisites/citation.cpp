#include "requisites/citation.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "base/codepage.h"
#include "base/date_text.h"
#include "base/phrase_match.h"

namespace {

using Words = std::vector<std::string_view>;

Words SplitBlanks(std::string_view text)
{
    Words words;
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && text[pos] == ' ')
            ++pos;
        const std::size_t end = std::min(text.find(' ', pos), text.size());
        if (end > pos)
            words.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return words;
}

bool AllDigits(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int Number(std::string_view digits) { return std::atoi(std::string(digits).c_str()); }

// A word without the punctuation a citation puts after a date: "2003,", "2003;", "2003)".
std::string_view Bare(std::string_view word)
{
    while (!word.empty() && std::string_view(",;:)").find(word.back()) != std::string_view::npos)
        word.remove_suffix(1);
    return word;
}

// 01.02.2003 (the day may have one digit), and with shortYears 07.07.93 too (00 to 29 are of
// this century). NoDate when the word is not such a date.
COleDate NumericDate(std::string_view word, bool shortYears = false)
{
    word = Bare(word);
    if (!word.empty() && word.back() == '.')
        word.remove_suffix(1);
    const std::size_t first = word.find('.');
    const std::size_t second = first == std::string_view::npos ? first : word.find('.', first + 1);
    if (second == std::string_view::npos)
        return COleDate::NoDate();
    const std::string_view day = word.substr(0, first);
    const std::string_view month = word.substr(first + 1, second - first - 1);
    const std::string_view year = word.substr(second + 1);
    const bool yearOk = AllDigits(year) && (year.size() == 4 || (shortYears && year.size() == 2));
    if (!AllDigits(day) || day.size() > 2 || !AllDigits(month) || month.size() != 2 || !yearOk)
        return COleDate::NoDate();
    const int d = Number(day);
    const int m = Number(month);
    if (d < 1 || d > 31 || m < 1 || m > 12)
        return COleDate::NoDate();
    int y = Number(year);
    if (year.size() == 2)
        y += y < 30 ? 2000 : 1900;
    return COleDate::FromText(y, m, d);
}

int MonthOfName(std::string_view word)
{
    static constexpr std::array<std::string_view, 12> kMonths = {
        "ЯНВАРЯ"_cp, "ФЕВРАЛЯ"_cp, "МАРТА"_cp, "АПРЕЛЯ"_cp, "МАЯ"_cp, "ИЮНЯ"_cp,
        "ИЮЛЯ"_cp, "АВГУСТА"_cp, "СЕНТЯБРЯ"_cp, "ОКТЯБРЯ"_cp, "НОЯБРЯ"_cp, "ДЕКАБРЯ"_cp,
    };
    for (std::size_t k = 0; k < kMonths.size(); ++k)
        if (word == kMonths[k])
            return static_cast<int>(k) + 1;
    return 0;
}

// Day, month name and year at words[at], words[at + 1], words[at + 2].
COleDate WordsDate(const Words& words, std::size_t at)
{
    if (at + 2 >= words.size())
        return COleDate::NoDate();
    const std::string_view day = words[at];
    const int month = MonthOfName(words[at + 1]);
    const std::string_view year = Bare(words[at + 2]);
    if (!AllDigits(day) || day.size() > 2 || month == 0 || !AllDigits(year) || year.size() != 4)
        return COleDate::NoDate();
    const int d = Number(day);
    if (d < 1 || d > 31)
        return COleDate::NoDate();
    return COleDate::FromText(Number(year), month, d);
}

bool IsYearWord(std::string_view word)
{
    return word == "Г."_cp || word == "Г"_cp || word == "ГОДА"_cp || word == "Г.,"_cp || word == "ГОДА,"_cp;
}

// The date that ends just before words[end] (a year word between is passed over); first
// receives the index of its first word.
COleDate DateBefore(const Words& words, std::size_t end, bool shortYears, std::size_t& first)
{
    if (end == 0)
        return COleDate::NoDate();
    std::size_t last = end - 1;
    if (IsYearWord(words[last])) {
        if (last == 0)
            return COleDate::NoDate();
        --last;
    }
    const COleDate numeric = NumericDate(words[last], shortYears);
    first = last;
    if (!numeric.IsNoDate())
        return numeric;
    first = last >= 2 ? last - 2 : 0;
    return last >= 2 ? WordsDate(words, last - 2) : COleDate::NoDate();
}

// The date that starts at words[at]; last receives the index of its last word.
COleDate DateAt(const Words& words, std::size_t at, bool shortYears, std::size_t& last)
{
    if (at >= words.size())
        return COleDate::NoDate();
    const COleDate numeric = NumericDate(words[at], shortYears);
    last = numeric.IsNoDate() ? at + 2 : at;
    return numeric.IsNoDate() ? WordsDate(words, at) : numeric;
}

// A number cited together with a date, and the words the two take.
struct CPairWords {
    CCitedPair pair;
    std::size_t first = 0;
    std::size_t last = 0;
};

std::vector<CPairWords> PairsOfWords(const Words& words, bool shortYears)
{
    std::vector<CPairWords> pairs;
    for (std::size_t i = 0; i + 1 < words.size(); ++i) {
        if (words[i] != "N")
            continue;
        std::string number = CleanNumber(words[i + 1]);
        if (number.empty())
            continue;
        std::size_t first = i;
        std::size_t last = i + 1;
        COleDate date = DateBefore(words, i, shortYears, first);
        if (date.IsNoDate() && i + 2 < words.size() && words[i + 2] == "ОТ"_cp) {
            first = i;
            date = DateAt(words, i + 3, shortYears, last);
        }
        if (!date.IsNoDate())
            pairs.push_back({ { std::move(number), date }, first, last });
    }
    return pairs;
}

std::vector<std::string> FieldValues(const std::vector<std::string>& lines, std::string_view field)
{
    std::vector<std::string> values;
    bool in = false;
    for (const std::string& line : lines) {
        if (!line.empty() && line.front() == '$') {
            in = line == field;
            continue;
        }
        if (!in)
            continue;
        if (line.find_first_not_of(' ') == std::string::npos) {
            in = false;
            continue;
        }
        values.push_back(NormalizeText(line));
    }
    return values;
}

template <typename T>
bool SameSets(const std::vector<T>& a, const std::vector<T>& b)
{
    const auto within = [](const std::vector<T>& part, const std::vector<T>& whole) {
        return std::all_of(part.begin(), part.end(),
            [&](const T& x) { return std::find(whole.begin(), whole.end(), x) != whole.end(); });
    };
    return !a.empty() && !b.empty() && within(a, b) && within(b, a);
}

std::vector<std::string> Normalized(const std::vector<std::string>& values, bool asNumbers)
{
    std::vector<std::string> out;
    for (const auto& v : values)
        out.push_back(asNumbers ? CleanNumber(v) : NormalizeText(v));
    return out;
}

} // namespace

std::vector<CCitedPair> FindCitedPairs(std::string_view text)
{
    // Lines joined by line breaks read as lines joined by blanks.
    std::string joined(text);
    std::replace_if(joined.begin(), joined.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; }, ' ');
    const std::string upper = NormalizeText(joined);
    std::vector<CCitedPair> pairs;
    for (CPairWords& p : PairsOfWords(SplitBlanks(upper), false))
        pairs.push_back(std::move(p.pair));
    return pairs;
}

std::vector<CCitedPair> FindCitedPairsOfLine(std::string_view before, std::string_view line, std::string_view after)
{
    std::string whole(before);
    whole += ' ';
    whole += line;
    whole += ' ';
    whole += after;
    std::vector<CCitedPair> pairs = FindCitedPairs(whole);
    for (const CCitedPair& above : FindCitedPairs(before)) {
        const auto same = std::find_if(pairs.begin(), pairs.end(),
            [&](const CCitedPair& p) { return p.number == above.number && p.date == above.date; });
        if (same != pairs.end())
            pairs.erase(same);
    }
    return pairs;
}

bool IsCitedTogether(const CDocRecvisits& candidate, const std::vector<CCitedPair>& pairs)
{
    for (const CCitedPair& pair : pairs) {
        const bool number = std::any_of(candidate.numbers.begin(), candidate.numbers.end(),
            [&](const std::string& n) { return CleanNumber(n) == pair.number; });
        const bool date = std::find(candidate.adoptionDates.begin(), candidate.adoptionDates.end(), pair.date)
            != candidate.adoptionDates.end();
        if (number && date)
            return true;
    }
    return false;
}

CDocRecvisits HeaderRequisites(const std::vector<std::string>& headerLines)
{
    CDocRecvisits header;
    header.types = FieldValues(headerLines, "$5  Вид документа"_cp);
    header.bodies = FieldValues(headerLines, "$4  Принявший орган"_cp);
    header.numbers = FieldValues(headerLines, "$7  Номер"_cp);
    // Read as the document reads its own adoption dates.
    for (const std::string& value : FieldValues(headerLines, "$6  Дата принятия"_cp)) {
        const COleDate date = ParseDottedDate(value);
        if (date.IsValid())
            header.adoptionDates.push_back(date);
    }
    const std::vector<std::string> base = FieldValues(headerLines, "$0  Номер в базе"_cp);
    header.nBaseNumber = !base.empty() && AllDigits(base.front()) && base.front().size() <= 9 ? Number(base.front()) : 0;
    return header;
}

std::string AgreementText(const CCandidateAgreement& a)
{
    std::string agree;
    std::string differ;
    const std::pair<bool, const char*> kinds[] = { { a.type, "вид" }, { a.body, "орган" }, { a.number, "номер" },
        { a.date, "дата" } };
    for (const auto& [same, name] : kinds) {
        std::string& list = same ? agree : differ;
        list += (list.empty() ? "" : ", ") + std::string(name);
    }
    std::string text = agree.empty() ? std::string() : "совпадают: " + agree;
    if (!differ.empty())
        text += (text.empty() ? "" : "; ") + std::string("нет: ") + differ;
    if (a.citedTogether)
        text += " · номер и дата стоят рядом";
    if (a.itself)
        text += " · это сам документ";
    return text;
}

bool IsDocumentItself(const CDocRecvisits& candidate, const CDocRecvisits& header, bool localBase)
{
    if (localBase && header.nBaseNumber > 0 && candidate.nBaseNumber == header.nBaseNumber)
        return true;
    return SameSets(Normalized(candidate.types, false), header.types)
        && SameSets(Normalized(candidate.bodies, false), header.bodies)
        && SameSets(Normalized(candidate.numbers, true), Normalized(header.numbers, true))
        && SameSets(candidate.adoptionDates, header.adoptionDates);
}

CLineCitations CitationsOfLine(
    const std::vector<std::string_view>& lines, const std::vector<bool>& suspicious, std::size_t at)
{
    CLineCitations out;
    if (at >= lines.size())
        return out;
    // The window's words, each with its line; read as FindCitedPairs reads the lines joined.
    std::vector<std::string> upper;
    upper.reserve(lines.size());
    for (std::string_view line : lines) {
        std::string text(line);
        std::replace_if(
            text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; }, ' ');
        upper.push_back(NormalizeText(text));
    }
    Words words;
    std::vector<std::size_t> lineOf;
    for (std::size_t k = 0; k < upper.size(); ++k)
        for (std::string_view w : SplitBlanks(upper[k])) {
            words.push_back(w);
            lineOf.push_back(k);
        }
    const auto isSuspicious = [&](std::size_t k) { return k < suspicious.size() && suspicious[k]; };
    std::vector<bool> taken(words.size(), false); // words of a citation another line is the place of
    for (const CPairWords& p : PairsOfWords(words, true)) {
        const std::size_t b = lineOf[p.first];
        const std::size_t e = lineOf[p.last < words.size() ? p.last : words.size() - 1];
        // The first examined line the citation stands on; else the one just before it, which
        // names the act the next line cites.
        std::size_t owner = static_cast<std::size_t>(-1);
        for (std::size_t k = b; k <= e && owner == static_cast<std::size_t>(-1); ++k)
            if (isSuspicious(k))
                owner = k;
        if (owner == static_cast<std::size_t>(-1) && b >= 1 && isSuspicious(b - 1))
            owner = b - 1;
        if (owner == at) {
            out.own.push_back(p.pair);
            continue;
        }
        out.elsewhere.push_back(p.pair);
        for (std::size_t w = p.first; w <= p.last && w < words.size(); ++w)
            taken[w] = true;
    }
    for (std::size_t w = 0; w < words.size(); ++w) {
        const bool here = lineOf[w] == at;
        if (!here && !isSuspicious(lineOf[w]))
            continue;
        if (taken[w])
            continue;
        if (words[w] == "N" && w + 1 < words.size()) {
            const std::string_view next = words[w + 1];
            // "N 52, ст. 5881": an issue of a gazette, not a document's number.
            if (next.back() == ',' && w + 2 < words.size() && (words[w + 2] == "СТ."_cp || words[w + 2] == "СТ"_cp)) {
                out.publication = out.publication || here;
                continue;
            }
            std::string number = CleanNumber(next);
            if (!number.empty())
                (here ? out.numbers : out.nearbyNumbers).push_back(std::move(number));
            continue;
        }
        std::size_t last = w;
        const COleDate date = DateAt(words, w, true, last);
        if (!date.IsNoDate())
            (here ? out.dates : out.nearbyDates).push_back(date);
    }
    return out;
}

bool CitesDocument(
    const CDocRecvisits& candidate, const std::vector<std::string>& numbers, const std::vector<COleDate>& dates)
{
    for (const std::string& n : candidate.numbers)
        if (std::find(numbers.begin(), numbers.end(), CleanNumber(n)) != numbers.end())
            return true;
    for (const COleDate& d : candidate.adoptionDates)
        if (std::find(dates.begin(), dates.end(), d) != dates.end())
            return true;
    return false;
}
