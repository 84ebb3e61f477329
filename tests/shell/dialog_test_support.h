#pragma once

// What the dialog tests share: widgets found by name, clicks as the person makes them, and an
// answerer for the modal dialog a call opens.

#include <functional>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QListWidget>
#include <QTimer>
#include <QtTest>

template <class T>
T* Find(QWidget* dlg, const char* name)
{
    T* widget = dlg->findChild<T*>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no widget %s", name);
    return widget;
}

inline void Click(QWidget* dlg, const char* button)
{
    QTest::mouseClick(Find<QAbstractButton>(dlg, button), Qt::LeftButton);
}

inline bool Enabled(QWidget* dlg, const char* button) { return Find<QAbstractButton>(dlg, button)->isEnabled(); }

inline void ClickRow(QAbstractItemView* list, int row)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(row, 0)).center());
}

// A real double click: the first click of the pair, then the double-click event.
inline void DoubleClickRow(QAbstractItemView* list, int row)
{
    ClickRow(list, row);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(row, 0)).center());
}

// Acts on the modal dialog of type T once its loop runs. A dialog the action leaves open is
// closed, so a failing check ends the test instead of hanging it.
template <class T>
void WhenShown(std::function<void(T*)> act)
{
    QTimer::singleShot(0, [act] {
        auto* dlg = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dlg) {
            if (QWidget* other = QApplication::activeModalWidget())
                other->close();
            return;
        }
        act(dlg);
        if (dlg->isVisible())
            dlg->QDialog::done(QDialog::Rejected);
    });
}
