#pragma once

// A list box whose entries may span several lines. Each entry is drawn word-wrapped in its own
// rectangle, as tall as its text, with a separator along its bottom, so whole requisites texts of
// candidate documents can be compared at a glance.

#include <QColor>
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

private:
    bool m_separators = true;
    QColor m_background = Qt::white;
};
