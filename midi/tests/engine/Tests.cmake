# The playback engine on the virtual clock (and one run on the real clock).
sonara_test(engine_tests LABELS engine stream SOURCES
  engine/PlaybackTest.cpp engine/FillTest.cpp engine/TransportTest.cpp engine/ReentryTest.cpp engine/MixerTest.cpp)
