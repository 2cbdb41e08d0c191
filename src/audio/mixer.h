// The mixing of the sounds that play at the moment into one buffer for the device: a plain step
// over the voices, which the audio thread runs once per buffer. Nothing here knows of devices.
#pragma once

#include <array>
#include <cstdint>

#include "synthesis.h"

// Sounds that can play at once: every sound of the game together, and room besides. A cue that
// finds every voice busy is not heard.
constexpr std::size_t MostVoices = 32;

struct Voice {
    const Sound* sound = nullptr;
    std::size_t played = 0; // samples already mixed
};

struct Mixer {
    std::array<Voice, MostVoices> voices{};
    std::size_t active = 0; // voices[0 .. active) play
};

// Starts a sound from its beginning in the next buffer mixed; the sound must outlive its voice.
// With every voice busy, the sound is not heard.
void StartVoice(Mixer& mixer, const Sound& sound);

// Writes `frames` samples: the sum of every voice, held at full scale where it would pass it
// (never wrapped round to the other sign), silence where nothing plays. Voices move on by as
// much, and those that have ended are let go.
void MixVoices(Mixer& mixer, std::int16_t* out, std::size_t frames);
