#!/usr/bin/env bash
# The terminal display of midi-play, read from a fixed 80x24 tmux pane while
# the karaoke sample plays in real time on a silent device: titles, the
# clock advancing, the current lyric line changing with the song and its
# highlight moving, the meters; then the keys: pause (the clock stops), seek
# (the clock jumps), mute (the channel's meter stays empty), quit (exit 0,
# the terminal's settings as they were, also after several songs).
# usage: screen-test.sh MIDI_PLAY SONG
set -euo pipefail
player=$1
song=$2
work=$(mktemp -d)
sock=$work/tmux.sock
pane=player

tm() { tmux -S "$sock" "$@"; }
cleanup() {
  tm kill-server >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

screen() { tm capture-pane -p -t "$pane"; }
fail() {
  echo "FAIL: $*"
  echo "--- the screen:"
  screen || true
  exit 1
}
# Waits (up to $2 seconds) until the screen shows text matching $1.
wait_for() {
  local limit=$(($2 * 10))
  for ((i = 0; i < limit; i++)); do
    screen | grep -q -- "$1" && return 0
    sleep 0.1
  done
  fail "waited $2 s for: $1"
}
# Waits (up to $3 seconds) until row $1 of the screen matches $2.
wait_row() {
  local limit=$(($3 * 10))
  for ((i = 0; i < limit; i++)); do
    screen | sed -n "$1p" | grep -q -- "$2" && return 0
    sleep 0.1
  done
  fail "waited $3 s for row $1 to show: $2"
}
# The clock of the progress line, in seconds.
clock() {
  local t
  t=$(screen | grep -o '^ [0-9][0-9]:[0-9][0-9]:[0-9][0-9] \[' | tr -d ' [')
  [ -n "$t" ] || fail "no clock on the screen"
  echo $((10#${t:0:2} * 3600 + 10#${t:3:2} * 60 + 10#${t:6:2}))
}
# The highlighted (reverse video) part of the current lyric line.
sung() { tm capture-pane -p -e -t "$pane" | sed -n 8p | sed -n 's/.*\x1b\[7m\([^\x1b]*\)\x1b.*/\1/p'; }
# The meter cell of a channel, e.g. "10 Drums    ####...."
meter() { screen | grep -o -- "$1 [A-Z][^ ]*[^#.]*[#. ]*" | head -1; }

tm new-session -d -s "$pane" -x 80 -y 24 \
  "stty -g > '$work/before'; '$player' --silent '$song'; echo \$? > '$work/exit'; stty -g > '$work/after'; sleep 60"

wait_for 'Lantern on the Hill' 10
wait_for '^ Playing' 5
screen | grep -q 'Sonara sample songs' || fail "no second title"

c1=$(clock)
sleep 2.2
c2=$(clock)
((c2 > c1)) || fail "the clock did not advance ($c1 -> $c2)"

# Row 8 is the line being sung, row 9 the next one.
wait_row 8 'Lantern on the hill,' 10
s1=$(sung)
sleep 1.3
s2=$(sung)
[ -n "$s1" ] && ((${#s2} > ${#s1})) || fail "the highlight did not move: '$s1' then '$s2'"
wait_row 8 'shining through the rain,' 8
screen | sed -n 11,18p | grep -q '#' || fail "no meter shows a level"

# Pause: the clock stops.
tm send-keys -t "$pane" ' '
wait_for '^ Paused' 3
c1=$(clock)
sleep 2
c2=$(clock)
((c1 == c2)) || fail "the clock moved while paused ($c1 -> $c2)"
tm send-keys -t "$pane" ' '
wait_for '^ Playing' 3

# Seek forward: the clock jumps by about five seconds.
c1=$(clock)
tm send-keys -t "$pane" Right
sleep 0.5
c2=$(clock)
((c2 >= c1 + 4 && c2 <= c1 + 7)) || fail "seek moved the clock from $c1 to $c2"

# Mute the drums (channel 10): their meter stays empty.
meter 10 | grep -q '#' || { sleep 1; meter 10 | grep -q '#'; } || fail "the drums' meter shows nothing before muting"
tm send-keys -t "$pane" 0
wait_for '10 Drums *(muted)' 3
for _ in 1 2 3 4 5; do
  meter 10 | grep -q '#' && fail "the muted drums' meter moved"
  sleep 0.3
done

# Quit: exit 0 and the terminal as it was.
tm send-keys -t "$pane" q
for ((i = 0; i < 50; i++)); do
  [ -s "$work/exit" ] && [ -s "$work/after" ] && break
  sleep 0.1
done
[ "$(cat "$work/exit" 2>/dev/null)" = 0 ] || fail "exit code $(cat "$work/exit" 2>/dev/null) after q"
cmp -s "$work/before" "$work/after" || fail "the terminal's settings were not restored"
screen | grep -q 'Lantern on the Hill' && fail "the player's screen is still shown after quitting"
# Keys on the terminal but the output in a file, two songs one after the
# other (their last seconds): the terminal's settings come back all the same.
tm new-session -d -s second -x 80 -y 24 \
  "stty -g > '$work/before2'; '$player' --silent --start 0:43 '$song' '$song' > '$work/lines'; echo \$? > '$work/exit2'; stty -g > '$work/after2'; sleep 60"
for ((i = 0; i < 150; i++)); do
  [ -s "$work/exit2" ] && [ -s "$work/after2" ] && break
  sleep 0.1
done
[ "$(cat "$work/exit2" 2>/dev/null)" = 0 ] || fail "exit code $(cat "$work/exit2" 2>/dev/null) for two songs"
[ "$(grep -c '^song ' "$work/lines")" = 2 ] || fail "expected two songs: $(cat "$work/lines")"
cmp -s "$work/before2" "$work/after2" || fail "the terminal's settings were not restored after two songs"
# The reader of the output goes away (head): the player ends soon, and the
# terminal's settings come back.
tm new-session -d -s third -x 80 -y 24 \
  "stty -g > '$work/before3'; '$player' --silent '$song' | head -2 > /dev/null; stty -g > '$work/after3'; sleep 60"
for ((i = 0; i < 100; i++)); do
  [ -s "$work/after3" ] && break
  sleep 0.1
done
[ -s "$work/after3" ] || fail "the player went on after the reader of its output had gone"
cmp -s "$work/before3" "$work/after3" || fail "the terminal's settings were not restored after a broken pipe"
echo "screen test passed"
