#pragma once

// The documents of a base, as both bases keep them: one compact record per document with its
// types, bodies and numbers as ids of three index dictionaries, its dates, and the position of its
// title in a flat text file beside the archive. The Orvo base calls the text its title and keeps
// it in Telvarion.ttl; the local base calls it the name and keeps it in Telvarion.tlc. Both are
// filled from a list file by the same import.

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "requisites/doc_recvisits.h"
#include "base/ole_date.h"
#include "storage/doc_records.h"
#include "storage/index_dict.h"

class CArchive;
class CServiceFileGuard;
class CUserInterface;

class CDocDict {
public:
    CDocRecords records;
    CIndexDict types;
    CIndexDict bodies;
    CIndexDict numbers;

    CDocDict() = default;
    virtual ~CDocDict();
    CDocDict(const CDocDict&) = delete;
    CDocDict& operator=(const CDocDict&) = delete;

    // Where messages about titles go; none: they stay silent.
    void SetUserInterface(CUserInterface* ui) { m_ui = ui; }

    // The record count, the records, then the types, bodies and numbers indexes. Loading empties
    // everything first.
    void Serialize(CArchive& ar);
    // Empties the records and the indexes.
    void Clear();

    // The archive the dictionary is stored in, beside its text file: an import replaces the two
    // together (storage/doc_pair.h), at once. With a guard, an archive another program changed
    // is replaced only when the person agrees. None: the dictionary is stored in no archive, and
    // an import replaces its text file alone.
    void SetArchive(const std::string& path, CServiceFileGuard* guard);
    bool HasArchive() const { return !m_archivePath.empty(); }

    // Opens the existing text file for reading and writing; false when it cannot be opened. The
    // path is remembered either way.
    bool OpenTextFile(const std::string& path);
    // The same, but a missing file is created empty and opened at once, so that titles and imports
    // work in the same run. False when it can be neither opened nor created.
    bool OpenOrCreateTextFile(const std::string& path);
    void CloseTextFile();
    bool IsTextFileOpen() const { return m_textFile != nullptr; }
    const std::string& TextFilePath() const { return m_textPath; }

    // The text at a position of the text file. A failure says "Ошибка получения названия
    // документа" once, and then stays silent until the file is opened again.
    std::string GetText(std::uint64_t pos, std::int32_t len);
    // Whether every record's text lies within the open text file; true when none is open or it is
    // empty (the titles were lost, not replaced).
    bool TextsWithinTextFile();

    CDocRecvisits ToRecvisits(const CDocRec& rec);
    CDocRecvisits ToRecvisits(std::size_t row);
    // The first record with the number, expanded; false (out untouched) when there is none.
    bool FindByNumber(std::int32_t number, CDocRecvisits& out);
    // Ids of the texts the index holds, in the order of the texts; unknown texts are left out.
    static void AppendIds(const std::vector<std::string>& texts, const CIndexDict& index, std::vector<std::int32_t>& ids);

    // The list-file import: asks for the file and its code page, then imports it. True when a
    // file was imported whole; the dictionary then holds the new records, and the text file and
    // the archive are replaced together. False when the dialog was cancelled, the person stopped
    // the import ("Загрузка прервана: словарь не изменён"), or a file could not be read or
    // written; then nothing has changed, in memory or on disk.
    bool ImportList(CUserInterface& ui);
    // The same without the file dialog; dos: the file is in code page 866, else 1251.
    bool ImportListFile(CUserInterface& ui, const std::string& path, bool dos);

    // Reads one record of a list file (its lines trimmed and upper-cased) into rec: ids from the
    // given indexes (texts added as needed), the title appended to titles at the given offset.
    // True when the record is complete.
    static bool ParseListRecord(const std::vector<std::string>& lines, CDocRec& rec, CIndexDict& typeIndex,
        CIndexDict& bodyIndex, CIndexDict& numberIndex, std::uint64_t titleOffset, std::string& titles);

private:
    // Writes the new archive beside the old one and replaces the pair; the dictionary takes the
    // fresh records once the pair is in place.
    bool CommitImport(CUserInterface& ui, CDocDict& fresh);

    CUserInterface* m_ui = nullptr;
    std::string m_archivePath;
    CServiceFileGuard* m_guard = nullptr;
    // Reads the text file from pos, at least count bytes and as many as a block holds, into the
    // block; false when the file does not hold count bytes there.
    bool ReadTextBlock(std::uint64_t pos, std::uint64_t count);

    std::FILE* m_textFile = nullptr;
    std::string m_textPath;
    bool m_textErrorShown = false;
    // The last block read from the text file: a search reads titles in file order, one after
    // another, and is served from it instead of seeking and reading for every title.
    std::string m_textBlock;
    std::uint64_t m_textBlockPos = 0;
    std::mutex m_textMutex;
};
