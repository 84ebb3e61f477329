#pragma once

// The notepad: the editor's short list of Orvo documents to link to often. Each entry keeps the
// requisites the document had when it was added.

#include <cstdint>
#include <vector>

#include "requisites/doc_recvisits.h"

class CArchive;
class COrvoDict;
class CUserInterface;

class COrvoLinkDict {
public:
    std::vector<CDocRecvisits> entries; // no two with the same number in base

    // The count, then each entry's requisites.
    void Serialize(CArchive& ar);

    // Looks the number up in the documents dictionary and, when the person agrees, appends it.
    bool AddDocument(CUserInterface& ui, COrvoDict& documents, std::int32_t number);
    void Swap(std::size_t a, std::size_t b);
    bool Contains(std::int32_t number) const;
};
