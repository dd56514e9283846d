#pragma once

#include <QString>
#include <algorithm>

namespace zeltest {

// A stand-in for the password digest with the properties the dialogs must cope with: only the
// letters count, in any order and either case, so "abc" and "CbA" share one digest, and a text
// without letters ("", "123") has the empty digest, the digest of "no password".
inline QString fakeDigest(const QString& text) {
    QString letters;
    for (QChar c : text) {
        if (c.isLetter()) letters += c.toUpper();
    }
    std::sort(letters.begin(), letters.end());
    return letters.isEmpty() ? QString() : QStringLiteral("D") + letters;
}

}  // namespace zeltest
