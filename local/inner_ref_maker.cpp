#include "local/inner_ref_maker.h"

namespace {

const CRefMaker::ServiceFiles kFiles = {
    kLocalDictionariesFile,
    kLocalDocumentsFile,
    kLocalNamesFile,
    "Ошибка создания служебного файла Telvarion.tlc!",
    "Ошибка сохранения реквизитов документов локальной базы!",
};

} // namespace

CInnerRefMaker::CInnerRefMaker(CUserInterface& ui)
    : CRefMaker(ui, kFiles)
{
    documents.SetUserInterface(&ui);
}

void CInnerRefMaker::SerializeDictionaries(CArchive& ar)
{
    types.Serialize(ar);
    bodies.Serialize(ar);
}
