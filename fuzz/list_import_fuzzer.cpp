// The list-file import of both bases: the first byte picks the code page (866 or 1251), the rest
// is the list file. Every record imported must point at its own title in the titles file (in
// order, never overlapping), its ids must name texts of the indexes, and the dictionary must store
// and load unchanged.

#include <memory>

#include "fuzz/fuzz_support.h"
#include "storage/archive.h"
#include "storage/doc_dict.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    CFuzzUi ui;
    const bool dos = data[0] & 1;
    const std::string list
        = fuzz::WriteScratch("list.txt", std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
    CDocDict dict;
    dict.SetUserInterface(&ui);
    fuzz::Check(dict.OpenOrCreateTextFile(fuzz::ScratchFolder() + "/titles"), "no titles file");
    fuzz::Check(dict.ImportListFile(ui, list, dos), "an import of a readable file failed");

    std::uint64_t end = 0;
    std::string text;
    for (const auto& rec : dict.records) {
        // Broken records leave their titles in the file too, so there may be gaps, never overlaps.
        fuzz::Check(rec.nTitlePos >= end, "titles of two records overlap");
        end = rec.nTitlePos + static_cast<std::uint64_t>(rec.nTitleLen);
        const CDocRecvisits r = dict.ToRecvisits(rec);
        fuzz::Check(r.name.size() == static_cast<std::size_t>(rec.nTitleLen), "a title that cannot be read back");
        for (std::int32_t id : rec.typeIds)
            fuzz::Check(dict.types.FindName(id, text), "a type id the index does not hold");
        for (std::int32_t id : rec.bodyIds)
            fuzz::Check(dict.bodies.FindName(id, text), "a body id the index does not hold");
        for (std::int32_t id : rec.numberIds)
            fuzz::Check(dict.numbers.FindName(id, text), "a number id the index does not hold");
    }

    CArchive out = CArchive::StoreMemory();
    dict.Serialize(out);
    const std::string stored = out.Bytes();
    CDocDict loaded;
    CArchive in = CArchive::LoadBytes(stored);
    loaded.Serialize(in);
    CArchive again = CArchive::StoreMemory();
    loaded.Serialize(again);
    fuzz::Check(again.Bytes() == stored, "an imported dictionary does not load as it was stored");
    return 0;
}
