#include "base/folder_name.h"

#include <gtest/gtest.h>

using folder_name::Style;

TEST(FolderName, ValidNamesOfBothSystems)
{
    struct Case {
        const char* path;
        Style style;
        bool valid;
    };
    const Case cases[] = {
        { "C:\\", Style::Windows, true },
        { "d:\\Docs\\New", Style::Windows, true },
        { "C:\\Документы\\Входящие 2026", Style::Windows, true },
        { "C:\\Docs\\New\\", Style::Windows, false }, // a separator at the end
        { "C:", Style::Windows, false },
        { "C:Docs", Style::Windows, false },
        { "\\Docs", Style::Windows, false },
        { "\\\\server\\share", Style::Windows, false }, // a drive letter is required
        { "1:\\Docs", Style::Windows, false },
        { "Ж:\\Docs", Style::Windows, false },
        { "C:/Docs", Style::Windows, false },
        { "C:\\Docs\\\\New", Style::Windows, false },
        { "C:\\ Docs", Style::Windows, false },
        { "C:\\Docs.", Style::Windows, false },
        { "C:\\.Docs", Style::Windows, false },
        { "C:\\Docs\t", Style::Windows, false },
        { "C:\\Do?cs", Style::Windows, false },
        { "C:\\Do:cs", Style::Windows, false },
        { "C:\\Do\"cs", Style::Windows, false },
        { "/", Style::Posix, true },
        { "/home/editor/Новая папка", Style::Posix, true },
        { "/home/editor/", Style::Posix, false },
        { "home/editor", Style::Posix, false },
        { "//home", Style::Posix, false },
        { "/home/editor/a\\b", Style::Posix, false },
        { "/home/ editor", Style::Posix, false },
        { "C:\\Docs", Style::Posix, false },
        { "/home", Style::Windows, false },
        { "", Style::Windows, false },
        { "", Style::Posix, false },
    };
    for (const Case& c : cases)
        EXPECT_EQ(folder_name::IsValid(c.path, c.style), c.valid) << c.path;
}

TEST(FolderName, LevelsFromTheRootDown)
{
    using Levels = std::vector<std::string>;
    EXPECT_EQ(folder_name::Levels("C:\\", Style::Windows), Levels { "C:\\" });
    EXPECT_EQ(folder_name::Levels("C:\\Документы\\Новые", Style::Windows),
        (Levels { "C:\\", "C:\\Документы", "C:\\Документы\\Новые" }));
    EXPECT_EQ(folder_name::Levels("/srv/docs", Style::Posix), (Levels { "/", "/srv", "/srv/docs" }));
    EXPECT_TRUE(folder_name::Levels("C:\\Docs\\", Style::Windows).empty());
}
