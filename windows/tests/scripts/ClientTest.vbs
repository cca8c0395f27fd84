' Midi.dll as a script user sees it, run by our script host under Wine:
'   sonara-script-host ClientTest.vbs KARAOKE_SONG
' The song: a note on channel 2 under a "words" track with the titles
' "My Song" and "The Singer" and the lyrics \Hel lo /world. Ends with the
' line "N passed, N failed".
Option Explicit

Dim passed, failed
passed = 0
failed = 0

Sub Check(ok, what)
  If ok Then
    passed = passed + 1
  Else
    failed = failed + 1
    WScript.Echo "FAILED: " & what
  End If
End Sub

' ---- Events, bound by name through the prefix "Midi_"
Dim statusEvents, infoLength, infoSignature, lyricEvents, progressEvents
statusEvents = ""
lyricEvents = ""
progressEvents = 0

Sub Midi_Status(code, text)
  statusEvents = statusEvents & code & " " & text & ";"
End Sub

Sub Midi_MidiInfo(length, signature)
  infoLength = length
  infoSignature = signature
End Sub

Sub Midi_TextKar(syllable, start, line, nextLine)
  If start >= 0 Then lyricEvents = lyricEvents & syllable & "|"
End Sub

Sub Midi_Progress(ticks, clock)
  progressEvents = progressEvents + 1
End Sub

Dim player
Set player = WScript.CreateObject("Sonara.clsMidi", "Midi_")
Check player.Status = 6, "a new object's status is 6"
Check statusEvents = "", "the creation's Status event reaches no script"

' ---- Loading
player.OpenMidiFile WScript.Arguments(0)
Check player.Status = 5, "status 5 after loading, got " & player.Status
Check statusEvents = "0 Stopped;5 File Open;", "the load's Status events: " & statusEvents
Check infoSignature = "4/4", "MidiInfo's time signature: " & infoSignature
Check player.TimeLength = 480, "TimeLength: " & player.TimeLength
Check player.Titles(0) = "My Song", "Titles(0): " & player.Titles(0)
Check player.Titles(1) = "The Singer", "Titles(1): " & player.Titles(1)
Check player.LyricText = vbCrLf & "Hello" & vbCrLf & "world" & vbCrLf, "LyricText"

' ---- Properties
player.Volume(3) = 90
Check player.Volume(3) = 90, "Volume(3) reads back"
player.MuteChannel(4) = True
Check player.MuteChannel(4) = True, "MuteChannel(4) reads back True"
player.Instrument(5) = "41"
Check player.Instrument(5) = "41", "Instrument(5) reads back"

' ---- Errors carry their numbers and texts
Dim value
On Error Resume Next
value = player.Volume(16)
Check Err.Number = 9, "Volume(16): error number " & Err.Number
Check Err.Description = "Subscript out of range", "Volume(16): " & Err.Description
Err.Clear
value = player.Titles(-1)
Check Err.Number = 9, "Titles(-1): error number " & Err.Number
Err.Clear
On Error GoTo 0

' ---- Devices: nDevs is a script variable, passed by reference
Dim n, devices, name, count
n = -5
Set devices = player.ListDevices(n)
Check n >= 0, "ListDevices writes the count back into nDevs: " & n
Check devices.Count = n, "the collection counts nDevs items"
devices.Add "extra"
count = 0
For Each name In devices
  count = count + 1
Next
Check count = n + 1, "For Each visits every item, got " & count
Check devices(n + 1) = "extra", "items are numbered from 1"

' ---- Playback through the MIDI mapper, to the end of the song
statusEvents = ""
player.SetDevice = -1
player.PlayMidi
Dim waited
waited = 0
Do While player.Status = 1 And waited < 10000
  WScript.Sleep 50
  waited = waited + 50
Loop
Check player.Status = 0, "the song plays to its end, status " & player.Status
Check statusEvents = "1 Playing;0 Stopped;", "the Status events of playback: " & statusEvents
Check lyricEvents = "Hel|lo|world|", "TextKar announces each syllable: " & lyricEvents
Check progressEvents >= 1, "Progress reports the stop"

WScript.Echo passed & " passed, " & failed & " failed"
