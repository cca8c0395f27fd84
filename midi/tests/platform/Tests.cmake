# The platform layer: stream core, output streams, windows and timers, dialogs.
sonara_test(platform_stream_core_tests LABELS platform stream SOURCES platform/StreamCoreTest.cpp)
sonara_test(platform_stream_tests LABELS platform stream SOURCES platform/StreamTest.cpp)
sonara_test(platform_window_tests LABELS platform stream SOURCES platform/WindowTest.cpp)
sonara_test(platform_device_tests LABELS platform stream SOURCES platform/DeviceTest.cpp)
