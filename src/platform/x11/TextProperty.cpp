#include "platform/x11/TextProperty.h"

#include <iconv.h>

#include <QStringDecoder>
#include <cerrno>
#include <string>

namespace core::x11 {

namespace {

constexpr char kEsc = '\x1b';

enum class Charset { kAscii, kLatin1High, kEucJp, kEucCn, kEucKr, kUtf8, kUnknown };

bool validUtf8(std::string_view bytes, QString& text) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    text = decoder(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return !decoder.hasError();
}

// Bytes of a multibyte code set to text; a sequence iconv cannot convert becomes "?".
QString convertWithIconv(const std::string& bytes, const char* charset) {
    iconv_t cd = iconv_open("UTF-8", charset);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return QString(static_cast<qsizetype>(bytes.size() / 2), QLatin1Char('?'));
    }
    std::string out;
    std::string in = bytes;
    char* inPtr = in.data();
    std::size_t inLeft = in.size();
    char buffer[256];
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
            out += '?';
            const std::size_t skip = inLeft >= 2 ? 2 : inLeft;  // one 94x94 character
            inPtr += skip;
            inLeft -= skip;
        }
    }
    iconv_close(cd);
    return QString::fromUtf8(out);
}

const char* iconvName(Charset set) {
    switch (set) {
        case Charset::kEucJp:
            return "EUC-JP";
        case Charset::kEucCn:
            return "EUC-CN";
        case Charset::kEucKr:
            return "EUC-KR";
        default:
            return nullptr;
    }
}

Charset multibyteSet(char final) {
    switch (final) {
        case 'A':
            return Charset::kEucCn;  // GB 2312
        case 'B':
            return Charset::kEucJp;  // JIS X 0208
        case 'C':
            return Charset::kEucKr;  // KS C 5601
        default:
            return Charset::kUnknown;
    }
}

// Reads one escape sequence at bytes[i] (the ESC) and updates the sets; returns its length.
std::size_t readEscape(std::string_view bytes, std::size_t i, Charset& gl, Charset& gr) {
    const std::string_view rest = bytes.substr(i + 1);
    auto starts = [&](std::string_view prefix) { return rest.substr(0, prefix.size()) == prefix; };
    if (starts("%G")) {
        gl = gr = Charset::kUtf8;
        return 3;
    }
    if (starts("%@")) {
        gl = Charset::kAscii;
        gr = Charset::kLatin1High;
        return 3;
    }
    if (rest.size() >= 2 && (rest[0] == '(' || rest[0] == '-')) {
        const bool ascii = rest[0] == '(' && (rest[1] == 'B' || rest[1] == 'J');
        (rest[0] == '(' ? gl : gr) =
            ascii ? Charset::kAscii : (rest[1] == 'A' ? Charset::kLatin1High : Charset::kUnknown);
        return 3;
    }
    if (rest.size() >= 3 && rest[0] == '$' && (rest[1] == '(' || rest[1] == ')')) {
        (rest[1] == '(' ? gl : gr) = multibyteSet(rest[2]);
        return 4;
    }
    // Unknown: skip intermediate bytes (0x20-0x2F) and the final byte.
    std::size_t n = 1;
    while (n < bytes.size() - i && bytes[i + n] >= 0x20 && bytes[i + n] <= 0x2f) {
        ++n;
    }
    return std::min(n + 1, bytes.size() - i);
}

}  // namespace

QString decodeCompoundText(std::string_view bytes) {
    QString text;
    Charset gl = Charset::kAscii;
    Charset gr = Charset::kLatin1High;
    std::string run;  // bytes of a multibyte set, in EUC form
    Charset runSet = Charset::kUnknown;
    auto flush = [&] {
        if (!run.empty()) {
            text += convertWithIconv(run, iconvName(runSet));
            run.clear();
        }
    };
    for (std::size_t i = 0; i < bytes.size();) {
        if (bytes[i] == kEsc) {
            flush();
            i += readEscape(bytes, i, gl, gr);
            continue;
        }
        const auto byte = static_cast<unsigned char>(bytes[i]);
        const Charset set = byte < 0x80 ? gl : gr;
        if (set == Charset::kUtf8) {
            std::size_t end = bytes.find(kEsc, i);
            end = end == std::string_view::npos ? bytes.size() : end;
            text += QString::fromUtf8(bytes.data() + i, static_cast<qsizetype>(end - i));
            i = end;
        } else if (iconvName(set) != nullptr && byte >= 0x21 && byte != 0x7f && byte != 0xff) {
            if (runSet != set) {
                flush();
                runSet = set;
            }
            run += static_cast<char>(byte | 0x80);
            ++i;
        } else {
            flush();
            // Controls, ASCII and the upper half of Latin-1 stand for themselves.
            const bool plain =
                byte < 0x21 || byte == 0x7f || set == Charset::kAscii || set == Charset::kLatin1High;
            text += plain ? QChar(static_cast<char16_t>(byte)) : QChar(u'?');
            ++i;
        }
    }
    flush();
    return text;
}

QString decodeTextProperty(std::string_view bytes, TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::kUtf8:
            return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
        case TextEncoding::kCompoundText:
            return decodeCompoundText(bytes);
        case TextEncoding::kLatin1:
            break;
    }
    QString text;
    if (validUtf8(bytes, text)) {
        return text;
    }
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace core::x11
