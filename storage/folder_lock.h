#pragma once

// The lock of a data folder: while a program that writes the service files works on a folder, the
// folder holds the file Telvarion.lock saying who that is (lines "host=", "user=", "pid=",
// "program=", UTF-8). Another program that would write there sees who holds it and refuses (the
// command-line tool) or offers to work read-only (the desktop program).
//
// The file appears whole at once (platform::CreateExclusive) and is removed by its holder. A lock
// left by a program that ended without removing it, on this same machine, is taken over when its
// process no longer runs, or when the process now running under its id started later than the
// holder did (the line "started=", where the system tells it: ids are reused, after a restart of
// the machine above all). A lock of another machine, or one that cannot be read as a lock at all,
// is never taken over: whether its holder still works cannot be known from here, and writing
// under a live holder would lose its work. The person removes such a file by hand; the messages
// name it.

#include <string>
#include <system_error>

inline constexpr const char* kLockFile = "Telvarion.lock";

// Who holds a lock, as its file says.
struct CLockHolder {
    std::string host;
    std::string user;
    std::string program;
    long long pid = 0;
    std::string started; // platform::ProcessStartMark of the holder; empty when not known
    bool known = false;  // false: the file could not be read as a lock
};

// Whether the holder has ended for sure: it ran on this machine and its process no longer runs,
// or runs under a later start mark (its id reused). A holder of another machine, or one not
// known, is never taken for gone.
bool HolderGone(const CLockHolder& holder);

class CDataFolderLock {
public:
    enum class Result {
        Taken,     // the lock is ours now
        Held,      // another program holds it; Holder() says who
        ReadOnly,  // the folder does not let us create the file (permissions, a read-only disk)
        Failed,    // anything else (a missing folder...); Error() says what
    };

    // program: the name written into the lock ("telvarion", "telvarion-cli").
    CDataFolderLock(std::string folder, std::string program);
    // Releases the lock when it is held.
    ~CDataFolderLock();
    CDataFolderLock(const CDataFolderLock&) = delete;
    CDataFolderLock& operator=(const CDataFolderLock&) = delete;

    Result Take();
    // Removes the lock file when it is still the one this object created.
    void Release();
    bool IsTaken() const { return m_taken; }

    // After Held: who holds the folder.
    const CLockHolder& Holder() const { return m_holder; }
    // After Held: "программа telvarion, пользователь ivanov, компьютер office-3, процесс 4242",
    // or "неизвестно (файл … не читается как блокировка)"; UTF-8.
    std::string HolderText() const;
    // After ReadOnly or Failed: the system's reason.
    const std::error_code& Error() const { return m_error; }
    const std::string& LockPath() const { return m_path; }

    // The content of a lock file for a holder, and back. Parse distrusts everything: a file too
    // long, a line without "=", a missing host or pid, a pid that is not a positive number make it
    // unknown.
    static std::string Format(const CLockHolder& holder);
    static CLockHolder Parse(const std::string& text);
    // The holder this process writes.
    static CLockHolder ThisProcess(const std::string& program);

private:
    // Removes a lock left by a dead process of this machine, unless another program has taken
    // its place meanwhile. True when the name is free again.
    bool TakeOverStale(const std::string& seen);

    std::string m_folder;
    std::string m_path;
    std::string m_program;
    std::string m_content; // what we wrote, to recognise our own file on release
    CLockHolder m_holder;
    std::error_code m_error;
    bool m_taken = false;
};
