// The run screen's plot: long curves drawn at the plot's resolution, the coordinate tool tip and dragging the
// legend.
#include <QtTest>

#include <qcustomplot.h>

#include "plot/qcp_compat.h"
#include "run/mainwindow.h"
#include "shell/program_fonts.h"
#include "support/temp_workdir.h"

namespace {
void send_mouse(QWidget *target, QEvent::Type type, QPoint pos, Qt::MouseButtons buttons)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(pos), QPointF(target->mapToGlobal(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}
}  // namespace

class run_plot_test : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { program_fonts::install(); }

    void init()
    {
        wd = new temp_workdir;
        window = new MainWindow;
        // Two experiments in the legend give it a size worth dragging.
        record_store &records = window->experiment_records();
        for (int i = 0; i < 2; ++i) {
            records.take_next();
            records[i].ch1_curve->setName(QStringLiteral("experiment_%1_w1").arg(i));
            records[i].ch1_curve->addToLegend();
        }
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        plot()->replot();
    }

    void cleanup()
    {
        delete window;
        delete wd;
    }

    void plot_starts_with_its_axes_and_legend()
    {
        QCustomPlot *p = plot();
        QCOMPARE(p->xAxis->label(), QStringLiteral("Voltage (V)"));
        QCOMPARE(p->yAxis->label(), QStringLiteral("Current (\u00b5A)"));
        QVERIFY(p->xAxis->range() == QCPRange(-0.6, 0.6) && p->yAxis->range() == QCPRange(-1, 1));
        QVERIFY(p->interactions().testFlag(QCP::iRangeDrag));
        QVERIFY(p->interactions().testFlag(QCP::iRangeZoom));
        QVERIFY(p->legend->visible());
        QCOMPARE(p->legend->font().pointSize(), 7);
        QCOMPARE(p->legend->iconSize(), QSize(5, 5));
        QCOMPARE(p->axisRect()->insetLayout()->insetPlacement(0), QCPLayoutInset::ipFree);
        // Top-left corner of the area inside the axis rectangle where insets stand.
        QCOMPARE(legend_rect().topLeft(), p->axisRect()->insetLayout()->rect().topLeft());
    }

    void a_long_curve_draws_its_columns_and_zoomed_in_every_point()
    {
        // A record's shown curve with 200,000 time-keyed points: the redraw draws a few points a pixel column;
        // zoomed in to 300 of them, all of them (and one on either side).
        curve &record = window->experiment_records()[0];
        QVector<double> keys, values;
        for (int i = 0; i < 200000; ++i) {
            keys << i * 1.3978125;
            values << std::sin(i * 0.001) + (i == 123457 ? 50 : 0);
        }
        qcp::set_points(record.ch1_curve, keys, values);
        QCustomPlot *p = plot();
        p->xAxis->setRange(keys.first(), keys.last());
        p->yAxis->setRange(-2, 60);
        p->replot();
        auto *reduced = dynamic_cast<reduced_curve *>(record.ch1_curve);
        QVERIFY(reduced);
        QVERIFY(reduced->last_drawn_count() > 0);
        QVERIFY(reduced->last_drawn_count() <= 2 * p->axisRect()->width() + 2);
        p->xAxis->setRange(keys[120000] - 0.5, keys[120299] + 0.5);
        p->replot();
        QCOMPARE(reduced->last_drawn_count(), 302);
    }

    void tooltip_shows_the_pointer_coordinates()
    {
        QCustomPlot *p = plot();
        p->xAxis->setRange(0, 1);
        p->yAxis->setRange(0, 1);
        p->replot();
        QRect axis = p->axisRect()->rect();
        // Outside the legend (which sits top left), at the axis origin: bottom-left pixel of the axis rectangle.
        send_mouse(p, QEvent::MouseMove, QPoint(axis.left(), axis.bottom()), Qt::NoButton);
        QCOMPARE(p->toolTip(), QStringLiteral("E: 0V , I:0\u00b5A"));
        // One unit per pixel on x, half a unit per pixel on y.
        for (int settle = 0; settle < 3; ++settle) {  // tick labels change the margins; let the layout settle
            p->xAxis->setRange(0, axis.width());
            p->yAxis->setRange(0, 2 * axis.height());
            p->replot();
            axis = p->axisRect()->rect();
        }
        send_mouse(p, QEvent::MouseMove, QPoint(axis.left() + 100, axis.bottom() - 40), Qt::NoButton);
        QCOMPARE(p->toolTip(), QStringLiteral("E: 100V , I:80\u00b5A"));
    }

    void dragging_keeps_the_grab_point_under_the_pointer()
    {
        QCustomPlot *p = plot();
        const QRect before = legend_rect();
        QVERIFY(before.width() > 20 && before.height() > 10);
        const QCPRange x_before = p->xAxis->range();
        const QPoint grab = before.topLeft() + QPoint(10, 5);
        send_mouse(p, QEvent::MouseButtonPress, grab, Qt::LeftButton);
        const QPoint steps[] = {grab + QPoint(40, 30), grab + QPoint(150, 120), grab + QPoint(90, 200)};
        for (const QPoint &to : steps) {
            send_mouse(p, QEvent::MouseMove, to, Qt::LeftButton);
            const QRect now = legend_rect();
            QVERIFY2(qAbs(to.x() - now.left() - 10) <= 1, qPrintable(QString::number(to.x() - now.left())));
            QVERIFY2(qAbs(to.y() - now.top() - 5) <= 1, qPrintable(QString::number(to.y() - now.top())));
            QCOMPARE(now.size(), before.size());
        }
        send_mouse(p, QEvent::MouseButtonRelease, steps[2], Qt::NoButton);
        // Dragging the legend does not drag the data with it.
        QCOMPARE(p->xAxis->range(), x_before);
        QVERIFY(p->interactions().testFlag(QCP::iRangeDrag));
        const QRect dropped = legend_rect();
        // After the release further moves leave the legend where it was dropped.
        send_mouse(p, QEvent::MouseMove, steps[2] + QPoint(-60, -60), Qt::NoButton);
        p->replot();
        QCOMPARE(legend_rect(), dropped);
    }

    void a_press_outside_the_legend_moves_nothing()
    {
        QCustomPlot *p = plot();
        const QRect before = legend_rect();
        const QPoint outside = before.bottomRight() + QPoint(40, 40);
        send_mouse(p, QEvent::MouseButtonPress, outside, Qt::LeftButton);
        send_mouse(p, QEvent::MouseMove, outside + QPoint(50, 50), Qt::LeftButton);
        send_mouse(p, QEvent::MouseButtonRelease, outside + QPoint(50, 50), Qt::NoButton);
        p->replot();
        // The press dragged the ranges instead; the legend stays in its corner.
        QVERIFY(p->xAxis->range().lower != -0.6);
        QCOMPARE(p->axisRect()->insetLayout()->insetRect(0), QRectF(0, 0, 0, 0));
        QCOMPARE(legend_rect().topLeft(), p->axisRect()->insetLayout()->rect().topLeft());
        QCOMPARE(legend_rect().size(), before.size());
    }

    void the_legend_never_stretches()
    {
        QCustomPlot *p = plot();
        const QSize natural = legend_rect().size();
        // A free placement rectangle far larger than the legend still gives the legend its own size.
        p->axisRect()->insetLayout()->setInsetRect(0, QRectF(0.1, 0.1, 0.8, 0.8));
        p->replot();
        QCOMPARE(legend_rect().size(), natural);
        window->experiment_records()[0].ch1_curve->removeFromLegend();
        p->replot();
        QVERIFY(legend_rect().height() < natural.height());
    }

    // Names are shown as written: the underscores of a name without descenders are the only ink below the
    // baseline of its legend entry, on screen and in the image the plot saves. The legend's 7 points come
    // to different pixel sizes on different screens, so a range of sizes is tried.
    void underscores_show_in_the_legend()
    {
        QFont legend_font = plot()->legend->font();
        for (int pixels = 8; pixels <= 14; ++pixels) {
            legend_font.setPixelSize(pixels);
            plot()->legend->setFont(legend_font);
            const QByteArray size = QByteArray::number(pixels) + " px";
            QVERIFY2(ink_below_baseline(QStringLiteral("NEW RUN W1"), false) == 0, size);
            QVERIFY2(ink_below_baseline(QStringLiteral("NEW_RUN_W1"), false) > 0, size);
            QVERIFY2(ink_below_baseline(QStringLiteral("NEW_RUN_W1"), true) > 0, size);
        }
    }

private:
    // Dark pixels under the baseline of the first legend entry, both entries named `name`.
    int ink_below_baseline(const QString &name, bool saved_image)
    {
        QCustomPlot *p = plot();
        for (int i = 0; i < 2; ++i)
            window->experiment_records()[i].ch1_curve->setName(name);
        p->replot();
        const QImage image = saved_image ? p->toPixmap().toImage() : p->grab().toImage();
        const QCPAbstractLegendItem *entry = p->legend->item(0);
        const int baseline = entry->rect().top() + QFontMetrics(entry->font()).ascent();
        int dark = 0;
        for (int y = baseline + 1; y <= entry->outerRect().bottom() + 2; ++y) {
            for (int x = entry->rect().left(); x <= entry->rect().right(); ++x)
                dark += qGray(image.pixel(x, y)) < 160 ? 1 : 0;
        }
        return dark;
    }

    QCustomPlot *plot() { return window->findChild<QCustomPlot *>("widget"); }
    QRect legend_rect() { return plot()->legend->outerRect(); }

    temp_workdir *wd = nullptr;
    MainWindow *window = nullptr;
};

QTEST_MAIN(run_plot_test)
#include "run_plot_test.moc"
