// The Flash view plays real movies through the web engine and its player.
#include "FlashView.h"
#include "TempFolder.h"
#include "WindowTestMain.h"
#include "WinksGlobal.h"

#include <QApplication>
#include <QImage>
#include <QtTest>

using namespace quillane;

namespace {

QImage Grab(TFlashView& view) {
    return view.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// How many pixels differ between two grabs of the same size.
int ChangedPixels(const QImage& a, const QImage& b) {
    int changed = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) changed += a.pixel(x, y) != b.pixel(x, y);
    }
    return changed;
}

bool IsBlank(const QImage& image) {
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) {
            if (image.pixel(x, y) != first) return false;
        }
    }
    return true;
}

// Waits until the stage shows something other than a blank page; a null image if it never does.
QImage WaitForPicture(TFlashView& view) {
    QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired()) {
        const QImage image = Grab(view);
        if (!IsBlank(image)) return image;
        QTest::qWait(100);
    }
    return {};
}

}  // namespace

class FlashViewTest : public QObject {
    Q_OBJECT

    std::string Movie(const std::string& name) { return testing::AppFolder() + "Preview/" + name; }

private slots:
    void initTestCase() { InstallGlobal(std::make_unique<TGlobal>(testing::AppFolder())); }

    // Start-up never waits for the web engine: it starts once the view has been painted, before any movie.
    void theEngineStartsAfterTheFirstPaint() {
        TFlashView view;
        view.Play();
        view.Stop();
        QVERIFY(!view.EngineStarted());
        view.resize(320, 240);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTRY_VERIFY(view.EngineStarted());
        QCOMPARE(view.Movie(), QString());
    }

    void aMoviePlaysAndStopFreezesIt() {
        TFlashView view;
        view.resize(320, 240);
        view.show();
        view.SetMovie(QString::fromStdString(Movie("star.swf")));
        view.Play();
        QVERIFY(view.MovieShown());
        const QImage first = WaitForPicture(view);
        QVERIFY(!first.isNull());

        QTRY_VERIFY_WITH_TIMEOUT(ChangedPixels(first, Grab(view)) > 200, 10000);

        view.Stop();
        QTest::qWait(500);
        const QImage stopped = Grab(view);
        QTest::qWait(700);
        QCOMPARE(ChangedPixels(stopped, Grab(view)), 0);

        view.Play();
        QTRY_VERIFY_WITH_TIMEOUT(ChangedPixels(stopped, Grab(view)) > 200, 10000);
    }

    void aMissingOrUnplayableMovieShowsAnEmptyStage() {
        testing::TempFolder folder;
        testing::WriteFile(folder.File("page.swf"), "<html>404 Not Found</html>");
        TFlashView view;
        view.resize(320, 240);
        view.show();
        view.SetMovie(QString::fromStdString(Movie("heart.swf")));
        view.Play();
        QVERIFY(!WaitForPicture(view).isNull());
        for (const QString& movie : {QString("c:\\1.swf"), QString::fromStdString(folder.File("page.swf")),
                                     QString::fromStdString(folder.File("missing.swf"))}) {
            view.SetMovie(movie);
            view.Play();
            QVERIFY(!view.MovieShown());
            QTRY_VERIFY_WITH_TIMEOUT(IsBlank(Grab(view)), 10000);
        }
    }
};

QUILLANE_WINDOW_TEST_MAIN(FlashViewTest)

#include "FlashViewTest.moc"
