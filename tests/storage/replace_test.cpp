// Replacing a file whole while others look at it: a reader holding it open, a target marked
// read-only. The systems differ here, so each has its own expectation.

#include "storage/atomic_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "base/platform.h"
#include "support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

namespace fs = std::filesystem;

// Another program's handle on the file, as the C runtime's fopen opens it: others may read and
// write it, not delete or rename over it.
class CReader {
public:
    explicit CReader(const std::string& path)
    {
#ifdef _WIN32
        m_handle = CreateFileW(platform::ToFsPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
#else
        m_file = platform::OpenFile(path, "rb");
#endif
    }
    ~CReader() { Close(); }
    CReader(const CReader&) = delete;
    CReader& operator=(const CReader&) = delete;

    bool IsOpen() const
    {
#ifdef _WIN32
        return m_handle != INVALID_HANDLE_VALUE;
#else
        return m_file != nullptr;
#endif
    }
    std::string ReadAll()
    {
        std::string bytes(64, '\0');
#ifdef _WIN32
        DWORD n = 0;
        SetFilePointer(m_handle, 0, nullptr, FILE_BEGIN);
        ReadFile(m_handle, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
#else
        std::rewind(m_file);
        const std::size_t n = std::fread(bytes.data(), 1, bytes.size(), m_file);
#endif
        bytes.resize(n);
        return bytes;
    }
    void Close()
    {
#ifdef _WIN32
        if (m_handle != INVALID_HANDLE_VALUE)
            CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
#else
        if (m_file)
            std::fclose(m_file);
        m_file = nullptr;
#endif
    }

private:
#ifdef _WIN32
    HANDLE m_handle = INVALID_HANDLE_VALUE;
#else
    std::FILE* m_file = nullptr;
#endif
};

bool NothingButTheTarget(const CTempDir& dir)
{
    return std::distance(fs::directory_iterator(Fs(dir.Path())), fs::directory_iterator()) == 1;
}

} // namespace

// Windows cannot rename over a file another program holds without sharing its deletion: the
// replacement waits a moment for it, then fails and leaves the old file. POSIX replaces the name
// and the reader goes on reading the old content.
TEST(Replace, ATargetAnotherProgramHoldsOpen)
{
    CTempDir dir;
    const std::string path = dir.File("Справочник.loc");
    CAtomicFile::WriteWhole(path, "old");
    CReader reader(path);
    ASSERT_TRUE(reader.IsOpen());
    std::string error;
    const bool replaced = CAtomicFile::WriteWhole(path, "new", &error);
#ifdef _WIN32
    EXPECT_FALSE(replaced);
    EXPECT_EQ(CTempDir::Read(path), "old");
    CAtomicFile held(path);
    ASSERT_TRUE(held.Open() && held.Write("new"));
    EXPECT_FALSE(held.Commit());
    EXPECT_NE(platform::ErrorReason(held.ErrorCode()).find("занят другой программой"), std::string::npos)
        << platform::ErrorReason(held.ErrorCode());
#else
    EXPECT_TRUE(replaced) << error;
    EXPECT_EQ(CTempDir::Read(path), "new");
    EXPECT_EQ(reader.ReadAll(), "old");
#endif
    EXPECT_TRUE(NothingButTheTarget(dir));

    // A reader that lets go while the replacement waits (a virus scanner's look) does not stop it.
    std::thread letGo([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(3 * platform::kReplacePauseMs));
        reader.Close();
    });
    const bool afterwards = CAtomicFile::WriteWhole(path, "newer", &error);
    letGo.join();
    EXPECT_TRUE(afterwards) << error;
    EXPECT_EQ(CTempDir::Read(path), "newer");
    EXPECT_TRUE(NothingButTheTarget(dir));
}

// A file marked read-only is left alone on Windows, which treats the mark as "do not change";
// POSIX decides by the folder, and the program replaces it as any other.
TEST(Replace, ATargetMarkedReadOnly)
{
    CTempDir dir;
    const std::string path = dir.File("документ.rla");
    CAtomicFile::WriteWhole(path, "old");
    fs::permissions(Fs(path), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    CAtomicFile file(path);
    ASSERT_TRUE(file.Open() && file.Write("new"));
    const bool replaced = file.Commit();
#ifdef _WIN32
    EXPECT_FALSE(replaced);
    EXPECT_EQ(CTempDir::Read(path), "old");
    EXPECT_EQ(platform::ErrorReason(file.ErrorCode()), "Причина: файл только для чтения.");
#else
    EXPECT_TRUE(replaced) << file.ErrorText();
    EXPECT_EQ(CTempDir::Read(path), "new");
#endif
    EXPECT_TRUE(NothingButTheTarget(dir));
    fs::permissions(Fs(path), fs::perms::owner_write, fs::perm_options::add);
}
