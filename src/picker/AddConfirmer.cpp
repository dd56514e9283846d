#include "picker/AddConfirmer.h"

namespace picker {

QString AddConfirmMessage(const QString& className) {
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("指定のウィンドウのみを隠蔽しますか？") + crlf +
           QStringLiteral("または、類似ウィンドウを隠蔽しますか？") + crlf + crlf +
           QStringLiteral("　クラス名：") + className;
}

}  // namespace picker
