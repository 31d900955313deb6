// Pictures: the fitting rule, and decoding of good, odd and damaged files.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <cstdio>
#include <cstring>
#include <vector>

#include <QElapsedTimer>
#include <QPainter>
#include <QTransform>
#include <sys/stat.h>

#include "previewer/page_render.h"
#include "reports/item_reports.h"
#include "runtime/image.h"
#include "runtime/paths.h"
#include "tests/support/test_support.h"

using testing_support::TempHome;

namespace {

QString writeImage(const TempHome &home, const char *name, int w, int h, const char *format)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::darkCyan);
    QString path = QString::fromStdString(home.file(name));
    EXPECT_TRUE(img.save(path, format));
    return path;
}

QString writeBytes(const TempHome &home, const char *name, const QByteArray &bytes)
{
    QString path = QString::fromStdString(home.file(name));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
}

QByteArray jpegBytes(int w, int h, bool progressive)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::darkCyan);
    QBuffer b;
    b.open(QIODevice::WriteOnly);
    QImageWriter writer(&b, "jpeg");
    writer.setProgressiveScanWrite(progressive);
    EXPECT_TRUE(writer.write(img));
    return b.data();
}

// The offsets of a JPEG's segments (marker at the offset) up to the first scan, and the scan's.
std::vector<int> jpegSegments(const QByteArray &d)
{
    std::vector<int> at;
    for (int i = 2; i + 4 <= d.size();) {
        at.push_back(i);
        if (static_cast<unsigned char>(d[i + 1]) == 0xDA)
            break;
        i += 2 + ((static_cast<unsigned char>(d[i + 2]) << 8) | static_cast<unsigned char>(d[i + 3]));
    }
    return at;
}

// The same picture with a frame header that claims another size: a few hundred bytes that ask
// the decoder for any number of pixels.
QByteArray claimSize(QByteArray d, int w, int h)
{
    for (int i : jpegSegments(d)) {
        const auto marker = static_cast<unsigned char>(d[i + 1]);
        if (marker == 0xC0 || marker == 0xC2) {
            d[i + 5] = static_cast<char>(h >> 8);
            d[i + 6] = static_cast<char>(h & 0xFF);
            d[i + 7] = static_cast<char>(w >> 8);
            d[i + 8] = static_cast<char>(w & 0xFF);
        }
    }
    return d;
}

// A JPEG with an EXIF segment carrying the orientation tag, written as a camera does (the TIFF
// header in Motorola or Intel order, the tag in the first directory).
QByteArray withOrientation(const QByteArray &jpeg, int orientation, bool intel)
{
    auto u16 = [&](int v) {
        QByteArray b(2, '\0');
        b[intel ? 0 : 1] = static_cast<char>(v & 0xFF);
        b[intel ? 1 : 0] = static_cast<char>((v >> 8) & 0xFF);
        return b;
    };
    auto u32 = [&](int v) { return intel ? u16(v) + u16(0) : u16(0) + u16(v); };
    QByteArray tiff = QByteArray(intel ? "II" : "MM") + u16(42) + u32(8);
    tiff += u16(2);                                                            // two entries
    tiff += u16(0x010F) + u16(2) + u32(4) + QByteArray("Cam\0", 4);           // Make
    tiff += u16(0x0112) + u16(3) + u32(1) + u16(orientation) + u16(0);         // Orientation
    tiff += u32(0);                                                            // no next directory
    const QByteArray body = QByteArray("Exif\0\0", 6) + tiff;
    const QByteArray length = QByteArray(1, static_cast<char>((body.size() + 2) >> 8)) +
                              QByteArray(1, static_cast<char>((body.size() + 2) & 0xFF));
    return jpeg.left(2) + QByteArray::fromHex("ffe1") + length + body + jpeg.mid(2);
}

// The colour of each quarter of an upright test picture: top left, top right, bottom left,
// bottom right.
const QColor kQuarters[4] = {Qt::red, Qt::green, Qt::blue, Qt::white};

QImage quartered(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    QPainter p(&img);
    p.fillRect(0, 0, w / 2, h / 2, kQuarters[0]);
    p.fillRect(w / 2, 0, w - w / 2, h / 2, kQuarters[1]);
    p.fillRect(0, h / 2, w / 2, h - h / 2, kQuarters[2]);
    p.fillRect(w / 2, h / 2, w - w / 2, h - h / 2, kQuarters[3]);
    return img;
}

// True when the picture within `r` of the image shows the quarters upright.
bool showsUpright(const QImage &img, QRect r)
{
    const QPoint at[4] = {{r.left() + r.width() / 4, r.top() + r.height() / 4},
                          {r.left() + 3 * r.width() / 4, r.top() + r.height() / 4},
                          {r.left() + r.width() / 4, r.top() + 3 * r.height() / 4},
                          {r.left() + 3 * r.width() / 4, r.top() + 3 * r.height() / 4}};
    for (int i = 0; i < 4; ++i) {
        const QColor c = img.pixelColor(at[i]);
        const QColor want = kQuarters[i];
        if (std::abs(c.red() - want.red()) > 40 || std::abs(c.green() - want.green()) > 40 ||
            std::abs(c.blue() - want.blue()) > 40)
            return false;
    }
    return true;
}

}  // namespace

TEST(Pictures, FitIntoTheBoxWithoutDistortion)
{
    EXPECT_EQ(rt::fitPicture({500, 300}), QSize(250, 150));  // ratio 1.6667: fills the width
    EXPECT_EQ(rt::fitPicture({300, 300}), QSize(150, 150));
    EXPECT_EQ(rt::fitPicture({1000, 100}), QSize(250, 25));
    EXPECT_EQ(rt::fitPicture({100, 1000}), QSize(15, 150));
    EXPECT_EQ(rt::fitPicture({1665, 1000}), QSize(250, 150));  // 1.665 fills the height: 249.75
    EXPECT_EQ(rt::fitPicture({1000, 1}), QSize(250, 1));       // a sliver still shows
    // No size (an unreadable file) is no picture: never a division by zero.
    EXPECT_TRUE(rt::fitPicture({}).isEmpty());
    EXPECT_TRUE(rt::fitPicture({0, 300}).isEmpty());
    EXPECT_TRUE(rt::fitPicture({300, 0}).isEmpty());
}

TEST(Pictures, JpegBmpAndGifAreReadAndTheRestIsEmpty)
{
    TempHome home;
    QString jpg = writeImage(home, "photo.jpg", 500, 300, "JPG");
    QString bmp = writeImage(home, "scan.bmp", 300, 300, "BMP");
    // The smallest GIF there is: one pixel.
    QString gif = writeBytes(home, "dot.gif",
                             QByteArray::fromHex("47494638396101000100800000000000ffffff21f90401000000002c00000000"
                                                 "010001000002024401003b"));
    EXPECT_EQ(rt::pictureSize(jpg), QSize(500, 300));
    EXPECT_EQ(rt::pictureSize(bmp), QSize(300, 300));
    EXPECT_EQ(rt::pictureSize(gif), QSize(1, 1));
    EXPECT_EQ(rt::loadPicture(jpg).size(), QSize(500, 300));
    EXPECT_EQ(rt::loadPicture(bmp).size(), QSize(300, 300));
    EXPECT_FALSE(rt::loadPicture(gif).isNull());
    // The decoded colours are the picture's, not a grey or a channel swap.
    QRgb c = rt::loadPicture(jpg).pixel(250, 150);
    EXPECT_NEAR(qRed(c), 0, 12);
    EXPECT_NEAR(qGreen(c), 128, 12);
    EXPECT_NEAR(qBlue(c), 128, 12);
    // A large photo for a small box is decoded at a fraction of its size, never below the box.
    QString big = writeImage(home, "big.jpg", 2000, 1200, "JPG");
    EXPECT_EQ(rt::loadPicture(big, {250, 150}).size(), QSize(250, 150));
    EXPECT_EQ(rt::loadPicture(big, {300, 150}).size(), QSize(500, 300));
    // Named by content, not by extension.
    QFile::copy(jpg, QString::fromStdString(home.file("photo.bmp")));
    EXPECT_EQ(rt::pictureSize(QString::fromStdString(home.file("photo.bmp"))), QSize(500, 300));

    for (const QString &bad : {QString::fromStdString(home.file("missing.jpg")),
                               writeBytes(home, "notes.jpg", "just some text, not a picture"), QString(), QString("   ")}) {
        EXPECT_FALSE(rt::pictureSize(bad).isValid()) << bad.toStdString();
        EXPECT_TRUE(rt::loadPicture(bad).isNull()) << bad.toStdString();
    }
}

TEST(Pictures, DamagedJpegNeverEndsTheProgram)
{
    TempHome home;
    QFile f(writeImage(home, "good.jpg", 400, 240, "JPG"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray good = f.readAll();

    // Cut short: the size is still known and the decoder gives what it has.
    QString cut = writeBytes(home, "cut.jpg", good.left(good.size() / 2));
    EXPECT_EQ(rt::pictureSize(cut), QSize(400, 240));
    EXPECT_EQ(rt::loadPicture(cut).size(), QSize(400, 240));
    // Only the start marker, a header of garbage, scrambled scan data: empty or partial, no crash.
    QByteArray scrambled = good;
    for (int i = good.size() / 3; i < good.size() - 2; i += 7)
        scrambled[i] = static_cast<char>(scrambled[i] ^ 0x5A);
    QByteArray garbage = good.left(3) + QByteArray(600, '\xA7');
    for (const QByteArray &bytes : {good.left(3), garbage, scrambled}) {
        QString path = writeBytes(home, "bad.jpg", bytes);
        (void)rt::pictureSize(path);
        QImage img = rt::loadPicture(path, {250, 150});
        EXPECT_TRUE(img.isNull() || img.width() > 0);
    }
    EXPECT_FALSE(rt::pictureSize(writeBytes(home, "bad.jpg", garbage)).isValid());
}

TEST(Pictures, HugePicturesAreRefusedBeforeDecodingAndLargeOnesDecodeScaled)
{
    TempHome home;
    // 65500 x 65500 in a few hundred bytes, sequential and progressive: refused from the header.
    for (bool progressive : {false, true}) {
        QString path = writeBytes(home, "claims.jpg", claimSize(jpegBytes(64, 64, progressive), 65500, 65500));
        QElapsedTimer timer;
        timer.start();
        EXPECT_FALSE(rt::pictureSize(path).isValid());
        EXPECT_TRUE(rt::loadPicture(path, {250, 150}).isNull());
        EXPECT_TRUE(rt::loadPicture(path).isNull());
        std::printf("65500 x 65500 %s JPEG of %lld bytes refused in %lld ms\n", progressive ? "progressive" : "sequential",
                    static_cast<long long>(QFile(path).size()), static_cast<long long>(timer.elapsed()));
    }
    // Within the pixel limit but needing more working memory than allowed: a progressive picture
    // is held whole while its scans arrive.
    QString progressive = writeBytes(home, "wide.jpg", claimSize(jpegBytes(64, 64, true), 10900, 10900));
    EXPECT_EQ(rt::pictureSize(progressive), QSize(10900, 10900));
    EXPECT_TRUE(rt::loadPicture(progressive, {250, 150}).isNull());
    // A sequential one needs a few lines at a time: it decodes at the scale shown, never whole.
    QString sequential = writeBytes(home, "wide2.jpg", claimSize(jpegBytes(64, 64, false), 10900, 10900));
    EXPECT_EQ(rt::loadPicture(sequential, {150, 150}).size(), QSize(1363, 1363));
    EXPECT_TRUE(rt::loadPicture(sequential).isNull());  // 475 MB decoded

    // A real 6000 x 4000 photo still shows, at the smallest eighth that covers the box.
    for (bool progressive : {false, true}) {
        QString photo = writeBytes(home, "photo.jpg", jpegBytes(6000, 4000, progressive));
        EXPECT_EQ(rt::pictureSize(photo), QSize(6000, 4000));
        QImage shown = rt::loadPicture(photo, {250, 150});
        EXPECT_EQ(shown.size(), QSize(750, 500));
        QRgb c = shown.pixel(375, 250);
        EXPECT_NEAR(qGreen(c), 128, 12);
        EXPECT_EQ(rt::loadPicture(photo, {1900, 1000}).size(), QSize(2250, 1500));  // 3/8
    }

    // Thousands of scans in a small progressive file: refused instead of decoding each in turn.
    QByteArray base = jpegBytes(64, 64, true);
    const int firstScan = jpegSegments(base).back();
    const int secondScan = base.indexOf(QByteArray::fromHex("ffda"), firstScan + 2);
    ASSERT_GT(secondScan, firstScan);
    QByteArray scan = base.mid(firstScan, secondScan - firstScan);
    QByteArray many = base.left(firstScan);
    for (int i = 0; i < 600; ++i)
        many += scan;
    many += base.mid(firstScan);
    EXPECT_TRUE(rt::decodePicture(many).isNull());
    EXPECT_EQ(rt::decodePicture(base).size(), QSize(64, 64));

    // BMP through Qt: a header claiming too much is refused, a large one decodes to the bound.
    QString bmp = writeImage(home, "scan.bmp", 2000, 1200, "BMP");
    EXPECT_EQ(rt::loadPicture(bmp, {250, 150}).size(), QSize(250, 150));
    QFile f(bmp);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray header = f.read(54);
    f.close();
    const qint32 side = 20000;  // 400 megapixels
    std::memcpy(header.data() + 18, &side, 4);
    std::memcpy(header.data() + 22, &side, 4);
    QString huge = writeBytes(home, "huge.bmp", header + QByteArray(64, '\x10'));
    EXPECT_FALSE(rt::pictureSize(huge).isValid());
    EXPECT_TRUE(rt::loadPicture(huge, {250, 150}).isNull());
    // A GIF of 34 bytes whose logical screen is 1861 x 32769: refused before Qt fills that screen.
    const QByteArray screen = QByteArray::fromBase64("R0lGODlhRQcBgIAA+QQBAAAAACwAAAEAAQAAAgJEAXqAAA==");
    QElapsedTimer timer;
    timer.start();
    // Also one of 1861 x 8193.
    const QByteArray screen2 = QByteArray::fromBase64("R0lGODlhRQcBIIAAAQQBAIAAACwAAAAAAABEAXiAAA==");
    for (const QByteArray &gif : {screen, screen2}) {
        EXPECT_FALSE(rt::pictureSizeOf(gif).isValid());
        EXPECT_TRUE(rt::decodePicture(gif).isNull());
    }
    EXPECT_LT(timer.elapsed(), 1000);
}

// A phone stores a photo as the sensor saw it and tells in its EXIF orientation how to turn it.
// Every orientation gives the same upright size, the same box in the form and in the item
// information report, and the same upright picture in both.
TEST(Pictures, EveryExifOrientationShowsTheSameUprightPicture)
{
    TempHome home;
    const QImage upright = quartered(480, 240);
    // The stored picture for each orientation: the upright one turned back the way the camera had it.
    const QTransform turns[9] = {{}, {}, {-1, 0, 0, 1, 0, 0}, {-1, 0, 0, -1, 0, 0}, {1, 0, 0, -1, 0, 0},
                                 {0, 1, 1, 0, 0, 0}, {0, 1, -1, 0, 0, 0}, {0, -1, -1, 0, 0, 0}, {0, -1, 1, 0, 0, 0}};
    for (int o = 1; o <= 8; ++o) {
        for (bool intel : {false, true}) {
            SCOPED_TRACE("orientation " + std::to_string(o) + (intel ? " Intel" : " Motorola"));
            const QImage stored = upright.transformed(turns[o].inverted());
            QBuffer b;
            b.open(QIODevice::WriteOnly);
            ASSERT_TRUE(stored.save(&b, "JPG", 95));
            const QByteArray bytes = withOrientation(b.data(), o, intel);
            const QString path = writeBytes(home, "phone.jpg", bytes);

            EXPECT_EQ(rt::pictureSize(path), QSize(480, 240));
            EXPECT_EQ(rt::pictureSizeOf(bytes), QSize(480, 240));
            // The item form's box and the picture decoded for it.
            EXPECT_EQ(rt::fitPicture(rt::pictureSize(path)), QSize(250, 125));
            const QImage shown = rt::loadPicture(path, {250, 125});
            EXPECT_EQ(shown.size(), QSize(300, 150));  // 5/8, the smallest eighth that covers the box
            EXPECT_TRUE(showsUpright(shown, shown.rect()));
            EXPECT_TRUE(showsUpright(rt::decodePicture(bytes), QRect(0, 0, 480, 240)));
            EXPECT_TRUE(showsUpright(rt::loadPicture(path, {60, 30}), QRect(0, 0, 60, 30)));  // 1/8
            // The report's box, and the picture drawn into it on the page.
            const std::optional<QSize> box = reports::fitToSquare(rt::pictureSize(path), 400);
            ASSERT_TRUE(box.has_value());
            EXPECT_EQ(*box, QSize(400, 200));
            QImage page(500, 500, QImage::Format_RGB32);
            page.fill(Qt::black);
            {
                QPainter p(&page);
                previewer::Page pg;
                pg.header = {500, 500, previewer::Orientation::Portrait};
                pg.items.push_back(previewer::PictureItem{50, 50, box->width(), box->height(), previewer::PictureFit::Keep,
                                                          path.toStdString()});
                previewer::renderPage(p, pg, 1.0);
            }
            EXPECT_TRUE(showsUpright(page, QRect(50, 50, 400, 200)));
            EXPECT_EQ(page.pixelColor(250, 40), QColor(Qt::black));   // nothing beyond the box
            EXPECT_EQ(page.pixelColor(250, 260), QColor(Qt::black));
        }
    }
    // A damaged EXIF segment (directory beyond the segment, unknown value) means upright as stored.
    QBuffer b;
    b.open(QIODevice::WriteOnly);
    ASSERT_TRUE(upright.save(&b, "JPG", 95));
    QByteArray odd = withOrientation(b.data(), 9, false);
    EXPECT_EQ(rt::pictureSizeOf(odd), QSize(480, 240));
    odd = withOrientation(b.data(), 6, false);
    odd[4 + 2 + 6 + 7] = '\x7f';  // the first directory's offset points far outside
    EXPECT_EQ(rt::pictureSizeOf(odd), QSize(480, 240));
    EXPECT_TRUE(showsUpright(rt::decodePicture(odd), QRect(0, 0, 480, 240)));
}

// Only regular files are pictures: a FIFO (which would block its reader for ever), a device and a
// folder leave the area empty at once. A 12-bit JPEG is empty too, and says why.
TEST(Pictures, OnlyRegularFilesAreReadAndUnsupportedJpegSaysWhy)
{
    TempHome home;
    const std::string fifo = home.file("pipe.jpg");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    rt::makeFolder(home.file("folder.jpg"));
    QElapsedTimer timer;
    timer.start();
    for (const std::string &path : {fifo, std::string("/dev/zero"), std::string("/dev/null"), home.file("folder.jpg")}) {
        const QString p = QString::fromStdString(path);
        QString why = "stale";
        EXPECT_FALSE(rt::pictureSize(p, &why).isValid()) << path;
        EXPECT_TRUE(why.isEmpty()) << path;
        EXPECT_TRUE(rt::loadPicture(p, {250, 150}).isNull()) << path;
    }
    EXPECT_LT(timer.elapsed(), 2000);
    // A link to a picture is still the picture.
    const QString jpg = writeImage(home, "real.jpg", 500, 300, "JPG");
    ASSERT_EQ(::symlink(jpg.toLocal8Bit().constData(), home.file("link.jpg").c_str()), 0);
    EXPECT_EQ(rt::pictureSize(QString::fromStdString(home.file("link.jpg"))), QSize(500, 300));

    // The frame header's sample precision raised to 12 bits.
    QByteArray twelve = jpegBytes(64, 48, false);
    for (int i : jpegSegments(twelve))
        if (static_cast<unsigned char>(twelve[i + 1]) == 0xC0)
            twelve[i + 4] = 12;
    const QString path = writeBytes(home, "deep.jpg", twelve);
    QString why;
    EXPECT_FALSE(rt::pictureSize(path, &why).isValid());
    EXPECT_EQ(why, "12-bit JPEG pictures are not supported");
    EXPECT_TRUE(rt::loadPicture(path, {250, 150}).isNull());
    rt::pictureSize(jpg, &why);
    EXPECT_TRUE(why.isEmpty());
}
