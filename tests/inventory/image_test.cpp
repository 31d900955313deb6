// Pictures: the fitting rule, and decoding of good, odd and damaged files.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>

#include "runtime/image.h"
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
