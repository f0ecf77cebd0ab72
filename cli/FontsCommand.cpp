#include "cli/FontsCommand.h"

#include <ostream>

#include "app/fonts/BarcodeFontInstaller.h"
#include "cli/JsonObjectWriter.h"

namespace tallux {

int InstallFontsCommand(std::ostream& out, std::ostream& err) {
    const std::vector<BarcodeFontInstall> results = InstallBarcodeFonts();
    for (const BarcodeFontInstall& result : results) {
        out << "{\"face\":" << JsonQuote(result.face) << ",\"file\":" << JsonQuote(result.file)
            << ",\"path\":" << JsonQuote(result.path)
            << ",\"action\":" << JsonQuote(FontInstallActionName(result.action))
            << ",\"found\":" << (result.found ? "true" : "false") << "}\n";
        if (result.action == FontInstallAction::Failed)
            err << "tallux-cli: " << result.face << ": " << result.file << " could not be written to "
                << (result.path.empty() ? std::string("the font folder (no HOME)") : result.path) << '\n';
        else if (!result.found)
            err << "tallux-cli: " << result.face << ": fontconfig does not list the face\n";
    }
    return AllBarcodeFontsUsable(results) ? 0 : 1;
}

}  // namespace tallux
