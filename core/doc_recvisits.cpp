#include "core/doc_recvisits.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "core/codepage.h"
#include "storage/archive.h"

namespace {

std::string Joined(const std::vector<std::string>& items)
{
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            out += ", ";
        out += items[i];
    }
    return out;
}

std::string Joined(const std::vector<COleDate>& dates)
{
    std::string out;
    for (std::size_t i = 0; i < dates.size(); ++i) {
        if (i > 0)
            out += ", ";
        out += dates[i].Format();
    }
    return out;
}

// The rest after the first n characters, empty instead of throwing: the recognisers run on
// arbitrary text.
std::string_view Drop(std::string_view s, std::size_t n) { return n < s.size() ? s.substr(n) : std::string_view(); }

// Short years from 2 to 99 belong to the twentieth century; 0 and 1 stay as written.
int CenturyYear(int year) { return year >= 2 && year <= 99 ? year + 1900 : year; }

// The blanks of a working copy, so that a long text without blanks is not rescanned for every
// point or name in it; rebuilt whenever the copy changes.
class Blanks {
public:
    explicit Blanks(const std::string& text) { Rebuild(text); }

    void Rebuild(const std::string& text)
    {
        m_at.clear();
        for (std::size_t i = 0; i < text.size(); ++i)
            if (text[i] == ' ')
                m_at.push_back(i);
        m_size = text.size();
    }

    // The first blank at or after pos, or the end of the text: the end of the word at pos.
    std::size_t Next(std::size_t pos) const
    {
        const auto it = std::lower_bound(m_at.begin(), m_at.end(), pos);
        return it == m_at.end() ? m_size : *it;
    }

    // The last blank at or before pos, or npos.
    std::size_t Previous(std::size_t pos) const
    {
        const auto it = std::upper_bound(m_at.begin(), m_at.end(), pos);
        return it == m_at.begin() ? std::string::npos : *(it - 1);
    }

private:
    std::vector<std::size_t> m_at;
    std::size_t m_size = 0;
};

} // namespace

void CDocRecvisits::Clear() { *this = CDocRecvisits(); }

bool CDocRecvisits::Equals(const CDocRecvisits& other) const
{
    return nBaseNumber == other.nBaseNumber && adoptionDates == other.adoptionDates && editionDate == other.editionDate
        && types == other.types && bodies == other.bodies && numbers == other.numbers && name == other.name;
}

std::string CDocRecvisits::Describe(bool withEditionDate) const
{
    std::string out;
    out += "Номер в базе: "_cp;
    out += std::to_string(nBaseNumber);
    out += "\nВид документа: "_cp;
    out += Joined(types);
    out += "\nПринявший орган: "_cp;
    out += Joined(bodies);
    out += "\nДата принятия: "_cp;
    out += Joined(adoptionDates);
    if (withEditionDate) {
        out += "\nРедакция от: "_cp;
        if (!editionDate.IsNoDate())
            out += editionDate.Format();
    }
    out += "\nНомер: "_cp;
    out += Joined(numbers);
    out += "\nНазвание документа: "_cp;
    out += name;
    return out;
}

// Each field is assigned as soon as it is read, so a damaged archive leaves the fields before the
// damage loaded and the others as they were.
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

int CDocRecvisits::DeterminedKinds() const
{
    return static_cast<int>(!types.empty()) + static_cast<int>(!bodies.empty()) + static_cast<int>(!numbers.empty())
        + static_cast<int>(!adoptionDates.empty());
}

void FindNumericDates(const std::string& line, std::vector<COleDate>& dates)
{
    std::string text = line;
    Blanks blanks(text);
    std::size_t from = 0;
    while (from < text.size()) {
        const std::size_t p = text.find('.', from);
        if (p == std::string::npos)
            break;
        if (p + 3 >= text.size() || text[p + 3] != '.') {
            from = p + 1;
            continue;
        }
        // The fields are counted from the candidate's start even when fewer than two characters
        // precede the point, so "1.02.2003" at the very start of a line reads as 01.02.1903.
        const std::size_t begin = p >= 2 ? p - 2 : 0;
        const std::size_t end = blanks.Next(p);
        const std::string_view candidate = std::string_view(text).substr(begin, end - begin);
        const int day = DecimalPrefix(candidate.substr(0, 2));
        const std::string_view afterDay = Drop(candidate, 3);
        const int month = DecimalPrefix(afterDay.substr(0, 2));
        const int year = CenturyYear(DecimalPrefix(Drop(afterDay, 3)));
        if (day < 1 || day > 31 || month < 1 || month > 12 || year < 1900 || year >= 2050) {
            from = p + 1;
            continue;
        }
        // 31.02 and the like come out invalid and are kept: the caller counts them as dates.
        dates.push_back(COleDate::FromText(year, month, day));
        // The day digits stay; the rest of the word goes, so its second point cannot start
        // another date, and the search goes on with what followed the word.
        text.erase(p, end - p);
        blanks.Rebuild(text);
        from = p;
    }
}

void FindMonthNameDates(const std::string& line, std::vector<COleDate>& dates)
{
    static constexpr std::array<std::string_view, 12> kMonths = {
        "ЯНВАРЯ"_cp, "ФЕВРАЛЯ"_cp, "МАРТА"_cp, "АПРЕЛЯ"_cp, "МАЯ"_cp, "ИЮНЯ"_cp,
        "ИЮЛЯ"_cp, "АВГУСТА"_cp, "СЕНТЯБРЯ"_cp, "ОКТЯБРЯ"_cp, "НОЯБРЯ"_cp, "ДЕКАБРЯ"_cp,
    };
    std::string text = line;
    Blanks blanks(text);
    for (int month = 1; month <= 12; ++month) {
        const std::string_view name = kMonths[month - 1];
        std::size_t from = 0;
        while (from < text.size()) {
            const std::size_t q = text.find(name, from);
            // A name at the very start has no day before it.
            if (q == std::string::npos || q == 0)
                break;
            from = q + 1;
            const std::size_t afterName = q + name.size();
            if (afterName < text.size() && text[afterName] == ',')
                continue;

            // The year is the word behind the first blank after the name's start; without such a
            // blank there is no year.
            const std::size_t blank = blanks.Next(q);
            if (blank == text.size())
                continue;
            const std::size_t yearStart = blank + 1;
            const std::size_t yearEnd = blanks.Next(yearStart);
            const std::string_view yearWord = std::string_view(text).substr(yearStart, yearEnd - yearStart);
            const int year = CenturyYear(DecimalPrefix(yearWord));
            if (year < 1930 || year > 2020)
                continue;

            // The character just before the name is taken as the blank after the day's word, so the
            // backward search for the blank before that word starts one further back.
            std::size_t dayStart = 0;
            if (q >= 2) {
                const std::size_t before = blanks.Previous(q - 2);
                if (before != std::string::npos)
                    dayStart = before + 1;
            }
            const int day = DecimalPrefix(std::string_view(text).substr(dayStart, q - dayStart));
            if (day < 1 || day > 31)
                continue;

            dates.push_back(COleDate::FromText(year, month, day));
            // Day, name and year go; the blank behind the year stays, and the search resumes where
            // the day began.
            std::size_t removeEnd = dayStart;
            for (int word = 0; word < 3; ++word) {
                while (removeEnd < text.size() && text[removeEnd] == ' ')
                    ++removeEnd;
                removeEnd = blanks.Next(removeEnd);
            }
            text.erase(dayStart, removeEnd - dayStart);
            blanks.Rebuild(text);
            from = dayStart;
        }
    }
}
