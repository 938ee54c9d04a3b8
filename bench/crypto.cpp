// Cipher and checksum speed against their references in the same run:
// Blowfish CBC deciphering (64 KB with one key schedule; 2 KB packets each paying a new key schedule, as the
// packet cipher does) against OpenSSL's Blowfish, MD5 against OpenSSL's MD5, and CRC-32 against zlib's crc32.
#include "core/BlowFish.h"
#include "core/Crc32.h"
#include "core/Md5.h"
#include "platform/device/ReferenceCipher.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <utility>
#include <vector>
#include <zlib.h>

namespace {

volatile uint32_t sink;

double TimeRuns(int runs, const std::function<void()>& work)
{
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < runs; ++i)
        work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Best MB/s of ours and of the reference over several samples taken in turn, so that both meet the same load
// of a shared machine.
std::pair<double, double> MegabytesPerSecond(size_t bytesPerRun, int runsPerSample, const std::function<void()>& ours,
                                             const std::function<void()>& reference)
{
    double best[2] = {0, 0};
    for (int sample = 0; sample < 9; ++sample) {
        for (int which = 0; which < 2; ++which) {
            double seconds = TimeRuns(runsPerSample, which == 0 ? ours : reference);
            double rate = (double)bytesPerRun * runsPerSample / seconds / 1e6;
            if (rate > best[which])
                best[which] = rate;
        }
    }
    return {best[0], best[1]};
}

void Report(const char* what, double ours, double reference, const char* referenceName)
{
    printf("%-44s %9.1f MB/s   %s %9.1f MB/s   ratio %.2f\n", what, ours, referenceName, reference, ours / reference);
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
        auto [a, b] = MegabytesPerSecond(
            data.size(), 40,
            [&] {
                ours.Decrypt(data.data(), out.data(), (uint32_t)data.size(), CBlowFish::MODE_CBC);
                sink = out[5];
            },
            [&] {
                reference.Decrypt(data.data(), out.data(), data.size(), 1, nullptr);
                sink = out[5];
            });
        Report("Blowfish CBC decipher, 64 KB", a, b, "OpenSSL");
    }
    {
        const size_t packet = 2048;
        auto [a, b] = MegabytesPerSecond(
            data.size(), 10,
            [&] {
                for (size_t off = 0; off < data.size(); off += packet) {
                    CBlowFish ours(key, keyLength, nullptr);
                    ours.Decrypt(data.data() + off, out.data() + off, packet, CBlowFish::MODE_CBC);
                }
                sink = out[5];
            },
            [&] {
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
        auto [a, b] = MegabytesPerSecond(
            big.size(), 20, [&] { sink = Crc32(big.data(), (uint32_t)big.size()); },
            [&] { sink = (uint32_t)crc32(0L, big.data(), (uInt)big.size()); });
        Report("CRC-32, 1 MB", a, b, "zlib");

        BYTE digest[16];
        auto [m, r] = MegabytesPerSecond(
            big.size(), 10,
            [&] {
                MD5Context context;
                MD5Init(&context);
                MD5Update(&context, big.data(), (uint32_t)big.size());
                MD5Final(&context, digest);
                sink = digest[3];
            },
            [&] {
                ReferenceMd5(big.data(), big.size(), digest);
                sink = digest[3];
            });
        printf("MD5 1 MB: ours %.1f MB/s, OpenSSL %.1f MB/s, ratio %.2f\n", m, r, m / r);
    }
    return 0;
}
