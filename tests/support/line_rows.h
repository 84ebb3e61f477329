#pragma once

// The rows of a document as plain lists with a selection, as the view holds them, for the tests of
// what works over CLineRows.

#include <string>
#include <utility>
#include <vector>

#include "document/line_rows.h"
#include "document/tag_editor.h"

// The rows as plain lists with a selection, as the view holds them; Replace counted.
class CRows : public CListRows {
public:
    int selected = -1;
    int replaced = 0;

    int Selected() const override { return selected; }
    void Replace(std::vector<std::string> t, std::vector<CLineRecord> r) override
    {
        CListRows::Replace(std::move(t), std::move(r));
        ++replaced;
    }
    void Select(int row) override { selected = row >= 0 && row < Count() ? row : -1; }
    void ClearSelection() override { selected = -1; }
};
