// Fuzz target: the picture loader (JPEG through libjpeg, the other formats through Qt) on any
// bytes, as the item form asks: the size from the header, then a decoding for the box.
#include <QCoreApplication>
#include <QImage>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "runtime/image.h"

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Qt finds its image plugins (GIF among them) through the application object.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QSize natural = rt::pictureSizeOf(bytes);
    check(!natural.isValid() ||
          (natural.width() > 0 && natural.height() > 0 &&
           static_cast<qint64>(natural.width()) * natural.height() <= rt::kMaxPicturePixels));
    const QSize box = rt::fitPicture(natural);
    const QImage shown = rt::decodePicture(bytes, box.isEmpty() ? QSize(250, 150) : box);
    check(shown.isNull() || static_cast<qint64>(shown.sizeInBytes()) <= qint64(rt::kPictureMemoryMb) * 1024 * 1024);
    // Small pictures are decoded whole as well, the way a caller without a box would.
    if (natural.isValid() && static_cast<qint64>(natural.width()) * natural.height() <= 1'000'000)
        (void)rt::decodePicture(bytes);
    return 0;
}
