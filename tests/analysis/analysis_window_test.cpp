// The analysis window's hand-over, driven the way the run screen drives it (records, users and the connection
// state in, the user and the way back out), its user and dialog controls, and a form that builds cleanly.
#include <QtTest>

#include <QApplication>
#include <QMimeData>
#include <QPointer>
#include <QToolButton>
#include <memory>

#include "analysis/qv_analysis_window.h"
#include "analysis_window_fixtures.h"
#include "dialogs/about_dialog_box.h"
#include "dialogs/change_graph_color.h"
#include "instrument/serial_select.h"
#include "shell/app_state.h"
#include "shell/select_user.h"
#include "support/slot_warning_guard.h"

using namespace analysis_fixtures;

namespace {
QString proposed_name(QWidget *window) { return child<QLineEdit>(window, "analysis_name")->text(); }

template <typename T>
QList<T *> open_windows()
{
    QList<T *> found;
    for (QWidget *top : QApplication::topLevelWidgets())
        if (auto *w = qobject_cast<T *>(top); w && w->isVisible())
            found << w;
    return found;
}

void close_all_dialogs()
{
    for (QWidget *top : QApplication::topLevelWidgets())
        if (!qobject_cast<qv_analysis_window *>(top) && top->isVisible())
            top->close();
    destroy_deferred();
}
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

private slots:
    void init()
    {
        source = std::make_unique<QCustomPlot>();
        window = new qv_analysis_window(nullptr);
    }

    void cleanup()
    {
        close_all_dialogs();
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
        QCOMPARE(fresh->minimumSize(), QSize(1024, 750));
        QCOMPARE(fresh->maximumSize(), QSize(1024, 750));
        QVERIFY(fresh->parentWidget() == nullptr);
        QCOMPARE(items(child<QComboBox>(fresh, "comboBox_2")), QStringList{"Disconnected"});
        QCOMPARE(proposed_name(fresh), QStringLiteral("New_Analysis_") + QDate::currentDate().toString("yyyyMMdd"));
        QCOMPARE(child<QListWidget>(fresh, "recent_analyses")->selectionMode(), QAbstractItemView::MultiSelection);
        // With an empty list only the lower delete button is offered.
        for (const char *name : {"Delete_Analysis", "Save_Analysis_2", "Save_Analysis_3"})
            QVERIFY2(!child<QToolButton>(fresh, name)->isEnabled(), name);
        QVERIFY(child<QToolButton>(fresh, "Delete_Analysis_2")->isEnabled());
        QVERIFY(fresh->acceptDrops());
        // An empty hand-over changes nothing.
        fresh->refresh_ui();
        QCOMPARE(child<QComboBox>(fresh, "Experiment_2B_Analyzed")->currentIndex(), -1);
        QCOMPARE(child<QListWidget>(fresh, "recent_analyses")->count(), 0);
        delete fresh;
    }

    void records_arrive_in_order_and_the_first_is_analysed()
    {
        run_screen_double run(window);
        for (const char *name : {"CV_a", "CV_bb", "CV_ccc"})
            run.pass_to_analysis(voltammogram(source.get(), name));
        auto *box = child<QComboBox>(window, "Experiment_2B_Analyzed");
        auto *list = child<QListWidget>(window, "recent_analyses");
        // Arriving records are only listed; the analysis waits until all are here.
        QCOMPARE(list->count(), 0);
        run.send_done();

        QCOMPARE(items(box), (QStringList{"CV_a", "CV_bb", "CV_ccc"}));
        QCOMPARE(window->experiment(2).details.last(), QStringLiteral("User: ann"));
        QCOMPARE(box->currentIndex(), 0);
        QCOMPARE(rows(list), QStringList{"CV_a_W1C1"});
        // The analysis takes the experiment's place on the plot: its one cycle and two tangents.
        const curve &a = window->analyses().record(0);
        QCOMPARE(qcp::read_points(a.ch1_curve).keys, qcp::read_points(window->experiment(0).ch1_curve).keys);
        QCOMPARE(visible_curves(window).size(), 3);
        QVERIFY(visible_curves(window).contains(a.ch1_curve));
        QVERIFY(!window->experiment(0).ch1_curve->visible());
        QCOMPARE(legend_curves(window), QList<QCPCurve *>{a.ch1_curve});

        // The run screen asks for its selected record; it is analysed with the anchors in their middles.
        window->update_current_list(2);
        QCOMPARE(box->currentIndex(), 2);
        QCOMPARE(rows(list), (QStringList{"CV_a_W1C1", "CV_ccc_W1C1"}));
        QCOMPARE(list->currentRow(), 1);
        auto *anodic = child<QSlider>(window, "anodic");
        QCOMPARE(anodic->value(), anodic->maximum() / 2);
        QCOMPARE(window->analyses().result(1).current_anodic, uint16_t(anodic->value()));
    }

    // The hand-over's first analysis keeps what the experiment box made of it before the users arrived, also for a
    // sweep that runs down first, and its details name the user, also when the run screen asks for another record.
    void first_analysis_of_the_hand_over_data()
    {
        QTest::addColumn<bool>("down_first");
        QTest::addColumn<int>("asked");
        QTest::newRow("up first") << false << 0;
        QTest::newRow("down first") << true << 0;
        QTest::newRow("second record asked for") << false << 1;
    }
    void first_analysis_of_the_hand_over()
    {
        QFETCH(bool, down_first);
        QFETCH(int, asked);
        run_screen_double run(window);
        for (const char *name : {"CV", "CV_2"}) {
            const curve record = voltammogram(source.get(), name);
            run.pass_to_analysis(down_first ? swept_down_first(record) : record);
        }
        run.send_done();
        const analysis_result made = window->analyses().result(0);
        const QVector<double> line = qcp::read_points(made.cathodic_tangent).values;
        QCOMPARE(line.size(), 4);
        for (const char *u : {"0xffrecentuser\tann", "Log Out"})
            run.pass_user_from_experiment(u);
        run.current_user_to_analysis(0);
        run.current_exp_index(int8_t(asked));

        QCOMPARE(child<QListWidget>(window, "recent_analyses")->count(), 1 + asked);
        const analysis_result &res = window->analyses().result(0);
        QCOMPARE(QVector<float>({res.Epa, res.Epc, res.Ipa, res.Ipc}),
                 QVector<float>({made.Epa, made.Epc, made.Ipa, made.Ipc}));
        QCOMPARE(qcp::read_points(res.cathodic_tangent).values, line);
        QCOMPARE(window->analyses().record(0).details.last(), QStringLiteral("User:ann"));
    }

    void points_are_copies()
    {
        curve original = voltammogram(source.get(), "CV_a");
        window->get_from_experiment(original);
        const curve &copy = window->experiment(0);
        QVERIFY(copy.ch1_curve != original.ch1_curve && copy.ch2_curve != original.ch2_curve);
        QCOMPARE(copy.ch1_curve->parentPlot(), child<QCustomPlot>(window, "widget2"));
        const qcp::points sent = qcp::read_points(original.ch2_curve);
        QCOMPARE(qcp::read_points(copy.ch2_curve).values, sent.values);

        // The run screen goes on changing and even dropping its curves; the window keeps what it received.
        qcp::add_point(original.ch2_curve, 9.0, 9.0);
        source.reset();
        window->refresh_ui();
        child<QComboBox>(window, "channel_to_analyze")->setCurrentIndex(1);
        // Electrode 2 is analysed in an analysis of its own, its points in the analysis's first curve.
        QCOMPARE(rows(child<QListWidget>(window, "recent_analyses")), (QStringList{"CV_a_W1C1", "CV_a_W2C1"}));
        QCOMPARE(qcp::read_points(window->analyses().record(1).ch1_curve).values, sent.values);
        QCOMPARE(window->analyses().result(1).channel_index, uint8_t(1));
    }

    void cycle_box_for_the_first_record()
    {
        auto *cycle = child<QComboBox>(window, "Cycle_to_analyze");
        auto *channel = child<QComboBox>(window, "channel_to_analyze");
        auto *list = child<QListWidget>(window, "recent_analyses");
        curve one = voltammogram(source.get(), "one");
        qcp::clear_points(one.ch1_curve);
        window->get_from_experiment(voltammogram(source.get(), "three", 3));
        window->get_from_experiment(one);
        window->refresh_ui();
        QCOMPARE(items(cycle), (QStringList{"1", "2", "3"}));
        QVERIFY(cycle->isEnabled() && channel->isEnabled());

        // A cycle with no analysis yet: a new row, first cut at cycle 1, then at the chosen one.
        cycle->setCurrentIndex(1);
        QCOMPARE(proposed_name(window), QStringLiteral("three_W1C2"));
        QCOMPARE(rows(list).last(), QStringLiteral("three_W1C2"));
        QCOMPARE(cycle->currentIndex(), 1);
        const int row = list->count() - 1;
        QCOMPARE(window->analyses().result(row).cycle_index, uint8_t(1));
        const QCPCurve *cut = window->analyses().record(row).ch1_curve;
        QVERIFY(qcp::point_count(cut) > 2000 && qcp::point_count(cut) < 3000);
        // The second cycle starts at the low end again, after the first one's up and down sweeps.
        QVERIFY(qAbs(qcp::read_points(cut).keys.first() + 0.5) < 0.01);

        // A record of one cycle and electrode 2 alone: one cycle offered, electrode 2 fixed.
        child<QComboBox>(window, "Experiment_2B_Analyzed")->setCurrentIndex(1);
        QCOMPARE(items(cycle), QStringList{"1"});
        QCOMPARE(channel->currentIndex(), 1);
        QVERIFY(!cycle->isEnabled() && !channel->isEnabled());
        QCOMPARE(rows(list).last(), QStringLiteral("one_W2C1"));
    }

    void record_without_points()
    {
        curve bare;
        bare.name = QStringLiteral("empty");
        bare.e_min = bare.e_max = 999.9f;  // the run screen's "nothing seen yet"
        window->get_from_experiment(bare);
        window->refresh_ui();
        QCOMPARE(window->experiment_count(), 1);
        QCOMPARE(child<QComboBox>(window, "channel_to_analyze")->currentIndex(), 1);
        QCOMPARE(qcp::point_count(window->analyses().record(0).ch1_curve), 0);
        auto *plot = child<QCustomPlot>(window, "widget2");
        QVERIFY(plot->xAxis->range().lower < plot->xAxis->range().upper);
    }

    void more_records_than_room()
    {
        const curve record = voltammogram(source.get(), "CV");
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

    // The marked user is current and owns the analysis folder, also when it is the first row, which the box
    // makes current by itself as the rows arrive (every single-user setup).
    void users_arrive_with_the_marked_one_current_data()
    {
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("current");
        QTest::newRow("second row marked")
            << QStringList{"anna", "0xffrecentuser\tben", "0xffrecentuser", "carl", "Log Out"}
            << QStringList{"anna", "ben", "carl", "Log Out"} << 1;
        QTest::newRow("first row marked") << QStringList{"0xffrecentuser\tann", "Log Out"}
                                          << QStringList{"ann", "Log Out"} << 0;
    }

    void users_arrive_with_the_marked_one_current()
    {
        QFETCH(QStringList, messages);
        QFETCH(int, current);
        run_screen_double run(window);
        QSignalSpy user_spy(window, &qv_analysis_window::send_current_user);
        QSignalSpy back_spy(window, &qv_analysis_window::show_experiment_window);
        for (const QString &u : messages)
            run.pass_user_from_experiment(u);

        auto *users = child<QComboBox>(window, "user_box");
        QTEST(items(users), "rows");
        QCOMPARE(users->currentIndex(), current);
        QCOMPARE(window->analysis_folder(), "Data/User/" + users->itemText(current) + "/Analysis");
        // The run screen hears only of the user it marked.
        QCOMPARE(user_spy.count(), 1);
        QCOMPARE(user_spy.at(0).at(0).value<uint8_t>(), uint8_t(current));
        QCOMPARE(back_spy.count(), 0);
    }

    void user_from_run_screen()
    {
        run_screen_double run(window);
        run.pass_to_analysis(voltammogram(source.get(), "Exp_3", 2));
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
    }

    void connection_state()
    {
        run_screen_double run(window);
        auto *device = child<QComboBox>(window, "comboBox_2");
        for (auto state : {std::pair<QString, QString>{"RZ410-K260507", "RZ410-K260507"}, {"disconnected", "Disconnected"},
                           {"Disconnected", "Disconnected"}}) {
            run.to_analysis(state.first);
            QCOMPARE(items(device), QStringList{state.second});  // one entry, replaced
        }
        run.current_device(7);
        run.current_port("ttyUSB3");
        QCOMPARE(device->currentText(), QStringLiteral("Disconnected"));
        QCOMPARE(window->port_name(), QStringLiteral("ttyUSB3"));
    }

    void current_list_ignores_rows_it_lacks()
    {
        run_screen_double run(window);
        auto *box = child<QComboBox>(window, "Experiment_2B_Analyzed");
        run.current_exp_index(0);
        QCOMPARE(box->currentIndex(), -1);

        run.pass_to_analysis(voltammogram(source.get(), "CV_a"));
        run.pass_to_analysis(voltammogram(source.get(), "CV_bb"));
        run.send_done();
        window->update_current_list(1);
        const QStringList analysed = rows(child<QListWidget>(window, "recent_analyses"));
        for (int8_t bad : {int8_t(-1), int8_t(-128), int8_t(2), int8_t(127)}) {
            run.current_exp_index(bad);
            QCOMPARE(box->currentIndex(), 1);
        }
        QCOMPARE(rows(child<QListWidget>(window, "recent_analyses")), analysed);
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
            back->click();  // still there until the event loop deletes it
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

    void user_chooser_feeds_users_and_selects_the_answer()
    {
        run_screen_double run(window);
        for (const char *u : {"anna", "0xffrecentuser\tben", "Log Out"})
            run.pass_user_from_experiment(u);
        child<QAction>(window, "actionUser")->trigger();
        const QList<select_user *> choosers = open_windows<select_user>();
        QCOMPARE(choosers.size(), 1);
        QCOMPARE(items(child<QComboBox>(choosers.first(), "user_name")), (QStringList{"anna", "ben"}));
        QVERIFY(choosers.first()->isModal());

        auto *users = child<QComboBox>(window, "user_box");
        for (const char *nobody : {"Log Out", "carl"}) {
            window->user_select_slot(nobody);
            QCOMPARE(users->currentIndex(), 1);
        }
        QSignalSpy user_spy(window, &qv_analysis_window::send_current_user);
        emit choosers.first()->user_send(QStringLiteral("anna"));
        QCOMPARE(users->currentIndex(), 0);
        QCOMPARE(user_spy.count(), 1);
        QCOMPARE(window->analysis_folder(), QStringLiteral("Data/User/anna/Analysis"));
    }

    void settings_port_and_about()
    {
        QSignalSpy settings_spy(window, &qv_analysis_window::settings_clicked_experiment);
        child<QToolButton>(window, "settings")->click();
        QCOMPARE(settings_spy.count(), 1);
        child<QAction>(window, "actionPort")->trigger();
        child<QAction>(window, "actionAbout")->trigger();
        QCOMPARE(open_windows<serial_select>().size(), 1);
        QVERIFY(open_windows<serial_select>().first()->isModal());
        QCOMPARE(open_windows<About_Dialog_Box>().size(), 1);
        QVERIFY(!open_windows<About_Dialog_Box>().first()->isModal());
    }

    void colour_picker_needs_an_analysis_and_answers_in_pairs()
    {
        child<QToolButton>(window, "Open_Experiment_3")->click();
        QCOMPARE(open_windows<Change_Graph_Color>().size(), 0);

        window->get_from_experiment(voltammogram(source.get(), "CV_a"));
        window->refresh_ui();
        child<QToolButton>(window, "Open_Experiment_3")->click();
        const QList<Change_Graph_Color *> pickers = open_windows<Change_Graph_Color>();
        QCOMPARE(pickers.size(), 1);
        // Pair 1 answers for both: the first colour of pair 1 on the anodic, the second on the cathodic tangent.
        emit pickers.first()->color_to_analysis(0, 0);
        QCOMPARE(window->analyses().result(0).colour_a, QColor(0x2abb9b));
        QCOMPARE(window->analyses().result(0).colour_b, QColor(0x239f86));
        emit pickers.first()->color_to_analysis(2, 11);
        QCOMPARE(window->analyses().result(0).anodic_tangent->pen().color(), QColor(0xe64d43));
        QCOMPARE(window->analyses().result(0).cathodic_tangent->pen().color(), QColor(0xb34a41));
        QCOMPARE(window->analyses().result(0).cathodic_tangent->pen().style(), Qt::DashLine);
    }

    void name_field_steers_the_name_buttons()
    {
        window->get_from_experiment(voltammogram(source.get(), "CV_a"));
        window->refresh_ui();
        auto *name = child<QLineEdit>(window, "analysis_name");
        auto *del = child<QToolButton>(window, "Delete_Analysis");
        auto *save = child<QToolButton>(window, "Save_Analysis_2");
        name->setText("CV_a_W1C1");
        QVERIFY(del->isEnabled() && save->isEnabled());
        name->setText("CV_a_W1C");
        QVERIFY(!del->isEnabled() && !save->isEnabled());
    }

    void only_analysis_files_are_dropped()
    {
        for (const auto &[paths, accepted] : {std::pair<QStringList, bool>{{"/d/a.qva"}, true}, {{"/d/a.QVA"}, false},
                                              {{"/d/a.qva", "/d/b.txt"}, false}}) {
            QMimeData data;
            QList<QUrl> urls;
            for (const QString &p : paths)
                urls << QUrl::fromLocalFile(p);
            data.setUrls(urls);
            QDragEnterEvent event(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(window, &event);
            QVERIFY2(event.isAccepted() == accepted, qPrintable(paths.join(',')));
        }
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
