#pragma once

// Readable text forms of the keyword and requisite value dictionaries, for loading them from
// files a person writes (UTF-8, one entry per line) and for showing them.
//
//   # a comment
//   ПОСТАНОВЛЕНИЕ; ПОСТ.; ПОСТАНОВЛЕНИЯ
//
// Empty lines, lines starting with "#", empty synonyms and a leading byte-order mark are
// skipped. Every value, synonym and keyword is normalised, so it is stored upper-case and matches.

#include <string>
#include <string_view>
#include <vector>

#include "storage/recv_dict.h"

std::vector<std::string> ParseKeywordText(std::string_view utf8);
CRecvDict ParseRecvDictText(std::string_view utf8);

// "VALUE; SYN1; SYN2", code page 1251.
std::string FormatRecvRec(const CRecvRec& rec);
