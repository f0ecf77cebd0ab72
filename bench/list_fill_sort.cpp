// Timed driver: fills the report list with 100,000 rows of 8 columns and
// sorts a numeric and a text column; prints the milliseconds of each step.

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "query/gui/ReportListCtrl.h"

namespace {

constexpr int kRows = 100'000;

// A small fixed generator: the same rows on every run.
class Numbers {
public:
    unsigned Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }

private:
    unsigned state_ = 12345u;
};

std::vector<QStringList> MakeRows() {
    const QStringList names = {QStringLiteral("张伟"), QStringLiteral("王芳"), QStringLiteral("李娜"),
                               QStringLiteral("刘洋"), QStringLiteral("陈静"), QStringLiteral("Smith"),
                               QStringLiteral("杨帆"), QStringLiteral("赵磊"), QStringLiteral("brown")};
    const QStringList places = {QStringLiteral("美国"), QStringLiteral("日本"),     QStringLiteral("德国"),
                                QStringLiteral("英国"), QStringLiteral("澳大利亚"), QStringLiteral("加拿大")};
    Numbers random;
    std::vector<QStringList> rows;
    rows.reserve(kRows);
    for (int i = 0; i < kRows; ++i) {
        const unsigned r = random.Next();
        rows.push_back({QString::number(i + 1), QStringLiteral("EA%1CN").arg(r % 1'000'000'000, 9, 10, QChar('0')),
                        names[r % names.size()] + QString::number(r % 97), places[(r >> 4) % places.size()],
                        QString::number((r % 100'000) / 100.0, 'f', 2), QString::number(1 + r % 9),
                        QString::number((r % 7'919) * 1.5, 'f', 1), QStringLiteral("备注%1").arg(r % 1000)});
    }
    return rows;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    tallux::CReportListCtrl list;
    list.SetDrawMode(2);
    list.EnableRowTags(true);
    list.EnableHeaderSort(true);
    list.EnableRowNumbers(true);
    const struct {
        const char* heading;
        Qt::Alignment alignment;
    } columns[] = {{"序号", Qt::AlignLeft},   {"运单号", Qt::AlignLeft}, {"收件人", Qt::AlignLeft},
                   {"目的地", Qt::AlignLeft}, {"重量", Qt::AlignRight},  {"件数", Qt::AlignRight},
                   {"金额", Qt::AlignRight},  {"备注", Qt::AlignLeft}};
    int index = 0;
    for (const auto& column : columns)
        list.InsertColumn(index++, QString::fromUtf8(column.heading), column.alignment, 90);
    list.resize(1000, 600);
    list.show();
    QApplication::processEvents();

    QElapsedTimer timer;
    timer.start();
    std::vector<QStringList> rows = MakeRows();
    std::vector<int> values(kRows);
    for (int i = 0; i < kRows; ++i) values[i] = i + 1;
    const qint64 prepare = timer.restart();

    list.SetRows(std::move(rows), std::move(values));
    const qint64 fill = timer.restart();
    list.repaint();
    const qint64 paint = timer.restart();

    list.SortByColumn(4, true);  // weight, numeric
    const qint64 numeric = timer.restart();
    list.SortByColumn(4, false);  // the same column reversed
    const qint64 numericAgain = timer.restart();
    list.SortByColumn(2, true);  // recipient, text
    const qint64 text = timer.restart();
    list.repaint();
    const qint64 repaint = timer.restart();

    std::printf("rows: %d x %d columns\n", list.RowCount(), list.ColumnCount());
    std::printf("build row texts (caller): %lld ms\n", static_cast<long long>(prepare));
    std::printf("fill (SetRows): %lld ms\n", static_cast<long long>(fill));
    std::printf("first paint: %lld ms\n", static_cast<long long>(paint));
    std::printf("sort numeric column ascending: %lld ms\n", static_cast<long long>(numeric));
    std::printf("sort numeric column descending: %lld ms\n", static_cast<long long>(numericAgain));
    std::printf("sort text column: %lld ms\n", static_cast<long long>(text));
    std::printf("paint after sorts: %lld ms\n", static_cast<long long>(repaint));
    std::printf("fill + numeric sort + text sort: %lld ms\n", static_cast<long long>(fill + numeric + text));
    // Sanity: the sorts kept every row and renumbered column 0.
    const bool ok = list.RowCount() == kRows && list.Text(0, 0) == QStringLiteral("1") &&
                    list.Text(kRows - 1, 0) == QString::number(kRows);
    return ok ? EXIT_SUCCESS : EXIT_FAILURE;
}
