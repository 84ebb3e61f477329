#pragma once

// "Отображаемые картинки": which pictures the line view shows, one check box per flag.

#include <array>

#include <QDialog>

#include "view/pictures.h"

class QCheckBox;

class CShowedIconsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CShowedIconsDlg(const ShownPicturesFlags& flags, QWidget* parent = nullptr);

    // The flags as the boxes stand: 1 for a checked box, 0 otherwise.
    ShownPicturesFlags Flags() const;

private:
    std::array<QCheckBox*, kShownPicturesCount> m_boxes {};
};
