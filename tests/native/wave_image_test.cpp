#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/WaveImage.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void PutId(Bytes& out, const char* id) {
    out.insert(out.end(), id, id + 4);
}

// A chunk with its declared size, its bytes and the pad byte of odd sizes.
void PutChunk(Bytes& out, const char* id, const Bytes& data) {
    PutId(out, id);
    Put32(out, static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() & 1)
        out.push_back(0);
}

Bytes PcmFormat(std::uint16_t channels = 1) {
    Bytes f;
    auto put16 = [&f](std::uint16_t v) {
        f.push_back(static_cast<std::uint8_t>(v));
        f.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    put16(1);
    put16(channels);
    Put32(f, 44100);
    Put32(f, 44100u * 2 * channels);
    put16(static_cast<std::uint16_t>(2 * channels));
    put16(16);
    return f;
}

Bytes Samples(std::size_t n, std::uint8_t seed = 1) {
    Bytes s(n);
    for (std::size_t i = 0; i < n; ++i)
        s[i] = static_cast<std::uint8_t>(seed + i * 7);
    return s;
}

// "RIFF", size, "WAVE" around the chunks; riffExtra moves the size field
// away from the true length.
Bytes Riff(const Bytes& chunks, int riffExtra = 0) {
    Bytes out;
    PutId(out, "RIFF");
    Put32(out, static_cast<std::uint32_t>(4 + static_cast<int>(chunks.size()) + riffExtra));
    PutId(out, "WAVE");
    out.insert(out.end(), chunks.begin(), chunks.end());
    return out;
}

// Parses from a heap block of exactly the image's size, so that AddressSanitizer
// reports any read past its end.
bool Parse(const Bytes& image, WaveImage& wave, const std::uint8_t** base = nullptr) {
    static std::unique_ptr<std::uint8_t[]> block;
    block.reset(new std::uint8_t[image.size() ? image.size() : 1]);
    if (!image.empty())
        std::memcpy(block.get(), image.data(), image.size());
    if (base)
        *base = block.get();
    return ParseWave(block.get(), image.size(), wave);
}

TEST(ParseWave, FindsFormatAndSamples) {
    Bytes chunks;
    PutChunk(chunks, "fmt ", PcmFormat());
    PutChunk(chunks, "data", Samples(100));
    WaveImage wave;
    const std::uint8_t* base = nullptr;
    ASSERT_TRUE(Parse(Riff(chunks), wave, &base));
    EXPECT_EQ(wave.pFormat, base + 20);
    EXPECT_EQ(wave.nFormatSize, 16u);
    EXPECT_EQ(wave.pData, base + 44);
    EXPECT_EQ(wave.nDataSize, 100u);
    EXPECT_EQ(Bytes(wave.pData, wave.pData + wave.nDataSize), Samples(100));
}

TEST(ParseWave, RiffSizePastTheImageStillLoads) {
    for (int extra : {1, 2, 1000}) {
        Bytes chunks;
        PutChunk(chunks, "fmt ", PcmFormat());
        PutChunk(chunks, "data", Samples(64));
        WaveImage wave;
        ASSERT_TRUE(Parse(Riff(chunks, extra), wave)) << extra;
        EXPECT_EQ(wave.nDataSize, 64u);
    }
}

TEST(ParseWave, TwelveByteFormatFails) {
    const Bytes format = PcmFormat();
    Bytes chunks;
    PutChunk(chunks, "fmt ", Bytes(format.begin(), format.begin() + 12));
    PutChunk(chunks, "data", Samples(64));
    WaveImage wave;
    EXPECT_FALSE(Parse(Riff(chunks), wave));
}

TEST(ParseWave, FourteenByteFormatIsEnough) {
    const Bytes format = PcmFormat();
    Bytes chunks;
    PutChunk(chunks, "fmt ", Bytes(format.begin(), format.begin() + 14));
    PutChunk(chunks, "data", Samples(64));
    WaveImage wave;
    ASSERT_TRUE(Parse(Riff(chunks), wave));
    EXPECT_EQ(wave.nFormatSize, 14u);
}

TEST(ParseWave, DataBeforeFormatLoads) {
    Bytes chunks;
    PutChunk(chunks, "data", Samples(64));
    PutChunk(chunks, "fmt ", PcmFormat());
    WaveImage wave;
    const std::uint8_t* base = nullptr;
    ASSERT_TRUE(Parse(Riff(chunks), wave, &base));
    EXPECT_EQ(wave.pData, base + 20);
    EXPECT_EQ(wave.nDataSize, 64u);
    EXPECT_EQ(wave.pFormat, base + 20 + 64 + 8);
}

TEST(ParseWave, EmptyDataBeforeFormatIsNotEnough) {
    Bytes chunks;
    PutChunk(chunks, "data", {});
    PutChunk(chunks, "fmt ", PcmFormat());
    WaveImage wave;
    EXPECT_FALSE(Parse(Riff(chunks), wave));
}

TEST(ParseWave, LaterDataReplacesEarlierAndFirstFormatCounts) {
    Bytes first = PcmFormat(1);
    Bytes second = PcmFormat(2);
    Bytes chunks;
    PutChunk(chunks, "data", {});
    PutChunk(chunks, "fmt ", first);
    PutChunk(chunks, "fmt ", second);
    PutChunk(chunks, "data", Samples(10, 3));
    WaveImage wave;
    ASSERT_TRUE(Parse(Riff(chunks), wave));
    EXPECT_EQ(Bytes(wave.pFormat, wave.pFormat + 16), first);
    EXPECT_EQ(Bytes(wave.pData, wave.pData + 10), Samples(10, 3));

    Bytes replaced;
    PutChunk(replaced, "data", Samples(8, 1));
    PutChunk(replaced, "data", Samples(6, 9));
    PutChunk(replaced, "fmt ", first);
    ASSERT_TRUE(Parse(Riff(replaced), wave));
    EXPECT_EQ(Bytes(wave.pData, wave.pData + wave.nDataSize), Samples(6, 9));
}

TEST(ParseWave, SkipsOtherChunksWithTheirPadByte) {
    Bytes chunks;
    PutChunk(chunks, "LIST", Samples(5));
    PutChunk(chunks, "fmt ", PcmFormat());
    PutChunk(chunks, "fact", Samples(4));
    PutChunk(chunks, "data", Samples(33));
    WaveImage wave;
    const std::uint8_t* base = nullptr;
    ASSERT_TRUE(Parse(Riff(chunks), wave, &base));
    EXPECT_EQ(wave.pFormat, base + 12 + 8 + 6 + 8);
    EXPECT_EQ(wave.nDataSize, 33u);
}

TEST(ParseWave, WalkEndsAtTheRiffEnd) {
    Bytes chunks;
    PutChunk(chunks, "fmt ", PcmFormat());
    Bytes image = Riff(chunks);
    // A data chunk after the end that the RIFF size gives is not part of it.
    PutChunk(image, "data", Samples(16));
    WaveImage wave;
    EXPECT_FALSE(Parse(image, wave));
}

TEST(ParseWave, RejectsWrongHeadersAndMissingChunks) {
    Bytes chunks;
    PutChunk(chunks, "fmt ", PcmFormat());
    PutChunk(chunks, "data", Samples(16));
    Bytes good = Riff(chunks);
    WaveImage wave;
    for (std::size_t at : {0u, 3u, 8u, 11u}) {
        Bytes bad = good;
        bad[at] ^= 0x20;
        EXPECT_FALSE(Parse(bad, wave)) << at;
    }
    EXPECT_FALSE(ParseWave(nullptr, 100, wave));
    for (std::size_t n = 0; n < 12; ++n)
        EXPECT_FALSE(Parse(Bytes(good.begin(), good.begin() + static_cast<long>(n)), wave)) << n;

    Bytes onlyFormat;
    PutChunk(onlyFormat, "fmt ", PcmFormat());
    EXPECT_FALSE(Parse(Riff(onlyFormat), wave));
    Bytes onlyData;
    PutChunk(onlyData, "data", Samples(16));
    EXPECT_FALSE(Parse(Riff(onlyData), wave));
}

TEST(ParseWave, FailureLeavesTheResultAlone) {
    WaveImage wave;
    wave.nDataSize = 77;
    Bytes chunks;
    PutChunk(chunks, "data", Samples(16));
    EXPECT_FALSE(Parse(Riff(chunks), wave));
    EXPECT_EQ(wave.nDataSize, 77u);
    EXPECT_EQ(wave.pData, nullptr);
}

TEST(ParseWave, TruncatedImagesReadNothingPastTheEnd) {
    Bytes chunks;
    PutChunk(chunks, "fmt ", PcmFormat());
    PutChunk(chunks, "data", Samples(200));
    const Bytes full = Riff(chunks);
    for (std::size_t n = 12; n < full.size(); ++n) {
        Bytes cut(full.begin(), full.begin() + static_cast<long>(n));
        WaveImage wave;
        const std::uint8_t* base = nullptr;
        const bool ok = Parse(cut, wave, &base);
        // A cut inside the format fails; a cut inside the samples keeps the
        // samples that are there.
        if (n < 12 + 8 + 16 + 8) {
            EXPECT_FALSE(ok) << n;
        } else {
            ASSERT_TRUE(ok) << n;
            EXPECT_EQ(wave.pData + wave.nDataSize, base + n) << n;
        }
    }
}

TEST(ParseWave, OversizedChunkSizesNeitherWrapNorOverread) {
    for (std::uint32_t size : {0xFFFFFFFFu, 0xFFFFFFF8u, 0x80000000u, 0x7FFFFFFFu}) {
        Bytes chunks;
        PutId(chunks, "LIST");
        Put32(chunks, size);
        PutChunk(chunks, "fmt ", PcmFormat());
        PutChunk(chunks, "data", Samples(16));
        WaveImage wave;
        EXPECT_FALSE(Parse(Riff(chunks, 1000), wave)) << size;

        Bytes huge;
        PutChunk(huge, "fmt ", PcmFormat());
        PutId(huge, "data");
        Put32(huge, size);
        huge.insert(huge.end(), 10, 0x55);
        ASSERT_TRUE(Parse(Riff(huge), wave)) << size;
        EXPECT_EQ(wave.nDataSize, 10u) << size;
    }
}

TEST(ParseWave, GarbageAfterTheHeaderNeverOverreads) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 5000; ++round) {
        Bytes body(random() % 200);
        for (auto& b : body)
            b = static_cast<std::uint8_t>(random());
        // Plant plausible chunk ids so the walk gets somewhere.
        for (std::size_t at = 0; at + 8 <= body.size(); at += 4 + random() % 24) {
            const char* ids[] = {"fmt ", "data", "LIST"};
            std::memcpy(&body[at], ids[random() % 3], 4);
            body[at + 5] = body[at + 6] = body[at + 7] = 0;
        }
        Bytes image = Riff(body, static_cast<int>(random() % 8) - 4);
        WaveImage wave;
        const std::uint8_t* base = nullptr;
        if (Parse(image, wave, &base)) {
            EXPECT_GE(wave.nFormatSize, 14u);
            EXPECT_LE(wave.pFormat + wave.nFormatSize, base + image.size());
            EXPECT_LE(wave.pData + wave.nDataSize, base + image.size());
        }
    }
}

std::filesystem::path SoundDir() {
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "res" / "wav";
}

TEST(ParseWave, EveryShippedSoundParses) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(SoundDir())) {
        std::ifstream in(entry.path(), std::ios::binary);
        const Bytes image{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        WaveImage wave;
        const std::uint8_t* base = nullptr;
        ASSERT_TRUE(Parse(image, wave, &base)) << entry.path();
        ASSERT_GE(wave.nFormatSize, 16u);
        const int channels = wave.pFormat[2];
        const std::string name = entry.path().stem().string();
        EXPECT_EQ(wave.pFormat[0], 1) << name << ": PCM";
        EXPECT_EQ(channels, name == "131" || name == "180" ? 2 : 1) << name;
        EXPECT_EQ(wave.pFormat[14], 16) << name << ": 16 bits";
        EXPECT_GT(wave.nDataSize, 0u);
        EXPECT_EQ(wave.nDataSize % (2u * channels), 0u) << name;
        EXPECT_LE(wave.pData + wave.nDataSize, base + image.size());
        ++count;
    }
    EXPECT_EQ(count, 25);
}

} // namespace
