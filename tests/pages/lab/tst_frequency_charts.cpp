// The frequency view's Black, Nyquist and closed-loop charts: their readouts against the closed
// loop worked out here from the open loop alone, the course's figures to the digit; each chart
// written on the lab's page in words a screen reader gets; and each kept to its area, clear of
// the corner its choice sits in, its texts apart, at the ends of the student's range.
#include <QtTest>
// moc cannot read the standard library's <numbers>, which the model's headers use.
#ifndef Q_MOC_RUN
#include "lab_stage.h"
#include "drawing/canvas.h"
#include "drawing/fonts.h"
#include "drawing/page_reader.h"
#include "pages/commands.h"
#include "pages/lab/chart_readouts.h"
#include "pages/lab/frequency_chart.h"
#include "pages/lab/frequency_view.h"
#include "pages/lab/lab_command.h"
#include "pages/page_state.h"
#include "pages/page_tick.h"
#include "pages/stage.h"
#include "pixel_probe.h"

#include <cmath>
#include <algorithm>
#include <complex>
#include <memory>
#include <vector>

Q_DECLARE_METATYPE(pllmodel::LoopParameters)
Q_DECLARE_METATYPE(FrequencyChart)
#endif

using pllmodel::LoopParameters;
using pllmodel::OpenLoop;

namespace {
const QRect Area(222, 130, 551, 170);
const QRect Corner(668, 130, 105, 23);

LoopParameters regulator(double gain, double lead, double lag, double filter, bool on = true)
{
    LoopParameters p;
    p.phaseAdvance = on;
    p.regulatorGain = gain;
    p.regulatorLead = lead;
    p.regulatorLag = lag;
    p.regulatorFilter = filter;
    return p;
}
const LoopParameters Course = regulator(1, 0.025, 0.0025, 8e-4);
const LoopParameters Without = regulator(1, 0.025, 0.0025, 8e-4, false);
const LoopParameters Better = regulator(1.2, 0.03, 0.002, 8e-4);

// With a decimal comma, as a French reader writes it.
QString decimal(double value, int places) { return QString::number(value, 'f', places).replace('.', ','); }

// The closed loop's figures found here by a plain scan of T = L / (1 + L), 20 000 pulsations a
// decade over the charts' range, none of the model's searches used: the peak at the top of the
// parabola through the scan's highest point and its neighbours, the bandwidth between the two
// points about -3 dB, straight in log omega.
struct Scanned
{
    double peakDb = -1e300, peakOmega = 0, bandwidth = 0, modulus = 1e300;
};
Scanned scan(const LoopParameters &p)
{
    const OpenLoop open(p.phaseAdvance, p);
    constexpr int PerDecade = 20000, Decades = 6, Count = PerDecade * Decades;
    const double step = std::log(10.0) / PerDecade;
    std::vector<double> db(Count + 1);
    Scanned s;
    for (int i = 0; i <= Count; ++i) {
        const std::complex<double> l = open.at(0.1 * std::exp(step * i));
        db[i] = 20 * std::log10(std::abs(l / (1.0 + l)));
        s.modulus = std::min(s.modulus, std::abs(1.0 + l));
        if (i > 0 && s.bandwidth == 0 && db[i - 1] > -3 && db[i] <= -3)
            s.bandwidth = 0.1 * std::exp(step * (i - 1 + (db[i - 1] + 3) / (db[i - 1] - db[i])));
    }
    const int top = int(std::max_element(db.begin(), db.end()) - db.begin());
    s.peakDb = db[top], s.peakOmega = 0.1 * std::exp(step * top);
    if (top > 0 && top < Count) {
        const double a = db[top - 1], b = db[top], c = db[top + 1], curve = a - 2 * b + c;
        const double shift = 0.5 * (a - c) / curve;
        s.peakDb = b - 0.25 * (a - c) * shift;
        s.peakOmega = 0.1 * std::exp(step * (top + shift));
    }
    return s;
}

struct TextLog : TextListener
{
    QList<DrawnText> texts;
    void textDrawn(const DrawnText &text) override { texts.append(text); }
    bool has(const QString &text) const
    {
        return std::any_of(texts.begin(), texts.end(), [&](const DrawnText &t) { return t.text == text; });
    }
};

// The chart drawn on a canvas painted lime all over, what it wrote logged.
QImage drawn(Canvas &canvas, const LoopParameters &p, FrequencyChart chart, TextLog &log)
{
    canvas.setPenAndBrush(Colour::Lime);
    canvas.Rectangle(0, 0, Canvas::Width, Canvas::Height);
    canvas.setTextListener(&log);
    drawFrequencyChart(canvas, p, chart, Area);
    canvas.setTextListener(nullptr);
    return canvas.image().copy();
}

}

class TestFrequencyCharts : public QObject
{
    Q_OBJECT

private slots:
    void readouts_data()
    {
        QTest::addColumn<LoopParameters>("parameters");
        // The figures where it gives them; empty: the scan's alone.
        QTest::addColumn<QString>("resonance");
        QTest::addColumn<QString>("bandwidth");
        QTest::addColumn<QString>("modulus");
        QTest::addRow("course") << Course << "Résonance : 2,4 dB à 154 rad/s" << "Bande passante à −3 dB : 329 rad/s"
                                << "Marge de module : 0,62";
        QTest::addRow("sans correcteur") << Without << "Résonance : 33,0 dB à 89 rad/s"
                                         << "Bande passante à −3 dB : 139 rad/s" << "Marge de module : 0,02";
        QTest::addRow("meilleur") << Better << "Résonance : 2,4 dB à 245 rad/s" << "Bande passante à −3 dB : 454 rad/s"
                                  << "";
        // Both margins negative: unstable.
        QTest::addRow("gain 0,3, slow") << regulator(0.3, 0.2, 0.05, 0.01) << "Résonance : boucle instable"
                                        << "Bande passante à −3 dB : boucle instable" << "";
        QTest::addRow("gain 3, faster") << regulator(3, 0.05, 0.002, 2e-4) << "" << "" << "";
        QTest::addRow("gain 10, unstable") << regulator(10, 0.025, 0.0025, 8e-4) << "Résonance : boucle instable"
                                           << "Bande passante à −3 dB : boucle instable" << "";
        // All lead at the least gain: the closed loop never rises above 0 dB.
        QTest::addRow("gain 0,1, all lead") << regulator(0.1, 1, 1e-4, 1e-4) << "Résonance : aucune" << "" << "";
    }
    void readouts()
    {
        QFETCH(LoopParameters, parameters);
        QFETCH(QString, resonance);
        QFETCH(QString, bandwidth);
        QFETCH(QString, modulus);
        const pllmodel::ClosedLoop loop(parameters.phaseAdvance, parameters);
        const Scanned s = scan(parameters);
        const QString scannedResonance = s.peakDb > 0
            ? QStringLiteral("Résonance : %1 dB à %2 rad/s").arg(decimal(s.peakDb, 1), decimal(s.peakOmega, 0))
            : QStringLiteral("Résonance : aucune");
        const QString scannedBandwidth = QStringLiteral("Bande passante à −3 dB : ")
            + (s.bandwidth > 0 ? decimal(s.bandwidth, 0) + QStringLiteral(" rad/s") : QStringLiteral("aucune"));
        QCOMPARE(resonanceText(loop.resonance(), true), scannedResonance);
        QCOMPARE(bandwidthText(loop.bandwidth(), true), scannedBandwidth);
        QCOMPARE(modulusMarginText(loop.modulusMargin().value), QStringLiteral("Marge de module : ") + decimal(s.modulus, 2));
        // What the charts write: the figures of a stable loop; of an unstable one, that it is.
        QCOMPARE(resonanceText(loop.resonance(), loop.stable()), resonance.isEmpty() ? scannedResonance : resonance);
        QCOMPARE(bandwidthText(loop.bandwidth(), loop.stable()), bandwidth.isEmpty() ? scannedBandwidth : bandwidth);
        if (!modulus.isEmpty())
            QCOMPARE(modulusMarginText(loop.modulusMargin().value), modulus);
    }

    // On the lab's page, as the screen reader reads it: each chart's readouts, the margins on
    // the open loop's charts.
    void eachChartWritesItsReadouts_data()
    {
        QTest::addColumn<FrequencyChart>("chart");
        QTest::addColumn<QStringList>("readouts");
        const QString phase = QStringLiteral("Marge de phase : 45,4° à 183 rad/s"),
                      gain = QStringLiteral("Marge de gain : 17,2 dB à 661 rad/s"),
                      resonance = QStringLiteral("Résonance : 2,4 dB à 154 rad/s");
        QTest::addRow("Bode") << FrequencyChart::Bode << QStringList{phase, gain};
        QTest::addRow("Black") << FrequencyChart::Black << QStringList{phase, gain, resonance};
        QTest::addRow("Nyquist") << FrequencyChart::Nyquist << QStringList{phase, gain, "Marge de module : 0,62"};
        QTest::addRow("Boucle fermée") << FrequencyChart::ClosedLoop
                                       << QStringList{resonance, "Bande passante à −3 dB : 329 rad/s"};
    }
    void eachChartWritesItsReadouts()
    {
        QFETCH(FrequencyChart, chart);
        QFETCH(QStringList, readouts);
        auto stage = openLab();
        PageReader reader;
        stage->canvas.setTextListener(&reader);
        applyLabCommand(*stage, {LabCommand::Kind::FrequencyView, 1});
        applyLabCommand(*stage, {LabCommand::Kind::FrequencyChart, int(chart)});
        PageTick(*stage);
        const QString page = reader.read(stage->canvas.image());
        stage->canvas.setTextListener(nullptr);
        for (const QString &readout : readouts)
            QVERIFY2(page.contains(readout), qPrintable(readout + QStringLiteral(" not in:\n") + page));
        // Only its own: the closed loop's chart gives no margins, the Bode diagram no resonance.
        QCOMPARE(page.contains(QStringLiteral("Marge de phase")), chart != FrequencyChart::ClosedLoop);
        QCOMPARE(page.contains(QStringLiteral("Résonance")),
                 chart == FrequencyChart::Black || chart == FrequencyChart::ClosedLoop);
    }

    void keepToTheirArea_data()
    {
        QTest::addColumn<FrequencyChart>("chart");
        QTest::addColumn<LoopParameters>("parameters");
        const std::pair<const char *, LoopParameters> settings[] = {
            {"course", Course}, {"sans correcteur", Without},
            {"gain 10, all lead", regulator(10, 1, 1e-4, 1e-4)}, {"gain 0,1, all lag", regulator(0.1, 1e-4, 1, 1)},
            {"gain 10, all 1e-4 s", regulator(10, 1e-4, 1e-4, 1e-4)}};
        const std::pair<const char *, FrequencyChart> charts[] = {
            {"Black", FrequencyChart::Black}, {"Nyquist", FrequencyChart::Nyquist},
            {"Boucle fermée", FrequencyChart::ClosedLoop}};
        for (const auto &[chartName, chart] : charts)
            for (const auto &[name, p] : settings)
                QTest::addRow("%s, %s", chartName, name) << chart << p;
    }
    void keepToTheirArea()
    {
        QFETCH(FrequencyChart, chart);
        QFETCH(LoopParameters, parameters);
        Canvas canvas;
        TextLog log;
        const QImage picture = drawn(canvas, parameters, chart, log);
        const QList<DrawnText> &texts = log.texts;
        const QRgb lime = Probe::rgb(Colour::Lime);
        QCOMPARE(Probe::count(picture, Corner, lime), Corner.width() * Corner.height());
        QVERIFY(Area.contains(Probe::inked(picture, lime)));
        static const QRegularExpression notANumber(QStringLiteral("\\b(nan|inf)\\b"), QRegularExpression::CaseInsensitiveOption);
        QVERIFY(texts.size() > 15);
        const auto inked = [](const DrawnText &d) { return d.cell.adjusted(0, 0, -Fonts::GlyphInset, 0); };
        for (qsizetype i = 0; i < texts.size(); ++i) {
            QVERIFY2(Area.contains(texts[i].cell) && !Corner.intersects(texts[i].cell), qPrintable(texts[i].text));
            QVERIFY2(!notANumber.match(texts[i].text).hasMatch(), qPrintable(texts[i].text));
            QVERIFY2(texts[i].points >= 8, qPrintable(texts[i].text));
            for (qsizetype k = 0; k < i; ++k)
                QVERIFY2(!inked(texts[i]).intersects(inked(texts[k])),
                         qPrintable(texts[i].text + QStringLiteral(" over ") + texts[k].text));
        }
    }

    // Worked out once per settings and replayed: retuned, a chart shows the new figures at once;
    // tuned back, its first picture again.
    void followTheRegulator_data()
    {
        QTest::addColumn<FrequencyChart>("chart");
        QTest::addColumn<QString>("retuned");
        QTest::addRow("Black") << FrequencyChart::Black << "Résonance : 2,4 dB à 245 rad/s";
        QTest::addRow("Nyquist") << FrequencyChart::Nyquist
                                 << modulusMarginText(pllmodel::ClosedLoop(true, Better).modulusMargin().value);
        QTest::addRow("Boucle fermée") << FrequencyChart::ClosedLoop << "Bande passante à −3 dB : 454 rad/s";
    }
    void followTheRegulator()
    {
        QFETCH(FrequencyChart, chart);
        QFETCH(QString, retuned);
        Canvas canvas;
        TextLog course, better, back;
        const QImage first = drawn(canvas, Course, chart, course);
        const QImage second = drawn(canvas, Better, chart, better);
        QVERIFY(better.has(retuned) && !course.has(retuned));
        QVERIFY(second != first);
        QCOMPARE(drawn(canvas, Course, chart, back), first);
        QCOMPARE(back.texts.size(), course.texts.size());
    }
};

QTEST_MAIN(TestFrequencyCharts)
#include "tst_frequency_charts.moc"
