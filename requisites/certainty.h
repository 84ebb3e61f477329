#pragma once

// How sure the analysis is of a suspicious line once its candidates are found: a link it may place
// without asking, nothing to link, or a line a person has to decide. The analysis without
// questions places exactly the certain links; the candidates dialog preselects them.

#include <cstddef>
#include <cstdint>
#include <vector>

enum class LineClass : std::uint8_t {
    Link, // the chosen candidates are the documents the line cites
    Nothing, // certain that the line is no place for a link
    Open, // needs a decision
};

enum class LineWhy : std::uint8_t {
    OnlyCandidate, // one candidate, and the line itself names it
    CitedTogether, // its number and date stand together in the line
    NoCandidates,
    Itself, // the only candidates are the open document
    CitedNearby, // the citation is another line's: it begins above, or on the next examined line
    NotInBase, // no document of the base has a number and date the line cites
    Publication, // "N 52, ст. 5881": an issue of a gazette, the line cites no act by itself
    Undecided, // several candidates and no citation chooses, or the line itself names none
};

struct CLineCertainty {
    LineClass kind = LineClass::Open;
    LineWhy why = LineWhy::Undecided;
    std::vector<std::size_t> chosen; // indexes of the candidates to link, for a Link
};

// For the tool's JSON: "link", "nothing", "open" and "only", "paired", "no-candidates", "itself",
// "cited-nearby", "not-in-base", "publication", "undecided".
const char* LineClassKey(LineClass kind);
const char* LineWhyKey(LineWhy why);
// For the person (UTF-8): "единственный кандидат", "номер и дата рядом", …
const char* LineWhyText(LineWhy why);
