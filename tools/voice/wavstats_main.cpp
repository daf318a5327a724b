// tessel-wavstats FILE [--sample SECONDS OUT] [--expect MIN_SECONDS MAX_SECONDS]
//
// A rough listening check of a capture of 16-bit mono PCM (the wav:FILE
// audio output): prints its length, peak, loudness and how much of it is
// silent; with --sample writes its first SECONDS to OUT; with --expect fails
// (exit 1) unless the length lies between the bounds, something is heard and
// at most half of it is silence.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

uint32_t Le(const std::vector<uint8_t>& bytes, size_t at, int size) {
  uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = (value << 8) | bytes[at + static_cast<size_t>(i)];
  return value;
}

bool WriteSample(const std::string& path, const std::vector<uint8_t>& header, const int16_t* samples, size_t count) {
  std::vector<uint8_t> out(header.begin(), header.begin() + 44);
  auto put = [&out](size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
  };
  put(4, static_cast<uint32_t>(36 + count * 2));
  put(40, static_cast<uint32_t>(count * 2));
  const auto* bytes = reinterpret_cast<const uint8_t*>(samples);
  out.insert(out.end(), bytes, bytes + count * 2);
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: tessel-wavstats FILE [--sample SECONDS OUT] [--expect MIN MAX]\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() < 44 || std::string(bytes.begin(), bytes.begin() + 4) != "RIFF" || Le(bytes, 34, 2) != 16 ||
      Le(bytes, 22, 2) != 1) {
    std::fprintf(stderr, "tessel-wavstats: %s is not 16-bit mono WAV\n", argv[1]);
    return 1;
  }
  const double rate = Le(bytes, 24, 4);
  const size_t count = (bytes.size() - 44) / 2;
  std::vector<int16_t> samples(count);
  for (size_t i = 0; i < count; ++i) samples[i] = static_cast<int16_t>(Le(bytes, 44 + 2 * i, 2));

  double sum = 0;
  int peak = 0;
  size_t window = static_cast<size_t>(rate / 20), windows = 0, silent = 0;
  for (size_t start = 0; start < count; start += window, ++windows) {
    int loudest = 0;
    for (size_t i = start; i < count && i < start + window; ++i) loudest = std::max(loudest, std::abs(samples[i]));
    if (loudest < 300) ++silent;
  }
  for (int16_t s : samples) {
    sum += static_cast<double>(s) * s;
    peak = std::max(peak, std::abs(static_cast<int>(s)));
  }
  const double seconds = static_cast<double>(count) / rate;
  const double rms = count ? std::sqrt(sum / static_cast<double>(count)) : 0;
  const double silent_share = windows ? 100.0 * static_cast<double>(silent) / static_cast<double>(windows) : 100;
  std::printf("%s: %.2f s, peak %d, RMS %.0f, silent %.0f%% (in 50 ms windows)\n", argv[1], seconds, peak, rms,
              silent_share);

  bool ok = true;
  for (int i = 2; i < argc; ++i) {
    std::string option = argv[i];
    if (option == "--sample" && i + 2 < argc) {
      size_t wanted = std::min(count, static_cast<size_t>(std::atof(argv[i + 1]) * rate));
      if (!WriteSample(argv[i + 2], bytes, samples.data(), wanted)) ok = false;
      else std::printf("sample of %.2f s written to %s\n", static_cast<double>(wanted) / rate, argv[i + 2]);
      i += 2;
    } else if (option == "--expect" && i + 2 < argc) {
      double low = std::atof(argv[i + 1]), high = std::atof(argv[i + 2]);
      if (seconds < low || seconds > high || peak < 3000 || silent_share > 50) {
        std::printf("not as expected: %.0f to %.0f s, heard, at most half silent\n", low, high);
        ok = false;
      }
      i += 2;
    }
  }
  return ok ? 0 : 1;
}
