// The sounds as rendered at start-up, and their mixing: each sound's length, level, pitch and
// silent ends, from its description; the mixer's sum, held at full scale, never wrapped.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "mixer.h"

namespace {
constexpr int FullScale = 32767;

int Peak(const Sound& sound) {
    int peak = 0;
    for (const std::int16_t sample : sound) {
        peak = std::max(peak, std::abs(int{sample}));
    }
    return peak;
}

// Upward zero crossings a second: the pitch of a sound of one steady tone.
double Pitch(const Sound& sound) {
    int crossings = 0;
    for (std::size_t n = 1; n < sound.size(); ++n) {
        crossings += sound[n - 1] < 0 && sound[n] >= 0 ? 1 : 0;
    }
    return crossings * 1000.0 / (static_cast<double>(sound.size()) / 48);
}
} // namespace

TEST(Synthesis, EachSoundHasItsLengthAModerateLevelAndSilentEnds) {
    // Lengths from the table: the latest end of a tone. Pitches of the one-tone sounds.
    const struct {
        Cue cue;
        int lengthMs;
        double hz; // 0: not one steady tone
    } rows[] = {
        {Cue::Ready, 140, 880.00},    {Cue::Go, 160, 0},
        {Cue::PreviewI, 90, 523.25},  {Cue::PreviewZ, 90, 587.33},
        {Cue::PreviewS, 90, 659.26},  {Cue::PreviewO, 90, 783.99},
        {Cue::PreviewT, 90, 880.00},  {Cue::PreviewL, 90, 1046.50},
        {Cue::PreviewJ, 90, 1174.66}, {Cue::Lock, 30, 0},
        {Cue::Clear1, 180, 523.25},   {Cue::Clear2, 240, 0},
        {Cue::Clear3, 300, 0},        {Cue::Clear4, 480, 0},
        {Cue::Grade, 450, 0},         {Cue::TopGrade, 1350, 0},
        {Cue::GameOver, 1200, 0},
    };
    const SoundBank bank = RenderSoundBank();
    ASSERT_EQ(std::size(rows), bank.size());
    for (const auto& row : rows) {
        const Sound& sound = bank[static_cast<std::size_t>(row.cue)];
        const int cue = static_cast<int>(row.cue);
        ASSERT_EQ(sound.size(), static_cast<std::size_t>(row.lengthMs * 48)) << cue;
        EXPECT_GE(Peak(sound), FullScale / 10) << cue << " is heard";
        EXPECT_LE(Peak(sound), FullScale / 2) << cue << " stays well below full scale";
        EXPECT_EQ(sound.front(), 0) << cue;
        EXPECT_EQ(sound.back(), 0) << cue;
        // No click: the first and the last quarter millisecond rise from silence and fall to it.
        const Sound ends[] = {{sound.begin(), sound.begin() + 12}, {sound.end() - 12, sound.end()}};
        for (const Sound& end : ends) {
            EXPECT_LE(Peak(end), Peak(sound) / 4) << cue;
        }
        if (row.hz > 0) {
            EXPECT_NEAR(Pitch(sound), row.hz, 2000.0 / row.lengthMs) << cue;
        }
    }
}

TEST(Mixer, SumsTheVoicesHeldAtFullScaleAndLetsEndedOnesGo) {
    const Sound loud(4, 20000), almost(4, 12767), quiet(4, -50), low(4, -20000), lowest(4, -32768);
    const Sound short2{100, 200};
    const struct {
        const char* name;
        std::vector<const Sound*> sounds;
        std::size_t frames;
        std::vector<std::int16_t> want;
        std::size_t left; // voices still playing after
    } rows[] = {
        {"nothing plays: silence", {}, 3, {0, 0, 0}, 0},
        {"one voice as it is", {&quiet}, 3, {-50, -50, -50}, 1},
        {"two voices add up", {&loud, &quiet}, 2, {19950, 19950}, 2},
        {"just below full scale", {&loud, &almost}, 1, {32767}, 2},
        {"above full scale is held there", {&loud, &loud}, 2, {32767, 32767}, 2},
        {"below it too", {&low, &low, &low}, 2, {-32768, -32768}, 3},
        {"the lowest sample as it is", {&lowest}, 1, {-32768}, 1},
        {"a voice that ends leaves silence and goes", {&short2}, 4, {100, 200, 0, 0}, 0},
        {"one that ends exactly with the buffer goes", {&short2, &quiet}, 2, {50, 150}, 1},
    };
    for (const auto& row : rows) {
        Mixer mixer;
        for (const Sound* sound : row.sounds) {
            ASSERT_TRUE(StartVoice(mixer, *sound));
        }
        std::vector<std::int16_t> out(row.frames, 7);
        MixVoices(mixer, out.data(), out.size());
        EXPECT_EQ(out, row.want) << row.name;
        EXPECT_EQ(mixer.active, row.left) << row.name;
    }

    // A voice longer than the buffer goes on in the next one where it stopped.
    const Sound ramp{1, 2, 3, 4, 5};
    Mixer mixer;
    StartVoice(mixer, ramp);
    using Samples = std::vector<std::int16_t>;
    for (const Samples& want : {Samples{1, 2}, Samples{3, 4}, Samples{5, 0}}) {
        std::vector<std::int16_t> out(2);
        MixVoices(mixer, out.data(), 2);
        EXPECT_EQ(out, want);
    }
    EXPECT_EQ(mixer.active, 0u);
}

TEST(Mixer, EverySoundAtOnceNeverWrapsPastFullScale) {
    const SoundBank bank = RenderSoundBank();
    Mixer mixer;
    std::size_t longest = 0;
    for (const Sound& sound : bank) {
        ASSERT_TRUE(StartVoice(mixer, sound));
        longest = std::max(longest, sound.size());
    }
    // Buffer after buffer, as the device asks, each sample checked against the sum held at
    // full scale; and the sum does pass full scale somewhere.
    int held = 0;
    for (std::size_t at = 0; at < longest; at += 480) {
        std::int16_t out[480];
        MixVoices(mixer, out, 480);
        for (std::size_t n = 0; n < 480; ++n) {
            long sum = 0;
            for (const Sound& sound : bank) {
                sum += at + n < sound.size() ? sound[at + n] : 0;
            }
            const long want = std::clamp(sum, -32768L, 32767L);
            held += want != sum ? 1 : 0;
            ASSERT_EQ(out[n], want) << "sample " << at + n;
        }
    }
    EXPECT_GT(held, 0);
    EXPECT_EQ(mixer.active, 0u) << "every voice has ended";

    for (std::size_t n = 0; n < MostVoices; ++n) {
        EXPECT_TRUE(StartVoice(mixer, bank[0])) << n;
    }
    EXPECT_FALSE(StartVoice(mixer, bank[0])) << "every voice busy";
}
