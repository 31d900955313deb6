#include "runtime/image.h"

#include <QBuffer>
#include <QFile>
#include <QImageIOHandler>
#include <QImageReader>
#include <QTransform>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include <jpeglib.h>
#include <jerror.h>

#include "runtime/paths.h"

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

// The decoder's refusals that mean "a kind of JPEG this program cannot show" rather than "damaged":
// 12-bit samples above all (medical and some camera files), which this libjpeg is not built for.
QString unsupportedJpeg(const jpeg_error_mgr &mgr)
{
    switch (mgr.msg_code) {
    case JERR_BAD_PRECISION:
        return QStringLiteral("%1-bit JPEG pictures are not supported").arg(mgr.msg_parm.i[0]);
    case JERR_NOT_COMPILED:
    case JERR_ARITH_NOTIMPL:
        return QStringLiteral("This kind of JPEG picture is not supported");
    default:
        return {};
    }
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

// A picture file opened for reading, only when it is a regular file: a FIFO would block the
// opening (or the first read) for ever, a device would read without end, a folder has nothing.
// Opened without waiting and checked on the open descriptor, so a name swapped meanwhile
// changes nothing.
struct PictureFile {
    std::FILE *fp = nullptr;
    explicit PictureFile(const QString &path)
    {
        if (path.trimmed().isEmpty())
            return;
        struct stat st {};
        const int fd = openRegularFile(QFile::encodeName(path).toStdString(), st);
        if (fd < 0)
            return;
        fp = ::fdopen(fd, "rb");
        if (!fp)
            ::close(fd);
    }
    ~PictureFile()
    {
        if (fp)
            std::fclose(fp);
    }
    PictureFile(const PictureFile &) = delete;
    PictureFile &operator=(const PictureFile &) = delete;

    QByteArray head()
    {
        char b[3] = {};
        const std::size_t n = std::fread(b, 1, sizeof b, fp);
        std::rewind(fp);
        return QByteArray(b, static_cast<qsizetype>(n));
    }
};

// ---- orientation ---------------------------------------------------------------------------
// A camera stores the picture as its sensor saw it and says in the EXIF "Orientation" tag (1-8)
// how to turn it upright. Everything that shows a picture or sizes its box goes through
// `upright` below, so the size read from the header and the decoded pixels always agree.

constexpr int kUpright = 1;

// The turn that makes a stored picture of this orientation upright, mapping the stored
// picture's rectangle onto the shown one.
QTransform orientationTurn(int orientation)
{
    switch (orientation) {
    case 2: return QTransform(-1, 0, 0, 1, 0, 0);   // mirrored left to right
    case 3: return QTransform(-1, 0, 0, -1, 0, 0);  // upside down
    case 4: return QTransform(1, 0, 0, -1, 0, 0);   // mirrored top to bottom
    case 5: return QTransform(0, 1, 1, 0, 0, 0);    // mirrored along the main diagonal
    case 6: return QTransform(0, 1, -1, 0, 0, 0);   // a quarter turn clockwise
    case 7: return QTransform(0, -1, -1, 0, 0, 0);  // mirrored along the other diagonal
    case 8: return QTransform(0, -1, 1, 0, 0, 0);   // a quarter turn counter-clockwise
    default: return QTransform();
    }
}

// The one place where orientation is applied: the shown size of a stored size and, when an
// image is given, the image turned upright.
QSize upright(QSize stored, int orientation, QImage *image = nullptr)
{
    const QTransform turn = orientationTurn(orientation);
    if (image && !image->isNull() && !turn.isIdentity())
        *image = image->transformed(turn);
    return turn.isRotating() ? stored.transposed() : stored;
}

// Qt's readers tell the same thing as a set of transformations.
int orientationOf(QImageIOHandler::Transformations t)
{
    using T = QImageIOHandler;
    switch (static_cast<int>(t)) {
    case T::TransformationMirror: return 2;
    case T::TransformationRotate180: return 3;
    case T::TransformationFlip: return 4;
    case T::TransformationFlipAndRotate90: return 5;
    case T::TransformationRotate90: return 6;
    case T::TransformationMirrorAndRotate90: return 7;
    case T::TransformationRotate270: return 8;
    default: return kUpright;
    }
}

// The orientation tag of an APP1 "Exif" segment: the TIFF header, then the first directory's
// entries; every offset is checked against the segment, any fault means "upright".
int exifOrientation(const unsigned char *p, unsigned length)
{
    if (length < 14 || std::memcmp(p, "Exif\0\0", 6) != 0)
        return kUpright;
    p += 6;
    length -= 6;
    const bool intel = p[0] == 'I' && p[1] == 'I';
    if (!intel && !(p[0] == 'M' && p[1] == 'M'))
        return kUpright;
    auto u16 = [&](unsigned at) -> unsigned {
        return intel ? p[at] | (p[at + 1] << 8) : (p[at] << 8) | p[at + 1];
    };
    auto u32 = [&](unsigned at) -> unsigned long {
        return intel ? (u16(at) | (static_cast<unsigned long>(u16(at + 2)) << 16))
                     : ((static_cast<unsigned long>(u16(at)) << 16) | u16(at + 2));
    };
    if (u16(2) != 42)
        return kUpright;
    const unsigned long dir = u32(4);
    if (dir + 2 > length)
        return kUpright;
    const unsigned entries = u16(static_cast<unsigned>(dir));
    for (unsigned i = 0; i < entries; ++i) {
        const unsigned long at = dir + 2 + 12UL * i;
        if (at + 12 > length)
            break;
        const unsigned e = static_cast<unsigned>(at);
        if (u16(e) == 0x0112) {
            // A SHORT of count 1, its value in the first two bytes of the value field.
            const unsigned v = u16(e + 2) == 3 ? u16(e + 8) : 0;
            return v >= 1 && v <= 8 ? static_cast<int>(v) : kUpright;
        }
    }
    return kUpright;
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
    std::FILE *file = nullptr;
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
    int orientation = kUpright;
    QString unsupported;  // why the decoder refused the picture, when that is not damage
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
    }
};

// Reads the header and refuses a picture beyond the pixel limit before any pixel is decoded.
bool jpegHeader(JpegJob *job, const JpegInput *input)
{
    if (setjmp(job->error.back)) {
        job->unsupported = unsupportedJpeg(job->error.mgr);
        return false;
    }
    jpeg_create_decompress(&job->info);
    job->created = true;
    // Working memory beyond this (the whole-picture buffer of a progressive file) is refused,
    // since there is no backing store to spill into.
    job->info.mem->max_memory_to_use = static_cast<long>(kPictureMemoryMb) * 1024L * 1024L;
    job->info.progress = &job->progress;
    if (input->file)
        jpeg_stdio_src(&job->info, input->file);
    else
        jpeg_mem_src(&job->info, reinterpret_cast<const unsigned char *>(input->data->constData()),
                     static_cast<unsigned long>(input->data->size()));
    jpeg_save_markers(&job->info, JPEG_APP0 + 1, 0xFFFF);
    if (jpeg_read_header(&job->info, TRUE) != JPEG_HEADER_OK)
        return false;
    for (jpeg_saved_marker_ptr m = job->info.marker_list; m; m = m->next)
        if (m->marker == JPEG_APP0 + 1 && m->data && (job->orientation = exifOrientation(m->data, m->data_length)) != kUpright)
            break;
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
    if (setjmp(job->error.back)) {
        job->unsupported = unsupportedJpeg(job->error.mgr);
        return false;
    }
    jpeg_decompress_struct &info = job->info;
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    if (atLeast.width() > 0 && atLeast.height() > 0) {
        // The bound is upright; the decoder works on the picture as stored.
        atLeast = upright(atLeast, job->orientation);
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

QSize jpegSize(const JpegInput &input, QString *why)
{
    JpegJob job;
    const bool read = jpegHeader(&job, &input);
    if (why)
        *why = job.unsupported;
    if (!read)
        return {};
    return upright(QSize(static_cast<int>(job.info.image_width), static_cast<int>(job.info.image_height)), job.orientation);
}

QImage jpegDecode(const JpegInput &input, QSize atLeast)
{
    JpegJob job;
    if (!jpegHeader(&job, &input) || !jpegPixels(&job, atLeast))
        return QImage();
    upright(job.image.size(), job.orientation, &job.image);
    return job.image;
}

// Qt's readers refuse to allocate more than this for one image.
void boundQtReaders()
{
    static const bool bounded = (QImageReader::setAllocationLimit(kPictureMemoryMb), true);
    (void)bounded;
}

// A GIF is decoded onto its logical screen, whatever the size of its frames: a few bytes may
// claim a screen of millions of pixels, which Qt's decoder allocates and fills pixel by pixel
// (seconds of work for a 34-byte file). GIFs are drawings and small animations: none worth
// showing comes near this many.
constexpr qint64 kMaxGifScreenPixels = 2048 * 2048;

// The logical screen of a GIF from its header; an invalid size for anything else.
QSize gifScreen(QImageReader &reader)
{
    QIODevice *device = reader.device();
    if (!device)
        return {};
    const QByteArray head = device->peek(10);
    if (head.size() < 10 || !head.startsWith("GIF8"))
        return {};
    const auto byte = [&](int i) { return static_cast<int>(static_cast<unsigned char>(head[i])); };
    return QSize(byte(6) | byte(7) << 8, byte(8) | byte(9) << 8);
}

// A frame larger than the screen widens the picture Qt builds: both are held to the limit.
bool gifWithinLimit(QSize screen, QSize size)
{
    auto pixels = [](QSize v) { return v.isValid() ? static_cast<qint64>(v.width()) * v.height() : 0; };
    return !screen.isValid() || (pixels(screen) <= kMaxGifScreenPixels && pixels(size) <= kMaxGifScreenPixels);
}

// Qt's readers turn nothing themselves: the orientation they report goes through `upright`.
QSize qtSize(QImageReader &reader)
{
    boundQtReaders();
    const QSize screen = gifScreen(reader);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    QSize s = reader.size();
    if (!gifWithinLimit(screen, s))
        return {};
    const int orientation = orientationOf(reader.transformation());
    if (!s.isValid() && reader.canRead()) {
        // A format that cannot tell its size from the header: decode once.
        QImage img = reader.read();
        s = img.isNull() ? QSize() : img.size();
    }
    return withinLimit(s) ? upright(s, orientation) : QSize();
}

QImage qtDecode(QImageReader &reader, QSize atLeast)
{
    boundQtReaders();
    const QSize screen = gifScreen(reader);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    const QSize s = reader.size();
    if (!gifWithinLimit(screen, s))
        return {};
    const int orientation = orientationOf(reader.transformation());
    if (s.isValid()) {
        if (!withinLimit(s))
            return {};
        // Decoded (or, for formats that cannot decode scaled, cut down at once) to the bound.
        atLeast = upright(atLeast, orientation);
        if (atLeast.width() > 0 && atLeast.height() > 0 && s.width() > atLeast.width() && s.height() > atLeast.height())
            reader.setScaledSize(s.scaled(atLeast, Qt::KeepAspectRatioByExpanding));
    }
    QImage img = reader.read();
    if (!withinLimit(img.size()))
        return QImage();
    upright(img.size(), orientation, &img);
    return img;
}

}  // namespace

QSize pictureSize(const QString &path, QString *why)
{
    if (why)
        why->clear();
    PictureFile file(path);
    if (!file.fp)
        return {};
    if (looksLikeJpeg(file.head()))
        return jpegSize(JpegInput{file.fp, nullptr}, why);
    QFile device;
    if (!device.open(file.fp, QIODevice::ReadOnly))
        return {};
    QImageReader reader(&device);
    return qtSize(reader);
}

QImage loadPicture(const QString &path, QSize atLeast)
{
    PictureFile file(path);
    if (!file.fp)
        return {};
    if (looksLikeJpeg(file.head()))
        return jpegDecode(JpegInput{file.fp, nullptr}, atLeast);
    QFile device;
    if (!device.open(file.fp, QIODevice::ReadOnly))
        return {};
    QImageReader reader(&device);
    return qtDecode(reader, atLeast);
}

QSize pictureSizeOf(const QByteArray &data)
{
    if (looksLikeJpeg(data.left(3)))
        return jpegSize(JpegInput{nullptr, &data}, nullptr);
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
