sonara_test(typelib_tests LABELS typelib SOURCES typelib/TypelibTest.cpp typelib/ConversionTest.cpp)
