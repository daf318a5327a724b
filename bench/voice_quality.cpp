// How the own voice compares with espeak-ng pt-br at its default rate.
//
//   bench_voice_quality [VOICE_FOLDER [WORD_LIST [WORDS]]]
//
// VOICE_FOLDER defaults to the build's voice (build/voice), WORD_LIST to
// /usr/share/dict/brazilian (UTF-8), WORDS (the intelligibility check's
// word count) to 300; WORDS 0 leaves the check out.
//
// 1. Thirty everyday sentences, each said by the real tessel binary (FALA,
//    headless, captured through the wav:FILE output) at every speed level of
//    the demo's MIRANE.INI, and by espeak-ng at its default rate converted to
//    the voice's format (8-bit 11025 Hz). For each: milliseconds per syllable
//    (from the first to the last sound), abrupt jumps per second (a step
//    between two 11025 Hz samples of at least a quarter of full scale that is
//    at least three times the mean step of the 10 ms around it: a click, not
//    a hiss), and silent gaps of 40 ms or more (below 1% of full scale)
//    inside words (each word said alone, by the translator).
// 2. The level of each recorded unit (RMS of its 10 ms frames within 30 dB
//    of its loudest, dB below full scale), grouped by phoneme class: mean, and the spread from
//    the 10th to the 90th percentile.
// 3. Automatic word identification: WORDS words of the list, each said by
//    the translator at each level (level 5 at the 1.5 times rate when the
//    level plays fast), compared by DTW over MFCC with espeak-ng renderings
//    of all the candidates; a word is identified when its own rendering is
//    the nearest.
#include <espeak-ng/speak_lib.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "platform/text.h"
#include "synth/diphone_translator.h"
#include "synth/translator_rules.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRate = 11025;

// Thirty everyday sentences (UTF-8).
const char* const kSentences[] = {
    "Bom dia, como você está hoje?",
    "O arquivo foi salvo na pasta de documentos.",
    "Aperte a tecla Enter para continuar.",
    "A reunião começa às três horas da tarde.",
    "Não foi possível abrir o arquivo pedido.",
    "Hoje o tempo está bonito e quente.",
    "Vou ao mercado comprar pão e leite.",
    "A mensagem chegou agora mesmo.",
    "Digite o seu nome e a sua senha.",
    "O programa terminou sem nenhum erro.",
    "Minha irmã mora perto da escola.",
    "Quantas pessoas vieram para a festa?",
    "O computador está ligado na sala.",
    "Escolha uma opção do menu principal.",
    "A internet está muito lenta esta noite.",
    "Eles querem saber quando você volta.",
    "O livro que você procura está na estante.",
    "Preciso falar com o gerente do banco.",
    "A cidade fica cheia no fim de semana.",
    "Obrigado pela ajuda, até amanhã.",
    "O telefone tocou duas vezes seguidas.",
    "Ela ainda não respondeu o meu recado.",
    "O ônibus passa na esquina de meia em meia hora.",
    "Fechei a janela porque estava frio.",
    "A impressora precisa de papel novo.",
    "Gosto de ouvir música no domingo.",
    "O jogo de futebol foi adiado para quinta.",
    "Salve o texto antes de sair do editor.",
    "Meu irmão trabalha numa fábrica de sapatos.",
    "A água do rio estava limpa e gelada.",
};

// --- sound files and samples ---------------------------------------------------------

// The data of a 16-bit mono WAV file, as doubles in [-1, 1].
std::vector<double> ReadWav16(const fs::path& path, int& rate) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<double> out;
  if (bytes.size() < 44) return out;
  auto le32 = [&](size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at]) | (static_cast<uint8_t>(bytes[at + 1]) << 8) |
                                 (static_cast<uint8_t>(bytes[at + 2]) << 16) |
                                 (static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3])) << 24));
  };
  rate = static_cast<int>(le32(24));
  size_t at = 12;
  while (at + 8 <= bytes.size()) {
    uint32_t size = le32(at + 4);
    if (bytes.compare(at, 4, "data") == 0) {
      size_t end = std::min<size_t>(bytes.size(), at + 8 + size);
      for (size_t i = at + 8; i + 1 < end; i += 2) {
        int16_t v = static_cast<int16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8));
        out.push_back(v / 32768.0);
      }
      break;
    }
    at += 8 + size + (size & 1);
  }
  return out;
}

std::vector<double> FromUnsigned8(const uint8_t* data, size_t count) {
  std::vector<double> out(count);
  for (size_t i = 0; i < count; ++i) out[i] = (static_cast<int>(data[i]) - 128) / 128.0;
  return out;
}

// Linear change of rate, as the capture makes it.
std::vector<double> Linear(const std::vector<double>& in, double from, double to) {
  std::vector<double> out;
  if (in.empty()) return out;
  size_t count = static_cast<size_t>(static_cast<double>(in.size()) * to / from);
  out.resize(count);
  for (size_t i = 0; i < count; ++i) {
    double at = static_cast<double>(i) * from / to;
    size_t k = static_cast<size_t>(at);
    double f = at - static_cast<double>(k);
    double a = in[std::min(k, in.size() - 1)], b = in[std::min(k + 1, in.size() - 1)];
    out[i] = a + (b - a) * f;
  }
  return out;
}

// First and last sample above 2% of full scale; false when there is none.
bool SoundSpan(const std::vector<double>& s, size_t& first, size_t& last) {
  first = 0;
  while (first < s.size() && std::fabs(s[first]) < 0.02) ++first;
  if (first == s.size()) return false;
  last = s.size() - 1;
  while (last > first && std::fabs(s[last]) < 0.02) --last;
  return true;
}

// Abrupt jumps in samples at `rate` (11025 Hz, or the 22050 Hz capture,
// where one 11025 Hz step is spread over two samples).
int Jumps(const std::vector<double>& s, int rate) {
  const size_t lag = rate >= 2 * kRate ? 2 : 1;
  if (s.size() <= lag) return 0;
  std::vector<double> d(s.size(), 0.0);
  for (size_t i = lag; i < s.size(); ++i) d[i] = std::fabs(s[i] - s[i - lag]);
  const size_t half = static_cast<size_t>(rate / 200);  // 5 ms each side
  int jumps = 0;
  for (size_t i = lag; i < s.size(); ++i) {
    if (d[i] < 0.5) continue;  // a quarter of full scale (full scale spans 2)
    size_t from = i > half ? i - half : 0, to = std::min(s.size() - 1, i + half);
    double sum = 0;
    size_t n = 0;
    for (size_t k = from; k <= to; ++k)
      if (k + lag <= i || k >= i + lag) {  // the step's own samples left out
        sum += d[k];
        ++n;
      }
    if (n > 0 && d[i] >= 3 * sum / static_cast<double>(n)) {
      ++jumps;
      i += lag;  // one step counted once
    }
  }
  return jumps;
}

// Silent runs of at least 40 ms between the first and last sound.
int Gaps(const std::vector<double>& s, int rate) {
  size_t first, last;
  if (!SoundSpan(s, first, last)) return 0;
  const size_t least = static_cast<size_t>(rate * 40 / 1000);
  int gaps = 0;
  size_t run = 0;
  for (size_t i = first; i <= last; ++i) {
    if (std::fabs(s[i]) < 0.01) {
      ++run;
    } else {
      if (run >= least) ++gaps;
      run = 0;
    }
  }
  return gaps;
}

int Syllables(const std::string& utf8) {
  std::string text = platform::Utf8ToLatin1(utf8);
  auto vowel = [](unsigned char c) {
    return std::strchr("aeiouAEIOU", c) != nullptr || (c >= 0xC0 && c <= 0xC6) || (c >= 0xC8 && c <= 0xCF) ||
           (c >= 0xD2 && c <= 0xD6) || (c >= 0xD9 && c <= 0xDC) || (c >= 0xE0 && c <= 0xE6) ||
           (c >= 0xE8 && c <= 0xEF) || (c >= 0xF2 && c <= 0xF6) || (c >= 0xF9 && c <= 0xFC);
  };
  int count = 0;
  bool in_vowel = false;
  for (unsigned char c : text) {
    bool v = c != '\0' && vowel(c);
    if (v && !in_vowel) ++count;
    in_vowel = v;
  }
  return count;
}

std::vector<std::string> Words(const std::string& utf8) {
  std::vector<std::string> words;
  std::string word;
  for (char c : utf8) {
    unsigned char u = static_cast<unsigned char>(c);
    if (std::isalpha(u) || u >= 0x80) {
      word += c;
    } else if (!word.empty()) {
      words.push_back(word);
      word.clear();
    }
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

// --- espeak-ng -----------------------------------------------------------------------

std::vector<short> g_espeak;
int g_espeak_rate = 22050;

int Collect(short* wave, int count, espeak_EVENT*) {
  if (wave && count > 0) g_espeak.insert(g_espeak.end(), wave, wave + count);
  return 0;
}

bool EspeakStart() {
  g_espeak_rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT);
  if (g_espeak_rate <= 0) return false;
  espeak_SetSynthCallback(Collect);
  return espeak_SetVoiceByName("pt-br") == EE_OK || espeak_SetVoiceByName("pt") == EE_OK;
}

// espeak-ng at its default rate, in the voice's format: low-passed,
// 11025 Hz, levelled to 90% of full scale, 8-bit steps.
std::vector<double> Espeak(const std::string& utf8) {
  g_espeak.clear();
  espeak_Synth(utf8.c_str(), utf8.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, nullptr);
  espeak_Synchronize();
  // Windowed-sinc low-pass and rate change.
  const double ratio = static_cast<double>(g_espeak_rate) / kRate;
  const double cutoff = 0.45 / std::max(1.0, ratio);
  const int half = 16;
  size_t count = static_cast<size_t>(static_cast<double>(g_espeak.size()) / ratio);
  std::vector<double> out(count);
  double peak = 0;
  for (size_t i = 0; i < count; ++i) {
    double centre = static_cast<double>(i) * ratio;
    long first = static_cast<long>(std::floor(centre)) - half + 1;
    double sum = 0, weights = 0;
    for (long k = first; k < first + 2 * half; ++k) {
      double x = static_cast<double>(k) - centre;
      double sinc = x == 0 ? 2 * cutoff : std::sin(2 * M_PI * cutoff * x) / (M_PI * x);
      double weight = sinc * (0.5 + 0.5 * std::cos(M_PI * x / half));
      weights += weight;
      if (k >= 0 && k < static_cast<long>(g_espeak.size())) sum += weight * g_espeak[static_cast<size_t>(k)];
    }
    out[i] = weights != 0 ? sum / weights / 32768.0 : 0;
    peak = std::max(peak, std::fabs(out[i]));
  }
  if (peak > 0)
    for (double& v : out) v = std::round(v * 0.9 / peak * 128.0) / 128.0;
  return out;
}

// --- the own voice ---------------------------------------------------------------------

struct Level {
  int cut = 0, floor = 0, gap = 100;
  bool fast = false;
};

std::map<std::string, std::string> ReadDemoSettings() {
  std::map<std::string, std::string> values;
  std::ifstream in(fs::path(TESSEL_SOURCE_DIR) / "demo" / "MIRANE.INI");
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t eq = line.find('=');
    if (line.empty() || line[0] == ';' || line[0] == '[' || eq == std::string::npos) continue;
    values[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return values;
}

Level LevelOf(const std::map<std::string, std::string>& ini, int n) {
  auto get = [&](const std::string& key) {
    auto found = ini.find(key + std::to_string(n));
    return found == ini.end() ? std::string() : found->second;
  };
  Level level;
  level.cut = std::atoi(get("CORTEFON").c_str());
  level.floor = std::atoi(get("SOBRAFON").c_str());
  level.gap = std::atoi(get("INTERPAL").c_str());
  std::string fast = get("RAPIDINHO");
  level.fast = !fast.empty() && (fast[0] != 'N' && fast[0] != 'n');
  return level;
}

std::vector<uint8_t> g_image;

// A word (UTF-8) said by the translator: 8-bit samples at 11025 Hz.
std::vector<double> Translate(const std::string& utf8, const Level& level) {
  synth::SetTranslatorTiming(level.cut, level.floor, level.gap);
  g_image.clear();
  synth::SayPhonemes(synth::TextToPhonemes(platform::Utf8ToLatin1(utf8)));
  return FromUnsigned8(g_image.data(), g_image.size());
}

// --- MFCC and DTW ----------------------------------------------------------------------

void Fft(std::vector<std::complex<double>>& a) {
  const size_t n = a.size();
  for (size_t i = 1, j = 0; i < n; ++i) {
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (size_t len = 2; len <= n; len <<= 1) {
    double angle = -2 * M_PI / static_cast<double>(len);
    std::complex<double> w(std::cos(angle), std::sin(angle));
    for (size_t i = 0; i < n; i += len) {
      std::complex<double> u(1, 0);
      for (size_t k = 0; k < len / 2; ++k) {
        std::complex<double> x = a[i + k], y = a[i + k + len / 2] * u;
        a[i + k] = x + y;
        a[i + k + len / 2] = x - y;
        u *= w;
      }
    }
  }
}

using Features = std::vector<std::vector<double>>;

// 12 cepstral coefficients (c1..c12) of 25 ms frames every 10 ms at 11025 Hz,
// 24 mel bands from 100 to 5000 Hz, mean removed over the word; only the
// frames of the sounding part.
Features Mfcc(const std::vector<double>& in) {
  size_t first, last;
  Features out;
  if (!SoundSpan(in, first, last)) return out;
  std::vector<double> s(in.begin() + static_cast<long>(first), in.begin() + static_cast<long>(last) + 1);
  const size_t frame = 276, hop = 110, fft = 512;
  const int bands = 24, ceps = 12;
  auto mel = [](double hz) { return 2595 * std::log10(1 + hz / 700); };
  auto hz = [](double m) { return 700 * (std::pow(10, m / 2595) - 1); };
  std::vector<double> edges(bands + 2);
  for (int b = 0; b < bands + 2; ++b) edges[b] = hz(mel(100) + (mel(5000) - mel(100)) * b / (bands + 1));
  std::vector<std::complex<double>> buffer(fft);
  for (size_t at = 0; at + frame <= s.size() || (at == 0 && !s.empty()); at += hop) {
    for (size_t i = 0; i < fft; ++i) {
      double v = 0;
      if (i < frame && at + i < s.size()) {
        double pre = s[at + i] - 0.97 * (at + i > 0 ? s[at + i - 1] : 0);
        v = pre * (0.54 - 0.46 * std::cos(2 * M_PI * static_cast<double>(i) / (frame - 1)));
      }
      buffer[i] = v;
    }
    Fft(buffer);
    std::vector<double> energy(bands, 1e-10);
    for (size_t k = 1; k < fft / 2; ++k) {
      double f = static_cast<double>(k) * kRate / fft, power = std::norm(buffer[k]);
      for (int b = 0; b < bands; ++b) {
        if (f > edges[b] && f < edges[b + 2]) {
          double w = f < edges[b + 1] ? (f - edges[b]) / (edges[b + 1] - edges[b])
                                      : (edges[b + 2] - f) / (edges[b + 2] - edges[b + 1]);
          energy[b] += w * power;
        }
      }
    }
    std::vector<double> c(ceps);
    for (int n = 1; n <= ceps; ++n) {
      double sum = 0;
      for (int b = 0; b < bands; ++b) sum += std::log(energy[b]) * std::cos(M_PI * n * (b + 0.5) / bands);
      c[n - 1] = sum;
    }
    out.push_back(c);
    if (at + frame > s.size()) break;
  }
  for (int n = 0; n < ceps; ++n) {
    double mean = 0;
    for (auto& c : out) mean += c[n];
    mean /= static_cast<double>(out.size());
    for (auto& c : out) c[n] -= mean;
  }
  return out;
}

double Dtw(const Features& a, const Features& b) {
  if (a.empty() || b.empty()) return 1e30;
  const size_t n = a.size(), m = b.size();
  std::vector<double> previous(m + 1, 1e30), current(m + 1, 1e30);
  previous[0] = 0;
  for (size_t i = 1; i <= n; ++i) {
    current[0] = 1e30;
    for (size_t j = 1; j <= m; ++j) {
      double d = 0;
      for (size_t k = 0; k < a[i - 1].size(); ++k) {
        double x = a[i - 1][k] - b[j - 1][k];
        d += x * x;
      }
      d = std::sqrt(d);
      current[j] = d + std::min({previous[j], current[j - 1], previous[j - 1]});
    }
    std::swap(previous, current);
  }
  return previous[m] / static_cast<double>(n + m);
}

// --- unit levels ------------------------------------------------------------------------

std::string ClassOf(const std::string& name) {
  std::string body = name.substr(1);
  for (const char* mark : {"CIRC", "TIL"})
    if (body.size() > std::strlen(mark) && body.compare(body.size() - std::strlen(mark), std::string::npos, mark) == 0)
      body.resize(body.size() - std::strlen(mark));
  auto vowel = [](char c) { return c != '\0' && std::strchr("AEIOU", c) != nullptr; };
  bool has_vowel = std::any_of(body.begin(), body.end(), vowel);
  if (has_vowel && vowel(body[0])) return body.size() == 1 ? "vowel" : "diphthong";
  std::string onset = has_vowel ? body.substr(0, body.size() - 1) : body;
  const std::string tail = has_vowel ? " + vowel" : " alone";
  if (onset.size() == 2 && (onset[1] == 'R' || onset[1] == 'L') && onset != "RR" && onset != "LH")
    return "cluster" + tail;
  static const std::map<std::string, std::string> kManner = {
      {"P", "stop"}, {"B", "stop"}, {"T", "stop"}, {"D", "stop"}, {"K", "stop"}, {"G", "stop"},
      {"KW", "stop"}, {"GW", "stop"}, {"DJ", "affricate"}, {"TCH", "affricate"}, {"F", "fricative"},
      {"V", "fricative"}, {"S", "fricative"}, {"Z", "fricative"}, {"X", "fricative"}, {"J", "fricative"},
      {"RR", "fricative"}, {"M", "nasal"}, {"N", "nasal"}, {"NH", "nasal"}, {"L", "liquid"},
      {"LH", "liquid"}, {"R", "liquid"}, {"W", "glide"}, {"Y", "glide"}, {"NN", "nasal"}};
  auto found = kManner.find(onset);
  return (found == kManner.end() ? std::string("other") : found->second) + tail;
}

double LevelDb(const std::vector<double>& s) {
  const size_t frame = kRate / 100;
  std::vector<double> powers;
  for (size_t at = 0; at + frame <= s.size(); at += frame) {
    double e = 0;
    for (size_t i = at; i < at + frame; ++i) e += s[i] * s[i];
    powers.push_back(e / frame);
  }
  const double loudest = powers.empty() ? 0 : *std::max_element(powers.begin(), powers.end());
  double sum = 0;
  size_t n = 0;
  for (double e : powers)
    if (e > 1e-9 && e > loudest / 1000) {  // sounding: within 30 dB of the loudest frame
      sum += e;
      ++n;
    }
  return n ? 10 * std::log10(sum / static_cast<double>(n)) : -99;
}

void UnitLevels(const fs::path& voice) {
  std::ifstream ind(voice / "difones" / "DIFONES2.IND", std::ios::binary);
  std::ifstream dif(voice / "difones" / "DIFONES2.DIF", std::ios::binary);
  std::string index((std::istreambuf_iterator<char>(ind)), std::istreambuf_iterator<char>());
  std::string data((std::istreambuf_iterator<char>(dif)), std::istreambuf_iterator<char>());
  std::map<std::string, std::vector<double>> classes;
  double length_sum = 0;
  size_t units = 0;
  for (size_t at = 0; at + 15 <= index.size(); at += 15) {
    const auto* r = reinterpret_cast<const uint8_t*>(index.data() + at);
    std::string name(reinterpret_cast<const char*>(r + 1), std::min<size_t>(r[0], 8));
    size_t length = r[9] | (r[10] << 8);
    size_t offset = r[11] | (r[12] << 8) | (r[13] << 16) | (static_cast<size_t>(r[14]) << 24);
    if (offset + length > data.size()) continue;
    auto s = FromUnsigned8(reinterpret_cast<const uint8_t*>(data.data() + offset), length);
    classes[ClassOf(name)].push_back(LevelDb(s));
    length_sum += static_cast<double>(length);
    ++units;
  }
  std::printf("\nunit levels (%zu units, mean length %.0f ms): class, units, mean dB, spread p10-p90 dB\n", units,
              units ? length_sum / static_cast<double>(units) * 1000 / kRate : 0);
  for (auto& [name, levels] : classes) {
    std::sort(levels.begin(), levels.end());
    double mean = 0;
    for (double v : levels) mean += v;
    mean /= static_cast<double>(levels.size());
    double p10 = levels[levels.size() / 10], p90 = levels[levels.size() * 9 / 10 - (levels.size() >= 10 ? 1 : 0)];
    std::printf("  %-20s %4zu  %6.1f  %5.1f\n", name.c_str(), levels.size(), mean, p90 - p10);
  }
}

}  // namespace

int main(int argc, char** argv) {
  fs::path voice = argc > 1 ? fs::path(argv[1]) : fs::path(TESSEL_BINARY).parent_path().parent_path() / "voice";
  fs::path list = argc > 2 ? fs::path(argv[2]) : fs::path("/usr/share/dict/brazilian");
  int word_count = argc > 3 ? std::atoi(argv[3]) : 300;
  voice = fs::absolute(voice);

  if (!EspeakStart()) {
    std::fprintf(stderr, "voice_quality: espeak-ng has no Portuguese voice\n");
    return 1;
  }
  fs::path windows = fs::temp_directory_path() / ("tessel-voice-quality-" + std::to_string(getpid()));
  fs::create_directories(windows);
  auto ini_text = [&](int level) {
    std::ifstream demo(fs::path(TESSEL_SOURCE_DIR) / "demo" / "MIRANE.INI", std::ios::binary);
    std::stringstream out;
    std::string line;
    while (std::getline(demo, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.rfind("VELOCIDADE=", 0) == 0) line = "VELOCIDADE=" + std::to_string(level);
      if (line.rfind("DIRLETRAS=", 0) == 0) line = "DIRLETRAS=" + (voice / "letras").string();
      if (line.rfind("DIRDIFONES=", 0) == 0) line = "DIRDIFONES=" + (voice / "difones").string();
      out << line << "\r\n";
    }
    return out.str();
  };
  auto ini = ReadDemoSettings();

  // 1. Sentences.
  int syllables = 0;
  for (const char* sentence : kSentences) syllables += Syllables(sentence);
  std::printf("30 sentences, %d syllables\n", syllables);
  std::printf("%-22s %10s %9s %9s %12s\n", "voice", "ms/syll", "jumps/s", "gaps", "word gaps");

  struct Totals {
    double ms = 0, sound_s = 0;
    int jumps = 0, gaps = 0, word_gaps = 0;
  };
  auto print = [&](const std::string& name, const Totals& t) {
    std::printf("%-22s %10.0f %9.1f %9d %12d\n", name.c_str(), t.ms / syllables, t.jumps / t.sound_s, t.gaps,
                t.word_gaps);
  };
  std::vector<std::string> words;
  for (const char* sentence : kSentences)
    for (const std::string& w : Words(sentence)) words.push_back(w);
  {
    Totals t;
    for (const char* sentence : kSentences) {
      auto s = Espeak(sentence);
      size_t first, last;
      if (!SoundSpan(s, first, last)) continue;
      t.ms += static_cast<double>(last - first) * 1000 / kRate;
      t.sound_s += static_cast<double>(last - first) / kRate;
      t.jumps += Jumps(s, kRate);
      t.gaps += Gaps(s, kRate);
    }
    for (const std::string& w : words) t.word_gaps += Gaps(Espeak(w), kRate);
    print("espeak-ng pt-br", t);
  }

  setenv("MIRANE_WINDIR", windows.c_str(), 1);
  {
    std::ofstream out(windows / "MIRANE.INI", std::ios::binary);
    out << ini_text(3);
  }
  if (int code = synth::TranslatorOpen(); code != 0) {
    std::fprintf(stderr, "voice_quality: the voice in %s cannot be opened (code %d)\n", voice.c_str(), code);
    return 1;
  }
  synth::SetImageSink([](const uint8_t* image, size_t size) {
    if (size > 44) g_image.insert(g_image.end(), image + 44, image + size);
  });

  for (int level = 1; level <= 5; ++level) {
    Level timing = LevelOf(ini, level);
    Totals t;
    for (const char* sentence : kSentences) {
      {
        std::ofstream out(windows / "MIRANE.INI", std::ios::binary);
        out << ini_text(level);
      }
      int rate = 0;
      std::ofstream(windows / "frase.cmd", std::ios::binary)
          << "FALA \"" << platform::Utf8ToLatin1(sentence) << "\"\r\nTERMINA MUDO\r\n";
      fs::path capture = windows / "frase.wav";
      pid_t pid = bench::Spawn({TESSEL_BINARY, (windows / "frase.cmd").string()},
                               {"TESSEL_CONSOLE=headless", "TESSEL_AUDIO=wav:" + capture.string()});
      int status = 0;
      if (pid > 0) waitpid(pid, &status, 0);
      auto s = ReadWav16(capture, rate);
      size_t first, last;
      if (rate <= 0 || !SoundSpan(s, first, last)) {
        std::fprintf(stderr, "voice_quality: no sound captured at level %d\n", level);
        continue;
      }
      t.ms += static_cast<double>(last - first) * 1000 / rate;
      t.sound_s += static_cast<double>(last - first) / rate;
      t.jumps += Jumps(s, rate);
      t.gaps += Gaps(s, rate);
    }
    std::string gapped;
    for (const std::string& w : words) {
      auto s = Translate(w, timing);
      if (timing.fast) s = Linear(s, 1.5 * kRate, kRate);
      int gaps = Gaps(s, kRate);
      t.word_gaps += gaps;
      if (gaps > 0 && gapped.size() < 60) gapped += " " + w;
    }
    print("tessel level " + std::to_string(level) + (timing.fast ? " (fast)" : ""), t);
    if (!gapped.empty()) std::printf("    gaps in:%s\n", gapped.c_str());
  }

  // 2. Unit levels.
  UnitLevels(voice);

  // 3. Word identification.
  if (word_count > 0) {
    std::ifstream in(list);
    std::vector<std::string> all;
    std::string line;
    while (std::getline(in, line))
      if (!line.empty() && std::islower(static_cast<unsigned char>(line[0])) && line.size() >= 4 && line.size() <= 12 &&
          line.find('-') == std::string::npos)
        all.push_back(line);
    std::vector<std::string> chosen;
    for (int i = 0; i < word_count && !all.empty(); ++i)
      chosen.push_back(all[static_cast<size_t>(i) * all.size() / static_cast<size_t>(word_count)]);
    size_t accented = std::count_if(chosen.begin(), chosen.end(), [](const std::string& w) {
      return std::any_of(w.begin(), w.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    });
    std::vector<Features> references;
    for (const std::string& w : chosen) references.push_back(Mfcc(Espeak(w)));
    std::printf("\nword identification over %zu words of %s (%zu accented), DTW over MFCC against espeak-ng:\n",
                chosen.size(), list.c_str(), accented);
    for (int level = 1; level <= 5; ++level) {
      Level timing = LevelOf(ini, level);
      int right = 0;
      std::vector<std::string> wrong;
      for (size_t i = 0; i < chosen.size(); ++i) {
        auto s = Translate(chosen[i], timing);
        // Played 1.5 times fast, the same samples sound higher and shorter.
        if (timing.fast) s = Linear(s, 1.5 * kRate, kRate);
        Features f = Mfcc(s);
        size_t best = 0;
        double best_distance = 1e300;
        for (size_t k = 0; k < references.size(); ++k) {
          double d = Dtw(f, references[k]);
          if (d < best_distance) {
            best_distance = d;
            best = k;
          }
        }
        if (best == i) ++right;
        else if (wrong.size() < 6) wrong.push_back(chosen[i] + "->" + chosen[best]);
      }
      std::printf("  level %d%s: %.1f%%", level, timing.fast ? " (fast)" : "",
                  100.0 * right / static_cast<double>(chosen.size()));
      for (const std::string& w : wrong) std::printf("  %s", w.c_str());
      std::printf("\n");
    }
  }
  synth::TranslatorClose();
  espeak_Terminate();
  fs::remove_all(windows);
  return 0;
}
