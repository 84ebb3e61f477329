#pragma once

// Every file the program writes goes through here: the content goes to a temporary file in the
// target's folder, is flushed to the disk, and only then renamed over the target. A crash, a full
// disk or a failed write never leaves a half-written file; the old one stays as it was.

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>

class CAtomicFile {
public:
    enum class Step { Create, Write, Flush, Rename };
    // Tests make a step fail on purpose: the hook returns true to fail it.
    using FaultHook = std::function<bool(Step step, const std::string& target)>;
    static void SetFaultHook(FaultHook hook);

    explicit CAtomicFile(std::string targetPath);
    ~CAtomicFile();
    CAtomicFile(const CAtomicFile&) = delete;
    CAtomicFile& operator=(const CAtomicFile&) = delete;

    // Creates the temporary file. False when it cannot be created.
    bool Open();
    // False once any write has failed; later writes are ignored.
    bool Write(const void* data, std::size_t size);
    bool Write(std::string_view s) { return Write(s.data(), s.size()); }
    // Flushes, closes and renames over the target. On failure the target is untouched and the
    // temporary file removed.
    bool Commit();
    // Drops the temporary file; the target is untouched.
    void Abort();

    bool IsOpen() const { return m_file != nullptr; }
    const std::string& TargetPath() const { return m_target; }
    // What went wrong, for messages and diagnostics ("" when nothing did).
    const std::string& ErrorText() const { return m_error; }
    // The system's code of the first failure (an injected fault is an input/output error).
    const std::error_code& ErrorCode() const { return m_code; }

    // Writes a whole file at once.
    static bool WriteWhole(const std::string& targetPath, std::string_view content, std::string* error = nullptr);
    // Removes from a folder the temporary files of writers that never finished (the program was
    // killed or the machine stopped mid-write) and that are older than minAgeSeconds, so that a
    // writer still at work keeps its file. Returns how many went.
    static int RemoveStaleTemporaries(const std::string& folder, long long minAgeSeconds = 3600);

private:
    bool Fail(Step step, const std::string& text, std::error_code code);

    std::string m_target;
    std::string m_temp;
    std::FILE* m_file = nullptr;
    bool m_failed = false;
    std::string m_error;
    std::error_code m_code;
};
