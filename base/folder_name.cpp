#include "base/folder_name.h"

namespace folder_name {

namespace {

bool IsValidPart(std::string_view part)
{
    if (part.empty())
        return false;
    const auto edge = [](char c) { return c == ' ' || c == '\t' || c == '.'; };
    // The forbidden characters are ASCII, and no byte of a UTF-8 letter is.
    return !edge(part.front()) && !edge(part.back()) && part.find_first_of("\"*/:<>?\\|") == std::string_view::npos;
}

} // namespace

char Separator(Style style) { return style == Style::Windows ? '\\' : '/'; }

std::size_t RootLength(std::string_view path, Style style)
{
    if (style == Style::Posix)
        return !path.empty() && path[0] == '/' ? 1 : 0;
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    return path.size() >= 3 && letter(path[0]) && path[1] == ':' && path[2] == '\\' ? 3 : 0;
}

std::vector<std::string> Levels(std::string_view path, Style style)
{
    const std::size_t root = RootLength(path, style);
    if (root == 0)
        return {};
    std::vector<std::string> levels { std::string(path.substr(0, root)) };
    const char separator = Separator(style);
    for (std::size_t begin = root; begin <= path.size() && path.size() > root;) {
        std::size_t end = path.find(separator, begin);
        if (end == std::string_view::npos)
            end = path.size();
        // An empty last part is a separator at the end.
        if (!IsValidPart(path.substr(begin, end - begin)))
            return {};
        levels.emplace_back(path.substr(0, end));
        begin = end + 1;
    }
    return levels;
}

bool IsValid(std::string_view path, Style style) { return !Levels(path, style).empty(); }

} // namespace folder_name
