#include "core/tag_line.h"

#include "base/codepage.h"

namespace {

constexpr std::string_view kCode4Pair = "\x04\x04";
constexpr std::string_view kOrvoMarker = "_LAW#-";

std::string Frame(std::string body)
{
    std::string line;
    line.reserve(kTagLineLength);
    line += kCode4Pair;
    line += "СС_"_cp;
    line += body;
    // A line already at or past the full length is left as it is.
    if (line.size() < kTagLineLength)
        line.append(kTagLineLength - line.size(), '-');
    return line;
}

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

} // namespace

const std::array<LinkKind, 10>& LinkKinds()
{
    static const std::array<LinkKind, 10> kKinds = { {
        { "ПОТ"_cp, "Признает УТРАТИВШИМ СИЛУ следующий документ"_cp },
        { "ЧОТ"_cp, "Признает УТРАТИВШИМ СИЛУ некоторые положения следующего документа"_cp },
        { "ДОП"_cp, "ДОПОЛНЯЕТ содержание следующего документа"_cp },
        { "ВИЗ"_cp, "ВНОСИТ ИЗМЕНЕНИЯ в следующий документ"_cp },
        { "РЕД"_cp, "Дан в РЕДАКЦИИ следующего документа"_cp },
        { "НУЛ"_cp, "Нулевая ссылка"_cp },
        { "РАЗ"_cp, "РАЗЪЯСНЯЕТ применение следующего документа"_cp },
        { "РЕГ"_cp, "РЕГУЛИРУЕТ применение следующего документа"_cp },
        { "ИСП"_cp, "Принят ВО ИСПОЛНЕНИЕ следующего документа"_cp },
        { "ВСТ"_cp, "Принят В СООТВЕТСТВИИ со следующим документом"_cp },
    } };
    return kKinds;
}

std::string FormatLocalTag(std::string_view kindCode, std::int32_t number, std::int32_t lineNumber, bool keyO, bool keyP)
{
    std::string body(kindCode);
    body += '_';
    body += std::to_string(number);
    if (lineNumber != 0) {
        body += '_';
        body += std::to_string(lineNumber);
    }
    if (keyO)
        body += "-О"_cp;
    if (keyP)
        body += "-П"_cp;
    body += '#';
    return Frame(std::move(body));
}

std::string FormatOrvoTag(std::int32_t number)
{
    return Frame(std::string("НУЛ_"_cp) + std::to_string(number) + "_LAW#");
}

bool IsTagLine(std::string_view line) { return StartsWith(line, kCode4Pair) && StartsWith(line.substr(2), "СС_"_cp); }

bool IsOrvoTagLine(std::string_view line)
{
    return StartsWith(line, kCode4Pair) && StartsWith(line.substr(2), "СС_НУЛ_"_cp)
        && line.find(kOrvoMarker) != std::string_view::npos;
}

bool IsLocalTagLine(std::string_view line) { return IsTagLine(line) && line.find(kOrvoMarker) == std::string_view::npos; }

std::int32_t ParseTagNumber(std::string_view line) { return line.size() > 9 ? DecimalPrefix(line.substr(9)) : 0; }
