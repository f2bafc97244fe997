// The lab's "Plages" chart on a bare canvas: its readouts for given ranges, "aucune", the lines
// that ask for a measure, follow one under way or say it is out of date; its texts apart, inside
// its area above the controls' strip; a pull-in range in two stretches drawn with its gap.
#include <QtTest>
// moc cannot read the standard library's <numbers>, which the model's headers use.
#ifndef Q_MOC_RUN
#include "drawing/canvas.h"
#include "pages/lab/ranges_chart.h"
#include "pixel_probe.h"

Q_DECLARE_METATYPE(RangesState)
Q_DECLARE_METATYPE(LabSettings)
#endif

namespace {
const QRect Area(222, 130, 551, 170);
// The top right corner the frequency view's charts leave free for a control; inside the frame.
const QRect Corner(668, 131, 104, 22);
constexpr int Step = LabSettings::SetpointStep;

LabSettings withGain(int gain)
{
    LabSettings s;
    s.gain = gain;
    return s;
}

// Ranges measured under `settings`: pulling in over each of `stretches`, holding over `hold`.
LockRanges ranges(const LabSettings &settings, std::vector<SetpointSpan> stretches, std::optional<SetpointSpan> hold)
{
    LockRanges r{LockRangesKey::of(settings), std::vector<bool>(LabSettings::MaxSetpoint / Step + 1), hold};
    for (const SetpointSpan &s : stretches)
        for (int hz = s.low; hz <= s.high; hz += Step)
            r.pullsIn[std::size_t(hz / Step)] = true;
    return r;
}

RangesState measured(const LockRanges &r)
{
    RangesState state;
    state.measure = r;
    return state;
}

const LockRanges Course = ranges(LabSettings{}, {{50, 1090}}, SetpointSpan{50, 1980});

struct TextLog : TextListener
{
    QList<DrawnText> texts;
    void textDrawn(const DrawnText &text) override { texts.append(text); }
    bool has(const QString &part) const
    {
        return std::any_of(texts.begin(), texts.end(), [&](const DrawnText &t) { return t.text.contains(part); });
    }
};

QImage drawn(Canvas &canvas, const RangesState &state, const LabSettings &settings, TextLog &log)
{
    canvas.setPenAndBrush(Colour::Lime);
    canvas.Rectangle(0, 0, Canvas::Width, Canvas::Height);
    canvas.setTextListener(&log);
    drawRangesChart(canvas, state, settings, Area);
    canvas.setTextListener(nullptr);
    return canvas.image().copy();
}
}

class TestRangesChart : public QObject
{
    Q_OBJECT

private slots:
    void says_data()
    {
        QTest::addColumn<RangesState>("state");
        QTest::addColumn<LabSettings>("settings");
        QTest::addColumn<QStringList>("said");
        QTest::addColumn<QStringList>("unsaid");
        const QString stale = QStringLiteral("Plages mesurées pour d'autres réglages : mesurez à nouveau");
        const QString ask = QStringLiteral("appuyez sur « Mesurer les plages »");
        QTest::addRow("course") << measured(Course) << LabSettings{}
                                << QStringList{"Plage de capture depuis l'arrêt : de 50 à 1090 Hz",
                                               "Plage de maintien : de 50 à 1980 Hz",
                                               "consigne du laboratoire : 1000 Hz", "Consigne (Hz)"}
                                << QStringList{stale, ask, "Mesure"};
        QTest::addRow("pull-in in two stretches")
            << measured(ranges(LabSettings{}, {{50, 590}, {700, 1090}}, SetpointSpan{50, 1980})) << LabSettings{}
            << QStringList{"Plage de capture depuis l'arrêt : de 50 à 1090 Hz"} << QStringList{};
        QTest::addRow("none") << measured(ranges(withGain(1000), {}, std::nullopt)) << withGain(1000)
                              << QStringList{"Plage de capture depuis l'arrêt : aucune", "Plage de maintien : aucune"}
                              << QStringList{stale};
        QTest::addRow("held, none pulls in") << measured(ranges(LabSettings{}, {}, SetpointSpan{1500, 2000}))
                                             << LabSettings{}
                                             << QStringList{"Plage de capture depuis l'arrêt : aucune",
                                                            "Plage de maintien : de 1500 à 2000 Hz"}
                                             << QStringList{};
        QTest::addRow("other gain") << measured(Course) << withGain(200)
                                    << QStringList{stale, "Plage de maintien : de 50 à 1980 Hz"} << QStringList{};
        QTest::addRow("no measure") << RangesState{} << LabSettings{}
                                    << QStringList{ask, "Plage de capture depuis l'arrêt : non mesurée"}
                                    << QStringList{stale, "Plage de maintien : de"};
        RangesState running = measured(Course);
        running.progress = 0.425;
        QTest::addRow("under way") << running << withGain(200) << QStringList{"Mesure en cours : 42 %", stale}
                                   << QStringList{ask};
        RangesState cancelled = measured(Course);
        cancelled.outcome = RangesState::Outcome::Cancelled;
        QTest::addRow("cancelled, kept") << cancelled << LabSettings{}
                                         << QStringList{"Mesure annulée", "Plage de maintien : de 50 à 1980 Hz"}
                                         << QStringList{ask};
        RangesState failed;
        failed.outcome = RangesState::Outcome::Failed;
        failed.failure = QStringLiteral("la mémoire manque");
        QTest::addRow("failed") << failed << LabSettings{}
                                << QStringList{"La mesure des plages a échoué : la mémoire manque."} << QStringList{};
    }
    // What it writes; every text apart from the others, transparent, inside the area, above the
    // controls; the free corner left white.
    void says()
    {
        QFETCH(RangesState, state);
        QFETCH(LabSettings, settings);
        QFETCH(QStringList, said);
        QFETCH(QStringList, unsaid);
        Canvas canvas;
        TextLog log;
        const QImage picture = drawn(canvas, state, settings, log);
        for (const QString &text : said)
            QVERIFY2(log.has(text), qPrintable(text));
        for (const QString &text : unsaid)
            QVERIFY2(!log.has(text), qPrintable(text));
        const QRect room = Area.adjusted(1, 1, -1, -1 - RangesChart::ControlsHeight);
        for (qsizetype i = 0; i < log.texts.size(); ++i) {
            const QRect cell = log.texts[i].cell;
            QVERIFY2(room.contains(cell), qPrintable(log.texts[i].text));
            // On the white panel, over the grid: no box of colour behind a text.
            QVERIFY2(!log.texts[i].opaque, qPrintable(log.texts[i].text));
            for (qsizetype j = 0; j < i; ++j)
                QVERIFY2(!cell.intersects(log.texts[j].cell),
                         qPrintable(log.texts[i].text + QStringLiteral(" / ") + log.texts[j].text));
        }
        QCOMPARE(Probe::count(picture, Corner, Probe::rgb(Colour::White)), Corner.width() * Corner.height());
        const QRgb lime = Probe::rgb(Colour::Lime);
        QCOMPARE(Probe::count(picture, picture.rect(), lime) + Area.width() * Area.height(),
                 picture.width() * picture.height());
    }

    // The pull-in bar is drawn where the loop pulls in: a gap in the middle leaves a gap in it.
    void pullInGapShows()
    {
        Canvas canvas;
        TextLog log;
        const QRgb green = Probe::rgb(Colour::Green);
        const int whole = Probe::count(drawn(canvas, measured(Course), LabSettings{}, log), Area, green);
        const LockRanges gapped = ranges(LabSettings{}, {{50, 590}, {700, 1090}}, SetpointSpan{50, 1980});
        const int withGap = Probe::count(drawn(canvas, measured(gapped), LabSettings{}, log), Area, green);
        QVERIFY2(withGap < whole, qPrintable(QStringLiteral("%1 green pixels, %2 with the gap").arg(whole).arg(withGap)));
    }
};

QTEST_MAIN(TestRangesChart)
#include "tst_ranges_chart.moc"
