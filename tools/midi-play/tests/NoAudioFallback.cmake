# With no audio output (no sound server reachable), playing renders NAME.wav
# into the current folder instead, says so in one line and says where; a
# second run writes NAME-2.wav and leaves the first file alone. The songs
# start at 0:40, so a machine that does have audio plays only a few seconds.
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
function(play_once result_out result_err)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env PULSE_SERVER=unix:/nonexistent/pulse
                          ${PLAYER} --start 0:40 ${SONG}
    WORKING_DIRECTORY ${OUT} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 60)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "exit ${rc}\nstdout: ${out}\nstderr: ${err}")
  endif()
  set(${result_out} "${out}" PARENT_SCOPE)
  set(${result_err} "${err}" PARENT_SCOPE)
endfunction()

play_once(out err)
if(NOT err MATCHES "no audio output is available")
  message("audio output available here: the song played, nothing to check")
  return()
endif()
if(NOT err MATCHES "^midi-play: no audio output is available. rendering to WAV files instead \\([^\n]+[^.]\\)\n$")
  message(FATAL_ERROR "expected one line saying why: ${err}")
endif()
if(NOT out MATCHES "\nwrote ${OUT}/lantern-on-the-hill\\.wav \\([0-9.]+ s of audio\\)\n$")
  message(FATAL_ERROR "expected where the WAV went: ${out}")
endif()
file(SHA256 ${OUT}/lantern-on-the-hill.wav first)

play_once(out err)
if(NOT out MATCHES "\nwrote ${OUT}/lantern-on-the-hill-2\\.wav ")
  message(FATAL_ERROR "the second run should pick a new name: ${out}")
endif()
file(SHA256 ${OUT}/lantern-on-the-hill.wav again)
if(NOT first STREQUAL again)
  message(FATAL_ERROR "the first WAV file was overwritten")
endif()
file(REMOVE_RECURSE ${OUT})
