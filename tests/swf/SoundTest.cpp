// DefineSound with ADPCM decoding, StartSound and its command, on the recording handler.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "engine/swf/base/stream.h"
#include "engine/swf/movie/movie_def_impl.h"
#include "engine/swf/sound/sound_handler.h"
#include "tests/swf/support/SwfTestDoubles.h"
#include "tools/swfwriter/SwfWriter.h"

namespace {

using swftest::Bytes;

std::vector<int16_t> Decode(const Bytes& bytes, int sample_count, bool stereo) {
  std::unique_ptr<swf::file_stream> file(swftest::MakeMemoryStream(bytes));
  swf::stream in(file.get());
  std::vector<int16_t> out;
  swf::adpcm_decode(&out, &in, sample_count, stereo);
  return out;
}

TEST(SwfAdpcm, BlocksOf4096FramesStartAfresh) {
  swfw::BitWriter w;
  w.WriteUB(0, 2);  // 2-bit codes
  w.WriteSB(1000, 16);
  w.WriteUB(0, 6);
  for (int i = 1; i < 4096; ++i) w.WriteUB(0, 2);
  w.WriteSB(-1234, 16);  // the second block: its first frame only
  w.WriteUB(10, 6);
  std::vector<int16_t> out = Decode(w.Take(), 4097, false);
  ASSERT_EQ(out.size(), 4097u);
  EXPECT_EQ(out[0], 1000);
  EXPECT_GT(out[4095], 1000);  // each code 00 adds a little
  EXPECT_EQ(out[4096], -1234);
}

TEST(SwfAdpcm, CodeSignMagnitudeAndIndexClamps) {
  // 2-bit: code 10 is magnitude 0 with the sign: delta = -(1 * 7 >> 1) = -3; index stays 0.
  swfw::BitWriter w;
  w.WriteUB(0, 2);
  w.WriteSB(100, 16);
  w.WriteUB(0, 6);
  w.WriteUB(2, 2);
  w.WriteUB(2, 2);
  std::vector<int16_t> out = Decode(w.Take(), 3, false);
  EXPECT_EQ(out, (std::vector<int16_t>{100, 97, 94}));

  // 4-bit from index 63 (the most six bits hold): magnitude 7 adds 8 a code, so the
  // index reaches 88 and stays there; the sample clamps at 32767. A code of magnitude 0
  // with the sign then moves down by step 32767 >> 3.
  swfw::BitWriter high;
  high.WriteUB(2, 2);
  high.WriteSB(0, 16);
  high.WriteUB(63, 6);
  for (int i = 0; i < 5; ++i) high.WriteUB(7, 4);
  high.WriteUB(8, 4);
  out = Decode(high.Take(), 7, false);
  ASSERT_EQ(out.size(), 7u);
  EXPECT_EQ(out[5], 32767);
  EXPECT_EQ(out[6], 32767 - (32767 >> 3));
}

TEST(SwfAdpcm, RoundTripThroughOurEncoder) {
  for (int bits = 2; bits <= 5; ++bits) {
    for (bool stereo : {false, true}) {
      std::vector<int16_t> samples;
      for (int i = 0; i < 5000 * (stereo ? 2 : 1); ++i) {
        samples.push_back(static_cast<int16_t>(9000 * std::sin(i * 0.05) + (stereo && i % 2 ? 3000 : 0)));
      }
      std::vector<int16_t> out = Decode(swfw::EncodeAdpcm(samples, stereo, bits), 5000, stereo);
      ASSERT_EQ(out.size(), samples.size());
      double error = 0;
      for (size_t i = 0; i < out.size(); ++i) error += std::abs(out[i] - samples[i]);
      EXPECT_LT(error / static_cast<double>(out.size()), bits == 2 ? 2500 : 800) << bits << stereo;
    }
  }
}

TEST(SwfDefineSound, FormatsRatesAndTheHandlersCopy) {
  swftest::RecordingSoundHandler sound;
  std::vector<int16_t> tone = {0, 1000, -1000, 32767, -32768, 5};
  std::vector<int16_t> stereo(1000);
  for (size_t i = 0; i < stereo.size(); ++i) stereo[i] = static_cast<int16_t>(i * 20 - 10000);
  swfw::Movie movie;
  movie.Add(swfw::DefineSound(1, {3, 0, true, false}, 6, swfw::PcmBytes(tone)));
  movie.Add(swfw::DefineSound(2, {1, 2, true, true}, 500, swfw::EncodeAdpcm(stereo, true, 5)));
  movie.Add(swfw::DefineSound(3, {2, 3, false, false}, 1152, {0xFF, 0xFB, 0x90, 0x00}));
  movie.Add(swfw::DefineSound(4, {3, 1, false, false}, 3, {1, 2, 3}));
  movie.ShowFrame().End();
  auto m = swftest::LoadMovie(movie.Build());
  ASSERT_EQ(sound.sounds.size(), 4u);
  EXPECT_EQ(sound.sounds[0].format, swf::sound_handler::FORMAT_NATIVE16);
  EXPECT_EQ(sound.sounds[0].sampleRate, 5512);
  EXPECT_EQ(sound.Samples(0), tone);
  EXPECT_EQ(sound.sounds[1].format, swf::sound_handler::FORMAT_NATIVE16);
  EXPECT_EQ(sound.sounds[1].sampleRate, 22050);
  EXPECT_TRUE(sound.sounds[1].stereo);
  EXPECT_EQ(sound.sounds[1].sampleCount, 500);
  EXPECT_EQ(sound.Samples(1).size(), 1000u);
  EXPECT_EQ(sound.sounds[2].format, swf::sound_handler::FORMAT_MP3);
  EXPECT_EQ(sound.sounds[2].data, (Bytes{0xFF, 0xFB, 0x90, 0x00}));
  EXPECT_EQ(sound.sounds[3].format, swf::sound_handler::FORMAT_UNCOMPRESSED);  // 8-bit stays as it is
  EXPECT_EQ(sound.sounds[3].sampleRate, 11025);
  ASSERT_NE(m->get_sound_sample(2), nullptr);
  EXPECT_EQ(m->get_sound_sample(2)->get_sound_handler_id(), 1);

  m = nullptr;  // the samples die with their movie and delete their sounds
  EXPECT_TRUE(sound.sounds[0].deleted && sound.sounds[3].deleted);
}

TEST(SwfStartSound, PlaysAndStopsOnTheHandler) {
  swftest::RecordingSoundHandler sound;
  swfw::Movie movie;
  movie.Add(swfw::DefineSound(1, {}, 2, swfw::PcmBytes({1, 2})));
  swfw::SoundInfo loops;
  loops.loops = 3;
  loops.inPoint = 44;
  loops.outPoint = 99;
  loops.envelope = {{0, {1, 2}}};
  movie.Add(swfw::StartSound(1, loops));
  swfw::SoundInfo stop;
  stop.stop = true;
  movie.Add(swfw::StartSound(1, stop)).ShowFrame().End();
  auto m = swftest::LoadMovie(movie.Build());
  const swf::array<swf::execute_tag*>& frame = *m->get_playlist(0);
  ASSERT_EQ(frame.size(), 2);
  auto* play = dynamic_cast<swf::start_sound_tag*>(frame[0]);
  ASSERT_NE(play, nullptr);
  EXPECT_EQ(play->m_loop_count, 3u);
  play->execute(nullptr);
  frame[1]->execute(nullptr);
  frame[1]->execute_state(nullptr);  // skipped frames play no sound
  EXPECT_EQ(sound.calls, (std::vector<std::string>{"create 0", "play 0 3", "stop 0"}));
}

TEST(SwfStartSound, UndefinedSoundsAndNoHandler) {
  swfw::Movie movie;
  movie.Add(swfw::DefineSound(1, {}, 2, swfw::PcmBytes({1, 2})));
  movie.Add(swfw::StartSound(1, {})).Add(swfw::StartSound(9, {})).ShowFrame().End();
  Bytes file = movie.Build();
  {
    swftest::SwfLogCapture log;
    auto m = swftest::LoadMovie(file);  // no handler: the sound is not made, and no line
    EXPECT_EQ(m->get_sound_sample(1), nullptr);
    EXPECT_EQ(m->get_playlist(0)->size(), 0);
    EXPECT_TRUE(log.lines.empty()) << log.All();
  }
  swftest::RecordingSoundHandler sound;
  swftest::SwfLogCapture log;
  auto m = swftest::LoadMovie(file);
  EXPECT_EQ(m->get_playlist(0)->size(), 1);
  EXPECT_EQ(log.Count("start_sound_loader: sound_id 9 is not defined\n"), 1u);
}

}  // namespace
