#include "base/phrase_match.h"

#include <algorithm>
#include <utility>

#include "base/codepage.h"

namespace {

std::vector<std::string> SplitWords(std::string_view text)
{
    std::vector<std::string> words;
    if (text.find(' ') == std::string_view::npos) {
        words.emplace_back(text);
        return words;
    }
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ')
            ++i;
        const std::size_t start = i;
        while (i < text.size() && text[i] != ' ')
            ++i;
        if (i > start)
            words.emplace_back(text.substr(start, i - start));
    }
    return words;
}

std::string Stem(std::string word)
{
    if (word.size() == 4)
        word.resize(3);
    else if (word == "ПРАВИЛА"_cp)
        word = "ПРАВИЛ"_cp;
    else if (word.size() >= 5)
        word.resize(word.size() - 2);
    return word;
}

void AddPhrase(std::vector<CPhrase>& phrases, const std::string& value, const std::string& text)
{
    std::vector<std::string> stems = MakeStems(text);
    // An empty text (or one of blanks only) would match every word of every line.
    if (stems.empty() || (stems.size() == 1 && stems[0].empty()))
        return;
    phrases.push_back({ value, text, std::move(stems) });
}

} // namespace

std::string NormalizeText(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(' ');
    std::string s = codepage::ToUpper1251(text.substr(first, last - first + 1));
    if (s.size() > 2) {
        std::string collapsed;
        collapsed.reserve(s.size());
        for (char c : s) {
            if (c == ' ' && !collapsed.empty() && collapsed.back() == ' ')
                continue;
            collapsed += c;
        }
        s = std::move(collapsed);
    }
    return s;
}

std::vector<std::string> MakeStems(std::string_view text)
{
    std::vector<std::string> stems = SplitWords(text);
    for (auto& w : stems)
        w = Stem(std::move(w));
    return stems;
}

namespace {

std::size_t PairIndex(char a, char b) { return static_cast<std::size_t>(static_cast<unsigned char>(a)) << 8 | static_cast<unsigned char>(b); }

bool Bit(const std::uint64_t* bits, std::size_t i) { return (bits[i >> 6] >> (i & 63)) & 1; }

} // namespace

CBytePairs::CBytePairs()
    : m_pairs(65536 / 64, 0)
{
}

void CBytePairs::Flip(bool on)
{
    // Only the bits of the line are touched: clearing walks the line again instead of the whole map.
    const auto set = [on](std::uint64_t* bits, std::size_t i) {
        const std::uint64_t mask = std::uint64_t { 1 } << (i & 63);
        bits[i >> 6] = on ? bits[i >> 6] | mask : bits[i >> 6] & ~mask;
    };
    for (std::size_t k = 0; k < m_line.size(); ++k) {
        set(m_bytes.data(), static_cast<unsigned char>(m_line[k]));
        if (k + 1 < m_line.size())
            set(m_pairs.data(), PairIndex(m_line[k], m_line[k + 1]));
    }
}

void CBytePairs::Reset(std::string_view line)
{
    Flip(false);
    m_line.assign(line);
    Flip(true);
}

bool CBytePairs::MayContain(std::string_view text) const
{
    if (text.size() == 1)
        return Bit(m_bytes.data(), static_cast<unsigned char>(text[0]));
    for (std::size_t k = 0; k + 1 < text.size(); ++k)
        if (!Bit(m_pairs.data(), PairIndex(text[k], text[k + 1])))
            return false;
    return true;
}

CPhraseSet::CPhraseSet(std::vector<CPhrase> phrases)
    : m_phrases(std::move(phrases))
{
    for (std::size_t i = m_phrases.size(); i-- > 0;) {
        const std::vector<std::string>& stems = m_phrases[i].stems;
        const auto index = static_cast<std::uint32_t>(i);
        if (stems.empty() || stems.front().empty()) {
            // Begins a match at any word.
            for (auto& starting : m_byFirstLetter)
                starting.push_back(index);
        } else {
            m_byFirstLetter[static_cast<unsigned char>(stems.front().front())].push_back(index);
        }
    }
}

void CPhraseSetBuilder::Add(const std::string& value, const std::string& text) { AddPhrase(m_phrases, value, text); }

CPhraseSet CPhraseSetBuilder::Build()
{
    std::stable_sort(m_phrases.begin(), m_phrases.end(),
        [](const CPhrase& a, const CPhrase& b) { return a.stems.size() < b.stems.size(); });
    return CPhraseSet(std::exchange(m_phrases, {}));
}

std::vector<std::string> SplitMatchWords(std::string_view text)
{
    std::vector<std::string> words = SplitWords(" " + NormalizeText(text) + " ");
    for (auto& w : words)
        if (!w.empty() && (w[0] == '"' || w[0] == '('))
            w.erase(0, 1);
    return words;
}

std::vector<std::string> FindValuesInWords(const std::vector<std::string>& words, const CPhraseSet& phrases)
{
    // At each word, the phrases from the last to the first, as far as they can start there.
    std::vector<std::string> found;
    for (std::size_t w = 0; w < words.size(); ++w) {
        for (const std::uint32_t index : phrases.StartingAt(words[w])) {
            const CPhrase& phrase = phrases[index];
            const std::size_t m = phrase.stems.size();
            if (words.size() - w < m)
                continue;
            bool match = true;
            for (std::size_t k = 0; k < m && match; ++k)
                match = std::string_view(words[w + k]).starts_with(phrase.stems[k]);
            if (match)
                found.push_back(phrase.value);
        }
    }
    return found;
}

std::vector<std::string> FindValues(std::string_view text, const CPhraseSet& phrases)
{
    return FindValuesInWords(SplitMatchWords(text), phrases);
}

std::string CleanNumber(std::string_view number)
{
    std::string s = NormalizeText(number);
    while (!s.empty()) {
        const char c = s.back();
        bool drop = false;
        switch (c) {
        case ',':
        case ';':
        case '.':
        case ']':
        case ':':
            drop = true;
            break;
        case ')':
            drop = s.find('(') == std::string::npos;
            break;
        case '>':
            drop = s.find('<') == std::string::npos;
            break;
        case '"':
            drop = s.find('"') == s.size() - 1;
            break;
        default:
            break;
        }
        if (!drop)
            break;
        s.pop_back();
    }
    return s;
}
