sonara_test(mixer_tests LABELS mixer SOURCES
  mixer/DeviceControlsTest.cpp mixer/GeneralMidiNamesTest.cpp mixer/GlobalControlsTest.cpp)
