#include "runtime/image.h"

#include <QBuffer>
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

// A progressive JPEG may hold any number of scans, each one a pass over all of the picture: a
// small file of thousands of scans would keep the decoder busy for minutes. No encoder writes
// more than a few dozen.
constexpr int kMaxJpegScans = 500;

void jpegProgress(j_common_ptr info)
{
    if (info->is_decompressor && reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxJpegScans)
        jpegFail(info);
}

// Whatever starts with the start-of-image marker is JPEG to us: Qt's own JPEG reader, which would
// take the rest, knows nothing of the limits here.
bool looksLikeJpeg(const QByteArray &head)
{
    return head.size() >= 2 && static_cast<unsigned char>(head[0]) == 0xFF && static_cast<unsigned char>(head[1]) == 0xD8;
}

QByteArray readHead(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.read(3);
}

bool withinLimit(QSize s)
{
    return s.isValid() && s.width() > 0 && s.height() > 0 &&
           static_cast<qint64>(s.width()) * static_cast<qint64>(s.height()) <= kMaxPicturePixels;
}

// The decoded image, four bytes a pixel, within the memory limit.
bool imageFits(int w, int h)
{
    return static_cast<qint64>(w) * static_cast<qint64>(h) * 4 <= static_cast<qint64>(kPictureMemoryMb) * 1024 * 1024;
}

// Where the compressed bytes come from: a file read as the decoder goes (the header alone needs
// only its first blocks), or bytes in memory.
struct JpegInput {
    const QString *path = nullptr;
    const QByteArray *data = nullptr;
};

// Everything that the decoder touches after setjmp lives in this object, which the functions
// that call setjmp reach through a pointer: a jump back leaves no local object of theirs half
// built, and the destructor here releases the decoder and the file whatever happened.
struct JpegJob {
    jpeg_decompress_struct info{};
    JpegError error{};
    jpeg_progress_mgr progress{};
    bool created = false;
    std::FILE *file = nullptr;
    QImage image;
    std::vector<unsigned char> line;

    JpegJob()
    {
        info.err = jpeg_std_error(&error.mgr);
        error.mgr.error_exit = jpegFail;
        error.mgr.emit_message = jpegQuiet;
        progress.progress_monitor = jpegProgress;
    }
    ~JpegJob()
    {
        if (created)
            jpeg_destroy_decompress(&info);
        if (file)
            std::fclose(file);
    }
};

// Reads the header and refuses a picture beyond the pixel limit before any pixel is decoded.
bool jpegHeader(JpegJob *job, const JpegInput *input)
{
    if (input->path) {
        job->file = std::fopen(QFile::encodeName(*input->path).constData(), "rb");
        if (!job->file)
            return false;
    }
    if (setjmp(job->error.back))
        return false;
    jpeg_create_decompress(&job->info);
    job->created = true;
    // Working memory beyond this (the whole-picture buffer of a progressive file) is refused,
    // since there is no backing store to spill into.
    job->info.mem->max_memory_to_use = static_cast<long>(kPictureMemoryMb) * 1024L * 1024L;
    job->info.progress = &job->progress;
    if (job->file)
        jpeg_stdio_src(&job->info, job->file);
    else
        jpeg_mem_src(&job->info, reinterpret_cast<const unsigned char *>(input->data->constData()),
                     static_cast<unsigned long>(input->data->size()));
    if (jpeg_read_header(&job->info, TRUE) != JPEG_HEADER_OK)
        return false;
    return withinLimit(QSize(static_cast<int>(job->info.image_width), static_cast<int>(job->info.image_height)));
}

// The smallest scale of n/8 (n = 1..8) at which the picture still covers the bound; 8/8 when
// even the whole picture does not.
unsigned jpegEighths(unsigned width, unsigned height, QSize atLeast)
{
    const auto w = static_cast<unsigned>(atLeast.width());
    const auto h = static_cast<unsigned>(atLeast.height());
    for (unsigned n = 1; n < 8; ++n)
        if ((width * n + 7) / 8 >= w && (height * n + 7) / 8 >= h)
            return n;
    return 8;
}

bool jpegPixels(JpegJob *job, QSize atLeast)
{
    if (setjmp(job->error.back))
        return false;
    jpeg_decompress_struct &info = job->info;
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    if (atLeast.width() > 0 && atLeast.height() > 0) {
        info.scale_num = jpegEighths(info.image_width, info.image_height, atLeast);
        info.scale_denom = 8;
    }
    jpeg_start_decompress(&info);
    const int w = static_cast<int>(info.output_width);
    const int h = static_cast<int>(info.output_height);
    const int channels = info.output_components;
    if (w <= 0 || h <= 0 || (channels != 3 && channels != 4) || !imageFits(w, h))
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

QSize jpegSize(const JpegInput &input)
{
    JpegJob job;
    if (!jpegHeader(&job, &input))
        return {};
    return QSize(static_cast<int>(job.info.image_width), static_cast<int>(job.info.image_height));
}

QImage jpegDecode(const JpegInput &input, QSize atLeast)
{
    JpegJob job;
    if (!jpegHeader(&job, &input) || !jpegPixels(&job, atLeast))
        return QImage();
    return job.image;
}

// Qt's readers refuse to allocate more than this for one image.
void boundQtReaders()
{
    static const bool bounded = (QImageReader::setAllocationLimit(kPictureMemoryMb), true);
    (void)bounded;
}

QSize qtSize(QImageReader &reader)
{
    boundQtReaders();
    reader.setDecideFormatFromContent(true);
    QSize s = reader.size();
    if (!s.isValid() && reader.canRead()) {
        // A format that cannot tell its size from the header: decode once.
        QImage img = reader.read();
        s = img.isNull() ? QSize() : img.size();
    }
    return withinLimit(s) ? s : QSize();
}

QImage qtDecode(QImageReader &reader, QSize atLeast)
{
    boundQtReaders();
    reader.setDecideFormatFromContent(true);
    const QSize s = reader.size();
    if (s.isValid()) {
        if (!withinLimit(s))
            return {};
        // Decoded (or, for formats that cannot decode scaled, cut down at once) to the bound.
        if (atLeast.width() > 0 && atLeast.height() > 0 && s.width() > atLeast.width() && s.height() > atLeast.height())
            reader.setScaledSize(s.scaled(atLeast, Qt::KeepAspectRatioByExpanding));
    }
    QImage img = reader.read();
    return withinLimit(img.size()) ? img : QImage();
}

}  // namespace

QSize pictureSize(const QString &path)
{
    if (path.trimmed().isEmpty())
        return {};
    if (looksLikeJpeg(readHead(path)))
        return jpegSize(JpegInput{&path, nullptr});
    QImageReader reader(path);
    return qtSize(reader);
}

QImage loadPicture(const QString &path, QSize atLeast)
{
    if (path.trimmed().isEmpty())
        return {};
    if (looksLikeJpeg(readHead(path)))
        return jpegDecode(JpegInput{&path, nullptr}, atLeast);
    QImageReader reader(path);
    return qtDecode(reader, atLeast);
}

QSize pictureSizeOf(const QByteArray &data)
{
    if (looksLikeJpeg(data.left(3)))
        return jpegSize(JpegInput{nullptr, &data});
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return qtSize(reader);
}

QImage decodePicture(const QByteArray &data, QSize atLeast)
{
    if (looksLikeJpeg(data.left(3)))
        return jpegDecode(JpegInput{nullptr, &data}, atLeast);
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return qtDecode(reader, atLeast);
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
