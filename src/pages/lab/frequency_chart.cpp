#include "pages/lab/frequency_chart.h"

#include "pages/lab/black_nichols_chart.h"
#include "pages/lab/closed_loop_chart.h"
#include "pages/lab/frequency_view.h"
#include "pages/lab/nyquist_chart.h"

void drawFrequencyChart(Canvas &canvas, const pllmodel::LoopParameters &p, FrequencyChart chart, const QRect &area)
{
    switch (chart) {
    case FrequencyChart::Black:
        FrequencyView::drawPlanned(canvas, p, area, FrequencyView::blackNicholsPlan);
        break;
    case FrequencyChart::Nyquist:
        FrequencyView::drawPlanned(canvas, p, area, FrequencyView::nyquistPlan);
        break;
    case FrequencyChart::ClosedLoop:
        FrequencyView::drawPlanned(canvas, p, area, FrequencyView::closedLoopPlan);
        break;
    case FrequencyChart::Bode:
        drawFrequencyResponse(canvas, p, area);
        break;
    case FrequencyChart::Ranges:
        // Drawn by the page, from the measure it holds.
        break;
    }
}
