#pragma once

#include <string>
#include <vector>

namespace tallux {

enum class FontInstallAction {
    Installed,  // the file was written now
    Present,    // a file of that name was there already and is left alone
    Failed,     // the folder or the file could not be written
};

// "installed", "present", "failed".
const char* FontInstallActionName(FontInstallAction action);

// What happened to one barcode face.
struct BarcodeFontInstall {
    std::string face;
    std::string file;
    std::string path;  // the installed file's full path; empty without a font folder
    FontInstallAction action = FontInstallAction::Failed;
    bool found = false;  // fontconfig lists the face afterwards
};

// The user's own font folder for the program's fonts:
// $XDG_DATA_HOME/fonts/tallux/, by default ~/.local/share/fonts/tallux/ (a
// relative XDG_DATA_HOME is ignored, as fontconfig ignores it). Empty when
// there is neither an absolute XDG_DATA_HOME nor a HOME.
std::string BarcodeFontFolder();

// Makes the barcode faces available to every program of this user, without
// root: each face whose file is missing from BarcodeFontFolder() is written
// there (to a temporary file that is renamed in, so a half-written font is
// never seen), a present file is left as it is. Then fontconfig rescans the
// user's fonts and brings its cache up to date, and each face is looked up
// in a fresh fontconfig setup; the process's current fontconfig setup (the
// one the windows render with) is not touched. One entry per face in the
// order of kBarcodeFontFaces. Nothing is shown; callers report failures.
std::vector<BarcodeFontInstall> InstallBarcodeFonts();

// True when every face was installed or present and is found.
bool AllBarcodeFontsUsable(const std::vector<BarcodeFontInstall>& results);

}  // namespace tallux
