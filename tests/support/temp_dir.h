#pragma once

// A fresh folder for one test, removed with everything in it when the test ends.

#include <filesystem>
#include <map>
#include <string>

class CTempDir {
public:
    CTempDir();
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // The folder as the engine takes paths (UTF-8).
    std::string Utf8() const;
    // A path inside the folder, as the engine takes paths (UTF-8, the system's separators).
    std::string File(const std::string& name) const;
    // A relative path written with "/" in the system's separators.
    static std::string Native(const std::string& path);
    // Writes bytes to a file inside the folder and returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const;
    static std::string Read(const std::string& path);
    // Every file directly in a folder, by name, with its bytes: what a run wrote there, compared.
    static std::map<std::string, std::string> Files(const std::filesystem::path& folder);

private:
    std::filesystem::path m_path;
};

// A path for std::filesystem: UTF-8 text as UTF-8 (a plain std::string is taken in the ANSI code
// page on Windows), a path as it is.
std::filesystem::path Fs(const std::string& utf8);
inline const std::filesystem::path& Fs(const std::filesystem::path& path) { return path; }
inline std::filesystem::path Fs(const char* utf8) { return Fs(std::string(utf8)); }
