#include "app/AppIcon.h"

#include <QCoreApplication>
#include <QImage>
#include <QResource>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <cstring>

namespace {

constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// Where the application object keeps the icon once it is made, so that it
// goes away with the application (its pictures must not outlive it).
constexpr char kKeptIcon[] = "zenmoraProgramIcon";

QString resourceFor(int size) { return QStringLiteral(":/icons/%1.png").arg(size); }

std::uint32_t numberAt(const uchar* bytes) {
  return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
         std::uint32_t{bytes[3]} << 24;
}

// The picture of `size` from its decoded pixels (app/icons/icon_pixels.cpp:
// width, height, format and bytes per line, then the lines), converted to a
// pixmap as loading the PNG converts it; the PNG itself if they are missing
// or do not fit.
QPixmap pictureOf(int size) {
  const QResource pixels(QStringLiteral(":/icon-pixels/%1").arg(size));
  constexpr qint64 kHeader = 16;
  if (pixels.isValid() && pixels.compressionAlgorithm() == QResource::NoCompression && pixels.size() >= kHeader) {
    const uchar* bytes = pixels.data();
    const std::uint32_t width = numberAt(bytes);
    const std::uint32_t height = numberAt(bytes + 4);
    const std::uint32_t format = numberAt(bytes + 8);
    const std::uint32_t bytesPerLine = numberAt(bytes + 12);
    QImage image(static_cast<int>(width), static_cast<int>(height), static_cast<QImage::Format>(format));
    if (width == static_cast<std::uint32_t>(size) && height == width && format > QImage::Format_Invalid &&
        format < QImage::NImageFormats && !image.isNull() &&
        bytesPerLine == static_cast<std::uint32_t>(image.bytesPerLine()) &&
        pixels.size() == kHeader + image.sizeInBytes()) {
      // Copied: the resource's bytes carry no promise of alignment.
      std::memcpy(image.bits(), bytes + kHeader, static_cast<std::size_t>(image.sizeInBytes()));
      return QPixmap::fromImage(std::move(image));
    }
  }
  return QPixmap(resourceFor(size));
}

QIcon readProgramIcon() {
  QIcon icon;
  for (const int size : kSizes) icon.addPixmap(pictureOf(size));
  return icon;
}

}  // namespace

QPixmap programIconPixmap() { return QPixmap(resourceFor(32)); }

QIcon programIcon() {
  // Decoding the eight PNGs (and finding Qt's image readers) was a good part
  // of the start-up, and both the application and the main window ask for
  // the icon. So it is made from the decoded pixels, once per application
  // object.
  QCoreApplication* application = QCoreApplication::instance();
  if (application == nullptr) return readProgramIcon();
  const QVariant kept = application->property(kKeptIcon);
  if (kept.canConvert<QIcon>()) return kept.value<QIcon>();
  const QIcon icon = readProgramIcon();
  application->setProperty(kKeptIcon, QVariant::fromValue(icon));
  return icon;
}
