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
    // A path inside the folder, as the engine takes paths (UTF-8).
    std::string File(const std::string& name) const;
    // Writes bytes to a file inside the folder and returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const;
    static std::string Read(const std::string& path);
    // Every file directly in a folder, by name, with its bytes: what a run wrote there, compared.
    static std::map<std::string, std::string> Files(const std::filesystem::path& folder);

private:
    std::filesystem::path m_path;
};
