#pragma once

// The reference maker of the local base: the local documents with their names, and the local
// types and bodies with their synonyms.

#include <memory>

#include "core/ref_maker.h"
#include "local/inner_doc_dict.h"
#include "storage/recv_dict.h"

inline constexpr const char* kLocalDictionariesFile = "Telvarion.dlc";
inline constexpr const char* kLocalDocumentsFile = "Telvarion.loc";
inline constexpr const char* kLocalNamesFile = "Telvarion.tlc";

// The dictionaries of the local base.
struct CInnerDictionaries {
    CInnerDocDict documents;
    CRecvDict types;
    CRecvDict bodies;
};

class CInnerRefMaker : public CRefMaker {
    // Its own dictionaries; none when it reads another maker's.
    std::unique_ptr<CInnerDictionaries> m_own;

public:
    explicit CInnerRefMaker(CUserInterface& ui);
    // A maker over the dictionaries of another, which outlives it: one thread of a batch
    // analysis. It only reads them, as every other maker over them does meanwhile.
    CInnerRefMaker(CUserInterface& ui, CInnerRefMaker& shared);

    CInnerDocDict& documents;
    CRecvDict& types;
    CRecvDict& bodies;

    bool EditTypes() { return EditDictionary(types, "Словарь видов документов", "Виды документов"); }
    bool EditBodies() { return EditDictionary(bodies, "Словарь принявших органов", "Принявшие органы"); }

    // Existing intra-base tags, and lines that look like references: quotes, " N ", month names,
    // document types.
    void ScanLines(const std::vector<std::string>& texts, std::vector<CLineRecord>& records) override;
protected:
    const Traits& GetTraits() const override;
    // Intra-base tags: every tag goes through the tag parameters dialog, several candidates through
    // the candidates dialog first.
    std::string CertainTag(const CDocRecvisits& doc) const override;
    void PlaceTags(CLinePlacement& p, const std::vector<CDocRecvisits>& candidates, std::size_t start,
        const COleDate& effective) override;
    bool PrecedingTag(const std::vector<std::string>& texts, const std::vector<CLineRecord>& records, std::size_t start,
        std::size_t i, std::int32_t& number) const override;
    const CRecvDict& TypeDictionary() const override { return types; }
    const CRecvDict& BodyDictionary() const override { return bodies; }
    // Asks the tag parameters for the document and places the tag on "Да"; the answer.
    int ProposeTag(CLinePlacement& p, const CDocRecvisits& doc);
    // Telvarion.dlc: types, bodies.
    void SerializeDictionaries(CArchive& ar) override;
    CDocDict& Documents() override { return documents; }
};
