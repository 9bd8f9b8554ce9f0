#include "ui/settings_dialog_texts.h"

#include "lang/language_archive.h"

namespace {

std::wstring Heading(int id) { return LangString(id) + L": "; }

std::wstring TrimBlanks(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos) return std::wstring();
    return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

}  // namespace

SettingsDialogTexts BuildSettingsDialogTexts(bool portable) {
    SettingsDialogTexts texts;
    texts.title = LangHeaderString(19) + L" - x64";
    if (portable) texts.title += L" - Portable";

    texts.sizeHeading = Heading(26);
    texts.opacityHeading = Heading(28);
    texts.sourceHeading = Heading(84);
    texts.aspectHeading = Heading(88);
    texts.rotateSpeedHeading = Heading(66);
    texts.intervalHeading = TrimBlanks(LangString(85)) + L": ";
    texts.deactivationHeading = Heading(38);
    texts.intervalUnit = LangString(86);

    texts.fixedPosition = LangString(29);
    texts.fixedPositionTip = LangString(100);
    texts.disable = LangString(53);
    texts.centre = LangString(27);
    texts.startWithWindows = LangString(32);

    const std::wstring cube = LangString(70);
    const std::wstring rockingCube = LangString(71);
    const std::wstring square = LangString(72);
    texts.objectTypes = {cube,        cube + L" (2)",        cube + L" (3)",  rockingCube,
                         rockingCube + L" (2)", rockingCube + L" (3)", square, square + L" (2)"};

    const std::wstring onTop = LangString(31);
    const std::wstring onDesktop = LangString(11);
    const std::wstring forced = L" + " + LangString(10);
    texts.stackingModes = {onTop, onTop + forced, onDesktop, onDesktop + forced, LangString(244) + L" + ???"};

    texts.pictureSources = {LangString(81), LangString(82), LangString(83)};
    texts.aspectModes = {LangString(89) + L" ", LangString(90) + L" "};
    texts.deactivationModes = {LangString(34), LangString(35), LangString(36), LangString(37)};
    const std::wstring secondsUnit = LangString(67);
    for (int seconds = kFirstDeactivationSecond; seconds <= kLastDeactivationSecond; ++seconds) {
        texts.deactivationSeconds.push_back(std::to_wstring(seconds) + L" " + secondsUnit);
    }

    texts.donate = LangString(25);
    texts.exit = LangString(52);
    texts.toTray = LangString(51);
    return texts;
}

std::wstring SizeLabel(int pixels) { return std::to_wstring(pixels); }

std::wstring OpacityLabel(int opacityPosition) { return PercentLabel(100 - opacityPosition); }

std::wstring PercentLabel(int percent) { return std::to_wstring(percent) + L" %"; }

std::wstring IntervalLabel(int seconds, const std::wstring& unit) { return std::to_wstring(seconds) + L" " + unit; }
