// The lab's Bode view on a bare canvas: the margins in the page's words, and a drawing that keeps
// to its area, leaves its top-right corner empty, writes nothing over anything else it writes and
// follows every change of the settings, at both ends of every control.
#include <QtTest>
// moc cannot read the standard library's <numbers>, which the model's headers use.
#ifndef Q_MOC_RUN
#include "drawing/canvas.h"
#include "drawing/fonts.h"
#include "pages/lab/frequency_view.h"
#include "pixel_probe.h"

Q_DECLARE_METATYPE(pllmodel::LoopParameters)
#endif

#include <QRegularExpression>

using pllmodel::LoopParameters;
using pllmodel::OpenLoop;

namespace {
const QRect Area(222, 130, 551, 170);
const QRect Corner(668, 130, 105, 23);

LoopParameters regulator(double gain, double lead, double lag, double filter)
{
    LoopParameters p;
    p.regulatorGain = gain;
    p.regulatorLead = lead;
    p.regulatorLag = lag;
    p.regulatorFilter = filter;
    return p;
}
LoopParameters withoutCorrector()
{
    LoopParameters p;
    p.phaseAdvance = false;
    return p;
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

// The view drawn on a canvas painted lime all over, what it wrote logged.
QImage drawn(Canvas &canvas, const LoopParameters &p, TextLog &log)
{
    canvas.setPenAndBrush(Colour::Lime);
    canvas.Rectangle(0, 0, Canvas::Width, Canvas::Height);
    canvas.setTextListener(&log);
    drawFrequencyResponse(canvas, p, Area);
    canvas.setTextListener(nullptr);
    return canvas.image().copy();
}
}

class TestFrequencyView : public QObject
{
    Q_OBJECT

private slots:
    void marginTexts_data()
    {
        QTest::addColumn<LoopParameters>("parameters");
        QTest::addColumn<QString>("phase");
        QTest::addColumn<QString>("gain");
        QTest::addRow("course") << LoopParameters{} << "Marge de phase : 45,4° à 183 rad/s"
                                << "Marge de gain : 17,2 dB à 661 rad/s";
        // The phase never reaches -180°.
        QTest::addRow("sans correcteur") << withoutCorrector() << "Marge de phase : 1,3° à 89 rad/s"
                                         << "Marge de gain : infinie";
        QTest::addRow("gain 0,5") << regulator(0.5, 0.025, 0.0025, 8e-4) << "Marge de phase : 50,7° à 103 rad/s"
                                  << "Marge de gain : 23,2 dB à 661 rad/s";
        QTest::addRow("gain 3, faster regulator") << regulator(3, 0.05, 0.002, 2e-4)
                                                  << "Marge de phase : 26,5° à 692 rad/s"
                                                  << "Marge de gain : 12,9 dB à 1550 rad/s";
        // Unstable: both margins below zero, the sign kept.
        QTest::addRow("gain 10") << regulator(10, 0.025, 0.0025, 8e-4) << "Marge de phase : -7,3° à 776 rad/s"
                                 << "Marge de gain : -2,8 dB à 661 rad/s";
    }
    void marginTexts()
    {
        QFETCH(LoopParameters, parameters);
        QFETCH(QString, phase);
        QFETCH(QString, gain);
        const OpenLoop loop(parameters.phaseAdvance, parameters);
        QCOMPARE(phaseMarginText(loop), phase);
        QCOMPARE(gainMarginText(loop), gain);
        // And the view writes them.
        Canvas canvas;
        TextLog log;
        drawn(canvas, parameters, log);
        QVERIFY(log.has(phase));
        QVERIFY(log.has(gain));
    }

    void keepsToItsAreaAtEveryExtreme_data()
    {
        QTest::addColumn<LoopParameters>("parameters");
        QTest::addRow("course") << LoopParameters{};
        QTest::addRow("sans correcteur") << withoutCorrector();
        QTest::addRow("gain 10, all lead") << regulator(10, 1, 1e-4, 1e-4);
        QTest::addRow("gain 0,1, all lag") << regulator(0.1, 1e-4, 1, 1);
        QTest::addRow("gain 10, all 1e-4 s") << regulator(10, 1e-4, 1e-4, 1e-4);
        QTest::addRow("gain 0,1, all 1 s") << regulator(0.1, 1, 1, 1);
        QTest::addRow("equal, 0,01 s") << regulator(1, 0.01, 0.01, 0.01);
        QTest::addRow("lead on the filter") << regulator(1, 8e-4, 0.0025, 8e-4);
    }
    void keepsToItsAreaAtEveryExtreme()
    {
        QFETCH(LoopParameters, parameters);
        Canvas canvas;
        TextLog log;
        const QImage picture = drawn(canvas, parameters, log);
        const QRgb lime = Probe::rgb(Colour::Lime);

        // Nothing drawn outside the area nor in the corner.
        QCOMPARE(Probe::count(picture, Corner, lime), Corner.width() * Corner.height());
        const QRect ink = Probe::inked(picture, lime);
        QVERIFY2(Area.contains(ink), qPrintable(QStringLiteral("ink in x %1..%2, y %3..%4")
                                                    .arg(ink.left()).arg(ink.right()).arg(ink.top()).arg(ink.bottom())));

        // Every text inside the area, out of the corner, clear of every other, and a number.
        static const QRegularExpression notANumber(QStringLiteral("\\b(nan|inf)\\b"), QRegularExpression::CaseInsensitiveOption);
        QVERIFY(log.texts.size() > 20);
        for (qsizetype i = 0; i < log.texts.size(); ++i) {
            const DrawnText &t = log.texts[i];
            QVERIFY2(Area.contains(t.cell) && !Corner.intersects(t.cell), qPrintable(t.text));
            QVERIFY2(!notANumber.match(t.text).hasMatch(), qPrintable(t.text));
            // A cell reaches a pixel past its glyphs: two texts written end to end share it.
            const auto inked = [](const DrawnText &d) { return d.cell.adjusted(0, 0, -Fonts::GlyphInset, 0); };
            for (qsizetype k = 0; k < i; ++k)
                QVERIFY2(!inked(t).intersects(inked(log.texts[k])),
                         qPrintable(QStringLiteral("%1 at %2,%3 over %4 at %5,%6")
                                        .arg(t.text).arg(t.cell.x()).arg(t.cell.y())
                                        .arg(log.texts[k].text).arg(log.texts[k].cell.x()).arg(log.texts[k].cell.y())));
        }
    }

    // Drawn once per settings and replayed: a change shows at once, going back shows the first.
    void followsEveryChange()
    {
        Canvas canvas;
        TextLog course, changed, back;
        const QImage first = drawn(canvas, LoopParameters{}, course);
        LoopParameters p;
        p.regulatorLead = 0.05;
        const QImage second = drawn(canvas, p, changed);
        const OpenLoop loop(true, p);
        QVERIFY(changed.has(phaseMarginText(loop)) && changed.has(gainMarginText(loop)));
        QVERIFY(!changed.has(QStringLiteral("Marge de phase : 45,4° à 183 rad/s")));
        QVERIFY(second != first);
        QCOMPARE(drawn(canvas, LoopParameters{}, back), first);
        QCOMPARE(back.texts.size(), course.texts.size());
        p = LoopParameters{};
        p.phaseAdvance = false;
        TextLog off;
        drawn(canvas, p, off);
        QVERIFY(off.has(QStringLiteral("Marge de gain : infinie")));
    }
};

QTEST_MAIN(TestFrequencyView)
#include "tst_frequency_view.moc"
