// Telvarion.dov (keywords, Orvo types and bodies) and Telvarion.dlc (local types and bodies): the
// first byte picks the file, the rest is its content.

#include <memory>

#include "base/phrase_match.h"
#include "fuzz/fuzz_support.h"
#include "local/inner_ref_maker.h"
#include "orvo/orvo_ref_maker.h"

namespace {

CFuzzUi g_ui;

struct COrvoFiles : COrvoRefMaker {
    COrvoFiles()
        : COrvoRefMaker(g_ui)
    {
    }
    using COrvoRefMaker::SerializeDictionaries;
};

struct CLocalFiles : CInnerRefMaker {
    CLocalFiles()
        : CInnerRefMaker(g_ui)
    {
    }
    using CInnerRefMaker::SerializeDictionaries;
};

// Whatever was loaded is used the way the analyses use it.
void UsePhrases(const CRecvDict& dict)
{
    const auto phrases = BuildPhrases(dict);
    for (const auto& rec : dict.records)
        FindValues(rec.value, phrases);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    if (data[0] & 1) {
        fuzz::RoundTripped(
            data + 1, size - 1, [] { return std::make_unique<CLocalFiles>(); },
            [](CLocalFiles& maker, CArchive& ar) {
                maker.SerializeDictionaries(ar);
                UsePhrases(maker.types);
                UsePhrases(maker.bodies);
            });
    } else {
        fuzz::RoundTripped(
            data + 1, size - 1, [] { return std::make_unique<COrvoFiles>(); },
            [](COrvoFiles& maker, CArchive& ar) {
                maker.SerializeDictionaries(ar);
                UsePhrases(maker.types);
                UsePhrases(maker.bodies);
            });
    }
    return 0;
}
