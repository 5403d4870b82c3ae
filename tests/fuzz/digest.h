// A running FNV-1a digest of a session's answers, so that two sessions over
// the same case can be compared without keeping the answers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

struct Digest {
    std::uint64_t value = 1469598103934665603ULL;

    void bytes(const void *data, std::size_t size)
    {
        const unsigned char *p = static_cast<const unsigned char *>(data);
        for (std::size_t i = 0; i < size; ++i)
            value = (value ^ p[i]) * 1099511628211ULL;
    }
    template <typename T>
    void add(const T &v)
    {
        bytes(&v, sizeof v);
    }
    // The text up to its end or `limit` bytes, and a separator.
    void text(const char *s, std::size_t limit)
    {
        bytes(s, strnlen(s, limit));
        add('\0');
    }
};
