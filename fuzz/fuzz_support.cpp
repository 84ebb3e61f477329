#include "fuzz/fuzz_support.h"

#include <filesystem>
#include <random>
#include <system_error>

#include "core/tag_line.h"
#include "storage/archive.h"
#include "storage/atomic_file.h"

SelectDocumentsResult CFuzzUi::SelectDocuments(const SelectDocumentsRequest& request)
{
    SelectDocumentsResult result;
    result.endCode = AnswerOk;
    if (!request.candidates.empty())
        result.chosen.push_back(request.candidates.front());
    return result;
}

InnerTagAnswer CFuzzUi::AskInnerTagParameters(const InnerTagRequest& request)
{
    InnerTagAnswer answer;
    answer.answer = AnswerYes;
    answer.tag = FormatLocalTag(LinkKinds()[kNullLinkKind].code, request.number, 0, false, false);
    return answer;
}

int CFuzzUi::AskTagCandidates(
    const std::vector<CDocRecvisits>&, std::vector<std::string>&, std::vector<CLineRecord>&, std::size_t)
{
    static const int answers[] = { AnswerYes, AnswerYes, AnswerNo, AnswerYes, AnswerCancel };
    return answers[confirmTurn++ % 5];
}

namespace fuzz {

const std::string& ScratchFolder()
{
    static const std::string folder = [] {
        std::error_code ec;
        std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec)
            ? std::filesystem::path("/dev/shm")
            : std::filesystem::temp_directory_path(ec);
        auto dir = base / ("telvarion-fuzz-" + std::to_string(std::random_device {}()));
        std::filesystem::create_directories(dir, ec);
        if (ec)
            Fail("cannot create the scratch folder");
        // Removed when the process ends normally; a crash leaves it for the post-mortem.
        static const struct Remover {
            std::filesystem::path path;
            ~Remover()
            {
                std::error_code e;
                std::filesystem::remove_all(path, e);
            }
        } remover { dir };
        return dir.string();
    }();
    return folder;
}

std::string WriteScratch(const std::string& name, std::string_view bytes)
{
    const std::string path = (std::filesystem::path(ScratchFolder()) / name).string();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        Fail("cannot write a scratch file");
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !ok)
        Fail("cannot write a scratch file");
    return path;
}

void Fail(const char* what)
{
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

void LoadAndRoundTrip(const std::uint8_t* data, std::size_t size, const std::function<void(CArchive&)>& io,
    const std::function<void(CArchive&)>& freshIo)
{
    CArchive in = CArchive::LoadBytes(std::string(reinterpret_cast<const char*>(data), size));
    try {
        io(in);
    } catch (const CArchiveException&) {
        // What was read before the failure must still store.
        CArchive out = CArchive::StoreMemory();
        io(out);
        return;
    }
    CArchive first = CArchive::StoreMemory();
    io(first);
    CArchive again = CArchive::LoadBytes(first.Bytes());
    try {
        freshIo(again);
    } catch (const CArchiveException& e) {
        std::fprintf(stderr, "%s\n", e.what());
        Fail("what was stored does not load");
    }
    Check(again.Remaining() == 0, "a stored file has bytes its load does not read");
    CArchive second = CArchive::StoreMemory();
    freshIo(second);
    Check(first.Bytes() == second.Bytes(), "a stored file loads into something that stores differently");
}

} // namespace fuzz
