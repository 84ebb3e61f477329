#pragma once

// Dates written as text in headers and list files: "DD.MM.YYYY", read the way "%02d.%02d.%04d"
// has always read them (blanks before a field skipped, a sign allowed, at most 2, 2 and 4
// characters). A field that cannot be read, or a day the calendar lacks, gives an invalid date.

#include <string_view>

#include "base/ole_date.h"

COleDate ParseDottedDate(std::string_view text);
