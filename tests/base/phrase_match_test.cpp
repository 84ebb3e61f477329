#include "base/phrase_match.h"

#include <gtest/gtest.h>

#include <random>

#include "base/codepage.h"
#include "storage/recv_dict.h"

namespace {

std::string S(std::string_view cp) { return std::string(cp); }

CRecvDict Dict(std::initializer_list<std::pair<std::string_view, std::vector<std::string_view>>> entries)
{
    CRecvDict dict;
    for (const auto& [value, synonyms] : entries) {
        std::vector<std::string> syn;
        for (auto s : synonyms)
            syn.emplace_back(s);
        dict.records.emplace_back(S(value), syn);
    }
    return dict;
}

std::vector<std::string> Values(std::initializer_list<std::string_view> list)
{
    std::vector<std::string> v;
    for (auto s : list)
        v.emplace_back(s);
    return v;
}

// Every phrase tried at every word, the last phrase first: what the matching must report.
std::vector<std::string> FindValuesByTryingAll(const std::vector<std::string>& words, const std::vector<CPhrase>& phrases)
{
    std::vector<std::string> found;
    for (std::size_t w = 0; w < words.size(); ++w) {
        for (auto p = phrases.rbegin(); p != phrases.rend(); ++p) {
            const std::size_t m = p->stems.size();
            if (words.size() - w < m)
                continue;
            bool match = true;
            for (std::size_t k = 0; k < m && match; ++k)
                match = std::string_view(words[w + k]).starts_with(p->stems[k]);
            if (match)
                found.push_back(p->value);
        }
    }
    return found;
}

} // namespace

TEST(PhraseMatch, NormalizeTrimsUppercasesAndCollapses)
{
    EXPECT_EQ(NormalizeText("  министерство   финансов\t  "_cp), S("МИНИСТЕРСТВО ФИНАНСОВ\t"_cp));
    EXPECT_EQ(NormalizeText("   "), "");
    EXPECT_EQ(NormalizeText("ё"_cp), S("Ё"_cp));
}

TEST(PhraseMatch, StemsCutWordsByLength)
{
    EXPECT_EQ(MakeStems("ПОСТАНОВЛЕНИЕ"_cp), Values({ "ПОСТАНОВЛЕН"_cp }));
    EXPECT_EQ(MakeStems("МИНИСТЕРСТВО ФИНАНСОВ"_cp), Values({ "МИНИСТЕРСТ"_cp, "ФИНАНС"_cp }));
    EXPECT_EQ(MakeStems("ПРАВИЛА"_cp), Values({ "ПРАВИЛ"_cp }));
    EXPECT_EQ(MakeStems("ПРАВИЛО"_cp), Values({ "ПРАВИ"_cp }));
    EXPECT_EQ(MakeStems("ПОСТ."_cp), Values({ "ПОС"_cp }));
    EXPECT_EQ(MakeStems("  ЗА  ВСЕХ УКАЗ"_cp), Values({ "ЗА"_cp, "ВСЕ"_cp, "УКА"_cp }));
}

TEST(PhraseMatch, ValuesFoundInRunningText)
{
    const auto types = BuildPhrases(Dict({ { "ПОСТАНОВЛЕНИЕ"_cp, {} }, { "ПРИКАЗ"_cp, {} }, { "ПРАВИЛА"_cp, {} },
        { "ПОСТАНОВЛЕНИЕ ПРАВИТЕЛЬСТВА"_cp, { "ПОСТ."_cp } } }));
    // A synonym reports its record's value; the phrases are tried from the last (longest) to the
    // first at each word, and every match counts.
    EXPECT_EQ(FindValues("согласно Постановлению от"_cp, types),
        Values({ "ПОСТАНОВЛЕНИЕ ПРАВИТЕЛЬСТВА"_cp, "ПОСТАНОВЛЕНИЕ"_cp }));
    EXPECT_EQ(FindValues("Постановлением Правительства"_cp, types),
        Values({ "ПОСТАНОВЛЕНИЕ ПРАВИТЕЛЬСТВА"_cp, "ПОСТАНОВЛЕНИЕ ПРАВИТЕЛЬСТВА"_cp, "ПОСТАНОВЛЕНИЕ"_cp }));
    EXPECT_EQ(FindValues("в (Приказе и \"Приказ"_cp, types), Values({ "ПРИКАЗ"_cp, "ПРИКАЗ"_cp }));
    EXPECT_EQ(FindValues("ПРАВИЛ"_cp, types), Values({ "ПРАВИЛА"_cp }));
    EXPECT_TRUE(FindValues("ПРАВ ПРИ ПОДПОСТ"_cp, types).empty());

    const auto bodies = BuildPhrases(Dict({ { "МИНИСТЕРСТВО ФИНАНСОВ"_cp, {} }, { "министерство"_cp, {} } }));
    EXPECT_EQ(FindValues("министерства финансов РФ"_cp, bodies), Values({ "МИНИСТЕРСТВО ФИНАНСОВ"_cp }));
    EXPECT_TRUE(FindValues("министерства и финансов"_cp, bodies).empty());
    // The phrase must fit in the words left.
    EXPECT_TRUE(FindValues("министерства"_cp, bodies).empty());
}

TEST(PhraseMatch, PhrasesOrderedByWordCountAndEmptyTextsLeftOut)
{
    const auto phrases = BuildPhrases(Dict({ { "А Б В"_cp, { "Г Д"_cp, ""_cp, "   "_cp } }, { "ЕЁ"_cp, {} } }));
    ASSERT_EQ(phrases.size(), 3u);
    EXPECT_EQ(phrases[0].text, S("ЕЁ"_cp));
    EXPECT_EQ(phrases[1].text, S("Г Д"_cp));
    EXPECT_EQ(phrases[1].value, S("А Б В"_cp));
    EXPECT_EQ(phrases[2].stems.size(), 3u);
    // Without them every word of every line would report "А Б В".
    EXPECT_TRUE(FindValues("что угодно"_cp, phrases).empty());
}

TEST(PhraseMatch, CleanNumberDropsTrailingPunctuation)
{
    EXPECT_EQ(CleanNumber("123,"), "123");
    EXPECT_EQ(CleanNumber("123),"), "123");
    EXPECT_EQ(CleanNumber("(123),"), "(123)");
    EXPECT_EQ(CleanNumber("45\"."), "45");
    EXPECT_EQ(CleanNumber("\"45\"."), "\"45\"");
    EXPECT_EQ(CleanNumber("12,."), "12");
    EXPECT_EQ(CleanNumber("<5>;:]"), "<5>");
    EXPECT_EQ(CleanNumber("5>"), "5");
    EXPECT_EQ(CleanNumber(" 12-фз. "_cp), S("12-ФЗ"_cp));
    EXPECT_EQ(CleanNumber(".,;"), "");
    EXPECT_EQ(CleanNumber("\""), "");
}

TEST(PhraseMatch, MatchingByFirstLetterFindsWhatTryingEveryPhraseFinds)
{
    // Few letters, so that words and stems share beginnings; quotes and brackets that leave empty
    // words; phrases built by hand too, with empty stems no dictionary would give.
    std::mt19937 rng(7);
    const auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    const char letters[] = { 'A', 'B', 'C', '\xC0', '\xC1', '"', '(' };
    const auto word = [&] {
        std::string w;
        for (int n = pick(7); n > 0; --n)
            w += letters[pick(7)];
        return w;
    };
    std::size_t matches = 0;
    for (int trial = 0; trial < 400; ++trial) {
        CRecvDict dict;
        for (int r = pick(12); r > 0; --r) {
            std::vector<std::string> synonyms;
            for (int k = pick(3); k > 0; --k)
                synonyms.push_back(word() + (pick(2) ? " " + word() : ""));
            dict.records.emplace_back(word() + (pick(3) == 0 ? " " + word() : ""), synonyms);
        }
        std::vector<CPhrase> phrases = BuildPhrases(dict).Phrases();
        if (pick(4) == 0)
            phrases.push_back({ "EMPTY", "", { "", word() } });
        if (pick(8) == 0)
            phrases.push_back({ "NONE", "", {} });
        const CPhraseSet set(phrases);
        for (int t = 0; t < 20; ++t) {
            std::string text;
            for (int n = pick(12); n > 0; --n)
                text += word() + " ";
            const std::vector<std::string> words = SplitMatchWords(text);
            const std::vector<std::string> expected = FindValuesByTryingAll(words, phrases);
            ASSERT_EQ(FindValuesInWords(words, set), expected) << "trial " << trial << ": " << text;
            matches += expected.size();
        }
    }
    EXPECT_GT(matches, 1000u);
}

TEST(PhraseMatch, BytePairsPassEveryStringTheLineHolds)
{
    // Lines after lines of random bytes from a small alphabet: whatever occurs must pass, and
    // most of what does not occur must not, or the filter would be no use.
    std::mt19937 rng(11);
    const auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    const char alphabet[] = { 'A', 'B', 'C', 'D', '\xC0', '\xFF', '\x01', ' ' };
    const auto text = [&](int longest) {
        std::string s;
        for (int n = pick(longest + 1); n > 0; --n)
            s += alphabet[pick(8)];
        return s;
    };
    CBytePairs pairs;
    int ruledOut = 0;
    int absent = 0;
    for (int trial = 0; trial < 3000; ++trial) {
        const std::string line = text(trial % 3 == 0 ? 3 : 40);
        pairs.Reset(line);
        for (int k = 0; k < 20; ++k) {
            const std::string probe = k % 4 == 0 && !line.empty()
                ? line.substr(static_cast<std::size_t>(pick(static_cast<int>(line.size()))), 1 + pick(5))
                : text(6);
            const bool occurs = line.find(probe) != std::string::npos;
            ASSERT_TRUE(!occurs || pairs.MayContain(probe)) << "line '" << line << "', probe '" << probe << "'";
            absent += !occurs;
            ruledOut += !occurs && !pairs.MayContain(probe);
        }
    }
    EXPECT_GT(ruledOut, absent / 2);
}
