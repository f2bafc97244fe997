// A long run of random user actions on the real window: clicks on whichever buttons are
// visible, list choices, scroll bar moves, bursts of ticks, pause and a frame forward or back,
// zoom keys, full screen, copies, in every topic. After each action the page state must hold
// values its pages can give it, the controls each page needs must be shown, a page reached by an
// uninterrupted run must look exactly as it does when reached from a fresh start, drawn at the
// window's enlargement, and a frame back must give the state and picture of the frame before.
// After a zoom key the layout and the picture are those of the new factor, and a copy holds the
// picture shown. On the lab its controls get random values, set, slid, clicked and typed (text
// the spin boxes refuse included): they must show the lab's settings, be shown on its page alone,
// its readouts and the drawing area's text must never hold "nan" or "inf", and a frame back must
// give the lab's settings and loop time of that frame besides its state and picture.
//
//   PLL_RANDOM_SEED=n    replays a run (the seed is printed at the start of every run)
//   PLL_RANDOM_EVENTS=n  number of actions (10000 unless given)
#include "window_fixture.h"

#include "lab/course_experiments.h"
#include "lab/experiment_file.h"
#include "measures/measures_csv.h"
#include "pages/lab/lab_readouts.h"

#include <QAccessible>
#include <QBuffer>
#include <QClipboard>
#include <QScreen>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <limits>
#include <deque>
#include <map>
#include <optional>

namespace {
struct Range { const char *name; const std::int32_t *value; int low, high; };

// Every value the commands and the pages can leave in the state.
const Range Ranges[] = {
    {"PageStep", &PageStep, LabPageStep, 570},
    {"ChoiceIndex", &ChoiceIndex, -1, 4},
    {"ElementActive", &ElementActive, 0, 1},
    {"ElementStep", &ElementStep, -1, 380},
    {"LocalStep", &LocalStep, 0, 60},
    {"PhaseSweepStep", &PhaseSweepStep, 0, 60},
    {"SensorStep", &SensorStep, 0, 68},
    {"ShowModelButton", &ShowModelButton, 0, 1},
    {"LabStep", &LabStep, 0, std::numeric_limits<int>::max()},
};

// The buttons a user can click, by name; the element buttons start the presentation's sections.
// The print button is left to the printing tests: its message box would wait for a user.
struct NamedButton { const char *name; bool element; };
const NamedButton Buttons[] = {
    {"Button1", false},   {"ButtonA", true},     {"ButtonB", true},    {"ButtonC", true},
    {"Button2", false},   {"ButtonPD", false},   {"ButtonD", true},    {"ButtonE", true},
    {"ButtonF", true},    {"ButtonG", true},     {"Button3", false},   {"ButtonMod", false},
    {"ButtonBOnc", false}, {"ButtonBOc", false}, {"ButtonPP", false},  {"Buttonregul", false},
};
const QStringList SectionButtons = {"ButtonA", "ButtonB", "ButtonC", "ButtonD", "ButtonE", "ButtonF", "ButtonG"};

// A run that restarts a page and is followed by ticks alone ends on a picture that must not
// depend on anything done before it.
struct Landmark
{
    QString run;                 // the action that starts the run
    bool (*reached)();           // checked after each tick of the run
};

bool menuPage() { return PageStep == 0; }
bool operatingPointEnd() { return PageStep == 250; }
bool speedChangeEnd() { return PageStep == 570; }
bool modellingDrawn() { return PageStep == -3; }
bool sectionEnd() { return ElementStep > 0 && ElementStep % 60 == 20; }

// What the window shows of its control `name`.
ControlState shown(const TPLL &w, const QString &name)
{
    return *w.control(name);
}

// The lab's controls and their labels, every one hidden off its page; on it, shown with its tab
// (or always). The tabs, by their names.
const QStringList LabTabNames = {"Conduite", "Correcteur"};
const QStringList RunTab = {"LabSetpoint", "LabSetpointLabel", "LabSetpointSlider", "LabStep", "LabRamp", "LabSlope",
                            "LabSlopeLabel", "LabLoad", "LabLoadLabel", "LabStartAtRest", "LabStartLocked",
                            "LabSlowMotion", "LabSlowMotionLabel"};
const QStringList RegulatorTab = {"LabCorrector", "LabLead", "LabLeadLabel", "LabLag", "LabLagLabel", "LabFilter",
                                  "LabFilterLabel", "LabGain", "LabGainLabel", "LabCourseValues"};
const QStringList LabAlways = {"LabTabs", "LabView", "LabKeep", "LabClear", "LabCourseExperiments"};
const QStringList SpinBoxes = {"LabSetpoint", "LabSlope", "LabLoad", "LabLead", "LabLag", "LabFilter", "LabGain"};

// A number printed from NaN or infinity, as a word of its own ("maintenant" holds "nan").
bool holdsNotANumber(const QString &text)
{
    static const QRegularExpression word(QStringLiteral("\\b(nan|inf)\\b"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    return text.contains(word);
}

// What a user may type in a spin box: numbers in and out of its range, and text it refuses.
const char *const TypedJunk[] = {"abc", "-5", "99999", "1,2,3", "", " ", "1.5", "0,05", "2,5", "+7", "e3", "1e3"};

std::int32_t envNumber(const char *name, std::int32_t fallback)
{
    bool ok = false;
    const int n = qEnvironmentVariableIntValue(name, &ok);
    return ok ? n : fallback;
}
}

class RandomUse : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void randomUse();

private:
    QString act();
    void tick(int count);
    void chooseTopic(int entry);
    QString checkState() const;
    QString checkControlsAfterTick(int pageBefore) const;
    QString checkPicture();
    QString changeDisplay(int kind);
    QString checkLayout() const;
    QString actOnLab();
    QString saveAndOpenExperiment();
    QString openCourseExperiment();
    QString typeInto(const QString &box, const QString &text, int low, int high, double unit);
    // Shows the lab's tab `index` (0: the run, 1: the regulator), by a click on it.
    void showLabTab(int index);
    QString checkLab() const;
    QString checkLabText(bool justDrawn);
    // The frames since the last command, as the playback counts them.
    void commandDone();
    void frameDrawn(const PageState &before, bool keepPicture);
    QString stepBack();

    std::unique_ptr<TPLL> w;
    QRandomGenerator random;
    // The landmark reached by each run, from a fresh start: its drawing, and its picture at each
    // scale it was compared at.
    struct Reference { Canvas::Snapshot drawing; std::map<qreal, QImage> at; };
    std::map<QString, Reference> references;
    std::map<QString, int> compared;        // how often each landmark was checked
    std::map<qreal, int> comparedAtScale;     // and at each scale
    QString lastCompared;                   // the landmark compared since the last action but ticks
    QString run;                            // the run in progress, empty once interrupted
    bool recording = false;
    struct Frame
    {
        PageState state;
        std::optional<size_t> picture;
        qreal scale = 1;
        std::optional<LabSettings> lab;
        double labTime = 0;
    };
    std::vector<Frame> frames;
    // A frame as now drawn, with the lab's settings and loop time on its page.
    Frame frameNow(bool keepPicture) const;
    // The lab keeps its latest frames only: the first ones noted may be out of reach.
    bool framesDropped = false;
    int picturesBack = 0;                   // frames back whose picture was compared
    int labFramesBack = 0;                  // frames back compared on the lab
    std::map<QString, int> labActions;      // by control
    int labTextsRead = 0;
    int experimentsSaved = 0, experimentsOpened = 0, courseExperimentsOpened = 0;
};

namespace {
size_t hashOf(const QImage &image)
{
    return qHashBits(image.constBits(), size_t(image.sizeInBytes()));
}

size_t pictureHash(TPLL &w)
{
    return hashOf(w.canvas().image());
}
}

RandomUse::Frame RandomUse::frameNow(bool keepPicture) const
{
    Frame frame{PageState::current(), {}, w->canvas().scale()};
    if (keepPicture)
        frame.picture = pictureHash(*w);
    if (PageStep == LabPageStep) {
        frame.lab = w->stage().lab.settings();
        frame.labTime = w->stage().lab.loop().time();
    }
    return frame;
}

void RandomUse::commandDone()
{
    frames.clear();
    framesDropped = false;
    // Paused, a command's page shows its first frame at once.
    if (w->playback().isPaused())
        frames.push_back(frameNow(true));
}

// After a tick or a step forward: a frame when the state moved on, or the first one.
void RandomUse::frameDrawn(const PageState &before, bool keepPicture)
{
    if (!frames.empty() && PageState::current() == before)
        return;
    frames.push_back(frameNow(keepPicture));
    if (PageStep == LabPageStep && frames.size() > Playback::MinFramesBack + 1) {
        frames.erase(frames.begin());
        framesDropped = true;
    }
}

QString RandomUse::stepBack()
{
    const PageState before = PageState::current();
    QTest::keyClick(w.get(), Qt::Key_Comma);
    if (frames.size() < 2) {
        if (framesDropped) {
            // Back among frames the lab may still keep: from here on, this is the first one noted.
            frames.assign(1, frameNow(true));
            return {};
        }
        return PageState::current() == before ? QString() : QStringLiteral("went back past the first frame");
    }
    frames.pop_back();
    const Frame &earlier = frames.back();
    if (!(PageState::current() == earlier.state))
        return QStringLiteral("back to PageStep %1 ElementStep %2 LabStep %3, not %4 %5 %6")
            .arg(PageStep).arg(ElementStep).arg(LabStep)
            .arg(earlier.state.pageStep).arg(earlier.state.elementStep).arg(earlier.state.labStep);
    if (earlier.lab) {
        const Lab &lab = w->stage().lab;
        ++labFramesBack;
        if (!(lab.settings() == *earlier.lab) || lab.loop().time() != earlier.labTime)
            return QStringLiteral("back at LabStep %1: loop time %2 s, setpoint %3 Hz; %4 s, %5 Hz then")
                .arg(LabStep).arg(lab.loop().time(), 0, 'g', 17).arg(lab.settings().setpoint)
                .arg(earlier.labTime, 0, 'g', 17).arg(earlier.lab->setpoint);
    }
    if (!earlier.picture)
        return {};
    ++picturesBack;
    // Kept at another enlargement: the picture drawn again at that scale.
    const size_t now = earlier.scale == w->canvas().scale() ? pictureHash(*w) : hashOf(w->canvas().render(earlier.scale));
    if (*earlier.picture != now)
        return QStringLiteral("back at PageStep %1 ElementStep %2: not the picture drawn then").arg(PageStep).arg(ElementStep);
    return {};
}

void RandomUse::chooseTopic(int entry)
{
    User::choose(*w, entry);
}

void RandomUse::showLabTab(int index)
{
    if (shown(*w, QStringLiteral("LabTabs")).value != index)
        User::clickPart(*w, QStringLiteral("LabTabs"), LabTabNames[index]);
}

void RandomUse::tick(int count)
{
    for (int i = 0; i < count; ++i)
        w->Timer1Timer();
}

// The landmark pictures, each recorded once from a fresh start.
void RandomUse::initTestCase()
{
    w = openWindow();
    // The playback keys are the window's shortcuts: they need it active.
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    recording = true;
    // The three other topics, then each section, each run a little past its end.
    const struct { int topic; const char *element; int ticks; } runs[] = {
        {1, nullptr, 1}, {2, nullptr, 260}, {3, nullptr, 330},
        {0, "ButtonA", 25}, {0, "ButtonB", 65}, {0, "ButtonC", 65}, {0, "ButtonD", 65},
        {0, "ButtonE", 65}, {0, "ButtonF", 65}, {0, "ButtonG", 65},
    };
    for (const auto &r : runs) {
        chooseTopic(r.topic);
        tick(1);
        QCOMPARE(checkPicture(), QString());
        User::click(*w, QStringLiteral("Button1"));
        run = QStringLiteral("start %1").arg(r.topic);
        if (r.element) {
            tick(1);
            User::click(*w, QLatin1String(r.element));
            run = QStringLiteral("section %1").arg(r.element);
        }
        for (int i = 0; i < r.ticks; ++i) {
            tick(1);
            QCOMPARE(checkPicture(), QString());
        }
    }
    recording = false;
    QCOMPARE(references.size(), std::size_t(11));   // menu, modelling, two animations, seven sections
    resetPageState();
}

// One random action; returns what it did, for the failure report.
QString RandomUse::act()
{
    const int kind = random.bounded(100);
    // Any action but a tick may change the picture a landmark shows.
    if (kind < 20 || kind >= 35)
        lastCompared.clear();
    if (kind < 4) {
        QTest::keyClick(w.get(), Qt::Key_P);
        return w->playback().isPaused() ? QStringLiteral("pause") : QStringLiteral("resume");
    }
    if (kind < 10) {
        const PageState before = PageState::current();
        QTest::keyClick(w.get(), Qt::Key_Period);
        frameDrawn(before, true);
        return QStringLiteral("a frame forward");
    }
    if (kind < 16) {
        const QString fault = stepBack();
        return fault.isEmpty() ? QStringLiteral("a frame back") : QStringLiteral("a frame back: FAULT ") + fault;
    }
    if (kind < 20) {
        // A teacher's to and fro over a few frames.
        const int n = 1 + random.bounded(5);
        for (int i = 0; i < n; ++i) {
            const PageState before = PageState::current();
            QTest::keyClick(w.get(), Qt::Key_Period);
            frameDrawn(before, true);
        }
        for (int i = 0; i < n; ++i)
            if (const QString fault = stepBack(); !fault.isEmpty())
                return QStringLiteral("%1 frames forward, back %2: FAULT %3").arg(n).arg(i + 1).arg(fault);
        return QStringLiteral("%1 frames forward and back").arg(n);
    }
    if (kind < 35) {
        // Paused, half the bursts resume first, so that the run goes on.
        if (w->playback().isPaused() && random.bounded(2))
            QTest::keyClick(w.get(), Qt::Key_P);
        // Bursts long enough to finish any animation, and short ones that interrupt them.
        const int limits[] = {3, 30, 400};
        const int n = 1 + random.bounded(limits[random.bounded(3)]);
        const int before = PageStep;
        for (int i = 0; i < n; ++i) {
            const int pageBefore = PageStep;
            const PageState stateBefore = PageState::current();
            // A tick draws unless paused before it (an experiment's end pauses after drawing).
            const bool drawn = !w->playback().isPaused();
            tick(1);
            if (drawn)
                frameDrawn(stateBefore, i >= n - 3); // the pictures a few steps back may compare with
            QString fault = checkState();
            if (fault.isEmpty() && drawn)
                fault = checkControlsAfterTick(pageBefore);
            if (fault.isEmpty() && drawn)
                fault = checkPicture();
            if (fault.isEmpty() && drawn && i == n - 1)
                fault = checkLabText(true);
            if (!fault.isEmpty())
                return QStringLiteral("tick %1 of %2 from PageStep %3: FAULT %4").arg(i + 1).arg(n).arg(before).arg(fault);
        }
        return QStringLiteral("%1 ticks").arg(n);
    }
    if (kind < 70) {
        // On the lab, its controls take four clicks in five; the restart button the others. Now
        // and then its run is saved as an experiment, and opened.
        if (PageStep == LabPageStep && shown(*w, QStringLiteral("LabView")).shown && random.bounded(5) != 0)
            return random.bounded(20) != 0 ? actOnLab()
                                           : random.bounded(2) ? saveAndOpenExperiment() : openCourseExperiment();
        QList<const NamedButton *> shown;
        for (const NamedButton &b : Buttons)
            if (::shown(*w, QLatin1String(b.name)).shown)
                shown << &b;
        if (shown.isEmpty())
            return QStringLiteral("no button to click");
        const NamedButton &b = *shown[random.bounded(int(shown.size()))];
        const int topic = ChoiceIndex;
        User::click(*w, QLatin1String(b.name));
        commandDone();
        run = qstrcmp(b.name, "Button1") == 0 ? QStringLiteral("start %1").arg(topic)
            : b.element                 ? QStringLiteral("section %1").arg(b.name)
                                        : QString();
        return QStringLiteral("click %1").arg(b.name);
    }
    if (kind < 80) {
        const int entry = random.bounded(5);
        chooseTopic(entry);
        commandDone();
        run.clear();
        return QStringLiteral("choose topic %1").arg(entry);
    }
    if (kind < 88)
        return changeDisplay(kind - 80);
    // The scroll bar, by the keys a user presses or by dragging it anywhere.
    const Qt::Key keys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End};
    const int k = random.bounded(7);
    const QString bar = QStringLiteral("ScrollBar1");
    if (k < 6) {
        User::focus(*w, bar);
        User::key(*w, keys[k]);
        return QStringLiteral("scroll bar key %1 -> %2").arg(k).arg(shown(*w, bar).value);
    }
    User::setValue(*w, bar, 1 + random.bounded(100));
    return QStringLiteral("scroll bar to %1").arg(shown(*w, bar).value);
}

// One action on the lab's controls: a value set (out of range too), slid, clicked, chosen or
// typed; a typed value applies on Enter.
QString RandomUse::actOnLab()
{
    const PageState before = PageState::current();
    // Paused, each change draws its frame: one action of several keys may draw several.
    PageState noted = before;
    const auto press = [&](Qt::Key key) {
        User::key(*w, key);
        if (!(PageState::current() == noted)) {
            frameDrawn(noted, true);
            noted = PageState::current();
        }
    };
    const auto typed = [&](int low, int high, bool tenths) {
        if (random.bounded(3) == 0)
            return QString::fromLatin1(TypedJunk[random.bounded(int(std::size(TypedJunk)))]);
        const int n = low + random.bounded(high - low + 1);
        return tenths ? QString::number(n / 10) + u',' + QString::number(n % 10) : QString::number(n);
    };
    const auto value = [&](const char *name) { return shown(*w, QLatin1String(name)).value; };
    const auto set = [&](const char *name, double to) {
        User::setValue(*w, QLatin1String(name), to);
        return QStringLiteral("%1 set to %2").arg(QString::fromLatin1(name).mid(3).toLower()).arg(value(name));
    };
    const auto click = [&](const char *name) { User::click(*w, QLatin1String(name)); };
    QString done;
    const char *control = nullptr;
    // The regulator's controls are reached through their tab, as a user reaches them.
    const auto regulatorBox = [&](const char *box, const char *name, int low, int high, double unit) {
        control = name;
        showLabTab(1);
        if (random.bounded(2)) {
            QAccessibleValueInterface *range = User::accessible(*w, QLatin1String(box))->valueInterface();
            const double least = range->minimumValue().toDouble(), most = range->maximumValue().toDouble();
            User::setValue(*w, QLatin1String(box), least - unit * 50 + random.bounded(int((most - least) / unit) + 100) * unit);
            return QStringLiteral("%1 set to %2").arg(QString::fromLatin1(name)).arg(value(box));
        }
        return typeInto(QLatin1String(box), typed(0, 12, random.bounded(2) == 0), low, high, unit);
    };
    switch (random.bounded(21)) {
    case 0:
    case 1:
        control = "setpoint";
        if (random.bounded(2)) {
            done = set("LabSetpoint", -300 + random.bounded(3700));
        } else {
            showLabTab(0);
            done = typeInto(QStringLiteral("LabSetpoint"), typed(0, 3100, false), 0, LabSettings::MaxSetpoint, LabSettings::SetpointStep);
        }
        break;
    case 2: {
        control = "slider";
        const Qt::Key keys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End};
        if (const int k = random.bounded(8); k < 6) {
            showLabTab(0);
            User::focus(*w, QStringLiteral("LabSetpointSlider"));
            User::key(*w, keys[k]);
        } else {
            User::setValue(*w, QStringLiteral("LabSetpointSlider"), -5 + random.bounded(LabSettings::MaxSetpoint / LabSettings::SetpointStep + 10));
        }
        done = QStringLiteral("slider to %1").arg(value("LabSetpointSlider"));
        break;
    }
    case 3: {
        control = "step or ramp";
        const char *button = random.bounded(2) ? "LabRamp" : "LabStep";
        showLabTab(0);
        click(button);
        done = QStringLiteral("click %1").arg(shown(*w, QLatin1String(button)).text);
        break;
    }
    case 4:
        control = "slope";
        if (random.bounded(2)) {
            done = set("LabSlope", (-50 + random.bounded(120000)) / 10.0);
        } else {
            showLabTab(0);
            done = typeInto(QStringLiteral("LabSlope"), typed(0, 11000, random.bounded(2) == 0), LabSettings::MinSlope,
                            LabSettings::MaxSlope, LabSettings::SlopeUnit);
        }
        break;
    case 5:
        control = "corrector";
        showLabTab(1);
        click("LabCorrector");
        done = QStringLiteral("corrector %1").arg(shown(*w, QStringLiteral("LabCorrector")).checked ? "on" : "off");
        break;
    case 6:
        control = "load";
        if (random.bounded(2)) {
            done = set("LabLoad", (-30 + random.bounded(280)) / 100.0);
        } else {
            showLabTab(0);
            done = typeInto(QStringLiteral("LabLoad"), typed(0, 25, true), 0, LabSettings::MaxLoad, LabSettings::LoadUnit);
        }
        break;
    case 7:
        control = "start at rest";
        showLabTab(0);
        click("LabStartAtRest");
        done = QStringLiteral("click Départ arrêté");
        break;
    case 8:
        control = "start locked";
        showLabTab(0);
        click("LabStartLocked");
        done = QStringLiteral("click Départ verrouillé");
        break;
    case 11:
        control = "tabs";
        showLabTab(random.bounded(int(LabTabNames.size())));
        done = QStringLiteral("tab %1").arg(shown(*w, QStringLiteral("LabTabs")).text);
        break;
    case 12:
        done = regulatorBox("LabLead", "lead", LabSettings::MinTimeConstant, LabSettings::MaxTimeConstant,
                             LabSettings::TimeConstantUnit);
        break;
    case 13:
        done = regulatorBox("LabLag", "lag", LabSettings::MinTimeConstant, LabSettings::MaxTimeConstant,
                             LabSettings::TimeConstantUnit);
        break;
    case 14:
        done = regulatorBox("LabFilter", "filter", LabSettings::MinTimeConstant, LabSettings::MaxTimeConstant,
                             LabSettings::TimeConstantUnit);
        break;
    case 15:
        done = regulatorBox("LabGain", "gain", LabSettings::MinGain, LabSettings::MaxGain, LabSettings::GainUnit);
        break;
    case 16:
        control = "course values";
        showLabTab(1);
        click("LabCourseValues");
        done = QStringLiteral("click Valeurs du cours");
        break;
    case 17:
        control = "view";
        click("LabView");
        done = QStringLiteral("click view, now %1").arg(shown(*w, QStringLiteral("LabView")).text);
        break;
    case 18:
        control = "keep";
        click("LabKeep");
        done = QStringLiteral("click Garder la réponse");
        break;
    case 19:
        control = "clear";
        click("LabClear");
        done = QStringLiteral("click Effacer les réponses");
        break;
    case 20: {
        // What an export would write, a row every 10 ms to stay quick: numbers only.
        control = "export";
        const Lab &lab = w->stage().lab;
        QBuffer table;
        table.open(QIODevice::WriteOnly);
        MeasuresCsv::write(lab.experiment().run, lab.loop().time(), 0.01, table);
        done = QStringLiteral("measures of %1 s exported").arg(lab.loop().time());
        if (holdsNotANumber(QString::fromUtf8(table.data())))
            return done + QStringLiteral(": FAULT the table holds a NaN or an infinity");
        break;
    }
    default: {
        // Chosen from the keys: an arrow, or the first choice then so many down.
        control = "slow motion";
        showLabTab(0);
        User::focus(*w, QStringLiteral("LabSlowMotion"));
        if (random.bounded(2)) {
            press(random.bounded(2) ? Qt::Key_Down : Qt::Key_Up);
        } else {
            press(Qt::Key_Home);
            for (int down = random.bounded(int(SlowMotionFactors.size())); down > 0; --down)
                press(Qt::Key_Down);
        }
        done = QStringLiteral("slow motion %1").arg(shown(*w, QStringLiteral("LabSlowMotion")).text);
        break;
    }
    }
    ++labActions[QString::fromLatin1(control)];
    // Paused, an action that changed a setting draws the frame it leads to.
    const bool drawn = !(PageState::current() == before);
    if (!(PageState::current() == noted))
        frameDrawn(noted, true);
    if (done.contains(QStringLiteral("FAULT")))
        return done;
    QString fault = checkLab();
    if (fault.isEmpty())
        fault = checkLabText(drawn);
    return fault.isEmpty() ? done : done + QStringLiteral(": FAULT ") + fault;
}

// The lab's run saved as an experiment: it reads back the same, and played again to where it
// was saved, without a window, it gives the same loop to the last bit. Now and then the window
// opens it, on the lab at its start.
QString RandomUse::saveAndOpenExperiment()
{
    Lab &lab = w->stage().lab;
    const Experiment saved = lab.saved();
    w->showStage();
    ++experimentsSaved;
    const QByteArray text = ExperimentFile::write(saved);
    QString done = QStringLiteral("experiment of %1 actions saved at %2 s").arg(saved.run.actions.size()).arg(lab.loop().time());
    const auto read = ExperimentFile::parse(text);
    if (!std::holds_alternative<Experiment>(read) || !(std::get<Experiment>(read) == saved))
        return done + QStringLiteral(": FAULT it does not read back the same");
    Lab again;
    again.setPace({LabPace::MaxTickMs, 0});
    again.open(std::get<Experiment>(read));
    while (!again.atEnd())
        again.advance();
    const pllmodel::LoopSimulation &a = again.loop(), &b = lab.loop();
    if (a.speed() != b.speed() || a.phaseError() != b.phaseError() || a.cycleSlips() != b.cycleSlips()
        || again.settings() != lab.settings() || again.commandMean() != lab.commandMean())
        return done + QStringLiteral(": FAULT played again it ends at %1 tr/s, %2 rad, %3 V, %4 slips, setpoint %5; "
                                     "not %6 tr/s, %7 rad, %8 V, %9 slips, setpoint %10")
                          .arg(a.speed(), 0, 'g', 17).arg(a.phaseError(), 0, 'g', 17).arg(again.commandMean(), 0, 'g', 17)
                          .arg(a.cycleSlips()).arg(again.settings().setpoint)
                          .arg(b.speed(), 0, 'g', 17).arg(b.phaseError(), 0, 'g', 17).arg(lab.commandMean(), 0, 'g', 17)
                          .arg(b.cycleSlips()).arg(lab.settings().setpoint);
    // The first one saved is always opened: a run of saves none of which is opened would fail
    // the run's check that one was (about one run in sixteen with seven saves).
    if (experimentsOpened > 0 && random.bounded(3) != 0)
        return done;
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("essai.pll")));
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return done + QStringLiteral(": FAULT the file could not be written");
    file.close();
    if (const QString error = w->loadExperiment(file.fileName()); !error.isEmpty())
        return done + QStringLiteral(": FAULT opening it says ") + error;
    commandDone();
    run.clear();
    // Paused, the window draws the lab's first frame at once.
    const Lab &opened = w->stage().lab;
    const double start = w->playback().isPaused() ? std::min(opened.tickSpan(), lab.loop().time()) : 0;
    if (PageStep != LabPageStep || opened.loop().time() != start || !(opened.experiment().run == saved.run))
        return done + QStringLiteral(": FAULT opened, the lab is not at the run's start");
    ++experimentsOpened;
    return done + QStringLiteral(", opened");
}

// One of the course's experiments opened on the lab, its words over the displays.
QString RandomUse::openCourseExperiment()
{
    static const std::vector<CourseExperiments::Entry> entries = CourseExperiments::list();
    if (entries.empty())
        return QStringLiteral("FAULT the course's experiments are not found");
    const CourseExperiments::Entry &entry = entries[std::size_t(random.bounded(int(entries.size())))];
    QString done = QStringLiteral("course experiment %1 opened").arg(QString::fromStdString(entry.title));
    if (const QString error = w->loadExperiment(entry.path); !error.isEmpty())
        return done + QStringLiteral(": FAULT opening it says ") + error;
    commandDone();
    run.clear();
    ++courseExperimentsOpened;
    if (PageStep != LabPageStep || w->stage().lab.title() != entry.title || !w->stage().labView.statement)
        return done + QStringLiteral(": FAULT the lab does not show it");
    // Running, the lab's controls come with its first frame.
    if (!w->playback().isPaused()) {
        const PageState before = PageState::current();
        tick(1);
        frameDrawn(before, true);
    }
    // Its text hidden to see the displays, and now and then shown again.
    for (int clicks = 1 + random.bounded(2); clicks > 0; --clicks) {
        const PageState before = PageState::current();
        User::click(*w, QStringLiteral("LabStatement"));
        frameDrawn(before, true);
        done += w->stage().labView.statement ? QStringLiteral(", text shown") : QStringLiteral(", text hidden");
        if (w->stage().labView.statement != shown(*w, QStringLiteral("LabStatement")).checked)
            return done + QStringLiteral(": FAULT the button says otherwise");
    }
    return done;
}

// Types into a spin box as a user does: the focus on it, its text selected, the cursor
// sometimes moved to its end, the text (keys the box refuses are lost), Enter, then Tab on past
// the spin boxes, so that the window's keys are the window's again. The value the box held at
// Enter, if it reads as a number within the box's range, must be the lab's, brought to a
// multiple of `unit` within low..high; any other text, nothing.
QString RandomUse::typeInto(const QString &box, const QString &text, int low, int high, double unit)
{
    const auto setting = [&] {
        const LabSettings &s = w->stage().lab.settings();
        // Between steps the slope waits on its box, not in the lab.
        const int slope = s.ramp > 0 ? s.ramp : int(std::lround(shown(*w, QStringLiteral("LabSlope")).value / LabSettings::SlopeUnit));
        return box == QLatin1String("LabSetpoint") ? s.setpoint : box == QLatin1String("LabSlope") ? slope
             : box == QLatin1String("LabLoad") ? s.load : box == QLatin1String("LabLead") ? s.lead
             : box == QLatin1String("LabLag") ? s.lag : box == QLatin1String("LabFilter") ? s.filter : s.gain;
    };
    const auto focusInSpinBox = [&] {
        return std::any_of(SpinBoxes.begin(), SpinBoxes.end(), [&](const QString &name) { return shown(*w, name).focused; });
    };
    const int was = setting();
    User::focus(*w, box);
    User::key(*w, Qt::Key_A, Qt::ControlModifier);
    if (random.bounded(3) == 0)
        User::key(*w, Qt::Key_End);
    User::type(*w, text);
    const QString atEnter = shown(*w, box).text;
    // The setpoint's box takes whole numbers in the program's locale, group separators left out;
    // the others decimals, in French.
    bool ok = false;
    double value = 0;
    if (box == QLatin1String("LabSetpoint")) {
        value = QLocale().toInt(atEnter.trimmed(), &ok);
        if (!ok)
            value = QLocale().toInt(QString(atEnter.trimmed()).remove(QLocale().groupSeparator()), &ok);
    } else {
        value = QLocale(QLocale::French, QLocale::France).toDouble(atEnter.trimmed(), &ok);
    }
    QAccessibleValueInterface *range = User::accessible(*w, box)->valueInterface();
    const bool acceptable = ok && value >= range->minimumValue().toDouble() && value <= range->maximumValue().toDouble();
    User::key(*w, random.bounded(2) ? Qt::Key_Return : Qt::Key_Enter);
    // Spin boxes follow each other down a tab: Tab on past them.
    for (int tabs = 0; tabs < 8 && (tabs == 0 || focusInSpinBox()); ++tabs)
        User::key(*w, Qt::Key_Tab);
    const QString done = QStringLiteral("typed '%1' in %2, '%3' at Enter").arg(text, shown(*w, box).accessibleName, atEnter);
    if (focusInSpinBox())
        return done + QStringLiteral(": FAULT Tab left the focus in a spin box");
    // In the lab's steps, half a step up: whole tens of hertz, tenths of a volt (counted in tenths).
    const int expected = !acceptable ? was
        : std::clamp(int(std::lround(value / unit) * std::max(1.0, unit)), low, high);
    if (setting() != expected)
        return done + QStringLiteral(": FAULT the lab holds %1, not %2").arg(setting()).arg(expected);
    return done;
}

// The lab's controls shown with its page alone, showing its settings; no NaN nor infinity read.
QString RandomUse::checkLab() const
{
    const bool onLab = PageStep == LabPageStep;
    const QStringList &otherTab = shown(*w, QStringLiteral("LabTabs")).value == 0 ? RegulatorTab : RunTab;
    for (const QString &name : RunTab + RegulatorTab + LabAlways) {
        const bool visible = shown(*w, name).shown;
        if (!onLab && visible)
            return QStringLiteral("%1 shown at PageStep %2").arg(name).arg(PageStep);
        // Drawn once, the page shows them, the other tab's hidden.
        const bool expected = !otherTab.contains(name);
        if (onLab && LabStep > 0 && visible != expected)
            return QStringLiteral("%1 %2 on the lab at LabStep %3").arg(name, expected ? "hidden" : "shown").arg(LabStep);
    }
    const Lab &lab = w->stage().lab;
    const LabSettings &s = lab.settings();
    const auto value = [&](const char *name) { return shown(*w, QLatin1String(name)).value; };
    const auto checked = [&](const char *name) { return long(shown(*w, QLatin1String(name)).checked); };
    const long slopeShown = std::lround(value("LabSlope") / LabSettings::SlopeUnit);
    const double second = LabSettings::TimeConstantUnit;
    const struct { const char *name; long shown, held; } values[] = {
        {"LabSetpoint", std::lround(value("LabSetpoint")), s.setpoint},
        {"LabSetpointSlider", std::lround(value("LabSetpointSlider")) * LabSettings::SetpointStep, s.setpoint},
        {"LabStep", checked("LabStep"), s.ramp == 0},
        {"LabRamp", checked("LabRamp"), s.ramp > 0},
        {"LabSlope (tenths)", slopeShown, s.ramp > 0 ? s.ramp : slopeShown},
        {"LabCorrector", checked("LabCorrector"), s.corrector},
        {"LabLoad (tenths)", std::lround(value("LabLoad") / LabSettings::LoadUnit), s.load},
        {"LabSlowMotion", std::lround(value("LabSlowMotion")), lab.pace().slowMotion},
        {"LabLead", std::lround(value("LabLead") / second), s.lead},
        {"LabLag", std::lround(value("LabLag") / second), s.lag},
        {"LabFilter", std::lround(value("LabFilter") / second), s.filter},
        {"LabGain", std::lround(value("LabGain") / LabSettings::GainUnit), s.gain},
        {"LabView", shown(*w, QStringLiteral("LabView")).text == QStringLiteral("Signaux"), w->stage().labView.frequencyResponse},
    };
    for (const auto &v : values)
        if (v.shown != v.held)
            return QStringLiteral("%1 shows %2, the lab holds %3").arg(v.name).arg(v.shown).arg(v.held);
    if (!onLab)
        return {};
    const LabReadouts r = labReadouts(lab);
    for (const QString *line : {&r.lock, &r.slips, &r.setpoint, &r.speed, &r.phase, &r.comparator, &r.command, &r.time,
                                &r.measures[0], &r.measures[1]})
        if (line->contains(QStringLiteral("nan"), Qt::CaseInsensitive) || line->contains(QStringLiteral("inf"), Qt::CaseInsensitive))
            return QStringLiteral("the lab reads '%1'").arg(*line);
    return {};
}

// The drawing area as a screen reader reads it on the lab: never a NaN or an infinity, and
// the picture just drawn reads each of the lab's status lines once, as the lab gives it (not
// beside the values of earlier frames).
QString RandomUse::checkLabText(bool justDrawn)
{
    if (PageStep != LabPageStep || LabStep == 0)
        return {};
    // The reader reads the area again once it is painted.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    const QString text = User::accessible(*w, QStringLiteral("FOND"))->text(QAccessible::Description);
    ++labTextsRead;
    if (holdsNotANumber(text))
        return QStringLiteral("the drawing area reads: %1").arg(text);
    if (!justDrawn)
        return {};
    const LabReadouts r = labReadouts(w->stage().lab);
    if (!text.contains(r.lock))
        return QStringLiteral("the drawing area does not read '%1': %2").arg(r.lock, text);
    for (const QString *line : {&r.slips, &r.setpoint, &r.speed, &r.phase, &r.comparator, &r.command, &r.time}) {
        const QString label = line->left(line->indexOf(QStringLiteral(" : ")) + 3);
        if (!text.contains(*line) || text.count(label) != 1)
            return QStringLiteral("the drawing area reads '%1' %2 times, not once '%3': %4")
                .arg(label).arg(text.count(label)).arg(*line, text);
    }
    return {};
}

QString RandomUse::checkState() const
{
    for (const Range &r : Ranges)
        if (*r.value < r.low || *r.value > r.high)
            return QStringLiteral("%1 = %2, outside %3..%4").arg(r.name).arg(*r.value).arg(r.low).arg(r.high);
    if (ElementActive == 1 && PageStep == -1 && ElementStep == 0)
        return QStringLiteral("a section is active but none is chosen");
    if (!shown(*w, QStringLiteral("ListBox1")).shown || !shown(*w, QStringLiteral("ScrollBar1")).shown
        || !shown(*w, QStringLiteral("BitBtn1")).shown)
        return QStringLiteral("the list, the scroll bar or the print button is hidden");
    if (const QString fault = checkLab(); !fault.isEmpty())
        return fault;
    return checkLayout();
}

// The drawing area and the picture at the window's enlargement.
QString RandomUse::checkLayout() const
{
    const qreal zoom = w->zoom();
    const WindowLayout layout{zoom, {}};
    const QSize area = layout.scaled(QSize(Canvas::Width, Canvas::Height));
    const QRect drawing = shown(*w, QStringLiteral("FOND")).place;
    const int listHeight = shown(*w, QStringLiteral("ListBox1")).place.height();
    if (drawing.size() != area || listHeight != layout.place(QRect(0, 0, 1, 67)).height() || w->canvas().scale() != zoom)
        return QStringLiteral("at x%1 the drawing area is %2 x %3, the list %4 high, the picture drawn at x%5")
            .arg(zoom).arg(drawing.width()).arg(drawing.height()).arg(listHeight).arg(w->canvas().scale());
    if (!w->rect().contains(drawing) && w->isFullScreen())
        return QStringLiteral("full screen at x%1: the drawing area at %2,%3 is not on the screen, %4 x %5")
            .arg(zoom).arg(drawing.x()).arg(drawing.y()).arg(w->width()).arg(w->height());
    return {};
}

// Zoom keys, full screen, a copy.
QString RandomUse::changeDisplay(int kind)
{
    const qreal before = w->zoom();
    if (kind < 5) {
        // Up more often than down or back to x1, so that every factor gets its share.
        const Qt::Key keys[] = {Qt::Key_Plus, Qt::Key_Plus, Qt::Key_Plus, Qt::Key_Minus, Qt::Key_0};
        QTest::keyClick(w.get(), keys[kind], Qt::ControlModifier);
        // Full screen, no larger than the screen holds.
        const qreal largest = w->isFullScreen() ? WindowLayout::largestFitting(w->screen()->geometry().size()) : 4;
        const qreal expected = kind < 3 ? WindowLayout::stepUp(before, largest) : kind < 4 ? WindowLayout::stepDown(before) : 1;
        if (w->zoom() != expected)
            return QStringLiteral("zoom key %1 at x%2: FAULT x%3, not x%4").arg(kind).arg(before).arg(w->zoom()).arg(expected);
        // The next tick on a landmark compares its picture at the new scale.
        return QStringLiteral("zoom x%1 to x%2").arg(before).arg(w->zoom());
    }
    if (kind < 7) {
        const bool wasFull = w->isFullScreen();
        QTest::keyClick(w.get(), wasFull && kind == 5 ? Qt::Key_Escape : Qt::Key_F11);
        if (w->isFullScreen() == wasFull)
            return QStringLiteral("full screen key: FAULT still %1").arg(wasFull ? "full screen" : "in a window");
        return QStringLiteral("%1 at x%2").arg(wasFull ? "full screen left" : "full screen").arg(w->zoom());
    }
    QTest::keyClick(w.get(), Qt::Key_C, Qt::ControlModifier);
    // On the lab the picture copied also writes the settings where the controls stand.
    if (QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32)
        != Canvas::render(w->standAlonePicture(), w->canvas().scale()))
        return QStringLiteral("copy at x%1: FAULT the clipboard does not hold the picture shown").arg(before);
    return QStringLiteral("copy at x%1").arg(before);
}

QString RandomUse::checkControlsAfterTick(int pageBefore) const
{
    const int bar = int(shown(*w, QStringLiteral("ScrollBar1")).value);
    if (w->tickPeriod() != bar)
        return QStringLiteral("timer at %1 ms, scroll bar at %2").arg(w->tickPeriod()).arg(bar);
    QStringList mustShow, mustHide;
    if (PageStep == 0) {
        mustShow = {"Button1"};
        mustHide = SectionButtons + QStringList{"ButtonPD", "Button2", "Button3", "ButtonMod"};
    } else if (PageStep == -1) {
        mustShow = SectionButtons;
        mustHide = {"Button1", "ButtonMod"};
    } else if (PageStep == -3 && pageBefore == -2) {
        mustShow = {"Button1"};
        mustHide = SectionButtons + QStringList{"Button2"};
        (ShowModelButton == 1 ? mustShow : mustHide) << "ButtonMod";
    } else if (PageStep == LabPageStep) {
        // The restart button, as on the animations (a presentation button left by a start before
        // the menu's first tick may stay); the tick took the scroll bar's period.
        mustShow = {"Button1"};
        mustHide = SectionButtons + QStringList{"Button2", "ButtonMod", "ButtonPP"};
        if (w->stage().lab.pace().tickMs != bar)
            return QStringLiteral("the lab ticks %1 ms, the scroll bar is at %2").arg(w->stage().lab.pace().tickMs).arg(bar);
    } else if (PageStep > 1 && PageStep != 251 && pageBefore != PageStep) {
        mustShow = {"Button1"};
        mustHide = SectionButtons + QStringList{"Button2", "ButtonMod", "ButtonPP"};
    }
    for (const QString &b : mustShow)
        if (!shown(*w, b).shown)
            return QStringLiteral("%1 hidden at PageStep %2").arg(b).arg(PageStep);
    for (const QString &b : mustHide)
        if (shown(*w, b).shown)
            return QStringLiteral("%1 shown at PageStep %2").arg(b).arg(PageStep);
    return {};
}

// Compares the drawing with the landmark of the run in progress, or records it.
QString RandomUse::checkPicture()
{
    const Landmark landmarks[] = {
        {QStringLiteral("menu"), menuPage},
        {QStringLiteral("start 1"), modellingDrawn},
        {QStringLiteral("start 2"), operatingPointEnd},
        {QStringLiteral("start 3"), speedChangeEnd},
    };
    QString key;
    if (menuPage())
        key = QStringLiteral("menu");
    else if (run.startsWith(QStringLiteral("section ")) && PageStep == -1 && sectionEnd())
        key = run;
    else
        for (const Landmark &l : landmarks)
            if (l.run == run && l.reached())
                key = run;
    // Ticks that stay on a landmark already compared redraw it the same (tst_frames checks each
    // one at x1); comparing it again, up to 23 MB a picture at x4, would only slow the run.
    if (key.isEmpty() || (key == lastCompared && !recording))
        return {};
    lastCompared = key;
    const QImage now = w->canvas().image();
    const qreal scale = w->canvas().scale();
    const auto ref = references.find(key);
    if (ref == references.end()) {
        if (recording)
            references.emplace(key, Reference{w->canvas().snapshot(), {{scale, now.copy()}}});
        return recording ? QString() : QStringLiteral("no reference for %1").arg(key);
    }
    ++compared[key];
    ++comparedAtScale[scale];
    auto drawn = ref->second.at.find(scale);
    if (drawn == ref->second.at.end())
        drawn = ref->second.at.emplace(scale, Canvas::render(ref->second.drawing, scale)).first;
    if (drawn->second != now) {
        now.save(QStringLiteral("random_use_%1.png").arg(key.simplified().replace(u' ', u'_')));
        return QStringLiteral("the picture of '%1' differs from a fresh start's").arg(key);
    }
    return {};
}

void RandomUse::randomUse()
{
    const quint32 seed = quint32(envNumber("PLL_RANDOM_SEED", int(QRandomGenerator::global()->bounded(1 << 30))));
    const int events = envNumber("PLL_RANDOM_EVENTS", 10000);
    qInfo("random use: seed %u, %d actions (replay with PLL_RANDOM_SEED=%u)", seed, events, seed);
    random.seed(seed);
    run.clear();
    chooseTopic(0);
    std::deque<QString> recent;
    std::map<int, int> pagesSeen;
    for (int i = 0; i < events; ++i) {
        const QString done = act();
        recent.push_back(done);
        if (recent.size() > 12)
            recent.pop_front();
        ++pagesSeen[PageStep <= 0 ? PageStep : PageStep <= 250 ? 1 : 2];
        QString fault = done.contains(QStringLiteral("FAULT")) ? done : checkState();
        if (!fault.isEmpty()) {
            QStringList log(recent.begin(), recent.end());
            QFAIL(qPrintable(QStringLiteral("seed %1, action %2: %3\nlast actions:\n  %4")
                                 .arg(seed).arg(i).arg(fault, log.join(QStringLiteral("\n  ")))));
        }
    }
    QStringList counts;
    for (const auto &[key, n] : compared)
        counts << QStringLiteral("%1: %2").arg(key).arg(n);
    QStringList scales;
    for (const auto &[scale, n] : comparedAtScale)
        scales << QStringLiteral("x%1: %2").arg(scale).arg(n);
    qInfo("landmark pictures compared: %s (%s); pictures a frame back compared: %d",
          qPrintable(counts.join(QStringLiteral(", "))), qPrintable(scales.join(QStringLiteral(", "))), picturesBack);
    QVERIFY2(picturesBack > events / 50, "too few frames back compared with the picture drawn then");
    // A short run (the one under valgrind: 150 actions) need not reach every factor often. Headless,
    // full screen holds only x1, so the other steps share what is left; x4, the rarest, is seven
    // steps up: a floor of 2 fails only when a factor is out of reach.
    constexpr int ReachesEveryFactor = 5000;
    for (qreal scale : WindowLayout::Steps)
        QVERIFY2(events < ReachesEveryFactor || comparedAtScale[scale] >= events / 5000,
                 qPrintable(QStringLiteral("landmarks seldom compared at x%1").arg(scale)));
    QStringList onLab;
    for (const auto &[control, n] : labActions)
        onLab << QStringLiteral("%1: %2").arg(control).arg(n);
    qInfo("lab actions: %s; lab frames back compared: %d; lab texts read: %d; experiments saved: %d, opened: %d; "
          "course experiments opened: %d",
          qPrintable(onLab.join(QStringLiteral(", "))), labFramesBack, labTextsRead, experimentsSaved, experimentsOpened,
          courseExperimentsOpened);
    // A run that never left the menu would prove little.
    for (int page : {0, -1, -3, 1, 2, LabPageStep})
        QVERIFY2(pagesSeen[page] > events / 100, qPrintable(QStringLiteral("page %1 seldom visited").arg(page)));
    QVERIFY2(labActions.size() == 19 || events < ReachesEveryFactor, "a lab control was never used");
    QVERIFY2(labFramesBack > events / 500, "too few frames back compared on the lab");
    QVERIFY2(experimentsOpened > 0 || events < ReachesEveryFactor, "no experiment was saved and opened");
    QVERIFY2(courseExperimentsOpened > 0 || events < ReachesEveryFactor, "no course experiment was opened");
}

QTEST_MAIN(RandomUse)
#include "tst_random_use.moc"
