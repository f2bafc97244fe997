#pragma once
// The lab's page: the loop's blocks with the live values on their links, an oscilloscope of
// the setpoint, the sensor and the comparator, a recorder of the speed and the phase error, the
// comparator's characteristic with its operating point, and the status, all from the
// simulation as it runs. Cleared and drawn whole every tick: the canvas draws only what changed.
#include <QRect>

class Lab;
class Stage;

// One tick: the lab's loop moves on, then the page is drawn.
void LabPage(Stage &stage);
// The page as the lab stands, loop time unchanged.
void drawLabPage(Stage &stage);
// How many pages the opened experiment's text takes over the displays.
int labStatementPages(const Lab &lab);
// Where the control that turns those pages goes, on the page.
QRect labStatementPageTurner();
// Whether the page shows the "Plages" chart, which the window's measure controls stand on.
bool rangesChartShows(const Stage &stage);
