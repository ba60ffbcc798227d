// Loading and writing a settings file with many sections: the cost must grow
// in proportion to the file (a hand-made or damaged file may hold 100,000
// sections), not with its square.
#include <benchmark/benchmark.h>

#include <string>

#include "settings/ini_file.h"

namespace {

std::string Many_Sections(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += "[Section" + std::to_string(i) + "]\nKey=" + std::to_string(i) + "\n";
    return text;
}

void BM_Load_Sections(benchmark::State& state) {
    const std::string text = Many_Sections(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        tovan::Ini_File ini;
        ini.Load_Text(text);
        benchmark::DoNotOptimize(ini.Has_Section("Section1"));
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_Load_Sections)->RangeMultiplier(4)->Range(1 << 10, 1 << 17)->Complexity(benchmark::oN);

// What the settings writer does: erase the known sections, write them anew.
void BM_Rewrite_Sections(benchmark::State& state) {
    tovan::Ini_File ini;
    ini.Load_Text(Many_Sections(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        for (const char* s : {"Common", "Scope", "Trigger", "Calibrate", "Generator", "FFT", "Colors"}) {
            ini.Erase_Section(s);
            for (int k = 0; k < 10; ++k) ini.Write_Integer(s, "Key" + std::to_string(k), k);
        }
        benchmark::DoNotOptimize(ini.Text().size());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_Rewrite_Sections)->RangeMultiplier(4)->Range(1 << 10, 1 << 17)->Complexity(benchmark::oN);

}  // namespace
