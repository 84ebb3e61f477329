#pragma once

// Requisite value dictionaries: document types and adopting bodies of a base, each value with
// any number of synonyms, all recognised as that value.

#include <string>
#include <vector>

class CArchive;
class CUserInterface;

class CRecvRec {
public:
    std::string value;                 // the canonical text a recognition reports
    std::vector<std::string> synonyms; // other texts recognised as the value

    CRecvRec() = default;
    CRecvRec(std::string value, std::vector<std::string> synonyms);
    // A copy always has its synonyms in byte order; the original keeps its own order.
    CRecvRec(const CRecvRec& other);
    CRecvRec& operator=(const CRecvRec& other);
    CRecvRec(CRecvRec&&) noexcept = default;
    CRecvRec& operator=(CRecvRec&&) noexcept = default;

    // The value, then the synonyms as a list of strings.
    void Serialize(CArchive& ar);
    void SortSynonyms();
};

class CRecvDict {
public:
    std::vector<CRecvRec> records; // in the user's order; the system never reorders values

    // The record count, then each record.
    void Serialize(CArchive& ar);

    // The dictionary dialog on a copy; the copy replaces the dictionary when the dialog ends with
    // OK after a change. True exactly then.
    bool Edit(CUserInterface& ui, const std::string& caption, const std::string& column);
};
