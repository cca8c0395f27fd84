# Renders the karaoke sample, a missing file and a second song into an empty
# folder with standard output not a terminal, and checks the plain lines:
# each lyric line once, in order; the clock once a second; both WAV files
# written; the missing file reported in one line, the others still rendered.
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
execute_process(COMMAND ${PLAYER} --wav ${OUT} ${SONGS}/lantern-on-the-hill.kar ${SONGS}/no-such-song.mid
                        ${SONGS}/paper-boats.mid
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 120)
set(report "exit ${rc}\nstdout: ${out}\nstderr: ${err}")
if(NOT rc EQUAL 3)
  message(FATAL_ERROR "expected exit code 3 (a file was missing); ${report}")
endif()
if(NOT err MATCHES "^midi-play: Cannot open file: [^\n]*no-such-song\\.mid \\(No such file or directory\\)\n$")
  message(FATAL_ERROR "expected one line about the missing file; ${report}")
endif()

string(REGEX MATCHALL "lyric: [^\n]*" lyrics "${out}")
set(expected
  "lyric: Lantern on the hill," "lyric: shining through the rain," "lyric: light the road for me,"
  "lyric: bring me home again." "lyric: River in the dark," "lyric: sing a quiet tune,"
  "lyric: I will follow you" "lyric: under silver moon."
  "lyric: Paper boats for you," "lyric: sail across the blue," "lyric: past the little café"
  "lyric: home by half past two.")
if(NOT lyrics STREQUAL expected)
  message(FATAL_ERROR "lyric lines:\n${lyrics}\nexpected:\n${expected}")
endif()

# The first song's clock: every second from 1 to 45, in order, once each.
string(REGEX MATCHALL "progress: [0-9:]+ / 00:00:45" clock "${out}")
set(expected_clock "")
foreach(s RANGE 1 45)
  string(LENGTH "${s}" digits)
  if(digits EQUAL 1)
    set(s "0${s}")
  endif()
  list(APPEND expected_clock "progress: 00:00:${s} / 00:00:45")
endforeach()
if(NOT clock STREQUAL expected_clock)
  message(FATAL_ERROR "progress lines of the first song:\n${clock}")
endif()
if(NOT out MATCHES "^song 1/3: Lantern on the Hill [^\n]*\nstatus: Playing\n.*\nstatus: Stopped\nwrote [^\n]*lantern-on-the-hill\\.wav \\([0-9.]+ s of audio\\)\nsong 3/3: ")
  message(FATAL_ERROR "song, status and wrote lines; ${report}")
endif()

foreach(wav lantern-on-the-hill.wav paper-boats.wav)
  file(SIZE ${OUT}/${wav} size)
  if(size LESS 441000)  # 16-bit stereo at 44.1 kHz: at least 2.5 s
    message(FATAL_ERROR "${wav} has only ${size} bytes")
  endif()
  file(READ ${OUT}/${wav} header LIMIT 12 HEX)
  if(NOT header MATCHES "^52494646........57415645$")  # "RIFF", size, "WAVE"
    message(FATAL_ERROR "${wav} is no WAV file")
  endif()
endforeach()
file(REMOVE_RECURSE ${OUT})
