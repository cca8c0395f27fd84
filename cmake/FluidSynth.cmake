# The software synthesizer (libfluidsynth) and the WAV writer (libsndfile)
# that the renderer uses, found through pkg-config.
if(SONARA_WITH_FLUIDSYNTH)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(FLUIDSYNTH REQUIRED IMPORTED_TARGET fluidsynth>=2.2)
  pkg_check_modules(SNDFILE REQUIRED IMPORTED_TARGET sndfile)
endif()
