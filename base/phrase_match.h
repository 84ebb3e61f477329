#pragma once

// Recognising dictionary values in free text. Both analyses find document types and adopting
// bodies this way: every value and synonym becomes a phrase of word stems, and a phrase matches
// where consecutive words of the text begin with its stems.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>


struct CPhrase {
    std::string value;              // the canonical value a match reports
    std::string text;               // the value itself or one synonym
    std::vector<std::string> stems; // word stems of text
};

// The phrases of one dictionary, read-only, with the phrases each first letter of a word can start
// a match of, so that a text is not tried against every phrase at every word.
class CPhraseSet {
public:
    CPhraseSet() = default;
    explicit CPhraseSet(std::vector<CPhrase> phrases);

    const std::vector<CPhrase>& Phrases() const { return m_phrases; }
    std::size_t size() const { return m_phrases.size(); }
    bool empty() const { return m_phrases.empty(); }
    const CPhrase& operator[](std::size_t i) const { return m_phrases[i]; }
    std::vector<CPhrase>::const_iterator begin() const { return m_phrases.begin(); }
    std::vector<CPhrase>::const_iterator end() const { return m_phrases.end(); }

    // Indexes of the phrases whose first stem a word can begin with, the last phrase first:
    // those whose first stem starts with the word's first letter or is empty.
    const std::vector<std::uint32_t>& StartingAt(std::string_view word) const
    {
        return m_byFirstLetter[word.empty() ? kNoLetter : static_cast<unsigned char>(word.front())];
    }

private:
    static constexpr std::size_t kNoLetter = 256; // an empty word
    std::vector<CPhrase> m_phrases;
    std::array<std::vector<std::uint32_t>, kNoLetter + 1> m_byFirstLetter;
};

// Which bytes and pairs of adjacent bytes one line holds, so that the many words the first passes
// look for in every line are searched for only where they can occur. Exact: a string that occurs
// in the line always passes MayContain.
class CBytePairs {
public:
    CBytePairs();
    // Forgets the previous line and takes this one.
    void Reset(std::string_view line);
    bool MayContain(std::string_view text) const;

private:
    void Flip(bool on);
    std::vector<std::uint64_t> m_pairs; // one bit for each of the 65,536 pairs
    std::array<std::uint64_t, 4> m_bytes {};
    std::string m_line;
};

// Trimmed of blanks, upper-cased (code page 1251), inner runs of blanks collapsed.
std::string NormalizeText(std::string_view text);
// The words of a text (only the blank separates words), each cut to its stem.
std::vector<std::string> MakeStems(std::string_view text);
// Collects phrases, each naming a canonical value; Build gives them those of fewer words first.
class CPhraseSetBuilder {
public:
    void Add(const std::string& value, const std::string& text);
    CPhraseSet Build();

private:
    std::vector<CPhrase> m_phrases;
};
// The phrases of a dictionary of values and their synonyms (its records' value and synonyms).
template <class Dictionary> CPhraseSet BuildPhrases(const Dictionary& dict)
{
    CPhraseSetBuilder builder;
    for (const auto& rec : dict.records) {
        builder.Add(rec.value, rec.value);
        for (const auto& synonym : rec.synonyms)
            builder.Add(rec.value, synonym);
    }
    return builder.Build();
}
// The words of " " + NormalizeText(text) + " ", without a leading double quote or parenthesis.
std::vector<std::string> SplitMatchWords(std::string_view text);
// The canonical values of every phrase matching anywhere in the text, duplicates included.
std::vector<std::string> FindValues(std::string_view text, const CPhraseSet& phrases);
// Matching over words already split by SplitMatchWords, for callers that match several
// dictionaries against one text.
std::vector<std::string> FindValuesInWords(const std::vector<std::string>& words, const CPhraseSet& phrases);
// A document number without the punctuation that follows it in running text.
std::string CleanNumber(std::string_view number);
