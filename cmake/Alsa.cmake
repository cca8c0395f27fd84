# ALSA sequencer ports as output devices.
if(SONARA_WITH_ALSA)
  find_package(ALSA REQUIRED)
endif()
