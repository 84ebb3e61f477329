#include "requisites/certainty.h"

const char* LineClassKey(LineClass kind)
{
    switch (kind) {
    case LineClass::Link:
        return "link";
    case LineClass::Nothing:
        return "nothing";
    case LineClass::Open:
        break;
    }
    return "open";
}

const char* LineWhyKey(LineWhy why)
{
    switch (why) {
    case LineWhy::OnlyCandidate:
        return "only";
    case LineWhy::CitedTogether:
        return "paired";
    case LineWhy::NoCandidates:
        return "no-candidates";
    case LineWhy::Itself:
        return "itself";
    case LineWhy::CitedNearby:
        return "cited-nearby";
    case LineWhy::NotInBase:
        return "not-in-base";
    case LineWhy::Publication:
        return "publication";
    case LineWhy::Undecided:
        break;
    }
    return "undecided";
}

const char* LineWhyText(LineWhy why)
{
    switch (why) {
    case LineWhy::OnlyCandidate:
        return "единственный кандидат";
    case LineWhy::CitedTogether:
        return "номер и дата рядом";
    case LineWhy::NoCandidates:
        return "нет кандидатов";
    case LineWhy::Itself:
        return "это сам документ";
    case LineWhy::CitedNearby:
        return "ссылка у соседней строки";
    case LineWhy::NotInBase:
        return "нет в базе";
    case LineWhy::Publication:
        return "источник публикации";
    case LineWhy::Undecided:
        break;
    }
    return "нужно решение";
}
