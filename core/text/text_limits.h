// The limits of a text this program shows: lines per text and CP932 bytes per line.
#pragma once

namespace kelmoa {

// Lines a text may hold: the reader refuses more, the preparer cuts parts of this many, and the
// page layout has a row for each.
inline constexpr int kMaxLines = 9000;

// CP932 bytes a line may hold (a double-byte character counts two): the reader refuses longer
// lines, the preparer wraps at no more, and the page layout has a column for each.
inline constexpr int kMaxLineBytes = 100;

}  // namespace kelmoa
