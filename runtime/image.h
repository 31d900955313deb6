// Pictures of items and receipts: decoding and fitting into a display area.
//
// JPEG goes through libjpeg with an error handler that returns to the caller, so a damaged file
// gives an empty picture and never ends the program; BMP and GIF (and whatever else Qt reads) go
// through QImageReader. Anything unreadable has no size: callers show an empty area.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace rt {

// The natural size of the picture in a file, read from its header without decoding the pixels;
// an invalid size when the file is missing or not a readable picture.
QSize pictureSize(const QString &path);

// The decoded picture; a null image when it cannot be read. With a bound, a large JPEG may be
// decoded at a reduced scale (1/2, 1/4, 1/8) as long as it still covers the bound.
QImage loadPicture(const QString &path, QSize atLeast = QSize());

// The box a picture is fitted into, in window units: 250 wide, 150 high.
constexpr int kPictureBoxWidth = 250;
constexpr int kPictureBoxHeight = 150;

// The displayed size of a picture of the natural size: the ratio width/height kept to four
// decimals; a ratio below 1.666 fills the height (150), any other the width (250). Zero or
// invalid sizes give an empty size.
QSize fitPicture(QSize natural);

}  // namespace rt
