#include "shell/platform/system_trash.h"

#include <string>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#include <shellapi.h>
#endif

bool MoveToSystemTrash(const QString& file)
{
    if (QFile::moveToTrash(file))
        return true;
#ifdef Q_OS_WIN
    // Where the shell's newer file operations are missing (Wine), its older call recycles too. A
    // file that cannot be recycled (a network drive) is deleted only after the person's consent.
    if (!QFile::exists(file))
        return false;
    std::wstring from = QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath()).toStdWString();
    from.push_back(L'\0'); // the list of names ends with an empty one
    SHFILEOPSTRUCTW operation {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_WANTNUKEWARNING | FOF_SILENT;
    return SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted && !QFile::exists(file);
#else
    return false;
#endif
}
