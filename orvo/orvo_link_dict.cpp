#include "orvo/orvo_link_dict.h"

#include <utility>

#include "base/codepage.h"
#include "seam/user_interface.h"
#include "orvo/orvo_dict.h"
#include "storage/archive.h"

void COrvoLinkDict::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteUInt(static_cast<std::uint32_t>(entries.size()));
        for (auto& e : entries)
            e.Serialize(ar);
        return;
    }
    // An entry takes at least a number, an empty name, a date and four counts.
    const std::uint32_t count = ar.ReadCount(4 + 1 + 12 + 16);
    entries.clear();
    entries.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        entries.emplace_back();
        entries.back().Serialize(ar);
    }
}

bool COrvoLinkDict::Contains(std::int32_t number) const
{
    for (const auto& e : entries)
        if (e.nBaseNumber == number)
            return true;
    return false;
}

bool COrvoLinkDict::AddDocument(CUserInterface& ui, COrvoDict& documents, std::int32_t number)
{
    if (Contains(number)) {
        ShowError(ui, "Документ уже внесён в блокнот!");
        return false;
    }
    CDocRecvisits found;
    if (!documents.FindByBaseNumber(number, found)) {
        ShowError(ui, "Неправильный базовый номер документа!");
        return false;
    }
    const std::string requisites = codepage::Cp1251ToUtf8(found.Describe(false));
    if (ui.MessageBox("Документ Орво\n" + requisites + "\nЗанести в блокнот?", MsgIcon::Question, MsgButtons::YesNo)
        != AnswerYes)
        return false;
    entries.push_back(std::move(found));
    return true;
}

void COrvoLinkDict::Swap(std::size_t a, std::size_t b)
{
    if (a < entries.size() && b < entries.size())
        std::swap(entries[a], entries[b]);
}
