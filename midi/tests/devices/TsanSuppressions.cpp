// Races that ThreadSanitizer reports inside libraries built without it: the
// OpenMP runtime FluidSynth uses and PulseAudio's client library synchronize
// in ways it cannot see. Our own code stays fully checked. The sanitizer
// calls this when it starts; other builds never do.
extern "C" const char* __tsan_default_suppressions();
extern "C" const char* __tsan_default_suppressions() {
  return "race:libgomp.so\n"
         "race:libpulsecommon\n"
         "race:libpulse.so\n"
         "race:libpulse-simple.so\n"
         "race:libfluidsynth.so\n";
}
