// Times the INI engine: a read and an edit of a settings file of ordinary
// size, the same behind a 10 MB line, and the profile functions on a real
// file (a read, a write that changes nothing, a write that changes a value).
//   ini_engine [google benchmark flags]
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/ini_text.h"
#include "platform/linux/ini_profile_functions.h"

namespace vigilo {
namespace {

// An INI file like the user's copy: a "System" and a "FILES" section, with
// comments, 60 keys in all.
std::string ordinaryFile() {
  std::string text = "; Brivant settings\r\n[System]\r\n";
  for (int i = 0; i < 20; ++i)
    text += "Key" + std::to_string(i) + "=value " + std::to_string(i) + "\r\n";
  text += "\r\n[FILES]\r\n";
  for (int i = 0; i < 40; ++i)
    text += "Path" + std::to_string(i) + "=/home/user/.local/share/Fennick Data as/Folder " +
            std::to_string(i) + "/\r\n";
  return text;
}

std::string fileBehindHugeLine() {
  return "[Junk]\r\nbig=" + std::string(10 << 20, 'x') + "\r\n" + ordinaryFile();
}

void BM_ReadLastKey(benchmark::State& state, const std::string& text) {
  for (auto _ : state)
    benchmark::DoNotOptimize(ini::readProfileString(text, "FILES", "Path39", "", 255));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void BM_EditValue(benchmark::State& state, const std::string& text) {
  for (auto _ : state) benchmark::DoNotOptimize(ini::editText(text, "FILES", "Path20", "changed"));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void BM_ReadOrdinary(benchmark::State& state) { BM_ReadLastKey(state, ordinaryFile()); }
void BM_ReadBehindHugeLine(benchmark::State& state) { BM_ReadLastKey(state, fileBehindHugeLine()); }
void BM_EditOrdinary(benchmark::State& state) { BM_EditValue(state, ordinaryFile()); }
void BM_EditBehindHugeLine(benchmark::State& state) { BM_EditValue(state, fileBehindHugeLine()); }
BENCHMARK(BM_ReadOrdinary);
BENCHMARK(BM_ReadBehindHugeLine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditOrdinary);
BENCHMARK(BM_EditBehindHugeLine)->Unit(benchmark::kMillisecond);

// A real file in a folder of its own, removed afterwards.
class TempIni {
 public:
  TempIni() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vigilo-bench-XXXXXX").string();
    if (mkdtemp(pattern.data())) folder_ = pattern;
    std::ofstream(path(), std::ios::binary) << ordinaryFile();
  }
  ~TempIni() { std::filesystem::remove_all(folder_); }
  std::string path() const { return folder_ + "/Brivant RB.ini"; }

 private:
  std::string folder_;
};

void BM_ProfileRead(benchmark::State& state) {
  TempIni ini;
  IniProfileFunctions profile;
  for (auto _ : state)
    benchmark::DoNotOptimize(
        profile.getPrivateProfileString("FILES", "Path39", "", 255, ini.path()));
}
BENCHMARK(BM_ProfileRead)->Unit(benchmark::kMicrosecond);

void BM_ProfileWriteUnchanged(benchmark::State& state) {
  TempIni ini;
  IniProfileFunctions profile;
  for (auto _ : state)
    profile.writePrivateProfileString("System", "Key7", std::string("value 7"), ini.path());
}
BENCHMARK(BM_ProfileWriteUnchanged)->Unit(benchmark::kMicrosecond);

void BM_ProfileWriteChanged(benchmark::State& state) {
  TempIni ini;
  IniProfileFunctions profile;
  int n = 0;
  for (auto _ : state)
    profile.writePrivateProfileString("System", "Key7", std::to_string(n++), ini.path());
}
BENCHMARK(BM_ProfileWriteChanged)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vigilo

BENCHMARK_MAIN();
