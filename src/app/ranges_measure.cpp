#include "app/ranges_measure.h"

#include "app/window_layout.h"
#include "lab/lock_ranges.h"

#include <QProgressBar>
#include <QPushButton>
#include <new>
#include <system_error>

namespace {
// Window coordinates of the classic layout: a row in the strip the "Plages" chart leaves empty at
// the bottom of the frequency view's area.
const QRect MeasurePlace(236, 290, 140, 22);
const QRect ProgressPlace(384, 290, 200, 22);
const QRect CancelPlace(592, 290, 90, 22);
constexpr int Percent = 100;

// Every core: the window's thread only draws the page meanwhile.
constexpr int AllCores = 0;

// Why a measure could not be made, as the chart says it.
const QString NoMemory = QStringLiteral("la mémoire manque");
const QString NoThread = QStringLiteral("le système refuse un fil de calcul de plus");
}

RangesMeasure::RangesMeasure(QWidget &window, RangesState &state, std::function<LabSettings()> settings,
                             std::function<void()> changed)
    : QObject(&window)
    , m_state(state)
    , m_settings(std::move(settings))
    , m_changed(std::move(changed))
{
    Measure = new QPushButton(QStringLiteral("Mesurer les plages"), &window);
    Measure->setObjectName(QStringLiteral("LabMeasureRanges"));
    Progress = new QProgressBar(&window);
    Progress->setObjectName(QStringLiteral("LabRangesProgress"));
    Progress->setAccessibleName(QStringLiteral("Mesure des plages en cours"));
    Progress->setRange(0, Percent);
    Progress->setFormat(QStringLiteral("%p %"));
    Cancel = new QPushButton(QStringLiteral("Annuler"), &window);
    Cancel->setObjectName(QStringLiteral("LabCancelRanges"));
    Cancel->setAccessibleName(QStringLiteral("Annuler la mesure des plages"));
    m_widgets = {Measure, Progress, Cancel};
    for (QWidget *widget : m_widgets)
        widget->setVisible(false);
    connect(Measure, &QPushButton::clicked, this, &RangesMeasure::start);
    connect(Cancel, &QPushButton::clicked, this, &RangesMeasure::cancel);
}

RangesMeasure::~RangesMeasure() { stop(); }

void RangesMeasure::start()
{
    stop();
    const unsigned run = ++m_run;
    const LabSettings settings = m_settings();
    m_state.progress = 0;
    m_state.outcome = RangesState::Outcome::Measured;
    m_cancel.store(false);
    const auto send = [this](auto message) { QMetaObject::invokeMethod(this, std::move(message), Qt::QueuedConnection); };
    try {
        m_worker = std::thread([this, run, settings, send] {
            std::optional<LockRanges> ranges;
            QString failure;
            try {
                const auto progress = [this, run, send](double f) { send([this, run, f] { progressed(run, f); }); };
                ranges = measureLockRanges(settings, {AllCores, progress, &m_cancel});
            } catch (const std::bad_alloc &) {
                failure = NoMemory;
            } catch (const std::system_error &) {
                failure = NoThread;
            }
            send([this, run, ranges, failure] { finished(run, ranges, failure); });
        });
    } catch (const std::system_error &) {
        finished(run, std::nullopt, NoThread);
        return;
    }
    showControls();
    m_changed();
}

void RangesMeasure::cancel()
{
    if (!running())
        return;
    stop();
    m_state.progress.reset();
    m_state.outcome = RangesState::Outcome::Cancelled;
    showControls();
    m_changed();
}

void RangesMeasure::stop()
{
    if (!running())
        return;
    m_cancel.store(true);
    m_worker.join();
    ++m_run;
}

void RangesMeasure::progressed(unsigned run, double fraction)
{
    if (run != m_run)
        return;
    m_state.progress = fraction;
    Progress->setValue(int(fraction * Percent));
    m_changed();
}

void RangesMeasure::finished(unsigned run, std::optional<LockRanges> ranges, const QString &failure)
{
    if (run != m_run)
        return;
    if (m_worker.joinable())
        m_worker.join();
    m_state.progress.reset();
    if (ranges) {
        m_state.measure = std::move(ranges);
    } else {
        m_state.outcome = RangesState::Outcome::Failed;
        m_state.failure = failure;
    }
    showControls();
    m_changed();
}

void RangesMeasure::place(const WindowLayout &layout)
{
    Measure->setGeometry(layout.place(MeasurePlace));
    Progress->setGeometry(layout.place(ProgressPlace));
    Cancel->setGeometry(layout.place(CancelPlace));
}

void RangesMeasure::setVisible(bool chartShows)
{
    if (m_chartShows == chartShows)
        return;
    m_chartShows = chartShows;
    showControls();
}

void RangesMeasure::showControls()
{
    Measure->setVisible(m_chartShows);
    Progress->setVisible(m_chartShows && running());
    Cancel->setVisible(m_chartShows && running());
    if (!running())
        Progress->setValue(0);
}
