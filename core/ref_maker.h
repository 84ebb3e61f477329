#pragma once

// The base of the two reference makers: each owns the dictionaries of its base, loads and stores
// them in its service files, and keeps the statistics of the document opened last. Both bases
// keep their files alike: one archive of requisite dictionaries, one archive of documents and the
// flat file of their titles; the base does that work once for both.

#include <cstdint>
#include <string>

class CArchive;
class CDocDict;
class CRecvDict;
class CUserInterface;

class CRefMaker {
public:
    // The names of a maker's files and the messages that belong to them.
    struct ServiceFiles {
        const char* dictionaries;      // the requisite dictionaries (and keywords)
        const char* documents;         // the documents dictionary
        const char* titles;            // the flat file of titles (names)
        const char* titlesCreateError; // shown when the titles file can be neither opened nor created
        const char* documentsSaveError;
    };

    CRefMaker(CUserInterface& ui, const ServiceFiles& files)
        : m_ui(ui)
        , m_files(files)
    {
    }
    virtual ~CRefMaker() = default;
    CRefMaker(const CRefMaker&) = delete;
    CRefMaker& operator=(const CRefMaker&) = delete;

    std::int32_t nExistingTags = 0;
    std::int32_t nPlacedTags = 0;
    std::int32_t nSuspiciousLines = 0;
    // The dictionaries differ from the service files. Set at first, so a maker whose files could
    // not be loaded writes them at its first save.
    std::int32_t bModified = 1;

    // The dictionaries file, then the documents file, then the titles file (created empty when
    // missing). A file that cannot be read does not stop the others from loading; false when any
    // could not be read, silently. The save that follows writes only the files that failed or
    // were missing, so a sound file never gives way to an empty dictionary.
    virtual bool LoadFiles(const std::string& folder);
    // The archives, when modified; a failure is reported and the flag cleared all the same.
    virtual void SaveFiles(const std::string& folder);
    // What changed, so that the next SaveFiles writes it.
    void MarkDictionariesModified() { bModified = 1; m_dictionariesDirty = true; }
    void MarkDocumentsModified() { bModified = 1; m_documentsDirty = true; }

    // The parts of the above, for tools that change one file only.
    bool LoadDictionaries(const std::string& folder);
    bool LoadDocuments(const std::string& folder);
    bool SaveDictionaries(const std::string& folder);
    bool SaveDocuments(const std::string& folder);

    // Fills the documents dictionary from a list file; sets bModified when it did.
    bool ImportDocuments();

    void ResetCounters(bool full)
    {
        nExistingTags = 0;
        nPlacedTags = 0;
        if (full)
            nSuspiciousLines = 0;
    }

    CUserInterface& Ui() const { return m_ui; }
    const ServiceFiles& Files() const { return m_files; }

protected:
    // The requisite dictionaries in their file order.
    virtual void SerializeDictionaries(CArchive& ar) = 0;
    virtual CDocDict& Documents() = 0;
    // The value dictionary dialog; sets bModified on a change.
    bool EditDictionary(CRecvDict& dict, const char* caption, const char* column);

    CUserInterface& m_ui;

private:
    ServiceFiles m_files;
    // Which archives differ from their files; both at first, like bModified.
    bool m_dictionariesDirty = true;
    bool m_documentsDirty = true;
};
