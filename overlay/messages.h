// The eight texts the main window shows: six invisible hot spots on its
// picture, the product's short name and the "?" glyph each answer a press
// with a message box over the blurred, darkened window.
#pragma once

#include <windows.h>

#include <cstdint>

using YesAction = void (*)();

struct MessageText {
    uint32_t controlId;     // the control whose press shows it
    const wchar_t* text;    // lines separated by CR LF
    const wchar_t* caption;
    UINT style;             // buttons and icon; the modality is added when shown
    YesAction onYes;        // run when the answer is Yes; null for none
};

// Build settings (CMake cache variables) that the texts carry.
extern const wchar_t kAuthorEmail[];
extern const wchar_t kAuthorQq[];
extern const wchar_t kMakerDomain[];
extern const wchar_t kMakerAddress[];  // the maker's page, opened from the about box

// The text the control shows, or null for a control that shows none.
const MessageText* messageFor(uint32_t controlId);

// Covers the main window with the blurred mask, shows the text in a message
// box the main window owns, runs onYes when the answer is Yes, and then
// removes every mask. Returns when the box is closed.
void ShowMessage(const wchar_t* text, const wchar_t* caption, UINT style, YesAction onYes);

// The handler of a press on one of the eight controls: shows its text.
void showMessageOf(uint32_t controlId);

// Opens the maker's page in the default browser; a failure goes unreported.
void openMakerPage();
