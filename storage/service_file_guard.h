#pragma once

// Service files in a folder other programs may write too: before replacing a file, the program
// makes sure it is still the file it read (or last wrote) itself. When another program has
// changed it meanwhile, the person decides whether our version replaces theirs; on "Нет" nothing
// is written and the caller keeps its change for a later save, which asks again.

#include <functional>
#include <map>
#include <string>

#include "storage/service_file.h"

class CArchive;
class CUserInterface;

class CServiceFileGuard {
public:
    enum class Outcome { Stored, Declined, Failed };

    explicit CServiceFileGuard(CUserInterface& ui)
        : m_ui(ui)
    {
    }

    // The file as it is now is the one this program knows (just read, or just written by it).
    void Remember(const std::string& path);
    // Whether the file differs from what this program knows of it. A file never remembered has
    // not changed.
    bool ChangedByOther(const std::string& path) const;
    // True when the file has not changed under us, or the person lets our version replace it;
    // ifNo, the question's last paragraph, says what "Нет" leaves.
    bool MayReplace(const std::string& path, const std::string& ifNo);
    // Asks when the file changed under us, then stores it as StoreServiceFile does. Failed is not
    // reported here: the callers have their own messages.
    Outcome Store(const std::string& path, const std::function<void(CArchive&)>& store);

private:
    CUserInterface& m_ui;
    std::map<std::string, CFileStamp> m_known;
};
