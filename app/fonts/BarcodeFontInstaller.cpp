#include "app/fonts/BarcodeFontInstaller.h"

#include <unistd.h>
#include <fontconfig/fontconfig.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/fonts/BarcodeFonts.h"

namespace tallux {

namespace fs = std::filesystem;

namespace {

// Writes bytes to target through a temporary file in the same folder, so
// that the target appears whole or not at all.
bool WriteWhole(const fs::path& target, const std::string& bytes) {
    const fs::path temporary =
        target.parent_path() / ("." + target.filename().string() + ".part-" + std::to_string(getpid()));
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code error;
    fs::rename(temporary, target, error);
    if (error) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return false;
    }
    return true;
}

FontInstallAction InstallOne(const fs::path& folder, const BarcodeFontFace& face) {
    if (folder.empty()) return FontInstallAction::Failed;
    const fs::path target = folder / face.file;
    std::error_code error;
    // Anything of that name counts as present, as it did on the first
    // install: the user's own copy is never replaced.
    if (fs::exists(fs::symlink_status(target, error))) return FontInstallAction::Present;
    const std::string bytes = BarcodeFontBytes(face);
    if (bytes.empty()) return FontInstallAction::Failed;
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder)) return FontInstallAction::Failed;
    return WriteWhole(target, bytes) ? FontInstallAction::Installed : FontInstallAction::Failed;
}

// Looks each face up in a fontconfig setup of its own: loading it rescans
// every font folder that changed and rewrites its cache, so other programs
// (the office among them) see the new files at once.
void FindFaces(std::vector<BarcodeFontInstall>& results) {
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config) return;
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_FILE, static_cast<char*>(nullptr));
    for (BarcodeFontInstall& result : results) {
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(result.face.c_str()));
        FcFontSet* fonts = FcFontList(config, pattern, objects);
        result.found = fonts && fonts->nfont > 0;
        if (fonts) FcFontSetDestroy(fonts);
        FcPatternDestroy(pattern);
    }
    FcObjectSetDestroy(objects);
    FcConfigDestroy(config);
}

}  // namespace

const char* FontInstallActionName(FontInstallAction action) {
    switch (action) {
    case FontInstallAction::Installed: return "installed";
    case FontInstallAction::Present: return "present";
    case FontInstallAction::Failed: break;
    }
    return "failed";
}

std::string BarcodeFontFolder() {
    fs::path data;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (xdg && fs::path(xdg).is_absolute()) {
        data = xdg;
    } else if (home && *home) {
        data = fs::path(home) / ".local" / "share";
    } else {
        return {};
    }
    return (data / "fonts" / "tallux").string() + "/";
}

std::vector<BarcodeFontInstall> InstallBarcodeFonts() {
    const std::string folderText = BarcodeFontFolder();
    const fs::path folder(folderText);
    std::vector<BarcodeFontInstall> results;
    for (const BarcodeFontFace& face : kBarcodeFontFaces) {
        BarcodeFontInstall result;
        result.face = face.face;
        result.file = face.file;
        if (!folderText.empty()) result.path = (folder / face.file).string();
        result.action = InstallOne(folder, face);
        results.push_back(std::move(result));
    }
    FindFaces(results);
    return results;
}

bool AllBarcodeFontsUsable(const std::vector<BarcodeFontInstall>& results) {
    for (const BarcodeFontInstall& result : results)
        if (result.action == FontInstallAction::Failed || !result.found) return false;
    return true;
}

}  // namespace tallux
