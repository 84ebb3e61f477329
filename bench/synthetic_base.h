#pragma once

// Synthetic bases and documents of realistic shape for the benchmarks, the same for a given
// seed on every machine: 30 document types, 500 adopting bodies, numbers like "123-ФЗ", adoption
// dates over 1990-2025, titles of 100-300 bytes. Every text is code page 1251, upper case where
// the dictionaries keep it so.

#include <cstdint>
#include <string>
#include <vector>

#include "storage/doc_dict.h"

class CRecvDict;
class CStringDict;

// A small, fast generator (splitmix64): a stream per record costs nothing to start.
class CRandom {
public:
    using result_type = std::uint32_t;
    explicit CRandom(std::uint64_t seed)
        : m_state(seed)
    {
    }
    static constexpr result_type min() { return 0; }
    static constexpr result_type max() { return 0xFFFFFFFFu; }
    result_type operator()()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return static_cast<result_type>((z ^ (z >> 31)) >> 32);
    }

private:
    std::uint64_t m_state;
};

class CSyntheticBase {
public:
    // The vocabulary (types, bodies, number suffixes) is the same for every seed, so that two
    // bases made with different seeds speak of the same kinds of documents.
    explicit CSyntheticBase(std::uint32_t seed);

    const std::vector<std::string>& TypeNames() const { return m_types; }
    const std::vector<std::string>& BodyNames() const { return m_bodies; }

    // Record i of the base (the same for the same seed and i), its title not yet placed.
    CDocRec Record(std::size_t i, std::string* title = nullptr);
    // Fills the dictionary with count records and its three indexes; the titles are laid one
    // after the other in a file of that size (a sparse one: its bytes are never looked at).
    void FillDictionary(CDocDict& dict, std::size_t count, const std::string& titlesPath);
    // The same records as a list file for the import, in code page 1251.
    std::string ListFile(std::size_t count);
    // The requisite dictionaries of a maker: every type and body, and the keywords of the Orvo
    // analysis (the types' first words).
    void FillRecvDicts(CRecvDict& types, CRecvDict& bodies) const;
    void FillKeywords(CStringDict& keywords) const;

    // A document's text lines: lines of plain prose, every step-th of them a citation of a
    // record of the base (of its first baseSize records), written as a person writes it.
    std::vector<std::string> DocumentLines(std::size_t lines, std::size_t suspicious, std::size_t baseSize);
    // The header of an *.rla file, up to and including the "$18" line, in code page 1251.
    std::vector<std::string> RlaHeader() const;

private:
    struct Parts {
        std::size_t type;
        std::size_t body;
        std::string number;
        int year, month, day;
        bool edition;
        int editionYear;
    };
    Parts PartsOf(std::size_t i) const;
    static std::string Word(CRandom& rng);
    std::string Title(std::size_t i) const;

    std::uint32_t m_seed;
    std::vector<std::string> m_types;
    std::vector<std::string> m_bodies;
    std::vector<std::string> m_suffixes;
    CRandom m_rng;
};

// Peak and current resident size of this process in bytes, 0 where the system does not say.
std::size_t PeakResidentBytes();
std::size_t ResidentBytes();
