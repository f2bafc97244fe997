#pragma once
// The six pictures the program carries, each drawn from its own file.
#include <QImage>

QImage drawPdFiltre(); // the regulator's transfer function, 210 x 60, on grey
QImage drawSchemaPd(); // the regulator's example circuit, 400 x 211
QImage drawPllModel(); // the loop's block model, 556 x 180
QImage drawPllBonc();  // open-loop Bode asymptotes without the regulator, 482 x 350
QImage drawPllBoc();   // open-loop Bode asymptotes with the regulator, 603 x 426
QImage drawRegul();    // the regulator's Bode asymptotes, 624 x 412
