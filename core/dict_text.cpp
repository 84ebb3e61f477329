#include "core/dict_text.h"

#include "base/codepage.h"
#include "base/phrase_match.h"

namespace {

std::string_view Trim(std::string_view s)
{
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; };
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// The meaningful lines, each trimmed, in code page 1251.
std::vector<std::string> EntryLines(std::string_view utf8)
{
    if (utf8.starts_with("\xEF\xBB\xBF"))
        utf8.remove_prefix(3);
    std::vector<std::string> lines;
    while (!utf8.empty()) {
        const std::size_t end = utf8.find('\n');
        const std::string_view line = Trim(utf8.substr(0, end));
        utf8.remove_prefix(end == std::string_view::npos ? utf8.size() : end + 1);
        if (line.empty() || line.front() == '#')
            continue;
        lines.push_back(codepage::Utf8ToCp1251(line));
    }
    return lines;
}

} // namespace

std::vector<std::string> ParseKeywordText(std::string_view utf8)
{
    std::vector<std::string> keywords;
    for (const auto& line : EntryLines(utf8)) {
        std::string k = NormalizeText(line);
        if (!k.empty())
            keywords.push_back(std::move(k));
    }
    return keywords;
}

CRecvDict ParseRecvDictText(std::string_view utf8)
{
    CRecvDict dict;
    for (const auto& line : EntryLines(utf8)) {
        std::vector<std::string> parts;
        std::string_view rest = line;
        for (;;) {
            const std::size_t semi = rest.find(';');
            parts.push_back(NormalizeText(Trim(rest.substr(0, semi))));
            if (semi == std::string_view::npos)
                break;
            rest.remove_prefix(semi + 1);
        }
        if (parts.front().empty())
            continue; // synonyms without a value to report
        CRecvRec rec;
        rec.value = parts.front();
        for (std::size_t i = 1; i < parts.size(); ++i)
            if (!parts[i].empty())
                rec.synonyms.push_back(parts[i]);
        dict.records.push_back(std::move(rec));
    }
    return dict;
}

std::string FormatRecvRec(const CRecvRec& rec)
{
    std::string s = rec.value;
    for (const auto& syn : rec.synonyms) {
        s += "; ";
        s += syn;
    }
    return s;
}
