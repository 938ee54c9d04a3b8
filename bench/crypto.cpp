// Cipher and checksum speed against their references in the same run:
// Blowfish CBC deciphering (64 KB with one key schedule; 2 KB packets each paying a new key schedule, as the
// packet cipher does) against OpenSSL's Blowfish, and CRC-32 against zlib's crc32.
#include "core/BlowFish.h"
#include "core/Crc32.h"
#include "platform/device/ReferenceCipher.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>
#include <zlib.h>

namespace {

volatile uint32_t sink;

// Best MB/s over several timed runs of work that handles bytesPerRun bytes.
double MegabytesPerSecond(size_t bytesPerRun, int runsPerSample, const std::function<void()>& work)
{
    double best = 0;
    for (int sample = 0; sample < 7; ++sample) {
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < runsPerSample; ++i)
            work();
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        double rate = (double)bytesPerRun * runsPerSample / seconds / 1e6;
        if (rate > best)
            best = rate;
    }
    return best;
}

void Report(const char* what, double ours, double reference, const char* referenceName)
{
    printf("%-44s %9.1f MB/s   %s %9.1f MB/s   ratio %.2f\n", what, ours, referenceName, reference,
           ours / reference);
}

} // namespace

int main()
{
    std::mt19937 rng(1);
    std::vector<BYTE> data(64 * 1024);
    for (auto& b : data)
        b = (BYTE)rng();
    std::vector<BYTE> out(data.size());
    const char key[] = "Q2xpZW50S2V5MTY="; // 16 characters, like a session key
    const uint32_t keyLength = 16;

    {
        CBlowFish ours(key, keyLength, nullptr);
        ReferenceBlowfish reference((const BYTE*)key, keyLength);
        double a = MegabytesPerSecond(data.size(), 40, [&] {
            ours.Decrypt(data.data(), out.data(), (uint32_t)data.size(), CBlowFish::MODE_CBC);
            sink = out[5];
        });
        double b = MegabytesPerSecond(data.size(), 40, [&] {
            reference.Decrypt(data.data(), out.data(), data.size(), 1, nullptr);
            sink = out[5];
        });
        Report("Blowfish CBC decipher, 64 KB", a, b, "OpenSSL");
    }
    {
        const size_t packet = 2048;
        double a = MegabytesPerSecond(data.size(), 10, [&] {
            for (size_t off = 0; off < data.size(); off += packet) {
                CBlowFish ours(key, keyLength, nullptr);
                ours.Decrypt(data.data() + off, out.data() + off, packet, CBlowFish::MODE_CBC);
            }
            sink = out[5];
        });
        double b = MegabytesPerSecond(data.size(), 10, [&] {
            for (size_t off = 0; off < data.size(); off += packet) {
                ReferenceBlowfish reference((const BYTE*)key, keyLength);
                reference.Decrypt(data.data() + off, out.data() + off, packet, 1, nullptr);
            }
            sink = out[5];
        });
        Report("Blowfish CBC decipher, 2 KB packets + key", a, b, "OpenSSL");
    }
    {
        std::vector<BYTE> big(1 << 20);
        for (auto& b : big)
            b = (BYTE)rng();
        double a = MegabytesPerSecond(big.size(), 20, [&] { sink = Crc32(big.data(), (uint32_t)big.size()); });
        double b = MegabytesPerSecond(big.size(), 20, [&] { sink = (uint32_t)crc32(0L, big.data(), (uInt)big.size()); });
        Report("CRC-32, 1 MB", a, b, "zlib");
    }
    return 0;
}
