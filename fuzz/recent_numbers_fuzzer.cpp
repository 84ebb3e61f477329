// Telvarion.lst and Telvarion.llc: the numbers of the documents linked last.

#include <memory>

#include "fuzz/fuzz_support.h"
#include "storage/recent_numbers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::RoundTripped(
        data, size, [] { return std::make_unique<RecentNumbers>(); },
        [](RecentNumbers& numbers, CArchive& ar) {
            numbers.Serialize(ar);
            fuzz::Check(numbers.Numbers().size() <= RecentNumbers::kCapacity, "more recent numbers than the list holds");
        });
    return 0;
}
