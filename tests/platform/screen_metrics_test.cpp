// Where a window goes so that all of it lies on the screen.
#include <QtTest>

#include "platform/screen_metrics.h"

using namespace platform;

class screen_metrics_test : public QObject {
    Q_OBJECT
private slots:
    void fitted_frame_position_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QPoint>("expected");
        // The screen: 1600 x 1000 less a 30-pixel panel at the top.
        QTest::newRow("inside stays") << QRect(10, 40, 1026, 768) << QPoint(10, 40);
        QTest::newRow("touching the edges stays") << QRect(574, 232, 1026, 768) << QPoint(574, 232);
        QTest::newRow("below the bottom edge") << QRect(2, 269, 1026, 768) << QPoint(2, 232);
        QTest::newRow("past the right and bottom") << QRect(700, 400, 1026, 768) << QPoint(574, 232);
        QTest::newRow("above and left") << QRect(-50, 0, 450, 140) << QPoint(0, 30);
        QTest::newRow("larger than the screen keeps its corner on it") << QRect(100, 100, 2000, 1200) << QPoint(0, 30);
    }

    void fitted_frame_position()
    {
        QFETCH(QRect, frame);
        QTEST(platform::fitted_frame_position(frame, QRect(0, 30, 1600, 970)), "expected");
    }

    // A box opened from a window is centred over it, then kept on the screen.
    void box_over_a_window_data()
    {
        QTest::addColumn<QRect>("window");
        QTest::addColumn<QPoint>("expected");
        // A 400 x 300 box: 300 and 200 pixels to spare on either side of a 1000 x 700 window.
        QTest::newRow("on the window's centre") << QRect(100, 100, 1000, 700) << QPoint(400, 300);
        QTest::newRow("window at the right edge") << QRect(1000, 100, 1000, 700) << QPoint(1200, 300);
    }

    void box_over_a_window()
    {
        QFETCH(QRect, window);
        const QSize box(400, 300);
        const QPoint corner = platform::centred_frame_position(box, window);
        QTEST(platform::fitted_frame_position(QRect(corner, box), QRect(0, 30, 1600, 970)), "expected");
    }
};

QTEST_GUILESS_MAIN(screen_metrics_test)
#include "screen_metrics_test.moc"
