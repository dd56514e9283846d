#pragma once

#include <QString>
#include <QStringView>
#include <optional>
#include <string>
#include <string_view>

// The private-profile (INI) format on the bytes of a whole file, with the rules of the Windows
// profile functions, so that files written by either program read the same in both:
// - lines end with LF or CR LF; blanks (space, tab, CR, VT, FF, Ctrl-Z) around a line are ignored;
// - "[name]" starts a section (blanks inside the brackets are ignored, text after the last "]" too);
// - "key=value" inside a section; blanks around key and value are ignored; a value wrapped in a
//   matching pair of double or single quotes is returned without them;
// - section and key names match without regard to case; where a section or key occurs twice, the
//   first one counts (a duplicate section is never searched);
// - lines that are neither (no "=", "[" without "]", comments starting with ";") are kept as they
//   are and never match.
// The file is CP932 unless it starts with a UTF-8 byte order mark; a file with a UTF-16 byte order
// mark is not read (every lookup misses) and never written.
namespace settings::ini {

// Longest value returned, in CP932 bytes: the Windows program reads into a buffer of 1024 bytes.
inline constexpr std::size_t kMaxValueBytes = 1023;

// The value of `key` in the first section named `section`, cut at a NUL character and at
// kMaxValueBytes (never inside a double-byte character); nullopt when the file has no such key.
std::optional<QString> findValue(std::string_view file, QStringView section, QStringView key);

// The file with `key` of `section` set to `value`. Every other byte stays as it was:
// - an existing key keeps its line, its spelling and the blanks before the value; only the value
//   and the blanks after it are replaced;
// - a missing key is added after the last key line of the section (after the header when it has
//   none), so blank lines and comments that end the section stay behind it;
// - a missing section is added, header first, at the end of the file;
// New lines end like the file's first line (CR LF for a file without one, as Windows writes).
// A value with blanks at either end, or wrapped in quotes, is written inside double quotes so
// that it reads back unchanged. nullopt when the edit cannot be made: a UTF-16 file, an empty or
// unusable name (line breaks, "=" in a key, a key starting with "[" or ";", a character the
// file's encoding cannot hold), or a value with a line break or NUL.
std::optional<std::string> withValue(std::string_view file, QStringView section, QStringView key,
                                     QStringView value);

}  // namespace settings::ini
