// Tag lines and the other special lines of a text: any bytes are judged, and a tag composed from
// the input's numbers reads back as that number and kind.

#include <cstring>

#include "core/ref_maker.h"
#include "core/rla_text.h"
#include "core/tag_line.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const bool orvo = IsOrvoTagLine(line);
    const bool local = IsLocalTagLine(line);
    fuzz::Check(!(orvo && local), "a tag line of both bases");
    fuzz::Check(!(orvo || local) || IsTagLine(line), "a tag of a base that is no tag line");
    ParseTagNumber(line);
    CRlaText::IsBlockStart(line);
    CRlaText::IsBlockEnd(line);

    if (size >= 9) {
        std::int32_t number;
        std::int32_t lineNumber;
        std::memcpy(&number, data, sizeof number);
        std::memcpy(&lineNumber, data + 4, sizeof lineNumber);
        const auto& kind = LinkKinds()[data[8] % LinkKinds().size()];
        const std::string local = FormatLocalTag(kind.code, number, lineNumber, data[8] & 0x10, data[8] & 0x20);
        fuzz::Check(IsTagLine(local) && !IsOrvoTagLine(local), "a composed local tag is not one");
        if (number >= 0 && local.size() == kTagLineLength)
            fuzz::Check(ParseTagNumber(local) == number || kind.code.size() != 3, "a local tag reads another number");
        const std::string orvo = FormatOrvoTag(number);
        fuzz::Check(IsOrvoTagLine(orvo), "a composed Orvo tag is not one");
        if (number >= 0)
            fuzz::Check(ParseTagNumber(orvo) == number, "an Orvo tag reads another number");

        // The anchor marking runs over whatever text stands around a tag.
        std::vector<std::string> texts { std::string(line.substr(9)), orvo, std::string(line), local };
        std::vector<CLineRecord> records(texts.size());
        records[1].nKind = static_cast<std::int32_t>(LineKind::OrvoLinkNew);
        records[1].recvOrvo.types = { std::string(line.substr(9, 12)) };
        CRefMaker::MarkAnchorNearTag(texts, records, 1);
        fuzz::Check(texts.size() == records.size(), "lines and records out of step");
    }
    return 0;
}
