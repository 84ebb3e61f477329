#include "local/inner_ref_maker.h"

#include "core/user_interface.h"
#include "storage/archive.h"
#include "storage/service_file.h"

CInnerRefMaker::CInnerRefMaker(CUserInterface& ui)
    : CRefMaker(ui)
{
    documents.SetUserInterface(&ui);
}

bool CInnerRefMaker::LoadDictionaries(const std::string& folder)
{
    return LoadServiceFile(ServicePath(folder, kLocalDictionariesFile), [this](CArchive& ar) {
        types.Serialize(ar);
        bodies.Serialize(ar);
    }) == LoadResult::Loaded;
}

bool CInnerRefMaker::LoadDocuments(const std::string& folder)
{
    const bool loaded = LoadServiceFile(ServicePath(folder, kLocalDocumentsFile),
                            [this](CArchive& ar) { documents.Serialize(ar); })
        == LoadResult::Loaded;
    if (!documents.OpenOrCreateTextFile(ServicePath(folder, kLocalNamesFile)))
        ShowError(m_ui, "Ошибка создания служебного файла Telvarion.tlc!");
    return loaded;
}

bool CInnerRefMaker::LoadFiles(const std::string& folder)
{
    const bool dictionaries = LoadDictionaries(folder);
    const bool docs = LoadDocuments(folder);
    if (dictionaries && docs)
        bModified = 0;
    return dictionaries && docs;
}

bool CInnerRefMaker::SaveDictionaries(const std::string& folder)
{
    return StoreServiceFile(ServicePath(folder, kLocalDictionariesFile), [this](CArchive& ar) {
        types.Serialize(ar);
        bodies.Serialize(ar);
    });
}

bool CInnerRefMaker::SaveDocuments(const std::string& folder)
{
    return StoreServiceFile(ServicePath(folder, kLocalDocumentsFile), [this](CArchive& ar) { documents.Serialize(ar); });
}

void CInnerRefMaker::SaveFiles(const std::string& folder)
{
    if (!bModified)
        return;
    if (!SaveDictionaries(folder))
        ShowError(m_ui, "Ошибка сохранения файла служебных данных!");
    if (!SaveDocuments(folder))
        ShowError(m_ui, "Ошибка сохранения реквизитов документов локальной базы!");
    bModified = 0;
}

bool CInnerRefMaker::EditTypes()
{
    const bool changed = types.Edit(m_ui, "Словарь видов документов", "Виды документов");
    if (changed)
        bModified = 1;
    return changed;
}

bool CInnerRefMaker::EditBodies()
{
    const bool changed = bodies.Edit(m_ui, "Словарь принявших органов", "Принявшие органы");
    if (changed)
        bModified = 1;
    return changed;
}

bool CInnerRefMaker::ImportDocuments()
{
    const bool imported = documents.ImportList(m_ui);
    if (imported)
        bModified = 1;
    return imported;
}
