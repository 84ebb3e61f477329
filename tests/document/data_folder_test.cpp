#include "document/data_folder.h"

#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "document/doc_settings.h"
#include "base/platform.h"
#include "local/inner_ref_maker.h"
#include "orvo/orvo_ref_maker.h"
#include "storage/atomic_file.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using data_folder::CDataFolderInputs;
using data_folder::Source;

// A program folder, an installed starter set beside it and a home, all in one temporary folder.
struct Layout {
    CTempDir dir;
    std::string bin = dir.File("bin/");
    std::string starter = dir.File("share/telvarion/");
    std::string user = dir.File("home/.local/share/telvarion");

    Layout()
    {
        fs::create_directories(Fs(bin));
        fs::create_directories(Fs(dir.File("home")));
    }
    void InstallStarter()
    {
        fs::create_directories(Fs(starter));
        for (const char* name : { "Telvarion.dov", "Telvarion.orv", "Telvarion.ttl", "Telvarion.dlc", "Telvarion.loc", "Telvarion.tlc" })
            dir.Write(std::string("share/telvarion/") + name, std::string("starter ") + name);
    }
    CDataFolderInputs Inputs() const { return { "", bin, starter, user }; }
};

std::string Slash(const std::string& folder) { return folder + static_cast<char>(fs::path::preferred_separator); }

} // namespace

TEST(DataFolder, KnowsEveryServiceFileTheBasesAndTheDocumentKeep)
{
    std::vector<std::string> names(std::begin(data_folder::kServiceFiles), std::end(data_folder::kServiceFiles));
    for (const char* name : { kSettingsFile, kRecentOrvoFile, kRecentLocalFile, kOrvoDictionariesFile, kOrvoDocumentsFile,
             kOrvoTitlesFile, kLocalDictionariesFile, kLocalDocumentsFile, kLocalNamesFile })
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
    EXPECT_EQ(names.size(), 9u);
}

TEST(DataFolder, TheEnvironmentOverridesEverythingAndIsUsedAsItIs)
{
    Layout l;
    l.InstallStarter();
    CDataFolderInputs in = l.Inputs();
    in.overrideFolder = l.dir.File("elsewhere");
    const auto choice = data_folder::Choose(in);
    EXPECT_EQ(choice.source, Source::Override);
    EXPECT_EQ(choice.folder, Slash(l.dir.File("elsewhere")));
    EXPECT_TRUE(choice.copied.empty());
    EXPECT_FALSE(fs::exists(Fs(l.dir.File("elsewhere"))));
    EXPECT_FALSE(fs::exists(Fs(l.user)));
}

TEST(DataFolder, APortableCopyKeepsItsFilesBesideTheProgram)
{
    // A build or an unpacked copy: the service files beside the program, no installed starter set.
    Layout l;
    l.dir.Write("bin/Telvarion.dov", "own");
    auto choice = data_folder::Choose(l.Inputs());
    EXPECT_EQ(choice.source, Source::Program);
    EXPECT_EQ(choice.folder, l.bin);
    EXPECT_FALSE(fs::exists(Fs(l.user)));

    // Even beside an installed starter set, files the user keeps beside the program win.
    l.InstallStarter();
    choice = data_folder::Choose(l.Inputs());
    EXPECT_EQ(choice.source, Source::Program);
    EXPECT_TRUE(choice.copied.empty());
    EXPECT_EQ(CTempDir::Read(l.bin + "Telvarion.dov"), "own");
}

TEST(DataFolder, AnEmptyWritableProgramFolderWithoutAStarterSetIsUsed)
{
    // A freshly unpacked program: it writes its files where it stands, as it always did.
    Layout l;
    const auto choice = data_folder::Choose(l.Inputs());
    EXPECT_EQ(choice.source, Source::Program);
    EXPECT_EQ(choice.folder, l.bin);
    EXPECT_TRUE(choice.error.empty());
    // The writing test leaves nothing behind.
    EXPECT_TRUE(fs::is_empty(Fs(l.bin)));
}

TEST(DataFolder, AnInstalledProgramFillsTheUsersFolderOnceAndNeverOverwrites)
{
    Layout l;
    l.InstallStarter();
    // The bin folder can be written here, yet an installed program keeps the user's data apart.
    auto choice = data_folder::Choose(l.Inputs());
    EXPECT_EQ(choice.source, Source::User);
    EXPECT_EQ(choice.folder, Slash(l.user));
    EXPECT_EQ(choice.starterFolder, l.starter);
    EXPECT_TRUE(choice.error.empty()) << choice.error;
    EXPECT_EQ(choice.copied.size(), 6u);
    for (const char* name : { "Telvarion.dov", "Telvarion.orv", "Telvarion.ttl", "Telvarion.dlc", "Telvarion.loc", "Telvarion.tlc" })
        EXPECT_EQ(CTempDir::Read(Slash(l.user) + name), std::string("starter ") + name);
    EXPECT_FALSE(fs::exists(Fs(Slash(l.user) + "Telvarion.dat")));
    EXPECT_TRUE(fs::is_empty(Fs(l.bin)));

    // The user's edits survive the next start, and a newer starter set does not replace them.
    l.dir.Write("home/.local/share/telvarion/Telvarion.dov", "edited");
    l.dir.Write("share/telvarion/Telvarion.dov", "newer starter");
    fs::remove(Fs(Slash(l.user) + "Telvarion.orv"));
    choice = data_folder::Choose(l.Inputs());
    EXPECT_EQ(choice.source, Source::User);
    EXPECT_TRUE(choice.copied.empty());
    EXPECT_EQ(CTempDir::Read(Slash(l.user) + "Telvarion.dov"), "edited");
    // A folder in use is not patched with single starter files that may not fit the user's own.
    EXPECT_FALSE(fs::exists(Fs(Slash(l.user) + "Telvarion.orv")));
}

TEST(DataFolder, AFileInTheUsersFolderIsNeverReplacedOnTheFirstRunEither)
{
    Layout l;
    l.InstallStarter();
    fs::create_directories(Fs(l.user));
    l.dir.Write("home/.local/share/telvarion/notes.txt", "mine");
    const auto choice = data_folder::Choose(l.Inputs());
    EXPECT_EQ(choice.copied.size(), 6u);
    EXPECT_EQ(CTempDir::Read(Slash(l.user) + "notes.txt"), "mine");
}

TEST(DataFolder, AFailedCopyIsReportedAndLeavesNoHalfFile)
{
    Layout l;
    l.InstallStarter();
    CAtomicFile::SetFaultHook([](CAtomicFile::Step step, const std::string& target) {
        return step == CAtomicFile::Step::Write && target.find("Telvarion.orv") != std::string::npos;
    });
    const auto choice = data_folder::Choose(l.Inputs());
    CAtomicFile::SetFaultHook(nullptr);
    EXPECT_NE(choice.error.find("Telvarion.orv"), std::string::npos) << choice.error;
    EXPECT_EQ(choice.copied.size(), 5u);
    EXPECT_FALSE(fs::exists(Fs(Slash(l.user) + "Telvarion.orv")));
    for (const auto& entry : fs::directory_iterator(Fs(l.user)))
        EXPECT_EQ(entry.path().filename().string().rfind("Telvarion.", 0), 0u) << entry.path();
}

TEST(DataFolder, AnUnwritableProgramFolderWithoutStarterFilesFallsBackToAnEmptyUserFolder)
{
    Layout l;
    // A program folder that is a file stands for one nobody can write into, even an administrator.
    CDataFolderInputs in = l.Inputs();
    in.programFolder = l.dir.Write("not-a-folder", "x");
    const auto choice = data_folder::Choose(in);
    EXPECT_EQ(choice.source, Source::User);
    EXPECT_TRUE(fs::is_directory(Fs(l.user)));
    EXPECT_TRUE(choice.copied.empty());
    EXPECT_TRUE(choice.starterFolder.empty());
}

TEST(DataFolder, WithoutAHomeTheProgramFolderIsAllThereIs)
{
    Layout l;
    l.InstallStarter();
    CDataFolderInputs in = l.Inputs();
    in.userFolder.clear();
    const auto choice = data_folder::Choose(in);
    EXPECT_EQ(choice.folder, l.bin);
    EXPECT_FALSE(choice.error.empty());
}

TEST(DataFolder, InstalledIntoTheUsersOwnTreeTheStarterSetStaysApartFromTheData)
{
    // cmake --install --prefix ~/.local: the starter set is ~/.local/share/telvarion itself.
    Layout l;
    l.InstallStarter();
    CDataFolderInputs in = l.Inputs();
    in.userFolder = l.starter;
    const auto choice = data_folder::Choose(in);
    EXPECT_EQ(choice.source, Source::User);
    EXPECT_EQ(choice.folder, Slash(l.starter + "data"));
    EXPECT_EQ(choice.copied.size(), 6u);
    EXPECT_EQ(CTempDir::Read(choice.folder + "Telvarion.orv"), "starter Telvarion.orv");
}

TEST(DataFolder, TheStarterSetLiesInShareBesideBin)
{
    const std::string starter = data_folder::StarterFolderFor("/opt/telvarion/bin/");
    EXPECT_EQ(fs::path(starter).lexically_normal(), fs::path("/opt/telvarion/share/telvarion/"));
    EXPECT_EQ(data_folder::StarterFolderFor(""), "");
}

TEST(DataFolder, TheUsersFolderFollowsXdgDataHomeThenHome)
{
#if defined(_WIN32) || defined(__APPLE__)
    GTEST_SKIP() << "the XDG rules hold on Linux";
#else
    const std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    const char* oldXdg = std::getenv("XDG_DATA_HOME");
    const std::string savedXdg = oldXdg ? oldXdg : "";
    setenv("HOME", "/home/editor", 1);
    setenv("XDG_DATA_HOME", "/data/editor", 1);
    EXPECT_EQ(data_folder::UserFolder(), "/data/editor/telvarion");
    // A relative value does not count, as the XDG rules say.
    setenv("XDG_DATA_HOME", "relative/share", 1);
    EXPECT_EQ(data_folder::UserFolder(), "/home/editor/.local/share/telvarion");
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(data_folder::UserFolder(), "/home/editor/.local/share/telvarion");
    unsetenv("HOME");
    EXPECT_EQ(data_folder::UserFolder(), "");
    setenv("HOME", oldHome.c_str(), 1);
    if (oldXdg)
        setenv("XDG_DATA_HOME", savedXdg.c_str(), 1);
#endif
}

#ifdef _WIN32
namespace {

void SetWideEnvironment(const wchar_t* name, const std::string& utf8)
{
    _wputenv_s(name, platform::ToFsPath(utf8).wstring().c_str()); // an empty value removes it
}

} // namespace
#endif

TEST(DataFolder, TheUsersFolderOnWindowsIsTheLocalApplicationDataFolder)
{
#ifndef _WIN32
    GTEST_SKIP() << "the application data folders are Windows's";
#else
    const std::string oldLocal = platform::Environment("LOCALAPPDATA");
    const std::string oldRoaming = platform::Environment("APPDATA");
    SetWideEnvironment(L"LOCALAPPDATA", "C:\\Users\\Редактор\\AppData\\Local");
    SetWideEnvironment(L"APPDATA", "C:\\Users\\Редактор\\AppData\\Roaming");
    EXPECT_EQ(data_folder::UserFolder(), "C:\\Users\\Редактор\\AppData\\Local\\telvarion");
    SetWideEnvironment(L"LOCALAPPDATA", "");
    EXPECT_EQ(data_folder::UserFolder(), "C:\\Users\\Редактор\\AppData\\Roaming\\telvarion");
    SetWideEnvironment(L"APPDATA", "");
    EXPECT_EQ(data_folder::UserFolder(), "");
    SetWideEnvironment(L"LOCALAPPDATA", oldLocal);
    SetWideEnvironment(L"APPDATA", oldRoaming);
#endif
}
