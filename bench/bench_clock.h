#pragma once
// Wall-clock timing for the benchmarks.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace bench {

inline double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Best of several runs, so a busy moment of the machine does not count.
inline double Best(int runs, std::function<void()> const& work) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        double start = Now();
        work();
        double t = Now() - start;
        best = t < best ? t : best;
    }
    return best;
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n == 0 ? 0.0 : (n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2);
}

// Result lines go to a file of their own: the programs measured share the console.
class Report {
public:
    explicit Report(wchar_t const* path) : m_file(_wfopen(path, L"a")) {}
    ~Report() {
        if (m_file) {
            fclose(m_file);
        }
    }
    Report(Report const&) = delete;
    Report& operator=(Report const&) = delete;
    template <class... Args> void Line(char const* format, Args... args) {
        if (m_file) {
            fprintf(m_file, format, args...);
            fputc('\n', m_file);
            fflush(m_file);
        }
    }

private:
    FILE* m_file;
};

} // namespace bench
