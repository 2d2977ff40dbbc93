// The sound tool's building blocks: resonant modes ring at their pitch and die in their time,
// levels and fades land where asked, and the wave encoder never wraps an overshooting sample.
#include "tools/sound/Synth.h"
#include "tools/sound/Wave.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace kelani::sound {
namespace {

double PeakBetween(const std::vector<double>& s, size_t from, size_t to) {
    double peak = 0.0;
    for (size_t i = from; i < to && i < s.size(); ++i) peak = std::max(peak, std::abs(s[i]));
    return peak;
}

TEST(Modes, RingAtTheirFrequencyAndFallSixtyDecibelsInTheirDecayTime) {
    constexpr int rate = 22050;
    const std::vector<double> impulse{1.0};
    const std::vector<double> ring = RingModes(impulse, {{1000.0, 0.1, 0.5}}, rate, rate / 5);
    EXPECT_NEAR(PeakBetween(ring, 0, 100), 0.5, 0.02);
    // 0.1 s later the level is 1/1000 of the start.
    const double later = PeakBetween(ring, rate / 10, rate / 10 + 100);
    EXPECT_NEAR(20 * std::log10(later / 0.5), -60.0, 1.0);
    int crossings = 0;
    for (size_t i = 1; i < static_cast<size_t>(rate / 10); ++i)
        crossings += (ring[i - 1] < 0) != (ring[i] < 0);
    EXPECT_NEAR(crossings, 200, 2) << "1000 Hz crosses zero twice per cycle";
}

TEST(Modes, ThoseThatWouldAliasAreLeftOut) {
    const std::vector<double> ring = RingModes({1.0}, {{5000.0, 0.1, 1.0}}, 11025, 1000);
    EXPECT_EQ(PeakBetween(ring, 0, ring.size()), 0.0);
}

TEST(Levels, NormaliseHitsThePeakAndFadeOutEndsInSilence) {
    Signal s(1000, 1.0);
    for (size_t i = 0; i < s.Frames(); ++i) s.Add(i, 3.0 * std::sin(i * 0.1), -2.0 * std::cos(i * 0.1));
    Normalise(s, 0.8);
    float peak = 0.0f;
    for (size_t i = 0; i < s.Frames(); ++i)
        peak = std::max({peak, std::abs(s.left[i]), std::abs(s.right[i])});
    EXPECT_NEAR(peak, 0.8f, 1e-5f);
    FadeOut(s, 0.1);
    EXPECT_EQ(s.left.back(), 0.0f);
    EXPECT_EQ(s.right.back(), 0.0f);
    EXPECT_NE(s.left[s.Frames() - 101], 0.0f) << "only the last 0.1 s fades";
}

TEST(Levels, PanKeepsThePowerAndAddDropsFramesPastTheEnd) {
    for (double pan : {-1.0, -0.3, 0.0, 0.5, 1.0}) {
        const PanGains g = Pan(pan);
        EXPECT_NEAR(g.left * g.left + g.right * g.right, 1.0, 1e-12);
    }
    EXPECT_NEAR(Pan(-1.0).right, 0.0, 1e-12);
    Signal s(100, 0.1);
    s.Add(10, 1.0, 1.0); // one past the end: ignored, not written out of bounds
    EXPECT_EQ(s.Frames(), 10u);
}

TEST(Wave, OvershootIsLimitedNotWrapped) {
    Signal s(8000, 0.0005); // four frames
    const double values[] = {1.5, -1.5, 1.0, -1.0};
    for (size_t i = 0; i < 4; ++i) s.Add(i, values[i], values[i]);
    const std::vector<uint8_t> wide = EncodeWave(s, {8000, 2, 16});
    ASSERT_EQ(wide.size(), 44u + 16u);
    auto sample16 = [&](size_t frame) {
        return static_cast<int16_t>(wide[44 + frame * 4] | wide[45 + frame * 4] << 8);
    };
    EXPECT_EQ(sample16(0), 32767);
    EXPECT_EQ(sample16(1), -32767);
    EXPECT_EQ(sample16(2), 32767);
    const std::vector<uint8_t> narrow = EncodeWave(s, {8000, 1, 8});
    ASSERT_EQ(narrow.size(), 44u + 4u);
    EXPECT_EQ(narrow[44], 255);
    EXPECT_EQ(narrow[45], 1);
    EXPECT_EQ(narrow[47], 1);
}

TEST(Wave, RefusesFormatsItCannotWrite) {
    const Signal s(8000, 0.01);
    EXPECT_THROW(EncodeWave(s, {8000, 2, 24}), std::invalid_argument);
    EXPECT_THROW(EncodeWave(s, {8000, 3, 16}), std::invalid_argument);
    EXPECT_THROW(EncodeWave(s, {11025, 1, 8}), std::invalid_argument) << "rate differs from the signal's";
}

TEST(Random, SameSeedSameStonesAndWithinRange) {
    Rng a(7), b(7), c(8);
    bool differs = false;
    for (int i = 0; i < 1000; ++i) {
        const double x = a.Range(-2.0, 3.0);
        EXPECT_EQ(x, b.Range(-2.0, 3.0));
        EXPECT_GE(x, -2.0);
        EXPECT_LT(x, 3.0);
        differs |= x != c.Range(-2.0, 3.0);
    }
    EXPECT_TRUE(differs);
}

} // namespace
} // namespace kelani::sound
