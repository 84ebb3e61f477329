#pragma once

// "Документы Орво": finding Orvo documents by conditions on their requisites. Each requisite kind
// has its own condition, a list of values combined by И (all of them), ИЛИ (any of them) or НЕ
// (none of them); the adoption dates are held against a range. The dialog only edits the
// conditions and shows what is found.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/ole_date.h"

class COrvoDict;
class CUserInterface;

// The operators of a condition, as the system has always numbered them.
enum SearchOperator : std::int32_t { SearchAnd = 0, SearchOr = 1, SearchNot = 2 };

template <class T>
struct CSearchCondition {
    std::int32_t nOperator = SearchAnd;
    std::vector<T> values;

    bool operator==(const CSearchCondition&) const = default;
};

// Values are code page 1251 texts: types, bodies, document numbers, words of a name.
using CWordsCondition = CSearchCondition<std::string>;
// Numbers in base.
using CNumsCondition = CSearchCondition<std::int32_t>;

// The text shown for a condition (code page 1251): the values in list order joined by " И " or
// " ИЛИ "; for НЕ each value, the first included, preceded by " НЕ ".
std::string ConditionText(const CWordsCondition& condition);
std::string ConditionText(const CNumsCondition& condition);

// A condition typed the way ConditionText shows one (code page 1251): values separated by И, ИЛИ or
// НЕ, in any case, one operator for the whole condition, НЕ also before the first value. Each value
// goes through accept, which gives it as the condition keeps it or nullopt for a text that is no
// value; a value may hold the operator words when accept knows it whole (a body "... ТРУДА И
// ЗАНЯТОСТИ"), and the reading with the fewest values wins. A value alone keeps the operator given.
// An empty text is the empty condition. On failure bad is the first piece accept refused, or
// empty when the operators are mixed.
std::optional<CWordsCondition> ParseConditionText(std::string_view text, std::int32_t singleOperator,
    const std::function<std::optional<std::string>(const std::string&)>& accept, std::string& bad);
// Whether a word is one of the operator words И, ИЛИ, НЕ (in any case).
bool IsOperatorWord(std::string_view word);

// Whether a document's list meets the condition. An empty condition is always met; И needs every
// value in the list (so never an empty list), ИЛИ some value, НЕ none.
bool TestCondition(const CNumsCondition& condition, std::span<const std::int32_t> list);

// The words of a document's name as the name condition compares them: upper-cased, split at
// blanks, without the quotes, brackets and punctuation that cling to a word in running text.
std::vector<std::string> NameWords(std::string_view name);

// The name condition over the words of a name. A value of several words stands for a phrase: it
// occurs where its words follow one another in the name.
bool TestNameCondition(const CWordsCondition& condition, const std::vector<std::string>& words);

struct COrvoSearchQuery {
    CWordsCondition types;   // values of the Orvo types dictionary
    CWordsCondition bodies;  // values of the Orvo bodies dictionary
    CWordsCondition numbers; // document numbers as written
    CWordsCondition name;    // words of the name
    CNumsCondition baseNumbers;
    // The date pickers "от" and "до" of "Дата принятия"; empty while a picker is off.
    std::optional<COleDate> dateFrom;
    std::optional<COleDate> dateTo;
};

// The adoption dates a search accepts, both ends included, each at 01:01:01: with a picker on,
// from the "от" date (else 01.01.1900) up to the "до" date (else the "от" date, so that "от" alone
// finds that one day); with both off, from 01.01.1900 up to today.
void SearchDateRange(const COrvoSearchQuery& query, const COleDate& today, COleDate& low, COleDate& high);

// The row a found document gets in the result list: its requisites' text, cut at the first blank
// after the first 1023 characters and ended with "..." when it is longer.
std::string SearchResultRow(const std::string& describe);

struct COrvoFoundDoc {
    std::int32_t number = 0; // number in base
    std::string row;         // code page 1251
};

enum class SearchOutcome {
    Done,
    UnknownNumber, // a value of the numbers condition is no number the dictionary knows
    BadRange,      // "от" lies after "до"
    Stopped,       // the person closed the dialog while it ran
};

// Runs the search over the documents in dictionary order. Every found document goes to found
// at once, so the list grows while the search runs. The progress indicator advances one step per
// document and the window gets its turns; the search ends early when a stop is requested. An
// unknown document number or an upside-down date range is said in a message and nothing is searched.
SearchOutcome SearchOrvoDocuments(COrvoDict& dict, const COrvoSearchQuery& query, const COleDate& today,
    CUserInterface& ui, const std::function<void(const COrvoFoundDoc&)>& found);
