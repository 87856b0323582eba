// Protocol files: the stored layout of each method, loading back into the same page, and damaged or
// unexpected files that must not scramble the form.
#include "files/protocol_file.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {

// Values unlike the defaults on every page, so a value landing in the wrong box shows.
method_pages sample_pages()
{
    method_pages p;
    p.cv = {-450, 850, -300, false, 250, 4, 736};
    p.dpv = {-600, 700, 3, 15, 45, 35};
    p.swv = {-550, 650, 6, 40, 25};
    p.lsv = {-200, 800, 50};
    p.npv = {-350, 450, 8, 7, 30};
    p.chrono = {150, 900, -900, 400, 6};
    p.ampero = {250, 12345};
    return p;
}

// Every value of every page, in page order, for whole-form comparisons.
QVector<qint64> values(const method_pages &p)
{
    return {p.cv.er1_mV, p.cv.er2_mV, p.cv.ei_mV, p.cv.ei_equals_er1, p.cv.rate_mV_s, p.cv.repeat, p.cv.step,
            p.dpv.ei_mV, p.dpv.ef_mV, p.dpv.step_mV, p.dpv.width_ms, p.dpv.period_ms, p.dpv.amplitude_mV,
            p.swv.ei_mV, p.swv.ef_mV, p.swv.step_mV, p.swv.freq_Hz, p.swv.amplitude_mV,
            p.lsv.ei_mV, p.lsv.ef_mV, p.lsv.rate_mV_s, p.npv.ei_mV, p.npv.ef_mV, p.npv.step_mV, p.npv.width_ms,
            p.npv.period_ms, p.chrono.ei_mV, p.chrono.e1_mV, p.chrono.e2_mV, p.chrono.t1_ms, p.chrono.steps,
            p.ampero.potential_mV, p.ampero.run_time_ms};
}

// Copies page m of `from` over `into`.
method_pages with_page(method_pages into, const method_pages &from, method_index m)
{
    switch (m) {
    case method_index::cyclic: into.cv = from.cv; break;
    case method_index::differential_pulse: into.dpv = from.dpv; break;
    case method_index::square_wave: into.swv = from.swv; break;
    case method_index::linear_sweep: into.lsv = from.lsv; break;
    case method_index::normal_pulse: into.npv = from.npv; break;
    case method_index::chronoamperometry: into.chrono = from.chrono; break;
    case method_index::amperometry: into.ampero = from.ampero; break;
    }
    return into;
}

} // namespace

class protocol_file_test : public QObject {
    Q_OBJECT

private slots:
    void stored_layouts()
    {
        method_pages p;
        p.cv = {500, -500, 500, true, 100, 1, 2};
        QCOMPARE(*write_protocol(method_index::cyclic, p, 9), QByteArray("0\n500\n-500\nchecked\n500\n100\n1\n2"));
        p.lsv = {-200, 800, 50};
        QCOMPARE(*write_protocol(method_index::linear_sweep, p, 3), QByteArray("3\n-200\n800\n50\n3\n"));
        const method_pages s = sample_pages();
        QCOMPARE(*write_protocol(method_index::differential_pulse, s, 7), QByteArray("1\n-600\n700\n7\n3\n15\n45\n35\n"));
        QCOMPARE(*write_protocol(method_index::square_wave, s, 7), QByteArray("2\n-550\n650\n7\n6\n40\n25\n"));
        // Index 4 holds the normal-pulse values and 5 the chronoamperometry values.
        QCOMPARE(*write_protocol(method_index::normal_pulse, s, 7), QByteArray("4\n-350\n450\n8\n7\n30\n7"));
        QCOMPARE(*write_protocol(method_index::chronoamperometry, s, 7), QByteArray("5\n150\n900\n-900\n400\n6\n7"));
        QVERIFY(!write_protocol(method_index::amperometry, s, 7));
    }

    void round_trip_data()
    {
        QTest::addColumn<int>("method");
        for (int i = 0; i < 6; ++i)
            QTest::newRow(qPrintable(QString::number(i))) << i;
    }
    void round_trip()
    {
        QFETCH(int, method);
        const auto m = static_cast<method_index>(method);
        const method_pages saved = sample_pages();
        const method_pages current; // the form at its defaults when loading
        const auto back = read_protocol(*write_protocol(m, saved, 17), current, 0);
        QVERIFY(back);
        QCOMPARE(back->method, m);
        QCOMPARE(values(back->pages), values(with_page(current, saved, m))); // only the method's own page changes
        QCOMPARE(back->extra_time_s, uint8_t(m == method_index::cyclic ? 0 : 17));
    }

    void step_of_736_microvolts_survives()
    {
        method_pages p;
        p.cv.step = step_736_uV;
        const auto back = read_protocol(*write_protocol(method_index::cyclic, p, 0), method_pages(), 0);
        QVERIFY(back);
        QCOMPARE(back->pages.cv.step, 736);
    }

    void method_index_is_checked_first()
    {
        const method_pages current = sample_pages();
        QVERIFY(!read_protocol("7\n1\n2\n", current, 5));
        QVERIFY(!read_protocol("-1\n", current, 5));
        QVERIFY(!read_protocol("scan\n1\n", current, 5));
        QVERIFY(!read_protocol("", current, 5)); // an unreadable file selects nothing
        const auto ampero = read_protocol("6", current, 5);
        QVERIFY(ampero);
        QCOMPARE(ampero->method, method_index::amperometry);
        QCOMPARE(values(ampero->pages), values(current));
        QCOMPARE(ampero->extra_time_s, uint8_t(5));
    }

    void extra_lines_and_missing_lines()
    {
        const method_pages current = sample_pages();
        // One blank line too many must not start a pass that zeroes the form.
        auto lsv = read_protocol("3\n-200\n800\n50\n3\n\n", current, 0);
        QVERIFY(lsv);
        QCOMPARE(lsv->pages.lsv.ei_mV, -200);
        QCOMPARE(lsv->pages.lsv.rate_mV_s, 50);
        QCOMPARE(lsv->extra_time_s, uint8_t(3));

        // Real content beyond the row is another pass over the same boxes, missing lines as 0.
        lsv = read_protocol("3\n-200\n800\n50\n3\n3\n100\n", current, 0);
        QVERIFY(lsv);
        QCOMPARE(lsv->pages.lsv.ei_mV, 100);
        QCOMPARE(lsv->pages.lsv.ef_mV, 0);
        QCOMPARE(lsv->extra_time_s, uint8_t(0));

        // A short file: the missing values read as 0, and "checked" is taken only when exact.
        auto cv = read_protocol("0\n100\n200\nChecked", current, 0);
        QVERIFY(cv);
        QCOMPARE(cv->pages.cv.er2_mV, 200);
        QVERIFY(!cv->pages.cv.ei_equals_er1);
        QCOMPARE(cv->pages.cv.ei_mV, 0);

        // The lead time is held to one byte; not-a-number values read as 0; CR LF line ends still load.
        auto npv = read_protocol("4\r\n-350\r\nx\r\n8\r\n7\r\n30\r\n300", current, 0);
        QVERIFY(npv);
        QCOMPARE(npv->method, method_index::normal_pulse);
        QCOMPARE(npv->pages.npv.ei_mV, -350);
        QCOMPARE(npv->pages.npv.ef_mV, 0);
        QCOMPARE(npv->pages.npv.period_ms, 30);
        QCOMPARE(npv->extra_time_s, uint8_t(255));  // held at the byte's end, never wrapped to 44
        QCOMPARE(values(with_page(npv->pages, current, method_index::normal_pulse)), values(current));
        auto negative = read_protocol("4\r\n-350\r\n0\r\n8\r\n7\r\n30\r\n-5", current, 9);
        QVERIFY(negative);
        QCOMPARE(negative->extra_time_s, uint8_t(0));
        // The words lose their carriage return too: "checked\r" is still a ticked Ei = Er1.
        cv = read_protocol("0\r\n100\r\n200\r\nchecked\r\n100\r\n50\r\n2\r\n3", current, 0);
        QVERIFY(cv);
        QVERIFY(cv->pages.cv.ei_equals_er1);
        QCOMPARE(cv->pages.cv.step, 3);
    }

    void a_long_run_of_blank_lines_reads_in_linear_time()
    {
        // 128 KB of line feeds before a last value: each pass must not rescan the rest of the file.
        const QByteArray text = "3\n" + QByteArray(128 * 1024, '\n') + "7\n";
        QElapsedTimer clock;
        clock.start();
        const auto lsv = read_protocol(text, sample_pages(), 0);
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString("%1 ms").arg(clock.elapsed())));
        QVERIFY(lsv);
        QCOMPARE(lsv->method, method_index::linear_sweep);
    }
};

QTEST_GUILESS_MAIN(protocol_file_test)
#include "protocol_file_test.moc"
