#include "settings/IniText.h"

#include <cstring>

#include "text/AnsiText.h"

// Works on the file's bytes rather than on decoded text, so that every line that is not edited is
// copied exactly. This is safe in CP932 because the bytes that carry the structure (blanks, line
// breaks, "=", ";", and "[" at the start of a line) are never the second byte of a double-byte
// character; only "]" can be, so the closing bracket is searched character by character.
namespace settings::ini {
namespace {

enum class Encoding { Cp932, Utf8, Unsupported };

struct Layout {
    Encoding encoding = Encoding::Cp932;
    std::size_t start = 0;  // first byte after a byte order mark
};

Layout layoutOf(std::string_view file) {
    if (file.substr(0, 3) == "\xEF\xBB\xBF") return {Encoding::Utf8, 3};
    if (file.substr(0, 2) == "\xFF\xFE" || file.substr(0, 2) == "\xFE\xFF") return {Encoding::Unsupported, 0};
    return {};
}

// The blanks of the Windows profile reader, Ctrl-Z (an old end-of-file mark) included.
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\x1A';
}

bool isBlank(QChar c) {
    return c.unicode() < 0x80 && isBlank(static_cast<char>(c.unicode()));
}

struct Span {
    std::size_t begin = 0;
    std::size_t end = 0;
    bool empty() const { return begin == end; }
    std::size_t size() const { return end - begin; }
};

Span trimmed(std::string_view file, Span s) {
    while (s.begin < s.end && isBlank(file[s.begin]))
        ++s.begin;
    while (s.end > s.begin && isBlank(file[s.end - 1]))
        --s.end;
    return s;
}

std::string_view slice(std::string_view file, Span s) {
    return file.substr(s.begin, s.size());
}

struct Line {
    std::size_t begin = 0;
    std::size_t bodyEnd = 0;  // before the "\r\n" or "\n" that ends the line
    std::size_t end = 0;      // after it
};

class Lines {
public:
    Lines(std::string_view file, std::size_t start) : file_(file), next_(start) {}

    bool next(Line& line) {
        if (next_ >= file_.size()) return false;
        const std::size_t begin = next_;
        const void* found = std::memchr(file_.data() + begin, '\n', file_.size() - begin);
        if (found == nullptr) {
            line = {begin, file_.size(), file_.size()};
            next_ = file_.size();
            return true;
        }
        const auto at = static_cast<std::size_t>(static_cast<const char*>(found) - file_.data());
        line = {begin, (at > begin && file_[at - 1] == '\r') ? at - 1 : at, at + 1};
        next_ = at + 1;
        return true;
    }

private:
    std::string_view file_;
    std::size_t next_;
};

enum class Kind { Other, Header, Key };

struct Parsed {
    Kind kind = Kind::Other;
    Span name;
    Span value;
    std::size_t equals = 0;
};

std::optional<std::size_t> lastCloseBracket(std::string_view file, Span s, Encoding encoding) {
    if (encoding == Encoding::Utf8) {
        const std::size_t at = slice(file, s).rfind(']');
        if (at == std::string_view::npos) return std::nullopt;
        return s.begin + at;
    }
    std::optional<std::size_t> found;
    for (std::size_t i = s.begin; i < s.end;) {
        const auto byte = static_cast<unsigned char>(file[i]);
        if (byte == ']') found = i;
        i += (ansi::isLeadByte(byte) && i + 1 < s.end) ? 2 : 1;
    }
    return found;
}

Parsed parseLine(std::string_view file, const Line& line, Encoding encoding) {
    const Span body = trimmed(file, {line.begin, line.bodyEnd});
    if (body.empty() || file[body.begin] == ';') return {};
    if (file[body.begin] == '[') {
        if (const auto close = lastCloseBracket(file, {body.begin + 1, body.end}, encoding))
            return {Kind::Header, trimmed(file, {body.begin + 1, *close}), {}, 0};
    }
    const void* found = std::memchr(file.data() + body.begin, '=', body.size());
    if (found == nullptr) return {};
    const auto equals = static_cast<std::size_t>(static_cast<const char*>(found) - file.data());
    return {Kind::Key, trimmed(file, {body.begin, equals}), trimmed(file, {equals + 1, body.end}), equals};
}

QString decode(std::string_view bytes, Encoding encoding) {
    if (encoding == Encoding::Utf8)
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return ansi::fromAnsi(bytes);
}

std::string encode(QStringView text, Encoding encoding) {
    if (encoding == Encoding::Utf8) return text.toUtf8().toStdString();
    return ansi::toAnsi(text);
}

bool isAscii(std::string_view bytes) {
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

bool isAscii(QStringView text) {
    for (const QChar c : text)
        if (c.unicode() >= 0x80) return false;
    return true;
}

char lowerAscii(char16_t c) {
    return static_cast<char>(c >= u'A' && c <= u'Z' ? c + 32 : c);
}

// Names are compared as the Windows functions do, on the decoded text without regard to case.
// Names in ASCII (all that this program uses) are compared on the bytes, without decoding.
bool sameName(std::string_view stored, QStringView wanted, Encoding encoding) {
    // No encoding here takes more than 4 bytes per UTF-16 unit: a longer name cannot match.
    if (stored.size() > 4 * static_cast<std::size_t>(wanted.size()) + 4) return false;
    if (isAscii(stored) && isAscii(wanted)) {
        if (stored.size() != static_cast<std::size_t>(wanted.size())) return false;
        for (std::size_t i = 0; i < stored.size(); ++i)
            if (lowerAscii(static_cast<unsigned char>(stored[i])) !=
                lowerAscii(wanted[static_cast<qsizetype>(i)].unicode()))
                return false;
        return true;
    }
    return QString::compare(decode(stored, encoding), wanted, Qt::CaseInsensitive) == 0;
}

// A name as the Windows functions take it: a C string, blanks around it ignored.
QStringView normalName(QStringView name) {
    const qsizetype nul = name.indexOf(QChar(0));
    if (nul >= 0) name = name.left(nul);
    while (!name.isEmpty() && isBlank(name.front()))
        name = name.mid(1);
    while (!name.isEmpty() && isBlank(name.back()))
        name.chop(1);
    return name;
}

QString valueText(std::string_view value, Encoding encoding) {
    value = value.substr(0, value.find('\0'));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    if (encoding == Encoding::Cp932) return ansi::fromAnsi(ansi::cutAnsiBytes(value, kMaxValueBytes));
    return ansi::cutToBytes(decode(value, encoding), static_cast<int>(kMaxValueBytes));
}

bool hasLineBreak(QStringView text) {
    return text.contains(u'\r') || text.contains(u'\n') || text.contains(QChar(0));
}

// A name that the file's encoding would change could never be found again: each write would add
// another line for it.
bool representable(QStringView text, Encoding encoding) {
    if (encoding == Encoding::Utf8) return QString::fromUtf8(text.toUtf8()) == text;
    return ansi::fromAnsi(ansi::toAnsi(text)) == text;
}

bool validSection(QStringView name, Encoding encoding) {
    return !name.isEmpty() && !hasLineBreak(name) && representable(name, encoding);
}

bool validKey(QStringView name, Encoding encoding) {
    return !name.isEmpty() && !hasLineBreak(name) && !name.contains(u'=') && name.front() != u'[' &&
           name.front() != u';' && representable(name, encoding);
}

// Reading drops blanks around a value and one pair of quotes around it; quoting such a value
// makes it read back as it was written.
QString quotedIfNeeded(QStringView value) {
    if (value.isEmpty()) return {};
    const bool blankEdge = isBlank(value.front()) || isBlank(value.back());
    const bool quoted = value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
                        value.back() == value.front();
    if (blankEdge || quoted) return u'"' + value.toString() + u'"';
    return value.toString();
}

std::string lineEndOf(std::string_view file, std::size_t start) {
    const std::size_t at = file.find('\n', start);
    if (at == std::string_view::npos) return "\r\n";
    return (at > start && file[at - 1] == '\r') ? "\r\n" : "\n";
}

std::string replacedValue(std::string_view file, const Line& line, const Parsed& key,
                          std::string_view value) {
    const std::size_t keep = key.value.empty() ? key.equals + 1 : key.value.begin;
    std::string out;
    out.reserve(file.size() + value.size());
    out.append(file.substr(0, keep));
    out.append(value);
    out.append(file.substr(line.bodyEnd));
    return out;
}

// Where a new key of a section goes: after its last key line, or after its header.
struct Insertion {
    std::size_t at = 0;
    bool needsLineEnd = false;  // the line before it is the file's last and has no line end
};

Insertion after(const Line& line) {
    return {line.end, line.end == line.bodyEnd};
}

}  // namespace

std::optional<QString> findValue(std::string_view file, QStringView section, QStringView key) {
    const Layout layout = layoutOf(file);
    if (layout.encoding == Encoding::Unsupported) return std::nullopt;
    const QStringView wantedSection = normalName(section);
    const QStringView wantedKey = normalName(key);
    bool inSection = false;
    Lines lines(file, layout.start);
    for (Line line; lines.next(line);) {
        const Parsed parsed = parseLine(file, line, layout.encoding);
        if (parsed.kind == Kind::Header) {
            if (inSection) return std::nullopt;  // only the first section of that name counts
            inSection = sameName(slice(file, parsed.name), wantedSection, layout.encoding);
        } else if (parsed.kind == Kind::Key && inSection &&
                   sameName(slice(file, parsed.name), wantedKey, layout.encoding)) {
            return valueText(slice(file, parsed.value), layout.encoding);
        }
    }
    return std::nullopt;
}

std::optional<std::string> withValue(std::string_view file, QStringView section, QStringView key,
                                     QStringView value) {
    const Layout layout = layoutOf(file);
    const Encoding encoding = layout.encoding;
    const QStringView wantedSection = normalName(section);
    const QStringView wantedKey = normalName(key);
    if (encoding == Encoding::Unsupported || !validSection(wantedSection, encoding) ||
        !validKey(wantedKey, encoding) || hasLineBreak(value))
        return std::nullopt;
    const std::string lineEnd = lineEndOf(file, layout.start);
    const std::string valueBytes = encode(quotedIfNeeded(value), encoding);

    std::optional<Insertion> insertion;
    Lines lines(file, layout.start);
    for (Line line; lines.next(line);) {
        const Parsed parsed = parseLine(file, line, encoding);
        if (parsed.kind == Kind::Header) {
            if (insertion) break;  // the end of the first section of that name
            if (sameName(slice(file, parsed.name), wantedSection, encoding)) insertion = after(line);
        } else if (parsed.kind == Kind::Key && insertion) {
            if (sameName(slice(file, parsed.name), wantedKey, encoding))
                return replacedValue(file, line, parsed, valueBytes);
            insertion = after(line);
        }
    }

    const std::string keyLine = encode(wantedKey, encoding) + "=" + valueBytes + lineEnd;
    std::string out;
    out.reserve(file.size() + keyLine.size() + static_cast<std::size_t>(wantedSection.size()) * 2 + 8);
    if (insertion) {
        out.append(file.substr(0, insertion->at));
        if (insertion->needsLineEnd) out += lineEnd;
        out += keyLine;
        out.append(file.substr(insertion->at));
        return out;
    }
    out.append(file);
    if (file.size() > layout.start && file.back() != '\n') out += lineEnd;
    out += "[" + encode(wantedSection, encoding) + "]" + lineEnd + keyLine;
    return out;
}

}  // namespace settings::ini
