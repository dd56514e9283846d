#include "core/AddConfirmer.h"

namespace core {

QString addConfirmMessage(const QString& className) {
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("指定のウィンドウのみを隠蔽しますか？") + crlf +
           QStringLiteral("または、類似ウィンドウを隠蔽しますか？") + crlf + crlf +
           QStringLiteral("　クラス名：") + className;
}

}  // namespace core
