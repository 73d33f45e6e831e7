// A 20 MB UTF-8 text of Japanese and Latin lines through TUcStringList (load with mark detection
// and decoding into lines; save as UTF-16LE with a mark), against the anchors in the same run:
// reading the bytes and converting them with one MultiByteToWideChar call, and one write of the
// same UTF-16 bytes. The goal is within 3 times of each anchor.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "UcClasses.h"
#include "windows.h"

namespace {

constexpr char kInput[] = "bench-ucstringlist-20mb.txt";
constexpr char16_t kInputW[] = u"bench-ucstringlist-20mb.txt";
constexpr char16_t kOutputW[] = u"bench-ucstringlist-out.txt";
constexpr char kAnchorOutput[] = "bench-ucstringlist-anchor.txt";

// Writes the input once: UTF-8 with a mark, lines of 20 to 90 characters, CR LF.
const std::string& InputBytes() {
  static const std::string bytes = [] {
    const char* parts[] = {
        "\xE9\xBB\x92\xE6\x9D\xBF\xE3\x81\xAB\xE6\x9B\xB8\xE3\x81\x8F",  // 黒板に書く
        "Vel Slatora board page ",
        "\xE6\x97\xA5\xE4\xBB\x98\xE3\x81\xA8\xE3\x82\xB0\xE3\x83\xAA\xE3\x83\x83\xE3\x83\x89",  // 日付とグリッド
        "chalk, eraser, finger; ruler 0123456789 ",
        "\xE3\x83\x81\xE3\x83\xA7\xE3\x83\xBC\xE3\x82\xAF",  // チョーク
    };
    std::string s = "\xEF\xBB\xBF";
    s.reserve(20u << 20);
    unsigned n = 0;
    while (s.size() < (20u << 20)) {
      for (unsigned k = 0; k < 1 + n % 4; ++k) s += parts[(n + k) % 5];
      s += "\r\n";
      ++n;
    }
    FILE* f = std::fopen(kInput, "wb");
    std::fwrite(s.data(), 1, s.size(), f);
    std::fclose(f);
    return s;
  }();
  return bytes;
}

std::string ReadAll(HANDLE h) {
  std::string bytes(GetFileSize(h, nullptr), '\0');
  DWORD got = 0;
  ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
  bytes.resize(got);
  return bytes;
}

void LoadTUcStringList(benchmark::State& state) {
  InputBytes();
  for (auto _ : state) {
    TUcStringList list;
    list.LoadFromFile(kInputW);
    benchmark::DoNotOptimize(list.Count());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * InputBytes().size()));
}

void LoadAnchorMultiByteToWideChar(benchmark::State& state) {
  InputBytes();
  for (auto _ : state) {
    HANDLE h = CreateFileW(kInputW, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const std::string bytes = ReadAll(h);
    CloseHandle(h);
    std::u16string wide(bytes.size(), u'\0');
    const int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data() + 3, static_cast<int>(bytes.size() - 3), wide.data(),
                                      static_cast<int>(wide.size()));
    benchmark::DoNotOptimize(n);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * InputBytes().size()));
}

TUcStringList& Loaded() {
  static TUcStringList* list = [] {
    InputBytes();
    auto* l = new TUcStringList;
    l->LoadFromFile(kInputW);
    return l;
  }();
  return *list;
}

void SaveTUcStringList(benchmark::State& state) {
  TUcStringList& list = Loaded();
  for (auto _ : state) list.SaveToFile(kOutputW);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * (list.GetTextStr().size() * 2 + 2)));
}

void SaveAnchorOneWrite(benchmark::State& state) {
  const std::u16string text = u"\uFEFF" + Loaded().GetTextStr();
  for (auto _ : state) {
    HANDLE h = CreateFileA(kAnchorOutput, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    DWORD written = 0;
    WriteFile(h, text.data(), static_cast<DWORD>(text.size() * 2), &written, nullptr);
    CloseHandle(h);
    benchmark::DoNotOptimize(written);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size() * 2));
}

BENCHMARK(LoadTUcStringList)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(LoadAnchorMultiByteToWideChar)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SaveTUcStringList)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SaveAnchorOneWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
