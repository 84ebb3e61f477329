#pragma once

// The local documents dictionary: the documents of the base the processed texts belong to, their
// requisites as ids, and their names in Telvarion.tlc.

#include "storage/doc_dict.h"

using CInnerDocRec = CDocRec;

class CInnerDocDict : public CDocDict {
public:
    enum class Index { Types, Bodies, Numbers };

    bool OpenNamesFile(const std::string& path) { return OpenTextFile(path); }
    std::string GetName(std::uint64_t pos, std::int32_t len) { return GetText(pos, len); }

    // Ids of the texts the chosen index holds, in the order of the texts.
    std::vector<std::int32_t> IdsOf(const std::vector<std::string>& texts, Index which) const
    {
        std::vector<std::int32_t> ids;
        AppendIds(texts, which == Index::Types ? types : which == Index::Bodies ? bodies : numbers, ids);
        return ids;
    }
};
