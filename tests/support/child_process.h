#pragma once

// Other processes for the tests of what the program shares with them (the data folder's lock).

// The id of a process that has ended (and been waited for), so that nothing runs under it.
long long DeadPid();

// A process that runs until the object ends, for a lock held by someone alive.
class CLiveProcess {
public:
    CLiveProcess();
    ~CLiveProcess();
    CLiveProcess(const CLiveProcess&) = delete;
    CLiveProcess& operator=(const CLiveProcess&) = delete;
    long long Pid() const { return m_pid; }

private:
    long long m_pid = 0;
    void* m_handle = nullptr; // Windows: the process and its input pipe
    void* m_input = nullptr;
};
