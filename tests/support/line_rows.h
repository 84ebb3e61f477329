#pragma once

// The rows of a document as plain lists with a selection, as the view holds them, for the tests of
// what works over CLineRows.

#include <string>
#include <utility>
#include <vector>

#include "core/line_record.h"
#include "document/tag_editor.h"

// The rows as plain lists with a selection, as the view holds them.
class CRows : public CLineRows {
public:
    std::vector<std::string> texts;
    std::vector<CLineRecord> records;
    int selected = -1;
    int replaced = 0;

    int Count() const override { return static_cast<int>(texts.size()); }
    const std::string& Text(int row) const override { return texts.at(static_cast<std::size_t>(row)); }
    const CLineRecord& Record(int row) const override { return records.at(static_cast<std::size_t>(row)); }
    int Selected() const override { return selected; }
    void SetText(int row, std::string text) override { texts.at(static_cast<std::size_t>(row)) = std::move(text); }
    void Set(int row, std::string text, CLineRecord record) override
    {
        texts.at(static_cast<std::size_t>(row)) = std::move(text);
        records.at(static_cast<std::size_t>(row)) = std::move(record);
    }
    void SetReviewState(int row, bool local, std::uint8_t state) override
    {
        records.at(static_cast<std::size_t>(row)).ReviewState(local) = state;
    }
    void Insert(int row, std::string text, CLineRecord record) override
    {
        texts.insert(texts.begin() + row, std::move(text));
        records.insert(records.begin() + row, std::move(record));
    }
    void Remove(int row) override
    {
        texts.erase(texts.begin() + row);
        records.erase(records.begin() + row);
    }
    void Swap(int a, int b) override
    {
        std::swap(texts.at(static_cast<std::size_t>(a)), texts.at(static_cast<std::size_t>(b)));
        std::swap(records.at(static_cast<std::size_t>(a)), records.at(static_cast<std::size_t>(b)));
    }
    void Copy(std::vector<std::string>& t, std::vector<CLineRecord>& r) const override
    {
        t = texts;
        r = records;
    }
    void Replace(std::vector<std::string> t, std::vector<CLineRecord> r) override
    {
        texts = std::move(t);
        records = std::move(r);
        ++replaced;
    }
    void Select(int row) override { selected = row >= 0 && row < Count() ? row : -1; }
    void ClearSelection() override { selected = -1; }
};
