#include "ui/settings_dialog_texts.h"

#include "lang/language_archive.h"
#include "lang/text_ids.h"

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
    texts.title = LangHeaderString(kHeaderProgramTitle) + L" - x64";
    if (portable) texts.title += L" - Portable";

    texts.sizeHeading = Heading(kTextSize);
    texts.opacityHeading = Heading(kTextTransparency);
    texts.sourceHeading = Heading(kTextPictureSource);
    texts.aspectHeading = Heading(kTextAspectRatio);
    texts.rotateSpeedHeading = Heading(kTextRotationSpeed);
    texts.intervalHeading = TrimBlanks(LangString(kTextPictureInterval)) + L": ";
    texts.deactivationHeading = Heading(kTextDeactivation);
    texts.intervalUnit = LangString(kTextSecondsShort);

    texts.fixedPosition = LangString(kTextFixedPosition);
    texts.fixedPositionTip = LangString(kTextFixedPositionTip);
    texts.shuffle = LangString(kTextShuffle);
    texts.disable = LangString(kTextDisable);
    texts.centre = LangString(kTextCentre);
    texts.startWithWindows = LangString(kTextStartWithWindows);

    const std::wstring cube = LangString(kTextCube);
    const std::wstring rockingCube = LangString(kTextRockingCube);
    const std::wstring square = LangString(kTextSquare);
    texts.objectTypes = {cube,        cube + L" (2)",        cube + L" (3)",  rockingCube,
                         rockingCube + L" (2)", rockingCube + L" (3)", square, square + L" (2)"};

    const std::wstring onTop = LangString(kTextAlwaysOnTop);
    const std::wstring onDesktop = LangString(kTextOnlyOnDesktop);
    const std::wstring forced = L" + " + LangString(kTextForced);
    texts.stackingModes = {onTop, onTop + forced, onDesktop, onDesktop + forced, LangString(kTextFaq) + L" + ???"};

    texts.pictureSources = {LangString(kTextSamplePictures), LangString(kTextPicturesFromFolder),
                            LangString(kTextIndividualPictures)};
    texts.aspectModes = {LangString(kTextKeepAspect) + L" ", LangString(kTextKeepAndStretch) + L" "};
    texts.deactivationModes = {LangString(kTextDeactivateNever), LangString(kTextDeactivateOnMouse),
                               LangString(kTextDeactivateOnKey), LangString(kTextDeactivateOnKeyOrMouse)};
    const std::wstring secondsUnit = LangString(kTextDeactivationSecondsUnit);
    for (int seconds = kFirstDeactivationSecond; seconds <= kLastDeactivationSecond; ++seconds) {
        texts.deactivationSeconds.push_back(std::to_wstring(seconds) + L" " + secondsUnit);
    }

    texts.donate = LangString(kTextDonate);
    texts.exit = LangString(kTextExit);
    texts.toTray = LangString(kTextToTray);
    return texts;
}

std::wstring SizeLabel(int pixels) { return std::to_wstring(pixels); }

std::wstring OpacityLabel(int opacityPosition) { return PercentLabel(100 - opacityPosition); }

std::wstring PercentLabel(int percent) { return std::to_wstring(percent) + L" %"; }

std::wstring IntervalLabel(int seconds, const std::wstring& unit) { return std::to_wstring(seconds) + L" " + unit; }
