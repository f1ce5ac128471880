#include "platform/vcl/ShellIcons.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QMimeDatabase>
#include <QPainter>

#include <charconv>
#include <utility>

#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Canvas_p.h"

namespace {

bool ReadIndex(std::string_view path, long long& index) {
  if (path.empty()) return false;
  const auto [end, error] = std::from_chars(path.data(), path.data() + path.size(), index);
  return error == std::errc() && end == path.data() + path.size();
}

QIcon IconOf(std::string_view path) {
  static const QFileIconProvider provider;
  long long index = 0;
  if (ReadIndex(path, index)) {
    static constexpr QAbstractFileIconProvider::IconType kStandard[] = {
        QAbstractFileIconProvider::Computer, QAbstractFileIconProvider::Desktop, QAbstractFileIconProvider::Trashcan,
        QAbstractFileIconProvider::Network,  QAbstractFileIconProvider::Drive,   QAbstractFileIconProvider::Folder,
        QAbstractFileIconProvider::File};
    constexpr long long count = sizeof kStandard / sizeof kStandard[0];
    return provider.icon(kStandard[((index % count) + count) % count]);
  }
  const QString file = QString::fromStdString(SysFileName(path));
  const QFileInfo info(file);
  if (!file.isEmpty() && info.exists()) {
    QIcon icon = provider.icon(info);
    if (!icon.isNull()) return icon;
  }
  // By name only: the kind its extension names, then its generic kind.
  const QMimeType mime = QMimeDatabase().mimeTypeForFile(file, QMimeDatabase::MatchExtension);
  QIcon icon = QIcon::fromTheme(mime.iconName());
  if (icon.isNull()) icon = QIcon::fromTheme(mime.genericIconName());
  if (icon.isNull()) icon = provider.icon(QAbstractFileIconProvider::File);
  return icon;
}

}  // namespace

bool ShellFileIcon(std::string_view path, int size, TBitmap& bitmap) {
  if (size <= 0 || !EnsureQtApplication()) return false;
  const QIcon icon = IconOf(path);
  if (icon.isNull()) return false;
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    icon.paint(&painter, QRect(0, 0, size, size));
  }
  SetBitmapImage(bitmap, std::move(image));
  return true;
}
