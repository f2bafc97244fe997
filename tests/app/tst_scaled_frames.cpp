// Pages drawn at x2, x3 and the fractional x1.5 and x1.98: the picture holds only the colours the page has at its own size, it
// is drawn again (finer than its own size blown up), drawing it frame by frame gives what
// drawing it whole gives, and what an animation erases leaves only what the last frame alone
// draws there.
#include "app/application.h"
#include "page_runs.h"
#include "pages/page_tick.h"

#include <QSet>
#include <QtTest>

namespace {
struct Played
{
    QImage picture;     // at the scale, frame by frame
    QImage own;         // the same drawing at its own size
    QImage whole;       // the same drawing drawn whole at the scale
    QImage lastFrame;   // the run's last tick alone, on a cleared area, at the scale
};

// Plays run `name` at `scale`, then draws its last frame again alone from the state before it.
Played play(const char *name, qreal scale)
{
    const auto run = std::find_if(pageRuns().begin(), pageRuns().end(), [&](const PageRun &r) { return qstrcmp(r.name, name) == 0; });
    Stage stage;
    stage.canvas.setScale(scale);
    PageState beforeLast = PageState::current();
    playRun(stage, *run, [](Control) {}, [&](bool) {
        const PageState before = PageState::current();
        PageTick(stage);
        if (!(PageState::current() == before))
            beforeLast = before;
    });
    const PageState end = PageState::current();
    Played p{stage.canvas.image(), stage.canvas.render(1), Canvas::render(stage.canvas.snapshot(), scale), {}};

    Stage alone;
    alone.canvas.setScale(scale);
    beforeLast.restore();
    alone.ClearDrawingArea();
    PageTick(alone);
    p.lastFrame = alone.canvas.image();
    end.restore();
    return p;
}

QSet<QRgb> colours(const QImage &image)
{
    QSet<QRgb> set;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            set.insert(row[x] | 0xFF000000u);
    }
    return set;
}

QRect blocks(const QRect &r, qreal scale)
{
    return QRect(Raster::edge(r.topLeft(), scale), Raster::edge(r.bottomRight() + QPoint(1, 1), scale) - QPoint(1, 1));
}

// The blocks the pixels at the picture's own size become that are not of one colour: none in a
// picture blown up from its own size, whose columns and rows are its own repeated.
int mixedBlocks(const QImage &image, qreal scale)
{
    int mixed = 0;
    for (int by = 0; by < Canvas::Height; ++by)
        for (int bx = 0; bx < Canvas::Width; ++bx) {
            const QRect block = blocks(QRect(bx, by, 1, 1), scale);
            const QRgb first = image.pixel(block.topLeft());
            bool uniform = true;
            for (int y = block.top(); y <= block.bottom() && uniform; ++y)
                for (int x = block.left(); x <= block.right() && uniform; ++x)
                    uniform = image.pixel(x, y) == first;
            mixed += !uniform;
        }
    return mixed;
}
}

class TestScaledFrames : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        PllApplication::applyLook();
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    }

    void drawnAgainCrispAndErasedClean_data()
    {
        QTest::addColumn<QByteArray>("run");
        QTest::addColumn<qreal>("scale");
        QTest::addColumn<QRect>("moving"); // where the page's animation moves, at its own size
        const struct { const char *run; QRect moving; } pages[] = {
            {"operating point", QRect(670, 30, 105, 90)},  // the turning antenna
            {"speed change", QRect(400, 140, 160, 200)},   // the compressing waves, above the phase ramps
            {"sensor rotation", QRect(318, 250, 132, 200)}, // the turning encoder disc, right of the beam
            {"comparator sweep", QRect(0, 365, 110, 90)},   // the operating point on the characteristic
        };
        for (qreal scale : {2.0, 3.0, 1.5, 1.98})
            for (const auto &page : pages)
                QTest::addRow("%s x%g", page.run, scale) << QByteArray(page.run) << scale << page.moving;
    }
    void drawnAgainCrispAndErasedClean()
    {
        QFETCH(QByteArray, run);
        QFETCH(qreal, scale);
        QFETCH(QRect, moving);
        const Played p = play(run.constData(), scale);
        QCOMPARE(p.picture.size(), blocks(QRect(0, 0, Canvas::Width, Canvas::Height), scale).size());

        const QSet<QRgb> extra = colours(p.picture) - colours(p.own);
        QVERIFY2(extra.isEmpty(), qPrintable(QStringLiteral("%1 colours the page does not have, such as #%2")
                                                 .arg(extra.size()).arg(extra.isEmpty() ? 0 : *extra.begin(), 6, 16)));
        // Text edges and slanted lines alone mix thousands of blocks.
        QVERIFY2(mixedBlocks(p.picture, scale) > 2000, qPrintable(QString::number(mixedBlocks(p.picture, scale))));
        QVERIFY(p.picture != p.own.scaled(p.picture.size()));

        QCOMPARE(p.picture, p.whole);
        const QRect area = blocks(moving, scale);
        const QImage left = p.picture.copy(area), alone = p.lastFrame.copy(area);
        if (left != alone) {
            left.save(QDir::temp().filePath(QStringLiteral("tst_scaled_frames-%1-x%2-left.png").arg(QString::fromLatin1(run)).arg(scale)));
            alone.save(QDir::temp().filePath(QStringLiteral("tst_scaled_frames-%1-x%2-alone.png").arg(QString::fromLatin1(run)).arg(scale)));
        }
        QVERIFY2(left == alone, "the animation left pixels its last frame does not draw (pictures in the temporary folder)");
    }
};

QTEST_MAIN(TestScaledFrames)
#include "tst_scaled_frames.moc"
