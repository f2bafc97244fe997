// The runs of spaces a line leaves for its Greek letters, and which of them holds a letter: the
// nearest one, none when the line's last character is as near.
#include "drawing/space_runs.h"

#include <QtTest>

namespace {
// Every character this wide, so that where a letter falls reads off the text.
constexpr int CharWidth = 10;
// Where the line's cell starts.
constexpr int Left = 100;

LaidOutText evenlySpaced(const QString &text)
{
    LaidOutText laid;
    for (int i = 0; i < text.size(); ++i)
        laid.starts.append(i * CharWidth);
    laid.advance = int(text.size()) * CharWidth;
    return laid;
}
}

class TestSpaceRuns : public QObject
{
    Q_OBJECT
private slots:
    void findsEachRunOnce()
    {
        const SpaceRuns runs(QStringLiteral("  a   bc d "));
        QList<std::pair<int, int>> found;
        for (const SpaceRuns::Run &r : runs.runs())
            found.append({r.first, r.end});
        QCOMPARE(found, (QList<std::pair<int, int>>{{0, 2}, {3, 6}, {8, 9}, {10, 11}}));
        QVERIFY(SpaceRuns(QStringLiteral("2000")).empty());
    }

    void theNearestRunHoldsALetter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("letterAt"); // in characters from the line's start
        QTest::addColumn<int>("run");
        const QString line = QStringLiteral("ab   cd  ef  ");
        QTest::addRow("inside a run") << line << 3 << 0;
        QTest::addRow("inside a later run") << line << 7 << 1;
        QTest::addRow("over a word, as near to both runs") << line << 6 << 0;
        QTest::addRow("over the first word") << line << 0 << 0;
        QTest::addRow("past the last character, over trailing spaces") << line << 11 << -1;
        QTest::addRow("past the end") << line << 20 << -1;
        QTest::addRow("nearer the end than any run") << QStringLiteral("a  bcdefgh") << 8 << -1;
        QTest::addRow("no run") << QStringLiteral("2000") << 1 << -1;
    }
    void theNearestRunHoldsALetter()
    {
        QFETCH(QString, text);
        QFETCH(int, letterAt);
        QFETCH(int, run);
        QCOMPARE(SpaceRuns(text).holding(evenlySpaced(text), Left, Left + letterAt * CharWidth), run);
    }
};

QTEST_MAIN(TestSpaceRuns)
#include "tst_space_runs.moc"
