// The report list: header sorting, row numbers, tags, search, the row
// context menu, check boxes and the text and spreadsheet exports.

#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QSignalSpy>
#include <QStyleOptionViewItem>
#include <QTimer>
#include <QtTest>

#include <memory>

#include "print/RecordingEngine.h"
#include "query/gui/ReportListCtrl.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TempDir.h"

namespace tallux {

class ReportListGuiTest : public QObject {
    Q_OBJECT

    // Columns: running number, weight (right-aligned: numeric), name.
    static std::unique_ptr<CReportListCtrl> MakeList(const QList<QStringList>& rows) {
        auto list = std::make_unique<CReportListCtrl>();
        list->SetDrawMode(2);
        list->EnableRowTags(true);
        list->EnableHeaderSort(true);
        list->EnableRowNumbers(true);
        list->InsertColumn(0, QStringLiteral("序号"), Qt::AlignLeft, 50);
        list->InsertColumn(1, QStringLiteral("重量"), Qt::AlignRight, 80);
        list->InsertColumn(2, QStringLiteral("名称"), Qt::AlignLeft, 120);
        int value = 1;
        for (const QStringList& cells : rows) {
            const int row = list->InsertRow(-1, cells);
            list->SetRowValue(row, value++);
        }
        list->resize(400, 300);
        return list;
    }
    static std::unique_ptr<CReportListCtrl> SampleList() {
        return MakeList({{"1", "10", "banana"}, {"2", "9.5", "Apple"}, {"3", "abc", "cherry"}, {"4", "2", "apple"}});
    }
    static QStringList Column(const CReportListCtrl& list, int column) {
        QStringList texts;
        for (int row = 0; row < list.RowCount(); ++row) texts << list.Text(row, column);
        return texts;
    }
    static void ClickHeader(CReportListCtrl& list, int column, Qt::MouseButton button = Qt::LeftButton) {
        QHeaderView* header = list.horizontalHeader();
        const QPoint where(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                           header->height() / 2);
        QTest::mouseClick(header->viewport(), button, {}, where);
    }
    static QPoint RowPoint(CReportListCtrl& list, int row, int column = 1) {
        return list.visualRect(list.model()->index(row, column)).center();
    }

private slots:
    void headerClicksSortAndReverse() {
        auto list = SampleList();
        list->show();
        QVERIFY(QTest::qWaitForWindowExposed(list.get()));

        ClickHeader(*list, 1);
        QCOMPARE(Column(*list, 1), (QStringList{"abc", "2", "9.5", "10"}));
        QCOMPARE(Column(*list, 0), (QStringList{"1", "2", "3", "4"}));
        QCOMPARE(list->GetRowValue(0), 3);  // tags travel with their rows
        ClickHeader(*list, 1);
        QCOMPARE(Column(*list, 1), (QStringList{"10", "9.5", "2", "abc"}));
        QVERIFY(!list->SortAscending());

        // The row-number column and right clicks change nothing.
        ClickHeader(*list, 0);
        ClickHeader(*list, 2, Qt::RightButton);
        QCOMPARE(Column(*list, 1), (QStringList{"10", "9.5", "2", "abc"}));
        QCOMPARE(list->SortColumn(), 1);

        // Another column starts ascending; equal names keep their order.
        ClickHeader(*list, 2);
        QCOMPARE(Column(*list, 2), (QStringList{"Apple", "apple", "banana", "cherry"}));
        QVERIFY(list->SortAscending());
        ClickHeader(*list, 2);
        QCOMPARE(Column(*list, 2), (QStringList{"cherry", "banana", "Apple", "apple"}));

        // Without header sorting a click does nothing.
        list->EnableHeaderSort(false);
        ClickHeader(*list, 1);
        QCOMPARE(list->SortColumn(), 2);
    }

    void restartAscendingAndProgrammaticSort() {
        auto list = SampleList();
        list->SortByColumn(1, false);
        list->SortByColumn(1, true);
        QVERIFY(list->SortAscending());
        QCOMPARE(Column(*list, 1), (QStringList{"abc", "2", "9.5", "10"}));
        list->SortByColumn(0, true);  // never a sort key while numbered
        list->SortByColumn(7, true);  // no such column
        QCOMPARE(list->SortColumn(), 1);
    }

    void sortRenumbersFromThePage() {
        QList<QStringList> rows;
        for (int i = 0; i < 100; ++i) rows << QStringList{"x", QString::number(100 - i), "n"};
        auto list = MakeList(rows);
        list->SetPaging(3, 100);
        list->SortByColumn(1, true);
        QCOMPARE(list->Text(0, 0), QStringLiteral("201"));
        QCOMPARE(list->Text(99, 0), QStringLiteral("300"));
        QCOMPARE(list->Text(0, 1), QStringLiteral("1"));
        for (int row = 0; row < 100; ++row) QCOMPARE(list->Text(row, 0).toInt(), 201 + row);
    }

    void sortKeepsSelectionWithItsRows() {
        auto list = SampleList();
        list->SetRowSelected(1, true);  // value 2, weight 9.5
        list->SortByColumn(1, true);
        QCOMPARE(list->SelectedRows(), (std::vector<int>{2}));
        QCOMPARE(list->GetRowValue(2), 2);
    }

    void tagsValuesAndColours() {
        auto list = SampleList();
        QCOMPARE(list->FindRowByValue(3), 2);
        QCOMPARE(list->FindRowByValue(99), -1);
        list->SetRowColours(1, QColor(255, 0, 0), QColor(0, 0, 255));
        QCOMPARE(list->RowTextColour(1), QColor(255, 0, 0));
        QCOMPARE(list->model()->index(1, 2).data(Qt::BackgroundRole).value<QBrush>().color(), QColor(0, 0, 255));
        QCOMPARE(list->model()->index(1, 1).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight, int(Qt::AlignRight));
        list->EnableRowTags(false);
        QCOMPARE(list->GetRowValue(0), -1);
        QCOMPARE(list->FindRowByValue(1), -1);
        QVERIFY(!list->model()->index(1, 2).data(Qt::BackgroundRole).isValid());
        QCOMPARE(list->SetDrawMode(3), 2);  // ignored
        QCOMPARE(list->SetDrawMode(1), 2);
        QCOMPARE(list->DrawMode(), 1);
    }

    void setRowsFillsOneResetWithValues() {
        CReportListCtrl list;
        list.EnableRowTags(true);
        list.InsertColumn(0, QStringLiteral("单号"), Qt::AlignLeft, 100);
        QSignalSpy resets(list.model(), &QAbstractItemModel::modelReset);
        list.SetRows({{"A"}, {"B"}, {"C"}}, {7, 8});
        QCOMPARE(resets.count(), 1);
        QCOMPARE(list.RowCount(), 3);
        QCOMPARE(list.GetRowValue(1), 8);
        QCOMPARE(list.GetRowValue(2), 0);  // tagged, no value given
        list.DeleteRow(0);
        QCOMPARE(list.Text(0, 0), QStringLiteral("B"));
        list.DeleteAllRows();
        QCOMPARE(list.RowCount(), 0);
    }

    void findRowModes_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("startRow");
        QTest::addColumn<int>("expected");
        QTest::newRow("contains") << 2 << "pp" << 0 << 0 << 1;
        QTest::newRow("contains from row 2") << 2 << "pp" << 0 << 2 << 3;
        QTest::newRow("begins with") << 2 << "ch" << 1 << 0 << 2;
        QTest::newRow("case-sensitive") << 2 << "APPLE" << 9 << 0 << -1;
        QTest::newRow("ends with") << 2 << "na" << 2 << 0 << 0;
        QTest::newRow("equals") << 2 << "apple" << 3 << 0 << 3;
        QTest::newRow("equals is whole") << 2 << "appl" << 3 << 0 << -1;
        QTest::newRow("column out of range") << 3 << "a" << 0 << 0 << -1;
        QTest::newRow("start past end") << 2 << "a" << 0 << 4 << -1;
    }
    void findRowModes() {
        QFETCH(int, column);
        QFETCH(QString, text);
        QFETCH(int, mode);
        QFETCH(int, startRow);
        QFETCH(int, expected);
        auto list = SampleList();
        list->SetRowSelected(0, true);
        QCOMPARE(list->FindRow(column, text, mode, startRow), expected);
        if (expected >= 0) {
            QVERIFY(list->IsRowSelected(expected));
            QCOMPARE(list->currentIndex().row(), expected);
            QVERIFY(list->IsRowSelected(0));  // other selections stay
        }
    }

    void contextMenuNeedsItemsAndAPositiveValue() {
        auto list = SampleList();
        QVERIFY(!list->CreateRowMenu(0));  // no items
        for (int i = 1; i <= 9; ++i) list->AddMenuItem(QStringLiteral("操作%1").arg(i));
        list->SetRowValue(1, 0);
        QVERIFY(!list->CreateRowMenu(1));
        list->SetRowValue(1, -4);
        QVERIFY(!list->CreateRowMenu(1));
        std::unique_ptr<QMenu> menu = list->CreateRowMenu(0);
        QVERIFY(menu);
        const QList<QAction*> actions = menu->actions();
        QCOMPARE(actions.size(), 8);  // a ninth entry is never shown
        QCOMPARE(actions[7]->text(), QStringLiteral("操作8"));
        QCOMPARE(actions[7]->data().toInt(), 7);
    }

    void rightPressSelectsTheRowAndReportsTheChoice() {
        auto list = SampleList();
        list->AddMenuItem(QStringLiteral("甲"));
        list->AddMenuItem(QStringLiteral("乙"));
        list->show();
        QVERIFY(QTest::qWaitForWindowExposed(list.get()));

        // Value 0: selected and focused, no menu.
        list->SetRowValue(1, 0);
        QTest::mousePress(list->viewport(), Qt::RightButton, {}, RowPoint(*list, 1));
        QVERIFY(list->IsRowSelected(1));
        QCOMPARE(list->currentIndex().row(), 1);
        QVERIFY(!QApplication::activePopupWidget());

        // Value 3 on row 2: choose the second entry from the shown menu.
        QSignalSpy choices(list.get(), &CReportListCtrl::MenuChoice);
        QTimer::singleShot(0, [] {
            QWidget* popup = QApplication::activePopupWidget();
            if (!popup) return;
            QTest::keyClick(popup, Qt::Key_Down);
            QTest::keyClick(popup, Qt::Key_Down);
            QTest::keyClick(popup, Qt::Key_Return);
        });
        QTimer::singleShot(2000, [] {
            if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
        });
        QTest::mousePress(list->viewport(), Qt::RightButton, {}, RowPoint(*list, 2));
        QCOMPARE(choices.count(), 1);
        QCOMPARE(choices[0][0].toInt(), 1);
        QCOMPARE(choices[0][1].toInt(), 3);
        QVERIFY(list->IsRowSelected(1) && list->IsRowSelected(2));
    }

    void checkBoxTogglesOnClick() {
        auto list = SampleList();
        list->EnableCheckBoxes(true);
        list->show();
        QVERIFY(QTest::qWaitForWindowExposed(list.get()));
        const QModelIndex cell = list->model()->index(1, 0);
        QStyleOptionViewItem option;
        option.initFrom(list.get());
        option.rect = list->visualRect(cell);
        option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
        option.text = cell.data().toString();
        const QRect box = list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list.get());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, box.center());
        QVERIFY(list->IsChecked(1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, box.center());
        QVERIFY(!list->IsChecked(1));
        QVERIFY(!list->IsChecked(0));
    }

    void textExportWritesTheFile() {
        test::TempDir dir;
        test::ScriptedPrompter prompter;
        auto list = MakeList({{"1", "2.5", "two\twords"}, {"2", "3", "line\nbreak"}});
        const QString chosen = QString::fromStdString(dir.File("清单.TXT"));
        prompter.saveFiles.push_back({chosen, 1});
        QVERIFY(list->Export(QStringLiteral("标题"), QStringLiteral("2024-05-06 07:08:09")));
        QCOMPARE(prompter.LastText(), QStringLiteral("文件已经保存。"));
        QFile file(chosen);  // kept as chosen: it already ends in .txt
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("\xFF\xFE"));
        const QString text =
            QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2), (bytes.size() - 2) / 2);
        QCOMPARE(text, QStringLiteral("标题\r\n2024-05-06 07:08:09\r\n\r\n序号\t重量\t名称\t\r\n"
                                      "1\t2.5\ttwo words\t\r\n2\t3\tline break\t\r\n"));

        // Another extension gets .txt appended.
        prompter.saveFiles.push_back({QString::fromStdString(dir.File("list.csv")), 1});
        QVERIFY(list->Export(QStringLiteral("T"), QStringLiteral("S")));
        QVERIFY(QFile::exists(QString::fromStdString(dir.File("list.csv.txt"))));
    }

    void spreadsheetExportGoesThroughTheEngine() {
        test::TempDir dir;
        test::ScriptedPrompter prompter;
        RecordingEngine engine;
        auto list = MakeList({{"1", "007", "007"}});
        list->SetSpreadsheetEngine(&engine);
        const QString chosen = QString::fromStdString(dir.File("清单.XLS"));
        prompter.saveFiles.push_back({chosen, 0});
        QVERIFY(list->Export(QStringLiteral("标题"), QStringLiteral("2024-05-06 07:08:09")));
        QCOMPARE(prompter.Texts(), QStringList{QStringLiteral("文件已经保存。")});
        // Kept as chosen: it already ends in .xls.
        const RecordingEngine::Sheet& sheet = engine.workbooks.at(chosen.toStdString());
        QCOMPARE(sheet.name, std::u16string(u"LIST"));
        QCOMPARE(sheet.cells.at({5, 2}), CellValue::OfNumber(7));     // right-aligned column
        QCOMPARE(sheet.cells.at({5, 3}), CellValue::OfText(u"007"));  // left-aligned column
        QCOMPARE(sheet.columnWidths.at(3), 15);                       // 120 pixels

        // The same file again: the engine's question reaches the operator.
        prompter.shown.clear();
        prompter.saveFiles.push_back({chosen, 0});
        prompter.answers.push_back(Prompter::No);
        QVERIFY(!list->Export(QStringLiteral("标题"), QStringLiteral("S")));
        QCOMPARE(prompter.Texts(),
                 (QStringList{QStringLiteral("文件:\"") + chosen + QStringLiteral("\"已经存在,\r\n替换掉吗?"),
                              QStringLiteral("用户选择放弃操作。")}));
        QCOMPARE(prompter.shown.front().buttons, Prompter::Buttons::YesNo);
        QVERIFY(QFile::exists(chosen));
    }

    void exportRefusalsAndFailures() {
        test::TempDir dir;
        test::ScriptedPrompter prompter;
        CReportListCtrl empty;
        empty.InsertColumn(0, QStringLiteral("A"), Qt::AlignLeft, 50);
        QVERIFY(!empty.Export(QStringLiteral("T"), QStringLiteral("S")));
        QVERIFY(prompter.fileCaptions.isEmpty());  // no chooser for an empty list

        auto list = SampleList();
        QVERIFY(!list->Export(QStringLiteral("T"), QStringLiteral("S")));  // cancelled
        QVERIFY(prompter.shown.isEmpty());

        prompter.saveFiles.push_back({QString::fromStdString(dir.File("no/such/dir/a.txt")), 1});
        QVERIFY(!list->Export(QStringLiteral("T"), QStringLiteral("S")));
        QCOMPARE(prompter.LastText(), QStringLiteral("文件创建失败。"));

        prompter.saveFiles.push_back({QString::fromStdString(dir.File("book")), 0});
        QVERIFY(!list->Export(QStringLiteral("T"), QStringLiteral("S")));
        QVERIFY(prompter.LastText().contains(QStringLiteral("(*.txt)")));
        QVERIFY(!QFile::exists(QString::fromStdString(dir.File("book.xls"))));
    }
};

}  // namespace tallux

QTEST_MAIN(tallux::ReportListGuiTest)
#include "ReportListGuiTest.moc"
