#include "requisites/doc_recvisits.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <string_view>

#include "base/codepage.h"

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

// The working copy a recogniser cuts the dates it finds out of. Cuts happen near the point the
// search has reached, so the copy is kept in one buffer as the part before that point, a gap, and
// the rest: a cut only moves what lies between the point and the cut, and the blanks of the rest
// are found in an index made once. Cutting from a copy rebuilt after every date took time growing
// with the square of the line.
class CCutText {
public:
    explicit CCutText(const std::string& text)
        : m_buf(text)
    {
        for (std::size_t i = 0; i < m_buf.size(); ++i)
            if (m_buf[i] == ' ')
                m_restBlanks.push_back(i);
    }

    std::size_t size() const { return m_front + (m_buf.size() - m_rest); }
    char operator[](std::size_t pos) const { return pos < m_front ? m_buf[pos] : m_buf[m_rest + pos - m_front]; }

    // The text the copy holds now.
    std::string Str() const { return m_buf.substr(0, m_front) + m_buf.substr(m_rest); }

    // The first occurrence of what at or after from, or npos.
    std::size_t Find(std::string_view what, std::size_t from)
    {
        if (from > size())
            return std::string::npos;
        MoveGap(from);
        const std::size_t at = m_buf.find(what, m_rest);
        return at == std::string::npos ? at : m_front + (at - m_rest);
    }

    // [begin, end) in one piece.
    std::string_view View(std::size_t begin, std::size_t end)
    {
        if (end <= m_front)
            return std::string_view(m_buf).substr(begin, end - begin);
        if (begin < m_front)
            MoveGap(begin);
        return std::string_view(m_buf).substr(m_rest + begin - m_front, end - begin);
    }

    // The first blank at or after pos, or the end of the text: the end of the word at pos.
    std::size_t NextBlank(std::size_t pos) const
    {
        if (pos < m_front) {
            const auto it = std::lower_bound(m_frontBlanks.begin(), m_frontBlanks.end(), pos);
            if (it != m_frontBlanks.end())
                return *it;
            pos = m_front;
        }
        const auto it = std::lower_bound(m_restBlanks.begin(), m_restBlanks.end(), m_rest + pos - m_front);
        return it == m_restBlanks.end() ? size() : m_front + (*it - m_rest);
    }

    // The last blank at or before pos, or npos.
    std::size_t PreviousBlank(std::size_t pos) const
    {
        if (pos >= m_front) {
            const auto it = std::upper_bound(m_restBlanks.begin(), m_restBlanks.end(), m_rest + pos - m_front);
            if (it != m_restBlanks.begin() && *std::prev(it) >= m_rest)
                return m_front + (*std::prev(it) - m_rest);
            if (m_front == 0)
                return std::string::npos;
            pos = m_front - 1;
        }
        const auto it = std::upper_bound(m_frontBlanks.begin(), m_frontBlanks.end(), pos);
        return it == m_frontBlanks.begin() ? std::string::npos : *(it - 1);
    }

    // Cuts [begin, end) out.
    void Erase(std::size_t begin, std::size_t end)
    {
        MoveGap(begin);
        // The blanks cut out stay in the index below m_rest, where nothing looks.
        m_rest += std::min(end, size()) - begin;
    }

private:
    // Puts the gap at pos: what lies between moves across it, and its blanks with it.
    void MoveGap(std::size_t pos)
    {
        if (pos > m_front) {
            const std::size_t count = pos - m_front;
            const auto first = std::lower_bound(m_restBlanks.begin(), m_restBlanks.end(), m_rest);
            const auto last = std::lower_bound(first, m_restBlanks.end(), m_rest + count);
            for (auto it = first; it != last; ++it)
                m_frontBlanks.push_back(*it - m_rest + m_front);
            std::memmove(m_buf.data() + m_front, m_buf.data() + m_rest, count);
            m_front += count;
            m_rest += count;
        } else if (pos < m_front) {
            // Back across the gap: rare (a day word reaching before the point the search had
            // reached), and the only move that rewrites the index of the rest.
            const std::size_t count = m_front - pos;
            const std::size_t rest = m_rest - count;
            const auto split = std::lower_bound(m_frontBlanks.begin(), m_frontBlanks.end(), pos);
            std::vector<std::size_t> moved;
            for (auto it = split; it != m_frontBlanks.end(); ++it)
                moved.push_back(*it - pos + rest);
            m_frontBlanks.erase(split, m_frontBlanks.end());
            const auto first = std::lower_bound(m_restBlanks.begin(), m_restBlanks.end(), rest);
            const auto last = std::lower_bound(first, m_restBlanks.end(), m_rest);
            m_restBlanks.insert(m_restBlanks.erase(first, last), moved.begin(), moved.end());
            std::memmove(m_buf.data() + m_rest - count, m_buf.data() + pos, count);
            m_front -= count;
            m_rest -= count;
        }
    }

    std::string m_buf;
    std::size_t m_front = 0;             // the text before the gap: m_buf[0, m_front)
    std::size_t m_rest = 0;              // the text after it: m_buf[m_rest, end)
    std::vector<std::size_t> m_frontBlanks; // positions in the text before the gap, ascending
    std::vector<std::size_t> m_restBlanks;  // buffer positions of blanks, ascending; those below m_rest are stale
};

// DecimalPrefix of the word [begin, end) of a working copy, reading only as far as it reads.
int DecimalPrefixAt(const CCutText& text, std::size_t begin, std::size_t end)
{
    std::string read;
    for (std::size_t i = begin; i < end; ++i) {
        const char c = text[i];
        if (!(c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '+' || c == '-'
                || (c >= '0' && c <= '9')))
            break;
        read += c;
    }
    return DecimalPrefix(read);
}

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

int CDocRecvisits::DeterminedKinds() const
{
    return static_cast<int>(!types.empty()) + static_cast<int>(!bodies.empty()) + static_cast<int>(!numbers.empty())
        + static_cast<int>(!adoptionDates.empty());
}

void FindNumericDates(const std::string& line, std::vector<COleDate>& dates)
{
    CCutText text(line);
    std::size_t from = 0;
    while (from < text.size()) {
        const std::size_t p = text.Find(".", from);
        if (p == std::string::npos)
            break;
        if (p + 3 >= text.size() || text[p + 3] != '.') {
            from = p + 1;
            continue;
        }
        // The fields are counted from the candidate's start even when fewer than two characters
        // precede the point, so "1.02.2003" at the very start of a line reads as 01.02.1903.
        const std::size_t begin = p >= 2 ? p - 2 : 0;
        const std::size_t end = text.NextBlank(p);
        const int day = DecimalPrefixAt(text, begin, std::min(begin + 2, end));
        const std::string_view afterDay = begin + 3 < end ? text.View(begin + 3, end) : std::string_view();
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
        text.Erase(p, end);
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
    for (int month = 1; month <= 12; ++month) {
        const std::string_view name = kMonths[month - 1];
        // Each month walks the text the months before it left.
        CCutText cut(text);
        std::size_t from = 0;
        while (from < cut.size()) {
            const std::size_t q = cut.Find(name, from);
            // A name at the very start has no day before it.
            if (q == std::string::npos || q == 0)
                break;
            from = q + 1;
            const std::size_t afterName = q + name.size();
            if (afterName < cut.size() && cut[afterName] == ',')
                continue;

            // The year is the word behind the first blank after the name's start; without such a
            // blank there is no year.
            const std::size_t blank = cut.NextBlank(q);
            if (blank == cut.size())
                continue;
            const std::size_t yearStart = blank + 1;
            const std::size_t yearEnd = cut.NextBlank(yearStart);
            const std::string_view yearWord = cut.View(yearStart, yearEnd);
            const int year = CenturyYear(DecimalPrefix(yearWord));
            if (year < 1930 || year > 2020)
                continue;

            // The character just before the name is taken as the blank after the day's word, so the
            // backward search for the blank before that word starts one further back.
            std::size_t dayStart = 0;
            if (q >= 2) {
                const std::size_t before = cut.PreviousBlank(q - 2);
                if (before != std::string::npos)
                    dayStart = before + 1;
            }
            const int day = DecimalPrefixAt(cut, dayStart, q);
            if (day < 1 || day > 31)
                continue;

            dates.push_back(COleDate::FromText(year, month, day));
            // Day, name and year go; the blank behind the year stays, and the search resumes where
            // the day began.
            std::size_t removeEnd = dayStart;
            for (int word = 0; word < 3; ++word) {
                while (removeEnd < cut.size() && cut[removeEnd] == ' ')
                    ++removeEnd;
                removeEnd = cut.NextBlank(removeEnd);
            }
            cut.Erase(dayStart, removeEnd);
            from = dayStart;
        }
        text = cut.Str();
    }
}
