// Curve colours, per-electrode visibility, hiding, the colour and axis dialogs, and Center on the run screen.
#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <qcustomplot.h>

#include "dialogs/change_graph_color.h"
#include "dialogs/setaxis.h"
#include "plot/curve_palette.h"
#include "plot/qcp_compat.h"
#include "run/mainwindow.h"
#include "support/temp_workdir.h"

namespace {
bool in_legend(QCPCurve *c) { return c->parentPlot()->legend->hasItemWithPlottable(c); }

template <typename T> T *top_level()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *t = qobject_cast<T *>(w))
            return t;
    }
    return nullptr;
}
}  // namespace

class run_display_test : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        wd = new temp_workdir;
        window = new MainWindow;
        child<QListWidget>("listWidget")->setSelectionMode(QAbstractItemView::MultiSelection);
    }

    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w != window)
                w->close();
        }
        delete window;
        delete wd;
    }

    void colour_pairs_set_pens_and_swatches()
    {
        const int a = add("A", -1, 1, -1, 1);
        window->set_record_colours(3, 5, uint8_t(a), false);
        QCOMPARE(rec(a).ch1_colour, QColor(0x3b99d8));
        QCOMPARE(rec(a).ch2_colour, QColor(0x7e8c8c));
        QCOMPARE(rec(a).ch1_curve->pen().color(), QColor(0x3b99d8));
        QCOMPARE(rec(a).ch2_curve->pen().color(), QColor(0x7e8c8c));
        QCOMPARE(rec(a).ch1_curve->pen().capStyle(), Qt::RoundCap);
        QCOMPARE(child<QLabel>("w1_color_line")->styleSheet(), QStringLiteral(" background-color : #3b99d8"));
        QCOMPARE(child<QLabel>("w2_color_line")->styleSheet(), QStringLiteral(" background-color : #7e8c8c"));

        // Without swatches only the record and its pens change.
        window->set_record_colours(0, 0, uint8_t(a), true);
        QCOMPARE(rec(a).ch1_curve->pen().color(), QColor(0x2abb9b));
        QCOMPARE(child<QLabel>("w1_color_line")->styleSheet(), QStringLiteral(" background-color : #3b99d8"));
        QCOMPARE(window->we2_pen(a).color(), QColor(0x239f86));
    }

    void colour_dialog_round_trip()
    {
        add("A", -1, 1, -1, 1);
        const int b = add("B", -1, 1, -1, 1);
        select({b}, b);
        // No electrode box ticked: no dialog.
        child<QCheckBox>("w1_check")->setChecked(false);
        child<QCheckBox>("w2_check")->setChecked(false);
        child<QToolButton>("color")->click();
        QVERIFY(!top_level<Change_Graph_Color>());
        // A current row that is not selected names no record: still no dialog, no crash.
        child<QCheckBox>("w2_check")->setChecked(true);
        child<QListWidget>("listWidget")->clearSelection();
        child<QToolButton>("color")->click();
        QVERIFY(!top_level<Change_Graph_Color>());

        select({b}, b);
        child<QCheckBox>("w1_check")->setChecked(true);
        QSignalSpy fed(window, &MainWindow::current_color);
        window->findChild<QToolButton *>("color")->click();
        auto *dialog = top_level<Change_Graph_Color>();
        QVERIFY(dialog);
        QCOMPARE(dialog->windowModality(), Qt::ApplicationModal);
        QCOMPARE(fed.count(), 1);
        QCOMPARE(fed.at(0).at(0).value<QColor>(), rec(b).ch1_colour);
        QCOMPARE(fed.at(0).at(1).value<QColor>(), rec(b).ch2_colour);
        emit dialog->color_changed(3, 5);
        QCOMPARE(rec(b).ch1_colour, QColor(0x3b99d8));
        QCOMPARE(rec(b).ch2_colour, QColor(0x7e8c8c));
        QCOMPARE(rec(0).ch1_colour, pair_colour_ch1(0));  // the other experiment keeps its colours
    }

    void several_selected_get_colours_without_swatches()
    {
        const int a = add("A", -1, 1, -1, 1);
        const int b = add("B", -1, 1, -1, 1);
        const int c = add("C", -1, 1, -1, 1);
        select({a, c}, c);
        show_summary({"A", "C"});
        window->reset_list_style();
        QCOMPARE(child<QLabel>("w1_color_line")->styleSheet(), QStringLiteral("background-color: rgb(255,255,255);"));
        window->update_color(7, 9);
        QCOMPARE(rec(a).ch1_colour, pair_colour_ch1(7));
        QCOMPARE(rec(c).ch2_colour, pair_colour_ch2(9));
        QCOMPARE(rec(b).ch1_colour, pair_colour_ch1(1));
        QCOMPARE(child<QLabel>("w1_color_line")->styleSheet(), QStringLiteral("background-color: rgb(255,255,255);"));

        // Entry 2 of the summary names the second selected experiment alone.
        child<QComboBox>("details_box")->setCurrentIndex(2);
        window->update_color(4, 4);
        QCOMPARE(rec(c).ch1_colour, pair_colour_ch1(4));
        QCOMPARE(rec(a).ch1_colour, pair_colour_ch1(7));
        QCOMPARE(child<QLabel>("w1_color_line")->styleSheet(), QStringLiteral(" background-color : ") + pair_colour_ch1(4).name());

        // With several selected the details colours blank the swatches and return to the summary entry.
        window->apply_detail_colors(a);
        QCOMPARE(child<QComboBox>("details_box")->currentIndex(), 0);
        QCOMPARE(child<QLabel>("w2_color_line")->styleSheet(), QStringLiteral("background-color: rgb(255,255,255);"));
    }

    void electrode_boxes_show_and_hide_curves()
    {
        const int a = add("A", -1, 1, -1, 1);
        select({a}, a);
        auto *w1 = child<QCheckBox>("w1_check");
        w1->setChecked(true);
        w1->click();  // off
        QCOMPARE(int(rec(a).ch1_shown), 0);
        QVERIFY(!rec(a).ch1_curve->visible());
        QVERIFY(!in_legend(rec(a).ch1_curve));
        QVERIFY(rec(a).ch2_curve->visible());
        w1->click();  // on
        QCOMPARE(int(rec(a).ch1_shown), 1);
        QVERIFY(rec(a).ch1_curve->visible());
        QVERIFY(in_legend(rec(a).ch1_curve));
        auto *w2 = child<QCheckBox>("w2_check");
        w2->setChecked(true);
        w2->click();
        QVERIFY(!rec(a).ch2_curve->visible());
        QVERIFY(!in_legend(rec(a).ch2_curve));
        QCOMPARE(child<QLabel>("w1_color_line")->styleSheet(), QStringLiteral(" background-color : ") + rec(a).ch1_colour.name());
    }

    void a_hidden_record_stays_hidden_when_its_box_is_ticked()
    {
        const int a = add("A", -1, 1, -1, 1);
        select({a}, a);
        auto *w1 = child<QCheckBox>("w1_check");
        w1->setChecked(true);
        w1->click();  // electrode 1 off
        child<QToolButton>("Open_Experiment_2")->click();  // hide the experiment
        QCOMPARE(int(rec(a).hidden), 1);
        QVERIFY(!rec(a).ch1_curve->visible() && !rec(a).ch2_curve->visible());
        w1->click();  // electrode 1 ticked again
        QVERIFY(!rec(a).ch1_curve->visible());
        QVERIFY(!rec(a).ch2_curve->visible());
        window->apply_record_visibility(a);
        QVERIFY(!rec(a).ch1_curve->visible());
        QVERIFY(!rec(a).ch2_curve->visible());
        // Shown again, it draws what its flags allow.
        child<QToolButton>("Open_Experiment_2")->click();
        QCOMPARE(int(rec(a).hidden), 0);
        window->apply_record_visibility(a);
        QCOMPARE(rec(a).ch1_curve->visible(), bool(rec(a).ch1_shown));
        QVERIFY(rec(a).ch2_curve->visible());
    }

    void summary_entry_applies_boxes_to_every_selected_record()
    {
        const int a = add("A", -1, 1, -1, 1);
        const int b = add("B", -1, 1, -1, 1);
        const int c = add("C", -1, 1, -1, 1);
        select({a, b}, b);
        show_summary({"A", "B"});
        window->reset_list_style();
        auto *w2 = child<QCheckBox>("w2_check");
        w2->setChecked(true);
        w2->click();
        for (int r : {a, b}) {
            QCOMPARE(int(rec(r).ch2_shown), 0);
            QVERIFY(!rec(r).ch2_curve->visible());
            QVERIFY(rec(r).ch1_curve->visible());
        }
        QVERIFY(rec(c).ch2_curve->visible());
        QCOMPARE(child<QLabel>("w2_color_line")->styleSheet(), QStringLiteral("background-color: rgb(255,255,255);"));
    }

    void hide_toggle_keeps_legend_entries()
    {
        const int a = add("A", -1, 1, -1, 1);
        const int b = add("B", -1, 1, -1, 1);
        select({a, b}, a);
        show_summary({"A", "B"});
        rec(b).ch2_shown = 0;
        rec(b).ch2_curve->setVisible(false);
        auto *hide = child<QToolButton>("Open_Experiment_2");
        hide->click();
        for (int r : {a, b}) {
            QCOMPARE(int(rec(r).hidden), 1);
            QVERIFY(!rec(r).ch1_curve->visible() && !rec(r).ch2_curve->visible());
            QVERIFY(in_legend(rec(r).ch1_curve));
        }
        hide->click();
        QCOMPARE(int(rec(b).hidden), 0);
        QVERIFY(rec(b).ch1_curve->visible());
        QVERIFY(!rec(b).ch2_curve->visible());
        QVERIFY(rec(a).ch2_curve->visible());

        // With no current row the toggle does nothing.
        child<QListWidget>("listWidget")->setCurrentRow(-1);
        hide->click();
        QCOMPARE(int(rec(a).hidden), 0);
    }

    void legend_membership_follows_the_channel_boxes()
    {
        const int a = add("A", -1, 1, -1, 1);
        child<QCheckBox>("Channel_WE2")->setChecked(false);
        window->set_graphs_visible(a);
        QVERIFY(in_legend(rec(a).ch1_curve));
        QVERIFY(!in_legend(rec(a).ch2_curve));
        child<QCheckBox>("Channel_WE1")->setChecked(false);
        child<QCheckBox>("Channel_WE2")->setChecked(true);
        window->set_graphs_visible(a);
        QVERIFY(!in_legend(rec(a).ch1_curve));
        QVERIFY(in_legend(rec(a).ch2_curve));
        window->hide_record_graphs(a);
        QVERIFY(!in_legend(rec(a).ch2_curve) && !rec(a).ch2_curve->visible() && !rec(a).ch1_curve->visible());

        // An experiment opened from a file that holds one electrode lists only that one: shown, the empty
        // electrode would be an empty entry in the legend and in exported images.
        const int one = window->experiment_records().take_next();
        qcp::set_points(rec(one).ch1_curve, {0.1, 0.2}, {1.0, 2.0});
        window->add_opened_experiment("one");
        QVERIFY(in_legend(rec(one).ch1_curve));
        QVERIFY(!in_legend(rec(one).ch2_curve));
        child<QCheckBox>("w2_check")->click();
        child<QCheckBox>("w2_check")->click();
        QVERIFY(!in_legend(rec(one).ch2_curve));
    }

    void legend_switch_toggles_the_legend()
    {
        QVERIFY(plot()->legend->visible());
        window->legend_menu();
        QVERIFY(!plot()->legend->visible());
        window->legend_menu();
        QVERIFY(plot()->legend->visible());
    }

    void axis_dialog_round_trip()
    {
        // Without the type known, the spy would record the mode as an empty value, which reads as 0.
        qRegisterMetaType<uint8_t>("uint8_t");
        QSignalSpy fed(window, &MainWindow::send_axisval);
        window->set_axis();
        auto *dialog = top_level<setaxis>();
        QVERIFY(dialog);
        QCOMPARE(dialog->windowModality(), Qt::ApplicationModal);
        QCOMPARE(fed.count(), 1);
        const QList<QVariant> values = fed.at(0);
        QCOMPARE(values.at(0).toDouble(), 1.0);
        QCOMPARE(values.at(1).toDouble(), -1.0);
        QCOMPARE(values.at(2).toDouble(), 0.6);
        QCOMPARE(values.at(3).toDouble(), -0.6);
        QCOMPARE(values.at(4).value<uint8_t>(), uint8_t(0));
        emit dialog->send_axis_experiment(2, -2, 1, -1);
        QCOMPARE(ranges(), (QVector<double>{-1, 1, -2, 2}));
    }

    void axis_dialog_on_a_time_axis_keeps_the_view()
    {
        // Chronoamperometry and amperometry: time across, far beyond the potential boxes' 2010.
        plot()->xAxis->setLabel(QStringLiteral("Time(ms)"));
        plot()->xAxis->setRange(0, 5000);
        plot()->yAxis->setRange(-3.25, 4.5);
        const auto shown_dialog = [] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                if (auto *d = qobject_cast<setaxis *>(w); d && d->isVisible())
                    return d;
            }
            return static_cast<setaxis *>(nullptr);
        };
        window->set_axis();
        setaxis *dialog = shown_dialog();
        QVERIFY(dialog);
        QCOMPARE(dialog->findChild<QLabel *>(QStringLiteral("PROTOCOL_4"))->text(), QStringLiteral(" Time (ms):"));
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("pushButton")), Qt::LeftButton);
        QCOMPARE(ranges(), (QVector<double>{0, 5000, -3.25, 4.5}));

        // Back on a potential axis the boxes are the potential boxes again, in a new dialog.
        plot()->xAxis->setLabel(QStringLiteral("Voltage (V)"));
        plot()->xAxis->setRange(-0.123, 0.456);
        window->set_axis();
        dialog = shown_dialog();
        QVERIFY(dialog);
        QCOMPARE(dialog->findChild<QLabel *>(QStringLiteral("PROTOCOL_4"))->text(), QStringLiteral(" Voltage (V):"));
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("pushButton")), Qt::LeftButton);
        QCOMPARE(ranges(), (QVector<double>{-0.12, 0.46, -3.25, 4.5}));
    }

    void center_fits_selected_experiments()
    {
        const int a = add("A", -0.5f, 0.25f, -3, 4);
        const int b = add("B", -0.75f, 0.125f, -1, 9);
        const int flat = add("F", 0.5f, 0.5f, -2, 2);
        plot()->axisRect()->insetLayout()->setInsetRect(0, QRectF(0.4, 0.4, 0, 0));
        select({a, b}, a);
        child<QToolButton>("Center")->click();
        QCOMPARE(ranges(), (QVector<double>{-0.75, 0.25, -3, 9}));
        QCOMPARE(plot()->axisRect()->insetLayout()->insetRect(0), QRectF(0, 0, 0, 0));

        select({flat}, flat);
        child<QToolButton>("Center")->click();
        QCOMPARE(ranges(), (QVector<double>{-0.75, 0.25, -2, 2}));  // x left as it was
    }

    void center_without_a_current_row_does_nothing()
    {
        add("A", -0.5f, 0.25f, -3, 4);
        auto *list = child<QListWidget>("listWidget");
        list->item(0)->setSelected(true);
        list->setCurrentRow(-1, QItemSelectionModel::NoUpdate);
        QCOMPARE(list->currentRow(), -1);
        plot()->axisRect()->insetLayout()->setInsetRect(0, QRectF(0.4, 0.4, 0, 0));
        child<QToolButton>("Center")->click();
        QCOMPARE(ranges(), (QVector<double>{-0.6, 0.6, -1, 1}));
        QCOMPARE(plot()->axisRect()->insetLayout()->insetRect(0), QRectF(0.4, 0.4, 0, 0));
        // An empty list as well.
        list->clear();
        child<QToolButton>("Center")->click();
        QCOMPARE(ranges(), (QVector<double>{-0.6, 0.6, -1, 1}));
    }

    void record_indexes_outside_the_records_are_ignored()
    {
        for (int bad : {-1, 255, 1000}) {
            window->apply_record_visibility(bad);
            window->hide_record_graphs(bad);
            window->toggle_we1_graph(bad);
            window->show_record_colour_swatches(bad);
            window->set_graphs_visible(bad);
            QCOMPARE(window->we1_pen(bad), QPen());
        }
        // No selection: the electrode boxes and the colour answer name no record and change nothing.
        child<QCheckBox>("w1_check")->click();
        window->update_color(3, 5);
        QVERIFY(!rec(0).ch1_colour.isValid());
    }

private:
    // Adds an experiment the way a run or an opened file leaves it: in use, listed, both electrodes shown.
    int add(const QString &name, float e_min, float e_max, float i_min, float i_max);
    void select(std::initializer_list<int> rows, int current);
    void show_summary(const QStringList &names);
    template <typename T> T *child(const char *name) { return window->findChild<T *>(QLatin1String(name)); }
    QCustomPlot *plot() { return child<QCustomPlot>("widget"); }
    // x lower, x upper, y lower, y upper.
    QVector<double> ranges()
    {
        const QCPRange x = plot()->xAxis->range(), y = plot()->yAxis->range();
        return {x.lower, x.upper, y.lower, y.upper};
    }
    curve &rec(int i) { return window->experiment_records()[i]; }

    temp_workdir *wd = nullptr;
    MainWindow *window = nullptr;
};

int run_display_test::add(const QString &name, float e_min, float e_max, float i_min, float i_max)
{
    const int i = window->experiment_records().take_next();
    curve &r = rec(i);
    r.name = name;
    r.e_min = e_min;
    r.e_max = e_max;
    r.i_min = i_min;
    r.i_max = i_max;
    r.ch1_shown = 1;
    r.ch2_shown = 1;
    r.ch1_curve->setName(name + "_w1");
    r.ch2_curve->setName(name + "_w2");
    qcp::set_points(r.ch1_curve, {e_min, e_max}, {i_min, i_max});
    qcp::set_points(r.ch2_curve, {e_min, e_max}, {i_min, i_max});
    r.ch1_curve->addToLegend();
    r.ch2_curve->addToLegend();
    window->set_record_colours(uint8_t(palette_pair_for_record(i)), uint8_t(palette_pair_for_record(i)), uint8_t(i), true);
    child<QListWidget>("listWidget")->addItem(name);
    return i;
}

void run_display_test::select(std::initializer_list<int> rows, int current)
{
    auto *list = child<QListWidget>("listWidget");
    list->clearSelection();
    list->setCurrentRow(current, QItemSelectionModel::NoUpdate);
    for (int r : rows)
        list->item(r)->setSelected(true);
    auto *box = child<QComboBox>("details_box");
    const QSignalBlocker blocker(box);
    box->clear();
    if (rows.size() == 1)
        box->addItem(list->item(*rows.begin())->text());
}

void run_display_test::show_summary(const QStringList &names)
{
    auto *box = child<QComboBox>("details_box");
    const QSignalBlocker blocker(box);
    box->clear();
    box->addItem(QStringLiteral("%1 Experiments").arg(names.size()));
    box->addItems(names);
    box->setCurrentIndex(0);
}

QTEST_MAIN(run_display_test)
#include "run_display_test.moc"
