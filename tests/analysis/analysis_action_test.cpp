// The analyse action on the window: the controls a first analysis sets, the 257th refused, names after saving,
// the Pearson path writing the row it analysed, sliders at their maxima, turned tangents read as a click shows
// them, skipped smoothing, rotations with no analysis in hand, and anchor ranges that are each cycle's own.
#include <QtTest>

#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QSlider>
#include <QStackedWidget>
#include <QToolButton>
#include <cmath>
#include <memory>

#include "analysis/qv_analysis_window.h"
#include "analysis_window_fixtures.h"

using namespace analysis_fixtures;

namespace {
bool finite_points(const QCPCurve *c)
{
    const qcp::points p = qcp::read_points(c);
    for (int i = 0; i < p.keys.size(); ++i)
        if (!std::isfinite(p.keys[i]) || !std::isfinite(p.values[i]))
            return false;
    return true;
}
}  // namespace

class analysis_action_test : public QObject {
    Q_OBJECT
    std::unique_ptr<QCustomPlot> source;
    QPointer<qv_analysis_window> w;
    QListWidget *list = nullptr;

    QSlider *slider(const char *name) const { return child<QSlider>(w, name); }

private slots:
    void init()
    {
        source = std::make_unique<QCustomPlot>();
        w = new qv_analysis_window(nullptr);
        list = child<QListWidget>(w, "recent_analyses");
    }

    void cleanup()
    {
        delete w.data();
        destroy_deferred();
        source.reset();
    }

    void nothing_to_analyse_or_turn()
    {
        w->on_Stop_clicked();
        slider("tangent")->setValue(12);
        slider("cathodic_2")->setValue(-7);
        QCOMPARE(list->count(), 0);
        QCOMPARE(child<QLabel>(w, "epa")->text(), QStringLiteral("0"));

        // An analysis exists but none is in hand: the rotations leave it alone.
        w->get_from_experiment(voltammogram(source.get(), "CV"));
        analyse(w, "A");
        const analysis_result before = w->analyses().result(0);
        const QVector<double> line = qcp::read_points(before.anodic_tangent).values;
        list->setCurrentRow(-1);
        slider("tangent")->setValue(20);
        slider("cathodic_2")->setValue(20);
        QCOMPARE(w->analyses().result(0).current_tangent, before.current_tangent);
        QCOMPARE(w->analyses().result(0).current_cathodic_2, before.current_cathodic_2);
        QCOMPARE(qcp::read_points(before.anodic_tangent).values, line);
    }

    void first_analysis_sets_up_its_controls()
    {
        w->get_from_experiment(voltammogram(source.get(), "CV"));
        analyse(w, "first");
        QCOMPARE(rows(list), QStringList{"first"});
        QCOMPARE(list->currentRow(), 0);
        QVERIFY(list->item(0)->font().italic());
        QVERIFY(!child<QToolButton>(w, "Stop")->isEnabled());
        for (const char *name : {"anodic", "cathodic", "tangent", "cathodic_2", "slider_sample", "slider_rate"})
            QVERIFY2(slider(name)->isEnabled(), name);
        QCOMPARE(slider("tangent")->value(), 0);
        const analysis_result &res = w->analyses().result(0);
        QCOMPARE(int(res.current_anodic), slider("anodic")->value());
        // The peaks of the handed-over curve: anodic at 0.1 V, cathodic at 0.03 V, within a point or two.
        QVERIFY2(qAbs(res.Epa - 100) < 2, qPrintable(QString::number(res.Epa)));
        QVERIFY2(qAbs(res.Epc - 30) < 2, qPrintable(QString::number(res.Epc)));
        QCOMPARE(child<QLabel>(w, "epa")->text(), QString::number(res.Epa, 'g', 6));
        const QStringList lines = w->analyses().record(0).details;
        QCOMPARE(lines.size(), 10);
        QCOMPARE(lines.at(0), QStringLiteral("CV"));
        QCOMPARE(lines.at(2), QStringLiteral("Rate(mV/sec): 100"));
        QCOMPARE(rows(child<QListWidget>(w, "details")), lines);

        // Again under the same name: the same row, analysed in place.
        analyse(w, "first");
        QCOMPARE(list->count(), 1);
    }

    // A new row made by Analyze or by a change of method is analysed on the channel and cycle the boxes show,
    // which its name gives too.
    void new_row_follows_the_boxes_data()
    {
        QTest::addColumn<int>("method");
        QTest::newRow("Analyze") << 0;
        QTest::newRow("change of method") << 1;
    }
    void new_row_follows_the_boxes()
    {
        QFETCH(int, method);
        w->get_from_experiment(voltammogram(source.get(), "CV", 2));
        w->refresh_ui();
        auto *channel = child<QComboBox>(w, "channel_to_analyze");
        auto *cycle = child<QComboBox>(w, "Cycle_to_analyze");
        channel->setCurrentIndex(1);
        cycle->setCurrentIndex(1);
        w->clear_all();
        if (method == 0)
            w->on_Stop_clicked();
        else
            child<QComboBox>(w, "Method_2")->setCurrentIndex(method);

        QCOMPARE(rows(list), QStringList{"CV_W2C2"});
        QCOMPARE(QVector<int>({channel->currentIndex(), cycle->currentIndex()}), QVector<int>({1, 1}));
        QCOMPARE(w->analyses().record(0).details.at(1), QStringLiteral("Channel:2, Cycle:2"));
        // Electrode 2 mirrors electrode 1: its cycle starts above zero.
        QVERIFY(qcp::read_points(w->analyses().record(0).ch1_curve).values.first() > 0);
    }

    void saved_names_are_never_reused()
    {
        w->get_from_experiment(voltammogram(source.get(), "CV"));
        analyse(w, "base");
        w->analyses().record(0).saved = 1;
        analyse(w, "base");
        w->analyses().record(1).saved = 1;
        analyse(w, "base");
        QCOMPARE(rows(list), (QStringList{"base", "base_1", "base_2"}));
        // The field names the row made, which its S button saves.
        QCOMPARE(child<QLineEdit>(w, "analysis_name")->text(), QStringLiteral("base_2"));
    }

    void the_257th_analysis_is_refused()
    {
        curve small = voltammogram(source.get(), "CV");
        qcp::set_points(small.ch1_curve, {-0.1, 0.0, 0.1, 0.0, -0.1, -0.2}, {1, 2, 3, 2, 1, 0});
        w->get_from_experiment(small);
        for (int i = 0; i < analysis_records::capacity; ++i)
            analyse(w, QStringLiteral("A%1").arg(i));
        QCOMPARE(list->count(), analysis_records::capacity);
        const QVector<double> first = qcp::read_points(w->analyses().record(0).ch1_curve).values;
        analyse(w, "one too many");
        QCOMPARE(list->count(), analysis_records::capacity);
        QCOMPARE(rows(list).first(), QStringLiteral("A0"));
        QCOMPARE(rows(list).last(), QStringLiteral("A255"));
        QCOMPARE(qcp::read_points(w->analyses().record(0).ch1_curve).values, first);
        const QList<QMessageBox *> boxes = w->findChildren<QMessageBox *>();
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes.first()->text().contains("256"));
        // An existing row can still be analysed again.
        analyse(w, "A7");
        QCOMPARE(w->findChildren<QMessageBox *>().size(), 1);
    }

    void pearson_writes_the_row_it_analysed()
    {
        w->get_from_experiment(voltammogram(source.get(), "CV"));
        analyse(w, "A0");
        analyse(w, "A1");
        w->analyses().record(0).details = QStringList{"before"};
        const QStringList other = w->analyses().record(1).details;
        QCOMPARE(list->currentRow(), 1);

        analyse(w, "A0", 1);
        QCOMPARE(child<QStackedWidget>(w, "method_list")->currentIndex(), 1);
        QCOMPARE(list->currentRow(), 0);
        QCOMPARE(w->analyses().record(1).details, other);
        const QStringList lines = w->analyses().record(0).details;
        QCOMPARE(lines.size(), 10);
        QCOMPARE(lines.at(0), QStringLiteral("CV"));
        QVERIFY(lines.at(8).startsWith("Date:"));
        const analysis_result &res = w->analyses().result(0);
        QCOMPARE(lines.at(3), QStringLiteral("Epa(mV): ") + QString::number(res.Epa, 'g', 6));
        // Straight baselines ahead of both peaks: the scan finds its windows and draws both tangents.
        QCOMPARE(qcp::point_count(res.anodic_tangent), 4);
        QCOMPARE(qcp::point_count(res.cathodic_tangent), 4);
        QVERIFY2(qAbs(res.Epa - 100) < 2, qPrintable(QString::number(res.Epa)));
        QCOMPARE(child<QLabel>(w, "label_sample")->text(), QString::number(slider("slider_sample")->value()));
    }

    void sliders_at_their_maxima_give_numbers()
    {
        w->get_from_experiment(voltammogram(source.get(), "CV"));
        analyse(w, "A");
        for (const char *name : {"anodic", "cathodic"}) {
            slider(name)->setValue(slider(name)->maximum());
            const analysis_result &res = w->analyses().result(0);
            for (float v : {res.Epa, res.Epc, res.Ipa, res.Ipc})
                QVERIFY2(std::isfinite(v), name);
            QVERIFY(finite_points(res.anodic_tangent) && finite_points(res.cathodic_tangent));
            for (const char *label : {"epa", "ipa", "epc", "ipc"})
                QVERIFY(!child<QLabel>(w, label)->text().contains("nan", Qt::CaseInsensitive));
        }
        slider("cathodic_2")->setValue(10);
        QCOMPARE(w->analyses().result(0).current_cathodic_2, int16_t(-10));
    }

    // A turned tangent's values read as the row's selection shows them (and a save copies them): cut, never
    // rounded. Only values that round to other hundredths than they are cut to tell the two apart.
    void turned_tangents_read_as_a_click_shows_them_data()
    {
        QTest::addColumn<double>("anodic_v");
        QTest::addColumn<double>("cathodic_v");
        QTest::addColumn<bool>("maxima");  // both anchors at their maxima first
        QTest::addColumn<int>("tangent");
        QTest::addColumn<int>("cathodic_2");
        QTest::addColumn<bool>("apart");  // every value rounds to other hundredths than it is cut to
        QTest::newRow("anchors at their maxima, values that round and cut alike") << 0.10 << 0.03 << true << 0 << 10
                                                                                  << false;
        // Peaks at 91.008 and 35.808 mV; Ipa 17.388.. and Ipc -19.148.. after the turns.
        QTest::newRow("values that round and cut apart") << 0.0909 << 0.035968 << false << 12 << -5 << true;
    }
    void turned_tangents_read_as_a_click_shows_them()
    {
        QFETCH(double, anodic_v);
        QFETCH(double, cathodic_v);
        QFETCH(bool, maxima);
        QFETCH(int, tangent);
        QFETCH(int, cathodic_2);
        QFETCH(bool, apart);
        peak_model m;
        m.anodic_v = anodic_v, m.cathodic_v = cathodic_v;
        w->get_from_experiment(voltammogram(source.get(), "CV", 1, 100, m));
        analyse(w, "A");
        if (maxima)
            for (const char *name : {"anodic", "cathodic"})
                slider(name)->setValue(slider(name)->maximum());
        slider("tangent")->setValue(tangent);
        slider("cathodic_2")->setValue(cathodic_2);
        const auto labels = [this] {
            QStringList texts;
            for (const char *label : {"epa", "ipa", "epc", "ipc"})
                texts << child<QLabel>(w, label)->text();
            return texts;
        };
        const QStringList turned = labels();
        w->on_recent_analyses_itemClicked(list->currentItem());
        QCOMPARE(labels(), turned);
        if (apart) {  // the row's values are what it says, or it would check nothing
            const analysis_result &res = w->analyses().result(0);
            const double exact[] = {qcp::read_points(res.anodic_tangent).keys.at(2) * 1000, res.Ipa,
                                    qcp::read_points(res.cathodic_tangent).keys.at(2) * 1000, res.Ipc};
            for (int i = 0; i < 4; ++i)
                QVERIFY2(QString::number(exact[i], 'f', 2) != turned.at(i), qPrintable(turned.at(i)));
        }
    }

    // The anchor sliders' whole range, minimum included, is each cycle's own: a cycle whose peak lies in its first
    // points leaves no low minimum behind for the next analysis to anchor a tangent on.
    void anchor_ranges_are_each_cycles_own()
    {
        peak_model early;
        early.anodic_v = -0.5;
        early.height_uA = 200;
        w->get_from_experiment(voltammogram(source.get(), "early", 1, 100, early));
        w->get_from_experiment(voltammogram(source.get(), "CV"));
        analyse(w, "E");
        QVERIFY(slider("anodic")->maximum() < 5);
        {
            const QSignalBlocker quiet(child<QComboBox>(w, "Experiment_2B_Analyzed"));
            child<QComboBox>(w, "Experiment_2B_Analyzed")->setCurrentIndex(1);
        }
        analyse(w, "N");
        QVERIFY(slider("anodic")->maximum() > 5);
        QCOMPARE(slider("anodic")->minimum(), 5);
        QCOMPARE(slider("cathodic")->minimum(), 5);
    }

    void skipped_smoothing_leaves_no_earlier_curve()
    {
        w->get_from_experiment(voltammogram(source.get(), "fast", 1, 100));
        w->get_from_experiment(voltammogram(source.get(), "still", 1, 0));
        analyse(w, "A");
        const QCPCurve *smoothed = w->analyses().record(0).ch1_raw_curve;
        QCOMPARE(qcp::point_count(smoothed), qcp::point_count(w->analyses().record(0).ch1_curve));
        {
            const QSignalBlocker quiet(child<QComboBox>(w, "Experiment_2B_Analyzed"));
            child<QComboBox>(w, "Experiment_2B_Analyzed")->setCurrentIndex(1);
        }
        analyse(w, "A");
        QCOMPARE(list->count(), 1);
        QCOMPARE(w->analyses().record(0).method, QStringLiteral("still"));
        QCOMPARE(qcp::point_count(smoothed), 0);
    }
};

QTEST_MAIN(analysis_action_test)
#include "analysis_action_test.moc"
