#include "domain/Uuid.h"

#include <array>
#include <random>

namespace zelvorin {

namespace {

std::mt19937_64 seededEngine() {
    std::random_device device;
    std::array<std::uint32_t, 8> seed{};
    for (auto& word : seed)
        word = device();
    std::seed_seq sequence(seed.begin(), seed.end());
    return std::mt19937_64(sequence);
}

// splitmix64's finaliser: spreads the counter's bits so that neighbouring ids differ in their tail.
std::uint64_t mix(std::uint64_t x) {
    x ^= x >> 30;
    x *= 0xbf58476d1ce4e5b9ULL;
    x ^= x >> 27;
    x *= 0x94d049bb133111ebULL;
    x ^= x >> 31;
    return x;
}

std::string formatUuid(std::uint64_t high, std::uint64_t low) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    text.reserve(36);
    auto appendBits = [&](std::uint64_t bits, int nibbles) {
        for (int i = nibbles - 1; i >= 0; --i)
            text.push_back(kHex[(bits >> (4 * i)) & 0xF]);
    };
    appendBits(high >> 32, 8);
    text.push_back('-');
    appendBits(high >> 16, 4);
    text.push_back('-');
    appendBits(high, 4);
    text.push_back('-');
    appendBits(low >> 48, 4);
    text.push_back('-');
    appendBits(low, 12);
    return text;
}

constexpr std::uint64_t kVariantMask = 0x3FFFFFFFFFFFFFFFULL;  // low 62 bits
constexpr std::uint64_t kVariantBits = 0x8000000000000000ULL;  // "10": RFC 9562 variant

}  // namespace

std::string randomUuid() {
    thread_local std::mt19937_64 engine = seededEngine();
    const std::uint64_t high = (engine() & ~0xF000ULL) | 0x4000ULL;
    const std::uint64_t low = (engine() & kVariantMask) | kVariantBits;
    return formatUuid(high, low);
}

std::string uuidV7(TimePoint time, std::uint64_t counter) {
    const auto millis = std::chrono::floor<std::chrono::milliseconds>(time).time_since_epoch().count();
    const std::uint64_t unixMillis = static_cast<std::uint64_t>(millis) & 0xFFFFFFFFFFFFULL;
    // The 74 bits after the version are the counter followed by 10 bits mixed from it, so ids of
    // one millisecond sort by counter and the whole id is a function of (time, counter).
    const std::uint64_t randA = counter >> 52;
    const std::uint64_t randB = ((counter & 0xFFFFFFFFFFFFFULL) << 10) | (mix(counter) & 0x3FF);
    const std::uint64_t high = (unixMillis << 16) | 0x7000ULL | randA;
    const std::uint64_t low = kVariantBits | (randB & kVariantMask);
    return formatUuid(high, low);
}

}  // namespace zelvorin
