#pragma once

// The Orvo documents dictionary: the documents of the second base, their requisites as ids, and
// their titles in Telvarion.ttl.

#include "storage/doc_dict.h"

using COrvoRec = CDocRec;

class COrvoDict : public CDocDict {
public:
    bool OpenTitles(const std::string& path) { return OpenTextFile(path); }
    std::string GetTitle(std::uint64_t pos, std::int32_t len) { return GetText(pos, len); }

    CDocRecvisits GetRequisites(const COrvoRec& rec) { return ToRecvisits(rec); }
    CDocRecvisits GetRequisitesAt(std::size_t index) { return ToRecvisits(index); }
    bool FindByBaseNumber(std::int32_t number, CDocRecvisits& out) { return FindByNumber(number, out); }

    // Ids of the texts the index knows, appended to ids in the order of the texts.
    void TypesToIds(const std::vector<std::string>& texts, std::vector<std::int32_t>& ids) const
    {
        AppendIds(texts, types, ids);
    }
    void BodiesToIds(const std::vector<std::string>& texts, std::vector<std::int32_t>& ids) const
    {
        AppendIds(texts, bodies, ids);
    }
    void NumbersToIds(const std::vector<std::string>& texts, std::vector<std::int32_t>& ids) const
    {
        AppendIds(texts, numbers, ids);
    }
};
