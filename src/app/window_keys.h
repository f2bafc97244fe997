#pragma once
// The window's keys beside playback's: F1 opens the help, Ctrl+P prints as the print button
// does, Ctrl+Q quits. They are on the drawing area's menu too, with their keys.
class TPLL;

void addWindowKeys(TPLL &window);
