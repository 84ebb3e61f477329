#pragma once

// The docking bar "Реквизиты": the requisites of the document the selected tag line links to, as
// one read-only text that fills the bar.

#include <QDockWidget>

class QPlainTextEdit;

class CRequisitesBar : public QDockWidget {
    Q_OBJECT
public:
    explicit CRequisitesBar(QWidget* parent = nullptr);

    void SetText(const QString& text);
    QString Text() const;
    QSize sizeHint() const override;

private:
    QPlainTextEdit* m_text;
};
