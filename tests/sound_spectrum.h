// The strongest tones in a stretch of sound: a Hann-windowed discrete Fourier transform (a radix-2
// FFT of the first power-of-two samples), each peak placed between its bins by a parabola through
// the log magnitudes of its bin and the two beside it.
#pragma once
#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <vector>

struct SpectrumPeak {
    double hertz, magnitude;
};

// Magnitudes of the bins 0 to n/2 of the largest power of two of samples, taken from the start.
inline std::vector<double> Spectrum(const std::vector<double>& samples, size_t& n) {
    n = 1;
    while (n * 2 <= samples.size()) n *= 2;
    std::vector<std::complex<double>> x(n);
    const double pi = std::acos(-1.0);
    for (size_t i = 0; i < n; ++i)
        x[i] = samples[i] * (0.5 - 0.5 * std::cos(2 * pi * double(i) / double(n)));
    for (size_t i = 1, j = 0; i < n; ++i) { // bit-reversed order
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(x[i], x[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> w = std::polar(1.0, -2 * pi / double(len));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> wk = 1;
            for (size_t k = 0; k < len / 2; ++k, wk *= w) {
                const std::complex<double> a = x[i + k], b = x[i + k + len / 2] * wk;
                x[i + k] = a + b;
                x[i + k + len / 2] = a - b;
            }
        }
    }
    std::vector<double> magnitude(n / 2 + 1);
    for (size_t k = 0; k <= n / 2; ++k) magnitude[k] = std::abs(x[k]);
    return magnitude;
}

// The `count` strongest local maxima above `lowHertz`, strongest first.
inline std::vector<SpectrumPeak> StrongestTones(const std::vector<double>& samples, double rate,
                                                size_t count, double lowHertz = 20) {
    size_t n = 0;
    const std::vector<double> m = Spectrum(samples, n);
    std::vector<SpectrumPeak> peaks;
    const double binHertz = rate / double(n);
    for (size_t k = 2; k + 1 < m.size(); ++k) {
        if (double(k) * binHertz < lowHertz || m[k] <= m[k - 1] || m[k] < m[k + 1]) continue;
        const double a = std::log(m[k - 1] + 1e-12), b = std::log(m[k] + 1e-12),
                     c = std::log(m[k + 1] + 1e-12);
        const double shift = 0.5 * (a - c) / (a - 2 * b + c);
        peaks.push_back({(double(k) + shift) * binHertz, m[k]});
    }
    std::sort(peaks.begin(), peaks.end(), [](const SpectrumPeak& x, const SpectrumPeak& y) {
        return x.magnitude > y.magnitude;
    });
    if (peaks.size() > count) peaks.resize(count);
    return peaks;
}
