#include "orvo/orvo_search.h"

#include <algorithm>
#include <cstdio>

#include "base/codepage.h"
#include "core/ref_maker.h"
#include "seam/user_interface.h"
#include "orvo/orvo_dict.h"

namespace {

// A condition over index ids. Values the index does not know are counted apart: no document
// carries them, so they can never be "in" a document's list.
struct CIdCondition {
    std::int32_t nOperator = SearchAnd;
    std::vector<std::int32_t> ids;
    bool hasValues = false;
    bool hasUnknown = false;
};

bool Contains(std::span<const std::int32_t> list, std::int32_t id)
{
    return std::find(list.begin(), list.end(), id) != list.end();
}

bool TestIds(const CIdCondition& c, std::span<const std::int32_t> list)
{
    if (!c.hasValues)
        return true;
    switch (c.nOperator) {
    case SearchAnd:
        return !c.hasUnknown && !list.empty()
            && std::all_of(c.ids.begin(), c.ids.end(), [&](std::int32_t id) { return Contains(list, id); });
    case SearchOr:
        return std::any_of(c.ids.begin(), c.ids.end(), [&](std::int32_t id) { return Contains(list, id); });
    case SearchNot:
        return std::none_of(c.ids.begin(), c.ids.end(), [&](std::int32_t id) { return Contains(list, id); });
    }
    return false;
}

// The id form of a text condition. TypesToIds and its kin drop unknown texts, so each value is
// converted on its own to notice them.
template <class Convert>
CIdCondition ToIds(const CWordsCondition& condition, Convert convert)
{
    CIdCondition c;
    c.nOperator = condition.nOperator;
    c.hasValues = !condition.values.empty();
    for (const std::string& value : condition.values) {
        const std::size_t before = c.ids.size();
        convert(std::vector<std::string> { value }, c.ids);
        if (c.ids.size() == before)
            c.hasUnknown = true;
    }
    return c;
}

// Marks that belong to running text, not to the word they touch: ASCII punctuation, the
// typographic quotes, dashes and the ellipsis of code page 1251.
bool IsClinging(unsigned char c)
{
    if (c < 0x80)
        return c != '\0' && std::string_view("\"'()[]{}<>,.;:!?-").find(static_cast<char>(c)) != std::string_view::npos;
    return c == 0x84 || c == 0x85 || c == 0x93 || c == 0x94 || c == 0x96 || c == 0x97 || c == 0xAB || c == 0xBB;
}

bool PhraseAt(const std::vector<std::string>& words, std::size_t at, const std::vector<std::string>& phrase)
{
    if (phrase.empty() || at + phrase.size() > words.size())
        return false;
    return std::equal(phrase.begin(), phrase.end(), words.begin() + static_cast<std::ptrdiff_t>(at));
}

bool HasPhrase(const std::vector<std::string>& words, const std::vector<std::string>& phrase)
{
    for (std::size_t at = 0; at < words.size(); ++at)
        if (PhraseAt(words, at, phrase))
            return true;
    return false;
}

template <class T, class Write>
std::string JoinCondition(const CSearchCondition<T>& condition, Write write)
{
    std::string text;
    for (std::size_t i = 0; i < condition.values.size(); ++i) {
        if (condition.nOperator == SearchNot)
            text += " НЕ "_cp;
        else if (i > 0)
            text += condition.nOperator == SearchOr ? " ИЛИ "_cp : " И "_cp;
        text += write(condition.values[i]);
    }
    return text;
}

COleDate AtTextTime(const COleDate& date)
{
    COleDate::Parts p;
    if (!date.GetParts(p))
        return date;
    return COleDate::FromText(p.year, p.month, p.day);
}

bool InRange(const CDateList& dates, const COleDate& low, const COleDate& high)
{
    for (std::size_t k = 0; k < dates.size(); ++k)
        if (dates[k].IsValid() && !(dates[k] < low) && !(high < dates[k]))
            return true;
    return false;
}

} // namespace

std::string ConditionText(const CWordsCondition& condition)
{
    return JoinCondition(condition, [](const std::string& v) { return v; });
}

std::string ConditionText(const CNumsCondition& condition)
{
    return JoinCondition(condition, [](std::int32_t v) { return std::to_string(v); });
}

bool IsOperatorWord(std::string_view word)
{
    const std::string upper = codepage::ToUpper1251(word);
    return upper == "И"_cp || upper == "ИЛИ"_cp || upper == "НЕ"_cp;
}

namespace {

std::vector<std::string> Blanked(std::string_view text)
{
    std::vector<std::string> words;
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
            ++pos;
        std::size_t end = pos;
        while (end < text.size() && text[end] != ' ' && text[end] != '\t')
            ++end;
        if (end > pos)
            words.emplace_back(text.substr(pos, end - pos));
        pos = end;
    }
    return words;
}

std::string Joined(const std::vector<std::string>& words, std::size_t from, std::size_t to)
{
    std::string text;
    for (std::size_t k = from; k < to; ++k) {
        if (k > from)
            text += ' ';
        text += words[k];
    }
    return text;
}

// The values of words[from..) separated by the operator op, the fewest there can be; nullopt when
// they cannot be read so.
std::optional<std::vector<std::string>> SplitAt(const std::vector<std::string>& words, std::size_t from,
    const std::string& op, const std::function<std::optional<std::string>(const std::string&)>& accept)
{
    const std::size_t n = words.size();
    // best[i]: the values of words[i..n), read from the end.
    std::vector<std::optional<std::vector<std::string>>> best(n + 1);
    best[n] = std::vector<std::string> {};
    for (std::size_t i = n; i-- > from;) {
        if (codepage::ToUpper1251(words[i]) == op)
            continue;
        for (std::size_t j = i + 1; j <= n; ++j) {
            // A value ends at the text's end or before op, which another value follows.
            const bool atEnd = j == n;
            if (!atEnd && (codepage::ToUpper1251(words[j]) != op || j + 1 >= n || !best[j + 1]))
                continue;
            const std::optional<std::string> value = accept(Joined(words, i, j));
            if (!value)
                continue;
            std::vector<std::string> values { *value };
            if (!atEnd)
                values.insert(values.end(), best[j + 1]->begin(), best[j + 1]->end());
            if (!best[i] || values.size() < best[i]->size())
                best[i] = std::move(values);
        }
    }
    return best[from];
}

} // namespace

std::optional<CWordsCondition> ParseConditionText(std::string_view text, std::int32_t singleOperator,
    const std::function<std::optional<std::string>(const std::string&)>& accept, std::string& bad)
{
    bad.clear();
    const std::vector<std::string> words = Blanked(text);
    if (words.empty())
        return CWordsCondition { singleOperator, {} };
    // Through a constant: clang 14 (the fuzzing build's) crashes on a string made from the literal here.
    constexpr std::string_view kNot = "НЕ"_cp;
    const std::string notWord(kNot);
    if (codepage::ToUpper1251(words.front()) == notWord) {
        if (auto values = SplitAt(words, 1, notWord, accept); values && !values->empty())
            return CWordsCondition { SearchNot, std::move(*values) };
    } else {
        std::optional<CWordsCondition> found;
        for (const auto& [op, word] : { std::pair { SearchAnd, "И"_cp }, std::pair { SearchOr, "ИЛИ"_cp } }) {
            auto values = SplitAt(words, 0, std::string(word), accept);
            if (values && (!found || values->size() < found->values.size()))
                found = CWordsCondition { values->size() == 1 ? singleOperator : op, std::move(*values) };
        }
        if (found && found->values.size() == 1 && found->nOperator == SearchNot)
            found->nOperator = SearchAnd; // one value without НЕ before it is no НЕ condition
        if (found)
            return found;
    }
    // Nothing reads: the first piece between operator words that is no value, else mixed operators.
    for (std::size_t k = 0; k < words.size();) {
        std::size_t end = k;
        while (end < words.size() && !IsOperatorWord(words[end]))
            ++end;
        if (end > k && !accept(Joined(words, k, end))) {
            bad = Joined(words, k, end);
            break;
        }
        k = end + 1;
    }
    return std::nullopt;
}

bool TestCondition(const CNumsCondition& condition, std::span<const std::int32_t> list)
{
    CIdCondition c;
    c.nOperator = condition.nOperator;
    c.ids = condition.values;
    c.hasValues = !condition.values.empty();
    return TestIds(c, list);
}

std::vector<std::string> NameWords(std::string_view name)
{
    std::vector<std::string> words;
    std::size_t pos = 0;
    while (pos < name.size()) {
        std::size_t end = name.find(' ', pos);
        if (end == std::string_view::npos)
            end = name.size();
        std::size_t first = pos;
        std::size_t last = end;
        while (first < last && IsClinging(static_cast<unsigned char>(name[first])))
            ++first;
        while (last > first && IsClinging(static_cast<unsigned char>(name[last - 1])))
            --last;
        if (first < last)
            words.push_back(codepage::ToUpper1251(name.substr(first, last - first)));
        pos = end + 1;
    }
    return words;
}

bool TestNameCondition(const CWordsCondition& condition, const std::vector<std::string>& words)
{
    if (condition.values.empty())
        return true;
    auto occurs = [&](const std::string& value) { return HasPhrase(words, NameWords(value)); };
    switch (condition.nOperator) {
    case SearchAnd:
        return !words.empty() && std::all_of(condition.values.begin(), condition.values.end(), occurs);
    case SearchOr:
        return std::any_of(condition.values.begin(), condition.values.end(), occurs);
    case SearchNot:
        return std::none_of(condition.values.begin(), condition.values.end(), occurs);
    }
    return false;
}

void SearchDateRange(const COrvoSearchQuery& query, const COleDate& today, COleDate& low, COleDate& high)
{
    const COleDate first = COleDate::FromText(1900, 1, 1);
    if (query.dateFrom || query.dateTo) {
        low = query.dateFrom ? AtTextTime(*query.dateFrom) : first;
        high = query.dateTo ? AtTextTime(*query.dateTo) : low;
    } else {
        low = first;
        high = AtTextTime(today);
    }
}

std::string SearchResultRow(const std::string& describe)
{
    constexpr std::size_t kLongest = 1023;
    if (describe.size() <= kLongest)
        return describe;
    const std::size_t blank = describe.find(' ', kLongest);
    if (blank == std::string::npos)
        return describe;
    return describe.substr(0, blank) + "...";
}

SearchOutcome SearchOrvoDocuments(COrvoDict& dict, const COrvoSearchQuery& query, const COleDate& today,
    CUserInterface& ui, const std::function<void(const COrvoFoundDoc&)>& found)
{
    const CIdCondition types = ToIds(query.types, [&](auto texts, auto& ids) { dict.TypesToIds(texts, ids); });
    const CIdCondition bodies = ToIds(query.bodies, [&](auto texts, auto& ids) { dict.BodiesToIds(texts, ids); });
    const CIdCondition numbers = ToIds(query.numbers, [&](auto texts, auto& ids) { dict.NumbersToIds(texts, ids); });
    if (numbers.hasUnknown) {
        ShowError(ui, "Задан неверный номер документа!");
        return SearchOutcome::UnknownNumber;
    }
    COleDate low;
    COleDate high;
    SearchDateRange(query, today, low, high);
    if (query.dateFrom && query.dateTo && high < low) {
        ShowError(ui, "Дата «от» позже даты «до»!");
        return SearchOutcome::BadRange;
    }
    CWordsCondition name = query.name;
    for (std::string& value : name.values)
        codepage::ToUpper1251InPlace(value);

    ui.ShowProgress(dict.records.size());
    SearchOutcome outcome = SearchOutcome::Done;
    // Each record is tested where the dictionary keeps it; only a hit is read out whole.
    const CDocRecords& records = dict.records;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const std::int32_t baseNumber = records.BaseNumber(i);
        // Titles are read from their file only for the documents the cheaper tests let through.
        const bool hit = TestIds(types, records.TypeIds(i)) && TestIds(bodies, records.BodyIds(i))
            && TestIds(numbers, records.NumberIds(i)) && TestCondition(query.baseNumbers, { &baseNumber, 1 })
            && InRange(records.AdoptionDates(i), low, high)
            && (name.values.empty()
                || TestNameCondition(name, NameWords(dict.GetTitle(records.TitlePos(i), records.TitleLen(i)))));
        if (hit && found)
            found(COrvoFoundDoc { baseNumber, SearchResultRow(dict.GetRequisitesAt(i).Describe()) });
        ui.StepProgress();
        YieldToUi(ui);
        if (ui.StopRequested()) {
            outcome = SearchOutcome::Stopped;
            break;
        }
    }
    ui.HideProgress();
    return outcome;
}
