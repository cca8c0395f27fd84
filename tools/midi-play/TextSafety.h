// Texts from a song file reach the terminal: titles, lyrics, instrument and
// file names. Control characters in them could move the cursor or change
// the terminal's state, so everything printed goes through EscapeControls.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace midiplay {

// The text with every control character (C0, DEL, C1) and every byte that
// is not valid UTF-8 written as a visible escape (\n, \xHH, \u0085; a
// backslash as \\).
std::string EscapeControls(std::string_view text);

// Characters (code points) of a UTF-8 text; a stray byte counts as one.
size_t CharCount(std::string_view text);
// The byte offset just after the first `chars` characters (the size when
// the text is shorter).
size_t ByteOffsetOfChar(std::string_view text, size_t chars);
// At most `chars` characters of the text.
std::string FirstChars(std::string_view text, size_t chars);

}  // namespace midiplay
