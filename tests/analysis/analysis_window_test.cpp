// The analysis window's side of the hand-over, driven the way the run screen drives it: records, users and the
// connection state in, the user and the way back out; the form builds cleanly.
#include <QtTest>

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QToolButton>
#include <memory>
#include <qcustomplot.h>

#include "analysis/qv_analysis_window.h"
#include "run/qcp_compat.h"
#include "shell/app_state.h"
#include "support/slot_warning_guard.h"

namespace {
template <typename T> T *child(QWidget *w, const char *name)
{
    T *c = w->findChild<T *>(QLatin1String(name));
    if (!c)
        qFatal("no child %s", name);
    return c;
}

QStringList items(QComboBox *box)
{
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list;
}

QString proposed_name(QWidget *window) { return window->findChild<QLineEdit *>("analysis_name")->text(); }

// The curves the experiment box's current row shows on the window's plot.
QList<QCPCurve *> visible_curves(QWidget *window)
{
    QList<QCPCurve *> shown;
    auto *plot = child<QCustomPlot>(window, "widget2");
    for (int i = 0; i < plot->plottableCount(); ++i)
        if (auto *c = qobject_cast<QCPCurve *>(plot->plottable(i)); c && c->visible())
            shown << c;
    return shown;
}

void destroy_deferred() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
}  // namespace

// Stands in for the run screen: the same signals, connected the same way.
class run_screen_double : public QObject {
    Q_OBJECT
public:
    explicit run_screen_double(qv_analysis_window *w)
    {
        connect(this, &run_screen_double::pass_to_analysis, w, &qv_analysis_window::get_from_experiment);
        connect(this, &run_screen_double::pass_user_from_experiment, w,
                &qv_analysis_window::get_user_from_experiment);
        connect(this, &run_screen_double::send_done, w, &qv_analysis_window::refresh_ui);
        connect(this, &run_screen_double::to_analysis, w, &qv_analysis_window::update_combobox);
        connect(this, &run_screen_double::current_user_to_analysis, w,
                &qv_analysis_window::update_user_from_experiment);
        connect(this, &run_screen_double::current_exp_index, w, &qv_analysis_window::update_current_list);
        connect(this, &run_screen_double::current_device, w, &qv_analysis_window::update_device);
        connect(this, &run_screen_double::current_port, w, &qv_analysis_window::update_port);
    }
signals:
    void pass_to_analysis(curve);
    void pass_user_from_experiment(QString);
    void send_done();
    void to_analysis(QString);
    void current_user_to_analysis(int);
    void current_exp_index(int8_t);
    void current_device(uint8_t);
    void current_port(QString);
};

class analysis_window_test : public QObject {
    Q_OBJECT
    std::unique_ptr<QCustomPlot> source;  // the run screen's plot, holding the originals
    QPointer<qv_analysis_window> window;

    // Points on an ellipse so that every record's points differ; key in V, value in µA.
    curve make_record(const QString &name, int ch1_points, int ch2_points, uint16_t cycles = 1)
    {
        curve c;
        c.name = name;
        c.saved_name = name;
        c.method = QStringLiteral("Cyclic Voltammetry");
        c.cycles = cycles;
        c.ch1_colour = QColor(0x2abb9b);
        c.ch2_colour = QColor(0x239f86);
        c.e_min = -0.5f, c.e_max = 0.5f, c.i_min = -20.0f, c.i_max = 30.0f;
        c.details = QStringList{QStringLiteral("Cyclic Voltammetry"), QStringLiteral("User: ann")};
        c.ch1_curve = new QCPCurve(source->xAxis, source->yAxis);
        c.ch2_curve = new QCPCurve(source->xAxis, source->yAxis);
        for (int i = 0; i < ch1_points; ++i)
            qcp::add_point(c.ch1_curve, 0.5 * std::cos(i * 0.1), 20.0 * std::sin(i * 0.1) + name.size());
        for (int i = 0; i < ch2_points; ++i)
            qcp::add_point(c.ch2_curve, 0.4 * std::cos(i * 0.1), -10.0 * std::sin(i * 0.1));
        return c;
    }


private slots:
    void init()
    {
        source = std::make_unique<QCustomPlot>();
        window = new qv_analysis_window(nullptr);
    }


    void cleanup()
    {
        delete window.data();
        destroy_deferred();
        source.reset();
    }

    void form_builds_cleanly()
    {
        QStringList by_name;
        qv_analysis_window *fresh = nullptr;
        {
            slot_warning_guard guard;
            fresh = new qv_analysis_window(nullptr);
            by_name = guard.slot_name_warnings();
        }
        QVERIFY2(by_name.isEmpty(), qPrintable(by_name.join('\n')));

        QCOMPARE(fresh->windowTitle(), QStringLiteral("Quelvarin Controller - Analysis"));
        QCOMPARE(fresh->objectName(), QStringLiteral("qv_analysis_window"));
        QCOMPARE(fresh->minimumSize(), QSize(1024, 750));
        QCOMPARE(fresh->maximumSize(), QSize(1024, 750));
        QVERIFY(fresh->parentWidget() == nullptr);
        QCOMPARE(items(child<QComboBox>(fresh, "comboBox_2")), QStringList{"Disconnected"});
        QCOMPARE(child<QComboBox>(fresh, "channel_to_analyze")->count(), 2);
        QCOMPARE(child<QComboBox>(fresh, "Cycle_to_analyze")->count(), 0);
        QVERIFY(!child<QComboBox>(fresh, "channel_to_analyze")->isEnabled() && !child<QComboBox>(fresh, "Cycle_to_analyze")->isEnabled());
        QCOMPARE(child<QComboBox>(fresh, "user_box")->count() + child<QComboBox>(fresh, "Experiment_2B_Analyzed")->count(), 0);
        auto *back = child<QToolButton>(fresh, "To_Run_Screen_Button");
        QCOMPARE(back->text(), QStringLiteral("Analyze"));
        QVERIFY(back->toolTip().contains(QStringLiteral("TO EXPERIMENT SCREEN")));
        QCOMPARE(proposed_name(fresh), QStringLiteral("New_Analysis_") + QDate::currentDate().toString("yyyyMMdd"));
        QCOMPARE(child<QLineEdit>(fresh, "analysis_name")->maxLength(), 64);
        // An empty hand-over changes nothing.
        fresh->refresh_ui();
        QCOMPARE(child<QComboBox>(fresh, "Experiment_2B_Analyzed")->currentIndex(), -1);
        delete fresh;
    }


    void records_arrive_in_order()
    {
        run_screen_double run(window);
        run.pass_to_analysis(make_record("CV_a", 40, 0));
        run.pass_to_analysis(make_record("CV_bb", 50, 0));
        run.pass_to_analysis(make_record("CV_ccc", 60, 0));
        run.send_done();

        auto *box = child<QComboBox>(window, "Experiment_2B_Analyzed");
        QCOMPARE(items(box), (QStringList{"CV_a", "CV_bb", "CV_ccc"}));
        QCOMPARE(window->experiment_count(), 3);
        QCOMPARE(window->experiment(2).name, QStringLiteral("CV_ccc"));
        QCOMPARE(window->experiment(2).details.last(), QStringLiteral("User: ann"));

        // The first record is current and only its electrode-1 curve is drawn.
        QCOMPARE(box->currentIndex(), 0);
        QCOMPARE(visible_curves(window), QList<QCPCurve *>{window->experiment(0).ch1_curve});
        QCOMPARE(qcp::point_count(window->experiment(0).ch1_curve), 40);
        QCOMPARE(window->experiment(0).ch1_curve->pen().color(), QColor(0x2abb9b));
        auto *plot = child<QCustomPlot>(window, "widget2");
        QCOMPARE(plot->xAxis->range().lower, double(-0.5f));
        QCOMPARE(plot->yAxis->range().upper, double(30.0f));
        QCOMPARE(proposed_name(window), QStringLiteral("CV_a_W1C1"));

        // The run screen asks for its selected record as row 0; another row shows that record instead.
        run.current_exp_index(0);
        QCOMPARE(box->currentIndex(), 0);
        window->update_current_list(2);
        QCOMPARE(box->currentIndex(), 2);
        QCOMPARE(visible_curves(window), QList<QCPCurve *>{window->experiment(2).ch1_curve});
        QCOMPARE(proposed_name(window), QStringLiteral("CV_ccc_W1C1"));
    }


    void points_are_copies()
    {
        curve original = make_record("CV_a", 30, 8);
        window->get_from_experiment(original);
        window->refresh_ui();
        const curve &copy = window->experiment(0);
        QVERIFY(copy.ch1_curve != original.ch1_curve && copy.ch2_curve != original.ch2_curve);
        QCOMPARE(copy.ch1_curve->parentPlot(), child<QCustomPlot>(window, "widget2"));
        const qcp::points sent = qcp::read_points(original.ch1_curve);
        QCOMPARE(qcp::read_points(copy.ch1_curve).keys, sent.keys);
        QCOMPARE(qcp::read_points(copy.ch1_curve).values, sent.values);
        QCOMPARE(qcp::point_count(copy.ch2_curve), 8);

        // The run screen goes on changing and even dropping its curves; the window keeps what it received.
        qcp::add_point(original.ch1_curve, 9.0, 9.0);
        source.reset();
        QCOMPARE(qcp::read_points(copy.ch1_curve).values, sent.values);
        child<QComboBox>(window, "channel_to_analyze")->setCurrentIndex(1);
        QCOMPARE(visible_curves(window), QList<QCPCurve *>{copy.ch2_curve});
    }


    void cycle_and_channel_follow_the_shown_record()
    {
        auto *cycle = child<QComboBox>(window, "Cycle_to_analyze");
        auto *channel = child<QComboBox>(window, "channel_to_analyze");
        auto *box = child<QComboBox>(window, "Experiment_2B_Analyzed");

        window->get_from_experiment(make_record("three", 40, 40, 3));
        window->get_from_experiment(make_record("one", 0, 40, 1));
        window->refresh_ui();
        QCOMPARE(items(cycle), (QStringList{"1", "2", "3"}));
        QVERIFY(cycle->isEnabled() && channel->isEnabled());
        QCOMPARE(channel->currentIndex(), 0);
        cycle->setCurrentIndex(1);
        QCOMPARE(proposed_name(window), QStringLiteral("three_W1C2"));
        channel->setCurrentIndex(1);
        QCOMPARE(proposed_name(window), QStringLiteral("three_W2C2"));
        QCOMPARE(visible_curves(window), QList<QCPCurve *>{window->experiment(0).ch2_curve});

        // Picking the electrode-2-only record by hand resets the boxes for it.
        box->setCurrentIndex(1);
        QCOMPARE(cycle->count(), 1);
        QCOMPARE(channel->currentIndex(), 1);
        QVERIFY(!cycle->isEnabled() && !channel->isEnabled());
        QCOMPARE(visible_curves(window), QList<QCPCurve *>{window->experiment(1).ch2_curve});
        QCOMPARE(proposed_name(window), QStringLiteral("one_W2C1"));
    }


    void record_without_curves()
    {
        curve bare;
        bare.name = QStringLiteral("empty");
        bare.e_min = bare.e_max = 999.9f;  // the run screen's "nothing seen yet"
        window->get_from_experiment(bare);
        window->refresh_ui();
        QCOMPARE(window->experiment_count(), 1);
        QCOMPARE(qcp::point_count(window->experiment(0).ch1_curve) + qcp::point_count(window->experiment(0).ch2_curve), 0);
        QCOMPARE(child<QComboBox>(window, "channel_to_analyze")->currentIndex(), 1);
        // Without usable extremes the plot keeps a sane range.
        auto *plot = child<QCustomPlot>(window, "widget2");
        QVERIFY(plot->xAxis->range().lower < plot->xAxis->range().upper);
    }


    void more_records_than_room()
    {
        const curve record = make_record("CV", 6, 0);
        for (int i = 0; i < qv_analysis_window::capacity; ++i) {
            curve c = record;
            c.name = QStringLiteral("CV_%1").arg(i);
            window->get_from_experiment(c);
        }
        curve extra = record;
        extra.name = QStringLiteral("extra");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("no room for experiment"));
        window->get_from_experiment(extra);
        auto *box = child<QComboBox>(window, "Experiment_2B_Analyzed");
        QCOMPARE(box->count(), qv_analysis_window::capacity);
        QCOMPARE(window->experiment(0).name, QStringLiteral("CV_0"));
        QCOMPARE(box->itemText(qv_analysis_window::capacity - 1), QStringLiteral("CV_255"));
    }


    void users_arrive_with_the_marked_one_current()
    {
        run_screen_double run(window);
        QSignalSpy user_spy(window, &qv_analysis_window::send_current_user);
        QSignalSpy back_spy(window, &qv_analysis_window::show_experiment_window);
        run.pass_user_from_experiment("anna");
        run.pass_user_from_experiment("0xffrecentuser\tben");
        run.pass_user_from_experiment("0xffrecentuser");  // names no one
        run.pass_user_from_experiment("carl");
        run.pass_user_from_experiment("Log Out");

        auto *users = child<QComboBox>(window, "user_box");
        QCOMPARE(items(users), (QStringList{"anna", "ben", "carl", "Log Out"}));
        QCOMPARE(users->currentIndex(), 1);
        // The run screen hears only of the user it marked.
        QCOMPARE(user_spy.count(), 1);
        QCOMPARE(user_spy.at(0).at(0).value<uint8_t>(), uint8_t(1));
        QCOMPARE(back_spy.count(), 0);
    }


    void user_from_run_screen()
    {
        run_screen_double run(window);
        run.pass_to_analysis(make_record("Exp_3", 40, 0, 2));
        run.send_done();
        for (const char *u : {"anna", "0xffrecentuser\tben", "Log Out"})
            run.pass_user_from_experiment(u);
        QSignalSpy user_spy(window, &qv_analysis_window::send_current_user);
        auto *users = child<QComboBox>(window, "user_box");
        auto *name = child<QLineEdit>(window, "analysis_name");
        name->clear();

        run.current_user_to_analysis(0);
        QCOMPARE(users->currentIndex(), 0);
        QCOMPARE(user_spy.count(), 1);
        QCOMPARE(user_spy.at(0).at(0).value<uint8_t>(), uint8_t(0));
        QCOMPARE(name->text(), QStringLiteral("Exp_3_W1C1"));

        // Rows the box lacks change nothing and tell the run screen nothing.
        name->clear();
        for (int row : {-1, 3, 255})
            run.current_user_to_analysis(row);
        QCOMPARE(users->currentIndex(), 0);
        QCOMPARE(user_spy.count(), 1);
        QCOMPARE(name->text(), QString());

        // A user picked on this screen goes to the run screen.
        users->setCurrentIndex(1);
        QCOMPARE(user_spy.count(), 2);
        QCOMPARE(user_spy.at(1).at(0).value<uint8_t>(), uint8_t(1));
    }


    void connection_state()
    {
        run_screen_double run(window);
        auto *device = child<QComboBox>(window, "comboBox_2");
        for (auto state : {std::pair<QString, QString>{"RZ410-K260507", "RZ410-K260507"}, {"disconnected", "Disconnected"},
                           {"connected", "connected"}, {"Disconnected", "Disconnected"}}) {
            run.to_analysis(state.first);
            QCOMPARE(items(device), QStringList{state.second}); // one entry, replaced
        }

        // Device and port messages leave the box alone; the port is kept.
        run.current_device(7);
        run.current_port("ttyUSB3");
        QCOMPARE(device->currentText(), QStringLiteral("Disconnected"));
        QCOMPARE(window->port_name(), QStringLiteral("ttyUSB3"));
    }


    void current_list_ignores_rows_it_lacks()
    {
        run_screen_double run(window);
        auto *box = child<QComboBox>(window, "Experiment_2B_Analyzed");

        // Before any record arrives, even row 0 is absent.
        run.current_exp_index(0);
        QCOMPARE(box->currentIndex(), -1);

        run.pass_to_analysis(make_record("CV_a", 40, 0));
        run.pass_to_analysis(make_record("CV_bb", 40, 0));
        run.send_done();
        window->update_current_list(1);
        QCOMPARE(box->currentIndex(), 1);
        const QList<QCPCurve *> shown = visible_curves(window);
        for (int8_t bad : {int8_t(-1), int8_t(-128), int8_t(2), int8_t(127)}) {
            run.current_exp_index(bad);
            QCOMPARE(box->currentIndex(), 1);
            QCOMPARE(visible_curves(window), shown);
        }
    }


    void back_button_and_title_bar_close_hand_back_once()
    {
        for (bool by_button : {true, false}) {
            if (!window)
                window = new qv_analysis_window(nullptr);
            QSignalSpy back_spy(window, &qv_analysis_window::show_experiment_window);
            window->show();
            auto *back = child<QToolButton>(window, "To_Run_Screen_Button");
            if (by_button)
                back->click();
            else
                QVERIFY(window->close());
            QCOMPARE(back_spy.count(), 1);
            QVERIFY(!window->isVisible());
            back->click(); // still there until the event loop deletes it
            QCOMPARE(back_spy.count(), 1);
            destroy_deferred();
            QVERIFY(window.isNull());
        }
    }

    void log_out_hands_back()
    {
        run_screen_double run(window);
        for (const char *u : {"0xffrecentuser\tanna", "ben", "Log Out"})
            run.pass_user_from_experiment(u);
        window->show();
        QSignalSpy back_spy(window, &qv_analysis_window::show_experiment_window);
        QSignalSpy user_spy(window, &qv_analysis_window::send_current_user);
        child<QComboBox>(window, "user_box")->setCurrentIndex(2);
        QCOMPARE(back_spy.count(), 1);
        QCOMPARE(user_spy.count(), 0);
        destroy_deferred();
        QVERIFY(window.isNull());
    }


    void settings_button()
    {
        QSignalSpy settings_spy(window, &qv_analysis_window::settings_clicked_experiment);
        QSignalSpy back_spy(window, &qv_analysis_window::show_experiment_window);
        child<QToolButton>(window, "settings")->click();
        QCOMPARE(settings_spy.count(), 1);
        QCOMPARE(back_spy.count(), 0);
    }


    void startup_document_is_read_not_changed()
    {
        app_state::startup_analysis_path = QStringLiteral("Data/User/ann/Analysis/a.qva");
        auto *w = new qv_analysis_window(nullptr);
        QCOMPARE(w->startup_document(), QStringLiteral("Data/User/ann/Analysis/a.qva"));
        QCOMPARE(app_state::startup_analysis_path, QStringLiteral("Data/User/ann/Analysis/a.qva"));
        delete w;
        app_state::startup_analysis_path.clear();
    }
};

QTEST_MAIN(analysis_window_test)
#include "analysis_window_test.moc"
