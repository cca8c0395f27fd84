# Real devices: the software synthesizer, the WAV renderer, sequencer ports.
# Each program carries the sanitizer's suppressions for the audio libraries.
set(_tsan devices/TsanSuppressions.cpp)
if(SONARA_WITH_FLUIDSYNTH)
  sonara_test(devices_synth_tests LABELS devices stream SOURCES devices/SynthDeviceTest.cpp ${_tsan})
  sonara_test(devices_file_renderer_tests LABELS devices stream SOURCES devices/FileRendererTest.cpp ${_tsan})
  sonara_test(devices_realtime_tests LABELS devices stream SOURCES devices/RealtimeAudioTest.cpp ${_tsan})
  sonara_test(devices_player_render_tests LABELS devices stream SOURCES devices/PlayerRenderTest.cpp ${_tsan})
  foreach(t devices_file_renderer_tests devices_realtime_tests devices_player_render_tests)
    target_link_libraries(${t} PRIVATE PkgConfig::SNDFILE)
  endforeach()
  # Real-time sound runs alone: a machine busy with other tests breaks it up.
  set(_serial ${CMAKE_CURRENT_BINARY_DIR}/devices_realtime_tests_serial.cmake)
  file(WRITE ${_serial} "if(devices_realtime_tests_TESTS)\n"
    "  set_tests_properties(\${devices_realtime_tests_TESTS} PROPERTIES RUN_SERIAL ON)\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${_serial})
endif()
if(SONARA_WITH_ALSA)
  sonara_test(devices_alsa_tests LABELS devices stream SOURCES devices/AlsaSequencerTest.cpp ${_tsan})
  target_link_libraries(devices_alsa_tests PRIVATE ALSA::ALSA)
endif()
