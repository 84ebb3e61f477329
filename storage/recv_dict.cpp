#include "storage/recv_dict.h"

#include <algorithm>

#include "seam/user_interface.h"
#include "storage/archive.h"

CRecvRec::CRecvRec(std::string value, std::vector<std::string> synonyms)
    : value(std::move(value))
    , synonyms(std::move(synonyms))
{
}

CRecvRec::CRecvRec(const CRecvRec& other)
    : value(other.value)
    , synonyms(other.synonyms)
{
    SortSynonyms();
}

CRecvRec& CRecvRec::operator=(const CRecvRec& other)
{
    if (this != &other) {
        value = other.value;
        synonyms = other.synonyms;
        SortSynonyms();
    }
    return *this;
}

void CRecvRec::SortSynonyms() { std::sort(synonyms.begin(), synonyms.end()); }

void CRecvRec::Serialize(CArchive& ar)
{
    ar.Io(value);
    ar.Io(synonyms);
}

void CRecvDict::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteUInt(static_cast<std::uint32_t>(records.size()));
        for (auto& r : records)
            r.Serialize(ar);
        return;
    }
    // A record takes at least its value's length byte and its synonym count.
    const std::uint32_t count = ar.ReadCount(5);
    records.clear();
    records.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        records.emplace_back();
        records.back().Serialize(ar);
    }
}

bool CRecvDict::Edit(CUserInterface& ui, const std::string& caption, const std::string& column)
{
    CRecvDict working = *this;
    if (!ui.EditRecvDict(caption, column, working))
        return false;
    *this = std::move(working);
    return true;
}
