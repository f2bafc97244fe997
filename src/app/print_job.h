#pragma once
// Printing the window's picture on the default printer. It talks to the print service, which can
// take minutes to answer when it hangs or sits on an unreachable machine, so it is meant to run
// away from the window's thread.
#include <QImage>
#include <QString>

struct PrintResult
{
    enum Status {
        Sent,              // the print service has the page
        NoDefaultPrinter,  // none installed, or the print service is not running
        Failed,            // the page could not be made or handed over
        ServiceLost,       // the print service went away while the page was handed over
    };
    Status status = NoDefaultPrinter;
    QString printer;  // the default printer's name; empty without one
};

// Prints `image` on the default printer in landscape, as large as the page allows, keeping its
// proportions, centred. Returns once the print service has answered.
PrintResult printOnDefaultPrinter(const QImage &image);

// What to tell the user, in French; empty when the page went to the printer.
QString printResultMessage(const PrintResult &result);

// The window's layout is printed drawn at this scale: 4000 pixels across, above 300 dots per inch
// across an A4 or Letter page in landscape.
inline constexpr int PrintScale = 5;
