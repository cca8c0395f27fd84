# midi-play's tests: filled in below.
