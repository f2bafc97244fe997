// Every picture the pages draw, tick by tick, against the pictures recorded in data/frames.txt:
// the drawing code may get faster, never draw differently. After a change that is meant to
// alter what is drawn, record them again and look at what changed:
//   PLL_RECORD_FRAMES=1 build/tests/tst_frames
#include "app/application.h"
#include "page_runs.h"
#include "pixel_probe.h"
#include "pages/page_tick.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QtTest>

namespace {
const QString FramesFile = QStringLiteral(FRAMES_FILE);

struct Frame
{
    QByteArray page;
    int tick;
    QByteArray hash;
};

// One line per stretch of identical frames: "page<TAB>first tick[-last tick]<TAB>hash".
QByteArray format(const QList<Frame> &frames)
{
    QByteArray text = "# Written by tst_frames (PLL_RECORD_FRAMES=1); one line per stretch of identical frames.\n";
    for (qsizetype i = 0; i < frames.size();) {
        qsizetype last = i;
        while (last + 1 < frames.size() && frames[last + 1].page == frames[i].page
               && frames[last + 1].hash == frames[i].hash)
            ++last;
        QByteArray ticks = QByteArray::number(frames[i].tick);
        if (last > i)
            ticks += '-' + QByteArray::number(frames[last].tick);
        text += frames[i].page + '\t' + ticks + '\t' + frames[i].hash + '\n';
        i = last + 1;
    }
    return text;
}

// The recorded frames, or an empty list with `error` set.
QList<Frame> parse(const QByteArray &text, QString &error)
{
    QList<Frame> frames;
    int lineNumber = 0;
    for (const QByteArray &line : text.split('\n')) {
        ++lineNumber;
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> fields = line.split('\t');
        const QList<QByteArray> ticks = fields.value(1).split('-');
        bool firstOk = false, lastOk = false;
        const int first = ticks.value(0).toInt(&firstOk);
        const int last = ticks.size() == 2 ? ticks[1].toInt(&lastOk) : (lastOk = firstOk, first);
        if (fields.size() != 3 || !firstOk || !lastOk || last < first || fields[2].size() != 16) {
            error = QStringLiteral("%1 line %2 is not \"page<TAB>ticks<TAB>hash\"").arg(FramesFile).arg(lineNumber);
            return {};
        }
        for (int tick = first; tick <= last; ++tick)
            frames.append({fields[0], tick, fields[2]});
    }
    return frames;
}
}

class TestFrames : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        PllApplication::applyLook();
        // The speed change page writes a decimal number: pin the locale its frames were recorded in.
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    }

    void hashCoversEveryPixelOfTheArea()
    {
        QImage image(Canvas::Width, Canvas::Height, QImage::Format_RGB32);
        image.fill(Qt::white);
        const QByteArray white = Probe::hash(image);
        for (const QPoint corner : {QPoint(0, 0), QPoint(Canvas::Width - 1, Canvas::Height - 1)}) {
            QImage changed = image;
            changed.setPixel(corner, qRgb(255, 255, 254));
            QVERIFY2(Probe::hash(changed) != white, qPrintable(QStringLiteral("pixel (%1, %2) not hashed").arg(corner.x()).arg(corner.y())));
        }
    }

    // Every page on one stage, in turn, so each meets the tools and caches the previous left. No
    // window: the pages draw the same with or without one.
    void everyFrameIsTheRecordedOne()
    {
        const bool recording = qEnvironmentVariableIntValue("PLL_RECORD_FRAMES") == 1;
        QList<Frame> recorded;
        if (!recording) {
            QFile file(FramesFile);
            QVERIFY2(file.open(QIODevice::ReadOnly),
                     qPrintable(FramesFile + QStringLiteral(" missing: record it with PLL_RECORD_FRAMES=1")));
            QString error;
            recorded = parse(file.readAll(), error);
            QVERIFY2(!recorded.isEmpty(), qPrintable(error));
        }

        Stage stage;
        QList<Frame> frames;
        QStringList hiddenPresses;
        QString mismatch;
        for (const PageRun &run : pageRuns()) {
            int tick = 0;
            playRun(stage, run,
                [&](Control button) {
                    if (!stage.controls.isShown(button))
                        hiddenPresses << QStringLiteral("%1 before tick %2").arg(run.name).arg(tick + 1);
                },
                [&](bool) {
                    PageTick(stage);
                    const QImage &image = stage.canvas.image();
                    frames.append({run.name, ++tick, Probe::hash(image)});
                    const qsizetype i = frames.size() - 1;
                    if (recording || !mismatch.isEmpty())
                        return;
                    if (i >= recorded.size()) {
                        mismatch = QStringLiteral("%1, tick %2: more frames than recorded").arg(run.name).arg(tick);
                    } else if (recorded[i].page != frames[i].page || recorded[i].tick != tick) {
                        mismatch = QStringLiteral("%1, tick %2: recorded as %3, tick %4")
                                       .arg(run.name).arg(tick).arg(recorded[i].page).arg(recorded[i].tick);
                    } else if (recorded[i].hash != frames[i].hash) {
                        const QString saved = QDir::temp().filePath(QStringLiteral("tst_frames-%1-%2.png").arg(run.name).arg(tick));
                        image.save(saved);
                        mismatch = QStringLiteral("%1, tick %2: the picture is not the recorded one (saved as %3)")
                                       .arg(run.name).arg(tick).arg(saved);
                    }
                });
            if (!mismatch.isEmpty())
                break;
        }
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
        QVERIFY2(hiddenPresses.isEmpty(), qPrintable("pressed while hidden: " + hiddenPresses.join(", ")));

        if (recording) {
            QFile file(FramesFile);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(format(frames));
            QSKIP(qPrintable(QStringLiteral("recorded %1 frames in %2").arg(frames.size()).arg(FramesFile)));
        }
        QCOMPARE(frames.size(), recorded.size());
    }
};

QTEST_MAIN(TestFrames)
#include "tst_frames.moc"
