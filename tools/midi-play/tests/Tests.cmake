# midi-play's tests: its pure parts in a GoogleTest program, the program
# itself on the sample songs through small CMake scripts, and the terminal
# display in a tmux pane.
sonara_test(midi_play_tests LABELS tools
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/CommandLineTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/KeyInputTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ScreenLayoutTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SongWatcherTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WavDestinationTest.cpp)
target_link_libraries(midi_play_tests PRIVATE midi_play_core)

set(_player $<TARGET_FILE:midi-play>)
set(_songs ${CMAKE_BINARY_DIR}/songs)
set(_song ${_songs}/lantern-on-the-hill.kar)
set(_run ${CMAKE_CURRENT_LIST_DIR}/RunPlayer.cmake)
set(_scratch ${CMAKE_CURRENT_BINARY_DIR}/scratch)
file(MAKE_DIRECTORY ${_scratch})

# midi_play_check(NAME ARGS... [-- VAR=VALUE...]): runs midi-play through
# RunPlayer.cmake with the given arguments and checks.
function(midi_play_check name)
  cmake_parse_arguments(C "" "" "ARGS;CHECKS" ${ARGN})
  string(REPLACE ";" "|" args "${C_ARGS}")
  set(defines)
  foreach(check IN LISTS C_CHECKS)
    list(APPEND defines "-D${check}")
  endforeach()
  add_test(NAME ${name} COMMAND ${CMAKE_COMMAND} -DPLAYER=${_player} "-DARGS=${args}" ${defines} -P ${_run})
  set_tests_properties(${name} PROPERTIES LABELS "tools" TIMEOUT 120)
endfunction()

# --info and --dump of the bundled karaoke song.
midi_play_check(midi_play_info ARGS --info ${_song} CHECKS CODE=0
  "STDOUT_REGEX=^file: [^\n]*lantern-on-the-hill\\.kar\ntitle: Lantern on the Hill\ntitle: Sonara sample songs\ntitle: Words and tune made up for this project\nlength: 00:00:45 \\(36480 ticks\\)\ntime signature: 4/4\nchannels:\n   1  Vibraphone\n   2  Electric Piano 1\n   3  Electric Bass\\(finger\\)\n  10  Drums\nlyrics:\n  Lantern on the hill,\n  shining through the rain,\n(  [^\n]+\n)+  under silver moon\\.\n$")
add_test(NAME midi_play_dump COMMAND ${CMAKE_COMMAND} -DPLAYER=${_player} -DDUMP=$<TARGET_FILE:midi-dump>
  -DSONG=${_song} -P ${CMAKE_CURRENT_LIST_DIR}/DumpMatches.cmake)
set_tests_properties(midi_play_dump PROPERTIES LABELS "tools" TIMEOUT 60)

# Bad input: one line on standard error, its own exit code, nothing played
# and nothing written.
midi_play_check(midi_play_usage_unknown_option ARGS --loud ${_song} CHECKS CODE=2 STDOUT_EMPTY=ON STDERR_LINES=1
  "STDERR_REGEX=^midi-play: unknown option --loud")
midi_play_check(midi_play_usage_bad_value ARGS --transpose 99 ${_song} CHECKS CODE=2 STDOUT_EMPTY=ON STDERR_LINES=1
  "STDERR_REGEX=^midi-play: bad value '99' for --transpose")
midi_play_check(midi_play_usage_no_file ARGS --speed 2 CHECKS CODE=2 STDOUT_EMPTY=ON STDERR_LINES=1
  "STDERR_REGEX=no song file given")
midi_play_check(midi_play_missing_file ARGS --info ${_songs}/no-such-song.mid CHECKS CODE=3 STDOUT_EMPTY=ON
  STDERR_LINES=1 "STDERR_REGEX=^midi-play: Cannot open file: [^\n]*no-such-song\\.mid \\(No such file or directory\\)"
  ABSENT=${_songs}/no-such-song.mid)
midi_play_check(midi_play_not_a_song ARGS --wav ${_scratch}/x.wav ${PROJECT_SOURCE_DIR}/scripts/make-sample-songs
  CHECKS CODE=3 STDOUT_EMPTY=ON STDERR_LINES=1 "STDERR_REGEX=make-sample-songs: Invalid file format"
  ABSENT=${_scratch}/x.wav)
midi_play_check(midi_play_unreadable_soundfont ARGS --soundfont ${_songs}/no-such.sf2 ${_song} CHECKS CODE=3
  STDOUT_EMPTY=ON STDERR_LINES=1 "STDERR_REGEX=no-such\\.sf2: cannot read soundfont")
midi_play_check(midi_play_not_a_soundfont ARGS --soundfont ${_song} ${_song} CHECKS CODE=3
  STDOUT_EMPTY=ON STDERR_LINES=1 "STDERR_REGEX=lantern-on-the-hill\\.kar: not a soundfont")
midi_play_check(midi_play_no_such_device ARGS --device 999 ${_song} CHECKS CODE=4 STDOUT_EMPTY=ON STDERR_LINES=1
  "STDERR_REGEX=^midi-play: there is no output device 999")
midi_play_check(midi_play_wav_folder_missing ARGS --wav ${_scratch}/no/such/folder/ ${_song} CHECKS CODE=5
  STDOUT_EMPTY=ON STDERR_LINES=1 "STDERR_REGEX=cannot write WAV files into [^\n]*: no such folder"
  ABSENT=${_scratch}/no)
midi_play_check(midi_play_wav_exists ARGS --wav ${_song} ${_song} CHECKS CODE=5 STDOUT_EMPTY=ON STDERR_LINES=1
  "STDERR_REGEX=lantern-on-the-hill\\.kar already exists. not overwriting it" KEEP=${_song})

# Several files with a broken one among them: the others are still shown.
midi_play_check(midi_play_info_one_broken ARGS --info ${_song} ${_songs}/no-such-song.mid ${_songs}/paper-boats.mid
  CHECKS CODE=3 STDERR_LINES=1 "STDERR_REGEX=no-such-song\\.mid"
  "STDOUT_REGEX=title: Lantern on the Hill\n.*\n\nfile: [^\n]*paper-boats\\.mid\n")

# Real-time playing with standard output not a terminal: the plain lines,
# started 40 s into the song on the silent device (about 6 s).
midi_play_check(midi_play_plain_lines ARGS --silent --start 0:40 ${_song} CHECKS CODE=0
  "STDOUT_REGEX=^song 1/1: Lantern on the Hill [^\n]*, 00:00:45\nstatus: Playing\n(progress: [^\n]*\n)*lyric: under silver moon\\.\n(progress: 00:00:4[0-5] / 00:00:45\n)+status: Stopped\n$")

# A render's plain lines, and the WAV files.
add_test(NAME midi_play_render_lines COMMAND ${CMAKE_COMMAND} -DPLAYER=${_player} -DSONGS=${_songs}
  -DOUT=${_scratch}/render -P ${CMAKE_CURRENT_LIST_DIR}/RenderLines.cmake)
# No audio output: the song goes to NAME.wav in the current folder.
add_test(NAME midi_play_no_audio_renders COMMAND ${CMAKE_COMMAND} -DPLAYER=${_player} -DSONG=${_song}
  -DOUT=${_scratch}/fallback -P ${CMAKE_CURRENT_LIST_DIR}/NoAudioFallback.cmake)
set_tests_properties(midi_play_render_lines midi_play_no_audio_renders PROPERTIES LABELS "tools" TIMEOUT 180)

# Real sound: midi-play on device 0 into a PulseAudio server of the test's
# own, recorded and compared with the render (about 50 s).
if(SONARA_WITH_FLUIDSYNTH)
  add_executable(midi_play_audio_tests ${CMAKE_CURRENT_LIST_DIR}/RealAudioTest.cpp)
  target_link_libraries(midi_play_audio_tests PRIVATE GTest::gtest GTest::gtest_main PkgConfig::SNDFILE)
  target_include_directories(midi_play_audio_tests PRIVATE ${PROJECT_SOURCE_DIR}/midi/tests/devices)
  target_compile_definitions(midi_play_audio_tests PRIVATE MIDI_PLAY="$<TARGET_FILE:midi-play>" SONG="${_song}")
  add_dependencies(midi_play_audio_tests midi-play)
  sonara_warnings(midi_play_audio_tests)
  add_test(NAME midi_play_real_audio COMMAND midi_play_audio_tests)
  set_tests_properties(midi_play_real_audio PROPERTIES LABELS "tools;audio" TIMEOUT 240 RUN_SERIAL ON)
endif()

# The terminal display in an 80x24 tmux pane, in real time (about 25 s).
find_program(TMUX_PROGRAM tmux)
if(TMUX_PROGRAM)
  add_test(NAME midi_play_screen COMMAND ${CMAKE_CURRENT_LIST_DIR}/screen-test.sh ${_player} ${_song})
  set_tests_properties(midi_play_screen PROPERTIES LABELS "tools;screen" TIMEOUT 120 RUN_SERIAL ON)
endif()
