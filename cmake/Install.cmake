# Installs libMidi with its headers, a CMake package (Sonara::Midi) and a
# pkg-config file.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS Midi EXPORT SonaraTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/midi/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/sonara
  FILES_MATCHING PATTERN "*.h" PATTERN "tests" EXCLUDE)
install(EXPORT SonaraTargets NAMESPACE Sonara:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Sonara)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/SonaraConfig.cmake.in
  ${PROJECT_BINARY_DIR}/SonaraConfig.cmake INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Sonara)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/SonaraConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/SonaraConfig.cmake ${PROJECT_BINARY_DIR}/SonaraConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Sonara)

configure_file(${PROJECT_SOURCE_DIR}/cmake/sonara-midi.pc.in ${PROJECT_BINARY_DIR}/sonara-midi.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/sonara-midi.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
