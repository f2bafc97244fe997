#pragma once
// The locked loop at one operating point: fixed waveforms of the loop's signals, the radar
// turning at constant speed, the two phase ramps growing, and from step 201 the explanation of
// their constant gap.
class Stage;

// Draws the frame for P = PageStep (2 to 250).
void OperatingPointPage(Stage &stage);
