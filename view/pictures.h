#pragma once

// The pictures of the line view and the rules that choose one for a line. The rules depend on
// the shown-pictures flags, which let the editor hide whole groups of lines from the pictures and
// from suspicious-line navigation.

#include <array>

#include <QIcon>
#include <QPixmap>

#include "core/line_record.h"

// Indexes of the image list, in its fixed order.
enum LinePicture : int {
    PictureNone = -1,
    PictureSuspectOrvo = 0,       // suspicious line, requisites found for the Orvo base only
    PictureSuspectLocal = 1,      // ... for the local base only
    PictureSuspectBoth = 2,       // ... for both bases
    PictureOrvoLinkExisting = 3,  // inter-base link already in the document
    PictureOrvoLinkNew = 4,       // new inter-base link
    PictureInnerLinkNew = 5,      // new intra-base link
    PictureInnerLinkExisting = 6, // intra-base link already in the document
    PictureBookmark = 7,
};
inline constexpr int kPictureCount = 8;

// The shown-pictures flags, 0 or 1 each:
//   0 kind 2, 1 kind 3, 2 kind 5, 3 kind 4;
//   4 + k: suspicious for the Orvo base with k requisite kinds determined (k = 0..4);
//   9 + k: the same for the local base.
inline constexpr int kShownPicturesCount = 14;
using ShownPicturesFlags = std::array<int, kShownPicturesCount>;

// Everything shown except local suspicious lines where nothing was determined: those are mostly
// noise right after opening.
ShownPicturesFlags DefaultShownPictures();

// Whether a line counts as shown: suspicious lines and links of the groups the flags let through.
bool IsShownLine(const CLineRecord& record, const ShownPicturesFlags& shown);
// The picture of a line, or PictureNone. A bookmark wins over everything else.
int PictureIndex(const CLineRecord& record, const ShownPicturesFlags& shown);

// The picture at 16 x 16 and 32 x 32 pixels (the latter for high-density screens); an empty icon
// for an index outside the list. Drawn once per run.
const QIcon& LinePictureIcon(int index);
// One picture drawn at size x size pixels, transparent around it.
QPixmap DrawLinePicture(int index, int size);
