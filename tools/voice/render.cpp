#include "render.h"

#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace voice {
namespace {

int g_source_rate = 22050;
std::vector<int16_t> g_samples;  // what espeak-ng has said so far
std::vector<int> g_phoneme_ms;   // where each phoneme began, in ms

int Collect(short* wave, int count, espeak_EVENT* events) {
  if (wave && count > 0) g_samples.insert(g_samples.end(), wave, wave + count);
  for (espeak_EVENT* event = events; event && event->type != espeakEVENT_LIST_TERMINATED; ++event)
    if (event->type == espeakEVENT_PHONEME && event->id.string[0] != '_') g_phoneme_ms.push_back(event->audio_position);
  return 0;
}

// Low-pass filter and sample-rate change to kRate, by windowed-sinc
// interpolation.
std::vector<double> Resample(const std::vector<int16_t>& in, int from_rate) {
  std::vector<double> out;
  if (in.empty()) return out;
  const double ratio = static_cast<double>(from_rate) / kRate;
  const double cutoff = 0.45 / std::max(1.0, ratio);  // of the source rate, below the new Nyquist
  const int half = 16;
  size_t count = static_cast<size_t>(static_cast<double>(in.size()) / ratio);
  out.resize(count);
  for (size_t i = 0; i < count; ++i) {
    double centre = static_cast<double>(i) * ratio;
    long first = static_cast<long>(std::floor(centre)) - half + 1;
    double sum = 0, weights = 0;
    for (long k = first; k < first + 2 * half; ++k) {
      double x = static_cast<double>(k) - centre;
      double sinc = x == 0 ? 2 * cutoff : std::sin(2 * M_PI * cutoff * x) / (M_PI * x);
      double window = 0.5 + 0.5 * std::cos(M_PI * x / half);
      double weight = sinc * window;
      weights += weight;
      if (k >= 0 && k < static_cast<long>(in.size())) sum += weight * in[static_cast<size_t>(k)];
    }
    out[i] = weights != 0 ? sum / weights : 0;
  }
  return out;
}

uint8_t ToUnsigned8(double value) {
  long level = std::lround(value / 256.0) + 128;
  return static_cast<uint8_t>(std::clamp(level, 0L, 255L));
}

}  // namespace

bool RenderInit(std::string& error) {
  int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr,
                               espeakINITIALIZE_DONT_EXIT | espeakINITIALIZE_PHONEME_EVENTS);
  if (rate <= 0) {
    error = "espeak-ng cannot start (is espeak-ng-data installed?)";
    return false;
  }
  g_source_rate = rate;
  espeak_SetSynthCallback(Collect);
  if (espeak_SetVoiceByName("pt-br") != EE_OK && espeak_SetVoiceByName("pt") != EE_OK) {
    error = "espeak-ng has no Portuguese voice (pt-br)";
    return false;
  }
  espeak_SetParameter(espeakPITCH, 45, 0);
  return true;
}

void RenderEnd() { espeak_Terminate(); }

Take RenderTake(const std::string& text, int words_per_minute) {
  g_samples.clear();
  g_phoneme_ms.clear();
  espeak_SetParameter(espeakRATE, words_per_minute, 0);
  espeak_Synth(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8 | espeakPHONEMES, nullptr,
               nullptr);
  espeak_Synchronize();
  Take take;
  take.samples = Resample(g_samples, g_source_rate);
  for (double& s : take.samples) s /= 32768.0;
  for (int ms : g_phoneme_ms)
    take.phonemes.push_back(std::min(take.samples.size(), static_cast<size_t>(ms) * kRate / 1000));
  return take;
}

bool Sounding(const Take& take, size_t from, size_t to, double share, size_t& first, size_t& last) {
  to = std::min(to, take.samples.size());
  double peak = 0;
  for (double s : take.samples) peak = std::max(peak, std::fabs(s));
  if (peak < 0.015 || from >= to) return false;
  const double threshold = peak * share;
  first = from;
  while (first < to && std::fabs(take.samples[first]) < threshold) ++first;
  if (first == to) return false;
  last = to - 1;
  while (last > first && std::fabs(take.samples[last]) < threshold) --last;
  return true;
}

std::vector<uint8_t> Cut(const Take& take, size_t begin, size_t end, double gain, int fade_in_ms, int fade_out_ms) {
  end = std::min(end, take.samples.size());
  std::vector<uint8_t> out;
  if (begin >= end) return out;
  const size_t fade_in = static_cast<size_t>(kRate * fade_in_ms / 1000);
  const size_t fade_out = static_cast<size_t>(kRate * fade_out_ms / 1000);
  out.reserve(end - begin);
  for (size_t i = begin; i < end; ++i) {
    double value = take.samples[i] * gain * 32767.0;
    size_t from_start = i - begin, to_end = end - 1 - i;
    if (from_start < fade_in) value *= static_cast<double>(from_start) / fade_in;
    if (to_end < fade_out) value *= static_cast<double>(to_end) / fade_out;
    out.push_back(ToUnsigned8(value));
  }
  return out;
}

std::vector<uint8_t> Render(const std::string& text, int words_per_minute, const Trim& trim, double gain) {
  Take take = RenderTake(text, words_per_minute);
  size_t first, last;
  // Where the sound is: above 3% of the peak.
  if (!Sounding(take, 0, take.samples.size(), 0.03, first, last)) return {};
  size_t lead = static_cast<size_t>(kRate * trim.lead_ms / 1000);
  size_t tail = static_cast<size_t>(kRate * trim.tail_ms / 1000);
  size_t begin = first > lead ? first - lead : 0;
  size_t end = std::min(take.samples.size(), last + 1 + tail);
  // 3 ms fades, so joins do not click.
  return Cut(take, begin, end, gain, 3, 3);
}

std::vector<uint8_t> DualTone(char key, int ms) {
  static const char kKeys[] = "123456789*0#";
  static const double kRows[] = {697, 770, 852, 941};
  static const double kColumns[] = {1209, 1336, 1477};
  const char* at = std::strchr(kKeys, key);
  if (!at || key == '\0') return {};
  int index = static_cast<int>(at - kKeys);
  double low = kRows[index / 3], high = kColumns[index % 3];
  size_t count = static_cast<size_t>(kRate * ms / 1000);
  size_t fade = kRate * 5 / 1000;
  std::vector<uint8_t> out(count);
  for (size_t i = 0; i < count; ++i) {
    double t = static_cast<double>(i) / kRate;
    double value = 0.42 * 32767 * (std::sin(2 * M_PI * low * t) + std::sin(2 * M_PI * high * t));
    if (i < fade) value *= static_cast<double>(i) / fade;
    if (count - 1 - i < fade) value *= static_cast<double>(count - 1 - i) / fade;
    out[i] = ToUnsigned8(value);
  }
  return out;
}

bool WriteWav(const std::string& path, const std::vector<uint8_t>& samples) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  auto le32 = [](uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
  };
  uint8_t header[44] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                        16,  0,   0,   0,   1, 0, 1, 0, 0,   0,   0,   0,   0,   0,   0,   0,
                        1,   0,   8,   0,   'd', 'a', 't', 'a', 0, 0, 0, 0};
  uint32_t size = static_cast<uint32_t>(samples.size());
  le32(header + 4, size + 36 + size % 2);
  le32(header + 24, kRate);
  le32(header + 28, kRate);
  le32(header + 40, size);
  bool ok = std::fwrite(header, 1, sizeof header, file) == sizeof header &&
            std::fwrite(samples.data(), 1, samples.size(), file) == samples.size();
  // An odd-sized data chunk gets its pad byte, as RIFF requires.
  if (ok && size % 2 == 1) ok = std::fputc(128, file) != EOF;
  return std::fclose(file) == 0 && ok;
}

}  // namespace voice
