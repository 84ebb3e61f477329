#include "orvo/orvo_ref_maker.h"

#include "core/user_interface.h"
#include "storage/archive.h"
#include "storage/service_file.h"

COrvoRefMaker::COrvoRefMaker(CUserInterface& ui)
    : CRefMaker(ui)
{
    documents.SetUserInterface(&ui);
}

bool COrvoRefMaker::LoadDictionaries(const std::string& folder)
{
    return LoadServiceFile(ServicePath(folder, kOrvoDictionariesFile), [this](CArchive& ar) {
        keywords.Serialize(ar);
        types.Serialize(ar);
        bodies.Serialize(ar);
    }) == LoadResult::Loaded;
}

bool COrvoRefMaker::LoadDocuments(const std::string& folder)
{
    const bool loaded = LoadServiceFile(ServicePath(folder, kOrvoDocumentsFile),
                            [this](CArchive& ar) { documents.Serialize(ar); })
        == LoadResult::Loaded;
    if (!documents.OpenOrCreateTextFile(ServicePath(folder, kOrvoTitlesFile)))
        ShowError(m_ui, "Ошибка создания службного файла Telvarion.ttl!");
    return loaded;
}

bool COrvoRefMaker::LoadFiles(const std::string& folder)
{
    const bool dictionaries = LoadDictionaries(folder);
    const bool docs = LoadDocuments(folder);
    if (dictionaries && docs)
        bModified = 0;
    return dictionaries && docs;
}

bool COrvoRefMaker::SaveDictionaries(const std::string& folder)
{
    return StoreServiceFile(ServicePath(folder, kOrvoDictionariesFile), [this](CArchive& ar) {
        keywords.Serialize(ar);
        types.Serialize(ar);
        bodies.Serialize(ar);
    });
}

bool COrvoRefMaker::SaveDocuments(const std::string& folder)
{
    return StoreServiceFile(ServicePath(folder, kOrvoDocumentsFile), [this](CArchive& ar) { documents.Serialize(ar); });
}

void COrvoRefMaker::SaveFiles(const std::string& folder)
{
    if (!bModified)
        return;
    if (!SaveDictionaries(folder))
        ShowError(m_ui, "Ошибка сохранения файла служебных данных!");
    if (!SaveDocuments(folder))
        ShowError(m_ui, "Ошибка сохранения реквизитов документов Орво!");
    bModified = 0;
}

bool COrvoRefMaker::EditKeywords()
{
    const bool changed = keywords.Edit(m_ui, "Словарь ключевых слов", "Слова");
    if (changed)
        bModified = 1;
    return changed;
}

bool COrvoRefMaker::EditTypes()
{
    const bool changed = types.Edit(m_ui, "Словарь видов документов Орво", "Виды документов");
    if (changed)
        bModified = 1;
    return changed;
}

bool COrvoRefMaker::EditBodies()
{
    const bool changed = bodies.Edit(m_ui, "Словарь принявших органов Орво", "Принявшие органы");
    if (changed)
        bModified = 1;
    return changed;
}

bool COrvoRefMaker::ImportDocuments()
{
    const bool imported = documents.ImportList(m_ui);
    if (imported)
        bModified = 1;
    return imported;
}
