#pragma once
// "Mesurer les plages": the lab's pull-in and hold ranges measured on a thread of their own while
// the window goes on, with the button that starts it, its progress bar and its cancel, which stand
// on the "Plages" chart. What it finds goes into the stage's RangesState, on the window's thread.
#include "pages/lab/ranges_state.h"

#include <QList>
#include <QObject>
#include <atomic>
#include <functional>
#include <thread>

class QProgressBar;
class QPushButton;
class QWidget;
class WindowLayout;
struct LabSettings;

class RangesMeasure : public QObject
{
public:
    // The measure of `settings()` goes into `state`; `changed` redraws what shows it.
    RangesMeasure(QWidget &window, RangesState &state, std::function<LabSettings()> settings,
                  std::function<void()> changed);
    // A measure under way is cancelled and waited for.
    ~RangesMeasure() override;

    // Cancels the one under way, if any, and starts another.
    void start();
    // Stops the one under way, which gives nothing: the ranges measured before stay.
    void cancel();
    bool running() const { return m_worker.joinable(); }

    // The controls in screen order, the order Tab takes them in.
    const QList<QWidget *> &tabOrder() const { return m_widgets; }
    void place(const WindowLayout &layout);
    // The button while the chart shows, the progress and the cancel while a measure runs too.
    void setVisible(bool chartShows);

private:
    // The measure's thread stopped and joined; what it still sends is for a measure gone.
    void stop();
    void progressed(unsigned run, double fraction);
    void finished(unsigned run, std::optional<LockRanges> ranges, const QString &failure);
    void showControls();

    RangesState &m_state;
    std::function<LabSettings()> m_settings;
    std::function<void()> m_changed;
    QPushButton *Measure, *Cancel;
    QProgressBar *Progress;
    QList<QWidget *> m_widgets;
    bool m_chartShows = false;

    std::thread m_worker;
    std::atomic<bool> m_cancel{false};
    // Counts the measures started: a message from the thread names the one it is for.
    unsigned m_run = 0;
};
