#pragma once

// What a line says of one document in particular, beyond the points of the scoring: a number and
// a date that stand together as one citation ("от 29 июня 2004 г. N 58-ФЗ", "N 245-п от
// 22.06.2016"), and whether a candidate is the open document itself (an appendix that names its
// own decree is no reference to link). Text is code page 1251.

#include <string>
#include <string_view>
#include <vector>

#include "requisites/doc_recvisits.h"

// A number and a date cited together.
struct CCitedPair {
    std::string number; // as the number recogniser reads it (upper case, trailing punctuation gone)
    COleDate date;
};

// Every number after " N " with the date just before it (only blanks and "г.", "г", "года"
// between) or just after "N NUMBER от", in the order of the numbers. A date is numeric
// (01.02.2003) or day, month name and year. The text is a recognition text: its lines joined by
// blanks, so a citation broken across lines is read whole.
std::vector<CCitedPair> FindCitedPairs(std::string_view text);

// The citations of one line of a recognition text: those of before + line + after (joined by
// blanks) that are not wholly in before. A citation that the lines above have made is theirs;
// one broken across the line's edges, or made on the next line (a citation often follows the
// line that names the act), is this line's.
std::vector<CCitedPair> FindCitedPairsOfLine(std::string_view before, std::string_view line, std::string_view after);

// What one line of a window of lines cites, for deciding whether the line is the place of a link.
// A citation is the place of the first examined line it stands on; one that stands on no examined
// line is that of the examined line just before it (a citation often follows the line that names
// the act). Here dates may have two-digit years ("от 07.07.93 г. N 5334-I").
struct CLineCitations {
    std::vector<CCitedPair> own; // the citations this line is the place of
    std::vector<CCitedPair> elsewhere; // citations of the window that are another line's
    // Numbers after " N " and dates in the line itself, outside another line's citations; an
    // issue of a gazette ("N 52, ст. 5881") is no number.
    std::vector<std::string> numbers;
    std::vector<COleDate> dates;
    // The same in the window's other examined lines.
    std::vector<std::string> nearbyNumbers;
    std::vector<COleDate> nearbyDates;
    bool publication = false; // the line cites an issue of a gazette
};
// lines: the window, text lines only; suspicious: whether each is a line the analysis examines;
// at: the line in question.
CLineCitations CitationsOfLine(
    const std::vector<std::string_view>& lines, const std::vector<bool>& suspicious, std::size_t at);

// Whether one of the candidate's numbers or adoption dates is among these.
bool CitesDocument(
    const CDocRecvisits& candidate, const std::vector<std::string>& numbers, const std::vector<COleDate>& dates);

// Whether one of the candidate's numbers and one of its adoption dates are cited together.
bool IsCitedTogether(const CDocRecvisits& candidate, const std::vector<CCitedPair>& pairs);

// The requisites the document's header gives: "$5  Вид документа", "$4  Принявший орган",
// "$7  Номер", "$6  Дата принятия" (each field's values on the lines after it, up to the next
// field or an empty line) and "$0  Номер в базе" (0 when absent). Values upper case.
CDocRecvisits HeaderRequisites(const std::vector<std::string>& headerLines);

// How one candidate agrees with the line it is proposed for: the points of the scoring, kind by
// kind, and the two facts beyond them.
struct CCandidateAgreement {
    bool type = false;
    bool body = false;
    bool number = false;
    bool date = false;
    bool citedTogether = false; // one of its numbers and one of its dates stand together as a citation
    bool itself = false;        // the open document (never a reference to link)
};

// The choice among several candidates that the paired policy makes and the candidates dialog
// preselects: cited together, and not the open document.
inline bool ChosenWhenPaired(const CCandidateAgreement& a) { return a.citedTogether && !a.itself; }

// How a candidate agrees, in words for the person (UTF-8): "совпадают: вид, номер, дата; нет:
// орган · номер и дата стоят рядом", and "· это сам документ" for the open document.
std::string AgreementText(const CCandidateAgreement& agreement);

// Whether the candidate is the open document: its type, body, number and adoption date all equal
// the header's (none of them missing), or, in the local base, its number in base is the header's.
bool IsDocumentItself(const CDocRecvisits& candidate, const CDocRecvisits& header, bool localBase);
