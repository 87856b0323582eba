// The run screen's form and construction: the build connects no slot wrongly and runs none, the form's
// starting state and limits, the records' curves, the user box and log-out, the 256th experiment.
#include <QtTest>

#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSerialPort>
#include <QSpinBox>
#include <QStackedWidget>
#include <QToolButton>
#include <qcustomplot.h>

#include "instrument/instrument_link.h"
#include "run/mainwindow.h"
#include "run_test_fixtures.h"
#include "support/slot_warning_guard.h"
#include "support/temp_workdir.h"

namespace {
using run_fixtures::child;

QByteArray full_settings()
{
    QByteArray text = "Ann\r\n1\r\n";
    for (int i = 2; i < 17; ++i)
        text += QByteArray::number(i) + "\r\n";
    return text;
}

}  // namespace

class run_form_test : public QObject {
    Q_OBJECT
private slots:
    void build_warns_of_no_slot_and_runs_none()
    {
        temp_workdir wd;
        // The remembered user is not the first listed one, so a user-box slot run during the build would show.
        QByteArray settings = full_settings();
        settings.replace(0, 3, "bob");
        wd.write_file("Libraries/Config.txt", settings);
        QDir().mkpath("Data/User/Ann");
        QDir().mkpath("Data/User/bob");
        QStringList by_name;
        {
            const slot_warning_guard guard;
            {
                MainWindow w;
            }
            by_name = guard.slot_name_warnings();
        }
        QVERIFY2(by_name.isEmpty(), qPrintable(by_name.join('\n')));
        // The user box's slot rewrites the settings file; building the window must not have run it.
        QCOMPARE(wd.read_file("Libraries/Config.txt"), settings);
    }

    void empty_user_folder_does_not_log_out_during_construction()
    {
        temp_workdir wd;
        wd.write_file("Libraries/Config.txt", full_settings());
        QDir().mkpath("Data/User");
        MainWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.isVisible());
        QCOMPARE(child<QComboBox>(w, "user_box")->count(), 1);
        QCOMPARE(wd.read_file("Libraries/Config.txt"), full_settings());
    }

    void form_starts_in_its_documented_state()
    {
        temp_workdir wd;
        MainWindow w;
        QCOMPARE(w.windowTitle(), QStringLiteral("Quelvarin Controller - Run"));
        QCOMPARE(w.size(), QSize(1024, 750));
        QCOMPARE(w.minimumSize(), QSize(1024, 750));
        QCOMPARE(w.maximumSize(), QSize(1024, 750));

        auto *method = child<QComboBox>(w, "Method");
        QCOMPARE(method->count(), 7);
        QCOMPARE(method->currentText(), QStringLiteral("Cyclic Voltammetry"));
        QCOMPARE(method->itemText(6), QStringLiteral("Amperometric"));
        QCOMPARE(child<QStackedWidget>(w, "stackedWidget")->currentIndex(), 0);
        QCOMPARE(child<QStackedWidget>(w, "stackedWidget")->widget(5)->objectName(), QStringLiteral("page_8"));
        auto *range = child<QComboBox>(w, "Current_Range");
        QCOMPARE(range->currentIndex(), 2);
        QCOMPARE(range->currentText(), QStringLiteral("44"));
        QCOMPARE(range->itemText(0), QStringLiteral("2250"));
        QCOMPARE(range->itemText(6), QStringLiteral("2.25"));
        auto *device = child<QComboBox>(w, "comboBox_2");
        QCOMPARE(device->count(), 3);
        QCOMPARE(device->itemText(2), QStringLiteral("Setup Port"));
        QCOMPARE(child<QComboBox>(w, "user_box")->count(), 0);  // no "Data/User" here

        auto *ei = child<QSpinBox>(w, "Ei");
        QVERIFY(!ei->isEnabled());
        QCOMPARE(ei->value(), -1000);
        QVERIFY(child<QCheckBox>(w, "EiEqEr1")->isChecked());
        QVERIFY(child<QCheckBox>(w, "Channel_WE1")->isChecked());
        QVERIFY(child<QCheckBox>(w, "Channel_WE2")->isChecked());
        QVERIFY(!child<QCheckBox>(w, "w1_check")->isChecked());
        QVERIFY(!child<QCheckBox>(w, "w1_check")->isTristate());

        for (const char *off :
             {"Start", "Stop", "Save_Experiment", "Save_Experiment_2", "Delete_Experiment", "Make_Report"})
            QVERIFY2(!child<QToolButton>(w, off)->isEnabled(), off);
        for (const char *on :
             {"Open", "Save", "export_2", "Center", "Image", "settings", "Delete_Experiment_2", "color"})
            QVERIFY2(child<QToolButton>(w, on)->isEnabled(), on);
        QCOMPARE(child<QToolButton>(w, "Make_Report")->text(), QStringLiteral("Export"));
        QVERIFY(child<QToolButton>(w, "Start")->toolTip().contains(QStringLiteral("Start Experiment")));
        QVERIFY(child<QToolButton>(w, "Open_Experiment_5")->isCheckable());
        QVERIFY(!child<QToolButton>(w, "Open_Experiment_5")->isChecked());
        QVERIFY(child<QToolButton>(w, "Open_Experiment_2")->isCheckable());
        QCOMPARE(child<QLabel>(w, "connected_label_3")->text(), QStringLiteral("Disconnected"));
        QCOMPARE(child<QLabel>(w, "w1_color_line")->styleSheet(), QStringLiteral("background-color: rgb(84,187,212);"));

        auto *name = child<QLineEdit>(w, "New_Experiment_Name");
        QVERIFY(name->text().startsWith(QStringLiteral("New_Experiment")));  // the window proposes a free name
        QCOMPARE(name->maxLength(), 64);
        QCOMPARE(child<QLineEdit>(w, "Protocol_Name")->text(), QStringLiteral("New_Scan_Protocol"));
        QCOMPARE(child<QLineEdit>(w, "Protocol_Name")->maxLength(), 64);
        QCOMPARE(child<QWidget>(w, "widget")->metaObject()->className(), "QCustomPlot");
    }

    void spin_box_limits_keep_values_in_range()
    {
        temp_workdir wd;
        MainWindow w;
        struct limits { const char *name; int min; int max; int step; int value; };
        const limits rows[] = {
            {"Er1", -2000, 2000, 100, -1000}, {"Scan_Rate", 1, 400, 10, 20}, {"Repeat_No", 1, 99, 1, 1},
            {"Scan_step", 0, 99, 1, 1},
            // divisors start at 1
            {"lsv_rate", 1, 1000, 5, 20}, {"npv_step", 1, 200, 10, 10}, {"npv_period", 1, 2000, 5, 10},
            {"dpv_period", 1, 10000, 5, 20}, {"dpv_width", 1, 10000, 5, 10},
            // one byte on the wire
            {"dpv_step", 2, 255, 5, 2}, {"swv_step", 2, 255, 5, 2},
            // sixteen bits
            {"chr_t1", 0, 65535, 100, 200}, {"chr_steps", 0, 65535, 1, 1},
            {"dpv_amplitude", 0, 500, 10, 50}, {"swv_freq", 2, 500, 5, 20}, {"npv_width", 3, 2000, 5, 5},
            {"chr_ei", -2000, 2000, 100, 500}, {"ampero_potential", -2000, 2000, 10, -100},
            {"ampero_run_time", 20, 65000000, 100, 20},
        };
        for (const limits &l : rows) {
            auto *s = child<QSpinBox>(w, l.name);
            QCOMPARE(s->minimum(), l.min);
            QCOMPARE(s->maximum(), l.max);
            QCOMPARE(s->singleStep(), l.step);
            QCOMPARE(s->value(), l.value);
        }
        auto *t1 = child<QSpinBox>(w, "chr_t1");
        t1->setValue(65538);
        QCOMPARE(t1->value(), 65535);
        auto *rate = child<QSpinBox>(w, "lsv_rate");
        rate->setValue(0);
        QCOMPARE(rate->value(), 1);
        auto *step = child<QSpinBox>(w, "swv_step");
        step->setValue(300);
        QCOMPARE(step->value(), 255);
    }

    void menus_hold_their_actions_in_order()
    {
        temp_workdir wd;
        MainWindow w;
        QStringList titles;
        for (QAction *a : w.menuBar()->actions())
            titles << a->text();
        QCOMPARE(titles, (QStringList{"File", "Run", "Analysis", "Report", "Settings", "Help"}));

        auto names = [](QMenu *m) {
            QStringList out;
            for (QAction *a : m->actions())
                out << (a->isSeparator() ? QStringLiteral("-") : a->menu() ? a->menu()->objectName() : a->objectName());
            return out;
        };
        QCOMPARE(names(child<QMenu>(w, "menuRun")),
                 (QStringList{"actionStart", "actionStop", "-", "actionLoad_Protocol", "actionSave_Protocol"}));
        QCOMPARE(names(child<QMenu>(w, "menuSettings")),
                 (QStringList{"actionChange_Port", "actionChange_User", "-", "menuFilter", "actionGraph", "actionRun",
                              "actionAnalysis", "actionReport", "-", "actionAdvanced"}));
        QCOMPARE(names(child<QMenu>(w, "menuFilter")),
                 (QStringList{"actionAutomatic", "actionRaw_Data", "action0_5Hz", "action1Hz", "action2Hz", "action5Hz",
                              "action10Hz"}));

        const QList<QAction *> actions = w.findChildren<QAction *>(QRegularExpression("^action"));
        QCOMPARE(actions.size(), 34);
        for (QAction *a : actions) {
            QVERIFY2(a->shortcut().isEmpty(), qPrintable(a->objectName()));
            QVERIFY2(a->icon().isNull(), qPrintable(a->objectName()));
        }
        for (const char *loose : {"actionSave_As", "actionOff"}) {
            QAction *a = w.findChild<QAction *>(loose);
            QVERIFY(a);
            QVERIFY2(a->associatedWidgets().size() == 0, loose);
        }
        QVERIFY(w.findChild<QAction *>("actionOff")->isCheckable());
        QVERIFY(!w.findChild<QAction *>("actionNew")->isEnabled());
        QVERIFY(w.findChild<QAction *>("actionOpen")->isEnabled());

        // The filter actions are one exclusive group, automatic checked: its cut-off is the automatic one.
        QActionGroup *group = w.screen_state().filter_actions;
        QVERIFY(group);
        QVERIFY(group->isExclusive());
        QCOMPARE(group->actions().size(), 7);
        QCOMPARE(group->actions().at(2)->objectName(), QStringLiteral("action0_5Hz"));
        QCOMPARE(group->checkedAction()->objectName(), QStringLiteral("actionAutomatic"));
        QCOMPARE(w.screen_state().filter_cutoff, -1.0f);
        group->actions().at(4)->trigger();
        QVERIFY(!w.findChild<QAction *>("actionAutomatic")->isChecked());
    }

    void every_record_gets_four_curves_out_of_the_legend()
    {
        temp_workdir wd;
        MainWindow w;
        auto *plot = child<QCustomPlot>(w, "widget");
        QCOMPARE(plot->plottableCount(), 255 * 4 + 2);
        QCOMPARE(plot->legend->itemCount(), 0);
        QSet<QCPCurve *> seen;
        record_store &records = w.experiment_records();
        QCOMPARE(int(records.experiment_count()), 0);
        for (int i = 0; i < 255; ++i) {
            const curve &r = records[i];
            for (QCPCurve *c : {r.ch1_curve, r.ch2_curve, r.ch1_raw_curve, r.ch2_raw_curve}) {
                QVERIFY(c);
                QVERIFY(!seen.contains(c));
                seen.insert(c);
                QCOMPARE(c->parentPlot(), plot);
            }
            QVERIFY(!r.ch1_raw_curve->visible());
            QVERIFY(!r.ch2_raw_curve->visible());
        }
        QVERIFY(w.screen_state().live_curve1 && !w.screen_state().live_curve1->visible());
        QVERIFY(w.screen_state().live_curve2 && !w.screen_state().live_curve2->visible());
        QCOMPARE(plot->contextMenuPolicy(), Qt::CustomContextMenu);
        QCOMPARE(child<QWidget>(w, "listWidget")->contextMenuPolicy(), Qt::CustomContextMenu);
        QVERIFY(w.acceptDrops());
    }

    void user_box_lists_users_then_log_out()
    {
        temp_workdir wd;
        for (const char *name : {"zoe", "Bob", "ann"})
            QDir().mkpath(QStringLiteral("Data/User/") + QLatin1String(name));
        MainWindow w;
        auto *box = child<QComboBox>(w, "user_box");
        QStringList items;
        for (int i = 0; i < box->count(); ++i)
            items << box->itemText(i);
        QCOMPARE(items, (QStringList{"ann", "Bob", "zoe", "Log Out"}));
        QCOMPARE(w.screen_state().experiments_dir, QStringLiteral("Data/User/ann/Experiments/"));
    }

    void set_current_user_selects_and_remembers_the_user()
    {
        temp_workdir wd;
        wd.write_file("Libraries/Config.txt", full_settings());
        for (const char *name : {"Ann", "bob"})
            QDir().mkpath(QStringLiteral("Data/User/") + QLatin1String(name));
        MainWindow w;
        w.set_current_user(1);
        auto *box = child<QComboBox>(w, "user_box");
        QCOMPARE(box->currentText(), QStringLiteral("bob"));
        QByteArray expected = full_settings();
        expected.replace(0, 3, "bob");
        QCOMPARE(wd.read_file("Libraries/Config.txt"), expected);
        QCOMPARE(w.screen_state().experiments_dir, QStringLiteral("Data/User/bob/Experiments/"));

        // An index past the users neither selects "Log Out" nor anything else.
        w.set_current_user(2);
        w.set_current_user(200);
        QCOMPARE(box->currentText(), QStringLiteral("bob"));
        QCOMPARE(wd.read_file("Libraries/Config.txt"), expected);
    }

    void log_out_rewrites_the_user_lines_and_closes()
    {
        temp_workdir wd;
        wd.write_file("Libraries/Config.txt", full_settings());
        QDir().mkpath("Data/User/Ann");
        MainWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *box = child<QComboBox>(w, "user_box");
        box->setCurrentIndex(box->findText(QStringLiteral("Log Out")));
        QByteArray expected = full_settings();
        expected.replace(0, 8, "Log Out\r\n-1\r\n");
        QCOMPARE(wd.read_file("Libraries/Config.txt"), expected);
        QVERIFY(!w.isVisible());
    }

    void a_new_window_replaces_the_ports_of_the_old_one()
    {
        temp_workdir wd;
        auto *first = new MainWindow;
        QPointer<QSerialPort> old_port = first->screen_state().main_port;
        QVERIFY(old_port);
        auto *second = new MainWindow;
        // The old window's link went with its ports; the new window's link owns the ports in use.
        QVERIFY(old_port.isNull());
        QVERIFY(first->instrument() == nullptr);
        QVERIFY(second->instrument() != nullptr);
        QCOMPARE(second->screen_state().main_port, &second->instrument()->main_port());
        QCOMPARE(second->screen_state().probe_port, &second->instrument()->probe_port());
        QCOMPARE(int(second->instrument()->device_count()), 0);
        delete second;
        // The shared state no longer points into the destroyed window; a third window starts cleanly.
        QVERIFY(run_state.main_port == nullptr);
        QVERIFY(run_state.live_curve1 == nullptr);
        auto *third = new MainWindow;
        delete third;
        delete first;
    }

    void the_256th_experiment_is_refused_with_a_message()
    {
        temp_workdir wd;
        MainWindow w;
        for (int i = 0; i < 255; ++i)
            QCOMPARE(w.reserve_next_record(), i);
        QString title, text;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            title = box->windowTitle();
            text = box->text();
            box->close();
        });
        QCOMPARE(w.reserve_next_record(), -1);
        QCOMPARE(title, QStringLiteral("Error"));
        QCOMPARE(text, QStringLiteral("You have reached maximum number of experiments!"));
        QCOMPARE(int(w.experiment_records().experiment_count()), 255);
    }
};

QTEST_MAIN(run_form_test)
#include "run_form_test.moc"
