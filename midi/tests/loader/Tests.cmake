sonara_test(loader_tests LABELS loader SOURCES
  loader/DecoderTest.cpp loader/HeaderTest.cpp loader/KaraokeTest.cpp loader/LyricLinesTest.cpp loader/LyricPlaybackTest.cpp loader/MergeTest.cpp loader/OpenTest.cpp)

# The generated sample songs, read back and checked against a plain reading in the test.
sonara_test(loader_songs_tests LABELS loader SOURCES loader/GeneratedSongsTest.cpp)
target_compile_definitions(loader_songs_tests PRIVATE SONARA_SONGS_DIR="${CMAKE_BINARY_DIR}/songs")
add_dependencies(loader_songs_tests sample_songs)
