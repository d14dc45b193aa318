// Random pixel buffers and byte views for the effect tests.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

inline std::vector<uint32_t> randompixels(size_t n, uint32_t seed) {
    std::mt19937 gen(seed);
    std::vector<uint32_t> v(n);
    for (auto &p : v) p = gen();
    return v;
}
inline unsigned char *bytes(std::vector<uint32_t> &v) {
    return reinterpret_cast<unsigned char *>(v.data());
}
