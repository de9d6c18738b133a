// What the benchmark programs share: registration with their common settings and a reporter
// that keeps each benchmark's median and counters for the summary against the goals.
#pragma once

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdio>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace benchreport {

inline constexpr int kRepetitions = 15;
inline constexpr double kMinTime = 0.2;

// Keeps the medians for the summary while the console shows every figure.
class Collector : public benchmark::ConsoleReporter {
public:
    Collector() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const bool single = run.repetitions <= 1 && run.aggregate_name.empty();
            // A run that failed or was skipped has no figure.
            if ((run.aggregate_name == "median" || single) && !run.error_occurred) {
                const std::string& name = run.run_name.function_name;
                const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
                medianMs[name] = run.GetAdjustedRealTime() / unit * 1e3;
                cpuMs[name] = run.GetAdjustedCPUTime() / unit * 1e3;
                for (const auto& [counterName, counter] : run.counters) {
                    counters[name + "." + counterName] = counter.value;
                }
            }
        }
    }
    // The median in milliseconds, 0 for a benchmark that did not run.
    double Ms(const std::string& name) const {
        const auto it = medianMs.find(name);
        return it == medianMs.end() ? 0.0 : it->second;
    }
    double Counter(const std::string& name) const {
        const auto it = counters.find(name);
        return it == counters.end() ? 0.0 : it->second;
    }

    // The median's processor time in milliseconds, 0 for a benchmark that did not run.
    double CpuMs(const std::string& name) const {
        const auto it = cpuMs.find(name);
        return it == cpuMs.end() ? 0.0 : it->second;
    }

    std::map<std::string, double> medianMs;
    std::map<std::string, double> cpuMs;
    std::map<std::string, double> counters;
};

template <typename F>
benchmark::internal::Benchmark* Add(const std::string& name, F f) {
    return benchmark::RegisterBenchmark(name.c_str(), f)
        ->Repetitions(kRepetitions)
        ->ReportAggregatesOnly(true)
        ->MinTime(kMinTime)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

// A field of /proc/self/status in kB ("VmRSS", "VmHWM").
inline long StatusKb(const char* name) {
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QByteArray key = QByteArray(name) + ':';
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith(key)) {
            return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
        }
    }
    return 0;
}

// Sets the peak resident memory back to the present one (Linux 4.0 and later).
inline void ResetPeak() {
    QFile file(QStringLiteral("/proc/self/clear_refs"));
    if (file.open(QIODevice::WriteOnly)) {
        file.write("5");
    }
}

inline const char* Verdict(bool ok) {
    return ok ? "ok" : "MISSED";
}

// A time goal of the summary: the line's label, the benchmark's name, the most it may take.
struct Goal {
    const char* label;
    const char* name;
    double goalMs;
};

// The summary: one line per goal with the median, the goal, ok or MISSED and the processor time.
inline void PrintGoals(const Collector& c, std::initializer_list<Goal> goals,
                       int repetitions = kRepetitions) {
    std::printf("\nSummary (medians of %d repetitions)\n", repetitions);
    for (const Goal& g : goals) {
        const double v = c.Ms(g.name);
        std::printf("  %s %8.1f ms   goal <= %.0f ms   %s   (cpu %.1f ms)\n", g.label, v, g.goalMs,
                    Verdict(v > 0 && v <= g.goalMs), c.CpuMs(g.name));
    }
}

}  // namespace benchreport
