// Pictures of items and receipts: decoding and fitting into a display area.
//
// JPEG goes through libjpeg with an error handler that returns to the caller, so a damaged file
// gives an empty picture and never ends the program; BMP and GIF (and whatever else Qt reads) go
// through QImageReader. Anything unreadable has no size: callers show an empty area. Only regular
// files are read (a FIFO, a device or a folder is no picture and is never waited on). A photo's
// EXIF orientation is applied to its size and to its pixels alike: sizes and pictures are upright.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace rt {

// The most pixels a picture may have: a header claiming more is refused before any decoding,
// whatever the file's size (a few bytes can claim 65500 x 65500). Above any camera's picture.
constexpr qint64 kMaxPicturePixels = 120'000'000;
// The most memory, in megabytes, that a decoding may take for its working buffers (the
// whole-picture buffer of a progressive JPEG), and that the decoded image may take.
constexpr int kPictureMemoryMb = 256;

// The natural size of the picture in a file, read from its header without decoding the pixels;
// an invalid size when the file is missing, not a readable picture, or beyond the pixel limit.
// `why`, when given, receives the reason for a picture of a kind this program cannot show (a
// 12-bit JPEG), and is empty otherwise.
QSize pictureSize(const QString &path, QString *why = nullptr);

// The decoded picture; a null image when it cannot be read or is refused. With a bound, the
// picture is decoded at the smallest scale that still covers the bound (JPEG in steps of 1/8,
// the other formats to the bound's size), so a photo of many megapixels shown in a small box
// never needs its whole size in memory.
QImage loadPicture(const QString &path, QSize atLeast = QSize());

// The same over the bytes of a picture file.
QSize pictureSizeOf(const QByteArray &data);
QImage decodePicture(const QByteArray &data, QSize atLeast = QSize());

// The box a picture is fitted into, in window units: 250 wide, 150 high.
constexpr int kPictureBoxWidth = 250;
constexpr int kPictureBoxHeight = 150;

// The displayed size of a picture of the natural size: the ratio width/height kept to four
// decimals; a ratio below 1.666 fills the height (150), any other the width (250). Zero or
// invalid sizes give an empty size.
QSize fitPicture(QSize natural);

}  // namespace rt
