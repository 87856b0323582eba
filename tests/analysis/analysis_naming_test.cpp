// Analysis file names: folders kept for the next dialog, proposals, the user's own paths and drops.
#include "analysis/analysis_naming.h"

#include <QtTest>

class analysis_naming_test : public QObject {
    Q_OBJECT

private slots:
    void folders_and_proposals()
    {
        QCOMPARE(analysis_folder("C:/x/a.b.qva"), QStringLiteral("C:/x/"));
        QCOMPARE(analysis_folder("/data/run.2.qva"), QStringLiteral("/data/"));
        QCOMPARE(analysis_folder("/a.qva"), QStringLiteral("/"));
        QCOMPARE(analysis_folder("run.qva"), QString());
        // A folder with or without its separator gives one separator before the name.
        QCOMPARE(analysis_save_proposal("C:/x/", "a"), QStringLiteral("C:/x/a"));
        QCOMPARE(analysis_save_proposal("Data/User/ana/Analysis", "a_1"), QStringLiteral("Data/User/ana/Analysis/a_1"));
        QCOMPARE(analysis_save_proposal("", "a"), QStringLiteral("a"));
        QCOMPARE(user_analysis_path("ana", "a_1"), QStringLiteral("Data/User/ana/Analysis/a_1.qva"));
        QCOMPARE(user_analysis_protocol_path("ana", "New_Analysis_Protocol"),
                 QStringLiteral("Data/User/ana/Protocols/New_Analysis_Protocol.qvr"));
    }

    void drops()
    {
        QVERIFY(is_droppable_analysis("/data/a.qva"));
        QVERIFY(!is_droppable_analysis("/data/A.QVA"));
        QVERIFY(!is_droppable_analysis("/data/b.txt"));
        QVERIFY(!is_droppable_analysis("qva"));
    }
};

QTEST_GUILESS_MAIN(analysis_naming_test)
#include "analysis_naming_test.moc"
