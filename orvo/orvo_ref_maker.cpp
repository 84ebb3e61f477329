#include "orvo/orvo_ref_maker.h"

#include "core/user_interface.h"

namespace {

const CRefMaker::ServiceFiles kFiles = {
    kOrvoDictionariesFile,
    kOrvoDocumentsFile,
    kOrvoTitlesFile,
    "Ошибка создания службного файла Telvarion.ttl!",
    "Ошибка сохранения реквизитов документов Орво!",
};

} // namespace

COrvoRefMaker::COrvoRefMaker(CUserInterface& ui)
    : CRefMaker(ui, kFiles)
{
    documents.SetUserInterface(&ui);
}

void COrvoRefMaker::SerializeDictionaries(CArchive& ar)
{
    keywords.Serialize(ar);
    types.Serialize(ar);
    bodies.Serialize(ar);
}

bool COrvoRefMaker::EditKeywords()
{
    const bool changed = keywords.Edit(m_ui, "Словарь ключевых слов", "Слова");
    if (changed)
        MarkDictionariesModified();
    return changed;
}
