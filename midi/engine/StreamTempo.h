// The tempo the output stream plays at. The stream counts 24 ticks per
// quarter note, so a file tempo is turned into the stream tempo at which one
// stream tick lasts one file tick, and the speed setting scales it by
// 1 + SpeedSetting / 10.
#pragma once

#include <cstdint>

namespace sonara {

// The stream tempo for a file tempo at the current speed setting, rounded to
// the nearest integer (ties to even); not checked against any range.
double ScaledStreamTempo(int32_t fileTempo);

// The same as the 24-bit value of a stream tempo event: at least 1.
uint32_t StreamTempoEventValue(int32_t fileTempo);

// The file tempo in force just before Timeline record `index` plays.
int32_t TempoBeforeRecord(int32_t index);

// Follows the tempo records among `count` records from `first`, which have
// just played, into TempoInForce.
void FollowPlayedTempoRecords(int32_t first, int32_t count);

// Sets the stream's tempo to TempoInForce at the current speed, and rescales
// the tempo events of the buffer still queued, so that a new speed holds
// from now on, across the song's tempo changes too.
void ApplySpeedToStream();

}  // namespace sonara
