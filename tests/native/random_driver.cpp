// Stands in for libFuzzer where it is missing: feeds the fuzz target random
// byte strings, drawn mostly from the bytes the rules care about, and small
// mutations of boundary values, until the time given as
// -max_total_time=SECONDS (default 20) has passed.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    double seconds = 20;
    unsigned seed = std::random_device{}();
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "-max_total_time=", 16) == 0) seconds = std::atof(argv[i] + 16);
        else if (std::strncmp(argv[i], "-seed=", 6) == 0) seed = static_cast<unsigned>(std::atol(argv[i] + 6));
    }
    std::printf("random driver: seed %u, %.0f s\n", seed, seconds);
    std::mt19937 rng(seed);
    static const char interesting[] = "0123456789abcdefxX$+- :\\.\"\xA2\xA3\x81\x83\x95\x9F\xE0\xFC\x5C";
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    static const char* const seeds[] = {"2147483647", "-2147483648", "$FFFFFFFF", "0x7fffffff",
                                        "  $00000001", "\xA2\xA3", "C:\\\x83\x5C\\\x95\x5C.EXE"};
    auto byte = [&] {
        return rng() % 4 ? static_cast<uint8_t>(interesting[rng() % (sizeof interesting - 1)])
                         : static_cast<uint8_t>(rng());
    };
    std::vector<uint8_t> input;
    unsigned long runs = 0;
    while (std::chrono::steady_clock::now() < end) {
        for (int batch = 0; batch < 1000; ++batch, ++runs) {
            if (rng() % 2) {
                input.resize(rng() % 48);
                for (uint8_t& b : input) b = byte();
            } else {
                // A boundary value with a few bytes nudged, replaced, inserted or dropped.
                const char* seed = seeds[rng() % (sizeof seeds / sizeof seeds[0])];
                input.assign(seed, seed + std::strlen(seed));
                for (unsigned edits = 1 + rng() % 3; edits > 0; --edits) {
                    const std::size_t at = input.empty() ? 0 : rng() % input.size();
                    switch (rng() % 4) {
                    case 0: if (!input.empty()) input[at] = static_cast<uint8_t>(input[at] + (rng() % 2 ? 1 : -1)); break;
                    case 1: if (!input.empty()) input[at] = byte(); break;
                    case 2: input.insert(input.begin() + static_cast<std::ptrdiff_t>(at), byte()); break;
                    default: if (!input.empty()) input.erase(input.begin() + static_cast<std::ptrdiff_t>(at)); break;
                    }
                }
            }
            LLVMFuzzerTestOneInput(input.data(), input.size());
        }
    }
    std::printf("random driver: %lu inputs, no failure\n", runs);
    return 0;
}
