#pragma once

// The reference maker of the Orvo base: the keywords that make a line suspicious, the Orvo
// documents, and the Orvo types and bodies with their synonyms.

#include <memory>

#include "core/ref_maker.h"
#include "orvo/orvo_dict.h"
#include "storage/recv_dict.h"
#include "storage/string_dict.h"

inline constexpr const char* kOrvoDictionariesFile = "Telvarion.dov";
inline constexpr const char* kOrvoDocumentsFile = "Telvarion.orv";
inline constexpr const char* kOrvoTitlesFile = "Telvarion.ttl";

// The dictionaries of the Orvo base.
struct COrvoDictionaries {
    CStringDict keywords;
    COrvoDict documents;
    CRecvDict types;
    CRecvDict bodies;
};

class COrvoRefMaker : public CRefMaker {
    // Its own dictionaries; none when it reads another maker's.
    std::unique_ptr<COrvoDictionaries> m_own;

public:
    explicit COrvoRefMaker(CUserInterface& ui);
    // A maker over the dictionaries of another, which outlives it: one thread of a batch
    // analysis. It only reads them, as every other maker over them does meanwhile.
    COrvoRefMaker(CUserInterface& ui, COrvoRefMaker& shared);

    CStringDict& keywords;
    COrvoDict& documents;
    CRecvDict& types;
    CRecvDict& bodies;

    // Dictionary commands; each sets bModified when its dictionary changed.
    bool EditKeywords();
    bool EditTypes() { return EditDictionary(types, "Словарь видов документов Орво", "Виды документов"); }
    bool EditBodies() { return EditDictionary(bodies, "Словарь принявших органов Орво", "Принявшие органы"); }

    // Existing inter-base tags and the lines that hold a keyword.
    void ScanLines(const std::vector<std::string>& texts, std::vector<CLineRecord>& records) override;
protected:
    const Traits& GetTraits() const override;
    // Inter-base tags: by itself when one document fits, after the candidates dialog when several
    // do, and without a dialog for a line that names what an earlier tagged line named.
    std::string CertainTag(const CDocRecvisits& doc) const override;
    void PlaceTags(CLinePlacement& p, const std::vector<CDocRecvisits>& candidates, std::size_t start,
        const COleDate& effective) override;
    bool PrecedingTag(const std::vector<std::string>& texts, const std::vector<CLineRecord>& records, std::size_t start,
        std::size_t i, std::int32_t& number) const override;
    const CRecvDict& TypeDictionary() const override { return types; }
    const CRecvDict& BodyDictionary() const override { return bodies; }
    // Telvarion.dov: keywords, types, bodies.
    void SerializeDictionaries(CArchive& ar) override;
    CDocDict& Documents() override { return documents; }
};
