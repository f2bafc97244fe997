// A line set around the Greek letters written into its runs of spaces: each letter a word space or
// the face's letter spacing from its neighbours, the rest of the line following on, whatever the
// drawing order, at every scale, and erased by drawing it again in the background colour.
#include "drawing/canvas.h"
#include "drawing/page_reader.h"
#include "pixel_probe.h"

#include <QtTest>
#include <climits>

namespace {
struct Written
{
    bool symbol;
    int points, x, y;
    QString text;
};

struct Log : TextListener
{
    QList<DrawnText> texts;
    void textDrawn(const DrawnText &text) override { texts.append(text); }
};

void write(Canvas &c, const Written &w, TColor colour = Colour::Blue)
{
    c.setFontName(w.symbol ? QStringLiteral("Symbol") : QStringLiteral("MS sans Serif"));
    c.setFontSize(w.points);
    c.setFontColor(colour);
    c.TextOut(w.x, w.y, w.text);
}

void clear(Canvas &c)
{
    c.setPenAndBrush(Colour::BtnFace);
    c.Rectangle(0, 0, Canvas::Width, Canvas::Height);
    c.SetBkMode(BkMode::Transparent);
}

// The empty columns between the words of "n n", or the letters of "nn", in the page face.
int inkGap(int points, const QString &text)
{
    const QList<QPoint> ink = inkOf({QRect(10, 10, 0, 0), QStringLiteral("MS sans Serif"), points, Colour::Black, text, text, false});
    QSet<int> columns;
    for (QPoint p : ink)
        columns.insert(p.x());
    const auto [first, last] = std::minmax_element(columns.begin(), columns.end());
    int widest = 0, run = 0;
    for (int x = *first; x <= *last; ++x)
        widest = std::max(widest, run = columns.contains(x) ? 0 : run + 1);
    return widest;
}

// Empty columns between the letter's ink and its neighbours' ink on the letter's rows, left and
// right; INT_MAX where it has no neighbour.
std::pair<int, int> gapsAround(const DrawnText &letter, const QList<DrawnText> &others)
{
    const QList<QPoint> own = inkOf(letter);
    int top = INT_MAX, bottom = INT_MIN, leftmost = INT_MAX, rightmost = INT_MIN;
    for (QPoint p : own)
        top = std::min(top, p.y()), bottom = std::max(bottom, p.y()), leftmost = std::min(leftmost, p.x()), rightmost = std::max(rightmost, p.x());
    int left = INT_MAX, right = INT_MAX;
    for (const DrawnText &t : others)
        for (QPoint p : inkOf(t))
            if (p.y() >= top && p.y() <= bottom)
                (p.x() < leftmost ? left = std::min(left, leftmost - p.x() - 1) : right = std::min(right, p.x() - rightmost - 1));
    return {left, right};
}

enum Side { Nothing, Glued, Spaced };
}

class TestLineSetting : public QObject
{
    Q_OBJECT
private slots:
    void aLetterSitsInItsLineAsTheLineReads_data()
    {
        QTest::addColumn<QList<Written>>("texts"); // in drawing order
        QTest::addColumn<int>("letter");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("right");
        const Written speedLine{false, 8, 1, 400, QStringLiteral("La vitesse      est constante = 2,5V*(25/2   ) = 10tr/s.")};
        const Written pulsation{false, 8, 1, 165, QStringLiteral("sa pulsation :      = 2    ft = 2000    t")};
        QTest::addRow("a word each side") << QList<Written>{speedLine, {true, 8, 52, 400, QStringLiteral("W1")}} << 1 << int(Spaced) << int(Spaced);
        QTest::addRow("after a number it divides") << QList<Written>{speedLine, {true, 8, 197, 400, QStringLiteral("p")}} << 1 << int(Glued) << int(Glued);
        QTest::addRow("times a number") << QList<Written>{pulsation, {true, 8, 97, 165, QStringLiteral("p")}} << 1 << int(Glued) << int(Glued);
        QTest::addRow("drawn before its line") << QList<Written>{{true, 8, 97, 165, QStringLiteral("p")}, pulsation} << 0 << int(Glued) << int(Glued);
        QTest::addRow("second of its line") << QList<Written>{pulsation, {true, 8, 70, 165, QStringLiteral("j")}, {true, 8, 155, 165, QStringLiteral("p")}}
                                            << 2 << int(Glued) << int(Glued);
        QTest::addRow("an operator written tight")
            << QList<Written>{{false, 10, 250, 220, QStringLiteral("- la sortie du capteur de vitesse X : signal carré (phase     =wt -      )")},
                              {true, 10, 572, 220, QStringLiteral("j1")}} << 1 << int(Spaced) << int(Glued);
        QTest::addRow("past the end of its line")
            << QList<Written>{{false, 8, 600, 315, QStringLiteral("comme une rampe de pente 2000")}, {true, 8, 760, 315, QStringLiteral("p.")}}
            << 1 << int(Glued) << int(Nothing);
        QTest::addRow("before the start of its line")
            << QList<Written>{{false, 8, 620, 380, QStringLiteral("= (2*     *100)/p")}, {true, 10, 580, 378, QStringLiteral("j1/W1")}}
            << 1 << int(Nothing) << int(Spaced);
        QTest::addRow("followed by a piece of its line")
            << QList<Written>{{true, 8, 385, 386, QStringLiteral("p")}, {false, 8, 391, 386, QStringLiteral("/4")}} << 0 << int(Nothing) << int(Glued);
        QTest::addRow("over a text of spaces alone")
            << QList<Written>{{false, 8, 1, 300, QStringLiteral("            ")}, {true, 8, 20, 300, QStringLiteral("p")}} << 1 << int(Nothing) << int(Nothing);
    }
    void aLetterSitsInItsLineAsTheLineReads()
    {
        QFETCH(QList<Written>, texts);
        QFETCH(int, letter);
        QFETCH(int, left);
        QFETCH(int, right);
        Canvas c;
        Log log;
        c.setTextListener(&log);
        clear(c);
        for (const Written &w : texts)
            write(c, w);
        c.image();
        QCOMPARE(log.texts.size(), texts.size());

        const int points = std::find_if(texts.begin(), texts.end(), [](const Written &w) { return !w.symbol; })->points;
        const auto expected = [&](int side) { return side == Nothing ? INT_MAX : inkGap(points, side == Glued ? QStringLiteral("nn") : QStringLiteral("n n")); };
        QList<DrawnText> others = log.texts;
        others.removeAt(letter);
        const auto [leftGap, rightGap] = gapsAround(log.texts[letter], others);
        QCOMPARE(leftGap, expected(left));
        QCOMPARE(rightGap, expected(right));
        QCOMPARE(log.texts[letter].spacedBefore, left != Glued);
        QCOMPARE(log.texts[letter].spacedAfter, right != Glued);
        // Only x moves, the line's first text not at all, and nothing leaves the area.
        bool first = true;
        for (qsizetype i = 0; i < texts.size(); ++i) {
            QCOMPARE(log.texts[i].cell.y(), texts[i].y);
            QVERIFY(log.texts[i].cell.right() < Canvas::Width);
            if (!texts[i].symbol && std::exchange(first, false))
                QCOMPARE(log.texts[i].cell.x(), texts[i].x);
        }
    }

    void aLineIsSetAlikeWhicheverIsDrawnFirst()
    {
        const Written line{false, 10, 250, 210, QStringLiteral("passe-bas d'ordre 1 :            U = (25/2     )/(1+0,5p)")};
        const Written omega{true, 12, 385, 207, QStringLiteral("W1/")}, pi{true, 12, 466, 206, QStringLiteral("p")};
        Canvas lineFirst, lettersFirst;
        clear(lineFirst);
        clear(lettersFirst);
        for (const Written &w : {line, omega, pi})
            write(lineFirst, w);
        for (const Written &w : {pi, omega, line})
            write(lettersFirst, w);
        QCOMPARE(Probe::difference(lineFirst.image(), lettersFirst.image()), QRect());
        // Drawn again every tick, it stays put.
        for (const Written &w : {pi, omega, line})
            write(lettersFirst, w);
        QCOMPARE(Probe::difference(lineFirst.image(), lettersFirst.image()), QRect());
    }

    void erasingByOverdrawingLeavesNothing_data()
    {
        QTest::addColumn<int>("scale");
        QTest::addColumn<bool>("letterFirst");
        QTest::addColumn<bool>("oneFrame"); // the erasure and the new line drawn before the picture is read
        for (int scale : {1, 3})
            for (bool letterFirst : {false, true})
                for (bool oneFrame : {false, true})
                    QTest::addRow("x%d, %s, %s", scale, letterFirst ? "letter first" : "line first", oneFrame ? "one frame" : "two frames")
                        << scale << letterFirst << oneFrame;
    }
    void erasingByOverdrawingLeavesNothing()
    {
        QFETCH(int, scale);
        QFETCH(bool, letterFirst);
        QFETCH(bool, oneFrame);
        // A value that changes every tick, and after it a Greek letter that moves with it.
        const auto tick = [&](Canvas &c, const QString &value, TColor colour) {
            const Written line{false, 8, 1, 400, value + QStringLiteral(" tr/s : la vitesse      est constante")};
            const Written omega{true, 8, 80, 400, QStringLiteral("W1")};
            for (const Written &w : letterFirst ? QList{omega, line} : QList{line, omega})
                write(c, w, colour);
        };
        Canvas c, fresh;
        for (Canvas *canvas : {&c, &fresh}) {
            canvas->setScale(scale);
            clear(*canvas);
        }
        tick(c, QStringLiteral("10,25"), Colour::Blue);
        c.image();
        tick(c, QStringLiteral("10,25"), Colour::BtnFace);
        if (!oneFrame)
            c.image();
        tick(c, QStringLiteral("9"), Colour::Blue);
        tick(fresh, QStringLiteral("9"), Colour::Blue);
        QCOMPARE(Probe::difference(c.image(), fresh.image()), QRect());
    }

    void aSnapshotKeepsTheLinesItHolds()
    {
        const Written line{false, 8, 1, 165, QStringLiteral("sa pulsation :      = 2    ft = 2000    t")};
        const Written phi{true, 8, 70, 165, QStringLiteral("j")};
        Canvas c, whole;
        clear(c);
        clear(whole);
        write(c, phi);
        write(c, line);
        const Canvas::Snapshot taken = c.snapshot();
        // A letter drawn after the snapshot is gone once it is restored: the line no longer
        // closes up around it.
        write(c, {true, 8, 155, 165, QStringLiteral("p")});
        c.image();
        c.restore(taken);
        for (Canvas *canvas : {&c, &whole}) {
            write(*canvas, phi);
            write(*canvas, line);
        }
        QCOMPARE(Probe::difference(c.image(), whole.image()), QRect());
    }
};

QTEST_MAIN(TestLineSetting)
#include "tst_line_setting.moc"
