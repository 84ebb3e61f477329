#pragma once

// The rule for a folder name the person types in "Параметры": on Windows a drive letter, a colon
// and a backslash, elsewhere an absolute path; every part between separators non-empty, not
// beginning or ending with a space, a tab or a point, free of " * / : < > ? \ |; no separator at
// the end except the root. Both styles are here on every system, so that each is tested anywhere;
// the program uses its own system's.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace folder_name {

enum class Style { Windows, Posix };
#ifdef _WIN32
inline constexpr Style kNative = Style::Windows;
#else
inline constexpr Style kNative = Style::Posix;
#endif

char Separator(Style style);

// The length of the root a valid name starts with ("C:\" or "/"); 0 for none.
std::size_t RootLength(std::string_view path, Style style);

// Whether a UTF-8 path is a well-formed folder name.
bool IsValid(std::string_view path, Style style = kNative);

// The folders to create one after the other for a valid name, from its root down to the folder
// itself: "C:\", "C:\A", "C:\A\B". Empty when the name is not valid.
std::vector<std::string> Levels(std::string_view path, Style style = kNative);

} // namespace folder_name
