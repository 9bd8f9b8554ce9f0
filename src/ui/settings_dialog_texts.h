#pragma once

#include <string>
#include <vector>

// Every text of the settings dialog in the current language, built in one place so that a
// language change can set them all again. Plain data; the dialog puts it into its controls.
struct SettingsDialogTexts {
    std::wstring title;

    std::wstring sizeHeading;
    std::wstring opacityHeading;
    std::wstring sourceHeading;
    std::wstring aspectHeading;
    std::wstring rotateSpeedHeading;
    std::wstring intervalHeading;
    std::wstring deactivationHeading;
    std::wstring intervalUnit;

    std::wstring fixedPosition;
    std::wstring fixedPositionTip;
    std::wstring shuffle;
    std::wstring disable;
    std::wstring centre;
    std::wstring startWithWindows;

    // List entries; the position of an entry is the stored value.
    std::vector<std::wstring> objectTypes;
    std::vector<std::wstring> stackingModes;  // the last entry opens the FAQ, it is no setting
    std::vector<std::wstring> pictureSources;
    std::vector<std::wstring> aspectModes;
    std::vector<std::wstring> deactivationModes;
    std::vector<std::wstring> deactivationSeconds;  // "5 ..." to "59 ...": the leading number is the value

    // Toolbar buttons.
    std::wstring donate;
    std::wstring exit;
    std::wstring toTray;
};

inline constexpr int kStackingFaqEntry = 4;
inline constexpr int kFirstDeactivationSecond = 5;
inline constexpr int kLastDeactivationSecond = 59;

// The dialog's texts from the language archive. `portable` adds " - Portable" to the title.
SettingsDialogTexts BuildSettingsDialogTexts(bool portable);

// Value labels beside the sliders.
std::wstring SizeLabel(int pixels);                              // "400"
std::wstring OpacityLabel(int opacityPosition);                  // 100 minus the position: "25 %"
std::wstring PercentLabel(int percent);                          // "7 %"
std::wstring IntervalLabel(int seconds, const std::wstring& unit);  // "10 sec."
