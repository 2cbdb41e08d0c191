// The sounds as rendered at start-up, and their mixing: each sound's length, level, pitch and
// silent ends, from its description, each of whose tones is heard; every sound at once summed,
// held at full scale.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>

#include "mixer.h"

static int Peak(Sound::const_iterator from, Sound::const_iterator to) {
    return std::accumulate(from, to, 0,
                           [](int peak, int sample) { return std::max(peak, std::abs(sample)); });
}

TEST(Synthesis, EachSoundHasItsLengthAModerateLevelAndSilentEnds) {
    // Lengths from the table: the latest end of a tone; pitches of the sounds of one steady tone.
    // clang-format off
    const std::tuple<Cue, int, double> rows[] = {{Cue::Ready, 140, 880.00}, {Cue::Go, 160, 0}, {Cue::PreviewI, 90, 523.25}, {Cue::PreviewZ, 90, 587.33}, {Cue::PreviewS, 90, 659.26},
        {Cue::PreviewO, 90, 783.99}, {Cue::PreviewT, 90, 880.00}, {Cue::PreviewL, 90, 1046.5}, {Cue::PreviewJ, 90, 1174.66}, {Cue::Lock, 30, 0}, {Cue::Clear1, 180, 523.25},
        {Cue::Clear2, 240, 0}, {Cue::Clear3, 300, 0}, {Cue::Clear4, 480, 0}, {Cue::Grade, 450, 0}, {Cue::TopGrade, 1350, 0}, {Cue::GameOver, 1200, 0}};
    // clang-format on
    const SoundBank bank = RenderSoundBank();
    for (const auto& [cue, lengthMs, hz] : rows) {
        const Sound& sound = bank[static_cast<std::size_t>(cue)];
        const int peak = Peak(sound.begin(), sound.end());
        ASSERT_EQ(sound.size(), static_cast<std::size_t>(lengthMs * 48)) << int(cue);
        EXPECT_TRUE(peak >= 32767 / 10 && peak <= 32767 / 2) << int(cue) << " heard, not loud";
        // clang-format off
        // No click: from silence and back to it over the first and the last quarter millisecond.
        const int ends = std::max(Peak(sound.begin(), sound.begin() + 12), Peak(sound.end() - 12, sound.end()));
        EXPECT_TRUE(sound.front() == 0 && sound.back() == 0 && ends <= peak / 4) << int(cue);
        // Upward through zero, to within two of the pitch's count, and upward from the start.
        const int crossings = std::inner_product(sound.begin(), sound.end() - 1, sound.begin() + 1, 0, std::plus<>(), [](int a, int b) { return a < 0 && b >= 0; });
        EXPECT_TRUE(hz == 0 || (std::abs(crossings - hz * lengthMs / 1000) <= 2 && *std::find_if(sound.begin(), sound.end(), [](int s) { return s != 0; }) > 0)) << int(cue);
        // Each tone is heard: without it, the sound is another by half the tone's level or more.
        const SoundDescription& description = SoundTable[static_cast<std::size_t>(cue)];
        for (std::size_t n = 0; n < MostTones && description.tones[n].level > 0; ++n) {
            SoundDescription without = description;
            without.tones[n] = {};
            Sound rest = RenderSound(without);
            rest.resize(sound.size());
            std::transform(rest.begin(), rest.end(), sound.begin(), rest.begin(), std::minus<>());
            EXPECT_GE(Peak(rest.begin(), rest.end()), description.tones[n].level * 32767 / 2) << int(cue) << " tone " << n;
        }
        // clang-format on
    }
}

TEST(Mixer, EverySoundAtOnceIsTheirSumHeldAtFullScaleNeverWrapped) {
    const SoundBank bank = RenderSoundBank();
    // Buffer after buffer, as the device asks, to a buffer past the longest sound, the top grade's
    // 1350 ms; buffers of 441 frames, which no sound's length is a multiple of, so that sounds end
    // inside one, and of 480 (10 ms), at whose ends all of them end. The sum passes full scale
    // both ways somewhere.
    for (const std::size_t frames : {441, 480}) {
        Mixer mixer;
        // clang-format off
        std::for_each(bank.begin(), bank.end(), [&](const Sound& sound) { StartVoice(mixer, sound); });
        // clang-format on
        int above = 0, below = 0;
        for (std::size_t at = 0; at <= 1350 * 48; at += frames) {
            std::int16_t out[480];
            MixVoices(mixer, out, frames);
            for (std::size_t n = 0; n < frames; ++n) {
                long sum = 0;
                for (const Sound& sound : bank) {
                    sum += at + n < sound.size() ? sound[at + n] : 0;
                }
                above += sum > 32767 ? 1 : 0;
                below += sum < -32768 ? 1 : 0;
                ASSERT_EQ(out[n], std::clamp(sum, -32768L, 32767L)) << "sample " << at + n;
            }
            const auto playing = [&](const Sound& sound) { return sound.size() > at + frames; };
            EXPECT_EQ(mixer.active, std::count_if(bank.begin(), bank.end(), playing)) << at;
        }
        // Then thirty-two voices play at once, and one more is not heard.
        for (std::size_t n = 0; n <= 32; ++n) {
            StartVoice(mixer, bank[0]);
        }
        EXPECT_TRUE(above > 0 && below > 0 && mixer.active == 32) << frames;
    }
}
