// Telvarion.dat: the notepad, the font, the hot documents and the folders.

#include <memory>

#include "document/doc_settings.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::RoundTripped(
        data, size, [] { return std::make_unique<CDocSettings>(); },
        [](CDocSettings& settings, CArchive& ar) { settings.Serialize(ar); });
    return 0;
}
