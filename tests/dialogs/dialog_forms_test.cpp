// The dialogs' forms and their signal routing, offscreen.
#include "dialogs/about_dialog_box.h"
#include "dialogs/change_graph_color.h"
#include "dialogs/dialog_warning_delete_analysis.h"
#include "dialogs/dialog_warning_delete_experiment.h"
#include "dialogs/dialog_warning_save_data.h"
#include "dialogs/fore_screen.h"
#include "dialogs/setaxis.h"
#include "support/slot_warning_guard.h"

#include <QDoubleSpinBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QToolButton>
#include <QtTest>

namespace {
template <typename T> T *child(QWidget *w, const char *name)
{
    T *found = w->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

QString label_text(QWidget *w, const char *name) { return child<QLabel>(w, name)->text(); }

// Runs the deletions that close() queued on a self-deleting dialog.
void flush_deletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// Exposes how many connections the unsaved-data warning's answer has.
class counted_save_warning : public dialog_warning_save_data {
public:
    int answer_connections() const { return receivers(SIGNAL(close_app_signal())); }
};
} // namespace

// Stands in for the run screen's close handling.
class close_listener : public QObject {
    Q_OBJECT
public:
    int calls = 0;
public slots:
    void close_app_slot() { ++calls; }
};

class dialog_forms_test : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<uint8_t>("uint8_t"); }

    void forms_build_without_slot_name_warnings()
    {
        slot_warning_guard catcher;
        {
            About_Dialog_Box about;
            Change_Graph_Color picker;
            dialog_warning_delete_analysis delete_analysis;
            dialog_warning_delete_experiment delete_experiment;
            dialog_warning_save_data save_data;
            setaxis axis;
            fore_screen front;
        }
        QCOMPARE(catcher.slot_name_warnings(), QStringList());
    }

    void about_box_form()
    {
        About_Dialog_Box box;
        QCOMPARE(box.windowTitle(), QStringLiteral("About"));
        QCOMPARE(box.minimumSize(), QSize(500, 181));
        QCOMPARE(box.maximumSize(), QSize(500, 181));
        QCOMPARE(label_text(&box, "PROTOCOL_8"), QStringLiteral("Software:\nVersion 2.4, 2019"));
        QCOMPARE(label_text(&box, "PROTOCOL_7"), QStringLiteral("Device:\nModel: RZ410 Potentiostat   Serial: 31120001"));
        // Until an instrument is reported the identification stays empty.
        QCOMPARE(label_text(&box, "id"), QString());
    }

    void about_box_shows_the_instrument_id_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("text");
        QTest::newRow("5") << 5 << "K260505";
        QTest::newRow("9") << 9 << "K260509";
        QTest::newRow("10") << 10 << "K260510";
        QTest::newRow("100") << 100 << "K2605100";
    }
    void about_box_shows_the_instrument_id()
    {
        QFETCH(int, id);
        About_Dialog_Box box;
        box.add_serial(uint8_t(id));
        QTEST(label_text(&box, "id"), "text");
        QCOMPARE(label_text(&box, "PROTOCOL_7"), QStringLiteral("Device:\nModel: RZ410 Potentiostat   Serial: 31120001"));
    }

    void picker_feed_matching_the_palette_answers_its_pairs()
    {
        QPointer<Change_Graph_Color> picker = new Change_Graph_Color;
        QSignalSpy run(picker, &Change_Graph_Color::color_changed);
        QSignalSpy analysis(picker, &Change_Graph_Color::color_to_analysis);
        picker->show();
        // Pair 5 on both channels, the second one partly transparent.
        picker->get_colors(QColor(154, 91, 179), QColor(142, 72, 171, 100));
        QCOMPARE(child<QSlider>(picker, "slider1")->value(), 5);
        QCOMPARE(child<QSlider>(picker, "slider2")->value(), 5);
        QCOMPARE(child<QLabel>(picker, "main1")->styleSheet(), QStringLiteral("background-color: rgb(154,91,179);"));
        QCOMPARE(child<QLabel>(picker, "main2")->styleSheet(), QStringLiteral("background-color: rgb(142,72,171);"));

        child<QPushButton>(picker, "pushButton_2")->click();
        QCOMPARE(run.count(), 1);
        QCOMPARE(run.at(0).at(0).value<uint8_t>(), uint8_t(4));
        QCOMPARE(run.at(0).at(1).value<uint8_t>(), uint8_t(4));
        QCOMPARE(analysis.count(), 0);
        QVERIFY(!picker->isVisible());
        flush_deletes();
        QVERIFY(picker.isNull());
    }

    void picker_feed_outside_the_palette_falls_back_to_pair_one()
    {
        Change_Graph_Color picker;
        QSignalSpy run(&picker, &Change_Graph_Color::color_changed);
        picker.get_colors(QColor(1, 2, 3), QColor(0x9c, 0x3d, 0x4e));
        QCOMPARE(child<QSlider>(&picker, "slider1")->value(), 1);
        QCOMPARE(child<QSlider>(&picker, "slider2")->value(), 9);
        // The preview shows what was received, not pair 1.
        QCOMPARE(child<QLabel>(&picker, "main1")->styleSheet(), QStringLiteral("background-color: rgb(1,2,3);"));
        child<QPushButton>(&picker, "pushButton_2")->click();
        QCOMPARE(run.count(), 1);
        QCOMPARE(run.at(0).at(0).value<uint8_t>(), uint8_t(0));
        QCOMPARE(run.at(0).at(1).value<uint8_t>(), uint8_t(8));
    }

    void picker_fed_by_the_analysis_screen_answers_it_only()
    {
        Change_Graph_Color picker;
        QSignalSpy run(&picker, &Change_Graph_Color::color_changed);
        QSignalSpy analysis(&picker, &Change_Graph_Color::color_to_analysis);
        picker.get_colors_analysis(QColor(0xee, 0x93, 0x61), QColor(0x23, 0x9f, 0x86));
        QCOMPARE(label_text(&picker, "PROTOCOL_2"), QStringLiteral("Anodic Tangent"));
        QCOMPARE(label_text(&picker, "PROTOCOL_3"), QStringLiteral("Cathodic Tangent"));
        QCOMPARE(child<QLabel>(&picker, "PROTOCOL_2")->size(), QSize(271, 31));
        child<QPushButton>(&picker, "pushButton_2")->click();
        QCOMPARE(run.count(), 0);
        QCOMPARE(analysis.count(), 1);
        QCOMPARE(analysis.at(0).at(0).value<uint8_t>(), uint8_t(11));
        QCOMPARE(analysis.at(0).at(1).value<uint8_t>(), uint8_t(0));
    }

    void picker_cancel_and_close_send_nothing()
    {
        for (bool by_cancel : {true, false}) {
            QPointer<Change_Graph_Color> picker = new Change_Graph_Color;
            QSignalSpy run(picker, &Change_Graph_Color::color_changed);
            QSignalSpy analysis(picker, &Change_Graph_Color::color_to_analysis);
            picker->show();
            picker->get_colors(QColor(0x2a, 0xbb, 0x9b), QColor(0x23, 0x9f, 0x86));
            child<QToolButton>(picker, "c7")->click();
            if (by_cancel)
                child<QPushButton>(picker, "pushButton")->click();
            else
                picker->close();
            QCOMPARE(run.count(), 0);
            QCOMPARE(analysis.count(), 0);
            flush_deletes();
            QVERIFY(picker.isNull());
        }
    }

    void picker_swatches_move_linked_and_unlinked_sliders()
    {
        Change_Graph_Color picker;
        auto *slider1 = child<QSlider>(&picker, "slider1");
        auto *slider2 = child<QSlider>(&picker, "slider2");
        auto *link = child<QToolButton>(&picker, "Linked_Colors");
        QVERIFY(link->isCheckable());
        QVERIFY(!link->isChecked());

        child<QToolButton>(&picker, "c7")->click();
        QCOMPARE(slider1->value(), 7);
        QCOMPARE(slider2->value(), 7);
        QCOMPARE(child<QLabel>(&picker, "main1")->styleSheet(), QStringLiteral("background-color: rgb(56,202,115);"));
        QCOMPARE(child<QLabel>(&picker, "main2")->styleSheet(), QStringLiteral("background-color: rgb(48,173,100);"));

        child<QToolButton>(&picker, "c24")->click();
        QCOMPARE(slider1->value(), 12);
        QCOMPARE(slider2->value(), 12);

        link->click(); // unlink
        QVERIFY(link->isChecked());
        QCOMPARE(slider2->value(), 12);
        child<QToolButton>(&picker, "c3")->click();
        child<QToolButton>(&picker, "c21")->click();
        QCOMPARE(slider1->value(), 3);
        QCOMPARE(slider2->value(), 9);
        QCOMPARE(child<QLabel>(&picker, "main1")->styleSheet(), QStringLiteral("background-color: rgb(230,77,67);"));

        link->click(); // link again: channel 2 follows channel 1
        QCOMPARE(slider2->value(), 3);
        QCOMPARE(child<QLabel>(&picker, "main2")->styleSheet(), QStringLiteral("background-color: rgb(191,58,49);"));

        // Dragging one slider never drags the other, linked or not.
        slider1->setValue(10);
        QCOMPARE(slider2->value(), 3);
        QCOMPARE(child<QLabel>(&picker, "main1")->styleSheet(), QStringLiteral("background-color: rgb(84,187,212);"));

        QSignalSpy run(&picker, &Change_Graph_Color::color_changed);
        child<QPushButton>(&picker, "pushButton_2")->click();
        QCOMPARE(run.count(), 1);
        QCOMPARE(run.at(0).at(0).value<uint8_t>(), uint8_t(9));
        QCOMPARE(run.at(0).at(1).value<uint8_t>(), uint8_t(2));
    }
    void experiment_delete_warning_texts_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("detail");
        const QString many = "All the data of the unsaved experiments will be lost.";
        QTest::newRow("1") << 1 << "Warning:Delete \"exp1\"" << "Do you want to delete this experiment?"
                           << "exp1.qve\nAll the data of the unsaved experiment will be lost.";
        QTest::newRow("256") << 256 << "256 items are selected" << "Do you want to delete these experiments?" << many;
    }
    void experiment_delete_warning_texts()
    {
        QFETCH(int, count);
        dialog_warning_delete_experiment dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Warning:Delete Experiment"));
        QCOMPARE(dialog.minimumSize(), QSize(450, 113));
        dialog.exp_count(count);
        dialog.get_the_name(QStringLiteral("exp1"));
        QTEST(dialog.windowTitle(), "title");
        QTEST(label_text(&dialog, "label"), "question");
        QTEST(label_text(&dialog, "label_3"), "detail");
    }

    void analysis_delete_warning_texts_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("question");
        QTest::newRow("1") << 1 << "Warning:Delete \"cv_1\"" << "Do you want to delete this analysis?";
        QTest::newRow("256") << 256 << "256 items are selected" << "Do you want to delete these analyses?";
    }
    void analysis_delete_warning_texts()
    {
        QFETCH(int, count);
        dialog_warning_delete_analysis dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Warning:Delete Analysis"));
        dialog.analysis_count(count);
        dialog.get_the_name(QStringLiteral("cv_1"));
        QTEST(dialog.windowTitle(), "title");
        QTEST(label_text(&dialog, "label"), "question");
        QCOMPARE(label_text(&dialog, "label_3"),
                 QStringLiteral("Only the current unsaved analyses will be deleted.\nExperiment raw data will not be modified."));
    }

    void a_new_delete_warning_does_not_inherit_an_earlier_count()
    {
        dialog_warning_delete_experiment earlier;
        earlier.exp_count(1);
        dialog_warning_delete_experiment later;
        later.get_the_name(QStringLiteral("exp1"));
        QCOMPARE(later.windowTitle(), QStringLiteral("0 items are selected"));
    }

    void delete_warning_buttons()
    {
        for (bool confirm : {true, false}) {
            QPointer<dialog_warning_delete_experiment> experiment = new dialog_warning_delete_experiment;
            QPointer<dialog_warning_delete_analysis> analysis = new dialog_warning_delete_analysis;
            QSignalSpy experiment_answer(experiment, &dialog_warning_delete_experiment::sendData2);
            QSignalSpy analysis_answer(analysis, &dialog_warning_delete_analysis::sendData);
            experiment->show();
            analysis->show();
            const char *button = confirm ? "pushButton_2" : "pushButton";
            child<QPushButton>(experiment, button)->click();
            child<QPushButton>(analysis, button)->click();
            QCOMPARE(experiment_answer.count(), confirm ? 1 : 0);
            QCOMPARE(analysis_answer.count(), confirm ? 1 : 0);
            QVERIFY(!experiment->isVisible());
            QVERIFY(!analysis->isVisible());
            flush_deletes();
            QVERIFY(experiment.isNull());
            QVERIFY(analysis.isNull());
        }
    }

    void save_warning_form()
    {
        dialog_warning_save_data dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Close"));
        QCOMPARE(dialog.minimumSize(), QSize(539, 110));
        QCOMPARE(label_text(&dialog, "label"), QStringLiteral("Unsaved experiment data in the temporary file folder."));
        QCOMPARE(label_text(&dialog, "label_3"),
                 QStringLiteral("If you exit, data from one or more experiments will be lost."));
        QVERIFY(child<QPushButton>(&dialog, "pushButton_3")->isDefault());
        QVERIFY(!child<QPushButton>(&dialog, "pushButton")->autoDefault());
    }

    void save_warning_answers_once_per_confirmation_however_often_shown()
    {
        counted_save_warning dialog;
        close_listener run_screen;
        QObject::connect(&dialog, &dialog_warning_save_data::close_app_signal, &run_screen,
                         &close_listener::close_app_slot);
        for (int refused_close = 0; refused_close < 5; ++refused_close) {
            dialog.show();
            QVERIFY(dialog.isVisible());
            child<QPushButton>(&dialog, "pushButton_3")->click(); // Cancel: hidden, nothing sent
            QVERIFY(!dialog.isVisible());
        }
        QCOMPARE(run_screen.calls, 0);
        QCOMPARE(dialog.answer_connections(), 1);

        dialog.show();
        child<QPushButton>(&dialog, "pushButton")->click();
        QCOMPARE(run_screen.calls, 1);
        // The run screen closes the warning itself while it shuts down.
        QVERIFY(dialog.isVisible());
        child<QPushButton>(&dialog, "pushButton")->click();
        QCOMPARE(run_screen.calls, 2);
    }

    void save_warning_connected_uniquely_at_every_showing_answers_once()
    {
        dialog_warning_save_data dialog;
        close_listener run_screen;
        for (int refused_close = 0; refused_close < 4; ++refused_close) {
            dialog.show();
            QObject::connect(&dialog, &dialog_warning_save_data::close_app_signal, &run_screen,
                             &close_listener::close_app_slot, Qt::UniqueConnection);
            dialog.close();
        }
        dialog.show();
        child<QPushButton>(&dialog, "pushButton")->click();
        QCOMPARE(run_screen.calls, 1);
    }

    void axis_dialog_form()
    {
        setaxis dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Set Axis"));
        QCOMPARE(dialog.minimumSize(), QSize(321, 151));
        QCOMPARE(label_text(&dialog, "PROTOCOL_4"), QStringLiteral(" Voltage (V):"));
        for (const char *name : {"current_min", "current_max", "voltage_min", "voltage_max"})
            QCOMPARE(child<QDoubleSpinBox>(&dialog, name)->decimals(), 2);
    }

    void axis_dialog_rounds_and_limits_the_fed_ranges_data()
    {
        QTest::addColumn<QVector<double>>("fed");  // y upper, y lower, x upper, x lower
        QTest::addColumn<QVector<double>>("sent"); // same order
        QTest::newRow("two decimals") << QVector<double>{12.345, -7.891, 0.456, -0.123}
                                      << QVector<double>{12.35, -7.89, 0.46, -0.12};
        QTest::newRow("beyond the boxes") << QVector<double>{6000.0, -5000.5, 2500.0, -3000.0}
                                          << QVector<double>{5000.0, -5000.0, 2010.0, -2010.0};
        QTest::newRow("minimum above maximum") << QVector<double>{-10.0, 10.0, -0.5, 0.5}
                                               << QVector<double>{-10.0, 10.0, -0.5, 0.5};
    }
    void axis_dialog_rounds_and_limits_the_fed_ranges()
    {
        QFETCH(QVector<double>, fed);
        QFETCH(QVector<double>, sent);
        setaxis dialog;
        QSignalSpy run(&dialog, &setaxis::send_axis_experiment);
        dialog.get_axis_values(fed[0], fed[1], fed[2], fed[3], 0);
        QCOMPARE(child<QDoubleSpinBox>(&dialog, "current_max")->value(), sent[0]);
        QCOMPARE(child<QDoubleSpinBox>(&dialog, "current_min")->value(), sent[1]);
        QCOMPARE(child<QDoubleSpinBox>(&dialog, "voltage_max")->value(), sent[2]);
        QCOMPARE(child<QDoubleSpinBox>(&dialog, "voltage_min")->value(), sent[3]);
        child<QPushButton>(&dialog, "pushButton")->click();
        QCOMPARE(run.count(), 1);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(run.at(0).at(i).toDouble(), sent[i]);
    }

    void axis_dialog_answers_the_screen_that_fed_it_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("to_run_screen");
        QTest::newRow("run screen") << 0 << true;
        QTest::newRow("analysis screen") << 1 << false;
        QTest::newRow("any other mode") << 7 << false;
    }
    void axis_dialog_answers_the_screen_that_fed_it()
    {
        QFETCH(int, mode);
        QFETCH(bool, to_run_screen);
        QPointer<setaxis> dialog = new setaxis;
        QSignalSpy run(dialog, &setaxis::send_axis_experiment);
        QSignalSpy analysis(dialog, &setaxis::send_axis_analysis);
        dialog->show();
        dialog->get_axis_values(40, -30, 0.8, -0.2, uint8_t(mode));
        child<QDoubleSpinBox>(dialog, "voltage_min")->setValue(-0.5); // a typed edit goes back as typed
        child<QPushButton>(dialog, "pushButton")->click();
        QCOMPARE(run.count(), to_run_screen ? 1 : 0);
        QCOMPARE(analysis.count(), to_run_screen ? 0 : 1);
        const QList<QVariant> answer = to_run_screen ? run.at(0) : analysis.at(0);
        QCOMPARE(answer.at(0).toDouble(), 40.0);
        QCOMPARE(answer.at(1).toDouble(), -30.0);
        QCOMPARE(answer.at(2).toDouble(), 0.8);
        QCOMPARE(answer.at(3).toDouble(), -0.5);
        QVERIFY(!dialog->isVisible());
        flush_deletes();
        QVERIFY(dialog.isNull());
    }

    void axis_dialog_last_feed_decides_and_cancel_sends_nothing()
    {
        setaxis dialog;
        QSignalSpy run(&dialog, &setaxis::send_axis_experiment);
        QSignalSpy analysis(&dialog, &setaxis::send_axis_analysis);
        dialog.get_axis_values(1, 0, 1, 0, 1);
        dialog.get_axis_values(2, 0, 2, 0, 0);
        child<QPushButton>(&dialog, "pushButton_2")->click();
        QCOMPARE(run.count(), 0);
        QCOMPARE(analysis.count(), 0);
        child<QPushButton>(&dialog, "pushButton")->click();
        QCOMPARE(run.count(), 1);
        QCOMPARE(analysis.count(), 0);
    }

    void front_screen_form()
    {
        fore_screen front;
        QCOMPARE(front.windowTitle(), QStringLiteral("Quelvarin"));
        QCOMPARE(label_text(&front, "version"), QStringLiteral("V2.4"));
        auto *run = child<QToolButton>(&front, "To_Run_Screen_Button");
        QCOMPARE(run->iconSize(), QSize(80, 80));
        QCOMPARE(run->toolTip(), QStringLiteral("<html><head/><body><p>TO RUN SCREEN</p></body></html>"));
        QCOMPARE(label_text(&front, "PROTOCOL_2"), QStringLiteral("Experiment"));
        QCOMPARE(label_text(&front, "PROTOCOL_3"), QStringLiteral("Analysis"));
    }
};

QTEST_MAIN(dialog_forms_test)
#include "dialog_forms_test.moc"
