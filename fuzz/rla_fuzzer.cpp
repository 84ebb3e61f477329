// *.rla documents: read from disk as the open command reads them, the header's dates and the first
// text line found, then written and read back: the lines must come back as they were.

#include "core/rla_text.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CFuzzUi ui;
    const std::string path
        = fuzz::WriteScratch("in.rla", std::string_view(reinterpret_cast<const char*>(data), size));
    CRlaText text;
    if (!text.ReadRla(path, ui)) {
        fuzz::Check(text.headerLines.empty() && text.textLines.empty(), "a failed read left lines");
        return 0;
    }
    text.GetEffectiveDate();
    const std::size_t first = CRlaText::FindFirstTextLine(text.textLines);
    fuzz::Check(first == 0 || first < text.textLines.size(), "the first text line lies past the end");
    for (const auto& line : text.textLines)
        CRlaText::IsBlockStart(line) || CRlaText::IsBlockEnd(line);

    text.path = fuzz::ScratchFolder() + "/out.rla";
    fuzz::Check(text.WriteRla(ui), "a document that was read cannot be written");
    CRlaText again;
    fuzz::Check(again.ReadRla(text.path, ui), "a written document cannot be read");
    fuzz::Check(again.headerLines == text.headerLines, "the header changed on the way through the disk");
    fuzz::Check(again.textLines == text.textLines, "the text changed on the way through the disk");
    return 0;
}
