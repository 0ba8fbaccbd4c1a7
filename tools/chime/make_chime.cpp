// Writes the embedded alert chime: a RIFF/WAVE of mono 16-bit PCM at
// 22,050 Hz holding 16,642 samples (33,284 data bytes, 33,328 bytes in all),
// a short bell of a few decaying partials with a soft attack.
//
//   c++ -std=c++20 -O2 tools/chime/make_chime.cpp -o make_chime
//   ./make_chime res/sounds/chime.wav
//
// The output is deterministic; the committed res/sounds/chime.wav is its result.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <vector>

namespace {

constexpr std::uint32_t kRate = 22050;
constexpr std::uint32_t kDataBytes = 33284;
constexpr std::uint32_t kSamples = kDataBytes / 2;

struct Partial {
    double ratio;     // of the strike frequency
    double amplitude; // relative
    double decay;     // seconds to fall to 1/e
};

// Slightly inharmonic upper partials give the bell its colour.
constexpr Partial kPartials[] = {
    {1.0, 1.00, 0.38}, {2.0, 0.45, 0.24}, {2.76, 0.28, 0.16}, {4.07, 0.12, 0.10}, {5.4, 0.06, 0.07},
};
constexpr double kStrikeHz = 1046.5;       // C6
constexpr double kSecondStrikeHz = 1318.5; // E6, a third above, struck a little later
constexpr double kSecondStrikeAt = 0.16;
constexpr double kAttack = 0.006;
constexpr double kFadeOut = 0.04;

double Bell(double t, double hz) {
    if (t < 0)
        return 0;
    double v = 0;
    for (const Partial& p : kPartials)
        v += p.amplitude * std::exp(-t / p.decay) *
             std::sin(2 * std::numbers::pi * hz * p.ratio * t);
    // Raised-cosine attack: no click at the strike.
    if (t < kAttack)
        v *= 0.5 - 0.5 * std::cos(std::numbers::pi * t / kAttack);
    return v;
}

void Put16(std::vector<unsigned char>& out, std::uint16_t v) {
    out.push_back(v & 0xff);
    out.push_back(v >> 8);
}

void Put32(std::vector<unsigned char>& out, std::uint32_t v) {
    Put16(out, v & 0xffff);
    Put16(out, v >> 16);
}

void Tag(std::vector<unsigned char>& out, const char* tag) {
    out.insert(out.end(), tag, tag + 4);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <out.wav>\n", argv[0]);
        return 2;
    }
    std::vector<double> wave(kSamples);
    double peak = 0;
    const double length = double(kSamples) / kRate;
    for (std::uint32_t i = 0; i < kSamples; ++i) {
        const double t = double(i) / kRate;
        double v = Bell(t, kStrikeHz) + 0.7 * Bell(t - kSecondStrikeAt, kSecondStrikeHz);
        if (t > length - kFadeOut)
            v *= (length - t) / kFadeOut;
        wave[i] = v;
        peak = std::max(peak, std::abs(v));
    }
    const double gain = 0.6 * 32767 / peak;

    std::vector<unsigned char> out;
    Tag(out, "RIFF");
    Put32(out, 36 + kDataBytes);
    Tag(out, "WAVE");
    Tag(out, "fmt ");
    Put32(out, 16);
    Put16(out, 1); // PCM
    Put16(out, 1); // mono
    Put32(out, kRate);
    Put32(out, kRate * 2);
    Put16(out, 2);
    Put16(out, 16);
    Tag(out, "data");
    Put32(out, kDataBytes);
    for (double v : wave)
        Put16(out, static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(v * gain))));

    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(out.data(), 1, out.size(), f) != out.size() || std::fclose(f) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
