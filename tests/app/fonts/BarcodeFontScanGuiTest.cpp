// Draws text in each barcode face and reads it back with a real scanner
// (zbarimg): the fonts' symbols must be Code 39 as a reader expects it.
#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "app/fonts/BarcodeFonts.h"

using tallux::BarcodeFontFace;
using tallux::kBarcodeFontFaces;

class BarcodeFontScanGuiTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void scan_data();
    void scan();

private:
    QTemporaryDir dir_;
};

void BarcodeFontScanGuiTest::initTestCase() {
    if (QStandardPaths::findExecutable(QStringLiteral("zbarimg")).isEmpty())
        QSKIP("zbarimg is not installed (package zbar-tools)");
    QVERIFY(dir_.isValid());
}

void BarcodeFontScanGuiTest::scan_data() {
    QTest::addColumn<int>("face");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("decoded");
    QTest::newRow("3 of 9 Barcode") << 0 << "*TALLUX39*"
                                    << "TALLUX39";
    QTest::newRow("lower case as upper") << 0 << "*tallux39*"
                                         << "TALLUX39";
    QTest::newRow("digits") << 0 << "*0123456789*"
                            << "0123456789";
    QTest::newRow("letters A-M") << 0 << "*ABCDEFGHIJKLM*"
                                 << "ABCDEFGHIJKLM";
    QTest::newRow("letters N-Z") << 0 << "*NOPQRSTUVWXYZ*"
                                 << "NOPQRSTUVWXYZ";
    QTest::newRow("signs") << 0 << "*-. $/+%*"
                           << "-. $/+%";
    QTest::newRow("C39HrP24DhTt") << 1 << "*SV123456789CN*"
                                  << "SV123456789CN";
    QTest::newRow("C39HrP48DhTt") << 2 << "*SV123456789CN*"
                                  << "SV123456789CN";
    QTest::newRow("C39P24DmTt") << 3 << "*SV123456789CN*"
                                << "SV123456789CN";
}

void BarcodeFontScanGuiTest::scan() {
    QFETCH(int, face);
    QFETCH(QString, text);
    QFETCH(QString, decoded);
    const BarcodeFontFace& font = kBarcodeFontFaces[static_cast<std::size_t>(face)];
    const std::string bytes = tallux::BarcodeFontBytes(font);
    const int id =
        QFontDatabase::addApplicationFontFromData(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    QVERIFY(id >= 0);
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    QCOMPARE(families, QStringList{QString::fromUtf8(font.face)});

    // 100 pixels to the em: a narrow bar is 4 pixels wide.
    QFont qfont(families.first());
    qfont.setPixelSize(100);
    qfont.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(qfont);
    const int margin = 60;
    QImage image(metrics.horizontalAdvance(text) + 2 * margin, metrics.height() + 2 * margin, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setFont(qfont);
        painter.setPen(Qt::black);
        painter.drawText(margin, margin + metrics.ascent(), text);
    }
    const QString file = dir_.filePath(QStringLiteral("scan%1.png").arg(QTest::currentDataTag()).remove(' '));
    QVERIFY(image.save(file));

    QProcess zbarimg;
    zbarimg.start(QStringLiteral("zbarimg"), {QStringLiteral("--raw"), QStringLiteral("-q"), file});
    QVERIFY(zbarimg.waitForFinished(30000));
    QCOMPARE(QString::fromUtf8(zbarimg.readAllStandardOutput()).trimmed(), decoded);
    QFontDatabase::removeApplicationFont(id);
}

QTEST_MAIN(BarcodeFontScanGuiTest)
#include "BarcodeFontScanGuiTest.moc"
