#include "platform/qt/BuiltInImage.h"

#include <QImageReader>

namespace qtplatform {

QImage builtInImage(const QString& path, const char* format) {
    QImageReader reader(path, format);
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

}  // namespace qtplatform
