// The course's experiments, each played headless to its end: every figure its text quotes is
// the run's own (or the loop's frequency response's), every fact it states holds, and a file
// shipped without its claims checked fails. The pull-in and hold ranges the course quotes are
// measured on the model itself.
#include <QtTest>
#include <QDir>
#include <QRegularExpression>

#ifndef Q_MOC_RUN
#include "lab/course_experiments.h"
#include "lab/experiment_file.h"
#include "lab/lab.h"
#include "model/frequency_response.h"
#include "model/lock_search.h"
#include "text/french_number.h"

#include <cmath>
#include <functional>

namespace {
// A tenth of a millisecond a tick: finer than any response the texts quote.
constexpr LabPace FinePace{1, 1};

// What the run showed at one tick.
struct Sample
{
    double time, setpoint, speed;
    double phase, unwrapped;  // rad: as the lab shows it, folded into a turn; and counted on
    double comparator;
    long long slips;
    bool locked;
    std::optional<double> settling;
};

// An experiment played to its end, tick by tick, and what the texts ask of it.
class Run
{
public:
    explicit Run(const Experiment &experiment) : experiment(experiment)
    {
        Lab lab;
        lab.setPace(FinePace);
        lab.open(experiment);
        while (!lab.atEnd()) {
            lab.advance();
            const pllmodel::LoopSimulation &loop = lab.loop();
            samples.push_back({loop.time(), loop.setpointFrequency(), loop.speed(), lab.foldedPhaseError(), loop.phaseError(),
                               lab.comparatorMean(), loop.cycleSlips(), lab.isLocked(), lab.response().settlingTime()});
        }
        overshoot = lab.response().overshootPercent();
    }

    // The last tick at or before t.
    const Sample &at(double t) const
    {
        auto after = std::upper_bound(samples.begin(), samples.end(), t + 1e-9,
                                      [](double time, const Sample &s) { return time < s.time; });
        return after == samples.begin() ? samples.front() : *(after - 1);
    }
    double end() const { return samples.back().time; }
    long long slips(double from, double to) const { return at(to).slips - at(from).slips; }
    double slipRate(double from, double to) const { return slips(from, to) / (to - from); }
    double mean(double from, double to, double Sample::*value) const
    {
        double sum = 0;
        int count = 0;
        for (const Sample &s : samples)
            if (s.time > from && s.time <= to) {
                sum += s.*value;
                ++count;
            }
        return sum / count;
    }
    double extreme(double from, double to, double Sample::*value, bool highest) const
    {
        double found = highest ? -INFINITY : INFINITY;
        for (const Sample &s : samples)
            if (s.time > from && s.time <= to)
                found = highest ? std::max(found, s.*value) : std::min(found, s.*value);
        return found;
    }
    // The last instant, from `from` on, the value lay further than `band` from its final one.
    double lastOutside(double from, double Sample::*value, double band) const
    {
        const double last = samples.back().*value;
        double when = from;
        for (const Sample &s : samples)
            if (s.time > from && std::abs(s.*value - last) > band)
                when = s.time;
        return when;
    }
    // When the first cycle slipped after `from`, and the setpoint then.
    const Sample &firstSlipAfter(double from) const
    {
        const long long before = at(from).slips;
        for (const Sample &s : samples)
            if (s.time > from && s.slips != before)
                return s;
        return samples.back();
    }
    // The last cycle slipped before `to`.
    double lastSlipBefore(double to) const
    {
        double when = 0;
        for (std::size_t i = 1; i < samples.size() && samples[i].time <= to; ++i)
            if (samples[i].slips != samples[i - 1].slips)
                when = samples[i].time;
        return when;
    }
    pllmodel::OpenLoop openLoop(double t) const
    {
        LabSettings settings = experiment.run.settings;
        for (const LabAction &action : experiment.run.actions)
            if (action.at <= t) {
                const LabChange &c = action.change;
                settings.lead = c.lead.value_or(settings.lead);
                settings.lag = c.lag.value_or(settings.lag);
                settings.gain = c.gain.value_or(settings.gain);
                settings.corrector = c.corrector.value_or(settings.corrector);
            }
        return pllmodel::OpenLoop(settings.corrector, settings.parameters());
    }

    Experiment experiment;
    std::vector<Sample> samples;
    std::optional<double> overshoot;
};

// A figure the text quotes, between braces in `words` (the words around it, as the text has
// them), and the run's own value, rounded to `step` before it is written as the text writes it.
struct Figure
{
    const char *words;
    std::function<double(const Run &)> measure;
    double step = 0;  // 0: to the quoted decimals
};
// What the text states, in its words, and whether the run bears it out.
struct Fact
{
    const char *words;
    std::function<bool(const Run &)> holds;
};
struct Lesson
{
    std::vector<Figure> figures;
    std::vector<Fact> facts;
};

using S = Sample;
double phaseMargin(const Run &r, double t) { return r.openLoop(t).phaseMarginDegrees(); }
double crossover(const Run &r, double t) { return r.openLoop(t).gainCrossover(); }
// The speed 5 V of comparator mean holds, from the ratio the run's own lock shows.
double speedAtFiveVolts(const Run &r, double lockedAt) { return 5 * r.at(lockedAt).speed / r.at(lockedAt).comparator; }

// What each experiment's text claims, by its file's name.
const std::map<QString, Lesson> Lessons{
    {"01-accrochage-depuis-l-arret", {
        {{"glissent, {454} en tout", [](const Run &r) { return r.at(r.end()).slips; }},
         {"Vers {1,4} s les glissements", [](const Run &r) { return r.lastSlipBefore(r.end()); }},
         {"et Δφ à {1,58} rad", [](const Run &r) { return r.at(r.end()).phase; }},
         {"donne les {2,51} V", [](const Run &r) { return r.at(r.end()).comparator; }},
         {"tourner à {10} tr/s. La boucle", [](const Run &r) { return r.mean(2, 3, &S::speed); }}},
        {{"La boucle est verrouillée.", [](const Run &r) { return r.at(r.end()).locked; }},
         {"près de π/2", [](const Run &r) { return std::abs(r.at(r.end()).phase - M_PI / 2) < 0.05; }}}}},
    {"02-echelon-de-50-hz", {
        {{"monte jusqu'à {3,29} rad", [](const Run &r) { return r.extreme(1, 1.1, &S::phase, true); }},
         {"Dépassement : {33} %", [](const Run &r) { return r.overshoot.value_or(NAN); }},
         {"s'y pose en {0,03} s", [](const Run &r) { return r.at(r.end()).settling.value_or(NAN); }},
         {"Δφ revient à {1,66} rad", [](const Run &r) { return r.at(r.end()).phase; }},
         {"il faut U0 = {2,64} V", [](const Run &r) { return r.at(r.end()).comparator; }},
         {"pour tourner à {10,5} tr/s", [](const Run &r) { return r.mean(2, 3, &S::speed); }}},
        {{"sans atteindre 2π : aucun cycle ne glisse", [](const Run &r) {
              return r.extreme(1, r.end(), &S::unwrapped, true) < 2 * M_PI && r.slips(0, r.end()) == 0; }}}}},
    {"03-echelon-de-200-hz", {
        {{"environ {210} par seconde", [](const Run &r) { return r.slipRate(2, 6); }, 10},
         {"reste près de {10} tr/s", [](const Run &r) { return r.mean(2, 6, &S::speed); }},
         {"soit {2,5} V en moyenne", [](const Run &r) { return r.mean(2, 6, &S::comparator); }}},
        {{"la boucle est décrochée", [](const Run &r) { return !r.at(r.end()).locked && r.slips(5, 6) > 0; }},
         {"Δφ dépasse 2π en quelques millisecondes", [](const Run &r) { return r.firstSlipAfter(1).time < 1.01; }}}}},
    {"04-rampe-de-200-hz", {
        {{"atteint {12} tr/s", [](const Run &r) { return r.mean(3, 4, &S::speed); }},
         {"ne monte qu'à {2,01} rad", [](const Run &r) { return r.extreme(1, 4, &S::phase, true); }},
         {"se pose à {1,89} rad", [](const Run &r) { return r.at(r.end()).phase; }},
         {"(U0 = {3,02} V)", [](const Run &r) { return r.at(r.end()).comparator; }}},
        {{"aucun cycle ne glisse", [](const Run &r) { return r.slips(0, r.end()) == 0 && r.at(r.end()).locked; }}}}},
    {"05-plages-de-capture-et-de-maintien", {
        {{"ne lâche que vers {1970} Hz", [](const Run &r) { return r.firstSlipAfter(8.5).setpoint; }, 10},
         {"plus vite que {19,9} tr/s", [](const Run &r) { return speedAtFiveVolts(r, 7.9); }}},
        {{"la boucle accroche à 1090 Hz", [](const Run &r) { return r.at(7.9).locked && r.at(7.9).setpoint == 1090; }},
         {"sans glisser jusqu'à 1950 Hz", [](const Run &r) { return r.slips(8, 27) == 0 && r.at(27).setpoint == 1950; }},
         {"Δφ approche π, U0 approche 5 V", [](const Run &r) {
              const Sample &slip = r.firstSlipAfter(8.5);
              return r.at(slip.time - 0.05).comparator > 4.8 && !r.at(r.end()).locked; }}}}},
    {"06-2500-hz-un-tiers", {
        {{"se stabilise à {8,33} tr/s", [](const Run &r) { return r.mean(3, 6, &S::speed); }},
         {"le tiers des {25} tr/s", [](const Run &r) { return 3 * r.mean(3, 6, &S::speed); }},
         {"le capteur bat à {833} Hz", [](const Run &r) { return 100 * r.mean(3, 6, &S::speed); }},
         {"environ {1670} par seconde", [](const Run &r) { return r.slipRate(3, 6); }, 10}},
        {{"se stabilise", [](const Run &r) {
              return r.extreme(3, 6, &S::speed, true) - r.extreme(3, 6, &S::speed, false) < 0.01; }},
         {"la boucle se dit décrochée", [](const Run &r) { return !r.at(r.end()).locked; }}}}},
    {"07-couple-resistant", {
        {{"fléchit à peine, de {0,04} tr/s", [](const Run &r) { return r.at(1).speed - r.extreme(1, 2, &S::speed, false); }},
         {"Δφ passe de {1,58} à", [](const Run &r) { return r.at(1).phase; }},
         {"à {2,21} rad", [](const Run &r) { return r.at(r.end()).phase; }},
         {"U0 monte de {2,51} à", [](const Run &r) { return r.at(1).comparator; }},
         {"à {3,51} V", [](const Run &r) { return r.at(r.end()).comparator; }},
         {"demande {0,63} rad de plus", [](const Run &r) { return r.at(r.end()).phase - r.at(1).phase; }}},
        {{"revient exactement à 10 tr/s", [](const Run &r) {
              return std::abs(r.mean(2, 3, &S::speed) - 10) < 1e-3 && r.slips(0, r.end()) == 0; }}}}},
    {"08-sans-correcteur", {
        {{"n'est que de {1,3}°", [](const Run &r) { return phaseMargin(r, r.end()); }},
         {"({45,4}° avec celui du cours)", [](const Run &r) { return pllmodel::OpenLoop(true, r.experiment.run.settings.parameters()).phaseMarginDegrees(); }},
         {"oscillateur à {89} rad/s", [](const Run &r) { return crossover(r, r.end()); }},
         {"de la vitesse atteint {2,99} s", [](const Run &r) { return r.at(r.end()).settling.value_or(NAN); }}},
        {{"la boucle reste verrouillée", [](const Run &r) { return r.slips(0, r.end()) == 0 && r.at(r.end()).locked; }},
         {"4 s après l'échelon, il s'écarte encore de plus de 0,01 rad", [](const Run &r) {
              return r.lastOutside(2, &S::phase, 0.01) > 6; }}}}},
    {"09-gain-du-correcteur", {
        {{"demande U0 = {2,51} V", [](const Run &r) { return r.at(1).comparator; }},
         {"donc Δφ = {1,58} rad", [](const Run &r) { return r.at(1).phase; }},
         {"Δφ tombe à {0,79} rad", [](const Run &r) { return r.at(2.5).phase; }},
         {"= {3,14} V : Δφ", [](const Run &r) { return r.at(3.9).comparator; }},
         {"Δφ monte à {1,97} rad", [](const Run &r) { return r.at(3.9).phase; }},
         {"plafonne vers {7,9} tr/s", [](const Run &r) { return r.mean(8, 12, &S::speed); }}},
        {{"la boucle tient encore", [](const Run &r) { return r.at(3.9).locked && r.slips(0, 3.9) == 0; }},
         {"elle n'accroche jamais", [](const Run &r) { return !r.at(r.end()).locked && r.slips(11, 12) > 0; }}}}},
    {"10-un-meilleur-correcteur", {
        {{"5 % en {1,42} s", [](const Run &r) { return r.at(3.9).settling.value_or(NAN); }},
         {"la nouvelle en {0,76} s", [](const Run &r) { return r.at(r.end()).settling.value_or(NAN); }},
         {"avec {299} glissements", [](const Run &r) { return r.at(r.end()).slips; }},
         {"au lieu de {454}.", [](const Run &r) { return r.at(3.9).slips; }},
         {"presque la même ({44,7}°", [](const Run &r) { return phaseMargin(r, r.end()); }},
         {"au lieu de {45,4}°)", [](const Run &r) { return phaseMargin(r, 0); }},
         {"0 dB à {253} rad/s", [](const Run &r) { return crossover(r, r.end()); }},
         {"au lieu de {183} :", [](const Run &r) { return crossover(r, 0); }}},
        {{"à peu près deux fois plus vite", [](const Run &r) {
              const double ratio = *r.at(3.9).settling / *r.at(r.end()).settling;
              return ratio > 1.7 && ratio < 2.3; }}}}},
    {"11-faux-accrochage-a-40-hz", {
        {{"s'emballe vers {9,2} tr/s", [](const Run &r) { return r.mean(3, 6, &S::speed); }},
         {"environ {880} par seconde", [](const Run &r) { return r.slipRate(3, 6); }, 10},
         {"il donne {2,5} V en moyenne", [](const Run &r) { return r.mean(3, 6, &S::comparator); }},
         {"moteur à {9,2} tr/s. Passer", [](const Run &r) {
              const pllmodel::LoopParameters p = r.experiment.run.settings.parameters();
              return (2.5 - p.motorLoad) * p.motorGain; }}},
        {{"plus de vingt fois trop vite", [](const Run &r) { return r.mean(3, 6, &S::speed) > 20 * 0.4; }},
         {"n'y change rien", [](const Run &r) { return !r.at(r.end()).locked && r.mean(7, 10, &S::speed) > 8; }}}}},
};

QString shippedFolder() { return QStringLiteral(EXPERIMENTS_DIR); }

// The quoted figure written as the text writes it: to its decimals, or to a multiple of `step`.
QString written(double value, const QString &quoted, double step)
{
    const int comma = quoted.indexOf(QLatin1Char(','));
    const int decimals = comma < 0 ? 0 : int(quoted.size() - comma - 1);
    return frenchDecimal(step > 0 ? std::round(value / step) * step : value, decimals);
}
}
#endif

class TestCourseExperiments : public QObject
{
    Q_OBJECT

private slots:
    void everyFileHasItsClaims();
    void claimsHold_data();
    void claimsHold();
    void rangesAreTheModels();
    void listedInTheCoursesOrder();
};

void TestCourseExperiments::everyFileHasItsClaims()
{
    const QStringList files = QDir(shippedFolder()).entryList({QStringLiteral("*.pll")}, QDir::Files, QDir::Name);
    QVERIFY2(files.size() >= 11, "the course ships at least eleven experiments");
    for (const QString &file : files)
        QVERIFY2(Lessons.count(QFileInfo(file).completeBaseName()), qPrintable(file + " has no claims checked"));
}

void TestCourseExperiments::claimsHold_data()
{
    QTest::addColumn<QString>("name");
    for (const auto &[name, lesson] : Lessons)
        QTest::addRow("%s", qPrintable(name)) << name;
}

void TestCourseExperiments::claimsHold()
{
    QFETCH(QString, name);
    const auto read = ExperimentFile::read(QDir(shippedFolder()).filePath(name + QStringLiteral(".pll")));
    QVERIFY2(std::holds_alternative<Experiment>(read), std::get_if<std::string>(&read) ? std::get<std::string>(read).c_str() : "");
    const Experiment &experiment = std::get<Experiment>(read);
    const QString text = QString::fromStdString(experiment.text);
    QVERIFY(!experiment.title.empty());
    QVERIFY(experiment.until);
    const Run run(experiment);
    const Lesson &lesson = Lessons.at(name);
    for (const Figure &figure : lesson.figures) {
        QString words = QString::fromUtf8(figure.words);
        const int open = words.indexOf(QLatin1Char('{')), close = words.indexOf(QLatin1Char('}'));
        const QString quoted = words.mid(open + 1, close - open - 1);
        words.remove(close, 1).remove(open, 1);
        QVERIFY2(text.contains(words), qPrintable(QStringLiteral("the text does not say « %1 »").arg(words)));
        const QString measured = written(figure.measure(run), quoted, figure.step);
        QVERIFY2(measured == quoted, qPrintable(QStringLiteral("« %1 »: the run gives %2").arg(words, measured)));
    }
    for (const Fact &fact : lesson.facts) {
        const QString words = QString::fromUtf8(fact.words);
        QVERIFY2(text.contains(words), qPrintable(QStringLiteral("the text does not say « %1 »").arg(words)));
        QVERIFY2(fact.holds(run), qPrintable(QStringLiteral("the run does not bear out « %1 »").arg(words)));
    }
}

void TestCourseExperiments::rangesAreTheModels()
{
    // Pull-in: every setpoint from 50 Hz to 1090 Hz, at the setpoint's 10 Hz steps, locks from
    // rest; 40 Hz runs away and 1100 Hz slips on.
    QList<int> refused;
    for (int setpoint = 40; setpoint <= 1100; setpoint += LabSettings::SetpointStep)
        if (!pllmodel::pullsIn(setpoint))
            refused << setpoint;
    QCOMPARE(refused, (QList<int>{40, 1100}));
    // Hold: locked, a slow ramp keeps the loop locked up to 1980 Hz at the setpoint's steps.
    const auto slip = pllmodel::firstSlip(1000, 3000, 5);
    QVERIFY(slip);
    QCOMPARE(int(slip->frequency) / LabSettings::SetpointStep * LabSettings::SetpointStep, 1980);
}

void TestCourseExperiments::listedInTheCoursesOrder()
{
    const std::vector<CourseExperiments::Entry> entries = CourseExperiments::list();
    QVERIFY(entries.size() >= 11);
    QCOMPARE(QString::fromStdString(entries.front().title), QStringLiteral("1. L'accrochage depuis l'arrêt"));
    QCOMPARE(QString::fromStdString(entries.front().summary),
             QStringLiteral("La boucle part de l'arrêt avec une consigne de 1000 Hz : le moteur doit tourner à f/100 = 10 tr/s."));
    QCOMPARE(QString::fromStdString(entries.back().title), QStringLiteral("11. Un faux accrochage à 40 Hz"));
}

QTEST_GUILESS_MAIN(TestCourseExperiments)
#include "tst_course_experiments.moc"
