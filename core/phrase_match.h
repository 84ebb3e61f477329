#pragma once

// Recognising dictionary values in free text. Both analyses find document types and adopting
// bodies this way: every value and synonym becomes a phrase of word stems, and a phrase matches
// where consecutive words of the text begin with its stems.

#include <string>
#include <string_view>
#include <vector>

class CRecvDict;

struct CPhrase {
    std::string value;              // the canonical value a match reports
    std::string text;               // the value itself or one synonym
    std::vector<std::string> stems; // word stems of text
};

// Trimmed of blanks, upper-cased (code page 1251), inner runs of blanks collapsed.
std::string NormalizeText(std::string_view text);
// The words of a text (only the blank separates words), each cut to its stem.
std::vector<std::string> MakeStems(std::string_view text);
// The phrases of a dictionary, those of fewer words first.
std::vector<CPhrase> BuildPhrases(const CRecvDict& dict);
// The words of " " + NormalizeText(text) + " ", without a leading double quote or parenthesis.
std::vector<std::string> SplitMatchWords(std::string_view text);
// The canonical values of every phrase matching anywhere in the text, duplicates included.
std::vector<std::string> FindValues(std::string_view text, const std::vector<CPhrase>& phrases);
// Matching over words already split by SplitMatchWords, for callers that match several
// dictionaries against one text.
std::vector<std::string> FindValuesInWords(const std::vector<std::string>& words, const std::vector<CPhrase>& phrases);
// A document number without the punctuation that follows it in running text.
std::string CleanNumber(std::string_view number);
