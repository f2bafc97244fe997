#pragma once
// The block diagram of the whole speed loop across the top of the drawing area, in the
// variants the pages draw.
#include "drawing/arrow.h"
#include "drawing/colours.h"
#include "drawing/page_text.h"

#include <QPoint>

class Canvas;

enum class DiagramVariant {
    Full,           // menu and modelling pages
    Presentation,   // divider labelled "fréquence (N)"
    OperatingPoint, // divider labelled N=1/100; the page turns the antenna itself
    SpeedChange,    // no oscillator or divider; the page turns the antenna itself
};

void drawLoopDiagram(Canvas &canvas, DiagramVariant variant);

// The diagram's elements that the presentation pages lift out and move about: they draw the
// same shapes at an offset.
namespace Diagram {

// A block: outline with the pen, filled with the brush, covering x1..x2-1, y1..y2-1.
struct Box
{
    int x1, y1, x2, y2;
    TColor fill;
    void draw(Canvas &canvas, QPoint offset = {}) const;
};

inline constexpr Box ComparatorGain{180, 70, 208, 90, Colour::White};
inline constexpr Box Regulator{236, 60, 296, 100, Colour::White};
inline constexpr Box PowerAmplifier{320, 60, 420, 100, Colour::White};
inline constexpr Box DcMotor{460, 60, 560, 100, Colour::White};
inline constexpr Box SpeedSensor{470, 10, 550, 50, Colour::White};
inline constexpr Box Reducer{600, 60, 660, 100, Colour::Yellow};
inline constexpr Box Oscillator{1, 25, 70, 55, Colour::Lime};
inline constexpr Box Divider{1, 65, 70, 95, Colour::Lime};

inline constexpr Arrow OscillatorToDivider{{35, 55}, {35, 65}, true, {30, 60}, {40, 60}};
inline constexpr Arrow SetpointIn{{70, 80}, {110, 80}, true, {103, 73}, {103, 87}};
inline constexpr Arrow ComparatorToGain{{160, 80}, {180, 80}};
inline constexpr Arrow GainToRegulator{{208, 80}, {236, 80}, true, {229, 73}, {229, 87}};
inline constexpr Arrow RegulatorToAmplifier{{280, 80}, {320, 80}, true, {313, 73}, {313, 87}};
inline constexpr Arrow AmplifierToMotor{{420, 80}, {460, 80}, true, {453, 73}, {453, 87}};
inline constexpr Arrow MotorToReducer{{560, 80}, {600, 80}, true, {593, 73}, {593, 87}};
inline constexpr Arrow FeedbackIn{{135, 30}, {135, 55}, true, {128, 48}, {142, 48}};
inline constexpr Arrow FeedbackLine{{135, 30}, {470, 30}};
inline constexpr Arrow SpeedIntoSensor{{550, 30}, {580, 30}, true, {557, 23}, {557, 37}, true};
inline constexpr Arrow SpeedTap{{580, 30}, {580, 80}};

extern const PageText ComparatorSigns[2];   // "+" and "-", in the face in effect
extern const PageText GainLabel;            // "Gcp"
extern const PageText AmplifierLabels[2];
extern const PageText MotorLabels[2];
extern const PageText ReducerLabel;
extern const PageText SensorLabels[2];
extern const PageText RadarLabel;          // size 8 here; a moving copy may write it smaller

// The comparator: a circle with a cross, in the pen and brush in effect.
void drawComparatorSymbol(Canvas &canvas, QPoint offset = {});

}
