// The dialogs' forms and their signal routing, offscreen.
#include "dialogs/about_dialog_box.h"
#include "dialogs/change_graph_color.h"
#include "dialogs/dialog_warning_delete_analysis.h"
#include "dialogs/dialog_warning_delete_experiment.h"
#include "dialogs/dialog_warning_save_data.h"
#include "dialogs/dialog_texts.h"
#include "dialogs/fore_screen.h"
#include "dialogs/setaxis.h"
#include "dialogs/user_notice.h"
#include "platform/box_titles.h"
#include "platform/folder_opener.h"
#include "shell/program_fonts.h"
#include "support/slot_warning_guard.h"

#include <QDoubleSpinBox>
#include <algorithm>
#include <cmath>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
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

// The preview colour a picker label shows.
QString preview(QWidget *w, const char *name) { return child<QLabel>(w, name)->styleSheet(); }
QString rgb(int r, int g, int b) { return QStringLiteral("background-color: rgb(%1,%2,%3);").arg(r).arg(g).arg(b); }

// The palette pair a picker answer carries, one entry per channel.
QVector<int> pairs_sent(const QSignalSpy &spy, int call = 0)
{
    return {spy.at(call).at(0).value<uint8_t>(), spy.at(call).at(1).value<uint8_t>()};
}

QVector<double> doubles_sent(const QList<QVariant> &args)
{
    QVector<double> out;
    for (const QVariant &v : args)
        out << v.toDouble();
    return out;
}

QVector<int> slider_values(QWidget *picker)
{
    return {child<QSlider>(picker, "slider1")->value(), child<QSlider>(picker, "slider2")->value()};
}

// Runs the deletions that close() queued on a self-deleting dialog.
void flush_deletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

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
    void initTestCase()
    {
        qRegisterMetaType<uint8_t>("uint8_t");
        program_fonts::install();
    }

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

    void about_box_shows_the_instrument_id()
    {
        About_Dialog_Box box;
        box.add_serial(uint8_t(100)); // three digits kept whole; the digit rules are in the logic test
        QCOMPARE(label_text(&box, "id"), QStringLiteral("K2605100"));
        QCOMPARE(label_text(&box, "PROTOCOL_7"), QStringLiteral("Device:\nModel: RZ410 Potentiostat   Serial: 31120001"));
        box.add_serial(uint8_t(5));
        QCOMPARE(label_text(&box, "id"), QStringLiteral("K260505"));
    }

    void picker_feed_sets_sliders_and_answers_pairs_data()
    {
        QTest::addColumn<QColor>("ch1");
        QTest::addColumn<QColor>("ch2");
        QTest::addColumn<QVector<int>>("sliders");
        QTest::addColumn<QString>("preview1");
        // Pair 5 on both channels, the second one partly transparent.
        QTest::newRow("palette pair 5") << QColor(154, 91, 179) << QColor(142, 72, 171, 100) << QVector<int>{5, 5}
                                        << rgb(154, 91, 179);
        // Outside the palette: slider at pair 1, the preview shows what was received.
        QTest::newRow("outside the palette") << QColor(1, 2, 3) << QColor(0x9c, 0x3d, 0x4e) << QVector<int>{1, 9}
                                             << rgb(1, 2, 3);
    }
    void picker_feed_sets_sliders_and_answers_pairs()
    {
        QFETCH(QColor, ch1);
        QFETCH(QColor, ch2);
        QFETCH(QVector<int>, sliders);
        QPointer<Change_Graph_Color> picker = new Change_Graph_Color;
        QSignalSpy run(picker, &Change_Graph_Color::color_changed);
        QSignalSpy analysis(picker, &Change_Graph_Color::color_to_analysis);
        picker->show();
        picker->get_colors(ch1, ch2);
        QCOMPARE(slider_values(picker), sliders);
        QTEST(preview(picker, "main1"), "preview1");
        QCOMPARE(preview(picker, "main2"), rgb(ch2.red(), ch2.green(), ch2.blue()));
        child<QPushButton>(picker, "pushButton_2")->click();
        QCOMPARE(run.count(), 1);
        QCOMPARE(pairs_sent(run), QVector<int>({sliders[0] - 1, sliders[1] - 1}));
        QCOMPARE(analysis.count(), 0);
        QVERIFY(!picker->isVisible());
        flush_deletes();
        QVERIFY(picker.isNull());
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
        QCOMPARE(pairs_sent(analysis), QVector<int>({11, 0}));
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
            QCOMPARE(run.count() + analysis.count(), 0);
            flush_deletes();
            QVERIFY(picker.isNull());
        }
    }

    void picker_swatches_move_linked_and_unlinked_sliders()
    {
        Change_Graph_Color picker;
        auto *link = child<QToolButton>(&picker, "Linked_Colors");
        QVERIFY(link->isCheckable() && !link->isChecked());
        auto swatch = [&picker](const char *name) { child<QToolButton>(&picker, name)->click(); };

        swatch("c7");
        QCOMPARE(slider_values(&picker), QVector<int>({7, 7}));
        QCOMPARE(preview(&picker, "main1"), rgb(56, 202, 115));
        QCOMPARE(preview(&picker, "main2"), rgb(48, 173, 100));
        swatch("c24");
        QCOMPARE(slider_values(&picker), QVector<int>({12, 12}));

        link->click(); // unlink
        QVERIFY(link->isChecked());
        QCOMPARE(slider_values(&picker), QVector<int>({12, 12}));
        swatch("c3");
        swatch("c21");
        QCOMPARE(slider_values(&picker), QVector<int>({3, 9}));
        QCOMPARE(preview(&picker, "main1"), rgb(230, 77, 67));

        link->click(); // link again: channel 2 follows channel 1
        QCOMPARE(slider_values(&picker), QVector<int>({3, 3}));
        QCOMPARE(preview(&picker, "main2"), rgb(191, 58, 49));

        // Dragging one slider never drags the other, linked or not.
        child<QSlider>(&picker, "slider1")->setValue(10);
        QCOMPARE(slider_values(&picker), QVector<int>({10, 3}));
        QCOMPARE(preview(&picker, "main1"), rgb(84, 187, 212));

        QSignalSpy run(&picker, &Change_Graph_Color::color_changed);
        child<QPushButton>(&picker, "pushButton_2")->click();
        QCOMPARE(run.count(), 1);
        QCOMPARE(pairs_sent(run), QVector<int>({9, 2}));
    }
    void delete_warnings_show_the_texts_for_their_count_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size"); // an empty size: grown to fit, not a given size
        QTest::addColumn<QString>("face"); // the texts' face where it is not the program's own
        QTest::newRow("one") << 1 << QStringLiteral("exp1") << QSize(450, 113) << QString();
        // 256 does not fit a byte: the dialogs must keep the whole count.
        QTest::newRow("256") << 256 << QStringLiteral("exp1") << QSize(450, 113) << QString();
        // As long as the name fields take.
        QTest::newRow("longest name") << 1 << QStringLiteral("Ferrocene_in_acetonitrile_0.1M_TBAPF6_glassy_carbon_run_012_WE1x")
                                      << QSize() << QString();
        // Renamed in the list, wider than the screen: the text wraps.
        QTest::newRow("wider than the screen") << 1 << QStringLiteral("cyclic run ").repeated(20) << QSize() << QString();
        // A desktop whose texts are in a wider face than its titles: the text lines, not the title, set the width.
        QTest::newRow("texts wider than the title") << 1 << QStringLiteral("DPV_ferrocene_01") << QSize()
                                                    << QStringLiteral("DejaVu Sans");
    }
    void delete_warnings_show_the_texts_for_their_count()
    {
        QFETCH(int, count);
        QFETCH(QString, name);
        QFETCH(QSize, size);
        QFETCH(QString, face);
        const QFont program_font = QApplication::font();
        const auto restore_font = qScopeGuard([&] { QApplication::setFont(program_font); });
        if (!face.isEmpty())
            QApplication::setFont(QFont(face, program_font.pointSize()));
        dialog_warning_delete_experiment experiment;
        QCOMPARE(experiment.windowTitle(), QStringLiteral("Warning:Delete Experiment"));
        QCOMPARE(experiment.minimumSize(), QSize(450, 113));
        // Fed after showing, as the openers do.
        experiment.show();
        experiment.exp_count(count);
        experiment.get_the_name(name);
        const delete_warning_text e = experiment_delete_warning(count, name);
        QCOMPARE((QStringList{experiment.windowTitle(), label_text(&experiment, "label"), label_text(&experiment, "label_3")}),
                 (QStringList{e.title, e.question, e.detail}));
        if (count == 1)
            QCOMPARE(experiment.windowTitle(), QStringLiteral("Warning:Delete \"") + name + QLatin1Char('"'));

        dialog_warning_delete_analysis analysis;
        QCOMPARE(analysis.windowTitle(), QStringLiteral("Warning:Delete Analysis"));
        analysis.show();
        analysis.analysis_count(count);
        analysis.get_the_name(name);
        const delete_warning_text a = analysis_delete_warning(count, name);
        QCOMPARE((QStringList{analysis.windowTitle(), label_text(&analysis, "label"), label_text(&analysis, "label_3")}),
                 (QStringList{a.title, a.question, a.detail}));

        // Title and texts show whole; ordinary names keep the form's size.
        for (QWidget *dialog : {static_cast<QWidget *>(&experiment), static_cast<QWidget *>(&analysis)}) {
            // As wide as the title needs, or as the screen allows.
            const int title_width = std::min(platform::title_width_needed(dialog->windowTitle(), platform::window_title_font()),
                                             dialog->screen()->availableGeometry().width());
            QVERIFY2(dialog->width() >= title_width, qPrintable(QStringLiteral("%1 < %2").arg(dialog->width()).arg(title_width)));
            const bool screen_wide = dialog->width() >= dialog->screen()->availableGeometry().width();
            for (const char *text : {"label", "label_3"}) {
                const QLabel *label = child<QLabel>(dialog, text);
                const QRect inside = label->contentsRect();
                const QSize needed = label->wordWrap() ? QSize(0, label->heightForWidth(label->width()))
                                                       : label->fontMetrics().size(0, label->text());
                QVERIFY2(needed.width() <= inside.width() && needed.height() <= inside.height(), text);
                // Each line whole on a line of its own; only a window as wide as the screen breaks them, between
                // words, so a name in them still shows whole.
                QVERIFY2(screen_wide || !label->wordWrap(), text);
                for (const QString &word : label->text().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
                    QVERIFY2(label->fontMetrics().horizontalAdvance(word) <= inside.width(), qPrintable(word));
                QVERIFY(dialog->rect().contains(QRect(label->mapTo(dialog, QPoint(0, 0)), label->size())));
            }
            if (size.isValid())
                QCOMPARE(dialog->size(), size);
        }
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
            QVERIFY(!experiment->isVisible() && !analysis->isVisible());
            flush_deletes();
            QVERIFY(experiment.isNull() && analysis.isNull());
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

    void save_warning_cancel_sends_nothing_and_each_discard_answers()
    {
        dialog_warning_save_data dialog;
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

        dialog.show();
        child<QPushButton>(&dialog, "pushButton")->click();
        QCOMPARE(run_screen.calls, 1);
        // The run screen closes the warning itself while it shuts down.
        QVERIFY(dialog.isVisible());
        child<QPushButton>(&dialog, "pushButton")->click();
        QCOMPARE(run_screen.calls, 2);
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
        QVector<double> shown;
        for (const char *name : {"current_max", "current_min", "voltage_max", "voltage_min"})
            shown << child<QDoubleSpinBox>(&dialog, name)->value();
        QCOMPARE(shown, sent);
        child<QPushButton>(&dialog, "pushButton")->click();
        QCOMPARE(run.count(), 1);
        QCOMPARE(doubles_sent(run.at(0)), sent);
    }

    void axis_dialog_holds_a_time_axis_data()
    {
        QTest::addColumn<QVector<double>>("fed");   // y upper, y lower, x upper (ms), x lower (ms)
        QTest::addColumn<QVector<double>>("sent");
        QTest::newRow("five seconds, untouched") << QVector<double>{12.345, -7.891, 5000.0, 0.0}
                                                 << QVector<double>{12.35, -7.89, 5000.0, 0.0};
        QTest::newRow("eighteen hours, fractions kept") << QVector<double>{1.0, -1.0, 64800000.4, -0.6}
                                                        << QVector<double>{1.0, -1.0, 64800000.4, -0.6};
    }
    void axis_dialog_holds_a_time_axis()
    {
        QFETCH(QVector<double>, fed);
        QFETCH(QVector<double>, sent);
        setaxis dialog;
        QSignalSpy run(&dialog, &setaxis::send_axis_experiment);
        dialog.set_time_axis();
        dialog.get_axis_values(fed[0], fed[1], fed[2], fed[3], 0);
        QCOMPARE(label_text(&dialog, "PROTOCOL_4"), QStringLiteral(" Time (ms):"));
        QCOMPARE(child<QDoubleSpinBox>(&dialog, "voltage_max")->value(), std::round(fed[2]));
        // Eight digits of ms show whole: QLineEdit keeps 2 px free on each side of its text.
        dialog.show();
        for (const char *name : {"voltage_min", "voltage_max"}) {
            const QLineEdit *edit = child<QDoubleSpinBox>(&dialog, name)->findChild<QLineEdit *>();
            QVERIFY2(edit->fontMetrics().horizontalAdvance(edit->text()) <= edit->contentsRect().width() - 4, name);
        }
        child<QPushButton>(&dialog, "pushButton")->click();
        QCOMPARE(run.count(), 1);
        QCOMPARE(doubles_sent(run.at(0)), sent);   // OK without edits leaves the view as it was

        // A typed bound goes back as typed, in whole ms.
        setaxis edited;
        QSignalSpy edited_run(&edited, &setaxis::send_axis_experiment);
        edited.set_time_axis();
        edited.get_axis_values(fed[0], fed[1], fed[2], fed[3], 0);
        child<QDoubleSpinBox>(&edited, "voltage_max")->setValue(2500.4);
        child<QPushButton>(&edited, "pushButton")->click();
        QCOMPARE(doubles_sent(edited_run.at(0)).at(2), 2500.0);
        QCOMPARE(doubles_sent(edited_run.at(0)).at(3), sent[3]);
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
        QCOMPARE(doubles_sent(to_run_screen ? run.at(0) : analysis.at(0)), QVector<double>({40.0, -30.0, 0.8, -0.5}));
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

    // The desktop's opener is judged by how it ends, whatever the desktop call made of its start.
    void open_folder_location_tells_when_the_folder_was_not_opened_data()
    {
        QTest::addColumn<QStringList>("opener");
        QTest::addColumn<bool>("told");
        QTest::newRow("no method available") << QStringList{"sh", "-c", "sleep 0.2; exit 3", "opener"} << true;
        QTest::newRow("opener crashes") << QStringList{"sh", "-c", "kill -SEGV $$", "opener"} << true;
        QTest::newRow("no opener installed") << QStringList{"/nonexistent/rz410-opener"} << true;
        QTest::newRow("opened") << QStringList{"sh", "-c", ": > \"$1/opened\"", "opener"} << false;
    }
    void open_folder_location_tells_when_the_folder_was_not_opened()
    {
        QFETCH(QStringList, opener);
        QFETCH(bool, told);
        QTemporaryDir folder;
        platform::set_folder_opener_command(opener);
        QWidget screen;
        open_folder_location(&screen, folder.path());
        // The screen is not held while the opener runs: its verdict comes later.
        QCOMPARE(screen.findChildren<QMessageBox *>().size(), 0);
        if (told) {
            QTRY_COMPARE_WITH_TIMEOUT(screen.findChildren<QMessageBox *>().size(), 1, 30000);
            QVERIFY(screen.findChild<QMessageBox *>()->text().contains(QDir::toNativeSeparators(folder.path())));
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(folder.filePath("opened")), 30000);
            // The opener is done with its work; a box, were one coming, would follow its exit at once.
            QTest::qWait(500);
            QCOMPARE(screen.findChildren<QMessageBox *>().size(), 0);
        }
        platform::set_folder_opener_command({});
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
