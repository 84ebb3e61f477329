#include "core/ref_maker.h"

#include "core/user_interface.h"
#include "storage/archive.h"
#include "storage/doc_dict.h"
#include "storage/recv_dict.h"
#include "storage/service_file.h"

bool CRefMaker::LoadDictionaries(const std::string& folder)
{
    return LoadServiceFile(ServicePath(folder, m_files.dictionaries), [this](CArchive& ar) { SerializeDictionaries(ar); })
        == LoadResult::Loaded;
}

bool CRefMaker::LoadDocuments(const std::string& folder)
{
    const bool loaded
        = LoadServiceFile(ServicePath(folder, m_files.documents), [this](CArchive& ar) { Documents().Serialize(ar); })
        == LoadResult::Loaded;
    if (!Documents().OpenOrCreateTextFile(ServicePath(folder, m_files.titles)))
        ShowError(m_ui, m_files.titlesCreateError);
    return loaded;
}

bool CRefMaker::LoadFiles(const std::string& folder)
{
    const bool dictionaries = LoadDictionaries(folder);
    const bool documents = LoadDocuments(folder);
    m_dictionariesDirty = !dictionaries;
    m_documentsDirty = !documents;
    if (dictionaries && documents)
        bModified = 0;
    return dictionaries && documents;
}

bool CRefMaker::SaveDictionaries(const std::string& folder)
{
    return StoreServiceFile(ServicePath(folder, m_files.dictionaries), [this](CArchive& ar) { SerializeDictionaries(ar); });
}

bool CRefMaker::SaveDocuments(const std::string& folder)
{
    return StoreServiceFile(ServicePath(folder, m_files.documents), [this](CArchive& ar) { Documents().Serialize(ar); });
}

void CRefMaker::SaveFiles(const std::string& folder)
{
    if (!bModified)
        return;
    // A maker that was never loaded, or was marked modified by hand, writes everything.
    const bool all = !m_dictionariesDirty && !m_documentsDirty;
    if ((all || m_dictionariesDirty) && !SaveDictionaries(folder))
        ShowError(m_ui, "Ошибка сохранения файла служебных данных!");
    if ((all || m_documentsDirty) && !SaveDocuments(folder))
        ShowError(m_ui, m_files.documentsSaveError);
    bModified = 0;
    m_dictionariesDirty = false;
    m_documentsDirty = false;
}

bool CRefMaker::ImportDocuments()
{
    const bool imported = Documents().ImportList(m_ui);
    if (imported)
        MarkDocumentsModified();
    return imported;
}

bool CRefMaker::EditDictionary(CRecvDict& dict, const char* caption, const char* column)
{
    const bool changed = dict.Edit(m_ui, caption, column);
    if (changed)
        MarkDictionariesModified();
    return changed;
}
