#include "document/data_folder.h"

#include <cstdio>
#include <cstdlib>
#include <system_error>

#include "base/platform.h"
#include "storage/atomic_file.h"

#ifndef TELVARION_STARTER_FROM_PROGRAM
// The installed layout: programs in bin/, starter files in share/telvarion/.
#define TELVARION_STARTER_FROM_PROGRAM "../share/telvarion"
#endif

namespace data_folder {

namespace {

namespace fs = std::filesystem;

std::string WithSeparator(std::string folder)
{
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\')
        folder += static_cast<char>(fs::path::preferred_separator);
    return folder;
}

bool IsFolder(const std::string& folder)
{
    std::error_code ec;
    return !folder.empty() && fs::is_directory(platform::ToFsPath(folder), ec);
}

bool IsFile(const std::string& path)
{
    std::error_code ec;
    return fs::is_regular_file(platform::ToFsPath(path), ec);
}

// Asking the file system beats reading permission bits: it also knows read-only mounts, ACLs and
// the administrator who may write anywhere.
bool CanWriteInto(const std::string& folder)
{
    if (!IsFolder(folder))
        return false;
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::string probe = WithSeparator(folder) + ".telvarion-probe-" + std::to_string(std::rand());
        if (std::FILE* f = platform::CreateNewFile(probe)) {
            std::fclose(f);
            std::error_code ec;
            fs::remove(platform::ToFsPath(probe), ec);
            return true;
        }
        if (!IsFile(probe))
            return false; // not a name clash: the folder refuses new files
    }
    return false;
}

} // namespace

bool HoldsServiceFiles(const std::string& folder)
{
    if (!IsFolder(folder))
        return false;
    for (const char* name : kServiceFiles)
        if (IsFile(WithSeparator(folder) + name))
            return true;
    return false;
}

namespace {

bool SameFolder(const std::string& a, const std::string& b)
{
    std::error_code ec;
    if (fs::equivalent(platform::ToFsPath(a), platform::ToFsPath(b), ec))
        return true;
    return fs::path(platform::ToFsPath(a)).lexically_normal() == fs::path(platform::ToFsPath(b)).lexically_normal();
}

// Makes the per-user folder and, while it holds no service file, fills it from the starter set.
void PrepareUserFolder(CDataFolderChoice& choice)
{
    std::error_code ec;
    fs::create_directories(platform::ToFsPath(choice.folder), ec);
    if (!IsFolder(choice.folder)) {
        choice.error = "cannot create the folder " + choice.folder;
        return;
    }
    if (choice.starterFolder.empty() || HoldsServiceFiles(choice.folder))
        return;
    for (const char* name : kServiceFiles) {
        const std::string source = choice.starterFolder + name;
        const std::string target = choice.folder + name;
        if (!IsFile(source) || IsFile(target))
            continue;
        std::string bytes;
        std::string error;
        if (!platform::ReadWholeFile(source, bytes)) {
            choice.error = "cannot read " + source;
            continue;
        }
        if (!CAtomicFile::WriteWhole(target, bytes, &error)) {
            choice.error = "cannot write " + target + (error.empty() ? "" : ": " + error);
            continue;
        }
        choice.copied.push_back(name);
    }
}

} // namespace

std::string StarterFolderFor(const std::string& programFolder)
{
    if (programFolder.empty())
        return {};
    const fs::path starter = (platform::ToFsPath(programFolder) / TELVARION_STARTER_FROM_PROGRAM).lexically_normal();
    return WithSeparator(platform::FromFsPath(starter));
}

CDataFolderChoice Choose(const CDataFolderInputs& inputs)
{
    CDataFolderChoice choice;
    if (!inputs.overrideFolder.empty()) {
        choice.folder = WithSeparator(inputs.overrideFolder);
        choice.source = Source::Override;
        return choice;
    }
    const std::string program = WithSeparator(inputs.programFolder);
    if (HoldsServiceFiles(inputs.starterFolder))
        choice.starterFolder = WithSeparator(inputs.starterFolder);
    const bool installed = !choice.starterFolder.empty();
    if (!program.empty() && (HoldsServiceFiles(program) || (!installed && CanWriteInto(program)))) {
        choice.folder = program;
        choice.source = Source::Program;
        return choice;
    }
    choice.source = Source::User;
    if (inputs.userFolder.empty()) {
        // No home to keep the files in: the program's folder is all there is.
        choice.folder = program;
        choice.error = "no per-user data folder (HOME is not set)";
        return choice;
    }
    choice.folder = WithSeparator(inputs.userFolder);
    // Installed into the user's own data tree (a prefix of ~/.local): the starter set lies where
    // the user's folder would be, and the next install would overwrite the user's dictionaries.
    if (installed && SameFolder(choice.folder, choice.starterFolder))
        choice.folder = WithSeparator(choice.folder + "data");
    PrepareUserFolder(choice);
    return choice;
}

std::string UserFolder()
{
    const std::string home = platform::UserDataHome();
    if (home.empty())
        return {};
    return WithSeparator(home) + "telvarion";
}

CDataFolderChoice ChooseForThisProgram()
{
    CDataFolderInputs inputs;
    if (const std::string env = platform::Environment("TELVARION_DATA_DIR"); !env.empty())
        inputs.overrideFolder = env;
    inputs.programFolder = platform::ExecutableDir();
    inputs.starterFolder = StarterFolderFor(inputs.programFolder);
    inputs.userFolder = UserFolder();
    return Choose(inputs);
}

} // namespace data_folder
