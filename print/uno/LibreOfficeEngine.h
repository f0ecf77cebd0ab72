#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "print/SpreadsheetEngine.h"

namespace tallux {

// The spreadsheet engine on LibreOffice Calc, driven over UNO. One office
// process serves a whole run: started on the first Start, kept warm between
// workbooks, started again when it has died, and terminated by Shutdown or
// the destructor. It runs headless with a profile of its own under the
// program directory and listens on a pipe whose name is derived from that
// directory, so clients in other program directories never share it.
class LibreOfficeEngine : public SpreadsheetEngine {
public:
    struct Options {
        std::filesystem::path programDir;
        // Default: <programDir>/DATA_SYS/office-profile.
        std::filesystem::path profileDir;
        // Default: the office the project was built against.
        std::filesystem::path office;
        std::chrono::milliseconds startTimeout{60000};
        // NAME=value entries added to the office's environment (such as
        // CUPS_SERVER for another print server).
        std::vector<std::string> environment;
    };

    explicit LibreOfficeEngine(Options options);
    ~LibreOfficeEngine() override;
    LibreOfficeEngine(const LibreOfficeEngine&) = delete;
    LibreOfficeEngine& operator=(const LibreOfficeEngine&) = delete;

    bool Start() override;
    std::unique_ptr<SpreadsheetDocument> Open(const std::filesystem::path& file, bool readOnly) override;
    bool CreateEmpty(const std::filesystem::path& file) override;
    // The office stays up for the next workbook.
    void Quit() override {}

    // Terminates the office (bounded wait, then killed); a later Start
    // starts a new one.
    void Shutdown();
    // The office process started by this engine; 0 when there is none.
    pid_t OfficePid() const;

    static std::string PipeName(const std::filesystem::path& programDir);
    // The office binary used when Options::office is empty.
    static std::filesystem::path DefaultOffice();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tallux
