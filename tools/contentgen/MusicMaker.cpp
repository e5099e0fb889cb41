#include "tools/contentgen/MusicMaker.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <libopenmpt/libopenmpt.hpp>
#include <sstream>

namespace contentgen {

namespace {

constexpr double kPi = 3.14159265358979323846;

constexpr size_t kModHeader = 1084;
constexpr size_t kRows = 64;
constexpr size_t kChannels = 4;
constexpr size_t kPatternBytes = kRows * kChannels * 4;
constexpr int kDefaultSpeed = 6;

enum Instrument { kPluck = 1, kBass = 2, kTick = 3 };

// ProTracker periods of octaves 1 to 3, C to B.
constexpr uint16_t kPeriods[3][12] = {
    {856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453},
    {428, 404, 381, 360, 339, 320, 302, 285, 269, 254, 240, 226},
    {214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113},
};

// A note as "C-2", "A#1"; "---" or "" for none.
uint16_t Period(const char* note) {
  if (!note || note[0] == '\0' || note[0] == '-') return 0;
  static const char* const kNames = "C-C#D-D#E-F-F#G-G#A-A#B-";
  for (int n = 0; n < 12; ++n) {
    if (note[0] == kNames[n * 2] && note[1] == kNames[n * 2 + 1]) {
      const int octave = note[2] - '1';
      if (octave >= 0 && octave < 3) return kPeriods[octave][n];
    }
  }
  return 0;
}

void PutBe16(std::string& out, size_t at, uint16_t value) {
  out[at] = char(value >> 8);
  out[at + 1] = char(value & 0xFF);
}

size_t CellAt(size_t pattern, size_t row, size_t channel) {
  return kModHeader + pattern * kPatternBytes + (row * kChannels + channel) * 4;
}

// One cell: instrument, period and effect C (set volume).
void PutNote(std::string& mod, size_t pattern, size_t row, size_t channel, int instrument,
             uint16_t period, int volume) {
  const size_t at = CellAt(pattern, row, channel);
  mod[at + 0] = char((instrument & 0xF0) | ((period >> 8) & 0x0F));
  mod[at + 1] = char(period & 0xFF);
  mod[at + 2] = char(((instrument & 0x0F) << 4) | 0x0C);
  mod[at + 3] = char(volume);
}

// A cell with only an effect: F (speed) or D (pattern break).
void PutEffect(std::string& mod, size_t pattern, size_t row, size_t channel, int effect, int parameter) {
  const size_t at = CellAt(pattern, row, channel);
  mod[at + 2] = char(effect & 0x0F);
  mod[at + 3] = char(parameter);
}

void DefineInstrument(std::string& mod, int instrument, const char* name, size_t bytes, int volume,
                      size_t loopStart, size_t loopBytes) {
  const size_t at = 20 + size_t(instrument - 1) * 30;
  std::memcpy(&mod[at], name, std::min<size_t>(22, std::strlen(name)));
  PutBe16(mod, at + 22, uint16_t(bytes / 2));
  mod[at + 25] = char(volume);
  PutBe16(mod, at + 26, uint16_t(loopStart / 2));
  PutBe16(mod, at + 28, uint16_t(loopBytes > 0 ? loopBytes / 2 : 1));
}

// An 8-bit waveform of `cycle` samples a period that dies away over `bytes` samples.
std::string DecayingTone(size_t bytes, size_t cycle, double decay, double (*wave)(double)) {
  std::string data(bytes, '\0');
  for (size_t i = 0; i < bytes; ++i) {
    const double phase = double(i % cycle) / double(cycle);
    const double envelope = std::exp(-double(i) / decay) * std::min(1.0, double(i) / 8.0);
    data[i] = char(int8_t(std::lround(110.0 * envelope * wave(phase))));
  }
  return data;
}

double SoftWave(double phase) {
  return std::sin(2 * kPi * phase) + 0.25 * std::sin(4 * kPi * phase) + 0.1 * std::sin(6 * kPi * phase);
}

// A brighter, bell-like lead: odd and even partials that a pentatonic tune rings with.
double BellWave(double phase) {
  return std::sin(2 * kPi * phase) + 0.45 * std::sin(6 * kPi * phase) + 0.3 * std::sin(10 * kPi * phase);
}

// A reedy lead for the minor tunes.
double ReedWave(double phase) {
  return std::sin(2 * kPi * phase) + 0.5 * std::sin(4 * kPi * phase) + 0.35 * std::sin(8 * kPi * phase);
}

double TriangleWave(double phase) { return phase < 0.5 ? 4 * phase - 1 : 3 - 4 * phase; }

// A tune as the module writer takes it.
struct Tune {
  const char* title;
  int speed = kDefaultSpeed;                  // ticks per row
  size_t noteRows = 2;                        // rows between melody notes
  std::vector<std::vector<const char*>> melody;  // per pattern
  std::vector<std::vector<const char*>> bass;    // per pattern: roots every 16 rows
  size_t lastRows = kRows;                    // rows played of the last pattern
  bool ticks = true;                          // the off-beat tick
  double (*lead)(double) = SoftWave;
  double leadDecay = 900.0;
};

std::string WriteModule(const Tune& tune) {
  const size_t patterns = tune.melody.size();
  std::string mod(kModHeader + patterns * kPatternBytes, '\0');
  std::memcpy(&mod[0], tune.title, std::min<size_t>(20, std::strlen(tune.title)));
  const std::string pluck = DecayingTone(4096, 32, tune.leadDecay, tune.lead);
  const std::string bass = DecayingTone(6144, 64, 2400.0, TriangleWave);
  std::string tick(256, '\0');
  Noise noise;
  for (size_t i = 0; i < tick.size(); ++i) tick[i] = char(int8_t(std::lround(90.0 * noise.Next() * std::exp(-double(i) / 40.0))));
  DefineInstrument(mod, kPluck, "pluck", pluck.size(), 64, 0, 0);
  DefineInstrument(mod, kBass, "bass", bass.size(), 64, 0, 0);
  DefineInstrument(mod, kTick, "tick", tick.size(), 64, 0, 0);
  for (int i = 4; i <= 31; ++i) DefineInstrument(mod, i, "", 0, 0, 0, 0);

  mod[950] = char(patterns);  // song length in orders
  mod[951] = 127;
  for (size_t order = 0; order < patterns; ++order) mod[952 + order] = char(order);
  std::memcpy(&mod[1080], "M.K.", 4);

  for (size_t p = 0; p < patterns; ++p) {
    const size_t rows = p + 1 == patterns ? tune.lastRows : kRows;
    const std::vector<const char*>& melody = tune.melody[p];
    for (size_t slot = 0; slot < melody.size(); ++slot) {
      const uint16_t period = Period(melody[slot]);
      const size_t row = slot * tune.noteRows;
      if (period == 0 || row >= rows) continue;
      PutNote(mod, p, row, 0, kPluck, period, 0x30);
      // A quiet echo of the melody three rows later, where the row exists.
      if (row + 3 < rows) PutNote(mod, p, row + 3, 3, kPluck, period, 0x10);
    }
    const std::vector<const char*>& roots = tune.bass[p];
    for (size_t chord = 0; chord < roots.size(); ++chord) {
      const uint16_t root = Period(roots[chord]);
      if (root == 0) continue;
      if (chord * 16 < rows) PutNote(mod, p, chord * 16, 1, kBass, root, 0x38);
      if (chord * 16 + 8 < rows) PutNote(mod, p, chord * 16 + 8, 1, kBass, root, 0x2C);
      if (!tune.ticks) continue;
      if (chord * 16 + 4 < rows) PutNote(mod, p, chord * 16 + 4, 2, kTick, Period("C-3"), 0x14);
      if (chord * 16 + 12 < rows) PutNote(mod, p, chord * 16 + 12, 2, kTick, Period("C-3"), 0x14);
    }
  }
  // The speed is set on the first row, where channel 2 is free (its ticks fall on
  // rows 4 and 12 of each 16).
  if (tune.speed != kDefaultSpeed) PutEffect(mod, 0, 0, 2, 0xF, tune.speed);
  // A shortened last pattern ends the song at its last row.
  if (tune.lastRows < kRows) PutEffect(mod, patterns - 1, tune.lastRows - 1, 2, 0xD, 0);
  mod += pluck;
  mod += bass;
  mod += tick;
  return mod;
}

Tune MenuTune() {
  Tune tune;
  tune.title = "pellavo menu";
  // Melodies: one note every two rows, four chords (C, Am, F, G) of eight notes a pattern.
  tune.melody = {
      {"E-2", "G-2", "C-3", "G-2", "E-2", "D-2", "C-2", "---", "A-2", "C-3", "E-3", "C-3", "A-2", "G-2", "E-2", "---",
       "F-2", "A-2", "C-3", "A-2", "G-2", "F-2", "E-2", "---", "G-2", "B-2", "D-3", "B-2", "G-2", "A-2", "B-2", "D-3"},
      {"C-3", "---", "G-2", "E-2", "G-2", "---", "C-3", "D-3", "E-3", "---", "C-3", "A-2", "C-3", "---", "E-3", "G-3",
       "F-3", "---", "C-3", "A-2", "C-3", "---", "D-3", "C-3", "B-2", "---", "D-3", "G-2", "B-2", "A-2", "G-2", "---"},
  };
  tune.bass = {{"C-2", "A-1", "F-1", "G-1"}, {"C-2", "A-1", "F-1", "G-1"}};
  return tune;
}

// ---- themes ----

Tune MainTheme() {
  // The menu's tune, a little slower, with a third pattern that climbs back to the start.
  Tune tune = MenuTune();
  tune.title = "pellavo main";
  tune.melody.push_back({"E-3", "D-3", "C-3", "---", "A-2", "---", "C-3", "---", "D-3", "C-3", "A-2", "---",
                         "G-2", "---", "A-2", "---", "F-2", "G-2", "A-2", "---", "C-3", "---", "A-2", "---",
                         "G-2", "---", "B-2", "---", "D-3", "---", "G-2", "---"});
  tune.bass.push_back({"A-1", "D-2", "F-1", "G-1"});
  return tune;
}

Tune ChineseTheme() {
  // C major pentatonic (C D E G A) on a bell lead.
  Tune tune;
  tune.title = "pellavo chinese";
  tune.lead = BellWave;
  tune.leadDecay = 1400.0;
  tune.melody = {
      {"E-2", "G-2", "A-2", "---", "G-2", "E-2", "D-2", "---", "C-2", "D-2", "E-2", "G-2", "E-2", "---", "D-2", "---",
       "A-2", "C-3", "D-3", "---", "C-3", "A-2", "G-2", "---", "E-2", "G-2", "D-2", "E-2", "C-2", "---", "---", "---"},
      {"G-2", "A-2", "C-3", "D-3", "E-3", "---", "D-3", "C-3", "A-2", "---", "G-2", "A-2", "C-3", "---", "---", "---",
       "D-3", "E-3", "D-3", "C-3", "A-2", "G-2", "E-2", "---", "G-2", "E-2", "D-2", "C-2", "D-2", "---", "C-2", "---"},
  };
  tune.bass = {{"C-2", "A-1", "G-1", "C-2"}, {"F-1", "C-2", "G-1", "C-2"}};
  return tune;
}

Tune JapaneseTheme() {
  // The in scale (E F A B C): slow, on a reedy lead, without the tick.
  Tune tune;
  tune.title = "pellavo japanese";
  tune.speed = 7;
  tune.lead = ReedWave;
  tune.leadDecay = 1800.0;
  tune.ticks = false;
  tune.melody = {
      {"E-2", "F-2", "A-2", "---", "B-2", "---", "A-2", "F-2", "E-2", "---", "---", "---", "F-2", "E-2", "C-2", "---",
       "A-2", "B-2", "C-3", "---", "B-2", "A-2", "F-2", "---", "E-2", "F-2", "E-2", "C-2", "B-1", "---", "---", "---"},
      {"A-2", "---", "C-3", "B-2", "A-2", "---", "F-2", "E-2", "F-2", "---", "A-2", "---", "E-2", "---", "---", "---",
       "C-3", "B-2", "A-2", "---", "F-2", "---", "E-2", "F-2", "A-2", "---", "B-2", "A-2", "E-2", "---", "---", "---"},
  };
  tune.bass = {{"A-1", "F-1", "A-1", "E-1"}, {"F-1", "A-1", "F-1", "E-1"}};
  return tune;
}

Tune SoutheastTheme() {
  // A quick interlocking pentatonic figure over a steady gong-like bass.
  Tune tune;
  tune.title = "pellavo southeast";
  tune.speed = 5;
  tune.lead = BellWave;
  tune.leadDecay = 700.0;
  tune.melody = {
      {"C-3", "A-2", "G-2", "A-2", "C-3", "---", "D-3", "---", "C-3", "A-2", "G-2", "E-2", "G-2", "---", "---", "---",
       "D-2", "E-2", "G-2", "E-2", "D-2", "---", "C-2", "---", "D-2", "E-2", "G-2", "A-2", "G-2", "---", "---", "---"},
      {"G-2", "---", "A-2", "C-3", "D-3", "C-3", "A-2", "---", "G-2", "A-2", "G-2", "E-2", "D-2", "---", "---", "---",
       "E-2", "G-2", "A-2", "G-2", "E-2", "D-2", "C-2", "---", "D-2", "---", "E-2", "D-2", "C-2", "---", "---", "---"},
  };
  tune.bass = {{"C-2", "G-1", "A-1", "G-1"}, {"C-2", "G-1", "C-2", "G-1"}};
  return tune;
}

Tune CelebrationTheme() {
  // Bright major arpeggios, fast.
  Tune tune;
  tune.title = "pellavo celebration";
  tune.speed = 5;
  tune.melody = {
      {"C-3", "E-3", "G-3", "E-3", "C-3", "E-3", "G-3", "---", "A-2", "C-3", "F-3", "C-3", "A-2", "C-3", "F-3", "---",
       "B-2", "D-3", "G-3", "D-3", "B-2", "D-3", "G-3", "---", "C-3", "---", "E-3", "---", "G-3", "---", "C-3", "---"},
      {"E-3", "D-3", "C-3", "D-3", "E-3", "---", "E-3", "---", "F-3", "E-3", "D-3", "E-3", "F-3", "---", "A-3", "---",
       "G-3", "F-3", "E-3", "D-3", "C-3", "---", "D-3", "---", "E-3", "D-3", "C-3", "B-2", "C-3", "---", "---", "---"},
  };
  tune.bass = {{"C-2", "F-1", "G-1", "C-2"}, {"C-2", "F-1", "G-1", "C-2"}};
  return tune;
}

// ---- stings: one short pattern, a note a row, cut off after its last row ----

Tune Sting(const char* title, int speed, std::vector<const char*> melody, std::vector<const char*> bass,
           size_t rows) {
  Tune tune;
  tune.title = title;
  tune.speed = speed;
  tune.noteRows = 1;
  tune.ticks = false;
  tune.leadDecay = 1600.0;
  tune.melody = {std::move(melody)};
  tune.bass = {std::move(bass)};
  tune.lastRows = rows;
  return tune;
}

}  // namespace

std::string MakeMenuModule() { return WriteModule(MenuTune()); }

std::vector<MusicPiece> MusicPieces() {
  std::vector<MusicPiece> pieces;
  const struct {
    const char* name;
    Tune (*tune)();
  } themes[] = {{"main", MainTheme},
                {"chinese", ChineseTheme},
                {"japanese", JapaneseTheme},
                {"southeast", SoutheastTheme},
                {"celebration", CelebrationTheme}};
  for (const auto& theme : themes) {
    pieces.push_back({std::string("sounds/") + theme.name + "_theme.ogg", WriteModule(theme.tune()), true});
  }
  const Tune stings[] = {
      // A quick rising chime.
      Sting("pellavo popup", 4, {"C-3", "---", "E-3", "---", "G-3", "---", "C-3"}, {"C-2"}, 16),
      // A fanfare that climbs and holds.
      Sting("pellavo victory", 5,
            {"C-2", "---", "E-2", "---", "G-2", "---", "C-3", "---", "---", "---", "G-2", "---", "C-3", "---", "E-3",
             "---", "---", "---", "G-3"},
            {"C-2", "G-1"}, 32),
      // A slow fall in minor.
      Sting("pellavo loss", 6,
            {"E-2", "---", "---", "D#2", "---", "---", "D-2", "---", "---", "C#2", "---", "---", "---", "---", "---",
             "---", "A-1"},
            {"A-1", "F-1"}, 28),
      // Bells running up to a bright top note.
      Sting("pellavo trophy", 4,
            {"G-2", "C-3", "E-3", "G-3", "---", "E-3", "G-3", "---", "C-3", "E-3", "G-3", "---", "---", "---", "C-3",
             "---", "G-3"},
            {"C-2", "C-2"}, 32),
  };
  const char* const names[] = {"popup", "victory", "loss", "trophy"};
  for (size_t i = 0; i < 4; ++i) {
    pieces.push_back({std::string("sounds/") + names[i] + "_sting.ogg", WriteModule(stings[i]), false});
  }
  return pieces;
}

Samples RenderModule(const std::string& module, bool loops) {
  std::ostringstream log;  // libopenmpt's remarks on the file are of no use here
  Samples out;
  try {
    openmpt::module player(module.data(), module.size(), log);
    player.set_repeat_count(loops ? 2 : 0);
    const size_t pass = size_t(std::lround(player.get_duration_seconds() * kSampleRate));
    Samples all;
    std::vector<float> block(4096);
    while (const size_t count = player.read(kSampleRate, block.size(), block.data())) {
      all.insert(all.end(), block.begin(), block.begin() + std::ptrdiff_t(count));
    }
    if (loops) {
      if (pass == 0 || all.size() < 2 * pass) return {};
      out.assign(all.begin() + std::ptrdiff_t(pass), all.begin() + std::ptrdiff_t(2 * pass));
    } else {
      out = std::move(all);
      // A short fade, so that nothing still sounding is cut off with a click.
      const size_t fade = std::min(out.size(), size_t(kSampleRate / 20));
      for (size_t i = 0; i < fade; ++i) out[out.size() - 1 - i] *= float(i) / float(fade);
    }
  } catch (const openmpt::exception&) {
    return {};
  }
  // The same gain over the whole piece keeps a loop's seam as it was rendered.
  float loudest = 0.0f;
  for (float s : out) loudest = std::max(loudest, std::fabs(s));
  if (loudest > 0.0f) {
    for (float& s : out) s *= 0.7f / loudest;
  }
  return out;
}

}  // namespace contentgen
