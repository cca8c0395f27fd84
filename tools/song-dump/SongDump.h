// The text dump of a loaded song that midi-dump prints and midi-play prints
// for --dump: the Timeline one record a line, then the song information,
// the channels in use, the lyric text and the syllable and phrase tables.
// Every line of the dump is one line: texts from the file are escaped.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

namespace sonara {

class clsMidi;

// Writes the dump of the song that midi has loaded (its status is
// "File Open") to out.
void WriteSongDump(std::ostream& out, clsMidi& midi);

// What the columns and lines of the dump mean, for a program's --help.
std::string_view SongDumpLegend();

// A text made safe for one line of a terminal: control characters (C0, DEL
// and C1), NUL and bytes that are not UTF-8 are written as escapes (\n, \r,
// \t, \0, \xHH, \u0085), a backslash as "\\"; everything else is kept.
std::string EscapeText(std::string_view text);

}  // namespace sonara
