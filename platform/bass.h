// The audio library's 2.x interface (BASS), the subset this program calls, on Linux.
//
// Covered: one output device opened by BASS_Init (SDL2 audio, stereo float), tracker
// musics loaded from files (decoded by libopenmpt: MOD, XM, S3M, IT and every other
// format libopenmpt reads), play / pause / stop / restart, order-row positions, a linear
// volume attribute, FFT magnitudes (KISS FFT) and peak levels of what the music plays
// (measured before its volume attribute, so they are the same at every volume).
// Left out: streams, samples, recording, 3D, effects, plug-ins, device enumeration,
// BASS_ErrorGetCode, and every flag the program does not pass.
// Calls on handle 0 or any unknown handle fail without effect. Every call comes from the
// main thread; decoding runs on SDL's audio thread and each call takes the audio lock briefly.
#pragma once

#include <cstdint>

#include <windows.h>

typedef uint64_t QWORD;
typedef DWORD HMUSIC;    // music handle
typedef DWORD HCHANNEL;  // any channel handle (a music here)

// ---- BASS_MusicLoad flags
#define BASS_MUSIC_LOOP 4      // repeat for ever, following the module's own loop
#define BASS_MUSIC_RAMP 0x200  // normal volume ramping (without it: none)

// ---- BASS_ChannelIsActive results
#define BASS_ACTIVE_STOPPED 0
#define BASS_ACTIVE_PLAYING 1
#define BASS_ACTIVE_STALLED 2
#define BASS_ACTIVE_PAUSED 3

// ---- BASS_ChannelGetData flags
// 512 FFT magnitudes of the latest 1024 mono samples (Hann window, a full-scale sine
// centred on a bin reads about 1.0). The program hands in a 1024-float buffer: this layer
// writes the 512 magnitudes followed by 512 zeros.
#define BASS_DATA_FFT1024 0x80000002
#define BASS_DATA_FFT_FLOATS 1024  // floats written for BASS_DATA_FFT1024

// Opens the default output at `freq` Hz, stereo float. `device` -1 or 1 (the default
// output); flags, window and dsguid are accepted and ignored. FALSE (with one stderr line)
// when there is no output device or the library is already initialised.
BOOL BASS_Init(int device, DWORD freq, DWORD flags, HWND win, const void* dsguid);
// Closes the output and frees every music loaded since BASS_Init.
BOOL BASS_Free();

// Loads a music from a file (mem must be FALSE; offset and length 0 = the whole file).
// 0 when the library is not initialised or libopenmpt cannot read the file (a directory,
// an empty file, text, random bytes); a damaged module plays what libopenmpt recovers.
HMUSIC BASS_MusicLoad(BOOL mem, const void* file, QWORD offset, DWORD length, DWORD flags,
                      DWORD freq);
// Stops and frees a music; its handle becomes invalid.
BOOL BASS_MusicFree(HMUSIC handle);

// Starts or resumes; restart TRUE starts again from order 0, row 0.
BOOL BASS_ChannelPlay(DWORD handle, BOOL restart);
BOOL BASS_ChannelPause(DWORD handle);
BOOL BASS_ChannelStop(DWORD handle);
// BASS_ACTIVE_STOPPED (also for invalid handles), _PLAYING or _PAUSED.
DWORD BASS_ChannelIsActive(DWORD handle);
// Only position 0 is supported: order 0, row 0.
BOOL BASS_ChannelSetPosition(DWORD handle, QWORD position);
// order | row << 16 of what is being heard; (QWORD)-1 for an invalid handle.
QWORD BASS_ChannelGetPosition(DWORD handle);
// volume 0-100 is a linear gain (volume / 100); -1 leaves it. freq and pan are ignored.
BOOL BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int pan);
// Both measure the music's own output, before its volume attribute: at volume 0 they go on
// as at 100. With BASS_DATA_FFT1024 writes BASS_DATA_FFT_FLOATS floats (see above) and returns the
// bytes of channel data used; -1 for an invalid handle (buffer untouched) or a stopped
// music (buffer zeroed).
DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length);
// Peak levels 0-32768 over the last 20 ms played: left in the low word, right in the high
// word. -1 (0xFFFFFFFF) for an invalid handle or a music that is not playing.
DWORD BASS_ChannelGetLevel(DWORD handle);
