#pragma once

// Which folder holds the service files. One rule for the desktop program and the command-line
// tool, so both always work on the same dictionaries:
//
// 1. TELVARION_DATA_DIR, when set, names the folder; it is used as it is.
// 2. The folder of the executable, when it already holds service files (a portable copy, or a
//    user who keeps the files beside the program), or when it is a plain folder of programs the
//    user can write into (a build, an unpacked copy) and no installed starter set lies beside it.
// 3. Otherwise (an installed program) the per-user data folder, created when missing. On the
//    first run, while it holds no service file at all, the starter files installed beside the
//    program (share/telvarion) are copied into it; an existing file is never overwritten.
//    When the program was installed into the user's own data tree, so that the starter set lies
//    where the per-user folder would be, the per-user folder is its subfolder "data".

#include <string>
#include <vector>

namespace data_folder {

// Every service file the program keeps in its data folder.
inline constexpr const char* kServiceFiles[] = {
    "Telvarion.dat", "Telvarion.lst", "Telvarion.llc", // settings and recent numbers
    "Telvarion.dov", "Telvarion.orv", "Telvarion.ttl", // the Orvo base
    "Telvarion.dlc", "Telvarion.loc", "Telvarion.tlc", // the local base
};

enum class Source { Override, Program, User };

struct CDataFolderChoice {
    std::string folder; // with a trailing separator
    Source source = Source::Program;
    std::string starterFolder;       // the installed starter set, empty when there is none
    std::vector<std::string> copied; // names of the starter files copied in this run
    std::string error;               // what went wrong preparing the folder; empty when nothing
};

// What the rule looks at; every folder is a UTF-8 path, empty when unknown or unset.
struct CDataFolderInputs {
    std::string overrideFolder; // TELVARION_DATA_DIR
    std::string programFolder;  // the folder of the executable
    std::string starterFolder;  // where an installed copy keeps its starter files
    std::string userFolder;     // the per-user data folder
};

// Applies the rule to the given folders, creating and filling the per-user folder when it is
// the one chosen.
CDataFolderChoice Choose(const CDataFolderInputs& inputs);

// The rule for this process: the environment, the executable's folder, the installed layout.
CDataFolderChoice ChooseForThisProgram();

// The per-user data folder: $XDG_DATA_HOME/telvarion, else ~/.local/share/telvarion (on Windows
// %LOCALAPPDATA%\telvarion or %APPDATA%\telvarion, on macOS ~/Library/Application Support/telvarion). Empty when the
// system names no home folder.
std::string UserFolder();

// Where an installed program keeps its starter files, from the folder of its executable.
std::string StarterFolderFor(const std::string& programFolder);

// Whether the folder holds at least one service file.
bool HoldsServiceFiles(const std::string& folder);

} // namespace data_folder
