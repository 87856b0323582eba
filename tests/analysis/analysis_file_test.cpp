// Analysis files: the exact bytes of a known analysis, write -> read round trips, the quirks of files from
// elsewhere, and damaged files that must never yield an oversized or out-of-range analysis.
#include "analysis/analysis_file.h"

#include <QTemporaryDir>
#include <QtTest>
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
    f.version = analysis_file_version();
    f.exported = QStringLiteral("2024-03-05  14:07:09");
    f.experiment = QStringLiteral("plate");
    f.user = QStringLiteral("ana");
    f.rate_mV_s = 100;
    f.method = QStringLiteral("Pearson's RR");
    f.rr = 9873;
    f.sample = 150;
    f.epa_text = QStringLiteral("412.35");
    f.ipa_text = QStringLiteral("3.27");
    f.epc_text = QStringLiteral("188.02");
    f.ipc_text = QStringLiteral("-2.5");
    f.Epa = 412.35f, f.Ipa = 3.27f, f.Epc = 188.02f, f.Ipc = -2.5f;
    f.channel_index = 1, f.cycle_index = 2;
    f.anodic_max = 210, f.cathodic_max = 180, f.current_anodic = 105, f.current_cathodic = 90;
    f.current_tangent = -4, f.current_cathodic_2 = 7;
    f.selected_channel = 2, f.selected_cycle = 3;
    f.ch1 = {{-0.2, 0.734}, {-0.1, -12.5}, {0, 1e-05}, {0.1, 123456789}, {0.2, 2.5}};
    f.ch2 = {{-0.2, 0.5}, {-0.1, 0.25}, {0, -0.125}};
    f.anodic_tangent = {{-0.2, 0.7}, {-0.1, 0.9}, {0.3, 1.1}, {0.3, 3.27}};
    return f;
}

// Equal to 6 significant digits, as the file keeps them.
bool same_points(const QVector<ei_point> &a, const QVector<ei_point> &b)
{
    const auto near = [](double x, double y) { return std::fabs(x - y) <= 5e-6 * std::max(std::fabs(y), 1e-30); };
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        if (!near(a[i].e_V, b[i].e_V) || !near(a[i].i_uA, b[i].i_uA))
            return false;
    }
    return true;
}

QStringList header_fields(const analysis_file &f)
{
    return {f.version, f.exported, f.experiment, f.user, QString::number(f.rate_mV_s), f.method,
            QString::number(f.rr), QString::number(f.sample), f.epa_text, f.ipa_text, f.epc_text, f.ipc_text,
            QString::number(f.Epa), QString::number(f.Ipa), QString::number(f.Epc), QString::number(f.Ipc),
            QString::number(f.channel_index), QString::number(f.cycle_index), QString::number(f.anodic_max),
            QString::number(f.cathodic_max), QString::number(f.current_anodic),
            QString::number(f.current_cathodic), QString::number(f.current_tangent),
            QString::number(f.current_cathodic_2), QString::number(f.selected_channel),
            QString::number(f.selected_cycle)};
}

// What any reading must hold to, whatever the bytes: the first broken promise, or an empty text.
QString broken_promise(const analysis_read &r)
{
    const analysis_file &f = r.file;
    const bool ok = r.status == analysis_read_status::ok;
    for (const QVector<ei_point> *c : {&f.ch1, &f.ch2, &f.anodic_tangent, &f.cathodic_tangent}) {
        if (c->size() > max_analysis_rows)
            return QStringLiteral("too many points");
        for (const ei_point &p : *c) {
            if (!std::isfinite(p.e_V) || !std::isfinite(p.i_uA))
                return QStringLiteral("point not finite");
        }
    }
    if (f.rr < 9000 || f.rr > 9999 || f.sample < 10 || f.sample > 1000)
        return QStringLiteral("Pearson settings out of range");
    if (f.channel_index > 1 || f.anodic_max < 0 || f.cathodic_max < 0 || std::abs(f.current_tangent) > 30 ||
        std::abs(f.current_cathodic_2) > 30 || f.selected_channel < 0 || f.selected_channel > 2 ||
        f.selected_cycle < 0 || f.selected_cycle > 256)
        return QStringLiteral("header value out of range");
    for (float v : {f.Epa, f.Ipa, f.Epc, f.Ipc, f.e_min, f.e_max, f.i_min, f.i_max}) {
        if (!std::isfinite(v))
            return QStringLiteral("value not finite");
    }
    if (f.e_min > 0 || f.e_max < 0 || f.i_min > 0 || f.i_max < 0)
        return QStringLiteral("extremes leave out 0");
    if (ok != !f.ch1.isEmpty())
        return QStringLiteral("ok without channel-1 points, or points refused");
    return QString();
}

} // namespace

class analysis_file_test : public QObject {
    Q_OBJECT

private slots:
    void writes_the_exact_layout()
    {
        const QByteArray bytes = write_analysis_file(golden());
        QCOMPARE(bytes, golden_bytes());
        QVERIFY(bytes.contains("\t3.27\t\xC2\xB5" "A\n"));
        QVERIFY(!bytes.contains('\r'));

        analysis_file empty = golden();
        empty.ch1.clear();
        empty.ch2.clear();
        QVERIFY(write_analysis_file(empty).endsWith("\tCycle:\t3\nRAW DATA\n"));

        // Texts from the screen stay one field each, in UTF-8 whatever the locale.
        analysis_file odd = golden();
        odd.user = QStringLiteral("Zo\u00eb\tlab");
        QVERIFY(write_analysis_file(odd).contains("\tUser:\tZo\xC3\xAB lab\n"));
    }

    void reads_back_what_it_wrote()
    {
        analysis_file f = golden();
        f.ch2.append({0.3, 7.0}); // channel 2 longer: its potentials make the column
        f.ch2.append({0.4, -7.0});
        f.ch2.append({0.5, 1.0});
        f.cathodic_tangent = {{0.5, -1}, {0.4, -2}};
        for (const QByteArray &bytes : {write_analysis_file(f), write_analysis_file(f).replace("\n", "\r\n")}) {
            const analysis_read r = read_analysis_file(bytes);
            QCOMPARE(r.status, analysis_read_status::ok);
            QCOMPARE(header_fields(r.file), header_fields(f));
            // Every row's potential is the longer curve's: the same for rows 0-2, channel 2's from row 3.
            QVERIFY(same_points(r.file.ch1.mid(0, 3), f.ch1.mid(0, 3)));
            QCOMPARE(r.file.ch1[3].e_V, double(0.3f));
            QVERIFY(same_points(r.file.ch2, f.ch2));
            QVERIFY(same_points(r.file.anodic_tangent, f.anodic_tangent));
            QVERIFY(same_points(r.file.cathodic_tangent, f.cathodic_tangent));
            QCOMPARE(QVector<float>({r.file.e_min, r.file.e_max, r.file.i_min}), QVector<float>({-0.2f, 0.5f, -12.5f}));
            QCOMPARE(r.file.i_max, 123457000.0f);
        }

        const analysis_read g = read_analysis_file(golden_bytes());
        QVERIFY(same_points(g.file.ch1, golden().ch1));
        QCOMPARE(opened_analysis_details(QStringLiteral("plate"), g.file),
                 QStringList({"plate", "Rate(mV/sec): 100", "Epa(mV):412.35", "Ipa(\u00b5A):3.27",
                              "Epc(mV):188.02", "Ipc(\u00b5A):-2.5", "", "Date:2024-03-05  14:07:09", "User:ana"}));
    }

    void quirks_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("expected"); // header fields (as header_fields), or empty to skip
        QTest::addColumn<int>("ch1_points");
        const QByteArray g = golden_bytes();
        const int line22 = g.indexOf("RAW DATA");
        const QByteArray head = g.left(line22);
        const auto with_line = [&](int n, const QByteArray &line) {
            QList<QByteArray> lines = g.split('\n');
            lines[n - 1] = line;
            return lines.join('\n');
        };
        const int ok = int(analysis_read_status::ok);
        QStringList ranged = header_fields(golden());
        ranged[4] = "99";   // rate 99.9 cut toward zero
        ranged[6] = "9999"; // RR held at the slider's end
        ranged[7] = "10";
        QTest::newRow("ranges") << with_line(5, "\tRate:\t99.9").replace("\t9873", "\t12000").replace("\t150\n", "\tx\n")
                                << ok << ranged << 5;
        QStringList wrapped = header_fields(golden());
        wrapped[4] = wrapped[16] = wrapped[18] = wrapped[22] = "0";
        QTest::newRow("out of range reads 0")
            << with_line(19, "\tCurrent_tangent:\t31").replace("\t100\n", "\t70000\n").replace("\t1\n", "\t2\n")
                   .replace("\t210\n", "\t-1\n")
            << ok << wrapped << 5;
        QStringList bare = header_fields(golden());
        bare[8] = "";
        bare[12] = "0";
        bare[24] = bare[25] = "0";
        QTest::newRow("short header lines") << with_line(9, "\tEpa:").replace("Channel:\t2\tCycle:\t3\n", "Channel:\n")
                                            << ok << bare << 5;
        QTest::newRow("short, odd and non-finite rows")
            << head + "RAW DATA\n0\t0.1\t2.5\n1\t0.2\n2\tinf\t1\t1\n3\t0.3\tnan\t1e39\t0.1\tabc\n4\t0.4\t-1\tNaN\n"
                   "5\t0.5\t1e-84\n" // too small for a float: read as 0, the point kept
            << ok << QStringList() << 3;
        QTest::newRow("header only") << head + "RAW DATA\n" << int(analysis_read_status::no_data) << QStringList() << 0;
        QTest::newRow("channel 2 only") << head + "RAW DATA\n0\t0.1\tnan\t2"
                                        << int(analysis_read_status::no_data) << QStringList() << 0;
        QTest::newRow("line 22 differs") << with_line(22, "RAW DATA ") << int(analysis_read_status::not_analysis)
                                         << QStringList() << 0;
        QTest::newRow("21 lines") << head << int(analysis_read_status::cut_short) << QStringList() << 0;
        QTest::newRow("empty") << QByteArray() << int(analysis_read_status::cut_short) << QStringList() << 0;
    }

    void quirks()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, status);
        QFETCH(QStringList, expected);
        QFETCH(int, ch1_points);
        const analysis_read r = read_analysis_file(bytes);
        QCOMPARE(int(r.status), status);
        QCOMPARE(broken_promise(r), QString());
        if (!expected.isEmpty())
            QCOMPARE(header_fields(r.file), expected);
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
        const analysis_read full = read_analysis_file(g);
        for (int n = 0; n < g.size(); ++n) {
            const analysis_read r = read_analysis_file(g.left(n));
            QVERIFY2(broken_promise(r).isEmpty(), qPrintable(broken_promise(r) + QString::number(n)));
            // A cut file yields the full file's points; only the last may be cut inside its number.
            const int kept = std::max(0, int(r.file.ch1.size()) - 1);
            QVERIFY(r.file.ch1.size() <= full.file.ch1.size());
            QVERIFY(r.file.ch1.mid(0, kept) == full.file.ch1.mid(0, kept));
        }
        std::mt19937 random(20240305);
        const QByteArray alphabet("\t\n\r\0-+.eEn9 x\xB5", 14);
        for (int round = 0; round < 12000; ++round) {
            QByteArray bytes = g;
            const int edits = 1 + int(random() % 8);
            for (int e = 0; e < edits; ++e) {
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
        const analysis_read r = load_analysis_file(path);
        QCOMPARE(r.status, analysis_read_status::ok);
        QCOMPARE(header_fields(r.file), header_fields(golden()));

        const save_result failed = save_analysis_file(dir.filePath(QStringLiteral("missing/a.qva")), golden());
        QVERIFY(!failed.ok && !failed.error.isEmpty());
        QCOMPARE(load_analysis_file(dir.filePath(QStringLiteral("none.qva"))).status, analysis_read_status::unreadable);
        QVERIFY(!analysis_read_problem(analysis_read_status::no_data).isEmpty());
    }
};

QTEST_GUILESS_MAIN(analysis_file_test)
#include "analysis_file_test.moc"
