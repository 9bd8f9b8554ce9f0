// The update check on a page that offers a program file. Two lines:
// - checking a 4 MiB offer (read the fields, decode the Base64, SHA-256, time) against hashing
//   the same bytes alone: what the checks cost beyond the digest they must compute anyway;
// - refusing an offer of 48 MiB, past the 32 MiB limit, against only reading the fields of its
//   page: the refusal decodes nothing, so it costs no more than finding the fields.
#include <windows.h>
#include <wincrypt.h>

#include <string>
#include <vector>

#include "bench_report.h"
#include "setup/update_fields.h"
#include "setup/update_offer.h"

namespace {

constexpr uint64_t kTime = 1765432100;

// The platform's encoder; the program decodes with the platform's decoder.
std::wstring Base64Of(const std::vector<uint8_t>& bytes) {
    DWORD length = 0;
    const DWORD flags = CRYPT_STRING_BASE64 | CRYPT_STRING_NOCRLF;
    if (!CryptBinaryToStringW(bytes.data(), static_cast<DWORD>(bytes.size()), flags, nullptr, &length)) return L"";
    std::wstring text(length, L'\0');
    if (!CryptBinaryToStringW(bytes.data(), static_cast<DWORD>(bytes.size()), flags, text.data(), &length)) return L"";
    text.resize(length);
    return text;
}

std::vector<uint8_t> SomeBytes(size_t size) {
    std::vector<uint8_t> bytes(size);
    uint32_t state = 7;
    for (uint8_t& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<uint8_t>(state >> 16);
    }
    return bytes;
}

std::wstring OfferPage(const std::vector<uint8_t>& program) {
    const std::wstring base64 = Base64Of(program);
    const std::string time = std::to_string(kTime);
    return L"<html><body><pre>\r\nVersion-Info=2.0.0\r\nNew-Version-SHA256=" +
           Sha256Hex(program.data(), program.size()) + L"\r\nNew-Version-Base64_len=" + std::to_wstring(base64.size()) +
           L"\r\nNew-Version-len=" + std::to_wstring(program.size()) + L"\r\nNew-Version=" + base64 +
           L"\r\ntime_base_64=" + Base64Of(std::vector<uint8_t>(time.begin(), time.end())) +
           L"\r\n</pre></body></html>\r\n";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int rounds = 9;
    for (int i = 1; i < argc; ++i) ReadCountArgument(argv[i], L"rounds=", rounds);

    const std::vector<uint8_t> program = SomeBytes(4 * 1024 * 1024);
    const std::wstring page = OfferPage(program);
    std::vector<double> check, digest;
    for (int round = 0; round < rounds; ++round) {
        Stopwatch work;
        const OfferCheck offer = CheckUpdateOffer(ParseUpdateFields(page), kTime);
        check.push_back(work.Milliseconds());
        if (offer.verdict != OfferVerdict::kAccepted) {
            std::printf("the offer was refused\n");
            return 1;
        }
        Stopwatch reference;
        if (Sha256Hex(program.data(), program.size()).empty()) return 1;
        digest.push_back(reference.Milliseconds());
    }
    PrintBenchLine("update_offer_check_4MiB", check, digest, "ms");

    const std::wstring oversized = OfferPage(SomeBytes(48 * 1024 * 1024));
    std::vector<double> refusal, reading;
    for (int round = 0; round < rounds; ++round) {
        Stopwatch work;
        const OfferCheck offer = CheckUpdateOffer(ParseUpdateFields(oversized), kTime);
        refusal.push_back(work.Milliseconds());
        if (offer.verdict != OfferVerdict::kRefused || !offer.program.empty()) {
            std::printf("the oversized offer was not refused\n");
            return 1;
        }
        Stopwatch reference;
        const UpdateFields fields = ParseUpdateFields(oversized);
        reading.push_back(reference.Milliseconds());
        if (!fields.program) return 1;
    }
    PrintBenchLine("update_offer_refuse_48MiB", refusal, reading, "ms");
    return 0;
}
