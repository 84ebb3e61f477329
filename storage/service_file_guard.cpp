#include "storage/service_file_guard.h"

#include "seam/user_interface.h"

void CServiceFileGuard::Remember(const std::string& path) { m_known[path] = StampOf(path); }

bool CServiceFileGuard::ChangedByOther(const std::string& path) const
{
    const auto it = m_known.find(path);
    return it != m_known.end() && !(StampOf(path) == it->second);
}

bool CServiceFileGuard::MayReplace(const std::string& path, const std::string& ifNo)
{
    return !ChangedByOther(path)
        || m_ui.MessageBox("Файл " + path
                   + " изменён другой программой после того, как Telvarion его прочитал.\n"
                     "Заменить его вашими изменениями?\n\n"
                   + ifNo,
               MsgIcon::Question, MsgButtons::YesNo)
        == AnswerYes;
}

CServiceFileGuard::Outcome CServiceFileGuard::Store(
    const std::string& path, const std::function<void(CArchive&)>& store)
{
    if (!MayReplace(path,
            "Нет: файл останется как есть, а ваши изменения — в памяти программы; при следующем сохранении "
            "вопрос повторится."))
        return Outcome::Declined;
    if (!StoreServiceFile(path, store))
        return Outcome::Failed;
    Remember(path);
    return Outcome::Stored;
}
