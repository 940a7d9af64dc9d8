// Build step: decodes one of the icon's PNGs with Qt, exactly as the program
// would at start-up, and writes the pixels as they came out, so that the
// program makes its icon without decoding (AppIcon.cpp):
//
//   icon_pixels IN.png OUT
//
// OUT: four little-endian 32-bit numbers (width, height, QImage::Format,
// bytes per line), then the scan lines.
#include <QImage>
#include <QImageReader>
#include <QFile>

#include <cstdint>
#include <cstdio>

namespace {

void putNumber(QFile& out, std::uint32_t value) {
  const char bytes[4] = {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
                         static_cast<char>(value >> 24)};
  out.write(bytes, 4);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: icon_pixels IN.png OUT\n");
    return 2;
  }
  QImageReader reader(QString::fromLocal8Bit(argv[1]));
  const QImage image = reader.read();
  if (image.isNull()) {
    std::fprintf(stderr, "icon_pixels: cannot read %s: %s\n", argv[1], qPrintable(reader.errorString()));
    return 1;
  }
  QFile out(QString::fromLocal8Bit(argv[2]));
  if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    std::fprintf(stderr, "icon_pixels: cannot write %s\n", argv[2]);
    return 1;
  }
  putNumber(out, static_cast<std::uint32_t>(image.width()));
  putNumber(out, static_cast<std::uint32_t>(image.height()));
  putNumber(out, static_cast<std::uint32_t>(image.format()));
  putNumber(out, static_cast<std::uint32_t>(image.bytesPerLine()));
  out.write(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
  return out.error() == QFileDevice::NoError ? 0 : 1;
}
