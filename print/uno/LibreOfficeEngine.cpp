#include "print/uno/LibreOfficeEngine.h"

#include <signal.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include <com/sun/star/awt/Point.hpp>
#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/drawing/XDrawPage.hpp>
#include <com/sun/star/drawing/XDrawPages.hpp>
#include <com/sun/star/drawing/XDrawPagesSupplier.hpp>
#include <com/sun/star/drawing/XShape.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/graphic/GraphicProvider.hpp>
#include <com/sun/star/graphic/XGraphic.hpp>
#include <com/sun/star/io/IOException.hpp>
#include <com/sun/star/io/SequenceInputStream.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/FormulaResult.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/util/Date.hpp>
#include <com/sun/star/util/NumberFormat.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XMergeable.hpp>
#include <com/sun/star/util/XNumberFormats.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>
#include <com/sun/star/view/XPrintable.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <osl/file.hxx>
#include <rtl/ustring.hxx>

#include "print/CivilDays.h"
#include "print/uno/OfficeProcess.h"

namespace tallux {

namespace fs = std::filesystem;
namespace css = com::sun::star;
using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using rtl::OUString;

namespace {

constexpr double kHmmPerPoint = 2540.0 / 72.0;
constexpr double kHmmPerPixel = 2540.0 / 96.0;  // pictures' own size and column widths at 96 per inch
constexpr int kPixelsPerCharacter = 8;
// The office restarts itself once when it has just created its profile.
constexpr int kRestartExitCode = 81;
constexpr int kMaxSpawns = 4;

OUString ToOUString(std::u16string_view text) {
    return OUString(reinterpret_cast<const sal_Unicode*>(text.data()), static_cast<sal_Int32>(text.size()));
}

std::u16string FromOUString(const OUString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.getStr()), static_cast<std::size_t>(text.getLength()));
}

OUString Utf8(std::string_view text) {
    return OUString(text.data(), static_cast<sal_Int32>(text.size()), RTL_TEXTENCODING_UTF8);
}

std::string FromUtf8OUString(const OUString& text) {
    return rtl::OUStringToOString(text, RTL_TEXTENCODING_UTF8).getStr();
}

OUString FileUrl(const fs::path& file) {
    OUString url;
    std::error_code error;
    fs::path absolute = fs::absolute(file, error);
    if (error || osl::FileBase::getFileURLFromSystemPath(Utf8(absolute.string()), url) != osl::FileBase::E_None)
        return {};
    return url;
}

css::beans::PropertyValue Property(const char* name, const Any& value) {
    css::beans::PropertyValue property;
    property.Name = OUString::createFromAscii(name);
    property.Value = value;
    return property;
}

Sequence<css::beans::PropertyValue> Properties(std::initializer_list<css::beans::PropertyValue> list) {
    return Sequence<css::beans::PropertyValue>(list.begin(), static_cast<sal_Int32>(list.size()));
}

OUString PageRange(int fromPage, int toPage) { return OUString::number(fromPage) + "-" + OUString::number(toPage); }

// The context of this process's own UNO runtime, made once. Without
// URE_BOOTSTRAP the first remote call crashes.
Reference<css::uno::XComponentContext> LocalContext() {
    static Reference<css::uno::XComponentContext>* context = [] {
        std::string fundamental =
            "vnd.sun.star.pathname:" + (LibreOfficeEngine::DefaultOffice().parent_path() / "fundamentalrc").string();
        ::setenv("URE_BOOTSTRAP", fundamental.c_str(), 0);
        // The bridge writes to the office's pipe without guarding against a
        // closed one: an office that died would take this process with it.
        struct sigaction current {};
        if (::sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) ::signal(SIGPIPE, SIG_IGN);
        auto* made = new Reference<css::uno::XComponentContext>();  // outlives every bridge; never freed
        try {
            *made = cppu::defaultBootstrap_InitialComponentContext();
        } catch (const css::uno::Exception&) {}
        return made;
    }();
    return *context;
}

// Page numbers run through all sheets of a document, while the callers
// count the first sheet's pages only: the other sheets are hidden, and so
// not laid out, while this lives.
class FirstSheetOnly {
public:
    explicit FirstSheetOnly(const Reference<css::lang::XComponent>& component) {
        Reference<css::container::XIndexAccess> sheets(
            Reference<css::sheet::XSpreadsheetDocument>(component, UNO_QUERY_THROW)->getSheets(), UNO_QUERY_THROW);
        for (sal_Int32 i = 1; i < sheets->getCount(); ++i) {
            Reference<css::beans::XPropertySet> sheet(sheets->getByIndex(i), UNO_QUERY_THROW);
            bool visible = false;
            if ((sheet->getPropertyValue("IsVisible") >>= visible) && visible) {
                sheet->setPropertyValue("IsVisible", Any(false));
                hidden_.push_back(sheet);
            }
        }
    }
    ~FirstSheetOnly() {
        for (const auto& sheet : hidden_) {
            try {
                sheet->setPropertyValue("IsVisible", Any(true));
            } catch (const css::uno::Exception&) {}
        }
    }
    FirstSheetOnly(const FirstSheetOnly&) = delete;
    FirstSheetOnly& operator=(const FirstSheetOnly&) = delete;

private:
    std::vector<Reference<css::beans::XPropertySet>> hidden_;
};

class LibreOfficeDocument : public SpreadsheetDocument {
public:
    LibreOfficeDocument(Reference<css::uno::XComponentContext> context, Reference<css::lang::XComponent> component,
                        Reference<css::sheet::XSpreadsheet> sheet)
        : context_(std::move(context)), component_(std::move(component)), sheet_(std::move(sheet)) {}
    ~LibreOfficeDocument() override { Close(); }

    bool RenameSheet(const std::u16string& name) override {
        return Try([&] { Reference<css::container::XNamed>(sheet_, UNO_QUERY_THROW)->setName(ToOUString(name)); });
    }

    bool SetText(int row, int column, const std::u16string& text) override {
        return Try([&] {
            Reference<css::table::XCell> cell = Cell(row, column);
            if (text.empty())
                cell->setFormula(OUString());  // an empty cell, as an empty typed entry leaves it
            else
                Reference<css::text::XTextRange>(cell, UNO_QUERY_THROW)->setString(ToOUString(text));
        });
    }

    bool SetNumber(int row, int column, double value, const std::u16string& typed) override {
        return Try([&] {
            Reference<css::table::XCell> cell = Cell(row, column);
            if (FormatType(cell) & css::util::NumberFormat::TEXT)
                Reference<css::text::XTextRange>(cell, UNO_QUERY_THROW)->setString(ToOUString(typed));
            else
                cell->setValue(value);
        });
    }

    CellValue Value(int row, int column) override {
        CellValue value;
        Try([&] {
            Reference<css::table::XCell> cell = Cell(row, column);
            css::table::CellContentType type = cell->getType();
            if (type == css::table::CellContentType_FORMULA) {
                sal_Int32 result = 0;
                Reference<css::beans::XPropertySet>(cell, UNO_QUERY_THROW)->getPropertyValue("FormulaResultType2") >>=
                    result;
                type = result == css::sheet::FormulaResult::VALUE ? css::table::CellContentType_VALUE
                                                                  : css::table::CellContentType_TEXT;
            }
            if (type == css::table::CellContentType_VALUE) {
                double number = cell->getValue();
                sal_Int16 format = FormatType(cell);
                if (format & css::util::NumberFormat::LOGICAL)
                    value = CellValue::OfBoolean(number != 0);
                else if (format & (css::util::NumberFormat::DATE | css::util::NumberFormat::TIME))
                    value = CellValue::OfDate(number + NullDateOffset());
                else
                    value = CellValue::OfNumber(number);
            } else if (type == css::table::CellContentType_TEXT) {
                value = CellValue::OfText(
                    FromOUString(Reference<css::text::XTextRange>(cell, UNO_QUERY_THROW)->getString()));
            }
        });
        return value;
    }

    bool SetColumnWidth(int column, int characters) override {
        return Try([&] {
            auto width = static_cast<sal_Int32>(std::lround(characters * kPixelsPerCharacter * kHmmPerPixel));
            ColumnProperties(column)->setPropertyValue("Width", Any(width));
        });
    }

    std::optional<int> ColumnWidth(int column) override {
        std::optional<int> characters;
        Try([&] {
            sal_Int32 width = 0;
            if (ColumnProperties(column)->getPropertyValue("Width") >>= width)
                characters = static_cast<int>(std::lround(width / (kPixelsPerCharacter * kHmmPerPixel)));
        });
        return characters;
    }

    bool Merge(int row1, int column1, int row2, int column2) override {
        return Try([&] {
            Reference<css::util::XMergeable>(
                sheet_->getCellRangeByPosition(column1 - 1, row1 - 1, column2 - 1, row2 - 1), UNO_QUERY_THROW)
                ->merge(true);
        });
    }

    std::optional<SheetPoint> CellPosition(int row, int column) override {
        std::optional<SheetPoint> corner;
        Try([&] {
            css::awt::Point position;
            if (Reference<css::beans::XPropertySet>(Cell(row, column), UNO_QUERY_THROW)
                    ->getPropertyValue("Position") >>= position)
                corner = SheetPoint{position.X / kHmmPerPoint, position.Y / kHmmPerPoint};
        });
        return corner;
    }

    bool AddPicture(std::string_view imageBytes, SheetPoint at, double width, double height) override {
        return Try([&] {
            // The bytes travel once; the picture is made in the office, with
            // no file in between.
            Sequence<sal_Int8> data(reinterpret_cast<const sal_Int8*>(imageBytes.data()),
                                    static_cast<sal_Int32>(imageBytes.size()));
            Sequence<css::beans::PropertyValue> source = Properties(
                {Property("InputStream", Any(css::io::SequenceInputStream::createStreamFromSequence(context_, data)))});
            Reference<css::graphic::XGraphic> graphic =
                css::graphic::GraphicProvider::create(context_)->queryGraphic(source);
            if (!graphic.is()) throw css::uno::RuntimeException("not a picture");
            css::awt::Size pixels;
            Reference<css::beans::XPropertySet>(graphic, UNO_QUERY_THROW)->getPropertyValue("SizePixel") >>= pixels;

            Reference<css::drawing::XShape> shape(
                Reference<css::lang::XMultiServiceFactory>(component_, UNO_QUERY_THROW)
                    ->createInstance("com.sun.star.drawing.GraphicObjectShape"),
                UNO_QUERY_THROW);
            Reference<css::beans::XPropertySet>(shape, UNO_QUERY_THROW)->setPropertyValue("Graphic", Any(graphic));
            // Sheet n draws on page n.
            Reference<css::drawing::XDrawPage>(
                Reference<css::drawing::XDrawPagesSupplier>(component_, UNO_QUERY_THROW)->getDrawPages()->getByIndex(0),
                UNO_QUERY_THROW)
                ->add(shape);
            auto hmm = [](double points, sal_Int32 ownPixels) {
                return static_cast<sal_Int32>(
                    std::lround(points < 0 ? ownPixels * kHmmPerPixel : points * kHmmPerPoint));
            };
            shape->setSize(css::awt::Size(hmm(width, pixels.Width), hmm(height, pixels.Height)));
            shape->setPosition(css::awt::Point(static_cast<sal_Int32>(std::lround(at.left * kHmmPerPoint)),
                                               static_cast<sal_Int32>(std::lround(at.top * kHmmPerPoint))));
        });
    }

    bool Print(int fromPage, int toPage, int copies, const std::string& printer) override {
        return Try([&] {
            FirstSheetOnly only(component_);
            Reference<css::view::XPrintable> printable(component_, UNO_QUERY_THROW);
            if (!printer.empty()) {
                printable->setPrinter(Properties({Property("Name", Any(Utf8(printer)))}));
                // An unknown name would silently print on another printer.
                OUString chosen;
                for (const css::beans::PropertyValue& property : printable->getPrinter())
                    if (property.Name == "Name") property.Value >>= chosen;
                if (chosen != Utf8(printer)) throw css::uno::RuntimeException("no such printer");
            }
            printable->print(
                Properties({Property("CopyCount", Any(static_cast<sal_Int16>(copies))),
                            Property("Pages", Any(PageRange(fromPage, toPage))), Property("Wait", Any(true))}));
        });
    }

    bool ExportPdf(const fs::path& file, int fromPage, int toPage) override {
        return Try([&] {
            FirstSheetOnly only(component_);
            Sequence<css::beans::PropertyValue> filterData = Properties(
                {Property("PageRange", Any(PageRange(fromPage, toPage))),
                 // Barcodes must stay sharp: no JPEG, no downsampling.
                 Property("UseLosslessCompression", Any(true)), Property("ReduceImageResolution", Any(false))});
            Reference<css::frame::XStorable>(component_, UNO_QUERY_THROW)
                ->storeToURL(FileUrl(file), Properties({Property("FilterName", Any(OUString("calc_pdf_Export"))),
                                                        Property("FilterData", Any(filterData))}));
        });
    }

    bool Save() override {
        return Try([&] { Reference<css::frame::XStorable>(component_, UNO_QUERY_THROW)->store(); });
    }

    bool SaveAs(const fs::path& file) override {
        return Try([&] {
            Reference<css::frame::XStorable>(component_, UNO_QUERY_THROW)
                ->storeAsURL(FileUrl(file), Properties({Property("FilterName", Any(OUString("MS Excel 97"))),
                                                        Property("Overwrite", Any(true))}));
        });
    }

    void Close() override {
        if (!component_.is()) return;
        try {
            Reference<css::util::XCloseable> closeable(component_, UNO_QUERY);
            if (closeable.is())
                closeable->close(true);
            else
                component_->dispose();
        } catch (const css::uno::Exception&) {}
        component_.clear();
        sheet_.clear();
        formats_.clear();
    }

private:
    template <typename Action>
    bool Try(Action action) {
        if (!component_.is()) return false;
        try {
            action();
            return true;
        } catch (const css::uno::Exception&) {
            return false;
        }
    }

    Reference<css::table::XCell> Cell(int row, int column) {
        if (row < 1 || column < 1) throw css::uno::RuntimeException("no such cell");
        return sheet_->getCellByPosition(column - 1, row - 1);
    }

    Reference<css::beans::XPropertySet> ColumnProperties(int column) {
        if (column < 1) throw css::uno::RuntimeException("no such column");
        return Reference<css::beans::XPropertySet>(
            Reference<css::table::XColumnRowRange>(sheet_, UNO_QUERY_THROW)->getColumns()->getByIndex(column - 1),
            UNO_QUERY_THROW);
    }

    // The css::util::NumberFormat kind of the cell's format.
    sal_Int16 FormatType(const Reference<css::table::XCell>& cell) {
        sal_Int32 key = 0;
        Reference<css::beans::XPropertySet>(cell, UNO_QUERY_THROW)->getPropertyValue("NumberFormat") >>= key;
        if (!formats_.is())
            formats_ = Reference<css::util::XNumberFormatsSupplier>(component_, UNO_QUERY_THROW)->getNumberFormats();
        sal_Int16 type = 0;
        formats_->getByKey(key)->getPropertyValue("Type") >>= type;
        return type;
    }

    // Dates count from the document's null date; CellValue's from 1899-12-30.
    double NullDateOffset() {
        if (!nullDateOffset_) {
            css::util::Date nullDate(30, 12, 1899);
            Reference<css::util::XNumberFormatsSupplier>(component_, UNO_QUERY_THROW)
                ->getNumberFormatSettings()
                ->getPropertyValue("NullDate") >>= nullDate;
            nullDateOffset_ = static_cast<double>(DaysFromCivil(nullDate.Year, nullDate.Month, nullDate.Day) -
                                                  DaysFromCivil(1899, 12, 30));
        }
        return *nullDateOffset_;
    }

    Reference<css::uno::XComponentContext> context_;
    Reference<css::lang::XComponent> component_;
    Reference<css::sheet::XSpreadsheet> sheet_;
    Reference<css::util::XNumberFormats> formats_;
    std::optional<double> nullDateOffset_;
};

}  // namespace

struct LibreOfficeEngine::Impl {
    Options options;
    std::string pipe;
    std::mutex mutex;
    OfficeProcess process;
    Reference<css::uno::XComponentContext> remote;
    Reference<css::frame::XDesktop2> desktop;

    bool Alive() {
        if (!desktop.is()) return false;
        try {
            return remote->getServiceManager().is();
        } catch (const css::uno::Exception&) {
            return false;
        }
    }

    void Disconnect() {
        desktop.clear();
        remote.clear();
    }

    bool Connect() {
        Reference<css::uno::XComponentContext> local = LocalContext();
        if (!local.is()) return false;
        try {
            Reference<css::uno::XInterface> found = css::bridge::UnoUrlResolver::create(local)->resolve(
                "uno:pipe,name=" + OUString::createFromAscii(pipe.c_str()) + ";urp;StarOffice.ComponentContext");
            remote.set(found, UNO_QUERY_THROW);
            desktop = css::frame::Desktop::create(remote);
            return true;
        } catch (const css::uno::Exception&) {
            Disconnect();
            return false;
        }
    }

    std::vector<std::string> Arguments() const {
        OUString profile = FileUrl(options.profileDir);
        return {"-env:UserInstallation=" + FromUtf8OUString(profile),
                "--headless",
                "--invisible",
                "--norestore",
                "--nologo",
                "--nodefault",
                "--nolockcheck",
                "--accept=pipe,name=" + pipe + ";urp;StarOffice.ComponentContext"};
    }

    bool StartLocked() {
        if (Alive()) return true;
        Disconnect();
        // An office of this program directory may still be listening (its
        // bridge was lost, or a run before this one left it).
        if (Connect()) return true;
        std::error_code error;
        if (!fs::exists(options.office, error)) return false;
        fs::create_directories(options.profileDir, error);
        auto deadline = std::chrono::steady_clock::now() + options.startTimeout;
        int spawns = 0;
        if (!process.Running()) {
            if (!process.Spawn(options.office, Arguments(), options.environment)) return false;
            ++spawns;
        }
        while (std::chrono::steady_clock::now() < deadline) {
            if (Connect()) return true;
            if (std::optional<int> status = process.Exited()) {
                if (*status == 127 || spawns >= kMaxSpawns) break;
                if (*status != kRestartExitCode) std::this_thread::sleep_for(std::chrono::milliseconds(200));
                if (!process.Spawn(options.office, Arguments(), options.environment)) break;
                ++spawns;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        process.Stop(std::chrono::milliseconds(0));
        return false;
    }

    void ShutdownLocked() {
        if (desktop.is()) {
            try {
                desktop->terminate();
            } catch (const css::uno::Exception&) {}
        }
        Disconnect();
        process.Stop(std::chrono::seconds(10));
    }

    // A loaded spreadsheet, or nullptr; throws css::uno::Exception when the
    // office could not be reached.
    std::unique_ptr<SpreadsheetDocument> Load(const OUString& url, Sequence<css::beans::PropertyValue> arguments) {
        Reference<css::lang::XComponent> component = Reference<css::frame::XComponentLoader>(desktop, UNO_QUERY_THROW)
                                                         ->loadComponentFromURL(url, "_blank", 0, arguments);
        Reference<css::sheet::XSpreadsheetDocument> spreadsheet(component, UNO_QUERY);
        if (!spreadsheet.is()) {
            Reference<css::util::XCloseable> closeable(component, UNO_QUERY);
            if (closeable.is()) closeable->close(true);
            return nullptr;
        }
        Reference<css::sheet::XSpreadsheet> sheet(
            Reference<css::container::XIndexAccess>(spreadsheet->getSheets(), UNO_QUERY_THROW)->getByIndex(0),
            UNO_QUERY_THROW);
        return std::make_unique<LibreOfficeDocument>(remote, component, sheet);
    }

    // Runs action on a started office; when the office turns out to have
    // died, starts it again and runs the action once more.
    template <typename Result, typename Action>
    Result WithOffice(Result failed, Action action) {
        std::lock_guard<std::mutex> lock(mutex);
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (!StartLocked()) return failed;
            try {
                return action();
            } catch (const css::uno::Exception&) {
                if (Alive()) return failed;
            }
        }
        return failed;
    }
};

LibreOfficeEngine::LibreOfficeEngine(Options options) : impl_(std::make_unique<Impl>()) {
    if (options.profileDir.empty()) options.profileDir = options.programDir / "DATA_SYS" / "office-profile";
    if (options.office.empty()) options.office = DefaultOffice();
    impl_->pipe = PipeName(options.programDir);
    impl_->options = std::move(options);
}

LibreOfficeEngine::~LibreOfficeEngine() { Shutdown(); }

std::filesystem::path LibreOfficeEngine::DefaultOffice() { return TALLUX_LIBREOFFICE_PROGRAM "/soffice.bin"; }

std::string LibreOfficeEngine::PipeName(const fs::path& programDir) {
    std::error_code error;
    std::string canonical = fs::weakly_canonical(fs::absolute(programDir, error), error).lexically_normal().string();
    while (canonical.size() > 1 && canonical.back() == '/') canonical.pop_back();
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (unsigned char c : canonical) hash = (hash ^ c) * 1099511628211ull;
    char name[40];
    std::snprintf(name, sizeof name, "tallux-office-%016llx", static_cast<unsigned long long>(hash));
    return name;
}

bool LibreOfficeEngine::Start() {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->StartLocked();
}

std::unique_ptr<SpreadsheetDocument> LibreOfficeEngine::Open(const fs::path& file, bool readOnly) {
    OUString url = FileUrl(file);
    if (url.isEmpty()) return nullptr;
    if (!readOnly) {
        // Workbooks are opened for writing right after they were made, so a
        // lock beside one is left from an office that died; it would make
        // the office open the file read-only and every save fail.
        std::error_code ignored;
        fs::remove(file.parent_path() / (".~lock." + file.filename().string() + "#"), ignored);
    }
    // Templates and imported files come from outside: no macros run, no
    // links are fetched.
    Sequence<css::beans::PropertyValue> arguments =
        Properties({Property("Hidden", Any(true)), Property("ReadOnly", Any(readOnly)),
                    Property("MacroExecutionMode", Any(css::document::MacroExecMode::NEVER_EXECUTE)),
                    Property("UpdateDocMode", Any(css::document::UpdateDocMode::NO_UPDATE))});
    return impl_->WithOffice(std::unique_ptr<SpreadsheetDocument>(), [&] { return impl_->Load(url, arguments); });
}

bool LibreOfficeEngine::CreateEmpty(const fs::path& file) {
    OUString url = FileUrl(file);
    if (url.isEmpty()) return false;
    return impl_->WithOffice(false, [&] {
        Reference<css::lang::XComponent> component =
            Reference<css::frame::XComponentLoader>(impl_->desktop, UNO_QUERY_THROW)
                ->loadComponentFromURL("private:factory/scalc", "_blank", 0,
                                       Properties({Property("Hidden", Any(true))}));
        Reference<css::util::XCloseable> closeable(component, UNO_QUERY_THROW);
        bool stored = true;
        try {
            Reference<css::frame::XStorable>(component, UNO_QUERY_THROW)
                ->storeAsURL(url, Properties({Property("FilterName", Any(OUString("MS Excel 97"))),
                                              Property("Overwrite", Any(true))}));
        } catch (const css::io::IOException&) {
            stored = false;
        }
        closeable->close(true);
        return stored;
    });
}

void LibreOfficeEngine::Shutdown() {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->ShutdownLocked();
}

pid_t LibreOfficeEngine::OfficePid() const { return impl_->process.Pid(); }

}  // namespace tallux
