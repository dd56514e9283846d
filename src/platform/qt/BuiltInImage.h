#pragma once

#include <QImage>
#include <QString>

namespace qtplatform {

// A picture of the program's own resources, read by the decoder of its known format alone ("png",
// "xpm"): left to guess, Qt loads every image-format plugin to ask each whether it reads the file.
QImage builtInImage(const QString& path, const char* format);

}  // namespace qtplatform
