#pragma once

// The requisites of one legal document: number in base, types, adopting bodies, numbers,
// adoption dates, edition date and name. The same record describes a document of either base,
// what an analysis recognised in a line, and the three slots of every line record.

#include <cstdint>
#include <string>
#include <vector>

#include "base/ole_date.h"

class CArchive;

class CDocRecvisits {
public:
    std::int32_t nBaseNumber = 0;
    std::vector<std::string> types;         // "Вид документа"
    std::vector<std::string> bodies;        // "Принявший орган"
    std::vector<std::string> numbers;       // "Номер", as written
    std::vector<COleDate> adoptionDates;    // "Дата принятия"
    COleDate editionDate = COleDate::NoDate(); // "Редакция от"
    std::string name;                       // "Название документа"

    void Clear();
    bool Equals(const CDocRecvisits& other) const;

    // The text form shown wherever requisites are displayed, in code page 1251.
    // The notepad's question leaves the edition date line out.
    std::string Describe(bool withEditionDate = true) const;

    // Stored form: number in base, name, edition date, adoption dates, types, numbers, bodies
    // (written and read with the documents dictionary, storage/doc_dict.cpp).
    void Serialize(CArchive& ar);

    // How many of the four kinds (types, bodies, numbers, adoption dates) are not empty.
    int DeterminedKinds() const;
};

// Date recognisers for running text. Each appends every date it finds in the line to dates, in
// the order found; the caller's line is not changed. FindMonthNameDates expects upper-case text.
void FindNumericDates(const std::string& line, std::vector<COleDate>& dates);
void FindMonthNameDates(const std::string& line, std::vector<COleDate>& dates);
