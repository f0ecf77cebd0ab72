// Timed driver: label workbooks filled and printed through one warm office,
// as the label page prints a batch. Each document is opened from the
// template's bytes, filled with 24 texts, a Code 128 and a QR picture,
// printed, saved and closed; its workbook and picture files are removed.
// Prints the cold start (a fresh profile, then an existing one) beside the
// time per document.
//
//   tallux-bench-print [--count N] [--no-print]
//
// Run as root with cups and printer-driver-cups-pdf installed it prints to
// a CUPS-PDF queue of a private cupsd (the PDFs land in ~/PDF and are
// removed); otherwise, or with --no-print, documents are only filled.

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "print/BarcodeFiles.h"
#include "print/Code128Bitmap.h"
#include "print/ExcelWorkbook.h"
#include "print/QrBitmap.h"
#include "print/uno/LibreOfficeEngine.h"
#include "tests/print/uno/PrivateCups.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace tallux;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

struct Stats {
    double mean = 0, median = 0, max = 0;
};

Stats Summarise(std::vector<double> times) {
    Stats stats;
    if (times.empty()) return stats;
    for (double t : times) stats.mean += t / static_cast<double>(times.size());
    std::sort(times.begin(), times.end());
    stats.median = times[times.size() / 2];
    stats.max = times.back();
    return stats;
}

// One label of shipment i; false when any step failed.
bool PrintLabel(LibreOfficeEngine& engine, const std::string& templateBytes, const fs::path& temp,
                const std::string& name, int i, const std::string& printer) {
    std::string waybill = "SV" + std::to_string(100000000 + i) + "CN";
    BarcodeFiles pictures(temp);
    auto barcode = MakeCode128Bitmap(waybill, 40, false, "", 0);
    auto qr = QrSymbol::EncodeText("收件人:深圳市福田区 张三 " + waybill + "\r\n电话 0755-12345678");
    if (!barcode || !qr) return false;
    auto barcodeFile = pictures.Save(waybill, "_N1.bmp", *barcode);
    auto qrFile = pictures.Save(waybill, "_qr.bmp", *DrawQr(*qr, 4));
    if (!barcodeFile || !qrFile) return false;

    fs::path file = temp / (name + ".xls");
    bool ok;
    {
        ExcelWorkbook book(engine);
        book.SetConfirmReplace(0);
        book.SetPrinter(printer);
        ok = book.OpenNewFromBytes(u"", file, templateBytes, false);
        const char16_t* texts[] = {u"张三",
                                   u"深圳市福田区福华路 88 号",
                                   u"'13800138000",
                                   u"'518000",
                                   u"中国",
                                   u"广东",
                                   u"深圳",
                                   u"李四",
                                   u"北京市朝阳区建国路 1 号",
                                   u"'+86-10-12345678",
                                   u"'100020",
                                   u"北京",
                                   u"1.250",
                                   u"'2024-03-05",
                                   u"文件",
                                   u"纸箱"};
        int row = 0;
        for (const char16_t* text : texts) ok = ok && book.WriteValue(++row, 2, text);
        for (int column = 4; column <= 11; ++column) ok = ok && book.WriteValue(1, column, u"'" + Utf8ToUtf16(waybill));
        ok = ok && book.AddPicture(*barcodeFile, 18, 2, barcode->Width() * 1.5, barcode->Height() * 1.5, 2, 2);
        ok = ok && book.AddPicture(*qrFile, 24, 2, -1, -1, 2, 2);
        if (!printer.empty()) ok = ok && book.PrintOut(1, 1, 1, false);
        ok = book.SaveAndClose() && ok;
    }
    std::error_code ignored;
    fs::remove(file, ignored);
    pictures.Remove(waybill, "_N1.bmp");
    pictures.Remove(waybill, "_qr.bmp");
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    int count = 50;
    bool print = true;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--count") && i + 1 < argc)
            count = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--no-print"))
            print = false;
        else {
            std::fprintf(stderr, "usage: %s [--count N] [--no-print]\n", argv[0]);
            return 2;
        }
    }
    if (!fs::exists(LibreOfficeEngine::DefaultOffice())) {
        std::fprintf(stderr, "no office at %s (package libreoffice-calc)\n",
                     LibreOfficeEngine::DefaultOffice().c_str());
        return 1;
    }

    std::unique_ptr<test::PrivateCups> cups;
    std::vector<std::string> environment;
    if (print) {
        cups = std::make_unique<test::PrivateCups>();
        std::string why = cups->Start();
        if (!why.empty()) {
            std::printf("not printing: %s\n", why.c_str());
            cups.reset();
            print = false;
        } else {
            environment.push_back("CUPS_SERVER=" + cups->Socket());
        }
    }

    test::TempDir home;
    fs::path temp = home.Path() / "DATA_TEMP";
    fs::create_directories(temp);
    LibreOfficeEngine engine({home.Path(), {}, {}, std::chrono::milliseconds(60000), environment});

    auto start = Clock::now();
    if (!engine.Start()) {
        std::fprintf(stderr, "the office did not start\n");
        return 1;
    }
    double coldFresh = SecondsSince(start);
    engine.Shutdown();
    start = Clock::now();
    if (!engine.Start()) {
        std::fprintf(stderr, "the office did not start again\n");
        return 1;
    }
    double coldWarmProfile = SecondsSince(start);

    fs::path templateFile = home.Path() / "template.xls";
    if (!engine.CreateEmpty(templateFile)) {
        std::fprintf(stderr, "no template\n");
        return 1;
    }
    std::string templateBytes = test::ReadWholeFile(templateFile.string());

    std::string stem = "tallux-bench-" + std::to_string(::getpid());
    auto run = [&](const std::string& printer, const char* what) {
        std::vector<double> times;
        int failed = 0;
        auto all = Clock::now();
        for (int i = 0; i < count; ++i) {
            auto one = Clock::now();
            if (!PrintLabel(engine, templateBytes, temp, stem + "-" + what + "-" + std::to_string(i), i, printer))
                ++failed;
            times.push_back(SecondsSince(one));
        }
        double total = SecondsSince(all);
        Stats stats = Summarise(times);
        std::printf("%-16s %d documents in %.2f s: %.3f s per document (median %.3f, max %.3f)%s\n", what, count, total,
                    stats.mean, stats.median, stats.max, failed ? (" FAILED " + std::to_string(failed)).c_str() : "");
        return failed;
    };

    std::printf("cold start: %.2f s with a new profile, %.2f s with an existing one\n", coldFresh, coldWarmProfile);
    int failed = run("", "filled");
    if (print) {
        failed += run(test::PrivateCups::kQueue, "filled+printed");
        // The queue turns the jobs into PDFs at its own pace.
        auto drain = Clock::now();
        while (!cups->Idle() && SecondsSince(drain) < 300) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::printf("queue drained %.2f s after the last job was handed over\n", SecondsSince(drain));
        if (passwd* user = ::getpwuid(::geteuid())) {
            std::error_code ignored;
            for (const auto& entry : fs::directory_iterator(fs::path(user->pw_dir) / "PDF", ignored))
                if (entry.path().filename().string().rfind(stem, 0) == 0) fs::remove(entry.path(), ignored);
        }
    }
    start = Clock::now();
    engine.Shutdown();
    std::printf("shutdown: %.2f s\n", SecondsSince(start));
    return failed ? 1 : 0;
}
