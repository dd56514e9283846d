#include "platform/qt/DialogFlags.h"

#include <QDialog>

namespace qtplatform {

Qt::WindowFlags dialogFlags() {
    return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
}

void makeTopmostDialog(QDialog& dialog) {
    dialog.setWindowFlags(dialogFlags() | Qt::WindowStaysOnTopHint);
}

}  // namespace qtplatform
