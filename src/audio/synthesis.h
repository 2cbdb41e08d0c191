// The sounds of the game, each described as a few tones a person can read and change, and
// rendered once at start-up into samples. Nothing here knows of devices.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "cues.h"

// Mono samples, 16 bits signed, at this rate, the device's own.
constexpr int SampleRate = 48000;
constexpr int FramesPerMs = SampleRate / 1000;

enum class Wave : std::uint8_t { Sine, Triangle, Noise };

// One part of a sound: a wave that glides from one pitch to another (the same pitch for none),
// shaped by an envelope that rises smoothly from silence over the attack and falls smoothly back
// to silence over the release, which ends with the tone.
struct Tone {
    Wave wave = Wave::Sine;
    float fromHz = 0;
    float toHz = 0;
    float atMs = 0; // where the tone starts within the sound
    float lengthMs = 0;
    float attackMs = 0;
    float releaseMs = 0;
    float level = 0; // the envelope's peak, as a share of full scale
};

constexpr std::size_t MostTones = 4;

struct SoundDescription {
    Cue cue;
    std::array<Tone, MostTones> tones; // unused ones have no length
};

// Every cue's sound, in Cue order.
extern const std::array<SoundDescription, CueCount> SoundTable;

using Sound = std::vector<std::int16_t>;
using SoundBank = std::array<Sound, CueCount>;

// The samples of a sound: as long as its latest tone reaches, silent at both ends.
Sound RenderSound(const SoundDescription& description);
// Every sound of the table, indexed by Cue.
SoundBank RenderSoundBank();
