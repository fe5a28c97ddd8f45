// The pictures of the documentation still render: zav-screenshots writes every expected PNG, each a
// real picture of a window (a sane size, and text and controls rather than one flat colour).

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Every picture the README shows, with the smallest size it can sensibly have.
struct Expected {
    const char* name;
    int minWidth;
    int minHeight;
};
constexpr Expected Pictures[] = {
    {"panel-first-run", 400, 300}, {"panel", 400, 300},
    {"login-operator", 200, 80},   {"login-level", 200, 80},
    {"login-touch", 200, 80},      {"change-password", 200, 100},
    {"manage", 400, 300},          {"name", 150, 60},
    {"level-modify", 200, 150},    {"keyboard", 300, 100},
    {"keyboard-digits", 100, 100}, {"pin", 150, 200},
    {"badge", 200, 100},
};

int distinctColours(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) {
            colours.insert(image.pixel(x, y));
        }
    }
    return static_cast<int>(colours.size());
}

} // namespace

class ScreenshotsRenderTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyPictureRenders() {
        QTemporaryDir out;
        QProcess tool;
        tool.start(qEnvironmentVariable("ZAV_SCREENSHOTS"), {out.filePath(QStringLiteral("docs"))});
        QVERIFY(tool.waitForFinished(120000));
        const QString err = QString::fromLocal8Bit(tool.readAllStandardError());
        // It ended by itself, and no dialog of the component complained while the pictures were taken.
        QVERIFY2(tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0 &&
                     !err.contains("message"),
                 qPrintable(err));

        const QDir docs(out.filePath(QStringLiteral("docs")));
        QStringList expectedFiles;
        for (const Expected& picture : Pictures) {
            const QString file = docs.filePath(QString::fromLatin1(picture.name) + QStringLiteral(".png"));
            expectedFiles << file;
            const QImage image(file);
            QVERIFY2(!image.isNull(), qPrintable(file));
            QVERIFY2(
                image.width() >= picture.minWidth && image.height() >= picture.minHeight &&
                    image.width() <= 4000 && image.height() <= 4000,
                qPrintable(QStringLiteral("%1: %2x%3").arg(file).arg(image.width()).arg(image.height())));
            // Text drawn with anti-aliasing gives many shades; an empty or black window gives a few.
            QVERIFY2(distinctColours(image) >= 16, qPrintable(file));
        }
        // The tool lists what it wrote: the expected pictures and nothing else.
        QStringList listed =
            QString::fromLocal8Bit(tool.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        listed.sort();
        expectedFiles.sort();
        QCOMPARE(listed, expectedFiles);
        QCOMPARE(docs.entryList({QStringLiteral("*.png")}, QDir::Files).size(), expectedFiles.size());
    }
};

QTEST_MAIN(ScreenshotsRenderTest)
#include "ScreenshotsRenderTest.moc"
