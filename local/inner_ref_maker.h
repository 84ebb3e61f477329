#pragma once

// The reference maker of the local base: the local documents with their names, and the local
// types and bodies with their synonyms.

#include <string>

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

    // Telvarion.dlc, then Telvarion.loc, then the names file (created empty when missing). A file
    // that cannot be read does not stop the others from loading.
    bool LoadFiles(const std::string& folder) override;
    void SaveFiles(const std::string& folder) override;

    bool LoadDictionaries(const std::string& folder);
    bool LoadDocuments(const std::string& folder);
    bool SaveDictionaries(const std::string& folder);
    bool SaveDocuments(const std::string& folder);

    bool EditTypes();
    bool EditBodies();
    bool ImportDocuments();
};
