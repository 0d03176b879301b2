// The stream frame parser fed directly, without HTTP: frames cut anywhere,
// sample formats, trailers and the inputs that must end a transfer.
#include "tests/fixtures/fakeserver/FrameBuilder.h"

#include "srvlib/StreamFrameParser.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <random>

using namespace fakeserver;

namespace {

// Records everything the parser delivers; answers with the configured results.
struct Recorder
{
    std::vector<std::vector<std::complex<float>>> iq;
    std::vector<std::vector<float>> spectra;
    std::vector<remote_rf_context> contexts;
    std::vector<std::pair<int32_t, std::string>> session;
    int iqResult = 1;
    int contextResult = 1;
    bool stop = false;

    static int onIQ(int count, std::complex<float>* samples, remote_rf_context*, void* user)
    {
        auto* self = static_cast<Recorder*>(user);
        self->iq.emplace_back(samples, samples + count);
        std::free(samples);
        return self->iqResult;
    }
    static int onSpectrum(int count, float* values, remote_rf_context* context, void* user)
    {
        EXPECT_EQ(context, nullptr);
        static_cast<Recorder*>(user)->spectra.emplace_back(values, values + count);
        std::free(values);
        return 1;
    }
    static int onContext(remote_rf_context* context, void* user)
    {
        auto* self = static_cast<Recorder*>(user);
        self->contexts.push_back(*context);
        return self->contextResult;
    }
    static int onSession(int32_t type, const char* payload, size_t length, void* user)
    {
        static_cast<Recorder*>(user)->session.emplace_back(type, std::string(payload, length));
        return 1;
    }
    static bool onStopCheck(void* user) { return static_cast<Recorder*>(user)->stop; }

    StreamHandlers handlers()
    {
        StreamHandlers h;
        h.iq = onIQ;
        h.iqUser = this;
        h.spectrum = onSpectrum;
        h.spectrumUser = this;
        h.context = onContext;
        h.contextUser = this;
        h.session = onSession;
        h.sessionUser = this;
        h.stopRequested = onStopCheck;
        h.stopUser = this;
        return h;
    }
};

// Feeds the pieces in order; false as soon as the parser ends the transfer.
bool feedAll(StreamFrameParser& parser, const std::vector<std::string>& pieces)
{
    for (const std::string& piece : pieces)
        if (!parser.feed(piece.data(), piece.size()))
            return false;
    return true;
}

FrameFields withTrailer(FrameFields fields, int64_t marker, int64_t centre)
{
    fields.hasTrailer = true;
    fields.trailer.marker = marker;
    fields.trailer.centerHz = centre;
    fields.trailer.rate = 2048000;
    fields.trailer.longitude = -1.5f;
    fields.trailer.latitude = 48.25f;
    fields.trailer.azimuth = 123.0f;
    return fields;
}

// A stream exercising every part: formats, trailers, an unexpected type.
std::string mixedIQStream()
{
    FrameFields floats;
    floats.payload = floatPairs({{1.0f, 0.0f}, {0.5f, -0.25f}});
    floats.word8 = 11;
    floats.word9 = 12;
    FrameFields int16 = withTrailer(FrameFields(), 1, 145800000);
    int16.hasFormat = true;
    int16.sampleFormat = 4;
    int16.min = 0.0f;
    int16.max = 2.0f;
    int16.payload = int16Pairs({{32767, 0}, {0, -32767}});
    FrameFields other;
    other.type = 3;
    other.payload = "ignored";
    FrameFields int8 = withTrailer(FrameFields(), 2, 3000000000LL);
    int8.hasFormat = true;
    int8.sampleFormat = 5;
    int8.min = 0.5f;
    int8.max = 1.0f;
    int8.blockValue32 = 7;
    int8.blockValue64 = 1LL << 40;
    int8.payload = int8Pairs({{127, 0}, {0, 0}});
    return buildFrame(floats) + buildFrame(int16) + buildFrame(other) + buildFrame(int8);
}

void expectMixedResult(const Recorder& r)
{
    ASSERT_EQ(r.iq.size(), 3u);
    EXPECT_EQ(r.iq[0], (std::vector<std::complex<float>>{{1.0f, 0.0f}, {0.5f, -0.25f}}));
    ASSERT_EQ(r.iq[1].size(), 2u);
    EXPECT_NEAR(r.iq[1][0].real(), 2.0f, 1e-6);
    EXPECT_NEAR(r.iq[1][0].imag(), 0.0f, 1e-6);
    EXPECT_NEAR(r.iq[1][1].real(), 0.0f, 1e-6);
    EXPECT_NEAR(r.iq[1][1].imag(), -2.0f, 1e-6);
    ASSERT_EQ(r.iq[2].size(), 2u);
    EXPECT_NEAR(r.iq[2][0].real(), 1.0f, 1e-6);
    EXPECT_NEAR(r.iq[2][1].real(), 0.5f, 1e-6); // (0, 0) gives (min, 0)
    EXPECT_NEAR(r.iq[2][1].imag(), 0.0f, 1e-6);
    ASSERT_EQ(r.contexts.size(), 2u);
    EXPECT_EQ(r.contexts[0].rx_center, 145800000);
    EXPECT_EQ(r.contexts[1].marker, 2);
    EXPECT_EQ(r.contexts[1].rx_center, 3000000000LL); // beyond 2^31 Hz
    EXPECT_FLOAT_EQ(r.contexts[1].rate, 2048000.0f);
    EXPECT_FLOAT_EQ(r.contexts[1].longitude, -1.5f);
    EXPECT_FLOAT_EQ(r.contexts[1].latitude, 48.25f);
    EXPECT_FLOAT_EQ(r.contexts[1].azimuth, 123.0f);
    EXPECT_EQ(r.contexts[1].blockValue32, 7);
    EXPECT_EQ(r.contexts[1].blockValue64, 1LL << 40);
    EXPECT_EQ(r.contexts[1].headerWord8, 0);
}

} // namespace

TEST(FrameParser, PiecesCutAnywhereGiveTheSameResult)
{
    const std::string stream = mixedIQStream();
    std::vector<std::vector<std::string>> splits;
    splits.push_back({stream});
    splits.push_back(splitEvery(stream, 1));
    for (size_t cut = 1; cut < 60; ++cut)
        splits.push_back(splitAt(stream, {cut, cut + 48, cut + 100}));
    std::mt19937 random(1234);
    for (int round = 0; round < 50; ++round) {
        std::vector<size_t> offsets;
        for (size_t at = 0; at < stream.size(); at += 1 + random() % 40)
            offsets.push_back(at);
        splits.push_back(splitAt(stream, offsets));
    }
    for (const auto& pieces : splits) {
        Recorder r;
        StreamFrameParser parser(StreamKind::IQ, r.handlers());
        testing::internal::CaptureStdout();
        ASSERT_TRUE(feedAll(parser, pieces));
        std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(out, "stream_data received un-expected data block of type : 3\n");
        expectMixedResult(r);
        if (HasFailure())
            return;
    }
}

TEST(FrameParser, SampleCountFollowsTheFormatOfThisFrame)
{
    struct Case
    {
        bool hasFormat;
        int32_t format;
        size_t samples;
    };
    const Case cases[] = {{false, 0, 1000}, {true, 4, 2000}, {true, 5, 4000}, {true, 6, 0}};
    for (const Case& c : cases) {
        FrameFields fields;
        fields.hasFormat = c.hasFormat;
        fields.sampleFormat = c.format;
        fields.max = 1.0f;
        fields.payload = std::string(8000, '\0');
        std::string frames = buildFrame(fields) + iqFrame({{1.0f, 2.0f}});
        Recorder r;
        StreamFrameParser parser(StreamKind::IQ, r.handlers());
        EXPECT_TRUE(parser.feed(frames.data(), frames.size()));
        std::vector<size_t> counts;
        for (const auto& block : r.iq)
            counts.push_back(block.size());
        std::vector<size_t> expected;
        if (c.samples > 0)
            expected.push_back(c.samples);
        expected.push_back(1); // the next frame, without format block, is float pairs again
        EXPECT_EQ(counts, expected) << c.format;
    }
}

TEST(FrameParser, ContextCallbackOnlyWhenTheMarkerChanges)
{
    FrameFields base;
    base.payload = floatPairs({{0.0f, 0.0f}});
    std::string stream = buildFrame(withTrailer(base, 0, 1)) + buildFrame(withTrailer(base, 5, 2)) +
                         buildFrame(withTrailer(base, 5, 3)) + buildFrame(withTrailer(base, 6, 4));
    Recorder r;
    StreamFrameParser parser(StreamKind::IQ, r.handlers());
    ASSERT_TRUE(parser.feed(stream.data(), stream.size()));
    ASSERT_EQ(r.contexts.size(), 2u);
    EXPECT_EQ(r.contexts[0].rx_center, 2);
    EXPECT_EQ(r.contexts[1].rx_center, 4);
    EXPECT_EQ(parser.context().rx_center, 4);
}

TEST(FrameParser, ContextCallbackRefusingIsDroppedAndTheStreamGoesOn)
{
    FrameFields base;
    base.payload = floatPairs({{0.0f, 0.0f}});
    std::string stream = buildFrame(withTrailer(base, 1, 1)) + buildFrame(withTrailer(base, 2, 2));
    Recorder r;
    r.contextResult = 0;
    StreamFrameParser parser(StreamKind::IQ, r.handlers());
    ASSERT_TRUE(parser.feed(stream.data(), stream.size()));
    EXPECT_EQ(r.contexts.size(), 1u);
    EXPECT_EQ(r.iq.size(), 2u);
}

TEST(FrameParser, InputsThatEndTheTransfer)
{
    auto frame = [](auto change) {
        FrameFields fields;
        fields.payload = floatPairs({{1.0f, 1.0f}});
        change(fields);
        return buildFrame(fields);
    };
    struct Case
    {
        const char* what;
        StreamKind kind;
        std::string bytes;
    };
    const Case cases[] = {
        {"bad magic", StreamKind::IQ, frame([](FrameFields& s) { s.magic = 1809; })},
        {"zero length", StreamKind::IQ, frame([](FrameFields& s) { s.payload.clear(); })},
        {"shorter than a sample", StreamKind::IQ, frame([](FrameFields& s) { s.payload = "1234"; })},
        {"oversized", StreamKind::IQ, frame([](FrameFields& s) {
             s.overrideLength = true;
             s.announcedLength = StreamFrameParser::kMaxPartSize + 1;
         })},
        {"huge length", StreamKind::Session, frame([](FrameFields& s) {
             s.type = 9;
             s.overrideLength = true;
             s.announcedLength = 0xFFFFFFFFu;
         })},
        {"other type on spectrum", StreamKind::Spectrum, frame([](FrameFields& s) { s.type = 9; })},
    };
    for (const Case& c : cases) {
        Recorder r;
        StreamFrameParser parser(c.kind, r.handlers());
        testing::internal::CaptureStderr();
        std::string stream = iqFrame({{0.0f, 0.0f}}) + c.bytes;
        if (c.kind == StreamKind::Spectrum)
            stream = spectrumFrame("A", 0.0f, 1.0f) + c.bytes;
        if (c.kind == StreamKind::Session)
            stream = sessionFrame("{}") + c.bytes;
        EXPECT_FALSE(feedAll(parser, splitEvery(stream, 7))) << c.what;
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(r.iq.size() + r.spectra.size() + r.session.size(), 1u) << c.what;
    }
}

TEST(FrameParser, CallbackOrStopCheckEndsTheTransfer)
{
    std::string two = iqFrame({{1.0f, 0.0f}}) + iqFrame({{2.0f, 0.0f}});
    Recorder refusing;
    refusing.iqResult = 0;
    StreamFrameParser first(StreamKind::IQ, refusing.handlers());
    EXPECT_FALSE(first.feed(two.data(), two.size()));
    EXPECT_EQ(refusing.iq.size(), 1u);

    Recorder stopping;
    stopping.stop = true;
    StreamFrameParser second(StreamKind::IQ, stopping.handlers());
    EXPECT_FALSE(second.feed(two.data(), two.size()));
    EXPECT_EQ(stopping.iq.size(), 1u); // the stop is seen between frames
}

TEST(FrameParser, SpectrumBytesSpanMinToMax)
{
    std::string stream = spectrumFrame(std::string("\x00\xFF\x80\x33", 4), -120.0f, -20.0f);
    // Later frames without format block keep the range.
    FrameFields next;
    next.type = FrameFields::Spectrum;
    next.payload = std::string(1, '\xFF');
    stream += buildFrame(next);
    Recorder r;
    StreamFrameParser parser(StreamKind::Spectrum, r.handlers());
    ASSERT_TRUE(feedAll(parser, splitEvery(stream, 3)));
    ASSERT_EQ(r.spectra.size(), 2u);
    ASSERT_EQ(r.spectra[0].size(), 4u);
    EXPECT_FLOAT_EQ(r.spectra[0][0], -120.0f);
    EXPECT_FLOAT_EQ(r.spectra[0][1], -20.0f);
    EXPECT_NEAR(r.spectra[0][2], -69.80f, 0.01);
    EXPECT_NEAR(r.spectra[0][3], -100.0f, 0.01);
    EXPECT_EQ(r.spectra[1], std::vector<float>{-20.0f});
}

TEST(FrameParser, AnEmptySpectrumLineIsDeliveredAndTheTransferGoesOn)
{
    // Only an empty I/Q payload ends a transfer: an empty line has no levels
    // to show, but the lines after it do.
    FrameFields empty = withTrailer(FrameFields(), 3, 145800000);
    empty.type = FrameFields::Spectrum;
    std::string stream =
        spectrumFrame("A", -120.0f, -20.0f) + buildFrame(empty) + spectrumFrame("B", -120.0f, -20.0f);
    Recorder r;
    StreamFrameParser parser(StreamKind::Spectrum, r.handlers());
    ASSERT_TRUE(feedAll(parser, splitEvery(stream, 5)));
    std::vector<size_t> counts;
    for (const auto& line : r.spectra)
        counts.push_back(line.size());
    EXPECT_EQ(counts, (std::vector<size_t>{1, 0, 1}));
    ASSERT_EQ(r.contexts.size(), 1u); // the empty frame's trailer is read as well
    EXPECT_EQ(r.contexts[0].rx_center, 145800000);
}

TEST(FrameParser, SpectrumContextIgnoresHeaderWords)
{
    FrameFields fields;
    fields.type = FrameFields::Spectrum;
    fields.hasFormat = true;
    fields.word8 = 99;
    fields.payload = "x";
    fields = withTrailer(fields, 1, 7);
    std::string frame = buildFrame(fields);
    Recorder r;
    StreamFrameParser parser(StreamKind::Spectrum, r.handlers());
    ASSERT_TRUE(parser.feed(frame.data(), frame.size()));
    ASSERT_EQ(r.contexts.size(), 1u);
    EXPECT_EQ(r.contexts[0].headerWord8, 0);
    EXPECT_EQ(r.contexts[0].rx_center, 7);
}

TEST(FrameParser, SessionPayloadsArriveWholeAfterTheirTrailer)
{
    FrameFields withTail;
    withTail.type = FrameFields::Session;
    withTail.payload = "{\"Ctype\":\"AliveMessage\"}";
    withTail = withTrailer(withTail, 9, 9);
    FrameFields other;
    other.type = 7;
    other.payload = "seven";
    std::string stream =
        sessionFrame("{\"a\":1}") + buildFrame(withTail) + buildFrame(other) + sessionFrame("");
    Recorder r;
    StreamFrameParser parser(StreamKind::Session, r.handlers());
    ASSERT_TRUE(feedAll(parser, splitEvery(stream, 5)));
    std::vector<std::pair<int32_t, std::string>> expected{
        {9, "{\"a\":1}"}, {9, withTail.payload}, {7, "seven"}, {9, ""}};
    EXPECT_EQ(r.session, expected);
    EXPECT_TRUE(r.contexts.empty()); // the session stream has no context callback
}

TEST(FrameParser, LargestFrameFitsAndLargePiecesAreTaken)
{
    FrameFields big;
    big.payload = std::string(StreamFrameParser::kMaxPartSize / 8 * 8, '\0');
    std::string stream = buildFrame(big) + buildFrame(big) + iqFrame({{1.0f, 1.0f}});
    Recorder r;
    StreamFrameParser parser(StreamKind::IQ, r.handlers());
    ASSERT_TRUE(parser.feed(stream.data(), stream.size()));
    ASSERT_EQ(r.iq.size(), 3u);
    EXPECT_EQ(r.iq[0].size(), StreamFrameParser::kMaxPartSize / 8);
}
