#include "document/review_store.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "base/platform.h"
#include "core/ref_maker.h"
#include "core/tag_line.h"
#include "document/data_folder.h"
#include "document/tag_editor.h"
#include "storage/archive.h"
#include "storage/atomic_file.h"
#include "storage/service_file.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kMagic = 0x56525654; // "TVRV"
constexpr std::uint32_t kVersion = 1;
// The smallest row and the smallest list elements as stored, for checking counts.
constexpr std::size_t kRowBytes = 3 + 4 + 1 + 4 + 3 * 4;
constexpr std::size_t kAnchorBytes = 4 + 2 + 1;

bool IsTagTextOf(const std::string& text, bool local) { return local ? IsLocalTagLine(text) : IsOrvoTagLine(text); }

void WriteRow(CArchive& ar, const review_store::CKeptRow& kept)
{
    const CReviewRow& row = kept.row;
    ar.WriteByte(row.local ? 1 : 0);
    ar.WriteByte(static_cast<std::uint8_t>(row.kind));
    ar.WriteByte(static_cast<std::uint8_t>(row.why));
    ar.WriteUInt(static_cast<std::uint32_t>(std::min<std::size_t>(row.candidateCount, 0xFFFFFFFFu)));
    ar.WriteByte(kept.state);
    ar.WriteUInt(kept.line);
    ar.WriteUInt(static_cast<std::uint32_t>(kept.tags.size()));
    for (std::uint32_t tag : kept.tags)
        ar.WriteUInt(tag);
    ar.WriteUInt(static_cast<std::uint32_t>(kept.linked.size()));
    for (std::int32_t number : kept.linked)
        ar.WriteInt(number);
    ar.WriteUInt(static_cast<std::uint32_t>(row.anchorChanges.size()));
    for (const CReviewNote::CAnchorChange& change : row.anchorChanges) {
        ar.WriteInt(change.lineOffset);
        ar.WriteWord(change.position);
        ar.WriteByte(static_cast<std::uint8_t>(change.original));
    }
}

// Throws CArchiveException for anything it cannot trust.
review_store::CKeptRow ReadRow(CArchive& ar, std::uint32_t lineCount)
{
    const auto bad = [](const char* what) { return CArchiveException(CArchiveException::BadFormat, what); };
    review_store::CKeptRow kept;
    CReviewRow& row = kept.row;
    const std::uint8_t local = ar.ReadByte();
    const std::uint8_t kind = ar.ReadByte();
    const std::uint8_t why = ar.ReadByte();
    if (local > 1
        || (kind != static_cast<std::uint8_t>(LineClass::Link) && kind != static_cast<std::uint8_t>(LineClass::Open))
        || why > static_cast<std::uint8_t>(LineWhy::Undecided))
        throw bad("a row of no known kind");
    row.local = local == 1;
    row.kind = static_cast<LineClass>(kind);
    row.why = static_cast<LineWhy>(why);
    row.candidateCount = ar.ReadUInt();
    kept.state = ar.ReadByte();
    if (kept.state < ReviewUnreviewed || kept.state > ReviewOpen)
        throw bad("a row of no known state");
    kept.line = ar.ReadUInt();
    if (kept.line >= lineCount)
        throw bad("a row past the text");
    const std::uint32_t tags = ar.ReadCount(4);
    kept.tags.reserve(tags);
    for (std::uint32_t k = 0; k < tags; ++k) {
        kept.tags.push_back(ar.ReadUInt());
        if (kept.tags.back() >= lineCount)
            throw bad("a tag past the text");
    }
    const std::uint32_t linked = ar.ReadCount(4);
    kept.linked.reserve(linked);
    for (std::uint32_t k = 0; k < linked; ++k)
        kept.linked.push_back(ar.ReadInt());
    const std::uint32_t changes = ar.ReadCount(kAnchorBytes);
    row.anchorChanges.reserve(changes);
    for (std::uint32_t k = 0; k < changes; ++k) {
        CReviewNote::CAnchorChange change;
        change.lineOffset = ar.ReadInt();
        change.position = ar.ReadWord();
        change.original = static_cast<char>(ar.ReadByte());
        row.anchorChanges.push_back(change);
    }
    return kept;
}

} // namespace

namespace review_store {

std::string DefaultFolder()
{
    const std::string user = data_folder::UserFolder();
    if (user.empty())
        return {};
    return platform::FromFsPath(platform::ToFsPath(user) / "review") + static_cast<char>(fs::path::preferred_separator);
}

std::string NormalisedPath(const std::string& path)
{
    std::error_code ec;
    const fs::path given = platform::ToFsPath(path);
    fs::path normal = fs::weakly_canonical(given, ec);
    if (ec) {
        ec.clear();
        normal = fs::absolute(given, ec);
        if (ec)
            normal = given;
        normal = normal.lexically_normal();
    }
    return platform::FromFsPath(normal);
}

std::string FileFor(const std::string& folder, const std::string& documentPath)
{
    CBytesHash hash;
    hash.Add(NormalisedPath(documentPath));
    char name[32];
    std::snprintf(name, sizeof name, "%016llx.review", static_cast<unsigned long long>(hash.Value()));
    return platform::FromFsPath(platform::ToFsPath(folder) / name);
}

namespace {

CKeptReview CaptureOf(const CReview& review, std::size_t lineCount, const std::vector<CReviewPlace>& places)
{
    CKeptReview kept;
    kept.lineCount = static_cast<std::uint32_t>(lineCount);
    const std::vector<CReviewRow>& rows = review.Rows();
    for (std::size_t k = 0; k < rows.size(); ++k) {
        if (places[k].line == static_cast<std::size_t>(-1) || places[k].state == ReviewNone)
            continue;
        CKeptRow row;
        row.line = static_cast<std::uint32_t>(places[k].line);
        row.state = places[k].state;
        for (std::size_t tag : places[k].tagLines)
            row.tags.push_back(static_cast<std::uint32_t>(tag));
        row.row = rows[k];
        row.row.id = 0;
        for (const CDocRecvisits& doc : rows[k].linked)
            row.linked.push_back(doc.nBaseNumber);
        row.row.linked.clear();
        kept.rows.push_back(std::move(row));
    }
    return kept;
}

} // namespace

CKeptReview Capture(const CReview& review, const std::vector<CLineRecord>& records)
{
    return CaptureOf(review, records.size(), review.Places(records));
}

CKeptReview Capture(const CReview& review, const CLineRows& rows)
{
    return CaptureOf(review, static_cast<std::size_t>(std::max(rows.Count(), 0)), review.Places(rows));
}

std::string Serialize(const CKeptReview& kept)
{
    CArchive ar = CArchive::StoreMemory();
    ar.WriteUInt(kMagic);
    ar.WriteUInt(kVersion);
    ar.WriteString(kept.path);
    ar.WriteUInt(static_cast<std::uint32_t>(kept.bytesHash));
    ar.WriteUInt(static_cast<std::uint32_t>(kept.bytesHash >> 32));
    ar.WriteUInt(kept.lineCount);
    ar.WriteUInt(static_cast<std::uint32_t>(kept.rows.size()));
    for (const CKeptRow& row : kept.rows)
        WriteRow(ar, row);
    return ar.Bytes();
}

std::optional<CKeptReview> Parse(std::string bytes)
{
    try {
        CArchive ar = CArchive::LoadBytes(std::move(bytes));
        if (ar.ReadUInt() != kMagic || ar.ReadUInt() != kVersion)
            return std::nullopt;
        CKeptReview kept;
        kept.path = ar.ReadString();
        const std::uint64_t low = ar.ReadUInt();
        kept.bytesHash = low | (static_cast<std::uint64_t>(ar.ReadUInt()) << 32);
        kept.lineCount = ar.ReadUInt();
        const std::uint32_t rows = ar.ReadCount(kRowBytes);
        kept.rows.reserve(rows);
        for (std::uint32_t k = 0; k < rows; ++k)
            kept.rows.push_back(ReadRow(ar, kept.lineCount));
        if (ar.Remaining() != 0)
            return std::nullopt; // more than a review: not one this program wrote
        return kept;
    } catch (const CArchiveException&) {
        return std::nullopt;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

bool Store(const std::string& folder, const std::string& documentPath, std::uint64_t bytesHash, const CReview& review,
    const std::vector<CLineRecord>& records)
{
    if (folder.empty())
        return false;
    CKeptReview kept = review.Empty() ? CKeptReview {} : Capture(review, records);
    if (kept.rows.empty())
        return Remove(folder, documentPath);
    kept.path = NormalisedPath(documentPath);
    kept.bytesHash = bytesHash;
    std::error_code ec;
    fs::create_directories(platform::ToFsPath(folder), ec);
    if (ec)
        return false;
    return CAtomicFile::WriteWhole(FileFor(folder, documentPath), Serialize(kept));
}

bool Remove(const std::string& folder, const std::string& documentPath)
{
    if (folder.empty())
        return false;
    std::error_code ec;
    fs::remove(platform::ToFsPath(FileFor(folder, documentPath)), ec);
    return !ec;
}

std::optional<CKeptReview> Load(const std::string& folder, const std::string& documentPath, std::uint64_t bytesHash)
{
    if (folder.empty())
        return std::nullopt;
    const std::string file = FileFor(folder, documentPath);
    // Far more than any review of a real document: a file that large is none of ours.
    constexpr std::uintmax_t kLargest = 256u << 20;
    std::string bytes;
    if (!platform::ReadWholeFileUpTo(file, kLargest, bytes))
        return std::nullopt;
    std::optional<CKeptReview> kept = Parse(std::move(bytes));
    if (!kept || kept->bytesHash != bytesHash || kept->path != NormalisedPath(documentPath))
        return std::nullopt;
    return kept;
}

std::size_t Restore(const CKeptReview& kept, const std::vector<std::string>& texts, std::vector<CLineRecord>& records,
    CReview& review, const FindDocument& find)
{
    const std::size_t size = std::min(texts.size(), records.size());
    if (kept.lineCount != size)
        return 0;
    std::size_t restored = 0;
    for (const CKeptRow& keptRow : kept.rows) {
        const bool local = keptRow.row.local;
        const auto free = [&](std::uint32_t at) { return at < size && records[at].ReviewId(local) == 0; };
        bool fits = free(keptRow.line) && !IsTagLine(texts[keptRow.line]);
        for (std::size_t k = 0; fits && k < keptRow.tags.size(); ++k)
            fits = free(keptRow.tags[k]) && IsTagTextOf(texts[keptRow.tags[k]], local)
                && (k == 0 || keptRow.tags[k - 1] < keptRow.tags[k]);
        if (!fits)
            continue;
        CReviewRow row = keptRow.row;
        row.id = CRefMaker::NextReviewId();
        for (std::int32_t number : keptRow.linked) {
            CDocRecvisits doc;
            if (!find || !find(local, number, doc))
                doc.nBaseNumber = number; // gone from the base since: the row still names it
            row.linked.push_back(std::move(doc));
        }
        records[keptRow.line].ReviewId(local) = row.id;
        records[keptRow.line].ReviewState(local) = keptRow.state;
        for (std::uint32_t tag : keptRow.tags)
            records[tag].ReviewId(local) = row.id;
        review.Add(std::move(row));
        ++restored;
    }
    return restored;
}

} // namespace review_store
