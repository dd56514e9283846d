#include "text/AnsiText.h"

#include <iconv.h>

#include <QList>
#include <cerrno>
#include <vector>

namespace ansi {
namespace {

// One iconv descriptor per direction and thread; iconv_open is far dearer than a conversion.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much as possible; returns false at a sequence it cannot take, leaving `in`
    // pointing at it. Output is appended to `out`.
    bool convert(const char*& in, std::size_t& inLeft, std::string& out) {
        char buffer[256];
        while (inLeft > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            char* inPtr = const_cast<char*>(in);
            const std::size_t rc = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
            const int err = errno;
            in = inPtr;
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            if (rc != static_cast<std::size_t>(-1)) continue;
            if (err == E2BIG) continue;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // reset shift state
            return false;
        }
        return true;
    }

private:
    iconv_t cd_;
};

Converter& encoder() {
    thread_local Converter c("CP932", "UTF-32LE");
    return c;
}

Converter& decoder() {
    thread_local Converter c("UTF-32LE", "CP932");
    return c;
}

}  // namespace

std::string toAnsi(QStringView text) {
    const QList<uint> ucs4 = text.toUcs4();
    std::string out;
    out.reserve(static_cast<std::size_t>(ucs4.size()) * 2);
    const char* in = reinterpret_cast<const char*>(ucs4.constData());
    std::size_t inLeft = static_cast<std::size_t>(ucs4.size()) * sizeof(uint);
    Converter& conv = encoder();
    while (inLeft > 0) {
        if (conv.valid() && conv.convert(in, inLeft, out)) break;
        out.push_back('?');  // not representable in CP932: counts as "?", one byte
        in += sizeof(uint);
        inLeft -= sizeof(uint);
    }
    return out;
}

QString fromAnsi(std::string_view bytes) {
    std::string utf32;
    utf32.reserve(bytes.size() * 4);
    const char* in = bytes.data();
    std::size_t inLeft = bytes.size();
    Converter& conv = decoder();
    while (inLeft > 0) {
        if (conv.valid() && conv.convert(in, inLeft, utf32)) break;
        const char32_t replacement = 0xFFFD;
        utf32.append(reinterpret_cast<const char*>(&replacement), sizeof replacement);
        ++in;
        --inLeft;
    }
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(utf32.data()),
                             static_cast<qsizetype>(utf32.size() / 4));
}

int byteLength(QStringView text) {
    return static_cast<int>(toAnsi(text).size());
}

std::string_view cutAnsiBytes(std::string_view bytes, std::size_t maxBytes) {
    if (bytes.size() <= maxBytes) return bytes;
    std::size_t i = 0;
    while (i < maxBytes) {
        const std::size_t width = isLeadByte(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
        if (i + width > maxBytes) break;
        i += width;
    }
    return bytes.substr(0, i);
}

QString cutToBytes(QStringView text, int maxBytes) {
    if (maxBytes <= 0) return {};
    if (toAnsi(text).size() <= static_cast<std::size_t>(maxBytes)) return text.toString();
    // Walk whole code points so that characters CP932 cannot hold (one "?" byte each) and
    // surrogate pairs are kept or dropped as a unit.
    qsizetype end = 0;
    int used = 0;
    while (end < text.size()) {
        const qsizetype width = (text[end].isHighSurrogate() && end + 1 < text.size()) ? 2 : 1;
        used += byteLength(text.mid(end, width));
        if (used > maxBytes) break;
        end += width;
    }
    return text.left(end).toString();
}

}  // namespace ansi
