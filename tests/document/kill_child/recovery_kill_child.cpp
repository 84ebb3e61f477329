// The child of the kill loop (recovery_test.cpp): writes the recovery data of growing documents
// through the real writer into its own file of the folder given, for ever, telling "begin N" before
// each write and "done N" after it finished. The parent kills it at random moments.

#include <cstdio>
#include <string>

#include "base/platform.h"
#include "kill_loop_document.h"

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    const CLockHolder owner = CDataFolderLock::ThisProcess("telvarion");
    const std::string file
        = platform::FromFsPath(platform::ToFsPath(argv[1]) / platform::ToFsPath(recovery::FileNameOf(owner)));
    std::printf("%lld\n", owner.pid);
    recovery::CRecoveryWriter writer(file, [](const recovery::CRecoveryWriter::CReport& report) {
        std::printf("%s %llu\n", report.ok ? "done" : "failed", static_cast<unsigned long long>(report.sequence));
        std::fflush(stdout);
    });
    for (std::uint64_t sequence = 1;; ++sequence) {
        recovery::CSnapshot snapshot = KillLoopSnapshot(sequence);
        snapshot.data.owner = owner;
        std::printf("begin %llu %d\n", static_cast<unsigned long long>(sequence), sequence % 3 == 0 ? 1 : 0);
        std::fflush(stdout);
        writer.Submit(std::move(snapshot));
        writer.Wait();
    }
}
