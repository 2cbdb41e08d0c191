#include "sound_device.h"

#include <cstdio>

#include "cue_ring.h"
#include "mixer.h"

SDL_AudioDeviceID SoundDevice = 0;
std::atomic<bool> SoundMuted{false};

namespace {
// Written once by StartSound before the device's thread exists, read by that thread only.
SoundBank Sounds;
// The audio thread's alone.
Mixer Voices;
} // namespace

void FillAudio(void* /*userData*/, Uint8* stream, int length) {
    // Relaxed is enough: the flag is the whole message, and a buffer late to see it is 10 ms.
    const bool muted = SoundMuted.load(std::memory_order_relaxed);
    for (Cue cue; TakeCue(PendingCues, cue);) {
        if (!muted) {
            StartVoice(Voices, Sounds[static_cast<std::size_t>(cue)]);
        }
    }
    if (muted) {
        Voices.active = 0;
    }
    MixVoices(Voices, reinterpret_cast<std::int16_t*>(stream),
              static_cast<std::size_t>(length) / sizeof(std::int16_t));
}

void StartSound(SDL_AudioCallback callback) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0) {
        std::fprintf(stderr, "Unable to open audio: %s\n", SDL_GetError());
        return;
    }
    Sounds = RenderSoundBank();
    SDL_AudioSpec wanted{};
    wanted.freq = SampleRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 1;
    wanted.samples = BufferFrames;
    wanted.callback = callback;
    // Without an obtained format the library converts to whatever the device takes, so the
    // callback always writes mono 16-bit samples at SampleRate.
    SoundDevice = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (SoundDevice == 0) {
        std::fprintf(stderr, "Unable to open audio: %s\n", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return;
    }
    SDL_PauseAudioDevice(SoundDevice, 0);
}

void HandleSoundEvent(const SDL_Event& event) {
    if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_m && event.key.repeat == 0) {
        // The main thread is the one writer.
        SoundMuted.store(!SoundMuted.load(std::memory_order_relaxed), std::memory_order_relaxed);
    } else if (event.type == SDL_AUDIODEVICEREMOVED && event.adevice.iscapture == 0 &&
               event.adevice.which == SoundDevice) {
        // The media library numbers its devices from 1, so this is never the 0 of no device.
        SDL_CloseAudioDevice(SoundDevice);
        SoundDevice = 0;
        std::fprintf(stderr, "Audio device removed: the game goes on silent\n");
    }
}
