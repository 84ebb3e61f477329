// Every service file, as the program wrote it, then emptied, cut at every byte, and with every
// four bytes in turn set to 0xFFFFFFFF, 0x7FFFFFFF and 0x80000000 (the counts and lengths a
// damaged file may carry): each is loaded by its owner's loader. Nothing crashes or allocates
// beyond the file, a cut file always fails, the failed file is kept beside as .damaged, and the
// owner stores what it holds afterwards.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "base/codepage.h"
#include "document/doc_settings.h"
#include "local/inner_ref_maker.h"
#include "orvo/orvo_ref_maker.h"
#include "storage/archive.h"
#include "core/dict_text.h"
#include "storage/recent_numbers.h"
#include "storage/service_file.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

const char* const kList = "$0  НОМЕР В БАЗЕ\n45\n03.03.2003\n$5  ВИД ДОКУМЕНТА\nзакон\n$4  ПРИНЯВШИЙ ОРГАН\nгосдума\n"
                          "$6  ДАТА ПРИНЯТИЯ\n01.02.2001\n02.02.2002\n$7  НОМЕР\n5-фз\n$9  НАЗВАНИЕ ДОКУМЕНТА\nо чём-то\n\n";

// One service file: its name, and a load by its owner that says whether it loaded and then
// stores what the owner holds into memory (false when that store fails).
struct ServiceFile {
    const char* name;
    std::function<bool(const std::string& folder, bool& stored)> load;
};

template <typename Owner>
bool StoresAgain(Owner& owner)
{
    try {
        CArchive out = CArchive::StoreMemory();
        owner.Serialize(out);
        return true;
    } catch (const CArchiveException&) {
        return false;
    }
}

template <typename Maker>
bool MakerStoresAgain(Maker& maker)
{
    // The files go to another folder, so the file under test stays as it is.
    CTempDir other;
    return maker.SaveDictionaries(other.Utf8()) && maker.SaveDocuments(other.Utf8());
}

std::vector<ServiceFile> Files()
{
    return {
        { kSettingsFile,
            [](const std::string& folder, bool& stored) {
                CDocSettings settings;
                const bool loaded = LoadServiceFile(ServicePath(folder, kSettingsFile), [&](CArchive& ar) {
                    settings.Serialize(ar);
                }) == LoadResult::Loaded;
                stored = StoresAgain(settings);
                return loaded;
            } },
        { kRecentOrvoFile,
            [](const std::string& folder, bool& stored) {
                RecentNumbers numbers;
                const bool loaded = LoadServiceFile(ServicePath(folder, kRecentOrvoFile), [&](CArchive& ar) {
                    numbers.Serialize(ar);
                }) == LoadResult::Loaded;
                stored = StoresAgain(numbers) && numbers.Numbers().size() <= RecentNumbers::kCapacity;
                return loaded;
            } },
        { kOrvoDictionariesFile,
            [](const std::string& folder, bool& stored) {
                CScriptedUi ui;
                COrvoRefMaker maker(ui);
                const bool loaded = maker.LoadDictionaries(folder);
                stored = MakerStoresAgain(maker);
                return loaded;
            } },
        { kOrvoDocumentsFile,
            [](const std::string& folder, bool& stored) {
                CScriptedUi ui;
                COrvoRefMaker maker(ui);
                const bool loaded = maker.LoadDocuments(folder);
                // Whatever was read is shown as the dialogs show it.
                for (const auto& rec : maker.documents.records)
                    maker.documents.GetRequisites(rec);
                stored = MakerStoresAgain(maker);
                return loaded;
            } },
        { kLocalDictionariesFile,
            [](const std::string& folder, bool& stored) {
                CScriptedUi ui;
                CInnerRefMaker maker(ui);
                const bool loaded = maker.LoadDictionaries(folder);
                stored = MakerStoresAgain(maker);
                return loaded;
            } },
        { kLocalDocumentsFile,
            [](const std::string& folder, bool& stored) {
                CScriptedUi ui;
                CInnerRefMaker maker(ui);
                const bool loaded = maker.LoadDocuments(folder);
                for (const auto& rec : maker.documents.records)
                    maker.documents.ToRecvisits(rec);
                stored = MakerStoresAgain(maker);
                return loaded;
            } },
    };
}

// A folder with every service file written by the program itself, with a little in each.
void WriteSoundFiles(const std::string& folder)
{
    CScriptedUi ui;
    CDocSettings settings;
    settings.inputFolder = "/вход";
    settings.hotDocuments[2] = 45;
    ASSERT_TRUE(StoreServiceFile(ServicePath(folder, kSettingsFile), [&](CArchive& ar) { settings.Serialize(ar); }));
    RecentNumbers numbers;
    numbers.AddNumber(45);
    numbers.AddNumber(7);
    ASSERT_TRUE(StoreServiceFile(ServicePath(folder, kRecentOrvoFile), [&](CArchive& ar) { numbers.Serialize(ar); }));
    COrvoRefMaker orvo(ui);
    CInnerRefMaker local(ui);
    orvo.LoadFiles(folder);
    local.LoadFiles(folder);
    orvo.keywords.strings = ParseKeywordText("ЗАКОН");
    orvo.types = ParseRecvDictText("ЗАКОН\n  ФЕДЕРАЛЬНЫЙ ЗАКОН");
    local.bodies = ParseRecvDictText("ГОСДУМА");
    CTempDir lists;
    const std::string list = lists.Write("list.txt", codepage::Utf8ToCp1251(kList));
    ASSERT_TRUE(orvo.documents.ImportListFile(ui, list, false));
    ASSERT_TRUE(local.documents.ImportListFile(ui, list, false));
    ASSERT_TRUE(orvo.SaveDictionaries(folder) && orvo.SaveDocuments(folder));
    ASSERT_TRUE(local.SaveDictionaries(folder) && local.SaveDocuments(folder));
}

void RemoveDamagedCopies(const std::filesystem::path& folder)
{
    for (const auto& entry : std::filesystem::directory_iterator(Fs(folder)))
        if (entry.path().filename().string().find(".damaged") != std::string::npos)
            std::filesystem::remove(Fs(entry.path()));
}

std::string Le32(std::uint32_t v)
{
    return { static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24) };
}

} // namespace

TEST(HostileServiceFiles, EmptyCutAndHugeCountsFailCleanly)
{
    CTempDir dir;
    const std::string folder = dir.Utf8();
    WriteSoundFiles(folder);
    for (const ServiceFile& file : Files()) {
        SCOPED_TRACE(file.name);
        const std::string path = ServicePath(folder, file.name);
        const std::string sound = CTempDir::Read(path);
        ASSERT_GT(sound.size(), 4u);
        bool stored = false;
        ASSERT_TRUE(file.load(folder, stored));
        ASSERT_TRUE(stored);

        // Empty and cut at every byte: never loads, always kept as .damaged, the owner still stores.
        for (std::size_t cut = 0; cut < sound.size(); ++cut) {
            const std::string bytes = sound.substr(0, cut);
            dir.Write(file.name, bytes);
            EXPECT_FALSE(file.load(folder, stored)) << "cut at " << cut;
            EXPECT_TRUE(stored) << "cut at " << cut;
            EXPECT_EQ(CTempDir::Read(path + ".damaged"), bytes) << "cut at " << cut;
            RemoveDamagedCopies(dir.Path());
        }

        // Counts and lengths up to 0xFFFFFFFF anywhere.
        for (const std::uint32_t value : { 0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 0x0000FFFFu }) {
            for (std::size_t at = 0; at + 4 <= sound.size(); ++at) {
                std::string bytes = sound;
                bytes.replace(at, 4, Le32(value));
                dir.Write(file.name, bytes);
                const bool loaded = file.load(folder, stored);
                EXPECT_TRUE(stored) << std::hex << value << " at " << std::dec << at;
                EXPECT_EQ(std::filesystem::exists(Fs(path + ".damaged")), !loaded);
                RemoveDamagedCopies(dir.Path());
            }
        }
        dir.Write(file.name, sound);
        EXPECT_TRUE(file.load(folder, stored)) << "the sound file no longer loads";
    }
}

TEST(HostileServiceFiles, AFolderWhereAFileShouldBeIsLeftAlone)
{
    // A folder under a service file's name: the load fails silently, nothing is copied, and the
    // store after it fails instead of removing the folder.
    CTempDir dir;
    const std::string folder = dir.Utf8();
    for (const ServiceFile& file : Files()) {
        SCOPED_TRACE(file.name);
        std::filesystem::create_directory(Fs(dir.Path() / file.name));
        std::filesystem::create_directory(Fs(dir.Path() / file.name / "inside"));
        bool stored = false;
        EXPECT_FALSE(file.load(folder, stored));
        EXPECT_FALSE(std::filesystem::exists(Fs(dir.Path() / (std::string(file.name) + ".damaged"))));
        EXPECT_FALSE(StoreServiceFile(ServicePath(folder, file.name), [](CArchive& ar) { ar.WriteInt(0); }));
        EXPECT_TRUE(std::filesystem::is_directory(Fs(dir.Path() / file.name / "inside")));
    }
}
