#include "ui/settings_dialog_texts.h"

#include "lang/language_archive.h"

namespace {

// A text the archive lacks reads as empty.
std::wstring Text(int id) {
    const wchar_t* text = LangText(id);
    return text != nullptr ? std::wstring(text) : std::wstring();
}

std::wstring Heading(int id) { return Text(id) + L": "; }

std::wstring TrimBlanks(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos) return std::wstring();
    return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

}  // namespace

SettingsDialogTexts BuildSettingsDialogTexts(bool portable) {
    SettingsDialogTexts texts;
    const wchar_t* programTitle = LangHeaderText(19);
    texts.title = std::wstring(programTitle != nullptr ? programTitle : L"Orbelin") + L" - x64";
    if (portable) texts.title += L" - Portable";

    texts.sizeHeading = Heading(26);
    texts.opacityHeading = Heading(28);
    texts.sourceHeading = Heading(84);
    texts.aspectHeading = Heading(88);
    texts.rotateSpeedHeading = Heading(66);
    texts.intervalHeading = TrimBlanks(Text(85)) + L": ";
    texts.deactivationHeading = Heading(38);
    texts.intervalUnit = Text(86);

    texts.fixedPosition = Text(29);
    texts.fixedPositionTip = Text(100);
    texts.disable = Text(53);
    texts.centre = Text(27);
    texts.startWithWindows = Text(32);

    const std::wstring cube = Text(70);
    const std::wstring rockingCube = Text(71);
    const std::wstring square = Text(72);
    texts.objectTypes = {cube,        cube + L" (2)",        cube + L" (3)",  rockingCube,
                         rockingCube + L" (2)", rockingCube + L" (3)", square, square + L" (2)"};

    const std::wstring onTop = Text(31);
    const std::wstring onDesktop = Text(11);
    const std::wstring forced = L" + " + Text(10);
    texts.stackingModes = {onTop, onTop + forced, onDesktop, onDesktop + forced, Text(244) + L" + ???"};

    texts.pictureSources = {Text(81), Text(82), Text(83)};
    texts.aspectModes = {Text(89) + L" ", Text(90) + L" "};
    texts.deactivationModes = {Text(34), Text(35), Text(36), Text(37)};
    const std::wstring secondsUnit = Text(67);
    for (int seconds = kFirstDeactivationSecond; seconds <= kLastDeactivationSecond; ++seconds) {
        texts.deactivationSeconds.push_back(std::to_wstring(seconds) + L" " + secondsUnit);
    }

    texts.donate = Text(25);
    texts.exit = Text(52);
    texts.toTray = Text(51);
    return texts;
}

std::wstring SizeLabel(int pixels) { return std::to_wstring(pixels); }

std::wstring OpacityLabel(int opacityPosition) { return PercentLabel(100 - opacityPosition); }

std::wstring PercentLabel(int percent) { return std::to_wstring(percent) + L" %"; }

std::wstring IntervalLabel(int seconds, const std::wstring& unit) { return std::to_wstring(seconds) + L" " + unit; }
