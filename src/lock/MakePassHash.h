#pragma once

#include <QString>
#include <cstdint>

// The digest of the lock password: only the digest is kept, in memory and in the settings file
// ("LOCK"/"passwordDigest"). It must match the Windows program's digest bit for bit, or stored
// passwords stop working.
namespace lock {

// A string of 0 to 82 capital letters with no two equal letters side by side; empty for an empty
// text (and for any text whose character values sum to -5..5). Character values are those of
// CP932: a single-byte character counts its byte (0..255), a double-byte character lead * 256 +
// trail read as a signed 16-bit number (always negative: "あ" counts -32096). A character CP932
// cannot hold counts as "?" (63), a surrogate pair as a single "?", as the Windows text box
// turned it into one "?".
QString makePassHash(const QString& text);

// The digest for a given character sum. The sum is taken in 64 bits, so it never overflows; where
// |sum| exceeds 2147483647 (the Windows program stopped with an overflow error there, so no stored
// digest comes from such a sum) it counts as 2147483647.
QString passHashOfSum(std::int64_t sum);

}  // namespace lock
