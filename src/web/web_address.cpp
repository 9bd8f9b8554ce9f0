#include "web/web_address.h"

#include <windows.h>
#include <shellapi.h>

#include <optional>

#include "lang/language_archive.h"

WebRegion CurrentWebRegion() {
    TIME_ZONE_INFORMATION zone{};
    // Only a non-zero answer counts as a known zone. Note that 0 (TIME_ZONE_ID_UNKNOWN) is also
    // the answer for a zone without daylight saving time, such as plain UTC: such a machine is
    // sent to the international site whatever its bias.
    std::optional<long> bias;
    if (GetTimeZoneInformation(&zone) != 0) bias = zone.Bias;
    return ChooseWebRegion(CurrentLanguageIndex(), bias);
}

std::wstring WebRoot() { return WebRootFor(CurrentWebRegion()); }

bool OpenWebAddress(const std::wstring& address) { return OpenWebAddress(address, SW_SHOW); }

bool OpenWebAddress(const std::wstring& address, int showCommand) {
    const std::wstring target = ReplaceMakerHosts(address, CurrentWebRegion());
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, showCommand);
    return reinterpret_cast<INT_PTR>(result) > 32;
}
