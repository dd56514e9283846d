#include "ui/FormLook.h"

#include <QStringList>

namespace ui {

QFont formFont() {
    QFont font;
    // The IPA fonts come with the program's packages; fontconfig's aliases stand in elsewhere.
    font.setFamilies(QStringList{QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                                 QStringLiteral("Noto Sans CJK JP"), QStringLiteral("sans-serif")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(9);
    return font;
}

QFont listFont() {
    QFont font;
    font.setFamilies(QStringList{QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP"),
                                 QStringLiteral("monospace")});
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPointSize(9);
    return font;
}

}  // namespace ui
