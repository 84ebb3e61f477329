#pragma once

// The rows of the open document as the view holds them, for what changes them without a window:
// the tag editor, the review, the undo history.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/line_record.h"

// The rows of the open document as the view holds them: texts and line records, one for one.
class CLineRows {
public:
    virtual ~CLineRows() = default;
    virtual int Count() const = 0;
    virtual const std::string& Text(int row) const = 0;
    virtual const CLineRecord& Record(int row) const = 0;
    // The selected row, or -1 when not exactly one row is selected.
    virtual int Selected() const = 0;
    virtual void SetText(int row, std::string text) = 0;
    // The row's text and record anew (what the undo history puts back).
    virtual void Set(int row, std::string text, CLineRecord record) = 0;
    // The state of a review row kept on its line (CLineRecord::ReviewState).
    virtual void SetReviewState(int row, bool local, std::uint8_t state) = 0;
    // The line goes in at row; the rows from there on move down by one.
    virtual void Insert(int row, std::string text, CLineRecord record) = 0;
    virtual void Remove(int row) = 0;
    virtual void Swap(int a, int b) = 0;
    virtual void Copy(std::vector<std::string>& texts, std::vector<CLineRecord>& records) const = 0;
    // All rows anew, the view staying where it was.
    virtual void Replace(std::vector<std::string> texts, std::vector<CLineRecord> records) = 0;
    // Selects and shows the row (with its link in the requisites bar); a row outside the rows
    // selects nothing.
    virtual void Select(int row) = 0;
    virtual void ClearSelection() = 0;
};

// The rows as plain lists, without a selection: a step of the undo history applied on copies, and
// the rows of the tests. Every index is checked.
class CListRows : public CLineRows {
public:
    std::vector<std::string> texts;
    std::vector<CLineRecord> records;

    int Count() const override { return static_cast<int>(texts.size()); }
    const std::string& Text(int row) const override { return texts.at(static_cast<std::size_t>(row)); }
    const CLineRecord& Record(int row) const override { return records.at(static_cast<std::size_t>(row)); }
    int Selected() const override { return -1; }
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
    }
    void Select(int) override { }
    void ClearSelection() override { }
};
