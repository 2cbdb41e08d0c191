#include "mixer.h"

#include <algorithm>
#include <limits>

void StartVoice(Mixer& mixer, const Sound& sound) {
    if (mixer.active == MostVoices) {
        return;
    }
    mixer.voices[mixer.active] = {&sound, 0};
    mixer.active += 1;
}

void MixVoices(Mixer& mixer, std::int16_t* out, std::size_t frames) {
    constexpr std::int32_t Lowest = std::numeric_limits<std::int16_t>::min();
    constexpr std::int32_t Highest = std::numeric_limits<std::int16_t>::max();
    for (std::size_t frame = 0; frame < frames; ++frame) {
        std::int32_t sum = 0;
        for (std::size_t n = 0; n < mixer.active; ++n) {
            const Sound& sound = *mixer.voices[n].sound;
            const std::size_t at = mixer.voices[n].played + frame;
            sum += at < sound.size() ? sound[at] : 0;
        }
        out[frame] = static_cast<std::int16_t>(std::clamp(sum, Lowest, Highest));
    }
    // The last voice takes the place of one that has ended; order does not matter to a sum.
    for (std::size_t n = 0; n < mixer.active;) {
        Voice& voice = mixer.voices[n];
        voice.played += frames;
        if (voice.played >= voice.sound->size()) {
            voice = mixer.voices[mixer.active - 1];
            mixer.active -= 1;
        } else {
            n += 1;
        }
    }
}
