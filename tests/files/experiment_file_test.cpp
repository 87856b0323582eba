// Experiment files: the byte-exact layout, reading back every method, the quirks of stored files, and
// damaged input that must neither crash nor invent a record.
#include "files/experiment_reader.h"
#include "files/experiment_writer.h"
#include "support/experiment_samples.h"
#include "support/method_rows.h"
#include "support/temp_workdir.h"

#include <QBuffer>
#include <QFile>
#include <cmath>
#include <QRandomGenerator>
#include <QTextCodec>
#include <QtTest>

namespace {

QByteArray fixture(const QString &name)
{
    QFile f(QStringLiteral(FIXTURES_DIR "/") + name);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(name));
    return f.readAll();
}

const export_stamp stamp{QDateTime(QDate(2019, 2, 18), QTime(14, 30, 5)), QStringLiteral("alice")};

// The details of the run that wrote the golden file.
QStringList golden_details()
{
    return {"Cyclic Voltammetry", "Er1(mV): -200", "Er2(mV): 700", "Ei(mV): -200", "Rate(mV/sec): 100", "Cycles: 2",
            "Filter: 0.5Hz", "Date: 2019-02-18  14:00:00", "User: alice", "Device ID: RZ410-K260507"};
}

experiment_data golden_record()
{
    experiment_data r;
    r.name = "scan";
    r.method = "Cyclic Voltammetry";
    r.details = golden_details();
    r.e_min = -0.2f;
    r.e_max = 0.7f;
    r.e_start = -0.2f;
    r.rate = 100;
    r.cycles = 2;
    r.resolution = 736;
    r.filter_hz = 0.5f;
    r.ch1 = series({{-0.2, 1.5}, {0.1, 0.0000125}, {0.7, 2.5e6}});
    r.ch2 = series({{-0.2, -2}, {0.1, 3}, {0.7, -0.125}, {0.65, 4}});
    r.ch1_raw = series({{-0.2, 1.25}, {0.1, 2}, {0.7, -7}, {0.65, 8}});
    r.ch2_raw = series({{-0.2, -2.5}, {0.1, 3.5}});
    return r;
}

// Point counts of electrode 1, electrode 2 and their raw curves.
QVector<int> sizes(const experiment_data &r) { return {r.ch1.size(), r.ch2.size(), r.ch1_raw.size(), r.ch2_raw.size()}; }

int details_count(method_index m)
{
    switch (m) {
    case method_index::linear_sweep: return 8;
    case method_index::amperometry: return 7;
    default: return 10;
    }
}

QByteArray write_or_fail(const experiment_data &r)
{
    const std::optional<QByteArray> text = write_experiment(r, stamp);
    if (!text)
        qFatal("no text for method %s", qPrintable(r.method));
    return *text;
}

} // namespace

class experiment_file_test : public QObject {
    Q_OBJECT

private slots:
    void golden_file_is_byte_exact()
    {
        QCOMPARE(write_or_fail(golden_record()), fixture("golden_cv.qve"));
    }

    void golden_file_reads_back()
    {
        const auto c = read_experiment(fixture("golden_cv.qve"));
        QVERIFY(c);
        const experiment_data &r = c->record;
        QCOMPARE(c->method, method_index::cyclic);
        QCOMPARE(c->experiment_name, QStringLiteral("scan"));
        QCOMPARE(r.details, golden_details()
                                .replaceInStrings("Er2(mV): 700", "Er2(mV): 699")
                                .replaceInStrings("14:00:00", "14:30:05"));
        QCOMPARE((QVector<int>{r.device_id, r.rate, r.cycles, r.resolution, r.channel_code}),
                 QVector<int>({7, 100, 2, 736, 3}));
        QCOMPARE(sizes(r), QVector<int>({3, 4, 4, 2}));
        QCOMPARE(r.ch1.values[1], double(1.25e-05f));
        QCOMPARE(r.ch2.keys[3], double(0.65f)); // the row after electrode 1 ends takes electrode 2's potential
        QCOMPARE((QVector<float>{r.filter_hz, r.e_min, r.e_max, r.e_start, r.i_min, r.i_max}),
                 QVector<float>({0.5f, -0.2f, 0.7f, -0.2f, -2.0f, 2.5e6f}));
        QVERIFY(c->we1 && c->we2 && c->form.cv.ei_equals_er1);
        QCOMPARE((QVector<int>{c->form.cv.er1_mV, c->form.cv.ei_mV, c->form.cv.step}), QVector<int>({-200, -200, 736}));
    }

    void writer_rows_follow_the_electrodes()
    {
        experiment_data r = golden_record();
        r.ch1 = r.ch2 = r.ch1_raw = r.ch2_raw = point_series();
        QVERIFY(write_or_fail(r).endsWith("\tFilter(Hz):\t0.5\nDATA\nData #\tBias E(V)\ti1(\xc2\xb5" "A)\ti2(\xc2\xb5" "A)\nRAW DATA\n"));

        r.ch1 = r.ch1_raw = series({{0.1, 1}, {0.2, 2}});
        QVERIFY(write_or_fail(r).endsWith("A)\n0\t0.1\t1\tnan\t\n1\t0.2\t2\tnan\t\nRAW DATA\n0\t0.1\t1\tnan\t\n1\t0.2\t2\tnan\t\n"));

        r.ch1 = r.ch1_raw = point_series();
        r.ch2 = r.ch2_raw = series({{0.1, 1}, {0.2, 2}});
        QVERIFY(write_or_fail(r).endsWith("A)\n0\t0.1\tnan\t1\n1\t0.2\tnan\t2\nRAW DATA\n0\t0.1\tnan\t1\n1\t0.2\tnan\t2\n"));
    }

    void row_values_are_written_as_six_significant_digits()
    {
        // Values where rounding, trailing zeros or the switch to the exponent form decide the text, then many
        // random magnitudes: each must read exactly as QString::number(v, 'g', 6) writes it.
        QVector<double> values = {0.1, -0.2, 1.0, 1.5e-5, 0.0001, 0.00009999995, 999999.4, 999999.5, 9.999995,
                                  123456.5, 1234565, 0.30000000000000004, -2.5e6, 1e300, 4.9e-324, -0.0, 0.0,
                                  qInf(), -qInf(), qQNaN(), 1397812.5, 1.3978125, 33.2643125, 0.0001234565,
                                  -7.5e-5, 12.34565, 2.0000005, 1006425, 1.234565e-07,
                                  // halfway, and spelt with zeros after the significant digits
                                  10064250, 665418500, -507140500000};
        QRandomGenerator gen(7);
        for (int k = 0; k < 20000; ++k)
            values << (gen.generateDouble() - 0.5) * std::pow(10.0, gen.bounded(-12, 13));
        // Times of the time-based methods: multiples of the sample periods, often exactly halfway.
        for (int k = 0; k < 20000; ++k)
            values << (gen.bounded(20000000) + 1) * (k % 2 ? 1.3978125 : 3.32643125);
        experiment_data r = golden_record();
        r.ch2 = r.ch1_raw = r.ch2_raw = point_series();
        r.ch1 = point_series();
        QByteArray expected;
        for (int i = 0; i < values.size(); ++i) {
            r.ch1.append(values[i], -values[i]);
            expected += QString::number(i).toUtf8() + '\t' + QString::number(values[i], 'g', 6).toUtf8() + '\t'
                        + QString::number(-values[i], 'g', 6).toUtf8() + "\tnan\t\n";
        }
        const QByteArray text = write_or_fail(r);
        const int from = text.indexOf("A)\n") + 3;
        QCOMPARE(text.mid(from, expected.size()), expected);
    }

    void writer_parameter_values()
    {
        experiment_data r = golden_record();
        auto line = [&r](int n) { return QString::fromUtf8(write_or_fail(r)).split('\n').value(n - 1); };
        for (auto f : {std::pair<float, QString>{0, "None"}, {0.0009f, "None"}, {0.001f, "0.001"}}) {
            r.filter_hz = f.first;
            QCOMPARE(line(14), "\tFilter(Hz):\t" + f.second);
        }
        r.resolution = 5;
        QCOMPARE(line(12), QStringLiteral("\tResolution(mV):\t5"));
        r.details[9] = "Device ID: RZ410-K260512";
        QCOMPARE(line(13), QStringLiteral("\tID:\tRZ410-K260512"));

        // Time-based methods take their potentials from the details, not from the curve's extremes.
        r.method = "Chronoamperometry";
        r.details = run_details(method_index::chronoamperometry, "Filter: None", 7);
        QCOMPARE(line(7), QStringLiteral("\tEi(mV):\t300"));
        QCOMPARE(line(11), QStringLiteral("\tSteps:\t3"));
        QCOMPARE(line(13), QStringLiteral("\tID:\tRZ410-K260507"));
        QCOMPARE(line(14), QString());

        // A details list shorter than the layout expects gives empty words, not a crash.
        r.details = QStringList{"Chronoamperometry"};
        QCOMPARE(line(7), QStringLiteral("\tEi(mV):\t0"));
        QCOMPARE(line(13), QStringLiteral("\tID:\t"));

        // A name with a line end must not shift the header lines.
        r.name = "two\nlines\tname";
        QCOMPARE(line(3), QStringLiteral("\tExperiment:\ttwo lines name"));
        QCOMPARE(line(6), QStringLiteral("\tMethod:\tChronoamperometry"));

        r.method = "Unknown";
        QVERIFY(!write_experiment(r, stamp));
    }

    void names_are_utf8_whatever_the_locale_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("umlaut and micro") << QStringLiteral("Messung \u00e4\u00b5");
        QTest::newRow("micro") << QStringLiteral("5 \u00b5M dopamine");
        QTest::newRow("e acute") << QStringLiteral("caf\u00e9");
    }
    void names_are_utf8_whatever_the_locale()
    {
        QFETCH(QString, name);
        QTextCodec *const previous = QTextCodec::codecForLocale();
        QTextCodec::setCodecForLocale(QTextCodec::codecForName("ISO-8859-1"));
        experiment_data r = golden_record();
        r.name = name;
        export_stamp by = stamp;
        by.user = name;
        const QByteArray text = write_experiment(r, by).value_or(QByteArray());
        QTextCodec::setCodecForLocale(previous);
        QVERIFY(text.contains("\tExperiment:\t" + name.toUtf8() + "\n"));
        // Read back as UTF-8, line by line: a Latin-1 reading would turn each such letter into two.
        const auto back = read_experiment(text);
        QVERIFY(back);
        QCOMPARE(back->experiment_name, name);
        QVERIFY(back->record.details.contains("User: " + name));
    }

    // A number field of a DATA row, as the current of electrode 1 and as the row's potential: it reads as the
    // string conversion has always read it (the reference), and as pinned here.
    void awkward_number_fields_read_as_before_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<bool>("number");   // a finite float: the row is a point at that potential
        QTest::addColumn<float>("value");   // what it reads as; 0 when it is no number
        QTest::newRow("plain") << QByteArray("1.5") << true << 1.5f;
        QTest::newRow("leading plus") << QByteArray("+1.5") << true << 1.5f;
        QTest::newRow("minus zero") << QByteArray("-0") << true << -0.0f;
        QTest::newRow("upper-case exponent") << QByteArray("1.5E+03") << true << 1500.0f;
        QTest::newRow("bare point") << QByteArray(".5") << true << 0.5f;
        QTest::newRow("trailing point") << QByteArray("5.") << true << 5.0f;
        QTest::newRow("blank before") << QByteArray(" 2.5") << true << 2.5f;
        QTest::newRow("blank after") << QByteArray("2.5  ") << true << 2.5f;
        QTest::newRow("carriage return after") << QByteArray("2.5\r") << true << 2.5f;
        QTest::newRow("no-break space before") << QByteArray("\xc2\xa0" "2.5") << true << 2.5f;
        QTest::newRow("smallest float range") << QByteArray("1e-40") << true << 1e-40f;
        QTest::newRow("zero with a huge exponent") << QByteArray("0e-400") << true << 0.0f;
        QTest::newRow("twenty-five digits") << QByteArray("1234567890123456789012345") << true << 1.2345679e24f;
        QTest::newRow("long decimal of 0.1") << QByteArray("0.1000000000000000055511151231257827") << true << 0.1f;
        // 1 + 2^-24 lies halfway between two floats; this decimal lies just above it but reads as it as a double,
        // which narrows to 1 (ties to even), where rounding the text straight to float gives the float above.
        QTest::newRow("near the midpoint of two floats") << QByteArray("1.000000059604644776") << true << 1.0f;
        // Nineteen digits above 2^53: the whole number is no longer exact, and a quick reading lands one step low.
        QTest::newRow("nineteen digits") << QByteArray("1.477389514446258458") << true << 1.47738957f;
        QTest::newRow("six-digit exponent form") << QByteArray("-1.25e-05") << true << -1.25e-05f;
        QTest::newRow("nan upper case") << QByteArray("NaN") << false << 0.0f;
        QTest::newRow("inf") << QByteArray("inf") << false << 0.0f;
        QTest::newRow("plus inf") << QByteArray("+inf") << false << 0.0f;
        QTest::newRow("minus inf") << QByteArray("-inf") << false << 0.0f;
        QTest::newRow("hexadecimal") << QByteArray("0x1A") << false << 0.0f;
        QTest::newRow("beyond float") << QByteArray("3.5e38") << false << 0.0f;
        QTest::newRow("below float") << QByteArray("1e-46") << false << 0.0f;
        QTest::newRow("beyond double") << QByteArray("1e400") << false << 0.0f;
        QTest::newRow("below double") << QByteArray("1e-400") << false << 0.0f;
        QTest::newRow("comma") << QByteArray("1,5") << false << 0.0f;
        QTest::newRow("two points") << QByteArray("1.5.5") << false << 0.0f;
        QTest::newRow("exponent without digits") << QByteArray("1e") << false << 0.0f;
        QTest::newRow("sign only") << QByteArray("-") << false << 0.0f;
        QTest::newRow("blank between") << QByteArray("1 5") << false << 0.0f;
        QTest::newRow("text") << QByteArray("abc") << false << 0.0f;
        QTest::newRow("byte-order mark before") << QByteArray("\xEF\xBB\xBF" "2.5") << false << 0.0f;
    }
    void awkward_number_fields_read_as_before()
    {
        QFETCH(QByteArray, field);
        QFETCH(bool, number);
        QFETCH(float, value);
        // Decoded as part of its line: a byte-order mark is dropped only at the start of the text.
        bool ok = false;
        const float reference = QString::fromUtf8("\t" + field).mid(1).toFloat(&ok);
        QCOMPARE(ok && std::isfinite(reference), number);
        // As doubles: a float comparison would forgive the last bits, which are the point here.
        if (number)
            QCOMPARE(double(reference), double(value));

        experiment_data r = golden_record();
        r.ch1 = r.ch2 = r.ch1_raw = r.ch2_raw = point_series();
        QByteArray text = write_or_fail(r);
        text.replace("RAW DATA\n", "0\t0.5\t" + field + "\tnan\t\n1\t" + field + "\t7\tnan\t\nRAW DATA\n");
        const auto c = read_experiment(text);
        QVERIFY(c);
        const point_series &shown = c->record.ch1;
        QCOMPARE(shown.size(), number ? 2 : 1);   // a potential that is no number makes no point
        QCOMPARE(shown.values[0], double(value));
        QCOMPARE(std::signbit(shown.values[0]), std::signbit(value));
        if (number)
            QCOMPARE(shown.keys[1], double(value));
    }

    // Line 14 of a cyclic file decides where its rows begin, and only a filter line gives the filter.
    void cyclic_line_14_decides_where_rows_begin_data()
    {
        QTest::addColumn<QByteArray>("line14");
        QTest::addColumn<float>("filter_hz");
        QTest::addColumn<int>("shown");   // points of electrode 1
        QTest::addColumn<int>("raw");
        QTest::newRow("filter line") << QByteArray("\tFilter(Hz):\t0.5") << 0.5f << 3 << 4;
        // Rows from line 15: "DATA" there is the short line after which every row is raw.
        QTest::newRow("single field") << QByteArray("") << 0.0f << 0 << 7;
        // An older file whose rows start early: line 14 is already a row. It is no filter line (its current must
        // not become the cut-off), and the rows are read from line 15.
        QTest::newRow("data row") << QByteArray("0\t-0.2\t7\tnan\t") << 0.0f << 0 << 7;
    }
    void cyclic_line_14_decides_where_rows_begin()
    {
        QFETCH(QByteArray, line14);
        QFETCH(float, filter_hz);
        QFETCH(int, shown);
        QFETCH(int, raw);
        QByteArray text = write_or_fail(golden_record());
        text.replace("\tFilter(Hz):\t0.5\n", line14 + "\n");
        const auto c = read_experiment(text);
        QVERIFY(c);
        QCOMPARE(c->record.filter_hz, filter_hz);
        QCOMPARE(c->record.details[6], filter_hz > 0 ? QStringLiteral("Filter: 0.5Hz") : QStringLiteral("Filter: None"));
        QCOMPARE((QVector<int>{c->record.ch1.size(), c->record.ch1_raw.size()}), (QVector<int>{shown, raw}));
    }

    // A line longer than any row or header line is refused at once, with a message, whatever the line ends.
    void overlong_lines_are_refused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray golden = fixture("golden_cv.qve");
        const QByteArray head = golden.left(golden.indexOf("DATA\n"));
        const int over = int(experiment_longest_line) + 10;
        QTest::newRow("no line feed") << head + QByteArray(over, '7');
        QTest::newRow("carriage returns only") << QByteArray(golden).replace('\n', '\r').repeated(over / golden.size() + 1);
        QTest::newRow("a line of tabs") << head + QByteArray(over, '\t') + "\n" + golden;
        QTest::newRow("in the header") << golden.left(10) + QByteArray(over, 'x') + golden.mid(10);
        QByteArray rows = golden;
        rows.insert(golden.indexOf("RAW DATA\n"), QByteArray(over, '1') + "\t2\t3\n");
        QTest::newRow("among the rows") << rows;
        QTest::newRow("after the last row, no line feed") << golden + QByteArray(over, '7');
    }
    void overlong_lines_are_refused()
    {
        QFETCH(QByteArray, bytes);
        temp_workdir dir;
        dir.write_file("long.qve", bytes);
        const experiment_load load = load_experiment_file(dir.path() + "/long.qve");
        QVERIFY(!load.contents);
        QVERIFY2(load.error.contains("long.qve") && load.error.contains("longer than any"), qPrintable(load.error));
        QVERIFY(!read_experiment(bytes));
    }

    // The rows are read in blocks on several threads: however the blocks fall, the record is the same.
    void block_size_does_not_change_the_record_data() { write_read_write_is_stable_data(); }
    void block_size_does_not_change_the_record()
    {
        QFETCH(int, method);
        QByteArray full = write_or_fail(method_record(static_cast<method_index>(method)));
        full.replace("RAW DATA\n", "notes\tabc\t1\t2\nRAW DATA\n");
        for (const QByteArray &bytes : {full, full.chopped(3), fixture("short_layout_cv.qve"), fixture("legacy_v20_cv.qve")}) {
            for (const int cap : {15, 18, 21, 24, experiment_line_cap}) {
                const auto whole = read_experiment(bytes, cap);
                QVERIFY(whole);
                for (const qint64 block : {1, 7, 40}) {
                    QBuffer buffer;
                    buffer.setData(bytes);
                    buffer.open(QIODevice::ReadOnly);
                    experiment_file_reading reading(buffer, cap, method_pages(), block);
                    while (reading.step(3))
                        ;
                    const auto parts = reading.result();
                    QVERIFY(parts);
                    const experiment_data &a = whole->record, &b = parts->record;
                    QCOMPARE(sizes(b), sizes(a));
                    QCOMPARE(b.ch1, a.ch1);
                    QCOMPARE(b.ch2, a.ch2);
                    QCOMPARE(b.ch1_raw, a.ch1_raw);
                    QCOMPARE(b.ch2_raw, a.ch2_raw);
                    QCOMPARE((QVector<float>{b.e_min, b.e_max, b.e_start, b.i_min, b.i_max}),
                             (QVector<float>{a.e_min, a.e_max, a.e_start, a.i_min, a.i_max}));
                    QCOMPARE(parts->cut_short, whole->cut_short);
                    QCOMPARE(b.details, a.details);
                }
            }
        }
    }

    void write_read_write_is_stable_data() { add_method_rows(); }
    void write_read_write_is_stable()
    {
        QFETCH(int, method);
        const auto m = static_cast<method_index>(method);
        const experiment_data original = method_record(m);
        const QByteArray first = write_or_fail(original);
        const auto c = read_experiment(first);
        QVERIFY(c);
        QCOMPARE(c->method, m);
        experiment_data back = c->record;
        QCOMPARE(back.details.size(), details_count(m));
        QCOMPARE(back.details.last(), original.details.last());
        QCOMPARE(back.method, original.method);
        QCOMPARE(back.filter_hz, 2.0f);
        QCOMPARE((QVector<int>{back.device_id, back.channel_code}), QVector<int>({m == method_index::square_wave ? 123 : 12, 3}));
        QCOMPARE(sizes(back), QVector<int>({6, 4, 7, 4}));
        QCOMPARE(back.ch1_raw.values.last(), 7.5);
        if (m == method_index::cyclic || m == method_index::linear_sweep)
            QCOMPARE(back.rate, original.rate);
        if (m == method_index::chronoamperometry)
            QCOMPARE((QVector<int>{back.rate, back.cycles}), QVector<int>({200, 3}));
        if (m == method_index::normal_pulse)
            QCOMPARE(back.resolution, uint16_t(10));
        back.name = original.name;
        QCOMPARE(write_or_fail(back), first);
    }

    void reader_quirks()
    {
        // Carriage returns stay in the method name, which then names no method.
        QVERIFY(!read_experiment(fixture("crlf_dpv.qve")));

        // A last row without its line feed was cut short: it is no point, and the reading says so.
        auto swv = read_experiment(fixture("no_final_line_end_swv.qve"));
        QVERIFY(swv && swv->cut_short);
        QCOMPARE(swv->record.ch2_raw.size(), 1);
        QCOMPARE(swv->record.ch2_raw.values[0], double(0.2f));
        QCOMPARE(swv->record.details.last(), QStringLiteral("Device ID: RZ410-K2605123"));
        QCOMPARE((QVector<int>{swv->record.device_id, swv->record.rate, swv->form.swv.amplitude_mV}),
                 QVector<int>({123, 25, 20}));

        // The last row, a whole line, lost its second current: electrode 1 keeps the point, electrode 2 gets none.
        auto lsv = read_experiment(fixture("truncated_row_lsv.qve"));
        QVERIFY(lsv && !lsv->cut_short);
        QCOMPARE(sizes(lsv->record).mid(0, 3), QVector<int>({3, 2, 0}));
        QCOMPARE((QVector<int>{lsv->record.rate, lsv->record.resolution, lsv->record.device_id}), QVector<int>({50, 2, 3}));
        // Extremes start at the first point, not at 0 V.
        QCOMPARE((QVector<float>{lsv->record.e_min, lsv->record.e_max}), QVector<float>({0.2f, 0.8f}));
        QCOMPARE(lsv->record.details,
                 QStringList({"Linear Sweep Voltammetry", "Ei(mV): 200", "Ef(mV): 800", "Rate(mV/sec): 50",
                              "Filter: 1Hz", "Date: 2020-01-02  03:04:05", "User: bob",
                              "Device ID: RZ410-K260503"}));

        // Cut inside "2.5e+06": the row must not read as a point of 2.5 µA.
        const QByteArray whole = fixture("golden_cv.qve");
        auto cut = read_experiment(whole.left(whole.indexOf("2.5e+06") + 3));
        QVERIFY(cut && cut->cut_short);
        QCOMPARE(sizes(cut->record), QVector<int>({2, 2, 0, 0}));
        QCOMPARE(cut->record.i_max, 3.0f);

        // A row whose key is not a number is no point: a title line shifted into the rows, stray text.
        QByteArray shifted = fixture("golden_cv.qve");
        shifted.replace("i2(\xc2\xb5" "A)\n", "i2(\xc2\xb5" "A)\nData #\tBias E(V)\ti1\ti2\n");
        shifted.replace("RAW DATA\n", "RAW DATA\nnotes\tabc\t1\t2\n");
        auto golden = read_experiment(shifted);
        QVERIFY(golden && !golden->cut_short);
        QCOMPARE(sizes(golden->record), QVector<int>({3, 4, 4, 2}));
        QCOMPARE((QVector<float>{golden->record.e_start, golden->record.e_min}), QVector<float>({-0.2f, -0.2f}));

        auto npv = read_experiment(fixture("header_only_npv.qve"));
        QVERIFY(npv);
        QVERIFY(npv->record.ch1.empty() && npv->record.ch2.empty());
        QCOMPARE(npv->record.details.size(), 10);
        QCOMPARE(npv->record.details[6], QStringLiteral("Filter: 5Hz"));
        // The rate is 1000 / period, as a run stores it.
        QCOMPARE((QVector<int>{npv->record.rate, npv->record.channel_code, npv->form.npv.width_ms}), QVector<int>({50, 0, 5}));
    }

    void older_cyclic_files()
    {
        // Version 2.0 goes to the older cyclic layout; rows start on line 16 after a "Filter:" line.
        auto v20 = read_experiment(fixture("legacy_v20_cv.qve"));
        QVERIFY(v20 && v20->legacy_layout);
        QCOMPARE((QVector<float>{v20->record.filter_hz, v20->record.e_start}), QVector<float>({10.0f, -0.4f}));
        QCOMPARE(v20->record.cycles, uint16_t(1));
        QCOMPARE(v20->record.details.mid(5, 2), (QStringList{"Cycles: 1", "Filter: 10Hz"}));
        QCOMPARE(v20->record.ch1.size(), 2);
        QCOMPARE(v20->record.ch1_raw.values, QVector<double>({1.5, 2.5}));

        // Version 2.1 without a filter line: rows from line 15, raw data copied from the shown curves,
        // and the cyclic layout is used whatever line 6 names.
        auto v21 = read_experiment(fixture("legacy_v21_old_layout.qve"));
        QVERIFY(v21);
        QCOMPARE(v21->method, method_index::cyclic);
        QCOMPARE((QVector<float>{v21->record.filter_hz, v21->record.e_min}), QVector<float>({0.0f, 0.3f}));
        QCOMPARE(v21->record.details[6], QStringLiteral("Filter: None"));
        QCOMPARE((QVector<int>{v21->record.resolution, v21->record.channel_code}), QVector<int>({736, 2}));
        QCOMPARE(sizes(v21->record).mid(0, 2), QVector<int>({0, 2}));
        QCOMPARE(v21->record.ch2_raw, v21->record.ch2);
    }

    void overwritten_short_layout_reads()
    {
        auto c = read_experiment(fixture("short_layout_cv.qve"));
        QVERIFY(c);
        const experiment_data &r = c->record;
        QCOMPARE(r.ch1.keys, QVector<double>({double(-0.5f), double(-0.4f)}));
        QCOMPARE(r.ch2.values, QVector<double>({2, 3}));
        QCOMPARE(r.ch1_raw, r.ch1);
        QCOMPARE(r.ch2_raw, r.ch2);
        QCOMPARE(r.details[6], QStringLiteral("Filter: None"));
        QCOMPARE(r.details.size(), 10);
        QCOMPARE(r.resolution, uint16_t(2));
    }

    void header_values()
    {
        QByteArray text = write_or_fail(golden_record());
        text.replace("\tFilter(Hz):\t0.5", "\tFilter(Hz):\t0.0005");
        text.replace("\tCycles:\t2", "\tCycles:\t0");
        text.replace("\tID:\tRZ410-K260507", "\tID");
        auto c = read_experiment(text);
        QVERIFY(c);
        QCOMPARE(c->record.filter_hz, 0.0005f);
        QCOMPARE(c->record.details.mid(5, 2), (QStringList{"Cycles: 1", "Filter: None"}));
        // An ID line without its value is not read.
        QCOMPARE((QVector<int>{c->record.cycles, c->record.device_id}), QVector<int>({1, 0}));

        text.replace("\tFilter(Hz):\t0.0005", "\tFilter(Hz):\tNone");
        c = read_experiment(text);
        QVERIFY(c);
        QCOMPARE(c->record.filter_hz, 0.0f);
        QCOMPARE(c->record.details[6], QStringLiteral("Filter: None"));

        // Line 1 decides the older layout even when line 6 names another method.
        text.replace("\tv2.4\n", "\tv2.0\n");
        text.replace("Cyclic Voltammetry", "Square Wave Voltammetry");
        c = read_experiment(text);
        QVERIFY(c);
        QVERIFY(c->legacy_layout);
    }

    void reading_stops_at_the_line_cap_with_a_finished_record()
    {
        // The row that passes the cap (line 16) is still taken, then reading stops; the end-of-file steps still run.
        const auto c = read_experiment(fixture("short_layout_cv.qve"), 15);
        QVERIFY(c);
        QCOMPARE(sizes(c->record).mid(0, 3), QVector<int>({2, 1, 2}));
        QCOMPARE(c->record.details.size(), 10);
    }

    void every_prefix_reads_safely_data() { write_read_write_is_stable_data(); }
    void every_prefix_reads_safely()
    {
        QFETCH(int, method);
        const auto m = static_cast<method_index>(method);
        const QByteArray full = write_or_fail(method_record(m));
        int method_text_end = -1; // the end of line 6
        for (int i = 0; i < 6; ++i)
            method_text_end = full.indexOf('\n', method_text_end + 1);
        for (int len = 0; len <= full.size(); ++len) {
            const auto c = read_experiment(full.left(len));
            // Until the method name is whole there is nothing to read.
            QCOMPARE(bool(c), len >= method_text_end);
            if (!c)
                continue;
            QCOMPARE(c->method, m);
            QCOMPARE(c->record.details.size(), details_count(m));
            QVERIFY(c->record.ch1.size() <= 6 && c->record.ch1_raw.size() <= 7);
        }
    }

    void random_damage_never_crashes()
    {
        QRandomGenerator rng(20190218);
        QList<QByteArray> sources;
        for (int m = 0; m < method_count; ++m)
            sources << write_or_fail(method_record(static_cast<method_index>(m)));
        sources << fixture("short_layout_cv.qve") << fixture("legacy_v20_cv.qve");
        const char specials[] = {'\t', '\n', '\r', '\0', ' ', '.', '-', 'e', '9', '\xc2', '\xff'};
        int records = 0;
        for (int round = 0; round < 12000; ++round) {
            QByteArray bytes = sources.at(round % sources.size());
            const int edits = 1 + rng.bounded(6);
            for (int e = 0; e < edits && !bytes.isEmpty(); ++e) {
                const int at = rng.bounded(bytes.size());
                switch (rng.bounded(4)) {
                case 0: bytes[at] = char(rng.bounded(256)); break;
                case 1: bytes[at] = specials[rng.bounded(int(sizeof specials))]; break;
                case 2: bytes.remove(at, 1 + rng.bounded(8)); break;
                default: bytes.insert(at, specials[rng.bounded(int(sizeof specials))]); break;
                }
            }
            const auto c = read_experiment(bytes);
            if (bytes.count('\n') < 5)
                QVERIFY(!c); // fewer than six lines hold no record
            if (!c)
                continue;
            ++records;
            const experiment_data &r = c->record;
            if (!c->legacy_layout)
                QVERIFY(method_from_name(r.method));
            QCOMPARE(r.details.size(), details_count(c->method));
            for (const point_series *s : {&r.ch1, &r.ch2, &r.ch1_raw, &r.ch2_raw})
                QCOMPARE(s->keys.size(), s->values.size());
            if (!r.ch1.empty() || !r.ch2.empty()) {
                QVERIFY(r.e_min <= r.e_max);
                for (double key : r.ch1.keys + r.ch2.keys)
                    QVERIFY(key >= r.e_min && key <= r.e_max);
            }
            QVERIFY(write_experiment(r, stamp) || c->legacy_layout);
        }
        QVERIFY(records > 1000); // most damage leaves the header readable
    }

    void failed_save_keeps_the_old_file()
    {
        temp_workdir dir;
        const QString good = dir.path() + "/scan.qve";
        QVERIFY(save_text_atomically(good, "old").ok);
        QVERIFY(save_text_atomically(good, "new text").ok);
        QCOMPARE(dir.read_file("scan.qve"), QByteArray("new text"));

        // The longest name the file system takes leaves no room for the temporary copy, so the
        // replacement cannot be written, even with full rights.
        const QString longest = QString(250, 'x') + ".qve";
        dir.write_file(longest, "old contents");
        const save_result failed = save_text_atomically(dir.path() + '/' + longest, "replacement");
        QVERIFY(!failed.ok);
        QVERIFY(failed.error.contains(QString(250, 'x')));
        QCOMPARE(dir.read_file(longest), QByteArray("old contents"));

        QVERIFY(!save_text_atomically(dir.path() + "/missing/folder/x.qve", "x").ok);
        QVERIFY(!save_text_atomically(QString(), "x").ok);

        experiment_data unknown = golden_record();
        unknown.method = "Cyclic voltammetry";
        QVERIFY(!save_experiment_file(good, unknown, stamp).ok);
        QCOMPARE(dir.read_file("scan.qve"), QByteArray("new text"));
        QVERIFY(save_experiment_file(good, golden_record(), stamp).ok);
        QCOMPARE(dir.read_file("scan.qve"), fixture("golden_cv.qve"));

        const experiment_load loaded = load_experiment_file(good);
        QVERIFY(loaded.contents && loaded.error.isEmpty() && loaded.warning.isEmpty());
        QCOMPARE(loaded.contents->record.ch2.size(), 4);
        dir.write_file("cut.qve", fixture("golden_cv.qve").chopped(1));
        const experiment_load cut = load_experiment_file(dir.path() + "/cut.qve");
        QVERIFY(cut.contents && cut.warning.contains("cut.qve") && cut.warning.contains("cut short"));
        dir.write_file("broken.qve", "\tQuelvarin\n");
        const experiment_load broken = load_experiment_file(dir.path() + "/broken.qve");
        QVERIFY(!broken.contents);
        QVERIFY(broken.error.contains("broken.qve"));
        QVERIFY(load_experiment_file(dir.path() + "/absent.qve").error.contains("absent.qve"));
    }
};

QTEST_GUILESS_MAIN(experiment_file_test)
#include "experiment_file_test.moc"
