// Analysis protocols: the stored bytes, reading files from here and elsewhere into the sliders' ranges, and
// files that must leave the sliders alone.
#include "analysis/analysis_protocol_file.h"

#include <QTemporaryDir>
#include <QtTest>


namespace {

QString shown(const std::optional<analysis_protocol> &p)
{
    return p ? QStringLiteral("%1/%2").arg(p->rr).arg(p->sample) : QStringLiteral("none");
}

} // namespace

class analysis_protocol_file_test : public QObject {
    Q_OBJECT

private slots:
    void writes_two_lines()
    {
        QCOMPARE(write_analysis_protocol(analysis_protocol{}), QByteArray("9500\n200"));
        QCOMPARE(write_analysis_protocol({9873, 150}), QByteArray("9873\n150"));
    }

    void reads_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("between steps") << QByteArray("9873\n150") << "9873/150";
        QTest::newRow("held in range") << QByteArray("12000\n5") << "9999/10";
        QTest::newRow("below range") << QByteArray("-5\n2000") << "9000/1000";
        QTest::newRow("beyond 32 bits") << QByteArray("99999999999\n20") << "9999/20";
        QTest::newRow("CR LF") << QByteArray("9873\r\n150\r\n") << "9873/150";
        QTest::newRow("blanks") << QByteArray(" 9700 \n\t150 ") << "9700/150";
        QTest::newRow("one line") << QByteArray("9700") << "9700/10";
        QTest::newRow("blank second line") << QByteArray("9700\n\n300") << "9700/10";
        QTest::newRow("later lines ignored") << QByteArray("9600\n300\nabc") << "9600/300";
        QTest::newRow("first not a number") << QByteArray("abc\n150") << "none";
        QTest::newRow("second not a number") << QByteArray("9700\n15x") << "none";
        QTest::newRow("fraction") << QByteArray("9700.5\n150") << "none";
        QTest::newRow("empty") << QByteArray() << "none";
    }

    void reads()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QCOMPARE(shown(read_analysis_protocol(bytes)), expected);
    }

    void saves_and_loads_files()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("plate.run.qvr"));
        QVERIFY(save_analysis_protocol_file(path, {9873, 150}).ok);
        QCOMPARE(shown(load_analysis_protocol_file(path).protocol), QStringLiteral("9873/150"));

        const analysis_protocol_load missing = load_analysis_protocol_file(dir.filePath(QStringLiteral("no.qvr")));
        QVERIFY(!missing.protocol && !missing.error.isEmpty());
        QVERIFY(!save_analysis_protocol_file(dir.filePath(QStringLiteral("no/p.qvr")), {}).ok);
    }
};

QTEST_GUILESS_MAIN(analysis_protocol_file_test)
#include "analysis_protocol_file_test.moc"
