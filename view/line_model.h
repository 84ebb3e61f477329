#pragma once

// The rows of the line view: the document's text lines (code page 1251, as the engine holds
// them) and their line records, one for one. Every change of rows changes both lists together.
// Texts are turned into Unicode only when a row is drawn, so a document of 100,000 lines costs
// no more than its own bytes.

#include <string>
#include <vector>

#include <QAbstractListModel>

#include "core/line_record.h"
#include "view/pictures.h"

class CLineModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        TextRole = Qt::UserRole + 1, // QByteArray: the line's code page 1251 bytes
        KindRole,                    // int: nKind
        BookmarkRole,                // bool
        PictureRole,                 // int: LinePicture index, PictureNone for none
        LongestLineRole,             // int: characters of the longest row (the same for every row)
    };

    explicit CLineModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    int Count() const { return static_cast<int>(m_texts.size()); }
    const std::vector<std::string>& Texts() const { return m_texts; }
    const std::vector<CLineRecord>& Records() const { return m_records; }
    const std::string& Text(int row) const { return m_texts[static_cast<std::size_t>(row)]; }
    const CLineRecord& Record(int row) const { return m_records[static_cast<std::size_t>(row)]; }

    // Replaces all rows. Records missing at the end are made new and surplus ones dropped, so the
    // lists always match.
    void Reset(std::vector<std::string> texts, std::vector<CLineRecord> records);
    void Clear();
    void Copy(std::vector<std::string>& texts, std::vector<CLineRecord>* records) const;

    void SetText(int row, std::string text);
    void SetRecord(int row, CLineRecord record);
    void SetBookmark(int row, bool on);
    void SetReviewState(int row, bool local, std::uint8_t state);
    // The line goes in at row; the rows from there on move down by one.
    void InsertLine(int row, std::string text, CLineRecord record);
    void RemoveLine(int row);
    // Exchanges the contents of two rows; the rows themselves stay, and so does the selection.
    void SwapLines(int a, int b);
    // Takes the line out of row from and puts it in at row to (counted after the removal).
    void MoveLine(int from, int to);

    // The flags of the picture and visibility rules. After changing them call PicturesChanged.
    ShownPicturesFlags& ShownPictures() { return m_shown; }
    const ShownPicturesFlags& ShownPictures() const { return m_shown; }
    int Picture(int row) const { return PictureIndex(Record(row), m_shown); }
    bool IsShownSuspicious(int row) const;
    // Every row's picture may have changed.
    void PicturesChanged();

    int LongestLine() const;

private:
    void RowChanged(int row, const QList<int>& roles);

    std::vector<std::string> m_texts;
    std::vector<CLineRecord> m_records;
    ShownPicturesFlags m_shown = DefaultShownPictures();
    mutable int m_longest = 0;
    mutable bool m_longestKnown = true;
};
