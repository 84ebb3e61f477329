#pragma once

// A list box whose entries may span several lines. Each entry is drawn word-wrapped in its own
// rectangle, as tall as its text, with a separator along its bottom, so whole requisites texts of
// candidate documents can be compared at a glance.

#include <vector>

#include <QAbstractListModel>
#include <QColor>
#include <QListView>
#include <QListWidget>
#include <QStringList>

class CMultiListBox : public QListWidget {
    Q_OBJECT
public:
    explicit CMultiListBox(QWidget* parent = nullptr);

    // Replaces every entry; one entry per text, "\n" breaks a line.
    void SetEntries(const QStringList& texts);

    void SetSeparators(bool on);
    bool Separators() const { return m_separators; }
    void SetBackground(const QColor& color);
    QColor Background() const { return m_background; }

    // The height an entry with this text takes at the list's current width: the wrapped text's
    // height plus 8 pixels, and 24 pixels for a text that measures less than 8.
    int EntryHeight(const QString& text) const;
    // The width the entries' text wraps at.
    int TextWidth() const;
    int RowHeight(const QModelIndex& index) const { return EntryHeight(index.data(Qt::DisplayRole).toString()); }

private:
    bool m_separators = true;
    QColor m_background = Qt::white;
};

// The rows of a CMultiListView: texts only, appended in batches, each batch one insertion.
class CTextRowsModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_rows.size()); }
    QVariant data(const QModelIndex& index, int role) const override;
    void Append(const QStringList& rows);
    void Clear();

private:
    QStringList m_rows;
};

// The same entries over a model of its own, for lists that grow while they are shown (the rows of
// a search): rows are appended in batches, never one item object each.
class CMultiListView : public QListView {
    Q_OBJECT
public:
    explicit CMultiListView(QWidget* parent = nullptr);

    void AppendEntries(const QStringList& texts);
    void ClearEntries();
    int Count() const { return m_rows->rowCount(); }
    QString Entry(int row) const { return m_rows->index(row).data().toString(); }
    // The current row when it is selected, else -1.
    int SelectedRow() const;

    bool Separators() const { return true; }
    QColor Background() const { return Qt::white; }
    int EntryHeight(const QString& text) const;
    int TextWidth() const;
    // EntryHeight of a row, measured once for the list's width: each batch of rows lays out the
    // whole list again, and measuring every row each time costs more than the search.
    int RowHeight(const QModelIndex& index) const;

private:
    CTextRowsModel* m_rows;
    mutable std::vector<int> m_heights; // -1: not measured
    mutable int m_heightsWidth = -1;
};
