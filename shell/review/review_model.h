#pragma once

// The rows of the review list over the document's review and the line view's records: where each
// row stands now (CReview::Places), the rows the filter lets through in text order, and, when
// grouped, one row per linked document. Only the rows drawn are turned into text, so a document
// of 20,000 lines with thousands of rows costs one walk over its records per refresh.

#include <cstddef>
#include <vector>

#include <QAbstractTableModel>

#include "document/review.h"

class CLineModel;

class CReviewModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { LineColumn, BaseColumn, StateColumn, DocumentColumn, WhyColumn, ColumnCount };
    // The review row (or rows of a group) behind a list row, for tests and the list's keys.
    static constexpr int ReviewRowRole = Qt::UserRole + 1;

    CReviewModel(const CReview& review, const CLineModel& lines, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The places anew from the records, then the list; the model is reset.
    void Refresh();
    void SetFilter(ReviewFilter filter);
    ReviewFilter Filter() const { return m_filter; }
    void SetGrouped(bool grouped);
    bool Grouped() const { return m_grouped; }

    // The review rows a list row stands for (one, or a group's); empty outside the list.
    std::vector<std::size_t> RowsOf(int listRow) const;
    // The list row that shows review row k; -1 when the filter leaves it out.
    int ListRowOf(std::size_t k) const;
    const CReviewPlace* Place(std::size_t k) const { return k < m_places.size() ? &m_places[k] : nullptr; }
    // Whether a list row still waits for the person: a link not looked at or a line to decide.
    bool Undecided(int listRow) const;
    // The first undecided list row after review row k in text order, else the first one; -1: none.
    int NextUndecided(std::size_t k) const;
    const CReview::CCounts& Counts() const { return m_counts; }

    // "не проверена", "принята", "отклонена", "нужно решение".
    static QString StateText(std::uint8_t state);
    // The linked document in one line: number in base, type, number, date, name.
    static QString ShortDescription(const CDocRecvisits& doc);

private:
    void Rebuild();
    QString DocumentText(std::size_t k) const;
    QString WhyText(std::size_t k) const;
    std::uint8_t GroupState(const std::vector<std::size_t>& rows) const;

    const CReview& m_review;
    const CLineModel& m_lines;
    std::vector<CReviewPlace> m_places;
    std::vector<std::size_t> m_ordered;
    std::vector<CReview::CGroup> m_groups;
    std::vector<int> m_listRowOf; // per review row; -1: not shown
    CReview::CCounts m_counts;
    ReviewFilter m_filter = ReviewFilter::All;
    bool m_grouped = false;
};
