// The sound device: the media library's audio output, fed on its own thread from the cues that
// the timer thread hands over (cue_ring.h) and the sounds rendered at start-up (synthesis.h).
// The game never waits for it and goes on silent without it.
#pragma once

#include <SDL.h>

#include <atomic>

// A buffer of at most this many frames at SampleRate: 10 ms, so a cue is heard within about
// that long of its tick.
constexpr Uint16 BufferFrames = 480;

// Open from StartSound until the device goes away; 0 while there is none. Main thread only.
extern SDL_AudioDeviceID SoundDevice;
// Switched by M; the audio thread plays nothing while it is set.
extern std::atomic<bool> SoundMuted;

// The audio thread's callback: starts the sounds of the cues handed over since the last buffer
// and mixes the buffer. Never waits.
void FillAudio(void* userData, Uint8* stream, int length);

// Starts the media library's audio on its own, apart from the video, renders the sounds and
// opens the device with the callback given (a benchmark times FillAudio from its own). Without
// a device the game goes on silent, after one line on standard error that says why. SDL_Quit
// closes the device again.
void StartSound(SDL_AudioCallback callback = FillAudio);

// M switches the sound off and on; a removed device is closed and the game goes on silent.
// Every other event is left alone. Main thread.
void HandleSoundEvent(const SDL_Event& event);
