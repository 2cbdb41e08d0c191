#include "synthesis.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr Wave Sine = Wave::Sine;
constexpr Wave Triangle = Wave::Triangle;
constexpr Wave Noise = Wave::Noise;

// Notes of the scale the sounds are written in, in Hz.
constexpr float C5 = 523.25f, D5 = 587.33f, E5 = 659.26f, G5 = 783.99f, A5 = 880.00f;
constexpr float C6 = 1046.50f, D6 = 1174.66f, E6 = 1318.51f, G6 = 1567.98f, B6 = 1975.53f;
constexpr float C7 = 2093.00f;
} // namespace

// One line a tone, the sound's tones together. Levels stay well below full scale, since several
// sounds often play at once. Every sound is short; only the two chimes and the end of the game
// ring for longer, and softly. The preview has a note for each kind, a step apart on a
// pentatonic scale, so that the kinds are told apart by pitch alone; a clear climbs a step every
// 60 ms for each row.
// clang-format off
const std::array<SoundDescription, CueCount> SoundTable = {{
    //                  wave      from Hz  to Hz  at ms  length  attack  release  level
    {Cue::Ready,    {{{Sine,     A5,      A5,      0,    140,    5,      100,     0.25f}}}},
    {Cue::Go,       {{{Sine,     E6,      G6,      0,    160,    5,      110,     0.25f},
                      {Sine,     C6,      C6,      0,    160,    5,      110,     0.12f}}}},
    {Cue::PreviewI, {{{Triangle, C5,      C5,      0,     90,    4,       60,     0.22f}}}},
    {Cue::PreviewZ, {{{Triangle, D5,      D5,      0,     90,    4,       60,     0.22f}}}},
    {Cue::PreviewS, {{{Triangle, E5,      E5,      0,     90,    4,       60,     0.22f}}}},
    {Cue::PreviewO, {{{Triangle, G5,      G5,      0,     90,    4,       60,     0.22f}}}},
    {Cue::PreviewT, {{{Triangle, A5,      A5,      0,     90,    4,       60,     0.22f}}}},
    {Cue::PreviewL, {{{Triangle, C6,      C6,      0,     90,    4,       60,     0.22f}}}},
    {Cue::PreviewJ, {{{Triangle, D6,      D6,      0,     90,    4,       60,     0.22f}}}},
    // A short thump under a shorter tick of noise: dry, no ring.
    {Cue::Lock,     {{{Sine,     160,     90,      0,     30,    1,       25,     0.30f},
                      {Noise,    0,       0,       0,     12,    1,       10,     0.10f}}}},
    {Cue::Clear1,   {{{Triangle, C5,      C5,      0,    180,    5,      160,     0.18f}}}},
    {Cue::Clear2,   {{{Triangle, C5,      C5,      0,    180,    5,      160,     0.18f},
                      {Triangle, E5,      E5,     60,    180,    5,      160,     0.18f}}}},
    {Cue::Clear3,   {{{Triangle, C5,      C5,      0,    180,    5,      160,     0.18f},
                      {Triangle, E5,      E5,     60,    180,    5,      160,     0.18f},
                      {Triangle, G5,      G5,    120,    180,    5,      160,     0.18f}}}},
    {Cue::Clear4,   {{{Triangle, C5,      C5,      0,    180,    5,      160,     0.18f},
                      {Triangle, E5,      E5,     60,    180,    5,      160,     0.18f},
                      {Triangle, G5,      G5,    120,    180,    5,      160,     0.18f},
                      {Triangle, C6,      C6,    180,    300,    5,      280,     0.18f}}}},
    {Cue::Grade,    {{{Sine,     E6,      E6,      0,    450,    3,      420,     0.20f},
                      {Sine,     B6,      B6,      0,    300,    3,      280,     0.08f}}}},
    {Cue::TopGrade, {{{Sine,     C6,      C6,      0,    700,    3,      660,     0.16f},
                      {Sine,     E6,      E6,    150,    700,    3,      660,     0.14f},
                      {Sine,     G6,      G6,    300,    800,    3,      760,     0.12f},
                      {Sine,     C7,      C7,    450,    900,    3,      860,     0.10f}}}},
    {Cue::GameOver, {{{Triangle, 440,     110,     0,   1200,   10,      700,     0.28f},
                      {Sine,     220,     55,      0,   1200,   10,      700,     0.12f}}}},
}};
// clang-format on

namespace {
constexpr float TwoPi = 6.28318530718f;

int Frames(float ms) {
    return static_cast<int>(std::lround(ms * FramesPerMs));
}

// 0 at 0, 1 at 1, with no corner at either end: the envelope's ramps.
float Smooth(float x) {
    const float t = std::clamp(x, 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}

float WaveAt(Wave wave, float phase, std::uint32_t& noise) {
    switch (wave) {
    case Wave::Sine:
        return std::sin(TwoPi * phase);
    case Wave::Triangle: {
        // Rising through zero at phase 0, as the sine does.
        const float shifted = phase + 0.75f;
        return 4 * std::fabs(shifted - std::floor(shifted) - 0.5f) - 1;
    }
    case Wave::Noise:
        // xorshift32: the same noise in every run.
        noise ^= noise << 13;
        noise ^= noise >> 17;
        noise ^= noise << 5;
        return static_cast<float>(noise) / 2147483648.0f - 1;
    }
    return 0;
}

void AddTone(const Tone& tone, std::vector<float>& mix) {
    const int start = Frames(tone.atMs);
    const int length = Frames(tone.lengthMs);
    const float attack = static_cast<float>(std::max(Frames(tone.attackMs), 1));
    const float release = static_cast<float>(std::max(Frames(tone.releaseMs), 1));
    float phase = 0; // in cycles
    std::uint32_t noise = 0x2545F491u;
    for (int frame = 0; frame < length; ++frame) {
        // Ramps counted so that the first and the last frame of the tone are silent.
        const float envelope = Smooth(frame / attack) * Smooth((length - 1 - frame) / release);
        const float along = static_cast<float>(frame) / static_cast<float>(length);
        const float hz = tone.fromHz * std::pow(tone.toHz / std::max(tone.fromHz, 1.0f), along);
        mix[static_cast<std::size_t>(start + frame)] +=
            tone.level * envelope * WaveAt(tone.wave, phase, noise);
        phase += hz / SampleRate;
        phase -= std::floor(phase);
    }
}
} // namespace

Sound RenderSound(const SoundDescription& description) {
    int frames = 0;
    for (const Tone& tone : description.tones) {
        if (tone.lengthMs > 0) {
            frames = std::max(frames, Frames(tone.atMs) + Frames(tone.lengthMs));
        }
    }
    std::vector<float> mix(static_cast<std::size_t>(frames), 0.0f);
    for (const Tone& tone : description.tones) {
        if (tone.lengthMs > 0) {
            AddTone(tone, mix);
        }
    }
    Sound sound(mix.size());
    std::transform(mix.begin(), mix.end(), sound.begin(), [](float value) {
        return static_cast<std::int16_t>(std::lround(std::clamp(value, -1.0f, 1.0f) * 32767));
    });
    return sound;
}

SoundBank RenderSoundBank() {
    SoundBank bank;
    for (const SoundDescription& description : SoundTable) {
        bank[static_cast<std::size_t>(description.cue)] = RenderSound(description);
    }
    return bank;
}
