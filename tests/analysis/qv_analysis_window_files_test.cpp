// The analysis screen's file commands, driven through its buttons with the dialogs answered by the test: saved
// analyses reopen in a fresh window as they were, quick saves write only over their own file, bad files add no
// row, and protocols and plot images land as the settings say.
#include <QtTest>

#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QSlider>
#include <QToolButton>
#include <memory>

#include "analysis/analysis_file.h"
#include "analysis_window_fixtures.h"
#include "platform/folder_opener.h"
#include "shell/app_state.h"
#include "support/slot_warning_guard.h"
#include "support/temp_workdir.h"

using namespace analysis_fixtures;

namespace {

const QString user_folder = QStringLiteral("Data/User/ann/Analysis");

// A saved analysis's buttons are off until it changes; the tests press them as if it had.
void press(QWidget *w, const char *button)
{
    child<QToolButton>(w, button)->setEnabled(true);
    child<QToolButton>(w, button)->click();
}

QStringList rows_of(QWidget *w) { return rows(child<QListWidget>(w, "recent_analyses")); }

// The numbers beside the Pearson sliders: "threshold window".
QString readouts(QWidget *w)
{
    return child<QLabel>(w, "label_rate")->text() + ' ' + child<QLabel>(w, "label_sample")->text();
}

// Points as the file keeps them: six significant digits.
QStringList g6(const QCPCurve *c)
{
    QStringList out;
    const qcp::points p = qcp::read_points(c);
    for (int i = 0; i < p.keys.size(); ++i)
        out << QString::number(p.keys[i], 'g', 6) + ' ' + QString::number(p.values[i], 'g', 6);
    return out;
}

QByteArray sample_file()
{
    analysis_file f;
    f.ipa_text = QStringLiteral("15.12");
    for (int i = 0; i < 40; ++i)
        f.ch1.push_back({0.5 * std::cos(i * 0.16), 20.0 * std::sin(i * 0.16)});
    return write_analysis_file(f);
}

}  // namespace

class analysis_window_files_test : public QObject {
    Q_OBJECT
    std::unique_ptr<temp_workdir> dir;
    std::unique_ptr<QCustomPlot> source;  // the run screen's plot, holding the handed-over originals
    QStringList save_proposals, open_starts, messages, replace_questions;
    QString next_save, next_open;
    QStringList later_saves;  // answers of the save dialogs after the next one, in turn

    std::unique_ptr<qv_analysis_window> make_window()
    {
        auto w = std::make_unique<qv_analysis_window>();
        w->ask_save_path = [this](auto, const QString &proposal, auto) {
            save_proposals << proposal;
            const QString answer = next_save;
            if (!later_saves.isEmpty())
                next_save = later_saves.takeFirst();
            return answer;
        };
        w->ask_open_path = [this](auto, const QString &start, auto) { return open_starts << start, next_open; };
        w->ask_replace = [this](const QString &path) { return replace_questions << path, false; };
        w->show_file_message = [this](const QString &title, const QString &text) { messages << title + text; };
        child<QComboBox>(w.get(), "user_box")->addItem(QStringLiteral("ann"));
        return w;
    }

    void open(QWidget *w, const QString &path)
    {
        next_open = path;
        press(w, "Open_Analysis");
    }

    QString write_sample(const QString &relative)
    {
        dir->write_file(relative, sample_file());
        return dir->path() + '/' + relative;
    }

private slots:
    void init()
    {
        dir = std::make_unique<temp_workdir>();
        QDir().mkpath(user_folder);
        source = std::make_unique<QCustomPlot>();
        save_proposals.clear(), open_starts.clear(), messages.clear(), replace_questions.clear(), later_saves.clear();
        next_save.clear(), next_open.clear();
        app_state::startup_analysis_path.clear();
    }

    void cleanup()
    {
        platform::set_folder_opener_command({});
        app_state::startup_analysis_path.clear();
        source.reset();
        dir.reset();
    }

    void saved_analysis_reopens_in_a_fresh_window()
    {
        auto first = make_window();
        first->get_from_experiment(voltammogram(source.get(), "scan"));
        first->refresh_ui();
        child<QSlider>(first.get(), "slider_rate")->setValue(9700);
        QCOMPARE(readouts(first.get()), QStringLiteral("9700 200"));
        const curve &made = first->analyses().record(0);
        const analysis_result &res = first->analyses().result(0);
        QCOMPARE(qcp::point_count(res.anodic_tangent), 4);

        // Saved turned: the file keeps the turned lines and the rotations, not the slopes they were turned from.
        const auto turn = [](QWidget *w, int anodic, int cathodic) {
            child<QSlider>(w, "tangent")->setValue(anodic);
            child<QSlider>(w, "cathodic_2")->setValue(cathodic);
        };
        turn(first.get(), 15, 9);
        const qcp::points live[] = {qcp::read_points(res.anodic_tangent), qcp::read_points(res.cathodic_tangent)};
        turn(first.get(), 6, -4);

        // Typed without its extension into another folder: ".qva" is added and the base name taken.
        QDir().mkpath("elsewhere");
        next_save = dir->path() + "/elsewhere/run.1";
        press(first.get(), "Save_Analysis");
        QCOMPARE(rows_of(first.get()), QStringList{"run"});
        QCOMPARE(int(made.saved), 1);

        auto second = make_window();
        open(second.get(), next_save + ".qva");
        QCOMPARE(rows_of(second.get()), QStringList{"run"});
        const curve &opened = second->analyses().record(0);
        const analysis_result &back = second->analyses().result(0);
        QCOMPARE(g6(opened.ch1_curve), g6(made.ch1_curve));
        QCOMPARE(g6(back.anodic_tangent), g6(res.anodic_tangent));
        QCOMPARE(g6(back.cathodic_tangent), g6(res.cathodic_tangent));
        for (const char *label : {"epa", "ipa", "epc", "ipc"})
            QCOMPARE(child<QLabel>(second.get(), label)->text(), child<QLabel>(first.get(), label)->text());
        const auto stored = [](const analysis_result &r) {
            return QVector<int>{r.anodic_max, r.cathodic_max, r.current_anodic, r.current_cathodic,
                                r.current_tangent, r.current_cathodic_2};
        };
        QCOMPARE(stored(back), stored(res));
        QCOMPARE(QVector<int>({opened.rate, opened.saved}), QVector<int>({made.rate, 1}));
        QCOMPARE(child<QSlider>(second.get(), "slider_rate")->value(), 9700);
        QCOMPARE(readouts(second.get()), QStringLiteral("9700 200"));
        QCOMPARE(second->experiment(0).name, QString("run"));

        // Renamed (so unsaved, its sliders live again) and turned further, the reopened lines are those the same
        // turns drew live, to the six digits the file keeps of the cycle.
        auto *list = child<QListWidget>(second.get(), "recent_analyses");
        list->item(0)->setText("run turned");
        second->on_recent_analyses_itemClicked(list->item(0));
        turn(second.get(), 15, 9);
        const qcp::points reopened[] = {qcp::read_points(back.anodic_tangent), qcp::read_points(back.cathodic_tangent)};
        const double tolerance = 1e-5 * (made.i_max - made.i_min);
        for (int line = 0; line < 2; ++line) {
            QCOMPARE(reopened[line].keys.size(), 4);
            for (int i = 0; i < 4; ++i) {
                const QPointF got(reopened[line].keys[i], reopened[line].values[i]);
                const QPointF want(live[line].keys[i], live[line].values[i]);
                QVERIFY2(std::abs(got.x() - want.x()) < 1e-6 && std::abs(got.y() - want.y()) < tolerance,
                         qPrintable(QString("line %1 point %2: (%3 V, %4 uA), live (%5 V, %6 uA)").arg(line).arg(i)
                                        .arg(got.x()).arg(got.y()).arg(want.x()).arg(want.y())));
            }
        }
        list->item(0)->setText("run");

        // Opened again: a new row with a free name, which the legend shows too.
        open(second.get(), next_save + ".qva");
        QCOMPARE(rows_of(second.get()), (QStringList{"run", "run_1"}));
        QCOMPARE(legend_curves(second.get()).last()->name(), QString("run_1"));
        QVERIFY(messages.isEmpty());

        // Cut inside its last row: opened without that row, and the user is told.
        QFile whole(next_save + ".qva");
        QVERIFY(whole.open(QIODevice::ReadOnly));
        dir->write_file("cut.qva", whole.readAll().chopped(3));
        open(second.get(), dir->path() + "/cut.qva");
        QCOMPARE(qcp::point_count(second->analyses().record(2).ch1_curve), qcp::point_count(made.ch1_curve) - 1);
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages.first().contains("cut short"));
    }

    // Its file keeps no step: a reopened 5 mV analysis, its anchor moved, is smoothed and analysed as live.
    void reopened_coarse_analysis_moves_as_it_did_live()
    {
        auto first = make_window();
        first->get_from_experiment(voltammogram(source.get(), "coarse", 1, 100, peak_model{}, 5));
        first->refresh_ui();
        const analysis_result &res = first->analyses().result(0);
        child<QSlider>(first.get(), "anodic")->setValue(80);
        const qcp::points live = qcp::read_points(res.anodic_tangent);
        QVERIFY2(std::abs(res.Ipa / peak_model{}.height_uA - 1) < 0.01, qPrintable(QString::number(res.Ipa)));
        child<QSlider>(first.get(), "anodic")->setValue(30);
        next_save = dir->path() + "/coarse";
        press(first.get(), "Save_Analysis");

        auto second = make_window();
        open(second.get(), next_save + ".qva");
        auto *list = child<QListWidget>(second.get(), "recent_analyses");
        list->item(0)->setText("coarse moved");  // unsaved, its sliders live again
        second->on_recent_analyses_itemClicked(list->item(0));
        child<QSlider>(second.get(), "anodic")->setValue(80);
        const qcp::points moved = qcp::read_points(second->analyses().result(0).anodic_tangent);
        QCOMPARE(moved.keys.size(), 4);
        for (int i = 0; i < 4; ++i)  // to the six digits the file keeps of the cycle
            QVERIFY2(std::abs(moved.values[i] - live.values[i]) < 1e-4, qPrintable(QString::number(moved.values[i])));
    }

    void quick_save_writes_only_over_the_analysis_own_file()
    {
        auto w = make_window();
        const QString own = write_sample(user_folder + "/mine.qva");
        open(w.get(), own);
        // A value at hundredths shows as written, though its float lies a hair below it.
        QCOMPARE(child<QLabel>(w.get(), "ipa")->text(), QString("15.12"));

        // A name no row bears saves nothing, neither by dialog nor over the file of that name.
        write_sample(user_folder + "/nobody.qva");
        child<QLineEdit>(w.get(), "analysis_name")->setText("nobody");
        press(w.get(), "Save_Analysis_2");
        QVERIFY(save_proposals.isEmpty());

        // Its own file is written straight over.
        dir->write_file(user_folder + "/mine.qva", "stale");
        child<QLineEdit>(w.get(), "analysis_name")->setText("mine");
        press(w.get(), "Save_Analysis_2");
        QVERIFY(save_proposals.isEmpty());
        QCOMPARE(load_analysis_file(own).file.ch1.size(), 40);

        // Listed under a name whose file is another analysis's: the dialog asks (cancelled here).
        open(w.get(), own);  // mine_1
        write_sample(user_folder + "/mine_1.qva");
        press(w.get(), "Save_Analysis_3");
        QCOMPARE(save_proposals.size(), 1);

        // Its file gone, the dialog takes over; a write that fails keeps the name and tells.
        QFile::remove(own);
        next_save = dir->path() + "/no/such/folder/x.qva";
        child<QListWidget>(w.get(), "recent_analyses")->setCurrentRow(0);
        press(w.get(), "Save_Analysis_3");
        QCOMPARE(save_proposals.size(), 2);
        QCOMPARE(messages.size(), 1);

        // The extension added reaches an existing file: asked, and a "no" leaves it alone and goes back to the
        // dialog at the name typed; cancelled there, the list stays as it was.
        const QString typed = dir->path() + '/' + user_folder + "/nobody";
        next_save = typed;
        later_saves = QStringList{QString()};
        press(w.get(), "Save_Analysis");
        QCOMPARE(replace_questions, QStringList{typed + ".qva"});
        QCOMPARE(save_proposals.size(), 4);
        QCOMPARE(save_proposals.last(), typed);
        for (const char *name : {"nobody", "mine_1"})
            QCOMPARE(dir->read_file(user_folder + '/' + name + ".qva"), sample_file());
        QCOMPARE(rows_of(w.get()), (QStringList{"mine", "mine_1"}));
    }

    // Saved by the name field while the controls show another analysis, a file holds its own analysis's method,
    // Pearson settings and channel and cycle line, not those on the controls.
    void quick_save_of_another_row_writes_that_analysis()
    {
        auto w = make_window();
        w->get_from_experiment(voltammogram(source.get(), "scan"));
        w->refresh_ui();
        auto *rr = child<QSlider>(w.get(), "slider_rate");
        auto *sample = child<QSlider>(w.get(), "slider_sample");
        const auto set_pearson = [&](int r, int s) {
            const QSignalBlocker a(rr), b(sample);
            rr->setValue(r);
            sample->setValue(s);
        };
        set_pearson(9700, 150);
        analyse(w.get(), "A", 1);
        set_pearson(9900, 300);
        analyse(w.get(), "B", 0);
        const int a = int(rows_of(w.get()).indexOf("A"));
        QCOMPARE(child<QListWidget>(w.get(), "recent_analyses")->currentItem()->text(), QStringLiteral("B"));
        w->analyses().result(a).channel_index = 1;  // as if made on electrode 2

        child<QLineEdit>(w.get(), "analysis_name")->setText("A");
        next_save = dir->path() + "/a.qva";
        press(w.get(), "Save_Analysis_2");
        const analysis_file f = load_analysis_file(next_save).file;
        QCOMPARE(f.method, QStringLiteral("Pearson's RR"));
        QCOMPARE(QVector<int>({f.rr, f.sample, f.selected_channel}), QVector<int>({9700, 150, 2}));

        // Selected alone, it shows its own method and settings without analysing again, and saves them.
        auto *list = child<QListWidget>(w.get(), "recent_analyses");
        list->setCurrentRow(a, QItemSelectionModel::ClearAndSelect);
        w->on_recent_analyses_itemClicked(list->currentItem());
        QCOMPARE(child<QComboBox>(w.get(), "Method_2")->currentText(), QStringLiteral("Pearson's RR"));
        QCOMPARE(QVector<int>({rr->value(), sample->value()}), QVector<int>({9700, 150}));
        press(w.get(), "Save_Analysis_3");
        QCOMPARE(load_analysis_file(next_save).file.method, QStringLiteral("Pearson's RR"));

        // Saved with both selected, the current one takes its new name among the names under the summary.
        const int b = 1 - a;
        list->setCurrentRow(b, QItemSelectionModel::Select);
        w->on_recent_analyses_itemClicked(list->currentItem());
        next_save = dir->path() + "/b.qva";
        press(w.get(), "Save_Analysis_3");
        QCOMPARE(items(child<QComboBox>(w.get(), "details_box")), (QStringList{"2 Analysis", "a", "b"}));
        QCOMPARE(load_analysis_file(next_save).file.method, QStringLiteral("Peaks"));

        // Opened from a file whose method the box does not list, the row on screen saves the file's method.
        analysis_file odd = load_analysis_file(next_save).file;
        odd.method = QStringLiteral("Peak Search");
        dir->write_file("odd.qva", write_analysis_file(odd));
        open(w.get(), dir->path() + "/odd.qva");
        next_save = dir->path() + "/odd_again.qva";
        press(w.get(), "Save_Analysis");
        QCOMPARE(load_analysis_file(next_save).file.method, QStringLiteral("Peak Search"));
    }

    // An opened file named like a received experiment leaves the analyses of that experiment with it.
    void opened_namesake_leaves_the_experiment_its_analyses()
    {
        auto w = make_window();
        w->get_from_experiment(voltammogram(source.get(), "exp1"));
        w->refresh_ui();
        child<QComboBox>(w.get(), "channel_to_analyze")->setCurrentIndex(1);
        auto *list = child<QListWidget>(w.get(), "recent_analyses");
        const int row = int(rows_of(w.get()).indexOf("exp1_W2C1"));
        const analysis_result made = w->analyses().result(row);
        open(w.get(), write_sample(user_folder + "/exp1.qva"));

        list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
        w->on_recent_analyses_itemClicked(list->currentItem());
        QCOMPARE(child<QComboBox>(w.get(), "Experiment_2B_Analyzed")->currentIndex(), 0);
        auto *anodic = child<QSlider>(w.get(), "anodic");
        anodic->setValue(anodic->value() + 1);
        anodic->setValue(anodic->value() - 1);
        const analysis_result &again = w->analyses().result(row);
        QCOMPARE(QVector<float>({again.Epa, again.Ipa, again.Epc, again.Ipc}),
                 QVector<float>({made.Epa, made.Ipa, made.Epc, made.Ipc}));
    }

    // Analyze after a save works on the unsaved row of the proposed name with live sliders, and gives what a fresh
    // analysis of the same cycle gives.
    void analyze_after_a_save_gives_a_fresh_analysis()
    {
        auto w = make_window();
        w->get_from_experiment(voltammogram(source.get(), "scan"));
        w->refresh_ui();  // scan_W1C1, unsaved
        analyse(w.get(), "mine");
        next_save = dir->path() + "/mine.qva";
        press(w.get(), "Save_Analysis");
        QCOMPARE(child<QLineEdit>(w.get(), "analysis_name")->text(), QStringLiteral("scan_W1C1"));

        press(w.get(), "Stop");
        QCOMPARE(rows_of(w.get()), (QStringList{"scan_W1C1", "mine"}));
        const analysis_result &again = w->analyses().result(0), &fresh = w->analyses().result(1);
        QCOMPARE(QVector<float>({again.Epa, again.Ipa, again.Epc, again.Ipc}),
                 QVector<float>({fresh.Epa, fresh.Ipa, fresh.Epc, fresh.Ipc}));
        for (const char *name : {"anodic", "cathodic"})
            QVERIFY2(child<QWidget>(w.get(), name)->isEnabled(), name);
        // Both rows are on show, so no one analysis is offered for saving until the single view picks one.
        QVERIFY(!child<QWidget>(w.get(), "Save_Analysis")->isEnabled());
        child<QToolButton>(w.get(), "Open_Experiment_6")->click();
        QVERIFY(child<QWidget>(w.get(), "Save_Analysis")->isEnabled());
    }

    void bad_files_add_no_row_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = sample_file();
        const int line22 = good.indexOf("RAW DATA");
        QTest::newRow("line 22 not RAW DATA") << QByteArray(good).replace("RAW DATA", "RAW  DATA");
        QTest::newRow("cut short") << good.left(line22 - 1);
        QTest::newRow("no data") << good.left(line22 + 9) + "0\tx\t1\tnan\tnan\tnan\tnan\tnan\t";
        QTest::newRow("missing file") << QByteArray();
    }
    void bad_files_add_no_row()
    {
        QFETCH(QByteArray, bytes);
        auto w = make_window();
        if (!bytes.isEmpty())
            dir->write_file("bad.qva", bytes);
        const slot_warning_guard terminal;
        open(w.get(), dir->path() + "/bad.qva");
        QCOMPARE(rows_of(w.get()), QStringList());
        QCOMPARE(w->experiment_count(), 0);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(terminal.warnings().filter("bad.qva"), QStringList());  // the user is told; the terminal is not
        open(w.get(), QString());  // the next dialog still starts where it did
        QCOMPARE(open_starts.last(), user_folder);
    }

    void full_screen_refuses_to_open()
    {
        auto w = make_window();
        for (int n = 0; n < qv_analysis_window::capacity - 1; ++n)
            w->get_from_experiment(voltammogram(source.get(), QString::number(n)));
        const QString path = write_sample("a.qva");
        open(w.get(), path);
        open(w.get(), path);
        QCOMPARE(rows_of(w.get()), QStringList{"a"});
        QCOMPARE(w->experiment_count(), qv_analysis_window::capacity);
        QCOMPARE(messages.size(), 1);
    }

    void drop_and_command_line_open_analysis_files()
    {
        const QString a = write_sample("a.qva");
        auto w = make_window();
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(write_sample("b.txt")),
                      QUrl::fromLocalFile(write_sample("c.QVA"))});
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        // Straight to the window's handler: without a drag under way the application would not deliver it.
        static_cast<QObject *>(w.get())->event(&drop);
        QCOMPARE(rows_of(w.get()), QStringList{"a"});

        app_state::startup_analysis_path = a;
        for (int i = 0; i < 2; ++i) {
            qv_analysis_window built;
            QCOMPARE(rows_of(&built), QStringList{"a"});
        }
        QVERIFY(open_starts.isEmpty());
    }

    void protocols_save_and_load()
    {
        auto w = make_window();
        const auto sliders = [&] {
            return QVector<int>{child<QSlider>(w.get(), "slider_rate")->value(),
                                child<QSlider>(w.get(), "slider_sample")->value()};
        };
        auto *name = child<QLineEdit>(w.get(), "Protocol_Name_2");
        next_save = dir->path() + "/plate.run";
        press(w.get(), "Save_Protocol_2");
        QCOMPARE(save_proposals.last(), QString("Data/User/ann/Protocols/New_Analysis_Protocol.qvr"));
        QVERIFY(QFileInfo("Data/User/ann/Protocols").isDir());  // made for the dialog: the user folder lacked it
        QCOMPARE(dir->read_file("plate.run.qvr"), QByteArray("9500\n200"));
        QCOMPARE(name->text(), QString("plate"));

        dir->write_file("p.qvr", "12000\n150");
        next_open = dir->path() + "/p.qvr";
        press(w.get(), "Load_Protocol_2");
        QCOMPARE(sliders(), QVector<int>({9999, 150}));
        QCOMPARE(readouts(w.get()), QStringLiteral("9999 150"));
        QCOMPARE(name->text(), QString("p"));

        // No protocol in it: the sliders and the name stay, and the user is told.
        dir->write_file("junk.qvr", "abc\n10");
        next_open = dir->path() + "/junk.qvr";
        press(w.get(), "Load_Protocol_2");
        QCOMPARE(sliders(), QVector<int>({9999, 150}));
        QCOMPARE(name->text(), QString("p"));
        QCOMPARE(messages.size(), 1);
    }

    // In the overlay view a click or Space on the only selected analysis leaves it current but drawn nowhere:
    // Image, Save Analysis, either quick save (the one beside the name field finds it by the name the field
    // keeps), Open File Location and Delete leave it alone until it is on show again.
    void commands_act_only_on_the_analysis_on_show_data()
    {
        QTest::addColumn<bool>("by_key");
        QTest::addColumn<QByteArray>("quick_save");
        QTest::newRow("clicked off") << false << QByteArray("Save_Analysis_3");
        QTest::newRow("Space") << true << QByteArray("Save_Analysis_3");
        QTest::newRow("quick save by name") << false << QByteArray("Save_Analysis_2");
    }
    void commands_act_only_on_the_analysis_on_show()
    {
        QFETCH(bool, by_key);
        QFETCH(QByteArray, quick_save);
        // The opener notes which phase started it; the folder, appended last, is not looked at.
        const QString opened = dir->path() + "/opened";
        const auto opener_of = [&](const QString &phase, const char *delay) {
            platform::set_folder_opener_command({"sh", "-c", QString("sleep %1; echo \"$1\" >> \"$0\"").arg(delay),
                                                 opened, phase});
        };
        opener_of("off", "0");
        auto w = make_window();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        open(w.get(), write_sample(user_folder + "/a.qva"));
        auto *list = child<QListWidget>(w.get(), "recent_analyses");
        const auto toggle = [&] {
            if (by_key)
                QTest::keyClick(list, Qt::Key_Space);
            else
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        };
        const auto act = [&] {
            press(w.get(), "Image");
            child<QAction>(w.get(), "actionSave")->trigger();
            press(w.get(), quick_save.constData());  // its own file: written over without a dialog
            w->open_file_loc();
        };
        QSignalSpy delete_asked(w.get(), &qv_analysis_window::analysis_number);

        toggle();
        QVERIFY(list->currentRow() == 0 && !list->item(0)->isSelected());
        QCOMPARE(child<QLineEdit>(w.get(), "analysis_name")->text(), QStringLiteral("a"));
        act();
        press(w.get(), "Delete_Analysis_2");
        QCOMPARE(save_proposals, QStringList());
        QCOMPARE(dir->read_file(user_folder + "/a.qva"), sample_file());
        QCOMPARE(delete_asked.count(), 0);

        toggle();
        QVERIFY(list->item(0)->isSelected());
        opener_of("on", "1");  // later than any opener started while off, had there been one
        act();
        QCOMPARE(save_proposals, (QStringList{"Data/User/ann/Plots/a.png", dir->path() + '/' + user_folder + "/a"}));
        QVERIFY(dir->read_file(user_folder + "/a.qva") != sample_file());
        QTRY_VERIFY_WITH_TIMEOUT(dir->read_file("opened").contains("on\n"), 30000);
        QCOMPARE(dir->read_file("opened"), QByteArray("on\n"));
    }

    void plot_image_follows_the_setting_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QByteArray>("magic");
        const QByteArray png("\x89PNG", 4), jpeg("\xFF\xD8\xFF", 3), ten = QByteArray("x\r\n").repeated(10);
        QTest::newRow("no line 10") << ten << png;
        QTest::newRow("0") << ten + "0\r\n" << png;
        QTest::newRow("1") << ten + "1\r\n" << jpeg;
    }
    void plot_image_follows_the_setting()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QByteArray, magic);
        dir->write_file("Libraries/Config.txt", settings);
        auto w = make_window();
        press(w.get(), "Image");
        QVERIFY(save_proposals.isEmpty());  // nothing listed, no dialog

        open(w.get(), write_sample("a.qva"));
        dir->write_file("old.img", "earlier");
        next_save = dir->path() + "/old.img";
        press(w.get(), "Image");
        QCOMPARE(save_proposals.last(), QString("Data/User/ann/Plots/a") + (magic.startsWith('\xFF') ? ".jpg" : ".png"));
        QVERIFY(QFileInfo("Data/User/ann/Plots").isDir());
        QVERIFY(dir->read_file("old.img").startsWith(magic));
        QCOMPARE(dir->read_file("Libraries/Config.txt"), settings);  // read, never written

        next_save = dir->path() + "/no/such/folder/a.png";
        press(w.get(), "Image");
        QCOMPARE(messages.size(), 1);
    }
};

QTEST_MAIN(analysis_window_files_test)
#include "qv_analysis_window_files_test.moc"
