// Analysis files: the exact bytes of a known analysis, write -> read -> write, the quirks of files from
// elsewhere, and damaged files that must never yield an oversized or out-of-range analysis.
#include "analysis/analysis_file.h"

#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <random>

namespace {

QByteArray golden_bytes()
{
    QFile f(QStringLiteral(FIXTURES_DIR "/golden.qva"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The analysis golden.qva holds.
analysis_file golden()
{
    analysis_file f;
    f.exported = QStringLiteral("2024-03-05  14:07:09");
    f.experiment = QStringLiteral("plate");
    f.user = QStringLiteral("ana");
    f.rate_mV_s = 100;
    f.method = QStringLiteral("Pearson's RR");
    f.rr = 9873, f.sample = 150;
    f.epa_text = "412.35", f.ipa_text = "3.27", f.epc_text = "188.02", f.ipc_text = "-2.5";
    f.channel_index = 1, f.cycle_index = 2;
    f.anodic_max = 210, f.cathodic_max = 180, f.current_anodic = 105, f.current_cathodic = 90;
    f.current_tangent = -4, f.current_cathodic_2 = 7;
    f.selected_channel = 2, f.selected_cycle = 3;
    f.ch1 = {{-0.2, 0.734}, {-0.1, -12.5}, {0, 1e-05}, {0.1, 123456789}, {0.2, 2.5}};
    f.ch2 = {{-0.2, 0.5}, {-0.1, 0.25}, {0, -0.125}};
    f.anodic_tangent = {{-0.2, 0.7}, {-0.1, 0.9}, {0.3, 1.1}, {0.3, 3.27}};
    return f;
}

// The header values a reading hands to the sliders, combos and result entry.
QString numbers(const analysis_file &f)
{
    return QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10 %11 %12 %13")
        .arg(f.rate_mV_s).arg(f.rr).arg(f.sample).arg(f.channel_index).arg(f.cycle_index).arg(f.anodic_max)
        .arg(f.cathodic_max).arg(f.current_anodic).arg(f.current_cathodic).arg(f.current_tangent)
        .arg(f.current_cathodic_2).arg(f.selected_channel).arg(f.selected_cycle);
}

// What any reading must hold to, whatever the bytes: the first broken promise, or an empty text.
QString broken_promise(const analysis_read &r)
{
    const analysis_file &f = r.file;
    QVector<double> values{f.Epa, f.Ipa, f.Epc, f.Ipc, f.e_min, f.e_max, f.i_min, f.i_max};
    for (const QVector<ei_point> *c : {&f.ch1, &f.ch2, &f.anodic_tangent, &f.cathodic_tangent}) {
        if (c->size() > max_analysis_rows)
            return QStringLiteral("too many points");
        for (const ei_point &p : *c)
            values << p.e_V << p.i_uA;
    }
    if (!std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); }))
        return QStringLiteral("value not finite");
    if (f.rr < 9000 || f.rr > 9999 || f.sample < 10 || f.sample > 1000 || f.channel_index > 1 || f.anodic_max < 0 ||
        f.cathodic_max < 0 || std::abs(f.current_tangent) > 30 || std::abs(f.current_cathodic_2) > 30 ||
        uint(f.selected_channel) > 2 || uint(f.selected_cycle) > 256)
        return QStringLiteral("header value out of range");
    if (f.e_min > 0 || f.e_max < 0 || f.i_min > 0 || f.i_max < 0)
        return QStringLiteral("extremes leave out 0");
    if ((r.status == analysis_read_status::ok) == f.ch1.isEmpty())
        return QStringLiteral("ok without channel-1 points, or points refused");
    return QString();
}

} // namespace

class analysis_file_test : public QObject {
    Q_OBJECT

private slots:
    void writes_the_exact_layout()
    {
        analysis_file f = golden();
        QCOMPARE(write_analysis_file(f), golden_bytes());
        QVERIFY(golden_bytes().contains("\t3.27\t\xC2\xB5" "A\n"));

        f.ch2 << ei_point{0.3, 7} << ei_point{0.4, -7} << ei_point{0.5, 1}; // channel 2 longer: its potentials
        f.user = QStringLiteral("Zo\u00eb\tlab");                          // one field, UTF-8
        const QByteArray bytes = write_analysis_file(f);
        QVERIFY(bytes.contains("\tUser:\tZo\xC3\xAB lab\n"));
        QVERIFY(bytes.contains("\n3\t0.3\t1.23457e+08\t7\t0.3\t3.27\tnan\tnan\t\n"));
        QVERIFY(bytes.endsWith("\n5\t0.5\tnan\t1\tnan\tnan\tnan\tnan\t"));
        QVERIFY(!bytes.contains('\r'));
        f.ch1 = {{1, 1}}; // as long as channel 2: still channel 2's potentials
        f.ch2 = {{2, 2}};
        QVERIFY(write_analysis_file(f).endsWith("RAW DATA\n0\t2\t1\t2\t-0.2\t0.7\tnan\tnan\t"));
        f.ch1.clear();
        f.ch2.clear();
        QVERIFY(write_analysis_file(f).endsWith("\tCycle:\t3\nRAW DATA\n"));
    }

    void reads_back_what_it_wrote_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("experiment");
        const QByteArray g = golden_bytes();
        QTest::newRow("LF") << g << "ana" << "plate";
        QTest::newRow("CR LF") << QByteArray(g).replace("\n", "\r\n") << "ana" << "plate";
        QTest::newRow("UTF-8 texts")
            << QByteArray(g).replace("\tana\n", "\tZo\xC3\xAB\n").replace("\tplate\n", "\t5 \xC2\xB5M\n")
            << "Zo\u00eb" << "5 \u00b5M";
    }

    void reads_back_what_it_wrote()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, user);
        const analysis_read r = read_analysis_file(bytes);
        QCOMPARE(r.status, analysis_read_status::ok);
        QCOMPARE(r.file.user, user);
        QTEST(r.file.experiment, "experiment");
        // every field, every point to 6 digits
        QCOMPARE(write_analysis_file(r.file), QByteArray(bytes).replace("\r\n", "\n"));
        QCOMPARE(r.file.version, QStringLiteral("v2.4"));
        QCOMPARE(QVector<float>({r.file.Epa, r.file.Ipa, r.file.Epc, r.file.Ipc}),
                 QVector<float>({412.35f, 3.27f, 188.02f, -2.5f}));
        QCOMPARE(QVector<float>({r.file.e_min, r.file.e_max, r.file.i_min, r.file.i_max}),
                 QVector<float>({-0.2f, 0.2f, -12.5f, 123457000.0f}));
        QCOMPARE(opened_analysis_details("plate", r.file),
                 QStringList({"plate", "Rate(mV/sec): 100", "Epa(mV):412.35", "Ipa(\u00b5A):3.27", "Epc(mV):188.02",
                              "Ipc(\u00b5A):-2.5", "", "Date:2024-03-05  14:07:09", "User:" + user}));
    }

    void quirks_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("header"); // numbers(), or empty when not looked at
        QTest::addColumn<int>("ch1_points");
        QTest::addColumn<bool>("cut_short"); // the last row was cut inside and not read
        const QByteArray g = golden_bytes();
        const QByteArray head = g.left(g.indexOf("RAW DATA"));
        const int ok = int(analysis_read_status::ok);
        QTest::newRow("cut, held, wrapped")
            << QByteArray(g).replace("\t100\n", "\t99.9\n").replace("\t9873", "\t12000").replace("\t150\n", "\tx\n")
                   .replace("\t1\n", "\t2\n").replace("\t210\n", "\t-1\n").replace("\t-4\n", "\t31\n")
            << ok << "99 9999 10 0 2 0 180 105 90 0 7 2 3" << 5 << false;
        QTest::newRow("negative rotations")
            << QByteArray(g).replace("\tCurrent_cathodic_2:\t7\n", "\tCurrent_cathodic_2:\t-12\n")
            << ok << "100 9873 150 1 2 210 180 105 90 -4 -12 2 3" << 5 << false;
        QTest::newRow("short lines, rate past 16 bits")
            << QByteArray(g).replace("\t9873\n", "\n").replace("\tCycle:\t3\n", "\n").replace("\t100\n", "\t70000\n")
            << ok << "0 9000 150 1 2 210 180 105 90 -4 7 2 0" << 5 << false;
        QTest::newRow("short, odd and non-finite rows")
            << head + "RAW DATA\n0\t0.1\t2.5\n1\t0.2\n2\tinf\t1\t1\n3\t0.3\tnan\t1e39\t0.1\tabc\n4\t0.4\t-1\tNaN\n"
                   "5\t0.5\t1e-84\n" // too small for a float: read as 0, the point kept
            << ok << QString() << 3 << false;
        QTest::newRow("header only") << head + "RAW DATA\n" << int(analysis_read_status::no_data) << QString() << 0
                                     << false;
        QTest::newRow("channel 2 only") << head + "RAW DATA\n0\t0.1\tnan\t2\t\t\t\t\t"
                                        << int(analysis_read_status::no_data) << QString() << 0 << false;
        QTest::newRow("line 22 differs") << QByteArray(g).replace("RAW DATA", "RAW DATA ")
                                         << int(analysis_read_status::not_analysis) << QString() << 0 << false;
        QTest::newRow("21 lines") << head << int(analysis_read_status::cut_short) << QString() << 0 << false;
        // The writer ends every field with a TAB: a last row without its eight is cut off, even where the cut
        // leaves a number ("2.5" of "2.5\t" is whole, "0.2" of "0.25" is not) or ends right after a TAB.
        QTest::newRow("cut inside the last row") << g.left(g.lastIndexOf("\tnan\t")) << ok << QString() << 4 << true;
        QTest::newRow("cut inside a number") << g.left(g.lastIndexOf("2.5") + 2) + "\t" << ok << QString() << 4 << true;
        QTest::newRow("cut after a TAB") << g.left(g.lastIndexOf("2.5")) << ok << QString() << 4 << true;
        QTest::newRow("last row ended by a line feed")
            << head + "RAW DATA\n0\t0.1\t2.5\n" << ok << QString() << 1 << false;
        // Blank lines are no rows: they neither use up the row cap nor hide the rows after them.
        QTest::newRow("blank lines before the rows")
            << head + "RAW DATA\n" + QByteArray(max_analysis_rows, '\n') + " \r\n" + g.mid(g.indexOf("RAW DATA\n") + 9)
            << ok << QString() << 5 << false;
    }

    void quirks()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, status);
        QFETCH(QString, header);
        QFETCH(int, ch1_points);
        QFETCH(bool, cut_short);
        const analysis_read r = read_analysis_file(bytes);
        QCOMPARE(r.file.cut_short, cut_short);
        QVERIFY(!r.file.points_capped);
        QCOMPARE(int(r.status), status);
        QCOMPARE(broken_promise(r), QString());
        if (!header.isEmpty())
            QCOMPARE(numbers(r.file), header);
        QCOMPARE(r.file.ch1.size(), ch1_points);
    }

    void keeps_at_most_65535_rows()
    {
        QByteArray bytes = golden_bytes().left(golden_bytes().indexOf("RAW DATA")) + "RAW DATA";
        for (int i = 0; i <= max_analysis_rows; ++i)
            bytes += "\n1\t0.5\t" + QByteArray::number(i % 7) + '\t';
        const analysis_read r = read_analysis_file(bytes);
        QCOMPARE(r.file.ch1.size(), max_analysis_rows);
        QVERIFY(r.file.points_capped);
        QVERIFY(!read_analysis_file(golden_bytes()).file.points_capped);
    }

    void prefixes_and_mutations_stay_harmless()
    {
        const QByteArray g = golden_bytes();
        const QVector<ei_point> full = read_analysis_file(g).file.ch1;
        for (int n = 0; n < g.size(); ++n) {
            const analysis_read r = read_analysis_file(g.left(n));
            QVERIFY2(broken_promise(r).isEmpty(), qPrintable(broken_promise(r) + QString::number(n)));
            // A cut file gives the full file's points up to the cut, none of them cut short itself.
            QVERIFY(r.file.ch1.size() <= full.size());
            QVERIFY2(r.file.ch1 == full.mid(0, r.file.ch1.size()), qPrintable(QString::number(n)));
        }
        std::mt19937 random(20240305);
        const QByteArray alphabet("\t\n\r\0-+.eEn9 x\xB5", 14);
        for (int round = 0; round < 12000; ++round) {
            QByteArray bytes = g;
            for (int e = 1 + int(random() % 8); e > 0; --e) {
                const int at = int(random() % uint32_t(bytes.size() + 1));
                const char c = random() % 2 ? alphabet.at(int(random() % alphabet.size())) : char(random());
                switch (random() % 3) {
                case 0: bytes.insert(at, c); break;
                case 1: bytes.remove(at, 1); break;
                default: if (at < bytes.size()) bytes[at] = c;
                }
            }
            const analysis_read r = read_analysis_file(bytes);
            QVERIFY2(broken_promise(r).isEmpty(), qPrintable(broken_promise(r) + QString::number(round)));
        }
    }

    void saves_and_loads_files()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("plate.qva"));
        QVERIFY(save_analysis_file(path, golden()).ok);
        QCOMPARE(write_analysis_file(load_analysis_file(path).file), golden_bytes());
        QCOMPARE(load_analysis_file(dir.filePath(QStringLiteral("none.qva"))).status, analysis_read_status::unreadable);
    }
};

QTEST_GUILESS_MAIN(analysis_file_test)
#include "analysis_file_test.moc"
