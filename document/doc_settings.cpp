#include "document/doc_settings.h"

#include "storage/archive.h"

void CDocSettings::Serialize(CArchive& ar)
{
    notepad.Serialize(ar);
    if (ar.IsStoring()) {
        ar.WriteByte(fontPitchAndFamily);
        ar.WriteString(fontFace);
        for (std::int32_t n : hotDocuments)
            ar.WriteInt(n);
    } else {
        fontPitchAndFamily = ar.ReadByte();
        fontFace = ar.ReadString();
        for (auto& n : hotDocuments)
            n = ar.ReadInt();
    }
    ar.Io(inputFolder);
    ar.Io(outputFolder);
}
