#pragma once

// The review of a document kept between runs: written when the document is saved, read back when
// the same bytes are opened again. One file per document in the per-user folder's "review", named
// by the document's path; inside, the path itself and the hash of the bytes saved, so that another
// document, or the same file changed since by anyone, never gets a stale list. Per row it keeps
// what the row knows (base, class, why, candidate count, anchor changes), its state, where its
// line and its tags stood in the saved text and the numbers of the documents it links.
//
// The reader distrusts the file: a damaged, foreign or older file is no review at all; it is left
// alone and replaced at the next save. Nothing is ever written beside the document.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "document/review.h"

namespace review_store {

// <per-user folder>/review/ (with a trailing separator); empty when the system names no home.
std::string DefaultFolder();

// The path as the key knows it: absolute, links resolved where it exists, "." and ".." gone.
std::string NormalisedPath(const std::string& path);
// The file that keeps the review of the document at path.
std::string FileFor(const std::string& folder, const std::string& documentPath);

struct CKeptRow {
    CReviewRow row; // its id is given anew when it is restored
    std::uint8_t state = ReviewNone;
    std::uint32_t line = 0; // in the saved text lines
    std::vector<std::uint32_t> tags; // the row's tags of its base, in text order
    std::vector<std::int32_t> linked; // the linked documents' numbers in base
};

struct CKeptReview {
    std::string path; // normalised
    std::uint64_t bytesHash = 0;
    std::uint32_t lineCount = 0;
    std::vector<CKeptRow> rows;
};

// The rows of the review as the records say now; rows whose line is gone are left out.
CKeptReview Capture(const CReview& review, const std::vector<CLineRecord>& records);
// The same over the view's rows, none of them copied.
CKeptReview Capture(const CReview& review, const CLineRows& rows);

// Keeps the review of the document just saved at path with these bytes; a review with no row
// standing removes the kept one. False when the file could not be written or removed.
bool Store(const std::string& folder, const std::string& documentPath, std::uint64_t bytesHash, const CReview& review,
    const std::vector<CLineRecord>& records);
// Forgets the review of the document at path.
bool Remove(const std::string& folder, const std::string& documentPath);

// The bytes of a kept review, and back; Parse gives nothing for bytes it cannot trust whole.
std::string Serialize(const CKeptReview& kept);
std::optional<CKeptReview> Parse(std::string bytes);

// The kept review of the document at path when it was saved with exactly these bytes.
std::optional<CKeptReview> Load(const std::string& folder, const std::string& documentPath, std::uint64_t bytesHash);

// The document of a base by its number; false when the base has none.
using FindDocument = std::function<bool(bool local, std::int32_t number, CDocRecvisits& out)>;

// Puts the kept rows on the freshly read lines: each a new id on its line and tags, its state on
// its line, the row added to review. A row whose line is a tag line, whose tags are not tag lines
// of its base, or that meets another row of its base there is skipped. The rows restored.
std::size_t Restore(const CKeptReview& kept, const std::vector<std::string>& texts, std::vector<CLineRecord>& records,
    CReview& review, const FindDocument& find);

} // namespace review_store
