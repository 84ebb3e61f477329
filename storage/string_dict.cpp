#include "storage/string_dict.h"

#include <cstdio>

#include "seam/user_interface.h"
#include "storage/archive.h"
#include "storage/atomic_file.h"

void CStringDict::Serialize(CArchive& ar) { ar.Io(strings); }

bool CStringDict::Edit(CUserInterface& ui, const std::string& title, const std::string& column)
{
    std::vector<std::string> working = strings;
    if (!ui.EditStringList(title, column, working))
        return false;
    strings = std::move(working);
    return true;
}

std::string FormatStringListExport(const std::vector<std::string>& strings)
{
    std::string text = "\r\n\r\n";
    int i = 1;
    for (const auto& s : strings) {
        char number[32];
        std::snprintf(number, sizeof number, " %3d.  ", i++);
        text += number;
        text += s;
        text += "\r\n";
    }
    return text;
}

bool ExportStringList(CUserInterface& ui, const std::vector<std::string>& strings)
{
    FileDialogRequest request;
    request.defaultExt = "txt";
    request.fileName = "Словарь";
    request.filter = "Текстовые файлы(*.txt)|*.txt||";
    request.confirmOverwrite = true;
    std::string path;
    if (!ui.AskSaveFileName(request, path))
        return false;

    CAtomicFile file(path);
    if (!file.Open()) {
        ShowError(ui, "Ошибка открытия файла!");
        return false;
    }
    if (!file.Write(FormatStringListExport(strings)) || !file.Commit()) {
        ShowError(ui, "Ошибка сохранения файла");
        return false;
    }
    return true;
}
