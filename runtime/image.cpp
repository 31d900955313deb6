#include "runtime/image.h"

#include <QFile>
#include <QImageReader>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace rt {

namespace {

// libjpeg ends the program on a fatal error unless error_exit jumps back; the jump lands in the
// function that started the decoding, which then gives up on the picture.
struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf back;
};

[[noreturn]] void jpegFail(j_common_ptr info)
{
    auto *e = reinterpret_cast<JpegError *>(info->err);
    std::longjmp(e->back, 1);
}

// Warnings (a truncated scan, extra bytes) are not worth a message box or a line on stderr.
void jpegQuiet(j_common_ptr, int) {}

bool looksLikeJpeg(const QByteArray &head)
{
    return head.size() >= 3 && static_cast<unsigned char>(head[0]) == 0xFF &&
           static_cast<unsigned char>(head[1]) == 0xD8 && static_cast<unsigned char>(head[2]) == 0xFF;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QByteArray readHead(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.read(3);
}

// Everything that the decoder touches after setjmp lives in this object, which the functions
// that call setjmp reach through a pointer: a jump back leaves no local object of theirs half
// built, and the destructor here releases the decoder whatever happened.
struct JpegJob {
    jpeg_decompress_struct info{};
    JpegError error{};
    bool created = false;
    QImage image;
    std::vector<unsigned char> line;

    JpegJob()
    {
        info.err = jpeg_std_error(&error.mgr);
        error.mgr.error_exit = jpegFail;
        error.mgr.emit_message = jpegQuiet;
    }
    ~JpegJob()
    {
        if (created)
            jpeg_destroy_decompress(&info);
    }
};

bool jpegHeader(JpegJob *job, const QByteArray *data)
{
    if (setjmp(job->error.back))
        return false;
    jpeg_create_decompress(&job->info);
    job->created = true;
    jpeg_mem_src(&job->info, reinterpret_cast<const unsigned char *>(data->constData()),
                 static_cast<unsigned long>(data->size()));
    return jpeg_read_header(&job->info, TRUE) == JPEG_HEADER_OK;
}

bool jpegPixels(JpegJob *job, QSize atLeast)
{
    if (setjmp(job->error.back))
        return false;
    jpeg_decompress_struct &info = job->info;
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    if (atLeast.width() > 0 && atLeast.height() > 0) {
        // A photo of many megapixels shown in a small box needs only a fraction of its pixels.
        unsigned denom = 1;
        while (denom < 8 && info.image_width / (denom * 2) >= static_cast<unsigned>(atLeast.width()) &&
               info.image_height / (denom * 2) >= static_cast<unsigned>(atLeast.height()))
            denom *= 2;
        info.scale_num = 1;
        info.scale_denom = denom;
    }
    jpeg_start_decompress(&info);
    const int w = static_cast<int>(info.output_width);
    const int h = static_cast<int>(info.output_height);
    const int channels = info.output_components;
    if (w <= 0 || h <= 0 || (channels != 3 && channels != 4))
        return false;
    job->image = QImage(w, h, QImage::Format_RGB32);
    if (job->image.isNull())
        return false;
    job->line.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(channels));
    while (info.output_scanline < info.output_height) {
        unsigned char *rows[1] = {job->line.data()};
        const int y = static_cast<int>(info.output_scanline);
        if (jpeg_read_scanlines(&info, rows, 1) != 1)
            return false;
        auto *out = reinterpret_cast<QRgb *>(job->image.scanLine(y));
        const unsigned char *p = job->line.data();
        for (int x = 0; x < w; ++x, p += channels) {
            if (channels == 3) {
                out[x] = qRgb(p[0], p[1], p[2]);
            } else {
                // Photoshop writes CMYK inverted; k scales each channel.
                const int k = p[3];
                out[x] = qRgb(p[0] * k / 255, p[1] * k / 255, p[2] * k / 255);
            }
        }
    }
    jpeg_finish_decompress(&info);
    return true;
}

QSize jpegSize(const QByteArray &data)
{
    JpegJob job;
    if (!jpegHeader(&job, &data))
        return {};
    return QSize(static_cast<int>(job.info.image_width), static_cast<int>(job.info.image_height));
}

QImage jpegDecode(const QByteArray &data, QSize atLeast)
{
    JpegJob job;
    if (!jpegHeader(&job, &data) || !jpegPixels(&job, atLeast))
        return QImage();
    return job.image;
}

}  // namespace

QSize pictureSize(const QString &path)
{
    if (path.trimmed().isEmpty())
        return {};
    if (looksLikeJpeg(readHead(path)))
        return jpegSize(readAll(path));
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    QSize s = reader.size();
    if (!s.isValid() && reader.canRead()) {
        // A format that cannot tell its size from the header: decode once.
        QImage img = reader.read();
        s = img.isNull() ? QSize() : img.size();
    }
    return s.isValid() && s.width() > 0 && s.height() > 0 ? s : QSize();
}

QImage loadPicture(const QString &path, QSize atLeast)
{
    if (path.trimmed().isEmpty())
        return {};
    QByteArray head = readHead(path);
    if (looksLikeJpeg(head))
        return jpegDecode(readAll(path), atLeast);
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    QImage img = reader.read();
    return img;
}

QSize fitPicture(QSize natural)
{
    if (!natural.isValid() || natural.width() <= 0 || natural.height() <= 0)
        return {};
    // The ratio is kept to four decimals, as a count of ten-thousandths.
    const long long ratio =
        std::llround(static_cast<double>(natural.width()) * 10000.0 / static_cast<double>(natural.height()));
    int w, h;
    if (ratio < 16660) {
        h = kPictureBoxHeight;
        w = static_cast<int>(std::llround(static_cast<double>(kPictureBoxHeight) * static_cast<double>(ratio) / 10000.0));
    } else {
        w = kPictureBoxWidth;
        h = static_cast<int>(std::llround(static_cast<double>(kPictureBoxWidth) * 10000.0 / static_cast<double>(ratio)));
    }
    // A sliver of a picture still shows as one unit rather than vanishing.
    return QSize(std::max(w, 1), std::max(h, 1));
}

}  // namespace rt
