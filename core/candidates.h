#pragma once

// Candidate matching shared by both bases: what a text fragment names (types, bodies, numbers,
// dates), which documents of a dictionary agree with it in at least three of the four kinds, the
// merging of duplicates and the order in which candidates are offered.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "requisites/citation.h"
#include "requisites/doc_recvisits.h"
#include "base/ole_date.h"
#include "base/phrase_match.h"
#include "storage/doc_dict.h"

// The requisites recognised in a text, each list without duplicates (first kept), dates ascending.
struct CFoundRequisites {
    std::vector<std::string> types;
    std::vector<std::string> bodies;
    std::vector<std::string> numbers;
    std::vector<COleDate> dates;
};

CFoundRequisites RecognizeRequisites(
    std::string_view text, const CPhraseSet& typePhrases, const CPhraseSet& bodyPhrases);

// The numbers written after " N " (Latin capital N between blanks) in a normalised text framed by
// blanks, each cleaned of trailing punctuation.
std::vector<std::string> FindNumbers(std::string_view framedText);

// Requisites as ids of a dictionary's indexes, sorted, ready for scoring.
struct CFoundIds {
    std::vector<std::int32_t> types;
    std::vector<std::int32_t> bodies;
    std::vector<std::int32_t> numbers;
    std::vector<COleDate> dates;
};

CFoundIds ToFoundIds(const CDocDict& dict, const std::vector<std::string>& types, const std::vector<std::string>& bodies,
    const std::vector<std::string>& numbers, const std::vector<COleDate>& dates);

// 0..4: one point per kind that agrees (one list holds every element of the other; numbers and
// dates also agree when both are empty).
int ScoreRecord(const CDocRec& rec, const CFoundIds& found);
int ScoreRecord(const CDocRecords& records, std::size_t row, const CFoundIds& found);

// The records of the dictionary, in order, with at least 3 points and an edition not later than
// the effective date. skipWithoutNumberOrDate: a record with neither numbers nor adoption dates is
// not scored at all. ScoreDocuments scores only the records the dictionary's index names;
// ScoreDocumentsByScan scores every record and is the reference the other must always agree with.
std::vector<CDocRec> ScoreDocuments(
    const CDocDict& dict, const CFoundIds& found, const COleDate& effective, bool skipWithoutNumberOrDate);
std::vector<CDocRec> ScoreDocumentsByScan(
    const CDocDict& dict, const CFoundIds& found, const COleDate& effective, bool skipWithoutNumberOrDate);

// Records equal in dates, types, numbers and bodies collapse into the one with the latest edition.
void MergeDuplicates(std::vector<CDocRec>& records);

// Ascending number (by value, then bytes), and for equal numbers the most recent first.
bool CompareCandidates(const CDocRecvisits& a, const CDocRecvisits& b);
void SortCandidates(std::vector<CDocRecvisits>& candidates);

// How each candidate agrees with its line: the scoring's points kind by kind against found (the
// requisites recognised in its recognition text), whether the line cites one of its numbers and
// dates together (pairs), and whether it is the document the header describes (localBase: by
// number in base too).
std::vector<CCandidateAgreement> AgreementsOf(const CDocDict& dict, const std::vector<CDocRecvisits>& candidates,
    const CDocRecvisits& found, const std::vector<CCitedPair>& pairs, const CDocRecvisits& header, bool localBase);
