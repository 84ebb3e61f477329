#pragma once

// The list view with find and find next over the rows' texts. The search compares upper-cased
// code page 1251 text, so case never matters; "whole word" means the pattern stands between
// blanks or at a row's ends. There is no wrap-around: the search ends at the first or last row.

#include <string>

#include <QPointer>

#include "view/tip_list_view.h"

class CFindDlg;

class CFindableListView : public CTipListView {
    Q_OBJECT
public:
    explicit CFindableListView(QWidget* parent = nullptr);
    ~CFindableListView() override;

    bool CanFind() const;
    bool CanFindNext() const;
    // Opens the find dialog, or does nothing more while one is open.
    void OnFind();
    // Repeats the last search.
    void OnFindNext();
    // The search as the dialog starts it: typed text, whole word, direction. True when a row was
    // found (and selected).
    bool FindText(const QString& typed, bool wholeWord, bool down);

    CFindDlg* FindDialog() const;

protected:
    // The row's text in code page 1251; the default converts the display text back.
    virtual std::string RowText(int row) const;
    // Called with the row found; the default selects, focuses and shows it.
    virtual void RowFound(int row);
    // The row selected, or -1 when none (or more than one) is.
    int SingleSelectedRow() const;

private:
    bool Search();

    QPointer<CFindDlg> m_findDlg;
    QString m_typed;       // as typed
    std::string m_pattern; // upper case, code page 1251, with blanks around for whole word
    bool m_wholeWord = false;
    bool m_down = true;
};
