// The recordings compiled into the program: present under their lower-case names, in their
// stored formats and lengths, loud enough to hear, never clipped, ending in silence, and the
// same on every build.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelani {
namespace {

struct Expected {
    const char* name;
    int channels;
    int rate;
    int bits;
    double seconds;
};

constexpr Expected kTune[] = {{"start", 1, 11025, 8, 6.82},
                              {"gewonnen", 1, 11025, 8, 9.26},
                              {"verloren", 1, 11025, 8, 7.41},
                              {"unentschieden", 1, 11025, 8, 3.98}};
constexpr Expected kStones[] = {
    {"1steininmulde", 2, 22050, 16, 0.32},           {"4steininmulde", 2, 22050, 16, 0.22},
    {"4steinausmulde", 2, 22050, 16, 0.49},          {"wenigsteineinstirnmulde", 2, 22050, 16, 0.92},
    {"vielesteineinstirnmulde", 2, 22050, 16, 0.55}, {"wenigsteineinderhand", 2, 22050, 16, 0.19},
    {"vielesteineinderhand", 2, 22050, 16, 0.83}};

uint32_t U16(const QByteArray& b, qsizetype at) {
    return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8;
}
uint32_t U32(const QByteArray& b, qsizetype at) {
    return U16(b, at) | U16(b, at + 2) << 16;
}

struct Wave {
    uint32_t format = 0, channels = 0, rate = 0, byteRate = 0, blockAlign = 0, bits = 0;
    QByteArray data;
};

// Walks the RIFF chunks, so a file with extra chunks before "data" would still be read right.
std::optional<Wave> ParseWave(const QByteArray& file) {
    if (file.size() < 12 || file.left(4) != "RIFF" || file.mid(8, 4) != "WAVE") return std::nullopt;
    if (U32(file, 4) != static_cast<uint32_t>(file.size() - 8)) return std::nullopt;
    Wave wave;
    bool haveFormat = false;
    for (qsizetype at = 12; at + 8 <= file.size();) {
        const QByteArray id = file.mid(at, 4);
        const qsizetype size = U32(file, at + 4);
        if (at + 8 + size > file.size()) return std::nullopt;
        if (id == "fmt " && size >= 16) {
            wave.format = U16(file, at + 8);
            wave.channels = U16(file, at + 10);
            wave.rate = U32(file, at + 12);
            wave.byteRate = U32(file, at + 16);
            wave.blockAlign = U16(file, at + 20);
            wave.bits = U16(file, at + 22);
            haveFormat = true;
        } else if (id == "data") {
            wave.data = file.mid(at + 8, size);
        }
        at += 8 + size + (size & 1);
    }
    if (!haveFormat) return std::nullopt;
    return wave;
}

// One channel's samples scaled to [-1, 1).
std::vector<double> Channel(const Wave& wave, uint32_t channel) {
    std::vector<double> samples;
    for (qsizetype at = channel * wave.bits / 8; at + wave.bits / 8 <= wave.data.size();
         at += wave.blockAlign) {
        if (wave.bits == 8)
            samples.push_back((static_cast<uint8_t>(wave.data[at]) - 128) / 128.0);
        else
            samples.push_back(static_cast<int16_t>(U16(wave.data, at)) / 32768.0);
    }
    return samples;
}

QByteArray Resource(const char* name) {
    QFile file(QStringLiteral(":/sounds/%1.wav").arg(QLatin1String(name)));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

class Recording : public ::testing::TestWithParam<Expected> {};

TEST_P(Recording, IsAResourceInItsStoredFormatAndLength) {
    const Expected& e = GetParam();
    const QByteArray file = Resource(e.name);
    ASSERT_FALSE(file.isEmpty()) << ":/sounds/" << e.name << ".wav is missing";
    const std::optional<Wave> wave = ParseWave(file);
    ASSERT_TRUE(wave) << "not a well-formed RIFF WAVE file";
    EXPECT_EQ(wave->format, 1u) << "uncompressed PCM";
    EXPECT_EQ(wave->channels, static_cast<uint32_t>(e.channels));
    EXPECT_EQ(wave->rate, static_cast<uint32_t>(e.rate));
    EXPECT_EQ(wave->bits, static_cast<uint32_t>(e.bits));
    EXPECT_EQ(wave->blockAlign, static_cast<uint32_t>(e.channels * e.bits / 8));
    EXPECT_EQ(wave->byteRate, wave->rate * wave->blockAlign);
    ASSERT_GT(wave->blockAlign, 0u);
    EXPECT_EQ(wave->data.size() % wave->blockAlign, 0);
    const double seconds = static_cast<double>(wave->data.size()) / wave->byteRate;
    EXPECT_NEAR(seconds, e.seconds, 0.05 * e.seconds);
}

TEST_P(Recording, IsAudibleUnclippedAndEndsInSilence) {
    const Expected& e = GetParam();
    const std::optional<Wave> wave = ParseWave(Resource(e.name));
    ASSERT_TRUE(wave);
    for (uint32_t channel = 0; channel < wave->channels; ++channel) {
        const std::vector<double> samples = Channel(*wave, channel);
        ASSERT_GT(samples.size(), 100u);
        double peak = 0.0, energy = 0.0;
        for (double s : samples) {
            peak = std::max(peak, std::abs(s));
            energy += s * s;
        }
        // A clipped signal sits at full scale; ours is levelled a decibel or two below it.
        EXPECT_LT(peak, 0.97) << "channel " << channel;
        EXPECT_GT(peak, 0.5) << "channel " << channel << " is too quiet";
        EXPECT_GT(std::sqrt(energy / samples.size()), 0.01) << "channel " << channel << " is nearly silent";
        // The last 1% must have faded out: a recording cut off while ringing ends in a click.
        const auto tail = samples.size() / 100;
        const double tailPeak =
            std::abs(*std::max_element(samples.end() - tail, samples.end(),
                                       [](double a, double b) { return std::abs(a) < std::abs(b); }));
        EXPECT_LT(tailPeak, 0.05) << "channel " << channel << " ends abruptly";
    }
}

std::string NameOf(const ::testing::TestParamInfo<Expected>& recording) {
    return recording.param.name;
}
INSTANTIATE_TEST_SUITE_P(Tunes, Recording, ::testing::ValuesIn(kTune), NameOf);
INSTANTIATE_TEST_SUITE_P(Stones, Recording, ::testing::ValuesIn(kStones), NameOf);

TEST(Recordings, StonesAreStereoNotTwoCopiesOfOneChannel) {
    for (const Expected& e : kStones) {
        const std::optional<Wave> wave = ParseWave(Resource(e.name));
        ASSERT_TRUE(wave) << e.name;
        EXPECT_NE(Channel(*wave, 0), Channel(*wave, 1)) << e.name;
    }
}

TEST(Recordings, NoOtherResourcesUnderTheSoundsFolder) {
    const QStringList present = QDir(QStringLiteral(":/sounds")).entryList(QDir::Files);
    EXPECT_EQ(present.size(), static_cast<qsizetype>(std::size(kTune) + std::size(kStones)))
        << present.join(' ').toStdString();
}

// The build makes the recordings afresh each time; they must not change from run to run.
TEST(Recordings, TheToolMakesTheSameFilesEveryRun) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    ASSERT_EQ(QProcess::execute(QStringLiteral(KELANI_SOUND_TOOL), {folder.path()}), 0);
    auto check = [&](const Expected& e) {
        QFile made(folder.filePath(QStringLiteral("%1.wav").arg(QLatin1String(e.name))));
        ASSERT_TRUE(made.open(QIODevice::ReadOnly)) << e.name;
        EXPECT_TRUE(made.readAll() == Resource(e.name)) << e.name << " differs from the built resource";
    };
    for (const Expected& e : kTune) check(e);
    for (const Expected& e : kStones) check(e);
}

TEST(Recordings, TheToolRejectsAFolderItCannotWrite) {
    EXPECT_NE(QProcess::execute(QStringLiteral(KELANI_SOUND_TOOL), {QStringLiteral("/nonexistent/folder")}),
              0);
    EXPECT_NE(QProcess::execute(QStringLiteral(KELANI_SOUND_TOOL), {}), 0);
}

} // namespace
} // namespace kelani
