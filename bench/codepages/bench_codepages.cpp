// Code-page conversion speed against glibc iconv on the same text, side by side.
#include <benchmark/benchmark.h>
#include <iconv.h>
#include <algorithm>
#include <vector>
#include <string>
#include "windows.h"

namespace {

// Mixed Japanese and ASCII, as in the program's texts and file names.
const std::u16string& WideText() {
  static const std::u16string text = [] {
    std::u16string unit = u"黒板 Vel Slatora: 表示とポップアップ, file_001.bmp; ";
    std::u16string t;
    while (t.size() < 32768) t += unit;
    return t;
  }();
  return text;
}

const std::string& AnsiText() {
  static const std::string text = [] {
    const std::u16string& w = WideText();
    std::string s(w.size() * 2, '\0');
    s.resize(static_cast<size_t>(WideCharToMultiByte(932, 0, w.data(), static_cast<int>(w.size()), s.data(),
                                                     static_cast<int>(s.size()), nullptr, nullptr)));
    return s;
  }();
  return text;
}

void IconvRun(benchmark::State& state, const char* to, const char* from, const std::string& in, size_t outSize) {
  iconv_t cd = iconv_open(to, from);
  std::string out(outSize, '\0');
  for (auto _ : state) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* ip = const_cast<char*>(in.data());
    char* op = out.data();
    size_t il = in.size(), ol = out.size();
    iconv(cd, &ip, &il, &op, &ol);
    benchmark::DoNotOptimize(op);
  }
  iconv_close(cd);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in.size()));
}

void Cp932ToWide(benchmark::State& state) {
  const std::string& in = AnsiText();
  std::u16string out(in.size(), u'\0');
  for (auto _ : state)
    benchmark::DoNotOptimize(MultiByteToWideChar(932, 0, in.data(), static_cast<int>(in.size()), out.data(),
                                                 static_cast<int>(out.size())));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in.size()));
}

void Cp932ToWideIconv(benchmark::State& state) { IconvRun(state, "UTF-16LE", "CP932", AnsiText(), AnsiText().size() * 2); }

void WideToCp932(benchmark::State& state) {
  const std::u16string& in = WideText();
  std::string out(in.size() * 2, '\0');
  BOOL used;
  for (auto _ : state)
    benchmark::DoNotOptimize(WideCharToMultiByte(932, 0, in.data(), static_cast<int>(in.size()), out.data(),
                                                 static_cast<int>(out.size()), nullptr, &used));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in.size() * 2));
}

void WideToCp932Iconv(benchmark::State& state) {
  const std::u16string& w = WideText();
  IconvRun(state, "CP932", "UTF-16LE", std::string(reinterpret_cast<const char*>(w.data()), w.size() * 2), w.size() * 2);
}

void WideToUtf8(benchmark::State& state) {
  const std::u16string& in = WideText();
  std::string out(in.size() * 3, '\0');
  for (auto _ : state)
    benchmark::DoNotOptimize(WideCharToMultiByte(CP_UTF8, 0, in.data(), static_cast<int>(in.size()), out.data(),
                                                 static_cast<int>(out.size()), nullptr, nullptr));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in.size() * 2));
}

void WideToUtf8Iconv(benchmark::State& state) {
  const std::u16string& w = WideText();
  IconvRun(state, "UTF-8", "UTF-16LE", std::string(reinterpret_cast<const char*>(w.data()), w.size() * 2), w.size() * 3);
}

void CompareNoCase(benchmark::State& state) {
  const std::u16string a = u"Settings_黒板_Section_Name_0042", b = u"SETTINGS_黒板_SECTION_NAME_0043";
  for (auto _ : state)
    benchmark::DoNotOptimize(CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                                            b.data(), static_cast<int>(b.size())));
}

// File-name-like strings sorted the way the program's lists sort them, against a plain
// ordinal sort of the same strings as the anchor.
std::vector<std::u16string> Names() {
  std::vector<std::u16string> names;
  uint32_t seed = 12345;
  for (int i = 0; i < 4096; ++i) {
    seed = seed * 1103515245u + 12345u;
    std::u16string n = (seed >> 16) % 3 == 0 ? u"黒板_" : (seed >> 16) % 3 == 1 ? u"Page-" : u"page_";
    n += std::u16string(1, static_cast<char16_t>(u'a' + (seed >> 8) % 26));
    n += std::u16string(1, static_cast<char16_t>(u'0' + (seed >> 4) % 10));
    n += u".bmp";
    names.push_back(n);
  }
  return names;
}

void SortWordSort(benchmark::State& state) {
  const std::vector<std::u16string> names = Names();
  for (auto _ : state) {
    std::vector<std::u16string> v = names;
    std::sort(v.begin(), v.end(), [](const std::u16string& a, const std::u16string& b) {
      return CompareStringW(LOCALE_USER_DEFAULT, 0, a.data(), static_cast<int>(a.size()), b.data(),
                            static_cast<int>(b.size())) == CSTR_LESS_THAN;
    });
    benchmark::DoNotOptimize(v.data());
  }
}

void SortOrdinal(benchmark::State& state) {
  const std::vector<std::u16string> names = Names();
  for (auto _ : state) {
    std::vector<std::u16string> v = names;
    std::sort(v.begin(), v.end());
    benchmark::DoNotOptimize(v.data());
  }
}

void CompareAnsiNoCase(benchmark::State& state) {
  const char* a = "Settings_Section_Name_0042";
  const char* b = "SETTINGS_SECTION_NAME_0043";
  for (auto _ : state) benchmark::DoNotOptimize(CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a, -1, b, -1));
}

}  // namespace

BENCHMARK(SortWordSort);
BENCHMARK(SortOrdinal);
BENCHMARK(CompareAnsiNoCase);
BENCHMARK(Cp932ToWide);
BENCHMARK(Cp932ToWideIconv);
BENCHMARK(WideToCp932);
BENCHMARK(WideToCp932Iconv);
BENCHMARK(WideToUtf8);
BENCHMARK(WideToUtf8Iconv);
BENCHMARK(CompareNoCase);
BENCHMARK_MAIN();
