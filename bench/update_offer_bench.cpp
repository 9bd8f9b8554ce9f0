// The update check on a page that offers a program file. Two lines:
// - checking a 4 MiB offer (read the fields, decode the Base64, SHA-256, time) against hashing
//   the same bytes alone: what the checks cost beyond the digest they must compute anyway;
// - refusing an offer of 48 MiB, past the 32 MiB limit, against only reading the fields of its
//   page: the refusal decodes nothing, so it costs no more than finding the fields.
#include <windows.h>

#include <string>
#include <vector>

#include "bench_report.h"
#include "browser/setup_test_support.h"
#include "browser/update_fields.h"
#include "browser/update_offer.h"

namespace {

constexpr uint64_t kTime = 1765432100;

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int rounds = 9;
    for (int i = 1; i < argc; ++i) ReadCountArgument(argv[i], L"rounds=", rounds);

    const std::vector<uint8_t> program = SomeProgramBytes(4 * 1024 * 1024);
    const std::wstring page = OfferDocument(GoodOffer(program, kTime), L"\r\n");
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

    const std::wstring oversized = OfferDocument(GoodOffer(SomeProgramBytes(48 * 1024 * 1024), kTime), L"\r\n");
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
