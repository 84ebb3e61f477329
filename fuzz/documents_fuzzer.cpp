// Telvarion.orv and Telvarion.loc: the documents of a base, their requisites as ids of three
// indexes. Every record is expanded the way the dialogs show it, ids that point nowhere included.

#include <memory>

#include "fuzz/fuzz_support.h"
#include "storage/archive.h"
#include "storage/doc_dict.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::RoundTripped(
        data, size, [] { return std::make_unique<CDocDict>(); },
        [](CDocDict& dict, CArchive& ar) {
            dict.Serialize(ar);
            if (ar.IsLoading()) {
                CDocRecvisits found;
                for (const auto& rec : dict.records) {
                    const CDocRecvisits r = dict.ToRecvisits(rec);
                    fuzz::Check(r.types.size() <= rec.typeIds.size(), "a type that no id names");
                    fuzz::Check(r.name.empty(), "a title without a titles file");
                }
                if (!dict.records.empty())
                    fuzz::Check(dict.FindByNumber(dict.records.back().nBaseNumber, found), "a stored number not found");
            }
        });
    return 0;
}
