#pragma once

// The reference maker of the local base: the local documents with their names, and the local
// types and bodies with their synonyms.

#include "core/ref_maker.h"
#include "local/inner_doc_dict.h"
#include "storage/recv_dict.h"

inline constexpr const char* kLocalDictionariesFile = "Telvarion.dlc";
inline constexpr const char* kLocalDocumentsFile = "Telvarion.loc";
inline constexpr const char* kLocalNamesFile = "Telvarion.tlc";

class CInnerRefMaker : public CRefMaker {
public:
    explicit CInnerRefMaker(CUserInterface& ui);

    CInnerDocDict documents;
    CRecvDict types;
    CRecvDict bodies;

    bool EditTypes() { return EditDictionary(types, "Словарь видов документов", "Виды документов"); }
    bool EditBodies() { return EditDictionary(bodies, "Словарь принявших органов", "Принявшие органы"); }

protected:
    // Telvarion.dlc: types, bodies.
    void SerializeDictionaries(CArchive& ar) override;
    CDocDict& Documents() override { return documents; }
};
