#pragma once

// The reference maker of the Orvo base: the keywords that make a line suspicious, the Orvo
// documents, and the Orvo types and bodies with their synonyms.

#include <string>

#include "core/ref_maker.h"
#include "orvo/orvo_dict.h"
#include "storage/recv_dict.h"
#include "storage/string_dict.h"

inline constexpr const char* kOrvoDictionariesFile = "Telvarion.dov";
inline constexpr const char* kOrvoDocumentsFile = "Telvarion.orv";
inline constexpr const char* kOrvoTitlesFile = "Telvarion.ttl";

class COrvoRefMaker : public CRefMaker {
public:
    explicit COrvoRefMaker(CUserInterface& ui);

    CStringDict keywords;
    COrvoDict documents;
    CRecvDict types;
    CRecvDict bodies;

    // Telvarion.dov, then Telvarion.orv, then the titles file (created empty when missing). A
    // file that cannot be read does not stop the others from loading.
    bool LoadFiles(const std::string& folder) override;
    void SaveFiles(const std::string& folder) override;

    // The parts of the above, for tools that change one file only.
    bool LoadDictionaries(const std::string& folder);
    bool LoadDocuments(const std::string& folder);
    bool SaveDictionaries(const std::string& folder);
    bool SaveDocuments(const std::string& folder);

    // Dictionary commands; each sets bModified when the dictionary changed.
    bool EditKeywords();
    bool EditTypes();
    bool EditBodies();
    // Fills the documents dictionary from a list file.
    bool ImportDocuments();
};
